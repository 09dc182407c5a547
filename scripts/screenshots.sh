#!/usr/bin/env bash
# Screenshots of the program under a private X server, saved into shots/:
#   main-empty.png      the program as it starts (the real executable)
#   main-window.png, main-list.png, main-converting.png, main-done.png, options.png,
#   feedback*.png, artwork.png   through the screenshot helper, which drives the same windows
# in Chinese (the C locale), and the same again in English as en-*.png (an English locale).
# Usage: scripts/screenshots.sh [program [helper]]
#   program  the built executable (default build/program/tunoxa)
#   helper   the screenshot helper (default build/tests/ui/tunoxa_shots)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
program=$(realpath -m "${1:-$root/build/program/tunoxa}")
helper=$(realpath -m "${2:-$(dirname "$program")/../tests/ui/tunoxa_shots}")
shots=$root/shots

[ -x "$program" ] || { echo "not found: $program (build first)" >&2; exit 1; }
if [ ! -x "$helper" ]; then
  echo "not found: $helper (built with the tests); only the program's own window is taken" >&2
  helper=
fi
command -v xvfb-run >/dev/null || { echo "xvfb-run is missing (scripts/install-deps.sh)" >&2; exit 1; }

# A private copy of the program folder: the program writes its settings and outputs there, and
# a private cache keeps its work folder and single-instance lock apart from a running copy.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cp -a "$(dirname "$program")" "$scratch/program"
[ -z "$helper" ] || cp "$helper" "$scratch/program/"
export XDG_CACHE_HOME=$scratch/cache
mkdir -p "$shots" "$scratch/music"

# Two FLAC files, long enough to convert while the helper photographs the run.
sox -n -r 44100 -c 2 -b 16 "$scratch/music/第一首 歌.flac" synth 240 sine 440 vol 0.3
sox -n -r 44100 -c 2 -b 16 "$scratch/music/Second Song.flac" synth 240 sine 660 vol 0.3

unset LANGUAGE
locales=(C.UTF-8 en_US.UTF-8)
prefixes=("$shots/" "$shots/en-")
for k in "${!locales[@]}"; do
  LC_ALL=${locales[k]} xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    set -u
    "$1/program/tunoxa" & pid=$!
    sleep 3
    id=$(xwininfo -root -tree | awk "/\"Tunoxa \"/ {print \$1; exit}")
    if [ -n "$id" ]; then import -window "$id" "$2main-empty.png"; else import -window root "$2main-empty.png"; fi
    kill $pid; wait $pid 2>/dev/null
    [ -x "$1/program/tunoxa_shots" ] || exit 0
    cd "$1/program" && ./tunoxa_shots "$2" "$1/music/第一首 歌.flac" "$1/music/Second Song.flac"
  ' screenshots "$scratch" "${prefixes[k]}"
done

ls -l "$shots"
