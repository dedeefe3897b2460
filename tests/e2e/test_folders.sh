#!/bin/bash
# Folders in the two list windows of the real program:
#   1. the encrypt window's folder button, through Qt's folder dialog, lists
#      a folder; the encrypt button encrypts every file in it in place (each
#      checked against the companion with the same personal key), skips the
#      file already ".enc" and the link, and leaves the link's target alone;
#   2. "velmora2 --shred FOLDER" opens the secure delete window with the
#      folder listed; after the confirmation every file in it is destroyed
#      and the folder with its subfolders is gone, the file beside it kept.
# A screenshot of the encrypt window after the run goes to
# $VELMORA_SCREENSHOTS (docs/screenshots.sh sets it), else to a temporary folder.
source "$(dirname "$0")/lib.sh"
vm_setup "$1"
vm_require cmp import

SHOTS=${VELMORA_SCREENSHOTS:-${TMPDIR:-/tmp}/velmora-e2e-screenshots}
mkdir -p "$SHOTS"

# Window-relative positions of the layout.
DASH_ENCRYPT="114 92" # the dashboard's encrypt/decrypt button
ADD_FOLDER="570 227"  # the encrypt window's folder button, below the list's buttons
ENCRYPT="256 14"      # first tool-bar button
CLOSE="310 374"       # the close button
DELETE_START="15 14"  # the secure delete window's start button
DELETE_CLOSE="254 436"
DASH_CLOSE="430 17"   # the dashboard's X panel

# start_app ARGUMENTS...: the program in English with arguments.
start_app() {
    env -u LC_ALL -u LC_MESSAGES -u LANGUAGE LANG=en_US.UTF-8 "$VM_BIN/velmora2" "$@" \
        >>"$VM_LOG" 2>&1 &
    VM_APP_PID=$!
    VM_EXIT=""
}

# The reminder that no password is set yet comes first; then the dashboard.
past_reminder() {
    local box
    box=$(vm_wait_window "Velmora" 15) || exit 1
    vm_key "$box" Return
    vm_wait_window_gone "Velmora"
}

encrypted() { [ -e "$1.enc" ] && [ ! -e "$1" ]; }
gone() { [ ! -e "$1" ]; }

files="$VM_HOME/files"
tree="$files/tree"
mkdir -p "$tree/sub/deeper" "$VM_HOME/originals"
head -c 150000 /dev/urandom >"$tree/a.doc"
head -c 2000000 /dev/urandom >"$tree/sub/b.bin"
head -c 5000 /dev/urandom >"$tree/sub/deeper/c.txt"
echo "encrypted before" >"$tree/old.enc"
echo "outside the folder" >"$files/outside.txt"
ln -s ../outside.txt "$tree/link"
for name in a.doc sub/b.bin sub/deeper/c.txt; do
    mkdir -p "$VM_HOME/originals/$(dirname "$name")"
    cp "$tree/$name" "$VM_HOME/originals/$name"
done

# ---- 1. The folder button and an encrypt run over the folder
start_app
past_reminder
dash=$(vm_wait_window "Velmora2") || exit 1
vm_click "$dash" $DASH_ENCRYPT
window=$(vm_wait_window "Encrypt files") || exit 1
vm_click "$window" $ADD_FOLDER
dialog=$(vm_wait_window "Find Directory") || exit 1
vm_type "$dialog" "$tree"
vm_key "$dialog" Return
vm_wait_window_gone "Find Directory"

vm_click "$window" $ENCRYPT
for name in a.doc sub/b.bin sub/deeper/c.txt; do
    vm_check "$name became $name.enc" vm_wait_until 30 encrypted "$tree/$name"
done
check="$VM_HOME/check"
for name in a.doc sub/b.bin sub/deeper/c.txt; do
    mkdir -p "$check"
    cp "$tree/$name.enc" "$check/one.enc"
    "$VM_BIN/velmora2-cli" decrypt "$check/one.enc" >/dev/null ||
        vm_fail "the companion could not decrypt $name.enc"
    vm_check "$name.enc is $name encrypted with the personal key" \
        cmp -s "$check/one" "$VM_HOME/originals/$name"
    rm -f "$check/one"
done
vm_check "the file already .enc is skipped" test "$(cat "$tree/old.enc")" = "encrypted before"
vm_check "the link is skipped" test -L "$tree/link" -a ! -e "$tree/link.enc"
vm_check "the link's target is untouched" test "$(cat "$files/outside.txt")" = "outside the folder"
vm_check "the tree keeps its folders and nothing else is in it" \
    test "$(find "$tree" | wc -l)" -eq 8
vm_screenshot "$window" "$SHOTS/encrypt-folder-en-done.png"

vm_click "$window" $CLOSE
vm_wait_window_gone "Encrypt files"
vm_click "$dash" $DASH_CLOSE
vm_wait_exit 10
vm_check "exit code 0 (got $VM_EXIT)" test "$VM_EXIT" -eq 0

# ---- 2. A folder named for the secure delete window, destroyed whole
rm -f "$tree/link"
start_app --shred "$tree"
past_reminder
shred=$(vm_wait_window "Secure Delete") || exit 1
vm_click "$shred" $DELETE_START
confirm=$(vm_wait_window "Best.*tigen") || exit 1
vm_key "$confirm" alt+j
vm_check "the folder is gone with everything in it" vm_wait_until 30 gone "$tree"
vm_check "the file beside it is untouched" test "$(cat "$files/outside.txt")" = "outside the folder"
vm_check "no box is left open" test -z "$(vm_find_window "Informationen")"
dash=$(vm_wait_window "Velmora2") || exit 1
vm_click "$shred" $DELETE_CLOSE
vm_wait_window_gone "Secure Delete"
vm_click "$dash" $DASH_CLOSE
vm_wait_exit 10
vm_check "exit code 0 (got $VM_EXIT)" test "$VM_EXIT" -eq 0
echo "PASS"
