#!/usr/bin/env bash
# Fuzzes one target with libFuzzer (clang, AddressSanitizer and UndefinedBehaviorSanitizer):
#   scripts/fuzz.sh TARGET SECONDS
# TARGET is one of clipboard, numbertext, axis, fit, trendlabel, allowedpressure. The run starts
# from the seed corpus in tests/fuzz/corpus/TARGET; new inputs go to build-fuzz/corpus/TARGET,
# a failing one to build-fuzz/. Add what is worth keeping to the seed corpus, e.g. with
#   build-fuzz/tests/fuzz/fuzz_TARGET -merge=1 tests/fuzz/corpus/TARGET build-fuzz/corpus/TARGET
set -euo pipefail
cd "$(dirname "$0")/.."
target=${1:?target name}
seconds=${2:-60}
bash scripts/install-deps.sh
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DID_FUZZ=ON -DBUILD_BENCHMARKS=OFF -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build build-fuzz --target "fuzz_$target" --parallel "$(nproc)"
mkdir -p "build-fuzz/corpus/$target"
cd build-fuzz
"tests/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 \
  "corpus/$target" "../tests/fuzz/corpus/$target"
