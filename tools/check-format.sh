#!/usr/bin/env bash
# Fails when a C++ file of the tree is not as clang-format leaves it (see .clang-format).
# With --fix, formats them in place instead.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
# The layering check's fixture tree is left as written: its expected findings name its lines.
mapfile -t files < <(git ls-files '*.cpp' '*.h' '*.inc' ':!:tests/layering/fixture/**')
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
if ! clang-format --dry-run --Werror "${files[@]}" 2>/tmp/mj-format.$$; then
  grep -E '^[^ ].*: (error|warning):' /tmp/mj-format.$$ | cut -d: -f1 | sort -u | sed 's/^/not formatted: /'
  rm -f /tmp/mj-format.$$
  echo "run: bash tools/check-format.sh --fix" >&2
  exit 1
fi
rm -f /tmp/mj-format.$$
echo "formatting: ${#files[@]} files as .clang-format wants them"
