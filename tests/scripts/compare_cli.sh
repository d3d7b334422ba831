#!/usr/bin/env bash
# The command-line comparison: its text and JSON output, messages and exit codes.
# Usage: compare_cli.sh PATH-TO-TANDREL PATH-TO-TANDREL-COMPARE
set -u

cmp_tool=$(realpath "${2:?usage: compare_cli.sh TANDREL TANDREL-COMPARE}")
export LC_ALL=C.UTF-8
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

passed=0
failed=0
check() {  # check NAME COMMAND...: the command must succeed
    local name=$1
    shift
    if "$@"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAIL: $name" >&2
    fi
}

# run ARGS...: runs the tool, leaving stdout in $out, stderr in $err and the exit code in $rc.
run() {
    "$cmp_tool" "$@" >"$work/out" 2>"$work/err"
    rc=$?
    out=$(cat "$work/out")
    err=$(cat "$work/err")
}

# mk DIR NAME BYTES DATE
mk() {
    mkdir -p "$1"
    head -c "$3" /dev/zero >"$1/$2"
    touch -d "$4" "$1/$2"
}

t0='2024-03-01 12:00:00'
t1='2024-03-01 12:00:01'
t9='2024-03-02 08:00:00'
d1=$work/one
d2=$work/two
mk "$d1" only1.txt 1 "$t0"
mk "$d2" only2.txt 1 "$t0"
mk "$d1" fresh.c 5 "$t9"
mk "$d2" fresh.c 5 "$t0"
mk "$d1" stale.c 5 "$t0"
mk "$d2" stale.c 5 "$t9"
mk "$d1" Readme.TXT 7 "$t0"
mk "$d2" README.txt 7 "$t1"
mk "$d1" warn.dat 10 "$t0"
mk "$d2" Warn.dat 20 "$t0"
mk "$d1" "été.txt" 3 "$t0"
mk "$d1" .hidden 1 "$t0"
mk "$d2" .hidden 9 "$t9"
mkdir -p "$d1/sub" "$d2/sub" "$d2/only1.txt.d"

# Text output: classes in order, names sorted within each class, dir-2 spelling only for "only in dir 2".
run "$d1" "$d2"
expected='only in dir 1: only1.txt
only in dir 1: été.txt
newer in dir 1: fresh.c
aligned: Readme.TXT
newer in dir 2: stale.c
newer in dir 2: warn.dat
only in dir 2: only2.txt'
check "text output" test "$out" = "$expected"
check "differences give exit 1" test "$rc" -eq 1
check "size warning on stderr" grep -q 'Warning! files WARN.DAT have same date/time and different lengths!' "$work/err"

# JSON output carries the same result, the warning's lengths and the flag.
run --json "$d1/" "$d2"
check "json exit 1" test "$rc" -eq 1
check "json content" python3 -c '
import json, sys
d = json.load(open(sys.argv[1], encoding="utf-8"))
assert d["only_in_dir1"] == ["only1.txt", "été.txt"], d
assert d["newer_in_dir1"] == ["fresh.c"], d
assert d["aligned"] == ["Readme.TXT"], d
assert d["newer_in_dir2"] == ["stale.c", "warn.dat"], d
assert d["only_in_dir2"] == ["only2.txt"], d
assert d["warnings"] == [{"name": "Warn.dat", "bytes_dir1": 10, "bytes_dir2": 20}], d
assert d["differences_found"] is True
' "$work/out"

# Two directories holding the same files: exit 0; an hour apart counts only with the option.
mk "$work/a" x.bin 4 '2024-05-01 10:00:00'
mk "$work/b" x.bin 4 '2024-05-01 11:00:00'
run --json --ignore-one-hour "$work/a" "$work/b"
check "one hour ignored: exit 0" test "$rc" -eq 0
check "one hour ignored: aligned" python3 -c '
import json, sys
d = json.load(open(sys.argv[1]))
assert d["aligned"] == ["x.bin"] and d["differences_found"] is False, d
' "$work/out"
run "$work/a" "$work/b"
check "one hour counts without the option" test "$rc" -eq 1 -a "$out" = "newer in dir 2: x.bin"

# Relative paths are taken from the current directory.
(cd "$work" && "$cmp_tool" a ./b >"$work/out" 2>&1)
check "relative paths" test "$?" -eq 1 -a "$(cat "$work/out")" = "newer in dir 2: x.bin"

# Trouble: exit 2, nothing on stdout, the reason on stderr.
run "$d1" "$work/nowhere"
check "missing directory" test "$rc" -eq 2 -a -z "$out" -a -n "$err"
run "$d1/only1.txt" "$d2"
check "a file is no directory" test "$rc" -eq 2 -a -z "$out"
ln -s "$d1" "$work/alias"
equal_msg='dir1 and dir2 are equal and in the same drive; please select a different drive or path for one of the two directories'
run "$d1" "$d1/"
check "same directory twice" test "$rc" -eq 2 -a -z "$out"
check "same directory message" grep -qF "$equal_msg" "$work/err"
run "$work/alias" "$d1"
check "same directory through a link" test "$rc" -eq 2 -a -z "$out"
run "$d1"
check "one directory only" test "$rc" -eq 2
run --fast "$d1" "$d2"
check "unknown option" test "$rc" -eq 2 -a -z "$out"

run --help
check "help" test "$rc" -eq 0 -a -n "$out"
check "help shows usage" grep -q 'tandrel-compare \[--ignore-one-hour\] \[--json\] DIR1 DIR2' "$work/out"
run --version
check "version" test "$rc" -eq 0 -a "$out" = "tandrel-compare 1.21"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
