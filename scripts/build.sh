#!/usr/bin/env bash
# Configures and builds into build/ (or $VELMORA_BUILD_DIR).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMORA_BUILD_DIR:-$root/build}
"$root/scripts/install-deps.sh"
source "$root/scripts/generator.sh"
cmake -S "$root" -B "$build" $(generator_for "$build") \
  -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE:-RelWithDebInfo} "$@" >/dev/null
cmake --build "$build" --parallel "$(nproc)"
