#!/bin/bash
# Installs into a temporary prefix and checks that every file lands where a desktop looks for it
# and passes the validators that are on this machine.
# Usage: install.sh TANDREL TANDREL_COMPARE (the build folder is the one holding TANDREL).
set -u
build=$(realpath "$(dirname "$1")")
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail=0
bad() { echo "FAIL: $*"; fail=1; }

cmake --install "$build" --prefix "$prefix" >/dev/null || { echo "FAIL: cmake --install"; exit 1; }

id=example.tandrel.Tandrel
for f in bin/tandrel bin/tandrel-compare; do
    [ -x "$prefix/$f" ] || bad "$f is missing or not executable"
done
desktop=$prefix/share/applications/$id.desktop
icon=$prefix/share/icons/hicolor/scalable/apps/$id.svg
metainfo=$prefix/share/metainfo/$id.metainfo.xml
doc=$prefix/share/doc/tandrel
for f in "$desktop" "$icon" "$metainfo" "$prefix/share/man/man1/tandrel.1.gz" \
    "$prefix/share/man/man1/tandrel-compare.1.gz" "$doc/copyright" "$doc/changelog.Debian.gz"; do
    [ -s "$f" ] || bad "${f#$prefix/} is missing"
done

# The entry starts the installed program and names the installed icon.
grep -qx 'Exec=tandrel' "$desktop" || bad "the desktop entry does not start tandrel"
grep -qx "Icon=$id" "$desktop" || bad "the desktop entry names another icon"
grep -q '<svg' "$icon" || bad "the icon is not an SVG"
# The installed tandrel-compare works on its own.
a=$prefix/a; b=$prefix/b
mkdir -p "$a" "$b" && echo x >"$a/only1"
out=$("$prefix/bin/tandrel-compare" "$a" "$b")
[ $? = 1 ] && [ "$out" = "only in dir 1: only1" ] || bad "installed tandrel-compare printed: $out"

check() {  # check TOOL ARGS...: runs a validator, or says why it was skipped
    if ! command -v "$1" >/dev/null; then
        echo "SKIP: $1 is not installed, so that check was not made"
        return
    fi
    "$@" >"$prefix/out" 2>&1 || { bad "$*"; cat "$prefix/out"; }
}
check desktop-file-validate "$desktop"
check appstreamcli validate --no-net "$metainfo"
if command -v man >/dev/null; then
    for page in tandrel tandrel-compare; do
        warnings=$(LC_ALL=C.UTF-8 man --warnings -l "$prefix/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
        [ -z "$warnings" ] || bad "man page $page: $warnings"
    done
else
    echo "SKIP: man is not installed, so the man pages were not checked"
fi
# The Debian package, built from this build folder, draws no error or warning from lintian.
if command -v lintian >/dev/null; then
    (cd "$prefix" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$prefix/pkg" >"$prefix/out" 2>&1) \
        || { bad "cpack"; cat "$prefix/out"; }
    lintian --fail-on none "$prefix"/pkg/tandrel_*.deb >"$prefix/lintian" 2>&1
    grep -E '^[EW]: ' "$prefix/lintian" && bad "lintian reports the lines above"
else
    echo "SKIP: lintian is not installed, so the package was not checked"
fi
exit $fail
