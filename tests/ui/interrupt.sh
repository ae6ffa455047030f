#!/usr/bin/env bash
# Ctrl-C and SIGTERM during long commands, each run as a child process:
# exit 130 / 143, a message that says what is complete and what is not, no
# session of the command left on the server, no temporary file, and a
# second run that completes the job.
#   interrupt.sh CLI STATE
# Every check prints "ok - ..." or "FAIL - ..."; the status is 1 when any
# check failed.
set -euo pipefail
cli=$1 state=$2
server=$(cat "$state/conninfo")
src_db="int_src_$$" dst_db="int_dst_$$"
src="${server/dbname=postgres/dbname=$src_db}"
dst="${server/dbname=postgres/dbname=$dst_db}"
work=$(mktemp -d /tmp/dizezida-interrupt.XXXXXX)
cleanup() {
  for db in "$src_db" "$dst_db"; do
    psql -X -q "$server" -c "DROP DATABASE IF EXISTS $db WITH (FORCE)" >/dev/null 2>&1 ||
      psql -X -q "$server" -c "DROP DATABASE IF EXISTS $db" >/dev/null 2>&1 || true
  done
  rm -rf "$work"
}
trap cleanup EXIT
sql() { psql -X -q -A -t -v ON_ERROR_STOP=1 "$@"; }
for db in "$src_db" "$dst_db"; do sql "$server" -c "CREATE DATABASE $db" >/dev/null; done
sql "$src" >/dev/null <<'SQL'
CREATE SCHEMA bulk;
CREATE TABLE bulk.big (id bigint PRIMARY KEY, payload text NOT NULL, amount numeric(12, 2));
CREATE INDEX big_amount ON bulk.big (amount);
INSERT INTO bulk.big SELECT g, repeat(md5(g::text), 3), g / 100.0 FROM generate_series(1, 1000000) g;
ANALYZE bulk.big;
SQL

failures=0
pass() { echo "ok - $*"; }
fail() { echo "FAIL - $*"; failures=$((failures + 1)); }
check() { local what=$1; shift; if "$@"; then pass "$what"; else fail "$what"; fi; }
said() { grep -qF "$2" "$work/$1.err" || { echo "    $1 said:"; sed 's/^/      /' "$work/$1.err" | head -8; return 1; }; }

# start NAME ARGS...: the command in the background; its pid in $pid.
start() {
  local name=$1; shift
  "$cli" "$@" >"$work/$name.out" 2>"$work/$name.err" &
  pid=$!
}
# finish NAME: waits for the command (at most 60 s); its exit status in $work/NAME.rc.
finish() {
  local rc=0 waited=0
  while kill -0 "$pid" 2>/dev/null && [ $waited -lt 600 ]; do sleep 0.1; waited=$((waited + 1)); done
  kill -0 "$pid" 2>/dev/null && { kill -KILL "$pid"; echo "    $1 did not end"; }
  wait "$pid" || rc=$?
  echo "$rc" >"$work/$1.rc"
}
status_is() { [ "$(cat "$work/$1.rc")" = "$2" ] || { echo "    $1: exit $(cat "$work/$1.rc"), wanted $2"; sed 's/^/      /' "$work/$1.err" | head -8; return 1; }; }
# until_true SECONDS COMMAND...: polls COMMAND every 0.1 s.
until_true() {
  local limit=$(($1 * 10)) n=0; shift
  until "$@"; do n=$((n + 1)); [ $n -lt $limit ] || return 1; sleep 0.1; done
}
no_sessions() {
  until_true 10 test "$(sql "$server" -c "SELECT count(*) FROM pg_stat_activity WHERE application_name = 'dizezida' AND datname IN ('$src_db', '$dst_db')")" = 0
}
target_has_rows() { [ "$(sql "$dst" -c "SELECT count(*) > 0 FROM bulk.big" 2>/dev/null)" = t ]; }

# transfer: SIGINT after the first page.
start transfer transfer --source "$src" --target "$dst" --batch 20000
if until_true 60 target_has_rows; then
  kill -INT "$pid"
  finish transfer
  check "transfer: SIGINT exits 130" status_is transfer 130
  check "transfer: says the table is incomplete" said transfer "interrupted: bulk.big"
  check "transfer: says the indexes were not made" said transfer "indexes, triggers, foreign keys"
  check "transfer: says the target is incomplete" said transfer "the target is incomplete"
  check "transfer: no session left on either server" no_sessions
  copied=$(sql "$dst" -c "SELECT count(*) FROM bulk.big")
  check "transfer: some pages committed, not all ($copied rows)" test "$copied" -gt 0 -a "$copied" -lt 1000000
  check "transfer: the index after the rows was not made" test "$(sql "$dst" -c "SELECT count(*) FROM pg_indexes WHERE indexname = 'big_amount'")" = 0
  start transfer-again transfer --source "$src" --target "$dst" --drop
  finish transfer-again
  check "transfer: a second run with --drop completes" status_is transfer-again 0
  check "transfer: every row there" test "$(sql "$dst" -c "SELECT count(*) FROM bulk.big")" = 1000000
  check "transfer: keys and indexes there" test "$(sql "$dst" -c "SELECT count(*) FROM pg_indexes WHERE schemaname = 'bulk'")" = 2
else
  kill -KILL "$pid" 2>/dev/null || true
  fail "transfer: no page reached the target"
fi

# sync --data: SIGINT during the comparison or the changes; one transaction.
sql "$dst" -c "TRUNCATE bulk.big"
start sync sync --source "$src" --target "$dst" --data --schema bulk
sessions_on() { [ "$(sql "$server" -c "SELECT count(*) FROM pg_stat_activity WHERE application_name = 'dizezida' AND datname = '$1'")" -gt 0 ]; }
until_true 30 sessions_on "$dst_db" || echo "    the sync never reached the target"
sleep 0.5
kill -INT "$pid"
finish sync
check "sync: SIGINT exits 130" status_is sync 130
check "sync: says the target is unchanged" said sync "interrupted: the changes were rolled back"
check "sync: the target is unchanged" test "$(sql "$dst" -c "SELECT count(*) FROM bulk.big")" = 0
check "sync: no session left" no_sessions

# export: SIGTERM while the server runs the query; the file is not made.
mkdir "$work/export"
start export export --server "$src" --query "SELECT pg_sleep(60), 1 AS one" --format csv -o "$work/export/out.csv"
until_true 20 test "$(sql "$server" -c "SELECT count(*) FROM pg_stat_activity WHERE query LIKE 'SELECT pg_sleep(60)%' AND application_name = 'dizezida'")" = 1 || true
kill -TERM "$pid"
finish export
check "export: SIGTERM exits 143" status_is export 143
check "export: says the file was not written" said export "interrupted: $work/export/out.csv was not written"
check "export: no file and no temporary file" test -z "$(ls -A "$work/export")"
check "export: no session left" no_sessions

# query: the statements before the cancelled one ran.
start query query --server "$src" "SELECT 41 + 1 AS answer; SELECT pg_sleep(60); SELECT 3"
until_true 20 grep -q 42 "$work/query.out" || true
sleep 0.5
kill -INT "$pid"
finish query
check "query: SIGINT exits 130" status_is query 130
check "query: says which statement stopped" said query "interrupted: statement 2 of 3 was cancelled"
check "query: the first result was printed" grep -q 42 "$work/query.out"

# A second signal ends at once, even when nothing can be cancelled (a FIFO
# without a reader blocks the write).
mkfifo "$work/unread"
start twice catalog --server "$src" -o "$work/unread"
# Once the catalog is read, the process waits for the FIFO's reader.
blocked_on_fifo() { [ "$(cat "/proc/$pid/wchan" 2>/dev/null)" = wait_for_partner ]; }
until_true 60 blocked_on_fifo || echo "    the catalog never reached the FIFO"
kill -INT "$pid"
sleep 0.5
check "a first signal waits for the job to unwind" kill -0 "$pid"
kill -INT "$pid"
finish twice
check "a second signal ends the process with 130" status_is twice 130
check "the FIFO is still a FIFO" test -p "$work/unread"

echo "$failures failed"
[ "$failures" -eq 0 ]
