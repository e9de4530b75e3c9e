#!/usr/bin/python3
"""Reads and drives the program's windows through the accessibility bus.

  atspi.py dump [WINDOW]            prints every shown accessible of the program
                                    (or of its window titled WINDOW), one a line:
                                    role<TAB>name<TAB>description<TAB>states
                                    (editable fields and spin buttons add
                                    <TAB>their text)
  atspi.py press NAME [N]           presses the button, row or menu item NAME
                                    (the Nth of several so named, from 1)
  atspi.py toggle NAME              toggles the check box or switch NAME
  atspi.py settext ROLE NAME VALUE  replaces the text of the field of role ROLE
                                    and name NAME (may be "") with VALUE
  atspi.py wait NAME [SECONDS]      waits (10 s by default) until NAME is shown
  atspi.py where NAME [N]           prints "x y width height" of NAME on the
                                    screen (the Nth of several so named)
  atspi.py menu X Y [ITEM [SUB]]    clicks at the screen point X,Y, prints the
                                    popup menu that opens (as dump does) and
                                    clicks its item ITEM when one is given;
                                    with SUB, ITEM opens a submenu, which is
                                    printed too, and its item SUB is clicked
  atspi.py contextmenu X Y [ITEM]   the same with the right mouse button (a
                                    context menu)

NAME is an accessible's name or, when no name matches, its description (Qt
gives a widget's tool tip as its description). Only shown accessibles count.
Qt leaves popup menus out of the application's windows, so they are only
reachable through the event announcing them, which `menu` waits for.
The program is the application named $CADRELLE_ATSPI_APP on the accessibility
desktop ("cadrelle", its executable's name, by default). Exits 1 with a
message on standard error when something is not found or not unique.

Run it with Debian's /usr/bin/python3, which has python3-pyatspi.
"""

import os
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

APP_NAME = os.environ.get("CADRELLE_ATSPI_APP", "cadrelle")
# Item views can hold thousands of rows; nothing a scenario reads is that deep.
MAX_NODES = 4000


class NotFound(Exception):
    pass


def states(accessible):
    return [state.value_nick for state in accessible.getState().getStates()]


def shown(accessible):
    return "showing" in states(accessible)


def applications():
    desktop = pyatspi.Registry.getDesktop(0)
    found = []
    for index in range(desktop.childCount):
        try:
            app = desktop.getChildAtIndex(index)
            if app is not None and app.name == APP_NAME:
                found.append(app)
        except Exception:  # an application that just ended
            continue
    return found


def walk(root):
    """The shown accessibles under root, root first, depth first."""
    pending = [root]
    count = 0
    while pending and count < MAX_NODES:
        accessible = pending.pop()
        try:
            if accessible is None or not shown(accessible):
                continue
            children = [accessible.getChildAtIndex(i) for i in range(accessible.childCount)]
        except Exception:  # a widget destroyed while it was being read
            continue
        count += 1
        yield accessible
        pending.extend(reversed(children))


def windows(title=None):
    for app in applications():
        for index in range(app.childCount):
            try:
                window = app.getChildAtIndex(index)
                if window is not None and (title is None or window.name == title) and shown(window):
                    yield window
            except Exception:
                continue


def every(title=None):
    for window in windows(title):
        yield from walk(window)


def actionable(accessible):
    try:
        return accessible.queryAction().nActions > 0
    except NotImplementedError:
        return False


def matching(name, roles=None, acting=False):
    """The shown accessibles named NAME, else those described NAME; only
    those of the given roles, and only those offering an action if acting."""
    candidates = [a for a in every() if roles is None or a.getRoleName() in roles]
    for match in ([a for a in candidates if a.name == name],
                  [a for a in candidates if a.description == name]):
        if acting:
            match = [a for a in match if actionable(a)]
        if match:
            return match
    return []


def one(name, roles=None, acting=False, nth=None):
    matches = matching(name, roles, acting)
    if not matches:
        kinds = " or ".join(roles) if roles else "accessible"
        kinds += " that can be pressed" if acting else ""
        raise NotFound(f'no shown {kinds} named "{name}" in {APP_NAME}')
    if nth is not None:
        if not 1 <= nth <= len(matches):
            raise NotFound(f'{len(matches)} shown accessibles are named "{name}" in {APP_NAME}, '
                           f"not {nth}")
        return matches[nth - 1]
    if len(matches) > 1:
        raise NotFound(f'{len(matches)} shown accessibles are named "{name}" in {APP_NAME}; '
                       "use the description (tool tip) of the one meant")
    return matches[0]


def act(accessible, wanted):
    action = accessible.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    for name in wanted:
        if name in names:
            action.doAction(names.index(name))
            return
    if not names:
        raise NotFound(f'"{accessible.name}" offers no action')
    action.doAction(0)


def popup_after_click(x, y, seconds=5.0, button=1):
    """Clicks at x,y and returns the popup menu that the click shows."""
    def click():
        subprocess.Popen(["xdotool", "mousemove", str(x), str(y), "click", str(button)])

    return popup_after(click, f"a click at {x},{y}", seconds)


def popup_after(trigger, what, seconds=5.0):
    """Runs trigger() and returns the popup menu that it shows."""
    found = []

    def shown_event(event):
        if event.detail1 == 1 and event.source is not None and \
                event.source.getRoleName() in ("popup menu", "menu"):
            found.append(event.source)
            pyatspi.Registry.stop()

    def start():
        trigger()
        return False

    def give_up():
        pyatspi.Registry.stop()
        return False

    pyatspi.Registry.registerEventListener(shown_event, "object:state-changed:showing")
    GLib.timeout_add(100, start)
    GLib.timeout_add(int(seconds * 1000), give_up)
    pyatspi.Registry.start()
    pyatspi.Registry.deregisterEventListener(shown_event, "object:state-changed:showing")
    if not found:
        raise NotFound(f"no popup menu of {APP_NAME} opened within {seconds:g} s of {what}")
    return found[0]


def menu_entry(popup, item):
    """Prints the popup's entries and returns the one named item (if any)."""
    entries = [popup.getChildAtIndex(i) for i in range(popup.childCount)]
    for entry in entries:
        print(line(entry))
    if item is None:
        return None
    chosen = [entry for entry in entries if entry.name == item]
    if not chosen:
        raise NotFound(f'the popup menu has no item "{item}"')
    return chosen[0]


def click_on(accessible):
    """Clicks the middle of accessible, as the user would (pressing a menu
    item through its accessible action would leave the menu open)."""
    extents = accessible.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    subprocess.run(["xdotool", "mousemove", str(extents.x + extents.width // 2),
                    str(extents.y + extents.height // 2), "click", "1"], check=True)


def menu(x, y, item=None, sub=None, button=1):
    entry = menu_entry(popup_after_click(x, y, button=button), item)
    if entry is None:
        return
    if sub is None:
        click_on(entry)
        return
    submenu = popup_after(lambda: click_on(entry), f'clicking "{item}"')
    click_on(menu_entry(submenu, sub))


def where(accessible):
    extents = accessible.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    print(extents.x, extents.y, extents.width, extents.height)


def one_line(text):
    return (text or "").replace("\t", " ").replace("\n", "\\n")


def line(accessible):
    fields = [accessible.getRoleName(), one_line(accessible.name),
              one_line(accessible.description), ",".join(states(accessible))]
    if "editable" in fields[3] or fields[0] == "spin button":
        fields.append(one_line(accessible.queryText().getText(0, -1)))
    return "\t".join(fields)


def dump(title=None):
    lines = 0
    for accessible in every(title):
        print(line(accessible))
        lines += 1
    if lines == 0:
        where = f'a shown window titled "{title}"' if title else "a shown window"
        raise NotFound(f"{APP_NAME} has no {where} on the accessibility bus")


def wait(name, seconds):
    deadline = time.monotonic() + seconds
    while not matching(name):
        if time.monotonic() > deadline:
            raise NotFound(f'"{name}" was not shown in {APP_NAME} within {seconds:g} s')
        time.sleep(0.1)


def main(argv):
    command, arguments = (argv[1], argv[2:]) if len(argv) > 1 else ("", [])
    if command == "dump" and len(arguments) <= 1:
        dump(arguments[0] if arguments else None)
    elif command == "press" and len(arguments) in (1, 2):
        nth = int(arguments[1]) if len(arguments) == 2 else None
        act(one(arguments[0], acting=True, nth=nth), ["press", "click", "activate", "Press"])
    elif command == "where" and len(arguments) in (1, 2):
        where(one(arguments[0], nth=int(arguments[1]) if len(arguments) == 2 else None))
    elif command == "toggle" and len(arguments) == 1:
        act(one(arguments[0], ["check box", "toggle button", "radio button", "check menu item"],
                acting=True), ["toggle", "press", "click"])
    elif command == "settext" and len(arguments) == 3:
        role, name, value = arguments
        field = one(name, [role])
        if not field.queryEditableText().setTextContents(value):
            raise NotFound(f'the {role} "{name}" refused the text')
    elif command == "wait" and len(arguments) in (1, 2):
        wait(arguments[0], float(arguments[1]) if len(arguments) == 2 else 10.0)
    elif command == "menu" and 2 <= len(arguments) <= 4:
        menu(int(arguments[0]), int(arguments[1]), *arguments[2:])
    elif command == "contextmenu" and 2 <= len(arguments) <= 3:
        menu(int(arguments[0]), int(arguments[1]), *arguments[2:], button=3)
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    try:
        main(sys.argv)
    except NotFound as error:
        sys.exit(f"atspi.py: {error}")
