#!/usr/bin/env bash
# shellcheck disable=SC2119 # start_app and completed_setup (env.sh) take optional words
# Software updates under a real X server, from the user's side: the test
# release 0.1.0 installed into a prefix of its own with its install.sh, set
# to start at login, finds 0.2.0 on a local HTTPS server (the throwaway
# certificate authority and signing key the build made), holds the restart
# back while a recording is being framed, then quits and comes back as 0.2.0,
# which updates itself once more to 0.3.0; the login start still starts the
# installed program afterwards. A feed whose archive has one flipped byte is
# refused with a sentence and leaves everything as it was.
#   tests/acceptance/update.sh BUILD_DIR/test-releases/test-releases.sh
#
# The program never updates an installation while it runs as root, so under
# root the scenario runs as user 1000 in a user namespace of its own (with a
# network namespace of its own too, so the server's port is never taken by
# someone else's run).
set -euo pipefail
releases="$(realpath "${1:?usage: $(basename "$0") PATH_TO_TEST_RELEASES_SH}")"

if [[ $(id -u) == 0 && -z ${CADRELLE_UPDATE_NAMESPACE:-} ]]; then
    export CADRELLE_UPDATE_NAMESPACE=1
    if ! unshare --net --user --map-user=1000 --map-group=1000 true 2>/dev/null; then
        echo "skipped: running as root, and no user namespace is available to install as another user"
        exit 77
    fi
    # The loopback device of a new network namespace starts down. The
    # inner shell expands its own arguments.
    # shellcheck disable=SC2016
    exec unshare --net -- sh -c 'ip link set lo up &&
        exec unshare --user --map-user=1000 --map-group=1000 -- "$0" "$@"' "$0" "$releases"
fi

# shellcheck source=/dev/null
source "$releases"
CADRELLE="$CADRELLE_TEST_OLD_PROGRAM"
source "$(dirname "$0")/env.sh"

SETTINGS="Cadrelle Settings"
UPDATE="Software Update"
PROMPT="Video export"
ENTRY="$XDG_CONFIG_HOME/autostart/cadrelle.desktop"
HELD_BACK="The update will restart Cadrelle after the current export finishes."
BAD_SIGNATURE="The downloaded update isn't signed with Cadrelle's key."
DOWNLOADS="$XDG_CACHE_HOME/Lumivane/Updates"
REC_BASE="Simulator Screen Recording - iPhone SE (3rd generation)"

# install_old PREFIX: installs the 0.1.0 release archive into PREFIX with its
# own install.sh, as a user would.
install_old() {
    rm -rf "$T/unpacked"
    mkdir -p "$T/unpacked"
    tar -xzf "$CADRELLE_TEST_OLD_ARCHIVE" -C "$T/unpacked"
    "$T/unpacked/install.sh" "$1" >/dev/null || fail "install.sh of 0.1.0 failed"
}

# serve ROOT: serves the folder ROOT over HTTPS at the feed's address with the
# test certificate; SERVER is its process id.
serve() {
    rm -f "$T/server.log"
    /usr/bin/python3 - "$1" "$CADRELLE_TEST_SERVER_CERTIFICATE" "$CADRELLE_TEST_SERVER_KEY" \
        "$CADRELLE_TEST_UPDATE_PORT" >>"$T/server.log" 2>&1 <<'PY' &
import functools, http.server, ssl, sys
root, certificate, key, port = sys.argv[1:]
handler = functools.partial(http.server.SimpleHTTPRequestHandler, directory=root)
try:
    server = http.server.ThreadingHTTPServer(("127.0.0.1", int(port)), handler)
except OSError as error:
    print(f"port {port} on 127.0.0.1 can't be used ({error.strerror}); the test releases' feed "
          f"is fixed to it: stop what holds it, or rebuild with CADRELLE_TEST_UPDATE_PORT set "
          f"to a free port", flush=True)
    sys.exit(1)
context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
context.load_cert_chain(certificate, key)
server.socket = context.wrap_socket(server.socket, server_side=True)
print("serving", flush=True)
server.serve_forever()
PY
    SERVER=$!
    serving() {
        alive "$SERVER" || fail "the update server didn't start: $(head -n 3 "$T/server.log")"
        grep -qx serving "$T/server.log"
    }
    wait_until 10 "the update server" serving
}
stop_server() {
    kill -TERM "$SERVER"
    wait "$SERVER" || true
}

# running_program PID: the program file the process PID runs.
running_program() { readlink "/proc/$1/exe"; }
# leftovers: the files in the download folder and the work files beside the
# installed versions.
leftovers() {
    [[ ! -d $DOWNLOADS ]] || find "$DOWNLOADS" -mindepth 1
    find "$P/lib/cadrelle" -mindepth 1 -maxdepth 1 -name '.*'
}
expect_no_leftovers() {
    local left
    left="$(leftovers)"
    [[ -z $left ]] || fail "files were left behind: $left"
}
# shown_in WINDOW TEXT: WINDOW shows TEXT.
shown_in() { has_name "$(atspi dump "$1" 2>/dev/null)" "$2"; }
# enabled NAME: the button NAME of the settings window can be pressed.
enabled() { [[ ,$(states_of "$(atspi dump "$SETTINGS" 2>/dev/null)" "$1"), == *,enabled,* ]]; }
# about_page: shows the About page of the settings window.
about_page() {
    win "$SETTINGS" 20 >/dev/null
    atspi press About || fail "the sidebar has no page \"About\""
    wait_until 10 "the About page" shown_in "$SETTINGS" "Software updates"
}
# offered_update VERSION: checks for updates from the About page and waits
# for the offer of VERSION.
offered_update() {
    local offer="Cadrelle $1 is available. Install it now?"
    wait_until 15 "\"Check for Updates…\" to be enabled" enabled "Check for Updates…"
    atspi press "Check for Updates…"
    win "$UPDATE" 20 >/dev/null
    wait_until 10 "the offer \"$offer\"" shown_in "$UPDATE" "$offer"
    shown_in "$UPDATE" Later || fail "the update window has no \"Later\""
}
# relaunched_as VERSION: the process id of the program running version
# VERSION from $P, once there is one.
relaunched_as() {
    local pid
    for pid in $(program_pids); do
        [[ $(running_program "$pid") == "$P/lib/cadrelle/$1/bin/cadrelle" ]] && echo "$pid" && return 0
    done
    return 1
}
# expect_background_start PID: PID was started as "… app --background".
expect_background_start() {
    [[ $(tr '\0' ' ' <"/proc/$1/cmdline") == *" app --background " ]] ||
        fail "the program was started as \"$(tr '\0' ' ' <"/proc/$1/cmdline")\""
}
# login_start: the program the autostart entry starts.
login_start() { sed -n 's/^Exec=//p' "$ENTRY"; }

# start_installed PREFIX: starts PREFIX/bin/cadrelle app with a completed
# setup and waits for its settings window.
start_installed() {
    # shellcheck disable=SC2034 # the program env.sh's start_app starts
    CADRELLE="$1/bin/cadrelle"
    start_app
    about_page
    [[ $(running_program "$APP") == "$1/lib/cadrelle/0.1.0/bin/cadrelle" ]] ||
        fail "the program started is $(running_program "$APP")"
    shown_in "$SETTINGS" 0.1.0 || fail "the About page doesn't show version 0.1.0"
}

completed_setup
# No scheduled check may start on its own while the scenario checks by hand.
mkdir -p "$XDG_CONFIG_HOME/Lumivane"
printf '[Updates]\nautomaticallyChecksForUpdates=false\n' >"$XDG_CONFIG_HOME/Lumivane/Cadrelle.conf"

# --- Install and relaunch while a recording is being framed --------------------
step "0.1.0 installed for the user finds 0.2.0"
P="$T/prefix"
install_old "$P"
serve "$CADRELLE_TEST_SERVER_ROOT"
start_installed "$P"
OLD=$APP

step "starting at login goes through the launcher"
atspi press General || fail "the sidebar has no page \"General\""
atspi toggle "Launch at login"
wait_until 5 "$ENTRY" test -f "$ENTRY"
[[ $(login_start) == "\"$P/bin/cadrelle\" app --background" ]] ||
    fail "the autostart entry starts $(login_start)"
# As an earlier version wrote it: into the version folder, which the second
# update below removes. The next start puts the launcher back.
sed -i "s|^Exec=.*|Exec=\"$P/lib/cadrelle/0.1.0/bin/cadrelle\" app --background|" "$ENTRY"
about_page
offered_update 0.2.0

step "the restart waits for the export"
rec 11.00.00 3
win "$PROMPT" 15 >/dev/null
atspi wait "Export Video" 5
atspi press "MOV · Transparent (ProRes 4444)"
atspi press "Export Video"
framing() { atspi dump "$SETTINGS" 2>/dev/null | cut -f2 | grep -q '^Framing recording · [0-9]*%$'; }
wait_until 20 "\"Framing recording · N%\" in the settings window" framing
atspi press "Install and Relaunch"
movie() { compgen -G "$E/$REC_BASE - 11.00.00-framed-$(printf '[0-9a-f]%.0s' {1..16}).mov"; }
held_back() { shown_in "$SETTINGS" "$HELD_BACK"; }
wait_until 30 "the About page to read \"$HELD_BACK\"" held_back
movie >/dev/null && fail "the export was finished before the update could be held back"
[[ -x $P/lib/cadrelle/0.2.0/bin/cadrelle ]] || fail "0.2.0 isn't unpacked while the restart waits"
[[ $(readlink "$P/lib/cadrelle/current") == 0.1.0 ]] || fail "current changed before the restart"

step "0.2.0 starts once the export is done"
expect_exit "$OLD" 90 0 "0.1.0 quitting for the update"
movie >/dev/null || fail "0.1.0 quit before the framed recording was written"
wait_until 20 "a process running $P/lib/cadrelle/0.2.0/bin/cadrelle" relaunched_as 0.2.0
NEW="$(relaunched_as 0.2.0)"
expect_background_start "$NEW"
[[ $(readlink "$P/lib/cadrelle/current") == 0.2.0 ]] || fail "current names $(readlink "$P/lib/cadrelle/current")"
[[ -x $P/lib/cadrelle/0.1.0/bin/cadrelle ]] || fail "0.1.0 was removed"
expect_no_leftovers
# Opening the program again hands over to the running 0.2.0, which shows its
# settings window, once 0.2.0 holds the instance lock and listens for it.
listening() { locked "$DATA/instance.lock" && compgen -G "$XDG_RUNTIME_DIR/cadrelle-*.socket"; }
wait_until 20 "0.2.0 to take over the instance lock and listen" listening
start_app
expect_exit "$APP" 10 0 "the second start"
APP=$NEW
about_page
shown_in "$SETTINGS" 0.2.0 || fail "the About page doesn't show version 0.2.0"
[[ $(login_start) == "\"$P/bin/cadrelle\" app --background" ]] ||
    fail "0.2.0 left the autostart entry starting $(login_start)"
stop_server

step "0.2.0 updates itself to 0.3.0"
serve "$CADRELLE_TEST_NEWEST_SERVER_ROOT"
offered_update 0.3.0
atspi press "Install and Relaunch"
wait_until 60 "0.2.0 quitting for the update" not alive "$NEW"
wait_until 20 "a process running $P/lib/cadrelle/0.3.0/bin/cadrelle" relaunched_as 0.3.0
NEWEST="$(relaunched_as 0.3.0)"
expect_background_start "$NEWEST"
[[ $(readlink "$P/lib/cadrelle/current") == 0.3.0 ]] || fail "current names $(readlink "$P/lib/cadrelle/current")"
# 0.1.0 was installed by Cadrelle and is older than the version that ran.
[[ ! -e $P/lib/cadrelle/0.1.0 ]] || fail "0.1.0 was kept after the second update"
[[ -x $P/lib/cadrelle/0.2.0/bin/cadrelle ]] || fail "0.2.0, the version that ran, was removed"
expect_no_leftovers
stop_server

step "the login start still starts the installed program"
wait_until 20 "0.3.0 to take over the instance lock and listen" listening
kill -TERM "$NEWEST"
wait_until 10 "0.3.0 to quit" not alive "$NEWEST"
[[ $(login_start) == "\"$P/bin/cadrelle\" app --background" ]] ||
    fail "the autostart entry starts $(login_start)"
# As the desktop does at login: the entry's command line, unquoted by the shell.
(eval "exec env XDG_DATA_DIRS=\"$T/sysdata\" $(login_start)") >>"$T/app.log" 2>&1 &
wait_until 20 "the login start to run $P/lib/cadrelle/0.3.0/bin/cadrelle" relaunched_as 0.3.0
AT_LOGIN="$(relaunched_as 0.3.0)"
expect_background_start "$AT_LOGIN"
wait_until 20 "the login start to take the instance lock" listening
kill -TERM "$AT_LOGIN"
wait_until 10 "the program started at login to quit" not alive "$AT_LOGIN"

# --- A tampered archive ---------------------------------------------------------
step "a tampered archive is refused"
P="$T/prefix-tampered"
install_old "$P"
serve "$CADRELLE_TEST_TAMPERED_SERVER_ROOT"
start_installed "$P"
offered_update 0.2.0
atspi press "Install and Relaunch"
refused() { shown_in "$SETTINGS" "$BAD_SIGNATURE"; }
wait_until 30 "the About page to read \"$BAD_SIGNATURE\"" refused
wait_until 5 "the update window to close" not mapped "$UPDATE"
alive "$APP" || fail "the program ended after refusing the update"
[[ $(running_program "$APP") == "$P/lib/cadrelle/0.1.0/bin/cadrelle" ]] ||
    fail "the program now runs $(running_program "$APP")"
[[ $(readlink "$P/lib/cadrelle/current") == 0.1.0 ]] || fail "current names $(readlink "$P/lib/cadrelle/current")"
[[ ! -e $P/lib/cadrelle/0.2.0 ]] || fail "the tampered 0.2.0 was unpacked"
expect_no_leftovers
kill -TERM "$APP"
expect_exit "$APP" 10 0 "0.1.0 stopped with SIGTERM"
stop_server
echo "passed"
