#!/usr/bin/env bash
# Runs one test with a home, configuration and temporary folder of its own,
# made fresh and removed afterwards, so that no user's data folder or
# settings change a result and no test leaves anything behind.
#
#   hermetic.sh [--unprivileged] COMMAND...
#
# --unprivileged: started as root, the test runs as the user nobody, who owns
# its folders: the cases that root would pass for want of a refusal (a
# read-only folder, a file nobody may write) then run. Started as another
# user, the test runs as that user, who is unprivileged already.
set -u
unprivileged=0
if [ "${1:-}" = "--unprivileged" ]; then
  unprivileged=1
  shift
fi
scratch=$(mktemp -d "${TMPDIR:-/tmp}/velmora-test.XXXXXX")
mkdir -p "$scratch/home" "$scratch/config" "$scratch/tmp" "$scratch/runtime"
chmod 700 "$scratch/runtime"
export HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config" TMPDIR="$scratch/tmp"
export XDG_RUNTIME_DIR="$scratch/runtime"
if [ "$unprivileged" = 1 ] && [ "$(id -u)" -eq 0 ]; then
  # The folder above the scratch folder is root's own; nobody needs to pass.
  chmod 711 "$scratch"
  chown -R nobody:nogroup "$scratch"
  setpriv --reuid=nobody --regid=nogroup --clear-groups --inh-caps=-all -- "$@"
else
  "$@"
fi
status=$?
# A test may leave read-only files or folders (it tests them); make them
# removable first.
chmod -R u+rwX "$scratch" 2>/dev/null
rm -rf "$scratch"
exit $status
