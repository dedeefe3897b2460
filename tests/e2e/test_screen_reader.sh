#!/bin/bash
# The real program as a screen reader meets it: on a session bus of its own
# with the accessibility bus (AT-SPI) started on demand, as a desktop session
# has it. Every control of the dashboard and of the secure delete window has
# a name and takes the focus; the title-bar buttons are buttons; pressing
# buttons through the accessibility bus opens and closes windows and ends the
# program.
if [ -z "${VM_OWN_BUS:-}" ]; then
    command -v dbus-run-session >/dev/null 2>&1 || { echo "FAIL: dbus-run-session is missing (apt-get install dbus)" >&2; exit 1; }
    VM_OWN_BUS=1 exec dbus-run-session -- bash "$0" "$@"
fi
source "$(dirname "$0")/lib.sh"
vm_setup "$1"
reader() { /usr/bin/python3 "$(dirname "$0")/screen_reader.py" "$@"; }
reader_ready() { /usr/bin/python3 -c 'import pyatspi' 2>/dev/null; }
reader_ready || vm_fail "python3-pyatspi is not installed"

# Qt speaks to the accessibility bus even without a desktop that asks for it.
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
vm_start_app velmora2 en
box=$(vm_wait_window "Velmora" 15)
vm_key "$box" Return
vm_wait_window_gone "Velmora"
vm_wait_window "Velmora2" >/dev/null

# check_controls TITLE NAME...: every control of the window is named and
# focusable, and the names given are among them.
check_controls() {
    local title=$1 listing name
    shift
    listing=$(reader controls "$title") || vm_fail "the screen reader does not find \"$title\""
    vm_note "$title: $(echo "$listing" | cut -d'|' -f2 | paste -sd, -)"
    vm_check "every control of \"$title\" has a name" test -z "$(echo "$listing" | awk -F'|' '$2 == ""')"
    vm_check "every control of \"$title\" takes the focus" \
        test -z "$(echo "$listing" | grep '|no focus$')"
    for name in "$@"; do
        vm_check "\"$title\" has the button \"$name\"" \
            grep -q "^push button|$name|focusable$" <<<"$listing"
    done
}

check_controls "Velmora2" "Menu" "Minimise" "Close" "Encrypt" "Secure Delete" "Settings"

# The secure delete window opens and closes through its buttons' actions.
reader press "Velmora2" "Secure Delete" || vm_fail "cannot press \"Secure Delete\""
vm_wait_window "Secure Delete" >/dev/null
check_controls "Secure Delete" "Select files" "Delete files" "Cancel delete operation" "Close"
reader press "Secure Delete" "Close" || vm_fail "cannot press \"Close\" in the secure delete window"
vm_wait_window_gone "Secure Delete"

# The icon's menu opens from its button (one more window: the menu).
more_windows() { [ "$(vm_window_count)" -gt "$1" ]; }
count=$(vm_window_count)
reader press "Velmora2" "Menu" || vm_fail "cannot press \"Menu\""
vm_check "the icon menu opened" vm_wait_until 5 more_windows "$count"
xdotool key Escape

# The title bar's close button ends the program as a click does.
reader press "Velmora2" "Close" || vm_fail "cannot press \"Close\""
vm_wait_exit 10
vm_check "exit code 0 (got $VM_EXIT)" test "$VM_EXIT" -eq 0
echo "PASS"
