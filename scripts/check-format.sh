#!/usr/bin/env bash
# Fails when a C++ file of the repository differs from what the repository's
# .clang-format makes of it, and names the files. `--fix` formats them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
mapfile -t files < <(git ls-files -- '*.cpp' '*.h')
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
unformatted=()
for file in "${files[@]}"; do
  if ! clang-format --dry-run --Werror "$file" >/dev/null 2>&1; then
    unformatted+=("$file")
  fi
done
if [ ${#unformatted[@]} -ne 0 ]; then
  echo "Not formatted with the repository's .clang-format (run scripts/check-format.sh --fix):" >&2
  printf '  %s\n' "${unformatted[@]}" >&2
  exit 1
fi
echo "Format check: ${#files[@]} files formatted."
