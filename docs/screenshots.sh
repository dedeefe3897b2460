#!/bin/bash
# Takes the pictures under docs/screenshots/ from the real program under a
# private X server: the dashboard in German and English (with the reminder
# box of the first start) and the about box in both languages.
#
#   docs/screenshots.sh [BIN_DIR]     (default: build/bin)
#
# Needs Xvfb, xdotool and ImageMagick; installs ImageMagick when it is missing.
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
bin=${1:-$root/build/bin}
out="$here/screenshots"
mkdir -p "$out"

if ! command -v import >/dev/null 2>&1; then
    echo "installing ImageMagick"
    apt-get install -y imagemagick >/dev/null || { echo "cannot install ImageMagick" >&2; exit 1; }
fi

# shellcheck source=../tests/e2e/lib.sh
source "$root/tests/e2e/lib.sh"
export VM_XVFB_EXTRA="-wr"  # white background around the rounded corners

# shot ID FILE: the window's rectangle cut from the screen, so that what lies
# outside a rounded shape shows the background.
shot() {
    vm_geometry "$1"
    sleep 0.3
    import -window root -crop "${VM_W}x${VM_H}+${VM_X}+${VM_Y}" +repage "$2"
    echo "wrote $2"
}

take() {
    local language=$1 about=$2
    vm_setup "$bin"
    vm_start_app velmora2 "$language"
    local box dash
    box=$(vm_wait_window "Velmora" 15)
    shot "$box" "$out/reminder-$language.png"
    vm_key "$box" Return
    dash=$(vm_wait_window "Velmora2")
    xdotool mousemove 0 0
    shot "$dash" "$out/dashboard-$language.png"

    # The icon menu over the dashboard.
    vm_click "$dash" 17 17
    sleep 0.4
    vm_geometry "$dash"
    import -window root -crop "$((VM_W + 40))x$((VM_H + 40))+$((VM_X - 20))+$((VM_Y - 20))" +repage \
        "$out/menu-$language.png"
    echo "wrote $out/menu-$language.png"
    # Down twice: "Updates", then "Info" (the separator is skipped).
    xdotool key --delay 80 Down Down Return
    local aboutbox
    aboutbox=$(vm_wait_window "$about")
    xdotool mousemove 0 0
    shot "$aboutbox" "$out/about-$language.png"
    vm_key "$aboutbox" Escape
    vm_wait_window_gone "$about"
    vm_click "$dash" 430 17
    vm_wait_exit 10
    vm_cleanup
    trap - EXIT
}

# Titles are regular expressions; xdotool compares them with the title in
# Latin-1, so a non-ASCII letter is matched with ".*".
take de ".*ber\\.\\.\\."
take en "About\\.\\.\\."
