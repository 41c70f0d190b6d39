#!/usr/bin/env bash
# The price of the queue: N card jobs through a private CUPS scheduler and the kalyx backend to
# kalyxsim, against N direct `kalyxprn send --tcp` calls to the same simulator, as a ratio of
# wall times. Needs root (a private cupsd).
# Usage: bench/cups/cups_bench.sh [BUILD_DIR] [N] [large|small]
# large: the two-sided YMCK sample (5.2 MB); small: a one-side job of 4 KB, where the queue's own
# cost shows most.
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$repo/build}" && pwd)
count=${2:-100}
kind=${3:-large}
export KALYX_BACKEND=$build/tools/cups/kalyx KALYXSIM=$build/tools/kalyxsim/kalyxsim
export PACKAGING=$repo/packaging
kalyxprn=$build/tools/kalyxprn/kalyxprn
source "$repo/tests/cups/cups_harness.sh"
skip_unless_root

now() { date +%s.%N; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.3f", b - a }'; }
stored_in() { find "$scratch/jobs-$1" -name '*.prn' | wc -l; }
stored_at_least() { [ "$(stored_in "$1")" -ge "$2" ]; }

if [ "$kind" = small ]; then
    "$kalyxprn" compose --front "$repo/app/resources/kalyxprntool.png" \
        --option card-options/width=506 --option card-options/height=2 -o "$scratch/card.prn" >/dev/null
else
    "$kalyxprn" sample -o "$scratch/card.prn" >/dev/null
fi
start_cupsd
start_sim direct
direct_port=$sim_port
start_sim queued
add_queue card1 "kalyx://tcp/127.0.0.1:$sim_port"

# Direct: one kalyxprn process per job, one after the other, as a script would print.
t0=$(now)
for _ in $(seq "$count"); do
    "$kalyxprn" send "$scratch/card.prn" --tcp "127.0.0.1:$direct_port" >/dev/null
done
wait_for 60 stored_at_least direct "$count" || fail "direct: $(stored_in direct) of $count"
direct=$(since "$t0")

# Queued: N submissions with lp, until the simulator has stored all N.
t0=$(now)
for _ in $(seq "$count"); do submit card1 "$scratch/card.prn" >/dev/null; done
submitted=$(since "$t0")
wait_for 600 stored_at_least queued "$count" || fail "queued: $(stored_in queued) of $count"
queued=$(since "$t0")

size=$(stat -c %s "$scratch/card.prn")
awk -v n="$count" -v size="$size" -v d="$direct" -v q="$queued" -v s="$submitted" 'BEGIN {
    printf "jobs: %d of %d bytes each\n", n, size
    printf "direct kalyxprn send: %.2f s (%.1f ms per job)\n", d, d * 1000 / n
    printf "through CUPS:         %.2f s (%.1f ms per job; the lp submissions took %.2f s)\n", q, q * 1000 / n, s
    printf "ratio CUPS / direct:  %.2fx\n", q / d
}'
