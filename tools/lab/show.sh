#!/usr/bin/env bash
# Brivane's whole cycle on a fresh lab machine, as scripts/run.sh shows it: Brivane
# started on the desktop and armed through its window with real clicks (drive C:\,
# the tools, the ending, Execute, Yes to "Restart Computer?"), the restart into
# Brivane as the shell, the run with the stand-in disk tools, Explorer put back, and
# the restart to the desktop (or the shutdown). On $DISPLAY when set, else on the
# lab's own Xvfb. Screenshots of each stage, the tools' log and the boots go to
# out/lab/run/.
#   show.sh [restart|shutdown] [both|scandisk]   (default restart both)
set -uo pipefail
WT_NAME=show
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/brivane.sh"
trap 'br_watch_stop; lab_teardown' EXIT
export BRIVANE_LAB_SCANDISK_MS=${BRIVANE_LAB_SCANDISK_MS:-4000}
export BRIVANE_LAB_DEFRAG_MS=${BRIVANE_LAB_DEFRAG_MS:-4000}
export BRIVANE_LAB_BOOT_TIMEOUT=${BRIVANE_LAB_BOOT_TIMEOUT:-180}
BR_CASE=run

lab_setup || wt_fail "setup failed"
[ -f "$LAB_BRIVANE_DIR/brivane.exe" ] || wt_fail "brivane.exe is not built in $LAB_BUILD"
wt_say "on display $DISPLAY: arming Brivane through its window, then the run (about a minute)"
br_cycle "${1:-restart}" "${2:-both}"
status=$?
echo
echo "Boots:"
sed 's/ (\([0-9]* s\), trace .*)/ (\1)/; s/^/  /' "$LAB_TRANSCRIPT"
echo "The disk tools' log (C:\\lab\\tools.log):"
sed 's/^/  /' "$LAB_SHOTS/run/tools.log"
echo "Screenshots and logs in $LAB_SHOTS/run/:"
(cd "$LAB_SHOTS/run" && ls | sed 's/^/  /')
[ $status = 0 ] || wt_fail "the run did not end as it should (see above)"
wt_say "the whole cycle ran as it should"
