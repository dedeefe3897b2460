#!/usr/bin/env bash
# Builds and runs every test: engine, command line, windows (offscreen) and
# the end-to-end tests of the real program in a real X server.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
# The repository's format first: a file that differs fails the run.
"$root/scripts/check-format.sh"
# Every #include against the folders' declared order.
python3 "$root/scripts/check-layers.py"
"$root/scripts/build.sh"
build=${VELMORA_BUILD_DIR:-$root/build}
cd "$build"
ctest --output-on-failure --parallel "$(nproc)" "$@"
