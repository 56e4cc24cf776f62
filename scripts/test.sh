#!/bin/sh
# Builds Tavrel and runs every test, once plainly and once under AddressSanitizer
# and UndefinedBehaviorSanitizer.
set -eu
cd "$(dirname "$0")/.."
scripts/setup-debian.sh
for preset in linux linux-asan; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done
