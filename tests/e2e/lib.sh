#!/bin/bash
# Shared harness for the end-to-end tests: a private X server, a fresh home,
# the real program, and xdotool to find windows, click and type.
#
#   source "$(dirname "$0")/lib.sh"
#   vm_setup "$1"                # bin folder; starts Xvfb, makes a fresh HOME
#   vm_start_app velmora2 de     # language: de or en (the system's language)
#   win=$(vm_wait_window "Velmora")
#   vm_key "$win" Return
#   vm_click "$dash" 120 80
#   vm_wait_exit 10; echo "$VM_EXIT"
#   vm_settings_line 3           # a decoded line of the settings file
#
# Everything started here is stopped by the EXIT trap (by process id).
# VM_XVFB_EXTRA adds options for Xvfb (for example -wr: a white background).
# VM_WM=openbox runs the window manager openbox on the display, so that the
# program meets frames, focus and moves as users see them; the build
# registers every script twice, without and with it. Windows are found by
# their exact title among the mapped ones; positions are those of the
# program's own window (inside the frame, if any).

set -u

VM_BIN=""
VM_HOME=""
VM_XVFB_PID=""
VM_WM_PID=""
VM_APP_PID=""
VM_EXIT=""
VM_LOG=""

vm_fail() {
    echo "FAIL: $*" >&2
    if [ -n "$VM_LOG" ] && [ -s "$VM_LOG" ]; then
        echo "--- program output ---" >&2
        tail -n 40 "$VM_LOG" >&2
    fi
    exit 1
}

vm_note() { echo "# $*"; }

vm_require() {
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null 2>&1 || vm_fail "$tool is not installed (apt-get install xvfb xdotool imagemagick)"
    done
}

# A display number that no X server uses.
vm_free_display() {
    local n
    for n in $(seq 90 190); do
        if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
            echo "$n"
            return 0
        fi
    done
    return 1
}

vm_start_xvfb() {
    vm_require Xvfb xdotool xwininfo
    local display tries
    for tries in 1 2 3 4 5; do
        display=$(vm_free_display) || vm_fail "no free display number"
        # shellcheck disable=SC2086  # VM_XVFB_EXTRA holds separate options
        Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp -noreset ${VM_XVFB_EXTRA:-} \
            >"$VM_HOME/xvfb.log" 2>&1 &
        VM_XVFB_PID=$!
        export DISPLAY=":$display"
        local i
        for i in $(seq 1 50); do
            if xdotool getdisplaygeometry >/dev/null 2>&1; then
                return 0
            fi
            kill -0 "$VM_XVFB_PID" 2>/dev/null || break
            sleep 0.1
        done
        kill "$VM_XVFB_PID" 2>/dev/null
        wait "$VM_XVFB_PID" 2>/dev/null
        VM_XVFB_PID=""
    done
    vm_fail "Xvfb did not start"
}

vm_cleanup() {
    if [ -n "$VM_APP_PID" ] && kill -0 "$VM_APP_PID" 2>/dev/null; then
        kill "$VM_APP_PID" 2>/dev/null
        wait "$VM_APP_PID" 2>/dev/null
    fi
    if [ -n "$VM_WM_PID" ]; then
        kill "$VM_WM_PID" 2>/dev/null
        wait "$VM_WM_PID" 2>/dev/null
        VM_WM_PID=""
    fi
    if [ -n "$VM_XVFB_PID" ]; then
        kill "$VM_XVFB_PID" 2>/dev/null
        wait "$VM_XVFB_PID" 2>/dev/null
    fi
    if [ -n "$VM_HOME" ] && [ -d "$VM_HOME" ] && [ -z "${VM_KEEP_HOME:-}" ]; then
        rm -rf "$VM_HOME"
    fi
}

# vm_make_home BIN_DIR: a fresh home (no data folder yet) and runtime
# folder, removed by the EXIT trap.
vm_make_home() {
    VM_BIN=${1:?bin folder needed}
    [ -x "$VM_BIN/velmora2" ] || vm_fail "no program at $VM_BIN/velmora2"
    VM_HOME=$(mktemp -d /tmp/velmora-e2e.XXXXXX)
    trap vm_cleanup EXIT
    export HOME="$VM_HOME/home"
    export XDG_CONFIG_HOME="$HOME/.config"
    export TMPDIR="$VM_HOME/tmp"
    export XDG_RUNTIME_DIR="$VM_HOME/runtime"
    mkdir -p "$HOME" "$TMPDIR" "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
    unset QT_QPA_PLATFORM WAYLAND_DISPLAY
    VM_LOG="$VM_HOME/program.log"
}

# vm_setup BIN_DIR: a fresh home, an X server.
vm_setup() {
    vm_make_home "$@"
    vm_start_xvfb
    vm_start_wm
}

# True when a window manager runs on the display.
vm_has_wm() { [ -n "$VM_WM_PID" ]; }

# Starts the window manager named by VM_WM (none when empty) and waits until
# it manages the screen.
vm_start_wm() {
    case "${VM_WM:-}" in
        "") return 0 ;;
        openbox) ;;
        *) vm_fail "unknown window manager VM_WM=$VM_WM" ;;
    esac
    vm_require openbox xprop
    openbox --sm-disable >"$VM_HOME/wm.log" 2>&1 &
    VM_WM_PID=$!
    local i
    for i in $(seq 1 100); do
        if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
            vm_note "window manager: openbox"
            return 0
        fi
        kill -0 "$VM_WM_PID" 2>/dev/null || break
        sleep 0.05
    done
    vm_fail "openbox did not start: $(cat "$VM_HOME/wm.log")"
}

# The settings file of the fresh home.
vm_settings_file() { echo "$XDG_CONFIG_HOME/velmora/velmora.ini"; }

# vm_start_app PROGRAM [de|en]: starts a program of the bin folder with the
# system language given by the locale variables.
vm_start_app() {
    local program=$1 language=${2:-en} locale
    case "$language" in
        de) locale=de_DE.UTF-8 ;;
        *) locale=en_US.UTF-8 ;;
    esac
    env -u LC_ALL -u LC_MESSAGES -u LANGUAGE LANG="$locale" "$VM_BIN/$program" >>"$VM_LOG" 2>&1 &
    VM_APP_PID=$!
    VM_EXIT=""
}

# vm_find_window TITLE: ids of mapped windows with exactly this title. TITLE
# is a regular expression; xdotool matches it against the title in Latin-1,
# where a non-ASCII letter may take several bytes: match it with ".*"
# (".*ber\.\.\." for the German about box).
vm_find_window() {
    xdotool search --onlyvisible --name "^$1\$" 2>/dev/null
}

# vm_wait_window TITLE [SECONDS]: prints the id of the first mapped window
# with this title; fails after the time (default 10 s).
vm_wait_window() {
    local title=$1 limit=${2:-10} id i
    for i in $(seq 1 $((limit * 20))); do
        id=$(vm_find_window "$title" | head -n 1)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        if [ -n "$VM_APP_PID" ] && ! kill -0 "$VM_APP_PID" 2>/dev/null; then
            vm_fail "the program ended while waiting for window \"$title\""
        fi
        sleep 0.05
    done
    vm_fail "no window \"$title\" within ${limit}s"
}

# vm_wait_window_gone TITLE [SECONDS]
vm_wait_window_gone() {
    local title=$1 limit=${2:-10} i
    for i in $(seq 1 $((limit * 20))); do
        [ -z "$(vm_find_window "$title")" ] && return 0
        sleep 0.05
    done
    vm_fail "window \"$title\" still there after ${limit}s"
}

# vm_geometry ID: sets VM_X, VM_Y, VM_W, VM_H: the window's own area on the
# screen, without the frame of a window manager. (xwininfo, because xdotool
# counts the frame's offset twice for a window inside a frame.)
vm_geometry() {
    local out
    out=$(xwininfo -id "$1" 2>/dev/null) || vm_fail "no geometry for window $1"
    VM_X=$(echo "$out" | sed -n 's/^ *Absolute upper-left X: *//p')
    VM_Y=$(echo "$out" | sed -n 's/^ *Absolute upper-left Y: *//p')
    VM_W=$(echo "$out" | sed -n 's/^ *Width: *//p')
    VM_H=$(echo "$out" | sed -n 's/^ *Height: *//p')
}

# vm_frame_geometry ID: like vm_geometry, with the frame of the window
# manager (if any) included.
vm_frame_geometry() {
    local extents left=0 right=0 top=0 bottom=0
    vm_geometry "$1"
    extents=$(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= //p' | tr -d ' ')
    if [ -n "$extents" ]; then
        IFS=, read -r left right top bottom <<<"$extents"
    fi
    VM_X=$((VM_X - left)) VM_Y=$((VM_Y - top))
    VM_W=$((VM_W + left + right)) VM_H=$((VM_H + top + bottom))
}

# vm_raise ID: puts a window above the others (with a window manager by
# asking it to activate the window, without one directly).
vm_raise() {
    if vm_has_wm; then
        xdotool windowactivate --sync "$1" 2>/dev/null || xdotool windowactivate "$1"
    else
        xdotool windowraise "$1"
    fi
}

# vm_click ID X Y [BUTTON]: raises the window and clicks at window-relative
# coordinates.
vm_click() {
    vm_raise "$1"
    vm_geometry "$1"
    xdotool mousemove --sync $((VM_X + $2)) $((VM_Y + $3)) click "${4:-1}"
}

# vm_focus ID: gives the window the keyboard focus.
vm_focus() {
    if vm_has_wm; then
        xdotool windowactivate --sync "$1" 2>/dev/null || xdotool windowactivate "$1" 2>/dev/null
    fi
    xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"
}

# vm_key ID KEY...: gives the window the keyboard focus and types keys
# (xdotool key names: Return, Escape, Up, F1, ...).
vm_key() {
    local id=$1
    shift
    vm_focus "$id"
    xdotool key --delay 40 "$@"
}

# vm_type ID TEXT: gives the window the focus and types a text.
vm_type() {
    vm_focus "$1"
    xdotool type --delay 40 "$2"
}

# vm_wait_until SECONDS COMMAND...: retries the command every 50 ms until it
# succeeds; false after the time.
vm_wait_until() {
    local limit=$1 i
    shift
    for i in $(seq 1 $((limit * 20))); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.05
    done
    return 1
}

# vm_window_count: how many mapped windows the program has.
vm_window_count() {
    xdotool search --onlyvisible --pid "$VM_APP_PID" 2>/dev/null | wc -l
}

# vm_wait_exit [SECONDS]: waits for the program to end; sets VM_EXIT.
vm_wait_exit() {
    local limit=${1:-10} i
    for i in $(seq 1 $((limit * 20))); do
        if ! kill -0 "$VM_APP_PID" 2>/dev/null; then
            wait "$VM_APP_PID"
            VM_EXIT=$?
            VM_APP_PID=""
            return 0
        fi
        sleep 0.05
    done
    vm_fail "the program did not end within ${limit}s"
}

# vm_settings_line N: the decoded line N of the settings file (needs the
# command-line companion in the bin folder).
vm_settings_line() {
    "$VM_BIN/velmora2-cli" settings --file "$(vm_settings_file)" | sed -n "s/^$1: //p"
}

# vm_screenshot ID FILE: a picture of one window (ImageMagick's import),
# taken once two pictures in a row agree, so that it shows the window fully
# painted.
vm_screenshot() {
    vm_require import
    local previous="" now i
    for i in $(seq 1 40); do
        import -window "$1" "$2" 2>/dev/null || return 1
        now=$(md5sum <"$2")
        [ "$now" = "$previous" ] && return 0
        previous=$now
        sleep 0.05
    done
}

# vm_check CONDITION-TEXT COMMAND...: runs a test command, fails with the text.
vm_check() {
    local what=$1
    shift
    "$@" || vm_fail "$what"
    vm_note "ok: $what"
}
