#!/usr/bin/env bash
# Fails when a C++ file under src/, tests/, bench/ or fuzz/ is not clang-format clean.
set -euo pipefail
cd "$(dirname "$0")/.."
files=$(git ls-files 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h' 'fuzz/*.cpp')
if [ -z "$files" ]; then
  exit 0
fi
# shellcheck disable=SC2086
clang-format --dry-run --Werror $files
echo "clang-format: clean"
