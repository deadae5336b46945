#!/usr/bin/env bash
# Brivane's whole maintenance cycle on the lab machine:
#   brivane_cycle.sh [restart|shutdown]   (default restart)
# A fresh machine; Brivane started on the desktop and armed through its window (drive
# C:\, both tools, the chosen ending, Execute, Yes); the restart it asks for; then the
# boots from system.ini until the machine shuts down or the desktop is back. Checks
# what a user would: the tools ran in order, Explorer is the shell again, system.ini is
# otherwise untouched, the settings file is gone. Screenshots go to out/lab/.
# The stand-ins work 3 s each unless BRIVANE_LAB_SCANDISK_MS / _DEFRAG_MS say otherwise.
set -uo pipefail
WT_NAME=brivane_cycle
. "$(dirname "$0")/lib.sh"
trap lab_teardown EXIT
ending=${1:-restart}
export BRIVANE_LAB_SCANDISK_MS=${BRIVANE_LAB_SCANDISK_MS:-3000}
export BRIVANE_LAB_DEFRAG_MS=${BRIVANE_LAB_DEFRAG_MS:-3000}
export BRIVANE_LAB_BOOT_TIMEOUT=${BRIVANE_LAB_BOOT_TIMEOUT:-180}

# Points inside the main window, in pixels from its top left (its layout in
# windows/): the first drive of the list, the two endings, Execute.
DRIVE_ITEM=(26 150)
SHUTDOWN_OPTION=(224 233)
RESTART_OPTION=(224 257)
EXECUTE_BUTTON=(337 293)

check() { "$@" || wt_fail "check failed: $*"; }

lab_setup || wt_fail "setup failed"
[ -f "$LAB_BRIVANE_DIR/brivane.exe" ] || wt_fail "brivane.exe is not built in $LAB_BUILD"

wt_say "arming on the desktop ($ending)"
lab_launch 'C:\Program Files\Brivane\brivane.exe'
lab_wait_window '^Brivane$' 30 >/dev/null || wt_fail "no main window"
sleep 1
lab_click '^Brivane$' "${DRIVE_ITEM[@]}"
if [ "$ending" = shutdown ]; then
  lab_click '^Brivane$' "${SHUTDOWN_OPTION[@]}"
else
  lab_click '^Brivane$' "${RESTART_OPTION[@]}"
fi
lab_screenshot brivane_cycle-armed >/dev/null
lab_click '^Brivane$' "${EXECUTE_BUTTON[@]}"
lab_press 'Restart Computer?' '&Yes' 10000 >/dev/null || wt_fail "no confirmation box"
lab_await
[ $? = 10 ] || wt_fail "arming did not ask for a restart"
shell=$(lab_shell)
case ${shell,,} in
  *brivane.exe) ;;
  *) wt_fail "the shell after arming is '$shell'" ;;
esac

wt_say "the boots"
lab_clear_tools_log
lab_cycle 4
status=$?
if [ "$ending" = shutdown ]; then want=11; else want=0; fi
[ "$status" = "$want" ] || wt_fail "the cycle ended with status $status, expected $want"

log=$(lab_tools_log)
order=(
  'scandskw start show=4 cmdline=' 'scandskw window shown' 'scandskw exit'
  'Defrag start show=1 cmdline=Defrag.exe C:' 'Defrag prompt shown' 'Defrag answer Yes'
)
last=0
for event in "${order[@]}"; do
  line=$(grep -n -F -m1 -- "$event" <<<"$log" | cut -d: -f1)
  [ -n "$line" ] && ((line > last)) || wt_fail "'$event' missing or out of order in:
$log"
  last=$line
done
check test "$(lab_shell)" = Explorer.exe
check lab_ini_diff
check test ! -e "$LAB_BRIVANE_DIR/Brivane.ini"
wt_say "transcript:"
sed 's/^/  /' "$LAB_TRANSCRIPT" >&2
wt_say "PASS"
