#!/usr/bin/env bash
# Runs the window's printer tests that need a printer from outside: "usb" under kalyxsim --usb,
# "cups" beside a private cupsd with a queue whose device is a kalyx:// simulator.
# Needs TST (tst_window_printers), KALYXSIM; for cups also KALYX_BACKEND and PACKAGING.
set -euo pipefail
here=$(dirname "$0")

case "$1" in
usb)
    command -v umockdev-wrapper >/dev/null || { echo "SKIP: umockdev-wrapper missing"; exit 77; }
    jobs=$(mktemp -d /tmp/kalyx-gui-usb.XXXXXX)
    trap 'rm -rf "$jobs"' EXIT
    KALYX_TEST_USB_SERIAL=GU-5 "$KALYXSIM" --quiet --serial GU-5 --jobs "$jobs" --usb -- \
        "$TST" usbPrinterIsListed
    ;;
cups)
    [ -n "${KALYX_BACKEND:-}" ] || { echo "SKIP: the CUPS backend is not built"; exit 77; }
    # shellcheck source=../cups/cups_harness.sh
    source "$here/../cups/cups_harness.sh"
    skip_unless_root
    start_cupsd
    start_sim desk
    add_queue desk "kalyx://tcp/127.0.0.1:$sim_port"
    KALYX_TEST_QUEUE=desk "$TST" cupsQueueIsListedAndPrintedTo || fail "window test failed"
    wait_for 30 sh -c "ls '$scratch/jobs-desk'/*.prn" || fail "the queue's job did not reach the printer"
    ;;
*)
    echo "usage: $0 usb|cups" >&2
    exit 2
    ;;
esac
