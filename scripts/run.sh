#!/usr/bin/env bash
# Sets up and builds Corvane, then runs its main job: the card server
# stand-in replays the bundled demo capture (ten times faster than it was
# received, looped) and the receiver connects to it, decodes, stores every
# message in run/Corvane.db, logs to run/Corvane.txt and prints each report.
# Stop it with Ctrl-C; CORVANE_RUN_SECONDS=N stops it after N seconds.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$top/scripts/setup.sh"
build_dir=${CORVANE_BUILD_DIR:-$top/build}
run_dir=${CORVANE_RUN_DIR:-$top/run}
mkdir -p "$run_dir"
cd "$run_dir"

server_out=$(mktemp)
"$build_dir/tools/cardserver/corvane-cardserver" --port 0 --capture "$top/data/demo-capture.jsonl" \
  --speed 10 --loop >"$server_out" &
server=$!
receiver=
stop() {
  [[ -n $receiver ]] && kill -TERM "$receiver" 2>/dev/null && wait "$receiver" 2>/dev/null
  kill -TERM "$server" 2>/dev/null && wait "$server" 2>/dev/null
  rm -f "$server_out"
}
trap stop EXIT

port=
for _ in $(seq 50); do
  port=$(grep -o 'listening on [0-9.]*:[0-9]*' "$server_out" | grep -o '[0-9]*$' || true)
  [[ -n $port ]] && break
  sleep 0.1
done
[[ -n $port ]] || { echo "the card server did not start" >&2; exit 1; }

echo "== Card server on 127.0.0.1:$port replaying data/demo-capture.jsonl; receiver storing in $run_dir"
"$build_dir/tools/corvaned/corvaned" --host "127.0.0.1:$port" --card-type 1 --card-number 1 --database 1 \
  --log all &
receiver=$!
if [[ -n ${CORVANE_RUN_SECONDS:-} ]]; then
  sleep "$CORVANE_RUN_SECONDS"
  exit 0
fi
wait "$receiver"
