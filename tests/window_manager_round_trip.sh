#!/usr/bin/env bash
# Both programs under a real X11 window manager that frames its windows:
# several start/close cycles in a row leave the saved window positions as they
# were, and a window pulled onto a smaller screen ends with its whole frame on
# it. The offscreen platform cannot show this: its frames are known at once.
#   window_manager_round_trip.sh BIN_DIR
# Exits 77 (skipped) when the X tools are not installed.
set -euo pipefail
bin="${1:?binary folder}"

source "$(dirname "$0")/support/x11_session.sh"
x11_require_tools

work="$(mktemp -d)"
trap 'x11_stop; rm -rf "$work"' EXIT

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

key() {  # file section-less key lookup: prints the value of KEY= in FILE
  tr -d '\r' <"$1" | awk -F= -v k="$2" '$1 == k { print $2; exit }'
}

# One start/close cycle: starts PROGRAM, waits for its window titled TITLE
# (a regular expression) and for its frame to lie on the screen, records the
# frame as "left top right bottom" in $frame, then closes the window as the
# window manager's close button does and waits for the program to end. Each
# wait ends when its thing is there, however loaded the machine; the test's
# own time limit is the only one.
cycle() {
  local program="$1" title="$2" pid wid
  "$program" >/dev/null 2>&1 &
  pid=$!
  wid=$(x11_wait_shown "$pid" "$title")
  [[ -n "$wid" ]] || { wait "$pid" 2>/dev/null; fail "$program ended without a window"; return 1; }
  echo "waiting for the frame of $program's window $wid to lie on the screen"
  frame=$(x11_wait_framed_on_screen "$wid") || {
    kill "$pid"
    fail "$program's window went away unframed"
    return 1
  }
  x11_close "$wid"
  while kill -0 "$pid" 2>/dev/null; do sleep 0.05; done
  wait "$pid" 2>/dev/null || true
}

# --- Tickwell: the saved position comes back, cycle after cycle ----------
x11_start 1280x1024 "$work"
mkdir "$work/clock"
cp "$bin/Tickwell" "$bin/Whoosh.wav" "$work/clock/"
printf '[GENERAL]\r\nLABEL=Ura\r\nCOLOR=clNavy\r\nAPLICATION=1\r\n[VIEW]\r\nTOP=40\r\nLEFT=960\r\n[APLICATION]\r\nCOLORAPP1=clRed\r\n' \
  >"$work/clock/Tickwellini.ini"
for i in 1 2 3 4; do
  cycle "$work/clock/Tickwell" '^Ura 1\.06' || break
  read -r fl ft _ _ <<<"$frame"
  top=$(key "$work/clock/Tickwellini.ini" TOP)
  left=$(key "$work/clock/Tickwellini.ini" LEFT)
  echo "Tickwell cycle $i: frame at $fl,$ft; saved LEFT=$left TOP=$top"
  [[ "$fl,$ft" == "960,40" ]] || fail "Tickwell cycle $i: frame at $fl,$ft, not 960,40"
  [[ "$left,$top" == "960,40" ]] || fail "Tickwell cycle $i: saved $left,$top, not 960,40"
done
x11_stop

# --- Corvatta: pulled onto screens narrower than its design position ------
today=$(date +%d.%m.%Y)
for size in 1280x1024 1024x768; do
  width=${size%x*}
  x11_start "$size" "$work"
  rm -rf "$work/logger"
  mkdir "$work/logger"
  cp "$bin/Corvatta" "$work/logger/"
  # The design position, and today's date so no calendar message comes up.
  printf '[VIEW]\r\nMainTop=114\r\nMainLeft=1067\r\n[INFO]\r\nLastDate=%s\r\n' "$today" \
    >"$work/logger/Corvattaini.ini"
  first=""
  for i in 1 2 3; do
    cycle "$work/logger/Corvatta" '^Corvatta 1\.11' || break
    read -r fl ft fr _ <<<"$frame"
    left=$(key "$work/logger/Corvattaini.ini" MainLeft)
    top=$(key "$work/logger/Corvattaini.ini" MainTop)
    echo "Corvatta on $size, cycle $i: frame $fl..$fr, top $ft; saved MainLeft=$left MainTop=$top"
    ((fr <= width)) || fail "Corvatta on $size: the frame ends at $fr, past the screen's $width"
    [[ "$left,$top" == "$fl,$ft" ]] || fail "Corvatta on $size: saved $left,$top for a frame at $fl,$ft"
    [[ -z "$first" || "$first" == "$left,$top" ]] || fail "Corvatta on $size: moved from $first to $left,$top"
    first="$left,$top"
  done
  x11_stop
done

((failures == 0)) && echo "all window positions kept"
exit $((failures > 0))
