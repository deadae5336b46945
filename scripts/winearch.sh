#!/usr/bin/env bash
# Which Windows build the tests under Wine run on this machine, printed as win32 or
# win64 (the reason goes to stderr):
#   win32  the i686 brivane.exe that ships, under Debian's 32-bit Wine;
#   win64  the x86-64 build of the same source under 64-bit Wine, where the kernel
#          refuses 32-bit programs ("Exec format error") and 32-bit Wine cannot run.
# BRIVANE_WINE_ARCH=win32|win64 overrides the answer.
set -u
say() { echo "winearch: $*" >&2; }
case "${BRIVANE_WINE_ARCH:-}" in
  win32 | win64)
    say "$BRIVANE_WINE_ARCH, as BRIVANE_WINE_ARCH says"
    echo "$BRIVANE_WINE_ARCH"
    ;;
  "")
    # The server of 32-bit Wine is a 32-bit program: if it runs, so does the loader.
    if /usr/lib/wine/wineserver32 --version >/dev/null 2>&1; then
      say "win32: this machine runs 32-bit programs"
      echo win32
    else
      say "win64: this machine runs no 32-bit programs (/usr/lib/wine/wineserver32 does not start)"
      echo win64
    fi
    ;;
  *)
    say "BRIVANE_WINE_ARCH is \"$BRIVANE_WINE_ARCH\"; it must be win32 or win64"
    exit 2
    ;;
esac
