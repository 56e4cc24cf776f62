#!/bin/sh
# Installs what building and testing Tavrel needs on Debian 12 (only what is missing).
set -eu
packages="build-essential cmake file libgtest-dev libfltk1.3-dev libx11-dev
  xvfb xauth xdotool x11-utils imagemagick
  mingw-w64 wine wine64 python3-pefile
  clang clang-tidy clang-format libclang-rt-14-dev
  acl attr lintian appstream desktop-file-utils ansible-core
  pylint pycodestyle yamllint python3-voluptuous python3-venv"
missing=
for package in $packages; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' || missing="$missing $package"
done
if [ -z "$missing" ]; then exit 0; fi
as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }
as_root apt-get update -qq
# shellcheck disable=SC2086 # one word a package
as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $missing >/dev/null
