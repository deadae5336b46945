#!/usr/bin/env bash
# Compares each library and object of a rebuilt runtime with the installed Debian copy
# it stands in for: the archive members and the defined global symbols must be the
# same sets, so the rebuild leaves nothing out and adds nothing. Prints a table and
# each difference; fails on any.
#   compare.sh DIR
set -euo pipefail
dir=${1:?usage: compare.sh DIR}
cc=i686-w64-mingw32-gcc-win32
nm=i686-w64-mingw32-nm
ar=i686-w64-mingw32-ar
files=(crt2.o libmingw32.a libmingwex.a libmsvcrt.a libgcc.a libgcc_eh.a crtbegin.o crtend.o
  libstdc++.a libsupc++.a)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

members() { if [[ $1 == *.a ]]; then "$ar" t "$1" | sort -u; else basename "$1"; fi; }
# Defined global symbols by name; the member headers of an archive end in a colon.
symbols() { "$nm" -g --defined-only -P "$1" 2>/dev/null | awk '$1 !~ /:$/ { print $1 }' | sort -u; }
differ() {
  comm -3 "$1" "$2" | awk -v what="$3" -v file="$4" '
    { side = /^\t/ ? "only in Debian'\''s" : "only in the rebuild"; sub(/^\t/, "")
      print "  " file ": " what " " side ": " $0 }'
}

printf '%-14s %19s %21s\n' file "members rebuilt/deb" "symbols rebuilt/deb"
bad=0
for f in "${files[@]}"; do
  ours=$dir/$f
  theirs=$($cc -print-file-name="$f")
  [ -f "$ours" ] && [ -f "$theirs" ] || { echo "$f: missing ($ours, $theirs)"; bad=1; continue; }
  members "$ours" >"$work/m1"
  members "$theirs" >"$work/m2"
  symbols "$ours" >"$work/s1"
  symbols "$theirs" >"$work/s2"
  printf '%-14s %9d/%-9d %10d/%-10d %s\n' "$f" "$(wc -l <"$work/m1")" "$(wc -l <"$work/m2")" \
    "$(wc -l <"$work/s1")" "$(wc -l <"$work/s2")" \
    "$(cmp -s "$work/m1" "$work/m2" && cmp -s "$work/s1" "$work/s2" && echo same || echo DIFFERENT)"
  differ "$work/m1" "$work/m2" member "$f" >>"$work/diff"
  differ "$work/s1" "$work/s2" symbol "$f" >>"$work/diff"
done
if [ -s "$work/diff" ]; then
  cat "$work/diff"
  bad=1
fi
[ $bad = 0 ] && echo "runtime: every member and defined symbol as in Debian's build"
exit $bad
