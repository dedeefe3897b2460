#!/usr/bin/env bash
# Runs clang-tidy (the checks of .clang-tidy) on the C++ files a change
# touches: those changed since BASE, committed or not, and for a changed
# header the source file of the same name. Fails on any finding.
#
#   scripts/clang-tidy.sh [BASE]    (default HEAD~1: the last commit and what is not committed)
#   scripts/clang-tidy.sh --all     every source file of the repository
#
# Needs the compile commands of a build (build/, or $VELMORA_BUILD_DIR).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMORA_BUILD_DIR:-$root/build}
cd "$root"
if [ ! -f "$build/compile_commands.json" ]; then
  echo "clang-tidy: no $build/compile_commands.json; build first (scripts/build.sh)" >&2
  exit 1
fi

if [ "${1:-}" = "--all" ]; then
  mapfile -t changed < <(git ls-files -- '*.cpp' '*.h')
else
  base=${1:-HEAD~1}
  git rev-parse --verify --quiet "$base^{commit}" >/dev/null || base=$(git rev-list --max-parents=0 HEAD)
  mapfile -t changed < <({ git diff --name-only --diff-filter=d "$base" -- '*.cpp' '*.h'
                           git ls-files --others --exclude-standard -- '*.cpp' '*.h'; } | sort -u)
fi

# Only files the build compiles can be checked; a header through its source.
sources=()
for file in "${changed[@]}"; do
  [ -f "$file" ] || continue
  candidate=$file
  if [[ $file == *.h ]]; then
    candidate=${file%.h}.cpp
  fi
  if [ -f "$candidate" ] && grep -qF "\"file\": \"$root/$candidate\"" "$build/compile_commands.json"; then
    sources+=("$candidate")
  fi
done
mapfile -t sources < <(printf '%s\n' "${sources[@]}" | sort -u | sed '/^$/d')
if [ ${#sources[@]} -eq 0 ]; then
  echo "clang-tidy: no changed source file to check."
  exit 0
fi

log=$(mktemp)
database=$(mktemp -d)
trap 'rm -rf "$log" "$database"' EXIT
# The compile commands without the precompiled headers of the test programs:
# clang cannot read the compiler's, and each source includes what it uses.
python3 - "$build/compile_commands.json" "$database/compile_commands.json" <<'PY'
import json, re, sys
entries = json.load(open(sys.argv[1]))
for entry in entries:
    entry["command"] = re.sub(r" -Winvalid-pch| -include \S*cmake_pch\.hxx", "", entry["command"])
json.dump(entries, open(sys.argv[2], "w"))
PY
if ! printf '%s\n' "${sources[@]}" |
  xargs -P "$(nproc)" -n 4 clang-tidy -p "$database" --quiet >"$log" 2>&1; then
  grep -E '(warning|error):' "$log" | sed "s#^$root/##" | sort -u >&2 || cat "$log" >&2
  echo "clang-tidy: findings in the files above (checks in .clang-tidy)." >&2
  exit 1
fi
echo "clang-tidy: ${#sources[@]} files checked, nothing found."
