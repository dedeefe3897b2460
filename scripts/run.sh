#!/usr/bin/env bash
# Builds and starts the desktop program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh"
build=${VELMORA_BUILD_DIR:-$root/build}
exec "$build/bin/velmora2"
