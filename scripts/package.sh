#!/bin/sh
# Builds the Debian packages tavrel and tavrel-window with Debian's hardening flags:
# scripts/package.sh [OUT_DIR [BUILD_DIR]] (default build/package for both).
set -eu
# The same packages from any umask and time zone: directories 0755, times in UTC.
umask 022
export TZ=UTC
src=$(cd "$(dirname "$0")/.." && pwd)
build=${2:-$src/build/package}
out=${1:-$build}
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
# CMake reads no CPPFLAGS: the preprocessor's flags (_FORTIFY_SOURCE) go with the compiler's.
cppflags=$(dpkg-buildflags --get CPPFLAGS)
cd "$src"
cmake --preset package -B "$build" \
  -DCMAKE_C_FLAGS="$cppflags $(dpkg-buildflags --get CFLAGS)" \
  -DCMAKE_CXX_FLAGS="$cppflags $(dpkg-buildflags --get CXXFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" \
  -DCMAKE_MODULE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build "$build" -j 2 >/dev/null
(cd "$build" && cpack -B "$out" >/dev/null)
ls "$out"/*.deb
