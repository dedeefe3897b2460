#!/usr/bin/env bash
# The engine and the command-line companion built with clang under
# AddressSanitizer and UndefinedBehaviorSanitizer (leaks included), their
# tests run on that build, then each fuzz target of the same build for a
# short fixed time on its seeds. Part of the test command; fails on any
# sanitizer report, test failure, crash or hang.
#
#   scripts/check-sanitized.sh [FUZZ_SECONDS_PER_TARGET]    (default 15)
#
# Environment: VELMORA_CHECK_BUILD_DIR (default build-check next to the
# sources).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMORA_CHECK_BUILD_DIR:-$root/build-check}
seconds=${1:-15}
"$root/scripts/install-deps.sh"
source "$root/scripts/generator.sh"
# -O1 and line tables: what the sanitizers' reports need, at a good part less
# compile time than -O2 with full debug information.
cmake -S "$root" -B "$build" $(generator_for "$build") -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only -DNDEBUG" -DCMAKE_CXX_COMPILER=clang++ \
  -DVELMORA_SANITIZE=ON -DVELMORA_FUZZ=ON -DVELMORA_GUI=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc)"
# Every report ends the program with a failure, and names where it happened.
export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=0:halt_on_error=1:detect_stack_use_after_return=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
(cd "$build" && ctest --output-on-failure --parallel "$(nproc)")
VELMORA_FUZZ_BUILD="$build" VELMORA_FUZZ_JOBS="$(nproc)" "$root/tests/fuzz/run.sh" "$seconds"
