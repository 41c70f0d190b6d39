#!/usr/bin/env bash
# Cross-builds the libraries the card designs need on Windows from Debian's own source packages,
# once, into the cache beside Qt's (scripts/qt-mingw.sh): QtSvg into the Qt prefix given, zint
# (barcodes; static, without PNG or Qt) into a prefix of its own. A complete cache is reused.
# Prints the zint prefix on its last line.
#   scripts/windows-libs.sh QT_PREFIX
set -euo pipefail
cd "$(dirname "$0")/.."
qt=$1
cache_root=${KALYX_CACHE:-/var/cache/kalyx}
package_version() {
  apt-cache show --no-all-versions "$1" 2>/dev/null | sed -n 's/^Version: //p' | head -n 1
}
svg_version=$(package_version libqt5svg5-dev)
zint_version=$(package_version libzint-dev)
[ -n "$svg_version" ] && [ -n "$zint_version" ] ||
  { echo "windows-libs: cannot tell the QtSvg and zint versions" >&2; exit 1; }
zint="$cache_root/zint-mingw-${zint_version//[:+~]/_}"
complete() {
  [ "$(cat "$qt/.qtsvg-complete" 2>/dev/null)" = "$svg_version" ] && [ -f "$zint/.complete" ]
}
if complete; then echo "$zint"; exit 0; fi

# One build at a time; a run that waited here finds the cache complete.
mkdir -p "$cache_root"
exec 8> "$cache_root/windows-libs.lock"
flock 8
if complete; then echo "$zint"; exit 0; fi

work=$(mktemp -d "${TMPDIR:-/tmp}/windows-libs.XXXXXX")
trap 'rm -rf "$work"' EXIT
./scripts/apt-source.sh "$work" "qtsvg-opensource-src=$svg_version" "zint=$zint_version" > /dev/null

# The Qt build calls the unsuffixed tool names; point them at the posix thread model.
mkdir -p "$work/bin"
for t in gcc g++ gcc-ar gcc-ranlib; do
  ln -s "/usr/bin/x86_64-w64-mingw32-$t-posix" "$work/bin/x86_64-w64-mingw32-$t"
done

if [ ! -f "$zint/.complete" ]; then
  echo "windows-libs: building zint $zint_version for Windows into $zint" >&2
  src=$(find "$work" -maxdepth 1 -type d -name 'zint-*' | head -n 1)
  rm -rf "$zint"
  # Only the static library: its header and the archive are all a program needs.
  (cmake -S "$src" -B "$work/zint" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
     -DCMAKE_BUILD_TYPE=Release -DZINT_USE_QT=OFF -DZINT_USE_PNG=OFF -DZINT_STATIC=ON &&
   nice -n 10 cmake --build "$work/zint" -j "$(nproc)" --target zint-static) \
    > "$work/zint.log" 2>&1 || { tail -n 40 "$work/zint.log" >&2; exit 1; }
  mkdir -p "$zint/include" "$zint/lib"
  cp "$src/backend/zint.h" "$zint/include/"
  cp "$work/zint/backend/libzint-static.a" "$zint/lib/"
  echo "$zint_version" > "$zint/.complete"
fi

if [ "$(cat "$qt/.qtsvg-complete" 2>/dev/null)" != "$svg_version" ]; then
  [ -f "$qt/.complete" ] || { echo "windows-libs: no complete Qt for Windows in $qt" >&2; exit 1; }
  echo "windows-libs: building QtSvg $svg_version for Windows into $qt" >&2
  src=$(find "$work" -maxdepth 1 -type d -name 'qtsvg-opensource-src-*' | head -n 1)
  mkdir -p "$work/qtsvg" && cd "$work/qtsvg"
  (export PATH="$work/bin:$PATH"
   "$qt/bin/qmake" "$src/qtsvg.pro" > "$work/qtsvg.log" 2>&1 &&
   nice -n 10 make -j"$(nproc)" >> "$work/qtsvg.log" 2>&1 &&
   make install >> "$work/qtsvg.log" 2>&1) || { tail -n 40 "$work/qtsvg.log" >&2; exit 1; }
  echo "$svg_version" > "$qt/.qtsvg-complete"
  cd - > /dev/null
fi

echo "$zint"
