#!/usr/bin/env bash
# Screenshots of the real kalyxprntool window on the demonstration job, taken under a virtual X
# display: the four pages, the integer edit dialog, and a print to the simulator attached as a
# virtual USB printer (kalyxsim --usb), and a page of the example badge's proof sheet, written to
# docs/screenshots/.
# Needs Xvfb, xdotool and ImageMagick's import. BUILD_DIR picks the build folder (default build).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${BUILD_DIR:-build}
out=$root/docs/screenshots

for tool in xvfb-run xdotool import; do
  command -v "$tool" >/dev/null || { echo "screenshots.sh: $tool is missing" >&2; exit 1; }
done

if [ ! -f "$build/build.ninja" ] && [ ! -f "$build/Makefile" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" --target kalyxprntool kalyxprn kalyxsim -j "$(nproc)"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/tools/kalyxprn/kalyxprn" sample -o "$work/sample.prn"

# A settings store of its own, so the user's window position and folders stay untouched.
mkdir -p "$work/config/Orvane"
printf '[General]\nVersion=1.0.0\npos=@Point(0 0)\n' >"$work/config/Orvane/KalyxPrnTool.conf"

mkdir -p "$out"
cat >"$work/take.sh" <<'SHOT'
#!/usr/bin/env bash
set -euo pipefail
app=$1 job=$2 out=$3
"$app" "$job" &
pid=$!
win=$(xdotool search --sync --onlyvisible --name 'Kalyx PRN Tool' | head -n1)
sleep 1
shot() { sleep 0.6; import -window "$win" "$out/$1.png"; }
xdotool windowfocus --sync "$win"

shot options
# The options page shows first; Ctrl+Tab moves to the next page (the Printer page, shot apart
# below), wrapping to the front image.
xdotool key --window "$win" ctrl+Tab ctrl+Tab; shot front
xdotool key --window "$win" ctrl+Tab;       shot back
xdotool key --window "$win" ctrl+Tab;       shot mag
xdotool key --window "$win" ctrl+Tab ctrl+Tab

# Edit num-copies: a click on the first row focuses the tree, type-ahead finds the row and
# Return opens its dialog.
xdotool mousemove --window "$win" 60 81 click 1
sleep 0.3
xdotool type --delay 80 num-copies
xdotool key Return
sleep 0.8
import -window root -crop "$(xdotool getwindowgeometry "$win" | awk '/Geometry/ {print $2}')+0+0" \
  "$out/edit-dialog.png"
xdotool key Escape
sleep 0.3
# Quit through the button's shortcut, so the window writes its settings as on a desktop.
xdotool windowfocus --sync "$win"
xdotool key alt+q
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
if kill -0 "$pid" 2>/dev/null; then
  echo "screenshots.sh: the window did not quit; stopping it" >&2
  kill "$pid"
fi
wait "$pid" || true
SHOT
chmod +x "$work/take.sh"

XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work QT_QPA_PLATFORM=xcb \
  xvfb-run -a -s "-screen 0 1280x1024x24" \
  "$work/take.sh" "$root/$build/app/kalyxprntool" "$work/sample.prn" "$out"

# Print via USB to kalyxsim --usb. The simulator reads 1.5 MB/s, as a printer printing while it
# receives, so the shot catches the window while the job goes out.
cat >"$work/print.sh" <<'SHOT'
#!/usr/bin/env bash
set -euo pipefail
app=$1 job=$2 out=$3
"$app" "$job" &
pid=$!
win=$(xdotool search --sync --onlyvisible --name 'Kalyx PRN Tool' | head -n1)
sleep 1
xdotool windowfocus --sync "$win"
xdotool key --window "$win" ctrl+Tab ctrl+Tab
sleep 0.3
xdotool key alt+p
sleep 1.5
import -window "$win" "$out/print.png"
for _ in $(seq 100); do [ -n "$(ls "$JOBS")" ] && break; sleep 0.1; done
xdotool windowfocus --sync "$win"
xdotool key alt+q
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
kill "$pid" 2>/dev/null || true
wait "$pid" || true
SHOT
chmod +x "$work/print.sh"
mkdir -p "$work/jobs"
JOBS=$work/jobs XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work QT_QPA_PLATFORM=xcb \
  xvfb-run -a -s "-screen 0 1280x1024x24" \
  "$build/tools/kalyxsim/kalyxsim" --port 0 --quiet --read-rate 1500000 --jobs "$work/jobs" --usb -- \
  "$work/print.sh" "$root/$build/app/kalyxprntool" "$work/sample.prn" "$out"
echo "printed: $(ls "$work/jobs")"

# The first page of the example badge's proof sheet (needs pdftoppm from poppler-utils).
(cd examples/badge && "$root/$build/tools/kalyxprn/kalyxprn" batch badge.card.json people.csv \
  --proof "$work/proof.pdf" >/dev/null)
pdftoppm -png -r 60 -f 1 -l 1 -singlefile "$work/proof.pdf" "$out/proof"

# The Printer page on a network printer (kalyxsim on TCP) that reports a card jam.
"$build/tools/kalyxsim/kalyxsim" --port 0 --quiet --serial KX2-000417 >"$work/sim.out" 2>/dev/null &
sim=$!
trap 'kill "$sim" 2>/dev/null || true; rm -rf "$work"' EXIT
for _ in $(seq 50); do grep -q '^listening on' "$work/sim.out" && break; sleep 0.1; done
address=$(sed -n 's/^listening on \(.*\)$/\1/p' "$work/sim.out")
"$build/tools/kalyxprn/kalyxprn" printer --tcp "$address" force-error card-jam >/dev/null
printf '[General]\nVersion=1.0.0\npos=@Point(0 0)\nsize=@Size(1080 720)\nprinter=tcp:%s\nnetworkPrinters=%s\n' \
  "$address" "$address" >"$work/config/Orvane/KalyxPrnTool.conf"
cat >"$work/page.sh" <<'SHOT'
#!/usr/bin/env bash
set -euo pipefail
app=$1 job=$2 out=$3
"$app" "$job" &
pid=$!
win=$(xdotool search --sync --onlyvisible --name 'Kalyx PRN Tool' | head -n1)
sleep 1
xdotool windowfocus --sync "$win"
xdotool key --window "$win" ctrl+Tab
sleep 2
import -window "$win" "$out/printer.png"
xdotool key alt+q
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
kill "$pid" 2>/dev/null || true
wait "$pid" || true
SHOT
chmod +x "$work/page.sh"
XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work QT_QPA_PLATFORM=xcb \
  xvfb-run -a -s "-screen 0 1280x1024x24" \
  "$work/page.sh" "$root/$build/app/kalyxprntool" "$work/sample.prn" "$out"
kill "$sim"
wait "$sim" 2>/dev/null || true

# The example badge design with its data: the Design page with the name field selected, then
# the Batch page with a row that has a problem (a photo that is not there), printing to a pool of
# two network printers (kalyxsim taking a second per card).
sed 's/^1003,\(.*\),photos\/1003.png,/1003,\1,photos\/missing.png,/' examples/badge/people.csv \
  >"$work/people.csv"
cp -r examples/badge/photos "$work/photos"
cp examples/badge/badge.card.json "$work/badge.card.json"
pool=()
sims=()
for n in 1 2; do
  mkdir -p "$work/pool$n"
  "$build/tools/kalyxsim/kalyxsim" --port 0 --quiet --print-time 1 --jobs "$work/pool$n" \
    >"$work/pool$n.out" 2>/dev/null &
  sims+=($!)
  for _ in $(seq 50); do grep -q '^listening on' "$work/pool$n.out" && break; sleep 0.1; done
  pool+=("$(sed -n 's/^listening on \(.*\)$/\1/p' "$work/pool$n.out")")
done
trap 'kill "${sims[@]}" 2>/dev/null || true; rm -rf "$work"' EXIT
printf '[General]\nVersion=1.0.0\npos=@Point(0 0)\nsize=@Size(1180 860)\nprinter=tcp:%s\nnetworkPrinters=%s, %s\n' \
  "${pool[0]}" "${pool[0]}" "${pool[1]}" >"$work/config/Orvane/KalyxPrnTool.conf"
cat >"$work/design.sh" <<'SHOT'
#!/usr/bin/env bash
set -euo pipefail
app=$1 design=$2 data=$3 out=$4
"$app" "$design" "$data" &
pid=$!
win=$(xdotool search --sync --onlyvisible --name 'Kalyx PRN Tool' | head -n1)
sleep 1
xdotool windowfocus --sync "$win"
# A click on the name field selects it (its place in the window at this size).
xdotool mousemove --window "$win" ${NAME_X:-500} ${NAME_Y:-214} click 1
sleep 0.6
import -window "$win" "$out/design.png"
xdotool key --window "$win" ctrl+Tab
sleep 0.8
# Print: the chosen printer is ticked; the second network printer (third in the list) joins it.
xdotool key --window "$win" ctrl+p
sleep 0.8
xdotool key Down Down Down space Return
sleep 2.5
import -window "$win" "$out/batch.png"
# The batch ends before the window quits (a window quitting mid-batch asks first).
sleep 8
xdotool windowfocus --sync "$win"
xdotool key alt+q
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
kill "$pid" 2>/dev/null || true
wait "$pid" || true
SHOT
chmod +x "$work/design.sh"
XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work QT_QPA_PLATFORM=xcb \
  xvfb-run -a -s "-screen 0 1280x1024x24" \
  "$work/design.sh" "$root/$build/app/kalyxprntool" "$work/badge.card.json" "$work/people.csv" "$out"
echo "printed by the pool: $(ls "$work/pool1" | wc -l) + $(ls "$work/pool2" | wc -l)"
kill "${sims[@]}"
wait "${sims[@]}" 2>/dev/null || true

ls -l "$out"
