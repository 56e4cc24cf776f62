#!/bin/sh
# Builds Tavrel and shows its main job: switching the proxy client off and on in a
# demo Windows directory, printing the key after each switch.
set -eu
cd "$(dirname "$0")/.."
scripts/setup-debian.sh
cmake --preset linux >/dev/null
cmake --build --preset linux >/dev/null
demo=$(mktemp -d)
trap 'rm -rf "$demo"' EXIT
for switch in /off /on; do
  WINDIR=$demo build/linux/src/tavrel "$switch"
  echo "tavrel $switch -> exit status $?, $demo/win.ini holds:"
  sed 's/^/    /' "$demo/win.ini"
done
