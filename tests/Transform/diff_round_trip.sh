#!/usr/bin/env bash
# The diff from one schema state to another, applied in one go, makes the
# target equal to the source by what the server's own deparsers say, keeps
# the target's rows, and leaves no differences behind; a copy of the source
# under another schema name, other owners and dropped middle columns shows
# no differences at all.
#   diff_round_trip.sh CLI SOURCE_CORPUS TARGET_CORPUS SNAPSHOT CORPUS_AWK STATE MAJOR
set -euo pipefail
cli=$1 source_corpus=$2 target_corpus=$3 snapshot=$4 corpus_awk=$5 state=$6 major=$7
server=$(cat "$state/conninfo")
work=$(mktemp -d /tmp/dizezida-diff.XXXXXX)
suffix="$$"
owner="dizezida_diff_owner_$suffix"
schema='Dïff "Schema"'
with_db() { echo "${server/dbname=postgres/dbname=$1}"; }
run_sql() { psql -X -q -v ON_ERROR_STOP=1 "$@" >/dev/null; }
cleanup() {
  for db in src dst twin; do
    psql -X -q "$server" -c "DROP DATABASE IF EXISTS df_${db}_$suffix" >/dev/null 2>&1 || true
  done
  psql -X -q "$server" -c "DROP ROLE IF EXISTS $owner" >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "diff_round_trip: $*" >&2; exit 1; }

for db in src dst twin; do run_sql "$server" -c "CREATE DATABASE df_${db}_$suffix"; done
awk -v major="$major" -f "$corpus_awk" "$source_corpus" >"$work/source.sql"
awk -v major="$major" -f "$corpus_awk" "$target_corpus" >"$work/target.sql"
run_sql -d "$(with_db "df_src_$suffix")" -f "$work/source.sql"
run_sql -d "$(with_db "df_dst_$suffix")" -f "$work/target.sql"

# The script runs whole, with ON_ERROR_STOP, and rebuilds the source.
"$cli" diff --source "$(with_db "df_src_$suffix")" --target "$(with_db "df_dst_$suffix")" \
  -o "$work/patch.sql" 2>"$work/summary.txt"
grep -q ' added, ' "$work/summary.txt" || fail "no summary: $(cat "$work/summary.txt")"
run_sql -d "$(with_db "df_dst_$suffix")" -f "$work/patch.sql" ||
  fail "the script failed on PostgreSQL $major:
$(cat "$work/patch.sql")"
for db in src dst; do
  psql -X -q -A -t -v ON_ERROR_STOP=1 -v schema="$schema" \
    -d "$(with_db "df_${db}_$suffix")" -f "$snapshot" >"$work/$db.txt"
done
diff -u "$work/src.txt" "$work/dst.txt" >&2 ||
  fail "the patched target differs from the source; the script was:
$(cat "$work/patch.sql")"

# The rows stay: a renamed column keeps its values, a retyped one its numbers.
kept=$(psql -X -A -t -d "$(with_db "df_dst_$suffix")" \
  -c "SELECT full_name || '|' || score || '|' || email FROM \"Dïff \"\"Schema\"\"\".customer WHERE id = 1")
[ "$kept" = "Ann|1.50|ann@example.org" ] || fail "customer row changed: $kept"

# Nothing is left to do.
"$cli" diff --source "$(with_db "df_src_$suffix")" --target "$(with_db "df_dst_$suffix")" \
  --exit-code >"$work/again.sql" 2>"$work/again.txt" ||
  fail "differences after the script:
$(cat "$work/again.txt")
$(cat "$work/again.sql")"
grep -qx 'no differences' "$work/again.txt" || fail "no 'no differences': $(cat "$work/again.txt")"
[ ! -s "$work/again.sql" ] || fail "a script with no differences: $(cat "$work/again.sql")"

# A twin under another schema name, owned by another role, whose tables
# lost a middle column, is no different from the source.
run_sql "$server" -c "CREATE ROLE $owner"
sed 's/"Dïff ""Schema"""/"Twïn"/g' "$work/source.sql" >"$work/twin.sql"
cat >>"$work/twin.sql" <<SQL
ALTER TABLE "Twïn".customer OWNER TO $owner;
ALTER VIEW "Twïn".scores OWNER TO $owner;
ALTER TABLE "Twïn".new_parent ADD COLUMN dropped_later int;
ALTER TABLE "Twïn".new_parent DROP COLUMN label;
ALTER TABLE "Twïn".new_parent ADD COLUMN label text CHECK (label <> '');
ALTER TABLE "Twïn".new_parent DROP COLUMN dropped_later;
SQL
run_sql -d "$(with_db "df_twin_$suffix")" -f "$work/twin.sql"
"$cli" diff --source "$(with_db "df_src_$suffix")" --source-schema "$schema" \
  --target "$(with_db "df_twin_$suffix")" --target-schema "Twïn" --exit-code \
  >"$work/twin-patch.sql" 2>"$work/twin.txt" ||
  fail "false differences:
$(cat "$work/twin.txt")
$(cat "$work/twin-patch.sql")"
