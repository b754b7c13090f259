#!/usr/bin/env bash
# The reference server on its two engines side by side: the five workloads
# of the peer measurement (the programs' own request bodies and its
# closed-loop load client), at 1, 4 and 16 clients, against
# norda_server on a SQLite copy of the sample database and on a private
# PostgreSQL cluster holding the same data (durable settings: fsync and
# synchronous commit on). Prints figures; it is not a test.
#
#   tools/bench/bench_engines.sh [ROUNDS]      (default 3)
#
# Needs the native build (build/native) and the Debian PostgreSQL server.
# The peer measurement lives beside the repository, not in it: its folder
# (bodies/*.txt, loadgen.c) is TARVEX_PEER_DIR, by default
# ../shared/peers/php next to this checkout.
# Uses 127.0.23.1 (SQLite), 127.0.23.2 (PostgreSQL) and 127.0.23.3:54320
# (the cluster); writes under $TMPDIR/engine-bench.
set -euo pipefail

ROUNDS=${1:-3}
root=$(cd "$(dirname "$0")/../.." && pwd)
PEER=${TARVEX_PEER_DIR:-$root/../shared/peers/php}
[ -f "$PEER/loadgen.c" ] || { echo "bench_engines: no peer measurement in $PEER (set TARVEX_PEER_DIR)" >&2; exit 2; }
BUILD=$root/build/native
WORK=${TMPDIR:-/tmp}/engine-bench
SQLITE_ADDR=127.0.23.1
POSTGRES_ADDR=127.0.23.2
CLUSTER_ADDR=127.0.23.3
PORT=8080
declare -A COUNT=([a]=2000 [b]=800 [c]=2000 [d]=300 [e]=1500)

pids=()
stop_all() {
  for pid in "${pids[@]}"; do kill -TERM "$pid" 2>/dev/null; wait "$pid" 2>/dev/null || true; done
  "$root/tools/harness/postgres_cluster.sh" stop "$WORK/cluster" 2>/dev/null || true
}
trap stop_all EXIT

rm -rf "$WORK"
mkdir -p "$WORK/bodies"
chmod 755 "$WORK"
cp "$PEER"/bodies/{a,b,d,e}.txt "$WORK/bodies/"
printf "sql=BEGIN;SELECT SUM(data_total) FROM fee_history_dt where client_no = '10001' AND feeday LIKE '%s%%';COMMIT;\n" \
  "$(date +%Y-%m)" > "$WORK/bodies/c.txt"
gcc -O2 -Wall -pthread "$PEER/loadgen.c" -o "$WORK/loadgen"

cp "$BUILD/sample/norda.sqlite" "$WORK/norda.sqlite"
"$root/tools/harness/postgres_cluster.sh" init "$WORK/cluster" $CLUSTER_ADDR 54320
conninfo="host=$CLUSTER_ADDR port=54320 user=postgres"
psql -q -X "$conninfo dbname=postgres" -c "CREATE DATABASE norda" >/dev/null
"$BUILD/server/norda_sample" --database "$conninfo dbname=norda"

start_server() {  # start_server ADDRESS DATABASE
  "$BUILD/server/norda_server" --address "$1" --port $PORT --database "$2" 2>"$WORK/server-$1.log" &
  pids+=($!)
  for _ in $(seq 100); do grep -q "serving" "$WORK/server-$1.log" && return; sleep 0.1; done
  echo "norda_server did not start on $1" >&2
  exit 1
}
start_server $SQLITE_ADDR "$WORK/norda.sqlite"
start_server $POSTGRES_ADDR "$conninfo dbname=norda"

# Both engines must give the same bytes before they are timed.
for w in a d e; do
  while IFS= read -r line; do
    a=$(printf '%s' "$line" | curl -s --data-binary @- "http://$SQLITE_ADDR:$PORT/norda/dbcommit.php" | md5sum)
    b=$(printf '%s' "$line" | curl -s --data-binary @- "http://$POSTGRES_ADDR:$PORT/norda/dbcommit.php" | md5sum)
    [ "$a" = "$b" ] || { echo "replies differ between the engines: $w" >&2; exit 1; }
  done < "$WORK/bodies/$w.txt"
done
echo "replies of workloads a, d and e are byte-identical on both engines"

results=$WORK/results.tsv
echo -e "round\tworkload\tconc\tengine\trps\tp50_ms\tp99_ms\terrors" > "$results"
measure() {  # measure ROUND WORKLOAD CONC ENGINE ADDRESS
  local out
  out=$("$WORK/loadgen" -a "$5" -p $PORT -c "$3" -n "${COUNT[$2]}" -w 20 -f "$WORK/bodies/$2.txt" || true)
  eval "$(echo "$out" | tr ' ' '\n' | grep '=' | sed 's/^/local /')"
  echo -e "$1\t$2\t$3\t$4\t$rps\t$p50_ms\t$p99_ms\t$errors" >> "$results"
}
for round in $(seq "$ROUNDS"); do
  for w in a b c d e; do
    for c in 1 4 16; do
      if (( round % 2 )); then
        measure "$round" $w $c sqlite $SQLITE_ADDR; measure "$round" $w $c postgresql $POSTGRES_ADDR
      else
        measure "$round" $w $c postgresql $POSTGRES_ADDR; measure "$round" $w $c sqlite $SQLITE_ADDR
      fi
    done
  done
done

python3 - "$results" <<'PY'
import csv, statistics, sys
from collections import defaultdict
runs = defaultdict(list)
with open(sys.argv[1]) as f:
    for row in csv.DictReader(f, delimiter="\t"):
        runs[(row["workload"], int(row["conc"]), row["engine"])].append(row)
def spread(rows, field):
    values = [float(r[field]) for r in rows]
    return f"{statistics.median(values):8.1f} [{min(values):.1f}-{max(values):.1f}]"
names = {"a": "sign-in", "b": "usage record", "c": "monthly sum", "d": "five-year daily", "e": "monthly"}
print("workload            conc engine      requests/s median [range]   p50 ms median [range]   p99 ms median [range]")
errors = 0
for (w, c, engine), rows in sorted(runs.items()):
    errors += sum(int(r["errors"]) for r in rows)
    print(f"{w} {names[w]:16} {c:4} {engine:10} {spread(rows, 'rps'):>26} {spread(rows, 'p50_ms'):>22} {spread(rows, 'p99_ms'):>22}")
print(f"failed requests: {errors}")
PY
