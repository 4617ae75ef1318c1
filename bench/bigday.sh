#!/usr/bin/env bash
# One upload run of a big day: N deletion-log rows of one date, all pending,
# go to the simulator in a single batch. Prints the run's wall time, the CPU
# time and peak memory of tavrix-upload, and the simulator's own time for the
# batch as its request log reports it.
# Usage: bench/bigday.sh [rows, default 20000]; BUILD=folder (default build)
set -euo pipefail
cd "$(dirname "$0")/.."
rows=${1:-20000}
build=${BUILD:-build}
isql() { isql-fb -q -user SYSDBA -password quietbell "$@"; }

scripts/firebird >/dev/null
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)" --target headoffice-sim tavrix-upload till-fixture >/dev/null

work=$(mktemp -d /tmp/tavrix-bigday-XXXXXX)
chmod 777 "$work"
"$build/bin/headoffice-sim" --port 0 --database "127.0.0.1:$work/HO.FDB" --create \
  --machine 01,W01,S01 >"$work/sim.log" 2>&1 &
sim=$!
trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 1 100); do grep -q '^listening' "$work/sim.log" && break; sleep 0.1; done
port=$(sed -n 's/^listening on 127.0.0.1:\([0-9]*\)$/\1/p' "$work/sim.log")

# A sample till with everything already transferred, then the big day alone.
"$build/bin/till-fixture" "$work/till" --port "$port" --days 1 >/dev/null
isql "127.0.0.1:$work/till/Data/POS_LOC.GDB" >/dev/null <<EOF
UPDATE LOC_MAIN SET TRN_CODE = 'Y';
UPDATE LOC_MAID SET TRN_CODE = 'Y';
UPDATE LOC_MAIN_CHG SET TRN_CODE = 'Y';
UPDATE LOC_MAST SET TRN_CODE = 'Y';
UPDATE LOC_MASD SET TRN_CODE = 'Y';
UPDATE LOC_MAST_CHG SET TRN_CODE = 'Y';
UPDATE POINT_MASTER SET TRN_CODE = 'Y';
UPDATE DECCASH_SUB SET TRN_CODE = 'Y';
UPDATE CREDIT_CARD SET TRN_CODE = 'Y';
UPDATE LOC_KEY SET TRN_CODE = 'Y';
UPDATE LOC_DAY SET TRN_CODE = 'Y';
DELETE FROM LOC_DELE;
SET TERM ^ ;
EXECUTE BLOCK AS
  DECLARE i INTEGER = 0;
BEGIN
  WHILE (i < $rows) DO
  BEGIN
    INSERT INTO LOC_DELE (SAL_DATE, SAL_NO, ORD_NO, PDC_NO, MAN_CODE, CLASS_NO, SAL_QTY,
                          U_PRICE, PER, PER_AMT, SAL_CODE, V_CODE, AMT)
    VALUES ('107/03/16', LPAD(:i / 10, 8, '0'), MOD(:i, 10) + 1, 'P' || MOD(:i, 500), 'A01',
            '1', '1', '35', '100', 35, '1', '0', '35');
    i = i + 1;
  END
END^
SET TERM ; ^
COMMIT;
EOF

TAVRIX_HOME="$work/till" /usr/bin/time -o "$work/time" -f "%e %U %S %M" \
  "$build/bin/tavrix-upload" 0 >"$work/run.log" 2>&1 || {
  cat "$work/run.log"
  exit 1
}
read -r wall user sys peak <"$work/time"
held=$(isql "127.0.0.1:$work/HO.FDB" <<<"SELECT COUNT(*) FROM POS_DELE;" | awk 'NF {n = $1} END {print n}')
echo "rows: $rows (head office holds $held)"
echo "upload run: $wall s wall, $(awk "BEGIN {print $user + $sys}") s CPU ($user user, $sys system), $peak KB peak memory"
batch=$(grep -E '^#[0-9]+ script ' "$work/sim.log" | sort -t' ' -k6 -n | tail -1)
echo "simulator, the batch: $(cut -d' ' -f6 <<<"$batch") ms (its log line: $batch)"
