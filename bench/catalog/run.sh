#!/usr/bin/env bash
# Times a deep catalog read against pg_dump --schema-only on the same
# databases, side by side in one run, on a private cluster:
#   bash bench/catalog/run.sh [BUILD_DIR] [TABLES...]      (default: 1000 10000)
# Each database holds TABLES tables (5-10 columns, a primary key, a foreign
# key, an index and a check each), 100 views and 100 functions. Prints the
# median wall time of 3 runs and the peak memory of each tool, and the ratio.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build}
shift || true
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(1000 10000)
source "$root/bench/common.sh"
bench_cluster pg_dump

printf '%8s %12s %12s %8s %14s %14s\n' tables catalog_s pg_dump_s ratio catalog_peak pg_dump_peak
for tables in "${sizes[@]}"; do
  database="catalog_bench_$tables"
  psql "$conninfo" -qc "CREATE DATABASE $database" >/dev/null
  target="${conninfo/dbname=postgres/dbname=$database}"
  psql "$target" -q -v tables="$tables" -f "$root/bench/catalog/schema.sql" >/dev/null
  read -r ours our_peak < <(bench_median : "$cli" catalog --server "$target" -o "$out/catalog.json")
  read -r theirs their_peak < <(bench_median : pg_dump --schema-only -d "$target" -f "$out/dump.sql")
  printf '%8s %12s %12s %8.2f %12s KB %12s KB\n' "$tables" "$ours" "$theirs" \
    "$(echo "$ours / $theirs" | bc -l)" "$our_peak" "$their_peak"
done
