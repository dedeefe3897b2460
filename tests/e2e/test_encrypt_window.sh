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

swapped() { [ -e "$1" ] && [ ! -e "$2" ]; }

# Waits until a file exists and another does not.
wait_for_swap() { vm_wait_until 20 swapped "$1" "$2"; }

# click_until ID X Y SECONDS COMMAND...: clicks, and clicks again while the
# condition does not hold (a click on a button that a run still disables
# does nothing).
click_until() {
    local id=$1 x=$2 y=$3 limit=$4 i
    shift 4
    for i in $(seq 1 "$limit"); do
        vm_click "$id" "$x" "$y"
        vm_wait_until 1 "$@" && return 0
    done
    return 1
}

# A digest of a window's pixels (not of a picture file, which carries a time).
pixels() { import -window "$1" rgb:- 2>/dev/null | md5sum; }

# wait_for_paint ID DIGEST: waits until the window looks other than DIGEST.
wait_for_paint() {
    local id=$1 before=$2 i
    for i in $(seq 1 100); do
        [ "$(pixels "$id")" != "$before" ] && return 0
        sleep 0.05
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

    local empty
    empty=$(pixels "$window")
    vm_click "$window" $SELECT
    dialog=$(vm_wait_window "$open") || exit 1
    vm_type "$dialog" "$files/report.doc"
    vm_key "$dialog" Return
    vm_wait_window_gone "$open"
    vm_check "$language: the window shows the chosen file" wait_for_paint "$window" "$empty"
    vm_screenshot "$window" "$SHOTS/encrypt-$language.png"

    # The name has no ".enc": the box is clear and the run asks nothing.
    vm_click "$window" $ENCRYPT
    vm_check "$language: report.doc became report.doc.enc" \
        wait_for_swap "$files/report.doc.enc" "$files/report.doc"
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

    # The list now holds report.doc.enc and the box is set: decrypt once the
    # encryption run has ended.
    vm_check "$language: report.doc.enc became report.doc again" \
        click_until "$window" $DECRYPT 20 swapped "$files/report.doc" "$files/report.doc.enc"
    vm_check "$language: the original bytes are back" cmp -s "$files/report.doc" "$VM_HOME/original-$language"
    vm_check "$language: the backup copy is gone" vm_wait_until 10 test ! -e "$files/bakreport.doc.enc"
    vm_check "$language: the unlisted file is untouched" test "$(cat "$files/keep.txt")" = "keep me"
    vm_check "$language: no box is left open" test -z "$(vm_find_window "Decrypt")$(vm_find_window "Encrypt")"

    # Close the window, then the dashboard: the program ends with 0.
    vm_click "$window" $CLOSE
    vm_wait_window_gone "$title"
    vm_click "$dash" $DASH_CLOSE
    vm_wait_exit 10
    vm_check "$language: exit code 0 (got $VM_EXIT)" test "$VM_EXIT" -eq 0
}

# Large files, and the dashboard closed while the second one is encrypted:
# the run stops after that file, the program ends on its own within a
# bound, and every file is either untouched or completely encrypted (a copy
# decrypts back with the companion).
quit_during_run() {
    local files="$VM_HOME/large" count=4 size_mib=256 n
    rm -rf "$XDG_CONFIG_HOME/velmora"
    mkdir -p "$files"
    for n in $(seq 1 $count); do
        head -c $((size_mib * 1024 * 1024)) /dev/zero >"$files/big$n.bin"
    done

    vm_start_app velmora2 en
    local box dash window dialog
    box=$(vm_wait_window "Velmora" 15) || exit 1
    vm_key "$box" Return
    vm_wait_window_gone "Velmora"
    dash=$(vm_wait_window "Velmora2") || exit 1
    vm_click "$dash" $DASH_ENCRYPT
    window=$(vm_wait_window "Encrypt files") || exit 1
    vm_click "$window" $SELECT
    dialog=$(vm_wait_window "Open") || exit 1
    # The folder first, then the four names at once.
    vm_type "$dialog" "$files/"
    vm_key "$dialog" Return
    vm_type "$dialog" "\"big1.bin\" \"big2.bin\" \"big3.bin\" \"big4.bin\""
    vm_key "$dialog" Return
    vm_wait_window_gone "Open"

    vm_click "$window" $ENCRYPT
    # The first file is done (a result has no name until it is complete):
    # the run is on, in its second file.
    vm_check "quit: the run started" \
        vm_wait_until 60 test -e "$files/big1.bin.enc"
    local started=$SECONDS
    vm_click "$dash" $DASH_CLOSE
    vm_wait_exit 120
    vm_note "the program ended $((SECONDS - started)) s after the close"
    vm_check "quit: exit code 0 (got $VM_EXIT)" test "$VM_EXIT" -eq 0

    local encrypted=0 check="$VM_HOME/check-large"
    mkdir -p "$check"
    for n in $(seq 1 $count); do
        if [ -e "$files/big$n.bin" ]; then
            vm_check "quit: big$n.bin is untouched and alone" \
                test ! -e "$files/big$n.bin.enc" -a "$(stat -c %s "$files/big$n.bin")" -eq $((size_mib * 1024 * 1024))
            vm_check "quit: big$n.bin holds its bytes" cmp -s -n $((size_mib * 1024 * 1024)) "$files/big$n.bin" /dev/zero
        else
            encrypted=$((encrypted + 1))
            cp "$files/big$n.bin.enc" "$check/"
            "$VM_BIN/velmora2-cli" decrypt "$check/big$n.bin.enc" >/dev/null ||
                vm_fail "quit: the companion could not decrypt big$n.bin.enc"
            vm_check "quit: big$n.bin.enc decrypts back" \
                cmp -s -n $((size_mib * 1024 * 1024)) "$check/big$n.bin" /dev/zero
            rm -f "$check/big$n.bin"
        fi
    done
    vm_check "quit: the run stopped early ($encrypted of $count encrypted)" test "$encrypted" -lt $count
    vm_check "quit: nothing but the files is left" test "$(find "$files" -type f | wc -l)" -eq $count
}

session en "Encrypt files" "Open"
session de "Dateien verschl.*sseln" ".*ffnen"
quit_during_run
echo "PASS"
