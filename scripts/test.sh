#!/bin/sh
# Builds Tavrel and runs every test: the format and clang-tidy check; GCC with the whole
# suite (Wine and window tests included); the unit and quick black-box tests under
# AddressSanitizer and UndefinedBehaviorSanitizer; clang with the unit tests; 30 s of
# fuzzing. Each step prints how long it took.
set -eu
cd "$(dirname "$0")/.."
step() {
  started=$(date +%s)
  "$@"
  echo "== $* took $(($(date +%s) - started)) s"
}
preset() {
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1"
  ctest --preset "$1"
}
step scripts/setup-debian.sh
step scripts/lint.sh
for name in linux linux-asan clang fuzz; do
  step preset "$name"
done
