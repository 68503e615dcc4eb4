#!/usr/bin/env bash
# Start-up and idle cost of the main window, under Xvfb with the emulated mouse. Prints figures;
# asserts nothing (targets: first frame < 100 ms, RSS < 45 MB, idle < 0.3 % of one core).
#   bench/shell/window-startup.sh [BUILD_DIR]      (default: build)
# Runs itself under xvfb-run when no display is set.
set -euo pipefail
build="${1:-build}"
build="$(cd "$build" && pwd)"
exe="$build/bin/pivane"
[ -x "$exe" ] || { echo "no $exe (build the pivane target first)" >&2; exit 1; }
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1400x900x24" "$0" "$build"
fi

work="$(mktemp -d /tmp/pivane-bench-XXXXXX)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/config" "$work/run" && chmod 700 "$work/run"
export HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run"
export GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1 PIVANE_HOME="$build/bin/"
runs=15

# One start: launch time to the first frame, then RSS once the window has settled.
one_start() {
  local log="$work/log" t0 frame pid rss
  t0=$(date +%s%N)
  PIVANE_REPORT_FIRST_FRAME=1 "$exe" --simulated-mouse=both --sim-state "$work/mouse.state" 2>"$log" &
  pid=$!
  for _ in $(seq 1 100); do
    grep -q first_frame_epoch_ns "$log" 2>/dev/null && break
    sleep 0.05
  done
  frame=$(sed -n 's/^first_frame_epoch_ns=//p' "$log" | head -1)
  sleep 0.5
  rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$pid/status" 2>/dev/null || echo 0)
  "$exe" --quit >/dev/null 2>&1 || kill "$pid"
  wait "$pid" 2>/dev/null || true
  if [ -n "$frame" ]; then echo "$(( (frame - t0) / 1000 )) $rss"; fi
}

one_start >/dev/null # warm the caches: fonts, skin images, the library
: >"$work/starts"
for _ in $(seq 1 $runs); do one_start >>"$work/starts"; done
count=$(wc -l <"$work/starts")
median_us=$(cut -d' ' -f1 "$work/starts" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
median_rss=$(cut -d' ' -f2 "$work/starts" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
printf 'first_frame_ms_median=%.1f over %d warm starts\n' "$(echo "$median_us / 1000" | bc -l)" "$count"
printf 'rss_mb_median=%.1f\n' "$(echo "$median_rss / 1024" | bc -l)"

# Idle: the window shown, the mouse selected, nothing changing, for 30 s.
"$exe" --simulated-mouse=both --sim-state "$work/mouse.state" 2>/dev/null &
pid=$!
for _ in $(seq 1 100); do
  win=$(xdotool search --onlyvisible --name '^ORMAN-Q410$' 2>/dev/null | head -1 || true)
  [ -n "$win" ] && break
  sleep 0.1
done
sleep 2
[ -n "${win:-}" ] && xdotool mousemove --window "$win" 73 161 click 1 mousemove --window "$win" 700 650
sleep 3
ticks=$(getconf CLK_TCK)
cpu() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
c0=$(cpu); t0=$(date +%s%N)
sleep 30
c1=$(cpu); t1=$(date +%s%N)
rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$pid/status")
"$exe" --quit >/dev/null 2>&1 || kill "$pid"
wait "$pid" 2>/dev/null || true
printf 'idle_cpu_percent_of_core=%.3f over %.1f s\n' \
  "$(echo "($c1 - $c0) / $ticks * 100 * 1000000000 / ($t1 - $t0)" | bc -l)" \
  "$(echo "($t1 - $t0) / 1000000000" | bc -l)"
printf 'idle_rss_mb=%.1f\n' "$(echo "$rss / 1024" | bc -l)"
