#!/usr/bin/env bash
# Remakes the pictures of the desktop program's windows in docs/ from the
# real capture (../shared/captures): Recent messages, the alert list and the
# Search window. The build folder is build/ unless CORVANE_BUILD_DIR says
# otherwise; the program is built first.
set -euo pipefail
if [[ "${1:-}" == "--help" || "${1:-}" == "-h" ]]; then
  sed -n '2,5p' "$0" | sed 's/^# \{0,1\}//'
  exit 0
fi
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${CORVANE_BUILD_DIR:-$top/build}
cmake --build "$build" --target corvane-window-screenshots
"$build/tools/screenshots/corvane-window-screenshots" "$top/docs"
