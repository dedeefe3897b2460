#!/bin/bash
# The real program in a real X server: first start on a German system, the
# password reminder, a tool opened from the dashboard, the about box centred
# over the dashboard, quitting through the icon menu, and what the settings
# file holds afterwards; then dragging the title bar with the right button,
# which ends when the button is let go.
source "$(dirname "$0")/lib.sh"
vm_setup "$1"

vm_check "no data folder before the first start" test ! -e "$XDG_CONFIG_HOME/velmora"
vm_start_app velmora2 de

# The reminder comes before the dashboard is on screen.
box=$(vm_wait_window "Velmora" 15)
vm_check "dashboard hidden while the reminder is open" test -z "$(vm_find_window Velmora2)"
vm_geometry "$box"
vm_check "the reminder is a small box (${VM_W}x${VM_H})" test "$VM_W" -lt 700 -a "$VM_H" -lt 300
vm_check "settings file written before the reminder" test -s "$(vm_settings_file)"
vm_key "$box" Return
vm_wait_window_gone "Velmora"

dash=$(vm_wait_window "Velmora2")
vm_geometry "$dash"
vm_check "German dashboard is 445x305 (${VM_W}x${VM_H})" test "$VM_W" -eq 445 -a "$VM_H" -eq 305
vm_check "dashboard centred (x=$VM_X)" test $((VM_X + VM_W / 2)) -ge 630 -a $((VM_X + VM_W / 2)) -le 650

# Encrypt: a second window of the program opens beside the dashboard.
before=$(vm_window_count)
vm_click "$dash" 114 92
more_windows() { [ "$(vm_window_count)" -gt "$1" ]; }
vm_check "the encrypt window opened" vm_wait_until 5 more_windows "$before"
vm_check "the dashboard is still there" test -n "$(vm_find_window Velmora2)"

# The icon menu opens (one more window), Down twice picks "Info".
open_menu() {
    local count
    count=$(vm_window_count)
    vm_click "$dash" 17 17
    vm_wait_until 5 more_windows "$count" || vm_fail "the icon menu did not open"
}
open_menu
xdotool key --delay 60 Down Down Return
about=$(vm_wait_window ".*ber\.\.\.")
vm_geometry "$dash"
dash_cx=$((VM_X + VM_W / 2)) dash_cy=$((VM_Y + VM_H / 2))
vm_geometry "$about"
about_cx=$((VM_X + VM_W / 2)) about_cy=$((VM_Y + VM_H / 2))
dx=$((about_cx - dash_cx)) dy=$((about_cy - dash_cy))
vm_check "about box centred over the dashboard (off by $dx,$dy)" \
    test "${dx#-}" -le 1 -a "${dy#-}" -le 1
vm_click "$about" 125 214  # "Ok"
vm_wait_window_gone ".*ber\.\.\."

# Quit through the icon menu: the last entry is "Beenden".
open_menu
xdotool key --delay 60 Up Return
vm_wait_exit 10
vm_check "exit code 0 (got $VM_EXIT)" test "$VM_EXIT" -eq 0

key=$(vm_settings_line 2)
vm_check "personal key of 24 characters in line 2 ($key)" test "${#key}" -eq 24
vm_check "language 0 in line 3" test "$(vm_settings_line 3)" = "0"
vm_check "no password in line 0" test -z "$(vm_settings_line 0 | tr -d ' ')"
vm_check "data folder private" test "$(stat -c %a "$XDG_CONFIG_HOME/velmora")" = "700"
vm_check "no probe file left" test ! -e "$TMPDIR/velmora2.dat"

# Second start: same key, the reminder again, close with the X panel.
vm_start_app velmora2 de
box=$(vm_wait_window "Velmora" 15)
vm_key "$box" Return
dash=$(vm_wait_window "Velmora2")

# at_position ID X Y: the window stands at X,Y.
at_position() { vm_geometry "$1"; [ "$VM_X" -eq "$2" ] && [ "$VM_Y" -eq "$3" ]; }
moved_from() { ! at_position "$@"; }

# Dragging by the title text with the right, then the middle button moves
# the window; letting go ends the drag: the window stays where it is when
# the pointer moves on.
for button in 3 2; do
    vm_geometry "$dash"
    x0=$VM_X y0=$VM_Y
    xdotool mousemove --sync $((x0 + 200)) $((y0 + 17)) mousedown $button
    xdotool mousemove --sync $((x0 + 230)) $((y0 + 37))
    xdotool mousemove --sync $((x0 + 260)) $((y0 + 57)) mouseup $button
    vm_wait_until 5 at_position "$dash" $((x0 + 60)) $((y0 + 40))
    vm_geometry "$dash"
    vm_check "button $button dragged by (60,40) to $VM_X,$VM_Y from $x0,$y0" \
        test "$VM_X" -eq $((x0 + 60)) -a "$VM_Y" -eq $((y0 + 40))
    xdotool mousemove --sync $((x0 + 460)) $((y0 + 257))
    xdotool mousemove --sync $((x0 + 500)) $((y0 + 300))
    # A window that (wrongly) still followed the pointer gets a second to move.
    vm_wait_until 1 moved_from "$dash" $((x0 + 60)) $((y0 + 40))
    vm_geometry "$dash"
    vm_check "button $button let go: the window stays at $VM_X,$VM_Y" \
        test "$VM_X" -eq $((x0 + 60)) -a "$VM_Y" -eq $((y0 + 40))
done
# A left click on the bare body afterwards opens nothing.
count=$(vm_window_count)
vm_click "$dash" 20 225
vm_wait_until 1 more_windows "$count"
vm_check "a click on the body opens no window" test "$(vm_window_count)" -eq "$count"

vm_click "$dash" 430 17
vm_wait_exit 10
vm_check "second run ends with 0 (got $VM_EXIT)" test "$VM_EXIT" -eq 0
vm_check "the key stays" test "$(vm_settings_line 2)" = "$key"
echo "PASS"
