#!/usr/bin/env bash
# Takes the screenshots that the README shows: the onboarding of a first
# start, then each page of the settings window after setup, with one framed
# screenshot as the latest capture, and the Quick Access panel with three
# cards. Run by hand (not a test) after building:
#   tests/acceptance/screenshots.sh PATH_TO_CADRELLE [FOLDER]
# writes onboarding.png and settings-<page>.png (900 x 740 each) and
# quick-access.png (304 x 776) into FOLDER (the repository's docs/ by
# default).
set -euo pipefail
source "$(dirname "$0")/env.sh"

SETTINGS="Cadrelle Settings"
OUT="$(realpath -m "${2:-$CADRELLE_ACCEPTANCE_DIR/../../docs}")"
mkdir -p "$OUT"

# capture ID NAME: saves the window ID as NAME.png once two screenshots taken
# one after the other are the same (the window has finished painting).
capture() {
    local previous="$T/previous.png" current="$T/current.png" deadline=$(($(now_ms) + 5000))
    import -window "$1" "$previous"
    while :; do
        import -window "$1" "$current"
        compare -metric AE "$previous" "$current" null: 2>/dev/null && break
        (($(now_ms) < deadline)) || fail "the window kept changing for 5 s"
        mv "$current" "$previous"
    done
    # Without the metadata ImageMagick adds, and in 8 bits a channel.
    convert "$current" -strip -depth 8 "PNG24:$OUT/$2.png"
    echo "$OUT/$2.png"
}
page_shown() { atspi dump "$SETTINGS" | awk -F'\t' -v t="$1" '$1 == "label" && $2 == t {f = 1} END {exit !f}'; }

step "the onboarding of a first start"
start_app
S="$(win "$SETTINGS" 20)"
atspi wait "Welcome to Cadrelle" 10
capture "$S" onboarding
kill -TERM "$APP"
wait "$APP" || true

step "the settings pages after setup"
# Quick Access off, so that the screenshot below becomes the latest capture
# at once.
completed_setup '"screenshotPreviewEnabled": false'
start_app
S="$(win "$SETTINGS" 20)"
wait_until 10 "the General page" page_shown General
shot 9.41.00
framed() { compgen -G "$E/*-framed-*.png"; }
wait_until 15 "the framed screenshot" framed
for page in general:General capture:Capture quick-access:"Quick Access" device-frames:"Device Frames" \
    recordings:Recordings simulator-time:"Simulator Time" about:About; do
    atspi press "${page#*:}"
    wait_until 5 "the page \"${page#*:}\"" page_shown "${page#*:}"
    # The simulator clock reports its first pass shortly after the start.
    [[ ${page#*:} != "Simulator Time" ]] || atspi wait "Off · Simulators use their normal clock." 10
    capture "$S" "settings-${page%%:*}"
done
kill -TERM "$APP"
wait "$APP" || true

step "the Quick Access panel with three screenshots, the pointer over the newest"
completed_setup '"screenshotPreviewEnabled": true'
start_app --background
wait_until 20 "the program to lock the capture folder" watched "$W"
heights=(272 524 776)
colours=(gold lightgreen skyblue)
for index in 0 1 2; do
    shot "10.3$index.00" "${colours[index]}"
    P="$(win "Screenshot Preview" 20)"
    grown() { [[ $(geom "$P") == "1124 $((856 - heights[index])) 304 ${heights[index]}" ]]; }
    wait_until 10 "the panel with $((index + 1)) cards" grown
done
# Over the image of the top card, whose buttons then show.
xdotool mousemove 1276 200
atspi wait "Move screenshot to Trash" 5
capture "$P" quick-access
kill -TERM "$APP"
wait "$APP" || true
