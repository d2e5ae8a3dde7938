#!/usr/bin/env bash
# Builds the benchmarks with optimisation and runs them all, printing the
# machine they ran on first. The figures go into bench/RESULTS.md by hand.
# The soak run (bench/soak.py: 30 days of a station, half an hour) is not
# among them; it uses the same build folder.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${CORVANE_BENCH_DIR:-$top/build-bench}
"$top/scripts/setup.sh" >/dev/null
cmake -S "$top" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORVANE_BUILD_TESTS=OFF >/dev/null
cmake --build "$build_dir" --target corvane_bench corvane-decode corvaned corvane-cardserver corvane_receiver_bench \
  corvane_live_link_bench corvane_fast_replay_bench corvane_window_memory_bench corvane_recent_messages_bench \
  corvane_web_live_bench >/dev/null
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

# corvane-decode on long texts (needs the shared real capture): its records
# whose capture line runs to 300 bytes or more (long terminal and satcom-like
# texts, 404 bytes on average), repeated to 100,000; the whole line, then the
# readable object alone.
real_capture=${CORVANE_CAPTURES_DIR:-$top/../shared/captures}/real-acars.jsonl
if [[ -f $real_capture ]]; then
  long_texts="$store_dir/long.jsonl"
  awk 'length($0) >= 300' "$real_capture" >"$store_dir/long-once.jsonl"
  once=$(wc -l <"$store_dir/long-once.jsonl")
  for ((i = 0; i < (100000 + once - 1) / once; i++)); do cat "$store_dir/long-once.jsonl"; done |
    head -n 100000 >"$long_texts"
  for fields in all readable; do
    echo "corvane-decode --fields $fields on $(wc -l <"$long_texts") long texts:"
    /usr/bin/time -f "  wall %e s, peak memory %M KiB" "$build_dir/tools/corvane-decode" --fields "$fields" \
      "$long_texts" >/dev/null
  done
fi

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

# Killed outright at 100 records/s: what the store lacks, and how old it is.
mkdir -p "$receiver_dir/kill"
echo "corvaned, 2000 records at 100/s, SIGKILL after the last report:"
"$build_dir/bench/corvane_receiver_bench" "$build_dir/tools/corvaned/corvaned" 2000 1 "$receiver_dir/kill" 100 kill |
  sed 's/^/  /'

# The real card server replaying about a million records as fast as taken
# into corvaned (SQLite store, log all, live link).
fast="$receiver_dir/fast.jsonl"
for ((i = 0; i < 2800; i++)); do cat "$demo"; done >"$fast"
mkdir -p "$receiver_dir/fast"
echo "corvane-cardserver --fast into corvaned, $(wc -l <"$fast") records:"
"$build_dir/bench/corvane_fast_replay_bench" "$build_dir/tools/cardserver/corvane-cardserver" \
  "$build_dir/tools/corvaned/corvaned" "$fast" $((351 * 2800)) "$receiver_dir/fast" 2>/dev/null | sed 's/^/  /'
rm -f "$fast"

# The live link: from the card server's send to LiveData at a link client.
for run in "2000 100" "5000 1000"; do
  read -r records rate <<<"$run"
  mkdir -p "$receiver_dir/link-$rate"
  echo "live link, $records records paced at $rate/s (corvaned with SQLite store):"
  "$build_dir/bench/corvane_live_link_bench" "$build_dir/tools/corvaned/corvaned" "$records" "$rate" \
    "$receiver_dir/link-$rate" 2>/dev/null | sed 's/^/  /'
done

# The window's memory after 100,000 records (offscreen, SQLite store, log all).
mkdir -p "$receiver_dir/window"
echo "window, 100,000 records:"
"$build_dir/bench/corvane_window_memory_bench" 100000 "$receiver_dir/window" 2>/dev/null | sed 's/^/  /'

# The Recent messages window at 100 records/s: the event loop's longest wait.
mkdir -p "$receiver_dir/recent"
echo "Recent messages window, 100 records/s:"
"$build_dir/bench/corvane_recent_messages_bench" "$receiver_dir/recent" 2>/dev/null | sed 's/^/  /'

# The web page's live feed: 50 WebSocket clients at 100 records/s, then the
# same with one more browser that never reads.
for stalled in "" --stalled; do
  mkdir -p "$receiver_dir/web$stalled"
  echo "web page live feed, 3000 records at 100/s, 50 clients $stalled:"
  "$build_dir/bench/corvane_web_live_bench" "$build_dir/tools/corvaned/corvaned" 3000 100 50 "$receiver_dir/web$stalled" \
    $stalled 2>/dev/null | tail -1 | sed 's/^/  /'
done

# The page in headless Chromium (needs the shared real capture).
capture=${CORVANE_CAPTURES_DIR:-$top/../shared/captures}/real-acars.jsonl
if [[ -f $capture ]]; then
  echo "web page in Chromium, a store of 25,000 messages:"
  "$top/bench/web_page_bench.py" "$build_dir" "$capture" 25000 5 | sed 's/^/  /'
fi

# The map's ADS-B aircraft in Chromium: 1,000 aircraft moving every second.
echo "web page map in Chromium, 1,000 ADS-B aircraft:"
/usr/bin/python3 "$top/bench/web_adsb_map_bench.py" "$build_dir" 1000 30 | sed 's/^/  /'
