#!/usr/bin/env bash
# Builds the benchmarks with optimisation and runs them all, printing the
# machine they ran on first. The figures go into bench/RESULTS.md by hand.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${CORVANE_BENCH_DIR:-$top/build-bench}
"$top/scripts/setup.sh" >/dev/null
cmake -S "$top" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORVANE_BUILD_TESTS=OFF >/dev/null
cmake --build "$build_dir" --target corvane_bench corvane-decode corvaned corvane_receiver_bench corvane_live_link_bench \
  corvane_window_memory_bench >/dev/null
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

# The receiver end to end (a scripted card server, the real corvaned, SQLite
# store and log): as fast as it takes them, then paced at 500 records/s; and
# without a store, paced at 2,000 records/s.
receiver_dir=$(mktemp -d)
trap 'rm -f "$big"; rm -rf "$store_dir" "$receiver_dir"' EXIT
for run in "5000 1 fast" "5000 1 500" "20000 0 2000"; do
  read -r records database rate <<<"$run"
  mkdir -p "$receiver_dir/$rate-$database"
  echo "corvaned, $records records, Database=$database, rate $rate:"
  "$build_dir/bench/corvane_receiver_bench" "$build_dir/tools/corvaned/corvaned" "$records" "$database" \
    "$receiver_dir/$rate-$database" $([[ $rate == fast ]] || echo "$rate") | sed 's/^/  /'
done

# The live link: from the card server's send to LiveData at a link client.
for rate in 100 500; do
  mkdir -p "$receiver_dir/link-$rate"
  echo "live link, 5000 records paced at $rate/s (corvaned with SQLite store):"
  "$build_dir/bench/corvane_live_link_bench" "$build_dir/tools/corvaned/corvaned" 5000 "$rate" \
    "$receiver_dir/link-$rate" 2>/dev/null | sed 's/^/  /'
done

# The window's memory after 100,000 records (offscreen, SQLite store, log all).
mkdir -p "$receiver_dir/window"
echo "window, 100,000 records:"
"$build_dir/bench/corvane_window_memory_bench" 100000 "$receiver_dir/window" 2>/dev/null | sed 's/^/  /'
