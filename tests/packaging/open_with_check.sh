#!/usr/bin/env bash
# `kerfel PHOTO` as the desktop's "Open With" runs it, on the current display:
# the window must show the photo's thumbnail. PHOTO must be pure magenta.
#   open_with_check.sh KERFEL PHOTO
set -euo pipefail
kerfel=$1 photo=$2
shot=$(mktemp /tmp/kerfel-open-with-XXXXXX.png)
magenta() {  # pixels of the photo's colour on the screen
  import -window root "$shot" 2>/dev/null
  convert "$shot" -fuzz 10% -fill black +opaque '#ff00ff' -fill white -opaque '#ff00ff' -format '%[fx:int(mean*w*h)]' info:
}
[[ $(magenta) == 0 ]] || { echo "open_with_check: magenta on the screen before the start" >&2; exit 1; }
"$kerfel" "$photo" 2>"$shot.log" &
pid=$!
seen=0
for _ in $(seq 40); do
  sleep 0.5
  kill -0 "$pid" 2>/dev/null || break
  seen=$(magenta)
  ((seen > 4000)) && break
done
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
rm -f "$shot"
if ((seen <= 4000)); then
  echo "open_with_check: the photo's thumbnail did not show ($seen pixels)" >&2
  cat "$shot.log" >&2
  rm -f "$shot.log"
  exit 1
fi
rm -f "$shot.log"
echo "open_with_check: thumbnail shown ($seen pixels)"
