#!/usr/bin/python3
"""Reads the program's windows the way a screen reader does, over AT-SPI,
and presses its buttons the same way.

Usage:
  screen_reader.py controls TITLE      one line per control of the window
                                       TITLE: "role|name|focusable"; exits 1
                                       when the window is not found
  screen_reader.py press TITLE NAME    presses the button NAME of the window
                                       TITLE through its action

The window is looked for among every application on the accessibility bus,
for up to ten seconds (a program registers a moment after it shows).
"""
import sys
import time

import pyatspi

CONTROLS = {
    pyatspi.ROLE_PUSH_BUTTON,
    pyatspi.ROLE_TOGGLE_BUTTON,
    pyatspi.ROLE_CHECK_BOX,
    pyatspi.ROLE_RADIO_BUTTON,
    pyatspi.ROLE_COMBO_BOX,
    pyatspi.ROLE_TEXT,
    pyatspi.ROLE_ENTRY,
    pyatspi.ROLE_PASSWORD_TEXT,
    pyatspi.ROLE_LIST,
    pyatspi.ROLE_LINK,
    pyatspi.ROLE_SPIN_BUTTON,
}


def find_window(title):
    deadline = time.monotonic() + 10
    while time.monotonic() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is None:
                continue
            for window in app:
                if window is not None and window.name == title:
                    return window
        time.sleep(0.2)
    return None


def walk(node):
    for child in node:
        if child is None:
            continue
        states = child.getState()
        if not states.contains(pyatspi.STATE_SHOWING):
            continue
        yield child
        yield from walk(child)


def controls(title):
    window = find_window(title)
    if window is None:
        print(f"no window {title!r} on the accessibility bus", file=sys.stderr)
        return 1
    for node in walk(window):
        if node.getRole() in CONTROLS:
            focusable = node.getState().contains(pyatspi.STATE_FOCUSABLE)
            print(f"{node.getRoleName()}|{node.name}|{'focusable' if focusable else 'no focus'}")
    return 0


def press(title, name):
    window = find_window(title)
    if window is None:
        print(f"no window {title!r} on the accessibility bus", file=sys.stderr)
        return 1
    for node in walk(window):
        if node.getRole() == pyatspi.ROLE_PUSH_BUTTON and node.name == name:
            action = node.queryAction()
            for i in range(action.nActions):
                if action.getName(i).lower() in ("press", "click"):
                    action.doAction(i)
                    return 0
            print(f"{name!r} has no press action", file=sys.stderr)
            return 1
    print(f"no button {name!r} in {title!r}", file=sys.stderr)
    return 1


def main(argv):
    if len(argv) == 3 and argv[1] == "controls":
        return controls(argv[2])
    if len(argv) == 4 and argv[1] == "press":
        return press(argv[2], argv[3])
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
