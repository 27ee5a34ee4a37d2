#!/usr/bin/env bash
# Export throughput: `kerfel export` against `zip -r` (same deflate level)
# on the tile job of a 108-megapixel photograph (12000 x 9000).
#
#   bench/export_throughput.sh [BUILD_DIR]      (default: build)
#
# The job is made once and kept in $KERFEL_BENCH_DIR (default
# /tmp/kerfel-bench): with `kerfel make` when the build has it, otherwise
# tiles of every level cut with ImageMagick at the tool's tile size and
# quality. Each tool packs it $RUNS times (default 3); the best and the
# median wall time, the throughput over the job's bytes, the peak memory and
# the archive size are printed, and every archive is checked with unzip -t.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
kerfel=$build/kerfel
bench=${KERFEL_BENCH_DIR:-/tmp/kerfel-bench}
runs=${RUNS:-3}
out=$bench/out
job=$out/photo
mkdir -p "$out"

make_job_with_imagemagick() {
  local src=$1 w=12000 h=9000 level
  local -a sizes=()
  while :; do
    sizes=("${w}x${h}" "${sizes[@]}")
    (( (w > h ? w : h) / 2 >= 98 )) || break
    w=$((w / 2)); h=$((h / 2))
  done
  mkdir -p "$job/Images"
  for level in "${!sizes[@]}"; do
    convert "$src" -resize "${sizes[$level]}!" -crop 256x256 \
      -set filename:tile "%[fx:page.x/256]-%[fx:page.y/256]" +repage +adjoin -quality 70 \
      "$job/Images/$level-%[filename:tile].jpg"
  done
  printf '<Images Width="12000" Height="9000"/>' > "$job/ImageKerfel.xml"
}

if [[ ! -d $job/Images ]]; then
  src=$bench/photo.jpg
  if [[ ! -f $src ]]; then
    echo "making a 12000 x 9000 photograph..." >&2
    convert -size 3000x2250 -seed 7 plasma:fractal -resize 12000x9000! \
      -attenuate 0.4 +noise Gaussian -quality 92 "$src"
  fi
  echo "making its tile job..." >&2
  rm -rf "$job"
  if ! "$kerfel" make "$src" "$out" --levels 1 --quiet 2>/dev/null; then
    rm -rf "$job"
    make_job_with_imagemagick "$src"
  fi
fi

calc() { awk "BEGIN { print $1 }"; }

files=$(find "$job" -type f | wc -l)
bytes=$(find "$job" -type f -printf '%s\n' | awk '{s+=$1} END {print s}')
printf 'job: %s files, %.1f MB\n' "$files" "$(calc "$bytes / 1000000")"

measure() {  # name, archive, command...
  local name=$1 archive=$2; shift 2
  local -a times=()
  local rss=0 t m
  for _ in $(seq "$runs"); do
    rm -f "$archive"
    sync
    read -r t m < <( { /usr/bin/time -f '%e %M' "$@" >/dev/null 2>/dev/null; } 2>&1 | tail -1)
    times+=("$t")
    (( m > rss )) && rss=$m
  done
  unzip -tqq "$archive" >/dev/null || { echo "$name: archive failed unzip -t" >&2; exit 1; }
  local sorted best median
  sorted=$(printf '%s\n' "${times[@]}" | sort -n)
  best=$(echo "$sorted" | head -1)
  median=$(echo "$sorted" | sed -n "$(( (runs + 1) / 2 ))p")
  printf '%-14s best %6.2f s  median %6.2f s  %7.1f MB/s  peak %6.1f MB  archive %.1f MB\n' \
    "$name" "$best" "$median" "$(calc "$bytes / 1000000 / $best")" "$(calc "$rss / 1024")" \
    "$(calc "$(stat -c %s "$archive") / 1000000")"
}

measure "kerfel export" "$bench/kerfel.zip" "$kerfel" export "$job" "$bench/kerfel.zip" --overwrite
measure "zip -r" "$bench/zip.zip" bash -c "cd '$out' && exec zip -r -q '$bench/zip.zip' photo"
