#!/usr/bin/env bash
# Fails when a Windows executable holds an instruction an i486 lacks, so that the
# build never leaves one behind (it deletes the executable, so the next build links
# it again).
#   P6:      cmov*, fcmov*, fcomi/fucomi (and their popping forms), the long nop
#            (0f 1f), fxsave/fxrstor, sysenter/sysexit, rdpmc
#   Pentium: cmpxchg8b, rdtsc, rdmsr/wrmsr, emms and anything on an MMX or SSE register
# ud2 is not counted: a 486 faults on it as on every later processor, which is all
# __builtin_trap asks of it.
#
# PE ld puts data in .text: the constructor and destructor lists and the exception
# tables (.gcc_except_table, .gcc_exc). The linker map names every input section of
# .text with its address and size, so only the code sections are decoded, each run of
# them at once; objdump starts again at every symbol inside a run, so the alignment
# fill between functions cannot shift the decoding.
#   check486.sh EXE MAP
set -euo pipefail
exe=${1:?usage: check486.sh EXE MAP}
map=${2:?usage: check486.sh EXE MAP}
objdump=i686-w64-mingw32-objdump
name=$(basename "$exe")
reject() {
  echo "check486: $name: $*" >&2
  rm -f "$exe"
  exit 1
}
[ -f "$map" ] || reject "no linker map $map"

# "start stop" of each run of code input sections in .text, and the data bytes skipped.
ranges=$(awk '
  function flush() { if (open) printf "0x%x 0x%x\n", start, stop; open = 0 }
  function entry(sec, addr, size) {
    if (size == 0) return
    if (sec ~ /^\.(init|fini|text)([.$].*)?$/ || sec ~ /^\.gnu\.linkonce\.t\./) {
      if (!open) { start = addr; open = 1 }
      stop = addr + size
    } else {
      flush(); data += size
    }
  }
  /^Linker script and memory map/ { inmap = 1; next }
  !inmap { next }
  /^\.text[ \t]/ { intext = 1; next }
  intext && /^[^ \t]/ { intext = 0; flush() }
  !intext { next }
  # An input section: " NAME ADDR SIZE FILE", its name on a line of its own when long.
  /^ [^ *]+$/ { pending = $1; next }
  pending != "" && /^ +0x/ { entry(pending, $1 + 0, $2 + 0); pending = ""; next }
  { pending = "" }
  /^ [^ *]+ +0x[0-9a-f]+ +0x[0-9a-f]+/ { entry($1, $2 + 0, $3 + 0); next }
  # Words the script puts in: LONG (-1) and LONG (0) around the constructor lists.
  /^ +0x[0-9a-f]+ +0x[0-9a-f]+ +(BYTE|SHORT|LONG|QUAD) / { entry("data", $1 + 0, $2 + 0); next }
  END { flush(); printf "data %d\n", data }
' "$map")
data=$(sed -n 's/^data //p' <<<"$ranges")
ranges=$(grep -v '^data ' <<<"$ranges" || true)
[ -n "$ranges" ] || reject "no code sections of .text in $map"

listing=$(mktemp)
trap 'rm -f "$listing"' EXIT
while read -r start stop; do
  "$objdump" -d -w --no-show-raw-insn --start-address="$start" --stop-address="$stop" "$exe" >>"$listing"
done <<<"$ranges"

# Each instruction as "function: instruction", classed by its mnemonic (past any
# prefixes) and its registers.
awk -v name="$name" -v runs="$(wc -l <<<"$ranges")" -v data="$data" '
  /^[0-9a-f]+ <.*>:$/ { fn = $2; sub(/:$/, "", fn); next }
  !/^ *[0-9a-f]+:\t/ { next }
  {
    insns++
    line = $0; sub(/^ *[0-9a-f]+:\t/, "", line)
    n = split(line, w, /[ \t]+/)
    i = 1
    while (i < n && w[i] ~ /^(lock|rep|repz|repnz|repe|repne|data16|addr16|cs|ds|es|fs|gs|ss|notrack|bnd)$/) i++
    op = w[i]; args = ""
    for (j = i + 1; j <= n; j++) args = args " " w[j]
    class = ""
    if (op ~ /^(cmov|fcmov|fcomi|fucomi|fxsave|fxrstor|sysenter|sysexit|rdpmc)/ ||
        (op ~ /^nop[lw]?$/ && args ~ /[(%]/))
      class = "P6"
    else if (op ~ /^(cmpxchg8b|rdtsc|rdmsr|wrmsr|emms)/ || args ~ /%[xy]?mm[0-9]/)
      class = "Pentium"
    if (class == "") next
    count[class]++
    if (shown++ < 20) printf "  %s %s: %s\n", class, fn, line
  }
  END {
    printf "check486: %s: %d P6 and %d Pentium instructions (%d decoded in %d runs of code; %d bytes of data in .text skipped)\n",
      name, count["P6"], count["Pentium"], insns, runs, data
    if (insns == 0 || count["P6"] + count["Pentium"] > 0) exit 1
  }
' "$listing" || reject "instructions an i486 lacks (or nothing decoded); it is deleted"
