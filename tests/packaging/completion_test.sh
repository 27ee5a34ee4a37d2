#!/usr/bin/env bash
# The bash completion, asked as bash asks it:  completion_test.sh SCRIPT
# Without -e: bash runs completions so, and compgen fails where nothing matches.
set -uo pipefail
source "$1" || exit 1
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
mkdir photos out
touch photos/a.jpg photos/b.JPEG photos/notes.txt music.mp3
failed=0

# Completes the words (the last one under the cursor) and compares the sorted answers.
expect() {  # "WORD ..." "ANSWER ..."
  read -ra COMP_WORDS <<<"$1"
  [[ $1 == *" " ]] && COMP_WORDS+=("")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _kerfel
  local got
  got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | paste -sd' ')
  if [[ "$got" != "$2" ]]; then
    echo "FAIL '$1': got '$got', expected '$2'"
    failed=1
  fi
}

expect "kerfel e" "export"
expect "kerfel --v" "--version"
expect "kerfel help m" "make"
expect "kerfel photos/" "photos/a.jpg photos/b.JPEG"
expect "kerfel make --th" "--threads"
expect "kerfel make --memory-limit " ""
expect "kerfel make --layout " "dzi iiif2 iiif3 kerfel"
expect "kerfel make --layout iiif" "iiif2 iiif3"
expect "kerfel make --layout d" "dzi"
expect "kerfel make --tile" "--tile-size"
expect "kerfel make --overlap " ""
expect "kerfel make --qu" "--quality --quiet"
expect "kerfel info --layout k" "kerfel"
expect "kerfel make photos/" "photos/a.jpg photos/b.JPEG"
expect "kerfel make photos/a.jpg o" "out"
expect "kerfel make --levels 2 photos/a.jpg --small-map o" "out"
expect "kerfel make photos/a.jpg out --music m" "music.mp3"
expect "kerfel info --j" "--json"
expect "kerfel export out --root o" "out"
expect "kerfel export --o" "--overwrite"
exit $failed
