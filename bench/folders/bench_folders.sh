#!/usr/bin/env bash
# Folder runs, side by side in one run on the same disk, rounds taking turns:
#   many small  a folder of COUNT files of 64 KiB: velmora2-cli encrypt -r and
#               decrypt -r (compatible format) against cp -r + sync
#   mixed tree  nested folders with a few files of 50 MiB and many small ones:
#               the same three
#   strong      BATCH small files in the strong format: one velmora2-cli
#               encrypt -r against the age tool run once per file
# Every result is checked against the original's checksums. The disk is
# synced before each clock starts. Peak resident memory comes from
# /usr/bin/time.
#
# Usage: bench/folders/bench_folders.sh [BIN_DIR] [WORK_DIR]
#   BIN_DIR   folder of velmora2-cli (default: build/bin)
#   WORK_DIR  folder on the disk to measure (default: the current folder)
# Environment: ROUNDS (default 3), COUNT (default 2000), BIG (files of
# 50 MiB in the mixed tree, default 3), BATCH (default 40).
# Targets: many small encrypt and decrypt <= 3 x (cp -r + sync); strong batch
# <= 0.6 x the per-file age runs; peak memory < 64 MiB beside scrypt's own.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source "$here/../lib.sh"
bench=bench_folders
bin_dir=${1:-build/bin}
work_root=${2:-$PWD}
rounds=${ROUNDS:-3}
count=${COUNT:-2000}
big=${BIG:-3}
batch=${BATCH:-40}
cli=$(realpath "$bin_dir/velmora2-cli")
pty_helper="$here/../../tests/age/age_with_passphrase.py"

bench_require "apt-get install time age python3" "$cli" cp /usr/bin/time /usr/bin/age python3

work=$(mktemp -d "$work_root/bench-folders.XXXXXX")
trap 'rm -rf "$work"' EXIT
# The companion reads and writes nothing of the user's own: its data folder
# is the work folder's.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config"
mkdir -p "$XDG_CONFIG_HOME"
key="bench key text"
printf '%s\n' "$key" >"$work/key.txt"

echo "Preparing the trees in $work ..."
mkdir -p "$work/small"
for i in $(seq 1 "$count"); do
    head -c 65536 /dev/urandom >"$work/small/file$i.bin"
done
mkdir -p "$work/mixed/a/b/c" "$work/mixed/d"
for i in $(seq 1 "$big"); do
    head -c $((50 * 1024 * 1024)) /dev/urandom >"$work/mixed/a/big$i.bin"
done
for i in $(seq 1 200); do
    head -c $((RANDOM * 4)) /dev/urandom >"$work/mixed/a/b/s$i.bin"
    head -c $((RANDOM / 8)) /dev/urandom >"$work/mixed/a/b/c/t$i.bin"
    head -c 4096 /dev/urandom >"$work/mixed/d/u$i.bin"
done
mkdir -p "$work/strong"
for i in $(seq 1 "$batch"); do
    head -c 16384 /dev/urandom >"$work/strong/note$i.bin"
done
for tree in small mixed strong; do
    (cd "$work/$tree" && find . -type f -print0 | sort -z | xargs -0 sha256sum) >"$work/$tree.sums"
done
echo "  $count x 64 KiB; mixed: $big x 50 MiB and 600 small ($(du -sh "$work/mixed" | cut -f1));" \
    "strong: $batch x 16 KiB"
sync

# check TREE: the tree holds its original files again, byte for byte.
check() {
    if ! (cd "$work/$1" && sha256sum --quiet -c "$work/$1.sums") >/dev/null 2>&1; then
        echo "bench_folders: $1 differs from the original after a round" >&2
        exit 1
    fi
}

# ours TREE: encrypt and decrypt the tree in place, compatible format.
ours() {
    bench_measure "$1-encrypt" "$cli" encrypt --format legacy -r --key-stdin "$work/$1" <"$work/key.txt"
    bench_measure "$1-decrypt" "$cli" decrypt -r --key-stdin "$work/$1" <"$work/key.txt"
    check "$1"
}

# copy TREE: cp -r of the tree, flushed.
copy() {
    bench_measure "$1-cp" sh -c 'cp -r "$1" "$2" && sync -f "$2"' copy "$work/$1" "$work/$1-copy"
    rm -rf "$work/$1-copy"
}

strong_ours() {
    bench_measure strong-ours "$cli" encrypt --format age -r --key-stdin "$work/strong" <"$work/key.txt"
    "$cli" decrypt -r --key-stdin "$work/strong" <"$work/key.txt" >/dev/null 2>&1
    check strong
}

strong_age() {
    bench_measure strong-age sh -c '
        helper=$1 key=$2
        shift 2
        for file in "$@"; do
            python3 "$helper" "$key" /usr/bin/age -p -o "$file.age" "$file" >/dev/null || exit 1
        done
        sync' age "$pty_helper" "$key" "$work"/strong/*.bin
    rm -f "$work"/strong/*.age
}

for round in $(seq 1 "$rounds"); do
    echo "Round $round of $rounds"
    # Who goes first takes turns: the run after a large one often pays for
    # the page cache's write-back of what came before.
    if ((round % 2)); then
        copy small
        ours small
        copy mixed
        ours mixed
        strong_ours
        strong_age
    else
        ours small
        copy small
        ours mixed
        copy mixed
        strong_age
        strong_ours
    fi
done

echo
echo "Medians of $rounds rounds (seconds; ratio to the yardstick)"
for tree in small mixed; do
    cp_s=$(bench_median "$tree-cp")
    printf '  %-36s %8s\n' "$tree: cp -r + sync" "$cp_s"
    for step in encrypt decrypt; do
        s=$(bench_median "$tree-$step")
        printf '  %-36s %8s %6s x\n' "$tree: velmora2-cli $step -r" "$s" "$(bench_ratio "$s" "$cp_s")"
    done
done
age_s=$(bench_median strong-age)
ours_s=$(bench_median strong-ours)
printf '  %-36s %8s\n' "strong: age -p once per file" "$age_s"
printf '  %-36s %8s %6s x\n' "strong: velmora2-cli encrypt -r" "$ours_s" "$(bench_ratio "$ours_s" "$age_s")"
echo "Targets: small <= 3.00 x cp -r + sync; strong <= 0.60 x age per file"
echo "Peak resident memory (target: < 64 MiB, beside 256 MiB per scrypt in the strong run)"
for name in small-encrypt small-decrypt mixed-encrypt mixed-decrypt strong-ours; do
    printf '  %-36s %8s MiB\n' "$name" "$(bench_peak_mib "$name")"
done
bench_load
