#!/usr/bin/env bash
# Beautify and minify against the npm package sql-formatter, on the same 1 MB script,
# in one run: bash bench/formatter/compare.sh [BUILD_DIR]
# Builds formatter_bench when missing and installs sql-formatter under bench/formatter/
# (node_modules stays out of git).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../../build}
bench=$build/bench/formatter/formatter_bench
[ -x "$bench" ] || cmake --build "$build" --target formatter_bench
[ -d "$here/node_modules/sql-formatter" ] || (cd "$here" && npm install --no-audit --no-fund --silent)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$bench" --write-script="$work/script.sql"
echo "script: $(stat -c %s "$work/script.sql") bytes" >&2

"$bench" --script="$work/script.sql" --benchmark_out="$work/ours.json" --benchmark_out_format=json >&2
node "$here/sql-formatter-bench.mjs" "$work/script.sql" 3 | tee "$work/theirs.txt" >&2

node - "$work/ours.json" "$work/theirs.txt" <<'JS'
const fs = require('fs');
const ours = JSON.parse(fs.readFileSync(process.argv[2], 'utf8')).benchmarks;
const theirs = Number(/([0-9.]+) MB\/s/.exec(fs.readFileSync(process.argv[3], 'utf8'))[1]);
console.log(`sql-formatter  ${theirs.toFixed(2)} MB/s`);
for (const b of ours)
  console.log(`${b.name.padEnd(14)} ${b.MB.toFixed(2)} MB/s  (${(b.MB / theirs).toFixed(0)}x sql-formatter)`);
JS
