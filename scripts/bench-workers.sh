#!/usr/bin/env bash
# A shared run end to end: a field of WELLS wells (default 100 000) with 4 regimes each on a
# throw-away PostgreSQL server, --start-run, then WORKERS workers (default 2). Prints the rate of
# the first 10 000 wells and of the last 10 000: the claim must cost the same at the end of the
# run as at its start (the second rate at least 80 % of the first on a quiet machine). Workers
# claim 64 wells a round trip; the goal is 1 500 wells/s with 2 workers.
#   scripts/bench-workers.sh [WELLS] [WORKERS]
set -euo pipefail
cd "$(dirname "$0")/.."
wells=${1:-100000}
workers=${2:-2}
bash scripts/install-deps.sh
bash scripts/build.sh
dir=$(mktemp -d)
trap 'bash tests/support/pg-fixture.sh stop "$dir/pg"; rm -rf "$dir"' EXIT
bash tests/support/pg-fixture.sh start "$dir/pg" >/dev/null
port=$(cat "$dir/pg/port")
psql_bin=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -n 1)/psql
sql() { "$psql_bin" -X -q -t -A -h 127.0.0.1 -p "$port" -U "$(id -un)" -d wells -c "$1"; }
sql "create table kwu_regime (kwu_id integer, rate double precision, pressure double precision,
  well_type integer);
  insert into kwu_regime select i, 10 * k, 20 - 0.2 * k + 0.01 * (k % 2) + i * 1e-5, 1
    from generate_series(1, $wells) i, generate_series(1, 4) k;
  create index on kwu_regime (kwu_id);
  insert into kwu_ind select i, 0, 0, 0 from generate_series(10, $wells) i;"
# The work table's own ODBC setup: the PostgreSQL driver under the name the program asks for.
export ODBCSYSINI=$PWD/build/tests/odbc
# BATCH names another build of the program to time the same way (an earlier one, say).
batch=("${BATCH:-build/indicator-batch}" --connection "Provider=MSDASQL;Trusted_Connection=yes;Database=wells"
       --server "127.0.0.1,$port" --rule linear --pnas 5)
"${batch[@]}" --start-run
for _ in $(seq "$workers"); do "${batch[@]}" --worker >/dev/null 2>&1 & done
# The time at which the done count first reaches each mark, in milliseconds.
reached() {
  while [ "$(sql "select count(*) from kwu_batch_work where done")" -lt "$1" ]; do sleep 0.2; done
  date +%s%3N
}
start=$(date +%s%3N)
first=$(reached 10000)
last_from=$(reached $((wells - 10000)))
end=$(reached "$wells")
wait
echo "wells: $wells, workers: $workers"
echo "first 10 000: $((10000 * 1000 / (first - start))) wells/s"
echo "last 10 000: $((10000 * 1000 / (end - last_from))) wells/s"
