#!/usr/bin/env bash
# `cadrelle frame` of 1320 × 2868 screenshots into a 1440 × 3000 frame against
# libvips and ImageMagick making the same composite from the same PNGs, for
# three kinds of screenshot (flat interface, photos, full-screen grainy
# gradient), and `inspect-frame` of a 10000 × 2400 frame. Medians of RUNS runs
# (default 5). The goal for each kind: time at most 0.8 × libvips and size at
# most 0.97 × ImageMagick's default output, and smaller than libvips' output.
#   bench/frame.sh BUILD_FOLDER
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/lib.bash"
build="$(cd "${1:-build}" && pwd)"
runs="${RUNS:-5}"
cadrelle="$build/cadrelle"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"

QT_QPA_PLATFORM=offscreen "$build/tools/make-samples" bench "$work" >/dev/null
frame="$work/Benchmark Phone - Black - Portrait.png"
read -r x y width height < <("$cadrelle" inspect-frame --input "$frame" |
    python3 -c 'import json,sys; s=json.load(sys.stdin)["screen"]; print(s["x"], s["y"], s["width"], s["height"])')

echo "frame ${width}x${height} into 1440x3000, median of $runs runs"
echo "  load average before the runs: $(cut -d' ' -f1-3 /proc/loadavg), cores: $(nproc)"

# bench_kind KIND: one screenshot of that kind framed by all three programs.
bench_kind() {
    local kind="$1" shot="$work/$1.png"
    QT_QPA_PLATFORM=offscreen "$build/tools/make-samples" screenshot "$width" "$height" "$shot" \
        2868 "$kind" >/dev/null
    # The peers draw the screenshot behind the frame at the opening's position.
    hyperfine --style none --runs "$runs" --warmup 1 \
        --prepare 'rm -f c.png v.png m.png' \
        --export-json cadrelle.json "'$cadrelle' frame --input '$shot' --frame '$frame' --output c.png" \
        >/dev/null
    hyperfine --style none --runs "$runs" --warmup 1 --prepare 'rm -f v.png' \
        --export-json vips.json "vips composite2 '$frame' '$shot' v.png dest-over --x $x --y $y" \
        >/dev/null
    hyperfine --style none --runs "$runs" --warmup 1 --prepare 'rm -f m.png' \
        --export-json magick.json \
        "convert '$frame' '$shot' -geometry +$x+$y -compose DstOver -composite m.png" >/dev/null

    local c v m cs vs ms cp vp mp
    c=$(median_seconds cadrelle.json)
    v=$(median_seconds vips.json)
    m=$(median_seconds magick.json)
    cs=$(stat -c %s c.png); vs=$(stat -c %s v.png); ms=$(stat -c %s m.png)

    rm -f c.png v.png m.png
    cp=$(peak_kib "$cadrelle" frame --input "$shot" --frame "$frame" --output c.png)
    vp=$(peak_kib vips composite2 "$frame" "$shot" v.png dest-over --x "$x" --y "$y")
    mp=$(peak_kib convert "$frame" "$shot" -geometry "+$x+$y" -compose DstOver -composite m.png)
    rm -f c.png v.png m.png

    echo "  $kind screenshot"
    echo "    cadrelle     ${c} s   ${cs} bytes   peak ${cp} KiB"
    echo "    libvips      ${v} s   ${vs} bytes   peak ${vp} KiB"
    echo "    ImageMagick  ${m} s   ${ms} bytes   peak ${mp} KiB"
    echo "    $kind: time / libvips $(ratio "$c" "$v") (at most 0.800)," \
        "size / ImageMagick $(ratio "$cs" "$ms") (at most 0.970)," \
        "size / libvips $(ratio "$cs" "$vs") (below 1.000)"
}

for kind in flat photo noise; do
    bench_kind "$kind"
done
echo "  load average after the runs: $(cut -d' ' -f1-3 /proc/loadavg)"

# A 10000 × 2400 frame: a 9800 × 2200 opening in a 100-pixel opaque border.
convert -size 9800x2200 xc:none -compose Copy -bordercolor '#202020' -border 100 PNG32:wide.png
hyperfine --style none --runs "$runs" --export-json inspect.json \
    "'$cadrelle' inspect-frame --input wide.png" >/dev/null
ip=$(peak_kib "$cadrelle" inspect-frame --input wide.png)
echo "inspect-frame 10000x2400: $(median_seconds inspect.json) s, peak ${ip} KiB"
