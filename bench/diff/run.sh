#!/usr/bin/env bash
# Times `diff` of two databases of TABLES tables that differ in 50 of them
# (20 with a new column, 15 with a retyped column, 15 without their index)
# next to reading both catalogs alone (`catalog` twice), side by side in one
# run on a private cluster:
#   bash bench/diff/run.sh [BUILD_DIR] [TABLES]      (default: 1000)
# Prints the median wall time of 3 runs and the peak memory of each.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build}
tables=${2:-1000}
source "$root/bench/common.sh"
bench_cluster
with_db() { echo "${conninfo/dbname=postgres/dbname=$1}"; }

for database in diff_source diff_target; do
  psql "$conninfo" -qc "CREATE DATABASE $database" >/dev/null
  psql "$(with_db $database)" -q -v tables="$tables" -f "$root/bench/catalog/schema.sql" >/dev/null
done
psql "$(with_db diff_source)" -q >/dev/null <<'SQL'
SELECT format('ALTER TABLE bench.t%s ADD COLUMN added_%s text', i, i) FROM generate_series(101, 120) i
\gexec
SELECT format('ALTER TABLE bench.t%s ALTER COLUMN parent TYPE bigint', i) FROM generate_series(121, 135) i
\gexec
SELECT format('DROP INDEX bench.t%s_c1', i) FROM generate_series(136, 150) i
\gexec
SQL

read_both() {
  "$cli" catalog --server "$(with_db diff_source)" -o "$out/a.json" &&
    "$cli" catalog --server "$(with_db diff_target)" -o "$out/b.json"
}
export -f read_both with_db
export cli out conninfo

read -r diff_s diff_peak < <(bench_median : "$cli" diff --source "$(with_db diff_source)" \
  --target "$(with_db diff_target)" -o "$out/patch.sql")
read -r catalogs_s catalogs_peak < <(bench_median : bash -c read_both)
"$cli" diff --source "$(with_db diff_source)" --target "$(with_db diff_target)" \
  -o "$out/patch.sql" 2>"$out/summary.txt"
printf '%8s %10s %14s %12s %14s  %s\n' tables diff_s catalog_x2_s diff_peak catalog_peak changes
printf '%8s %10s %14s %9s KB %11s KB  %s\n' "$tables" "$diff_s" "$catalogs_s" "$diff_peak" \
  "$catalogs_peak" "$(tail -n 1 "$out/summary.txt")"
