#!/usr/bin/env bash
# Large Fonts: every caption of every window fits its box at 96 and at 120 dpi
# (fonts_check.exe in the toolkit's own fonts), the prefix set to each case in turn.
#   BRIVANE_WIN32_BUILD  the build to test (default build/win32 or build/win64)
set -euo pipefail
WT_NAME=fonts
source "$(dirname "$0")/lib.sh"

check=$WT_BUILD/tools/fonts_check.exe
[ -f "$check" ] || wt_fail "no $check (build the $WT_ARCH preset first)"
wt_setup
# Each case: the dpi and MS Sans Serif's file. Large Fonts brings the 120-dpi
# file in place of the 96-dpi one, as Display properties does on Windows 9x; the
# last case changes the dpi alone (Wine then finds no MS Sans Serif for it).
cases=("96 sserife.fon" "120 sseriff.fon" "120 sserife.fon")
fonts=$WINEPREFIX/drive_c/windows/Fonts
failed=
for case in "${cases[@]}"; do
  read -r dpi file <<<"$case"
  [ -f "$WT_WINE_FONTS/$file" ] || wt_fail "no $WT_WINE_FONTS/$file (Debian package fonts-wine)"
  rm -f "$fonts/sserife.fon" "$fonts/sseriff.fon"
  cp "$WT_WINE_FONTS/$file" "$fonts/"
  wt_log_pixels "$dpi" "$WT_WORK/reg.log" || wt_fail "could not set the prefix to $dpi dpi"
  echo "$dpi dpi, $file:"
  out=$("$(wt_loader)" "$check" "$dpi" 2>/dev/null | tr -d '\r') || failed="$failed $dpi/$file"
  echo "$out"
done
[ -z "$failed" ] || wt_fail "captions overflow their boxes (or the dpi did not take) at:$failed"
wt_say "PASS"
