#!/usr/bin/env bash
# Times a script of many small statements: `query -f` against `psql -f` on
# the same file, side by side in one run, on a private cluster:
#   bash bench/script/run.sh [BUILD_DIR] [STATEMENTS]      (default: 5000)
# The script is one INSERT of one row per statement into a table with a
# primary key, emptied before each run. Prints the median wall time of the
# runs, statements per second, the CPU seconds (user + system) of the
# client in that run and its peak memory.
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

# The two commands take turns, BENCH_ROUNDS rounds (default 3); each run
# notes its wall seconds, peak kilobytes and CPU seconds.
run_once() { # file command...
  local file=$1
  shift
  eval "$empty"
  /usr/bin/time -f "%e %M %U %S" -o "$out/time" "$@" >/dev/null 2>"$out/stderr" ||
    { echo "failed: $*" >&2; cat "$out/stderr" >&2; exit 1; }
  awk '{ printf "%s %s %.2f\n", $1, $2, $3 + $4 }' "$out/time" >>"$file"
}
for ((round = 0; round < ${BENCH_ROUNDS:-3}; round++)); do
  run_once "$out/psql" psql "$conninfo" -X -q -f "$out/script.sql"
  run_once "$out/query" "$cli" query --server "$conninfo" -q -f "$out/script.sql"
done
# The median run of each by wall time.
median() { sort -n "$1" | sed -n "$(((${BENCH_ROUNDS:-3} + 1) / 2))p"; }
printf '%-28s %8s %12s %8s %10s\n' command seconds statements/s cpu peak
report() { # name seconds kilobytes cpu
  printf '%-28s %8s %12.0f %8s %7s KB\n' "$1" "$2" "$(echo "$rows / $2" | bc -l)" "$4" "$3"
}
read -r s kb cpu < <(median "$out/psql")
report "psql -f" "$s" "$kb" "$cpu"
read -r s kb cpu < <(median "$out/query")
report "query -f" "$s" "$kb" "$cpu"
[ "$(psql "$conninfo" -XAtc "SELECT count(*) FROM items")" = "$rows" ] ||
  { echo "query -f left another number of rows" >&2; exit 1; }
