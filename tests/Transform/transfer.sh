#!/usr/bin/env bash
# `transfer` from a server of the version matrix to another one (or to another
# database of the same server), each with its own date, zone and number
# settings: every table, view, sequence and routine of corpus/transfer.sql
# arrives equal; a second run does not duplicate rows; schemas, tables and
# columns are renamed on the way; --where, --batch, rows moving on the source
# during the copy, a row the target rejects (with and without
# --continue-on-error), bad arguments, a table copied onto itself, one job
# in COPY text and three jobs.
#   transfer.sh CLI STATE_SOURCE MAJOR_SOURCE STATE_TARGET MAJOR_TARGET
# Every check prints "ok - ..." or "FAIL - ..."; the status is 1 when any
# check failed.
set -euo pipefail
cli=$1 source_state=$2 source_major=$3 target_state=$4 target_major=$5
here=$(cd "$(dirname "$0")" && pwd)
corpus=$here/corpus/transfer.sql
corpus_awk=$here/../Supports/Database/PostgreSQL/corpus.awk
source_server=$(cat "$source_state/conninfo")
target_server=$(cat "$target_state/conninfo")
work=$(mktemp -d /tmp/dizezida-transfer.XXXXXX)
suffix="$$"
with_db() { echo "${1/dbname=postgres/dbname=$2}"; }
src=$(with_db "$source_server" "tr_src_$suffix")
dst=$(with_db "$target_server" "tr_dst_$suffix")
side=$(with_db "$target_server" "tr_side_$suffix")
cleanup() {
  psql -X -q "$source_server" -c "DROP DATABASE IF EXISTS tr_src_$suffix" >/dev/null 2>&1 || true
  for db in dst side; do
    psql -X -q "$target_server" -c "DROP DATABASE IF EXISTS tr_${db}_$suffix" >/dev/null 2>&1 || true
  done
  rm -rf "$work"
}
trap cleanup EXIT

# Values read the same way on every version: floats are compared by their
# bits below, as their shortest text differs between 10 and 12+.
canonical='-c extra_float_digits=3 -c DateStyle=ISO -c TimeZone=UTC -c bytea_output=hex -c IntervalStyle=postgres -c lc_monetary=C -c client_min_messages=warning'
sql() { PGOPTIONS="$canonical" psql -X -q -A -t -v ON_ERROR_STOP=1 "$@"; }
value() { sql -d "$1" -c "$2"; }

failures=0
pass() { echo "ok - $*"; }
fail() { echo "FAIL - $*"; failures=$((failures + 1)); }
check() { local what=$1; shift; if "$@"; then pass "$what"; else fail "$what"; fi; }
same() { [ "$1" = "$2" ] || { echo "    expected: $1" && echo "    got:      $2"; return 1; }; }
same_files() { diff -u "$1" "$2" | head -20 | sed 's/^/    /'; cmp -s "$1" "$2"; }

# transfer NAME ARGS...: runs the command with the source and target given
# by $from and $to; NAME.out, NAME.err and NAME.rc in $work.
from=$src to=$dst
transfer() {
  local name=$1; shift
  local rc=0
  timeout 60 "$cli" transfer --source "$from" --target "$to" "$@" \
    >"$work/$name.out" 2>"$work/$name.err" || rc=$?
  echo "$rc" >"$work/$name.rc"
  echo "  transfer $* -> exit $rc"
  sed 's/^/    stderr: /' "$work/$name.err" | cut -c1-300 | head -5
}
exit_status() { cat "$work/$1.rc"; }
# A line of the final per-table results (TAB-separated) is on stdout.
reported() { grep -qxF "$(printf '%s\t%s\t%s\t%s' "$2" "$3" "$4" "$5")" "$work/$1.out"; }

# hash_rows DB [REL [WHERE]]: "REL<TAB>md5" for each row of every table and
# view of the schemas taking part (all but public), or of REL only (an SQL
# name as format('%I.%I') writes it) and of its rows meeting WHERE; sorted.
# The columns come from DB's own catalog, so that a renamed column compares
# with its source.
hash_rows() {
  sql -d "$1" -v rel="${2:-}" -v cond="${3:-true}" <<'SQL' | sql -d "$1"
SELECT format('SELECT %L || E''\t'' || md5(ROW(%s)::text) FROM %s WHERE %s ORDER BY 1;', r.name,
         string_agg(CASE a.atttypid WHEN 'float8'::regtype THEN format('float8send(%I)', a.attname)
                                    WHEN 'float4'::regtype THEN format('float4send(%I)', a.attname)
                                    ELSE quote_ident(a.attname) END, ', ' ORDER BY a.attnum),
         r.name, :'cond')
  FROM (SELECT c.oid, format('%I.%I', n.nspname, c.relname) AS name
          FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace
         WHERE c.relkind IN ('r', 'p', 'v') AND n.nspname !~ '^pg_'
           AND n.nspname NOT IN ('information_schema', 'public')) r
  JOIN pg_attribute a ON a.attrelid = r.oid AND a.attnum > 0 AND NOT a.attisdropped
 WHERE :'rel' IN ('', r.name)
 GROUP BY r.name ORDER BY r.name
SQL
}
# rows_equal SRC_REL DST_DB DST_REL [WHERE]: the rows of SRC_REL in the
# source (those meeting WHERE) are the rows of DST_REL in DST_DB.
rows_equal() {
  hash_rows "$src" "$1" "${4:-}" | cut -f2 >"$work/rows-src.txt"
  hash_rows "$2" "$3" | cut -f2 >"$work/rows-dst.txt"
  [ -s "$work/rows-dst.txt" ] || [ ! -s "$work/rows-src.txt" ] || { echo "    no rows in $3"; return 1; }
  same_files "$work/rows-src.txt" "$work/rows-dst.txt"
}
# Every table and view of the source equal on the target, none missing.
all_rows_equal() {
  hash_rows "$src" >"$work/all-src.txt"
  hash_rows "$dst" >"$work/all-dst.txt"
  cmp -s "$work/all-src.txt" "$work/all-dst.txt" && return 0
  echo "    differing: $(diff "$work/all-src.txt" "$work/all-dst.txt" | sed -n 's/^[<>] //p' | cut -f1 | sort -u | tr '\n' ' ')"
  return 1
}

# What the copy must rebuild besides rows, one line per object: constraints,
# indexes, triggers, rules, sequences with their values, routines, types.
structure() {
  sql -d "$1" <<'SQL'
WITH s AS (SELECT oid, nspname FROM pg_namespace
            WHERE nspname !~ '^pg_' AND nspname NOT IN ('information_schema', 'public'))
SELECT format('constraint %I.%I %I %s', s.nspname, c.relname, k.conname, k.contype)
  FROM pg_constraint k JOIN pg_class c ON c.oid = k.conrelid JOIN s ON s.oid = c.relnamespace
 WHERE k.contype IN ('p', 'u', 'f', 'c', 'x')
UNION ALL
SELECT format('foreign key %I.%I %I -> %s', s.nspname, c.relname, k.conname, k.confrelid::regclass)
  FROM pg_constraint k JOIN pg_class c ON c.oid = k.conrelid JOIN s ON s.oid = c.relnamespace
 WHERE k.contype = 'f'
UNION ALL
SELECT format('index %I.%I %I', i.schemaname, i.tablename, i.indexname)
  FROM pg_indexes i JOIN s ON s.nspname = i.schemaname
UNION ALL
SELECT format('trigger %s %I %s', t.tgrelid::regclass, t.tgname, t.tgenabled)
  FROM pg_trigger t JOIN pg_class c ON c.oid = t.tgrelid JOIN s ON s.oid = c.relnamespace
 WHERE NOT t.tgisinternal
UNION ALL
SELECT format('rule %I.%I %I', r.schemaname, r.tablename, r.rulename)
  FROM pg_rules r JOIN s ON s.nspname = r.schemaname
UNION ALL
SELECT format('sequence %I.%I %s %s %s %s', q.schemaname, q.sequencename, q.data_type,
              q.start_value, q.increment_by, coalesce(q.last_value::text, 'unused'))
  FROM pg_sequences q JOIN s ON s.nspname = q.schemaname
UNION ALL
SELECT format('routine %I.%I(%s) %s %s', s.nspname, p.proname, pg_get_function_identity_arguments(p.oid),
              pg_get_function_result(p.oid), md5(p.prosrc))
  FROM pg_proc p JOIN s ON s.oid = p.pronamespace
UNION ALL
SELECT format('type %I.%I %s', s.nspname, t.typname, t.typtype)
  FROM pg_type t JOIN s ON s.oid = t.typnamespace
 WHERE t.typtype IN ('e', 'd', 'r') OR (t.typtype = 'c' AND
       (SELECT relkind FROM pg_class WHERE oid = t.typrelid) = 'c')
ORDER BY 1
SQL
}

structure_equal() {
  structure "$src" >"$work/structure-src.txt"
  structure "$dst" >"$work/structure-dst.txt"
  same_files "$work/structure-src.txt" "$work/structure-dst.txt"
}
routines_intact() {
  local query="SELECT pg_get_functiondef(p.oid) FROM pg_proc p WHERE p.pronamespace = '\"Träns Fer\"'::regnamespace ORDER BY p.proname"
  value "$src" "$query" >"$work/routines-src.txt"
  value "$dst" "$query" >"$work/routines-dst.txt"
  same_files "$work/routines-src.txt" "$work/routines-dst.txt" &&
    same "$(value "$src" "SELECT \"Träns Fer\".describe(4)")" "$(value "$dst" "SELECT \"Träns Fer\".describe(4)")"
}
audit_rows_from_source() {
  same "$(value "$src" 'SELECT count(*) FROM "Träns Fer".audit_log')" \
       "$(value "$dst" 'SELECT count(*) FROM "Träns Fer".audit_log')"
}
public_untouched() {
  sql -d "$dst" -c "SELECT md5(t::text) FROM public.orders t ORDER BY 1" >"$work/public-now.txt"
  same_files "$work/public-before.txt" "$work/public-now.txt"
}
# next_above DB TABLE COLUMN STATEMENTS: the statements (an INSERT without
# COLUMN) succeed and the value the last one returns is above every copied
# COLUMN.
next_above() {
  local top new
  top=$(value "$1" "SELECT coalesce(max($3), 0) FROM $2")
  new=$(value "$1" "$4" 2>&1 | tail -1) || true
  if ! [[ "$new" =~ ^[0-9]+$ ]] || [ "$new" -le "$top" ]; then
    echo "    $2: max $top before, insert gave: $new"
    return 1
  fi
}
# summary_line RUN FAILED: the summary is the last line on stderr and counts
# FAILED rows; without failures it is the only line.
summary_line() {
  tail -1 "$work/$1.err" | grep -Eq '^transfer: [0-9]+ tables?, [0-9]+ rows? copied, '"$2"' rows? failed in [0-9.]+ ?s$' &&
    { [ "$2" != 0 ] || [ "$(wc -l <"$work/$1.err")" = 1 ]; }
}

# The corpus at the older of the two versions, so that the target can hold it.
major=$((source_major < target_major ? source_major : target_major))
psql -X -q "$source_server" -c "CREATE DATABASE tr_src_$suffix" >/dev/null
psql -X -q "$target_server" -c "CREATE DATABASE tr_dst_$suffix" -c "CREATE DATABASE tr_side_$suffix" >/dev/null
awk -v major="$major" -f "$corpus_awk" "$corpus" | sql -d "$src" >/dev/null
# Each server reads and prints values its own way: day before month, other
# zones, fewer float digits, escaped bytes.
sql -d "$src" -c "ALTER DATABASE tr_src_$suffix SET DateStyle = 'SQL, DMY'" \
  -c "ALTER DATABASE tr_src_$suffix SET TimeZone = 'Pacific/Chatham'" \
  -c "ALTER DATABASE tr_src_$suffix SET IntervalStyle = 'sql_standard'" \
  -c "ALTER DATABASE tr_src_$suffix SET extra_float_digits = 0" \
  -c "ALTER DATABASE tr_src_$suffix SET bytea_output = 'escape'" >/dev/null
sql -d "$dst" -c "ALTER DATABASE tr_dst_$suffix SET DateStyle = 'Postgres, MDY'" \
  -c "ALTER DATABASE tr_dst_$suffix SET TimeZone = 'America/St_Johns'" \
  -c "ALTER DATABASE tr_dst_$suffix SET IntervalStyle = 'iso_8601'" >/dev/null
# A table in the target's public named like a copied one, which must stay as it is.
sql -d "$dst" -c "CREATE TABLE public.orders (id int, label text)" \
  -c "INSERT INTO public.orders VALUES (1, 'keep me'), (2, NULL)" >/dev/null
sql -d "$dst" -c "SELECT md5(t::text) FROM public.orders t ORDER BY 1" >"$work/public-before.txt"
echo "# PostgreSQL $source_major to $target_major (corpus for $major)"
S='"Träns Fer"'

transfer all --batch 1000
results_of_all() {
  head -1 "$work/all.out" | grep -qxF "$(printf 'table\tcopied\tfailed\tstatus')" &&
    reported all "Träns Fer.bulk" 2500 0 "done" && reported all "Träns Fer.types" 6 0 "done" &&
    reported all "Träns Fer.empty_one" 0 0 "done" && reported all strict.checked 20000 0 "done" &&
    reported all 'Träns Fer.MixedCase "Quoted".Name' 2 0 "done" &&
    ! tail -n +2 "$work/all.out" | grep -Pv '\t0\tdone$' | grep -q .
}
identity_by_default_continues() {
  next_above "$dst" "$S.ident_default" id "INSERT INTO $S.ident_default (label) VALUES ('new') RETURNING id" &&
    next_above "$dst" "$S.ident_default" big "INSERT INTO $S.ident_default (label) VALUES ('new') RETURNING big"
}
foreign_key_holds() { ! value "$dst" "INSERT INTO $S.chain_leaf VALUES (9999, 9999, NULL)" >/dev/null 2>&1; }
check "transfer of every schema succeeds" same 0 "$(exit_status all)"
check "every table and view equal on both sides" all_rows_equal
check "constraints, indexes, triggers, rules, sequences, routines and types rebuilt" structure_equal
check "the routines are intact" routines_intact
check "the audit table holds the source's rows only" audit_rows_from_source
check "public.orders of the target untouched" public_untouched
check "per-table results" results_of_all
check "the summary on stderr and nothing else" summary_line all 0
check "serial continues" next_above "$dst" "$S.counter" n \
  "INSERT INTO $S.counter (label) VALUES ('new') RETURNING n"
check "identity (always) continues" next_above "$dst" "$S.ident" id \
  "INSERT INTO $S.ident (label) VALUES ('new') RETURNING id"
check "identity (by default) and bigserial continue" identity_by_default_continues
check "the audit trigger works on the target" next_above "$dst" "$S.audit_log" id \
  "INSERT INTO $S.orders (id, label, qty) VALUES (1000, 'new', 1); SELECT max(id) FROM $S.audit_log"
check "a foreign key holds on the target" foreign_key_holds

# Again without --drop: the target's tables are emptied first.
transfer again
check "a second run succeeds" same 0 "$(exit_status again)"
check "after the second run every table is equal (no row twice)" all_rows_equal
check "after the second run the sequences are the source's again" structure_equal
check "after the second run the audit table holds the source's rows only" audit_rows_from_source
check "after the second run public.orders is untouched" public_untouched

# One job and COPY text, then several jobs: the same rows either way.
transfer one-job --jobs 1 --text-copy
check "a run of one job in COPY text succeeds" same 0 "$(exit_status one-job)"
check "after a run of one job in COPY text every table is equal" all_rows_equal
transfer jobs --jobs 3
check "a run of three jobs succeeds" same 0 "$(exit_status jobs)"
check "after a run of three jobs every table is equal" all_rows_equal
check "after a run of three jobs the sequences are the source's" structure_equal

# Renames, with --drop of the target schema first.
sql -d "$dst" -c "CREATE SCHEMA store" -c "CREATE TABLE store.junk (id int)" >/dev/null
rename=(--schema shop=store --table shop.item=goods --table shop.line
        --columns 'shop.item:id=id,name=title,price=price')
renamed_rows_equal() { rows_equal shop.item "$dst" store.goods && rows_equal shop.line "$dst" store.line; }
renamed_sequence() {
  [[ "$(value "$dst" "SELECT pg_get_expr(adbin, adrelid) FROM pg_attrdef WHERE adrelid = 'store.goods'::regclass")" == "nextval('store."* ]]
}
transfer rename "${rename[@]}" --drop
check "transfer with renames succeeds" same 0 "$(exit_status rename)"
check "--drop dropped the target schema first" same '' "$(value "$dst" "SELECT to_regclass('store.junk')")"
check "the renamed tables hold the source's rows" renamed_rows_equal
check "renamed columns" same 'id,title,price' \
  "$(value "$dst" "SELECT string_agg(attname, ',' ORDER BY attnum) FROM pg_attribute WHERE attrelid = 'store.goods'::regclass AND attnum > 0 AND NOT attisdropped")"
check "the foreign key, index and check follow the renames" same \
  "$(printf '%s\n' store.goods 'CREATE INDEX item_name ON store.goods USING btree (title)' "CHECK ((title <> ''::text))")" \
  "$(value "$dst" "SELECT confrelid::regclass::text FROM pg_constraint WHERE conrelid = 'store.line'::regclass AND contype = 'f'
                   UNION ALL SELECT indexdef FROM pg_indexes WHERE schemaname = 'store' AND indexname = 'item_name'
                   UNION ALL SELECT pg_get_constraintdef(oid) FROM pg_constraint WHERE conrelid = 'store.goods'::regclass AND contype = 'c'")"
check "the serial's sequence follows the schema's rename" renamed_sequence
check "the renamed serial continues" next_above "$dst" store.goods id \
  "INSERT INTO store.goods (title) VALUES ('new') RETURNING id"
check "results name the renamed table" reported rename store.goods 30 0 "done"
check "results name the table in the renamed schema" reported rename store.line 90 0 "done"
check "the source schema's earlier copy on the target is left alone" rows_equal shop.item "$dst" shop.item
transfer rename-again "${rename[@]}"
check "renames again without --drop succeed" same 0 "$(exit_status rename-again)"
check "renames again: no row twice" renamed_rows_equal

# Two conditions copied one after another, into another database.
to=$side
transfer where --table "$S.bulk" --where "$S.bulk:id <= 100;id > 2400"
check "--where succeeds" same 0 "$(exit_status where)"
check "--where copies the rows of both conditions" rows_equal "$S.bulk" "$side" "$S.bulk" 'id <= 100 OR id > 2400'
check "--table takes only the tables named" same "$S.bulk" \
  "$(value "$side" "SELECT string_agg(oid::regclass::text, ' ') FROM pg_class WHERE relkind IN ('r', 'p') AND relnamespace = '$S'::regnamespace")"
# A batch below 1 falls back to the default; a quoted name with a dot.
odd="$S.\"MixedCase \"\"Quoted\"\".Name\""
transfer batch --table "$S.bulk" --table "$S.bulk_nokey" --table "$odd=plain" --batch 0
check "--batch 0 succeeds" same 0 "$(exit_status batch)"
check "--batch 0 copies every row, the earlier rows emptied first" rows_equal "$S.bulk" "$side" "$S.bulk"
check "--batch 0 copies a table without a key" rows_equal "$S.bulk_nokey" "$side" "$S.bulk_nokey"
check "a quoted name with a dot renamed" rows_equal "$odd" "$side" "$S.plain"
check "a quoted name with a dot reported" reported batch "Träns Fer.plain" 2 0 "done"

# Rows the source moves while they are copied (each UPDATE writes a new row
# version at the table's end): read in one snapshot, none is lost or twice.
for i in $(seq 1 300); do echo "UPDATE strict.checked SET note = note WHERE id % 300 = $i;"; done >"$work/moves.sql"
sql -d "$src" -f "$work/moves.sql" >/dev/null &
mover=$!
sleep 0.1
transfer moving --table strict.checked --batch 500
wait "$mover"
check "rows moving on the source: the copy succeeds" same 0 "$(exit_status moving)"
check "rows moving on the source: every row once" rows_equal strict.checked "$side" strict.checked

# The whole schema renamed: views, triggers, defaults, constraints and
# routines follow the new name.
transfer whole --schema "$S=renamed" --drop
renamed_relations_equal() {
  hash_rows "$src" | grep -F "$S." | sed "s/^$S\./renamed./" >"$work/whole-src.txt"
  hash_rows "$side" | grep '^renamed\.' >"$work/whole-dst.txt"
  cmp -s "$work/whole-src.txt" "$work/whole-dst.txt" ||
    { echo "    differing: $(diff "$work/whole-src.txt" "$work/whole-dst.txt" | sed -n 's/^[<>] //p' | cut -f1 | sort -u | tr '\n' ' ')"; return 1; }
}
old_name_left() {
  value "$side" "
    SELECT 'view ' || c.relname FROM pg_class c WHERE c.relnamespace = 'renamed'::regnamespace AND c.relkind = 'v' AND pg_get_viewdef(c.oid) LIKE '%Träns%'
    UNION ALL SELECT 'default ' || d.adrelid::regclass FROM pg_attrdef d JOIN pg_class c ON c.oid = d.adrelid
     WHERE c.relnamespace = 'renamed'::regnamespace AND pg_get_expr(d.adbin, d.adrelid) LIKE '%Träns%'
    UNION ALL SELECT 'constraint ' || k.conname FROM pg_constraint k JOIN pg_class c ON c.oid = k.conrelid
     WHERE c.relnamespace = 'renamed'::regnamespace AND pg_get_constraintdef(k.oid) LIKE '%Träns%'
    UNION ALL SELECT 'trigger ' || t.tgname FROM pg_trigger t JOIN pg_class c ON c.oid = t.tgrelid
     WHERE c.relnamespace = 'renamed'::regnamespace AND pg_get_triggerdef(t.oid) LIKE '%Träns%'"
}
check "a renamed schema succeeds" same 0 "$(exit_status whole)"
check "a renamed schema holds the source's rows in every table and view" renamed_relations_equal
check "views, defaults, constraints and triggers name the new schema" same '' "$(old_name_left)"
check "the audit trigger works in the renamed schema" next_above "$side" renamed.audit_log id \
  "INSERT INTO renamed.orders (id, label, qty) VALUES (1000, 'new', 1); SELECT max(id) FROM renamed.audit_log"
check "the sequences of the renamed schema continue" next_above "$side" renamed.counter ticket \
  "INSERT INTO renamed.counter (label) VALUES ('new') RETURNING ticket"

# Arguments that make no sense are refused before anything runs.
bad_arguments() {
  local args status=0
  for args in "--batch x" "--table nothing" "--columns shop.item" "--where shop.item" "--table shop.item=a.b"; do
    # shellcheck disable=SC2086 # each case is a list of words
    timeout 30 "$cli" transfer --source "$src" --target "$side" $args >/dev/null 2>&1 || status=$?
    [ "$status" = 2 ] || { echo "    $args: exit $status"; return 1; }
  done
}
check "bad arguments: exit status 2" bad_arguments
# A column map naming a column the source table lacks copies nothing: it
# is refused like a table the source lacks, and the target keeps its rows.
to=$side
transfer unknown-column --table "$S.bulk" --columns "$S.bulk:id=id,nosuch=label"
check "a column the source lacks: exit status 2" same 2 "$(exit_status unknown-column)"
check "a column the source lacks: the target keeps its rows" rows_equal "$S.bulk" "$side" "$S.bulk"

# A row the target's stricter check rejects.
to=$dst
sql -d "$dst" -c "DROP SCHEMA strict CASCADE" -c "CREATE SCHEMA strict" \
  -c "CREATE TABLE strict.checked (id int PRIMARY KEY, v int CONSTRAINT v_not_negative CHECK (v >= 0), note text)" >/dev/null
not_done() { ! grep -q "^strict.checked.*done$" "$work/$1.out"; }
transfer continue --schema strict --continue-on-error
check "--continue-on-error: exit status 1" same 1 "$(exit_status continue)"
check "--continue-on-error: every other row copied" rows_equal strict.checked "$dst" strict.checked 'id <> 12345'
check "--continue-on-error: the table failed, 1 of 20000 rows" reported continue strict.checked 19999 1 failed
check "--continue-on-error: the row's message on stderr" grep -q '^transfer: .*v_not_negative' "$work/continue.err"
check "--continue-on-error: the summary counts the row" summary_line continue 1
transfer stop --schema strict
check "without --continue-on-error: exit status 1" same 1 "$(exit_status stop)"
check "without --continue-on-error: the row's message on stderr" grep -q '^transfer: .*v_not_negative' "$work/stop.err"
check "without --continue-on-error: the table not reported done" not_done stop

# The source as its own target: reading a table and emptying it as the
# target must not lose its rows.
from=$side to=$side
transfer itself --table "$S.bulk"
check "a table copied onto itself keeps its rows" rows_equal "$S.bulk" "$side" "$S.bulk"

if [ "$failures" -gt 0 ]; then
  echo "transfer: $failures checks failed" >&2
  exit 1
fi
