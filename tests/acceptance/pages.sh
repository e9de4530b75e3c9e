#!/usr/bin/env bash
# shellcheck disable=SC2119 # start_app and completed_setup (env.sh) take optional words
# The pages of the settings window under a real X server, as a tester with
# only the built program would check them: the strings of each page (compared
# with the lists kept in pages/), the switches for the tray icon, starting at
# login and Quick Access, the simulator time, the About page, and the buttons
# of the latest capture for a screenshot and for a recording.
# Setup is done by writing settings.json before the first start (the
# onboarding has its own scenario).
#   tests/acceptance/pages.sh PATH_TO_CADRELLE
set -euo pipefail
source "$(dirname "$0")/env.sh"

SETTINGS="Cadrelle Settings"
PROMPT="Video export"
SHOT_BASE="Simulator Screenshot - iPhone SE (3rd generation)"
REC_BASE="Simulator Screen Recording - iPhone SE (3rd generation)"
EXPECTED="$CADRELLE_ACCEPTANCE_DIR/pages"

# expect_setting KEY JSON: settings.json holds JSON under KEY (waiting up to
# 5 s, as the program saves after the change is shown).
expect_setting() {
    setting_is() { [[ $(settings_value "$1") == "$2" ]]; }
    wait_until 5 "settings.json to hold $1 = $2 (it holds $(settings_value "$1"))" setting_is "$1" "$2"
}
# page_shown TITLE: the page area shows the page TITLE (its title label).
page_shown() { atspi dump "$SETTINGS" | awk -F'\t' -v t="$1" '$1 == "label" && $2 == t {f = 1} END {exit !f}'; }
# show_page TITLE: chooses the page TITLE in the sidebar.
show_page() {
    atspi press "$1" || fail "the sidebar has no page \"$1\""
    wait_until 5 "the page \"$1\" to be shown" page_shown "$1"
}
# page_strings TITLE: the names shown in the page area, one a line, starting
# with the page's title (everything after it in the window's tree). A combo
# box counts with its description, as Qt names it after its current entry.
page_strings() {
    atspi dump "$SETTINGS" | awk -F'\t' -v t="$1" '
        shown && $1 == "combo box" && $3 != "" {print $3; next}
        shown && $2 != "" {print $2}
        $1 == "label" && $2 == t {shown = 1; print $2}'
}
# expected_strings FILE: the lines of FILE with $E and $W put in.
# shellcheck disable=SC2016 # the placeholders are literal text
expected_strings() {
    local line
    while IFS= read -r line; do
        line="${line//'$E'/$E}"
        echo "${line//'$W'/$W}"
    done <"$1"
}
# expect_shown NAME... / expect_hidden NAME...: each NAME is (not) shown.
expect_shown() {
    local dump text
    dump="$(atspi dump "$SETTINGS")" || fail "the accessibility tree could not be read"
    for text in "$@"; do has_name "$dump" "$text" || fail "\"$text\" is not shown"; done
}
expect_hidden() {
    local dump text
    dump="$(atspi dump "$SETTINGS")" || fail "the accessibility tree could not be read"
    for text in "$@"; do has_name "$dump" "$text" && fail "\"$text\" is shown"; done
    return 0
}
# opened PATH: the fake default application was asked to open PATH.
opened() { [[ -f $T/opened.log ]] && grep -qxF "$1" "$T/opened.log"; }
# clipboard TARGET: the clipboard's content as TARGET.
clipboard() { xclip -selection clipboard -o -t "$1" 2>/dev/null; }
# orange_pixels X Y WIDTH HEIGHT: how many pixels of that part of the
# screen have the warning sign's orange.
orange_pixels() {
    import -window root -crop "$3x$4+$1+$2" +repage "$T/crop.png"
    convert "$T/crop.png" -fuzz 15% -fill black +opaque '#f29900' -fill white -opaque '#f29900' \
        -format '%[fx:round(mean*w*h)]' info:
}

# A store image composition for the Device Frames page's preview.
mkdir -p "$E/store"
cat >"$E/store/store.json" <<'JSON'
{"sizes": ["300x600"], "background": {"color": "#203040"},
 "screens": [{"name": "home", "capture": "*.png", "title": "home"}],
 "locales": {"en": {"strings": "en.json", "captures": "."}}}
JSON
echo '{"home": "Frame **every** capture"}' >"$E/store/en.json"
completed_setup '"simulatorTimeMinutes": 600, "storeCompositionPath": "'"$E/store/store.json"'"'

# --- Each page's strings ------------------------------------------------------
step "each page shows its strings"
start_app
win "$SETTINGS" 20 >/dev/null
wait_until 10 "the General page" page_shown General
# The simulator clock reports its first pass shortly after the start.
atspi wait "Off · Simulators use their normal clock." 10 >/dev/null 2>&1 || true
for page in general:General capture:Capture quick-access:"Quick Access" device-frames:"Device Frames" \
    recordings:Recordings simulator-time:"Simulator Time" about:About; do
    show_page "${page#*:}"
    if ! differences="$(diff <(expected_strings "$EXPECTED/${page%%:*}.txt") <(page_strings "${page#*:}"))"; then
        fail "the page \"${page#*:}\" differs from pages/${page%%:*}.txt (< expected, > shown):
$differences"
    fi
done

# --- General ------------------------------------------------------------------
step "the tray icon follows its switch"
show_page General
has_tray_icon() { [[ -n $(tray_icons) ]]; }
has_tray_icon && fail "tint2's tray holds an icon before the switch is on"
atspi toggle "Show icon in system tray"
wait_until 10 "an icon in tint2's tray" has_tray_icon
expect_setting showMenuBarIcon true
read -r x y width height < <(geom "$(tray_icons | head -1)")
menu="$(atspi menu $((x + width / 2)) $((y + height / 2)))" || fail "clicking the tray icon shows no menu"
names="$(cut -f2 <<<"$menu" | paste -sd'|')"
[[ $names == "Settings…|Open Output Folder|Check for Updates…|Quit Cadrelle" ]] ||
    fail "the tray menu reads \"$names\""
xdotool key Escape
atspi toggle "Show icon in system tray"
wait_until 10 "the tray icon to go" not has_tray_icon
expect_setting showMenuBarIcon false

step "starting at login follows its switch"
ENTRY="$XDG_CONFIG_HOME/autostart/cadrelle.desktop"
atspi toggle "Launch at login"
wait_until 5 "$ENTRY" test -f "$ENTRY"
grep -qxE "Exec=\"?$CADRELLE\"? app --background" "$ENTRY" ||
    fail "the autostart entry does not start \"$CADRELLE app --background\": $(grep ^Exec= "$ENTRY")"
report="$(desktop-file-validate "$ENTRY" 2>&1)" || fail "desktop-file-validate rejects the autostart entry: $report"
[[ -z $report ]] || fail "desktop-file-validate warns about the autostart entry: $report"
[[ ,$(states_of "$(atspi dump "$SETTINGS")" "Launch at login"), == *,checked,* ]] ||
    fail "\"Launch at login\" is not checked"
atspi toggle "Launch at login"
wait_until 5 "$ENTRY to be removed" not test -e "$ENTRY"

# --- Simulator Time -------------------------------------------------------------
step "the simulator time without Xcode"
show_page "Simulator Time"
atspi toggle "Override simulator time"
expect_setting simulatorTimeEnabled true
NO_XCODE="Install Xcode and an iOS simulator to use the simulator time override."
atspi wait "$NO_XCODE" 15 || fail "the status does not read \"$NO_XCODE\""
# The warning sign sits left of the status line.
read -r x y width height < <(atspi where "$NO_XCODE")
orange="$(orange_pixels $((x - 30)) "$y" 30 "$height")"
((orange >= 20)) || fail "no orange warning sign left of the status (only $orange orange pixels)"

step "\"Use 9:41\" sets the time"
# time_field: the text of the field "Time".
time_field() { atspi dump "$SETTINGS" | awk -F'\t' '$2 == "Time" && $5 != "" {print $5; exit}'; }
[[ $(time_field) == 10:00 ]] || fail "the time field reads \"$(time_field)\", not the stored 10:00"
atspi press "Use 9:41"
field_is() { [[ $(time_field) == "$1" ]]; }
wait_until 5 "the time field to read 09:41 (it reads \"$(time_field)\")" field_is 09:41
expect_setting simulatorTimeMinutes 581

step "Edit → Copy and Edit → Paste work in the time field"
# edit_menu ITEM: chooses ITEM from the menu bar's Edit menu with the mouse.
edit_menu() {
    local x y width height
    read -r x y width height < <(atspi where Edit) || fail "the menu bar has no \"Edit\""
    atspi menu $((x + width / 2)) $((y + height / 2)) "$1" >/dev/null || fail "the Edit menu could not be used"
}
# click_on NAME [N]: clicks the middle of the shown accessible NAME.
click_on() {
    local x y width height
    read -r x y width height < <(atspi where "$@") || fail "\"$1\" is not shown"
    xdotool mousemove $((x + width / 2)) $((y + height / 2)) click 1
}
clipboard_is() { [[ $(clipboard UTF8_STRING) == "$1" ]]; }
# The label "Time" comes first, then its field.
click_on Time 2
edit_menu "Select All"
edit_menu Copy
wait_until 5 "Edit → Copy to put 09:41 on the clipboard (it holds \"$(clipboard UTF8_STRING)\")" clipboard_is 09:41
printf 10:15 | xclip -selection clipboard
click_on Time 2
edit_menu "Select All"
edit_menu Paste
wait_until 5 "Edit → Paste to set the field to 10:15 (it reads \"$(time_field)\")" field_is 10:15
expect_setting simulatorTimeMinutes 615

step "the status line is selected and copied"
read -r x y width height < <(atspi where "$NO_XCODE")
printf '' | xclip -selection clipboard
xdotool mousemove $((x + 1)) $((y + height / 2)) mousedown 1 mousemove $((x + width / 2)) $((y + height / 2)) \
    mousemove $((x + width - 1)) $((y + height - 2)) mouseup 1 key ctrl+c
wait_until 5 "Ctrl+C to copy the selected status (the clipboard holds \"$(clipboard UTF8_STRING)\")" \
    clipboard_is "$NO_XCODE"
printf '' | xclip -selection clipboard
atspi contextmenu $((x + width / 2)) $((y + height / 2)) Copy >/dev/null || fail "the status line has no context menu with \"Copy\""
wait_until 5 "the context menu's Copy to copy the status" clipboard_is "$NO_XCODE"

# --- About ----------------------------------------------------------------------
step "About: updates are not configured"
show_page About
[[ ,$(states_of "$(atspi dump "$SETTINGS")" "Check for Updates…"), != *,enabled,* ]] ||
    fail "\"Check for Updates…\" is enabled in a build without an update feed"

# --- Quick Access off, and the latest capture ----------------------------------
step "Quick Access off: a screenshot goes straight to the export folder"
show_page General
atspi toggle "Show screenshot in Quick Access"
expect_setting screenshotPreviewEnabled false
shot 10.00.00
framed_shot() { compgen -G "$E/$SHOT_BASE - 10.00.00-framed-$(printf '[0-9a-f]%.0s' {1..16}).png"; }
wait_until 15 "the framed screenshot in $E" framed_shot
in_history() { grep -qsF "$(basename "$(framed_shot)")" "$DATA/history.json"; }
wait_until 5 "history.json to hold the framed screenshot" in_history
mapped "Screenshot Preview" && fail "the Quick Access panel is shown although it is turned off"

step "the latest capture of a screenshot"
show_page Capture
atspi wait "Latest Capture" 5 || fail "the Capture page shows no \"Latest Capture\""
expect_shown "Copy Image" "Show in File Manager"
expect_hidden Play "Copy Video"
atspi press "Show in File Manager"
wait_until 5 "the file manager to be asked for $E" opened "$E"
atspi press "Copy Image"
copied_image() { clipboard TARGETS | grep -qx image/png; }
wait_until 5 "an image on the clipboard" copied_image

step "the store image preview follows the latest screenshot and its composition"
show_page "Device Frames"
atspi wait "$SHOT_BASE - 10.00.00.png" 10 || fail "the preview does not show the new screenshot"
json_set "$E/store/store.json" screens '[{"name": "home", "capture": "*.png", "title": "gone"}]'
atspi wait "$E/store/en.json: The en strings have no \"gone\"." 10 ||
    fail "the preview did not follow the changed composition"
json_set "$E/store/store.json" screens '[{"name": "home", "capture": "*.png", "title": "home"}]'
atspi wait "$SHOT_BASE - 10.00.00.png" 10 || fail "the preview did not come back with the composition"
show_page Capture

step "the latest capture of a recording"
rec 11.00.00 1
win "$PROMPT" 15 >/dev/null
atspi wait "Export Video" 5
atspi press "MP4 · Black background"
atspi press "Export Video"
movie() { compgen -G "$E/$REC_BASE - 11.00.00-framed-$(printf '[0-9a-f]%.0s' {1..16}).mp4"; }
wait_until 60 "the framed recording in $E" movie
atspi wait "Copy Video" 10 || fail "the latest capture offers no \"Copy Video\" for the recording"
expect_shown Play "Show in File Manager"
expect_hidden "Copy Image"
atspi press Play
wait_until 5 "the recording to be opened" opened "$(movie)"
atspi press "Copy Video"
# The URI list names the file, percent-encoded.
copied_file() {
    [[ $(clipboard text/uri-list | /usr/bin/python3 -c \
        'import sys, urllib.parse; print(*map(urllib.parse.unquote, sys.stdin.read().split()))') == "file://$(movie)" ]]
}
wait_until 5 "the recording's file URI on the clipboard" copied_file

step "nothing was printed"
# The recording's preview on the Capture page has been set up: without a
# sound server the program still prints nothing (it keeps no log).
[[ ! -s $T/app.log ]] || fail "the program printed: $(head -c 300 "$T/app.log")"

kill -TERM "$APP"
expect_exit "$APP" 10 0 "the program stopped with SIGTERM"
echo "passed"
