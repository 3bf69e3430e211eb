// The conformance runner of the npm package: each case of CASES.jsonl
// through translateBytes() of the built package (web/package, as
// scripts/build-web.sh leaves it) under Node, one line a case:
//   ID<TAB>ok<TAB>HEX   or   ID<TAB>error<TAB>CODE
// usage: node tests/conformance/run_node.mjs CASES.jsonl
// Exit status 77 (with the reason on stderr) when the package is not built,
// 2 when the cases cannot be read, 0 otherwise, whatever the cases give.
import { existsSync, readFileSync } from 'node:fs';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

const SKIP = 77;
const source = process.env.TAVO_SOURCE_DIR ?? resolve(dirname(fileURLToPath(import.meta.url)), '..', '..');
const packageDir = process.env.TAVO_NPM_PACKAGE ?? join(source, 'web', 'package');
if (!existsSync(join(packageDir, 'tavo32-wasm.js'))) {
  process.stderr.write(`run_node: the npm package in ${packageDir} is not built (scripts/build-web.sh builds it)\n`);
  process.exit(SKIP);
}
// A package left by an earlier build of another registry is not this
// tree's package: skip it (the web stage rebuilds it and runs this again).
try {
  const { registry } = await import(pathToFileURL(join(packageDir, 'symbologies.js')).href);
  if (process.env.TAVO) {
    const { execFileSync } = await import('node:child_process');
    const now = JSON.parse(execFileSync(process.env.TAVO, ['list', '--json'], { encoding: 'utf8' }));
    if (JSON.stringify(now.symbologies) !== JSON.stringify(registry.symbologies)) throw new Error('another registry');
  }
} catch (e) {
  process.stderr.write(`run_node: the npm package in ${packageDir} was built from another tree (${e.message}); ` +
                       'scripts/build-web.sh rebuilds it\n');
  process.exit(SKIP);
}
const casesFile = process.argv[2];
if (!casesFile) {
  process.stderr.write('usage: node run_node.mjs CASES.jsonl\n');
  process.exit(2);
}

const tavo = await import(pathToFileURL(join(packageDir, 'tavo32.js')).href);

function run(c) {
  const value = c.bytes_hex !== undefined ? Uint8Array.from(Buffer.from(c.bytes_hex, 'hex')) : c.value;
  try {
    return `ok\t${Buffer.from(tavo.translateBytes(c.symbology, value, c.options)).toString('hex')}`;
  } catch (e) {
    if (!(e instanceof tavo.TavoError)) return `error\t${e.message.replace(/\s+/g, ' ')}`;
    return `error\t${e.code}`;
  }
}

let lines;
try {
  lines = readFileSync(casesFile, 'utf8').split('\n').filter((l) => l.trim());
} catch (e) {
  process.stderr.write(`run_node: ${e.message}\n`);
  process.exit(2);
}
const out = [];
for (const [i, line] of lines.entries()) {
  let c;
  try {
    c = JSON.parse(line);
  } catch (e) {
    process.stderr.write(`run_node: ${casesFile}: case ${i + 1} is not JSON: ${e.message}\n`);
    process.exit(2);
  }
  out.push(`${c.id}\t${run(c)}`);
}
process.stdout.write(out.join('\n') + (out.length ? '\n' : ''));
