#!/usr/bin/env bash
# kalyxsim --usb -- COMMAND: COMMAND sees a Kalyx printer on USB that the simulator serves.
# Usage: virtual_usb_test.sh CASE, with KALYXSIM, KALYXPRN and KALYXPRNTOOL set. 77 = skipped.
set -euo pipefail
scratch=$(mktemp -d /tmp/kalyx-vusb.XXXXXX)
trap 'rm -rf "$scratch"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# kalyxprn sees the printer, sends to it without a path, and the simulator passes the
# program's exit status on.
case_command_line() {
    "$KALYXPRN" sample -o "$scratch/card.prn" >/dev/null
    local out
    out=$("$KALYXSIM" --port 0 --quiet --serial VU-1 --jobs "$scratch/jobs" --usb -- \
        sh -c '"$0" printers && "$0" send "$1" --usb' "$KALYXPRN" "$scratch/card.prn" 2>&1) ||
        fail "kalyxsim --usb: $out"
    echo "$out" | grep -q $'^/dev/usb/lp0\t1-1\tOrvane Kalyx K2 (VU-1)$' || fail "listing: $out"
    cmp "$scratch/jobs/job-0001.prn" "$scratch/card.prn" || fail "the job differs"
    local status=0
    "$KALYXSIM" --port 0 --quiet --usb -- sh -c 'exit 3' >/dev/null 2>&1 || status=$?
    [ "$status" -eq 3 ] || fail "exit status $status instead of 3"

    # Standard output is the command's alone, whatever order the options come in; without
    # --port each run takes a free port, so two runs side by side do not collide.
    local first second
    "$KALYXSIM" --usb --serial VU-2 -- sh -c 'sleep 1; "$0" printers --json' "$KALYXPRN" \
        >"$scratch/first.json" 2>"$scratch/first.log" &
    local pid=$!
    second=$("$KALYXSIM" --quiet --usb --jobs "$scratch/jobs" -- "$KALYXPRN" printers --json \
        2>"$scratch/second.log") || fail "second run: $(cat "$scratch/second.log")"
    wait "$pid" || fail "first run: $(cat "$scratch/first.log")"
    first=$(cat "$scratch/first.json")
    [ "$(jq -r '.[0].description' <<<"$first")" = 'Orvane Kalyx K2 (VU-2)' ] || fail "stdout of the first run: $first"
    [ "$(jq -r 'length' <<<"$second")" = 1 ] || fail "stdout of the second run: $second"
    grep -q '^listening on 127.0.0.1:[0-9]' "$scratch/second.log" ||
        fail "the banner is not on stderr: $(cat "$scratch/second.log")"
}

# The window's Print via USB, pressed under a virtual display, reaches the simulator with the
# bytes the window would save.
case_window_print() {
    for tool in xvfb-run xdotool; do
        command -v "$tool" >/dev/null || { echo "SKIP: $tool missing"; exit 77; }
    done
    "$KALYXPRN" sample -o "$scratch/card.prn" >/dev/null
    "$KALYXPRN" save "$scratch/card.prn" -o "$scratch/saved.prn" >/dev/null
    mkdir -p "$scratch/config/Orvane" "$scratch/jobs"
    printf '[General]\npos=@Point(0 0)\n' >"$scratch/config/Orvane/KalyxPrnTool.conf"
    cat >"$scratch/press-print.sh" <<'PRESS'
#!/usr/bin/env bash
set -euo pipefail
app=$1 job=$2 jobs=$3
"$app" "$job" &
pid=$!
win=$(timeout 20 xdotool search --sync --onlyvisible --name 'Kalyx PRN Tool' | head -n1)
sleep 0.5
xdotool windowfocus --sync "$win"
xdotool key alt+p
for _ in $(seq 200); do [ -f "$jobs/job-0001.prn" ] && break; sleep 0.1; done
sleep 0.5
xdotool windowfocus --sync "$win"
xdotool key alt+q
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill "$pid" 2>/dev/null || true
wait "$pid" || true
PRESS
    chmod +x "$scratch/press-print.sh"
    XDG_CONFIG_HOME=$scratch/config XDG_RUNTIME_DIR=$scratch QT_QPA_PLATFORM=xcb \
        timeout 90 xvfb-run -a -s "-screen 0 1280x1024x24" \
        "$KALYXSIM" --port 0 --quiet --jobs "$scratch/jobs" --usb -- \
        "$scratch/press-print.sh" "$KALYXPRNTOOL" "$scratch/card.prn" "$scratch/jobs" \
        >"$scratch/run.log" 2>&1 || fail "the run failed: $(cat "$scratch/run.log")"
    [ -f "$scratch/jobs/job-0001.prn" ] || fail "no job arrived: $(cat "$scratch/run.log")"
    cmp "$scratch/jobs/job-0001.prn" "$scratch/saved.prn" || fail "the printed job differs"
}

"case_$1"
echo "PASS: $1"
