#!/usr/bin/env bash
# The batch recipe of docs/batch.md, run as the document gives it on 20 small
# pictures: killed (SIGKILL, parallel and its jobs) half way, then run again.
# Every picture must end as one complete job folder, done exactly once by the
# log, with nothing half-made left anywhere.
#   batch_test.sh docs/batch.md      (the `kerfel` to test comes first on PATH)
set -euo pipefail
doc=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
recipe=$(awk '/<!-- batch-recipe/ { found = 1; next }
              found && /^```sh/ { inside = 1; next }
              inside && /^```/ { exit }
              inside' "$doc")
[[ -n $recipe ]] || { echo "batch_test: no recipe in $doc" >&2; exit 1; }
work=$(mktemp -d /tmp/kerfel-batch-XXXXXX)
trap 'rm -rf "$work"' EXIT
cd "$work"
fail() { echo "batch_test: $*" >&2; exit 1; }

mkdir photos
for i in $(seq -w 1 20); do
  n=$((10#$i * 12))
  convert -size 900x700 "gradient:rgb($n,40,90)-rgb(240,190,$n)" -quality 85 "photos/view $i.jpg"
done
tiles=$(kerfel info --json "photos/view 01.jpg" | sed 's/.*"total_tiles":\([0-9]*\).*/\1/')

finished() { [[ -f out/jobs.log ]] && echo $(($(wc -l <out/jobs.log) - 1)) || echo 0; }

# First run, in a session of its own so that one kill takes parallel and every job.
setsid bash -c "$recipe" >run1.log 2>&1 &
run=$!
for _ in $(seq 1200); do
  (($(finished) >= 10)) && break
  sleep 0.02
done
kill -KILL -- "-$run" 2>/dev/null || true
wait "$run" 2>/dev/null || true
done_first=$(finished)
((done_first >= 10 && done_first < 20)) || fail "the first run was not stopped half way ($done_first of 20 done)"
cut_short=$(ls -A out/.part | wc -l)

# Second run: the same command.
bash -c "$recipe" >run2.log 2>&1 || { cat run2.log >&2; fail "the resumed run failed"; }

# Exactly one successful record per picture.
succeeded=$(awk -F'\t' 'NR > 1 && $7 == 0' out/jobs.log | wc -l)
distinct=$(awk -F'\t' 'NR > 1 && $7 == 0 { print $1 }' out/jobs.log | sort -u | wc -l)
((succeeded == 20 && distinct == 20)) || fail "$succeeded successful records for $distinct jobs, expected 20"
# Every job folder complete: descriptor, viewer, every tile a whole JPEG.
for i in $(seq -w 1 20); do
  job="out/view $i"
  [[ -s $job/ImageKerfel.xml && -s $job/index.html ]] || fail "$job is not complete"
  count=$(find "$job/Images" -name '*.jpg' | wc -l)
  ((count == tiles)) || fail "$job has $count tiles, expected $tiles"
  for tile in "$job"/Images/*.jpg; do
    [[ $(tail -c 2 "$tile" | od -An -tx1 | tr -d ' ') == ffd9 ]] || fail "$tile is cut short"
  done
done
leftovers=$(find out -mindepth 1 -maxdepth 2 ! -path 'out/jobs.log' ! -path 'out/.part' ! -path 'out/view *' |
            grep -v '^out/view [0-9]*/' || true)
[[ -z $leftovers && -z $(ls -A out/.part) ]] || fail "left over: $leftovers $(ls -A out/.part)"
echo "batch_test: killed after $done_first of 20 jobs ($cut_short cut short), resumed; 20 jobs complete, each once"
