#!/bin/bash
# The Debian package: deb.sh BUILD_DIR
# Builds it with CPack, checks its name, contents and dependencies, that apt can
# install it, and unpacks it into a scratch root where the installed tavrel must switch
# silently and open its window (finding its window backend where it was installed).
set -u
build=$1
out=$(mktemp -d)
# shellcheck source=../blackbox/xvfb.sh
. "$(dirname "$0")/../blackbox/xvfb.sh"
trap 'stop_xvfb; rm -rf "$out"' EXIT
failed=0 passed=0
check() {
  if eval "$2"; then passed=$((passed + 1)); else echo "FAIL: $1"; failed=$((failed + 1)); fi
}

(cd "$build" && cpack -G DEB -B "$out" >/dev/null 2>&1)
deb=$out/tavrel_2.0.0.49_amd64.deb
check "package built as $(basename "$deb")" '[ -f "$deb" ]'
[ -f "$deb" ] || { echo "$passed passed, $failed failed"; exit 1; }

contents=$(dpkg-deb -c "$deb" | awk '{ print $6 }')
for path in ./usr/bin/tavrel ./usr/lib/tavrel/tavrel-fltk.so ./usr/share/man/man1/tavrel.1.gz \
  ./usr/share/applications/tavrel.desktop ./usr/share/icons/hicolor/16x16/apps/tavrel.png \
  ./usr/share/icons/hicolor/32x32/apps/tavrel.png; do
  check "package holds $path" 'grep -qx "$path" <<<"$contents"'
done
depends=$(dpkg-deb -f "$deb" Depends)
for dependency in libc6 libfltk1.3 libx11-6; do
  check "depends on $dependency" '[[ $depends == *"$dependency "* || $depends == *"$dependency," || $depends == *"$dependency" ]]'
done
check "apt can install it" 'apt-get install --simulate -qq "$deb" >/dev/null 2>&1'

root=$out/root
dpkg-deb -x "$deb" "$root"
mkdir "$out/windows"
WINDIR=$out/windows "$root/usr/bin/tavrel" /off
check "the installed tavrel switches" 'grep -q "^Disable=1" "$out/windows/win.ini"'
check "the manual page" 'zcat "$root/usr/share/man/man1/tavrel.1.gz" | grep -q "^\.TH TAVREL 1"'
check "the desktop entry" 'grep -qx "Exec=tavrel" "$root/usr/share/applications/tavrel.desktop"'
check "the icons" '[ "$(identify -format "%wx%h " "$root"/usr/share/icons/hicolor/*/apps/tavrel.png)" = "16x16 32x32 " ]'

start_xvfb >/dev/null
WINDIR=$out/windows "$root/usr/bin/tavrel" &
pid=$!
check "the installed tavrel opens its window" 'wait_for_window "$pid" >/dev/null'
kill "$pid" 2>/dev/null

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
