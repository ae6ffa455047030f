#!/usr/bin/env bash
# Times `export` of one table of mixed columns against pg_dump --data-only
# --inserts on the same table, side by side in one run, on a private cluster:
#   bash bench/export/run.sh [BUILD_DIR] [ROWS]      (default: 1000000)
# The table has 10 columns (integers, numeric, float, text with quotes,
# timestamptz, boolean, date, bytea, NULLs). Prints the median wall time of
# 3 runs, rows/s and the peak memory of each command.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build}
rows=${2:-1000000}
source "$root/bench/common.sh"
bench_cluster pg_dump

psql "$conninfo" -q -v ON_ERROR_STOP=1 <<SQL >/dev/null
CREATE TABLE mixed (
  id integer PRIMARY KEY, qty smallint, big bigint, price numeric(12,2), ratio double precision,
  name text, at timestamptz, flag boolean, day date, blob bytea);
INSERT INTO mixed
SELECT g, (g % 30000)::smallint, g::bigint * 1000003, (g % 100000) / 100.0, g / 7.0,
       CASE WHEN g % 10 = 0 THEN NULL ELSE 'name ' || g || ' O''Neil' END,
       timestamptz '2024-01-01 00:00:00+00' + g * interval '1 second', g % 2 = 0,
       date '2020-01-01' + g % 1000, decode(md5(g::text), 'hex')
FROM generate_series(1, $rows) g;
VACUUM ANALYZE mixed;
SQL


bench_header
read -r s kb < <(bench_median : pg_dump --data-only --inserts -t mixed -d "$conninfo" -f "$out/dump.sql")
bench_row "pg_dump --data-only --inserts" "$s" "$kb"
read -r s kb < <(bench_median : "$cli" export --server "$conninfo" --table public.mixed --format insert -o "$out/insert.sql")
bench_row "export --format insert" "$s" "$kb"
read -r s kb < <(bench_median : "$cli" export --server "$conninfo" --table public.mixed --format html -o "$out/page.html")
bench_row "export --format html" "$s" "$kb"
read -r s kb < <(bench_median : "$cli" export --server "$conninfo" --table public.mixed --format update -o "$out/update.sql")
bench_row "export --format update" "$s" "$kb"
read -r s kb < <(bench_median : "$cli" export --server "$conninfo" --table public.mixed --format md -o "$out/table.md")
bench_row "export --format md" "$s" "$kb"
