#!/usr/bin/env bash
# Two schemas whose objects use each other's (the dependency corpus) come
# out equal, by what the server's own deparsers say, from each job that
# creates them on an empty database: the ddl script, a transfer (with the
# rows) and the diff from an empty database. Nothing is left to diff.
#   dependency_jobs.sh CLI CORPUS SNAPSHOT CORPUS_AWK STATE MAJOR
set -euo pipefail
cli=$1 corpus=$2 snapshot=$3 corpus_awk=$4 state=$5 major=$6
server=$(cat "$state/conninfo")
work=$(mktemp -d /tmp/dizezida-dependency.XXXXXX)
suffix="$$"
databases="src ddl transfer diff"
with_db() { echo "${server/dbname=postgres/dbname=dj_$1_$suffix}"; }
run_sql() { psql -X -q -v ON_ERROR_STOP=1 "$@" >/dev/null; }
cleanup() {
  for db in $databases; do
    psql -X -q "$server" -c "DROP DATABASE IF EXISTS dj_${db}_$suffix" >/dev/null 2>&1 || true
  done
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "dependency_jobs: $*" >&2; exit 1; }
schemas=(--schema "Dëp A" --schema dep_b)

for db in $databases; do run_sql "$server" -c "CREATE DATABASE dj_${db}_$suffix"; done
awk -v major="$major" -f "$corpus_awk" "$corpus" >"$work/corpus.sql"
run_sql -d "$(with_db src)" -f "$work/corpus.sql"
run_sql -d "$(with_db src)" <<'SQL'
INSERT INTO "Dëp A".zz_items (name, price) VALUES ('pen', 2), ('ink', 7);
INSERT INTO "Dëp A".z_dept VALUES (1, NULL);
INSERT INTO "Dëp A".a_emp VALUES (1, 1, NULL), (2, 1, 1);
UPDATE "Dëp A".z_dept SET head = 2;
INSERT INTO dep_b.a_uses_a VALUES (1, 1, 'sad');
INSERT INTO "Dëp A".a_child VALUES (1, 'child', 3);
REFRESH MATERIALIZED VIEW "Dëp A".a_cheap_m;
SQL

# snapshot DB: both schemas' objects and the rows of the tables.
snapshot_of() {
  for schema in "Dëp A" dep_b; do
    psql -X -q -A -t -v ON_ERROR_STOP=1 -v schema="$schema" -d "$(with_db "$1")" -f "$snapshot"
  done
}
rows_of() {
  psql -X -q -A -t -v ON_ERROR_STOP=1 -d "$(with_db "$1")" -c "
    SELECT (SELECT string_agg(name || price, ',' ORDER BY id) FROM \"Dëp A\".zz_items) || '|' ||
           (SELECT string_agg(id || ':' || dept || ':' || coalesce(manager, 0), ',' ORDER BY id)
              FROM \"Dëp A\".a_emp) || '|' ||
           (SELECT string_agg(id || ':' || head, ',') FROM \"Dëp A\".z_dept) || '|' ||
           (SELECT string_agg(id || ':' || mood, ',') FROM dep_b.a_uses_a) || '|' ||
           (SELECT count(*) FROM \"Dëp A\".a_cheap_m)"
}
snapshot_of src >"$work/src.txt"

# same DB WHAT: the database equals the source.
same() {
  snapshot_of "$1" >"$work/$1.txt"
  diff -u "$work/src.txt" "$work/$1.txt" >&2 || fail "$2: the result differs from the source"
  "$cli" diff --source "$(with_db src)" --target "$(with_db "$1")" "${schemas[@]}" --exit-code \
    >"$work/again.sql" 2>"$work/again.txt" ||
    fail "$2: differences left: $(cat "$work/again.txt")"
}

"$cli" ddl --server "$(with_db src)" "${schemas[@]}" -o "$work/ddl.sql"
psql -X -q -v ON_ERROR_STOP=1 -d "$(with_db ddl)" -f "$work/ddl.sql" >/dev/null 2>"$work/error.txt" ||
  fail "the ddl script failed on PostgreSQL $major: $(cat "$work/error.txt")"
same ddl "ddl"

"$cli" transfer --source "$(with_db src)" --target "$(with_db transfer)" "${schemas[@]}" \
  >"$work/transfer.txt" 2>&1 || fail "transfer failed: $(cat "$work/transfer.txt")"
same transfer "transfer"
[ "$(rows_of transfer)" = "$(rows_of src)" ] ||
  fail "transfer rows: $(rows_of transfer) instead of $(rows_of src)"

"$cli" diff --source "$(with_db src)" --target "$(with_db diff)" "${schemas[@]}" \
  -o "$work/diff.sql" 2>/dev/null
psql -X -q -v ON_ERROR_STOP=1 -d "$(with_db diff)" -f "$work/diff.sql" >/dev/null 2>"$work/error.txt" ||
  fail "the diff script failed on PostgreSQL $major: $(cat "$work/error.txt")"
same diff "diff from an empty database"
echo "dependency_jobs: ddl, transfer and diff rebuild both schemas on PostgreSQL $major"
