#!/usr/bin/env bash
# The program's folders are layers: includes point only downward, and only
# platform/win32 (and the Windows-only fixtures) sees <windows.h> or _WIN32.
# Prints how often each folder (row) includes each folder (column).
set -u
cd "$(dirname "$0")/.."
status=0
bad=$(grep -rlE '#\s*include\s*[<"]windows\.h[>"]|\b_WIN32\b|\bWIN32\b' \
  app run skin windows common platform/*.h platform/*.cpp platform/headless)
if [ -n "$bad" ]; then
  printf 'Windows headers or _WIN32 outside platform/win32:\n%s\n' "$bad"
  status=1
fi

# One line per include of a project header: the including file, the included folder.
grep -rEo '^\s*#\s*include\s*"[a-z_]+/' --include='*.h' --include='*.cpp' \
  app run windows skin common platform tools tests |
  sed -E 's#^([^:]+):.*"([a-z_]+)/$#\1 \2#' |
  awk -v folders="app run windows skin common platform tools tests" '
    BEGIN {
      n = split(folders, f, " ")
      down["app"] = "run windows skin common platform"
      down["run"] = "common platform"
      down["windows"] = "skin common platform"
      down["skin"] = "common platform"
      down["common"] = "platform"
      down["platform"] = ""
    }
    {
      from = $1; sub(/\/.*/, "", from)
      count[from, $2]++
      if ((from in down) && from != $2 && index(" " down[from] " ", " " $2 " ") == 0) {
        bad[$1 " includes " $2 "/"] = 1
      }
    }
    END {
      printf "%-9s", "from\\to"; for (j = 1; j <= n; j++) printf "%9s", f[j]; print ""
      for (i = 1; i <= n; i++) {
        printf "%-9s", f[i]
        for (j = 1; j <= n; j++) printf "%9s", ((f[i], f[j]) in count) ? count[f[i], f[j]] : "."
        print ""
      }
      for (b in bad) { print "upward include: " b; failed = 1 }
      exit failed
    }' || status=1

[ $status -eq 0 ] && echo "layering: includes point downward; <windows.h> and _WIN32 only in platform/win32"
exit $status
