#!/usr/bin/env bash
# File encryption speed and memory, side by side in one run on the same disk:
#   velmora2-cli encrypt / decrypt   both layers, result flushed to disk, original deleted
#   openssl enc -rc4, two passes     the same two RC4 layers through an intermediate file
#   cp + sync                        one plain copy of the file, flushed to disk
# All tools work on the same random file, warm in the page cache; the disk is
# synced before each clock starts. Rounds repeat the set (with a baseline
# build, the two take turns at going first); the medians are compared. Peak
# resident memory comes from /usr/bin/time.
#
# Usage: bench/cipher/bench_cipher.sh [BIN_DIR] [WORK_DIR]
#   BIN_DIR   folder of velmora2-cli (default: build/bin)
#   WORK_DIR  folder on the disk to measure (default: the current folder)
# Environment: SIZE_MIB (default 512), ROUNDS (default 3); BASELINE_CLI, the
# path of another velmora2-cli (an older build) to measure in the same rounds;
# MEMORY_DIR (default /dev/shm, "none" to skip), where the runs without a disk
# take place.
# Targets: encrypt and decrypt each <= 0.7 x the two openssl passes and
# <= 1.5 x (cp + flush); peak resident memory < 64 MiB.
set -euo pipefail
source "$(dirname "$0")/../lib.sh"
bench=bench_cipher

bin_dir=${1:-build/bin}
work_root=${2:-$PWD}
size_mib=${SIZE_MIB:-512}
rounds=${ROUNDS:-3}
cli="$bin_dir/velmora2-cli"

bench_require "apt-get install time openssl" "$cli" openssl cp /usr/bin/time

# OpenSSL 3 keeps RC4 in its legacy provider.
openssl_rc4=(openssl enc -rc4 -nosalt)
if ! echo x | "${openssl_rc4[@]}" -K 00112233445566778899aabbccddeeff >/dev/null 2>&1; then
    openssl_rc4=(openssl enc -provider legacy -provider default -rc4 -nosalt)
fi

work=$(mktemp -d "$work_root/bench-cipher.XXXXXX")
trap 'rm -rf "$work"' EXIT
data="$work/data.bin"
key="bench key text"
# openssl's RC4 takes a 128-bit key; the work per byte does not depend on it.
key1=$(printf '%s' "$key" | sha256sum | cut -c1-32)
key2=$(printf '%s' "$key" | sha1sum | cut -c1-32)

echo "Preparing $size_mib MiB of random bytes in $work ..."
head -c $((size_mib * 1024 * 1024)) /dev/urandom >"$data"

memory_root=${MEMORY_DIR:-/dev/shm}
memory=""
if [[ $memory_root != none && -d $memory_root && -w $memory_root ]] &&
    (($(df -Pk "$memory_root" | awk 'NR == 2 {print $4}') > 3 * size_mib * 1024)); then
    memory=$(mktemp -d "$memory_root/bench-cipher.XXXXXX")
    trap 'rm -rf "$work" "$memory"' EXIT
fi
reference=$(sha256sum "$data" | awk '{print $1}')
sync

for round in $(seq 1 "$rounds"); do
    echo "Round $round of $rounds"
    bench_measure cp sh -c 'cp "$1" "$2" && sync "$2"' copy "$data" "$work/copy.bin"
    rm -f "$work/copy.bin"

    sync
    start=$(date +%s.%N)
    "${openssl_rc4[@]}" -K "$key1" -in "$data" -out "$work/mid.bin"
    "${openssl_rc4[@]}" -K "$key2" -in "$work/mid.bin" -out "$work/out.bin"
    end=$(date +%s.%N)
    awk -v s="$start" -v e="$end" 'BEGIN {printf "%.2f 0 0 0\n", e - s}' >>"$work/openssl"
    rm -f "$work/mid.bin" "$work/out.bin"

    printf '%s\n' "$key" >"$work/key.txt"
    # With a baseline, the two builds take turns at going first: on this
    # kind of machine the run after another large one often pays for fresh
    # memory, which would otherwise count against the same build each round.
    if [[ -n "${BASELINE_CLI:-}" ]] && ((round % 2 == 0)); then
        order=(baseline- "")
    else
        order=("" baseline-)
    fi
    for prefix in "${order[@]}"; do
        [[ -z $prefix || -n "${BASELINE_CLI:-}" ]] || continue
        tool=$cli
        [[ -z $prefix ]] || tool=$BASELINE_CLI
        bench_measure "${prefix}encrypt" "$tool" encrypt --key-stdin "$data" <"$work/key.txt"
        sha256sum "$data.enc" | awk '{print $1}' >"$work/${prefix}encrypted.sha256"
        bench_measure "${prefix}decrypt" "$tool" decrypt --key-stdin "$data.enc" <"$work/key.txt"
        if [[ ! -f "$data" || $(sha256sum "$data" | awk '{print $1}') != "$reference" ]]; then
            echo "bench_cipher: ${prefix}decrypt gave a file that differs from the original" >&2
            exit 1
        fi
    done
    if [[ -n "${BASELINE_CLI:-}" ]] && ! cmp -s "$work/encrypted.sha256" "$work/baseline-encrypted.sha256"; then
        echo "bench_cipher: the two builds wrote different encrypted bytes" >&2
        exit 1
    fi
done

# The runs without a disk come last: the kernel's work for large files in
# tmpfs slows the plain copies on the disk that follow it (measured: cp + flush
# 0.42 s before, 0.9 s after).
if [[ -n $memory ]]; then
    cp "$data" "$memory/data.bin"
    for round in $(seq 1 "$rounds"); do
        echo "Round $round of $rounds in memory"
        bench_measure memory-cp cp "$memory/data.bin" "$memory/copy.bin"
        rm -f "$memory/copy.bin"
        bench_measure memory-encrypt "$cli" encrypt --key-stdin "$memory/data.bin" <"$work/key.txt"
        bench_measure memory-decrypt "$cli" decrypt --key-stdin "$memory/data.bin.enc" <"$work/key.txt"
    done
fi

cp_s=$(bench_median cp)
ossl_s=$(bench_median openssl)
enc_s=$(bench_median encrypt)
dec_s=$(bench_median decrypt)

echo
echo "File: $size_mib MiB of random bytes, medians of $rounds rounds (seconds)"
printf '  %-34s %8s\n' "cp + flush" "$cp_s" \
    "openssl enc -rc4, two passes" "$ossl_s" \
    "velmora2-cli encrypt" "$enc_s" \
    "velmora2-cli decrypt" "$dec_s"
echo "Ratios (target: <= 0.70 x openssl, <= 1.50 x cp + flush)"
printf '  %-34s %8s\n' "encrypt / openssl" "$(bench_ratio "$enc_s" "$ossl_s")" \
    "decrypt / openssl" "$(bench_ratio "$dec_s" "$ossl_s")" \
    "encrypt / (cp + flush)" "$(bench_ratio "$enc_s" "$cp_s")" \
    "decrypt / (cp + flush)" "$(bench_ratio "$dec_s" "$cp_s")"
if [[ -n "${BASELINE_CLI:-}" ]]; then
    echo "Baseline $BASELINE_CLI (seconds, ratio to openssl, ratio to cp + flush)"
    for step in encrypt decrypt; do
        b=$(bench_median "baseline-$step")
        printf '  %-34s %8s %6s %6s\n' "$step" "$b" "$(bench_ratio "$b" "$ossl_s")" "$(bench_ratio "$b" "$cp_s")"
    done
fi
if [[ -n $memory ]]; then
    m_enc=$(bench_median memory-encrypt)
    m_dec=$(bench_median memory-decrypt)
    echo "In memory ($memory_root, no disk; seconds, on-disk time / in-memory time)"
    printf '  %-34s %8s\n' "cp" "$(bench_median memory-cp)"
    printf '  %-34s %8s %6s\n' "velmora2-cli encrypt" "$m_enc" "$(bench_ratio "$enc_s" "$m_enc")" \
        "velmora2-cli decrypt" "$m_dec" "$(bench_ratio "$dec_s" "$m_dec")"
fi
echo "CPU time of velmora2-cli (user + system; medians): encrypt $(bench_median encrypt 3) s," \
    "decrypt $(bench_median decrypt 3) s"
# The kernel's part varies most between runs: large writes into the page cache
# can cost several times their usual system time on a busy machine.
echo "System time (medians): cp $(bench_median cp 4) s, encrypt $(bench_median encrypt 4) s," \
    "decrypt $(bench_median decrypt 4) s"
bench_load
echo "Peak resident memory (target: < 64 MiB)"
printf '  %-34s %8s MiB\n' "velmora2-cli encrypt" "$(bench_peak_mib encrypt)" \
    "velmora2-cli decrypt" "$(bench_peak_mib decrypt)" \
    "cp" "$(bench_peak_mib cp)"
