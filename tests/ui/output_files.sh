#!/usr/bin/env bash
# Every command that writes a file follows one rule for what -o names: a
# FIFO with a reader gets exactly the bytes a regular file would hold and
# stays a FIFO; a symlink into another folder has its target rewritten (mode
# kept) and stays a link; /dev/stdout through a pipe and "-" reach stdout; a
# folder or a missing folder is exit 2 with nothing written.
#   output_files.sh CLI STATE
# Every check prints "ok - ..." or "FAIL - ..."; the status is 1 when any
# check failed. (Never aim a test at /dev/null or another shared device.)
set -euo pipefail
cli=$1 state=$2
server=$(cat "$state/conninfo")
db="of_$$"
dbinfo="${server/dbname=postgres/dbname=$db}"
work=$(mktemp -d /tmp/dizezida-output.XXXXXX)
cleanup() {
  psql -X -q "$server" -c "DROP DATABASE IF EXISTS $db" >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
psql -X -q -v ON_ERROR_STOP=1 "$server" -c "CREATE DATABASE $db" >/dev/null
psql -X -q -v ON_ERROR_STOP=1 "$dbinfo" >/dev/null <<'SQL'
CREATE SCHEMA shop;
CREATE TABLE shop.orders (id int PRIMARY KEY, "O'Brien" text, placed date NOT NULL);
COMMENT ON TABLE shop.orders IS 'Orders; with "quotes" & <marks>';
INSERT INTO shop.orders SELECT g, 'row ' || g, date '2026-01-01' + g FROM generate_series(1, 50) g;
CREATE VIEW shop.recent AS SELECT id FROM shop.orders WHERE placed > date '2026-02-01';
CREATE SCHEMA shop2;
CREATE TABLE shop2.orders (id int PRIMARY KEY);
SQL
printf 'id,"O''Brien",placed\n100,a,2026-01-01\n101,b,not a date\n' >"$work/in.csv"

failures=0
pass() { echo "ok - $*"; }
fail() { echo "FAIL - $*"; failures=$((failures + 1)); }
check() { local what=$1; shift; if "$@"; then pass "$what"; else fail "$what"; fi; }

# run NAME STATUS OUT ARGS...: the command with every "@OUT@" of ARGS made
# OUT; its stdout in $work/NAME.stdout; true when it exits with STATUS.
run() {
  local name=$1 want=$2 out=$3; shift 3
  local args=() rc=0
  for arg in "$@"; do args+=("${arg//@OUT@/$out}"); done
  timeout 120 "$cli" "${args[@]}" >"$work/$name.stdout" 2>"$work/$name.stderr" || rc=$?
  [ "$rc" = "$want" ] || { echo "    $name: exit $rc, wanted $want"; sed 's/^/    /' "$work/$name.stderr" | head -5; return 1; }
}
same() { cmp -s "$1" "$2" || { echo "    $1 and $2 differ"; diff <(head -c 2000 "$1") <(head -c 2000 "$2") | head -6 | sed 's/^/    /'; return 1; }; }

# writes NAME STATUS ARGS...: the whole rule for one command.
writes() {
  local name=$1 want=$2; shift 2
  local dir="$work/$name"
  mkdir -p "$dir/other" "$dir/folder"
  run "$name.regular" "$want" "$dir/regular" "$@" || { fail "$name: writes a regular file"; return; }
  [ -s "$dir/regular" ] || { fail "$name: the regular file has bytes"; return; }
  local expected="$dir/regular"

  mkfifo "$dir/fifo"
  cat "$dir/fifo" >"$dir/from-fifo" &
  local reader=$!
  check "$name: a FIFO's reader gets the bytes" run "$name.fifo" "$want" "$dir/fifo" "$@"
  wait "$reader" || true
  check "$name: the FIFO's reader got exactly the file's bytes" same "$expected" "$dir/from-fifo"
  check "$name: the FIFO is still a FIFO" test -p "$dir/fifo"

  echo old >"$dir/other/target"
  chmod 0640 "$dir/other/target"
  ln -s ../"$name"/other/target "$dir/link"
  check "$name: writes through a symlink" run "$name.link" "$want" "$dir/link" "$@"
  check "$name: the symlink is still a link" test -L "$dir/link"
  check "$name: the link's target got the bytes" same "$expected" "$dir/other/target"
  check "$name: the target kept its mode" test "$(stat -c %a "$dir/other/target")" = 640
  check "$name: no temporary file beside the target" test "$(ls "$dir/other")" = target

  local rc=0
  args=(); for arg in "$@"; do args+=("${arg//@OUT@//dev/stdout}"); done
  timeout 120 "$cli" "${args[@]}" 2>/dev/null | cat >"$dir/from-stdout" || rc=$?
  check "$name: /dev/stdout through a pipe" same "$expected" "$dir/from-stdout"
  args=(); for arg in "$@"; do args+=("${arg//@OUT@/-}"); done
  timeout 120 "$cli" "${args[@]}" >"$dir/from-dash" 2>/dev/null || true
  check "$name: -o - is stdout" same "$expected" "$dir/from-dash"

  check "$name: a folder is a usage error" run "$name.folder" 2 "$dir/folder" "$@"
  check "$name: the error names the folder" grep -qF "$dir/folder" "$work/$name.folder.stderr"
  check "$name: nothing written into the folder" test -z "$(ls -A "$dir/folder")"
  check "$name: a missing folder is a usage error" run "$name.missing" 2 "$dir/nowhere/out" "$@"
  check "$name: the missing folder was not made" test ! -e "$dir/nowhere"
}

writes catalog 0 catalog --server "$dbinfo" --schema shop -o @OUT@
writes ddl 0 ddl --server "$dbinfo" --schema shop -o @OUT@
writes diff 0 diff --source "$dbinfo" --source-schema shop --target "$dbinfo" --target-schema shop2 -o @OUT@
for format in insert update html md csv tsv json xml; do
  writes "export-$format" 0 export --server "$dbinfo" --table shop.orders --format "$format" -o @OUT@
done
writes export-query 0 export --server "$dbinfo" --query "SELECT * FROM shop.recent" --format csv -o @OUT@
for format in html md; do
  writes "dictionary-$format" 0 dictionary --server "$dbinfo" --format "$format" --schema shop -o @OUT@
done
writes import-errors 1 import --server "$dbinfo" --table shop.orders --action merge --errors @OUT@ "$work/in.csv"

echo "$failures failed"
[ "$failures" -eq 0 ]
