#!/usr/bin/env bash
# Auto Show tick benchmark in one command: three 12-MP camera-like JPEGs, the
# real browser offscreen, the slideshow ticking on its real timer, the real
# desktop call setting the root window with feh in a private X server. Home,
# data and config folders are private ones under the work folder.
#   bench/auto_show_tick.sh [build-folder] [ticks]
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build}"
ticks="${2:-9}"
command -v feh >/dev/null || { echo "feh missing (apt-get install feh)"; exit 1; }
. "$here/bench/private_x.sh"
private_x_session "$build" bench_auto_show_tick 1280x800
mkdir -p "$work/photos"
echo "load: $(uptime | sed 's/.*load average: //')"
QT_QPA_PLATFORM=offscreen "$build/bench/bench_auto_show_tick" "$work/photos" "$ticks"
echo "load: $(uptime | sed 's/.*load average: //')"
