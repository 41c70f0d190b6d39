#!/usr/bin/env bash
# Cross-builds kalyxcomms.dll and its tests for 64-bit Windows with mingw-w64 and runs the tests
# under wine, in a scratch wine prefix that is removed at the end.
#
#   ./scripts/windows.sh           build and test
#   ./scripts/windows.sh --bench   also build the benchmarks and run them under wine
#
# The simulators the tests talk to run natively: they come from the Linux build in
# $KALYX_NATIVE_BUILD (default build/, configured here when missing).
set -euo pipefail
cd "$(dirname "$0")/.."

bench=OFF
[ "${1:-}" = "--bench" ] && bench=ON
jobs=$(nproc)
native=${KALYX_NATIVE_BUILD:-build}
sources=${KALYX_WIN_SOURCES:-build-win-sources}
started=$(date +%s)
stage() { echo "== windows: $* ($(( $(date +%s) - started )) s)"; }

# 1. Packages: the project's own (for the native simulator), the cross compiler (posix thread
# model), wine, GoogleTest's sources, and dpkg-source for the sources below.
./scripts/setup.sh
packages=(g++-mingw-w64-x86-64-posix wine wine64 googletest dpkg-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
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
  apt_dir=$(mktemp -d)
  mkdir -p "$apt_dir/lists/partial" "$apt_dir/parts" "$sources"
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -e "$f" ] && sed 's/^Types: deb$/Types: deb-src/' "$f" > "$apt_dir/parts/$(basename "$f")"
  done
  if [ -s /etc/apt/sources.list ]; then
    sed -n 's/^deb /deb-src /p' /etc/apt/sources.list > "$apt_dir/parts/main.list"
  fi
  apt_options=(-o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$apt_dir/parts"
               -o "Dir::State::Lists=$apt_dir/lists")
  apt-get "${apt_options[@]}" update -qq
  (cd "$sources" && apt-get "${apt_options[@]}" source -qq "${fetch[@]}" 2>&1 |
     grep -v 'Download is performed unsandboxed' || true)
  rm -rf "$apt_dir"
fi
pugixml_dir=$(ls -d "$PWD/$sources"/pugixml-[0-9]* | tail -n 1)
benchmark_dir=""
[ "$bench" = ON ] && benchmark_dir=$(ls -d "$PWD/$sources"/benchmark-[0-9]* | tail -n 1)
stage "sources ready"

# 3. The native simulator and the broker that starts simulators for the tests under wine.
if [ ! -f "$native/build.ninja" ]; then
  cmake -S . -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$native" -j "$jobs" --target kalyxsim sim_broker

# 4. The Windows build.
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" -DKALYX_BUILD_BENCHMARKS=$bench \
      -DKALYX_PUGIXML_SOURCE_DIR="$pugixml_dir" -DKALYX_BENCHMARK_SOURCE_DIR="$benchmark_dir"
cmake --build build-win -j "$jobs"
stage "built"

# 5. A scratch wine prefix, headless, without wine-mono and wine-gecko. One persistent wineserver
# and wine's services started before the tests: otherwise each test process pays seconds of
# start-up, and the first one hands wine's services ctest's output pipe (ctest then waits for
# them until the time-out).
export WINEPREFIX
WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/kalyx-wine.XXXXXX")
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  rm -rf "$WINEPREFIX" "${banners:-}"
}
trap cleanup EXIT
# The persistent server comes first: once any wineserver runs, "wineserver -p" only fails.
wineserver -p
wine wineboot --init >/dev/null 2>&1
stage "wine prefix ready"

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
"$native/tests/windows/sim_broker" --lifetime 1200 > "$banners/broker" &
pids+=($!)
"$native/tools/kalyxsim/kalyxsim" --port 0 --quiet > "$banners/sim" 2>/dev/null &
pids+=($!)
KALYX_SIM_BROKER=$(banner "$banners/broker" "broker ")
KALYX_SIM_PORT=$(banner "$banners/sim" "listening on 127.0.0.1:")
export KALYX_SIM_BROKER KALYX_SIM_PORT

# 6. The tests, each with a time-out.
CTEST_OUTPUT_ON_FAILURE=1 ctest --test-dir build-win -j "$jobs" --timeout 300
stage "tests passed"

if [ "$bench" = ON ]; then
  for b in build-win/bin/*_bench.exe; do
    wine "$b"
  done
  stage "benchmarks run (under wine: they tell about wine, not about Windows)"
fi
