# Helpers for the tests that run the programs on a virtual X display with a
# window manager (Xvfb and openbox). Sourced, not run.

# In the sanitizer build: Qt's X11 keyboard set-up hands libxkbcommon a reply
# that is not NUL-terminated, and its bounded strndup then looks like an
# overflow to ASan's strict string checks. That is inside the system
# libraries; every other check stays on.
if [[ -n "${ASAN_OPTIONS:-}" ]]; then
  export ASAN_OPTIONS="${ASAN_OPTIONS//strict_string_checks=1/strict_string_checks=0}"
fi

x11_require_tools() {  # exits 77 (skipped) when a tool is missing
  local tool
  for tool in Xvfb openbox wmctrl xdotool xprop xwininfo; do
    command -v "$tool" >/dev/null || { echo "SKIPPED: $tool is not installed"; exit 77; }
  done
}

x11_pids=()

# Starts a display of the given size ("1280x1024") with openbox on it and
# exports DISPLAY. $1 size, $2 a scratch folder, where openbox's own output
# is kept for when it fails.
x11_start() {
  local size="$1" dfile="$2/display" log="$2/openbox.log" attempt wm
  rm -f "$dfile"
  # -noreset: by default the server resets whenever its last client leaves,
  # and a client that connects during that reset is refused. The first poll
  # below would then make openbox fail at random with "Failed to open the
  # display".
  Xvfb -displayfd 9 -screen 0 "${size}x24" -nolisten tcp -noreset 9>"$dfile" >/dev/null 2>&1 &
  local xvfb=$!
  x11_pids+=("$xvfb")
  # A machine busy building and testing may be slow to start them: each wait
  # lasts until its thing is there or its process has ended.
  while [[ ! -s "$dfile" ]] && kill -0 "$xvfb" 2>/dev/null; do sleep 0.05; done
  if [[ ! -s "$dfile" ]]; then
    echo "Xvfb did not start"
    exit 1
  fi
  export DISPLAY=":$(head -n1 "$dfile")"
  # An openbox that quits at once is started again, up to three times.
  for attempt in 1 2 3; do
    openbox >>"$log" 2>&1 &
    wm=$!
    x11_pids+=("$wm")
    while kill -0 "$wm" 2>/dev/null; do
      xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
      sleep 0.05
    done
    echo "(openbox attempt $attempt on $DISPLAY quit)" >>"$log"
  done
  echo "openbox did not start:"
  cat "$log"
  exit 1
}

x11_stop() {
  local p
  for p in "${x11_pids[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${x11_pids[@]}"; do wait "$p" 2>/dev/null || true; done
  x11_pids=()
}

# Prints the id of the first visible window of process $1 whose title
# matches the regular expression $2, waiting up to 15 s; nothing if none.
x11_wait_window() {
  local wid=""
  for _ in $(seq 300); do
    wid=$(xdotool search --all --pid "$1" --onlyvisible --name "$2" 2>/dev/null | head -n1)
    [[ -n "$wid" ]] && break
    sleep 0.05
  done
  echo "$wid"
}

# Prints the id of the first visible window of process $1 whose title
# matches the regular expression $2 as soon as there is one, however long the
# program takes to start; nothing once the process has ended without one.
x11_wait_shown() {
  local wid=""
  while kill -0 "$1" 2>/dev/null; do
    wid=$(xdotool search --all --pid "$1" --onlyvisible --name "$2" 2>/dev/null | head -n1)
    [[ -n "$wid" ]] && break
    sleep 0.05
  done
  echo "$wid"
}

# Prints the frame of window $1 as "left top right bottom" once the window
# manager has framed it and the frame lies wholly on the screen, which is
# where the programs put their windows once their frames are known. Nothing,
# and status 1, once the window is gone.
x11_wait_framed_on_screen() {
  local sw sh x y w h l r t b
  read -r sw sh < <(xwininfo -root | awk '/  Width:/ { w = $2 } /  Height:/ { h = $2 } END { print w, h }')
  while xwininfo -id "$1" >/dev/null 2>&1; do
    read -r x y w h < <(xwininfo -id "$1" 2>/dev/null | awk '
      /Absolute upper-left X/ { x = $4 } /Absolute upper-left Y/ { y = $4 }
      /  Width:/ { w = $2 } /  Height:/ { h = $2 } END { print x, y, w, h }')
    read -r l r t b < <(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null |
      sed -n 's/.*= //; s/,//gp')
    if [[ -n "$b" && -n "$h" ]] && ((x - l >= 0 && y - t >= 0 && x + w + r <= sw && y + h + b <= sh)); then
      echo "$((x - l)) $((y - t)) $((x + w + r)) $((y + h + b))"
      return 0
    fi
    sleep 0.05
  done
  return 1
}

# The title of window $1 as the window manager reads it (_NET_WM_NAME).
x11_title() {
  xprop -id "$1" -notype _NET_WM_NAME | sed -n 's/^_NET_WM_NAME = "\(.*\)"$/\1/p'
}

# Closes window $1 as the window manager's close button does.
x11_close() {
  wmctrl -i -c "$(printf '0x%08x' "$1")"
}
