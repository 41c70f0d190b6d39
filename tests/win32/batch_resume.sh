#!/usr/bin/env bash
# kalyxprn.exe batch under wine prints the example badges to a pool of two native simulators that
# take a while per card. A second batch on the same journal is refused while one runs; runs killed
# at random moments (SIGKILL to the wine process, which takes its journal lock with it) and run
# again, with uncertain rows confirmed as the simulators' folders tell, end with every row stored
# exactly once across both simulators.
# wine keeps the socket of a killed process open now and then (the wineserver holds it, where
# Windows would close it), and a printer then waits for the rest of that job for ever: after each
# kill the simulators are switched off and on again, storing into the same folders.
#   batch_resume.sh LINUX_KALYXSIM WINDOWS_KALYXPRN_EXE EXAMPLES_DIR
set -euo pipefail
sim=$(realpath "$1")
kalyxprn=$(realpath "$2")
examples=$(realpath "$3")
work=$(mktemp -d "${TMPDIR:-/tmp}/kalyx-batch-resume.XXXXXX")
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill -KILL "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "batch resume: $*" >&2; exit 1; }
cd "$work"
cp -r "$examples/badge" badge
mkdir out
export SOURCE_DATE_EPOCH=1700000000

# The job each row makes, by its bytes: what the printers may store, once each.
wine "$kalyxprn" batch badge/badge.card.json badge/people.csv --name '${ID}' -o expected \
  > /dev/null || fail "batch -o failed"
declare -A row_of
for job in expected/*.prn; do
  row_of[$(sha256sum < "$job" | cut -c1-64)]=$(basename "$job" .prn)
done
[ ${#row_of[@]} -ge 10 ] && [ ${#row_of[@]} -eq "$(ls expected | wc -l)" ] ||
  fail "the example made ${#row_of[@]} different jobs"

mkdir jobs-1 jobs-2
sims=()
# (Re)starts both simulators; sets `batch`, the command line without its confirmations.
start_printers() {
  local printer port pid
  for pid in "${sims[@]}"; do
    kill "$pid"
    wait "$pid" 2>/dev/null || true
  done
  sims=()
  batch=(batch badge/badge.card.json badge/people.csv --key ID)
  for printer in 1 2; do
    "$sim" --port 0 --quiet --jobs "jobs-$printer" --print-time 0.4 --hopper 1000 \
      > "sim-$printer.out" 2>&1 &
    sims+=($!)
    pids+=($!)
    port=""
    for _ in $(seq 100); do
      port=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "sim-$printer.out" 2>/dev/null ||
               true)
      [ -n "$port" ] && break
      sleep 0.1
    done
    [ -n "$port" ] || fail "simulator $printer did not start: $(cat "sim-$printer.out")"
    batch+=(--tcp "127.0.0.1:$port")
  done
}
start_printers

# Prints "ROW COUNT" for each row stored so far ("stranger COUNT" for jobs that are no row's).
stored() {
  local job sum
  for job in jobs-*/*.prn; do
    [ -f "$job" ] || continue
    sum=$(sha256sum < "$job" | cut -c1-64)
    echo "${row_of[$sum]:-stranger}"
  done | sort | uniq -c | awk '{print $2, $1}'
}
# A card a printer took is printed even when the batch died: wait until the printers are idle.
wait_idle() {
  local before after=unknown
  for _ in $(seq 50); do
    before=$after
    sleep 0.6
    after=$(stored)
    [ "$before" = "$after" ] && return 0
  done
  fail "the printers did not fall idle"
}
# Runs start straight from this shell, so that $! is the wine process itself.
# Confirms each uncertain row named in $1 as an operator would after looking at the cards.
confirmations() {
  local key
  wait_idle
  for key in $(grep -o -- '--confirm [^ =]*=printed' "$1" | sed 's/--confirm \(.*\)=printed/\1/' |
               sort -u); do
    if stored | grep -q "^$key "; then echo "--confirm $key=printed"; else echo "--confirm $key=reprint"; fi
  done
}

# One batch at a time: the lock is LockFileEx's, held by the running process.
wine "$kalyxprn" "${batch[@]}" > out/first.out 2> out/first.err &
first=$!
pids+=("$first")
for _ in $(seq 200); do
  grep -qs sending badge/people.csv.journal && break
  kill -0 "$first" 2>/dev/null || fail "the first run ended early: $(cat out/first.err)"
  sleep 0.1
done
status=0
wine "$kalyxprn" "${batch[@]}" > out/second.out 2> out/second.err || status=$?
[ "$status" -eq 1 ] && grep -q "another batch is running on the journal" out/second.err ||
  fail "a second batch on the journal got status $status: $(cat out/second.err)"
kill -KILL "$first"
wait "$first" 2>/dev/null || true
wait_idle
start_printers

# Killed runs at random moments, then runs to the end; the first one after a kill must get the
# lock the killed process held.
confirm=()
status=-1
for run in $(seq 12); do
  wine "$kalyxprn" "${batch[@]}" "${confirm[@]}" > "out/$run.out" 2> "out/$run.err" &
  pid=$!
  pids+=("$pid")
  if [ "$run" -le 5 ]; then
    sleep "$((RANDOM % 3 + 1)).$((RANDOM % 10))"
    kill -KILL "$pid" 2>/dev/null || true
  fi
  status=0
  wait "$pid" || status=$?
  # A kill may land anywhere, also in wine's start or the run's own end: what a killed run
  # says is not checked, what it left behind is.
  if [ "$run" -le 5 ]; then
    wait_idle
    start_printers
  fi
  confirm=()
  grep -q "another batch is running" "out/$run.err" && fail "run $run found the journal locked"
  if [ "$status" -eq 1 ] && grep -q -- "--confirm" "out/$run.err"; then
    read -r -a confirm <<< "$(confirmations "out/$run.err" | tr '\n' ' ')"
  elif [ "$run" -gt 5 ] && [ "$status" -ne 0 ]; then
    fail "run $run exited with status $status: $(cat "out/$run.err")"
  fi
  [ "$run" -gt 5 ] && [ "$status" -eq 0 ] && break
done
[ "$status" -eq 0 ] || fail "the batch did not finish in 12 runs: $(cat "out/$run.err")"

wait_idle
counts=$(stored)
! grep -q '^stranger ' <<< "$counts" || fail "the printers stored jobs that are no row's"
for row in "${row_of[@]}"; do
  times=$(awk -v row="$row" '$1 == row {print $2}' <<< "$counts")
  [ "${times:-0}" -eq 1 ] || fail "row $row was printed ${times:-0} times"
done
for printer in 1 2; do
  [ -n "$(ls "jobs-$printer")" ] || fail "simulator $printer printed nothing"
done
echo "batch resume: ${#row_of[@]} rows printed once each in $run runs after 5 kills"
