#!/usr/bin/env bash
# CPU time of the running clock against `xclock -digital -update 1`, both on
# the same virtual display over the same span, after a short settling time.
#   bench/clock_cpu.sh [build folder] [seconds]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
seconds="${2:-60}"
settle=5

if [[ -z "${CLOCK_CPU_INSIDE_XVFB:-}" ]]; then
  exec env CLOCK_CPU_INSIDE_XVFB=1 xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build" "$seconds"
fi

# A copy of the program and its files, so the build's settings stay as they are.
work="$(mktemp -d)"
trap 'kill "${tickwell:-}" "${xclock:-}" 2>/dev/null || true; rm -rf "$work"' EXIT
cp "$build/bin/Tickwell" "$build/bin/Tickwellini.ini" "$build/bin/Whoosh.wav" "$work/"

cpu_ns() {  # time all threads of a process have run on a CPU, in nanoseconds
  # (finer than the 10 ms ticks of /proc/PID/stat)
  cat /proc/"$1"/task/*/schedstat | awk '{ sum += $1 } END { printf "%.0f\n", sum }'
}
rss_kib() {
  awk '/^VmRSS/ { print $2 }' "/proc/$1/status"
}

"$work/Tickwell" >/dev/null 2>&1 &
tickwell=$!
xclock -digital -update 1 >/dev/null 2>&1 &
xclock=$!
sleep "$settle"
t0=$(cpu_ns "$tickwell")
x0=$(cpu_ns "$xclock")
sleep "$seconds"
t1=$(cpu_ns "$tickwell")
x1=$(cpu_ns "$xclock")

report() {  # name, ns at start, ns at end, pid
  awk -v n="$1" -v a="$2" -v b="$3" -v s="$seconds" -v rss="$(rss_kib "$4")" \
    'BEGIN { ms = (b - a) / 1e6;
             printf "%-8s %7.1f ms CPU in %d s (%.4f %% of one core); with start-up %7.1f ms; RSS %d KiB\n",
                    n, ms, s, ms / (s * 10), b / 1e6, rss }'
}
report Tickwell "$t0" "$t1" "$tickwell"
report xclock "$x0" "$x1" "$xclock"
