#!/bin/sh
# Makes web/coastlines.json, the coastlines and national borders the web page's map draws (it has no
# tile layer and needs no network). The data is GSHHG (Global Self-consistent, Hierarchical,
# High-resolution Geography Database, by Paul Wessel and Walter H. F. Smith) as Debian ships it in
# gmt-gshhg-low, read through GMT's `gmt coast`; it is distributed under the GNU LGPL version 3 or
# later (see web/COASTLINES.md). Run it once after changing the resolution or the conversion; the
# result is committed, so neither a build nor the server needs GMT.
#
#   Needs: gmt and gmt-gshhg-low (apt-get install gmt gmt-gshhg-low), python3.
#   Usage: tools/coastlines/make-coastlines.sh [RESOLUTION] [OUTPUT]
#          RESOLUTION: c (crude) or l (low, the default); OUTPUT: default web/coastlines.json
set -eu

case "${1:-}" in
-h | --help)
  sed -n '2,11p' "$0" | sed 's/^# \{0,1\}//'
  exit 0
  ;;
esac

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
resolution=${1:-l}
output=${2:-$root/web/coastlines.json}
case "$output" in
/*) ;;
*) output="$PWD/$output" ;;
esac

case "$resolution" in
c | l) ;;
*)
  echo "make-coastlines.sh: resolution must be c (crude) or l (low), not '$resolution'" >&2
  exit 2
  ;;
esac
command -v gmt >/dev/null || {
  echo "make-coastlines.sh: gmt not found (apt-get install gmt gmt-gshhg-low)" >&2
  exit 1
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM

# GMT runs in the scratch folder, where it leaves its gmt.history.
cd "$work"
# Shorelines: -A0/1/1 keeps level 1 only (land against ocean: no lakes, islands in lakes, ponds), every
# size. -W selects shorelines, -M dumps them as multi-segment text instead of drawing; -Rd is the whole
# world as -180..180.
gmt coast -Rd -D"$resolution" -A0/1/1 -W -M >coast.txt
# National borders (-N1: boundaries between countries).
gmt coast -Rd -D"$resolution" -N1 -M >border.txt

python3 "$here/gmt_to_geojson.py" coast=coast.txt border=border.txt -o "$output"
echo "wrote $output ($(wc -c <"$output") bytes)"
