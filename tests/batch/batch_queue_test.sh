#!/usr/bin/env bash
# kalyxprn batch --queue end to end: a private scheduler with a class of two simulators, and a
# second private scheduler whose queue forwards over IPP on 127.0.0.1 to the first (--server).
# The cards come from batch_pool_tests (BATCH_TESTS), which checks that each arrived once.
# Needs KALYX_BACKEND, KALYXSIM, PACKAGING, BATCH_TESTS. Exit 77 = skipped.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../cups/cups_harness.sh"
skip_unless_root

# The first scheduler: a class "cards" of two simulators, reachable on its socket and over IPP.
first=$scratch
port=0
# A port nobody listens on (start_cupsd runs in this shell, so that the clean-up gets its PID).
for try in 1 2 3 4 5; do
    port=$((20000 + RANDOM % 40000))
    (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null || break
done
start_cupsd "$first" "$port"
first_port=$port
first_socket=$CUPS_SERVER
for name in a b; do
    start_sim "$name" --print-time 0.1 --hopper 100000
    add_queue "card-$name" "kalyx://tcp/127.0.0.1:$sim_port"
    lpadmin -p "card-$name" -c cards
done
cupsenable cards
cupsaccept cards

echo "--- --queue cards (a class of two)"
CUPS_SERVER=$first_socket KALYX_TEST_QUEUE=cards \
    KALYX_TEST_JOB_FOLDERS="$scratch/jobs-a $scratch/jobs-b" \
    "$BATCH_TESTS" --gtest_filter='Pool.ThroughAQueue*' || fail "through the class"
rm -f "$scratch"/jobs-a/* "$scratch"/jobs-b/*

echo "--- --server 127.0.0.1:PORT --queue remote (a second scheduler forwarding to the first)"
second=$scratch/second
for try in 1 2 3 4 5; do
    port=$((20000 + RANDOM % 40000))
    (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null || break
done
start_cupsd "$second" "$port"
add_queue remote "ipp://127.0.0.1:$first_port/classes/cards"
# The test reaches the second scheduler over IPP only; CUPS_SERVER names neither.
CUPS_SERVER=/nonexistent KALYX_TEST_QUEUE=remote KALYX_TEST_SERVER="127.0.0.1:$port" \
    KALYX_TEST_JOB_FOLDERS="$scratch/jobs-a $scratch/jobs-b" \
    "$BATCH_TESTS" --gtest_filter='Pool.ThroughAQueue*' || fail "through the second scheduler"
echo "PASS"
