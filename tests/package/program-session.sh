#!/usr/bin/env bash
# Drives an installed Tarnel on the X display of the caller (run it under xvfb-run):
#   program-session.sh answers   PROGRAM DEVTOOLS_PORT
#     the main window appears and the program's built-in map service answers a map query;
#   program-session.sh remembers PROGRAM DEVTOOLS_PORT
#     and a search by coordinates typed into the window is kept in the user's data folder and
#     shown again at the next start.
# The page the map view shows is read through WebEngine's remote debugging, on DEVTOOLS_PORT.
set -euo pipefail
mode="$1" program="$2" devtools="$3"
latitude=48.8584 longitude=2.2945
pid=""
log="$(mktemp)"

# The program's own output is shown only when something went wrong.
fail() {
  echo "FAIL: $*" >&2
  echo "--- the program's output" >&2
  tail -n 40 "$log" >&2
  exit 1
}

stop_program() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  fi
  pid=""
}
trap 'stop_program; rm -f "$log"' EXIT

# Runs "$@" once a second until it succeeds or SECONDS_LEFT (first argument) run out.
retry() {
  local seconds="$1"
  shift
  for _ in $(seq "$seconds"); do
    "$@" && return 0
    sleep 1
  done
  return 1
}

start_program() {
  QT_QPA_PLATFORM=xcb QTWEBENGINE_DISABLE_SANDBOX=1 \
    QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu --disable-background-networking" \
    QTWEBENGINE_REMOTE_DEBUGGING="127.0.0.1:$devtools" LC_ALL=C.UTF-8 \
    "$program" >>"$log" 2>&1 &
  pid=$!
}

main_window() {
  window="$(xdotool search --name '^Tarnel - v' 2>/dev/null | head -n 1)"
  [ -n "$window" ]
}

# The port of the built-in map service: the program's one listening socket besides the
# remote debugging one.
service_port() {
  port="$(ss -Hltnp 2>/dev/null | grep "pid=$pid," | awk '{print $4}' | sed 's/.*://' |
    grep -vx "$devtools" | head -n 1)"
  [ -n "$port" ]
}

# The address of the page the map view shows.
shown_page() {
  curl -fsS --max-time 5 "http://127.0.0.1:$devtools/json/list" 2>/dev/null |
    grep -o '"url": *"[^"]*"' | sed 's/"url": *"\(.*\)"/\1/'
}

shows() {
  shown_page | grep -qF "$1"
}

start_and_check() {
  start_program
  retry 90 main_window || fail "the main window did not appear"
  echo "main window: $(xdotool getwindowname "$window")"
  retry 60 service_port || fail "the built-in map service is not listening"
  local page
  page="$(curl -fsS --max-time 10 "http://127.0.0.1:$port/maps?q=$latitude,$longitude")" ||
    fail "the built-in map service on port $port did not answer"
  grep -qi '<html' <<<"$page" || fail "the map service's answer is not a page"
  echo "built-in map service on port $port answers a map query (${#page} bytes)"
  retry 60 shows "http://127.0.0.1:$port/maps?q=" || fail "the map view shows no map page"
}

quit_program() {
  # A message box titled like the program says the last position could not be saved.
  if xdotool search --onlyvisible --name '^Tarnel$' >/dev/null 2>&1; then
    fail "a message box is open: the last position could not be saved"
  fi
  xdotool windowfocus --sync "$window" key alt+q
  retry 30 bash -c "! kill -0 $pid 2>/dev/null" ||
    fail "Alt+Q did not end the program (is a message box open?)"
  wait "$pid" || fail "the program ended with status $?"
  pid=""
}

start_and_check
if [ "$mode" = answers ]; then
  quit_program
  exit 0
fi

# Street, town, postal code, country and the address search come first in the tab order.
xdotool windowfocus --sync "$window"
xdotool key --delay 60 Tab Tab Tab Tab Tab
xdotool type --delay 60 "$latitude"
xdotool key --delay 60 Tab
xdotool type --delay 60 "$longitude"
xdotool key --delay 60 Tab space
retry 30 shows "/maps?q=$latitude%2C$longitude" || fail "the search did not show the place"
echo "search shown: $(shown_page)"
quit_program

saved="$(find "$HOME/.local/share" -name SavDerPos.ini 2>/dev/null)"
[ -n "$saved" ] || fail "no last position in the user's data folder ($HOME/.local/share)"
[ "$(cat "$saved")" = "\"$latitude,$longitude\""$'\r' ] || fail "$saved holds $(od -c "$saved")"
echo "last position kept in $saved"

start_and_check
retry 60 shows "/maps?q=$latitude,$longitude" || fail "the last position did not come back"
echo "next start shows: $(shown_page)"
quit_program
