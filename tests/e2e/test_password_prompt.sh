#!/usr/bin/env bash
# The password prompt of the real program in a real X server (Xvfb), typed
# into with xdotool while `xinput test-xi2 --root` records every key press on
# the server:
#   1. the right password with the keylogger protection on: the recorder sees
#      each typed character followed by 4 to 7 decoy key presses, and the
#      dashboard opens;
#   2. a wrong password three times (each answered with the error box) and a
#      fourth time: the program ends with exit code 1, no dashboard appears,
#      and the settings file is left as it was;
#   3. Cancel: exit code 1 as well;
#   4. "Forgot password?" confirmed: the dashboard opens for this run and the
#      settings file keeps the password.
# Each run goes without and with a window manager (see lib.sh).
# Usage: test_password_prompt.sh BIN_FOLDER
source "$(dirname "$0")/lib.sh"
set -o pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
PASSWORD=pw2024x

fail() { vm_fail "$*"; }

vm_require xinput xmodmap python3 md5sum
vm_setup "${1:?usage: $0 BIN_FOLDER}"
RECORDER_PID=""
stop_recorder() {
    if [ -n "$RECORDER_PID" ]; then
        kill "$RECORDER_PID" 2>/dev/null
        wait "$RECORDER_PID" 2>/dev/null
        RECORDER_PID=""
    fi
}
trap 'stop_recorder; vm_cleanup' EXIT
WORK="$VM_HOME"

# Retries a command for up to $1 seconds.
wait_for() { vm_wait_until "$@"; }

mkdir -p "$XDG_CONFIG_HOME/velmora"
SETTINGS=$(vm_settings_file)
python3 "$HERE/password_settings.py" "$SETTINGS" "$PASSWORD" 1 || fail "could not write the settings file"

PROMPT=
start_program() {
    vm_start_app velmora2 en
    PROGRAM_PID=$VM_APP_PID
    PROMPT=$(vm_wait_window "Anti-KeyLogin" 30)
    [ -n "$PROMPT" ] || fail "run $1: no password prompt appeared"
    focused_on_prompt() { [ "$(xdotool getwindowfocus)" = "$PROMPT" ]; }
    wait_for 10 focused_on_prompt || fail "run $1: the prompt did not take the keyboard"
}

dashboard_visible() { xdotool search --onlyvisible --name '^Velmora2$' >/dev/null 2>&1; }

# Waits for the program to end; its exit code goes into EXIT_CODE.
wait_for_program_end() {
    vm_wait_exit 20
    EXIT_CODE=$VM_EXIT
}

# Ends a program that is still running (after a run that let it in).
stop_program() {
    kill "$PROGRAM_PID"
    wait "$PROGRAM_PID" 2>/dev/null
    VM_APP_PID=""
}

key_presses_recorded() { grep -c 'RawKeyPress' "$WORK/recorder.log"; }

# Types one character and waits until the recorder has seen it and its decoys
# (at least 5 new key presses, then a quiet spell), so that the next
# character does not arrive while the prompt is still sending decoys.
type_with_decoys() {
    local before now quiet=0 deadline=$((SECONDS + 20))
    before=$(key_presses_recorded)
    xdotool type "$1"
    while ((SECONDS < deadline)); do
        sleep 0.1
        now=$(key_presses_recorded)
        if ((now >= before + 5)) && ((now == last)); then
            quiet=$((quiet + 1))
            ((quiet < 5)) || return 0
        else
            quiet=0
        fi
        last=$now
    done
    return 1
}

# ---- 1. The right password, protection on, a recorder listening
xinput test-xi2 --root >"$WORK/recorder.log" 2>&1 &
RECORDER_PID=$!
# The recorder is listening once it has reported the devices.
recorder_ready() { grep -q . "$WORK/recorder.log"; }
wait_for 10 recorder_ready || fail "the key recorder did not start"
start_program 1
vm_click "$PROMPT" 26 72    # "Enable protection against keylogger"
vm_click "$PROMPT" 100 41   # back into the password field
last=0
for ((i = 0; i < ${#PASSWORD}; i++)); do
    type_with_decoys "${PASSWORD:i:1}" || fail "run 1: no decoys after character $((i + 1))"
done
xdotool key Return
wait_for 20 dashboard_visible
DASHBOARD=$?
stop_recorder

xmodmap -pke >"$WORK/keymap.txt"
python3 - "$WORK/recorder.log" "$WORK/keymap.txt" "$PASSWORD" <<'PY' || fail "run 1: the recorder did not see the decoys"
import re, sys
log, keymap, password = sys.argv[1:]
names = {}
for line in open(keymap):
    m = re.match(r"keycode\s+(\d+)\s*=\s*(\S+)", line)
    if m:
        names[int(m.group(1))] = m.group(2)
presses = []
for event in open(log).read().split("EVENT type")[1:]:
    if "(RawKeyPress)" in event:
        code = int(re.search(r"detail:\s*(\d+)", event).group(1))
        presses.append(names.get(code, "keycode%d" % code))
print("recorded key presses:", " ".join(presses))
# each typed key, then 4 to 7 decoy keys of any kind, and Enter last
pattern = "".join(re.escape(c) + r"(?: \S+){4,7} " for c in password) + "Return"
if not re.fullmatch(pattern, " ".join(presses)):
    print("expected each of %r followed by 4 to 7 decoys, then Return" % password)
    sys.exit(1)
PY
[ "$DASHBOARD" = 0 ] || fail "run 1: the dashboard did not open after the right password"
kill -0 "$PROGRAM_PID" 2>/dev/null || fail "run 1: the program ended"
stop_program
echo "run 1: right password accepted, decoys recorded"

# ---- 2. A wrong password four times
BEFORE=$(md5sum "$SETTINGS")
LISTING=$(ls -la --time-style=full-iso "$XDG_CONFIG_HOME/velmora")
start_program 2
error_box_focused() { [ "$(xdotool getwindowname "$(xdotool getwindowfocus)")" = "Fehler" ]; }
prompt_focused() { [ "$(xdotool getwindowfocus)" = "$PROMPT" ]; }
for attempt in 1 2 3; do
    xdotool type --delay 50 wrong
    xdotool key Return
    wait_for 10 error_box_focused || fail "run 2: no error box after wrong entry $attempt"
    xdotool key Return
    wait_for 10 prompt_focused || fail "run 2: the prompt did not ask again after wrong entry $attempt"
done
dashboard_visible && fail "run 2: the dashboard opened after a wrong password"
xdotool type --delay 50 wrong
xdotool key Return
wait_for_program_end
[ "$EXIT_CODE" = 1 ] || fail "run 2: exit code $EXIT_CODE after the fourth wrong entry, expected 1"
[ "$(md5sum "$SETTINGS")" = "$BEFORE" ] || fail "run 2: the settings file changed"
[ "$(ls -la --time-style=full-iso "$XDG_CONFIG_HOME/velmora")" = "$LISTING" ] || fail "run 2: the data folder changed"
echo "run 2: fourth wrong entry ended the program with exit code 1, settings untouched"

# ---- 3. Cancel
start_program 3
# The log is placed below the prompt's frame: under a window manager, only
# once the manager has told the prompt how large its frame is (a user does
# not click within the first moments either).
framed() { xprop -id "$PROMPT" _NET_FRAME_EXTENTS 2>/dev/null | grep -q '='; }
if vm_has_wm; then
    wait_for 10 framed || fail "run 3: the window manager gave the prompt no frame"
    sleep 0.3
fi
vm_click "$PROMPT" 335 71   # the keyboard button: the decoy log opens below
LOG=$(vm_wait_window "Send to Keylogger" 10)
vm_frame_geometry "$PROMPT"
prompt_bottom=$((VM_Y + VM_H)) prompt_x=$VM_X
vm_frame_geometry "$LOG"
[ "$VM_Y" -eq $((prompt_bottom + 10)) ] && [ "$VM_X" -eq "$prompt_x" ] \
    || fail "run 3: the decoy log at $VM_X,$VM_Y, not 10 pixels below the prompt ($prompt_x,$prompt_bottom)"
vm_click "$PROMPT" 311 107  # "Cancel"
wait_for_program_end
[ "$EXIT_CODE" = 1 ] || fail "run 3: exit code $EXIT_CODE after Cancel, expected 1"
[ "$(md5sum "$SETTINGS")" = "$BEFORE" ] || fail "run 3: the settings file changed"
echo "run 3: the decoy log opened 10 pixels below the prompt; Cancel ended the program with exit code 1"

# ---- 4. Forgotten password: the reset lets the user in for this run
start_program 4
vm_click "$PROMPT" 284 16   # "Forgot password?"
CONFIRMATION=$(vm_wait_window "Reset password" 20)
vm_click "$CONFIRMATION" 190 109  # "Yes"
wait_for 20 dashboard_visible || fail "run 4: the dashboard did not open after the reset"
kill -0 "$PROGRAM_PID" 2>/dev/null || fail "run 4: the program ended"
[ "$(md5sum "$SETTINGS")" = "$BEFORE" ] || fail "run 4: the reset changed the settings file"
stop_program
echo "run 4: the reset opened the dashboard, the stored password stays"
echo PASS
