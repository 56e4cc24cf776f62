#!/bin/sh
# Fuzzes the profile code for longer than CI does: scripts/fuzz.sh [SECONDS] (default 3600).
# New inputs gather in build/fuzz/corpus; crashes are written to the current directory.
set -eu
cd "$(dirname "$0")/.."
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
mkdir -p build/fuzz/corpus
build/fuzz/tests/profile_fuzz -max_total_time="${1:-3600}" -print_final_stats=1 \
  build/fuzz/corpus tests/fuzz/seeds
