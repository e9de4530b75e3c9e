#!/usr/bin/env bash
# The capture watcher through `cadrelle watch`:
#   latency   a screenshot copied into the watched folder (written and closed)
#             until `watch` prints its framed path (median of 20; goal 0.45 s),
#             and next to it libvips making the same composite from the same
#             screenshot, run right after each one: this machine's speed
#             changes from minute to minute, the ratio much less
#   idle      CPU use of `watch` over 60 s on a folder with 5,000 unrelated
#             files and 1,000 handled captures
#   hashing   capture fingerprint throughput on a warm 1 GB file next to
#             sha256sum on the same file
#   bench/watch.sh BUILD_FOLDER
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/lib.bash"
build="$(cd "${1:-build}" && pwd)"
cadrelle="$build/cadrelle"
frames="$build/share/cadrelle/Frames"
work="$(mktemp -d)"
watcher=""
cleanup() {
    if [ -n "$watcher" ]; then kill "$watcher" 2>/dev/null || true; wait "$watcher" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT
export XDG_STATE_HOME="$work/state"

# A shipped portrait frame and its opening size.
IFS=$'\t' read -r width height model file x y < <(python3 - "$frames/catalog.json" <<'PY'
import json, sys
record = next(r for r in json.load(open(sys.argv[1])) if r["screen"]["height"] > r["screen"]["width"])
screen = record["screen"]
print("\t".join(str(v) for v in [screen["width"], screen["height"], record["model"], record["file"],
                                 screen["x"], screen["y"]]))
PY
)

# --- latency -----------------------------------------------------------------
mkdir -p "$work/shots" "$work/in" "$work/out"
for n in $(seq 1 20); do
    "$build/tools/make-samples" screenshot "$width" "$height" "$work/shots/$n.png" "$n" >/dev/null 2>&1
done
latency="$(python3 - "$cadrelle" "$work" "$model" "$frames/$file" "$x" "$y" <<'PY'
import os, shutil, statistics, subprocess, sys, time
cadrelle, work, model, frame, x, y = sys.argv[1:7]
watch = subprocess.Popen([cadrelle, "watch", "--input", f"{work}/in", "--output", f"{work}/out"],
                         stdout=subprocess.PIPE, text=True)
time.sleep(1.5)
def cpu():
    fields = open(f"/proc/{watch.pid}/stat").read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")
cpu_before = cpu()
times = []
peer = []
for n in range(1, 21):
    target = f"{work}/in/Simulator Screenshot - {model} - 2026-01-01 at 10.00.{n:02d}.png"
    shutil.copyfile(f"{work}/shots/{n}.png", target)
    written = time.monotonic()  # the copy's last write is done
    line = watch.stdout.readline()
    times.append(time.monotonic() - written)
    if not line:
        sys.exit("watch ended early")
    start = time.monotonic()
    subprocess.run(["vips", "composite2", frame, f"{work}/shots/{n}.png", f"{work}/vips.png",
                    "dest-over", "--x", x, "--y", y], check=True)
    peer.append(time.monotonic() - start)
    os.remove(f"{work}/vips.png")
cpu_each = (cpu() - cpu_before) / 20
watch.terminate()
watch.wait()
print("%.3f %.3f %.3f %.3f %.3f %.2f" % (statistics.median(times), min(times), max(times),
                                        statistics.median(peer), cpu_each, os.getloadavg()[0]))
PY
)"
read -r median fastest slowest vips cpu load <<<"$latency"
echo "latency: median ${median} s over 20 screenshots of ${width}x${height} (fastest ${fastest} s, slowest ${slowest} s; goal 0.45 s)"
echo "latency: libvips composite of the same screenshots ${vips} s, ratio $(ratio "$median" "$vips")"
echo "latency: ${cpu} s of CPU per screenshot in watch; load average ${load} during the run"

# --- idle cost ---------------------------------------------------------------
mkdir -p "$work/idle-in" "$work/idle-out"
python3 - "$work/idle-in" <<'PY'
import sys
folder = sys.argv[1]
for n in range(5000):
    open(f"{folder}/notes-{n:05d}.txt", "w").write("x")
for n in range(1000):
    open(f"{folder}/Simulator Screenshot - old {n:04d}.png", "w").write("x")
PY
"$cadrelle" watch --input "$work/idle-in" --output "$work/idle-out" >/dev/null &
watcher=$!
sleep 3
ticks() { awk '{print $14 + $15}' "/proc/$watcher/stat"; }
before="$(ticks)"
sleep 60
after="$(ticks)"
kill -TERM "$watcher"; wait "$watcher" || true; watcher=""
hz="$(getconf CLK_TCK)"
idle="$(python3 -c 'import sys; print("%.2f" % ((int(sys.argv[2]) - int(sys.argv[1])) / int(sys.argv[3]) / 60 * 100))' "$before" "$after" "$hz")"
echo "idle: ${idle}% of one core over 60 s (5,000 other files, 1,000 handled captures; limit 2%)"

# --- fingerprint throughput --------------------------------------------------
head -c 1000000000 /dev/urandom > "$work/big.bin"
cat "$work/big.bin" > /dev/null
ours="$("$build/bench/programs/fingerprint-bench" "$work/big.bin" 3)"
theirs="$(python3 - "$work/big.bin" <<'PY'
import os, statistics, subprocess, sys, time
runs = []
for _ in range(3):
    start = time.monotonic()
    subprocess.run(["sha256sum", sys.argv[1]], check=True, stdout=subprocess.DEVNULL)
    runs.append(time.monotonic() - start)
print("%.1f" % (os.path.getsize(sys.argv[1]) / 1e6 / statistics.median(runs)))
PY
)"
echo "hashing: fingerprint ${ours} MB/s, sha256sum ${theirs} MB/s, ratio $(ratio "$ours" "$theirs") (at least 0.9)"
