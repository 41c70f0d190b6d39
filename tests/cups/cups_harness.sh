# A private CUPS scheduler and simulated Kalyx printers for one test or benchmark run.
# Sourced by the scripts beside it. Everything lives in one scratch folder; every process started
# here is stopped by its PID, and the folder is removed, when the script exits.
#
# Needs: KALYX_BACKEND (the built backend), KALYXSIM, PACKAGING (the repository's packaging/).

set -euo pipefail

scratch=$(mktemp -d /tmp/kalyx-cups.XXXXXX)
started_pids=()

harness_cleanup() {
    local pid
    for pid in "${started_pids[@]}"; do
        kill -TERM "$pid" 2>/dev/null || true
    done
    for pid in "${started_pids[@]}"; do
        for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        kill -KILL "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$scratch"
}
trap harness_cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    if [ -f "$scratch/log/error_log" ]; then
        echo "--- last scheduler log lines:" >&2
        grep -E '\[Job [0-9]+\]' "$scratch/log/error_log" | grep -v 'envp\|argv' | tail -n 25 >&2 || true
    fi
    exit 1
}

# Runs "$@" every 0.1 s until it succeeds; fails after $1 seconds.
wait_for() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@" >/dev/null 2>&1; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.1
    done
}

skip_unless_root() {
    if [ "$(id -u)" -ne 0 ]; then
        echo "SKIP: a private cupsd needs root (it runs backends as root and filters as lp)"
        exit 77
    fi
    command -v cupsd >/dev/null || [ -x /usr/sbin/cupsd ] || {
        echo "SKIP: cupsd not installed (scripts/setup.sh installs cups-daemon cups-client)"
        exit 77
    }
}

scheduler_running() {
    lpstat -r 2>/dev/null | grep -q 'is running'
}

# Starts cupsd on a domain socket in the scratch folder (or in FOLDER, for a second scheduler),
# with the kalyx backend, the PRN MIME type and a quick retry of jobs whose printer is not there
# (JOB_RETRY_INTERVAL seconds, 1 by default; CUPS's own default is 300); with PORT it also
# listens for IPP on 127.0.0.1:PORT. CUPS_SERVER then names it.
start_cupsd() {
    local t=${1:-$scratch}
    mkdir -p "$t"/{root,spool/tmp,cache,state,log,bin/backend}
    cp -r /usr/lib/cups/* "$t/bin/"
    install -m 0700 "$KALYX_BACKEND" "$t/bin/backend/kalyx"
    cp "$PACKAGING/cups/kalyx.types" "$t/root/"
    chmod 1777 "$t/spool/tmp"
    chmod 0755 "$t"
    chown -R root:lp "$t/spool" "$t/cache" "$t/state" "$t/log"
    cat >"$t/root/cupsd.conf" <<CONF
Listen $t/cups.sock
${2:+Listen 127.0.0.1:$2}
LogLevel debug
JobRetryInterval ${JOB_RETRY_INTERVAL:-1}
JobRetryLimit 1000
Browsing Off
WebInterface No
<Location />
  Order allow,deny
  Allow localhost
</Location>
<Location /admin>
  AuthType Default
  Require user @SYSTEM
  Order allow,deny
  Allow localhost
</Location>
CONF
    cat >"$t/root/cups-files.conf" <<CONF
ServerRoot $t/root
ServerBin $t/bin
DataDir /usr/share/cups
RequestRoot $t/spool
CacheDir $t/cache
StateDir $t/state
AccessLog $t/log/access_log
ErrorLog $t/log/error_log
PageLog $t/log/page_log
TempDir $t/spool/tmp
User lp
Group lp
SystemGroup root
Printcap $t/printcap
CONF
    /usr/sbin/cupsd -f -c "$t/root/cupsd.conf" -s "$t/root/cups-files.conf" \
        >"$t/log/cupsd.out" 2>&1 &
    started_pids+=($!)
    export CUPS_SERVER=$t/cups.sock
    wait_for 20 scheduler_running || fail "cupsd did not start: $(cat "$t/log/cupsd.out")"
}

# Starts a simulator storing jobs in $scratch/jobs-NAME; its port goes into $sim_port. Extra
# options follow. (Not to be called in a subshell: the PID must reach the clean-up.)
start_sim() {
    local name=$1
    shift
    mkdir -p "$scratch/jobs-$name"
    "$KALYXSIM" --port 0 --quiet --jobs "$scratch/jobs-$name" "$@" \
        >"$scratch/sim-$name.out" 2>"$scratch/sim-$name.log" &
    started_pids+=($!)
    echo $! >"$scratch/sim-$name.pid"
    wait_for 10 grep -q '^listening on' "$scratch/sim-$name.out" || fail "kalyxsim $name did not start"
    sim_port=$(sed -n 's/^listening on 127.0.0.1:\([0-9]*\)$/\1/p' "$scratch/sim-$name.out")
}

stop_sim() {
    local pid
    pid=$(cat "$scratch/sim-$1.pid")
    kill -TERM "$pid"
    wait "$pid" 2>/dev/null || true
}

# A queue of the kalyx backend that accepts PRN jobs only.
add_queue() {
    lpadmin -p "$1" -E -v "$2" -P "$PACKAGING/cups/kalyx-card.ppd" 2>&1 |
        { grep -v 'deprecated' || true; }
}

# "lp" and its job id.
submit() {
    local queue=$1
    shift
    lp -d "$queue" "$@" | sed -n 's/^request id is \([^ ]*\) .*/\1/p'
}

completed_count() {
    lpstat -W completed -o "$1" 2>/dev/null | wc -l
}

# True once QUEUE has at least N finished jobs (completed, cancelled or aborted).
finished_at_least() {
    [ "$(completed_count "$1")" -ge "$2" ]
}

stored_jobs() {
    find "$scratch"/jobs-* -name 'job-*.prn' 2>/dev/null | wc -l
}
