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
if [ ! -x "$build/bench/bench_auto_show_tick" ]; then
  cmake -S "$here" --preset release -B "$build" >/dev/null
  cmake --build "$build" --target bench_auto_show_tick >/dev/null
fi
command -v feh >/dev/null || { echo "feh missing (apt-get install feh)"; exit 1; }
command -v Xvfb >/dev/null || { echo "Xvfb missing (apt-get install xvfb)"; exit 1; }

work="$(mktemp -d "${TMPDIR:-/tmp}/glimmerbox-bench.XXXXXX")"
xpid=""
cleanup() { [ -n "$xpid" ] && kill "$xpid" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
mkdir -p "$work/home" "$work/photos"
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xpid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
[ -s "$work/display" ] || { echo "Xvfb did not start"; exit 1; }

export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
export XDG_CACHE_HOME="$work/home/.cache" DISPLAY=":$(head -n1 "$work/display")"
unset XDG_CURRENT_DESKTOP SWAYSOCK WAYLAND_DISPLAY
echo "load: $(uptime | sed 's/.*load average: //')"
QT_QPA_PLATFORM=offscreen "$build/bench/bench_auto_show_tick" "$work/photos" "$ticks"
echo "load: $(uptime | sed 's/.*load average: //')"
