#!/usr/bin/env bash
# The recording preview on a transparent movie as the preview window shows
# it: a 10-second ProRes 4444 movie of the iPhone 16 Pro Max (recording
# 1320 × 2868, RATE frames per second, 60 by default), framed by
# `cadrelle frame`, played once from the start in a 570 × 720 window.
# FORMAT=mp4 frames it as an MP4 with a black background instead.
#   bench/preview.sh BUILD_FOLDER
# Prints the time until its first picture is on screen and how many of its
# pictures reached the screen while it played, beside the rate at which the
# ffmpeg command line only decodes the same movie on this machine (a ceiling
# for any player). Runs offscreen.
set -euo pipefail
build="$(cd "${1:-build}" && pwd)"
rate="${RATE:-60}"
case "${FORMAT:-prores-4444}" in
prores-4444) format=prores-4444 movie=framed.mov ;;
mp4) format=mp4 movie=framed.mp4 ;;
*) echo "FORMAT is prores-4444 or mp4" >&2 && exit 2 ;;
esac
frames="$build/share/cadrelle/Frames"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

frame="$(python3 - "$frames/catalog.json" <<'PY'
import json, sys
record = next(r for r in json.load(open(sys.argv[1]))
              if r["model"] == "iPhone 16 Pro Max" and r["screen"]["height"] > r["screen"]["width"])
print(record["file"])
PY
)"
ffmpeg -v error -y -f lavfi -i "testsrc2=size=1320x2868:rate=$rate" -t 10 -pix_fmt yuv420p \
    "$work/recording.mp4"
"$build/cadrelle" frame --input "$work/recording.mp4" --frame "$frames/$frame" \
    --output "$work/$movie" --video-format "$format" >/dev/null

QT_QPA_PLATFORM=offscreen "$build/bench/programs/preview-bench" "$work/$movie" "$rate" \
    2>/dev/null >"$work/result"
start=$(date +%s.%N)
ffmpeg -v error -i "$work/$movie" -f null -
decoded=$(python3 -c "print('%.1f' % ($rate * 10 / ($(date +%s.%N) - $start)))")
value() { awk -v key="$1" '$1 == key { print $2 }' "$work/result"; }
echo "first picture on screen: $(value first_frame_ms) ms (goal < 300 ms)"
echo "playback: $(value presented_frames) of $(value movie_frames) pictures shown in" \
    "$(value playback_seconds) s, $(value presented_fps) per second (goal $rate)"
echo "dropped: $(value dropped_frames) (goal 0); pictures the player delivered:" \
    "$(value delivered_frames)"
echo "ceiling: ffmpeg decodes the movie alone at $decoded pictures per second"
