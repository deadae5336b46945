# shellcheck shell=bash
# The Brivane lab: a Windows 98 machine emulated under Wine. Source this file and call
# the lab_* functions, or use lab.sh next to it. Everything lives under one folder:
#   BRIVANE_LAB_DIR     the lab (default /tmp/brivane-lab)
#   BRIVANE_LAB_PREFIX  its Wine prefix (default $BRIVANE_LAB_DIR/prefix)
#   BRIVANE_WIN32_BUILD the i686 build folder that holds brivane.exe and standins/
#                       (default build/win32 of the repository)
#   BRIVANE_OUT         where screenshots go, under lab/ (default out/ of the repository)
#   BRIVANE_LAB_BOOT_TIMEOUT  seconds a boot's shell may run (default 300)
# The stand-in disk tools log to C:\lab\tools.log (BRIVANE_LAB_LOG).

LAB_REPO=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# The Wine tests' helpers: display, loader, window waits, screenshots.
if [ -f "$LAB_REPO/tests/wine/lib.sh" ]; then
  . "$LAB_REPO/tests/wine/lib.sh"
else
  echo "lab: $LAB_REPO/tests/wine/lib.sh is missing" >&2
  return 1 2>/dev/null || exit 1
fi
LAB_DIR=${BRIVANE_LAB_DIR:-/tmp/brivane-lab}
LAB_PREFIX=${BRIVANE_LAB_PREFIX:-$LAB_DIR/prefix}
LAB_BUILD=$WT_BUILD
LAB_SHOTS=${BRIVANE_OUT:-$LAB_REPO/out}/lab
LAB_C=$LAB_PREFIX/drive_c
LAB_WINDOWS=$LAB_C/windows
LAB_SYSTEM_INI=$LAB_WINDOWS/system.ini
LAB_PRISTINE_INI=$LAB_DIR/system.ini.pristine
LAB_TOOLS_LOG=$LAB_C/lab/tools.log
LAB_BRIVANE_DIR=$LAB_C/"Program Files"/Brivane
LAB_TRANSCRIPT=$LAB_DIR/transcript.txt
LAB_SESSION=$LAB_DIR/session

export WINEPREFIX=$LAB_PREFIX
export WINEDEBUG=${WINEDEBUG:--all}
export BRIVANE_LAB_LOG='C:\lab\tools.log'

lab_say() { echo "lab: $*" >&2; }
lab_fail() {
  lab_say "$*"
  return 1
}

# ---------------------------------------------------------------- display

# $DISPLAY when set; otherwise the lab's own Xvfb (started by the Wine tests' wt_display),
# kept running and reused by every later call for this lab.
lab_display() {
  [ -n "${DISPLAY:-}" ] && return 0
  if [ -f "$LAB_DIR/xvfb.pid" ] && [ -f "$LAB_DIR/xvfb.display" ] &&
    kill -0 "$(cat "$LAB_DIR/xvfb.pid")" 2>/dev/null &&
    xdpyinfo -display "$(cat "$LAB_DIR/xvfb.display")" >/dev/null 2>&1; then
    DISPLAY=$(cat "$LAB_DIR/xvfb.display")
    export DISPLAY
    return 0
  fi
  mkdir -p "$LAB_DIR"
  WT_WORK=$LAB_DIR wt_display
  echo "$WT_XVFB_PID" >"$LAB_DIR/xvfb.pid"
  echo "$DISPLAY" >"$LAB_DIR/xvfb.display"
}

# ---------------------------------------------------------------- wine

lab_wine() { lab_display && "$(wt_loader)" "$@"; }

lab_kill_session() { wineserver -k 2>/dev/null || true; }

# Ends every process of the lab's Wine session at once, as a power cut would; a
# launched boot then reports the cut.
lab_power_cut() {
  [ -f "$LAB_SESSION/pid" ] && : >"$LAB_SESSION/power-cut"
  lab_kill_session
}

# Waits up to $1 seconds (default 20) for the session to end by itself, then ends it.
lab_wait_session_end() {
  timeout "${1:-20}" "$WINESERVER" -w 2>/dev/null || true
  lab_kill_session
}

# Stops the session and the lab's own Xvfb (never a display the lab did not start).
lab_teardown() {
  lab_kill_session
  if [ -f "$LAB_DIR/xvfb.pid" ]; then
    kill "$(cat "$LAB_DIR/xvfb.pid")" 2>/dev/null || true
    rm -f "$LAB_DIR/xvfb.pid" "$LAB_DIR/xvfb.display"
  fi
}

# ---------------------------------------------------------------- setup

# A Windows 98 system.ini: the shell in [boot], and the usual sections around it.
lab_write_system_ini() {
  sed 's/$/\r/' >"$1" <<'EOF'
[boot]
oemfonts.fon=vgaoem.fon
shell=Explorer.exe
system.drv=system.drv
drivers=mmsystem.dll power.drv
user.exe=user.exe
mouse.drv=mouse.drv
fonts.fon=vgasys.fon
SCRNSAVE.EXE=
display.drv=pnpdrvr.drv
gdi.exe=gdi.exe
fixedfon.fon=vgafix.fon
keyboard.drv=keyboard.drv
language.dll=
comm.drv=comm.drv
sound.drv=mmsound.drv
386Grabber=vgafull.3gr
TaskMan.Exe=taskman.exe

[keyboard]
subtype=
type=4
keyboard.dll=
oemansi.bin=

[boot.description]
system.drv=Standard PC
aspect=100,96,96
display.drv=Standard PCI Graphics Adapter (VGA)
keyboard.typ=Standard 101/102-Key or Microsoft Natural Keyboard
mouse.drv=Standard mouse
codepage=1252
language.dll=English (American)

[386Enh]
ebios=*ebios
woafont=dosapp.fon
mouse=*vmouse, msmouse.vxd
device=*dynapage
device=*vcd
device=*vpd
device=*int13
keyboard=*vkd
display=*vdd,*vflatd
MinSPs=4
PagingDrive=C:
ConservativeSwapfileUsage=1

[power.drv]

[drivers]
wavemapper=*.drv
MSACM.imaadpcm=*.acm
MSACM.msadpcm=*.acm
MSACM.msgsm610=*.acm
midimapper=*.drv

[iccvid.drv]

[mciseq.drv]

[NonWindowsApp]
TTInitialSizes=4 5 6 7 8 9 10 11 12 13 14 15 16 18 20 22

[vcache]
MinFileCache=2048
MaxFileCache=16384

[mci]
cdaudio=mcicda.drv
sequencer=mciseq.drv
waveaudio=mciwave.drv
avivideo=mciavi.drv
videodisc=mcipionr.drv
vcr=mcivisca.drv
MPEGVideo=mciqtz.drv
MPEGVideo2=mciqtz.drv
MPEGAudio=mciqtz.drv

[drivers32]
msacm.imaadpcm=imaadp32.acm
msacm.msadpcm=msadp32.acm
msacm.msgsm610=msgsm32.acm
vidc.cvid=iccvid.dll
vidc.msvc=msvidc32.dll
vidc.mrle=msrle32.dll

[Password Lists]
LAB=C:\WINDOWS\LAB.PWL
EOF
}

# Copies brivane.exe and Help.chm (when built) to C:\Program Files\Brivane, the
# stand-in tools to C:\windows, and the lab's helpers to C:\lab.
lab_install() {
  local standins=$LAB_BUILD/standins f
  [ -f "$standins/scandskw.exe" ] && [ -f "$standins/Defrag.exe" ] ||
    lab_fail "no stand-ins in $standins (build the targets scandskw Defrag labpress labstart labexit labini labclose)" ||
    return 1
  mkdir -p "$LAB_BRIVANE_DIR" "$LAB_C/lab"
  cp "$standins/scandskw.exe" "$standins/Defrag.exe" "$LAB_WINDOWS/"
  for f in labpress labstart labexit labini labclose; do
    [ -f "$standins/$f.exe" ] && cp "$standins/$f.exe" "$LAB_C/lab/"
  done
  for f in brivane.exe Help.chm; do
    if [ -f "$LAB_BUILD/$f" ]; then
      cp "$LAB_BUILD/$f" "$LAB_BRIVANE_DIR/"
    else
      lab_say "no $f in $LAB_BUILD (not installed)"
    fi
  done
  return 0
}

# A fresh machine: new prefix, Windows 98 system.ini (pristine copy kept), Brivane and
# the stand-ins installed, a registered owner.
lab_setup() {
  lab_display || return 1
  lab_kill_session
  rm -rf "$LAB_PREFIX" "$LAB_SESSION" "$LAB_DIR/boots" "$LAB_TRANSCRIPT"
  mkdir -p "$LAB_DIR/boots" "$(dirname "$LAB_PREFIX")"
  lab_say "creating $LAB_PREFIX"
  WINEDLLOVERRIDES="mscoree,mshtml=" "$(wt_loader)" wineboot -i >"$LAB_DIR/setup.log" 2>&1 ||
    lab_fail "wineboot -i failed, see $LAB_DIR/setup.log" || return 1
  lab_display && wt_windows98 "$LAB_DIR/setup.log" ||
    lab_fail "could not set the prefix up as Windows 98, see $LAB_DIR/setup.log" || return 1
  lab_wine reg add 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion' /v RegisteredOwner /t REG_SZ \
    /d "${BRIVANE_LAB_OWNER:-Lab Owner}" /f >>"$LAB_DIR/setup.log" 2>&1
  lab_wine reg add 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion' /v RegisteredOrganization \
    /t REG_SZ /d "Lab" /f >>"$LAB_DIR/setup.log" 2>&1
  lab_wait_session_end 30
  wt_install_fonts "$LAB_PREFIX" || lab_fail "the Windows fonts could not be installed" || return 1
  lab_write_system_ini "$LAB_SYSTEM_INI"
  cp "$LAB_SYSTEM_INI" "$LAB_PRISTINE_INI"
  mkdir -p "$LAB_C/lab"
  : >"$LAB_TOOLS_LOG"
  lab_install
}

# ---------------------------------------------------------------- system.ini

# The value of Shell in section Boot, names compared without case as Windows does;
# the first such key counts.
lab_shell() {
  [ -f "$LAB_SYSTEM_INI" ] || return 1
  awk '
    { sub(/\r$/, ""); line = $0; gsub(/^[ \t]+|[ \t]+$/, "", line) }
    line ~ /^\[.*\]$/ { section = tolower(substr(line, 2, length(line) - 2)); next }
    section == "boot" && index(line, "=") {
      key = substr(line, 1, index(line, "=") - 1); gsub(/[ \t]+$/, "", key)
      if (tolower(key) == "shell") {
        value = substr(line, index(line, "=") + 1); gsub(/^[ \t]+/, "", value)
        print value; found = 1; exit
      }
    }
    END { exit !found }' "$LAB_SYSTEM_INI"
}

# Sets Shell in section Boot by hand (for tests that need a given shell).
lab_set_shell() {
  local value=$1 tmp=$LAB_SYSTEM_INI.tmp
  LAB_VALUE=$value awk '
    BEGIN { value = ENVIRON["LAB_VALUE"] }
    { cr = sub(/\r$/, ""); line = $0; gsub(/^[ \t]+|[ \t]+$/, "", line) }
    line ~ /^\[.*\]$/ { section = tolower(substr(line, 2, length(line) - 2)) }
    !done && section == "boot" && index(line, "=") &&
        tolower(substr(line, 1, index(line, "=") - 1)) ~ /^shell[ \t]*$/ {
      print substr(line, 1, index(line, "=")) value "\r"; done = 1; next
    }
    { print $0 (cr ? "\r" : "") }' "$LAB_SYSTEM_INI" >"$tmp" && mv "$tmp" "$LAB_SYSTEM_INI"
  [ "$(lab_shell)" = "$value" ] || lab_fail "could not set the shell to $value"
}

# system.ini as lines "[section] key=value": section and key names lower-cased, blanks
# around them and blank lines dropped, Shell of section Boot left out.
lab_ini_normalised() {
  awk '
    { sub(/\r$/, ""); line = $0; gsub(/^[ \t]+|[ \t]+$/, "", line) }
    line == "" { next }
    line ~ /^\[.*\]$/ { section = tolower(line); print section; next }
    index(line, "=") {
      key = substr(line, 1, index(line, "=") - 1); gsub(/[ \t]+$/, "", key); key = tolower(key)
      value = substr(line, index(line, "=") + 1); gsub(/^[ \t]+/, "", value)
      if (section == "[boot]" && key == "shell") next
      print section " " key "=" value; next
    }
    { print section " " line }' "$1"
}

# Compares system.ini with the pristine copy: every section, key and value but Shell
# must be unchanged. Prints the differences; status 0 when there are none.
lab_ini_diff() {
  diff -u --label pristine --label now <(lab_ini_normalised "$LAB_PRISTINE_INI") \
    <(lab_ini_normalised "$LAB_SYSTEM_INI")
}

# ---------------------------------------------------------------- logs and registry

lab_tools_log() { cat "$LAB_TOOLS_LOG" 2>/dev/null; }
lab_clear_tools_log() { : >"$LAB_TOOLS_LOG"; }

# Waits up to $2 seconds (default 30) for a line of the tools' log to match the
# extended regular expression $1; prints the line.
lab_wait_log() {
  local deadline=$((SECONDS + ${2:-30}))
  while ((SECONDS <= deadline)); do
    grep -E -m1 -- "$1" "$LAB_TOOLS_LOG" 2>/dev/null && return 0
    sleep 0.2
  done
  lab_fail "no line /$1/ in the tools' log within ${2:-30} s"
}

# wine reg query, e.g. lab_reg_query 'HKCU\Software\...' [/v Name]
lab_reg_query() { (set -o pipefail && lab_wine reg query "$@" 2>/dev/null | tr -d '\r'); }

# The data of one value, or status 1 when it does not exist.
lab_reg_value() {
  lab_reg_query "$1" /v "$2" | awk -v name="$2" '
    tolower($1) == tolower(name) && $2 ~ /^REG_/ {
      sub(/^[ \t]*[^ \t]+[ \t]+[^ \t]+[ \t]*/, ""); print; found = 1 }
    END { exit !found }'
}

# ---------------------------------------------------------------- windows and input

# Prints the X window id of the first window whose name matches the regular
# expression $1 (xdotool's search), waiting up to $2 seconds (default 20).
lab_wait_window() {
  lab_display || return 1
  wt_wait_window "$1" "${2:-20}" || lab_fail "no window named /$1/ within ${2:-20} s" || return 1
  xdotool search --name "$1" 2>/dev/null | head -1
}

# Waits up to $2 seconds (default 20) until no window name matches $1.
lab_wait_window_gone() {
  lab_display || return 1
  local deadline=$((SECONDS + ${2:-20}))
  while ((SECONDS <= deadline)); do
    xdotool search --name "$1" >/dev/null 2>&1 || return 0
    sleep 0.2
  done
  lab_fail "a window named /$1/ is still there after ${2:-20} s"
}

# Left click at X Y inside the window named $1 (pixels from its top left).
lab_click() {
  local id
  lab_display || return 1
  id=$(lab_wait_window "$1" "${4:-20}") || return 1
  xdotool mousemove --window "$id" "$2" "$3" click 1
}

# Types text into the window named $1, after giving it the keyboard focus.
lab_type() {
  local id
  lab_display || return 1
  id=$(lab_wait_window "$1") || return 1
  xdotool windowfocus "$id" && xdotool type --delay 50 "$2"
}

# Sends key names (xdotool's: Return, space, Down, ...) to the window named $1.
lab_key() {
  local id name=$1
  lab_display || return 1
  shift
  id=$(lab_wait_window "$name") || return 1
  xdotool windowfocus "$id" && xdotool key --delay 50 "$@"
}

# Screenshot of the whole screen into $BRIVANE_OUT/lab/$1.png; prints the path.
lab_screenshot() {
  lab_display || return 1
  mkdir -p "$LAB_SHOTS"
  wt_shot "$LAB_SHOTS/$1.png" && echo "$LAB_SHOTS/$1.png"
}

# Presses button $2 of the dialog captioned $1 as Brivane does; waits up to $3 ms.
lab_press() { lab_wine 'C:\lab\labpress.exe' "$1" "$2" "${3:-0}"; }

# Starts a command line with a show state as Brivane does: lab_start 4 'c:\...' [--wait]
lab_start() { lab_wine 'C:\lab\labstart.exe' "$@"; }

# Sends WM_CLOSE to the first top-level window whose caption holds $1 (any case).
lab_close() { lab_wine 'C:\lab\labclose.exe' "$1"; }

# Reads or writes a profile entry through Wine's own profile functions:
# lab_ini get FILE SECTION KEY | lab_ini set FILE SECTION KEY VALUE
lab_ini() { (set -o pipefail && lab_wine 'C:\lab\labini.exe' "$@" | tr -d '\r'); }

# ---------------------------------------------------------------- boots

# Starts a program of the machine in the background, as Windows starts a shell, with
# the process channel traced so that a shutdown or restart request can be seen.
# One at a time per lab; lab_await waits for it.
lab_launch() {
  lab_display || return 1
  mkdir -p "$LAB_SESSION" "$LAB_DIR/boots"
  local n=$(($(cat "$LAB_DIR/boots/count" 2>/dev/null || echo 0) + 1))
  echo "$n" >"$LAB_DIR/boots/count"
  local log=$LAB_DIR/boots/$n.log
  printf '%s\n' "$*" >"$LAB_SESSION/command"
  echo "${LAB_LAUNCH_KIND:-run}" >"$LAB_SESSION/kind"
  echo "$log" >"$LAB_SESSION/log"
  rm -f "$LAB_SESSION/status" "$LAB_SESSION/power-cut"
  echo "$SECONDS" >"$LAB_SESSION/started"
  (
    timeout -k 5 "${BRIVANE_LAB_BOOT_TIMEOUT:-300}" env WINEDEBUG=+process "$(wt_loader)" "$@" \
      >"$log.out" 2>"$log"
    echo $? >"$LAB_SESSION/status.tmp"
    mv "$LAB_SESSION/status.tmp" "$LAB_SESSION/status"
  ) </dev/null &
  echo $! >"$LAB_SESSION/pid"
}

# The request the session made of Windows, read from its process trace: ExitWindowsEx
# starts "wineboot.exe --end-session" (or --kill when forced), with --shutdown unless
# it is a restart. Prints restart, shutdown or nothing.
lab_requested() {
  local line
  line=$(grep -a 'CreateProcessInternalW' "$1" 2>/dev/null |
    grep -a -E -m1 'wineboot\.exe --(end-session|kill)')
  [ -n "$line" ] || return 1
  case $line in
    *--shutdown*) echo shutdown ;;
    *) echo restart ;;
  esac
}

# Waits for the launched program to end (Wine may end it itself while it acts on a
# shutdown or restart), lets the session wind down, and reports the boot. Status:
# 10 restart requested, 11 shutdown requested, 12 ended without a request,
# 13 still running at the time limit (killed), 14 ended by lab_power_cut.
lab_await() {
  local log command status request started elapsed n
  [ -f "$LAB_SESSION/pid" ] || lab_fail "nothing launched" || return 2
  while [ ! -f "$LAB_SESSION/status" ]; do sleep 0.2; done
  status=$(cat "$LAB_SESSION/status")
  log=$(cat "$LAB_SESSION/log")
  command=$(cat "$LAB_SESSION/command")
  started=$(cat "$LAB_SESSION/started")
  elapsed=$((SECONDS - started))
  n=$(basename "$log" .log)
  request=$(lab_requested "$log")
  [ -z "$request" ] && [ -f "$LAB_SESSION/power-cut" ] && request=power-cut
  lab_wait_session_end 20
  rm -f "$LAB_SESSION/pid"
  local verdict code
  case $request in
    restart) verdict="restart requested" code=10 ;;
    shutdown) verdict="shutdown requested" code=11 ;;
    power-cut) verdict="power cut" code=14 ;;
    *)
      if [ "$status" = 124 ] || [ "$status" = 137 ]; then
        verdict="no request: still running after ${BRIVANE_LAB_BOOT_TIMEOUT:-300} s, killed" code=13
      else
        verdict="no request: ended with status $status" code=12
      fi
      ;;
  esac
  if [ "$(cat "$LAB_SESSION/kind" 2>/dev/null)" = boot ]; then
    lab_report "boot $n: shell=$command -> $verdict (${elapsed} s, trace $log)"
  else
    lab_report "run $n: $command -> $verdict (${elapsed} s, trace $log)"
  fi
  return $code
}

lab_report() { echo "$*" | tee -a "$LAB_TRANSCRIPT"; }

# One boot: Windows reads Shell from section Boot of system.ini and starts it; when
# that is Explorer.exe the desktop is back and the boot ends there (status 0).
# Otherwise the shell runs until it ends; status as lab_await. Status 2 when there is
# no shell to start.
lab_boot() {
  local shell base
  shell=$(lab_shell) || {
    lab_report "boot: no Shell in section Boot of system.ini"
    return 2
  }
  lab_kill_session # a boot starts with a fresh session
  read -r -a words <<<"$shell"
  base=${words[0]##*\\}
  base=${base##*/}
  if [ "${base,,}" = explorer.exe ]; then
    local n=$(($(cat "$LAB_DIR/boots/count" 2>/dev/null || echo 0) + 1))
    mkdir -p "$LAB_DIR/boots" && echo "$n" >"$LAB_DIR/boots/count"
    lab_report "boot $n: shell=$shell -> desktop back"
    return 0
  fi
  LAB_LAUNCH_KIND=boot lab_launch "${words[@]}" || return 2
  lab_await
}

# Boots until a boot ends other than with a restart request, at most $1 boots
# (default 6). Status: that last boot's; 3 when the limit was reached.
lab_cycle() {
  local limit=${1:-6} i status
  for ((i = 1; i <= limit; i++)); do
    lab_boot
    status=$?
    [ "$status" = 10 ] || return "$status"
  done
  lab_report "cycle: still restarting after $limit boots"
  return 3
}
