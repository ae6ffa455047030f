#!/usr/bin/env bash
# Times CSV export and import against COPY on the same table, side by side in
# one run, on a private cluster:
#   bash bench/csv/run.sh [BUILD_DIR] [ROWS]      (default: 1000000)
# The table has a primary key, one more index and 10 mixed columns. Export:
# `export --format csv` against `\copy ... TO` (COPY ... TO STDOUT, FORMAT
# csv). Import into an emptied table: `import --format csv` against `\copy
# ... FROM`. The two of a pair take turns; prints the median wall time of
# BENCH_ROUNDS rounds (default 3), rows/s, the ratio to COPY and the peak
# memory.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build}
rows=${2:-1000000}
source "$root/bench/common.sh"
bench_cluster psql

psql "$conninfo" -q -v ON_ERROR_STOP=1 <<SQL >/dev/null
CREATE TABLE mixed (
  id integer PRIMARY KEY, qty smallint, big bigint, price numeric(12,2), ratio double precision,
  name text, at timestamptz, flag boolean, day date, blob bytea);
CREATE INDEX mixed_name ON mixed (name);
INSERT INTO mixed
SELECT g, (g % 30000)::smallint, g::bigint * 1000003, (g % 100000) / 100.0, g / 7.0,
       CASE WHEN g % 10 = 0 THEN NULL ELSE 'name ' || g || ' O''Neil, "q"' END,
       timestamptz '2024-01-01 00:00:00+00' + g * interval '1 second', g % 2 = 0,
       date '2020-01-01' + g % 1000, decode(md5(g::text), 'hex')
FROM generate_series(1, $rows) g;
CREATE TABLE target (LIKE mixed INCLUDING ALL);
VACUUM ANALYZE mixed;
SQL
psql "$conninfo" -qc "\\copy mixed TO '$out/data.csv' (FORMAT csv, HEADER)"

empty_target='psql "$conninfo" -qc "TRUNCATE target"'

printf '%-34s %8s %10s %7s %12s\n' command seconds rows/s ratio peak
report() { # name seconds peak reference_seconds
  printf '%-34s %8s %10.0f %7.2f %9s KB\n' "$1" "$2" "$(echo "$rows / $2" | bc -l)" \
    "$(echo "$4 / $2" | bc -l)" "$3"
}
# Each pair's commands take turns, BENCH_ROUNDS rounds (default 3).
rounds=${BENCH_ROUNDS:-3}
results=$(bench_rounds "$rounds" \
  "\\copy TO (FORMAT csv)" : "psql '$conninfo' -qc \"\\\\copy mixed TO '$out/copy.csv' (FORMAT csv, HEADER)\"" \
  "export --format csv" : "'$cli' export --server '$conninfo' --table public.mixed --format csv -o '$out/export.csv'") || exit 1
{ read -r copy_out kb _ name; report "$name" "$copy_out" "$kb" "$copy_out"
  read -r s kb _ name; report "$name" "$s" "$kb" "$copy_out"; } <<<"$results"
cmp -s "$out/copy.csv" "$out/export.csv" && echo "  (the two files are byte for byte the same)"
results=$(bench_rounds "$rounds" \
  "\\copy FROM (FORMAT csv)" "$empty_target" "psql '$conninfo' -qc \"\\\\copy target FROM '$out/data.csv' (FORMAT csv, HEADER)\"" \
  "import --format csv --action append" "$empty_target" "'$cli' import --server '$conninfo' --table public.target --format csv '$out/data.csv'") || exit 1
{ read -r copy_in kb _ name; report "$name" "$copy_in" "$kb" "$copy_in"
  read -r s kb _ name; report "$name" "$s" "$kb" "$copy_in"; } <<<"$results"
same=$(psql "$conninfo" -Atc "SELECT count(*) FROM (SELECT * FROM mixed EXCEPT ALL SELECT * FROM target) x")
echo "  (rows of the table missing after the import: $same)"
