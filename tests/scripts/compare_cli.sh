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
# Every line it writes on stderr must name the program.
unnamed=0
run() {
    "$cmp_tool" "$@" >"$work/out" 2>"$work/err"
    rc=$?
    out=$(cat "$work/out")
    err=$(cat "$work/err")
    unnamed=$((unnamed + $(grep -cv '^tandrel-compare: ' "$work/err")))
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

# Text output: classes in order, names sorted within each class, dir-2 spelling only for "only in dir 2".
run "$d1" "$d2"
check "differences give exit 1" test "$rc" -eq 1
expected='only in dir 1: only1.txt
only in dir 1: été.txt
newer in dir 1: fresh.c
aligned: Readme.TXT
newer in dir 2: stale.c
newer in dir 2: warn.dat
only in dir 2: only2.txt'
check "text output" test "$out" = "$expected"
check "size warning on stderr" grep -q 'Warning! files WARN.DAT have same date/time and different lengths!' "$work/err"

# JSON output carries the same result in the order of the classes, the warning's lengths and the flag.
run --json "$d1/" "$d2"
expected='{
  "only_in_dir1": ["only1.txt","été.txt"],
  "newer_in_dir1": ["fresh.c"],
  "aligned": ["Readme.TXT"],
  "newer_in_dir2": ["stale.c","warn.dat"],
  "only_in_dir2": ["only2.txt"],
  "warnings": [{"bytes_dir1":10,"bytes_dir2":20,"name":"Warn.dat"}],
  "unreadable": [],
  "listing_cut": false,
  "differences_found": true
}'
check "json output" test "$rc" -eq 1 -a "$out" = "$expected"

# Two directories holding the same files: exit 0; an hour apart counts only with the option.
mk "$work/a" x.bin 4 '2024-05-01 10:00:00'
mk "$work/b" x.bin 4 '2024-05-01 11:00:00'
run --json --ignore-one-hour "$work/a" "$work/b"
check "one hour ignored" test "$rc" -eq 0 -a "$(grep -c -e '"aligned": \["x.bin"\]' -e '"differences_found": false' <<<"$out")" -eq 2
run "$work/a" "$work/b"
check "one hour counts without the option" test "$rc" -eq 1 -a "$out" = "newer in dir 2: x.bin"

# Relative paths are taken from the current directory.
(cd "$work" && "$cmp_tool" a ./b >"$work/out" 2>&1)
check "relative paths" test "$?" -eq 1 -a "$(cat "$work/out")" = "newer in dir 2: x.bin"

# A name the encoding cannot hold is counted, never left out in silence, and the pair differs; a name
# with a line break stays on one line.
mk "$work/c" x.bin 4 '2024-05-01 10:00:00'
mk "$work/c" $'two\nlines' 1 '2024-05-01 10:00:00'
mk "$work/c" $'bad\xff' 1 '2024-05-01 10:00:00'
run --json "$work/a" "$work/c"
check "undecodable name in the json" grep -qF '"unreadable": [{"dir":2,"name":"bad\\xFF","undecodable":true}]' "$work/out"
check "undecodable name counted on stderr" grep -qF '1 file of dir 2 could not be read' "$work/err"
run "$work/a" "$work/c"
check "control characters escaped, undecodable bytes named" test "$rc" -eq 1 -a "$out" = 'aligned: x.bin
only in dir 2: two\nlines
unreadable in dir 2: bad\xFF'

# Trouble: exit 2, nothing on stdout, the reason on stderr.
run "$d1" "$work/nowhere"
check "missing directory" test "$rc" -eq 2 -a -z "$out" -a -n "$err"
run "$d1/only1.txt" "$d2"
check "a file is no directory" test "$rc" -eq 2 -a -z "$out"
run "$d1" "$d1/"
check "same directory twice" test "$rc" -eq 2 -a -z "$out"
check "same directory message" grep -qF 'dir1 and dir2 are equal and in the same drive; please select a different drive or path for one of the two directories' "$work/err"
run "$d1"
check "one directory only" test "$rc" -eq 2
run --fast "$d1" "$d2"
check "unknown option: one line of usage" test "$rc" -eq 2 -a -z "$out" -a "$err" = "tandrel-compare: Unknown option 'fast'.
tandrel-compare: Usage: tandrel-compare [--tree] [--ignore-one-hour] [--json] DIR1 DIR2
tandrel-compare: Try 'tandrel-compare --help' for more information."

# Odd arguments: bytes that are not UTF-8 would decode to a look-alike that exists; an empty path
# would be the current directory; a relative path in a removed directory would be taken from "/".
mkdir "$work/d"$'\xef\xbf\xbd'
run "$work/a" "$work/d"$'\xff'
check "undecodable argument" test "$rc" -eq 2 -a -z "$out" -a "$err" = "tandrel-compare: $work/d\\xFF: not valid in this system's encoding (UTF-8); its text would name another file, so it is not used"
cd "$work/a" && run "" "$work/b"
check "empty path" test "$rc" -eq 2 -a -z "$out"
mkdir "$work/gone" && cd "$work/gone" && rmdir "$work/gone" && run etc usr
check "relative path in a removed directory" test "$rc" -eq 2 -a -z "$out"
cd "$work" || exit 1

# A result that cannot be written is trouble, said on stderr.
"$cmp_tool" "$work/a" "$work/b" >/dev/full 2>"$work/err"
check "output to a full disk" test "$?" -eq 2 -a "$(cat "$work/err")" = "tandrel-compare: standard output: No space left on device"
"$cmp_tool" --help >/dev/full 2>/dev/null
check "help to a full disk" test "$?" -eq 2

run --help
check "help" test "$rc" -eq 0 -a "$(head -n 1 "$work/out")" = 'Usage: tandrel-compare [--tree] [--ignore-one-hour] [--json] DIR1 DIR2'
run --version
check "version" test "$rc" -eq 0 -a "$out" = "tandrel-compare 1.21"

check "every stderr line names the program" test "$unnamed" -eq 0

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
