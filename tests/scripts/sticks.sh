#!/usr/bin/env bash
# Alignments onto and from the file systems of USB sticks (exFAT, FAT32, NTFS), each a small image
# mounted through its user-space driver, run by the transfer library (stick_align).
# Usage: sticks.sh PATH-TO-TANDREL PATH-TO-TANDREL-COMPARE; TANDREL_STICK_ALIGN names the driver.
set -u
export LC_ALL=C.UTF-8

align=${TANDREL_STICK_ALIGN:-}
skip() {
    echo "SKIPPED: $*"
    exit 0
}
[ -x "$align" ] || skip "no stick_align driver (TANDREL_STICK_ALIGN)"
[ "$(id -u)" = 0 ] || skip "mounting images needs root"
[ -c /dev/fuse ] || skip "no /dev/fuse"
losetup -f >/dev/null 2>&1 || skip "no free loop device"

work=$(mktemp -d)
mounts=()
loops=()
cleanup() {
    for m in "${mounts[@]}"; do umount "$m" 2>/dev/null || umount -l "$m" 2>/dev/null; done
    for l in "${loops[@]}"; do losetup -d "$l" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

passed=0
failed=0
check() { # check NAME COMMAND...: the command must succeed
    local name=$1
    shift
    if "$@"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAIL: $fs: $name" >&2
        echo "$out" | sed 's/^/    /' >&2
    fi
}
has() { grep -qF -- "$1" <<<"$out"; }
hasnt() { ! has "$1"; }

# run LIST: aligns that list of $d1 and $d2, leaving the driver's output in $out and its code in $rc.
run() {
    out=$(timeout 20 "$align" "$d1" "$d2" "$1" 2>&1)
    rc=$?
}
# mk FILE BYTES DATE
mk() {
    head -c "$2" /dev/urandom >"$1"
    touch -d "$3" "$1"
}

# make_stick KIND: makes an empty image of that kind, or returns 1.
make_stick() {
    img=$work/$1.img
    stick=$work/$1
    mkdir -p "$stick"
    truncate -s 40M "$img"
    case $1 in
    exfat) command -v mount.exfat-fuse >/dev/null && mkfs.exfat "$img" ;;
    fat) command -v fusefat >/dev/null && mkfs.vfat -F 32 "$img" ;;
    ntfs) command -v ntfs-3g >/dev/null && mkntfs -q -F "$img" ;;
    esac >/dev/null 2>&1 || return 1
    if [ "$1" = exfat ]; then # its driver wants a block device
        dev=$(losetup -f --show "$img") || return 1
        loops+=("$dev")
    else
        dev=$img
    fi
}
# attach KIND [ro]: mounts the image of that kind on $stick, writable unless "ro".
attach() {
    local rw=rw
    [ "${2:-}" = ro ] && rw=ro
    case $1 in
    exfat) mount.exfat-fuse -o $rw "$dev" "$stick" ;;
    fat) fusefat -o ${rw/rw/rw+} "$dev" "$stick" ;;
    ntfs) ntfs-3g -o $rw "$dev" "$stick" ;;
    esac >/dev/null 2>&1 || return 1
    mounts+=("$stick")
}
detach() {
    umount "$stick" 2>/dev/null || umount -l "$stick"
}
# The process of the driver serving $stick.
driver_pid() {
    ps -eo pid=,args= | awk -v m="$stick" '$NF == m { print $1 }'
}

t0='2024-03-01 12:00:00'
t1='2024-03-02 12:00:00'
tested=0
umask 022
for fs in exfat fat ntfs; do
    if ! make_stick $fs || ! attach $fs; then
        echo "$fs: no driver here, not tested"
        continue
    fi
    tested=$((tested + 1))
    here=$work/$fs-local

    # Onto the stick: every file copied whole with its date; in the middle of the list a name the
    # stick cannot store, which is that file's refusal while the others go on.
    if [ $fs != ntfs ]; then
        d1=$here/names d2=$stick/names
        mkdir -p "$d1" "$d2"
        for n in a.txt m.txt z.txt; do mk "$d1/$n" 3000 "$t0"; done
        mk "$d1/b:c?.txt" 10 "$t0"
        run 1
        check "refused name: the alignment goes on" test "$rc" = 0
        check "refused name: the others copied" cmp -s "$d1/z.txt" "$d2/z.txt"
        check "refused name: copies keep their date" test "$(stat -c %Y "$d2/m.txt")" = "$(stat -c %Y "$d1/m.txt")"
        check "refused name: told why" has "the volume of dir 2 cannot store this name"
        check "refused name: the others aligned, it stays" has "list 1: b:c?.txt"
        check "refused name: the others aligned" has "list 5: a.txt|m.txt|z.txt"
        check "a volume of 0 blocks is a drive" has "drive: $stick"
        # What counts as aligned is on the device: an image taken now holds it.
        cp "$img" "$work/snap.img"
        mkdir -p "$work/snap"
        if [ $fs = exfat ]; then
            snap=$(losetup -f --show -r "$work/snap.img") && loops+=("$snap")
            mount.exfat-fuse -o ro "$snap" "$work/snap"
        else
            fusefat -o ro "$work/snap.img" "$work/snap"
        fi >/dev/null 2>&1 && mounts+=("$work/snap")
        check "flushed: on the device" cmp -s "$d1/z.txt" "$work/snap/names/z.txt"
        umount "$work/snap"
    fi

    # A date FAT and exFAT cannot hold: copied, not aligned, told once.
    d1=$here/dates d2=$stick/dates
    mkdir -p "$d1" "$d2"
    mk "$d1/old1" 5 '1970-01-02 00:00:00'
    mk "$d1/old2" 5 '1975-06-01 00:00:00'
    mk "$d1/new" 5 "$t0"
    run 1
    check "1970: the alignment goes on" test "$rc" = 0
    check "1970: copied" cmp -s "$d1/old1" "$d2/old1"
    if [ $fs = ntfs ]; then
        check "1970: NTFS holds it" has "list 5: new|old1|old2"
    else
        check "1970: not aligned" has "list 1: old1|old2"
        check "1970: told once" test "$(grep -c 'cannot keep' <<<"$out")" = 1
        check "1970: told how many" has "2 files were copied"
    fi
    # Plugged in again, the stick shows its stand-in for those dates (1980, or the same day 128
    # years on): the pair is not listed as different for ever.
    detach
    attach $fs
    run 2
    check "1970: aligned once plugged in again" has "list 5: new|old1|old2"

    # Dates at the stick's precision (FAT: two seconds; exFAT: whole seconds here): what was
    # copied is aligned at the next comparison, also once the stick is plugged in again.
    d1=$here/precision d2=$stick/precision
    mkdir -p "$d1" "$d2"
    mk "$d1/odd" 5 '2024-03-01 12:00:01.789'
    mk "$d1/even" 5 '2024-03-01 12:00:02.999'
    mk "$d1/summer" 5 '2024-07-01 12:00:03.5'
    run 1
    check "precision: aligned" has "list 5: even|odd|summer"
    detach
    attach $fs
    run 2
    check "precision: still aligned plugged in again" has "list 5: even|odd|summer"
    check "precision: nothing listed as different" test "$(grep -c '^list [1-4]: $' <<<"$out")" = 4

    # Modes: what the stick reports (0777, 0700) is no mode; a copy from it gets the default mode,
    # or keeps that of the file it replaces.
    d1=$here/modes d2=$stick/modes
    mkdir -p "$d1" "$d2"
    mk "$d2/new.txt" 5 "$t0"
    mk "$d2/kept.txt" 5 "$t1"
    mk "$d1/kept.txt" 5 "$t0"
    chmod 0444 "$d1/kept.txt"
    run 2
    check "modes: a new file gets the default mode" test "$(stat -c %a "$d1/new.txt")" = 644
    run 4
    check "modes: a replacing copy keeps the mode" test "$(stat -c %a "$d1/kept.txt")" = 444
    check "modes: the replacing copy is there" cmp -s "$d1/kept.txt" "$d2/kept.txt"

    # Case: the stick's spelling stays; a second name differing only in case is told as such.
    d1=$here/case d2=$stick/case
    mkdir -p "$d1" "$d2"
    mk "$d2/README.TXT" 5 "$t0"
    if [ -e "$d2/readme.txt" ]; then # a volume that ignores case
        mk "$d1/Readme.txt" 9 "$t1"
        run 3
        check "case: the stick's spelling stays" test "$(ls "$d2")" = README.TXT
        check "case: the newer copy is there" cmp -s "$d1/Readme.txt" "$d2/README.TXT"
        rm "$d1/Readme.txt"
        mk "$d1/A.txt" 1 "$t0"
        mk "$d1/a.txt" 2 "$t0"
        run 1
        check "case: a case twin is told as such" has "whose name differs only in case"
        check "case: the alignment goes on" test "$rc" = 0
    fi

    # A full stick: the older copy stays as it was (fusefat writes too slowly to fill one here).
    [ $fs != fat ] && {
    d1=$here/full d2=$stick/full
    mkdir -p "$d1" "$d2"
    mk "$d2/big.bin" 1000 "$t0"
    cp -p "$d2/big.bin" "$work/big.before"
    mk "$d1/big.bin" $((48 << 20)) "$t1"
    run 3
    check "full: the older copy is intact" cmp -s "$work/big.before" "$d2/big.bin"
    check "full: said" has "Disk full"
    rm -rf "$d1" "$d2"
    }

    # A stick mounted read-only says so.
    detach
    attach $fs ro
    d1=$here/ro d2=$stick
    mkdir -p "$d1"
    mk "$d1/ro.txt" 3 "$t0"
    run 1
    check "read-only: said" has "the volume of dir 2 is read-only"
    check "read-only: the alignment goes on" test "$rc" = 0
    detach
    attach $fs

    # The stick's driver killed between the comparison and the copy.
    d1=$here/gone d2=$stick/gone
    mkdir -p "$d1" "$d2"
    mk "$d1/x.txt" 3 "$t0"
    mkfifo "$work/go.fifo" "$work/said.fifo"
    timeout 20 "$align" "$d1" "$d2" 1 pause <"$work/go.fifo" >"$work/said.fifo" 2>&1 &
    exec {go}>"$work/go.fifo" {said}<"$work/said.fifo"
    read -r -t 10 line <&$said
    kill -9 $(driver_pid)
    echo go >&$go
    out=$(cat <&$said)
    exec {go}>&- {said}<&-
    rm -f "$work/go.fifo" "$work/said.fifo"
    check "driver killed: names the volume" has "Disk not ready: the volume of dir 2 went away"
    check "driver killed: the local file stays" test -s "$d1/x.txt"
    detach
done

[ "$tested" -gt 0 ] || skip "no stick driver could mount an image"
echo "sticks: $passed passed, $failed failed"
[ "$failed" = 0 ]
