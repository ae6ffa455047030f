#!/usr/bin/env bash
# Builds the front end and runs it on a private PostgreSQL that it starts
# itself (and stops at the end).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
build=${DIZEZIDA_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target dizezida-postgresql
state="$PWD/$build/demo-cluster"
bash scripts/pg-cluster.sh start "$state"
trap 'bash scripts/pg-cluster.sh stop "$state"' EXIT
server=$(cat "$state/conninfo")
program="$PWD/$build/launcher/dizezida-postgresql"

echo "== dizezida-postgresql --version"
"$program" --version
echo "== dizezida-postgresql home"
"$program" home
echo "== private server: $server"

echo "== dizezida-postgresql query: a small catalog question"
"$program" query --server "$server" \
  "SELECT n.nspname AS schema, count(*) AS tables FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace WHERE c.relkind = 'r' GROUP BY 1 ORDER BY 1"

echo "== dizezida-postgresql format: beautify, then minify"
sql="select id, name from accounts a join owners o on o.id=a.owner_id where a.balance>100 and o.active order by name"
echo "$sql" | "$program" format
echo "$sql" | "$program" format --minify

echo "== a small schema to read: shop.orders and shop.customers"
"$program" query --server "$server" "CREATE SCHEMA shop;
  CREATE TABLE shop.customers (id serial PRIMARY KEY, name text NOT NULL);
  CREATE TABLE shop.orders (id bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
    customer integer NOT NULL REFERENCES shop.customers (id), total numeric(12,2) CHECK (total >= 0));
  COMMENT ON TABLE shop.orders IS 'what customers bought'; SELECT 'created' AS shop" >/dev/null

echo "== dizezida-postgresql browse tables --schema shop"
"$program" browse --server "$server" tables --schema shop

echo "== dizezida-postgresql catalog --table shop.orders (the model as JSON, first lines)"
"$program" catalog --server "$server" --table shop.orders --pretty -o "$state/orders.json"
head -n 20 "$state/orders.json"

echo "== dizezida-postgresql ddl --schema shop, applied to a new database"
"$program" ddl --server "$server" --schema shop | tee "$state/shop.sql"
"$program" query --server "$server" "CREATE DATABASE shop_copy" >/dev/null
copy="${server/dbname=postgres/dbname=shop_copy}"
psql -X -q -v ON_ERROR_STOP=1 -d "$copy" -f "$state/shop.sql"
"$program" browse --server "$copy" tables --schema shop

echo "== dizezida-postgresql export: rows as INSERT statements and as a Markdown table"
"$program" query --server "$server" "INSERT INTO shop.customers (name) VALUES ('O''Neil'), ('Ada | Grace');
  INSERT INTO shop.orders (customer, total) VALUES (1, 12.50), (2, 1234567.89); SELECT 'filled' AS shop" >/dev/null
"$program" export --server "$server" --table shop.customers --format insert
"$program" export --server "$server" --query "SELECT o.id, c.name, o.total FROM shop.orders o JOIN shop.customers c ON c.id = o.customer ORDER BY o.id" --format md

echo "== dizezida-postgresql dictionary: the shop schema as a Markdown data dictionary"
"$program" dictionary --server "$server" --schema shop --format md --title "Shop" -o "$state/shop.md"
cat "$state/shop.md"

echo "== dizezida-postgresql import: the customers as CSV into the copy made above"
"$program" export --server "$server" --table shop.customers --format csv -o "$state/customers.csv"
"$program" import --server "$copy" --table shop.customers "$state/customers.csv"
"$program" query --server "$copy" "SELECT * FROM shop.customers ORDER BY id"

echo "== dizezida-postgresql query -f: a script, each result in order (CSV as psql --csv writes it)"
printf '%s\n' "SELECT count(*) AS customers FROM shop.customers;" \
  "UPDATE shop.customers SET name = upper(name) WHERE id = 1 RETURNING *;" >"$state/report.sql"
"$program" query --server "$copy" --format csv -f "$state/report.sql"

echo "== dizezida-postgresql diff and sync: the copy gets a new column, the diff takes it back out"
"$program" query --server "$copy" "ALTER TABLE shop.customers ADD COLUMN note text DEFAULT 'it''s new'" >/dev/null
"$program" diff --source "$server" --target "$copy" --schema shop || true
"$program" sync --source "$server" --target "$copy" --structure --schema shop
"$program" diff --source "$server" --target "$copy" --schema shop --exit-code

echo "== dizezida-postgresql transfer: schema shop copied to shop_archive, customers renamed"
"$program" transfer --source "$server" --target "$copy" --schema shop=shop_archive \
  --table shop.customers=clients --table shop.orders --drop
"$program" query --server "$copy" "SELECT c.name, count(o.id) AS orders FROM shop_archive.clients c LEFT JOIN shop_archive.orders o ON o.customer = c.id GROUP BY c.name ORDER BY c.name"

echo "== dizezida-postgresql servers: save the server under a name, use it as @demo"
# The demo keeps its server list beside its cluster, not in the user's config.
export XDG_CONFIG_HOME="$state/config"
rm -rf "$XDG_CONFIG_HOME"
"$program" password generate 20 | "$program" servers add demo --server "$server" --password-stdin
"$program" servers list
"$program" query --server @demo "SELECT current_database() AS database, current_user AS login"
echo "== the saved password is stored protected:"
grep '"password"' "$XDG_CONFIG_HOME/dizezida/servers.json"
