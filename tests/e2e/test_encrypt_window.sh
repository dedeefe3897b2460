#!/bin/bash
# The encrypt/decrypt window in the real program, in English and in German:
# the dashboard opens it, a file is picked through the file dialog, the
# encrypt button turns it into its ".enc" file (checked against the
# command-line companion with the same personal key), and the decrypt button
# gives back the original bytes. Screenshots of both languages (with the file
# listed, and after the encryption) go to $VELMORA_SCREENSHOTS (docs/screenshots.sh
# sets it to docs/screenshots), else to a temporary folder.
source "$(dirname "$0")/lib.sh"
vm_setup "$1"
vm_require import cmp

SHOTS=${VELMORA_SCREENSHOTS:-${TMPDIR:-/tmp}/velmora-e2e-screenshots}
mkdir -p "$SHOTS"

# Window-relative positions of the layout.
DASH_ENCRYPT="114 92" # the dashboard's encrypt/decrypt button
SELECT="568 78"       # picture button right of the folder field: select files
ENCRYPT="256 14"      # first tool-bar button
DECRYPT="289 14"      # second tool-bar button
CLOSE="310 374"       # the close button
DASH_CLOSE="430 17"   # the dashboard's X panel

# Waits until a file exists and another does not.
wait_for_swap() {
    local appears=$1 goes=$2 i
    for i in $(seq 1 200); do
        [ -e "$appears" ] && [ ! -e "$goes" ] && return 0
        sleep 0.1
    done
    return 1
}

differ() { ! cmp -s "$1" "$2"; }

# One session of the program on a fresh data folder.
#   $1 language (en/de), $2 window title as a pattern (the program's plain
#   WM_NAME carries the title's UTF-8 bytes, so "." would not match an "ü"),
#   $3 the title of Qt's file dialog, German with the German interface
session() {
    local language=$1 title=$2 open=$3
    local files="$VM_HOME/files-$language"
    rm -rf "$XDG_CONFIG_HOME/velmora"
    mkdir -p "$files"
    head -c 3000000 /dev/urandom >"$files/report.doc"
    cp "$files/report.doc" "$VM_HOME/original-$language"
    echo "keep me" >"$files/keep.txt"

    vm_start_app velmora2 "$language"
    # No password yet: the reminder comes first.
    local box
    box=$(vm_wait_window "Velmora" 15) || exit 1
    vm_key "$box" Return
    vm_wait_window_gone "Velmora"

    local dash window dialog
    dash=$(vm_wait_window "Velmora2") || exit 1
    vm_click "$dash" $DASH_ENCRYPT
    window=$(vm_wait_window "$title") || exit 1
    vm_geometry "$window"
    vm_check "$language: the window is 614x417 (${VM_W}x${VM_H})" test "$VM_W" -eq 614 -a "$VM_H" -eq 417

    vm_click "$window" $SELECT
    dialog=$(vm_wait_window "$open") || exit 1
    vm_type "$dialog" "$files/report.doc"
    vm_key "$dialog" Return
    vm_wait_window_gone "$open"
    sleep 0.5
    vm_screenshot "$window" "$SHOTS/encrypt-$language.png"

    # The name has no ".enc": the box is clear and the run asks nothing.
    vm_click "$window" $ENCRYPT
    vm_check "$language: report.doc became report.doc.enc" \
        wait_for_swap "$files/report.doc.enc" "$files/report.doc"
    sleep 0.5
    vm_check "$language: the encrypted file has the plain file's length" \
        test "$(stat -c %s "$files/report.doc.enc")" -eq 3000000
    vm_check "$language: the encrypted file differs from the plain one" \
        differ "$files/report.doc.enc" "$VM_HOME/original-$language"
    # The companion decrypts a copy with the personal key of the settings.
    local check="$VM_HOME/check-$language"
    mkdir -p "$check"
    cp "$files/report.doc.enc" "$check/"
    "$VM_BIN/velmora2-cli" decrypt "$check/report.doc.enc" >/dev/null ||
        vm_fail "$language: the companion could not decrypt the copy"
    vm_check "$language: the file on disk is the original encrypted with the personal key" \
        cmp -s "$check/report.doc" "$VM_HOME/original-$language"
    vm_check "$language: no intermediate is left" test ! -e "$files/report.doc.ec"
    vm_screenshot "$window" "$SHOTS/encrypt-$language-done.png"

    # The list now holds report.doc.enc and the box is set: decrypt at once.
    vm_click "$window" $DECRYPT
    vm_check "$language: report.doc.enc became report.doc again" \
        wait_for_swap "$files/report.doc" "$files/report.doc.enc"
    sleep 0.5
    vm_check "$language: the original bytes are back" cmp -s "$files/report.doc" "$VM_HOME/original-$language"
    vm_check "$language: the backup copy is gone" test ! -e "$files/bakreport.doc.enc"
    vm_check "$language: the unlisted file is untouched" test "$(cat "$files/keep.txt")" = "keep me"
    vm_check "$language: no box is left open" test -z "$(vm_find_window "Decrypt")$(vm_find_window "Encrypt")"

    # Close the window, then the dashboard: the program ends with 0.
    vm_click "$window" $CLOSE
    vm_wait_window_gone "$title"
    vm_click "$dash" $DASH_CLOSE
    vm_wait_exit 10
    vm_check "$language: exit code 0 (got $VM_EXIT)" test "$VM_EXIT" -eq 0
}

session en "Encrypt files" "Open"
session de "Dateien verschl.*sseln" ".*ffnen"
echo "PASS"
