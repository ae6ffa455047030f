// Times the npm package sql-formatter on one SQL file: node sql-formatter-bench.mjs FILE [ROUNDS]
import { readFileSync } from 'node:fs';
import { format } from 'sql-formatter';

const [file, roundsText] = process.argv.slice(2);
const text = readFileSync(file, 'utf8');
const rounds = Number(roundsText ?? 3);
format(text, { language: 'postgresql' }); // warm-up, and fail early on text it cannot parse
let seconds = 0;
for (let i = 0; i < rounds; ++i) {
  const start = process.hrtime.bigint();
  format(text, { language: 'postgresql' });
  seconds += Number(process.hrtime.bigint() - start) / 1e9;
}
const megabytes = Buffer.byteLength(text, 'utf8') / 1e6;
console.log(`sql-formatter ${megabytes.toFixed(3)} MB x ${rounds}: ${(megabytes * rounds / seconds).toFixed(3)} MB/s`);
