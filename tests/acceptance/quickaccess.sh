#!/usr/bin/env bash
# The Quick Access panel under a real X server, as a tester with only the
# built program would check it: a screenshot's card appears in the corner
# without taking the focus, its buttons, menu and gestures (copy, changing the
# bezel, saving by a drag on the hint row, name collisions, editing, the
# editor's error, moving to the Trash), the panel growing with its cards,
# pending cards surviving a restart, and reduced motion. The setup is written
# into settings.json before the program starts.
#   tests/acceptance/quickaccess.sh PATH_TO_CADRELLE
set -euo pipefail
source "$(dirname "$0")/env.sh"

PANEL="Screenshot Preview"
INBOX="$DATA/Screenshot Inbox"
HISTORY="$DATA/history.json"
# The panel's place for one card: 12 from the right and bottom of the work
# area above tint2's panel (1440 x 868), 304 x 272.
ONE_CARD="1124 584 304 272"
# A point over the image of the bottom card, and one on its hint row.
IMAGE_X=1276 IMAGE_Y=700 STRIP_X=1164 STRIP_Y=824
HEX16="$(printf '[0-9a-f]%.0s' {1..16})"
HEX8="$(printf '[0-9A-F]%.0s' {1..8})"

# inbox ids STATE: the ids of the inbox's items in STATE, oldest first.
# inbox get ID FIELD: a field of an item ("state", "record.output"), as text.
inbox() {
    /usr/bin/python3 - "$INBOX" "$@" <<'PY'
import json, pathlib, sys
inbox, command, argument = pathlib.Path(sys.argv[1]), sys.argv[2], sys.argv[3]
if command == "ids":
    items = [json.loads(path.read_text()) for path in inbox.glob("*.json")] if inbox.is_dir() else []
    for item in sorted(items, key=lambda item: item["record"]["date"]):
        if item["state"] == argument:
            print(item["record"]["id"])
else:
    value = json.loads((inbox / (argument + ".json")).read_text())
    for key in sys.argv[4].split("."):
        value = value[key]
    print(value if isinstance(value, str) else json.dumps(value))
PY
}
pending_count() { inbox ids pending | wc -l; }
item_in() { [[ $(inbox get "$1" state) == "$2" ]]; }
# history_ids: the ids recorded in history.json, newest first.
history_ids() {
    [[ -f $HISTORY ]] || return 0
    /usr/bin/python3 -c 'import json,sys; [print(r["id"]) for r in json.load(open(sys.argv[1]))]' "$HISTORY"
}

# take_shot TIME [COLOUR]: a screenshot whose card the panel then shows; ITEM
# is its inbox id and P the panel's window.
take_shot() {
    local before
    before="$(inbox ids pending | wc -l)"
    shot "$@"
    new_pending() { (($(pending_count) > before)); }
    wait_until 10 "the screenshot $1 to enter the inbox" new_pending
    ITEM="$(inbox ids pending | tail -1)"
    P="$(win "$PANEL" 5)"
}
# first_sighting: waits (5 s) for the panel to be mapped, polling every
# 5 ms, and prints its window and the first geometry seen.
first_sighting() {
    local deadline=$(($(now_ms) + 5000)) id
    until id="$(xdotool search --onlyvisible --name "^$PANEL\$" 2>/dev/null | head -1)" && [[ -n $id ]]; do
        (($(now_ms) < deadline)) || fail "the panel was not shown within 5 s"
        sleep 0.005
    done
    echo "$id $(geom "$id")"
}
geometry_is() { [[ $(geom "$P") == "$1" ]]; }
# expect_geometry "X Y WIDTH HEIGHT" WHAT: the panel settles there within 3 s.
expect_geometry() {
    local deadline=$(($(now_ms) + 3000))
    until geometry_is "$1"; do
        (($(now_ms) < deadline)) || fail "$2: the panel is at $(geom "$P"), not $1"
        sleep 0.1
    done
}
# hover X Y: puts the pointer there and waits for the card's buttons.
hover() {
    xdotool mousemove "$1" "$2"
    atspi wait "Move screenshot to Trash" 3 || fail "no card's buttons appeared with the pointer at $1,$2"
}
# away: the pointer leaves the panel and the card's buttons go.
away() {
    xdotool mousemove 700 400
    buttons_shown() { atspi dump "$PANEL" 2>/dev/null | cut -f2 | grep -qx "Move screenshot to Trash"; }
    wait_until 3 "the card's buttons to go when the pointer left" not buttons_shown
}
# expect_names TEXT...: each TEXT names (or describes) something shown.
expect_names() {
    local dump text
    dump="$(atspi dump "$PANEL")" || fail "the panel's accessibility tree could not be read"
    for text in "$@"; do
        has_name "$dump" "$text" || fail "\"$text\" is not shown in the panel"
    done
}
# centre_of NAME: "x y" of the middle of the shown accessible NAME.
centre_of() {
    local x y width height
    read -r x y width height < <(atspi where "$1") || fail "\"$1\" is not shown"
    echo "$((x + width / 2)) $((y + height / 2))"
}
# strip_drag RIGHT DOWN: presses on the bottom card's hint row and drags by
# RIGHT, DOWN in three moves before releasing.
strip_drag() {
    local dx=$(($1 / 3)) dy=$(($2 / 3))
    xdotool mousemove "$STRIP_X" "$STRIP_Y" mousedown 1 mousemove_relative -- "$dx" "$dy" \
        mousemove_relative -- "$dx" "$dy" mousemove_relative -- $(($1 - 2 * dx)) $(($2 - 2 * dy)) mouseup 1
}
# image_crop FILE: the top of the bottom card's image area as PNG (away from
# the buttons that hover over its lower part).
image_crop() { import -window "$P" -crop 224x90+40+$(($(geom "$P" | cut -d' ' -f4) - 212)) +repage "$1"; }
differs() { [[ $(compare -metric AE "$1" "$2" null: 2>&1 || true) != 0 ]]; }
exported() { find "$E" -maxdepth 1 -name '*.png' | wc -l; }
unmapped() { ! mapped "$PANEL"; }

# The composition "Save Store Image" uses: two sizes.
mkdir -p "$T/store"
cat >"$T/store/store.json" <<'JSON'
{"sizes": ["300x600", "240x480"],
 "background": {"gradient": {"angle": 180, "stops": ["#102040", "#F08080"]}},
 "screens": [{"name": "home", "capture": "*.png", "title": "home"}],
 "locales": {"en": {"strings": "en.json", "captures": "."}}}
JSON
echo '{"home": "Frame **every** capture"}' >"$T/store/en.json"
completed_setup '"screenshotPreviewEnabled": true, "storeCompositionPath": "'"$T/store/store.json"'"'

# --- A card appears -----------------------------------------------------------
step "a screenshot's card appears in the corner without taking the focus"
start_app --background
wait_until 20 "the program to lock the capture folder" watched "$W"
xmessage -geometry +100+100 hi >/dev/null 2>&1 &
focused="$(win xmessage)"
xdotool windowactivate --sync "$focused"
shot 10.00.00
read -r P x y width height < <(first_sighting)
# The slide lasts 0.25 s; on a busy machine the first look may come after it
# ended (the headless tests check the motion itself), but never from elsewhere.
if (( x == 1124 && y == 584 )); then
    echo "   (the slide-in was over before the panel was first seen)"
else
    (( x > 1124 && y > 584 )) || fail "the panel was first seen at $x,$y, not sliding in from below right of 1124,584"
fi
expect_geometry "$ONE_CARD" "one card"
[[ $(xdotool getactivewindow) == "$focused" ]] ||
    fail "the active window is now \"$(xdotool getactivewindow getwindowname)\", not xmessage"
xprop -id "$P" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE || fail "the panel is not kept above: $(xprop -id "$P" _NET_WM_STATE)"
[[ $(xprop -id "$P" _NET_WM_DESKTOP) == *"= 4294967295" ]] || fail "the panel is not on every desktop: $(xprop -id "$P" _NET_WM_DESKTOP)"
xprop -id "$P" WM_HINTS | grep -q 'accepts input or input focus: False' || fail "the panel accepts the input focus"

step "the screenshot waits in the inbox"
ITEM="$(inbox ids pending)"
[[ $(wc -l <<<"$ITEM") == 1 && $ITEM =~ ^[0-9a-f]{64}$ ]] || fail "the inbox holds \"$ITEM\", not one pending item"
[[ -f $INBOX/$ITEM/source.png ]] || fail "the item's folder lacks source.png"
framed="$(inbox get "$ITEM" record.output)"
[[ $framed == "$INBOX/$ITEM/"*-framed-$HEX16.png && -f $framed ]] || fail "the framed screenshot is \"$framed\""
[[ $(identify -format '%wx%h' "$framed") == 876x1780 ]] || fail "the framed screenshot is not 876x1780"
history_ids | grep -qx "$ITEM" && fail "history.json holds the pending screenshot"
[[ $(exported) == 0 ]] || fail "something was exported before the screenshot was saved"

step "the pointer over the card shows its buttons"
hover "$IMAGE_X" "$IMAGE_Y"
expect_names "Move screenshot to Trash" "Edit in Image Editor" "Change bezel finish" "Copy image" \
    "Save screenshot" "Drag to share · Swipe right to save" "Save"
[[ $(description_of "$(atspi dump "$PANEL")" Save) == "Save to $E" ]] || fail "the Save button's tool tip is not \"Save to $E\""

step "Copy image puts the framed PNG on the clipboard"
atspi press "Copy image"
atspi wait "Copied" 3 || fail "the copy button does not say \"Copied\""
xclip -selection clipboard -o -t TARGETS | grep -qx image/png || fail "the clipboard offers no image/png"
xclip -selection clipboard -o -t image/png > "$T/clip.png"
[[ $(identify -format '%wx%h' "$T/clip.png") == 876x1780 ]] || fail "the copied image is not 876x1780"

step "the bezel finish changes through the card's menu"
# The shipped frames come in Black and Silver; the card starts with the one
# the frame selection chose.
current="$(inbox get "$ITEM" record.frame)"
current="${current#iPhone SE (3rd generation) — }"
current="${current% · Portrait}"
case $current in
Black) other=Silver ;;
Silver) other=Black ;;
*) fail "the screenshot was framed with the finish \"$current\"" ;;
esac
read -r x y < <(centre_of "More screenshot actions")
menu="$(atspi menu "$x" "$y" "Bezel Finish" "$other")" || fail "the card's menu could not be used"
names="$(awk -F'\t' '$1 != "separator" {print $2}' <<<"$menu" | paste -sd'|')"
[[ $names == "Save to Desktop|Save to Another Folder…|Save Store Image|Edit in Image Editor|Copy Image|Bezel Finish|Show Original in File Manager|Move Screenshot to Trash|Black|Silver" ]] ||
    fail "the card's menu and its finishes read \"$names\""
[[ ,$(states_of "$menu" "$current"), == *,checked,* ]] || fail "the current finish $current is not checked"
[[ ,$(states_of "$menu" "$other"), != *,checked,* ]] || fail "the finish $other is checked too"
finish_changed() { [[ $(inbox get "$ITEM" record.output) != "$framed" ]]; }
wait_until 10 "the item's framed file to change" finish_changed
[[ $(inbox get "$ITEM" record.frame) == "iPhone SE (3rd generation) — $other · Portrait" ]] ||
    fail "the item's frame is \"$(inbox get "$ITEM" record.frame)\""
[[ $(inbox get "$ITEM" record.output) == "$INBOX/$ITEM/"*-framed-$HEX16-$HEX8.png ]] ||
    fail "the re-framed file is \"$(inbox get "$ITEM" record.output)\""
[[ ! -e $framed ]] || fail "the framed file of the old finish is still there"
atspi wait "Copy image" 3 || fail "the copy button still says \"Copied\" after the finish changed"

step "Save Store Image composes the card's screenshot in every size of the composition"
read -r x y < <(centre_of "More screenshot actions")
atspi menu "$x" "$y" "Save Store Image" >/dev/null || fail "the card's menu could not be used"
store_images() { find "$E" -maxdepth 1 -name '*-framed-*-[0-9]*x[0-9]*-*.png' | sort; }
two_store_images() { [[ $(store_images | wc -l) == 2 ]]; }
wait_until 20 "two store images in $E" two_store_images
[[ $(store_images | xargs identify -format '%wx%h %[channels]\n' | sort | paste -sd'|') == "240x480 srgb|300x600 srgb" ]] ||
    fail "the store images are $(store_images | xargs identify -format '%wx%h %[channels] ')"
item_in "$ITEM" pending || fail "saving store images changed the card's state"
store_images | xargs rm

# --- Saving -------------------------------------------------------------------
step "a drag to the right on the hint row saves"
strip_drag 70 20
wait_until 5 "the item to be saved" item_in "$ITEM" saved
saved="$(find "$E" -maxdepth 1 -name '*.png')"
[[ $(basename "$saved") == "$(basename "$(inbox get "$ITEM" record.output)")" ]] ||
    fail "the export folder holds \"$saved\""
[[ $(history_ids | head -1) == "$ITEM" ]] || fail "the saved screenshot is not first in history.json"
wait_until 3 "the empty panel to go" unmapped

step "a drag more down than right does not save"
take_shot 10.01.00
expect_geometry "$ONE_CARD" "one card"
strip_drag 70 75
never 2 "the drag 70 right and 75 down saved the screenshot" not item_in "$ITEM" pending
[[ $(exported) == 1 ]] || fail "the export folder changed"

step "saving under a name already taken"
base="$(basename "$(inbox get "$ITEM" record.output)" .png)"
convert -size 8x8 xc:white "$E/$base.png"
before="$(md5sum < "$E/$base.png")"
atspi press Save
wait_until 5 "$E/$base-1.png" test -f "$E/$base-1.png"
[[ $(md5sum < "$E/$base.png") == "$before" ]] || fail "the file already named $base.png was changed"
wait_until 3 "the empty panel to go" unmapped

# --- Editing ------------------------------------------------------------------
step "the image editor's saved edits show on the card"
take_shot 10.02.00
expect_geometry "$ONE_CARD" "one card"
image_crop "$T/before-edit.png"
hover "$IMAGE_X" "$IMAGE_Y"
atspi press "Edit in Image Editor"
edited() { grep -sqxF "$(inbox get "$ITEM" record.output)" "$T/edited.log"; }
wait_until 5 "the editor to be opened with the framed file" edited
atspi wait "Save edits in your image editor, then swipe →" 3 || fail "the hint did not change after editing"
dump="$(atspi dump "$PANEL")"
[[ ,$(states_of "$dump" "Change bezel finish"), != *,enabled,* ]] || fail "the finish button is enabled after editing"
[[ $(description_of "$dump" "Change bezel finish") == "Choose a bezel before editing to preserve annotations" ]] ||
    fail "the finish button's tool tip is \"$(description_of "$dump" "Change bezel finish")\""
away
edits_shown() { image_crop "$T/after-edit.png" && differs "$T/before-edit.png" "$T/after-edit.png"; }
wait_until 5 "the card to show the editor's red square" edits_shown
atspi press Save
wait_until 3 "the empty panel to go" unmapped

step "without an image editor the card shows the error"
sed -i '/^image\/png=/d' "$XDG_CONFIG_HOME/mimeapps.list"
rm "$XDG_DATA_HOME/applications/fake-edit.desktop"
take_shot 10.03.00
expect_geometry "$ONE_CARD" "one card"
hover "$IMAGE_X" "$IMAGE_Y"
atspi press "Edit in Image Editor"
atspi wait "An image editor couldn't be found on this computer." 5 || fail "no error line"
expect_geometry "1124 542 304 314" "one card with an error line"
# The line below the card's hint row is written in red.
red_share="$(import -window "$P" -crop 248x42+28+256 +repage png:- |
    convert - -fx 'r > 0.6 && g < 0.4 && b < 0.4' -format '%[fx:mean]' info:)"
[[ $red_share != 0 ]] || fail "the error line is not red"

step "the image's tool tip leaves the buttons free, and a failed move to the Trash names the file"
# A file where the Trash folder belongs: nothing can be moved to the Trash.
rm -rf "$XDG_DATA_HOME/Trash"
: >"$XDG_DATA_HOME/Trash"
framed_name="$(basename "$(inbox get "$ITEM" record.output)")"
hover "$IMAGE_X" "$IMAGE_Y"
read -r bx by bw bh < <(atspi where "Move screenshot to Trash") || fail "no trash button"
read -r sx _ sw _ < <(atspi where "Save screenshot") || fail "no save button"
# tip_window: the tool tip the program shows, if any.
tip_window() {
    local id
    for id in $(xdotool search --onlyvisible --classname cadrelle 2>/dev/null); do
        if xprop -id "$id" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q _NET_WM_WINDOW_TYPE_TOOLTIP; then
            echo "$id"
            return 0
        fi
    done
    return 1
}
# The pointer rests on the image just above the trash button until the
# image's tip shows; the tip lies nowhere over the row of buttons.
xdotool mousemove $((bx + bw / 2)) $((by - 4))
wait_until 5 "the image's tool tip" tip_window
read -r tx ty tw th < <(geom "$(tip_window)")
if ((tx < sx + sw && bx < tx + tw && ty < by + bh && by < ty + th)); then
    fail "the image's tool tip ($tx,$ty ${tw}x$th) lies over the buttons ($bx,$by to $((sx + sw)),$((by + bh)))"
fi
# One click on the trash button acts.
xdotool mousemove $((bx + bw / 2)) $((by + bh / 2)) click 1
atspi wait "Couldn't move $framed_name to the Trash." 5 ||
    fail "one click on the trash button did not end in \"Couldn't move $framed_name to the Trash.\""
item_in "$ITEM" pending || fail "the item is no longer pending after the failed move"
rm "$XDG_DATA_HOME/Trash"

step "Move screenshot to Trash"
history_before="$(history_ids | md5sum)"
atspi press "Move screenshot to Trash"
furthest=0
deadline=$(($(now_ms) + 3000))
while mapped "$PANEL"; do
    (($(now_ms) < deadline)) || fail "the panel was still shown 3 s after its last card left"
    read -r x _ < <(geom "$P") || break
    ((x > furthest)) && furthest=$x
done
((furthest > 1124)) || fail "the panel did not slide to the right while fading out"
wait_until 3 "the item to be marked deleted" item_in "$ITEM" deleted
[[ -d $HOME/.local/share/Trash/files/$ITEM && -f $HOME/.local/share/Trash/info/$ITEM.trashinfo ]] ||
    fail "the item's folder is not in the Trash"
[[ $(history_ids | md5sum) == "$history_before" ]] || fail "history.json changed"

# --- Many cards ---------------------------------------------------------------
step "the panel grows upwards with its cards, newest on top"
# pixel_at X Y: the colour of a point of the panel, as ImageMagick names it.
pixel_at() { import -window "$P" -crop "1x1+$1+$2" -depth 8 txt:- | awk 'NR == 2 {print $3}'; }
colour_of() { convert "xc:$1" -depth 8 txt:- | awk 'NR == 2 {print $3}'; }
away
heights=(272 524 776 844 844)
colours=(gold orchid lightgreen salmon skyblue)
for index in 0 1 2 3 4; do
    take_shot "10.1$index.00" "${colours[index]}"
    expect_geometry "1124 $((856 - heights[index])) 304 ${heights[index]}" "$((index + 1)) cards"
    # The middle of the top card's image shows the newest screenshot.
    newest() { [[ $(pixel_at 152 136) == "$(colour_of "${colours[index]}")" ]]; }
    wait_until 3 "the newest card (${colours[index]}) on top" newest
done
atspi dump "$PANEL" | cut -f1 | grep -qx "scroll bar" || fail "five cards do not scroll"

step "pending cards come back after a restart"
kill -TERM "$APP"
expect_exit "$APP" 10 0 "the program stopped with SIGTERM"
# Reduced motion for the next step: the desktop's animations turned off.
printf '[KDE]\nAnimationDurationFactor=0\n' > "$XDG_CONFIG_HOME/kdeglobals"
start_app --background
P="$(win "$PANEL" 20)"
expect_geometry "1124 12 304 844" "five cards after the restart"
[[ $(atspi dump "$PANEL" | awk -F'\t' '$1 == "push button" && $2 == "Save"' | wc -l) == 5 ]] ||
    fail "the panel does not hold five cards after the restart"
mapped "Cadrelle Settings" && fail "a start in the background showed the settings window"

step "with reduced motion the panel appears in its place"
while (($(pending_count) > 0)); do
    count="$(pending_count)"
    atspi press Save 1
    fewer() { (($(pending_count) < count)); }
    wait_until 5 "a card to be saved" fewer
done
wait_until 3 "the empty panel to go" unmapped
shot 10.20.00
read -r P x y width height < <(first_sighting)
[[ "$x $y $width $height" == "$ONE_CARD" ]] || fail "with reduced motion the panel was first seen at $x $y $width $height"
rm "$XDG_CONFIG_HOME/kdeglobals"

echo "passed"
