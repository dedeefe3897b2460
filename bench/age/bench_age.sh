#!/usr/bin/env bash
# Strong-format speed and memory, side by side in one run on the same file:
#   ours      bench_age (the engine module), work factor 18
#   in place  bench_age on one file as a run does it: PATH -> PATH.enc and
#             back, with the flushes, the rename and the original's removal
#   standard  the standard tool with a passphrase (-p / -d), work factor 18,
#             driven through a pseudo-terminal for its passphrase prompts
# Each tool encrypts the same random file and decrypts its own result; every
# result is compared with the original. Times are wall-clock medians over
# ROUNDS; peak resident memory comes from /usr/bin/time (for the standard
# tool it is the largest of the helper and the tool).
#
# Usage: bench/age/bench_age.sh BUILD_DIR [WORK_DIR]
#   BUILD_DIR  a build folder holding the libraries src/libvelmora_*.a
#   WORK_DIR   folder on the disk to measure (default: the current folder)
# Environment: SIZE_MIB (default 256), ROUNDS (default 3).
# Targets: ours no slower than the standard tool; peak memory below
# scrypt's 256 MiB + 64 MiB.
set -euo pipefail

build_dir=$(realpath "${1:?usage: bench_age.sh BUILD_DIR [WORK_DIR]}")
work_root=${2:-$PWD}
size_mib=${SIZE_MIB:-256}
rounds=${ROUNDS:-3}
here=$(cd "$(dirname "$0")" && pwd)
pty_helper="$here/../../tests/age/age_with_passphrase.py"

for tool in /usr/bin/age /usr/bin/time python3 cmake; do
    command -v "$tool" >/dev/null || {
        echo "bench_age: $tool not found (apt-get install age time python3 cmake)" >&2
        exit 2
    }
done

work=$(mktemp -d "$work_root/bench-age.XXXXXX")
trap 'rm -rf "$work"' EXIT

echo "Building the driver against $build_dir ..."
cmake -S "$here" -B "$work/build" -DVELMORA_BUILD="$build_dir" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$work/build" -j2 >/dev/null
driver="$work/build/bench_age"

data="$work/data.bin"
echo "Preparing $size_mib MiB of random bytes in $work ..."
head -c $((size_mib * 1024 * 1024)) /dev/urandom >"$data"
reference=$(sha256sum "$data" | awk '{print $1}')
export BENCH_PASSPHRASE="bench passphrase"

# measure NAME COMMAND...: appends "seconds peak_kib" of one run to $work/NAME.
measure() {
    local name=$1
    shift
    sync
    if ! /usr/bin/time -f "%e %M" -o "$work/last.time" "$@" >/dev/null 2>"$work/last.err"; then
        echo "bench_age: $name failed:" >&2
        cat "$work/last.err" >&2
        exit 1
    fi
    cat "$work/last.time" >>"$work/$name"
}

check() {
    if [[ $(sha256sum "$1" | awk '{print $1}') != "$reference" ]]; then
        echo "bench_age: $1 differs from the original" >&2
        exit 1
    fi
    rm -f "$1"
}

for round in $(seq 1 "$rounds"); do
    echo "Round $round of $rounds"
    measure ours_encrypt "$driver" encrypt "$data" "$work/ours.age" 18
    measure ours_decrypt "$driver" decrypt "$work/ours.age" "$work/ours.out"
    check "$work/ours.out"
    rm -f "$work/ours.age"

    cp "$data" "$work/inplace.bin"
    measure inplace_encrypt "$driver" encrypt-file "$work/inplace.bin"
    measure inplace_decrypt "$driver" decrypt-file "$work/inplace.bin.enc"
    check "$work/inplace.bin"

    measure age_encrypt python3 "$pty_helper" "$BENCH_PASSPHRASE" /usr/bin/age -p -o "$work/age.age" "$data"
    measure age_decrypt python3 "$pty_helper" "$BENCH_PASSPHRASE" /usr/bin/age -d -o "$work/age.out" "$work/age.age"
    check "$work/age.out"
    rm -f "$work/age.age"
done

median() { sort -n -k"$2" "$1" | awk -v k="$2" '{v[NR]=$k} END {print v[int((NR+1)/2)]}'; }

echo
printf '%-17s %12s %12s %8s %14s %14s\n' step "ours s" "standard s" ratio "ours peak MiB" "standard MiB"
for run in ours inplace; do
    suffix=""
    [[ $run == ours ]] || suffix=" in place"
    for step in encrypt decrypt; do
        ours_s=$(median "$work/${run}_$step" 1)
        age_s=$(median "$work/age_$step" 1)
        ours_kib=$(sort -n -k2 "$work/${run}_$step" | tail -1 | awk '{print $2}')
        age_kib=$(sort -n -k2 "$work/age_$step" | tail -1 | awk '{print $2}')
        awk -v s="$step$suffix" -v o="$ours_s" -v a="$age_s" -v om="$ours_kib" -v am="$age_kib" \
            'BEGIN {printf "%-17s %12.2f %12.2f %8.2f %14.1f %14.1f\n", s, o, a, o / a, om / 1024, am / 1024}'
    done
done
echo "($size_mib MiB, work factor 18, medians of $rounds rounds, peak memory the largest seen)"
