#!/usr/bin/env bash
# A create script taken from one server applies to the next newer server of
# the version matrix and rebuilds there what the corpus builds directly:
#   cross_version.sh CLI CORPUS SNAPSHOT STATE_OLD MAJOR_OLD STATE_NEW
set -euo pipefail
cli=$1 corpus=$2 snapshot=$3 old_state=$4 old_major=$5 new_state=$6
old=$(cat "$old_state/conninfo")
new=$(cat "$new_state/conninfo")
work=$(mktemp -d /tmp/dizezida-cross.XXXXXX)
suffix="$$"
trap 'psql -X -q "$old" -c "DROP DATABASE IF EXISTS xv_src_$suffix" >/dev/null 2>&1;
      psql -X -q "$new" -c "DROP DATABASE IF EXISTS xv_dst_$suffix" >/dev/null 2>&1;
      psql -X -q "$new" -c "DROP DATABASE IF EXISTS xv_ref_$suffix" >/dev/null 2>&1;
      rm -rf "$work"' EXIT

# The corpus as psql input for a server of version MAJOR ("--;" ends a
# statement, "--@ N" starts a part that needs version N).
awk -v major="$old_major" -f "$(dirname "$0")/corpus.awk" "$corpus" >"$work/corpus.sql"

with_db() { echo "${1/dbname=postgres/dbname=$2}"; }
psql -X -q "$old" -c "CREATE DATABASE xv_src_$suffix" >/dev/null
psql -X -q "$new" -c "CREATE DATABASE xv_dst_$suffix" >/dev/null
psql -X -q "$new" -c "CREATE DATABASE xv_ref_$suffix" >/dev/null
psql -X -q -v ON_ERROR_STOP=1 -d "$(with_db "$old" "xv_src_$suffix")" -f "$work/corpus.sql" >/dev/null
psql -X -q -v ON_ERROR_STOP=1 -d "$(with_db "$new" "xv_ref_$suffix")" -f "$work/corpus.sql" >/dev/null
"$cli" ddl --server "$(with_db "$old" "xv_src_$suffix")" --schema 'Rïch "Schema"' -o "$work/script.sql"
psql -X -q -v ON_ERROR_STOP=1 -d "$(with_db "$new" "xv_dst_$suffix")" -f "$work/script.sql" >/dev/null
for db in dst ref; do
  psql -X -q -A -t -v ON_ERROR_STOP=1 -v schema='Rïch "Schema"' \
    -d "$(with_db "$new" "xv_${db}_$suffix")" -f "$snapshot" >"$work/$db.txt"
done
if ! diff -u "$work/ref.txt" "$work/dst.txt"; then
  echo "the script from PostgreSQL $old_major rebuilt something else on the newer server" >&2
  exit 1
fi
