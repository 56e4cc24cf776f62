#!/bin/sh
# Builds Tavrel and runs every test: the format and clang-tidy check, the whole suite
# once plainly and once under AddressSanitizer and UndefinedBehaviorSanitizer, and a
# minute of fuzzing.
set -eu
cd "$(dirname "$0")/.."
scripts/setup-debian.sh
scripts/lint.sh
for preset in linux linux-asan fuzz; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done
