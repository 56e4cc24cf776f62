#!/bin/sh
# Builds the program alone and shows its main job: switching the proxy client of a
# scratch Wine prefix off and on, printing the key and the exit status of each switch.
set -eu
cd "$(dirname "$0")/.."
scripts/setup-debian.sh build-essential cmake libfltk1.3-dev libx11-dev
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
