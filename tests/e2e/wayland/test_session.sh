#!/bin/bash
# The real program under weston's headless back end, driven through the
# accessibility tree: the first start's reminder, the dashboard, each tool
# window opened from it and closed again, the end on SIGTERM (as when the
# session ends); then a start with a password, whose prompt says that its
# decoys stay inside the program, since a Wayland session lets no program
# type keys, and lets the right password in.
source "$(dirname "$0")/lib.sh"
wl_setup "$1" headless

vm_start_app velmora2 en
wl_at wait-window Velmora 20 || vm_fail "no reminder"
wl_at press Velmora "push button" OK || vm_fail "the reminder has no OK"
wl_at wait-gone Velmora || vm_fail "the reminder stayed"
vm_check "the dashboard is on screen" wl_at wait-window Velmora2

# open_and_close BUTTON TITLE: the dashboard's button opens the window, its
# Close button closes it, and the dashboard is on screen again.
open_and_close() {
    wl_at press Velmora2 "push button" "$1" || vm_fail "no dashboard button \"$1\""
    vm_check "\"$1\" opened \"$2\"" wl_at wait-window "$2"
    wl_at press "$2" "push button" Close || vm_fail "\"$2\" has no Close button"
    vm_check "\"$2\" closed" wl_at wait-gone "$2"
    wl_at wait-window Velmora2 1 || vm_fail "the dashboard went away with \"$2\""
}
open_and_close Encrypt "Encrypt files"
open_and_close "Secure Delete" "Secure Delete"
open_and_close Settings Options

kill -TERM "$VM_APP_PID"
vm_wait_exit 10
vm_check "SIGTERM ends the program with 0 (got $VM_EXIT)" test "$VM_EXIT" -eq 0
key=$(vm_settings_line 2)
vm_check "personal key of 24 characters stored ($key)" test "${#key}" -eq 24

# With a password, in German.
python3 "$WL_HERE/../password_settings.py" "$(vm_settings_file)" pw2024x 0 ||
    vm_fail "could not write the settings file"
vm_start_app velmora2 de
wl_at wait-window Anti-KeyLogin 20 || vm_fail "no password prompt"
said=$(wl_at description Anti-KeyLogin "check box" "Schutz gegen Keylogger einschalten") ||
    vm_fail "no protection box in the prompt"
vm_note "the protection box says: $said"
vm_check "the prompt says its decoys stay inside the program" \
    grep -q "programmintern an ein verdecktes Feld, ein Keylogger sieht sie nicht" <<<"$said"
wl_at set-text Anti-KeyLogin "password text" pw2024x || vm_fail "the password field took no text"
wl_at press Anti-KeyLogin "push button" Ok || vm_fail "the prompt has no Ok"
vm_check "the right password opens the dashboard" wl_at wait-window Velmora2
wl_at wait-gone Anti-KeyLogin 1 || vm_fail "the prompt stayed open"
kill -TERM "$VM_APP_PID"
vm_wait_exit 10
vm_check "the second run ends with 0 (got $VM_EXIT)" test "$VM_EXIT" -eq 0
echo PASS
