#!/usr/bin/env bash
# Installs what is missing, builds everything, and runs every test twice: once plainly and once
# with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/setup.sh

jobs=$(nproc)
export CTEST_OUTPUT_ON_FAILURE=1

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs"
ctest --test-dir build -j "$jobs" --timeout 300

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKALYX_SANITIZE=ON \
      -DKALYX_BUILD_BENCHMARKS=OFF
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:fast_unwind_on_malloc=0:verify_asan_link_order=0 \
LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan -j "$jobs" --timeout 600

# The fuzzers (libFuzzer needs clang): replay the generated seed corpora, then a short fresh run.
cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 -DKALYX_BUILD_FUZZERS=ON \
      -DKALYX_BUILD_BENCHMARKS=OFF
cmake --build build-fuzz -j "$jobs" --target fuzz_prn_load fuzz_sim_requests \
  fuzz_card_design fuzz_csv_read fuzz_truetype_font fuzz_printer_answers
ctest --test-dir build-fuzz -R '^fuzz_' --timeout 300
# Each fuzzer with its seed folder (TARGET:CORPUS, both under build-fuzz/fuzz/FOLDER).
for f in document/fuzz_prn_load:corpus sim/fuzz_sim_requests:corpus \
         carddesign/fuzz_card_design:corpus/design carddesign/fuzz_csv_read:corpus/csv \
         carddesign/fuzz_truetype_font:corpus/font \
         comms/fuzz_printer_answers:corpus; do
  target=${f%%:*}
  scratch=$(mktemp -d)
  ASAN_OPTIONS=detect_leaks=0 "build-fuzz/fuzz/$target" -max_total_time=15 -print_final_stats=0 \
    "$scratch" "build-fuzz/fuzz/${target%/*}/${f#*:}" 2>&1 | tail -n 1
  rm -rf "$scratch"
done

# The library cross-built for Windows, its tests run under wine.
./scripts/windows.sh

echo "All tests passed (plain, sanitized, fuzzed, and Windows under wine)."
