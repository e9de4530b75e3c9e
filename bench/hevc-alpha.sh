#!/usr/bin/env bash
# Transparent HEVC export (two x265 encodes joined into one two-layer track)
# against the MP4 export of the same recording, and its file size next to
# ProRes 4444's. The recording: 10 s at 60 frames per second, 750 × 1334
# (the sample phone's opening), moving test pattern with stereo audio.
#   bench/hevc-alpha.sh BUILD_DIR
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/lib.bash"
build="$(cd "${1:-build}" && pwd)"
cadrelle="$build/cadrelle"
frame="$here/../resources/samples/Sample Phone - Graphite - Portrait.png"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

ffmpeg -v error -f lavfi -i testsrc2=size=750x1334:rate=60 \
    -f lavfi -i sine=frequency=440:sample_rate=44100 -t 10 -ac 2 \
    -c:v libx264 -preset veryfast -pix_fmt yuv420p -c:a aac "$work/in.mp4"

run() { # format extension
    hyperfine --runs 3 --warmup 1 --style none --export-json "$work/$1.json" \
        --prepare "rm -f '$work/out-$1.$2'" \
        "'$cadrelle' frame --input '$work/in.mp4' --frame '$frame' --output '$work/out-$1.$2' --video-format $1" \
        >/dev/null
    median_seconds "$work/$1.json"
}

mp4=$(run mp4 mp4)
hevc=$(run hevc-alpha mov)
prores=$(run prores-4444 mov)
size() { stat -c %s "$1"; }
echo "mp4 export:          ${mp4} s  $(size "$work/out-mp4.mp4") bytes"
echo "hevc-alpha export:   ${hevc} s  $(size "$work/out-hevc-alpha.mov") bytes"
echo "prores-4444 export:  ${prores} s  $(size "$work/out-prores-4444.mov") bytes"
echo "hevc-alpha / mp4 time:    $(ratio "$hevc" "$mp4") (limit 1.6)"
echo "hevc-alpha / prores size: $(ratio "$(size "$work/out-hevc-alpha.mov")" "$(size "$work/out-prores-4444.mov")")"
