#!/usr/bin/env bash
# Memory benchmark in one command: the real program offscreen, with
# camera-like 12-MP JPEGs (50 distinct photos, the rest hard links). Prints
# resident memory before, at the peak and after, in MB, for
#   - stepping through 200 photos in the browser,
#   - paging through 1,000 thumbnails,
#   - opening Thumbnail View of 20,000 photos, paging to the end and closing it.
# The thumbnail cache is a private one under the work folder, never the user's.
#   bench/memory.sh [build-folder]
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build}"
if [ ! -x "$build/bench/bench_memory" ]; then
  cmake -S "$here" --preset release -B "$build" >/dev/null
  cmake --build "$build" --target bench_memory bench_thumbnails >/dev/null
fi
work="$(mktemp -d "${TMPDIR:-/tmp}/glimmerbox-memory.XXXXXX")"
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CACHE_HOME="$work/cache" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
mkdir -p "$HOME" "$work/p200" "$work/p1000" "$work/p20000"
echo "generating photos in $work ..."
"$build/bench/bench_thumbnails" generate "$work/p200" 200 50
# The large folders: hard links to the same distinct photos. The 20,000 carry
# EXIF thumbnails, so that loading them all takes minutes, not an hour.
"$build/bench/bench_thumbnails" generate "$work/p20000" 20000 50 exif
for ((i = 0; i < 1000; i++)); do
  ln "$(printf "%s/p200/p%05d.jpg" "$work" $((i % 50)))" "$(printf "%s/p1000/p%05d.jpg" "$work" $i)"
done

field() { sed -n "s/^$1=//p" <<<"$2"; }
report() {  # title, output
  printf "%-44s before %6.1f MB   peak %6.1f MB   after %6.1f MB   (%s)\n" "$1" \
    "$(field before_mb "$2")" "$(field peak_mb "$2")" "$(field after_mb "$2")" "$3"
}
run() { "$build/bench/bench_memory" "$@" 2>/dev/null; }

out=$(run "$work/p200" browse 200)
report "stepping through 200 photos (browser)" "$out" "$(field shown "$out") shown"
out=$(run "$work/p1000" page 1000)
report "paging through 1,000 thumbnails" "$out" "$(field cells "$out") cells"
out=$(run "$work/p20000" close 20000)
report "Thumbnail View of 20,000, paged and closed" "$out" "$(field cells "$out") cells"
echo "goals: peak <= 250 MB stepping; peak <= 60 MB paging; after closing within 50 MB of before"
