#!/usr/bin/env bash
# Starts or stops a private PostgreSQL cluster for the tests and the demo.
#
#   pg-cluster.sh start STATE_DIR [MAJOR]
#       initdb in a new temporary folder, a free TCP port on 127.0.0.1, the
#       socket in its own folder, fsync off; writes STATE_DIR/conninfo and
#       STATE_DIR/port. The server is the newest Debian one, or with MAJOR
#       that major version (scripts/pg-versions.sh, which may install it).
#   pg-cluster.sh stop STATE_DIR
#       stops the cluster and removes its folder
#
# PostgreSQL refuses to run as root, so a root caller runs it as the
# `postgres` system user. Local and 127.0.0.1 connections as `postgres` are
# trusted; other roles on 127.0.0.1 must give a password (SCRAM).
set -euo pipefail

command=${1:?start or stop}
state=${2:?state folder}
major=${3:-}

runas=()
if [ "$(id -u)" -eq 0 ]; then
  runas=(runuser -u postgres --)
fi

newest_debian_bindir() {
  local bindir
  bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
  [ -x "$bindir/pg_ctl" ] || { echo "pg-cluster: no PostgreSQL server binaries found" >&2; exit 1; }
  echo "$bindir"
}

stop_cluster() {
  [ -f "$state/datadir" ] || return 0
  local data stop_bindir
  data=$(cat "$state/datadir")
  # The pg_ctl of the version that started it, as start recorded it.
  stop_bindir=$(cat "$state/bindir" 2>/dev/null || newest_debian_bindir 2>/dev/null || true)
  if [ -d "$data/db" ] && [ -x "$stop_bindir/pg_ctl" ]; then
    "${runas[@]}" "$stop_bindir/pg_ctl" -D "$data/db" -m immediate -w stop >/dev/null 2>&1 || true
  fi
  rm -rf "$data"
  rm -f "$state/datadir" "$state/conninfo" "$state/bindir"
}

start_cluster() {
  local bindir
  if [ -n "$major" ]; then
    bindir=$(bash "$(dirname "$0")/pg-versions.sh" bindir "$major")
  else
    bindir=$(newest_debian_bindir)
  fi
  mkdir -p "$state"
  stop_cluster
  local data port
  data=$(mktemp -d /tmp/dizezida-pg.XXXXXX)
  chmod 755 "$data"
  mkdir -p "$data/socket"
  [ ${#runas[@]} -gt 0 ] && chown -R postgres:postgres "$data"
  echo "$data" >"$state/datadir"
  echo "$bindir" >"$state/bindir"

  "${runas[@]}" "$bindir/initdb" -D "$data/db" -U postgres --auth=trust -E UTF8 \
    --locale=C.UTF-8 >"$data/initdb.log" 2>&1 || { cat "$data/initdb.log" >&2; exit 1; }
  cat >"$data/db/pg_hba.conf" <<HBA
local all all trust
host all postgres 127.0.0.1/32 trust
host all all 127.0.0.1/32 scram-sha-256
host all all ::1/128 scram-sha-256
HBA
  [ ${#runas[@]} -gt 0 ] && chown postgres:postgres "$data/db/pg_hba.conf"

  for attempt in $(seq 1 20); do
    # Below 55535, so that port + 10000 (a tunnel's local end) is a valid port too.
    port=$(( 20000 + (RANDOM * 32768 + RANDOM) % 30000 ))
    if "${runas[@]}" "$bindir/pg_ctl" -D "$data/db" -l "$data/server.log" -w -t 60 \
        -o "-c port=$port -c listen_addresses=127.0.0.1 -c unix_socket_directories=$data/socket -c fsync=off -c synchronous_commit=off -c full_page_writes=off -c max_connections=200 -c password_encryption=scram-sha-256" \
        start >/dev/null 2>&1; then
      echo "host=$data/socket port=$port user=postgres dbname=postgres" >"$state/conninfo"
      echo "$port" >"$state/port"
      return 0
    fi
  done
  echo "pg-cluster: the server did not start; its log:" >&2
  cat "$data/server.log" >&2 || true
  exit 1
}

case "$command" in
  start) start_cluster ;;
  stop) stop_cluster ;;
  *) echo "usage: $0 start STATE_DIR [MAJOR] | stop STATE_DIR" >&2; exit 2 ;;
esac
