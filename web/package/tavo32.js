// tavo32: the TAVO32 bar code font translation library, compiled to
// WebAssembly, for Node 18+ and browsers (a plain <script type="module">).
//
// The module below is the library core itself; this file only moves values
// in and out of its memory.  A value is a string (each character a byte:
// U+0001..U+00FF as themselves, and the Windows-1252 characters such as "€"
// as their bytes) or a Uint8Array.  A font string comes back as a string in
// which every byte above 127 is its Windows-1252 character, which is how the
// TAVO web fonts (fonts/tavo-fonts.css) map their glyphs.
import wasmBase64 from './tavo32-wasm.js';
import { symbologies, libraryVersion } from './symbologies.js';

export { symbologies };

const OK = 0;
const ERR_ILLEGAL_CHARACTER = 32505;
const ERR_TOO_MANY_CHARACTERS = 32510;
const ERR_UNKNOWN_SYMBOLOGY = 32511;

/** An error the library returned: `.code` is its number, `.message` its text. */
export class TavoError extends Error {
  constructor(code, message) {
    super(message);
    this.name = 'TavoError';
    this.code = code;
  }
}

// Windows-1252 bytes 0x80..0x9F as characters; the five bytes the code page
// leaves undefined stand for themselves, as in the WHATWG decoder.
const CP1252_HIGH = [
  0x20ac, 0x81, 0x201a, 0x192, 0x201e, 0x2026, 0x2020, 0x2021, 0x2c6, 0x2030, 0x160, 0x2039,
  0x152, 0x8d, 0x17d, 0x8f, 0x90, 0x2018, 0x2019, 0x201c, 0x201d, 0x2022, 0x2013, 0x2014,
  0x2dc, 0x2122, 0x161, 0x203a, 0x153, 0x9d, 0x17e, 0x178,
];
const BYTE_TO_CHAR = Array.from({ length: 256 }, (_, b) =>
  String.fromCharCode(b >= 0x80 && b < 0xa0 ? CP1252_HIGH[b - 0x80] : b));
const CHAR_TO_BYTE = new Map(CP1252_HIGH.map((c, i) => [c, 0x80 + i]));

function base64Bytes(text) {
  if (typeof atob === 'function') return Uint8Array.from(atob(text), (c) => c.charCodeAt(0));
  return Uint8Array.from(Buffer.from(text, 'base64'));
}

// The module imports a handful of system calls.  It has no files: every
// file operation fails, so the version queries find no version record.
const EBADF = 8;
const ENOSYS = 52;
const imports = {
  env: { emscripten_notify_memory_growth() {} },
  wasi_snapshot_preview1: {
    proc_exit(status) { throw new Error(`tavo32: the WebAssembly module aborted (${status})`); },
    fd_write() { return ENOSYS; },
    fd_read() { return ENOSYS; },
    fd_close() { return EBADF; },
    fd_seek() { return ENOSYS; },
  },
};
// Compiled at once where the engine allows it for a module this small (Node,
// and browsers for modules up to several megabytes), so the library is ready
// when this module has loaded; otherwise compiled asynchronously.
async function instantiate(bytes) {
  try {
    return new WebAssembly.Instance(new WebAssembly.Module(bytes), imports);
  } catch (e) {
    if (!(e instanceof RangeError)) throw e;
    return (await WebAssembly.instantiate(bytes, imports)).instance;
  }
}
const instance = await instantiate(base64Bytes(wasmBase64));
const lib = instance.exports;
const { memory } = lib;
if (lib._initialize) lib._initialize();
// The entry point translate() calls, held directly (no look-up per call).
const fontTranslate = lib.BC_FontTranslate;

/** The module's own exports: the library's C entry points, malloc and free. */
export const wasmExports = lib;

let heap = new Uint8Array(memory.buffer);
// A view of the module's memory; growing the memory detaches the old buffer
// (its views then have length 0), and only then is a new view made.
function bytesView() {
  if (heap.length === 0) heap = new Uint8Array(memory.buffer);
  return heap;
}

// One scratch block, grown as needed: value, NUL, length word, output.
let scratch = 0;
let scratchSize = 0;
function scratchBlock(size) {
  if (size > scratchSize) {
    if (scratch) lib.free(scratch);
    scratchSize = Math.max(size, scratchSize * 2, 4096);
    scratch = lib.malloc(scratchSize);
    if (!scratch) {
      scratchSize = 0;
      throw new TavoError(32529, errorMessage(32529));
    }
  }
  return scratch;
}

function encodeValue(value) {
  if (value instanceof Uint8Array) {
    if (value.includes(0)) throw new TavoError(ERR_ILLEGAL_CHARACTER, errorMessage(ERR_ILLEGAL_CHARACTER));
    return value;
  }
  const text = String(value ?? '');
  const out = new Uint8Array(text.length);
  for (let i = 0; i < text.length; i++) {
    const c = text.charCodeAt(i);
    const b = c > 0 && c < 256 ? c : CHAR_TO_BYTE.get(c);
    if (b === undefined) throw new TavoError(ERR_ILLEGAL_CHARACTER, errorMessage(ERR_ILLEGAL_CHARACTER));
    out[i] = b;
  }
  return out;
}

const CHAR_CODE_OF_BYTE = Uint16Array.from(BYTE_TO_CHAR, (c) => c.charCodeAt(0));

// Up to this many bytes a result is built by one String.fromCharCode call on
// a reused argument array, one per length (the common case: a short symbol).
// Longer ones are written as UTF-16 code units into a reused array and
// decoded at once by the engine (Node's Buffer, or TextDecoder elsewhere).
const SHORT = 64;
const shortCodes = Array.from({ length: SHORT + 1 }, (_, n) => new Array(n).fill(0));
let units = new Uint16Array(4096);

function utf16Decoder() {
  if (typeof Buffer === 'function' && typeof Buffer.prototype.ucs2Slice === 'function') {
    return (u16, n) => Buffer.from(u16.buffer, 0, 2 * n).ucs2Slice();
  }
  if (typeof TextDecoder === 'function') {
    const td = new TextDecoder('utf-16le');
    return (u16, n) => td.decode(u16.subarray(0, n));
  }
  return null;
}
const utf16 = utf16Decoder();

// Bytes as their Windows-1252 characters.
function decodeBytes(bytes, start, end) {
  const n = end - start;
  if (n <= SHORT) {
    const codes = shortCodes[n];
    for (let i = 0; i < n; i++) codes[i] = CHAR_CODE_OF_BYTE[bytes[start + i]];
    return String.fromCharCode.apply(null, codes);
  }
  if (utf16 !== null) {
    if (units.length < n) units = new Uint16Array(Math.max(n, 2 * units.length));
    for (let i = 0; i < n; i++) units[i] = CHAR_CODE_OF_BYTE[bytes[start + i]];
    return utf16(units, n);
  }
  let s = '';
  for (let at = start; at < end; at += 4096) {
    const stop = Math.min(end, at + 4096);
    const codes = new Array(stop - at);
    for (let i = at; i < stop; i++) codes[i - at] = CHAR_CODE_OF_BYTE[bytes[i]];
    s += String.fromCharCode.apply(null, codes);
  }
  return s;
}

const byName = new Map(symbologies.map((s) => [s.name, s.code]));

/** The symbology code of `symbology`, a code or a short name such as "ean13". */
export function symbologyCode(symbology) {
  if (typeof symbology === 'number' && Number.isInteger(symbology)) return symbology;
  const known = byName.get(symbology);
  if (known !== undefined) return known;
  const name = String(symbology).trim().toLowerCase();
  if (byName.has(name)) return byName.get(name);
  if (/^-?\d+$/.test(name)) return Number(name);
  throw new TavoError(ERR_UNKNOWN_SYMBOLOGY, errorMessage(ERR_UNKNOWN_SYMBOLOGY));
}

function fail(rc) {
  throw new TavoError(rc, errorMessage(rc));
}

// Writes `value` NUL-terminated at `at` (room for value.length + 1 bytes).
function writeValue(value, at) {
  const bytes = bytesView();
  if (typeof value !== 'string') {
    if (value.includes(0)) fail(ERR_ILLEGAL_CHARACTER);
    bytes.set(value, at);
    bytes[at + value.length] = 0;
    return;
  }
  const n = value.length;
  for (let i = 0; i < n; i++) {
    const c = value.charCodeAt(i);
    if (c > 0 && c < 256) {
      bytes[at + i] = c;
    } else {
      const b = CHAR_TO_BYTE.get(c);
      if (b === undefined) fail(ERR_ILLEGAL_CHARACTER);
      bytes[at + i] = b;
    }
  }
  bytes[at + n] = 0;
}

// Translates into the scratch block; returns the font string's offset in
// the module's memory (its length is in `lastLength`).
let lastLength = 0;
function translateRaw(symbology, value, check) {
  const code = typeof symbology === 'number' ? symbology : symbologyCode(symbology);
  const input = typeof value === 'string' || value instanceof Uint8Array ? value : String(value ?? '');
  const n = input.length;
  let cap = 16 * n + 1024;
  for (let attempt = 0; ; attempt++) {
    const base = scratchBlock(n + 8 + cap);
    const lenAt = (base + n + 4) & ~3;
    const outAt = lenAt + 4;
    writeValue(input, base);
    const rc = fontTranslate(code, base, check ? 1 : 0, outAt, cap, lenAt);
    if (rc === OK) {
      const view = bytesView();
      lastLength = view[lenAt] | (view[lenAt + 1] << 8) | (view[lenAt + 2] << 16) | (view[lenAt + 3] << 24);
      return outAt;
    }
    // Too many characters is also what a result longer than the room says:
    // try once with room no symbol needs before reporting it.
    if (rc !== ERR_TOO_MANY_CHARACTERS || attempt > 0) fail(rc);
    cap = 256 * n + 65536;
  }
}

/** The font string of `value` as a string; bytes above 127 as Windows-1252 characters. */
// (`options` is read only when given: no object is made per call.)
export function translate(symbology, value, options) {
  const at = translateRaw(symbology, value, options === undefined ? false : options.check);
  return decodeBytes(bytesView(), at, at + lastLength);
}

/** The font string of `value` as its bytes. */
export function translateBytes(symbology, value, options) {
  const at = translateRaw(symbology, value, options === undefined ? false : options.check);
  return bytesView().slice(at, at + lastLength);
}

function writeCString(text, at) {
  const input = encodeValue(text);
  const bytes = bytesView();
  bytes.set(input, at);
  bytes[at + input.length] = 0;
  return input.length + 1;
}

const HEIGHTS = { L: 0, M: 1, H: 2, low: 0, medium: 1, high: 2 };

/**
 * The face name of the bar code font for `symbology`: `prefix` (default
 * "TAVO ", the family prefix of the TAVO fonts) and the suffix for bar height
 * `height` ("L", "M", "H" or 0..2) and caption variant.
 */
export function faceName(symbology, options = {}) {
  const code = symbologyCode(symbology);
  const prefix = options.prefix ?? 'TAVO ';
  const h = options.height ?? 0;
  const height = typeof h === 'number' ? h : HEIGHTS[h] ?? -1;
  const room = 3 * prefix.length + 64;
  const base = scratchBlock(room * 2 + 8);
  const used = writeCString(prefix, base);
  const lenAt = (base + used + 3) & ~3;
  const outAt = lenAt + 4;
  const rc = lib.BC_FontGetFaceName(base, code, height, options.caption ? 1 : 0, outAt, room, lenAt);
  if (rc !== OK) fail(rc);
  const view = bytesView();
  const len = view[lenAt] | (view[lenAt + 1] << 8) | (view[lenAt + 2] << 16) | (view[lenAt + 3] << 24);
  return decodeBytes(view, outAt, outAt + len);
}

/**
 * Whether character `ch` (a one-character string or a code 0..255) may stand
 * in a value of `symbology`: the text an input form shows for it (the
 * character, or a label such as "<FNC1>"), or null when it may not.
 */
export function charCheck(symbology, ch, options = {}) {
  const code = symbologyCode(symbology);
  let c = ch;
  if (typeof ch === 'string') {
    if (ch.length !== 1) throw new TypeError('charCheck takes one character or a character code');
    c = ch.charCodeAt(0);
    if (c > 255) c = CHAR_TO_BYTE.get(c) ?? -1;
  }
  const base = scratchBlock(128);
  const outAt = base + 8;
  const valid = lib.BC_CharCheck(code, c, options.alt ? 1 : 0, outAt, 100, base);
  if (!valid) return null;
  const view = bytesView();
  const len = view[base] | (view[base + 1] << 8);
  return decodeBytes(view, outAt, outAt + len);
}

/** The library's message for error `code`. */
export function errorMessage(code) {
  const base = scratchBlock(1024);
  bytesView().fill(0, base, base + 1024);
  lib.BC_StrErr(code | 0, base, 1024);
  const view = bytesView();
  let end = base;
  while (end < base + 1024 && view[end] !== 0) end++;
  return decodeBytes(view, base, end);
}

/**
 * The library's version queries: `translation` (BC_FontGetVer) and the file
 * version components, which are 0 here (a WebAssembly module has no version
 * record, as a platform without one); `library` is the version of the
 * sources the module was built from.
 */
export function version() {
  return {
    translation: lib.BC_FontGetVer(),
    major: lib.TAVO_VersionMajor(),
    minor: lib.TAVO_VersionMinor(),
    revision: lib.TAVO_VersionRevision(),
    library: libraryVersion,
  };
}
