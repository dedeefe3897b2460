#!/bin/bash
# The real program in a real X server: first start on a German system, the
# password reminder, a tool opened from the dashboard, quitting through the
# icon menu, and what the settings file holds afterwards.
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
before=$(xdotool search --onlyvisible --pid "$VM_APP_PID" 2>/dev/null | wc -l)
vm_click "$dash" 114 92
for i in $(seq 1 40); do
    now=$(xdotool search --onlyvisible --pid "$VM_APP_PID" 2>/dev/null | wc -l)
    [ "$now" -gt "$before" ] && break
    sleep 0.05
done
vm_check "the encrypt window opened ($before -> $now windows)" test "$now" -gt "$before"
vm_check "the dashboard is still there" test -n "$(vm_find_window Velmora2)"

# Quit through the icon menu: the last entry is "Beenden".
vm_click "$dash" 17 17
sleep 0.3
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
# Dragging by the title text with the right button moves the window.
vm_geometry "$dash"
x0=$VM_X y0=$VM_Y
xdotool mousemove --sync $((x0 + 200)) $((y0 + 17)) mousedown 3
xdotool mousemove --sync $((x0 + 230)) $((y0 + 37))
xdotool mousemove --sync $((x0 + 260)) $((y0 + 57)) mouseup 3
sleep 0.2
vm_geometry "$dash"
vm_check "dragged by (60,40) to $VM_X,$VM_Y from $x0,$y0" test "$VM_X" -eq $((x0 + 60)) -a "$VM_Y" -eq $((y0 + 40))
vm_click "$dash" 430 17
vm_wait_exit 10
vm_check "second run ends with 0 (got $VM_EXIT)" test "$VM_EXIT" -eq 0
vm_check "the key stays" test "$(vm_settings_line 2)" = "$key"
echo "PASS"
