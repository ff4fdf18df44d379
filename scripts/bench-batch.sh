#!/usr/bin/env bash
# The batch end to end: a field of WELLS wells (default 100 000) with 12 regimes each in an SQLite
# well database, interpreted by a rule (default linear) on JOBS threads (default 2), results
# written into kwu_ind. Prints the wall time (and the peak memory where GNU time is installed).
# INDEX "no" leaves the regimes table without an index on kwu_id: the time should hardly change.
#   scripts/bench-batch.sh [WELLS] [RULE] [JOBS] [INDEX]
set -euo pipefail
cd "$(dirname "$0")/.."
wells=${1:-100000}
rule=${2:-linear}
jobs=${3:-2}
index=${4:-yes}
bash scripts/install-deps.sh
bash scripts/build.sh indicator-batch
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
sqlite3 "$dir/field.db" <<SQL
create table kwu_ind (kwu_id integer primary key, kprod real, pplast real, pzab_dop real);
create table kwu_regime (kwu_id integer, rate double, pressure double, well_type integer);
with recursive w(id) as (select 1 union all select id + 1 from w where id < $wells)
insert into kwu_ind select id, 0, 0, 0 from w;
with recursive w(id) as (select 1 union all select id + 1 from w where id < $wells),
     k(n) as (select 1 union all select n + 1 from k where n < 12)
insert into kwu_regime
  select id, 10.0 * n, 25 - 0.1 * n - 0.02 * ((id * 7 + n * 13) % 5), 1 from w, k;
SQL
if [ "$index" != no ]; then
  sqlite3 "$dir/field.db" "create index kwu_regime_id on kwu_regime(kwu_id)"
fi
run=(build/indicator-batch --database "$dir/field.db" --rule "$rule" --pnas 5 --jobs "$jobs"
     --summary "$dir/summary.csv")
if [ -x /usr/bin/time ]; then run=(/usr/bin/time -f "peak memory: %M KiB" "${run[@]}"); fi
start=$(date +%s%N)
"${run[@]}" || true
end=$(date +%s%N)
echo "wells: $wells, rule: $rule, jobs: $jobs, index: $index, wall time: $(( (end - start) / 1000000 )) ms"
