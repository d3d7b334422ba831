#!/bin/bash
# Usage: screenshot.sh TANDREL GRAB_SCREEN OUT.png
# Starts the window on a pair of directories made here, on a virtual display of its own, and saves
# a picture of it once the comparison has filled the lists.
set -eu
tandrel=$(realpath "$1")
grab=$(realpath "$2")
out=$(realpath "$3")
command -v xvfb-run >/dev/null || { echo "screenshot: xvfb-run is missing (apt-get install xvfb xauth)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A working folder and its copy on a stick, one of each class.
mk() {  # mk DIR NAME DATE TEXT
    mkdir -p "$work/$1"
    printf '%s\n' "$4" >"$work/$1/$2"
    touch -d "$3" "$work/$1/$2"
}
one=work two=stick
mk $one report.odt '2024-05-02 09:30' 'the report, finished'
mk $two report.odt '2024-04-28 17:00' 'the report, a draft'
mk $one budget.ods '2024-04-20 11:00' 'budget'
mk $two budget.ods '2024-04-22 16:45' 'budget, revised'
for f in letter.txt photo.jpg notes.md; do
    mk $one $f '2024-03-15 10:00' "$f"
    mk $two $f '2024-03-15 10:00' "$f"
done
mk $one new-plan.txt '2024-05-03 08:15' 'a plan'
mk $two old-list.txt '2024-01-10 12:00' 'a list'

# Its own settings and history, so the picture shows the program as a new user sees it.
mkdir -p "$work/home"
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
export LC_ALL=C.UTF-8
xvfb-run -a -s "-screen 0 1280x900x24 -br" bash -c '
    QT_QPA_PLATFORM=xcb "$0" "$1/work" "|" "$1/stick" &
    pid=$!
    sleep 4
    "$2" "$3"
    status=$?
    kill "$pid"
    exit $status
' "$tandrel" "$work" "$grab" "$out"
echo "screenshot: $out"
