#!/bin/bash
# deb.sh SOURCE_DIR OUT_DIR: the source and binary packages of scripts/package.sh (left in
# OUT_DIR) pass lintian --pedantic, are built with dpkg-buildflags' flags alone, and pass
# debian/tests run by autopkgtest in a throwaway root; the tree without debian/ configures.
. "$(dirname "$0")/../support/fixture.sh"
src=$1 out=$2
"$src/scripts/package.sh" "$out" >"$scratch/log" 2>&1 || { tail -20 "$scratch/log" && fail "dpkg-buildpackage" && finish; }
grep -E "^(dpkg-deb: building|dpkg-buildpackage: info|dpkg-source: info: building|[0-9]+% tests passed)" "$scratch/log"

# Bookworm's lintian (2.116) predates dpkg's field Static-Built-Using, which debhelper copies
# into the -dbgsym package too (where no override can go).
lintian=$(lintian --pedantic -I -E "$out"/*.changes 2>&1 | grep -v -e '^running with root' -e ' unknown-field Static-Built-Using$')
check "lintian --pedantic -I -E says nothing: $lintian" [ -z "$lintian" ]
dpkg-deb -x "$out"/tavrel-dbgsym_*.deb "$scratch/dbgsym"
flags=$(find "$scratch/dbgsym" -name '*.debug' -exec readelf --debug-dump=info {} + 2>/dev/null | grep DW_AT_producer)
check "built with dpkg-buildflags' -O2 alone" eval 'grep -q " -O2 " <<<"$flags" && ! grep -q " -O3 " <<<"$flags"'
tar -xzf "$out"/tavrel_*.orig.tar.gz -C "$scratch" --exclude=tavrel/debian
check "the upstream tree without debian/ configures" \
  cmake -S "$scratch/tavrel" -B "$scratch/upstream" -DBUILD_TESTING=OFF >/dev/null

# The packages go into a throwaway root, never into this machine: an overlay of its root,
# mounted in a mount namespace of its own without a network, gone when the namespace ends.
ours() { dpkg-query -W -f='${Package} ${Version}\n' 'tavrel*' 2>/dev/null; }
before=$(ours) status=99 # without root: no mount namespace, no chroot
[ "$(id -u)" != 0 ] || { unshare --mount --net --propagation private /bin/bash -c 'bed=$1 && shift &&
  mount -t tmpfs tmpfs "$bed" && mkdir "$bed"/{upper,work,root} &&
  mount -t overlay overlay -o "lowerdir=/,upperdir=$bed/upper,workdir=$bed/work" "$bed/root" &&
  mount -t proc proc "$bed/root/proc" && mount --rbind /dev "$bed/root/dev" && mount -t tmpfs tmpfs "$bed/root/tmp" || exit 99
  exec autopkgtest "$@" -- chroot "$bed/root"' - "$(mkdir "$scratch/bed" && echo "$scratch/bed")" \
  "$out"/*.deb "$out/tavrel/" >"$scratch/test.log" 2>&1; status=$?; }
if [ "$status" = 99 ]; then
  echo "SKIP: autopkgtest: no throwaway root can be made here (it needs root, a mount namespace and overlayfs); CI runs it"
  [ -z "${CI:-}" ] || fail "CI must run autopkgtest: $(tail -3 "$scratch/test.log" 2>/dev/null)"
else
  grep -E "^(FAIL: |[0-9]+ passed|installed +[A-Z]+$)" "$scratch/test.log"
  check "autopkgtest passes in the throwaway root (status $status), and this machine's packages are as they were: $(ours)" \
    eval '[ "$status" = 0 ] && [ "$(ours)" = "$before" ]'
fi
finish
