#!/usr/bin/env bash
# The portable bundle on its own, in an empty wine prefix (WINEPREFIX, its wineserver running) on
# an X display (DISPLAY): unpacked under C:\ and run without WINEPATH (its qt.conf keeps Qt to the
# bundle's folder), its kalyxprn.exe writes the sample job and prints it to the bundle's
# kalyxsim.exe, which stores it unchanged and stops on Ctrl+C, and its window opens the job. The
# title must name the job and the version; a screenshot of the window goes to SHOT.
#   bundle_smoke.sh BUNDLE.zip SHOT.png
set -euo pipefail
zip=$(realpath "$1")
shot=$(realpath -m "$2")
unset WINEPATH
. "$(dirname "$0")/wine_window.sh"
fail() { echo "bundle smoke run: $*" >&2; exit 1; }

name=$(basename "$zip" .zip)
version=${name#kalyx-}
version=${version%-win64}
rm -rf "$WINEPREFIX/drive_c/kalyx"
mkdir -p "$WINEPREFIX/drive_c/kalyx"
(cd "$WINEPREFIX/drive_c/kalyx" && cmake -E tar xf "$zip")
dir="C:\\kalyx\\$name"
job='C:\kalyx\sample.prn'

timeout 60 wine "$dir\\kalyxprn.exe" sample -o "$job" || fail "kalyxprn.exe sample failed"
# The window program answers --version without a window, also into a pipe.
said=$(timeout 60 wine "$dir\\kalyxprntool.exe" --version | tr -d '\r')
[ "$said" = "kalyxprntool $version" ] || fail "kalyxprntool.exe --version said '$said'"

# The simulator gets Ctrl+C as from its console: wine turns SIGINT into that console event.
sim=""
sim_out=$(mktemp)
trap 'if [ -n "$sim" ]; then kill "$sim" 2>/dev/null || true; fi; rm -f "$sim_out"' EXIT
wine "$dir\\kalyxsim.exe" --port 0 --jobs 'C:\kalyx\jobs' > "$sim_out" 2>&1 < /dev/null &
sim=$!
port=""
for _ in $(seq 100); do
  port=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$sim_out")
  [ -n "$port" ] && break
  sleep 0.1
done
[ -n "$port" ] || fail "kalyxsim.exe did not start: $(cat "$sim_out")"
timeout 60 wine "$dir\\kalyxprn.exe" send "$job" --tcp "127.0.0.1:$port" > /dev/null ||
  fail "kalyxprn.exe send --tcp failed"
stored="$WINEPREFIX/drive_c/kalyx/jobs/job-0001.prn"
for _ in $(seq 50); do [ -f "$stored" ] && break; sleep 0.1; done
cmp -s "$stored" "$WINEPREFIX/drive_c/kalyx/sample.prn" ||
  fail "kalyxsim.exe did not store the job unchanged: $(cat "$sim_out")"
kill -INT "$sim"
for _ in $(seq 100); do kill -0 "$sim" 2>/dev/null || break; sleep 0.1; done
kill -0 "$sim" 2>/dev/null && fail "kalyxsim.exe did not stop on Ctrl+C within 10 s"
status=0
wait "$sim" || status=$?
sim=""
[ "$status" -eq 0 ] || fail "kalyxsim.exe exited with status $status on Ctrl+C: $(cat "$sim_out")"
grep -q "stopping on Ctrl+C" "$sim_out" || fail "kalyxsim.exe did not log its stop: $(cat "$sim_out")"
# What an installer would write: the version the title shows. The window's place is fixed for the
# screenshot.
wine reg add 'HKCU\Software\Orvane\KalyxPrnTool' /v Version /d "$version" /f > /dev/null
wine reg add 'HKCU\Software\Orvane\KalyxPrnTool' /v pos /d '@Point(0 0)' /f > /dev/null

wine "$dir\\kalyxprntool.exe" "$job" > /dev/null 2>&1 &
app=$!
expected="$job --- Kalyx PRN Tool $version"
wait_for_window "$expected" "$app" || fail "the window did not show the job"
sleep 1.5
win=$(window_titled "$expected") || fail "the window went away"
import -window "$win" "$shot"
close_window "$expected" "$app" || fail "the window did not close"
echo "bundle smoke run: '$expected', screenshot $shot"
