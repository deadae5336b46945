#!/usr/bin/env bash
# The Win32 System implementation against the real API under Wine, where the
# contract tables and the profile cases do not reach: program facts, file
# errors, resources, starting programs.
#   BRIVANE_WIN32_BUILD  the build to test (default build/win32 or build/win64)
set -euo pipefail
WT_NAME=system
source "$(dirname "$0")/lib.sh"

check=$WT_BUILD/tools/win32_system_check.exe
wt_setup_for "$check"
scratch=$WINEPREFIX/drive_c/check
mkdir -p "$scratch"
cp "$check" "$scratch/"
cp "$WT_REPO/resources/splash.jpg" "$scratch/"
out=$(cd "$scratch" && "$(wt_loader)" win32_system_check.exe 'C:\check' 'C:\check\splash.jpg' \
  2>/dev/null | tr -d '\r') || true
wt_verdict '^OK: 0 failure' "$out" "the System implementation under Wine"
