#!/usr/bin/env bash
# Sets up and builds Corvane, then runs its main job: the card server
# stand-in replays the bundled demo capture (ten times faster than it was
# received, looped). With a display, the desktop program opens on it (press
# Connect); without one, the receiver connects, decodes, stores every message
# in run/Corvane.db, logs to run/Corvane.txt, prints each report and serves
# the web page on 127.0.0.1:8080 (CORVANE_HTTP=ADDRESS:PORT for another). The demo
# keeps its settings in run/config, apart from your own. Stop it with Ctrl-C
# (or close the window); CORVANE_RUN_SECONDS=N stops it after N seconds.
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

# Demo settings: card 1 of a W41 server on the stand-in's port.
export XDG_CONFIG_HOME="$run_dir/config"
mkdir -p "$XDG_CONFIG_HOME/Nordquill Software"
printf '[General]\nHostName=127.0.0.1:%s\nCardType=1\nCardNumber=1\n' "$port" \
  >"$XDG_CONFIG_HOME/Nordquill Software/Corvane.conf"

if [[ -n ${DISPLAY:-}${WAYLAND_DISPLAY:-} && -z ${CORVANE_HEADLESS:-} ]]; then
  echo "== Card server on 127.0.0.1:$port replaying data/demo-capture.jsonl; press Connect in the window"
  "$build_dir/src/shell/corvane" &
else
  http=${CORVANE_HTTP:-127.0.0.1:8080}
  echo "== Card server on 127.0.0.1:$port replaying data/demo-capture.jsonl; receiver storing in $run_dir"
  echo "== Web page: http://$http/ (open it in a browser on this machine)"
  "$build_dir/tools/corvaned/corvaned" --database 1 --log all --http "$http" &
fi
receiver=$!
if [[ -n ${CORVANE_RUN_SECONDS:-} ]]; then
  sleep "$CORVANE_RUN_SECONDS"
  exit 0
fi
wait "$receiver"
