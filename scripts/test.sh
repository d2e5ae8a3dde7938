#!/usr/bin/env bash
# Sets up and builds Corvane, then runs every test.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$top/scripts/setup.sh"
ctest --test-dir "${CORVANE_BUILD_DIR:-$top/build}" --output-on-failure -j2
