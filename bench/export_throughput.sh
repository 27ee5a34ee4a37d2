#!/usr/bin/env bash
# Export throughput: `kerfel export` against `zip -r` (same deflate level)
# on the tile job of a 108-megapixel photograph (12000 x 9000).
#
#   bench/export_throughput.sh [BUILD_DIR]      (default: build)
#
# The job is made once and kept in $KERFEL_BENCH_DIR (default
# /tmp/kerfel-bench/export): with `kerfel make` when the build has it, otherwise
# with libvips at the tool's tile size and quality. Each tool packs it $RUNS times (default 3); the best and the
# median wall time, the throughput over the job's bytes, the peak memory and
# the archive size are printed, and every archive is checked with unzip -t.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
kerfel=$build/kerfel
bench=${KERFEL_BENCH_DIR:-/tmp/kerfel-bench/export}
runs=${RUNS:-3}
out=$bench/out
job=$out/photo
mkdir -p "$out"

# Tiles of every level from the full size down to the smallest the tool
# makes (larger side 98 to 195), 256 x 256 at quality 70, named
# level-column-row.jpg from level 0, the smallest. The photograph is beyond
# ImageMagick's default resource policy, so libvips cuts it.
make_job_with_vips() {
  local src=$1 scratch=$bench/cut levels=0 side=12000 level
  while (( side / 2 >= 98 )); do side=$((side / 2)); levels=$((levels + 1)); done
  rm -rf "$scratch" && mkdir -p "$scratch" "$job/Images"
  vips dzsave "$src" "$scratch/t" --tile-size 256 --overlap 0 --suffix '.jpg[Q=70]'
  local top
  top=$(ls "$scratch/t_files" | sort -n | tail -1)
  for level in $(seq 0 "$levels"); do
    local from=$scratch/t_files/$((top - levels + level)) f name
    for f in "$from"/*.jpg; do
      name=$(basename "$f" .jpg)
      mv "$f" "$job/Images/$level-${name%_*}-${name#*_}.jpg"
    done
  done
  rm -rf "$scratch"
  printf '<Images Width="12000" Height="9000"/>' > "$job/ImageKerfel.xml"
}

if [[ ! -d $job/Images ]]; then
  src=$bench/photo.jpg
  if [[ "$(vipsheader -f width "$src" 2>/dev/null)x$(vipsheader -f height "$src" 2>/dev/null)" != 12000x9000 ]]; then
    echo "making a 12000 x 9000 photograph..." >&2
    # Detail at every scale, so that tiles weigh what photograph tiles do.
    convert -size 4000x3000 -seed 7 plasma:fractal -attenuate 0.6 +noise Gaussian "$bench/small.png"
    vips resize "$bench/small.png" "$bench/large.v" 3 --kernel nearest
    vips sharpen "$bench/large.v" "$src[Q=92]" --sigma 1.5 --m2 4
    rm -f "$bench/large.v"
    rm -f "$bench/small.png"
  fi
  echo "making its tile job..." >&2
  rm -rf "$job"
  if ! "$kerfel" make "$src" "$out" --levels 1 --quiet 2>/dev/null; then
    rm -rf "$job"
    make_job_with_vips "$src"
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
    /usr/bin/time -o "$bench/time.txt" -f '%e %M' "$@" >/dev/null 2>&1
    read -r t m < "$bench/time.txt"
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

# The command-line tool shares the desktop tool's executable: its libraries'
# loading is part of every run, shown here on its own.
measure_start() {
  /usr/bin/time -o "$bench/time.txt" -f '%e %M' "$kerfel" --help >/dev/null 2>&1
  local t m
  read -r t m < "$bench/time.txt"
  printf '%-14s        %6.2f s                            peak %6.1f MB\n' "kerfel start" "$t" "$(calc "$m / 1024")"
}

measure_start
measure "kerfel export" "$bench/kerfel.zip" "$kerfel" export "$job" "$bench/kerfel.zip" --overwrite
measure "zip -r" "$bench/zip.zip" bash -c "cd '$out' && exec zip -r -q '$bench/zip.zip' photo"
