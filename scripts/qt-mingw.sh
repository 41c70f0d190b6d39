#!/usr/bin/env bash
# Cross-builds Qt 5 (qtbase) for 64-bit Windows with mingw-w64 from Debian's own source package and
# installs it into a cache folder outside the repository, keyed by the source version. A complete
# cache is reused: only a fresh machine pays the build (about 17 minutes on two cores).
# Prints the prefix on its last line.
set -euo pipefail

cache_root=${KALYX_CACHE:-/var/cache/kalyx}
version=$(apt-cache show --no-all-versions qtbase5-dev 2>/dev/null | sed -n 's/^Version: //p' | head -1)
[ -n "$version" ] || { echo "qt-mingw: cannot tell the qtbase version" >&2; exit 1; }
prefix="$cache_root/qt5-mingw-${version//[:+~]/_}"
if [ -f "$prefix/.complete" ]; then echo "$prefix"; exit 0; fi

# One build at a time; a run that waited here finds the cache complete.
mkdir -p "$cache_root"
exec 8> "$cache_root/qt5-mingw.lock"
flock 8
if [ -f "$prefix/.complete" ]; then echo "$prefix"; exit 0; fi
echo "qt-mingw: building Qt $version for Windows into $prefix (about 17 minutes on 2 idle cores)" >&2

work=$(mktemp -d "${TMPDIR:-/tmp}/qt-mingw.XXXXXX")
trap 'rm -rf "$work"' EXIT

# apt-get source with a private deb-src list: /etc/apt stays untouched.
mkdir -p "$work/apt/lists/partial" "$work/apt/parts"
if [ -f /etc/apt/sources.list.d/debian.sources ]; then
  sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources > "$work/apt/parts/src.sources"
else
  sed -n 's/^deb /deb-src /p' /etc/apt/sources.list > "$work/apt/parts/src.list"
fi
apt_opts=(-o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$work/apt/parts"
          -o "Dir::State::Lists=$work/apt/lists")
apt-get "${apt_opts[@]}" -qq update
(cd "$work" && apt-get "${apt_opts[@]}" -qq source "qtbase-opensource-src=$version" >/dev/null 2>&1 ||
               apt-get "${apt_opts[@]}" -qq source qtbase-opensource-src >/dev/null)
src=$(find "$work" -maxdepth 1 -type d -name 'qtbase-opensource-src-*' | head -1)

# Qt's configure calls the unsuffixed tool names; point them at the posix thread model.
mkdir -p "$work/bin"
for t in gcc g++ gcc-ar gcc-ranlib; do
  ln -s "/usr/bin/x86_64-w64-mingw32-$t-posix" "$work/bin/x86_64-w64-mingw32-$t"
done
export PATH="$work/bin:$PATH"

rm -rf "$prefix"
mkdir -p "$work/build" && cd "$work/build"
"$src/configure" -xplatform win32-g++ -device-option CROSS_COMPILE=x86_64-w64-mingw32- \
  -prefix "$prefix" -opensource -confirm-license -release -shared -nomake examples -nomake tests \
  -no-opengl -no-dbus -no-icu -no-openssl -no-freetype -no-fontconfig \
  -qt-zlib -qt-libpng -qt-libjpeg -qt-pcre -qt-harfbuzz \
  -no-feature-sql -no-feature-tabletevent -no-feature-network -no-feature-printer \
  -no-feature-concurrent -no-feature-xml > "$work/configure.log" 2>&1 ||
  { tail -n 40 "$work/configure.log" >&2; exit 1; }
nice -n 10 make -j"$(nproc)" > "$work/make.log" 2>&1 || { tail -n 60 "$work/make.log" >&2; exit 1; }
make install > /dev/null
echo "$version" > "$prefix/.complete"
echo "$prefix"
