#!/bin/sh
# Checks the code's format (clang-format) and runs clang-tidy over the sources.
set -eu
cd "$(dirname "$0")/.."
git ls-files '*.cpp' '*.h' '*.c' | xargs clang-format --dry-run -Werror
cmake --preset linux >/dev/null
# clang-tidy's stderr says why it failed; only its counts of warnings it did not show are noise.
log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
git ls-files 'src/*.cpp' | grep -v '/win32/' | xargs -P 2 -n 4 clang-tidy -p build/linux --quiet 2>"$log" || status=$?
grep -v -E '^[0-9]+ warnings? (and [0-9]+ errors? )?generated\.$' "$log" >&2 || true
[ "$status" = 0 ]
echo "lint: clean"
