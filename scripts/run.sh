#!/usr/bin/env bash
# Installs what is missing, builds the programs, writes a demonstration job and shows it: in the
# window when a display is available, otherwise through the command-line tool.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/setup.sh

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
targets=(kalyxprn kalyxsim)
[ -f app/KlxPrnTool.ui ] && targets+=(kalyxprntool)
cmake --build build -j "$(nproc)" --target "${targets[@]}"

mkdir -p out
kalyxprn=build/tools/kalyxprn/kalyxprn
"$kalyxprn" sample -o out/sample.prn
echo "Wrote out/sample.prn"
"$kalyxprn" check out/sample.prn
"$kalyxprn" info out/sample.prn
"$kalyxprn" render out/sample.prn --side 0 -o out/sample-front.png
"$kalyxprn" render out/sample.prn --side 1 -o out/sample-back.png
echo "Front and back pictures: out/sample-front.png, out/sample-back.png"
"$kalyxprn" mag out/sample.prn

tool=build/app/kalyxprntool
if [ -x "$tool" ]; then
  if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "Opening the window on out/sample.prn"
    exec "$tool" out/sample.prn
  else
    echo "No display: to see the window, run  $tool out/sample.prn  on a desktop"
    echo "(or under a virtual display:  xvfb-run -a $tool out/sample.prn)."
  fi
fi
