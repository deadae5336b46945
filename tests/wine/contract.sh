#!/usr/bin/env bash
# The contract tables (tests/contract) on the real API: contract_tests.exe of
# the Windows build under Wine. The same tables run natively on the
# headless desktop in the native suite.
#   BRIVANE_WIN32_BUILD  the build to test (default build/win32 or build/win64)
set -euo pipefail
WT_NAME=contract
source "$(dirname "$0")/lib.sh"

exe=$WT_BUILD/tools/contract_tests.exe
[ -f "$exe" ] || wt_fail "no $exe (build the $WT_ARCH preset first)"
wt_setup
out=$("$(wt_loader)" "$exe" --gtest_color=no 2>&1 | tr -d '\r') && status=0 || status=$?
echo "$out"
[ "$status" = 0 ] && grep -q '^\[  PASSED  \]' <<<"$out" || wt_fail "the contract tables failed on the real API"
wt_say "PASS"
