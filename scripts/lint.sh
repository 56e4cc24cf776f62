#!/bin/sh
# Checks the code's format (clang-format) and runs clang-tidy over the sources.
set -eu
cd "$(dirname "$0")/.."
git ls-files '*.cpp' '*.h' '*.c' | xargs clang-format --dry-run -Werror
cmake --preset linux >/dev/null
git ls-files 'src/*.cpp' | grep -v '/win32/' | xargs -P 2 -n 4 clang-tidy -p build/linux --quiet 2>/dev/null
echo "lint: clean"
