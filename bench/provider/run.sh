#!/usr/bin/env bash
# Runs the provider benchmark against a private cluster:
#   bash bench/provider/run.sh [BUILD_DIR] [benchmark options...]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build}
shift || true
state=$(mktemp -d /tmp/dizezida-bench.XXXXXX)
trap 'bash "$root/scripts/pg-cluster.sh" stop "$state"; rm -rf "$state"' EXIT
bash "$root/scripts/pg-cluster.sh" start "$state"
DIZEZIDA_TEST_PG="@$state/conninfo" "$build/bench/provider/provider_bench" "$@"
