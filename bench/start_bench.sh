#!/usr/bin/env bash
# Corvatta's start against an empty Qt Widgets window of the same size: the
# time from starting the process until its window is mapped on the display,
# and the peak memory (VmHWM) once it is. Runs alternate between the two
# programs; the medians are reported with their ratio.
#   bench/start_bench.sh [build folder] [runs] [contacts in the log]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
runs="${2:-9}"
contacts="${3:-0}"

if [[ -z "${START_BENCH_INSIDE_XVFB:-}" ]]; then
  # -noreset: by default the server resets whenever its last client leaves
  # (each poll below is a client), and a program that connects during the
  # reset fails to start.
  exec env START_BENCH_INSIDE_XVFB=1 xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" \
    "$0" "$build" "$runs" "$contacts"
fi

# A program folder of its own with complete operator data, so Corvatta starts
# straight to its window, and a log of the asked size.
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$build/bin/Corvatta" "$work/"
printf '[GENERAL]\r\nMyCall=S59XYZ\r\nMyYearLic=75\r\nMode=CW\r\nEMode=0\r\nMyName=Ana\r\nMyAddress=Pot 1\r\nMyEmail=ana@example.org\r\n[VIEW]\r\nMainTop=10\r\nMainLeft=10\r\n' >"$work/Corvattaini.ini"
if ((contacts > 0)); then
  awk -v n="$contacts" 'BEGIN { for (i = 0; i < n; i++)
    printf "QSO:  3500 CW 2027-04-18 0712 S59XYZ       599 75      S5%04dA      599 %02d\r\n", i % 10000, i % 100 }' >"$work/S59XYZ.log"
fi

now_ns() { date +%s%N; }

# Starts a program, waits for its window, prints "milliseconds peak_kib".
measure() {  # command, window name
  local start pid ms hwm
  start=$(now_ns)
  "$1" >/dev/null 2>&1 &
  pid=$!
  until xdotool search --onlyvisible --name "$2" >/dev/null 2>&1; do
    if ! kill -0 "$pid" 2>/dev/null || (( $(now_ns) - start > 20000000000 )); then
      echo "$1 showed no window" >&2
      exit 1
    fi
  done
  ms=$(( ($(now_ns) - start) / 1000000 ))
  hwm=$(awk '/^VmHWM/ { print $2 }' "/proc/$pid/status")
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  echo "$ms $hwm"
}

median() { sort -n | awk '{ a[NR] = $1 } END { print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2 }'; }

: >"$work/corvatta.txt"
: >"$work/empty.txt"
for ((i = 0; i < runs; i++)); do
  measure "$work/Corvatta" '^Corvatta 1\.11' >>"$work/corvatta.txt"
  measure "$build/bench/empty_window" '^Empty reference window' >>"$work/empty.txt"
done

ct=$(cut -d' ' -f1 "$work/corvatta.txt" | median)
cm=$(cut -d' ' -f2 "$work/corvatta.txt" | median)
et=$(cut -d' ' -f1 "$work/empty.txt" | median)
em=$(cut -d' ' -f2 "$work/empty.txt" | median)
echo "contacts in the log: $contacts, runs: $runs (medians)"
printf 'Corvatta      start %5s ms  peak %7s KiB\n' "$ct" "$cm"
printf 'empty window  start %5s ms  peak %7s KiB\n' "$et" "$em"
awk -v a="$ct" -v b="$et" -v c="$cm" -v d="$em" 'BEGIN { printf "ratio         start %5.2f     peak %7.2f\n", a / b, c / d }'
