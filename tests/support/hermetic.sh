#!/usr/bin/env bash
# Runs one test with a home, configuration and temporary folder of its own,
# made fresh and removed afterwards, so that no user's data folder or
# settings change a result and no test leaves anything behind.
set -u
scratch=$(mktemp -d "${TMPDIR:-/tmp}/velmora-test.XXXXXX")
mkdir -p "$scratch/home" "$scratch/config" "$scratch/tmp" "$scratch/runtime"
chmod 700 "$scratch/runtime"
export HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config" TMPDIR="$scratch/tmp"
export XDG_RUNTIME_DIR="$scratch/runtime"
"$@"
status=$?
# A test may leave read-only files or folders (it tests them); make them
# removable first.
chmod -R u+rwX "$scratch" 2>/dev/null
rm -rf "$scratch"
exit $status
