#!/bin/bash
# Takes the pictures under docs/screenshots/ from the real program under a
# private X server with the window manager openbox, so that they show the
# windows as users see them, frames included: the dashboard in German and
# English with the reminder box of the first start, its icon menu and the
# about box, the settings window in both languages, and the password prompt
# with its protection on, the decoy log window and the reset confirmation;
# then the reminder box and the settings window once more under a dark colour
# scheme of the desktop (qt6ct's "darker" with the Fusion style). Last, every
# picture is made smaller without loss. The encrypt and secure delete
# pictures come from their end-to-end tests, which this script runs with
# VELMORA_SCREENSHOTS set.
#
#   docs/screenshots.sh [BIN_DIR]     (default: build/bin)
#
# Needs Xvfb, xdotool, openbox, ImageMagick, qt6ct and optipng; installs the
# last three when they are missing.
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
bin=${1:-$root/build/bin}
out="$here/screenshots"
mkdir -p "$out"

need() {
    local command=$1 package=$2
    command -v "$command" >/dev/null 2>&1 && return 0
    echo "installing $package"
    apt-get install -y "$package" >/dev/null || { echo "cannot install $package" >&2; exit 1; }
}
need import imagemagick
need qt6ct qt6ct
need optipng optipng

# shellcheck source=../tests/e2e/lib.sh
source "$root/tests/e2e/lib.sh"
export VM_XVFB_EXTRA="-wr"  # white background around the rounded corners
export VM_WM=openbox

# shot ID FILE: the window with the frame the window manager gives it (none
# for the program's borderless windows), cut from the screen so that what
# lies outside a rounded shape shows the background. Taken once two pictures
# in a row agree, that is once the window is fully painted.
shot() {
    local previous="" now i
    vm_frame_geometry "$1"
    local crop="${VM_W}x${VM_H}+${VM_X}+${VM_Y}"
    for i in $(seq 1 40); do
        import -window root -crop "$crop" +repage "$2"
        now=$(md5sum <"$2")
        [ "$now" = "$previous" ] && break
        previous=$now
        sleep 0.05
    done
    echo "wrote $2"
}

more_windows() { [ "$(vm_window_count)" -gt "$1" ]; }

dashboard_and_settings() {
    local language=$1 about=$2 options=$3
    vm_setup "$bin"
    vm_start_app velmora2 "$language"
    local box dash count
    box=$(vm_wait_window "Velmora" 15)
    shot "$box" "$out/reminder-$language.png"
    vm_key "$box" Return
    dash=$(vm_wait_window "Velmora2")
    xdotool mousemove 0 0
    shot "$dash" "$out/dashboard-$language.png"

    # The icon menu over the dashboard.
    count=$(vm_window_count)
    vm_click "$dash" 17 17
    vm_wait_until 5 more_windows "$count" || vm_fail "the icon menu did not open"
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
    vm_click "$aboutbox" 125 214  # "Ok"
    vm_wait_window_gone "$about"

    # The settings window, key masked.
    vm_click "$dash" 222 179
    local settings
    settings=$(vm_wait_window "$options")
    xdotool mousemove 0 0
    shot "$settings" "$out/settings-$language.png"
    vm_click "$settings" 277 284  # close
    vm_wait_window_gone "$options"

    vm_click "$dash" 430 17
    vm_wait_exit 10
    vm_cleanup
    trap - EXIT
}

password_windows() {
    vm_setup "$bin"
    mkdir -p "$XDG_CONFIG_HOME/velmora"
    python3 "$root/tests/e2e/password_settings.py" "$(vm_settings_file)" geheim 1 \
        || vm_fail "could not write the settings file"
    vm_start_app velmora2 en
    local prompt log confirmation
    prompt=$(vm_wait_window "Anti-KeyLogin" 20)
    vm_click "$prompt" 26 72    # "Enable protection against keylogger"
    vm_click "$prompt" 100 41   # into the password field
    xdotool type --delay 300 "geh"
    xdotool mousemove 0 0
    shot "$prompt" "$out/password-prompt.png"
    vm_click "$prompt" 335 71   # the keyboard button: the decoy log
    log=$(vm_wait_window "Send to Keylogger")
    xdotool mousemove 0 0
    shot "$log" "$out/password-keylogger-log.png"
    vm_click "$prompt" 284 16   # "Forgot password?"
    confirmation=$(vm_wait_window "Reset password")
    xdotool mousemove 0 0
    shot "$confirmation" "$out/password-reset.png"
    vm_click "$confirmation" 282 109  # "No"
    vm_click "$prompt" 311 107        # "Cancel": the program ends
    vm_wait_exit 10
    vm_cleanup
    trap - EXIT
}

# Under a dark scheme the program's windows keep their own colours, text and
# background together; the message boxes take the desktop's, also whole.
dark_windows() {
    vm_setup "$bin"
    mkdir -p "$XDG_CONFIG_HOME/qt6ct"
    cat >"$XDG_CONFIG_HOME/qt6ct/qt6ct.conf" <<'CONF'
[Appearance]
color_scheme_path=/usr/share/qt6ct/colors/darker.conf
custom_palette=true
style=Fusion
CONF
    export QT_QPA_PLATFORMTHEME=qt6ct
    vm_start_app velmora2 en
    local box dash settings
    box=$(vm_wait_window "Velmora" 15)
    shot "$box" "$out/reminder-dark.png"
    vm_key "$box" Return
    dash=$(vm_wait_window "Velmora2")
    vm_click "$dash" 222 179
    settings=$(vm_wait_window "Options")
    xdotool mousemove 0 0
    shot "$settings" "$out/settings-dark.png"
    vm_click "$settings" 277 284  # close
    vm_wait_window_gone "Options"
    vm_click "$dash" 430 17
    vm_wait_exit 10
    vm_cleanup
    trap - EXIT
    unset QT_QPA_PLATFORMTHEME
}

# Titles are regular expressions; xdotool compares them with the title in
# Latin-1, so a non-ASCII letter is matched with ".*".
dashboard_and_settings de ".*ber\\.\\.\\." "Optionen"
dashboard_and_settings en "About\\.\\.\\." "Options"
password_windows
dark_windows
for window in encrypt_window delete_window; do
    VELMORA_SCREENSHOTS="$out" bash "$root/tests/e2e/test_$window.sh" "$bin" >/dev/null ||
        { echo "the $window pictures failed" >&2; exit 1; }
done
optipng -quiet -o2 "$out"/*.png
