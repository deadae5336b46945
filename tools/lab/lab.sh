#!/usr/bin/env bash
# The Brivane lab: a Windows 98 machine emulated under Wine on Xvfb.
#   lab.sh setup                 fresh machine: prefix, system.ini, Brivane, stand-in tools
#   lab.sh install               copy brivane.exe, Help.chm and the stand-ins again
#   lab.sh boot                  one boot from Shell of section Boot in system.ini
#   lab.sh cycle [MAX]           boot until a boot ends other than with a restart
#   lab.sh launch PROGRAM [ARG...]  start a program in the background (as on a desktop)
#   lab.sh await                 wait for it; reports like a boot
#   lab.sh shell | set-shell VALUE | ini-diff | tools-log | clear-tools-log
#   lab.sh wait-log REGEX [S] | wait-window NAME [S] | wait-window-gone NAME [S]
#   lab.sh click NAME X Y | type NAME TEXT | key NAME KEY... | screenshot NAME
#   lab.sh press CAPTION BUTTON [WAIT_MS] | start SHOW CMDLINE [--wait] | close TEXT
#   lab.sh ini get FILE SECTION KEY | ini set FILE SECTION KEY VALUE
#   lab.sh reg-query KEY [/v NAME] | reg-value KEY NAME
#   lab.sh wine ARG... | power-cut | teardown | env
# Boot status: 0 desktop back (Explorer), 10 restart requested, 11 shutdown requested,
# 12 shell ended without a request, 13 shell killed at the time limit, 14 power cut,
# 2 no shell;
# cycle: the last boot's status, 3 when the boot limit was reached.
set -uo pipefail
. "$(dirname "$0")/lib.sh"

command=${1:-}
[ $# -gt 0 ] && shift
case $command in
  setup) lab_setup ;;
  install) lab_install ;;
  boot) lab_boot ;;
  cycle) lab_cycle "$@" ;;
  launch) lab_launch "$@" ;;
  await) lab_await ;;
  shell) lab_shell ;;
  set-shell) lab_set_shell "$@" ;;
  ini-diff) lab_ini_diff ;;
  tools-log) lab_tools_log ;;
  clear-tools-log) lab_clear_tools_log ;;
  wait-log) lab_wait_log "$@" ;;
  wait-window) lab_wait_window "$@" ;;
  wait-window-gone) lab_wait_window_gone "$@" ;;
  click) lab_click "$@" ;;
  type) lab_type "$@" ;;
  key) lab_key "$@" ;;
  screenshot) lab_screenshot "$@" ;;
  press) lab_press "$@" ;;
  start) lab_start "$@" ;;
  close) lab_close "$@" ;;
  ini) lab_ini "$@" ;;
  reg-query) lab_reg_query "$@" ;;
  reg-value) lab_reg_value "$@" ;;
  wine) lab_wine "$@" ;;
  power-cut) lab_power_cut ;;
  teardown) lab_teardown ;;
  env)
    lab_display
    echo "export WINEPREFIX='$WINEPREFIX' DISPLAY='$DISPLAY' BRIVANE_LAB_LOG='$BRIVANE_LAB_LOG'"
    ;;
  *)
    sed -n '2,19s/^# \{0,1\}//p' "$0" >&2
    exit 64
    ;;
esac
