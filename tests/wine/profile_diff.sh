#!/usr/bin/env bash
# Differential test of the profile functions: the same table of cases
# (tools/profilecases) runs on the headless desktop and, under Wine, through the
# real GetPrivateProfileStringA / WritePrivateProfileStringA. Reads must give the
# same counts and bytes. Written files are compared without blank lines and
# without blanks around '=' and at the line ends: Wine rewrites whole files and
# drops blank lines, while Windows 9x (and the headless desktop) edit in place.
#   profile_diff.sh [NATIVE_BUILD [WINDOWS_BUILD]]   (default build/native, and
#   build/win32 or build/win64 as tests/wine/lib.sh tells)
#   WT_KEEP=1 keeps the listings and the prefix.
set -euo pipefail
WT_NAME=profile_diff
source "$(dirname "$0")/lib.sh"
native_build=${1:-${BRIVANE_NATIVE_BUILD:-$WT_REPO/build/native}}
win_build=${2:-$WT_BUILD}
native=$native_build/tools/profilecases/profilecases
win=$win_build/tools/profilecases/profilecases.exe

say() { echo "profile_diff: $*" >&2; }
[ -x "$native" ] || { say "no $native (build the native preset first)"; exit 1; }
[ -f "$win" ] || { say "no $win (build the $WT_ARCH preset first)"; exit 1; }
wt_check_wine
loader=$(wt_loader)
work=$(mktemp -d /tmp/brivane-profile-diff.XXXXXX)
export WINEPREFIX=$work/prefix WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all
cleanup() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  if [ "${WT_KEEP:-0}" = 1 ]; then say "kept $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT

"$native" >"$work/headless.txt"
"$loader" "$win" 2>"$work/wine.err" | tr -d '\r' >"$work/wine.txt" || {
  say "the Windows run failed:"
  cat "$work/wine.err" >&2
  exit 1
}
[ -s "$work/wine.txt" ] || { say "the Windows run printed nothing"; cat "$work/wine.err" >&2; exit 1; }

# File lines ("  | ...") lose blank lines and blanks around '=' and at their ends.
normalize() {
  awk '
    /^  \| / {
      line = substr($0, 5)
      gsub(/^[ \t]+|[ \t]+$/, "", line)
      if (line == "") next
      sub(/[ \t]*=[ \t]*/, "=", line)
      print "  | " line
      next
    }
    { print }
  ' "$1"
}
normalize "$work/headless.txt" >"$work/headless.norm"
normalize "$work/wine.txt" >"$work/wine.norm"

if ! diff -u --label headless --label wine "$work/headless.norm" "$work/wine.norm"; then
  say "FAIL: the headless profile functions differ from Windows (lines above)"
  exit 1
fi
say "ok: $(grep -c '^read ' "$work/wine.norm") reads, $(grep -c '^write ' "$work/wine.norm") writes agree"
