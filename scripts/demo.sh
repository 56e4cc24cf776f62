#!/bin/sh
# Builds the program alone and shows its main job: switching the proxy client of a
# scratch Wine prefix off and on, printing the key and the exit status of each switch.
set -eu
cd "$(dirname "$0")/.."
missing=
for package in build-essential cmake libfltk1.3-dev libx11-dev; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' || missing="$missing $package"
done
if [ -n "$missing" ]; then
  as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }
  as_root apt-get update -qq
  # shellcheck disable=SC2086 # one word a package
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $missing >/dev/null
fi
cmake -S . -B build/demo -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build build/demo -j 2 --target tavrel >/dev/null
demo=$(mktemp -d)
trap 'rm -rf "$demo"' EXIT
export WINEPREFIX=$demo/prefix
mkdir -p "$WINEPREFIX/drive_c/windows"
printf '[Microsoft Proxy Service]\r\nDisable=0\r\n' >"$WINEPREFIX/drive_c/windows/win.ini"
for switch in /off /on; do
  status=0
  build/demo/src/tavrel "$switch" || status=$?
  echo "WINEPREFIX=$WINEPREFIX tavrel $switch -> exit status $status; win.ini holds:"
  sed 's/^/    /' "$WINEPREFIX/drive_c/windows/win.ini"
done
