#!/usr/bin/env bash
# Brivane's runs end to end on the lab machine (tools/lab): the real brivane.exe of
# the i686 build with the stand-in disk tools, one Wine prefix and one display for
# every case.
#   cycle-shutdown-both    armed through the window, both tools, Shutdown
#   cycle-restart-scandisk armed through the window, Defrag unticked, Restart
#   exit-during-scandisk   Exit clicked while ScanDisk works: ScanDisk closed, run done
#   cut-scandisk, cut-defrag, cut-completion
#                          power cut during ScanDisk, Defrag and completion's pause,
#                          then boots until the machine rests at its shell
# Prints a table of the cases and one of the power cuts (also out/lab/power_cuts.txt);
# screenshots and the tools' logs of each case in out/lab/CASE/.
#   lab_runs.sh [CASE...]   (default every case)
set -uo pipefail
WT_NAME=lab_runs
BRIVANE_LAB_DIR=$(mktemp -d /tmp/brivane-lab-runs.XXXXXX)
export BRIVANE_LAB_DIR
. "$(dirname "$0")/../../tools/lab/lib.sh"
. "$(dirname "$0")/../../tools/lab/brivane.sh"

cleanup() {
  br_watch_stop
  lab_teardown
  [ "${WT_KEEP:-0}" = 1 ] || rm -rf "$BRIVANE_LAB_DIR"
}
trap cleanup EXIT

export BRIVANE_LAB_SCANDISK_MS=2500 BRIVANE_LAB_DEFRAG_MS=2500 BRIVANE_LAB_BOOT_TIMEOUT=120
CUTS_TABLE=$LAB_SHOTS/power_cuts.txt

# ---------------------------------------------------------------- cases

case_cycle_shutdown_both() { br_cycle shutdown both; }
case_cycle_restart_scandisk() { br_cycle restart scandisk box; }

# The main window's order against ScanDisk's in the platform's Z-order (top first).
zorder() { wt_probe | awk '$1 == "window" { n = split($0, f, /"/); print f[4] }' | paste -sd '>' -; }

case_exit_during_scandisk() {
  local start boot status bad=0 before after
  br_arm_direct 1 1 shutdown || return 1
  start=$(br_transcript_lines)
  br_watch_start
  BRIVANE_LAB_SCANDISK_MS=60000 lab_boot &
  boot=$!
  lab_wait_log 'scandskw window shown' 40 >/dev/null || {
    br_watch_stop
    return 1
  }
  sleep 0.5
  br_shot exit-1-scandisk
  # A click on ScanDisk, then one on Brivane's body: Brivane is in front again (Wine
  # raises only a window that was not active already).
  xdotool mousemove --window "$(xdotool search --onlyvisible --name '^ScanDisk - C:$' | head -1)" \
    200 60 click 1
  sleep 0.3
  br_click "${BR_BODY[@]}"
  before=$(zorder)
  br_shot exit-2-brivane-in-front
  [[ $before == "Brivane>ScanDisk - C:"* ]] || br_fail "Brivane is not in front of ScanDisk: $before" ||
    bad=1
  br_click "${BR_EXIT_RUN[@]}"
  wt_probe --caption 'Exit?' --wait 10 >/dev/null || br_fail "no \"Exit?\" box" || bad=1
  br_shot exit-3-box
  br_click_button 'Exit?' '&Yes' || bad=1
  sleep 0.5
  after=$(zorder)
  br_shot exit-4-after-yes
  wait "$boot"
  status=$?
  br_watch_stop
  br_keep_logs "$start"
  br_expect_events 'scandskw closed by WM_CLOSE' 'scandskw exit' ||
    br_fail "ScanDisk was not closed; Z-order before Exit: $before; after \"Exit?\" was answered: $after" ||
    bad=1
  [ "$(br_count_events 'scandskw done')" = 0 ] || br_fail "ScanDisk ran to its end" || bad=1
  [ "$(br_count_events Defrag)" = 0 ] || br_fail "Defrag started after Exit" || bad=1
  [ "$status" = 11 ] || br_fail "the boot ended with status $status, not a shutdown request" ||
    bad=1
  br_check_left || bad=1
  return $bad
}

# cut_case POINT ENDING: a run of both tools, cut at POINT (scandisk, defrag,
# completion); then boots until the machine rests. Adds a row to the power cut table.
cut_case() {
  local point=$1 ending=$2 start boot status bad=0 after_cut happened i
  br_arm_direct 1 1 "$ending" || return 1
  start=$(br_transcript_lines)
  br_watch_start
  lab_boot &
  boot=$!
  case $point in
    scandisk) lab_wait_log 'scandskw window shown' 40 >/dev/null && sleep 1 ;;
    defrag) lab_wait_log 'Defrag window shown' 60 >/dev/null && sleep 1 ;;
    completion)
      # Settings file gone and Explorer written back: the 5-second pause has begun.
      for ((i = 0; i < 1200; i++)); do
        [ ! -e "$BR_INI" ] && [ "$(lab_shell)" = Explorer.exe ] && break
        sleep 0.05
      done
      ((i < 1200))
      ;;
  esac || br_fail "the run never reached $point" || bad=1
  br_shot "cut-at-$point"
  lab_power_cut
  wait "$boot"
  status=$?
  [ "$status" = 14 ] || br_fail "the cut boot ended with status $status, not as cut" || bad=1
  if [ -e "$BR_INI" ]; then
    after_cut="Set=$(br_ini_value Set), shell $(lab_shell)"
  else
    after_cut="no Brivane.ini, shell $(lab_shell)"
  fi
  local expect_after
  expect_after="Set=Yes, shell $(lab_shell | grep -i 'brivane.exe$')"
  [ "$point" = completion ] && expect_after="no Brivane.ini, shell Explorer.exe"
  [ "$after_cut" = "$expect_after" ] || br_fail "after the cut: $after_cut" || bad=1
  br_boot_until_rest 5
  status=$?
  br_watch_stop
  br_shot 99-end
  br_keep_logs "$start"
  [ "$status" = 0 ] || br_fail "the machine did not come to rest (status $status)" || bad=1
  # The boots after the cut one, by what each ended with.
  happened=$(br_transcript_since "$((start + 1))" | sed -E 's/^.* -> //; s/ \([0-9]+ s, trace .*\)$//' |
    paste -sd ',' - | sed 's/,/ > /g')
  # What ran, in order: ScanDisk and Defrag starts and Defrag's answer.
  local runs
  runs=$(br_events | awk '
    / start / { print ($1 == "scandskw" ? "ScanDisk" : "Defrag") }
    /^Defrag answer/ { print "Yes" }' | paste -sd ' ' -)
  local want_runs
  case $point in
    scandisk) want_runs="ScanDisk ScanDisk Defrag Yes" ;;
    defrag) want_runs="ScanDisk Defrag ScanDisk Defrag Yes" ;;
    completion) want_runs="ScanDisk Defrag Yes" ;;
  esac
  [ "$runs" = "$want_runs" ] || br_fail "tools ran: '$runs', expected '$want_runs'" || bad=1
  local end_state
  if br_check_left; then
    end_state="at rest: shell Explorer.exe, no Brivane.ini, system.ini as before, presets set"
  else
    end_state="WRONG (see above)"
    bad=1
  fi
  printf '%-21s | %-46s | %-33s | %-35s | %s\n' "$point ($ending)" "$after_cut" "$happened" \
    "$runs" "$end_state" >>"$CUTS_TABLE"
  return $bad
}

case_cut_scandisk() { cut_case scandisk shutdown; }
case_cut_defrag() { cut_case defrag restart; }
case_cut_completion() { cut_case completion shutdown; }

# ---------------------------------------------------------------- run them

all=(cycle-shutdown-both cycle-restart-scandisk exit-during-scandisk cut-scandisk cut-defrag
  cut-completion)
cases=("$@")
((${#cases[@]})) || cases=("${all[@]}")

started=$SECONDS
[ -f "$WT_BUILD/brivane.exe" ] || wt_fail "no brivane.exe in $WT_BUILD"
[ -f "$WT_BUILD/standins/labclose.exe" ] || wt_fail "no stand-ins in $WT_BUILD/standins"
lab_setup || wt_fail "setup failed"
mkdir -p "$LAB_SHOTS"
printf '%-21s | %-46s | %-33s | %-35s | %s\n' "cut during (ending)" "just after the cut" \
  "boots after it, as they ended" "tools over the whole run" "end state" >"$CUTS_TABLE"

results=()
failed=0
for name in "${cases[@]}"; do
  fn=case_${name//-/_}
  declare -F "$fn" >/dev/null || wt_fail "no case $name (cases: ${all[*]})"
  wt_say "== $name"
  t=$SECONDS
  (
    BR_CASE=$name
    rm -rf "${LAB_SHOTS:?}/$name"
    br_reset || exit 1
    "$fn"
  )
  status=$?
  if [ $status = 0 ]; then verdict=PASS; else verdict=FAIL failed=$((failed + 1)); fi
  results+=("$(printf '%-24s %-5s %4d s' "$name" "$verdict" $((SECONDS - t)))")
done

echo
echo "case                     result  time"
printf '%s\n' "${results[@]}"
if [ "$(wc -l <"$CUTS_TABLE")" -gt 1 ]; then
  echo
  cat "$CUTS_TABLE"
fi
echo
wt_say "screenshots and tools' logs in $LAB_SHOTS/CASE/; $((SECONDS - started)) s in all"
[ $failed = 0 ] || wt_fail "$failed of ${#cases[@]} cases failed"
wt_say PASS
