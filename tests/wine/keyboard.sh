#!/usr/bin/env bash
# The keyboard in the main window of the i686 build under Wine, as a Windows 98
# user expects it: Tab and Shift+Tab move among the standard controls in their tab
# order (Defrag, Scandisk, the drive list, ...), Space ticks the focused box, Home
# picks the first drive, Alt+R and Alt+D work the captions' access keys. The mouse
# still presses Execute; the choices reach Brivane.ini. Screenshots stay in
# out/keyboard_*.png.
#   BRIVANE_WIN32_BUILD  the build to test (default build/win32)
set -uo pipefail
WT_NAME=keyboard
source "$(dirname "$0")/lib.sh"

exe=$WT_BUILD/brivane.exe
[ -f "$exe" ] && [ -f "$WT_BUILD/tools/winprobe.exe" ] ||
  wt_fail "no $exe or winprobe (build the win32 preset first)"

wt_setup
app_dir=$WINEPREFIX/drive_c/Brivane
mkdir -p "$app_dir"
cp "$exe" "$app_dir/"

DEFRAG_BOX=217,159,12,13 # window pixels: picMain's inside starts at 1, 22
EXECUTE_BUTTON=337,293

(cd "$app_dir" && wt_run "$WT_WORK/brivane.log" brivane.exe)
main=$(wt_probe --class BrivaneForm --caption Brivane --wait 60 |
  awk '/^window /{ print $(NF-8), $(NF-7), $(NF-6), $(NF-5); exit }')
[ -n "$main" ] || wt_fail "the main window did not appear"
read -r wx wy ww wh <<<"$main"
wt_wait_window '^Brivane$' 10 || wt_fail "no X window named Brivane"
sleep 1
xdotool windowfocus --sync "$(xdotool search --name '^Brivane$' | head -1)" 2>/dev/null
shot() { wt_shot "$WT_OUT/keyboard_$1.png" "${ww}x${wh}+${wx}+${wy}"; }
keys() { xdotool key --delay 150 "$@" && sleep 0.5; }
DEFRAG_BOX_AT=${DEFRAG_BOX%,*,*}
box() { wt_crop "$WT_OUT/keyboard_$1.png" "$WT_WORK/box_$1.png" "12x13+${DEFRAG_BOX_AT/,/+}" &&
  echo "$WT_WORK/box_$1.png"; }

shot start
# The first Tab reaches the Defrag box (tab index 5), the first standard control.
keys Tab space
shot tab_space
n=$(wt_diff "$(box start)" "$(box tab_space)" 1)
wt_expect "Tab, Space: the first tab stop, Defrag, unticked" "$n px of its box changed" \
  test "${n//[!0-9]/}" -gt 10
# Tab, Tab: Scandisk, the list; Home: its first drive. Shift+Tab back to Scandisk,
# Space: unticked. Alt+R: Restart; Alt+D: Defrag ticked again.
keys Tab Tab Home shift+Tab space alt+r alt+d
shot access_keys
wt_match "Alt+D ticks Defrag again" 0 "$(box start)" "$(box access_keys)" 1

xdotool mousemove "$((wx + ${EXECUTE_BUTTON%,*}))" "$((wy + ${EXECUTE_BUTTON#*,}))" click 1
if wt_probe --class '#32770' --caption 'Restart Computer?' --wait 10 >/dev/null; then
  wt_result "the mouse still presses Execute" ok
  keys Return # Yes, the default button
else
  wt_result "the mouse still presses Execute" FAIL "no \"Restart Computer?\" box"
  wt_probe --class '#32770' >&2
fi
for _ in $(seq 50); do
  grep -q '^Set=Yes' "$app_dir/Brivane.ini" 2>/dev/null && break
  sleep 0.2
done
got=$(tr -d '\r' <"$app_dir/Brivane.ini" 2>/dev/null | grep -E '^(Drive|Scandisk|Defrag|Shutdown|Restart)=' | tr '\n' ' ')
wt_expect "the keyed choices reach Brivane.ini" "$got" \
  test "$got" = 'Drive=C:\ Scandisk=0 Defrag=1 Shutdown=False Restart=True '
wt_report
