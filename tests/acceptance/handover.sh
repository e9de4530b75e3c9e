#!/usr/bin/env bash
# Later launches while the program runs, under a real X server: a minimised
# settings window comes back when the program is opened again; files handed
# over while a recording's format question is open are all framed once it is
# answered, a name that is not UTF-8 too; opening the program again keeps
# the question in front of the settings window; and quitting while a
# question is open leaves the recording to be asked about at the next start.
# Setup is done by writing settings.json before the start.
#   tests/acceptance/handover.sh PATH_TO_CADRELLE
set -euo pipefail
source "$(dirname "$0")/env.sh"

SETTINGS="Cadrelle Settings"
PROMPT="Video export"
REC_BASE="Simulator Screen Recording - iPhone SE (3rd generation)"

completed_setup '"screenshotPreviewEnabled": false'

# hand_over ARGS...: `cadrelle app ARGS` beside the running program hands its
# request over and ends with 0.
hand_over() {
    local status=0
    XDG_DATA_DIRS="$T/sysdata" timeout 10 "$CADRELLE" app "$@" >>"$T/app.log" 2>&1 || status=$?
    [[ $status == 0 ]] || fail "\"cadrelle app $*\" beside the running program ended with status $status"
}
# shown ID: the window is mapped and not minimised.
shown() {
    xwininfo -id "$1" | grep -q 'Map State: IsViewable' &&
        ! xprop -id "$1" _NET_WM_STATE | grep -q _NET_WM_STATE_HIDDEN
}
# active ID: the window has the keyboard focus.
active() { [[ $(xdotool getactivewindow 2>/dev/null) == "$1" ]]; }
# above UPPER LOWER: UPPER is stacked above LOWER.
above() {
    local order
    order="$(xprop -root _NET_CLIENT_LIST_STACKING | tr -d ',' | cut -d'#' -f2)"
    local upper lower index=0 id
    for id in $order; do
        ((id == $1)) && upper=$index
        ((id == $2)) && lower=$index
        index=$((index + 1))
    done
    [[ -n ${upper:-} && -n ${lower:-} ]] && ((upper > lower))
}
# framed PATTERN: the framed copy of an opened screenshot whose name without
# ".png" matches PATTERN.
framed() { compgen -G "$E/$1-framed-$(printf '[0-9A-F]%.0s' {1..8}).png"; }

step "a minimised settings window comes back"
start_app
S="$(win "$SETTINGS" 20)"
atspi wait "General" 10
xdotool windowminimize --sync "$S"
wait_until 5 "the settings window to be minimised" not shown "$S"
hand_over
wait_until 5 "the settings window to be shown again" shown "$S"
wait_until 5 "the settings window to become the active window" active "$S"

step "files handed over while a question is open are all framed"
# A recording opened with the program asks for its format; the screenshots
# handed over meanwhile wait for that job.
rec 11.00.00 1 "$T/stage"
hand_over "$T/stage/$REC_BASE - 11.00.00.mp4"
V="$(win "$PROMPT" 15)"
odd=$'odd \xff name'
for name in first "$odd" third; do
    convert -size 750x1334 xc:orange "PNG24:$T/stage/$name.png"
done
pids=()
for name in first "$odd" third; do
    hand_over "$T/stage/$name.png" &
    pids+=($!)
done
for pid in "${pids[@]}"; do
    wait "$pid" || fail "a launch with a file did not hand it over"
done

step "opening the program again keeps the question in front"
hand_over
wait_until 5 "the format question to become the active window" active "$V"
above "$V" "$S" || fail "the settings window is stacked above the format question"
mapped "$SETTINGS" || fail "the settings window is not shown"
xdotool windowactivate --sync "$V" key Escape
wait_until 5 "the format question to close" not mapped "$PROMPT"
# The name that is not UTF-8 keeps its place in the framed copy's name.
for name in first 'odd ?*name' third; do
    wait_until 20 "the framed copy of $name.png" framed "$name"
done
[[ $(find "$E" -name '*-framed-*.png' | wc -l) == 3 ]] || fail "$E does not hold three framed screenshots"

step "quitting with a question open asks again at the next start"
rec 12.00.00 1
win "$PROMPT" 15 >/dev/null
kill -TERM "$APP"
expect_exit "$APP" 10 0 "the program stopped with SIGTERM"
start_app --background
win "$PROMPT" 20 >/dev/null
atspi wait "$REC_BASE - 12.00.00.mp4" 5
xdotool windowactivate --sync "$(win "$PROMPT")" key Return
movie() { compgen -G "$E/$REC_BASE - 12.00.00-framed-$(printf '[0-9a-f]%.0s' {1..16}).mov"; }
wait_until 60 "the movie of the recording asked about again" movie
kill -TERM "$APP"
expect_exit "$APP" 10 0 "the program stopped with SIGTERM"

echo "passed"
