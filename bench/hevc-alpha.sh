#!/usr/bin/env bash
# Transparent HEVC export (two x265 encodes joined into one two-layer track)
# against the MP4 export of the same recording, and its file size next to
# ProRes 4444's. The recording: 10 s at 60 frames per second, 750 × 1334
# (the sample phone's opening), moving test pattern with stereo audio.
# Then the peak memory of both exports of an iPad Pro 13-inch recording
# (2064 × 2752, 60 frames per second), and of the HEVC export of one twice as
# long, whose peak must not grow. The machine's load is printed with the
# numbers.
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
echo "load average (1, 5, 15 min): $(cut -d' ' -f1-3 /proc/loadavg)"
size() { stat -c %s "$1"; }
echo "mp4 export:          ${mp4} s  $(size "$work/out-mp4.mp4") bytes"
echo "hevc-alpha export:   ${hevc} s  $(size "$work/out-hevc-alpha.mov") bytes"
echo "prores-4444 export:  ${prores} s  $(size "$work/out-prores-4444.mov") bytes"
echo "hevc-alpha / mp4 time:    $(ratio "$hevc" "$mp4") (limit 1.6)"
echo "hevc-alpha / prores size: $(ratio "$(size "$work/out-hevc-alpha.mov")" "$(size "$work/out-prores-4444.mov")")"

ipad_frame="$(python3 - "$here/../resources/Frames" <<'EOF'
import json, sys
for entry in json.load(open(sys.argv[1] + "/catalog.json")):
    if entry["name"] == "iPad Pro 13-inch (M5) \u2014 Silver" and entry["pixelWidth"] < entry["pixelHeight"]:
        print(sys.argv[1] + "/" + entry["file"])
EOF
)"
ffmpeg -v error -f lavfi -i testsrc2=size=2064x2752:rate=60 \
    -f lavfi -i sine=frequency=440:sample_rate=44100 -t 6 -ac 2 \
    -c:v libx264 -preset veryfast -pix_fmt yuv420p -c:a aac "$work/ipad-6s.mp4"
ffmpeg -v error -i "$work/ipad-6s.mp4" -t 3 -c copy "$work/ipad-3s.mp4"
peak() { # format extension recording
    rm -f "$work/peak.$2"
    peak_kib "$cadrelle" frame --input "$3" --frame "$ipad_frame" --output "$work/peak.$2" \
        --video-format "$1"
}
mp4_peak=$(peak mp4 mp4 "$work/ipad-3s.mp4")
hevc_peak=$(peak hevc-alpha mov "$work/ipad-3s.mp4")
hevc_long_peak=$(peak hevc-alpha mov "$work/ipad-6s.mp4")
echo "iPad Pro 13-inch, 3 s, peak memory: mp4 ${mp4_peak} KiB, hevc-alpha ${hevc_peak} KiB"
echo "hevc-alpha / mp4 peak:     $(ratio "$hevc_peak" "$mp4_peak") (limit 1.3)"
echo "hevc-alpha peak 6 s / 3 s: $(ratio "$hevc_long_peak" "$hevc_peak")"
echo "load average (1, 5, 15 min): $(cut -d' ' -f1-3 /proc/loadavg)"
