#!/bin/bash
# The end-to-end harness under a real Wayland compositor: weston with its own
# runtime folder and socket, the program on Qt's Wayland platform, and the
# accessibility tree (atspi.py) to find windows and press buttons, since no
# tool may click or type into a Wayland session from outside.
#
#   source "$(dirname "$0")/lib.sh"   # runs the script again inside its own
#                                     # D-Bus session (the accessibility bus)
#   wl_setup "$1" headless            # bin folder; weston's back end:
#                                     # headless, or x11 (on a private Xvfb,
#                                     # whose pointer weston takes as its own)
#   vm_start_app velmora2 en
#   wl_at wait-window Velmora2
#   wl_at press Velmora2 "push button" Encrypt
#
# Everything started here is stopped by the EXIT trap (by process id).
WL_HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# Each script runs in a D-Bus session of its own, ended with the script; the
# accessibility bus and its registry start on demand inside it.
if [ -z "${WL_IN_SESSION:-}" ]; then
    command -v dbus-run-session >/dev/null 2>&1 ||
        { echo "FAIL: dbus-run-session is not installed (apt-get install dbus-daemon)" >&2; exit 1; }
    WL_IN_SESSION=1 exec dbus-run-session -- bash "$0" "$@"
fi

source "$WL_HERE/../lib.sh"

WL_XDISPLAY=""
# pyatspi belongs to the system's Python.
WL_PYTHON=/usr/bin/python3

# wl_setup BIN_DIR BACKEND: a fresh home, weston with the back end headless
# or x11, and the program's environment: Qt's Wayland platform on weston's
# socket, no X display, the accessibility tree always on.
wl_setup() {
    local backend=${2:?back end needed} extra=()
    vm_require weston
    "$WL_PYTHON" -c 'import pyatspi' 2>/dev/null ||
        vm_fail "pyatspi is not installed (apt-get install python3-pyatspi at-spi2-core)"
    vm_make_home "$1"
    case "$backend" in
        headless)
            unset DISPLAY
            # The headless back end has no seat (no keyboard, no pointer).
            # Qt's Wayland text input then asks the missing seat when a
            # focused field draws its cursor, and the program crashes: it
            # gets the compose input method that it has under X11 instead.
            export QT_IM_MODULE=compose
            ;;
        x11)
            vm_start_xvfb
            WL_XDISPLAY=$DISPLAY
            extra=(--use-pixman --width=1024 --height=768)
            ;;
        *) vm_fail "unknown back end $backend" ;;
    esac
    local socket="velmora-wayland-$$"
    weston --backend="$backend-backend.so" "${extra[@]}" --socket="$socket" --idle-time=0 \
        --log="$VM_HOME/weston.log" >"$VM_HOME/weston.out" 2>&1 &
    # The compositor is the session's window manager: the EXIT trap stops it
    # after the program and before the X server, as it does openbox.
    VM_WM_PID=$!
    weston_ready() { [ -S "$XDG_RUNTIME_DIR/$socket" ] && grep -q 'desktop-shell' "$VM_HOME/weston.log"; }
    vm_wait_until 10 weston_ready ||
        vm_fail "weston did not start: $(cat "$VM_HOME/weston.log" "$VM_HOME/weston.out" 2>/dev/null)"
    unset DISPLAY
    export WAYLAND_DISPLAY=$socket QT_QPA_PLATFORM=wayland QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
    vm_note "weston ($backend) on $WAYLAND_DISPLAY"
}

# wl_wait_until SECONDS COMMAND...: like vm_wait_until, for commands that
# take a while themselves: bounded by the clock, not by a count of tries.
wl_wait_until() {
    local deadline=$((SECONDS + $1))
    shift
    while true; do
        "$@" >/dev/null 2>&1 && return 0
        ((SECONDS < deadline)) || return 1
        sleep 0.1
    done
}

# wl_at COMMAND ARGS...: one step through the accessibility tree (atspi.py).
wl_at() { "$WL_PYTHON" "$WL_HERE/atspi.py" "$@"; }

# wl_x COMMAND ARGS...: a command on the X server beneath weston's x11 back
# end (xdotool, import); the program itself sees no X display.
wl_x() { DISPLAY=$WL_XDISPLAY "$@"; }
