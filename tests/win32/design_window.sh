#!/usr/bin/env bash
# The window under wine opened on the example badge design and its data, as from the command
# line (DISPLAY set, WINEPREFIX with its wineserver running): the title names the design, and
# the window closes cleanly.
#   design_window.sh WINDOWS_KALYXPRNTOOL_EXE EXAMPLES_DIR
set -euo pipefail
program=$(realpath "$1")
examples=$(realpath "$2")
. "$(dirname "$0")/wine_window.sh"
fail() { echo "design window: $*" >&2; exit 1; }
work=$(mktemp -d "${TMPDIR:-/tmp}/kalyx-design-window.XXXXXX")
trap 'rm -rf "$work"' EXIT
cp -r "$examples/badge" "$work/badge"

# The title ends in the Version setting, which the tests' prefix may or may not have.
version=$({ wine reg query 'HKCU\Software\Orvane\KalyxPrnTool' /v Version 2>/dev/null || true; } |
            tr -d '\r' | sed -n 's/^    .*    REG_[A-Z_]*    //p' | head -n 1)
design="Z:${work//\//\\}\\badge\\badge.card.json"
wine "$program" "$design" "Z:${work//\//\\}\\badge\\people.csv" > "$work/window.log" 2>&1 &
app=$!
expected="$design --- Kalyx PRN Tool $version"
wait_for_window "$expected" "$app" || fail "no window on the design: $(cat "$work/window.log")"
close_window "$expected" "$app" kalyxprntool.exe || fail "the window on the design did not close"
echo "design window: '$expected'"
