// The package generator's two derivations: the CommonJS form of an ES
// module, and the TypeScript types of a registry (a row added to the
// registry shows up in the types with no edit to the package).
import { test } from 'node:test';
import assert from 'node:assert/strict';
import vm from 'node:vm';
import { commonJsFrom, typesFrom } from '../tools/gen-lib.mjs';

// Runs CommonJS text with `modules` as what require() finds; its exports.
function load(text, modules = {}) {
  const module = { exports: {} };
  vm.runInNewContext(`(function (require, module, exports) {${text}\n})`)(
    (name) => modules[name], module, module.exports);
  return module.exports;
}

test('commonJsFrom: the forms it converts, and what it refuses', () => {
  const esm = [
    "import base from './a.js';",
    "import { one, two } from './b.js';",
    'export const sum = base + one + two;',
    'export function twice(x) { return 2 * x; }',
    'export class Thing {}',
    'const hidden = 5; // cjs: const hidden = 6;',
    'export { hidden };',
  ].join('\n');
  const out = load(commonJsFrom(esm), { './a.cjs': { default: 100 }, './b.cjs': { one: 10, two: 1 } });
  assert.deepEqual([out.sum, out.twice(4), typeof out.Thing, out.hidden], [111, 8, 'function', 6]);
  const REFUSED = [
    "import * as all from './a.js';",
    "export default 5;",
    'const x = await f();',
    'const u = import.meta.url;',
  ];
  for (const line of REFUSED) assert.throws(() => commonJsFrom(line), /CommonJS cannot take/, line);
});

test('typesFrom: every name, alias and option of the registry, camelCase too', () => {
  const registry = { symbologies: [
    { name: 'alpha', aliases: ['first'], options: [{ name: 'check_digit', type: 'flag', help: 'a check', check: 1 }] },
    { name: 'beta-2', aliases: [], options: [
      { name: 'level', type: 'choice', help: "it's */ odd", values: [{ name: 'L', check: 1 }, { name: 'H', check: 2 }] },
      { name: 'columns', type: 'number', help: 'columns', min: 1, max: 30, check: 64 }] },
  ] };
  const types = typesFrom(registry);
  for (const want of ["| 'alpha'", "| 'first'", "| 'beta-2'", 'check_digit?: boolean;', 'checkDigit?: boolean;',
    "level?: 'L' | 'H';", 'columns?: number;', '(beta-2) */']) {
    assert.ok(types.includes(want), `${want} in\n${types}`);
  }
  assert.ok(!types.includes("it's */"), 'a help text cannot end the comment');
});
