#!/usr/bin/env bash
# `cadrelle compose` of 20 store images (2 locales × 5 screens × 2 sizes) from
# already framed 1320 × 2868 captures, against ImageMagick making each image
# with one `convert` (the same gradient, the framed capture scaled and placed
# where compose puts it, the title and subtitle in the same fonts, flattened
# to RGB), the 20 run one after another. Medians of RUNS runs (default 5),
# per image. The goal: at most 0.2 × ImageMagick's time and at most 1.0 ×
# its bytes.
#   bench/compose.sh BUILD_FOLDER
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/lib.bash"
build="$(cd "${1:-build}" && pwd)"
runs="${RUNS:-5}"
cadrelle="$build/cadrelle"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"

# Five screens of the three kinds, framed once with the shipped frames.
mkdir -p shots framed
kinds=(flat photo noise photo flat)
for i in 0 1 2 3 4; do
    QT_QPA_PLATFORM=offscreen "$build/tools/make-samples" screenshot 1320 2868 \
        "shots/Simulator Screenshot - iPhone 17 Pro Max - screen$i.png" $((i + 3)) "${kinds[i]}" \
        >/dev/null
done
"$cadrelle" frame-all --output framed shots/*.png >/dev/null 2>&1

cat > en.json <<'JSON'
{"t0": "Frame every capture", "s0": "Screenshots framed as you take them",
 "t1": "Store images in seconds", "s1": "Every locale, every size",
 "t2": "Straight from CI", "s2": "One command, no web service",
 "t3": "Right-to-left too", "s3": "Arabic and Hebrew read from the right",
 "t4": "Your fonts", "s4": "Any family fontconfig knows"}
JSON
cat > de.json <<'JSON'
{"t0": "Jede Aufnahme im Rahmen", "s0": "Gerahmt, sobald Sie sie machen",
 "t1": "Store-Bilder in Sekunden", "s1": "Jede Sprache, jede Größe",
 "t2": "Direkt aus der CI", "s2": "Ein Befehl, kein Webdienst",
 "t3": "Auch von rechts nach links", "s3": "Arabisch und Hebräisch",
 "t4": "Ihre Schriften", "s4": "Jede Familie, die fontconfig kennt"}
JSON
python3 - > store.json <<'PY'
import json
screens = [{"name": f"screen{i}", "capture": f"*screen{i}-framed*.png",
            "title": f"t{i}", "subtitle": f"s{i}"} for i in range(5)]
print(json.dumps({
    "sizes": ["iphone-6.9", "iphone-6.5"],
    "background": {"gradient": {"angle": 180, "stops": ["#1D2B64", "#F8739B"]}},
    "caption": {"margin": 0.06, "gap": 0.015,
                "title": {"font": "DejaVu Sans", "weight": 700, "size": 0.034, "maxLines": 1},
                "subtitle": {"font": "DejaVu Sans", "size": 0.019, "maxLines": 1}},
    "device": {"height": 0.72, "width": 0.86, "margin": 0.03},
    "screens": screens,
    "locales": {"en": {"strings": "en.json", "captures": "framed"},
                "de": {"strings": "de.json", "captures": "framed"}}}))
PY

# The same images with ImageMagick: one convert per image, placed as
# compose places them (the device box at the bottom, the caption at the top).
python3 - > magick.sh <<'PY'
import glob, json, shlex, subprocess
sizes = {"iphone-6.9": (1320, 2868), "iphone-6.5": (1284, 2778)}
print("set -e")
for locale in ("en", "de"):
    strings = json.load(open(f"{locale}.json"))
    for name, (w, h) in sizes.items():
        for i in range(5):
            framed = glob.glob(f"framed/*screen{i}-framed*.png")[0]
            fw, fh = map(int, subprocess.check_output(
                ["identify", "-format", "%w %h", framed]).split())
            box_w, box_h = 0.86 * w, 0.72 * h
            scale = min(box_w / fw, box_h / fh)
            dw, dh = round(fw * scale), round(fh * scale)
            x, y = round((w - dw) / 2), round(h - 0.03 * h - box_h)
            title, subtitle = round(0.034 * h), round(0.019 * h)
            top = round(0.06 * h)
            out = f"m/{locale}/{name}/{i + 1:02d}-screen{i}.png"
            print(f"mkdir -p m/{locale}/{name}")
            print(" ".join([
                "convert", "-size", f"{w}x{h}", "gradient:#1D2B64-#F8739B",
                "(", shlex.quote(framed), "-resize", f"{dw}x{dh}!", ")",
                "-geometry", f"+{x}+{y}", "-composite",
                "-gravity", "north", "-fill", "white",
                "-font", "DejaVu-Sans-Bold", "-pointsize", str(title),
                "-annotate", f"+0+{top}", shlex.quote(strings[f"t{i}"]),
                "-font", "DejaVu-Sans", "-pointsize", str(subtitle),
                "-annotate", f"+0+{top + round(title * 1.2 + 0.015 * h)}",
                shlex.quote(strings[f"s{i}"]),
                "-alpha", "off", f"PNG24:{out}"]).replace("(", "\\(").replace(")", "\\)"))
PY

echo "compose 2 locales x 5 screens x 2 sizes (20 images), median of $runs runs"
echo "  load average before the runs: $(cut -d' ' -f1-3 /proc/loadavg), cores: $(nproc)"
hyperfine --style none --runs "$runs" --warmup 1 --prepare 'rm -rf c' \
    --export-json cadrelle.json "'$cadrelle' compose --config store.json --output c" >/dev/null
hyperfine --style none --runs "$runs" --warmup 1 --prepare 'rm -rf m' \
    --export-json magick.json "bash magick.sh" >/dev/null

c=$(median_seconds cadrelle.json)
m=$(median_seconds magick.json)
cb=$(find c -name '*.png' -printf '%s\n' | awk '{s += $1} END {print s}')
mb=$(find m -name '*.png' -printf '%s\n' | awk '{s += $1} END {print s}')
per() { python3 -c 'import sys; print("%.3f" % (float(sys.argv[1]) / 20))' "$1"; }
echo "  per image:"
echo "    cadrelle     $(per "$c") s   $((cb / 20)) bytes"
echo "    ImageMagick  $(per "$m") s   $((mb / 20)) bytes"
echo "  time / ImageMagick $(ratio "$c" "$m") (at most 0.200)," \
    "bytes / ImageMagick $(ratio "$cb" "$mb") (at most 1.000)"
echo "  load average after the runs: $(cut -d' ' -f1-3 /proc/loadavg)"
