#!/usr/bin/env bash
# shellcheck disable=SC2119 # start_app and completed_setup (env.sh) take optional words
# The preview of an exported recording under a real X server: with "Preview
# exported recordings" on, a framed recording opens in "Cadrelle Preview",
# which waits for the user to play it. A transparent movie shows the
# checkerboard where the device frame's rounded corners leave the picture
# clear; a movie with a black background shows black there. Setup is done by
# writing settings.json before the start. With CADRELLE_DOCS=FOLDER the
# scenario also saves the transparent preview as FOLDER/preview-transparent.png.
#   tests/acceptance/preview.sh PATH_TO_CADRELLE
set -euo pipefail
source "$(dirname "$0")/env.sh"

PREVIEW="Cadrelle Preview"
PROMPT="Video export"

completed_setup '"screenshotPreviewEnabled": false, "previewAfterCapture": true'

# export_as TIME FORMAT: records a recording taken at TIME and answers the
# format prompt with the row FORMAT and "Export Video".
export_as() {
    rec "$1" 1
    win "$PROMPT" 15 >/dev/null
    atspi wait "Export Video" 5
    atspi press "$2" || fail "the format prompt has no row \"$2\""
    atspi press "Export Video"
    wait_until 5 "the format prompt to close" not mapped "$PROMPT"
}
# snap FILE: a screenshot of the preview window's client area.
snap() { import -window "$P" "$1"; }
# pixel FILE X Y: "red green blue" of one pixel of FILE, 0 to 255 each.
pixel() {
    convert "$1" -format "%[fx:round(255*p{$2,$3}.r)] %[fx:round(255*p{$2,$3}.g)] %[fx:round(255*p{$2,$3}.b)]\n" info:
}
# grey_is VALUE R G B: the colour is the grey VALUE, give or take 6.
grey_is() {
    local channel
    for channel in "$2" "$3" "$4"; do
        ((channel - $1 <= 6 && $1 - channel <= 6)) || return 1
    done
}
# picture_box FILE: "x y width height" of the movie's picture in a screenshot
# of the preview: what differs from the window's colour above the player's
# controls (the play button's top, $CONTROLS_Y).
picture_box() {
    local box
    box="$(convert "$1" -crop "570x$CONTROLS_Y+0+0" +repage -fuzz 1% -format '%@' info:)"
    [[ $box =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]] || return 1
    ((BASH_REMATCH[1] > 100 && BASH_REMATCH[2] > 100)) || return 1
    echo "${BASH_REMATCH[3]} ${BASH_REMATCH[4]} ${BASH_REMATCH[1]} ${BASH_REMATCH[2]}"
}
# row_count FILE Y COLOUR: how many pixels of the picture's row Y have COLOUR.
row_count() {
    convert "$1" -crop "${BW}x1+$BX+$2" +repage -fuzz 2% -fill black +opaque "$3" -fill white -opaque "$3" \
        -format '%[fx:round(mean*w*h)]' info:
}
# corners FILE: the colours of the four corners of the picture, 3 pixels in.
corners() {
    local right=$((BX + BW - 4)) bottom=$((BY + BH - 4))
    pixel "$1" $((BX + 3)) $((BY + 3))
    pixel "$1" "$right" $((BY + 3))
    pixel "$1" $((BX + 3)) "$bottom"
    pixel "$1" "$right" "$bottom"
}
# corners_black FILE: every corner of the picture is black.
corners_black() {
    local r g b
    while read -r r g b; do ((r <= 20 && g <= 20 && b <= 20)) || return 1; done < <(corners "$1")
}

step "a transparent recording opens in the preview"
start_app
win "Cadrelle Settings" 20 >/dev/null
export_as 10.00.00 "MOV · Transparent (ProRes 4444)"
P="$(win "$PREVIEW" 90)"
expect_centred "$P" "the preview window" 570 720
movie="$(compgen -G "$E/*10.00.00-framed-*.mov")" || fail "the preview opened before the framed movie was written"
[[ $(ffprobe -v error -select_streams v:0 -show_entries stream=codec_name -of csv=p=0 "$movie") == prores ]] ||
    fail "the framed movie's video is not ProRes"
atspi wait "Play Recording" 10
read -r _ button_y _ _ < <(atspi where "Play Recording")
read -r _ window_y _ _ < <(geom "$P")
CONTROLS_Y=$((button_y - window_y))
shows_picture() { snap "$T/first.png" && picture_box "$T/first.png"; }
wait_until 15 "the preview to show the movie's first picture" shows_picture
read -r BX BY BW BH < <(picture_box "$T/first.png")

step "the preview waits to be played"
# That it never starts by itself is checked where the player's clock can be
# held still; here its controls offer to play from the start.
snap "$T/later.png"
controls="$(atspi dump "$PREVIEW")"
if ! has_name "$controls" "Play Recording" || ! has_name "$controls" "0:00 / 0:01"; then
    fail "the preview does not show \"Play Recording\" at \"0:00 / 0:01\""
fi

step "the frame's rounded corners show the checkerboard"
# The board starts with a grey square in the picture's top-left corner.
read -r r g b < <(corners "$T/later.png")
grey_is 191 "$r" "$g" "$b" ||
    fail "the top-left corner of the picture at $BX,$BY ${BW}x$BH is ($r,$g,$b), not the checkerboard's grey (191,191,191)"
while read -r r g b; do
    grey_is 191 "$r" "$g" "$b" || grey_is 230 "$r" "$g" "$b" ||
        fail "a corner of the picture at $BX,$BY ${BW}x$BH is ($r,$g,$b), not a checkerboard grey"
done < <(corners "$T/later.png")
# The frame leaves a clear margin along the picture's top edge, where both
# greys alternate.
for grey in 191 230; do
    (($(row_count "$T/later.png" $((BY + 1)) "rgb($grey,$grey,$grey)") > 20)) ||
        fail "the picture's top edge shows no squares of the checkerboard's grey ($grey)"
done
if [[ -n ${CADRELLE_DOCS:-} ]]; then
    mkdir -p "$CADRELLE_DOCS"
    convert "$T/later.png" -strip -depth 8 "PNG24:$CADRELLE_DOCS/preview-transparent.png"
fi

step "a recording with a black background shows black corners"
export_as 10.01.00 "MP4 · Black background"
# The same frame, so the picture keeps its place while its corners turn black.
black_now() { snap "$T/black.png" && corners_black "$T/black.png"; }
wait_until 90 "the preview's corners to turn black for the MP4" black_now
(($(row_count "$T/black.png" $((BY + 1)) "rgb(230,230,230)") == 0)) ||
    fail "the MP4's preview still shows the checkerboard along the picture's top edge"

kill -TERM "$APP"
expect_exit "$APP" 10 0 "the program after SIGTERM"
echo "preview: all checks passed"
