#!/usr/bin/env bash
# Sets up and builds Corvane, then runs its main job on the bundled demo
# capture: every record is read and decoded, one JSON line per record.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$top/scripts/setup.sh"
build_dir=${CORVANE_BUILD_DIR:-$top/build}
echo "== Decoding the demo capture (data/demo-capture.jsonl)"
"$build_dir/tools/corvane-decode" "$top/data/demo-capture.jsonl"
