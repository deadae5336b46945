# The shell scripts' share of the tests under Wine (the pytest files share
# tools/lab/wine.py). Source it, then call wt_setup; all it starts (Xvfb, the Wine
# session) is ended and its throwaway prefix removed when the sourcing script exits.
#   WT_REPO     the repository
#   WT_ARCH     win32: the i686 build under 32-bit Wine; win64: the x86-64 build under
#               64-bit Wine ($BRIVANE_WINE_ARCH, or what scripts/winearch.sh answers)
#   WT_BUILD    the Windows build (build/$WT_ARCH, or $BRIVANE_WIN32_BUILD)
#   WT_KEEP=1   keeps the prefix and the work folder for a look afterwards

WT_REPO=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
WT_ARCH=${BRIVANE_WINE_ARCH:-$(bash "$WT_REPO/scripts/winearch.sh" 2>/dev/null)}
WT_BUILD=${BRIVANE_WIN32_BUILD:-$WT_REPO/build/$WT_ARCH}
WT_XVFB_PID=
WT_WORK=

wt_say() { echo "${WT_NAME:-wine-test}: $*" >&2; }
wt_fail() {
  wt_say "FAIL: $*"
  exit 1
}

# The loader of Debian's 32-bit Wine (wine32:i386) for the i686 build, or of its
# 64-bit one (wine64) for the x86-64 build, and the server that belongs to each. The
# prefixes are of one architecture only: one registry view, as on Windows 9x.
case $WT_ARCH in
  win32) WT_LOADER=/usr/lib/wine/wine WINESERVER=/usr/lib/wine/wineserver32 WT_PACKAGE=wine32:i386 ;;
  win64) WT_LOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64 WT_PACKAGE=wine64 ;;
  *) wt_fail "BRIVANE_WINE_ARCH is \"$WT_ARCH\"; it must be win32 or win64" ;;
esac
export WINEARCH=$WT_ARCH WINESERVER
wt_loader() { echo "$WT_LOADER"; }
wineserver() { "$WINESERVER" "$@"; }

# Fails with one line when this Wine cannot run here.
wt_check_wine() {
  local p
  for p in "$WT_LOADER" "$WINESERVER"; do
    [ -x "$p" ] || wt_fail "no $p: install Debian's $WT_PACKAGE (bash scripts/deps.sh)"
  done
  if ! "$WINESERVER" --version >/dev/null 2>&1; then
    if [ "$WT_ARCH" = win32 ]; then
      wt_fail "$WINESERVER cannot start (this machine runs no 32-bit programs: the x86-64 build runs under 64-bit Wine, BRIVANE_WINE_ARCH=win64 or ctest --preset wine64)"
    fi
    wt_fail "$WINESERVER cannot start"
  fi
}

# An X display: $DISPLAY when set, else an Xvfb of our own on a free number.
wt_display() {
  [ -n "${DISPLAY:-}" ] && return 0
  local n i
  for n in $(seq 70 130); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    command -v Xvfb >/dev/null || wt_fail "no Xvfb (Debian package xvfb)"
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$WT_WORK/xvfb.log" 2>&1 </dev/null &
    WT_XVFB_PID=$!
    for i in $(seq 50); do
      if xdpyinfo -display ":$n" >/dev/null 2>&1; then
        export DISPLAY=:$n
        return 0
      fi
      kill -0 "$WT_XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
    kill "$WT_XVFB_PID" 2>/dev/null
    WT_XVFB_PID=
  done
  wt_fail "no free display for Xvfb"
}

wt_cleanup() {
  if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
  fi
  [ -n "$WT_XVFB_PID" ] && kill "$WT_XVFB_PID" 2>/dev/null
  if [ -n "$WT_WORK" ] && [ "${WT_KEEP:-0}" != 1 ]; then rm -rf "$WT_WORK"; fi
  return 0
}

# The fonts of a Windows 98 machine (code page 1252, 96 dpi), from Wine's own set
# (Debian's fonts-wine). This Wine build never reads its own font folder: it looks
# in C:\windows\Fonts and in fontconfig's folders only, so without these "MS Sans
# Serif" (and Tahoma, the face behind "MS Shell Dlg") fall back to DejaVu Sans,
# which is wider, and captions sized for the bitmap font are cut off.
WT_WINE_FONTS=${BRIVANE_WINE_FONTS:-/usr/share/wine/fonts}
WT_FONT_FILES=(sserife.fon coure.fon smalle.fon vgasys.fon vgafix.fon
  marlett.ttf symbol.ttf wingding.ttf tahoma.ttf tahomabd.ttf)
wt_install_fonts() {
  local fonts=$1/drive_c/windows/Fonts f
  mkdir -p "$fonts" || return 1
  for f in "${WT_FONT_FILES[@]}"; do
    if [ ! -f "$WT_WINE_FONTS/$f" ]; then
      wt_say "no $WT_WINE_FONTS/$f (Debian package fonts-wine)"
      return 1
    fi
    cp "$WT_WINE_FONTS/$f" "$fonts/" || return 1
  done
}

# wt_windows98 LOG: the prefix reports Windows 98, and nothing manages the windows
# on Xvfb (managed, a hidden window would stay on the screen, and take the mouse,
# for two seconds while Wine waits for a manager).
wt_windows98() {
  "$(wt_loader)" reg add 'HKCU\Software\Wine' /v Version /t REG_SZ /d win98 /f >>"$1" 2>&1 &&
    "$(wt_loader)" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >>"$1" 2>&1
}

# wt_log_pixels DPI LOG: the screen's dpi, as Display properties' font size sets it
# (96 Small Fonts, 120 Large Fonts), in both places Wine reads it from; it takes
# from the next program started.
wt_log_pixels() {
  local key
  for key in 'HKCU\Control Panel\Desktop' \
    'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'; do
    "$(wt_loader)" reg add "$key" /v LogPixels /t REG_DWORD /d "$1" /f >>"$2" 2>&1 || return 1
  done
  wineserver -w 2>/dev/null || true
}

# A display, a fresh prefix without Mono and Gecko, and the cleanup trap.
wt_setup() {
  wt_check_wine
  WT_WORK=$(mktemp -d /tmp/brivane-wine.XXXXXX)
  trap wt_cleanup EXIT
  wt_display
  export WINEPREFIX=$WT_WORK/prefix
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEDEBUG=${WINEDEBUG:--all}
  WINEDEBUG=-all "$(wt_loader)" wineboot -i >"$WT_WORK/wineboot.log" 2>&1 || wt_fail "wineboot -i failed"
  wineserver -w 2>/dev/null || true
  wt_install_fonts "$WINEPREFIX" || wt_fail "the Windows fonts could not be installed"
  wt_windows98 "$WT_WORK/wineboot.log" || wt_fail "could not set the prefix up as Windows 98"
  wineserver -w 2>/dev/null || true
  [ "${WT_KEEP:-0}" = 1 ] && wt_say "work folder $WT_WORK"
  return 0
}

# wt_setup_for FILE: wt_setup, once FILE of the Windows build is there.
wt_setup_for() {
  [ -f "$1" ] || wt_fail "no $1 (build the $WT_ARCH preset first)"
  wt_setup
}

# wt_verdict PATTERN OUTPUT WHAT [STATUS]: shows OUTPUT and passes when a line of it
# matches PATTERN and STATUS (the check's exit status, when it counts) is 0, else
# fails saying WHAT failed.
wt_verdict() {
  echo "$2"
  [ "${4:-0}" = 0 ] && grep -q "$1" <<<"$2" || wt_fail "$3 failed"
  wt_say "PASS"
}
