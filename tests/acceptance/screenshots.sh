#!/usr/bin/env bash
# Takes the screenshots of the settings window that the README shows: the
# onboarding of a first start, then each page after setup, with one framed
# screenshot as the latest capture. Run by hand (not a test) after building:
#   tests/acceptance/screenshots.sh PATH_TO_CADRELLE [FOLDER]
# writes onboarding.png and settings-<page>.png into FOLDER (the
# repository's docs/ by default), 900 x 740 each.
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
completed_setup '\"screenshotPreviewEnabled\": false'
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
