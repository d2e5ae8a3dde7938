#!/usr/bin/env bash
# Builds the .deb and installs it on a clean Debian 12 made with debootstrap
# (root and a Debian mirror needed; a few minutes), after checking that it
# holds the manual pages and that they render, then runs the installed
# programs there: corvane-decode --help and on the shipped capture, corvaned
# --help, corvaned on its shipped settings (/etc/corvane/corvaned.conf, a
# conffile; the service installed but not enabled) serving the web page, and
# the window offscreen for three seconds.
#   scripts/check-package.sh [work folder, default /tmp/corvane-package-check]
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
work=${1:-/tmp/corvane-package-check}
root="$work/bookworm"
if [[ $(id -u) -ne 0 ]]; then
  echo "check-package.sh: run as root (debootstrap and chroot)" >&2
  exit 2
fi
command -v debootstrap >/dev/null || { apt-get update -q && apt-get install -y -q debootstrap; }

echo "== Building the package"
cmake -S "$top" -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORVANE_BUILD_TESTS=OFF \
  -DCORVANE_BUILD_BENCH=OFF >/dev/null
cmake --build "$work/build" >/dev/null
(cd "$work/build" && cpack >/dev/null)
package=$(ls "$work"/build/corvane_*_amd64.deb)

echo "== The manual pages in $(basename "$package")"
man_pages="man1/corvane.1 man1/corvaned.1 man1/corvane-link.1 man1/corvane-cardserver.1 man1/corvane-search.1
  man1/corvane-decode.1 man1/corvane-store.1 man5/corvaned.conf.5"
contents=$(dpkg-deb -c "$package")
for page in $man_pages; do
  grep -Eq "\./usr/share/man/$page(\.gz)?\$" <<<"$contents" || { echo "the package lacks $page" >&2; exit 1; }
done
# Each page as packaged renders without a warning from groff.
if command -v groff >/dev/null; then
  pages="$work/man-pages"
  rm -rf "$pages" && dpkg-deb -x "$package" "$pages"
  for page in $man_pages; do
    file=$(ls "$pages/usr/share/man/$page"*)
    said=$( { [[ $file == *.gz ]] && zcat "$file" || cat "$file"; } | groff -man -t -ww -z 2>&1)
    [[ -z $said ]] || { echo "$page: $said" >&2; exit 1; }
  done
fi
echo "the eight manual pages (seven programs and corvaned.conf): ok"

echo "== A clean Debian 12 in $root"
if [[ ! -x "$root/usr/bin/apt-get" ]]; then
  debootstrap --variant=minbase bookworm "$root" >"$work/debootstrap.log"
fi
cp "$package" "$root/tmp/corvane.deb"
mount -t proc proc "$root/proc"
trap 'umount "$root/proc"' EXIT

echo "== Installing $(basename "$package") with its dependencies"
chroot "$root" bash -euc '
  apt-get update -q >/dev/null
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q /tmp/corvane.deb >/dev/null
  corvane-decode --help >/dev/null
  echo "corvane-decode --help: ok"
  corvane-search --help >/dev/null
  echo "corvane-search --help: ok"
  corvane-store --help >/dev/null
  echo "corvane-store --help: ok"
  echo "corvane-decode on the shipped capture: $(corvane-decode /usr/share/corvane/demo-capture.jsonl | wc -l) messages"
  corvaned --help >/dev/null && echo "corvaned --help: ok"
  corvaned --config /etc/corvane/corvaned.conf --help >/dev/null
  echo "corvaned --config /etc/corvane/corvaned.conf --help: ok"
  dpkg-query -W -f="\${Conffiles}\n" corvane | grep -q "^ /etc/corvane/corvaned.conf "
  test -f /lib/systemd/system/corvaned.service
  for page in corvane corvaned corvane-link corvane-cardserver corvane-search corvane-decode corvane-store; do
    ls /usr/share/man/man1/$page.1* >/dev/null
  done
  ls /usr/share/man/man5/corvaned.conf.5* >/dev/null
  echo "manual pages in /usr/share/man: ok"
  test ! -e /etc/systemd/system/multi-user.target.wants/corvaned.service
  echo "corvaned.conf a conffile, corvaned.service installed and not enabled: ok"
  test -f /usr/share/corvane/web/index.html
  test -f /usr/share/javascript/leaflet/leaflet.js
  test -f /usr/share/javascript/chart.js/chart.min.js
  said=$(cd /tmp && timeout 3 corvaned --config /etc/corvane/corvaned.conf --database 0 --http 127.0.0.1:0 2>&1 || true)
  grep -q "web page at http://127.0.0.1:" <<<"$said" || { echo "$said" >&2; exit 1; }
  echo "corvaned on the shipped settings: serves the web page"
  status=0
  QT_QPA_PLATFORM=offscreen timeout 3 corvane >/dev/null 2>&1 || status=$?
  [[ $status -eq 124 ]] && echo "corvane: up after three seconds"
  [[ $status -eq 124 ]]
'
echo "== The package installs and runs on a clean Debian 12"
