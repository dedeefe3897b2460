#!/bin/bash
# The settings window in the real program: opened from the German dashboard,
# English chosen and saved, and the dashboard turns English at once (its
# height drops from 305 to 245, settings line 3 becomes 1). Then a password
# is set through the prompt, the next start asks for it, the password is
# deleted again, and the start after that only reminds. Screenshots of the
# window in both languages go to $VELMORA_SCREENSHOTS
# (docs/screenshots.sh sets it to docs/screenshots), else to a temporary folder.
source "$(dirname "$0")/lib.sh"
vm_setup "$1"
vm_require import

SHOTS=${VELMORA_SCREENSHOTS:-${TMPDIR:-/tmp}/velmora-e2e-screenshots}
mkdir -p "$SHOTS"
PASSWORD=Sommer2024

# Window-relative positions of the layout.
DASH_SETTINGS="222 179" # the dashboard's settings button
DASH_CLOSE="430 17"     # the dashboard's X panel
SET_PASSWORD="146 14"   # first tool-bar button
DELETE_PASSWORD="178 14"
ENGLISH="250 189"       # the second item of the language box
SAVE="161 284"
CLOSE="277 284"

# vm_wait_height ID HEIGHT: waits until the window has this height.
vm_wait_height() {
    local i
    for i in $(seq 1 100); do
        vm_geometry "$1"
        [ "$VM_H" -eq "$2" ] && return 0
        sleep 0.05
    done
    return 1
}

# other_window TITLE EXCEPT: a mapped window with this title other than EXCEPT
# (the question boxes share the caption "Velmora2" with the dashboard).
other_window() {
    local i id
    for i in $(seq 1 200); do
        id=$(vm_find_window "$1" | grep -vx "$2" | head -n 1)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.05
    done
    vm_fail "no second window \"$1\""
}

# ---- first start on a German system: the reminder, then the dashboard
vm_start_app velmora2 de
box=$(vm_wait_window "Velmora" 15) || exit 1
vm_key "$box" Return
vm_wait_window_gone "Velmora"
dash=$(vm_wait_window "Velmora2") || exit 1
vm_geometry "$dash"
vm_check "German dashboard is 305 high (${VM_H})" test "$VM_H" -eq 305

# ---- the settings window in German
vm_click "$dash" $DASH_SETTINGS
win=$(vm_wait_window "Optionen") || exit 1
vm_geometry "$win"
vm_check "the settings window is 431x326 (${VM_W}x${VM_H})" test "$VM_W" -eq 431 -a "$VM_H" -eq 326
first_x=$VM_X first_y=$VM_Y
vm_screenshot "$win" "$SHOTS/settings-de.png"

# ---- every opening at the same place
for opening in 2 3; do
    vm_click "$win" $CLOSE
    vm_wait_window_gone "Optionen"
    vm_click "$dash" $DASH_SETTINGS
    win=$(vm_wait_window "Optionen") || exit 1
    vm_geometry "$win"
    vm_check "opening $opening at $VM_X,$VM_Y like the first at $first_x,$first_y" \
        test "$VM_X" -eq "$first_x" -a "$VM_Y" -eq "$first_y"
done

# ---- English chosen: the window's texts change at once; saved
vm_click "$win" $ENGLISH
vm_wait_window "Options" >/dev/null || exit 1
vm_check "the caption turned English" test -z "$(vm_find_window Optionen)"
vm_screenshot "$win" "$SHOTS/settings-en.png"
vm_click "$win" $SAVE
vm_wait_window_gone "Options"
vm_check "the dashboard turned English at once" vm_wait_height "$dash" 245
vm_check "settings line 3 holds 1" test "$(vm_settings_line 3)" = "1"

# ---- a password set through the prompt; the window saves and closes
vm_click "$dash" $DASH_SETTINGS
win=$(vm_wait_window "Options") || exit 1
vm_click "$win" $SET_PASSWORD
prompt=$(vm_wait_window "Anti-KeyLogin") || exit 1
vm_type "$prompt" "$PASSWORD"
vm_key "$prompt" Return
vm_wait_window_gone "Anti-KeyLogin"
confirm=$(vm_wait_window "Best.*tigen") || exit 1
vm_key "$confirm" Return
vm_wait_window_gone "Options"
digest=$(printf '%s' "$PASSWORD" | md5sum | cut -d' ' -f1)
vm_check "line 0 holds the password's digest" test "$(vm_settings_line 0)" = "$digest"
vm_click "$dash" $DASH_CLOSE
vm_wait_exit 10
vm_check "first run ends with 0 (got $VM_EXIT)" test "$VM_EXIT" -eq 0
vm_check "closing the dashboard keeps English" test "$(vm_settings_line 3)" = "1"

# ---- the next start asks for the password and opens the English dashboard
vm_start_app velmora2 de
prompt=$(vm_wait_window "Anti-KeyLogin" 15) || exit 1
vm_type "$prompt" "$PASSWORD"
vm_key "$prompt" Return
dash=$(vm_wait_window "Velmora2") || exit 1
vm_check "the English dashboard is 245 high" vm_wait_height "$dash" 245
vm_check "no reminder with a password set" test -z "$(vm_find_window Velmora)"

# ---- the password deleted; the window saves and closes
vm_click "$dash" $DASH_SETTINGS
win=$(vm_wait_window "Options") || exit 1
vm_click "$win" $DELETE_PASSWORD
question=$(other_window "Velmora2" "$dash")
# Its default button is No: Enter keeps the password.
vm_key "$question" Return
box_closed() { ! vm_find_window "Velmora2" | grep -qx "$1"; }
vm_check "Enter answers the question" vm_wait_until 5 box_closed "$question"
vm_check "Enter keeps the password" test -n "$(vm_settings_line 0 | tr -d ' ')"
vm_check "the window stays open" test -n "$(vm_find_window "Options")"
vm_click "$win" $DELETE_PASSWORD
question=$(other_window "Velmora2" "$dash")
vm_key "$question" alt+y
vm_wait_window_gone "Options"
vm_check "line 0 is empty again" test -z "$(vm_settings_line 0 | tr -d ' ')"

# ---- closing without a change asks nothing
vm_click "$dash" $DASH_SETTINGS
win=$(vm_wait_window "Options") || exit 1
vm_click "$win" $CLOSE
vm_wait_window_gone "Options"
vm_check "no question after an unchanged close" test "$(vm_find_window Velmora2 | wc -l)" -eq 1
vm_click "$dash" $DASH_CLOSE
vm_wait_exit 10
vm_check "second run ends with 0 (got $VM_EXIT)" test "$VM_EXIT" -eq 0

# ---- the start after that only reminds
vm_start_app velmora2 de
box=$(vm_wait_window "Velmora" 15) || exit 1
vm_check "no prompt without a password" test -z "$(vm_find_window Anti-KeyLogin)"
vm_key "$box" Return
dash=$(vm_wait_window "Velmora2") || exit 1
vm_click "$dash" $DASH_CLOSE
vm_wait_exit 10
vm_check "third run ends with 0 (got $VM_EXIT)" test "$VM_EXIT" -eq 0
echo "PASS"
