#!/bin/sh
# Makes the completion chime: two soft bell tones, a fourth apart, fading out.
set -e
sox="$1"
out="$2"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$sox" -n -r 44100 -c 1 -b 16 "$tmp/a.wav" synth 0.9 sine 880 sine 1760 remix 1-2 fade q 0.01 0.9 0.8 vol 0.35
"$sox" -n -r 44100 -c 1 -b 16 "$tmp/b.wav" synth 1.2 sine 1174.66 sine 2349.32 remix 1-2 fade q 0.01 1.2 1.1 vol 0.35
"$sox" "$tmp/a.wav" "$tmp/b.wav" -c 2 "$out" splice -q 0.18 reverb 20
