#!/usr/bin/env bash
# Times a script of many small statements: `query -f` against `psql -f` on
# the same file, side by side in one run, on a private cluster:
#   bash bench/script/run.sh [BUILD_DIR] [STATEMENTS]      (default: 5000)
# The script is one INSERT of one row per statement into a table with a
# primary key, emptied before each run; the two take turns, BENCH_ROUNDS
# rounds (default 3). Prints the median wall time, statements per second, the
# CPU seconds (user + system) of the client in that run and its peak memory.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build}
rows=${2:-5000}
source "$root/bench/common.sh"
bench_cluster psql

psql "$conninfo" -q -X -v ON_ERROR_STOP=1 -c \
  "CREATE TABLE items (id integer PRIMARY KEY, name text, price numeric(10,2), at timestamptz)"
for ((i = 1; i <= rows; i++)); do
  printf "INSERT INTO items VALUES (%d, 'item %d', %d.25, '2024-01-01 00:00:00+00');\n" "$i" "$i" "$((i % 1000))"
done >"$out/script.sql"
empty='psql "$conninfo" -qXc "TRUNCATE items"'

printf '%-28s %8s %12s %8s %10s\n' command seconds statements/s cpu peak
results=$(bench_rounds "${BENCH_ROUNDS:-3}" \
  "psql -f" "$empty" "psql '$conninfo' -X -q -f '$out/script.sql'" \
  "query -f" "$empty" "'$cli' query --server '$conninfo' -q -f '$out/script.sql'") || exit 1
while read -r s kb cpu command; do
  printf '%-28s %8s %12.0f %8s %7s KB\n' "$command" "$s" "$(echo "$rows / $s" | bc -l)" "$cpu" "$kb"
done <<<"$results"
[ "$(psql "$conninfo" -XAtc "SELECT count(*) FROM items")" = "$rows" ] ||
  { echo "query -f left another number of rows" >&2; exit 1; }
