#!/usr/bin/env bash
# Thumbnail benchmark in one command: generates camera-like 12-MP JPEGs,
# times the thumbnail window's first page and paging to 200
# pictures against vipsthumbnail run as two processes on the same files, with
# the thumbnail cache unusable, empty (first visit, which fills it) and warm
# (second visit), and reports peak memory while paging through 1,000 photos.
# The cache is a private one under the work folder, never the user's.
#   bench/thumbnails.sh [build-folder]      (EXIF=1 adds EXIF thumbnails)
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build}"
if [ ! -x "$build/bench/bench_thumbnails" ]; then
  cmake -S "$here" --preset release -B "$build" >/dev/null
  cmake --build "$build" --target bench_thumbnails >/dev/null
fi
bench="$build/bench/bench_thumbnails"
command -v vipsthumbnail >/dev/null || { echo "vipsthumbnail missing (apt-get install libvips-tools)"; exit 1; }

work="$(mktemp -d "${TMPDIR:-/tmp}/glimmerbox-bench.XXXXXX")"
trap 'rm -rf "$work"' EXIT
exif="${EXIF:+exif}"
mkdir -p "$work/p200" "$work/p1000" "$work/vips"
export XDG_CACHE_HOME="$work/cache"
: > "$work/no-cache"  # a file: a cache folder below it can be neither read nor made
echo "generating photos in $work ..."
"$bench" generate "$work/p200" 200 50 $exif
# The 1,000-photo folder: hard links to the same distinct photos.
i=0
while [ $i -lt 1000 ]; do
  src=$(printf "%s/p200/p%05d.jpg" "$work" $((i % 50)))
  ln "$src" "$(printf "%s/p1000/p%05d.jpg" "$work" $i)"
  i=$((i + 1))
done
cat "$work"/p200/p000{00..49}.jpg > /dev/null  # into the page cache for both sides

field() { sed -n "s/^$1=//p" <<<"$2"; }

# vipsthumbnail: cells of the grid's size, files split between two processes.
vips_run() {  # count cell_px
  local size="$2x$2"
  local n=$1 half=$(( ($1 + 1) / 2 ))
  local files=()
  for ((k = 0; k < n; k++)); do files+=("$(printf "%s/p200/p%05d.jpg" "$work" $k)"); done
  local t0 t1
  t0=$(date +%s.%N)
  vipsthumbnail --size "$size" -o "$work/vips/%s.jpg" "${files[@]:0:half}" &
  vipsthumbnail --size "$size" -o "$work/vips/%s.jpg" "${files[@]:half}" &
  wait
  t1=$(date +%s.%N)
  echo "$t1 - $t0" | bc -l
}

nocache=$(XDG_CACHE_HOME="$work/no-cache/x" "$bench" page "$work/p200" 200 2>/dev/null)
ours=$("$bench" page "$work/p200" 200 2>/dev/null)
cached=$(find "$XDG_CACHE_HOME/thumbnails/normal" -name '*.png' | wc -l)
warm=$("$bench" page "$work/p200" 200 2>/dev/null)
page=$(field first_page_cells "$ours")
cell_px=$(field cell_px "$ours")
vips_page=$(vips_run "$page" "$cell_px")
vips200=$(vips_run 200 "$cell_px")
ours_page=$(field first_page_s "$ours")
ours200=$(field total_s "$ours")
warm_page=$(field first_page_s "$warm")
warm200=$(field total_s "$warm")
big=$("$bench" page "$work/p1000" 1000 2>/dev/null)

printf "photos: 4000x3000 JPEG, %s bytes each on average%s\n" \
  "$(( $(du -sb "$work/p200" | cut -f1) / 50 ))" "${exif:+, with EXIF thumbnails}"
printf "first page (%s):   no cache %.3f s   first visit %.3f s   warm cache %.3f s   vipsthumbnail x2 %.3f s\n" \
  "$page" "$(field first_page_s "$nocache")" "$ours_page" "$warm_page" "$vips_page"
printf "200 pictures:      no cache %.3f s   first visit %.3f s   warm cache %.3f s   vipsthumbnail x2 %.3f s\n" \
  "$(field total_s "$nocache")" "$ours200" "$warm200" "$vips200"
printf "ratio to vipsthumbnail x2, 200 pictures: first visit %.2fx   warm cache %.2fx\n" \
  "$(echo "$vips200 / $ours200" | bc -l)" "$(echo "$vips200 / $warm200" | bc -l)"
printf "images per second: first visit %.1f   warm cache %.1f   vipsthumbnail x2 %.1f\n" \
  "$(echo "200 / $ours200" | bc -l)" "$(echo "200 / $warm200" | bc -l)" "$(echo "200 / $vips200" | bc -l)"
printf "thumbnails cached after the first visit: %s\n" "$cached"
printf "peak RSS, 200 pictures:   %s MB (cells loaded %s, with picture %s)\n" \
  "$(field peak_rss_mb "$ours")" "$(field cells "$ours")" "$(field with_picture "$ours")"
printf "peak RSS, 1,000 pictures: %s MB (cells loaded %s, %.3f s, %.1f images/s)\n" \
  "$(field peak_rss_mb "$big")" "$(field cells "$big")" "$(field total_s "$big")" \
  "$(echo "$(field cells "$big") / $(field total_s "$big")" | bc -l)"
