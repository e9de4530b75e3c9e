#!/usr/bin/env bash
# The Quick Access panel under its own X server, window manager and tray panel
# (the session of tests/acceptance/env.sh), with `cadrelle app --background`
# on a completed setup:
#   arrival  from a screenshot's rename into the capture folder, and from
#            the close of a screenshot written into it, until the panel
#            showing its card is mapped, median of RUNS screenshots (default
#            10) each, alternating, each saved with its Save button before the
#            next (goal 0.5 s)
#   idle     the application's CPU time over 30 s with three cards shown and
#            the pointer elsewhere, as a share of one core (goal below 1 %)
#   bench/quick-access.sh BUILD_FOLDER
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$(cd "${1:-build}" && pwd)"
# Without an X server there is nothing to measure; the other benchmarks go on.
if ! command -v Xvfb >/dev/null; then
    echo "quick access: skipped, Xvfb is not installed"
    exit 0
fi
export CADRELLE="$build/cadrelle"
source "$here/../tests/acceptance/env.sh"
runs="${RUNS:-10}"
idle_seconds="${IDLE_SECONDS:-30}"
# A user without assistive technology: Qt's accessibility bridge stays off.
unset QT_LINUX_ACCESSIBILITY_ALWAYS_ON

completed_setup '"screenshotPreviewEnabled": true'
# The screenshots, made before anything is timed.
for index in $(seq 1 $((2 * runs + 3))); do
    convert -size 750x1334 xc:skyblue -fill navy -draw "rectangle 100,100 650,$((200 + index))" \
        "PNG24:$T/stage/$index.png"
done
start_app --background
wait_until 20 "the program to watch the capture folder" watched "$W"

results="$(python3 - "$APP" "$runs" "$idle_seconds" "$T/stage" "$W" <<'PY'
import os, statistics, subprocess, sys, time

pid, runs, idle_seconds, stage, watched = int(sys.argv[1]), int(sys.argv[2]), float(sys.argv[3]), \
    sys.argv[4], sys.argv[5]
hz = os.sysconf("SC_CLK_TCK")
# The Save button of the only card, in the panel's corner place (1124 584).
SAVE = ("1380", "824")


def panel():
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Screenshot Preview$"],
                           stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    return found.stdout.split()[0] if found.stdout.split() else None


def geometry(window):
    """x, y, width, height of the window on the screen."""
    info = subprocess.run(["xwininfo", "-id", window], stdout=subprocess.PIPE,
                          stderr=subprocess.DEVNULL, text=True).stdout
    values = {line.split(":")[0].strip(): line.split(":")[1].strip() for line in info.splitlines()
              if ":" in line}
    return tuple(int(values.get(key, "0")) for key in
                 ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height"))


def alive():
    try:
        os.kill(pid, 0)
        return True
    except OSError:
        sys.exit("cadrelle app ended during the benchmark")


def wait_for(check, seconds, what):
    deadline = time.monotonic() + seconds
    while True:
        result = check()
        if result:
            return result
        alive()
        if time.monotonic() > deadline:
            sys.exit(f"timed out after {seconds:g} s waiting for {what}")
        time.sleep(0.005)


def cpu_ticks():
    fields = open(f"/proc/{pid}/stat").read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])


def arrive(index, written=False):
    """Renames the screenshot in, or writes it in and closes it."""
    target = f"{watched}/Simulator Screenshot - iPhone SE (3rd generation) - 10.{index:02d}.00.png"
    if written:
        data = open(f"{stage}/{index}.png", "rb").read()
        with open(target, "wb") as file:
            for at in range(0, len(data), 65536):
                file.write(data[at:at + 65536])
                file.flush()
        began = time.monotonic()  # the writer has closed it
    else:
        began = time.monotonic()
        os.rename(f"{stage}/{index}.png", target)
    wait_for(panel, 30, f"the card of screenshot {index}")
    return time.monotonic() - began


# Pointer away from where the panel appears.
subprocess.run(["xdotool", "mousemove", "700", "400"], check=True)
arrivals, writes = [], []
for index in range(1, 2 * runs + 1):
    (writes if index % 2 == 0 else arrivals).append(arrive(index, index % 2 == 0))
    window = panel()
    wait_for(lambda: geometry(window) == (1124, 584, 304, 272), 5, "the panel to settle")
    subprocess.run(["xdotool", "mousemove", *SAVE, "click", "1", "mousemove", "700", "400"], check=True)
    wait_for(lambda: panel() is None, 5, f"the panel to go after saving screenshot {index}")

for index in range(2 * runs + 1, 2 * runs + 4):
    arrive(index)
    window = panel()
    cards = index - 2 * runs
    wait_for(lambda: geometry(window)[3] == 272 + (cards - 1) * 252, 5, "the panel to grow")
time.sleep(2)  # the arrival's animations and image loads end
before, began = cpu_ticks(), time.monotonic()
time.sleep(idle_seconds)
idle = (cpu_ticks() - before) / hz / (time.monotonic() - began) * 100
print("%.3f %.3f %.3f %.3f %.3f %.3f %.2f %.2f" % (
    statistics.median(arrivals), min(arrivals), max(arrivals),
    statistics.median(writes), min(writes), max(writes), idle, os.getloadavg()[0]))
PY
)"
read -r median fastest slowest wmedian wfastest wslowest idle load <<<"$results"
echo "quick access (Xvfb 1440x900, openbox, tint2; cadrelle app --background)"
echo "  renamed in to its card on screen, median of $runs  ${median} s   (goal at most 0.500 s; fastest ${fastest} s, slowest ${slowest} s)"
echo "  written (closed) to its card on screen, median of $runs  ${wmedian} s   (goal at most 0.500 s; fastest ${wfastest} s, slowest ${wslowest} s)"
echo "  CPU while idle with three cards, over ${idle_seconds} s   ${idle} %    (goal below 1 % of one core)"
echo "  load average ${load} during the run"
