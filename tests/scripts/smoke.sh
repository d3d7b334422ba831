#!/usr/bin/env bash
# Starts the real program offscreen with a pair of directories, lets it load and compare, and
# ends it: it must come up and keep running without crashing or complaining.
set -u
tandrel=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/one" "$work/two"
echo a >"$work/one/only1.txt"
echo b >"$work/two/only2.txt"
echo same >"$work/one/both.txt"
cp -p "$work/one/both.txt" "$work/two/both.txt"

QT_QPA_PLATFORM=offscreen "$tandrel" "$work/one" '|' "$work/two" >"$work/out" 2>&1 &
pid=$!
passed=0
failed=0
sleep 3
if kill -0 "$pid" 2>/dev/null; then
  passed=$((passed + 1))
  kill "$pid"
  wait "$pid" 2>/dev/null
else
  wait "$pid"
  echo "tandrel ended by itself with status $? (expected it to keep running)"
  failed=$((failed + 1))
fi
if grep -v -E '^(QStandardPaths|qt\.qpa)' "$work/out" | grep -q .; then
  echo "unexpected output:"
  cat "$work/out"
  failed=$((failed + 1))
else
  passed=$((passed + 1))
fi
# Without any display the program says so in one line instead of aborting.
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$tandrel" 2>&1)
status=$?
if [ "$status" = 1 ] && [ "$(printf '%s\n' "$out" | wc -l)" = 1 ] && printf '%s' "$out" | grep -q 'no display'; then
  passed=$((passed + 1))
else
  echo "without a display: status $status, output: $out"
  failed=$((failed + 1))
fi
# --help and --version answer on stdout and end with 0, also without a display.
for option in --help --version; do
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$tandrel" $option 2>/dev/null)
  status=$?
  if [ "$status" = 0 ] && printf '%s' "$out" | grep -q 'tandrel'; then
    passed=$((passed + 1))
  else
    echo "$option: status $status, output: $out"
    failed=$((failed + 1))
  fi
done
echo "smoke: $passed passed, $failed failed"
[ "$failed" = 0 ]
