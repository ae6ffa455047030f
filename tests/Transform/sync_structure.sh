#!/usr/bin/env bash
# `sync --structure` on one server of the matrix: a dry run changes nothing;
# a failing statement without --continue-on-error leaves the target as it was
# (one transaction); with it, every other statement is applied, the failure is
# reported and the exit status is not 0; the sync then makes the target equal
# to the source.
#   sync_structure.sh CLI SOURCE_CORPUS TARGET_CORPUS SNAPSHOT CORPUS_AWK STATE MAJOR
set -euo pipefail
cli=$1 source_corpus=$2 target_corpus=$3 snapshot=$4 corpus_awk=$5 state=$6 major=$7
server=$(cat "$state/conninfo")
work=$(mktemp -d /tmp/dizezida-sync.XXXXXX)
suffix="$$"
schema='Dïff "Schema"'
with_db() { echo "${server/dbname=postgres/dbname=$1}"; }
run_sql() { psql -X -q -v ON_ERROR_STOP=1 "$@" >/dev/null; }
cleanup() {
  for db in src dst; do
    psql -X -q "$server" -c "DROP DATABASE IF EXISTS sy_${db}_$suffix" >/dev/null 2>&1 || true
  done
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "sync_structure: $*" >&2; exit 1; }
source_db=$(with_db "sy_src_$suffix")
target_db=$(with_db "sy_dst_$suffix")
snap() {
  psql -X -q -A -t -v ON_ERROR_STOP=1 -v schema="$schema" -d "$1" -f "$snapshot" |
    grep -v '^type mood ' # new enum labels go in outside the transaction before 12
}
sync() { "$cli" sync --source "$source_db" --target "$target_db" --structure --schema "$schema" "$@"; }

for db in src dst; do run_sql "$server" -c "CREATE DATABASE sy_${db}_$suffix"; done
awk -v major="$major" -f "$corpus_awk" "$source_corpus" | run_sql -d "$source_db"
awk -v major="$major" -f "$corpus_awk" "$target_corpus" | run_sql -d "$target_db"
# A row the source's new check rejects.
run_sql -d "$target_db" -c "INSERT INTO \"Dïff \"\"Schema\"\"\".customer (id, name, email) VALUES (2, 'Bo', 'no at')"
snap "$target_db" >"$work/before.txt"

sync --dry-run >"$work/dry.sql" 2>"$work/dry.txt" || fail "dry run failed: $(cat "$work/dry.txt")"
grep -q 'ADD CONSTRAINT "email_ok"' "$work/dry.sql" || fail "dry run without the check"
snap "$target_db" >"$work/after-dry.txt"
diff -u "$work/before.txt" "$work/after-dry.txt" >&2 || fail "the dry run changed the target"

if sync >"$work/out.txt" 2>"$work/err.txt"; then fail "a failed statement gave exit status 0"; fi
grep -q 'email_ok' "$work/err.txt" || fail "the failure is not reported: $(cat "$work/err.txt")"
grep -q ' 1 failed' "$work/err.txt" || fail "no failure count: $(cat "$work/err.txt")"
snap "$target_db" >"$work/after-fail.txt"
diff -u "$work/before.txt" "$work/after-fail.txt" >&2 || fail "a failed sync changed the target"

if sync --continue-on-error >"$work/out.txt" 2>"$work/err.txt"; then
  fail "a failed statement gave exit status 0 with --continue-on-error"
fi
grep -q ' 1 failed' "$work/err.txt" || fail "not exactly one failure: $(cat "$work/err.txt")"
"$cli" diff --source "$source_db" --target "$target_db" >/dev/null 2>"$work/left.txt" || true
grep -qx '0 added, 1 changed, 0 dropped' "$work/left.txt" ||
  fail "more than the failed table left to do: $(cat "$work/left.txt")"

run_sql -d "$target_db" -c "DELETE FROM \"Dïff \"\"Schema\"\"\".customer WHERE id = 2"
sync >"$work/out.txt" 2>"$work/err.txt" || fail "sync failed: $(cat "$work/err.txt")"
grep -q ' 0 failed' "$work/err.txt" || fail "no summary: $(cat "$work/err.txt")"
snap "$source_db" >"$work/src.txt"
snap "$target_db" >"$work/dst.txt"
diff -u "$work/src.txt" "$work/dst.txt" >&2 || fail "the synchronised target differs from the source"
