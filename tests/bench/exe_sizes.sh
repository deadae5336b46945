#!/usr/bin/env bash
# What the bytes of a Windows executable are: the art (.rsrc), the program's own code
# and data, its own C library (platform/win32/crt), libstdc++, GCC's and MinGW's
# runtime (crtbegin.o, crtend.o, libgcc, libmingwex), and the rest (headers, the import tables
# and thunks, alignment). Each input section's size is charged, by the linker map, to the file
# it came from; the rows add up to the size of the executable as shipped (stripped).
#   exe_sizes.sh [EXE [MAP]]   (default build/win32/brivane.exe and its .map)
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
exe=${1:-$repo/build/win32/brivane.exe}
map=${2:-$exe.map}
objdump=i686-w64-mingw32-objdump
[ -f "$exe" ] && [ -f "$map" ] || { echo "exe_sizes: no $exe or $map (build the win32 preset)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
i686-w64-mingw32-strip -o "$work/exe" "$exe"
total=$(stat -c %s "$work/exe")
art=$("$objdump" -h "$work/exe" | awk '$2 == ".rsrc" { print ("0x" $3) + 0 }')

awk -v total="$total" -v art="${art:-0}" '
  function charge(file, size) {
    if (size == 0 || skip) return
    if (file ~ /libstdc\+\+\.a|libsupc\+\+\.a/) part = "libstdc++"
    else if (file ~ /(crt2|crtbegin|crtend)\.o$|libmingw(32|ex)\.a|libmsvcrt\.a|libgcc(_eh)?\.a/) part = "CRT and libgcc"
    # The own C library: the objects of platform/win32/crt among the executable'"'"'s.
    else if (file ~ /\((startup|heap|memory|errno)\.cpp\.obj\)$/) part = "own C library"
    else if (file !~ /^\// && file ~ /\.obj\)?$/) part = "own code and data"
    # The link-time optimiser'"'"'s output: the program'"'"'s objects, optimised together.
    else if (file ~ /\.ltrans\.o$/) part = "own code and data"
    else return  # import libraries and what the linker makes: with the import tables
    bytes[part] += size
  }
  /^Linker script and memory map/ { inmap = 1; next }
  !inmap { next }
  # An output section: its name at the start of a line. Only those the file holds count.
  /^\.[^ ]+/ { skip = ($1 ~ /^\.(bss|rsrc|debug|stab|zdebug)/); pending = ""; next }
  /^[^ ]/ { skip = 1; next }
  /^ [^ *]+$/ { pending = $1; next }
  pending != "" && /^ +0x[0-9a-f]+ +0x[0-9a-f]+ / { charge($3, $2 + 0); pending = ""; next }
  { pending = "" }
  /^ [^ *]+ +0x[0-9a-f]+ +0x[0-9a-f]+ / { charge($4, $3 + 0) }
  END {
    rest = total - art
    n = split("own code and data|own C library|libstdc++|CRT and libgcc", order, "|")
    printf "%-30s %9s\n", "part", "bytes"
    printf "%-30s %9d\n", "art (.rsrc)", art
    for (i = 1; i <= n; i++) { printf "%-30s %9d\n", order[i], bytes[order[i]]; rest -= bytes[order[i]] }
    printf "%-30s %9d\n", "headers, imports, alignment", rest
    printf "%-30s %9d\n", "executable (stripped)", total
  }
' "$map"
