#!/usr/bin/env bash
# Responsiveness of the encrypt window during one large file, side by side in
# one run: the window as shipped (its run a job on a background task) against
# the same job on the window's own thread. A probe thread posts an event every 10 ms; the program
# prints the worst and 99th-percentile wait of those events for both runs and
# their ratio.
#
# Usage: bench/responsiveness/bench_responsiveness.sh [BUILD_DIR] [WORK_DIR]
#   BUILD_DIR  a configured build folder of the program (default: build)
#   WORK_DIR   folder on the disk to work in (default: the system's temp folder)
# Environment: SIZE_MIB (default 512), ROUNDS (default 2), QT_QPA_PLATFORM
# (default offscreen).
# Target: worst wait below 100 ms in the window.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build_dir=$(cd "${1:-build}" && pwd)
work_dir=${2:-}
size_mib=${SIZE_MIB:-512}

cmake --build "$build_dir" -j2 --target velmora_gui >/dev/null
bench_build="$build_dir/bench-responsiveness"
cmake -S "$here" -B "$bench_build" -DVELMORA_BUILD="$build_dir" >/dev/null
cmake --build "$bench_build" -j2 >/dev/null

export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
if [ -n "$work_dir" ]; then
    exec "$bench_build/bench_responsiveness" "$size_mib" "$work_dir"
else
    exec "$bench_build/bench_responsiveness" "$size_mib"
fi
