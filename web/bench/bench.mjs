// Per-call time of a translation: the native library (through the native
// oracle, in C++), the WebAssembly module's own entry point, the package's
// translate(), and a JavaScript Code 128 font encoder from npm for comparison.
// Prints a table (nanoseconds per call, medians of rounds) and the ratios of
// the entry point and of translate() to native.  Measures; asserts nothing.
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

// How many calls of `f` take about `ms`.
function callsFor(f, ms = 150) {
  for (let n = 1; ; n *= 4) {
    const t = process.hrtime.bigint();
    for (let i = 0; i < n; i++) f();
    const took = Number(process.hrtime.bigint() - t) / 1e6;
    if (took > ms / 4) return Math.max(1, Math.round((n * ms) / took));
  }
}

// ns per call over one round of `n` calls.
function round(f, n) {
  const t = process.hrtime.bigint();
  for (let i = 0; i < n; i++) f();
  return Number(process.hrtime.bigint() - t) / n;
}

// ns per native call over one round, in the oracle's own process.
function nativeRound(code, value, calls) {
  const hex = toHex(Buffer.from(value, 'latin1'));
  const r = spawnSync(ORACLE, { input: `B ${code} 0 ${hex} ${calls}\n`, encoding: 'latin1' });
  return Number(r.stdout.trim().split(' ')[0]);
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

// The rounds of the three take turns, so that a machine busy with other
// work slows each alike; each ratio is the median of its rounds' ratios.
const rows = [];
let worstWasm = 0;
let worstTranslate = 0;
for (const c of CASES) {
  const wasmF = wasmCall(c.code, c.value);
  const translateF = () => tavo.translate(c.code, c.value);
  const wasmCalls = callsFor(wasmF);
  const translateCalls = callsFor(translateF);
  const nativeCalls = Math.max(wasmCalls, 1000);
  const native = [], wasm = [], pkg = [], wasmRatio = [], translateRatio = [];
  for (let r = 0; r < ROUNDS; r++) {
    native.push(nativeRound(c.code, c.value, nativeCalls));
    wasm.push(round(wasmF, wasmCalls));
    pkg.push(round(translateF, translateCalls));
    wasmRatio.push(wasm[r] / native[r]);
    translateRatio.push(pkg[r] / native[r]);
  }
  const competitorF = c.code === 11 && competitor ? competitor(c.value) : null;
  const other = competitorF ? median([0, 0, 0].map(() => round(competitorF, callsFor(competitorF, 300)))) : null;
  worstWasm = Math.max(worstWasm, median(wasmRatio));
  worstTranslate = Math.max(worstTranslate, median(translateRatio));
  rows.push([c.label, median(native), median(wasm), median(pkg), median(wasmRatio), median(translateRatio), other]);
}

const f = (ns) => (ns === null ? 'n/a' : ns >= 10000 ? `${(ns / 1000).toFixed(0)} µs` : `${ns.toFixed(0)} ns`);
console.log('| value | native C++ | WebAssembly entry point | tavo32 translate() | WebAssembly / native | translate() / native | code-128-encoder |');
console.log('|---|---|---|---|---|---|---|');
for (const [label, native, wasm, pkg, wr, tr, other] of rows) {
  console.log(`| ${label} | ${f(native)} | ${f(wasm)} | ${f(pkg)} | ${wr.toFixed(2)}x | ${tr.toFixed(2)}x | ${f(other)} |`);
}
console.log(`bench: WebAssembly entry point at most ${worstWasm.toFixed(2)}x native; translate() at most ${worstTranslate.toFixed(2)}x native (goal: 3x)`);
