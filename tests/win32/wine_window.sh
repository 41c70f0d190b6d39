# Shell functions for tests that drive a window program under wine on an X display (DISPLAY),
# sourced by the bundle smoke run and the installer test. Each takes the window's exact title.

# Prints the X window whose title is exactly $1. wine may replace a window's X window while it
# sets the window up, so callers look it up each time.
window_titled() {
  local w
  for w in $(xdotool search --onlyvisible --name 'Kalyx PRN Tool' 2>/dev/null); do
    [ "$(xdotool getwindowname "$w" 2>/dev/null)" = "$1" ] && { echo "$w"; return 0; }
  done
  return 1
}

# The titles of the windows shown, for messages.
shown_titles() {
  local w
  for w in $(xdotool search --onlyvisible --name . 2>/dev/null); do
    xdotool getwindowname "$w" 2>/dev/null
  done | sort -u | paste -sd '|'
}

# Waits (60 s at most) for the window titled $1 of the process $2; says which titles it saw.
wait_for_window() {
  local title=$1 pid=$2
  for _ in $(seq 300); do
    window_titled "$title" > /dev/null && return 0
    if ! kill -0 "$pid" 2>/dev/null; then
      echo "the program ended before showing a window titled '$title'" >&2
      return 1
    fi
    sleep 0.2
  done
  echo "no window titled '$title' within 60 s (titles: $(shown_titles))" >&2
  return 1
}

# Closes the window titled $1 and waits for its process $2 to end with status 0: with Alt+F4, or,
# when $3 names the program, with the close message Windows sends (taskkill without /f). A window
# that wine closed on Alt+F4 leaves the Alt key pressed for wine, and the prefix's next window
# closes itself as soon as it is shown: a test that opens another window uses the message.
# A window still busy with what it opened (a design under a loaded machine) gets 10 s a try.
close_window() {
  local title=$1 pid=$2 program=${3:-} win status=0
  for _ in $(seq 3); do
    win=$(window_titled "$title") || break
    if [ -n "$program" ]; then
      wine taskkill /im "$program" > /dev/null 2>&1 || true
    else
      xdotool windowfocus --sync "$win" key --window "$win" alt+F4 2>/dev/null || true
    fi
    for _ in $(seq 100); do
      kill -0 "$pid" 2>/dev/null || break 2
      sleep 0.1
    done
  done
  # A window gone whose process lingers (wine under load) gets 20 s more to end.
  for _ in $(seq 200); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then
    kill "$pid"
    echo "the window '$title' did not close (titles: $(shown_titles))" >&2
    return 1
  fi
  wait "$pid" || status=$?
  [ "$status" -eq 0 ] || { echo "the program of '$title' exited with status $status" >&2; return 1; }
  # wine may give the next program's window the same X window: wait until this one is gone.
  for _ in $(seq 50); do
    window_titled "$title" > /dev/null || return 0
    sleep 0.1
  done
}
