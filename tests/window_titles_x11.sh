#!/usr/bin/env bash
# Window titles as the window manager reads them: every window shows exactly
# its designed caption, with nothing appended, and the programs' message boxes
# carry the program's name.
#   window_titles_x11.sh BIN_DIR
# Exits 77 (skipped) when the X tools are not installed.
set -euo pipefail
bin="${1:?binary folder}"

source "$(dirname "$0")/support/x11_session.sh"
x11_require_tools

work="$(mktemp -d)"
running=""
trap '[[ -n "$running" ]] && kill "$running" 2>/dev/null; x11_stop; rm -rf "$work"' EXIT

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Checks that process $1 shows a window whose title is exactly $2.
expect_title() {
  local wid title pattern
  pattern="^$(sed 's/[].[*^$\\]/\\&/g' <<<"$2")"
  wid=$(x11_wait_window "$1" "$pattern\$")
  # Not found as it should be: any window whose title starts so, to show it.
  [[ -n "$wid" ]] || wid=$(xdotool search --all --pid "$1" --onlyvisible --name "$pattern" | head -n1)
  if [[ -z "$wid" ]]; then
    fail "no window titled like \"$2\""
    return 1
  fi
  title=$(x11_title "$wid")
  echo "window $wid: \"$title\""
  [[ "$title" == "$2" ]] || fail "title \"$title\", expected \"$2\""
  found="$wid"
}

# The same for a message box: a dialog window.
expect_box_title() {
  expect_title "$@" || return 1
  xprop -id "$found" _NET_WM_WINDOW_TYPE | grep -q _NET_WM_WINDOW_TYPE_DIALOG ||
    fail "\"$2\" is not a message box"
}

start() {  # starts program $1 in the background; its pid in $running
  "$1" >/dev/null 2>&1 &
  running=$!
}
stop() {
  kill "$running" 2>/dev/null || true
  wait "$running" 2>/dev/null || true
  running=""
}

x11_start 1280x1024 "$work"

# --- Tickwell: LABEL + " 1.06"; an error box at start is "Tickwell" -------
mkdir "$work/clock"
cp "$bin/Tickwell" "$bin/Whoosh.wav" "$work/clock/"
printf '[GENERAL]\r\nLABEL=Ura\r\nCOLOR=clNavy\r\n[APLICATION]\r\nCOLORAPP1=clRed\r\n' \
  >"$work/clock/Tickwellini.ini"
start "$work/clock/Tickwell"
expect_title "$running" "Ura 1.06" || true
stop
# A bad first button colour stops the start-up with the design caption.
printf '[GENERAL]\r\nLABEL=Ura\r\nCOLOR=clNavy\r\n[APLICATION]\r\nCOLORAPP1=rdeca\r\n' \
  >"$work/clock/Tickwellini.ini"
start "$work/clock/Tickwell"
expect_box_title "$running" "Tickwell" || true
expect_title "$running" "Tick Well" || true
stop

# --- Corvatta: the main and the keyer window ------------------------------
mkdir "$work/logger"
cp "$bin/Corvatta" "$work/logger/"
# Today's date, so that no calendar message comes up; the operator data are
# incomplete, so the data panel with its keyer field is open.
printf '[VIEW]\r\nMainTop=10\r\nMainLeft=10\r\n[INFO]\r\nLastDate=%s\r\n' "$(date +%d.%m.%Y)" \
  >"$work/logger/Corvattaini.ini"
start "$work/logger/Corvatta"
if expect_title "$running" "Corvatta 1.11"; then
  main="$found"
  sleep 0.5
  # The keyer field "Setup Winkeyer" of the data panel opens the keyer window:
  # the panel lies at (200, 27) below the menu bar, the field at (330, 150)
  # in it, 135 x 24.
  height=$(xwininfo -id "$main" | awk '/  Height:/ { print $2 }')
  menu=$((height - 486))
  xdotool mousemove --window "$main" $((200 + 330 + 67)) $((menu + 27 + 150 + 12)) click 1
  expect_title "$running" "Corvattans - WinKeyer Options" || true
fi
stop

# --- Corvatta: an error box at start is "Corvatta" ------------------------
# A folder where the log file of the starting callsign should be.
rm -f "$work/logger/S5.log"
mkdir "$work/logger/S5.log"
start "$work/logger/Corvatta"
expect_box_title "$running" "Corvatta" || true
stop

((failures == 0)) && echo "all titles as designed"
exit $((failures > 0))
