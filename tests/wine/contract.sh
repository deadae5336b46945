#!/usr/bin/env bash
# The contract tables (tests/contract) on the real API: contract_tests.exe of
# the Windows build under Wine. The same tables run natively on the
# headless desktop in the native suite.
#   BRIVANE_WIN32_BUILD  the build to test (default build/win32 or build/win64)
set -euo pipefail
WT_NAME=contract
source "$(dirname "$0")/lib.sh"

exe=$WT_BUILD/tools/contract_tests.exe
wt_setup_for "$exe"
out=$("$(wt_loader)" "$exe" --gtest_color=no 2>&1 | tr -d '\r') && status=0 || status=$?
wt_verdict '^\[  PASSED  \]' "$out" "the contract tables on the real API" "$status"
