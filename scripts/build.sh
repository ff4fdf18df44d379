#!/usr/bin/env bash
# Configures and builds the project (Release) into build/: the targets named, or all but the
# benchmarks.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
targets=()
if [ $# -gt 0 ]; then targets=(--target "$@"); fi
cmake --build build --parallel "$(nproc)" "${targets[@]}"
