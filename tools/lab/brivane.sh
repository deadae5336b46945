# shellcheck shell=bash
# Brivane on the lab machine: arming it through its window with real input (xdotool
# clicks), booting until the machine rests, screenshots of a run's stages, and the
# checks of what a run leaves behind. Source lib.sh first.
#   BR_CASE   the name of the case in hand: screenshots go to $LAB_SHOTS/$BR_CASE/

BR_EXE='C:\Program Files\Brivane\brivane.exe'
BR_INI=$LAB_BRIVANE_DIR/Brivane.ini
BR_CASE=${BR_CASE:-brivane}

# Points in the main window, in pixels from its top left: the layout's twips / 15, the
# body 21 pixels down and inside its 1-pixel border (windows/layouts.cpp).
BR_DRIVE_ITEM=(26 150)      # the first entry of the drive list, C:\ here
BR_DEFRAG_BOX=(222 165)     # chkDefrag
BR_DEFRAG_LABEL=(250 165)   # lblDefrag, which toggles the box
BR_SHUTDOWN_OPTION=(224 233)
BR_RESTART_OPTION=(224 257)
BR_EXECUTE_BUTTON=(337 293)
BR_EXIT_RUN=(205 322)       # Exit where run mode moves it (left 2640 twips)
BR_BODY=(60 60)             # a plain part of the body, left of the logo

# The disk tools' registry presets a run writes: key, value name ("" for the default
# value), what `wine reg query` shows as type and data.
BR_REG_KEY=HKCU\\Software\\Microsoft\\Windows\\CurrentVersion
BR_REG_PRESETS=(
  "$BR_REG_KEY\\Applets\\Check Drive|Settings|REG_BINARY 80040000"
  "$BR_REG_KEY\\Applets\\Check Drive|Autochk|REG_BINARY 00000000"
  "$BR_REG_KEY\\Applet\\Check Drive|NoUnknownDDErrDrvs|REG_BINARY 00000000"
  "$BR_REG_KEY\\Applets\\Defrag\\Settings\\scandisk||REG_SZ FALSE"
  "$BR_REG_KEY\\Applets\\Defrag\\Settings\\method||REG_SZ FULLNOAPPLOG"
)

br_say() { echo "${BR_CASE}: $*" >&2; }
br_fail() {
  br_say "FAIL: $*"
  return 1
}

# ---------------------------------------------------------------- screen and input

# Whole-screen screenshot $LAB_SHOTS/$BR_CASE/$1.png.
br_shot() {
  mkdir -p "$LAB_SHOTS/$BR_CASE"
  wt_shot "$LAB_SHOTS/$BR_CASE/$1.png" 2>/dev/null || true
}

# X id of the visible main window (captioned Brivane), waiting up to $1 s (default 20).
br_main_window() {
  local deadline=$((SECONDS + ${1:-20})) id
  while ((SECONDS <= deadline)); do
    id=$(xdotool search --onlyvisible --name '^Brivane$' 2>/dev/null | head -1)
    [ -n "$id" ] && echo "$id" && return 0
    sleep 0.1
  done
  br_fail "no main window within ${1:-20} s"
}

# A left click at X Y of the main window, as the mouse would make it.
br_click() {
  local id
  id=$(br_main_window) || return 1
  xdotool mousemove --window "$id" "$1" "$2" click 1
  sleep 0.3
}

# Clicks button $2 (its caption, "&Yes") of the top-level window captioned $1, waiting
# up to $3 s (default 15) for the window. Its place comes from the window probe; the
# click is real input at the button's middle.
br_click_button() {
  local caption=$1 button=$2 probe point
  probe=$(wt_probe --caption "$caption" --wait "${3:-15}") ||
    br_fail "no window captioned \"$caption\"" || return 1
  point=$(awk -v button="$button" '
    $1 == "window" && $2 == 0 {
      # x y w h client W H after the caption: the frame is even left, right and below.
      n = split($0, f, /"/); split(f[n], g, " ")
      x = g[1]; y = g[2]; w = g[3]; h = g[4]; cw = g[6]; ch = g[7]
      side = (w - cw) / 2; top = h - ch - side
    }
    $1 == "child" && index($0, "caption=\"" button "\" ") {
      n = split($0, f, /"/); split(f[n], g, " ")
      printf "%d %d\n", x + side + g[1] + g[3] / 2, y + top + g[2] + g[4] / 2; exit
    }' <<<"$probe")
  [ -n "$point" ] || br_fail "no button $button in \"$caption\":
$probe" || return 1
  # shellcheck disable=SC2086
  xdotool mousemove $point click 1
}

# Background screenshots of a run's stages until br_watch_stop: the main window each
# time one appears, the tools' windows and prompts each time the log reports them,
# the completion when the settings file goes. Files are numbered in order.
br_watch_start() {
  br_watch_stop
  (
    declare -A seen=()
    local n=0 shown=" " ids id c stage pattern
    local stages=(
      "scandisk|scandskw window shown"
      "scandisk-closed|scandskw closed by WM_CLOSE"
      "defrag|Defrag window shown"
      "defrag-prompt|Defrag prompt shown"
    )
    local armed=0
    while :; do
      ids=$(xdotool search --onlyvisible --name '^Brivane$' 2>/dev/null)
      # A later session's window may get the X id of one that has gone.
      [ -n "$ids" ] || shown=" "
      for id in $ids; do
        [[ $shown == *" $id "* ]] && continue
        shown+="$id "
        sleep 1.5 # painted by then
        n=$((n + 1))
        br_shot "$(printf '%02d' $n)-brivane-window"
      done
      for entry in "${stages[@]}"; do
        stage=${entry%%|*} pattern=${entry#*|}
        c=$(grep -c -F -- "$pattern" "$LAB_TOOLS_LOG" 2>/dev/null)
        if ((${c:-0} > ${seen[$stage]:-0})); then
          seen[$stage]=$c
          n=$((n + 1))
          br_shot "$(printf '%02d' $n)-$stage"
        fi
      done
      if [ -f "$BR_INI" ]; then
        armed=1
      elif [ $armed = 1 ]; then
        armed=0
        n=$((n + 1))
        br_shot "$(printf '%02d' $n)-completion"
      fi
      sleep 0.2
    done
  ) </dev/null >/dev/null 2>&1 &
  BR_WATCH_PID=$!
}

br_watch_stop() {
  if [ -n "${BR_WATCH_PID:-}" ]; then
    kill "$BR_WATCH_PID" 2>/dev/null
    wait "$BR_WATCH_PID" 2>/dev/null
  fi
  BR_WATCH_PID=
}

# ---------------------------------------------------------------- the machine's state

# Back to the machine as set up, Brivane installed but never run: the pristine
# system.ini, no settings file, no disk tool presets, an empty tools' log.
br_reset() {
  local entry key
  lab_kill_session
  cp "$LAB_PRISTINE_INI" "$LAB_SYSTEM_INI"
  rm -f "$BR_INI"
  for key in "$BR_REG_KEY\\Applets\\Check Drive" "$BR_REG_KEY\\Applet" "$BR_REG_KEY\\Applets\\Defrag"; do
    lab_wine reg delete "$key" /f >/dev/null 2>&1
  done
  for entry in "${BR_REG_PRESETS[@]}"; do
    [ -z "$(br_reg_data "${entry%%|*}" "$(cut -d'|' -f2 <<<"$entry")")" ] ||
      br_fail "could not clear ${entry%%|*}" || return 1
  done
  lab_kill_session
  lab_clear_tools_log
}

# What `wine reg query` shows for a value ($2 "" for the key's default): "TYPE DATA".
br_reg_data() {
  local out
  if [ -z "$2" ]; then
    out=$(lab_reg_query "$1" /ve) || return 0
    awk '$1 == "(Default)" || $1 == "(default)" { $1 = ""; sub(/^ +/, ""); print; exit }' <<<"$out"
  else
    out=$(lab_reg_query "$1" /v "$2") || return 0
    awk -v name="$2" '$1 == name { $1 = ""; sub(/^ +/, ""); print; exit }' <<<"$out"
  fi
}

# The settings file and the shell entry as arming writes them, without the window:
# br_arm_direct SCANDISK DEFRAG ENDING (1|0 1|0 shutdown|restart).
br_arm_direct() {
  local shutdown=False restart=False short
  [ "$3" = shutdown ] && shutdown=True || restart=True
  mkdir -p "$LAB_BRIVANE_DIR"
  printf '[Configeration]\r\nKeptShell="Explorer.exe"\r\nDrive=C:\\\r\nScandisk=%s\r\nDefrag=%s\r\nShutdown=%s\r\nRestart=%s\r\nSet=Yes\r\n' \
    "$1" "$2" "$shutdown" "$restart" >"$BR_INI"
  short=$(lab_wine winepath -s "$BR_EXE" 2>/dev/null | tr -d '\r' | tail -1)
  lab_kill_session
  [ -n "$short" ] || br_fail "no short path of brivane.exe" || return 1
  lab_set_shell "$short"
}

# The settings file's value of $1, or nothing.
br_ini_value() {
  tr -d '\r' <"$BR_INI" 2>/dev/null | awk -F= -v key="$1" 'tolower($1) == tolower(key) { print substr($0, length($1) + 2); exit }'
}

# ---------------------------------------------------------------- arming and boots

# Arms a run through the main window on the desktop: drive C:\, ScanDisk, Defrag
# unless $2 is "scandisk" (unticked by a click on $3: box or label), the ending $1
# (shutdown|restart), Execute, and Yes in "Restart Computer?". Checks that Brivane asked
# for the restart and wrote the choices and the shell entry.
br_arm() {
  local ending=$1 tools=${2:-both} untick=${3:-box} status shell
  lab_launch "$BR_EXE" || return 1
  br_main_window 30 >/dev/null || return 1
  sleep 1
  br_shot 00-arm-1-desktop
  br_click "${BR_DRIVE_ITEM[@]}" || return 1
  if [ "$tools" = scandisk ]; then
    if [ "$untick" = label ]; then
      br_click "${BR_DEFRAG_LABEL[@]}" || return 1
    else
      br_click "${BR_DEFRAG_BOX[@]}" || return 1
    fi
  fi
  if [ "$ending" = shutdown ]; then
    br_click "${BR_SHUTDOWN_OPTION[@]}" || return 1
  else
    br_click "${BR_RESTART_OPTION[@]}" || return 1
  fi
  br_shot 00-arm-2-chosen
  br_click "${BR_EXECUTE_BUTTON[@]}" || return 1
  wt_probe --caption 'Restart Computer?' --wait 10 >/dev/null ||
    br_fail "no \"Restart Computer?\" box" || return 1
  br_shot 00-arm-3-confirm
  br_click_button 'Restart Computer?' '&Yes' || return 1
  lab_await
  status=$?
  [ $status = 10 ] || br_fail "arming ended with boot status $status, not a restart request" ||
    return 1
  local want_defrag=1 want_shutdown=False want_restart=True
  [ "$tools" = scandisk ] && want_defrag=0
  [ "$ending" = shutdown ] && want_shutdown=True want_restart=False
  local key want got bad=0
  for key in "Drive=C:\\" Scandisk=1 "Defrag=$want_defrag" "Shutdown=$want_shutdown" \
    "Restart=$want_restart" Set=Yes; do
    want=${key#*=}
    got=$(br_ini_value "${key%%=*}")
    [ "$got" = "$want" ] || br_fail "Brivane.ini ${key%%=*}='$got', expected '$want'" || bad=1
  done
  shell=$(lab_shell)
  case ${shell,,} in
    *\\brivane.exe) ;;
    *) br_fail "the shell after arming is '$shell'" || bad=1 ;;
  esac
  return $bad
}

# Boots from system.ini until the machine rests at its shell (a boot that brings the
# desktop back); after a restart or a shutdown it boots again, as the user would
# switch the machine on. At most $1 boots (default 5). Status 0 at rest, else the
# last boot's status.
br_boot_until_rest() {
  local limit=${1:-5} i status
  for ((i = 1; i <= limit; i++)); do
    lab_boot
    status=$?
    case $status in
      0) return 0 ;;
      10 | 11) ;;
      *) return $status ;;
    esac
  done
  return 3
}

# Lines of the transcript written since line $1.
br_transcript_since() { tail -n +"$(($1 + 1))" "$LAB_TRANSCRIPT" 2>/dev/null; }
br_transcript_lines() {
  if [ -f "$LAB_TRANSCRIPT" ]; then wc -l <"$LAB_TRANSCRIPT"; else echo 0; fi
}

# ---------------------------------------------------------------- checks

# The tools' log without times: "program event".
br_events() { cut -d' ' -f2- "$LAB_TOOLS_LOG" 2>/dev/null | tr -d '\r'; }

# Each of the given lines must be in the events, whole, in this order.
br_expect_events() {
  local events line want last=0 n
  events=$(br_events)
  for want in "$@"; do
    n=$(grep -n -x -F -- "$want" <<<"$events" | cut -d: -f1 | awk -v last="$last" '$1 > last { print; exit }')
    [ -n "$n" ] || br_fail "tools' log: \"$want\" missing or out of order; the log:
$(lab_tools_log)" || return 1
    last=$n
  done
}

# Count of events that begin with $1.
br_count_events() { br_events | grep -c -F -- "$1" || true; }

# What a finished run leaves: no settings file, Explorer.exe as the shell, the rest of
# system.ini as it was, the disk tool presets in the registry.
br_check_left() {
  local bad=0 entry key name want got
  [ ! -e "$BR_INI" ] || br_fail "Brivane.ini is still there:
$(cat "$BR_INI")" || bad=1
  got=$(lab_shell)
  [ "$got" = Explorer.exe ] || br_fail "the shell is '$got', not Explorer.exe" || bad=1
  lab_ini_diff >"$LAB_DIR/ini.diff" || br_fail "system.ini differs from the pristine copy:
$(cat "$LAB_DIR/ini.diff")" || bad=1
  for entry in "${BR_REG_PRESETS[@]}"; do
    IFS='|' read -r key name want <<<"$entry"
    got=$(br_reg_data "$key" "$name")
    [ "$got" = "$want" ] || br_fail "registry $key [${name:-(Default)}] is '$got', expected '$want'" ||
      bad=1
  done
  lab_kill_session
  return $bad
}

# The tools' log of a whole run: ScanDisk, then Defrag unless $1 is "scandisk".
br_check_tools() {
  local scandisk=(
    'scandskw start show=4 cmdline=C:\windows\scandskw.exe C: /n'
    'scandskw window shown caption=ScanDisk - C: foreground=no'
    'scandskw exit'
  )
  local defrag=(
    'Defrag start show=1 cmdline=Defrag.exe C:'
    'Defrag prompt shown caption=Disk Defragmenter'
    'Defrag answer Yes'
    'Defrag exit'
  )
  if [ "$1" = scandisk ]; then
    br_expect_events "${scandisk[@]}" || return 1
    [ "$(br_count_events Defrag)" = 0 ] || br_fail "Defrag ran although it was unticked" || return 1
  else
    br_expect_events "${scandisk[@]}" "${defrag[@]}" || return 1
  fi
}

# Copies the tools' log and the transcript next to the case's screenshots.
br_keep_logs() {
  mkdir -p "$LAB_SHOTS/$BR_CASE"
  cp "$LAB_TOOLS_LOG" "$LAB_SHOTS/$BR_CASE/tools.log" 2>/dev/null
  [ -n "${1:-}" ] && br_transcript_since "$1" >"$LAB_SHOTS/$BR_CASE/transcript.txt"
  return 0
}

# ---------------------------------------------------------------- whole cases

# Brivane's full cycle from the desktop: armed through its window (br_arm ENDING
# TOOLS UNTICK), the restart it asks for, the run booted into, then the machine shut
# down, or restarted to the desktop. Checks the boots, the tools' log and what the
# run left behind. Screenshots and logs in $LAB_SHOTS/$BR_CASE/.
br_cycle() {
  local ending=$1 tools=${2:-both} start status bad=0 boots
  start=$(br_transcript_lines)
  rm -rf "${LAB_SHOTS:?}/$BR_CASE"
  br_watch_start
  if ! br_arm "$ending" "$tools" "${3:-box}"; then
    br_watch_stop
    br_keep_logs "$start"
    return 1
  fi
  lab_clear_tools_log
  lab_cycle 4
  status=$?
  br_watch_stop
  br_shot 99-end
  br_keep_logs "$start"
  boots=$(br_transcript_since "$start" | sed 's/ (.*//')
  local want=("restart requested" "brivane.exe -> $ending requested")
  [ "$ending" = restart ] && want+=("shell=Explorer.exe -> desktop back")
  local i=0 line
  while IFS= read -r line; do
    [ $i -lt ${#want[@]} ] && [[ $line == *"${want[$i]}" ]] || {
      br_fail "boots: expected \"...${want[*]}\" in turn, got:
$boots"
      bad=1
      break
    }
    i=$((i + 1))
  done <<<"$boots"
  [ $bad = 1 ] || [ $i = ${#want[@]} ] || br_fail "boots: $i of ${#want[@]}:
$boots" || bad=1
  br_check_tools "$tools" || bad=1
  br_check_left || bad=1
  return $bad
}
