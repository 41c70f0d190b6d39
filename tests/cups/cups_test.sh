#!/usr/bin/env bash
# The kalyx backend end to end: a private cupsd (domain socket, scratch folders) prints to
# kalyxsim printers. Usage: cups_test.sh CASE, with KALYX_BACKEND, KALYXSIM, KALYXPRN and
# PACKAGING set. Exit 77 = skipped.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/cups_harness.sh"

# Tiny valid jobs (one side, 506 x 2 dots) that differ in their number of copies.
make_jobs() {
    local count=$1 i
    "$KALYXPRN" compose --front "$PACKAGING/../app/resources/kalyxprntool.png" \
        --option card-options/width=506 --option card-options/height=2 \
        -o "$scratch/job-1.prn" >/dev/null
    for i in $(seq 2 "$count"); do
        "$KALYXPRN" set "$scratch/job-1.prn" num-copies /prn/card/card-options "$i" \
            -o "$scratch/job-$i.prn" >/dev/null
    done
}

sums() {
    md5sum "$@" | cut -d' ' -f1 | sort
}

# One queue: a job arrives byte for byte, `lp -n 2` sends it twice, and the queue refuses what
# is not a card job.
case_one_queue() {
    skip_unless_root
    start_cupsd
    start_sim a
    add_queue card1 "kalyx://tcp/127.0.0.1:$sim_port"
    make_jobs 1
    submit card1 "$scratch/job-1.prn" >/dev/null
    submit card1 -n 2 "$scratch/job-1.prn" >/dev/null
    wait_for 30 finished_at_least card1 2 || fail "jobs not finished"
    [ "$(stored_jobs)" -eq 3 ] || fail "expected 3 stored jobs, got $(stored_jobs)"
    for f in "$scratch"/jobs-a/*.prn; do
        cmp "$f" "$scratch/job-1.prn" || fail "$f differs from the job submitted"
    done
    echo "not a card" >"$scratch/note.txt"
    if lp -d card1 "$scratch/note.txt" 2>/dev/null; then fail "a text file was accepted"; fi
}

# 30 jobs to a class of three printers: all arrive, none twice, spread over the three.
case_class_of_three() {
    skip_unless_root
    start_cupsd
    make_jobs 30
    local name
    for name in a b c; do
        start_sim "$name" --hopper 100000
        add_queue "card-$name" "kalyx://tcp/127.0.0.1:$sim_port"
        lpadmin -p "card-$name" -c cards
    done
    cupsenable cards
    cupsaccept cards
    local i
    for i in $(seq 30); do submit cards "$scratch/job-$i.prn" >/dev/null; done
    wait_for 120 finished_at_least cards 30 || fail "only $(completed_count cards) of 30 finished"
    [ "$(stored_jobs)" -eq 30 ] || fail "30 jobs sent, $(stored_jobs) arrived"
    [ "$(sums "$scratch"/jobs-*/*.prn)" = "$(sums "$scratch"/job-*.prn)" ] ||
        fail "the jobs that arrived are not the 30 submitted, once each"
    for name in a b c; do
        local n
        n=$(find "$scratch/jobs-$name" -name '*.prn' | wc -l)
        echo "printer $name: $n jobs"
        [ "$n" -gt 0 ] || fail "printer $name got no job"
    done
}

# A damaged job is cancelled with its reason, and no byte of it reaches the printer.
case_invalid_job() {
    skip_unless_root
    start_cupsd
    start_sim a
    add_queue card1 "kalyx://tcp/127.0.0.1:$sim_port"
    make_jobs 1
    # Change one byte of the binary part: still a PRN job by type, but its checksum is wrong.
    cp "$scratch/job-1.prn" "$scratch/bad.prn"
    local at=$(($(stat -c %s "$scratch/bad.prn") - 10)) byte='\xff'
    [ "$(od -An -tx1 -j "$at" -N1 "$scratch/bad.prn" | tr -d ' ')" = ff ] && byte='\x00'
    printf "$byte" | dd of="$scratch/bad.prn" bs=1 seek="$at" conv=notrunc status=none
    local id
    id=$(submit card1 "$scratch/bad.prn")
    wait_for 30 finished_at_least card1 1 || fail "the job did not finish"
    lpstat -W completed -l -o card1 | grep -q 'Status: The job is not a valid card job: the checksum is wrong' ||
        fail "no reason in the job's state: $(lpstat -W completed -l -o card1)"
    grep -q "\[Job ${id##*-}\] Job canceled at printer" "$scratch/log/error_log" ||
        fail "the job was not cancelled"
    grep -q 'print-job\|tcp#' "$scratch/sim-a.log" && fail "the printer was contacted"
    [ "$(stored_jobs)" -eq 0 ] || fail "a damaged job was stored"
}

# A printer that is down: the job waits (retried), and prints once the printer is back.
case_printer_down() {
    skip_unless_root
    start_cupsd
    start_sim a
    local port=$sim_port
    stop_sim a
    add_queue card1 "kalyx://tcp/127.0.0.1:$port"
    make_jobs 1
    submit card1 "$scratch/job-1.prn" >/dev/null
    sleep 3
    [ "$(completed_count card1)" -eq 0 ] || fail "the job finished while the printer was down"
    lpstat -l -o card1 | grep -q 'queued for card1' || fail "the job is not waiting"
    grep -q 'Backend returned status 6 (retry job later)' "$scratch/log/error_log" ||
        fail "the backend did not ask for a retry"
    start_sim a2 --port "$port"
    wait_for 60 finished_at_least card1 1 || fail "the job did not print after the printer came back"
    cmp "$scratch"/jobs-a2/job-0001.prn "$scratch/job-1.prn" || fail "the job differs"
}

# A cancel during a large send ends the transfer: the backend stops and the printer never
# receives a whole job, also when the system already holds all of it for sending and the
# backend waits for the printer's answer.
case_cancel() {
    skip_unless_root
    start_cupsd
    # 1 MB/s, so the 5 MB sample takes five seconds to send.
    start_sim a --read-rate 1000000
    add_queue card1 "kalyx://tcp/127.0.0.1:$sim_port"
    "$KALYXPRN" sample -o "$scratch/large.prn" >/dev/null
    local id
    id=$(submit card1 "$scratch/large.prn")
    sending() { grep -q '\] Sending card 1 of 1' "$scratch/log/error_log"; }
    wait_for 30 sending || fail "the job was never sent"
    sleep 0.5
    cancel "$id"
    local start=$SECONDS
    wait_for 10 finished_at_least card1 1 || fail "the job did not end"
    backend_gone() { grep -q 'Job cancelled; the printer is closed\|backend/kalyx) exited' "$scratch/log/error_log"; }
    wait_for 5 backend_gone || fail "the backend did not stop"
    echo "cancelled within $((SECONDS - start)) s"
    wait_for 5 grep -q 'in the middle of a request' "$scratch/sim-a.log" ||
        fail "the printer did not see the transfer end"
    [ "$(stored_jobs)" -eq 0 ] || fail "the cancelled job was printed"
}

# A printer that answers with an error stops the queue with its text and a reason (the scheduler
# drops the reason once the backend has ended); so does a device that answers but not as a
# printer (a wrong URI). The jobs are kept.
case_printer_refuses() {
    skip_unless_root
    start_cupsd
    start_sim a --error "get=Card jam in the transport"
    add_queue card1 "kalyx://tcp/127.0.0.1:$sim_port"
    start_sim b --fault bad-xml
    add_queue card2 "kalyx://tcp/127.0.0.1:$sim_port"
    # Ready when asked, but out of cards once the job comes: only asking after it tells.
    start_sim c --hopper 0
    add_queue card3 "kalyx://tcp/127.0.0.1:$sim_port"
    make_jobs 1
    submit card1 "$scratch/job-1.prn" >/dev/null
    submit card2 "$scratch/job-1.prn" >/dev/null
    submit card3 "$scratch/job-1.prn" >/dev/null
    stopped() { [ "$(lpstat -p | grep -c 'disabled')" -eq 3 ]; }
    wait_for 30 stopped || fail "the queues were not stopped: $(lpstat -p)"
    lpstat -p card1 | grep -q 'The printer reports: Card jam in the transport' ||
        fail "no reason shown: $(lpstat -p card1)"
    grep -q 'STATE: +media-jam-error' "$scratch/log/error_log" || fail "no jam reason"
    lpstat -p card2 | grep -q 'does not answer like a Kalyx printer' ||
        fail "no reason shown: $(lpstat -p card2)"
    lpstat -p card3 | grep -q 'The printer reports after the job: Printer in error state 3 (feeder empty)' ||
        fail "no reason shown: $(lpstat -p card3)"
    grep -q 'STATE: +media-empty-error' "$scratch/log/error_log" || fail "no empty reason"
    local queue
    for queue in card1 card2 card3; do
        [ "$(completed_count $queue)" -eq 0 ] || fail "the job of $queue was dropped"
    done
    [ "$(stored_jobs)" -eq 0 ] || fail "a job was printed"
}

# A class with one member switched off: its jobs go to the other member within seconds, with
# the scheduler's own retry interval (5 minutes), not the quick one the other cases use.
case_class_handoff() {
    skip_unless_root
    JOB_RETRY_INTERVAL=300 start_cupsd
    make_jobs 4
    local name
    for name in off on; do
        start_sim "$name"
        add_queue "card-$name" "kalyx://tcp/127.0.0.1:$sim_port"
        lpadmin -p "card-$name" -c cards
    done
    stop_sim off
    cupsenable cards
    cupsaccept cards
    local i start=$SECONDS
    for i in $(seq 4); do submit cards "$scratch/job-$i.prn" >/dev/null; done
    wait_for 60 finished_at_least cards 4 || fail "only $(completed_count cards) of 4 finished"
    echo "4 jobs through a class with a dead member in $((SECONDS - start)) s"
    [ $((SECONDS - start)) -lt 30 ] || fail "the jobs waited for the dead member"
    [ "$(sums "$scratch"/jobs-on/*.prn)" = "$(sums "$scratch"/job-*.prn)" ] ||
        fail "the live member did not print the 4 jobs once each"
    grep -q 'Backend returned status 7' "$scratch/log/error_log" ||
        fail "no job was handed back to the class"
    lpstat -p card-off | grep -q 'enabled' || fail "the dead member was stopped"
}

# Without cupsd: job files that are no card job for a printer are cancelled at once, never
# sent: a FIFO nobody writes to (it blocked the backend for good) and a job whose header text
# is over the 1 MiB printers accept (it was retried for ever).
case_unprintable_files() {
    make_jobs 1
    start_sim a
    mkfifo "$scratch/fifo"
    perl -0777 -pe 's/<prn>/"<prn note=\"" . ("x" x 1100000) . "\">"/e' "$scratch/job-1.prn" \
        >"$scratch/wide.prn"
    # A fresh checksum, so that only the header's size is wrong.
    "$KALYXPRN" save "$scratch/wide.prn" -o "$scratch/big-header.prn" 2>/dev/null
    local file status says
    for file in fifo big-header.prn; do
        case $file in
        fifo) says='the job is empty' ;;
        *) says='more than the 1048576 (1 MiB) printers take' ;;
        esac
        status=0
        DEVICE_URI="kalyx://tcp/127.0.0.1:$sim_port" timeout 20 "$KALYX_BACKEND" 9 user title 1 "" \
            "$scratch/$file" 2>"$scratch/backend.err" || status=$?
        [ "$status" -eq 5 ] || fail "$file: status $status: $(cat "$scratch/backend.err")"
        grep -qF "$says" "$scratch/backend.err" || fail "$file: $(cat "$scratch/backend.err")"
    done
    [ "$("$KALYXPRN" printer --tcp "127.0.0.1:$sim_port" get sim-jobs-received)" = sim-jobs-received=0 ] ||
        fail "a job reached the printer"
}

# Without cupsd: a printer that resets the connection over a job it was sent has not taken it,
# however completely the bytes were written; the backend asks for a retry.
case_printer_drops() {
    make_jobs 1
    start_sim a --fault for=print-job,reset
    local status=0
    DEVICE_URI="kalyx://tcp/127.0.0.1:$sim_port" "$KALYX_BACKEND" 9 user title 1 "" \
        "$scratch/job-1.prn" 2>"$scratch/backend.err" || status=$?
    [ "$status" -eq 6 ] || fail "status $status: $(cat "$scratch/backend.err")"
    grep -q '^ERROR: The printer at .* did not take the job' "$scratch/backend.err" ||
        fail "no reason given: $(cat "$scratch/backend.err")"
    grep -q 'Card job sent' "$scratch/backend.err" && fail "the dropped job was reported sent"
    return 0
}

# Without cupsd: a printer that takes the job slowly but steadily (64 KiB a second: about 10 s
# for this 650 KB job) prints it on the first try.
case_slow_printer() {
    "$KALYXPRN" compose --front "$PACKAGING/../app/resources/kalyxprntool.png" \
        --option card-options/height=160 -o "$scratch/slow.prn" >/dev/null
    start_sim a --read-rate 65536
    local status=0
    DEVICE_URI="kalyx://tcp/127.0.0.1:$sim_port" "$KALYX_BACKEND" 9 user title 1 "" \
        "$scratch/slow.prn" 2>"$scratch/backend.err" || status=$?
    [ "$status" -eq 0 ] || fail "status $status: $(cat "$scratch/backend.err")"
    wait_for 5 test -f "$scratch/jobs-a/job-0001.prn" || fail "the job was not stored"
    cmp "$scratch/jobs-a/job-0001.prn" "$scratch/slow.prn" || fail "the stored job differs"
}

# Without cupsd: the backend under a virtual USB printer lists it by serial, prints to it by
# serial, `copies` times, and asks for a retry when that serial is not attached.
case_usb() {
    make_jobs 1
    local serial='KX/7 A' out="$scratch/usb.out"
    "$KALYXSIM" --port 0 --quiet --serial "$serial" --jobs "$scratch/jobs-usb" --usb -- bash -c '
        "$0"
        DEVICE_URI=kalyx://usb/KX%2F7%20A "$0" 7 user title 2 "" "$1" 2>/dev/null
        echo "status $?"
        DEVICE_URI=kalyx://usb/KX-OTHER "$0" 8 user title 1 "" <"$1" 2>/dev/null
        echo "status $?"' "$KALYX_BACKEND" "$scratch/job-1.prn" >"$out" 2>/dev/null ||
        fail "kalyxsim --usb failed: $(cat "$out")"
    grep -qxF 'direct kalyx://usb/KX%2F7%20A "Orvane Kalyx K2" "Orvane Kalyx K2 (USB KX/7 A)" "MFG:Orvane;MDL:Kalyx K2;CMD:KALYX-PRN;CLS:PRINTER;SN:KX/7 A;" ""' "$out" ||
        fail "listing: $(cat "$out")"
    [ "$(sed -n 's/^status //p' "$out" | tr '\n' ' ')" = "0 6 " ] || fail "statuses: $(cat "$out")"
    [ "$(stored_jobs)" -eq 2 ] || fail "expected two copies, got $(stored_jobs)"
    cmp "$scratch/jobs-usb/job-0002.prn" "$scratch/job-1.prn" || fail "the USB job differs"
}

"case_$1"
echo "PASS: $1"
