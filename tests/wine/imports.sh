#!/usr/bin/env bash
# Windows 95 import check of the deliverable: every function build/win32/brivane.exe
# imports must be exported by the Windows 95 DLLs (lists in ../shared/win9x). A
# function that 9x only stubs fails the check unless it stands in the allow-list
# below with the reason its failure does no harm. Also counts the cmov
# instructions (P6 and later; a Pentium faults on them) and says where they are.
#   imports.sh [EXE]   (default build/win32/brivane.exe)
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
exe=${1:-$repo/build/win32/brivane.exe}
lists=${BRIVANE_WIN9X_LISTS:-$repo/../shared/win9x}
objdump=i686-w64-mingw32-objdump

[ -f "$exe" ] || { echo "imports: no $exe (build the win32 preset first)" >&2; exit 1; }
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

imports=$(mktemp)
trap 'rm -f "$imports"' EXIT
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

# cmov: the whole executable, then the project's own objects in the same build.
disasm=$("$objdump" -d "$exe")
total=$(grep -c $'\tcmov' <<<"$disasm" || true)
echo "cmov: $total in $(basename "$exe")"
if [ "$total" -gt 0 ]; then
  echo "cmov by function (most first):"
  awk '/^[0-9a-f]+ <.*>:$/ { fn = $2 } /\tcmov/ { print fn }' <<<"$disasm" |
    sort | uniq -c | sort -rn | awk 'NR <= 15'  # reads all: no SIGPIPE under pipefail
fi
own=0
for lib in $(find "$(dirname "$exe")" -name 'libbrivane_*.a' -o -name 'winmain.cpp.obj'); do
  n=$("$objdump" -d "$lib" | grep -c $'\tcmov' || true)
  own=$((own + n))
  [ "$n" -gt 0 ] && echo "cmov: $n in $lib"
done
echo "cmov: $own in the project's own code; the rest comes from the prebuilt runtime (CRT, libstdc++, libgcc)"

if [ $bad = 0 ]; then echo "imports: OK"; else echo "imports: FAILED"; fi
exit $bad
