#!/bin/sh
# Installs what building and testing Tavrel needs on Debian 12, only what is missing:
# scripts/setup-debian.sh [PACKAGE...] (default: everything). Waits up to 10 minutes for
# another apt or dpkg run to release its lock.
set -eu
packages="build-essential cmake file libgtest-dev libfltk1.3-dev libx11-dev zlib1g-dev
  xvfb xauth xdotool x11-utils imagemagick
  mingw-w64 wine wine64 fonts-wine fonts-dejavu-core python3-pefile wixl msitools osslsigncode openssl
  clang clang-tidy clang-format libclang-rt-14-dev
  acl attr bindfs fuse3 lintian debhelper autopkgtest appstream desktop-file-utils ansible-core
  pylint pycodestyle yamllint python3-voluptuous python3-venv
  python3-pytest python3-pytest-xdist python3-pytest-forked"
[ $# -gt 0 ] && packages="$*"
missing=
for package in $packages; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' || missing="$missing $package"
done
if [ -z "$missing" ]; then exit 0; fi
as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }
lock="-o DPkg::Lock::Timeout=600"
# shellcheck disable=SC2086 # one word an option or a package
as_root apt-get $lock update -qq
# shellcheck disable=SC2086
as_root env DEBIAN_FRONTEND=noninteractive apt-get $lock install -y -qq $missing >/dev/null
