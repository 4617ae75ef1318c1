#!/usr/bin/env bash
# Run by bench/report under xvfb-run: starts tavrix-online 0 on $TAVRIX_HOME,
# answers the two boxes of each run until the simulator's log has been quiet
# for 5 s, then measures the idle window for SECONDS.
# Usage: window_idle.sh BUILD SIM_LOG OUT_DIR SECONDS
# Writes OUT_DIR/helper.pid and OUT_DIR/app.pid at once (a SIGTERM to the
# helper ends the window too), and OUT_DIR/window.result at the end:
# "cpu_ticks elapsed_s rss_kb".
set -euo pipefail
build=$1 simlog=$2 out=$3 seconds=$4

requests() { grep -c '^#' "$simlog" || true; }
# The boxes: visible windows whose whole title is the application's name.
# xdotool's --name matches the main window too, so each title is compared.
boxes() {
  local w
  for w in $(xdotool search --onlyvisible --pid "$app" --name 'Tavrix OnLine' 2>/dev/null); do
    [ "$(xdotool getwindowname "$w" 2>/dev/null)" = "Tavrix OnLine" ] && echo "$w"
  done
  true
}
# The press closes the box, so xdotool's release finds no window and the
# server keeps Return down: the window would then get 25 repeats a second.
# Hence the release for the whole display afterwards.
answer_boxes() {
  local w
  for w in $(boxes); do xdotool key --window "$w" Return 2>/dev/null || true; done
  xdotool keyup Return 2>/dev/null || true
}
boxes_open() { [ -n "$(boxes)" ]; }
# utime + stime of the whole process, in clock ticks (comm may hold spaces).
cpu_ticks() { sed 's/^.*) //' "/proc/$app/stat" | awk '{print $12 + $13}'; }

app="" sleeper=""
finish() {
  if [ -n "$sleeper" ]; then kill "$sleeper" 2>/dev/null || true; fi
  if [ -n "$app" ]; then
    kill "$app" 2>/dev/null || true
    wait "$app" 2>/dev/null || true
  fi
}
trap finish EXIT
trap 'exit 143' TERM
trap 'exit 130' INT
# A sleep that a signal cuts short.
nap() {
  sleep "$1" &
  sleeper=$!
  wait "$sleeper"
  sleeper=""
}
echo $$ >"$out/helper.pid"

before=$(requests)
"$build/bin/tavrix-online" 0 >"$out/online.log" 2>&1 &
app=$!
echo "$app" >"$out/app.pid"

# The auto-run cycle: one sale per run every 3 s, two boxes per run.
last=-1 quiet=0
for _ in $(seq 1 240); do
  nap 0.5
  kill -0 "$app" 2>/dev/null || { echo "window: tavrix-online ended early" >&2; cat "$out/online.log" >&2; exit 1; }
  answer_boxes
  n=$(requests)
  if [ "$n" -gt "$before" ] && [ "$n" -eq "$last" ]; then
    quiet=$((quiet + 1))
    [ "$quiet" -ge 10 ] && break
  else
    quiet=0
  fi
  last=$n
done
[ "$quiet" -ge 10 ] || { echo "window: the head office never went quiet" >&2; exit 1; }
if boxes_open; then
  echo "window: a box is still open after the runs:" >&2
  cat "$out/online.log" >&2
  tail -5 "$simlog" >&2
  exit 1
fi
echo "window: $((last - before)) requests from the window; idle from here" >&2

t0=$(cpu_ticks) s0=$(date +%s.%N) r0=$(requests)
nap "$seconds"
t1=$(cpu_ticks) s1=$(date +%s.%N) r1=$(requests)
rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$app/status")
if boxes_open; then echo "window: a box opened while idle" >&2; exit 1; fi
[ "$r1" -eq "$r0" ] || echo "window: $((r1 - r0)) requests while idle" >&2
echo "$((t1 - t0)) $(awk "BEGIN {print $s1 - $s0}") $rss" >"$out/window.result"

kill -TERM "$app"
wait "$app" 2>/dev/null || true
app=""
