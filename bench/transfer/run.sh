#!/usr/bin/env bash
# Times `transfer` against `pg_dump --data-only | psql`, side by side in one
# run on a private cluster, on two shapes:
#   (a) one table of mixed columns, ROWS rows;
#   (b) 8 such tables of ROWS/4 rows each.
#   bash bench/transfer/run.sh [BUILD_DIR] [ROWS]      (default: 1000000)
# Each command fills empty copies of the tables (primary keys in place) from
# the source database, each run on a fresh copy: `transfer` as it is (binary
# COPY, as many jobs as tables up to 4), with --text-copy, with --jobs 1,
# with --batch 1000 and 100000, and into an empty database, where it creates
# the tables and adds their keys after the rows. The commands take turns,
# BENCH_ROUNDS rounds (default 3). Prints the median wall time, rows per
# second and the peak memory, and checks after each run that the target
# holds the source's rows (count and hash). Last, the bytes of the COPY
# stream per million rows, text and binary.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build}
rows=${2:-1000000}
rows_a=$rows
source "$root/bench/common.sh"
bench_cluster pg_dump psql
on() { local db=$1; shift; psql "$conninfo dbname=$db" -q -X -v ON_ERROR_STOP=1 "$@"; }

tables_a=(mixed)
tables_b=(m1 m2 m3 m4 m5 m6 m7 m8)
table_sql() { echo "CREATE TABLE $1 (
  id integer PRIMARY KEY, name text, price numeric(12,2), at timestamptz, flag boolean, note text);"; }
fill_sql() { echo "INSERT INTO $1
SELECT g, 'name ' || g || ' O''Neil', (g % 100000) / 100.0,
       timestamptz '2024-01-01 00:00:00+00' + g * interval '1 second', g % 2 = 0,
       CASE WHEN g % 10 = 0 THEN NULL ELSE repeat('n', g % 40) END
FROM generate_series(1, $2) g;"; }

# make_shape NAME COUNT TABLE...: databases NAME_src (filled), NAME_copy
# (empty tables) and NAME_empty (nothing).
make_shape() {
  local name=$1 count=$2 table
  shift 2
  on postgres -c "CREATE DATABASE ${name}_src" -c "CREATE DATABASE ${name}_copy" \
    -c "CREATE DATABASE ${name}_empty" >/dev/null
  for table in "$@"; do
    on "${name}_copy" -c "$(table_sql "$table")" >/dev/null
    on "${name}_src" -c "$(table_sql "$table")" -c "$(fill_sql "$table" "$count")" \
      -c "VACUUM ANALYZE $table" >/dev/null
  done
}

fresh_target() {
  on postgres -c "SET client_min_messages = warning" -c "DROP DATABASE IF EXISTS dst" \
    -c "CREATE DATABASE dst TEMPLATE $1" >/dev/null
}
# signature DB TABLE...: each table's count and hash.
signature() {
  local db=$1 table
  shift
  for table in "$@"; do
    on "$db" -At -c "SELECT count(*) || ' ' || md5(string_agg(md5(t::text), '' ORDER BY id)) FROM $table t"
  done
}

# run_shape NAME LABEL TOTAL TABLE...: every command on one shape.
run_shape() {
  local name=$1 label=$2 total=$3 s kb command
  shift 3
  local tables=("$@") want
  want=$(signature "${name}_src" "${tables[@]}")
  rows=$total
  echo
  echo "$label: $total rows; every target checked equal to the source (count and hash)"
  bench_header
  local src="$conninfo dbname=${name}_src" dst="$conninfo dbname=dst" dump_tables="" results
  for table in "${tables[@]}"; do dump_tables+=" -t $table"; done
  local transfer="'$cli' transfer --source '$src' --target '$dst' --schema public"
  local fresh="fresh_target ${name}_copy"
  # Each run must leave the source's rows in the target.
  bench_after='[ "$(signature dst "${tables[@]}")" = "$want" ] ||
    { echo "the target differs from the source" >&2; false; }'
  results=$(bench_rounds "${BENCH_ROUNDS:-3}" \
    "pg_dump --data-only | psql" "$fresh" \
    "pg_dump --data-only$dump_tables '$src' | psql -q -X -v ON_ERROR_STOP=1 '$dst'" \
    "transfer" "$fresh" "$transfer" \
    "transfer --text-copy" "$fresh" "$transfer --text-copy" \
    "transfer --jobs 1" "$fresh" "$transfer --jobs 1" \
    "transfer --jobs 1 --text-copy" "$fresh" "$transfer --jobs 1 --text-copy" \
    "transfer --batch 1000" "$fresh" "$transfer --batch 1000" \
    "transfer --batch 100000" "$fresh" "$transfer --batch 100000" \
    "transfer (into an empty database)" "fresh_target ${name}_empty" "$transfer") || exit 1
  bench_after=
  while read -r s kb _ command; do bench_row "$command" "$s" "$kb"; done <<<"$results"
  tail -1 "$out/stderr"
}

make_shape a "$rows_a" "${tables_a[@]}"
make_shape b $((rows_a / 4)) "${tables_b[@]}"
run_shape a "(a) one table" "$rows_a" "${tables_a[@]}"
run_shape b "(b) 8 tables" $((rows_a * 2)) "${tables_b[@]}"

# What crosses the connection: the COPY stream of the source's table, as
# text and in the binary format (the protocol adds 5 bytes a message).
echo
for format in text binary; do
  bytes=$(on a_src -c "COPY mixed TO STDOUT (FORMAT $format)" | wc -c)
  printf 'COPY %-6s %12.0f bytes per million rows\n' "$format" "$(echo "$bytes * 1000000 / $rows_a" | bc -l)"
done
