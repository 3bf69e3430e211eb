// The WebAssembly module against the native library: the same bytes and the
// same return codes for worked examples and seeded random values of every
// symbology code, and the same face names, character checks and messages;
// memory exhaustion inside the module reported as on every platform.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import * as tavo from '../package/tavo32.js';
import { askNative, toHex, fromHex, random, SEED, decode1252 } from './helpers.mjs';

// The README's worked examples, as the native tool prints them.
const WORKED = [
  ['code39', 'Code 39', true, '`Code_39L~'],
  ['i2of5', '1234567', true, '\\x97\\xA8\\xBE\\xD4\\xE2\\x98'],
  ['codabar', 'a12345b', true, 'A123450b'],
  ['msi', '1234567', true, '`123456741~'],
  ['code93', 'TEST93', false, '}\\xD4\\xC5\\xD3\\xD4\\xB9\\xB3\\xAB\\xB6~'],
  ['upca', '01234567890', false, '!~u12345|GHIJAP*\\xB0'],
  ['upce', '123456', false, '!~b23ef6^\\xB0'],
  ['postnet', '12345-6789', false, '*1234567895*'],
  ['ean13', '590123412345', false, '&~9ab23e|BCDEFH*_'],
  ['ean8', '963850712', false, '_~9638|FAHE*_=l@m_'],
  ['code39ascii', 'Code 39', true, '*C+O+D+E_39L*'],
];
const unescape = (s) => s.replace(/\\x([0-9A-F]{2})/g, (_, h) => String.fromCharCode(parseInt(h, 16)));

test('worked examples: the documented font strings, by short name', () => {
  for (const [name, value, check, printed] of WORKED) {
    const expected = unescape(printed);
    assert.equal(toHex(tavo.translateBytes(name, value, { check })), toHex(Buffer.from(expected, 'latin1')), name);
    assert.equal(tavo.translate(name, value, { check }), decode1252(Buffer.from(expected, 'latin1')), name);
  }
});

// Per code: the characters the library accepts (BC_CharCheck), so most random
// values are valid, and now and then any byte, so the errors are compared too.
function randomValues(code, count, rnd) {
  const valid = [];
  for (let b = 1; b < 256; b++) if (tavo.charCheck(code, b) !== null) valid.push(b);
  const digits = [...'0123456789'].map((c) => c.charCodeAt(0));
  const values = [];
  for (let i = 0; i < count; i++) {
    const kind = rnd();
    // Digit strings of every length up to 20 (the UPC/EAN/PostNet lengths),
    // strings of valid characters up to 40, and any bytes.
    const pool = kind < 0.35 ? digits : kind < 0.9 && valid.length ? valid : null;
    const len = Math.floor(rnd() * (pool === digits ? 21 : 41));
    const bytes = new Uint8Array(len);
    for (let j = 0; j < len; j++) bytes[j] = pool ? pool[Math.floor(rnd() * pool.length)] : 1 + Math.floor(rnd() * 255);
    values.push(bytes);
  }
  return values;
}

test(`seeded random values of every code (seed ${SEED}): the native bytes`, () => {
  const rnd = random(SEED);
  const cases = [];
  for (const { code } of tavo.symbologies) {
    for (const bytes of randomValues(code, 400, rnd)) cases.push([code, bytes, rnd() < 0.5]);
  }
  cases.push([12345, Uint8Array.of(0x31), false], [-1, Uint8Array.of(0x31), false]);
  const native = askNative(cases.map(([code, bytes, check]) => `T ${code} ${check ? 1 : 0} ${toHex(bytes)}`));
  let ok = 0;
  for (let i = 0; i < cases.length; i++) {
    const [code, bytes, check] = cases[i];
    const [rc, hex] = native[i];
    let got;
    try {
      // The integer check argument itself (true would be check_digit,
      // which not every symbology has).
      const out = tavo.translateBytes(code, bytes, { check: check ? 1 : 0 });
      got = [0, toHex(out) === '-' ? '' : toHex(out)];
      // The string form is the same bytes through Windows-1252.
      assert.equal(tavo.translate(code, bytes, { check: check ? 1 : 0 }), decode1252(out));
      ok++;
    } catch (e) {
      if (!(e instanceof tavo.TavoError)) throw e;
      got = [e.code, ''];
    }
    assert.deepEqual(got, [rc, hex], `code ${code} check ${check} value ${toHex(bytes)}`);
  }
  assert.ok(ok > cases.length / 4, `only ${ok} of ${cases.length} values were valid`);
});

// translate() with a code, a string and no options takes its own path for
// values up to 64 characters (and builds results up to 32 bytes from
// explicit arguments): the same seeded values as strings, the native bytes
// and return codes, whichever path each call took.
test(`the short path: seeded values of every code as strings (seed ${SEED}), results of every length`, () => {
  const rnd = random(SEED + 2);
  const cases = [];
  for (const { code } of tavo.symbologies) {
    for (const bytes of randomValues(code, 150, rnd)) if (!bytes.includes(0)) cases.push([code, bytes]);
  }
  // Results of every length from 2 to 43: Code 128 in set B, Code 39.
  for (let n = 0; n <= 40; n++) {
    cases.push([11, Uint8Array.from({ length: n }, (_, i) => 0x41 + (i % 26))]);
    cases.push([0, Uint8Array.from({ length: n }, (_, i) => 0x41 + (i % 26))]);
  }
  // Around the longest value the path takes, with the high bytes and the
  // characters outside Latin-1 that it hands on.
  for (const n of [63, 64, 65]) cases.push([11, Uint8Array.from({ length: n }, (_, i) => 0xa0 + (i % 96))]);
  cases.push([11, Uint8Array.of(0x41, 0x80, 0x9f, 0x42)], [99, Uint8Array.of(0x31)], [22, Uint8Array.of(0x31)]);
  // A string reaches the library through its symbology's text rule.
  const rule = new Map(tavo.symbologies.map((s) => [s.code, s.text]));
  const texts = cases.map(([, bytes]) => decode1252(bytes));
  const input = (code, i) => (rule.get(code) ?? 'windows-1252') === 'windows-1252' ? cases[i][1] : Buffer.from(texts[i], 'utf8');
  const native = askNative(cases.map(([code], i) => `T ${code} 0 ${toHex(input(code, i))}`));
  const lengths = new Set();
  cases.forEach(([code, bytes], i) => {
    const [rc, hex] = native[i];
    const text = texts[i];
    if (rc !== 0) {
      assert.throws(() => tavo.translate(code, text), (e) => e instanceof tavo.TavoError && e.code === rc, `code ${code} value ${toHex(bytes)}`);
      return;
    }
    const expected = decode1252(fromHex(hex === '-' ? '' : hex));
    lengths.add(expected.length);
    assert.equal(tavo.translate(code, text), expected, `code ${code} value ${toHex(bytes)}`);
  });
  for (let n = 2; n <= 33; n++) assert.ok(lengths.has(n), `no result of ${n} characters`);
  // Characters the path must hand on rather than write: NUL, and characters
  // with no Windows-1252 byte whose low byte alone would be a valid value.
  for (const text of ['A\0B', 'AB\u0141', '\u0141', 'ABCD\u0130EFG', '12\u0131']) {
    assert.throws(() => tavo.translate(11, text), (e) => e.code === 32505, JSON.stringify(text));
  }
});

// A string for a UTF-8 symbology is written into the module by the package
// itself: the bytes TextEncoder makes (given as a Uint8Array, which goes as
// it is), and for a string UTF-8 cannot carry the error at its first NUL or
// unpaired surrogate.
test(`UTF-8 values (seed ${SEED}): TextEncoder's bytes; NUL and unpaired surrogates refused where they stand`, () => {
  const rnd = random(SEED + 3);
  const pieces = ['A', 'z', '7', ' ', '~', '\u007f', '\u0080', '\u00e9', '\u07ff', '\u0800', '\u20ac', '\u4e2d', '\ud7ff',
    '\ue000', '\uffff', '\ud83d\ude00', '\udbff\udfff', '\ud800\udc00'];
  const bad = ['\0', '\ud800', '\udbff', '\udc00', '\udfff'];
  const firstBad = /\0|[\uD800-\uDBFF](?![\uDC00-\uDFFF])|(?<![\uD800-\uDBFF])[\uDC00-\uDFFF]/;
  const utf8 = new TextEncoder();
  const codes = tavo.symbologies.filter((s) => s.text !== 'windows-1252').map((s) => s.code);
  assert.ok(codes.length >= 2, codes.join(' '));
  let refused = 0;
  for (let i = 0; i < 600; i++) {
    const code = codes[i % codes.length];
    const parts = Array.from({ length: 1 + Math.floor(rnd() * 30) }, () => pieces[Math.floor(rnd() * pieces.length)]);
    if (i % 3 === 0) parts.splice(Math.floor(rnd() * parts.length), 0, bad[Math.floor(rnd() * bad.length)]);
    const text = parts.join('');
    const at = text.search(firstBad);
    if (at >= 0) {
      refused++;
      assert.throws(() => tavo.translate(code, text), (e) => e.code === 32505 && e.message.includes(` at ${at} `), JSON.stringify(text));
      continue;
    }
    let expected;
    try {
      expected = tavo.translate(code, utf8.encode(text));
    } catch (e) {
      assert.throws(() => tavo.translate(code, text), (f) => f.code === e.code, JSON.stringify(text));
      continue;
    }
    assert.equal(tavo.translate(code, text), expected, `code ${code} ${JSON.stringify(text)}`);
  }
  assert.ok(refused > 100, `only ${refused} refused`);
});

// Text the package decoded from bytes, back to those bytes: characters above
// U+00FF are the Windows-1252 characters of bytes 0x80..0x9F.
const CP1252_HIGH = [
  0x20ac, 0x81, 0x201a, 0x192, 0x201e, 0x2026, 0x2020, 0x2021, 0x2c6, 0x2030, 0x160, 0x2039,
  0x152, 0x8d, 0x17d, 0x8f, 0x90, 0x2018, 0x2019, 0x201c, 0x201d, 0x2022, 0x2013, 0x2014,
  0x2dc, 0x2122, 0x161, 0x203a, 0x153, 0x9d, 0x17e, 0x178,
];
const cp1252Bytes = (text) => Buffer.from([...text].map((ch) => {
  const c = ch.charCodeAt(0);
  return c < 0x100 ? c : 0x80 + CP1252_HIGH.indexOf(c);
}));

test('face names, character checks and messages: the native answers', () => {
  const codes = [...tavo.symbologies.map((s) => s.code), -1, 64];
  const faces = [];
  for (const code of codes) for (let h = -1; h <= 3; h++) for (const c of [0, 1]) faces.push([code, h, c]);
  // Each symbology answers through the code whose font prints it (the
  // registry's font: Code 39 Full ASCII prints in Code 39's faces).
  const fontOf = (code) => tavo.symbologies.find((s) => s.code === code)?.font ?? code;
  const nativeFaces = askNative(faces.map(([code, h, c]) => `F ${fontOf(code)} ${h} ${c}`));
  faces.forEach(([code, h, c], i) => {
    let got;
    try {
      got = [0, Buffer.from(tavo.faceName(code, { height: h, caption: !!c }), 'latin1').toString('hex')];
    } catch (e) {
      got = [e.code, ''];
    }
    assert.deepEqual(got, nativeFaces[i], `face ${code} ${h} ${c}`);
  });

  const checks = [];
  for (const code of codes) for (let ch = -1; ch <= 256; ch++) for (const alt of [0, 1]) checks.push([code, ch, alt]);
  const nativeChecks = askNative(checks.map(([code, ch, alt]) => `C ${code} ${ch} ${alt}`));
  checks.forEach(([code, ch, alt], i) => {
    const text = tavo.charCheck(code, ch, { alt: !!alt });
    const got = text === null ? [0, ''] : [1, cp1252Bytes(text).toString('hex')];
    assert.deepEqual(got, nativeChecks[i], `check ${code} ${ch} ${alt}`);
  });

  const errors = [0, -1, 1, 32499, 32527, 32528, 32530, 99999];
  for (let e = 32500; e <= 32529; e++) errors.push(e);
  const nativeErrors = askNative(errors.map((e) => `E ${e}`));
  errors.forEach((e, i) => assert.equal(toHex(Buffer.from(tavo.errorMessage(e), 'latin1')), nativeErrors[i][1] || '-', `message ${e}`));
});

test('errors are TavoError with the code and the library message; names and codes agree', () => {
  assert.throws(() => tavo.translate('upca', '12'), (e) => e instanceof tavo.TavoError && e instanceof Error &&
    e.name === 'TavoError' && e.code === 32500 && e.message === tavo.errorMessage(32500));
  assert.throws(() => tavo.translate('no-such-symbology', '1'), (e) => e.code === 32511);
  assert.throws(() => tavo.translate(99, '1'), (e) => e.code === 32511);
  // A character no byte stands for, and NUL, which would end the value early.
  assert.throws(() => tavo.translate('code128', 'A\u4e2d'), (e) => e.code === 32505);
  assert.throws(() => tavo.translate('code128', 'A\u0000B'), (e) => e.code === 32505);
  for (const { code, name } of tavo.symbologies) {
    assert.equal(tavo.symbologyCode(name), code);
    assert.equal(tavo.symbologyCode(String(code)), code);
  }
  // Windows-1252 characters in a value are their bytes: U+00B9 and byte 0xB9
  // are both FNC1 in Code 128.
  assert.equal(tavo.translate('code128', '\u00b9AB'), tavo.translate('code128', Uint8Array.of(0xb9, 0x41, 0x42)));
  const v = tavo.version();
  assert.deepEqual([v.translation, v.major, v.minor, v.revision], [9611080, 0, 0, 0]);
  assert.match(v.library, /^\d+\.\d+\.\d+$/);
});

test('a long value: the native bytes, and the module grows its memory', () => {
  const rnd = random(SEED + 1);
  const value = Uint8Array.from({ length: 200000 }, () => 0x30 + Math.floor(rnd() * 10));
  const [[rc, hex]] = askNative([`T 11 0 ${toHex(value)}`]);
  assert.equal(rc, 0);
  assert.equal(toHex(tavo.translateBytes('code128', value)), hex);
  assert.equal(tavo.translate('code128', value), decode1252(fromHex(hex)));
  assert.deepEqual(tavo.translateBytes('code128', fromHex('313233')), fromHex(askNative(['T 11 0 313233'])[0][1]));
  // The short path after the memory grew.
  assert.equal(tavo.translate(11, '123'), decode1252(fromHex(askNative(['T 11 0 313233'])[0][1])));
});

// The string form of results of every length around where translate() changes
// how it builds the string (short results, long ones, a grown scratch array),
// with every byte 0x80..0xFF in them: the native bytes through Windows-1252.
test('translate(): results of every length, every high byte, as Windows-1252', () => {
  const high = Array.from({ length: 128 }, (_, i) => 0x80 + i).filter((b) => b !== 0xc7);
  const cases = [];
  for (const len of [1, 2, 20, 21, 22, 23, 24, 25, 26, 30, 40, 60, 61, 62, 63, 64, 65, 66, 100, 700, 3000, 9000]) {
    // Code 128 (bytes 0x80.. are function characters or extended data);
    // Code 39 full ASCII.
    cases.push([11, Uint8Array.from({ length: len }, (_, i) => high[(i * 37) % high.length])]);
    cases.push([11, Uint8Array.from({ length: len }, (_, i) => 0x20 + ((i * 7) % 95))]);
    cases.push([1, Uint8Array.from({ length: len }, (_, i) => 0x30 + (i % 10))]);
  }
  const native = askNative(cases.map(([code, bytes]) => `T ${code} 0 ${toHex(bytes)}`));
  const lengths = new Set();
  cases.forEach(([code, bytes], i) => {
    const [rc, hex] = native[i];
    if (rc !== 0) {
      assert.throws(() => tavo.translate(code, bytes), (e) => e.code === rc);
      return;
    }
    const expected = decode1252(fromHex(hex));
    lengths.add(expected.length);
    assert.equal(tavo.translate(code, bytes), expected, `code ${code} value ${toHex(bytes)}`);
    assert.equal(tavo.translate(code, decode1252(bytes)), expected, `code ${code} value as a string`);
  });
  // Both ways of building the string were taken.
  assert.ok([...lengths].some((n) => n <= 64) && [...lengths].some((n) => n > 4096), [...lengths].join(' '));
});

test('memory exhaustion inside the module returns 32529 and leaves the caller\'s buffers as they were', () => {
  // In a process of its own: the module's memory stays full afterwards.
  const script = `
    import * as tavo from ${JSON.stringify(new URL('../package/tavo32.js', import.meta.url).href)};
    const lib = tavo.wasmExports;
    const value = lib.malloc(100001), out = lib.malloc(1000000), len = lib.malloc(4);
    let bytes = new Uint8Array(lib.memory.buffer);
    bytes.fill(0x41, value, value + 100000); bytes[value + 100000] = 0;
    for (let size = 1 << 28; size >= 16;) if (!lib.malloc(size)) size >>= 1;
    bytes = new Uint8Array(lib.memory.buffer);
    bytes.fill(0xee, out, out + 64); bytes.fill(0xee, len, len + 4);
    const rc = lib.BC_FontTranslate(11, value, 0, out, 1000000, len);
    const untouched = bytes.subarray(out, out + 64).every((b) => b === 0xee) && bytes.subarray(len, len + 4).every((b) => b === 0xee);
    console.log(JSON.stringify({ rc, untouched, small: lib.BC_FontTranslate(10, value, 0, out, 1000000, len) }));
  `;
  const r = spawnSync(process.execPath, ['--input-type=module', '-e', script], { encoding: 'utf8' });
  assert.equal(r.status, 0, r.stderr);
  // The module still answers afterwards (here: letters are no EAN-13 value).
  assert.deepEqual(JSON.parse(r.stdout), { rc: 32529, untouched: true, small: 32507 });
});
