#!/usr/bin/env bash
# Fails when a C++ file under src/, tests/ or benchmarks/ differs from .clang-format.
set -euo pipefail
cd "$(dirname "$0")/.."
files=$(git ls-files 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'benchmarks/*.cpp' 2>/dev/null || true)
if [ -z "$files" ]; then
  files=$(find src tests benchmarks -name '*.cpp' -o -name '*.h')
fi
# shellcheck disable=SC2086
clang-format --dry-run --Werror $files
echo "clang-format: all files formatted"
