#!/usr/bin/env bash
# Builds everything and runs the whole test suite (ctest starts its own
# PostgreSQL clusters). Environment: DIZEZIDA_BUILD_DIR (default build),
# DIZEZIDA_CMAKE_ARGS (extra configure options), DIZEZIDA_CTEST_ARGS.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
build=${DIZEZIDA_BUILD_DIR:-build}
# shellcheck disable=SC2086
cmake -S . -B "$build" -G Ninja ${DIZEZIDA_CMAKE_ARGS:-} >/dev/null
cmake --build "$build"
# The PostgreSQL versions this build's MATRIX tests run on, installed before
# the tests start so that an unreachable registry shows up here.
matrix=$(sed -n 's/^DIZEZIDA_PG_MATRIX:[A-Z]*=//p' "$build/CMakeCache.txt")
# shellcheck disable=SC2086
[ -z "$matrix" ] || bash scripts/pg-versions.sh install ${matrix//;/ }
# Catalog readers stop on a column their query lacks (the shell tests too).
export DIZEZIDA_STRICT_CATALOG=1
# shellcheck disable=SC2086
ctest --test-dir "$build" --output-on-failure -j2 ${DIZEZIDA_CTEST_ARGS:-}
