#!/usr/bin/env bash
# The memory of `cadrelle watch` through a burst: 100 noisy 750x1334
# screenshots moved into the watched folder at once. Medians of RUNS runs
# (default 3):
#   idle    resident memory (VmRSS) before the burst
#   peak    the highest resident memory (VmHWM) until all 100 are framed
#           (goal below 200 MiB)
#   after   resident memory 3 s after the last one was framed (goal: near idle)
#   burst   seconds from the move until `watch` printed the 100th path
# Latency of single screenshots is measured by bench/watch.sh.
#   bench/watch-memory.sh BUILD_FOLDER
set -euo pipefail
build="$(cd "${1:-build}" && pwd)"
cadrelle="$build/cadrelle"
frames="$build/share/cadrelle/Frames"
runs="${RUNS:-3}"
count="${COUNT:-100}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export XDG_STATE_HOME="$work/state"

# The shipped frame for 750x1334 screenshots and its device's name.
model="$(python3 - "$frames/catalog.json" <<'PY'
import json, sys
print(next(r["model"] for r in json.load(open(sys.argv[1]))
           if (r["screen"]["width"], r["screen"]["height"]) == (750, 1334)))
PY
)"
mkdir -p "$work/shots"
for n in $(seq 1 "$count"); do
    "$build/tools/make-samples" screenshot 750 1334 "$work/shots/$n.png" "$n" noise >/dev/null 2>&1
done

results="$(python3 - "$cadrelle" "$work" "$model" "$runs" "$count" <<'PY'
import os, shutil, statistics, subprocess, sys, time
cadrelle, work, model, runs, count = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4]), \
    int(sys.argv[5])


def status(pid, key):
    for line in open(f"/proc/{pid}/status"):
        if line.startswith(key + ":"):
            return int(line.split()[1]) / 1024
    return 0.0


def burst(run):
    folder, output, staging = f"{work}/in{run}", f"{work}/out{run}", f"{work}/staging{run}"
    for path in (folder, output, staging):
        os.makedirs(path)
    # Staged on the same file system, so that the move below is a rename.
    for n in range(1, count + 1):
        shutil.copyfile(f"{work}/shots/{n}.png",
                        f"{staging}/Simulator Screenshot - {model} - 2026-01-01 at 10.{n // 60:02d}.{n % 60:02d}.png")
    watch = subprocess.Popen([cadrelle, "watch", "--input", folder, "--output", output],
                             stdout=subprocess.PIPE, text=True)
    time.sleep(1.5)
    idle = status(watch.pid, "VmRSS")
    began = time.monotonic()
    for name in sorted(os.listdir(staging)):
        os.rename(f"{staging}/{name}", f"{folder}/{name}")
    for _ in range(count):
        if not watch.stdout.readline():
            sys.exit("watch ended early")
    took = time.monotonic() - began
    peak = status(watch.pid, "VmHWM")
    time.sleep(3)
    after = status(watch.pid, "VmRSS")
    watch.terminate()
    watch.wait()
    left = [name for name in os.listdir(output) if name.startswith(".")]
    if left:
        sys.exit(f"hidden files left in the export folder: {left[:3]}")
    shutil.rmtree(folder)
    shutil.rmtree(output)
    shutil.rmtree(staging)
    return idle, peak, after, took


results = [burst(run) for run in range(runs)]
print("%.1f %.1f %.1f %.2f %.2f" % tuple(
    [statistics.median(r[i] for r in results) for i in range(4)] + [os.getloadavg()[0]]))
PY
)"
read -r idle peak after took load <<<"$results"
echo "watch through a burst of $count noisy 750x1334 screenshots, median of $runs runs"
echo "  resident memory idle   ${idle} MiB"
echo "  peak resident memory   ${peak} MiB (goal below 200 MiB)"
echo "  3 s after the burst    ${after} MiB (goal: near idle)"
echo "  all $count framed in     ${took} s; load average ${load} during the run"
