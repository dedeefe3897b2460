#!/bin/bash
# Builds the libFuzzer targets with clang in their own build folder and runs
# each for a bounded time. Exit code 0 when no target found a crash, a hang
# or a sanitizer report.
#
#   tests/fuzz/run.sh [SECONDS_PER_TARGET]     (default 60)
#
# Environment: VELMORA_FUZZ_BUILD (build folder, default build-fuzz next to
# the sources), VELMORA_FUZZ_JOBS (build jobs, default 2). The folder is
# configured as scripts/check-sanitized.sh configures its own (clang, the
# sanitizers, no windows), so that the test command builds the engine once
# for both. clang and libclang-rt-14-dev come with scripts/install-deps.sh.
set -euo pipefail

seconds=${1:-60}
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
build_dir=${VELMORA_FUZZ_BUILD:-$source_dir/build-fuzz}
jobs=${VELMORA_FUZZ_JOBS:-2}

"$source_dir/scripts/install-deps.sh"
cmake -S "$source_dir" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DVELMORA_SANITIZE=ON -DVELMORA_FUZZ=ON -DVELMORA_GUI=OFF >/dev/null
targets=(fuzz_settings_reader fuzz_key_file fuzz_text_heuristics fuzz_age_header)
cmake --build "$build_dir" -j"$jobs" --target "${targets[@]}"

status=0
for target in "${targets[@]}"; do
    name=${target#fuzz_}
    corpus="$build_dir/fuzz/corpus/$name"
    artifacts="$build_dir/fuzz/artifacts/$name/"
    mkdir -p "$corpus" "$artifacts"
    echo "== $target: $seconds s"
    # Qt keeps a few allocations until exit; leaks are not what is hunted here.
    if ! ASAN_OPTIONS=detect_leaks=0 "$build_dir/fuzz/$target" \
        -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
        -artifact_prefix="$artifacts" -print_final_stats=1 \
        "$corpus" "$source_dir/tests/fuzz/seeds/$name" 2>"$build_dir/fuzz/$name.log"; then
        echo "   FAILED: see $build_dir/fuzz/$name.log and $artifacts"
        tail -20 "$build_dir/fuzz/$name.log" | sed 's/^/   /'
        status=1
    else
        grep -E '^stat::(number_of_executed_units|peak_rss_mb)' "$build_dir/fuzz/$name.log" | sed 's/^/   /'
    fi
done
exit $status
