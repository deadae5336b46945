#!/usr/bin/env bash
# The Wine lab without Brivane: the stand-in disk tools come and go as a run expects,
# their prompts give way to Brivane's button presses, and a boot tells Explorer, a
# restart and a shutdown apart. Needs the i686 build's stand-ins (targets scandskw
# Defrag labpress labstart labexit labini labclose).
set -uo pipefail
WT_NAME=lab_fixtures
BRIVANE_LAB_DIR=$(mktemp -d /tmp/brivane-lab-test.XXXXXX)
export BRIVANE_LAB_DIR
. "$(dirname "$0")/../../tools/lab/lib.sh"

cleanup() {
  lab_teardown
  [ "${WT_KEEP:-0}" = 1 ] || rm -rf "$BRIVANE_LAB_DIR"
}
trap cleanup EXIT

# A fixed text as an extended regular expression.
literal() { sed 's/[][\.*^$(){}+?|/]/\\&/g' <<<"$1"; }

# Waits for a line of the tools' log holding the fixed text $1.
expect_log() {
  lab_wait_log "$(literal "$1")" "${2:-15}" >/dev/null ||
    wt_fail "the tools' log lacks \"$1\"; it holds:
$(lab_tools_log)"
}

# expect_status WANT COMMAND...: runs the command and compares its status.
expect_status() {
  local want=$1 got
  shift
  "$@"
  got=$?
  [ "$got" = "$want" ] || wt_fail "'$*' ended with status $got, expected $want"
}

expect_equal() { [ "$2" = "$3" ] || wt_fail "$1: got '$2', expected '$3'"; }

started=$SECONDS
[ -f "$WT_BUILD/standins/labclose.exe" ] || wt_fail "no stand-ins in $WT_BUILD/standins"
lab_setup || wt_fail "setup failed"

wt_say "the machine as set up"
expect_equal "shell" "$(lab_shell)" "Explorer.exe"
expect_equal "shell read by the profile functions" "$(lab_ini get system.ini Boot Shell)" \
  "Explorer.exe"
expect_status 0 lab_ini_diff
[ -f "$LAB_WINDOWS/scandskw.exe" ] && [ -f "$LAB_WINDOWS/Defrag.exe" ] ||
  wt_fail "the stand-ins are not in C:\\windows"
expect_equal "RegisteredOwner" \
  "$(lab_reg_value 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion' RegisteredOwner)" "Lab Owner"

wt_say "ScanDisk started as the launcher does: comes, works, goes"
export BRIVANE_LAB_SCANDISK_MS=3000
lab_start 4 'c:\windows\scandskw.exe C: /n' >/dev/null || wt_fail "scandskw.exe did not start"
lab_wait_window '^ScanDisk - C:$' 10 >/dev/null || wt_fail "no ScanDisk window"
shown=$SECONDS
lab_wait_window_gone '^ScanDisk - C:$' 10 || wt_fail "the ScanDisk window stays"
((SECONDS - shown >= 2)) || wt_fail "the ScanDisk window went after $((SECONDS - shown)) s"
expect_log 'scandskw start show=4 cmdline=c:\windows\scandskw.exe C: /n'
expect_log 'scandskw window shown caption=ScanDisk - C: foreground=no'
expect_log 'scandskw done after'
expect_log 'scandskw exit'

wt_say "ScanDisk closed early by WM_CLOSE, as the Exit button does"
lab_clear_tools_log
BRIVANE_LAB_SCANDISK_MS=60000 lab_start 4 'c:\windows\scandskw.exe d: /n' >/dev/null
lab_wait_window '^ScanDisk - D:$' 10 >/dev/null || wt_fail "no ScanDisk window for D:"
expect_status 0 lab_close scandisk >/dev/null
expect_log 'scandskw closed by WM_CLOSE'
expect_log 'scandskw exit'
lab_wait_window_gone '^ScanDisk - D:$' 5 || wt_fail "the closed ScanDisk window stays"
! grep -q 'scandskw done' "$LAB_TOOLS_LOG" || wt_fail "ScanDisk finished although it was closed"

wt_say "ScanDisk's own question after the run, answered No"
lab_clear_tools_log
BRIVANE_LAB_SCANDISK_MS=1000 BRIVANE_LAB_SCANDISK_PROMPT_MS=500 \
  lab_start 4 'c:\windows\scandskw.exe C: /n' >/dev/null
expect_status 0 lab_press 'ScanDisk - C:' '&No' 10000 >/dev/null
expect_log 'scandskw answer No'
expect_log 'scandskw exit'

wt_say "Defrag started as the ScanDisk watcher does; its final box answered Yes"
lab_clear_tools_log
export BRIVANE_LAB_DEFRAG_MS=2000
lab_start 1 'Defrag.exe C:' >/dev/null || wt_fail "Defrag.exe did not start"
lab_wait_window '^Defragmenting Drive C$' 10 >/dev/null || wt_fail "no Defrag work window"
expect_log 'Defrag start show=1 cmdline=Defrag.exe C:'
expect_log 'Defrag prompt shown caption=Disk Defragmenter'
lab_wait_window '^Disk Defragmenter$' 10 >/dev/null || wt_fail "no Disk Defragmenter box"
lab_screenshot lab_fixtures-defrag-prompt >/dev/null
# Button captions keep their ampersand: "Yes" alone is no button of the box.
expect_status 2 lab_press 'Disk Defragmenter' 'Yes' >/dev/null
expect_status 0 lab_press 'Disk Defragmenter' '&Yes' 5000 >/dev/null
expect_log 'Defrag answer Yes'
expect_log 'Defrag exit'
expect_status 1 lab_press 'Disk Defragmenter' '&Yes' >/dev/null

wt_say "Defrag's final box answered No"
lab_clear_tools_log
lab_start 4 'c:\windows\Defrag.exe C: /n' >/dev/null
expect_status 0 lab_press 'Disk Defragmenter' '&No' 10000 >/dev/null
expect_log 'Defrag answer No'
expect_log 'Defrag exit'

wt_say "system.ini: Shell may change through the profile functions, nothing else"
expect_status 0 lab_ini set system.ini Boot Shell 'C:\PROG~FBU\Brivane\brivane.exe'
expect_equal "shell after a profile write" "$(lab_shell)" 'C:\PROG~FBU\Brivane\brivane.exe'
expect_status 0 lab_ini_diff
expect_status 0 lab_ini set system.ini vcache MaxFileCache 1
changes=$(lab_ini_diff)
expect_status 1 lab_ini_diff >/dev/null
grep -q '^+\[vcache\] maxfilecache=1$' <<<"$changes" || wt_fail "ini-diff misses a changed value"
expect_status 0 lab_ini set 'C:\windows\system.ini' vcache MaxFileCache 16384
expect_status 0 lab_ini_diff

wt_say "boots"
lab_clear_tools_log
expect_status 0 lab_set_shell 'EXPLORER.EXE'
expect_status 0 lab_boot
expect_status 0 lab_set_shell 'C:\lab\labexit.exe reboot'
expect_status 10 lab_boot
expect_log 'labexit request reboot flags=2 accepted'
expect_log 'labexit WM_ENDSESSION ending=1'
expect_status 0 lab_set_shell 'C:\lab\labexit.exe shutdown'
expect_status 11 lab_boot
expect_log 'labexit request shutdown flags=1 accepted'
expect_status 0 lab_set_shell 'C:\lab\labexit.exe none 200'
expect_status 12 lab_boot

wt_say "a cycle: a shell that puts Explorer back and restarts, then the desktop"
printf '@echo off\r\nC:\\lab\\labini.exe set system.ini Boot Shell Explorer.exe\r\nC:\\lab\\labexit.exe reboot\r\n' \
  >"$LAB_C/lab/finish.bat"
expect_status 0 lab_set_shell 'C:\windows\system32\cmd.exe /c C:\lab\finish.bat'
expect_status 0 lab_cycle 4
tail -2 "$LAB_TRANSCRIPT" | grep -q -- '-> restart requested' || wt_fail "no restart in the cycle"
tail -1 "$LAB_TRANSCRIPT" | grep -q 'shell=Explorer.exe -> desktop back' ||
  wt_fail "the cycle did not end at the desktop"
expect_status 0 lab_ini_diff
expect_status 0 lab_set_shell 'C:\lab\labexit.exe reboot'
expect_status 3 lab_cycle 2

wt_say "a power cut in the middle of a boot"
lab_clear_tools_log
lab_launch 'C:\lab\labexit.exe' none 60000
expect_log 'labexit start'
cut=$SECONDS
lab_power_cut
expect_status 14 lab_await
((SECONDS - cut < 30)) || wt_fail "the boot outlived the power cut by $((SECONDS - cut)) s"
! grep -q 'labexit exit' "$LAB_TOOLS_LOG" || wt_fail "the shell ended normally despite the power cut"

wt_say "transcript:"
sed 's/^/  /' "$LAB_TRANSCRIPT" >&2
wt_say "PASS in $((SECONDS - started)) s"
