#!/usr/bin/env bash
# The program's folders are layers: includes point only downward, and the
# program talks to Windows only through platform/ (<windows.h> and _WIN32 tests
# belong in platform/win32 and the Windows-only fixtures, nowhere else).
# Prints the include counts between folders (row includes column).
set -u
cd "$(dirname "$0")/.."
status=0

bad=$(grep -rlE '#\s*include\s*[<"]windows\.h[>"]|\b_WIN32\b|\bWIN32\b' \
  app run skin windows common platform/*.h platform/*.cpp platform/headless 2>/dev/null)
if [ -n "$bad" ]; then
  echo "Windows headers or _WIN32 outside platform/win32:"
  echo "$bad"
  status=1
fi

folders="app run windows skin common platform tools tests"
# What each program folder may include besides itself.
declare -A allowed=(
  [app]="run windows skin common platform"
  [run]="common platform"
  [windows]="skin common platform"
  [skin]="common platform"
  [common]="platform"
  [platform]=""
)

# "from to" for every include of a project header.
edges=$(for from in $folders; do
  grep -rhoE '^\s*#\s*include\s*"[a-z0-9_]+/' "$from" --include='*.h' --include='*.cpp' |
    sed -E 's/.*"([a-z0-9_]+)\/.*/\1/' | sed "s/^/$from /"
done)

printf '%-9s' "from\\to"
for to in $folders; do printf '%9s' "$to"; done
echo
for from in $folders; do
  printf '%-9s' "$from"
  for to in $folders; do
    n=$(grep -c "^$from $to\$" <<<"$edges")
    if [ "$n" -eq 0 ]; then printf '%9s' "."; else printf '%9s' "$n"; fi
  done
  echo
done

for from in "${!allowed[@]}"; do
  for file in $(grep -rlE '^\s*#\s*include\s*"[a-z0-9_]+/' "$from" --include='*.h' --include='*.cpp'); do
    for to in $(grep -hoE '^\s*#\s*include\s*"[a-z0-9_]+/' "$file" | sed -E 's/.*"([a-z0-9_]+)\/.*/\1/' | sort -u); do
      [ "$to" = "$from" ] && continue
      case " ${allowed[$from]} " in
        *" $to "*) ;;
        *)
          echo "upward include: $file includes $to/"
          status=1
          ;;
      esac
    done
  done
done

[ $status -eq 0 ] && echo "layering: includes point downward; <windows.h> and _WIN32 only in platform/win32"
exit $status
