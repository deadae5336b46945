#!/usr/bin/env bash
# Rebuilds, for the i486, the runtime every Windows executable of Brivane links:
# crt2.o, libmingw32.a, libmingwex.a and libmsvcrt.a from Debian's mingw-w64 source
# package; libgcc.a, libgcc_eh.a, crtbegin.o, crtend.o, libstdc++.a and libsupc++.a
# from the GCC tarball in Debian's gcc-12-source; each at exactly the version the
# installed cross compiler was built from. Debian's own copies are built for the
# Pentium Pro (cmov, fcomi), which most Windows 95 machines are not.
#   build.sh OUT   (OUT must not exist; it appears whole or not at all)
set -euo pipefail
out=${1:?usage: build.sh OUT}
here=$(cd "$(dirname "$0")" && pwd)
target=i686-w64-mingw32
cc=$target-gcc-win32
cxx=$target-g++-win32
jobs=$(nproc)
[ ! -e "$out" ] || { echo "runtime: $out exists" >&2; exit 1; }

field() { dpkg-query -W -f="\${$2}" "$1"; }
mingw_version=$(field mingw-w64-i686-dev source:Version)
gcc_version=$(field gcc-mingw-w64-i686-win32 Built-Using | sed -n 's/.*gcc-12 (= \([^)]*\)).*/\1/p')
gcc_release=${gcc_version%%-*}
[ -n "$mingw_version" ] && [ -n "$gcc_version" ] || { echo "runtime: cannot tell the installed versions" >&2; exit 1; }
echo "runtime: mingw-w64 $mingw_version, gcc-12-source $gcc_version (GCC $gcc_release)"

mkdir -p "$(dirname "$out")"
work=$(mktemp -d "$out.work.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

# A private apt set-up whose lists add deb-src to the machine's own entries, so that
# neither the machine's configuration nor this repository names a mirror.
mkdir -p apt/parts apt/lists/partial apt/cache/archives/partial
shopt -s nullglob
for f in /etc/apt/sources.list.d/*.sources; do
  sed -E 's/^Types:.*/Types: deb deb-src/' "$f" >"apt/parts/$(basename "$f")"
done
for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
  [ -f "$f" ] && sed -nE '/^deb\s/{p; s/^deb/deb-src/p}' "$f" >"apt/parts/$(basename "$f")"
done
shopt -u nullglob
apt_opts=(-q -o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$work/apt/parts"
  -o "Dir::State::Lists=$work/apt/lists" -o "Dir::Cache=$work/apt/cache" -o APT::Sandbox::User=root)
apt-get "${apt_opts[@]}" update >apt/update.log 2>&1 || { cat apt/update.log >&2; exit 1; }
mkdir src
(cd src && apt-get "${apt_opts[@]}" source --download-only "mingw-w64=$mingw_version" >/dev/null &&
  apt-get "${apt_opts[@]}" download "gcc-12-source=$gcc_version" >/dev/null)

# mingw-w64 as Debian builds it: its patches applied, the installed headers.
dpkg-source -x src/mingw-w64_*.dsc mingw >src/dpkg-source.log 2>&1 || { cat src/dpkg-source.log >&2; exit 1; }
export SOURCE_DATE_EPOCH
SOURCE_DATE_EPOCH=$(dpkg-parsechangelog -l mingw/debian/changelog -STimestamp)
# GCC as released: Debian's cross compiler applies no patch to these libraries.
dpkg-deb --fsys-tarfile src/gcc-12-source_*.deb |
  tar -xO "./usr/src/gcc-12/gcc-$gcc_release-dfsg.tar.xz" |
  tar -xJ --exclude="gcc-$gcc_release/"{gcc/testsuite,gcc/ada,gcc/fortran,gcc/d,gcc/go,gcc/po,gcc/doc} \
    --exclude="gcc-$gcc_release/"{libgo,libphobos,libgfortran,libada,libsanitizer,libjava,libgomp,gnattools} \
    --exclude="gcc-$gcc_release/libstdc++-v3/testsuite/*/*"
gcc=$work/gcc-$gcc_release

# Work paths must not reach the output: it is cached and compared across machines.
flags="-O2 -march=i486 -ffile-prefix-map=$work=."
mkdir -p obj/crt/lib32 obj/gcc obj/libgcc obj/libstdc++ lib

echo "runtime: mingw-w64 CRT"
(cd obj/crt && CC=$cc CFLAGS="$flags" "$work/mingw/mingw-w64-crt/configure" --build="$(gcc -dumpmachine)" \
  --host=$target --prefix=/usr/$target --enable-lib32 --disable-lib64 >configure.log 2>&1 &&
  make -j"$jobs" lib32/crt2.o lib32/libmingw32.a lib32/libmingwex.a lib32/libmsvcrt.a >make.log 2>&1) ||
  { tail -30 obj/crt/*.log >&2; exit 1; }
cp obj/crt/lib32/{crt2.o,libmingw32.a,libmingwex.a,libmsvcrt.a} lib/

# libgcc on its own expects GCC's object folder: the installed compiler's plugin
# headers hold tm.h, options.h, insn-*.h and auto-host.h; tconfig.h is made as
# GCC's build makes it, and libgcc.mvars carries GCC's flags for the library.
echo "runtime: libgcc"
plugin=$($cc -print-file-name=plugin)/include
cp "$plugin"/{tm.h,tm_p.h,tm-preds.h,options.h,auto-host.h} "$plugin"/insn-*.h obj/gcc/
(cd obj/gcc && HEADERS="auto-host.h ansidecl.h config/i386/xm-mingw32.h" DEFINES=USED_FOR_TARGET \
  TARGET_CPU_DEFAULT="" bash "$gcc/gcc/mkconfig.sh" tconfig.h)
cat >obj/gcc/libgcc.mvars <<'EOF'
GCC_CFLAGS = -DIN_GCC -DCROSS_DIRECTORY_STRUCTURE -W -Wall -Wwrite-strings -Wcast-qual -Wstrict-prototypes -Wmissing-prototypes -Wold-style-definition -isystem ./include
INHIBIT_LIBC_CFLAGS =
TARGET_SYSTEM_ROOT =
NO_PIE_CFLAGS =
EOF
(cd obj/libgcc && CC=$cc CFLAGS="$flags" "$gcc/libgcc/configure" --build="$(gcc -dumpmachine)" \
  --host=$target --target=$target --enable-shared >configure.log 2>&1 &&
  make -j"$jobs" gcc_objdir="$work/obj/gcc" LIBGCC2_DEBUG_CFLAGS= \
    libgcc.a libgcc_eh.a crtbegin.o crtend.o >make.log 2>&1) ||
  { tail -30 obj/libgcc/*.log >&2; exit 1; }
cp obj/libgcc/{libgcc.a,libgcc_eh.a,crtbegin.o,crtend.o} lib/

# libstdc++ against its own headers, configured as Debian's cross compiler was: with
# the DLL, whose flags (-D_GLIBCXX_SHARED) the static library's objects share, and
# GNU symbol versions, which make its c++config.h the installed one. No rdrand or
# rdseed: a 486 has neither.
echo "runtime: libstdc++"
(cd obj/libstdc++ && CC=$cc CXX="$cxx -nostdinc++" CFLAGS="$flags" CXXFLAGS="$flags" \
  ac_cv_x86_rdrand=no ac_cv_x86_rdseed=no \
  "$gcc/libstdc++-v3/configure" --build="$(gcc -dumpmachine)" --host=$target --target=$target \
    --enable-shared --enable-static --disable-multilib --enable-threads=win32 \
    --enable-libstdcxx-time=yes --enable-fully-dynamic-string --enable-symvers=gnu \
    --disable-libstdcxx-pch >configure.log 2>&1 &&
  make -j"$jobs" -C include >make.log 2>&1 &&
  make -j"$jobs" -C libsupc++ >>make.log 2>&1 &&
  make -j"$jobs" -C src >>make.log 2>&1) ||
  { tail -30 obj/libstdc++/*.log >&2; exit 1; }
cp obj/libstdc++/src/.libs/libstdc++.a obj/libstdc++/libsupc++/.libs/libsupc++.a lib/

printf 'mingw-w64 %s\ngcc-12-source %s\n' "$mingw_version" "$gcc_version" >lib/SOURCES
bash "$here/compare.sh" lib | tee lib/COMPARISON
# Another build may have got there first; its output is the same.
mv -T lib "$out" 2>/dev/null || [ -f "$out/COMPARISON" ]
