#!/usr/bin/env bash
# One upload run over a large sample till against the simulator on this
# machine: wall time, peak memory of tavrix-upload, requests made.
# Usage: bench/upload_run.sh [days of records, default 30]
set -euo pipefail
cd "$(dirname "$0")/.."
days=${1:-30}

scripts/firebird >/dev/null
cmake --build build -j "$(nproc)" --target headoffice-sim tavrix-upload till-fixture >/dev/null

work=$(mktemp -d /tmp/tavrix-bench-XXXXXX)
chmod 777 "$work"
build/bin/headoffice-sim --port 0 --database "127.0.0.1:$work/HO.FDB" --create \
  --machine 01,W01,S01 >"$work/sim.log" 2>&1 &
sim=$!
trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 1 100); do grep -q '^listening' "$work/sim.log" && break; sleep 0.1; done
port=$(sed -n 's/^listening on 127.0.0.1:\([0-9]*\)$/\1/p' "$work/sim.log")

build/bin/till-fixture "$work/till" --port "$port" --days "$days"
TAVRIX_HOME="$work/till" /usr/bin/time -f "upload run: %e s wall, %M KB peak memory" \
  build/bin/tavrix-upload >/dev/null
echo "requests: $(grep -c '^#' "$work/sim.log")"
