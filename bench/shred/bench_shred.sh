#!/usr/bin/env bash
# Secure deletion speed, side by side in one run on the same disk:
#   velmora2-cli shred --count 1 --yes   two passes (0x3E, 0xC1), each flushed, then removal
#   shred -n 2 --remove                  GNU coreutils: two random passes, then removal
#   dd conv=notrunc,fsync, twice         two plain flushed passes: what the disk allows
# Each run gets a fresh copy of the same random file, written out with sync
# before the clock starts. Rounds rotate the order of the tools; the medians
# are compared.
#
# Usage: bench/shred/bench_shred.sh [BIN_DIR] [WORK_DIR]
#   BIN_DIR   folder of velmora2-cli (default: build/bin)
#   WORK_DIR  folder on the disk to measure (default: the current folder)
# Environment: SIZE_MIB (default 1024), ROUNDS (default 3).
# Targets: velmora <= 1.0 x shred, and velmora <= 1.2 x the two dd passes.
set -euo pipefail
source "$(dirname "$0")/../lib.sh"
bench=bench_shred

bin_dir=${1:-build/bin}
work_root=${2:-$PWD}
size_mib=${SIZE_MIB:-1024}
rounds=${ROUNDS:-3}
cli="$bin_dir/velmora2-cli"

bench_require "apt-get install coreutils" "$cli" shred dd

work=$(mktemp -d "$work_root/bench-shred.XXXXXX")
trap 'rm -rf "$work"' EXIT
template="$work/template.bin"
target="$work/victim.bin"

echo "Preparing a ${size_mib} MiB random file in $work ..."
head -c "$((size_mib * 1024 * 1024))" /dev/urandom > "$template"
sync

now() { date +%s.%N; }

fresh_copy() {
    cp "$template" "$target"
    sync
}

# Its progress lines go to a file: the terminal would only slow the run.
run_velmora() { "$cli" shred --count 1 --yes "$target" > /dev/null 2>>"$work/velmora.err"; }
run_shred() { shred -n 2 --remove "$target"; }
run_dd() {
    dd if=/dev/zero of="$target" bs=1M count="$size_mib" conv=notrunc,fsync status=none
    dd if=/dev/zero of="$target" bs=1M count="$size_mib" conv=notrunc,fsync status=none
}

declare -A times=([velmora]="" [shred]="" [dd]="")
tools=(velmora shred dd)

for ((round = 0; round < rounds; ++round)); do
    for ((k = 0; k < ${#tools[@]}; ++k)); do
        tool=${tools[$(((k + round) % ${#tools[@]}))]}
        fresh_copy
        start=$(now)
        "run_$tool"
        end=$(now)
        [[ $tool == velmora || $tool == shred ]] && [[ -e $target ]] && {
            echo "bench_shred: $tool left the file behind" >&2; exit 1; }
        rm -f "$target"
        elapsed=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }')
        times[$tool]+="$elapsed "
        printf 'round %d  %-8s %8.3f s\n' "$((round + 1))" "$tool" "$elapsed"
    done
done

median() { tr ' ' '\n' <<< "$1" | bench_median_of; }

m_velmora=$(median "${times[velmora]}")
m_shred=$(median "${times[shred]}")
m_dd=$(median "${times[dd]}")

echo
echo "Median of $rounds rounds, ${size_mib} MiB, on $(df -P "$work" | awk 'NR == 2 { print $1 }'):"
awk -v v="$m_velmora" -v s="$m_shred" -v d="$m_dd" -v mib="$size_mib" 'BEGIN {
    printf "  velmora2-cli shred --count 1   %8.3f s  %7.1f MiB/s written\n", v, 2 * mib / v
    printf "  shred -n 2 --remove            %8.3f s  %7.1f MiB/s written\n", s, 2 * mib / s
    printf "  dd conv=fsync, two passes      %8.3f s  %7.1f MiB/s written\n", d, 2 * mib / d
    rs = v / s; rd = v / d
    printf "  velmora / shred  = %.2f x  (target <= 1.00)  %s\n", rs, (rs <= 1.0 ? "met" : "MISSED")
    printf "  velmora / dd     = %.2f x  (target <= 1.20)  %s\n", rd, (rd <= 1.2 ? "met" : "MISSED")
}'
