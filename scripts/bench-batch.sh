#!/usr/bin/env bash
# The batch end to end beside its yardstick: a field of WELLS wells (default 100 000) with 12
# regimes each in an SQLite well database, interpreted by a rule (default linear) on 1 and on JOBS
# threads (default 2), results written into kwu_ind; beside it scripts/batch-numpy.py, a plain
# numpy script that reads the same field, fits each well's line and writes the same UPDATEs.
# The commands take turns for RUNS rounds (default 3), each on a fresh copy of the field;
# printed per command: the median CPU time (user + system), wall time and peak memory, and the
# ratios the goals are on (linear: CPU ≤ 1,0× numpy's, JOBS jobs ≥ 1,7× one job in wall time,
# peak ≤ 16 MiB; break: CPU per well ≤ 0,3 ms). INDEX "no" leaves the regimes table without an
# index on kwu_id. The system's python3 runs the numpy script (Debian's python3-numpy is installed
# for it).
#   scripts/bench-batch.sh [WELLS] [RULE] [JOBS] [INDEX] [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
wells=${1:-100000}
rule=${2:-linear}
jobs=${3:-2}
index=${4:-yes}
runs=${5:-3}
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

# One run of a command on a fresh copy of the field; appends "cpu_ms wall_ms peak_kib" to $1.
runOnce() {
  local out=$1
  shift
  cp "$dir/field.db" "$dir/run.db"
  sync
  local start end
  start=$(date +%s%N)
  /usr/bin/time -o "$dir/one" -f "%U %S %M" "$@" >/dev/null 2>&1 || true
  end=$(date +%s%N)
  # GNU time puts a line about a non-zero exit status before its figures.
  read -r user sys peak < <(tail -n 1 "$dir/one")
  echo "$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%d", (u + s) * 1000 }') \
$(( (end - start) / 1000000 )) $peak" >>"$out"
}

# The medians of a file of runs: "cpu_ms wall_ms peak_kib".
medians() {
  for column in 1 2 3; do
    cut -d' ' -f"$column" "$1" | sort -n | awk '{ v[NR] = $1 } END { printf "%s ", v[int((NR + 1) / 2)] }'
  done
  echo
}

# BATCH names another build of the program to time the same way (an earlier one, say).
batch=("${BATCH:-build/indicator-batch}" --database "$dir/run.db" --rule "$rule" --pnas 5
       --summary "$dir/summary.csv" --jobs)
numpy=no
if [ "$rule" = linear ] && /usr/bin/python3 -c 'import numpy' 2>/dev/null; then
  numpy=yes
fi
# The commands take turns, RUNS rounds: the machine's speed drifts, and each figure beside its
# peer is taken in the same stretch of time.
: >"$dir/one-job"
: >"$dir/jobs"
: >"$dir/numpy"
for _ in $(seq "$runs"); do
  runOnce "$dir/one-job" "${batch[@]}" 1
  runOnce "$dir/jobs" "${batch[@]}" "$jobs"
  if [ "$numpy" = yes ]; then
    runOnce "$dir/numpy" /usr/bin/python3 scripts/batch-numpy.py "$dir/run.db"
  fi
done
read -r cpu1 wall1 peak1 < <(medians "$dir/one-job")
read -r cpuN wallN peakN < <(medians "$dir/jobs")
echo "wells: $wells, rule: $rule, index: $index, medians of $runs rounds"
printf '%-26s cpu %6d ms  wall %6d ms  peak %6.1f MiB\n' "indicator-batch, 1 job" "$cpu1" "$wall1" \
  "$(awk -v k="$peak1" 'BEGIN { print k / 1024 }')"
printf '%-26s cpu %6d ms  wall %6d ms  peak %6.1f MiB\n' "indicator-batch, $jobs jobs" "$cpuN" \
  "$wallN" "$(awk -v k="$peakN" 'BEGIN { print k / 1024 }')"
printf '%-26s %.2f× one job (wall)\n' "$jobs jobs" "$(awk -v a="$wall1" -v b="$wallN" 'BEGIN { print a / b }')"
printf '%-26s %.3f ms CPU per well\n' "1 job" "$(awk -v c="$cpu1" -v n="$wells" 'BEGIN { print c / n }')"
if [ "$numpy" = yes ]; then
  read -r cpuP wallP peakP < <(medians "$dir/numpy")
  printf '%-26s cpu %6d ms  wall %6d ms  peak %6.1f MiB\n' "numpy script" "$cpuP" "$wallP" \
    "$(awk -v k="$peakP" 'BEGIN { print k / 1024 }')"
  printf '%-26s %.2f× numpy (CPU), 1 job %.2f×\n' "$jobs jobs" \
    "$(awk -v a="$cpuN" -v b="$cpuP" 'BEGIN { print a / b }')" \
    "$(awk -v a="$cpu1" -v b="$cpuP" 'BEGIN { print a / b }')"
fi
