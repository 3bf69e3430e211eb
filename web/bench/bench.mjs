// Per-call time of a translation: the native library (through the native
// oracle, in C++), the WebAssembly module's own entry point, the package's
// translate(), and a JavaScript Code 128 font encoder from npm for comparison.
// Prints a table (nanoseconds per call, medians of rounds) and the ratio of
// WebAssembly to native.  Measures; asserts nothing.
//
// usage: node web/bench/bench.mjs [--competitor DIR]   (DIR/node_modules/code-128-encoder)
import { spawnSync } from 'node:child_process';
import { createRequire } from 'node:module';
import { join, resolve } from 'node:path';
import * as tavo from '../package/tavo32.js';
import { ORACLE, toHex } from '../test/helpers.mjs';

const argv = process.argv.slice(2);
const competitorDir = argv.includes("--competitor") ? resolve(argv[argv.indexOf("--competitor") + 1]) : null;
const ROUNDS = Number(process.env.TAVO_BENCH_ROUNDS ?? 7);
const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];

const CASES = [
  { label: 'EAN-13, 12 digits', code: 10, value: '590123412345' },
  { label: 'Code 128, 8 characters', code: 11, value: 'Tavo 128' },
  { label: 'Code 128, 1,000 characters', code: 11, value: 'Tavo 128 0123456789 '.repeat(50) },
];

// Calls `f` in batches until a round takes about `ms`; ns per call per round.
function time(f, ms = 150) {
  let n = 1;
  for (;;) {
    const t = process.hrtime.bigint();
    for (let i = 0; i < n; i++) f();
    const took = Number(process.hrtime.bigint() - t) / 1e6;
    if (took > ms / 4) {
      n = Math.max(1, Math.round((n * ms) / took));
      break;
    }
    n *= 4;
  }
  const rounds = [];
  for (let r = 0; r < ROUNDS; r++) {
    const t = process.hrtime.bigint();
    for (let i = 0; i < n; i++) f();
    rounds.push(Number(process.hrtime.bigint() - t) / n);
  }
  return { ns: median(rounds), calls: n };
}

function nativeNs(code, value, calls) {
  const rounds = [];
  const hex = toHex(Buffer.from(value, 'latin1'));
  const requests = Array.from({ length: ROUNDS }, () => `B ${code} 0 ${hex} ${calls}`).join('\n') + '\n';
  const r = spawnSync(ORACLE, { input: requests, encoding: 'latin1' });
  for (const line of r.stdout.trim().split('\n')) rounds.push(Number(line.split(' ')[0]));
  return median(rounds);
}

// The module's entry point on a value already in its memory.
function wasmCall(code, value) {
  const lib = tavo.wasmExports;
  const at = lib.malloc(value.length + 1 + 65536);
  const bytes = new Uint8Array(lib.memory.buffer);
  for (let i = 0; i < value.length; i++) bytes[at + i] = value.charCodeAt(i);
  bytes[at + value.length] = 0;
  const out = at + value.length + 4;
  return () => lib.BC_FontTranslate(code, at, 0, out, 60000, at + value.length + 1 + 60000);
}

let competitor = null;
if (competitorDir) {
  try {
    const Encoder = createRequire(join(competitorDir, 'package.json'))('code-128-encoder');
    const encoder = new Encoder();
    competitor = (value) => () => encoder.encode(value);
  } catch (e) {
    console.log(`bench: code-128-encoder not loaded from ${competitorDir}: ${e.message}`);
  }
}

const rows = [];
let worst = 0;
for (const c of CASES) {
  const wasm = time(wasmCall(c.code, c.value));
  const pkg = time(() => tavo.translate(c.code, c.value));
  const native = nativeNs(c.code, c.value, Math.max(wasm.calls, 1000));
  const other = c.code === 11 && competitor ? time(competitor(c.value), 300).ns : null;
  worst = Math.max(worst, wasm.ns / native);
  rows.push([c.label, native, wasm.ns, pkg.ns, other]);
}

const f = (ns) => (ns === null ? 'n/a' : ns >= 10000 ? `${(ns / 1000).toFixed(0)} µs` : `${ns.toFixed(0)} ns`);
console.log('| value | native C++ | WebAssembly entry point | tavo32 translate() | WebAssembly / native | code-128-encoder |');
console.log('|---|---|---|---|---|---|');
for (const [label, native, wasm, pkg, other] of rows) {
  console.log(`| ${label} | ${f(native)} | ${f(wasm)} | ${f(pkg)} | ${(wasm / native).toFixed(2)}x | ${f(other)} |`);
}
console.log(`bench: WebAssembly per call at most ${worst.toFixed(2)}x native (goal: 3x)`);
