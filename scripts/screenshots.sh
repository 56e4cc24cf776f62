#!/bin/sh
# Takes the README's pictures of every view from the real programs: the Linux window
# and Tavrel.exe under Wine, each driven by the window tests in an Xvfb of their own.
set -eu
cd "$(dirname "$0")/.."
cmake --preset linux >/dev/null
cmake --build --preset linux >/dev/null
ctest --preset linux -R '^(window_keys|windows_window_keys)$' >/dev/null
for platform in linux windows; do
  mkdir -p "docs/views/$platform"
  for view in initial status-enabled status-disabled switched-off switched-on help; do
    cp "build/linux/artifacts/$platform/$view.png" "docs/views/$platform/$view.png"
  done
done
cp build/linux/artifacts/linux/window-*-dpi.png docs/views/linux/
echo "docs/views/ updated"
