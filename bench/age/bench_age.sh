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
source "$here/../lib.sh"
bench=bench_age
pty_helper="$here/../../tests/age/age_with_passphrase.py"

bench_require "apt-get install age time python3 cmake" /usr/bin/age /usr/bin/time python3 cmake

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

check() {
    if [[ $(sha256sum "$1" | awk '{print $1}') != "$reference" ]]; then
        echo "bench_age: $1 differs from the original" >&2
        exit 1
    fi
    rm -f "$1"
}

for round in $(seq 1 "$rounds"); do
    echo "Round $round of $rounds"
    bench_measure ours_encrypt "$driver" encrypt "$data" "$work/ours.age" 18
    bench_measure ours_decrypt "$driver" decrypt "$work/ours.age" "$work/ours.out"
    check "$work/ours.out"
    rm -f "$work/ours.age"

    cp "$data" "$work/inplace.bin"
    bench_measure inplace_encrypt "$driver" encrypt-file "$work/inplace.bin"
    bench_measure inplace_decrypt "$driver" decrypt-file "$work/inplace.bin.enc"
    check "$work/inplace.bin"

    bench_measure age_encrypt python3 "$pty_helper" "$BENCH_PASSPHRASE" /usr/bin/age -p -o "$work/age.age" "$data"
    bench_measure age_decrypt python3 "$pty_helper" "$BENCH_PASSPHRASE" /usr/bin/age -d -o "$work/age.out" "$work/age.age"
    check "$work/age.out"
    rm -f "$work/age.age"
done

echo
printf '%-17s %12s %12s %8s %14s %14s\n' step "ours s" "standard s" ratio "ours peak MiB" "standard MiB"
for run in ours inplace; do
    suffix=""
    [[ $run == ours ]] || suffix=" in place"
    for step in encrypt decrypt; do
        ours_s=$(bench_median "${run}_$step")
        age_s=$(bench_median "age_$step")
        awk -v s="$step$suffix" -v o="$ours_s" -v a="$age_s" -v om="$(bench_peak_mib "${run}_$step")" \
            -v am="$(bench_peak_mib "age_$step")" \
            'BEGIN {printf "%-17s %12.2f %12.2f %8.2f %14.1f %14.1f\n", s, o, a, o / a, om, am}'
    done
done
echo "($size_mib MiB, work factor 18, medians of $rounds rounds, peak memory the largest seen)"
