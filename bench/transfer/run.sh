#!/usr/bin/env bash
# Times `transfer` of one table of mixed columns against
# `pg_dump --data-only | psql`, side by side in one run on a private cluster:
#   bash bench/transfer/run.sh [BUILD_DIR] [ROWS]      (default: 1000000)
# Each command fills an empty copy of the table (primary key in place) from
# the source database, 3 times on a fresh copy; `transfer` also with --batch
# 1000, 10000 and 100000, and into an empty database, where it creates the
# table and adds its key after the rows. Prints the median wall time, rows
# per second and the peak memory, and checks after each command that the
# target holds the source's rows (count and hash).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build}
rows=${2:-1000000}
source "$root/bench/common.sh"
bench_cluster pg_dump psql
on() { local db=$1; shift; psql "$conninfo dbname=$db" -q -X -v ON_ERROR_STOP=1 "$@"; }

on postgres -c "CREATE DATABASE src" -c "CREATE DATABASE empty_copy" -c "CREATE DATABASE empty_db" >/dev/null
table='CREATE TABLE mixed (
  id integer PRIMARY KEY, name text, price numeric(12,2), at timestamptz, flag boolean, note text);'
on empty_copy -c "$table" >/dev/null
on src <<SQL >/dev/null
$table
INSERT INTO mixed
SELECT g, 'name ' || g || ' O''Neil', (g % 100000) / 100.0,
       timestamptz '2024-01-01 00:00:00+00' + g * interval '1 second', g % 2 = 0,
       CASE WHEN g % 10 = 0 THEN NULL ELSE repeat('n', g % 40) END
FROM generate_series(1, $rows) g;
VACUUM ANALYZE mixed;
SQL

fresh_target() {
  on postgres -c "SET client_min_messages = warning" -c "DROP DATABASE IF EXISTS dst" \
    -c "CREATE DATABASE dst TEMPLATE $1" >/dev/null
}
signature() { on "$1" -At -c "SELECT count(*) || ' ' || md5(string_agg(md5(t::text), '' ORDER BY id)) FROM mixed t"; }
want=$(signature src)
# measure TEMPLATE COMMAND: median seconds and peak kilobytes of three runs
# of COMMAND, each into a fresh target made from TEMPLATE; the target must
# then hold the source's rows.
measure() {
  local result
  result=$(bench_median "fresh_target $1" bash -c "$2") || exit 1
  [ "$(signature dst)" = "$want" ] || { echo "the target differs from the source after: $2" >&2; exit 1; }
  echo "$result"
}

echo "$rows rows; every target checked equal to the source (count and hash)"
bench_header
src="$conninfo dbname=src"
dst="$conninfo dbname=dst"
read -r s kb < <(measure empty_copy "pg_dump --data-only -t mixed '$src' | psql -q -X -v ON_ERROR_STOP=1 '$dst'")
bench_row "pg_dump --data-only | psql" "$s" "$kb"
transfer="'$cli' transfer --source '$src' --target '$dst' --schema public"
read -r s kb < <(measure empty_copy "$transfer")
bench_row "transfer" "$s" "$kb"
for batch in 1000 10000 100000; do
  read -r s kb < <(measure empty_copy "$transfer --batch $batch")
  bench_row "transfer --batch $batch" "$s" "$kb"
done
read -r s kb < <(measure empty_db "$transfer")
bench_row "transfer (into an empty database)" "$s" "$kb"
tail -1 "$out/stderr"
