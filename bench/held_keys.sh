#!/usr/bin/env bash
# Held-keys benchmark in one command: 50 JPEGs of 121 Mpx (made once in the
# folder given, 2 GB of disk), the real browser in a private 1920 x 1080 X
# server, Down held for 5 s. Home, data and config folders are private ones.
#   bench/held_keys.sh [build-folder] [pictures-folder] [seconds]
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build}"
pictures="${2:-${TMPDIR:-/tmp}/glimmerbox-held-keys}"
seconds="${3:-5}"
if [ ! -x "$build/bench/bench_held_keys" ]; then
  cmake -S "$here" --preset release -B "$build" >/dev/null
  cmake --build "$build" --target bench_held_keys >/dev/null
fi
command -v Xvfb >/dev/null || { echo "Xvfb missing (apt-get install xvfb)"; exit 1; }

work="$(mktemp -d "${TMPDIR:-/tmp}/glimmerbox-bench.XXXXXX")"
xpid=""
cleanup() { [ -n "$xpid" ] && kill "$xpid" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
mkdir -p "$work/home" "$pictures"
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
xpid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
[ -s "$work/display" ] || { echo "Xvfb did not start"; exit 1; }

export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
export XDG_CACHE_HOME="$work/home/.cache" DISPLAY=":$(head -n1 "$work/display")" QT_QPA_PLATFORM=xcb
unset XDG_CURRENT_DESKTOP SWAYSOCK WAYLAND_DISPLAY
echo "load: $(uptime | sed 's/.*load average: //')"
"$build/bench/bench_held_keys" "$pictures" "$seconds"
echo "load: $(uptime | sed 's/.*load average: //')"
