#!/usr/bin/env bash
# Builds and runs every check and test: format, folder layers, clang-tidy,
# the engine, command line, windows (offscreen) and the end-to-end tests of
# the real program in a real X server and under the Wayland compositor
# weston (as root, the tests that need an
# unprivileged user once more as nobody); then the engine and the companion
# under the sanitizers, and the fuzz targets.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
# The repository's format first: a file that differs fails the run.
"$root/scripts/check-format.sh"
# Every #include against the folders' declared order.
python3 "$root/scripts/check-layers.py"
"$root/scripts/build.sh"
# clang-tidy on the files the last commit and the uncommitted work touch.
"$root/scripts/clang-tidy.sh"
build=${VELMORA_BUILD_DIR:-$root/build}
(cd "$build" && ctest --output-on-failure --parallel "$(nproc)" "$@")
# The engine and the companion once more, under the sanitizers, and the
# fuzz targets for a short time each.
"$root/scripts/check-sanitized.sh"
