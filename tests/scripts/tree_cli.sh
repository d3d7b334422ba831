#!/usr/bin/env bash
# The command-line tree comparison: branch report, differing branches, JSON, exit codes, and that
# it creates nothing.
# Usage: tree_cli.sh PATH-TO-TANDREL PATH-TO-TANDREL-COMPARE
set -u

cmp_tool=$(realpath "${2:?usage: tree_cli.sh TANDREL TANDREL-COMPARE}")
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
        sed 's/^/  out: /' "$work/out" >&2
    fi
}
run() {
    "$cmp_tool" "$@" >"$work/out" 2>"$work/err"
    rc=$?
}
mk() {  # mk PATH: a small file with a fixed date
    mkdir -p "$(dirname "$1")"
    echo x >"$1"
    touch -d '2024-03-01 12:00:00' "$1"
}

a=$work/a
b=$work/b
for t in "$a" "$b"; do
    mk "$t/top.txt"
    mk "$t/Music/m.mp3"
    mk "$t/Music/Old/o.mp3"
done
mv "$b/Music" "$b/MUSIC"  # branches pair ignoring case
mkdir -p "$a/.cache/x" "$b/skip" "$a/skip/deeper"
touch "$b/skip/_no_mirror.flg"
ln -s "$a/Music" "$a/link"

run --tree "$a" "$b"
check "aligned trees" test "$rc" -eq 0 -a ! -s "$work/out"

mk "$a/Music/Old/new.mp3"
mk "$a/Docs/d.txt"
mkdir -p "$b/Extra"
run --tree "$a" "$b"
expected="Only in tree 1: $a/Docs
Only in tree 2: $b/Extra
BRANCH: $a/Music/Old | $b/MUSIC/Old
only in dir 1: new.mp3
aligned: o.mp3"
check "report and differing branch" test "$rc" -eq 1 -a "$(cat "$work/out")" = "$expected"
check "nothing created" test ! -e "$b/Docs"

run --tree --json "$a" "$b"
check "json" python3 - "$work/out" "$a" "$b" <<'PY'
import json, sys
d = json.load(open(sys.argv[1]))
a, b = sys.argv[2], sys.argv[3]
assert d["only_in_tree1"] == [a + "/Docs"], d
assert d["only_in_tree2"] == [b + "/Extra"], d
assert [(x["dir1"], x["dir2"]) for x in d["branches"]] == [
    (a, b), (a + "/Music", b + "/MUSIC"), (a + "/Music/Old", b + "/MUSIC/Old")], d["branches"]
old = d["branches"][2]
assert old["only_in_dir1"] == ["new.mp3"] and old["aligned"] == ["o.mp3"] and old["differences_found"], old
assert list(d)[-1] == "differences_found" and d["differences_found"] is True
PY

# Only a one-sided branch: still a difference.
rm "$a/Music/Old/new.mp3"
rm -r "$a/Docs"
run --tree "$a" "$b"
check "one-sided branch differs" test "$rc" -eq 1 -a "$(cat "$work/out")" = "Only in tree 2: $b/Extra"

# A branch that cannot be read is trouble (run as "nobody" when the tests run as root).
rmdir "$b/Extra"
mkdir -p "$a/Locked" "$b/Locked"
chmod 755 "$work"
chmod -R a+rX "$a" "$b"
chmod 000 "$b/Locked"
as_user=()
[ "$(id -u)" = 0 ] && as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
"${as_user[@]}" "$cmp_tool" --tree "$a" "$b" >"$work/out" 2>"$work/err"
rc=$?
check "unreadable branch" test "$rc" -eq 2 -a "$(cat "$work/err")" = "tandrel-compare: Error 70 - Permission denied ($b/Locked)"
chmod 755 "$b/Locked"

# Case variants: no spelling of several stands for "Data"; a folder name that is not valid text
# is said, never passed over as aligned.
c=$work/c
d=$work/d
mkdir -p "$c/Data" "$d/DATA" "$d/data"
run --tree "$c" "$d"
check "case variants" test "$rc" -eq 1 -a "$(cat "$work/out")" = "Only in tree 1: $c/Data
Only in tree 2: $d/DATA
Only in tree 2: $d/data"
rm -r "$d"/* && mkdir "$d/Data" "$d/Data/bad$(printf '\xff')"
run --tree --json "$c" "$d"
check "undecodable folder" python3 - "$work/out" "$d" "$rc" <<'PY'
import json, sys
d = json.load(open(sys.argv[1]))
assert d["undecodable_dirs"] == [sys.argv[2] + "/Data/bad\\xFF"], d
assert d["differences_found"] is True and sys.argv[3] == "1", d
PY

run --tree "$a" "$work/missing"
check "missing tree" test "$rc" -eq 2
run --tree "$a" "$a"
check "same tree" test "$rc" -eq 2

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
