#!/usr/bin/env bash
# The program talks to Windows only through platform/: <windows.h> and _WIN32
# tests belong there (and in the Windows-only fixtures), nowhere else.
set -u
cd "$(dirname "$0")/.."
bad=$(grep -rlE '#\s*include\s*[<"]windows\.h[>"]|\b_WIN32\b|\bWIN32\b' \
  app run skin windows common platform/*.h platform/*.cpp platform/headless 2>/dev/null)
if [ -n "$bad" ]; then
  echo "Windows headers or _WIN32 outside platform/win32:"
  echo "$bad"
  exit 1
fi
echo "layering: program code and shared platform code are free of <windows.h> and _WIN32"
