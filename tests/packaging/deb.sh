#!/bin/bash
# deb.sh SOURCE_DIR BUILD_DIR DEB_VERSION: the packages of scripts/package.sh (left in
# BUILD_DIR/debs) pass lintian, depend on what they need, and tavrel alone (no toolkit, no X)
# switches; installed, it finds its window module even without /proc.
. "$(dirname "$0")/../support/fixture.sh"
src=$1 build=$2 version=$3
out=$build/debs
rm -rf "$out"
"$src/scripts/package.sh" "$out" "$build" >/dev/null
deb=$out/tavrel_${version}_amd64.deb window=$out/tavrel-window_${version}_amd64.deb
collection=$out/tavrel-ansible_${version}_all.deb
[ -f "$deb" ] && [ -f "$window" ] && [ -f "$collection" ] || { fail "the three packages built: $(ls "$out")" && finish; }

lintian=$(lintian "$deb" "$window" "$collection" 2>&1 | grep -v '^running with root')
check "lintian has no error or warning: $lintian" eval '! grep -q "^[EW]:" <<<"$lintian"'
check "tavrel depends on libc6 alone" eval '[[ $(dpkg-deb -f "$deb" Depends) =~ ^libc6(\ \(>=\ [0-9.]+\))?$ ]]'
check "tavrel recommends tavrel-window" [ "$(dpkg-deb -f "$deb" Recommends)" = tavrel-window ]
depends=$(dpkg-deb -f "$window" Depends)
check "tavrel-window depends on tavrel, FLTK and X: $depends" \
  eval '[[ $depends == "tavrel (= $version), "*libfltk1.3*libx11-6* ]]'

root=$scratch/root
dpkg-deb -x "$deb" "$root"
program=$root/usr/bin/tavrel
mkdir "$scratch/windows" && WINDIR=$scratch/windows LD_LIBRARY_PATH= "$program" /off
check "the installed tavrel switches" grep -q "^Disable=1" "$scratch/windows/win.ini"
completed=$(bash -c '. "$1" && COMP_WORDS=(tavrel /o) COMP_CWORD=1 && _tavrel; echo "${COMPREPLY[*]}"' - \
  "$root/usr/share/bash-completion/completions/tavrel")
check "bash completes /o to: $completed" [ "$completed" = "/on /off" ]
dpkg-deb -x "$window" "$root"
check "built with Debian's hardening flags" \
  grep -q "^CMAKE_CXX_FLAGS:.*-D_FORTIFY_SOURCE=.*-fstack-protector-strong" "$build/CMakeCache.txt"
for elf in "$program" "$root"/usr/lib/tavrel/*.so; do
  check "${elf##*/} read-only after relocation, bound now" \
    eval 'readelf -l "$elf" | grep -q GNU_RELRO && readelf -d "$elf" | grep -q "FLAGS.*BIND_NOW"'
  check "${elf##*/} without .comment" eval '! readelf -S "$elf" | grep -q "\.comment"'
done
check "the window module is found beside the program" \
  eval 'env -u DISPLAY LD_DEBUG=files "$program" 2>&1 | grep -q "calling init: .*/lib/tavrel/tavrel-fltk.so"'
# As installed in /usr, with /proc hidden: the module directory compiled in is the packaged one.
found=$(env -u DISPLAY unshare -m sh -c 'mount -t overlay overlay -o "lowerdir=$1/usr:/usr" /usr &&
  mount -t tmpfs none /proc && LD_DEBUG=files exec /usr/bin/tavrel' - "$root" 2>&1)
check "without /proc, the module is found in /usr/lib/tavrel: $(grep -a "^tavrel:" <<<"$found")" \
  grep -q "calling init: /usr/lib/tavrel/tavrel-fltk.so" <<<"$found"
share=$root/usr/share
check "the AppStream metadata" eval 'appstreamcli validate --no-net "$share"/metainfo/*.xml >/dev/null'
check "the desktop entry" eval 'desktop-file-validate "$share"/applications/*.desktop'
icons=$(cd "$share/icons/hicolor" && for d in *; do identify -format "$d=%wx%h " "$d/apps/tavrel.png"; done)
check "icons of every size: $icons" \
  [ "$icons" = "128x128=128x128 16x16=16x16 256x256=256x256 32x32=32x32 48x48=48x48 64x64=64x64 " ]
dpkg-deb -x "$collection" "$scratch/collection"
check "Ansible finds the collection where it is installed" \
  eval 'ANSIBLE_COLLECTIONS_PATH=$scratch/collection/usr/share/ansible/collections ANSIBLE_HOME=$scratch/ansible \
    ansible-doc tavrel.wine.proxy_client | grep -q "^> TAVREL.WINE.PROXY_CLIENT "'
check "the program's package holds no Ansible file" eval '! dpkg-deb -c "$deb" | grep -q ansible'
finish
