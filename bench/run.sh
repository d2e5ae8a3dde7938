#!/usr/bin/env bash
# Builds the benchmarks with optimisation and runs them all, printing the
# machine they ran on first. The figures go into bench/RESULTS.md by hand.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${CORVANE_BENCH_DIR:-$top/build-bench}
"$top/scripts/setup.sh" >/dev/null
cmake -S "$top" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORVANE_BUILD_TESTS=OFF >/dev/null
cmake --build "$build_dir" --target corvane_bench corvane-decode >/dev/null
echo "machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) cores; $(date -u +%Y-%m-%d)"
"$build_dir/bench/corvane_bench" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true "$@"

# corvane-decode on 100,000 records: the demo capture repeated.
big=$(mktemp --suffix=.jsonl)
trap 'rm -f "$big"' EXIT
demo="$top/data/demo-capture.jsonl"
lines=$(wc -l <"$demo")
for ((i = 0; i < (100000 + lines - 1) / lines; i++)); do cat "$demo"; done | head -n 100000 >"$big"
echo "corvane-decode on $(wc -l <"$big") records:"
/usr/bin/time -f "  wall %e s, peak memory %M KiB" "$build_dir/tools/corvane-decode" "$big" >/dev/null

echo "corvane-decode --store sqlite on the same records:"
store_dir=$(mktemp -d)
trap 'rm -f "$big"; rm -rf "$store_dir"' EXIT
(cd "$store_dir" && /usr/bin/time -f "  wall %e s, peak memory %M KiB" "$build_dir/tools/corvane-decode" \
  --store sqlite "$big" 2>&1 >/dev/null | grep -v '^corvane-decode: ')
