#!/usr/bin/env bash
# Times `sync --data` of one table of mixed columns whose target copy
# differs in 1% of its rows (a third changed, a third missing, a third
# extra), against copying the whole table with `pg_dump | psql`, on a
# private cluster:
#   bash bench/datasync/run.sh [BUILD_DIR] [ROWS]      (default: 1000000)
# Each command runs on a fresh copy of the target database, the commands
# taking turns for BENCH_ROUNDS rounds (default 3); prints the median wall
# time, source rows per second and the peak memory, and checks that the
# synchronised target equals the source.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build}
rows=${2:-1000000}
source "$root/bench/common.sh"
bench_cluster pg_dump
on() { local db=$1; shift; psql "$conninfo dbname=$db" -q -X -v ON_ERROR_STOP=1 "$@"; }

table='CREATE TABLE mixed (
  id integer PRIMARY KEY, qty smallint, big bigint, price numeric(12,2), ratio double precision,
  name text, at timestamptz, flag boolean, day date, blob bytea);'
on postgres -c "CREATE DATABASE src"
on src <<SQL >/dev/null
$table
INSERT INTO mixed
SELECT g, (g % 30000)::smallint, g::bigint * 1000003, (g % 100000) / 100.0, g / 7.0,
       CASE WHEN g % 10 = 0 THEN NULL ELSE 'name ' || g || ' O''Neil' END,
       timestamptz '2024-01-01 00:00:00+00' + g * interval '1 second', g % 2 = 0,
       date '2020-01-01' + g % 1000, decode(md5(g::text), 'hex')
FROM generate_series(1, $rows) g;
VACUUM ANALYZE mixed;
SQL
on postgres -c "CREATE DATABASE want TEMPLATE src"
# 1% of the rows differ: every 300th row changed, every 300th (offset 100)
# missing, and as many extra rows.
on want <<SQL >/dev/null
UPDATE mixed SET name = coalesce(name, '') || ' changed', price = price + 1 WHERE id % 300 = 0;
DELETE FROM mixed WHERE id % 300 = 100;
INSERT INTO mixed (id, name) SELECT $rows + g, 'extra' FROM generate_series(1, $rows / 300) g;
VACUUM ANALYZE mixed;
SQL
differing=$(on want -At -c "SELECT count(*) FROM mixed WHERE id % 300 = 0 OR id > $rows")
differing=$((differing + $(on src -At -c "SELECT count(*) FROM mixed WHERE id % 300 = 100")))

fresh_target() {
  on postgres -c "DROP DATABASE IF EXISTS dst" -c "CREATE DATABASE dst TEMPLATE want" >/dev/null
}

echo "$rows rows, $differing differing"
bench_header
src="$conninfo dbname=src"
dst="$conninfo dbname=dst"
sync="'$cli' sync --source '$src' --target '$dst' --data --schema public"
results=$(bench_rounds "${BENCH_ROUNDS:-3}" \
  "pg_dump | psql (whole table)" fresh_target \
  "pg_dump -t mixed '$src' | psql -q -X -v ON_ERROR_STOP=1 '$dst' -c 'DROP TABLE mixed' -f -" \
  "sync --data --dry-run" fresh_target "$sync --dry-run" \
  "sync --data" fresh_target "$sync") || exit 1
while read -r s kb _ command; do bench_row "$command" "$s" "$kb"; done <<<"$results"
tail -1 "$out/stderr"
# The last sync left the target equal to the source.
src_hash=$(on src -At -c "SELECT md5(string_agg(md5(t::text), '' ORDER BY id)) FROM mixed t")
dst_hash=$(on dst -At -c "SELECT md5(string_agg(md5(t::text), '' ORDER BY id)) FROM mixed t")
[ "$src_hash" = "$dst_hash" ] && echo "target equals source after sync" ||
  { echo "target differs from source after sync" >&2; exit 1; }
