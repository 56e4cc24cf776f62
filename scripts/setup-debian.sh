#!/bin/sh
# Installs what building and testing Tavrel needs on Debian 12.
set -eu
as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }
as_root apt-get update -qq
as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
  build-essential cmake libgtest-dev libfltk1.3-dev libx11-dev \
  xvfb xauth xdotool x11-utils imagemagick \
  mingw-w64 wine wine64 python3-pefile ansible-core acl attr \
  clang clang-tidy clang-format libclang-rt-14-dev >/dev/null
