#!/usr/bin/env bash
# The price of CUPS for a batch: the same cards through a class of three simulators on a private
# scheduler (--queue) and straight to the three over TCP, as a ratio of wall times (one run).
# Needs root (a private cupsd). Usage: bench/batch/batch_queue_bench.sh [BUILD_DIR] [CARDS]
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$repo/build}" && pwd)
export KALYX_BACKEND=$build/tools/cups/kalyx KALYXSIM=$build/tools/kalyxsim/kalyxsim
export PACKAGING=$repo/packaging
source "$repo/tests/cups/cups_harness.sh"
skip_unless_root
start_cupsd
printers=""
for name in a b c; do
    start_sim "$name" --print-time 0.25 --hopper 100000
    add_queue "card-$name" "kalyx://tcp/127.0.0.1:$sim_port"
    lpadmin -p "card-$name" -c cards
    printers="$printers 127.0.0.1:$sim_port"
done
cupsenable cards
cupsaccept cards
KALYX_BENCH_QUEUE=cards KALYX_BENCH_TCP=$printers KALYX_BENCH_CARDS=${2:-24} \
    "$build/bench/batch/batch_bench" --benchmark_filter=Queue
