#!/usr/bin/env bash
# The release package of the win32 build: brivane-VERSION.zip holds exactly
# brivane.exe, Help.chm and README.txt, the first two byte for byte as built, the
# README in CRLF and plain ASCII with what a Windows user needs to know.
#   package.sh [ZIP]   (default build/win32/brivane-VERSION.zip, or in $BRIVANE_WIN32_BUILD)
set -uo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
build=${BRIVANE_WIN32_BUILD:-$repo/build/win32}
version=$(sed -n 's/^set(BRIVANE_VERSION \([0-9.]*\)).*/\1/p' "$repo/cmake/Version.cmake")
zip=${1:-$build/brivane-$version.zip}
build=$(dirname "$zip")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
results=()
failed=0
check() {
  local name=$1
  shift
  if "$@" >"$work/out" 2>&1; then
    results+=("ok    $name")
  else
    results+=("FAIL  $name: $(head -c 300 "$work/out" | tr '\n' ' ')")
    failed=$((failed + 1))
  fi
}

[ -f "$zip" ] || { echo "package: no $zip (build the win32 preset first)" >&2; exit 1; }
unzip -q "$zip" -d "$work/unzipped" || { echo "package: $zip does not unzip" >&2; exit 1; }
readme=$work/unzipped/README.txt

names() { unzip -Z1 "$zip" | sort | paste -sd ' ' -; }
same_as_built() { cmp "$work/unzipped/$1" "$build/$1"; }
crlf_only() {
  # As many CRs as LFs, each CR right before an LF, and the last line ended.
  local lf cr crlf
  lf=$(tr -cd '\n' <"$readme" | wc -c)
  cr=$(tr -cd '\r' <"$readme" | wc -c)
  crlf=$(grep -c $'\r$' "$readme")
  echo "LF $lf, CR $cr, CR LF $crlf"
  [ "$lf" -gt 0 ] && [ "$cr" = "$lf" ] && [ "$crlf" = "$lf" ] &&
    [ "$(tail -c 1 "$readme" | od -An -tx1 | tr -d ' ')" = 0a ]
}
ascii_only() { ! LC_ALL=C grep -n $'[^\t\r -~]' "$readme"; }
mentions() { LC_ALL=C grep -q -F -- "$1" "$readme" || { echo "no \"$1\""; return 1; }; }
short_lines() { ! tr -d '\r' <"$readme" | awk 'length > 79 { print NR ": " $0; bad = 1 } END { exit !bad }'; }

check "holds brivane.exe, Help.chm, README.txt and nothing else" \
  test "$(names)" = "Help.chm README.txt brivane.exe"
check "brivane.exe is the one built" same_as_built brivane.exe
check "Help.chm is the one built" same_as_built Help.chm
check "README.txt has CRLF line ends" crlf_only
check "README.txt is plain ASCII" ascii_only
check "README.txt lines fit 79 columns" short_lines
for text in "Brivane $version" "Windows 95" "Windows 98" "Windows ME" "486 processor" MSVCRT.DLL \
  "support@brivane.co.uk" Brivane.ini "[Configeration]" "shell=Explorer.exe" system.ini Exit; do
  check "README.txt mentions $text" mentions "$text"
done

printf '%s\n' "${results[@]}"
if [ $failed = 0 ]; then
  echo "package: OK ($(basename "$zip"), $(stat -c %s "$zip") bytes)"
else
  echo "package: FAILED ($failed of ${#results[@]} checks)"
fi
[ $failed = 0 ]
