#!/usr/bin/env bash
# Smoke test of the i686 build under Wine: the splash comes up first (491 x 265,
# no caption), then the main window "Brivane", centred, with a 427 x 348 client
# area and its child windows where the layout puts them; the splash is gone by
# then. Leaves out/smoke_main.png (the main window) behind.
#   BRIVANE_WIN32_BUILD  the build to test (default build/win32)
set -euo pipefail
WT_NAME=smoke
source "$(dirname "$0")/lib.sh"

exe=$WT_BUILD/brivane.exe
[ -f "$exe" ] || wt_fail "no $exe (build the win32 preset first)"
[ -f "$WT_BUILD/tools/winprobe.exe" ] || wt_fail "no $WT_BUILD/tools/winprobe.exe"

wt_setup
app_dir=$WINEPREFIX/drive_c/Brivane
mkdir -p "$app_dir"
cp "$exe" "$app_dir/brivane.exe"

# The probe starts first so that it sees the splash, which lasts only as long
# as the main window's load.
probe_out=$WT_WORK/probe.txt
wt_probe --class BrivaneForm --caption Brivane --wait 90 --watch >"$probe_out" &
probe_pid=$!
sleep 1
(cd "$app_dir" && wt_run "$WT_WORK/brivane.log" brivane.exe)
wait "$probe_pid" || {
  cat "$probe_out" "$WT_WORK/brivane.log" >&2
  wt_fail "the main window did not appear"
}
wt_wait_window '^Brivane$' 10 || wt_fail "no X window named Brivane"

failures=0
check() {  # check WHAT EXPECTED ACTUAL
  if [ "$2" = "$3" ]; then
    wt_say "ok: $1"
  else
    wt_say "MISMATCH: $1: expected '$2', got '$3'"
    failures=$((failures + 1))
  fi
}

# ---- the splash, seen before the main window
splash=$(grep -m1 '^seen class="BrivaneForm" caption=""' "$probe_out" || true)
check "splash shown before the main window, 491 x 265, centred" \
  'seen class="BrivaneForm" caption="" 266 251 491 265' "$splash"
if wt_probe --class BrivaneForm --caption "" >/dev/null; then
  check "splash gone once the main window is up" "gone" "still visible"
else
  check "splash gone once the main window is up" "gone" "gone"
fi

# ---- the main window: centred on the 1024 x 768 screen, client 427 x 348
main=$(grep -m1 '^window ' "$probe_out")
read -r _ _ _ _ wx wy ww wh _ cw ch _ _ <<<"$main"
check "main window position and size" "298 210 427 348" "$wx $wy $ww $wh"
check "main window client area" "427 348" "$cw $ch"

# ---- its children, in the probe's order: depth first, each parent's children
# top-most first (the standard controls, which never overlap, in their tab
# order, which is the order Tab follows). A parent is named by its own
# rectangle; * matches anything (the picture holder takes the size of the skin
# picture).
expected=$(
  cat <<'TABLE'
form BrivanePicture "" 66 303 73 39 1
form BrivanePicture "" 32 384 * * 0
form BrivanePicture "" 0 21 427 327 1
0,21,427,327 BrivanePicture "" 18 251 73 39 1
0,21,427,327 Button "&Defrag" 216 137 12 13 1
0,21,427,327 Button "&Scandisk" 302 137 12 13 1
0,21,427,327 ListBox "" 16 120 153 121 1
0,21,427,327 Button "&Shutdown Computer" 216 203 137 17 1
0,21,427,327 Button "&Restart Computer" 216 227 121 17 1
0,21,427,327 BrivanePicture "" 347 288 57 25 1
0,21,427,327 BrivanePicture "" 284 257 105 28 1
form BrivanePicture "" 0 -1 427 22 1
0,-1,427,22 BrivanePicture "" 404 5 13 12 1
TABLE
)
# child ID parent PARENT class="C" caption="T" X Y W H visible V
actual=$(awk '
  /^child / {
    match($0, /class="[^"]*"/); cls = substr($0, RSTART + 7, RLENGTH - 8)
    match($0, /caption="[^"]*"/); cap = substr($0, RSTART, RLENGTH); sub(/^caption=/, "", cap)
    n = split($0, f, " ")
    x = f[n - 5]; y = f[n - 4]; w = f[n - 3]; h = f[n - 2]; v = f[n]
    rect[$2] = x "," y "," w "," h
    parent = ($4 == 0) ? "form" : rect[$4]
    print parent, cls, cap, x, y, w, h, v
  }' "$probe_out")
rows_expected=$(wc -l <<<"$expected")
rows_actual=$(wc -l <<<"$actual")
check "main window child windows" "$rows_expected" "$rows_actual"
paste -d'\n' <(echo "$expected") <(echo "$actual") | while read -r want && read -r got; do
  pattern=$(sed -e 's/[][\.^$&|+?(){}]/\\&/g' -e 's/\*/[^ ]*/g' <<<"$want")
  [[ "$got" =~ ^$pattern$ ]] || echo "child: expected '$want', got '$got'"
done >"$WT_WORK/children.txt"
if [ -s "$WT_WORK/children.txt" ]; then
  while read -r line; do wt_say "MISMATCH: $line"; done <"$WT_WORK/children.txt"
  failures=$((failures + $(wc -l <"$WT_WORK/children.txt")))
else
  wt_say "ok: every child window at its layout position"
fi

# ---- what it looks like: painted a moment after it first shows
sleep 2
wt_shot "$WT_OUT/smoke_main.png" "${ww}x${wh}+${wx}+${wy}"
wt_say "screenshot: $WT_OUT/smoke_main.png"

if [ "$failures" -gt 0 ]; then
  wt_say "probe output:"
  cat "$probe_out" >&2
  wt_fail "$failures check(s) failed"
fi
wt_say "PASS"
