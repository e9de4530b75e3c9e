#!/usr/bin/env bash
# Quick Access cards of 6.9-inch screenshots (1320x2868 captures framed) at a
# start of the desktop application under its own X server, window manager and
# tray panel (the session of tests/acceptance/env.sh): `cadrelle app
# --background` with 41, then 300 items pending in the screenshot inbox.
# Medians of RUNS starts (default 3) for each count:
#   panel    from the start until the Quick Access panel is mapped
#            (goal below 3 s with 300 cards)
#   memory   resident memory (VmRSS) once the program's CPU time has stopped
#            growing for 0.5 s (goals below 250 MiB with 41 cards, 400 MiB
#            with 300)
#   peak     the highest resident memory until then (VmHWM)
#   bench/card-memory.sh BUILD_FOLDER
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$(cd "${1:-build}" && pwd)"
# Without an X server there is nothing to measure; the other benchmarks go on.
if ! command -v Xvfb >/dev/null; then
    echo "card memory: skipped, Xvfb is not installed"
    exit 0
fi
export CADRELLE="$build/cadrelle"
source "$here/../tests/acceptance/env.sh"
runs="${RUNS:-3}"
frames="$build/share/cadrelle/Frames"
# A user without assistive technology: Qt's accessibility bridge stays off.
unset QT_LINUX_ACCESSIBILITY_ALWAYS_ON

completed_setup '"screenshotPreviewEnabled": true'

# A shipped 6.9-inch frame, a capture of its opening's size, framed once.
IFS=$'\t' read -r file id < <(python3 - "$frames/catalog.json" <<'PY'
import json, sys
record = next(r for r in json.load(open(sys.argv[1]))
              if (r["screen"]["width"], r["screen"]["height"]) == (1320, 2868))
print(record["file"] + "\t" + record["id"])
PY
)
"$build/tools/make-samples" screenshot 1320 2868 "$T/stage/shot.png" 1 photo >/dev/null 2>&1
"$CADRELLE" frame --input "$T/stage/shot.png" --frame "$frames/$file" \
    --output "$T/stage/framed.png" >/dev/null

results="$(XDG_DATA_DIRS="$T/sysdata" python3 - "$CADRELLE" "$runs" "$T/stage" "$DATA" "$id" "$E" <<'PY'
import hashlib, json, os, shutil, statistics, subprocess, sys, time

cadrelle, runs, stage, data, frame_id, export = sys.argv[1], int(sys.argv[2]), sys.argv[3], \
    sys.argv[4], sys.argv[5], sys.argv[6]
inbox = f"{data}/Screenshot Inbox"


def fill(count):
    """The inbox holding `count` pending items, all of the same picture."""
    shutil.rmtree(inbox, ignore_errors=True)
    os.makedirs(inbox)
    for n in range(count):
        item = hashlib.sha256(str(n).encode()).hexdigest()
        os.mkdir(f"{inbox}/{item}")
        framed = f"{inbox}/{item}/shot-framed-{item[:16]}.png"
        # Links: the same bytes, one copy on disk; every card decodes its own.
        os.link(f"{stage}/shot.png", f"{inbox}/{item}/source.png")
        os.link(f"{stage}/framed.png", framed)
        record = {"id": item, "date": 786000000 + n, "original": f"{stage}/shot.png",
                  "output": framed, "frame": "iPhone 6.9-inch"}
        json.dump({"record": record, "frameID": frame_id, "destination": export,
                   "state": "pending", "editorOpened": False}, open(f"{inbox}/{item}.json", "w"))


def panel_mapped():
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name",
                            "^Screenshot Preview$"], stdout=subprocess.PIPE,
                           stderr=subprocess.DEVNULL)
    return bool(found.stdout.strip())


def cpu_ticks(pid):
    fields = open(f"/proc/{pid}/stat").read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])


def status_mib(pid, key):
    for line in open(f"/proc/{pid}/status"):
        if line.startswith(key + ":"):
            return int(line.split()[1]) / 1024
    return 0.0


def start(cards=True):
    began = time.monotonic()
    app = subprocess.Popen([cadrelle, "app", "--background"], stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
    while cards and not panel_mapped():
        if app.poll() is not None:
            sys.exit(f"cadrelle app ended with status {app.returncode} before its panel showed")
        if time.monotonic() - began > 600:
            sys.exit("no panel within 600 s")
        time.sleep(0.005)
    panel = time.monotonic() - began
    last_ticks, last_change = -1, time.monotonic()
    while time.monotonic() - last_change < 0.5:
        ticks = cpu_ticks(app.pid)
        if ticks != last_ticks:
            last_ticks, last_change = ticks, time.monotonic()
        time.sleep(0.02)
    memory, peak = status_mib(app.pid, "VmRSS"), status_mib(app.pid, "VmHWM")
    app.terminate()
    if app.wait(timeout=60) != 0:
        sys.exit(f"cadrelle app ended with status {app.returncode} after SIGTERM")
    return panel, memory, peak


fill(0)
start(cards=False)  # copies the shipped frames into the library
line = []
for count in (41, 300):
    fill(count)
    measured = [start() for _ in range(runs)]
    line += [statistics.median(m[i] for m in measured) for i in range(3)]
print(" ".join("%.2f" % value for value in line + [os.getloadavg()[0]]))
PY
)"
read -r panel41 memory41 peak41 panel300 memory300 peak300 load <<<"$results"
echo "Quick Access cards of 1320x2868 captures framed, median of $runs starts of cadrelle app --background"
echo "  41 cards:  panel on screen ${panel41} s, resident ${memory41} MiB (goal below 250), peak ${peak41} MiB"
echo "  300 cards: panel on screen ${panel300} s (goal below 3 s), resident ${memory300} MiB (goal below 400), peak ${peak300} MiB"
echo "  load average ${load} during the run"
