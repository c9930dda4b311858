#!/usr/bin/env bash
# Installs Verbolt into a temporary prefix and checks what a desktop and a package manager
# read: the desktop entry (desktop-file-validate), the AppStream metadata (appstreamcli),
# the manual page (renders without a warning, 80 columns wide); then packages it with
# `cpack -G DEB` and checks the package's files and dependencies. Uses the build folder of
# scripts/test.sh (VERBOLT_BUILD_DIR), configuring it if needed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VERBOLT_BUILD_DIR:-$root/build}
id=invalid.verbolt.Verbolt
"$root/scripts/deps.sh"
[ -f "$build/CMakeCache.txt" ] || cmake -S "$root" -B "$build" -G Ninja >/dev/null
cmake --build "$build" -j2 --target verbolt

work=$(mktemp -d "${TMPDIR:-/tmp}/verbolt-install-XXXXXX")
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null

status=0
fail() {
    echo "check-install: $*" >&2
    status=1
}

echo "== desktop-file-validate"
# It says nothing about a good file; hints and warnings do not change its exit status.
if ! out=$(desktop-file-validate "$prefix/share/applications/$id.desktop" 2>&1) ||
    [ -n "$out" ]; then
    echo "$out"
    fail "the desktop entry is not valid"
fi

echo "== appstreamcli validate --no-net"
# Strict: hints fail too, all but one. The validator does not know the top-level domain
# .invalid, which the id uses because it can name no one's real domain.
appstreamcli validate --no-net --strict --override=cid-maybe-not-rdns=pedantic \
    "$prefix/share/metainfo/$id.metainfo.xml" ||
    fail "the AppStream metadata is not valid"

echo "== man --warnings"
page=$prefix/share/man/man1/verbolt.1
if ! warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null) ||
    [ -n "$warnings" ]; then
    echo "$warnings"
    fail "the manual page does not render cleanly"
fi
width=$(LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$page" 2>/dev/null | LC_ALL=C.UTF-8 wc -L)
[ "$width" -le 80 ] || fail "the manual page has a line of $width columns at width 80"

echo "== the installed verbolt starts its window"
# Without an option of its own, verbolt hands over to the window's program in libexec: an
# unknown platform is then refused by Qt, which only that program loads.
if out=$(cd "$work" && "$prefix/bin/verbolt" -platform nosuchplatform 2>&1) ||
    [[ $out != *"platform plugin"* ]]; then
    echo "$out"
    fail "the installed verbolt does not start the window's program"
fi

echo "== cpack -G DEB"
if ! (cd "$build" && cpack -G DEB -B "$work/package") >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log" >&2
    echo "check-install: cpack failed" >&2
    exit 1
fi
deb=$(echo "$work"/package/verbolt_*.deb)
dpkg-deb -f "$deb" Package Version Depends
# The package holds exactly the installed files, under /usr.
if ! diff <(cd "$prefix" && find . ! -type d | sed 's|^\./|usr/|' | sort) \
    <(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sed 's|^\./||' | sort); then
    fail "the package's files differ from the installed ones"
fi
dpkg-deb -f "$deb" Depends | grep -q "libqt6widgets6" ||
    fail "the package's dependencies do not come from the program's libraries"

[ $status -eq 0 ] && echo "check-install: the installed files and the package are valid"
exit $status
