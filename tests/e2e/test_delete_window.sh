#!/bin/bash
# The secure delete window in the real program, in English and in German: the
# dashboard opens it, three files are picked through the file dialog, the
# start button destroys them after the confirmation, and they are gone while
# a file beside them is untouched. Screenshots of both languages (before and
# after the run) go to $VELMORA_SCREENSHOTS
# (docs/screenshots.sh sets it to docs/screenshots), else to a temporary folder.
source "$(dirname "$0")/lib.sh"
vm_setup "$1"
vm_require import

SHOTS=${VELMORA_SCREENSHOTS:-${TMPDIR:-/tmp}/velmora-e2e-screenshots}
mkdir -p "$SHOTS"

# Window-relative positions of the layout.
DASH_DELETE="331 89"  # the dashboard's secure delete button
SELECT="440 84"       # top picture button: select files
START="15 14"         # first tool-bar button: delete files
CLOSE="254 436"       # the close button
DASH_CLOSE="430 17"   # the dashboard's X panel

# wait_settled ID: waits until two pictures of the window in a row are the
# same, that is until it has painted what it was given (a folder's files, a
# filled list, a result).
SETTLED_PREVIOUS=""
window_unchanged() {
    local now
    now=$(import -window "$1" rgb:- 2>/dev/null | md5sum)
    [ -n "$SETTLED_PREVIOUS" ] && [ "$now" = "$SETTLED_PREVIOUS" ] && return 0
    SETTLED_PREVIOUS=$now
    return 1
}
wait_settled() {
    SETTLED_PREVIOUS=""
    vm_wait_until 10 window_unchanged "$1" || vm_fail "window $1 kept changing"
}

files_gone() {
    local name
    for name in "$@"; do
        [ -e "$name" ] && return 1
    done
    return 0
}

# One session of the program on a fresh data folder.
#   $1 language (en/de), $2 window title as a pattern: the program's plain
#   WM_NAME carries the title's UTF-8 bytes, so "." would not match an "ö";
#   $3 the title of Qt's file dialog, German with the German interface
session() {
    local language=$1 title=$2 open=$3
    local files="$VM_HOME/files-$language"
    rm -rf "$XDG_CONFIG_HOME/velmora"
    mkdir -p "$files"
    for name in report.txt photo.jpg notes.odt; do
        head -c 300000 /dev/urandom >"$files/$name"
    done
    echo "keep me" >"$files/keep.txt"

    vm_start_app velmora2 "$language"
    # No password yet: the reminder comes first.
    local box
    box=$(vm_wait_window "Velmora" 15) || exit 1
    vm_key "$box" Return
    vm_wait_window_gone "Velmora"

    local dash window dialog confirm
    dash=$(vm_wait_window "Velmora2") || exit 1
    vm_click "$dash" $DASH_DELETE
    window=$(vm_wait_window "$title") || exit 1
    vm_geometry "$window"
    vm_check "$language: the window is 509x471 (${VM_W}x${VM_H})" test "$VM_W" -eq 509 -a "$VM_H" -eq 471

    vm_click "$window" $SELECT
    dialog=$(vm_wait_window "$open") || exit 1
    # Into the folder first, then the three names at once.
    vm_type "$dialog" "$files/"
    vm_key "$dialog" Return
    wait_settled "$dialog"
    vm_type "$dialog" '"report.txt" "photo.jpg" "notes.odt"'
    vm_key "$dialog" Return
    vm_wait_window_gone "$open"
    wait_settled "$window"
    vm_screenshot "$window" "$SHOTS/delete-$language.png"

    # Start; the confirmation's default button is No ("&Nein"): Enter
    # deletes nothing.
    vm_click "$window" $START
    confirm=$(vm_wait_window "Best.*tigen") || exit 1
    vm_key "$confirm" Return
    vm_wait_window_gone "Best.*tigen"
    wait_settled "$window"
    for name in report.txt photo.jpg notes.odt; do
        vm_check "$language: Enter on the question keeps $name" test -e "$files/$name"
    done
    # Again, confirmed with the access key of "&Ja".
    vm_click "$window" $START
    confirm=$(vm_wait_window "Best.*tigen") || exit 1
    vm_key "$confirm" alt+j
    vm_wait_window_gone "Best.*tigen"

    vm_wait_until 20 files_gone "$files/report.txt" "$files/photo.jpg" "$files/notes.odt"
    for name in report.txt photo.jpg notes.odt; do
        vm_check "$language: $name is gone" test ! -e "$files/$name"
    done
    vm_check "$language: the unlisted file is untouched" test "$(cat "$files/keep.txt")" = "keep me"
    vm_check "$language: no box is left open" test -z "$(vm_find_window "Informationen")"
    wait_settled "$window"
    vm_screenshot "$window" "$SHOTS/delete-$language-done.png"

    # Close the window, then the dashboard: the program ends with 0.
    vm_click "$window" $CLOSE
    vm_wait_window_gone "$title"
    vm_click "$dash" $DASH_CLOSE
    vm_wait_exit 10
    vm_check "$language: exit code 0 (got $VM_EXIT)" test "$VM_EXIT" -eq 0
}

session en "Secure Delete" "Open"
session de "Sicheres L.*schen" ".*ffnen"
echo "PASS"
