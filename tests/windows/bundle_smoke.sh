#!/usr/bin/env bash
# The portable bundle on its own, in the running wine prefix and X display (WINEPREFIX, DISPLAY):
# unpacked under C:\ and run without WINEPATH (its qt.conf keeps Qt to the bundle's folder), its
# kalyxprn.exe writes the sample job and its window opens it. The title must name the job and the
# version; a screenshot of the window goes to SHOT.
#   bundle_smoke.sh BUNDLE.zip SHOT.png
set -euo pipefail
zip=$(realpath "$1")
shot=$(realpath -m "$2")
unset WINEPATH
fail() { echo "bundle smoke run: $*" >&2; exit 1; }

name=$(basename "$zip" .zip)
version=${name#kalyx-}
version=${version%-win64}
rm -rf "$WINEPREFIX/drive_c/kalyx"
mkdir -p "$WINEPREFIX/drive_c/kalyx"
(cd "$WINEPREFIX/drive_c/kalyx" && cmake -E tar xf "$zip")
dir="C:\\kalyx\\$name"
job='C:\kalyx\sample.prn'

wine "$dir\\kalyxprn.exe" sample -o "$job" || fail "kalyxprn.exe sample failed"
# What an installer would write: the version the title shows. The window's place is fixed for the
# screenshot.
wine reg add 'HKCU\Software\Orvane\KalyxPrnTool' /v Version /d "$version" /f > /dev/null
wine reg add 'HKCU\Software\Orvane\KalyxPrnTool' /v pos /d '@Point(0 0)' /f > /dev/null

wine "$dir\\kalyxprntool.exe" "$job" > /dev/null 2>&1 &
app=$!
win=$(timeout 60 xdotool search --sync --onlyvisible --name 'Kalyx PRN Tool' | head -n 1) ||
  fail "no window within 60 s"
title=$(xdotool getwindowname "$win")
expected="$job --- Kalyx PRN Tool $version"
[ "$title" = "$expected" ] || fail "title '$title', expected '$expected'"
sleep 1.5
import -window "$win" "$shot"

xdotool windowfocus --sync "$win" key --window "$win" alt+F4
for _ in $(seq 100); do
  kill -0 "$app" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$app" 2>/dev/null; then
  kill "$app"
  fail "the window did not close on Alt+F4"
fi
wait "$app" || fail "kalyxprntool.exe exited with status $?"
echo "bundle smoke run: '$title', screenshot $shot"
