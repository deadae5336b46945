#!/usr/bin/env bash
# Every C++ file of the repository is as clang-format (.clang-format) writes it.
set -u
cd "$(dirname "$0")/.."
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t files < <(git ls-files -- '*.cpp' '*.h')
else
  mapfile -t files < <(find . -path ./build -prune -o \( -name '*.cpp' -o -name '*.h' \) -print)
fi
# One call for all; only when it fails, one a file to name them.
bad=()
if ! clang-format --dry-run -Werror "${files[@]}" >/dev/null 2>&1; then
  for f in "${files[@]}"; do
    clang-format --dry-run -Werror "$f" >/dev/null 2>&1 || bad+=("$f")
  done
fi
if ((${#bad[@]})); then
  echo "format: not as clang-format writes them (clang-format -i FILE):"
  printf '  %s\n' "${bad[@]}"
  exit 1
fi
echo "format: ${#files[@]} files clean"
