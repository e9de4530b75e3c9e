# shellcheck shell=bash
# Sourced by the scenario scripts of this folder (and bench/app-start.sh):
#
#   source "$(dirname "$0")/env.sh"      # with the script's own arguments in "$@"
#
# The first argument of the script is the `cadrelle` program to test, unless
# the script sets $CADRELLE before sourcing this file. Sourcing it gives the
# script a private session of its own:
#   - a temporary folder $T with a fresh home ($HOME, the XDG folders, a 0700
#     $XDG_RUNTIME_DIR), the capture folder $W and the export folder $E;
#   - fake default applications (fake-open for videos, folders and web links,
#     fake-edit for PNG images) registered with xdg-mime; they append their
#     arguments to $T/opened.log and $T/edited.log;
#   - its own X server (Xvfb, 1440 x 900 x 24, on a free display), openbox,
#     and tint2 (a bottom panel with a system tray, see tint2rc), inside a
#     private D-Bus session with the accessibility bus running, so that
#     atspi.py can read the program's windows.
# Every process started in the session and the temporary folder are removed
# when the script ends, however it ends. Where Xvfb is not installed the
# script prints "skipped: <reason>" and exits 77.
#
# Helpers for the scenarios, described where they are defined: step, fail,
# wait_until, never, run, start_app, win, mapped, geom, expect_centred, shot,
# rec, expect_exit, alive, locked, watched, program_pids, tray_icons, has_name,
# description_of, states_of, atspi, json_get, json_set.
# CADRELLE_X_TRACE=1 traces a scenario's commands.

CADRELLE_ACCEPTANCE_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
CADRELLE_SCRIPT="$(cd "$(dirname "${BASH_SOURCE[-1]}")" && pwd)/$(basename "${BASH_SOURCE[-1]}")"

# kill_session_processes MARKER [SPARED_PIDS [SPARED_TREES]]: stops every
# process whose environment carries CADRELLE_X_RUN=MARKER (whatever started
# it, however it detached), except this shell, the processes listed in
# SPARED_PIDS and those in SPARED_TREES with their descendants: SIGTERM first,
# SIGKILL to what is left after 3 s.
kill_session_processes() {
    local spared=" ${2:-} $$ $BASHPID " trees=" ${3:-} " pids=() entry pid
    for entry in /proc/[0-9]*; do
        pid="${entry#/proc/}"
        in_session "$pid" "$1" || continue
        [[ $spared == *" $pid "* ]] || descends_from "$pid" "$trees" || pids+=("$pid")
    done
    [[ ${#pids[@]} -eq 0 ]] && return 0
    kill -TERM "${pids[@]}" 2>/dev/null || true
    local deadline=$((SECONDS + 3)) alive
    while ((SECONDS < deadline)); do
        alive=()
        for pid in "${pids[@]}"; do
            [[ -e /proc/$pid ]] && alive+=("$pid")
        done
        [[ ${#alive[@]} -eq 0 ]] && return 0
        sleep 0.05
    done
    kill -KILL "${alive[@]}" 2>/dev/null || true
}

# in_session PID MARKER: whether the process's environment carries
# CADRELLE_X_RUN=MARKER.
in_session() {
    local variable
    local -a environ
    mapfile -d '' environ 2>/dev/null < "/proc/$1/environ" || return 1
    for variable in "${environ[@]}"; do
        [[ $variable == "CADRELLE_X_RUN=$2" ]] && return 0
    done
    return 1
}

# descends_from PID " PID... ": whether PID is one of the listed processes or
# a descendant of one.
descends_from() {
    local pid="$1" line fields
    while [[ -n $pid && $pid != 0 ]]; do
        [[ $2 == *" $pid "* ]] && return 0
        read -r line 2>/dev/null < "/proc/$pid/stat" || return 1
        read -ra fields <<<"${line##*) }"
        pid="${fields[1]}"
    done
    return 1
}

if [[ -z ${CADRELLE_X_RUN:-} ]]; then
    # Outside the session: check the tools, make the temporary folder, run
    # the script again inside a private D-Bus session, then clean up.
    if ! command -v Xvfb >/dev/null; then
        echo "skipped: Xvfb is not installed, so no X server can start (scripts/install-deps installs it)"
        exit 77
    fi
    for tool in dbus-run-session openbox tint2 xdotool xwininfo xprop xclip xdg-mime convert ffprobe \
        flock timeout; do
        if ! command -v "$tool" >/dev/null; then
            echo "error: $tool is not installed; run scripts/install-deps" >&2
            exit 1
        fi
    done
    if [[ ! -x /usr/libexec/at-spi-bus-launcher ]] || ! /usr/bin/python3 -c 'import pyatspi' 2>/dev/null; then
        echo "error: the accessibility bus or python3-pyatspi is missing; run scripts/install-deps" >&2
        exit 1
    fi
    CADRELLE_X_RUN="$(mktemp -d /tmp/cadrelle-x.XXXXXX)"
    export CADRELLE_X_RUN
    session=""
    finish_outer() {
        [[ -n $session ]] && kill -TERM "$session" 2>/dev/null
        kill_session_processes "$CADRELLE_X_RUN"
        # An X server that had to be killed leaves its lock and socket behind.
        local display="" owner=""
        [[ -f $CADRELLE_X_RUN/display ]] && display="$(<"$CADRELLE_X_RUN/display")"
        [[ -n $display && -f /tmp/.X$display-lock ]] && owner="$(tr -d ' \n' < "/tmp/.X$display-lock")"
        if [[ -n $owner && -f $CADRELLE_X_RUN/xvfb.pid && $owner == "$(<"$CADRELLE_X_RUN/xvfb.pid")" ]]; then
            rm -f "/tmp/.X$display-lock" "/tmp/.X11-unix/X$display"
        fi
        rm -rf "$CADRELLE_X_RUN"
    }
    trap 'finish_outer; exit 130' INT
    trap 'finish_outer; exit 143' TERM
    # The session bus's daemon complains on standard error that it may not
    # raise its descriptor limit; its messages go to a log instead.
    printf '#!/bin/sh\nexec dbus-daemon "$@" 2>>"%s/dbus.log"\n' "$CADRELLE_X_RUN" > "$CADRELLE_X_RUN/dbus-daemon"
    chmod +x "$CADRELLE_X_RUN/dbus-daemon"
    dbus-run-session --dbus-daemon="$CADRELLE_X_RUN/dbus-daemon" -- bash "$CADRELLE_SCRIPT" "$@" &
    session=$!
    status=0
    wait "$session" || status=$?
    session=""
    finish_outer
    exit "$status"
fi

# Inside the session.
[[ -n ${CADRELLE_X_TRACE:-} ]] && set -x
export T="$CADRELLE_X_RUN"
CADRELLE="$(realpath "${CADRELLE:-${1:?usage: $(basename "$CADRELLE_SCRIPT") PATH_TO_CADRELLE}}")"
[[ -x $CADRELLE ]] || { echo "error: $CADRELLE is not an executable program" >&2; exit 1; }

STEP="setting up"
# step TEXT: names the step of the scenario the following checks belong to.
step() {
    STEP="\"$1\""
    echo "-- $1"
}
# fail MESSAGE: ends the scenario, naming the step that failed, with the end
# of what the program printed ($T/app.log, where start_app sends it) or, while
# setting up, of what the session's services printed.
fail() {
    echo "FAILED at $STEP: $*" >&2
    local log
    if [[ $STEP == "setting up" ]]; then
        echo "display: ${DISPLAY:-none}" >&2
        for log in "$T"/{xvfb,openbox,tint2,at-spi}.log; do
            [[ -s $log ]] || continue
            echo "$(basename "$log"):" >&2
            tail -n 5 "$log" | sed 's/^/    /' >&2
        done
    fi
    if [[ -s $T/app.log ]]; then
        echo "last lines the program printed:" >&2
        tail -n 15 "$T/app.log" | sed 's/^/    /' >&2
    fi
    exit 1
}
# now_ms: the wall clock in milliseconds.
now_ms() { echo $((${EPOCHREALTIME/[.,]/} / 1000)); }
# wait_until SECONDS WHAT COMMAND...: runs COMMAND every 50 ms until it
# succeeds; fails the step with WHAT after SECONDS (whole seconds).
wait_until() {
    local deadline=$(($(now_ms) + $1 * 1000)) seconds="$1" what="$2"
    shift 2
    until "$@" >/dev/null; do
        (($(now_ms) < deadline)) || fail "timed out after ${seconds} s waiting for $what"
        sleep 0.05
    done
}
# never SECONDS WHAT COMMAND...: runs COMMAND every 100 ms for SECONDS and
# fails the step with WHAT as soon as it succeeds.
never() {
    local deadline=$(($(now_ms) + $1 * 1000)) what="$2"
    shift 2
    while (($(now_ms) < deadline)); do
        ! "$@" >/dev/null || fail "$what"
        sleep 0.1
    done
}

# The private home, the capture folder and the export folder.
mkdir -p "$T/home/Desktop" "$T/run" "$T/bin" "$T/stage" "$T/sysdata"
chmod 700 "$T/run"
export HOME="$T/home" XDG_RUNTIME_DIR="$T/run" XDG_CONFIG_HOME="$T/home/.config" \
    XDG_DATA_HOME="$T/home/.local/share" XDG_STATE_HOME="$T/home/.local/state" \
    XDG_CACHE_HOME="$T/home/.cache" XDG_CURRENT_DESKTOP=""
export W="$HOME/Captures" E="$HOME/Framed" DATA="$XDG_DATA_HOME/Lumivane"
mkdir -p "$W" "$E" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME/applications"
unset QT_QPA_PLATFORM QT_SCALE_FACTOR WAYLAND_DISPLAY SESSION_MANAGER
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1

# Fake default applications that record what the program opens.
cat > "$T/bin/fake-open" <<SH
#!/bin/sh
echo "\$@" >> "$T/opened.log"
SH
cat > "$T/bin/fake-edit" <<SH
#!/bin/sh
echo "\$@" >> "$T/edited.log"
( sleep 1; convert "\$1" -fill red -draw 'rectangle 0,0 300,300' "\$1.tmp.png" && mv "\$1.tmp.png" "\$1" ) &
SH
chmod +x "$T/bin/fake-open" "$T/bin/fake-edit"
printf '[Desktop Entry]\nType=Application\nName=Fake\nExec=%s %%F\nMimeType=video/mp4;video/quicktime;inode/directory;\n' \
    "$T/bin/fake-open" > "$XDG_DATA_HOME/applications/fake-open.desktop"
printf '[Desktop Entry]\nType=Application\nName=Fake Editor\nExec=%s %%f\nMimeType=image/png;\n' \
    "$T/bin/fake-edit" > "$XDG_DATA_HOME/applications/fake-edit.desktop"
xdg-mime default fake-edit.desktop image/png
xdg-mime default fake-open.desktop video/mp4 video/quicktime inode/directory x-scheme-handler/https

# The X server on a free display number, which it writes to the descriptor.
exec {display_fd}> "$T/display.fd"
# -noreset: the server would otherwise restart whenever its last client
# leaves, refusing connections meanwhile.
Xvfb -displayfd "$display_fd" -screen 0 1440x900x24 -nolisten tcp -noreset >"$T/xvfb.log" 2>&1 &
SESSION_SERVICES=("$!")
echo "$!" > "$T/xvfb.pid"
exec {display_fd}>&-
display_written() { [[ $(<"$T/display.fd") =~ ^[0-9]+$ && $(tail -c1 "$T/display.fd") == "" ]]; }
wait_until 10 "the X server to choose a display" display_written
tr -d '\n' < "$T/display.fd" > "$T/display"
DISPLAY=":$(<"$T/display")"
export DISPLAY
wait_until 10 "the X server on $DISPLAY to accept connections" xprop -root _NET_WORKAREA

/usr/libexec/at-spi-bus-launcher --launch-immediately >"$T/at-spi.log" 2>&1 &
SESSION_SERVICES+=("$!")
openbox --sm-disable >"$T/openbox.log" 2>&1 &
SESSION_SERVICES+=("$!")
tint2 -c "$CADRELLE_ACCEPTANCE_DIR/tint2rc" >"$T/tint2.log" 2>&1 &
SESSION_SERVICES+=("$!")

# Ready once the window manager announces itself, the panel has reserved its
# strut and the accessibility bus has registered on the session bus.
wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
panel_ready() { xprop -root _NET_WORKAREA 2>/dev/null | grep -q '= 0, 0, 1440, 868'; }
a11y_ready() {
    dbus-send --session --print-reply --dest=org.freedesktop.DBus / \
        org.freedesktop.DBus.NameHasOwner string:org.a11y.Bus 2>/dev/null | grep -q 'boolean true'
}
wait_until 10 "openbox to manage the screen" wm_ready
wait_until 10 "tint2's panel to reserve the bottom 32 pixels" panel_ready
wait_until 10 "the accessibility bus" a11y_ready

# When the scenario ends: stop the programs it started while their X server
# and buses still run, then those (the session's outer part sweeps again and
# removes $T). The D-Bus session (our parent and its daemon) ends by itself.
finish_session() {
    local bus
    bus="$PPID $(pgrep -P "$PPID" | tr '\n' ' ')"
    kill_session_processes "$T" "$bus" "${SESSION_SERVICES[*]}"
    kill_session_processes "$T" "$bus"
}
trap finish_session EXIT

# run ARGS...: runs the program as the user would, seeing only the fake
# applications.
run() { XDG_DATA_DIRS="$T/sysdata" "$CADRELLE" "$@"; }
# start_app ARGS...: `cadrelle app ARGS` in the background, as run does;
# APP is its process id (not that of a subshell) and its output goes to
# $T/app.log.
start_app() {
    XDG_DATA_DIRS="$T/sysdata" "$CADRELLE" app "$@" >>"$T/app.log" 2>&1 &
    APP=$!
}

# win TITLE [SECONDS]: the id of the first mapped window titled exactly
# TITLE, waiting up to SECONDS (10) for it; gives up early when the program
# started last ($APP) has ended.
win() {
    local deadline=$(($(now_ms) + ${2:-10} * 1000)) id
    while :; do
        id="$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1)" || true
        [[ -n $id ]] && break
        if [[ -n ${APP:-} ]] && ! alive "$APP"; then
            fail "the program ended before showing a window titled \"$1\""
        fi
        (($(now_ms) < deadline)) || fail "no window titled \"$1\" was shown within ${2:-10} s"
        sleep 0.1
    done
    echo "$id"
}
# mapped TITLE: whether a window titled exactly TITLE is mapped now.
mapped() { [[ -n $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null) ]]; }

# geom ID: "x y width height" of a window's client area.
geom() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$4}/Absolute upper-left Y/{y=$4}/Width/{w=$2}/Height/{h=$2}END{print x,y,w,h}'
}

# expect_centred ID WHAT WIDTH HEIGHT: the window's client area has exactly
# that size and lies in the middle of the work area above tint2's panel
# (1440 x 868), give or take 40 pixels for the title bar.
expect_centred() {
    local x y width height
    read -r x y width height < <(geom "$1")
    [[ "$width x $height" == "$3 x $4" ]] || fail "$2 is $width x $height, not $3 x $4"
    local centre_x=$(((1440 - width) / 2)) centre_y=$(((868 - height) / 2))
    if ((x - centre_x > 40 || centre_x - x > 40 || y - centre_y > 40 || centre_y - y > 40)); then
        fail "$2 at $x,$y is not centred in the work area ($centre_x,$centre_y)"
    fi
}

# shot TIME [COLOUR]: a 750 x 1334 simulator screenshot (iPhone SE (3rd
# generation)) filled with COLOUR (skyblue) moved into the capture folder in
# one step.
shot() {
    convert -size 750x1334 "xc:${2:-skyblue}" -fill navy -draw 'rectangle 100,100 650,400' "PNG24:$T/stage/s.png"
    mv "$T/stage/s.png" "$W/Simulator Screenshot - iPhone SE (3rd generation) - $1.png"
}
# rec TIME [SECONDS [FOLDER]]: a 750 x 1334 H.264 + AAC simulator recording
# of SECONDS (2) moved in one step into FOLDER (the capture folder).
# The benchmarks share this file without recordings, so the program is
# asked for only here.
rec() {
    if [[ ! -x ${CADRELLE_MAKE_RECORDING:-} ]]; then
        echo "error: CADRELLE_MAKE_RECORDING names no program that writes test recordings (ctest sets it)" >&2
        exit 1
    fi
    "$CADRELLE_MAKE_RECORDING" "${2:-2}" "$T/stage/r.mp4"
    mv "$T/stage/r.mp4" "${3:-$W}/Simulator Screen Recording - iPhone SE (3rd generation) - $1.mp4"
}

# expect_exit PID SECONDS STATUS WHAT: waits for the background job PID (a
# child of this shell) to end and checks its exit status.
expect_exit() {
    local pid="$1" seconds="$2" expected="$3" what="$4" status=0
    wait_until "$seconds" "$what to end" not alive "$pid"
    wait "$pid" || status=$?
    [[ $status == "$expected" ]] || fail "$what ended with status $status, not $expected"
}

# not COMMAND...: succeeds when COMMAND fails (for wait_until).
not() { ! "$@"; }
# alive PID: whether the process runs.
alive() { kill -0 "$1" 2>/dev/null; }
# locked FILE: whether a process holds a flock on FILE. Read from /proc/locks
# rather than by trying the lock, which would make the program's own attempt
# fail if the two met.
locked() {
    local inode
    inode="$(stat -c %i "$1" 2>/dev/null)" || return 1
    grep -Eq "^[0-9]+: FLOCK .* [0-9a-f]+:[0-9a-f]+:$inode " /proc/locks
}
# watched FOLDER: whether a copy of the program watches FOLDER: it holds the
# lock file named from the folder's resolved path in the private state folder.
watched() {
    local digest
    digest="$(printf '%s' "$(realpath "$1")" | sha256sum)" || return 1
    locked "$XDG_STATE_HOME/cadrelle/locks/watching-${digest%% *}.lock"
}

# program_pids: the running processes of the program under test in this
# session (other tests may run the same program meanwhile).
program_pids() {
    local entry
    for entry in /proc/[0-9]*; do
        if [[ $entry/exe -ef $CADRELLE ]] && in_session "${entry#/proc/}" "$T"; then
            echo "${entry#/proc/}"
        fi
    done
    return 0
}

# tray_icons: the ids of the icons embedded in tint2's system tray.
tray_icons() {
    local panel
    panel="$(xdotool search --class tint2 2>/dev/null | head -1)" || true
    [[ -n $panel ]] || return 0
    # The panel holds the tray's window; the icons are that window's children.
    xwininfo -tree -id "$panel" | awk '/^        0x/{print $1}'
}

# has_name DUMP TEXT: whether a line of an `atspi dump` names (or describes)
# something TEXT exactly.
has_name() {
    awk -F'\t' -v text="$2" '$2 == text || $3 == text {found = 1} END {exit !found}' <<<"$1"
}
# description_of / states_of DUMP NAME: that column of the first accessible
# named NAME in an `atspi dump`.
dump_column() { awk -F'\t' -v text="$2" -v column="$3" '$2 == text {print $column; exit}' <<<"$1"; }
description_of() { dump_column "$1" "$2" 3; }
states_of() { dump_column "$1" "$2" 4; }

# atspi COMMAND...: the accessibility helper, with Debian's own Python.
atspi() { /usr/bin/python3 "$CADRELLE_ACCEPTANCE_DIR/atspi.py" "$@"; }

# json_get FILE KEY: one top-level value of a JSON file, as JSON text.
# completed_setup [FIELDS]: writes a settings.json whose setup is done, with
# $W as the capture folder and $E as the export folder, plus FIELDS (more
# JSON members, e.g. '"showMenuBarIcon": true'). For use while the program is
# stopped.
completed_setup() {
    mkdir -p "$DATA"
    cat >"$DATA/settings.json" <<JSON
{"completedSetup": true, "inputPath": "$W", "outputPath": "$E",
 "inputBookmark": "$(printf %s "$W" | base64 -w0)",
 "outputBookmark": "$(printf %s "$E" | base64 -w0)"${1:+, $1}}
JSON
}
# settings_value KEY: the JSON value stored under KEY in settings.json.
settings_value() { json_get "$DATA/settings.json" "$1"; }

json_get() {
    /usr/bin/python3 -c 'import json,sys; print(json.dumps(json.load(open(sys.argv[1])).get(sys.argv[2])))' "$1" "$2"
}
# json_set FILE KEY JSON...: sets top-level values of a JSON object file.
json_set() {
    /usr/bin/python3 - "$@" <<'PY'
import json, sys
path, pairs = sys.argv[1], sys.argv[2:]
with open(path) as file:
    data = json.load(file)
for key, value in zip(pairs[::2], pairs[1::2]):
    data[key] = json.loads(value)
with open(path, "w") as file:
    json.dump(data, file)
PY
}
