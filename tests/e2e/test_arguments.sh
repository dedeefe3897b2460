#!/bin/bash
# Files named on the command line, in the real program:
#   1. arguments it does not know end it with 2 and a message in the
#      system's language; neither they nor --help need a display;
#   2. "velmora2 FILE" opens the encrypt window with the file listed (its
#      encrypt button turns it into FILE.enc);
#   3. a second start, "velmora2 --shred NAME" with a name relative to its
#      own working folder, hands the file to the running program and ends
#      with 0: the secure delete window of the first program lists it (its
#      start button destroys it), and no second program runs; a start
#      without arguments brings the dashboard forward and ends as well;
#   4. with a password set, a second start waits while the first asks for
#      it and ends once the first shows the request; when the first ends
#      without the password, the waiting start goes on by itself and asks
#      for the password in turn.
source "$(dirname "$0")/lib.sh"
HERE=$(cd "$(dirname "$0")" && pwd)
vm_setup "$1"
vm_require python3

PASSWORD=pw2024x
ENCRYPT="256 14"     # the encrypt window's first tool-bar button
DELETE_START="15 14" # the secure delete window's start button
DELETE_CLOSE="254 436"
PROMPT_CANCEL="311 107"

SECOND_PID=""
stop_second() {
    if [ -n "$SECOND_PID" ] && kill -0 "$SECOND_PID" 2>/dev/null; then
        kill "$SECOND_PID" 2>/dev/null
        wait "$SECOND_PID" 2>/dev/null
    fi
    SECOND_PID=""
}
trap 'stop_second; vm_cleanup' EXIT

# start_second FOLDER ARGUMENTS...: another start of the program in FOLDER,
# in the background; its output goes to the log.
start_second() {
    local folder=$1
    shift
    (cd "$folder" && exec env -u LC_ALL -u LC_MESSAGES -u LANGUAGE LANG=en_US.UTF-8 \
        "$VM_BIN/velmora2" "$@") >>"$VM_LOG" 2>&1 &
    SECOND_PID=$!
}

# start_first ARGUMENTS...: the first program, in English, with arguments
# (as vm_start_app starts it).
start_first() {
    env -u LC_ALL -u LC_MESSAGES -u LANGUAGE LANG=en_US.UTF-8 "$VM_BIN/velmora2" "$@" \
        >>"$VM_LOG" 2>&1 &
    VM_APP_PID=$!
    VM_EXIT=""
    FIRST=$VM_APP_PID
}

# wait_second SECONDS: waits for the second start to end; sets SECOND_EXIT.
wait_second() {
    local limit=$1 i
    for i in $(seq 1 $((limit * 20))); do
        if ! kill -0 "$SECOND_PID" 2>/dev/null; then
            wait "$SECOND_PID"
            SECOND_EXIT=$?
            SECOND_PID=""
            return 0
        fi
        sleep 0.05
    done
    return 1
}

second_running() { [ -n "$SECOND_PID" ] && kill -0 "$SECOND_PID" 2>/dev/null; }

owned_by() { [ "$(xdotool getwindowpid "$1" 2>/dev/null)" = "$2" ]; }

# Every mapped window titled so belongs to the process.
all_owned_by() {
    local title=$1 pid=$2 id
    for id in $(vm_find_window "$title"); do
        owned_by "$id" "$pid" || return 1
    done
}

gone() { [ ! -e "$1" ]; }

# ---- 1. What the program does not know, and help, without a display
out=$(env -u DISPLAY LANG=en_US.UTF-8 "$VM_BIN/velmora2" --help 2>&1)
code=$?
vm_check "--help without a display ends with 0 (got $code)" test "$code" -eq 0
vm_check "--help shows the usage" grep -q '^Usage: velmora2 \[FILE\.\.\.\]' <<<"$out"
err=$(env -u DISPLAY -u WAYLAND_DISPLAY -u LC_ALL -u LANGUAGE LANG=en_US.UTF-8 \
    "$VM_BIN/velmora2" --bogus 2>&1 >/dev/null)
code=$?
vm_check "an unknown option ends with 2, without a display too (got $code)" test "$code" -eq 2
vm_check "the message names it in English: $err" grep -q 'unknown option "--bogus"' <<<"$err"
err=$(env -u LC_ALL -u LANGUAGE LANG=de_DE.UTF-8 "$VM_BIN/velmora2" -x 2>&1 >/dev/null)
code=$?
vm_check "German: exit code 2 (got $code)" test "$code" -eq 2
vm_check "German: the message names it: $err" grep -q 'unbekannte Option "-x"' <<<"$err"
vm_check "nothing was left in the runtime folder by a refused start" \
    test -z "$(ls -A "$XDG_RUNTIME_DIR")"

# ---- 2. velmora2 FILE
files="$VM_HOME/files"
mkdir -p "$files/other"
head -c 200000 /dev/urandom >"$files/report.doc"
head -c 200000 /dev/urandom >"$files/other/old notes.txt"
echo "keep me" >"$files/other/keep.txt"

start_first "$files/report.doc"
box=$(vm_wait_window "Velmora" 15) || exit 1
vm_key "$box" Return
vm_wait_window_gone "Velmora"
dash=$(vm_wait_window "Velmora2") || exit 1
window=$(vm_wait_window "Encrypt files") || exit 1
vm_check "the encrypt window opened by itself" owned_by "$window" "$FIRST"
vm_click "$window" $ENCRYPT
vm_check "the listed file was encrypted" \
    vm_wait_until 20 test -e "$files/report.doc.enc" -a ! -e "$files/report.doc"
vm_check "the lock and the socket are in the runtime folder" \
    test -e "$XDG_RUNTIME_DIR/velmora2.lock" -a -S "$XDG_RUNTIME_DIR/velmora2.socket"
vm_check "the socket is the user's alone" \
    test "$(stat -c %a "$XDG_RUNTIME_DIR/velmora2.socket" | cut -c2-)" = "00"

# ---- 3. A second start hands over
started=$SECONDS
start_second "$files/other" --shred "old notes.txt"
wait_second 10 || vm_fail "the second start did not end within 10 s"
vm_check "the second start ended with 0 (got $SECOND_EXIT) after $((SECONDS - started)) s" \
    test "$SECOND_EXIT" -eq 0
shred=$(vm_wait_window "Secure Delete") || exit 1
vm_check "the secure delete window is the first program's" owned_by "$shred" "$FIRST"
vm_check "no second reminder appeared" test -z "$(vm_find_window "Velmora")"
vm_check "one dashboard, the first program's" \
    test "$(vm_find_window "Velmora2" | wc -l)" -eq 1 -a "$(vm_find_window "Velmora2")" = "$dash"
vm_click "$shred" $DELETE_START
confirm=$(vm_wait_window "Best.*tigen") || exit 1
vm_key "$confirm" alt+j
vm_check "the handed-over file was destroyed" vm_wait_until 20 gone "$files/other/old notes.txt"
vm_check "the file beside it is untouched" test "$(cat "$files/other/keep.txt")" = "keep me"
vm_click "$shred" $DELETE_CLOSE
vm_wait_window_gone "Secure Delete"

start_second "$files"
wait_second 10 || vm_fail "a second start without arguments did not end within 10 s"
vm_check "a second start without arguments ended with 0 (got $SECOND_EXIT)" test "$SECOND_EXIT" -eq 0
vm_check "the dashboard is still the first program's alone" all_owned_by "Velmora2" "$FIRST"
vm_check "the first program still runs" kill -0 "$FIRST"
vm_click "$dash" 430 17 # the X panel
vm_wait_exit 10
vm_check "the program ended with 0 (got $VM_EXIT)" test "$VM_EXIT" -eq 0
vm_check "no socket is left behind" test ! -e "$XDG_RUNTIME_DIR/velmora2.socket"

# ---- 4. The password prompt of the first start
mkdir -p "$XDG_CONFIG_HOME/velmora"
python3 "$HERE/password_settings.py" "$(vm_settings_file)" "$PASSWORD" 1 ||
    vm_fail "could not write the settings file"
echo "a" >"$files/a.txt"
echo "b" >"$files/b.txt"

start_first "$files/a.txt"
prompt=$(vm_wait_window "Anti-KeyLogin" 30) || exit 1
start_second "$files" --shred b.txt
sleep 2
vm_check "the second start waits while the first asks for the password" second_running
vm_check "and shows nothing of its own" all_owned_by "Anti-KeyLogin" "$FIRST"
vm_type "$prompt" "$PASSWORD"
vm_key "$prompt" Return
wait_second 20 || vm_fail "the second start did not end after the password was given"
vm_check "then it ended with 0 (got $SECOND_EXIT)" test "$SECOND_EXIT" -eq 0
window=$(vm_wait_window "Encrypt files") || exit 1
shred=$(vm_wait_window "Secure Delete") || exit 1
vm_check "the encrypt window is the first program's" owned_by "$window" "$FIRST"
vm_check "the secure delete window is the first program's" owned_by "$shred" "$FIRST"
# Killed: the socket file stays behind, and the next start replaces it.
kill "$FIRST"
vm_wait_exit 10

start_first
prompt=$(vm_wait_window "Anti-KeyLogin" 30) || exit 1
start_second "$files" a.txt
sleep 2
vm_check "a start waits while the first asks for the password" second_running
vm_click "$prompt" $PROMPT_CANCEL
vm_wait_exit 10
vm_check "the first start ended with 1 without the password (got $VM_EXIT)" test "$VM_EXIT" -eq 1
VM_APP_PID=$SECOND_PID
prompt=$(vm_wait_window "Anti-KeyLogin" 30) || exit 1
vm_check "the waiting start asks for the password itself" owned_by "$prompt" "$SECOND_PID"
vm_click "$prompt" $PROMPT_CANCEL
wait_second 10 || vm_fail "the second start did not end after Cancel"
VM_APP_PID=""
vm_check "and ends with 1 on Cancel (got $SECOND_EXIT)" test "$SECOND_EXIT" -eq 1
echo "PASS"
