#!/bin/bash
# Dragging the dashboard by its title bar under weston, with each mouse
# button: the program hands the drag to the compositor (a Wayland window
# cannot place itself), which moves the window until the button is let go.
# weston runs on its x11 back end here, inside a private Xvfb whose pointer
# it takes as its seat's, so that xdotool can press and move a real pointer
# in the compositor; where the window stands is read off a picture of the
# screen (the title bar's colour).
source "$(dirname "$0")/lib.sh"
vm_require xdotool import
wl_setup "$1" x11

vm_start_app velmora2 en
wl_at wait-window Velmora 20 || vm_fail "no reminder"
wl_at press Velmora "push button" OK || vm_fail "the reminder has no OK"
wl_at wait-window Velmora2 || vm_fail "no dashboard"

# bar_at: sets BAR_X, BAR_Y, the top left corner of the title bar on screen.
bar_at() {
    local picture="$VM_HOME/screen.ppm" corner
    wl_x import -window root -depth 8 "ppm:$picture" 2>/dev/null || return 1
    corner=$(python3 "$WL_HERE/title_bar.py" "$picture") || return 1
    read -r BAR_X BAR_Y <<<"$corner"
}
bar_found() { bar_at; }
bar_stands_at() { bar_at && [ "$BAR_X" -eq "$1" ] && [ "$BAR_Y" -eq "$2" ]; }
bar_moved_from() { bar_at && { [ "$BAR_X" -ne "$1" ] || [ "$BAR_Y" -ne "$2" ]; }; }
# The pointer off the window, so that it covers nothing in the picture.
pointer_away() { wl_x xdotool mousemove --sync 1010 750; }

pointer_away
vm_check "the dashboard is on weston's screen" wl_wait_until 10 bar_found

for button in 1 3 2; do
    bar_at || vm_fail "the title bar went off the screen"
    x0=$BAR_X y0=$BAR_Y
    wl_x xdotool mousemove --sync $((x0 + 200)) $((y0 + 17)) mousedown $button
    sleep 0.2
    wl_x xdotool mousemove --sync $((x0 + 230)) $((y0 + 37))
    sleep 0.2
    wl_x xdotool mousemove --sync $((x0 + 260)) $((y0 + 57)) mouseup $button
    pointer_away
    wl_wait_until 5 bar_stands_at $((x0 + 60)) $((y0 + 40))
    vm_check "button $button dragged the window by (60,40) to $BAR_X,$BAR_Y from $x0,$y0" \
        test "$BAR_X" -eq $((x0 + 60)) -a "$BAR_Y" -eq $((y0 + 40))
    # A window that (wrongly) still followed the pointer gets a second to move.
    wl_x xdotool mousemove --sync $((x0 + 500)) $((y0 + 300))
    wl_wait_until 1 bar_moved_from $((x0 + 60)) $((y0 + 40))
    pointer_away
    bar_at
    vm_check "button $button let go: the window stays at $BAR_X,$BAR_Y" \
        test "$BAR_X" -eq $((x0 + 60)) -a "$BAR_Y" -eq $((y0 + 40))
done

kill -TERM "$VM_APP_PID"
vm_wait_exit 10
vm_check "SIGTERM ends the program with 0 (got $VM_EXIT)" test "$VM_EXIT" -eq 0
echo PASS
