#!/usr/bin/env bash
# Cross-builds kalyxcomms.dll, kalyxprn.exe, the window kalyxprntool.exe and their tests for
# 64-bit Windows with mingw-w64, packs the portable bundle (build-win/package/kalyx-VERSION-win64.zip)
# and the installer (kalyx-VERSION-win64-installer.exe beside it), and runs the tests under wine,
# in scratch wine prefixes on a virtual X display, all removed at the end. Qt for Windows comes
# from scripts/qt-mingw.sh, QtSvg and zint from scripts/windows-libs.sh (each built once, then
# kept in a cache).
#
#   ./scripts/windows.sh                build and test
#   ./scripts/windows.sh --bench        also build the benchmarks and run them under wine
#   ./scripts/windows.sh --screenshot   also put the screenshots of the bundle's and the installed
#                                       window in docs/screenshots/
#
# The simulators the tests talk to and the kalyxprn the Windows one is compared with run
# natively: they come from the Linux build in $KALYX_NATIVE_BUILD (default build/, configured
# here when missing).
set -euo pipefail
cd "$(dirname "$0")/.."

bench=OFF
screenshot=no
for arg in "$@"; do
  case $arg in
    --bench) bench=ON ;;
    --screenshot) screenshot=yes ;;
    *) echo "usage: $0 [--bench] [--screenshot]" >&2; exit 2 ;;
  esac
done
jobs=$(nproc)
native=$(realpath -m "${KALYX_NATIVE_BUILD:-build}")
sources=${KALYX_WIN_SOURCES:-build-win-sources}
started=$(date +%s)
stage() { echo "== windows: $* ($(( $(date +%s) - started )) s)"; }

# 1. Packages: the project's own (for the native simulator), the cross compiler (posix thread
# model), wine with its fonts (the dialog font, the caption buttons), GoogleTest's sources, and
# dpkg-source for the sources below (make and perl also build Qt for Windows when its cache is
# missing).
./scripts/setup.sh g++-mingw-w64-x86-64-posix wine wine64 fonts-wine googletest dpkg-dev make perl \
  nsis
stage "packages ready"

# 2. Debian ships pugixml and Google Benchmark for Linux only: unpack their Debian source
# packages, fetched through a private source list (the machine's apt configuration is untouched).
wanted=(pugixml)
[ "$bench" = ON ] && wanted+=(benchmark)
fetch=()
for name in "${wanted[@]}"; do
  compgen -G "$sources/$name-[0-9]*/CMakeLists.txt" >/dev/null || fetch+=("$name")
done
if [ ${#fetch[@]} -gt 0 ]; then
  ./scripts/apt-source.sh "$sources" "${fetch[@]}"
fi
pugixml_dir=$(ls -d "$PWD/$sources"/pugixml-[0-9]* | tail -n 1)
qt=$(./scripts/qt-mingw.sh | tail -n 1)
zint=$(./scripts/windows-libs.sh "$qt" | tail -n 1)
benchmark_dir=""
[ "$bench" = ON ] && benchmark_dir=$(ls -d "$PWD/$sources"/benchmark-[0-9]* | tail -n 1)
stage "sources ready"

# 3. The native simulator and the broker that starts simulators for the tests under wine.
if [ ! -f "$native/build.ninja" ]; then
  cmake -S . -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$native" -j "$jobs" --target kalyxsim sim_broker kalyxprn

# 4. The Windows build.
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" -DKALYX_BUILD_BENCHMARKS=$bench \
      -DKALYX_PUGIXML_SOURCE_DIR="$pugixml_dir" -DKALYX_BENCHMARK_SOURCE_DIR="$benchmark_dir" \
      -DCMAKE_FIND_ROOT_PATH="$qt" -DKALYX_ZINT_PREFIX="$zint" -DKALYX_NATIVE_BUILD="$native"
cmake --build build-win -j "$jobs"
(cd build-win && cpack -G ZIP > /dev/null)
bundle=$(ls build-win/package/kalyx-*-win64.zip)
cmake --build build-win --target installer > /dev/null
installer=$(ls build-win/package/kalyx-*-win64-installer.exe)
stage "built, $bundle and $installer packed"

# 5. Scratch wine prefixes without wine-mono and wine-gecko, on a virtual X display of our own
# (the window needs one, and wine's session must start inside it): one for the tests, and an
# empty one for the bundle. Each has one persistent wineserver and wine's services started
# before any test: otherwise each test process pays seconds of start-up, and the first one hands
# wine's services ctest's output pipe (ctest then waits for them until the time-out).
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
prefixes=()
pids=()
xvfb=""
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  for prefix in "${prefixes[@]}"; do
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
    WINEPREFIX=$prefix wineserver -w 2>/dev/null || true
    rm -rf "$prefix"
  done
  if [ -n "$xvfb" ]; then kill "$xvfb" 2>/dev/null || true; wait "$xvfb" 2>/dev/null || true; fi
  rm -rf "${banners:-}"
}
trap cleanup EXIT
display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3> "$display_file" 2>/dev/null &
xvfb=$!
for _ in $(seq 100); do [ -s "$display_file" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n 1 "$display_file")"
rm -f "$display_file"
[ "$DISPLAY" != ":" ] || { echo "Xvfb did not start" >&2; exit 1; }

# Makes a new prefix the current WINEPREFIX.
new_prefix() {
  WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/kalyx-wine.XXXXXX")
  prefixes+=("$WINEPREFIX")
  # The persistent server comes first: once any wineserver runs, "wineserver -p" only fails.
  wineserver -p
  wine wineboot --init >/dev/null 2>&1
  # wine's own TrueType fonts (Tahoma for dialogs, Marlett for the caption buttons) are used
  # from the prefix's Fonts folder only.
  cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
  # wine stops its services once no program of the prefix has run for a few seconds, and a
  # window program that starts them again waits 10 s for the RPC service. A console program
  # waiting on a pipe keeps them up until the end.
  local keeper_input keeper
  keeper_input=$(mktemp -u)
  mkfifo "$keeper_input"
  wine cmd.exe /c pause < "$keeper_input" > /dev/null 2>&1 &
  pids+=($!)
  exec {keeper}> "$keeper_input"
  rm -f "$keeper_input"
  # No window manager runs on the display: wine draws the window frames itself, and does not
  # wait 2 s for a window manager each time a window is hidden.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f > /dev/null
}
new_prefix
# Programs in build-win/bin find Qt's DLLs and the mingw runtime they need through WINEPATH.
runtime_dirs=()
for dll in libstdc++-6.dll libwinpthread-1.dll; do
  runtime_dirs+=("Z:$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=$dll)")")
done
WINEPATH="Z:$qt/bin;$(IFS=';'; echo "${runtime_dirs[*]}")"
export WINEPATH
stage "wine prefix ready on display $DISPLAY"

# Waits (bounded) for the line of `file` that starts with `prefix`, and prints the rest of it.
banner() {
  local file=$1 prefix=$2 line
  for _ in $(seq 100); do
    line=$(grep -m1 "^$prefix" "$file" || true)
    [ -n "$line" ] && { echo "${line#"$prefix"}"; return 0; }
    sleep 0.1
  done
  echo "no '$prefix' line in $file" >&2
  return 1
}
banners=$(mktemp -d)
"$native/tests/win32/sim_broker" --lifetime 1200 > "$banners/broker" &
pids+=($!)
"$native/tools/kalyxsim/kalyxsim" --port 0 --quiet > "$banners/sim" 2>/dev/null &
pids+=($!)
KALYX_SIM_BROKER=$(banner "$banners/broker" "broker ")
KALYX_SIM_PORT=$(banner "$banners/sim" "listening on 127.0.0.1:")
export KALYX_SIM_BROKER KALYX_SIM_PORT

# 6. The tests, each with a time-out.
CTEST_OUTPUT_ON_FAILURE=1 ctest --test-dir build-win -j "$jobs" --timeout 300
stage "tests passed"

# 7. The bundle alone: unpacked into an empty prefix and run without WINEPATH, its kalyxprn.exe
# writes the sample job and its window opens it.
new_prefix
./tests/win32/bundle_smoke.sh "$bundle" "build-win/windows.png"
if [ "$screenshot" = yes ]; then
  cp build-win/windows.png docs/screenshots/windows.png
fi
stage "bundle smoke run passed"

# 8. The installer, in an empty prefix of its own: upgrade, file types, uninstall.
new_prefix
version=${bundle##*/kalyx-}
version=${version%-win64.zip}
./tests/win32/installer_test.sh "$installer" build-win/installer-stage "$version" \
  build-win/windows-installed.png
if [ "$screenshot" = yes ]; then
  cp build-win/windows-installed.png docs/screenshots/windows-installed.png
fi
stage "installer test passed"

if [ "$bench" = ON ]; then
  for b in build-win/bin/*_bench.exe; do
    wine "$b"
  done
  stage "benchmarks run (under wine: they tell about wine, not about Windows)"
fi
