#!/usr/bin/env bash
# CPU time of the running clock against `xclock -digital -update 1` and
# against an empty Qt window ticking once a second (build/bench/empty_tick),
# all on the same virtual display over the same span, after a short settling
# time.
# Repeated RUNS times with fresh processes, started in a rotating order, and
# summed up as medians and the ratio of the medians.
#   bench/clock_cpu.sh [build folder] [seconds] [runs]
# With CLOCK_CPU_REFERENCE set to a folder holding another Tickwell (an older
# build, say), that one runs beside the others as well.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
seconds="${2:-60}"
runs="${3:-5}"
settle=5
reference="${CLOCK_CPU_REFERENCE:-}"

command -v xclock >/dev/null || {
  echo "xclock is needed as the yardstick: apt-get install x11-apps" >&2
  exit 1
}

if [[ -z "${CLOCK_CPU_INSIDE_XVFB:-}" ]]; then
  exec env CLOCK_CPU_INSIDE_XVFB=1 xvfb-run -a -s "-screen 0 1280x1024x24" \
    "$0" "$build" "$seconds" "$runs"
fi

[[ -x "$build/bench/empty_tick" ]] || {
  echo "$build/bench/empty_tick is missing: build with -DCORVATTA_BENCH=ON" >&2
  exit 1
}

# Copies of the programs and their files, so the build's settings stay as
# they are; the reference clock sits elsewhere on the screen.
work="$(mktemp -d)"
pids=()
trap 'kill "${pids[@]}" 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir "$work/new"
cp "$build/bin/Tickwell" "$build/bin/Tickwellini.ini" "$build/bin/Whoosh.wav" "$work/new/"
# The empty ticking window is the floor: what any Qt program with a timer
# once a second costs here.
names=(Tickwell xclock floor)
commands=("$work/new/Tickwell" "xclock -digital -update 1" "$build/bench/empty_tick")
if [[ -n "$reference" ]]; then
  mkdir "$work/ref"
  cp "$reference/Tickwell" "$work/ref/"
  cp "$build/bin/Tickwellini.ini" "$build/bin/Whoosh.wav" "$work/ref/"
  sed -i 's/^LEFT=.*/LEFT=600\r/' "$work/ref/Tickwellini.ini"
  names+=(reference)
  commands+=("$work/ref/Tickwell")
fi
count=${#names[@]}

cpu_ns() {  # time all threads of a process have run on a CPU, in nanoseconds
  # (finer than the 10 ms ticks of /proc/PID/stat)
  cat /proc/"$1"/task/*/schedstat | awk '{ sum += $1 } END { printf "%.0f\n", sum }'
}
wakeups() {  # voluntary context switches of all threads: how often it slept
  cat /proc/"$1"/task/*/status | awk '/^voluntary_ctxt_switches/ { sum += $2 } END { print sum }'
}
median() {
  sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

declare -A cpu wake
declare -a run_ms
ratios=""
for ((run = 1; run <= runs; run++)); do
  pids=()
  # Rotate the start order from run to run.
  for ((k = 0; k < count; k++)); do
    i=$(((k + run - 1) % count))
    ${commands[$i]} >/dev/null 2>&1 &
    pids[$i]=$!
  done
  sleep "$settle"
  declare -a c0 w0
  for ((i = 0; i < count; i++)); do
    c0[$i]=$(cpu_ns "${pids[$i]}")
    w0[$i]=$(wakeups "${pids[$i]}")
  done
  sleep "$seconds"
  # The load says how far a run can be trusted: on a busy machine every
  # wake-up costs more, and the two programs do not suffer alike.
  line="run $run (load $(cut -d' ' -f1 /proc/loadavg)):"
  for ((i = 0; i < count; i++)); do
    ms=$(awk -v a="${c0[$i]}" -v b="$(cpu_ns "${pids[$i]}")" 'BEGIN { printf "%.1f", (b - a) / 1e6 }')
    w=$(($(wakeups "${pids[$i]}") - w0[i]))
    run_ms[$i]=$ms
    cpu[${names[$i]}]+="$ms "
    wake[${names[$i]}]+="$w "
    line+=$(printf '  %s %7.1f ms, %4d wake-ups' "${names[$i]}" "$ms" "$w")
  done
  echo "$line"
  # Both programs of a run share its conditions; the median of the runs'
  # own ratios is the steadier figure when the machine's load drifts.
  ratios+="$(awk -v t="${run_ms[0]}" -v x="${run_ms[1]}" 'BEGIN { printf "%.3f", t / x }') "
  kill "${pids[@]}" 2>/dev/null || true
  wait "${pids[@]}" 2>/dev/null || true
  pids=()
done

echo "medians over $runs runs of $seconds s:"
for name in "${names[@]}"; do
  m=$(tr ' ' '\n' <<<"${cpu[$name]}" | grep . | median)
  w=$(tr ' ' '\n' <<<"${wake[$name]}" | grep . | median)
  printf '  %-9s %7.1f ms CPU, %5s wake-ups\n' "$name" "$m" "$w"
  eval "median_$name=$m"
done
awk -v t="$median_Tickwell" -v x="$median_xclock" \
  'BEGIN { printf "Tickwell / xclock: %.2f\n", t / x }'
printf 'median of the runs'"'"' own ratios: %.2f\n' "$(tr ' ' '\n' <<<"$ratios" | grep . | median)"
awk -v f="$median_floor" -v x="$median_xclock" -v t="$median_Tickwell" \
  'BEGIN { printf "floor / xclock: %.2f; Tickwell / floor: %.2f\n", f / x, t / f }'
if [[ -n "$reference" ]]; then
  awk -v r="$median_reference" -v x="$median_xclock" -v t="$median_Tickwell" \
    'BEGIN { printf "reference / xclock: %.2f; Tickwell / reference: %.2f\n", r / x, t / r }'
fi
