#!/bin/bash
# How fast the desktop program is on screen, under a private X server.
#
#   bench/startup/run.sh [BIN_DIR] [RUNS]     (defaults: build/bin, 7)
#
# Measured from the moment the program is started until its window is mapped,
# by polling the X server (a few milliseconds of resolution):
#   first start  - fresh home: data folder, settings file and personal key are
#                  made; the first window is the password reminder
#   next start   - the settings file exists; the first window is the reminder
#   dashboard    - from answering the reminder (Return) to the dashboard mapped
#   baseline     - ImageMagick's "display" showing a small picture, started
#                  and measured the same way in the same run
# Prints the median of each and the ratios against the baseline.
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
bin=${1:-$root/build/bin}
runs=${2:-7}

# shellcheck source=../../tests/e2e/lib.sh
source "$root/tests/e2e/lib.sh"
vm_require display
vm_setup "$bin"

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

# wait_mapped REGEX: polls until a mapped window has this title.
wait_mapped() {
    local i
    for i in $(seq 1 4000); do
        xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 && return 0
        sleep 0.002
    done
    vm_fail "no window $1"
}

median() { sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : int((a[NR/2]+a[NR/2+1])/2)}'; }

picture="$VM_HOME/picture.png"
convert -size 445x305 xc:'rgb(103,95,137)' "$picture"

first=() next=() dash=() base=()
for run in $(seq 1 "$runs"); do
    for kind in first next; do
        [ "$kind" = first ] && rm -rf "$XDG_CONFIG_HOME"
        t0=$(now_ms)
        vm_start_app velmora2 en
        wait_mapped '^Velmora$'
        t1=$(now_ms)
        box=$(vm_find_window Velmora | head -n 1)
        xdotool windowfocus --sync "$box"
        t2=$(now_ms)
        xdotool key Return
        wait_mapped '^Velmora2$'
        t3=$(now_ms)
        if [ "$kind" = first ]; then first+=($((t1 - t0))); else next+=($((t1 - t0))); fi
        dash+=($((t3 - t2)))
        d=$(vm_find_window Velmora2 | head -n 1)
        vm_click "$d" 430 17
        vm_wait_exit 10
    done

    t0=$(now_ms)
    display -title "baseline picture" "$picture" &
    shown=$!
    wait_mapped '^baseline picture$'
    t1=$(now_ms)
    base+=($((t1 - t0)))
    kill "$shown"
    wait "$shown" 2>/dev/null
done

m_first=$(printf '%s\n' "${first[@]}" | median)
m_next=$(printf '%s\n' "${next[@]}" | median)
m_dash=$(printf '%s\n' "${dash[@]}" | median)
m_base=$(printf '%s\n' "${base[@]}" | median)
echo "runs: $runs"
echo "first start, start -> first window:   ${m_first} ms  (all: ${first[*]})"
echo "next start,  start -> first window:   ${m_next} ms  (all: ${next[*]})"
echo "reminder answered -> dashboard:       ${m_dash} ms  (all: ${dash[*]})"
echo "baseline 'display', start -> window:  ${m_base} ms  (all: ${base[*]})"
awk -v f="$m_first" -v n="$m_next" -v d="$m_dash" -v b="$m_base" 'BEGIN {
    printf "ratio first start / baseline:        %.2f\n", f / b
    printf "ratio next start / baseline:         %.2f\n", n / b
    printf "program time to dashboard, next start: %d ms (limit 300 ms)\n", n + d
}'
