// The named surface of the package: names and aliases, named options and the
// check argument they add up to, the text rule, toSVG() and the GS1 helpers.
// The native library and tool are the oracles: a named call must give the
// bytes (or the error) of the integer call that the documentation says it
// stands for.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync, spawnSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import * as tavo from '../package/tavo32.js';
import { askNative, toHex, ROOT } from './helpers.mjs';

const TAVO = process.env.TAVO_NATIVE_TOOL ?? join(ROOT, 'build/web-native/bin/tavo');
const bytesOf = (text) => Buffer.from(text, 'utf8');

// What a call gives: ['ok', hex] or ['error', code].
function outcome(f) {
  try {
    return ['ok', toHex(f())];
  } catch (e) {
    if (!(e instanceof tavo.TavoError)) throw e;
    return ['error', e.code];
  }
}

test('names and aliases: case, "-", "_", "." and spaces do not matter', () => {
  const NAMES = [
    ['EAN-13', 10], ['ean_13', 10], ['Ean13', 10], ['jan13', 10], ['QRCode', 14], ['qr', 14],
    ['DM', 15], ['Data Matrix', 15], ['GS1-128', 12], ['gs1.128', 12], ['UCC128', 12],
    ['Code39-Full-ASCII', 0], ['10', 10], [' 11 ', 11], [11, 11],
  ];
  for (const [name, code] of NAMES) assert.equal(tavo.symbologyCode(name), code, String(name));
  // Every name and alias of the registry, as written there.
  for (const row of tavo.symbologies) {
    for (const name of [row.name, ...row.aliases]) assert.equal(tavo.symbologyCode(name.toUpperCase()), row.code, name);
  }
});

test('an unknown symbology is 32511 and suggests the nearest names', () => {
  const UNKNOWN = [
    ['eam13', /unknown symbology 'eam13' \(did you mean ean13\?\)$/],
    ['upcx', /did you mean upca, upce\?/],
    ['qrcod', /did you mean qr\?/],
    ['code-12', /did you mean code128/],
    ['xyzzy', /^unknown symbology 'xyzzy'$/],
    [1.5, /unknown symbology '1.5'/],
    [null, /unknown symbology 'null'/],
  ];
  for (const [name, message] of UNKNOWN) {
    assert.throws(() => tavo.translate(name, '1'), (e) => e.code === 32511 && message.test(e.message), String(name));
  }
});

// A named call and the integer check argument it stands for: the same bytes
// as the native library with that argument.
const NAMED = [
  ['qr', 'HELLO', { level: 'H' }, 4],
  ['QR-Code', 'HELLO', { Level: 'q' }, 3],
  ['qr', 'HELLO', { level: 'L' }, 1],
  ['qr', 'HELLO', {}, 0],
  ['datamatrix', '(01)09501101530003', { shape: 'rect', gs1: true }, 3],
  ['dm', 'HELLO WORLD', { shape: 'Rect' }, 1],
  ['dm', '(01)09501101530003', { gs1: 'yes' }, 2],
  ['dm', 'HELLO', { gs1: false, shape: 'square' }, 0],
  ['code39', 'CODE 39', { check_digit: true }, 1],
  ['code39', 'CODE 39', { checkDigit: true }, 1],
  ['code39', 'CODE 39', { 'check-digit': 'on' }, 1],
  ['code39', 'CODE 39', { check_digit: 0 }, 0],
  ['i2of5', '1234567', { check: true }, 1],
  ['msi', '1234567', { check: false }, 0],
  ['qr', 'HELLO', { check: 4 }, 4],
  ['code128', 'Tavo', { check: 0 }, 0],
  ['code128', 'Tavo', { check: undefined, level: undefined }, 0],
  [99, '1', { check: 1 }, 1],
];

test('named options add up to the documented check argument: the native bytes', () => {
  const native = askNative(NAMED.map(([sym, value, , check]) => `T ${tavo.symbologyCode(sym)} ${check} ${toHex(bytesOf(value))}`));
  NAMED.forEach(([sym, value, options], i) => {
    const [rc, hex] = native[i];
    const expected = rc === 0 ? ['ok', hex || '-'] : ['error', rc];
    assert.deepEqual(outcome(() => tavo.translateBytes(sym, value, options)), expected, `${sym} ${JSON.stringify(options)}`);
  });
});

test('an option the symbology lacks, or a value an option does not take, is 32561 naming the valid ones', () => {
  const BAD = [
    ['qr', { levle: 'H' }, /qr has no option 'levle' \(did you mean level\?\); its options: level L\|M\|Q\|H/],
    ['qr', { level: 'X' }, /level of qr takes L\|M\|Q\|H, not 'X'/],
    ['qr', { level: 4 }, /level of qr takes L\|M\|Q\|H, not 4/],
    ['qr', { check: true }, /qr has no optional check character; its options: level/],
    ['qr', { check: 'H' }, /check of qr takes true, false or an integer, not 'H'/],
    ['qr', { check: 2 ** 32 + 4 }, /outside the 32-bit range/],
    ['qr', { check: -(2 ** 31) - 1 }, /outside the 32-bit range/],
    ['qr', { check: 1.5 }, /takes true, false or an integer/],
    ['ean13', { check_digit: true }, /ean13 has no option 'check_digit'; it has no options/],
    ['ean13', { check: true }, /ean13 has no optional check character; it has no options/],
    ['dm', { shape: 'round' }, /shape of datamatrix takes square\|rect, not 'round'/],
    ['dm', { gs1: 'maybe' }, /gs1 of datamatrix takes true\|false, not 'maybe'/],
    ['code39', { check_digit: true, checkDigit: true }, /check_digit is given twice/],
    ['code39', { check: true, check_digit: false }, /check_digit is given twice/],
    ['code39', 'check', /options must be an object/],
    ['code39', { check: 2 ** 31 - 1, check_digit: true }, /beyond 32 bits/],
  ];
  for (const [sym, options, message] of BAD) {
    assert.throws(() => tavo.translate(sym, 'ABC', options), (e) => e instanceof tavo.TavoError && e.code === 32561 &&
      message.test(e.message), `${sym} ${JSON.stringify(options)}`);
  }
});

test('text rule: UTF-8 for the 2D codes, Windows-1252 bytes for the others, a Uint8Array as it is', () => {
  const TEXT = [
    // symbology, string, the bytes it stands for (hex), or the error code
    ['qr', 'é', 'c3a9'],
    ['qr', '東京 😀', toHex(bytesOf('東京 😀'))],
    ['datamatrix', '東京', toHex(bytesOf('東京'))],
    ['code128', '€', '80'],
    ['code128', 'A\u00b9B', '41b942'],
    ['code39', 'AB\u0081', '414281'],
    ['code128', 'A東', 32505],
    ['ean13', '590123412345\u20ac', 32507],
    ['qr', 'A\ud800B', 32505],
    ['qr', 'A\udc00', 32505],
    ['qr', 'A\u0000B', 32505],
    ['code128', 'A\u0000B', 32505],
  ];
  const native = askNative(TEXT.map(([sym, , hex]) => `T ${tavo.symbologyCode(sym)} 0 ${typeof hex === 'string' ? hex : '41'}`));
  TEXT.forEach(([sym, text, want], i) => {
    const [rc, hex] = native[i];
    const expected = typeof want === 'number' ? ['error', want] : rc === 0 ? ['ok', hex || '-'] : ['error', rc];
    assert.deepEqual(outcome(() => tavo.translateBytes(sym, text)), expected, `${sym} ${JSON.stringify(text)}`);
    // The same bytes given as bytes go as they are.
    if (typeof want === 'string') assert.deepEqual(outcome(() => tavo.translateBytes(sym, Buffer.from(want, 'hex'))), expected);
  });
  // A 1252 symbology's error names the character and where it is.
  assert.throws(() => tavo.translate('code128', 'AB東'), /code128: character '東' \(U\+6771\) at 2 has no Windows-1252 byte/);
  // Bytes are not converted: é as one byte to QR is that byte.
  assert.deepEqual(tavo.translateBytes('qr', Uint8Array.of(0xe9)), tavo.translateBytes(14, Uint8Array.of(0xe9), { check: 0 }));
});

test('faceName answers for every symbology through the code whose font prints it', () => {
  for (const row of tavo.symbologies) {
    assert.equal(tavo.faceName(row.name), tavo.faceName(row.font), row.name);
    assert.match(tavo.faceName(row.name), new RegExp(`^TAVO ${row.family}\\b`), row.name);
  }
  assert.equal(tavo.faceName('code39ascii', { height: 'M', caption: true }), 'TAVO 39 MC');
});

// What an SVG draws, in modules: its viewBox, bars and caption text (its
// size in user units or mm, and its colours, are the caller's choice).
function drawing(svg) {
  return {
    viewBox: svg.match(/viewBox="([^"]*)"/)?.[1],
    bars: svg.match(/<rect x=[^>]*>/g) ?? [],
    texts: svg.match(/<text [^>]*>[^<]*<\/text>/g) ?? [],
  };
}

test('toSVG(): the drawing `tavo translate --svg` makes, at `module` user units a module', () => {
  const SVG = [
    ['ean13', '590123412345', {}, []],
    ['code128', 'Tavo 128', { module: 2, height: 30 }, ['--height', '30']],
    ['code39', 'CODE 39', { check_digit: true, caption: true, ratio: 2.5 }, ['--check-value', '1', '--caption', '--ratio', '2.5']],
    // The tool's named options, as well as its integer argument.
    ['qr', 'https://example.com/東京', { level: 'H', module: 3 }, ['--level', 'H']],
    ['datamatrix', '(01)09501101530003', { gs1: true, shape: 'rect' }, ['--check-value', '3']],
    ['gs1-128', '(01)09501101530003(17)250101', { caption: true }, ['--caption']],
    ['postnet', '12345-6789', {}, []],
  ];
  const dir = mkdtempSync(join(tmpdir(), 'tavo-svg-'));
  try {
    for (const [sym, value, options, flags] of SVG) {
      const file = join(dir, 'symbol.svg');
      execFileSync(TAVO, ['translate', sym, value, ...flags, '--svg', file], { stdio: 'pipe' });
      const svg = tavo.toSVG(sym, value, options);
      const want = drawing(readFileSync(file, 'utf8'));
      assert.deepEqual(drawing(svg), want, `${sym} ${flags.join(' ')}`);
      assert.ok(want.bars.length > 0, sym);
      const [, , w, h] = want.viewBox.split(' ').map(Number);
      const module = options.module ?? 1;
      assert.match(svg, new RegExp(`width="${+(w * module).toFixed(4)}[^"]*" height="${+(h * module).toFixed(4)}`), sym);
    }
  } finally {
    rmSync(dir, { recursive: true, force: true });
  }
  assert.throws(() => tavo.toSVG('ean13', '590123412345', { module: -1 }), (e) => e.code === 32561);
  assert.throws(() => tavo.toSVG('ean13', '590123412345', { ratio: 4 }), (e) => e.code === 32561);
  assert.throws(() => tavo.toSVG('ean13', '5901', {}), (e) => e.code === 32503);
  assert.throws(() => tavo.toSVG('qr', 'A', { level: 'Z' }), (e) => e.code === 32561);
  assert.throws(() => tavo.toSVG('qr', 'A', 'H'), (e) => e.code === 32561);
  assert.equal(tavo.toSVG('ean13', '590123412345', null), tavo.toSVG('ean13', '590123412345'));
});

test('GS1 helpers: human-readable text and check digits, with the library\'s codes', () => {
  assert.equal(tavo.gs1HumanReadable('(01)09501101530003(17)250101(10)ABC123'), '(01)09501101530003(17)250101(10)ABC123');
  const DIGITS = [
    ['0950110153000', false, 3], ['09501101530003', true, 3], ['590123412345', false, 7],
    ['09501101530004', true, 32547], ['12345', false, 32548], ['09501101530x', false, 32507],
  ];
  for (const [key, verify, want] of DIGITS) {
    const got = outcome(() => [tavo.gs1CheckDigit(key, verify)]);
    assert.deepEqual(got, want > 9 ? ['error', want] : ['ok', toHex([want])], `${key} ${verify}`);
  }
  assert.throws(() => tavo.gs1HumanReadable('(01)123'), (e) => e instanceof tavo.TavoError && e.code > 32500);
});

test('GS1 Digital Link: a round trip where the library has it, a clear error where not', (t) => {
  if (!tavo.hasDigitalLink) {
    assert.throws(() => tavo.gs1DigitalLink('(01)09501101530003'), /this library has no Digital Link \(BC_GS1DigitalLink\)/);
    assert.throws(() => tavo.gs1FromDigitalLink('https://id.gs1.org/01/09501101530003'), /no Digital Link/);
    t.skip('this build has no BC_GS1DigitalLink (export 17): only the error is tested');
    return;
  }
  const data = '(01)09501101530003(17)250101';
  const uri = tavo.gs1DigitalLink(data);
  assert.match(uri, /\/01\/09501101530003/);
  assert.equal(tavo.gs1HumanReadable(tavo.gs1FromDigitalLink(uri)), tavo.gs1HumanReadable(data));
  assert.match(tavo.gs1DigitalLink('(01)09501101530003', 'https://example.com'), /^https:\/\/example\.com\/01\/09501101530003/);
});

test('the package\'s registry is the one `tavo list --json` prints now', () => {
  const r = spawnSync(TAVO, ['list', '--json'], { encoding: 'utf8' });
  assert.equal(r.status, 0, r.stderr);
  assert.deepEqual(tavo.symbologies, JSON.parse(r.stdout).symbologies,
    'npm package (web/package/symbologies.js): the registry moved on; rebuild with scripts/build-web.sh');
});
