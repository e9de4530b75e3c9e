#!/usr/bin/env bash
# `cadrelle frame` of a 1320 × 2868 screenshot into a 1440 × 3000 frame against
# libvips and ImageMagick making the same composite from the same PNGs, and
# `inspect-frame` of a 10000 × 2400 frame. Medians of RUNS runs (default 5).
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
shot="$work/benchmark-screenshot.png"
read -r x y < <("$cadrelle" inspect-frame --input "$frame" |
    python3 -c 'import json,sys; s=json.load(sys.stdin)["screen"]; print(s["x"], s["y"])')

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

c=$(median_seconds cadrelle.json)
v=$(median_seconds vips.json)
m=$(median_seconds magick.json)
faster=$(python3 -c "print(min($v, $m))")
cs=$(stat -c %s c.png); vs=$(stat -c %s v.png); ms=$(stat -c %s m.png)
smaller=$(( vs < ms ? vs : ms ))

rm -f c.png v.png m.png
cp=$(peak_kib "$cadrelle" frame --input "$shot" --frame "$frame" --output c.png)
vp=$(peak_kib vips composite2 "$frame" "$shot" v.png dest-over --x "$x" --y "$y")
mp=$(peak_kib convert "$frame" "$shot" -geometry +$x+$y -compose DstOver -composite m.png)

echo "frame 1320x2868 into 1440x3000, median of $runs runs"
echo "  cadrelle     ${c} s   ${cs} bytes   peak ${cp} KiB"
echo "  libvips      ${v} s   ${vs} bytes   peak ${vp} KiB"
echo "  ImageMagick  ${m} s   ${ms} bytes   peak ${mp} KiB"
echo "  time ratio (cadrelle / faster peer): $(ratio "$c" "$faster")"
echo "  size ratio (cadrelle / smaller peer): $(ratio "$cs" "$smaller")"

# A 10000 × 2400 frame: a 9800 × 2200 opening in a 100-pixel opaque border.
convert -size 9800x2200 xc:none -compose Copy -bordercolor '#202020' -border 100 PNG32:wide.png
hyperfine --style none --runs "$runs" --export-json inspect.json \
    "'$cadrelle' inspect-frame --input wide.png" >/dev/null
ip=$(peak_kib "$cadrelle" inspect-frame --input wide.png)
echo "inspect-frame 10000x2400: $(median_seconds inspect.json) s, peak ${ip} KiB"
