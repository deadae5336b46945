#!/usr/bin/env bash
# Arming on the lab's Windows 98 machine (tools/lab), through real input: Brivane
# installed in C:\Program Files\Brivane, a Windows 98 system.ini; the user picks
# drive C:, unticks Defrag, chooses Restart, presses Execute and answers Yes. Then
# checks Brivane.ini (exactly the six keys and the kept shell), system.ini (the 8.3
# path of brivane.exe as Shell, everything else unchanged) and that a restart, not
# a shutdown, was asked for. Starts Brivane again and checks the locked window in
# a screenshot (Execute gone, Exit moved, dim labels, controls disabled), then cuts
# the power before its run timer would start the tools.
# Screenshots stay in out/arming_*.png.
#   BRIVANE_WIN32_BUILD  the build to test (default build/win32)
set -uo pipefail
WT_NAME=arming
BRIVANE_LAB_DIR=$(mktemp -d /tmp/brivane-lab-arming.XXXXXX)
export BRIVANE_LAB_DIR
. "$(dirname "$0")/../../tools/lab/lib.sh"
WT_WORK=$BRIVANE_LAB_DIR # pictures of wt_diff
cleanup() {
  lab_teardown
  [ "${WT_KEEP:-0}" = 1 ] || rm -rf "$BRIVANE_LAB_DIR"
}
trap cleanup EXIT

for f in brivane.exe tools/winprobe.exe tools/skincomp.exe standins/labpress.exe; do
  [ -f "$WT_BUILD/$f" ] || wt_fail "no $WT_BUILD/$f (build the win32 preset first)"
done
mkdir -p "$WT_OUT"
shots=$BRIVANE_LAB_DIR/shots
mkdir -p "$shots"

# Points and rectangles in pixels from the main window's top left (its layout;
# a bordered box's inside starts one pixel in).
DRIVE_ITEM=26,150
DEFRAG_BOX=222,165
RESTART_OPTION=224,257
EXECUTE_BUTTON=337,293
LIST=17,142,153,121
CHECK_BOXES=(217,159,12,13 303,159,12,13)
OPTIONS=(217,225,137,17 217,249,121,17)
LABELS=(233,159,50,16 319,159,66,16)

GEOMETRY='/^window /{ print $(NF-8), $(NF-7), $(NF-6), $(NF-5); exit }'
main_geometry() { wt_probe --class BrivaneForm --caption Brivane | awk "$GEOMETRY"; }
click() { xdotool mousemove "$((wx + ${1%%,*}))" "$((wy + ${1##*,}))" click 1 && sleep 0.3; }
# How many pixels of the rectangle X,Y,W,H of IMAGE have the colour RRGGBB.
count_colour() { # IMAGE X,Y,W,H RRGGBB
  local x y w h
  IFS=, read -r x y w h <<<"$2"
  convert "$1" -crop "${w}x${h}+${x}+${y}" +repage -fill black +opaque "#$3" -fill white \
    -opaque "#$3" -format '%[fx:round(mean*w*h)]' info:
}

lab_setup >/dev/null || wt_fail "lab setup failed"
wt_say "interactive: arming through the window"
lab_launch 'C:\Program Files\Brivane\brivane.exe'
wt_probe --class BrivaneForm --caption Brivane --wait 60 >/dev/null || wt_fail "no main window"
read -r wx wy ww wh <<<"$(main_geometry)"
sleep 1
wt_shot "$WT_OUT/arming_interactive.png" "${ww}x${wh}+${wx}+${wy}"
click "$DRIVE_ITEM"
click "$DEFRAG_BOX"
click "$RESTART_OPTION"
wt_shot "$WT_OUT/arming_choices.png" "${ww}x${wh}+${wx}+${wy}"
click "$EXECUTE_BUTTON"
if wt_probe --class '#32770' --caption 'Restart Computer?' --wait 10 >"$shots/box.txt"; then
  buttons=$(grep -o 'class="Button" caption="[^"]*"' "$shots/box.txt" | cut -d'"' -f4 | tr '\n' ' ')
  wt_expect "Execute asks \"Restart Computer?\" with Yes and No" "$buttons" \
    test "$buttons" = "&Yes &No "
  sleep 0.3
  wt_shot "$WT_OUT/arming_confirm.png"
  # Yes is the box's default button.
  lab_key 'Restart Computer\?' Return || wt_result "answer Yes with the keyboard" FAIL
else
  wt_result "Execute asks \"Restart Computer?\" with Yes and No" FAIL "no box"
fi
lab_await >/dev/null
status=$?
trace=$(cat "$LAB_SESSION/log" 2>/dev/null || ls -t "$LAB_DIR"/boots/*.log | head -1)
request=$(grep -a 'CreateProcessInternalW' "$trace" | grep -a -o -m1 'wineboot\.exe --[^"]*' || true)
wt_expect "a restart was requested" "${request:-no request} (status $status)" \
  test "$status" = 10

# ---- the settings file: exactly the six keys and the kept shell
settings=$LAB_BRIVANE_DIR/Brivane.ini
want_settings='[Configeration]
KeptShell="Explorer.exe"
Drive=C:\
Scandisk=1
Defrag=0
Shutdown=False
Restart=True
Set=Yes'
got_settings=$(tr -d '\r' <"$settings" 2>/dev/null | sed '/^$/d')
wt_expect "Brivane.ini holds the choices" "$(tr '\n' ' ' <<<"$got_settings")" \
  test "$got_settings" = "$want_settings"

# ---- system.ini: the short path as Shell, the rest untouched
shell=$(lab_shell)
exe_unix=$(lab_wine winepath -u "$shell" 2>/dev/null | tr -d '\r')
short=ok
[[ $shell =~ ^[Cc]:(\\[^\\\ ]{1,8}(\.[^\\\ .]{1,3})?)+$ ]] || short="not 8.3"
[ -n "$exe_unix" ] && [ "$exe_unix" -ef "$LAB_BRIVANE_DIR/brivane.exe" ] || short="$short, not brivane.exe"
wt_expect "system.ini Shell = 8.3 path of brivane.exe" "$shell" test "$short" = ok
if diff=$(lab_ini_diff); then
  wt_result "system.ini otherwise unchanged" ok
else
  wt_result "system.ini otherwise unchanged" FAIL "$(tr '\n' ' ' <<<"$diff")"
fi

# ---- the next start: the window locked for the run
wt_say "armed: started again"
lab_clear_tools_log
lab_launch 'C:\Program Files\Brivane\brivane.exe'
wt_probe --class BrivaneForm --caption Brivane --wait 60 --enabled >"$shots/locked.txt" ||
  wt_fail "no main window after arming"
read -r wx wy ww wh <<<"$(main_geometry)"
started=$SECONDS
sleep 1.5
locked=$WT_OUT/arming_locked.png
wt_shot "$locked" "${ww}x${wh}+${wx}+${wy}"
lab_power_cut # before the run timer (2 s) and the launcher's pause (10 s) are over
lab_await >/dev/null
wt_expect "locked window seen and ended before the tools" "$((SECONDS - started)) s after it showed" \
  test -z "$(lab_tools_log)"
((SECONDS - started < 12)) || wt_result "the power cut came in time" FAIL "$((SECONDS - started)) s"

# The body as the sheet has it, with Exit at 176 in the body and no Execute.
want=$shots/locked.ppm
wt_skincomp "$WT_REPO/resources/main.jpg" "$want" 427 348 fill:000000 frame:0,-1,427,22 \
  frame:0,21,427,327 piece:0,48,425,21@1,0,425,20 piece:0,97,425,329@1,22,425,325 \
  piece:0,502,73,39@19,273,73,39 piece:0,469,66,32@177,310,57,25 \
  piece:0,544,73,39@66,303,73,39 piece:209,478,14,14@405,5,13,12 ||
  wt_fail "skincomp could not compose the locked window"
wt_match "locked: Execute gone, Exit at 176 in the body" 0 "$locked" "$want" 1 \
  "$LIST" "${CHECK_BOXES[@]}" "${OPTIONS[@]}" "${LABELS[@]}"
exec_line=$(grep -c '^child .* 284 257 105 28 visible 0 enabled 1$' "$shots/locked.txt")
exit_line=$(grep -c '^child .* 176 288 57 25 visible 1 enabled 1$' "$shots/locked.txt")
wt_expect "locked: probe sees Execute hidden, Exit at 176, 288" "$exec_line/$exit_line" \
  test "$exec_line/$exit_line" = 1/1

dim=0 bright=0
for r in "${LABELS[@]}"; do
  dim=$((dim + $(count_colour "$locked" "$r" C0C000)))
  bright=$((bright + $(count_colour "$locked" "$r" FFFF00)))
done
wt_expect "locked: the tool labels are dim yellow" "$dim dim, $bright bright pixels" \
  test "$dim" -gt 20 -a "$bright" = 0
bright=0
for r in "${OPTIONS[@]}"; do bright=$((bright + $(count_colour "$locked" "$r" FFFF00))); done
wt_expect "locked: option captions greyed (disabled)" "$bright bright pixels" test "$bright" = 0
# Locked, and the values restored: the list, both boxes, both options disabled.
states=$(awk '/^child .*class="(ListBox|Button)"/ {
  match($0, /caption="[^"]*"/); print substr($0, RSTART + 9, RLENGTH - 10) "=" $NF }' \
  "$shots/locked.txt" | sort | tr '\n' ' ')
wt_expect "locked: list, check boxes and options disabled" "$states" \
  test "$states" = "&Defrag=0 &Restart Computer=0 &Scandisk=0 &Shutdown Computer=0 =0 "
# A disabled check box looks so: the ticked Scandisk box differs from its enabled look.
wt_crop "$WT_OUT/arming_choices.png" "$shots/box_on.png" 12x13+303+159
wt_crop "$locked" "$shots/box_off.png" 12x13+303+159
n=$(wt_diff "$shots/box_on.png" "$shots/box_off.png" 1)
wt_expect "locked: the ticked Scandisk box drawn disabled" "$n px differ from enabled" \
  test "${n//[!0-9]/}" -gt 10
wt_report
