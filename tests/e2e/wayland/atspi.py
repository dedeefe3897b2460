"""Drives the program through its accessibility tree (AT-SPI on the session
bus), where no X server lets a tool click or type: finds its windows by
title, presses buttons, fills fields and reads what a screen reader reads.

    atspi.py wait-window TITLE [SECONDS]     the window is on screen
    atspi.py wait-gone TITLE [SECONDS]       no window with this title
    atspi.py press TITLE ROLE NAME           the control's "Press" action
    atspi.py set-text TITLE ROLE TEXT        the first such field's text
    atspi.py description TITLE ROLE NAME     prints the control's description
    atspi.py windows                         prints the titles on screen

TITLE is a window's exact title, ROLE an AT-SPI role name ("push button",
"check box", "password text"), NAME a control's exact accessible name. Only
the program named by VM_ATSPI_APP (default velmora2) is looked at. Exit code
0 on success, 1 with a message when the window or control is not found.
"""

import os
import sys
import time

import pyatspi

APP = os.environ.get("VM_ATSPI_APP", "velmora2")


def fail(message):
    print("atspi: " + message, file=sys.stderr)
    sys.exit(1)


def application():
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is not None and app.name == APP:
            # Every look is a fresh one: windows come and go.
            app.clearCache()
            return app
    return None


def showing(accessible):
    return accessible.getState().contains(pyatspi.STATE_SHOWING)


def windows():
    app = application()
    if app is None:
        return []
    return [w for w in app if w is not None and showing(w)]


def window(title):
    for candidate in windows():
        if candidate.name == title:
            return candidate
    return None


def wait_for(what, seconds, look):
    deadline = time.monotonic() + seconds
    while True:
        found = look()
        if found:
            return found
        if time.monotonic() > deadline:
            fail("%s within %ss; on screen: %s" % (what, seconds, [w.name for w in windows()]))
        time.sleep(0.1)


def controls(root, role):
    """The showing descendants of root with this role, in tree order."""
    found = []
    stack = [root]
    while stack:
        accessible = stack.pop()
        if accessible is None:
            continue
        if accessible is not root and accessible.getRoleName() == role and showing(accessible):
            found.append(accessible)
        stack.extend(reversed([child for child in accessible]))
    return found


def control(title, role, name=None):
    """The control, looked for until it is there (a window paints its
    controls after it appears)."""

    def look():
        win = window(title)
        if win is None:
            return None
        for candidate in controls(win, role):
            if name is None or candidate.name == name:
                return candidate
        return None

    label = "%s %r" % (role, name) if name is not None else role
    return wait_for("no %s in window %r" % (label, title), 10, look)


def press(accessible):
    action = accessible.queryAction()
    for index in range(action.nActions):
        if action.getName(index) == "Press":
            action.doAction(index)
            return
    fail("%r has no Press action" % accessible.name)


def main(argv):
    if len(argv) < 2:
        fail(__doc__)
    command, args = argv[1], argv[2:]
    if command == "wait-window":
        seconds = float(args[1]) if len(args) > 1 else 10
        wait_for("no window %r" % args[0], seconds, lambda: window(args[0]))
    elif command == "wait-gone":
        seconds = float(args[1]) if len(args) > 1 else 10
        wait_for("window %r still there" % args[0], seconds, lambda: window(args[0]) is None)
    elif command == "press":
        press(control(args[0], args[1], args[2]))
    elif command == "set-text":
        field = control(args[0], args[1])
        if not field.queryEditableText().setTextContents(args[2]):
            fail("the %s of %r took no text" % (args[1], args[0]))
    elif command == "description":
        print(control(args[0], args[1], args[2]).description)
    elif command == "windows":
        for win in windows():
            print(win.name)
    else:
        fail("unknown command " + command)


if __name__ == "__main__":
    main(sys.argv)
