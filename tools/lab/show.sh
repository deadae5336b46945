#!/usr/bin/env bash
# Brivane on the lab machine (fresh each time). On $DISPLAY it runs until you close
# it; if you arm a run there, the lab goes on booting as Windows would until the
# machine shuts down or the desktop is back. Without a display it runs on a virtual
# screen, whose screenshot is left in out/lab/brivane.png.
set -uo pipefail
WT_NAME=show
. "$(dirname "$0")/lib.sh"
watching=${DISPLAY:+yes}
lab_setup || wt_fail "setup failed"
[ -f "$LAB_BRIVANE_DIR/brivane.exe" ] || wt_fail "brivane.exe is not built in $LAB_BUILD"
lab_launch 'C:\Program Files\Brivane\brivane.exe'
if [ -z "$watching" ]; then
  trap lab_teardown EXIT
  lab_wait_window '^Brivane$' 30 >/dev/null || wt_fail "no main window"
  sleep 2
  lab_screenshot brivane
  exit 0
fi
lab_await
[ $? = 10 ] && lab_cycle
