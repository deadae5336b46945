# Shared helpers of the tests under Wine. Source it, then call wt_setup; all it
# starts (Xvfb, the Wine session) is ended and its throwaway prefix removed when
# the sourcing script exits.
#   WT_REPO     the repository
#   WT_OUT      where screenshots go (out/ of the repository, or $BRIVANE_OUT)
#   WT_BUILD    the win64 build (build/win64, or $BRIVANE_WIN64_BUILD)
#   WT_KEEP=1   keeps the prefix and the work folder for a look afterwards

WT_REPO=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
WT_OUT=${BRIVANE_OUT:-$WT_REPO/out}
WT_BUILD=${BRIVANE_WIN64_BUILD:-$WT_REPO/build/win64}
WT_XVFB_PID=
WT_WORK=

wt_say() { echo "${WT_NAME:-wine-test}: $*" >&2; }
wt_fail() {
  wt_say "FAIL: $*"
  exit 1
}

# Debian's 64-bit loader; `wine` picks it too when the 32-bit one is missing.
wt_loader() {
  if [ -x /usr/lib/wine/wine64 ]; then echo /usr/lib/wine/wine64; else command -v wine; fi
}

# An X display: $DISPLAY when set, else an Xvfb of our own on a free number.
wt_display() {
  [ -n "${DISPLAY:-}" ] && return 0
  local n i
  for n in $(seq 70 130); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
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

# A display, a fresh prefix without Mono and Gecko, and the cleanup trap.
wt_setup() {
  WT_WORK=$(mktemp -d /tmp/brivane-wine.XXXXXX)
  trap wt_cleanup EXIT
  mkdir -p "$WT_OUT"
  wt_display
  export WINEPREFIX=$WT_WORK/prefix
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEDEBUG=${WINEDEBUG:--all}
  WINEDEBUG=-all wineboot -i >"$WT_WORK/wineboot.log" 2>&1 || wt_fail "wineboot -i failed"
  wineserver -w 2>/dev/null || true
  [ "${WT_KEEP:-0}" = 1 ] && wt_say "work folder $WT_WORK"
  return 0
}

# wt_run LOG PROGRAM [ARGS...]: starts a Windows program in the background; its
# output and Wine's messages go to LOG. Sets WT_PID.
wt_run() {
  local log=$1
  shift
  "$(wt_loader)" "$@" >"$log" 2>&1 </dev/null &
  WT_PID=$!
}

# wt_probe ARGS...: the window probe of the win64 build (see tools/winprobe).
wt_probe() { "$(wt_loader)" "$WT_BUILD/tools/winprobe.exe" "$@" 2>/dev/null | tr -d '\r'; }

# wt_wait_window NAME [SECONDS]: waits for an X window whose name matches NAME.
wt_wait_window() {
  local name=$1 seconds=${2:-30} i
  for i in $(seq $((seconds * 10))); do
    xdotool search --name "$name" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}

# wt_shot FILE [GEOMETRY]: the screen, or the part WxH+X+Y of it, as a PNG.
wt_shot() {
  local file=$1 geometry=${2:-}
  if [ -n "$geometry" ]; then
    import -window root -crop "$geometry" +repage "$file"
  else
    import -window root "$file"
  fi
}
