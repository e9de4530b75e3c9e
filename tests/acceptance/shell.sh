#!/usr/bin/env bash
# shellcheck disable=SC2119 # start_app and completed_setup (env.sh) take optional words
# The desktop application's shell under a real X server, as a tester with only
# the built program would check it: the first launch and the onboarding, one
# instance at a time, the launch-failure alert, choosing the folders, direct
# export of a screenshot, the video format prompt, the tray icon and its menu,
# a second launch while running, the capture folder lock, and quitting.
# Preferences that no page can change yet are written into settings.json
# while the program is stopped.
#   tests/acceptance/shell.sh PATH_TO_CADRELLE
set -euo pipefail
source "$(dirname "$0")/env.sh"

SETTINGS="Cadrelle Settings"
ALERT="Cadrelle couldn't start"
PROMPT="Video export"
INPUT_TITLE="Choose the folder where Glimmerbox or your screenshot app saves original screenshots and recordings."
OUTPUT_TITLE="Choose where Cadrelle saves framed captures."
SHOT_BASE="Simulator Screenshot - iPhone SE (3rd generation)"
REC_BASE="Simulator Screen Recording - iPhone SE (3rd generation)"

# expect_names [WINDOW] -- TEXT...: each TEXT names something shown.
expect_names() {
    local window=() dump text
    while [[ $1 != -- ]]; do window+=("$1"); shift; done
    shift
    dump="$(atspi dump "${window[@]}")" || fail "the accessibility tree could not be read"
    for text in "$@"; do
        has_name "$dump" "$text" || fail "\"$text\" is not shown${window:+ in \"${window[0]}\"}"
    done
}
# expect_state NAME STATE yes|no: whether NAME has the accessibility STATE.
expect_state() {
    local states
    states="$(states_of "$(atspi dump)" "$1")"
    [[ -n $states ]] || fail "\"$1\" is not shown"
    if [[ $3 == yes && ,$states, != *",$2,"* ]]; then fail "\"$1\" is not $2 (states: $states)"; fi
    if [[ $3 == no && ,$states, == *",$2,"* ]]; then fail "\"$1\" is $2"; fi
}
# second_launch ARGS...: runs `cadrelle app ARGS` while the first one runs;
# it must hand over and end with 0 within 2 s.
second_launch() {
    local started status=0
    started="$(now_ms)"
    XDG_DATA_DIRS="$T/sysdata" timeout 10 "$CADRELLE" app "$@" >>"$T/app.log" 2>&1 || status=$?
    [[ $status == 0 ]] || fail "\"cadrelle app $*\" beside the running program ended with status $status"
    (($(now_ms) - started <= 2000)) ||
        fail "\"cadrelle app $*\" took $(($(now_ms) - started)) ms to hand over (at most 2000)"
    [[ $(program_pids | wc -l) == 1 ]] || fail "more than one cadrelle process runs: $(program_pids | xargs)"
}
# close_window ID: closes a window the way its title bar would.
close_window() {
    xdotool windowactivate --sync "$1" key --clearmodifiers alt+F4
    wait_until 5 "the window to close" not mapped "$SETTINGS"
}
# editable_field WINDOW: the name of the one editable text field of WINDOW.
editable_field() {
    atspi dump "$1" | awk -F'\t' '$1 == "text" && $4 ~ /editable/ {print $2; exit}'
}
# choose_folder TITLE FOLDER: answers the folder dialog TITLE with FOLDER.
choose_folder() {
    win "$1" >/dev/null
    atspi wait "Choose Folder"
    atspi settext text "$(editable_field "$1")" "$2" || fail "the folder could not be typed"
    atspi press "Choose Folder"
    wait_until 5 "the folder dialog to close" not mapped "$1"
}
# expect_selected ROW: the format prompt's row ROW is the selected one.
expect_selected() {
    local description
    description="$(description_of "$(atspi dump "$PROMPT")" "$1")"
    [[ $description == Selected ]] || fail "the row \"$1\" of the format prompt is described \"$description\", not \"Selected\""
}
# expect_launch_alert TEXT: a launch shows only the alert "Cadrelle couldn't
# start" with TEXT; Return dismisses it and the program ends with status 1.
expect_launch_alert() {
    start_app
    local alert
    alert="$(win "$ALERT")"
    atspi wait "$1" 5
    mapped "$SETTINGS" && fail "the settings window is shown beside the alert"
    xdotool windowactivate --sync "$alert" key Return
    expect_exit "$APP" 5 1 "the program after its launch alert"
}

# --- First launch and a single instance ---------------------------------------
step "first launch shows the onboarding"
[[ -z $(tray_icons) ]] || fail "tint2's tray holds an icon before the program runs"
start_app
S="$(win "$SETTINGS" 20)"
expect_centred "$S" "the settings window" 900 740
atspi wait "Welcome to Cadrelle" 10
expect_names -- "Welcome to Cadrelle" "No folder selected" "Choose Folder…" \
    "Choose a screenshot folder to continue." "Finish Setup"
expect_state "Finish Setup" enabled no
[[ $(stat -c %a "$DATA/instance.lock") == 600 ]] || fail "instance.lock has mode $(stat -c %a "$DATA/instance.lock")"
[[ $(settings_value completedSetup) == false ]] || fail "settings.json: completedSetup is not false"
[[ $(settings_value showMenuBarIcon) == false ]] || fail "settings.json: showMenuBarIcon is not false"
[[ -f $DATA/Frames/catalog.json ]] || fail "$DATA/Frames/catalog.json was not written"
others="$(xdotool search --onlyvisible --name Cadrelle | grep -vx "$S" || true)"
[[ -z $others ]] || fail "windows other than the settings window are shown: $(xargs -n1 xdotool getwindowname <<<"$others" | paste -sd,)"
[[ -z $(tray_icons) ]] || fail "a tray icon is shown although showMenuBarIcon is false"

step "a second launch with a file hands over"
second_launch "$T/stage/none.png"
atspi wait "Finish setup first, then use Open Captures to frame existing screenshots and recordings." 5

step "a lock held by another process: the launch alert"
kill -TERM "$APP"
expect_exit "$APP" 10 0 "the program stopped with SIGTERM"
(exec 9>>"$DATA/instance.lock" && flock 9 && exec sleep 60) &
holder=$!
wait_until 5 "the lock to be taken" locked "$DATA/instance.lock"
expect_launch_alert "Cadrelle is already running. Open it from your applications menu or its tray icon."
kill "$holder"
wait "$holder" || true

step "a damaged settings file: the launch alert"
echo '{"automaticallyMatch":"yes"}' > "$DATA/settings.json"
expect_launch_alert "$DATA/settings.json: The setting \"automaticallyMatch\" has a value of the wrong type."
echo '{}' > "$DATA/settings.json"

# --- Setup --------------------------------------------------------------------
step "choosing the capture folder"
start_app
S="$(win "$SETTINGS" 20)"
atspi wait "Choose Folder…" 10
atspi press "Choose Folder…"
win "$INPUT_TITLE" >/dev/null
atspi wait "Choose Folder"
expect_state "Create New Folder" enabled no
choose_folder "$INPUT_TITLE" "$W"
# The folder row shows the path as the user reads it, with a literal "~".
# shellcheck disable=SC2088
atspi wait "~/Captures" 5
# shellcheck disable=SC2088 # as above
expect_names -- "Captures" "~/Captures" "Change…"
dump="$(atspi dump)" || fail "the accessibility tree could not be read"
has_name "$dump" "Choose a screenshot folder to continue." && fail "the hint is still shown"
expect_state "Finish Setup" enabled yes

step "choosing the export folder and finishing setup"
atspi press "Choose export folder"
win "$OUTPUT_TITLE" >/dev/null
atspi wait "Choose Folder"
expect_state "Create New Folder" enabled yes
choose_folder "$OUTPUT_TITLE" "$E"
rmdir "$E"
atspi press "Finish Setup"
atspi wait "Can't save to your export folder. Choose another folder or allow folder access. The export folder no longer exists." 5
mkdir "$E"
atspi press "Finish Setup"
atspi wait "General" 5
expect_names -- General Capture "Quick Access" "Device Frames" Recordings "Simulator Time" About
[[ $(settings_value completedSetup) == true ]] || fail "settings.json: completedSetup is not true"
[[ $(settings_value inputBookmark) == "\"$(printf %s "$W" | base64 -w0)\"" ]] ||
    fail "settings.json: inputBookmark is $(settings_value inputBookmark), not the Base64 of $W"
[[ -z $(find "$E" -name '.lumivane-access-*') ]] || fail "a folder access probe was left in $E"
[[ $(find "$DATA/Journals" -type f 2>/dev/null | wc -l) == 1 ]] || fail "$DATA/Journals does not hold one journal"

# --- Quick Access off: direct export ------------------------------------------
step "a screenshot goes straight to the export folder"
kill -TERM "$APP"
expect_exit "$APP" 10 0 "the program stopped with SIGTERM"
json_set "$DATA/settings.json" screenshotPreviewEnabled false showMenuBarIcon true
start_app
S="$(win "$SETTINGS" 20)"
shot 10.00.00
framed_shot() { compgen -G "$E/$SHOT_BASE - 10.00.00-framed-$(printf '[0-9a-f]%.0s' {1..16}).png"; }
wait_until 10 "the framed screenshot in $E" framed_shot
[[ $(identify -format '%wx%h' "$(framed_shot)") == 876x1780 ]] || fail "the framed screenshot is not 876x1780"
grep -qF "$(basename "$(framed_shot)")" "$DATA/history.json" || fail "history.json lacks the framed screenshot"
mapped "Screenshot Preview" && fail "the Quick Access panel is shown although it is turned off"

# --- The tray icon ------------------------------------------------------------
step "the tray icon and its menu"
has_tray_icon() { [[ -n $(tray_icons) ]]; }
wait_until 10 "an icon in tint2's tray" has_tray_icon
read -r x y width height < <(geom "$(tray_icons | head -1)")
menu="$(atspi menu $((x + width / 2)) $((y + height / 2)))" || fail "clicking the tray icon shows no menu"
names="$(cut -f2 <<<"$menu" | paste -sd'|')"
[[ $names == "Settings…|Open Output Folder|Check for Updates…|Quit Cadrelle" ]] ||
    fail "the tray menu reads \"$names\""
[[ ,$(states_of "$menu" "Check for Updates…"), != *,enabled,* ]] ||
    fail "\"Check for Updates…\" is enabled in a build without an update feed"
xdotool key Escape

# --- The video format prompt --------------------------------------------------
step "a recording asks for its format"
rec 11.00.00 3
V="$(win "$PROMPT" 15)"
expect_centred "$V" "the format prompt" 540 435
atspi wait "Choose a video format" 5
expect_names "$PROMPT" -- "Choose a video format" "$REC_BASE - 11.00.00.mp4" \
    "MP4 · Black background" "Works in most apps and players. No transparency." \
    "MOV · Transparent (HEVC)" "Smaller transparent files for compatible Apple apps and Safari." \
    "MOV · Transparent (ProRes 4444)" "Transparent files for video editing. Much larger file sizes." \
    "Transparent MOVs keep the area outside the device clear. The app you use them in must support video transparency." \
    Cancel "Export Video"
expect_selected "MOV · Transparent (HEVC)"
xdotool windowactivate --sync "$V" key Return
movie() { compgen -G "$E/$REC_BASE - $1-framed-$(printf '[0-9a-f]%.0s' {1..16}).mov"; }
# While it exports, the settings window shows the progress.
deadline=$(($(now_ms) + 90000))
progress=""
until movie 11.00.00 >/dev/null; do
    (($(now_ms) < deadline)) || fail "no framed movie was written within 90 s"
    alive "$APP" || fail "the program ended while exporting"
    if [[ -z $progress ]] && atspi dump "$SETTINGS" | cut -f2 | grep -q '^Framing recording · [0-9]*%$'; then
        progress=shown
    fi
    sleep 0.2
done
[[ -n $progress ]] || fail "the settings window never showed \"Framing recording · N%\" while exporting"
[[ $(ffprobe -v error -select_streams v:0 -show_entries stream=codec_name -of csv=p=0 "$(movie 11.00.00)") == hevc ]] ||
    fail "the framed movie's video is not HEVC"

step "two recordings, two prompts"
# Both arrive together, so both questions are queued before either export.
mkdir "$T/stage/pair"
rec 12.00.00 1 "$T/stage/pair"
rec 12.00.01 1 "$T/stage/pair"
mv "$T/stage/pair"/* "$W/"
# prompt_file: the time in the name of the recording the prompt asks about.
prompt_file() {
    local dump time
    dump="$(atspi dump "$PROMPT" 2>/dev/null)" || return 1
    for time in 12.00.00 12.00.01 12.00.02; do
        has_name "$dump" "$REC_BASE - $time.mp4" && { echo "$time"; return 0; }
    done
    return 1
}
second_prompt() { local now; now="$(prompt_file)" && [[ $now != "$first" ]]; }
V="$(win "$PROMPT" 15)"
atspi wait "Export Video" 5
first="$(prompt_file)" || fail "the prompt names neither recording"
atspi press "MOV · Transparent (ProRes 4444)"
expect_selected "MOV · Transparent (ProRes 4444)"
atspi press "Export Video"
wait_until 60 "the prompt for the second recording" second_prompt
second="$(prompt_file)"
expect_selected "MOV · Transparent (HEVC)"
xdotool windowactivate --sync "$(win "$PROMPT")" key Escape
wait_until 60 "the ProRes movie of $first" movie "$first"
# FFmpeg's decoder reports ProRes 4444 with alpha as 12 bits a sample
# whatever the encoder was given, so the alpha planes are what is checked.
read -r codec tag format < <(ffprobe -v error -select_streams v:0 \
    -show_entries stream=codec_name,codec_tag_string,pix_fmt -of csv=p=0 "$(movie "$first")" | tr , ' ')
[[ "$codec $tag ${format%p1?le}" == "prores ap4h yuva444" ]] ||
    fail "the ProRes movie's video is $codec ($tag) $format, not ProRes 4444 with alpha"
# The declined recording is not asked about again and gets no output. The
# watcher looks at every recording on each scan and asks one question at a
# time, so the next question, about a later recording, comes after any
# question it would ask again.
wait_until 5 "the declined prompt to close" not mapped "$PROMPT"
rec 12.00.02 1
asked() { prompt_file >/dev/null; }
wait_until 60 "the prompt for the later recording" asked
[[ $(prompt_file) == 12.00.02 ]] || fail "the declined recording $second was asked about again"
xdotool windowactivate --sync "$(win "$PROMPT")" key Escape
wait_until 5 "the later prompt to close" not mapped "$PROMPT"
movie "$second" >/dev/null && fail "the declined recording $second was exported"

# --- Second launch, folder lock, quitting -------------------------------------
step "second launches while the program runs"
S="$(win "$SETTINGS")"
xdotool windowmove --sync "$S" 200 100
read -r saved_x saved_y _ < <(geom "$S")
close_window "$S"
second_launch
S="$(win "$SETTINGS" 5)"
read -r x y _ < <(geom "$S")
[[ "$x,$y" == "$saved_x,$saved_y" ]] || fail "the settings window came back at $x,$y, not at $saved_x,$saved_y"
settings_active() { [[ $(xdotool getactivewindow 2>/dev/null) == "$S" ]]; }
wait_until 5 "the settings window to become the active window" settings_active
close_window "$S"
second_launch --background
never 2 "\"cadrelle app --background\" showed the settings window" mapped "$SETTINGS"
convert -size 750x1334 xc:orange "PNG24:$T/stage/x.png"
second_launch "$T/stage/x.png"
win "$SETTINGS" 5 >/dev/null
manual() { compgen -G "$E/x-framed-$(printf '[0-9A-F]%.0s' {1..8}).png"; }
wait_until 20 "$E/x-framed-<8 hex digits>.png" manual

step "the capture folder is watched by another copy"
kill -TERM "$APP"
expect_exit "$APP" 10 0 "the program stopped with SIGTERM"
"$CADRELLE" watch --input "$W" --output "$T/stage" >>"$T/watch.log" 2>&1 &
watcher=$!
watching() {
    alive "$watcher" || fail "cadrelle watch ended: $(tail -n 3 "$T/watch.log")"
    watched "$W"
}
wait_until 15 "cadrelle watch to lock $W" watching
start_app
S="$(win "$SETTINGS" 20)"
read -r x y _ < <(geom "$S")
[[ "$x,$y" == "$saved_x,$saved_y" ]] || fail "after a restart the settings window is at $x,$y, not at $saved_x,$saved_y"
atspi wait "Another copy of Cadrelle is already watching this folder. Quit the other copy (including debug builds), then reopen Cadrelle." 10
kill -TERM "$watcher"
wait "$watcher" || true

step "Ctrl+Q quits"
xdotool windowactivate --sync "$S" key --clearmodifiers ctrl+q
expect_exit "$APP" 10 0 "the program quit with Ctrl+Q"
locked "$DATA/instance.lock" && fail "instance.lock is still locked after quitting"
[[ -z $(find "$E" -name '.lumivane-*') ]] || fail "temporary files were left in $E: $(find "$E" -name '.lumivane-*')"

echo "passed"
