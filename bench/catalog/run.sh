#!/usr/bin/env bash
# Times the commands that read a whole catalog against pg_dump --schema-only
# on the same databases, side by side in one run, on a private cluster:
#   bash bench/catalog/run.sh [BUILD_DIR] [SCHEMASxTABLES...]
#   (default: 1x10000 10x1000 1000x10)
# Each database holds SCHEMAS schemas of TABLES tables (bench/catalog/schema.sql).
# Prints, per shape, the median wall time of 3 runs and the peak memory of
# `catalog`, `ddl` and pg_dump (each writing a file), and of `diff` of two
# such databases against the two pg_dump runs one after the other; then the
# number of statements each command sent (from the server's statement log).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build}
shift || true
shapes=("$@")
[ ${#shapes[@]} -gt 0 ] || shapes=(1x10000 10x1000 1000x10)
source "$root/bench/common.sh"
bench_cluster pg_dump
log="$(cat "$state/datadir")/server.log"

# statements DATABASE COMMAND...: how many statements COMMAND sent to
# DATABASE and its copy together.
statements() {
  local database=$1 before; shift
  for each in "$database" "${database}_copy"; do
    psql "$conninfo" -qc "ALTER DATABASE $each SET log_statement = 'all'" >/dev/null
  done
  before=$(wc -l <"$log")
  "$@" >/dev/null 2>&1
  for each in "$database" "${database}_copy"; do
    psql "$conninfo" -qc "ALTER DATABASE $each RESET log_statement" >/dev/null
  done
  tail -n +"$((before + 1))" "$log" | grep -c "statement: " || true
}

printf '%-10s %-9s %9s %9s %7s %12s %12s %10s\n' shape command ours_s pg_dump_s ratio our_peak dump_peak statements
row() { # SHAPE COMMAND OURS THEIRS OUR_PEAK THEIR_PEAK STATEMENTS
  printf '%-10s %-9s %9s %9s %7.2f %9s KB %9s KB %10s\n' "$1" "$2" "$3" "$4" "$(echo "$3 / $4" | bc -l)" "$5" "$6" "$7"
}
for shape in "${shapes[@]}"; do
  schemas=${shape%x*} tables=${shape#*x}
  database="catalog_${schemas}x${tables}"
  psql "$conninfo" -qc "CREATE DATABASE $database" >/dev/null
  target="${conninfo/dbname=postgres/dbname=$database}"
  psql "$target" -q -v schemas="$schemas" -v tables="$tables" -f "$root/bench/catalog/schema.sql" >/dev/null
  psql "$conninfo" -qc "CREATE DATABASE ${database}_copy TEMPLATE $database" >/dev/null
  copy="${conninfo/dbname=postgres/dbname=${database}_copy}"

  read -r dump dump_peak < <(bench_median : pg_dump --schema-only -d "$target" -f "$out/dump.sql")
  read -r dumps dumps_peak < <(bench_median : sh -c "pg_dump --schema-only -d '$target' -f '$out/a.sql' && pg_dump --schema-only -d '$copy' -f '$out/b.sql'")
  read -r catalog catalog_peak < <(bench_median : "$cli" catalog --server "$target" -o "$out/catalog.json")
  read -r ddl ddl_peak < <(bench_median : "$cli" ddl --server "$target" -o "$out/ddl.sql")
  read -r diff diff_peak < <(bench_median : "$cli" diff --source "$target" --target "$copy" -o "$out/diff.sql")
  row "$shape" catalog "$catalog" "$dump" "$catalog_peak" "$dump_peak" \
    "$(statements "$database" "$cli" catalog --server "$target" -o "$out/catalog.json")"
  row "$shape" ddl "$ddl" "$dump" "$ddl_peak" "$dump_peak" \
    "$(statements "$database" "$cli" ddl --server "$target" -o "$out/ddl.sql")"
  row "$shape" diff "$diff" "$dumps" "$diff_peak" "$dumps_peak" \
    "$(statements "$database" "$cli" diff --source "$target" --target "$copy" -o "$out/diff.sql")"
  row "$shape" pg_dump "$dump" "$dump" "$dump_peak" "$dump_peak" \
    "$(statements "$database" pg_dump --schema-only -d "$target" -f "$out/dump.sql")"
  psql "$conninfo" -qc "DROP DATABASE ${database}_copy" -qc "DROP DATABASE $database" >/dev/null
done
