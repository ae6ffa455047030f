#!/usr/bin/env bash
# Builds everything and runs the whole test suite (ctest starts its own
# PostgreSQL). Environment: DIZEZIDA_BUILD_DIR (default build),
# DIZEZIDA_CMAKE_ARGS (extra configure options), DIZEZIDA_CTEST_ARGS.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
build=${DIZEZIDA_BUILD_DIR:-build}
# shellcheck disable=SC2086
cmake -S . -B "$build" -G Ninja ${DIZEZIDA_CMAKE_ARGS:-} >/dev/null
cmake --build "$build"
# shellcheck disable=SC2086
ctest --test-dir "$build" --output-on-failure -j2 ${DIZEZIDA_CTEST_ARGS:-}
