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
. "$here/bench/private_x.sh"
private_x_session "$build" bench_held_keys 1920x1080
mkdir -p "$pictures"
export QT_QPA_PLATFORM=xcb
echo "load: $(uptime | sed 's/.*load average: //')"
"$build/bench/bench_held_keys" "$pictures" "$seconds"
echo "load: $(uptime | sed 's/.*load average: //')"
