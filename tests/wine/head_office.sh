# The head office and the sample till the wine checks work against, sourced
# by them. Uses: work, linux_bin, fail; sets sim_pid, port (0: any free one,
# then the one taken), ho (the head office's database), till.

sim_pid="" port=0 ho=$work/HO.FDB till=$work/till

stop_sim() {
  [ -z "$sim_pid" ] || { kill "$sim_pid" 2>/dev/null; wait "$sim_pid" 2>/dev/null || true; }
  sim_pid=""
}

# Serves $ho (made when missing) on $port; extra arguments go to the
# simulator, so that each step can bring its own faults.
start_sim() {
  stop_sim
  local create=()
  [ -f "$ho" ] || create=(--create --machine 01,W01,S01)
  "$linux_bin/headoffice-sim" --port "$port" --database "127.0.0.1:$ho" "${create[@]}" "$@" \
    >"$work/sim.log" 2>&1 &
  sim_pid=$!
  for _ in $(seq 1 100); do
    grep -q '^listening on' "$work/sim.log" 2>/dev/null && break
    sleep 0.1
  done
  port=$(sed -n 's/^listening on 127.0.0.1:\([0-9]*\)$/\1/p' "$work/sim.log")
  [ -n "$port" ] || fail "the head-office simulator did not start: $(cat "$work/sim.log")"
}

# Per data kind: the till's rows, the rows marked, the rows at the head office.
report() { "$linux_bin/till-fixture" "$till" --report "127.0.0.1:$ho"; }
# One figure of one table: 1 its rows, 2 those marked, 3 those at the head office.
column() { report | awk -v t="$1" -v c="$2" '{ for (i = 1; i <= NF; i++) if ($i == t) print $(i + c) }'; }
