#!/bin/sh
# Builds Tavrel and runs every test: the format and clang-tidy check; GCC with the whole
# suite (Wine and window tests included); clang with AddressSanitizer and
# UndefinedBehaviorSanitizer over the unit and quick black-box tests and 30 s of fuzzing.
# Each step prints how long it took.
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
step preset linux
step preset linux-asan
