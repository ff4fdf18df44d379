#!/usr/bin/env bash
# A throw-away PostgreSQL server for the database tests.
#   pg-fixture.sh start DIR   initialise and start it; DIR/port gets its port
#   pg-fixture.sh stop DIR    stop it and delete everything
# Databases: "wells" with a kwu_ind table holding kwu_id 1..9, "empty" with no table.
set -euo pipefail
action=$1
dir=$2
bin=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -n 1)

# initdb refuses to run as root: the server then runs as the postgres user.
as_server() {
  if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

stop() {
  if [ -f "$dir/base" ]; then
    base=$(cat "$dir/base")
    if [ -f "$base/data/postmaster.pid" ]; then
      as_server "$bin/pg_ctl" -D "$base/data" -m immediate -w stop >/dev/null 2>&1 || true
    fi
    rm -rf "$base"
  fi
  rm -rf "$dir"
}

if [ "$action" = stop ]; then
  stop
  exit 0
fi

stop
mkdir -p "$dir"
# The server's files and socket live in a short path of their own: a unix socket path must stay
# short, and the server's user may not be able to enter the build folder.
base=$(mktemp -d /tmp/idpg.XXXXXX)
echo "$base" >"$dir/base"
client=$(id -un)
if [ "$(id -u)" -eq 0 ]; then chown postgres "$base"; fi
as_server "$bin/initdb" -D "$base/data" --auth=trust --no-sync -U "$client" -E UTF8 \
  --locale=C >"$dir/initdb.log" 2>&1

for attempt in 1 2 3 4 5 6 7 8 9 10; do
  port=$((20000 + RANDOM % 30000))
  if as_server "$bin/pg_ctl" -D "$base/data" -w -t 30 -l "$base/data/server.log" \
      -o "-p $port -k $base -c listen_addresses=127.0.0.1 -c fsync=off" start >/dev/null; then
    echo "$port" >"$dir/port"
    break
  fi
done
if [ ! -f "$dir/port" ]; then
  cat "$base/data/server.log" >&2 || true
  echo "PostgreSQL did not start" >&2
  exit 1
fi

sql() {
  local database=$1
  shift
  "$bin/psql" -X -q -v ON_ERROR_STOP=1 -h 127.0.0.1 -p "$port" -U "$client" -d "$database" "$@"
}
sql postgres -c "create database wells" -c "create database empty"
sql wells -c "create table kwu_ind (kwu_id integer primary key, kprod numeric,
  pplast numeric, pzab_dop numeric)" \
  -c "insert into kwu_ind select i, 1, 1, 1 from generate_series(1, 9) i"
echo "PostgreSQL on 127.0.0.1:$port"
