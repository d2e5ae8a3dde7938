#!/usr/bin/env bash
# Builds the benchmarks with optimisation and runs them all, printing the
# machine they ran on first. The figures go into bench/RESULTS.md by hand.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${CORVANE_BENCH_DIR:-$top/build-bench}
"$top/scripts/setup.sh" >/dev/null
cmake -S "$top" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORVANE_BUILD_TESTS=OFF >/dev/null
cmake --build "$build_dir" --target corvane_bench >/dev/null
echo "machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) cores; $(date -u +%Y-%m-%d)"
"$build_dir/bench/corvane_bench" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true "$@"
