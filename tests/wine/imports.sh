#!/usr/bin/env bash
# Windows 95 import check of the deliverable: every function the brivane.exe of the
# release package imports must be exported by the Windows 95 DLLs (lists in
# ../shared/win9x). A function that 9x only stubs fails the check unless it stands in
# the allow-list below with the reason its failure does no harm. (Instructions newer
# than the 486 fail the build itself: cmake/runtime486/check486.sh.)
#   imports.sh [ZIP|EXE]   (default the release package build/win32/brivane-VERSION.zip,
#                           or in $BRIVANE_WIN32_BUILD; a zip is checked through
#                           the brivane.exe it holds)
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
build=${BRIVANE_WIN32_BUILD:-$repo/build/win32}
target=${1:-}
lists=${BRIVANE_WIN9X_LISTS:-$repo/../shared/win9x}
objdump=i686-w64-mingw32-objdump

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
version=$(sed -n 's/^set(BRIVANE_VERSION \([0-9.]*\)).*/\1/p' "$repo/cmake/Version.cmake")
target=${target:-$build/brivane-$version.zip}
[ -f "$target" ] || { echo "imports: no $target (build the win32 preset first)" >&2; exit 1; }
if [[ $target == *.zip ]]; then
  unzip -q "$target" brivane.exe -d "$work" || { echo "imports: $target holds no brivane.exe" >&2; exit 1; }
  exe=$work/brivane.exe
  echo "imports: brivane.exe of $(basename "$target")"
else
  exe=$target
fi
[ -f "$lists/kernel32.txt" ] || { echo "imports: no export lists in $lists" >&2; exit 1; }

# Stubbed on 9x, imported by the prebuilt runtime, harmless there:
allowed_stubs=(
  # libgcc's thread and unwinder support creates a semaphore only when a second
  # thread contends for a lock; the program has one thread.
  "kernel32 CreateSemaphoreW"
  # The CRT's codepage and rand_s emulation try the W call and fall back to the
  # A call when it fails, which it always does on 9x.
  "kernel32 GetModuleHandleW"
  "kernel32 LoadLibraryW"
)

imports=$work/imports
"$objdump" -p "$exe" | awk '
  /^\tDLL Name:/ { dll = tolower($3); sub(/\.dll$/, "", dll); next }
  dll != "" && /^\t[0-9a-f]+\t/ { print dll, ($NF == "<none>" ? "#" $2 : $NF) }
' | sort -u >"$imports"
[ -s "$imports" ] || { echo "imports: $exe has no import table" >&2; exit 1; }

bad=0
while read -r dll name; do
  if [ ! -f "$lists/$dll.txt" ]; then
    echo "UNCHECKED $dll $name"
  elif ! grep -qxF "$name" "$lists/$dll.txt"; then
    echo "MISSING $dll $name"
    bad=1
  elif grep -qxF "$dll $name" "$lists/stubs.txt"; then
    allowed=0
    for a in "${allowed_stubs[@]}"; do [ "$a" = "$dll $name" ] && allowed=1; done
    if [ $allowed = 1 ]; then
      echo "STUB $dll $name (allowed)"
    else
      echo "STUB $dll $name"
      bad=1
    fi
  fi
done <"$imports"
echo "imports: $(wc -l <"$imports") functions from $(cut -d' ' -f1 "$imports" | sort -u | tr '\n' ' ')"

if [ $bad = 0 ]; then echo "imports: OK"; else echo "imports: FAILED"; fi
exit $bad
