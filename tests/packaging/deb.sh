#!/bin/bash
# deb.sh SOURCE_DIR BUILD_DIR DEB_VERSION: the packages of scripts/package.sh pass lintian, depend
# on what they need, and tavrel alone (no toolkit, no X) switches.
set -u
src=$1 build=$2 version=$3
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
failed=0 passed=0
check() {
  if eval "$2"; then passed=$((passed + 1)); else echo "FAIL: $1"; failed=$((failed + 1)); fi
}

"$src/scripts/package.sh" "$out" "$build" >/dev/null
deb=$out/tavrel_${version}_amd64.deb window=$out/tavrel-window_${version}_amd64.deb
collection=$out/tavrel-ansible_${version}_all.deb
check "the three packages built" '[ -f "$deb" ] && [ -f "$window" ] && [ -f "$collection" ]' || { echo "$(ls "$out")"; exit 1; }

lintian=$(lintian "$deb" "$window" "$collection" 2>&1 | grep -v '^running with root')
check "lintian has no error or warning: $lintian" '! grep -q "^[EW]:" <<<"$lintian"'
check "tavrel depends on libc6 alone" '[[ $(dpkg-deb -f "$deb" Depends) =~ ^libc6(\ \(>=\ [0-9.]+\))?$ ]]'
check "tavrel recommends tavrel-window" '[ "$(dpkg-deb -f "$deb" Recommends)" = tavrel-window ]'
depends=$(dpkg-deb -f "$window" Depends)
check "tavrel-window depends on tavrel, FLTK and X: $depends" '[[ $depends == "tavrel (= $version), "*libfltk1.3*libx11-6* ]]'

dpkg-deb -x "$deb" "$out/root"
program=$out/root/usr/bin/tavrel
mkdir "$out/windows" && WINDIR=$out/windows LD_LIBRARY_PATH= "$program" /off
check "the installed tavrel switches" 'grep -q "^Disable=1" "$out/windows/win.ini"'
dpkg-deb -x "$window" "$out/root"
check "built with Debian's hardening flags" \
  'grep -q "^CMAKE_CXX_FLAGS:.*-D_FORTIFY_SOURCE=.*-fstack-protector-strong" "$build/CMakeCache.txt"'
check "program and module read-only after relocation, bound now" 'for elf in "$program" "$out"/root/usr/lib/tavrel/*.so; do
  readelf -l "$elf" | grep -q GNU_RELRO && readelf -d "$elf" | grep -q "FLAGS.*BIND_NOW" || return 1; done'
check "the window module is found where it is installed" \
  'env -u DISPLAY LD_DEBUG=files "$program" 2>&1 | grep -q "calling init: .*/lib/tavrel/tavrel-fltk.so"'
share=$out/root/usr/share
check "the AppStream metadata" 'appstreamcli validate --no-net "$share"/metainfo/*.xml >/dev/null'
check "the desktop entry" 'desktop-file-validate "$share"/applications/*.desktop'
icons=$(cd "$share/icons/hicolor" && for d in *; do identify -format "$d=%wx%h " "$d/apps/tavrel.png"; done)
check "icons of every size: $icons" '[ "$icons" = "128x128=128x128 16x16=16x16 256x256=256x256 32x32=32x32 48x48=48x48 64x64=64x64 " ]'
collections=$out/collection/usr/share/ansible/collections
dpkg-deb -x "$collection" "$out/collection"
check "Ansible finds the collection where it is installed" \
  'ANSIBLE_COLLECTIONS_PATH=$collections ANSIBLE_HOME=$out/ansible ansible-doc tavrel.wine.proxy_client | grep -q "^> TAVREL.WINE.PROXY_CLIENT "'
check "the program's package holds no Ansible file" '! dpkg-deb -c "$deb" | grep -q ansible'

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
