#!/usr/bin/env bash
# frame-all of 20 screenshots of mixed devices against 20 sequential
# `cadrelle frame` runs of the same screenshots with the same shipped frames.
#   bench/frame-all.sh BUILD_FOLDER
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/lib.bash"
build="$(cd "${1:-build}" && pwd)"
cadrelle="$build/cadrelle"
frames="$build/share/cadrelle/Frames"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Twenty screenshots: every shipped model in portrait, the first four again in
# landscape, each named as the simulator names them so the model decides.
python3 - "$frames/catalog.json" > "$work/plan.tsv" <<'PY'
import json, sys
catalog = json.load(open(sys.argv[1]))
models = []
for record in catalog:
    if record["model"] not in models:
        models.append(record["model"])
plan = [(m, False) for m in models] + [(m, True) for m in models[:4]]
for number, (model, landscape) in enumerate(plan[:20]):
    finish = "Silver"
    record = next(r for r in catalog if r["model"] == model and r["color"] == finish
                  and (r["screen"]["width"] > r["screen"]["height"]) == landscape)
    print("\t".join([f"Simulator Screenshot - {model} - 2026-01-01 at 10.00.{number:02d}.png",
                     str(record["screen"]["width"]), str(record["screen"]["height"]),
                     record["file"]]))
PY
mkdir -p "$work/in"
sequential="$work/sequential.sh"
echo 'set -e' > "$sequential"
captures=()
seed=1
while IFS=$'\t' read -r name width height file; do
    "$build/tools/make-samples" screenshot "$width" "$height" "$work/in/$name" "$seed" >/dev/null 2>&1
    seed=$((seed + 1))
    captures+=("$work/in/$name")
    printf '%q frame --input %q --frame %q --output %q\n' "$cadrelle" "$work/in/$name" \
        "$frames/$file" "$work/out/$name" >> "$sequential"
done < "$work/plan.tsv"

load_before="$(cut -d' ' -f1-3 /proc/loadavg)"
hyperfine --runs 5 --warmup 1 --style none \
    --prepare "rm -rf '$work/out' && mkdir '$work/out'" \
    --export-json "$work/sequential.json" "bash '$sequential'" >/dev/null
batch=("$cadrelle" frame-all --output "$work/out" "${captures[@]}")
printf -v batch_command '%q ' "${batch[@]}"
hyperfine --runs 5 --warmup 1 --style none \
    --prepare "rm -rf '$work/out'" \
    --export-json "$work/batch.json" "$batch_command 2>/dev/null" >/dev/null

sequential_s="$(median_seconds "$work/sequential.json")"
batch_s="$(median_seconds "$work/batch.json")"
rm -rf "$work/out"
batch_peak="$(peak_kib "${batch[@]}")"
echo "frame-all of 20 mixed screenshots: ${batch_s} s (median of 5), peak ${batch_peak} KiB"
echo "20 sequential cadrelle frame runs: ${sequential_s} s (median of 5)"
echo "ratio frame-all / sequential: $(ratio "$batch_s" "$sequential_s") (must be at most 0.600)"
# CPU seconds (user + system, mean of the runs): on a busy machine the wall
# time ratio suffers while the work done stays the same.
cpu_seconds() {
    python3 -c 'import json,sys; r=json.load(open(sys.argv[1]))["results"][0]; print("%.3f" % (r["user"] + r["system"]))' "$1"
}
echo "CPU time: frame-all $(cpu_seconds "$work/batch.json") s, sequential $(cpu_seconds "$work/sequential.json") s"
echo "cores: $(nproc), load average before the runs: ${load_before}"
