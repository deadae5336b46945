#!/usr/bin/env bash
# The skinned interface of the i686 build under Wine, through real mouse input:
# - the main window as shown equals the picture its sprite sheet predicts (title
#   strip, body and button faces at their places, one-pixel borders), apart from
#   the standard controls and labels that stand on it;
# - Execute lights up under the mouse and goes back to normal over the body;
# - dragging the title bar moves the window;
# - About opens the 265 x 320 about window, painted from its own sheet, and the
#   main window's title bar turns inactive meanwhile;
# - Help with Help.chm opens the viewer without "No Help!", and without the file
#   shows "No Help!" with only OK, after which the main window still responds;
# - Help.chm holds what help/ compiles into it (chmls).
# Screenshots stay in out/skin_*.png.
#   BRIVANE_WIN32_BUILD  the build to test (default build/win32)
set -uo pipefail
WT_NAME=skin
source "$(dirname "$0")/lib.sh"

exe=$WT_BUILD/brivane.exe
for f in "$exe" "$WT_BUILD/tools/winprobe.exe" "$WT_BUILD/tools/skincomp.exe" \
  "$WT_BUILD/standins/labpress.exe" "$WT_BUILD/Help.chm"; do
  [ -f "$f" ] || wt_fail "no $f (build the win32 preset first)"
done
MAIN_SHEET=$WT_REPO/resources/main.jpg
ABOUT_SHEET=$WT_REPO/resources/about.jpg

wt_setup
app_dir=$WINEPREFIX/drive_c/Brivane
mkdir -p "$app_dir"
cp "$exe" "$WT_BUILD/Help.chm" "$app_dir/"
shots=$WT_WORK/shots
mkdir -p "$shots"

# ---- where things are, in pixels from the main window's top left (the layout's
# pixel columns; a bordered box's inside starts one pixel in)
TITLE_FRAME=0,-1,427,22
BODY_FRAME=0,21,427,327
EXECUTE=285,279,105,28 # inside picMain at 284, 257
HELP=19,273,73,39      # inside picMain at 18, 251
ABOUT=66,303,73,39     # on the form
# The main sheet's pieces as the surfaces show them after the load.
main_pieces() { # TITLE_PIECE CLOSE_PIECE EXECUTE_PIECE
  echo "fill:000000 frame:$TITLE_FRAME frame:$BODY_FRAME"
  echo "piece:$1@1,0,425,20 piece:0,97,425,329@1,22,425,325"
  echo "piece:0,502,73,39@19,273,73,39 piece:$3@285,279,105,28"
  echo "piece:0,469,66,32@348,310,57,25 piece:0,544,73,39@66,303,73,39"
  echo "piece:$2@405,5,13,12"
}
TITLE_ACTIVE=0,48,425,21
TITLE_INACTIVE=0,72,425,21
CLOSE_ACTIVE=209,478,14,14
CLOSE_INACTIVE=258,479,14,14
EXECUTE_NORMAL=0,431,106,33
EXECUTE_HOVER=110,431,106,33
# Live controls and labels on the body: the list box, the check boxes with their
# labels, the option buttons.
MAIN_MASKS=(17,142,153,121 303,159,12,13 217,159,12,13 217,225,137,17 217,249,121,17
  233,159,50,16 319,159,66,16)

# wt_skincomp for one window picture: compose NAME.ppm from SHEET, W x H, OPS.
expected() {
  local name=$1 sheet=$2 w=$3 h=$4
  shift 4
  # shellcheck disable=SC2068 # the operations are words on purpose
  wt_skincomp "$sheet" "$shots/$name.ppm" "$w" "$h" $@ ||
    wt_fail "skincomp could not compose $name"
  echo "$shots/$name.ppm"
}

# Screenshot of a window's rectangle on the screen, kept in out/ as skin_NAME.png.
shot() { # NAME X Y W H
  wt_shot "$WT_OUT/skin_$1.png" "$4x$5+$2+$3"
  echo "$WT_OUT/skin_$1.png"
}

# A part X,Y,W,H of an image.
part() { # IMAGE X,Y,W,H OUT
  local x y w h
  IFS=, read -r x y w h <<<"$2"
  wt_crop "$1" "$3" "${w}x${h}+${x}+${y}"
  echo "$3"
}

# x y w h (and client W H) of a window line of the probe, counted from its end
# since captions hold blanks.
GEOMETRY='/^window /{ print $(NF-8), $(NF-7), $(NF-6), $(NF-5), $(NF-3), $(NF-2); exit }'
main_geometry() { wt_probe --class BrivaneForm --caption Brivane | awk "$GEOMETRY"; }

# The mouse at a point of the main window, given as X,Y inside it.
mouse_to() { xdotool mousemove "$((wx + ${1%%,*}))" "$((wy + ${1##*,}))"; }
centre() { # X,Y,W,H -> its middle as X,Y
  local x y w h
  IFS=, read -r x y w h <<<"$1"
  echo "$((x + w / 2)),$((y + h / 2))"
}

(cd "$app_dir" && wt_run "$WT_WORK/brivane.log" brivane.exe)
wt_probe --class BrivaneForm --caption Brivane --wait 60 >/dev/null || {
  cat "$WT_WORK/brivane.log" >&2
  wt_fail "the main window did not appear"
}
read -r wx wy ww wh _ <<<"$(main_geometry)"
sleep 1.5 # the focus timer has ticked, the window is painted

# ---- the window as the sheet predicts it
want=$(expected main "$MAIN_SHEET" 427 348 "$(main_pieces $TITLE_ACTIVE $CLOSE_ACTIVE $EXECUTE_NORMAL)")
got=$(shot main "$wx" "$wy" "$ww" "$wh")
wt_match "main window = sheet composite (controls masked)" 0 "$got" "$want" 1 "${MAIN_MASKS[@]}"
# The masks must not hide everything: the unmasked composite differs where the
# controls stand.
n=$(wt_diff "$got" "$want" 1)
if [[ $n =~ ^[0-9]+$ ]] && ((n > 500)); then
  wt_result "controls stand on the body (unmasked)" ok "$n px differ"
else
  wt_result "controls stand on the body (unmasked)" FAIL "$n px differ"
fi

# ---- the option captions are whole: the yellow text ends inside its button
# (MS Sans Serif; a wider stand-in face runs to the button's edge and is cut off)
for opt in "Shutdown Computer:217,225,137,17" "Restart Computer:217,249,121,17"; do
  IFS=, read -r x y w h <<<"${opt#*:}"
  box=$(convert "$WT_OUT/skin_main.png" -crop "${w}x${h}+${x}+${y}" +repage -fill black \
    +opaque '#FFFF00' -fill white -opaque '#FFFF00' -format '%@' info:)
  bw=${box%%x*} bx=${box#*+} bx=${bx%%+*}
  wt_expect "caption \"${opt%%:*}\" whole" "text to x=$((bx + bw)) of $w" \
    test "$((bx + bw))" -le "$((w - 3))" -a "$bw" -gt 40
done

# ---- Execute under the mouse, then the body
hover=$(expected main_hover "$MAIN_SHEET" 427 348 "$(main_pieces $TITLE_ACTIVE $CLOSE_ACTIVE $EXECUTE_HOVER)")
want_hover=$(part "$hover" "$EXECUTE" "$shots/execute_hover.ppm")
want_normal=$(part "$want" "$EXECUTE" "$shots/execute_normal.ppm")
n=$(wt_diff "$want_hover" "$want_normal" 1)
[[ $n =~ ^[0-9]+$ ]] && ((n > 100)) || wt_fail "the hover and normal faces hardly differ ($n px)"

mouse_to "$(centre $EXECUTE)"
sleep 0.5
got=$(part "$(shot hover "$wx" "$wy" "$ww" "$wh")" "$EXECUTE" "$shots/execute_got.png")
wt_match "Execute under the mouse shows the hover face" 0 "$got" "$want_hover" 1
mouse_to 200,80
sleep 0.5
got=$(part "$(shot body "$wx" "$wy" "$ww" "$wh")" "$EXECUTE" "$shots/execute_got2.png")
wt_match "over the body Execute is normal again" 0 "$got" "$want_normal" 1

# ---- drag the title bar
mouse_to 150,10
xdotool mousedown 1
for step in 1 2 3 4 5 6 7 8; do
  xdotool mousemove "$((wx + 150 + step * 10))" "$((wy + 10 + step * 5))"
  sleep 0.05
done
sleep 0.2
xdotool mouseup 1
sleep 0.5
read -r nx ny _ _ <<<"$(main_geometry)"
if [ "$nx,$ny" = "$((wx + 80)),$((wy + 40))" ]; then
  wt_result "dragging the title bar moves the window" ok "$wx,$wy -> $nx,$ny"
else
  wt_result "dragging the title bar moves the window" FAIL \
    "$wx,$wy -> $nx,$ny, expected $((wx + 80)),$((wy + 40))"
fi
wx=$nx wy=$ny
got=$(shot moved "$wx" "$wy" "$ww" "$wh")
wt_match "the moved window is painted whole" 0 "$got" "$want" 1 "${MAIN_MASKS[@]}"

# ---- About
mouse_to "$(centre $ABOUT)"
xdotool click 1
about=$(wt_probe --class BrivaneForm --caption Form1 --wait 10 | awk "$GEOMETRY")
read -r ax ay aw ah acw ach <<<"$about"
wt_expect "About opens a 265 x 320 window" "${aw:-none} x ${ah:-none}" \
  test "${aw:-0}x${ah:-0}/${acw:-0}x${ach:-0}" = "265x320/265x320"
if [ -n "$about" ]; then
  sleep 1
  got=$(shot about "$ax" "$ay" "$aw" "$ah")
  # Title strip and glyph, body (its last row keeps the dark red), Close; masked:
  # the version and owner labels, and the form's own first column left of the
  # title bar (a system colour).
  want_about=$(expected about "$ABOUT_SHEET" 265 320 fill:800000 \
    piece:0,0,265,22@1,0,265,21 piece:0,46,265,299@0,21,265,300 \
    piece:0,351,74,38@182,251,74,38 piece:100,437,14,14@245,4,13,12)
  wt_match "about window = its sheet composite (labels masked)" 0 "$got" "$want_about" 1 \
    0,0,1,21 160,76,127,20 8,158,248,17
  inactive=$(expected main_inactive "$MAIN_SHEET" 427 348 \
    "$(main_pieces $TITLE_INACTIVE $CLOSE_INACTIVE $EXECUTE_NORMAL)")
  # The part of the main title bar right of the about window.
  left=$((ax + aw - wx))
  ((left < 0)) && left=0
  if ((left <= 427 - 100)); then
    strip=$left,0,$((427 - left)),21
    got=$(part "$(shot main_behind "$wx" "$wy" "$ww" "$wh")" "$strip" "$shots/title_got.png")
    wt_match "main title bar inactive behind the about window" 0 "$got" \
      "$(part "$inactive" "$strip" "$shots/title_inactive.ppm")" 1
  else
    wt_result "main title bar inactive behind the about window" FAIL "covered by it"
  fi
  xdotool mousemove "$((ax + 182 + 37))" "$((ay + 251 + 19))" click 1
  sleep 1
  if wt_probe --class BrivaneForm --caption Form1 >/dev/null; then
    wt_result "the about window's Close button closes it" FAIL "still open"
  else
    wt_result "the about window's Close button closes it" ok
  fi
fi

# ---- Help with Help.chm: the viewer, no "No Help!"
mouse_to "$(centre $HELP)"
xdotool click 1
# The viewer takes a few seconds to come; a "No Help!" box would come first.
viewer=$(wt_probe --class "HH Parent" --wait 20 | awk "$GEOMETRY")
sleep 0.5
wt_shot "$WT_OUT/skin_help.png"
if wt_probe --class '#32770' --caption Brivane >"$WT_WORK/box.txt"; then
  wt_result "Help with Help.chm: no \"No Help!\" box" FAIL "a box: $(grep -o 'caption="[^"]*"' "$WT_WORK/box.txt" | tr '\n' ' ')"
  wt_probe --class '#32770' --caption Brivane --close >/dev/null
else
  wt_result "Help with Help.chm: no \"No Help!\" box" ok
fi
wt_expect "Help with Help.chm: the viewer opens" "${viewer:-none} (no page: no Gecko)" \
  test -n "$viewer"
wt_probe --class "HH Parent" --close >/dev/null
sleep 0.5

# ---- Help without Help.chm: "No Help!" with OK only, then the window still works
rm -f "$app_dir/Help.chm"
mouse_to "$(centre $HELP)"
xdotool click 1
if wt_probe --class '#32770' --caption Brivane --wait 10 >"$WT_WORK/box.txt"; then
  sleep 0.5
  wt_shot "$WT_OUT/skin_nohelp.png"
  texts=$(grep '^child ' "$WT_WORK/box.txt" | grep -o 'caption="[^"]*"' | sort | tr '\n' ' ')
  buttons=$(grep -c '^child .*class="Button"' "$WT_WORK/box.txt")
  wt_expect "Help without Help.chm: \"No Help!\" with only OK" "$texts" \
    test "$buttons/$(grep -c 'caption="No Help!"' "$WT_WORK/box.txt")/$(grep -c 'class="Button" caption="OK"' "$WT_WORK/box.txt")" = 1/1/1
  "$(wt_loader)" "$WT_BUILD/standins/labpress.exe" Brivane OK 2000 >/dev/null 2>&1
  sleep 0.5
  if wt_probe --class '#32770' --caption Brivane >/dev/null; then
    wt_result "OK closes the \"No Help!\" box" FAIL "still open"
  else
    wt_result "OK closes the \"No Help!\" box" ok
  fi
else
  wt_result "Help without Help.chm: \"No Help!\" with only OK" FAIL "no box"
fi
mouse_to 200,80
sleep 0.3
mouse_to "$(centre $EXECUTE)"
sleep 0.5
got=$(part "$(shot after_help "$wx" "$wy" "$ww" "$wh")" "$EXECUTE" "$shots/execute_got3.png")
wt_match "after \"No Help!\" the main window still answers the mouse" 0 "$got" "$want_hover" 1

# ---- the help file itself
if out=$(cmake -DCHM="$WT_BUILD/Help.chm" -DCHMLS="$(command -v chmls)" -DSOURCE="$WT_REPO/help" \
  -P "$WT_REPO/help/CheckChm.cmake" 2>&1); then
  pages=$(chmls -n -p list "$WT_BUILD/Help.chm" 2>/dev/null | grep -c '\.htm$')
  wt_result "Help.chm holds every page, contents, default topic" ok "$pages pages (chmls)"
else
  wt_result "Help.chm holds every page, contents, default topic" FAIL "$(tr '\n' ' ' <<<"$out")"
fi

wt_report
