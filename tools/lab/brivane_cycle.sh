#!/usr/bin/env bash
# Brivane's whole maintenance cycle on a fresh lab machine:
#   brivane_cycle.sh [shutdown|restart] [both|scandisk]   (default restart both)
# Brivane is started on the desktop and armed through its window with real input
# (drive C:\, the tools, the ending, Execute, Yes); then the restart it asks for, the
# run, and the shutdown or the restart back to the desktop. Checks the tools' log, the
# shell, the rest of system.ini, the settings file and the disk tools' registry
# presets. Screenshots and logs go to out/lab/cycle-ENDING-TOOLS/.
# The stand-ins work 3 s each unless BRIVANE_LAB_SCANDISK_MS / _DEFRAG_MS say otherwise.
set -uo pipefail
WT_NAME=brivane_cycle
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/brivane.sh"
trap 'br_watch_stop; lab_teardown' EXIT
ending=${1:-restart}
tools=${2:-both}
export BRIVANE_LAB_SCANDISK_MS=${BRIVANE_LAB_SCANDISK_MS:-3000}
export BRIVANE_LAB_DEFRAG_MS=${BRIVANE_LAB_DEFRAG_MS:-3000}
export BRIVANE_LAB_BOOT_TIMEOUT=${BRIVANE_LAB_BOOT_TIMEOUT:-180}
BR_CASE=cycle-$ending-$tools

lab_setup || wt_fail "setup failed"
[ -f "$LAB_BRIVANE_DIR/brivane.exe" ] || wt_fail "brivane.exe is not built in $LAB_BUILD"
br_cycle "$ending" "$tools" || wt_fail "see above; screenshots and logs in $LAB_SHOTS/$BR_CASE"
wt_say "transcript:"
sed 's/^/  /' "$LAB_TRANSCRIPT" >&2
wt_say "PASS (screenshots and logs in $LAB_SHOTS/$BR_CASE)"
