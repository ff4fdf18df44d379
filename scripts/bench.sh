#!/usr/bin/env bash
# Builds (Release) and runs every benchmark headless. Figures go to the terminal and, as JSON
# for comparing runs, to build/bench/<name>.json. Extra arguments go to every benchmark
# (for example --benchmark_repetitions=5 --benchmark_report_aggregates_only=true).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh id_benchmarks id_gui_benchmarks id_memory_benchmark
export QT_QPA_PLATFORM=offscreen
mkdir -p build/bench
for b in id_benchmarks id_gui_benchmarks; do
  "build/benchmarks/$b" --benchmark_out="build/bench/$b.json" --benchmark_out_format=json "$@"
done
# Each memory figure alone in its process: a peak is the process's.
for m in MemoryAfterAnalysis MemoryOfTrendHistory MemoryOfFullSession; do
  build/benchmarks/id_memory_benchmark --benchmark_filter="^$m/" \
    --benchmark_out="build/bench/$m.json" --benchmark_out_format=json "$@"
done
