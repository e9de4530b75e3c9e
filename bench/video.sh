#!/usr/bin/env bash
# Framed-video export against the ffmpeg command line doing the same work:
# the same 1320 × 2868, 60 fps recording with stereo audio, the same device
# frame, the same encoder, preset and bit rate, and a filter graph that
# places the video, applies the opening mask and overlays the bezel.
#   bench/video.sh BUILD_DIR        (RUNS=3 by default; SECONDS10=10, SECONDS60=60)
# Prints the median wall times and their ratios (ours / ffmpeg), the share of
# the export spent compositing, and peak memory for a 10- and a 60-second
# recording.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
source "$here/lib.bash"
runs="${RUNS:-3}"
cadrelle="$build/cadrelle"
probe="$build/bench/programs/video_export_bench"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# The shipped frame whose opening is 1320 × 2868, and its opening as a mask
# for the filter graph (the transparent area flooded from the centre).
read -r frame width height x y < <(python3 - "$root/resources/Frames" <<'PY'
import json, sys
folder = sys.argv[1]
for f in json.load(open(folder + "/catalog.json")):
    s = f["screen"]
    if (s["width"], s["height"]) == (1320, 2868):
        print(folder + "/" + f["file"], f["pixelWidth"], f["pixelHeight"], s["x"], s["y"])
        break
PY
)
evenW=$(( (width + 1) / 2 * 2 ))
evenH=$(( (height + 1) / 2 * 2 ))
convert "$frame" -alpha extract -fill red -draw "color $((x + 660)),$((y + 1434)) floodfill" \
    -fill black +opaque red -fill white -opaque red -type Grayscale "$work/mask.png"

# Recordings as a simulator writes them: H.264 at 60 fps with stereo AAC.
make_recording() { # SECONDS OUTPUT
    ffmpeg -v error -y -f lavfi -i "testsrc2=size=1320x2868:rate=60:duration=$1" \
        -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=$1" \
        -f lavfi -i "sine=frequency=660:sample_rate=48000:duration=$1" \
        -filter_complex "[1:a][2:a]join=inputs=2:channel_layout=stereo[a]" \
        -map 0:v -map "[a]" -c:v libx264 -preset veryfast -crf 20 -pix_fmt yuv420p \
        -c:a aac -b:a 128k "$2"
}
make_recording "${SECONDS10:-10}" "$work/rec10.mp4"
make_recording "${SECONDS60:-60}" "$work/rec60.mp4"

# The bit-rate rule: 60 fps × width × height × 0.12 within 4–40 Mbit/s.
bitrate=$(python3 -c "print(int(min(max(60 * $evenW * $evenH * 0.12, 4e6), 4e7)))")
preset=fast   # CodecVideoSink::kX264Preset
lookahead=10  # CodecVideoSink::kX264Lookahead
place="[0:v]pad=$evenW:$evenH:$x:$y:black,format=yuva444p[v];[2:v]format=gray,pad=$evenW:${evenH}[m];[v][m]alphamerge[vm]"
tags="-color_primaries bt709 -color_trc bt709 -colorspace bt709"
# The still pictures loop for exactly as long as the recording lasts.
stills() { # INPUT
    local seconds
    seconds=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$1")
    echo "-loop 1 -framerate 60 -t $seconds -i $frame -loop 1 -framerate 60 -t $seconds -i $work/mask.png"
}
# The functions run in hyperfine's own bash, which gets no arrays: the still
# inputs and the colour tags are words of one string, split on purpose.
# shellcheck disable=SC2046,SC2086
ffmpeg_mp4() { # INPUT OUTPUT
    ffmpeg -v error -y -i "$1" $(stills "$1") \
        -filter_complex "$place;color=c=black:s=${evenW}x$evenH:r=60,format=yuva444p[bg];[bg][vm]overlay=shortest=1:format=yuv444[b];[b][1:v]overlay=shortest=1:format=yuv444,format=yuv420p[out]" \
        -map "[out]" -map 0:a -c:v libx264 -preset "$preset" -rc-lookahead "$lookahead" -profile:v high -bf 0 -b:v "$bitrate" $tags \
        -c:a aac -b:a 192k -movflags +faststart "$2"
}
# shellcheck disable=SC2046,SC2086 # as above
ffmpeg_prores() { # INPUT OUTPUT
    ffmpeg -v error -y -i "$1" $(stills "$1") \
        -filter_complex "$place;[vm][1:v]overlay=shortest=1:format=yuv444,format=yuva444p10le[out]" \
        -map "[out]" -map 0:a -c:v prores_ks -profile:v 4444 -vendor apl0 -pix_fmt yuva444p10le $tags \
        -c:a aac -b:a 192k -movflags +faststart "$2"
}
export -f stills ffmpeg_mp4 ffmpeg_prores
export frame work place tags bitrate preset lookahead evenW evenH

time_pair() { # NAME FORMAT EXTENSION PEER
    local name=$1 format=$2 ext=$3 peer=$4
    hyperfine --runs "$runs" --style none --export-json "$work/$name-ours.json" \
        --prepare "rm -f '$work/ours.$ext'" \
        "'$cadrelle' frame --input '$work/rec10.mp4' --frame '$frame' --output '$work/ours.$ext' --video-format $format" \
        >/dev/null
    hyperfine --shell bash --runs "$runs" --style none --export-json "$work/$name-peer.json" \
        --prepare "rm -f '$work/peer.$ext'" "bash -c '$peer $work/rec10.mp4 $work/peer.$ext'" \
        >/dev/null
    local ours peer_s
    ours=$(median_seconds "$work/$name-ours.json")
    peer_s=$(median_seconds "$work/$name-peer.json")
    echo "$name: cadrelle ${ours} s, ffmpeg ${peer_s} s, ratio $(ratio "$ours" "$peer_s") (median of $runs)"
    eval "${name}_ours=$ours"
}

echo "recording 1320x2868 60 fps ${SECONDS10:-10} s stereo; frame ${width}x$height; x264 preset $preset, $bitrate bit/s"
time_pair mp4 mp4 mp4 ffmpeg_mp4
time_pair prores prores-4444 mov ffmpeg_prores

for format in mp4 prores-4444; do
    line=$("$probe" composite "$work/rec10.mp4" "$frame" "$format")
    cpu=$(sed -E 's/.*cpu ([0-9.]+) s.*/\1/' <<<"$line")
    # shellcheck disable=SC2154 # mp4_ours and prores_ours are set by time_pair
    total=$([[ $format == mp4 ]] && echo "$mp4_ours" || echo "$prores_ours")
    echo "compositing $format: $cpu s CPU for the whole recording, $(python3 -c "print('%.1f' % (100 * $cpu / $total))")% of the export's wall time"
done

rm -f "$work/ours.mp4" "$work/ours60.mp4" "$work/peer.mp4"
ours10=$(peak_kib "$cadrelle" frame --input "$work/rec10.mp4" --frame "$frame" --output "$work/ours.mp4")
ours60=$(peak_kib "$cadrelle" frame --input "$work/rec60.mp4" --frame "$frame" --output "$work/ours60.mp4")
peer10=$(peak_kib bash -c "ffmpeg_mp4 $work/rec10.mp4 $work/peer.mp4")
echo "peak memory mp4: cadrelle 10 s $((ours10 / 1024)) MiB, 60 s $((ours60 / 1024)) MiB; ffmpeg 10 s $((peer10 / 1024)) MiB; ratio $(ratio "$ours10" "$peer10")"
