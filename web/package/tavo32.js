// tavo32: the TAVO32 bar code font translation library, compiled to
// WebAssembly, for Node 18+ and browsers (a plain <script type="module">),
// and from CommonJS through tavo32.cjs, which is made from this file by
// web/tools/gen-package.mjs (keep to the forms it converts).
//
// The module below is the library core itself; this file moves values in
// and out of its memory and reads the registry's description of each
// symbology (symbologies.js, generated from `tavo list --json`): names,
// aliases, named options and their check values, and the text rule.  A
// string value goes through its symbology's text rule: UTF-8 for the 2D
// codes, and for the others each character as its byte (U+0001..U+00FF as
// themselves, the Windows-1252 characters such as "€" as their bytes).  A
// Uint8Array goes as it is.  A font string comes back as a string in which
// every byte above 127 is its Windows-1252 character, which is how the TAVO
// web fonts (fonts/tavo-fonts.css) map their glyphs.
import wasmBase64 from './tavo32-wasm.js';
import { registry, libraryVersion } from './symbologies.js';
import { TavoError, ERR_ILLEGAL_CHARACTER, ERR_BAD_OPTION, indexRegistry, symbologyCodeIn, checkOf } from './options.js';

/** The registry's description of every symbology, in code order (`tavo list --json`). */
export const symbologies = registry.symbologies;
const OK = 0;
const ERR_TOO_MANY_CHARACTERS = 32510;
const ERR_OUT_OF_MEMORY = 32529;

export { TavoError };
const names = indexRegistry(registry);

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
    // An empty environment (getenv finds nothing).
    environ_sizes_get(countAt, sizeAt) {
      new DataView(memory.buffer).setUint32(countAt, 0, true);
      new DataView(memory.buffer).setUint32(sizeAt, 0, true);
      return 0;
    },
    environ_get() { return 0; },
  },
};
// The module asks for a handful of functions; any other it names (a system
// call nothing here reaches) fails if it is ever called.
function importsOf(module) {
  const all = { env: { ...imports.env }, wasi_snapshot_preview1: { ...imports.wasi_snapshot_preview1 } };
  for (const { module: from, name, kind } of WebAssembly.Module.imports(module)) {
    if (kind !== 'function' || !all[from] || all[from][name]) continue;
    all[from][name] = from === 'env' ? () => { throw new Error(`tavo32: ${name} is not available`); } : () => ENOSYS;
  }
  return all;
}
// Compiled at once where the engine allows it for a module this small (Node,
// and browsers for modules up to several megabytes), so the library is ready
// when this module has loaded; otherwise compiled asynchronously.
function instantiateNow(bytes) {
  try {
    const module = new WebAssembly.Module(bytes);
    return new WebAssembly.Instance(module, importsOf(module));
  } catch (e) {
    if (!(e instanceof RangeError)) throw e;
    return null;
  }
}
async function instantiateLater(bytes) {
  const module = await WebAssembly.compile(bytes);
  return WebAssembly.instantiate(module, importsOf(module));
}
const wasmBytes = base64Bytes(wasmBase64);
const instance = instantiateNow(wasmBytes) ?? (await instantiateLater(wasmBytes)); // cjs: const instance = instantiateNow(wasmBytes);
const lib = instance.exports;
const { memory } = lib;
if (lib._initialize) lib._initialize();
// The entry point translate() calls, held directly (no look-up per call).
const fontTranslate = lib.BC_FontTranslate;

/** The module's own exports: the library's C entry points, malloc and free. */
export const wasmExports = lib;

let heap = new Uint8Array(memory.buffer);
// The same memory as words, for reading and writing four bytes at a time.
// The module's memory is little-endian and an Int32Array has the host's
// order: on a big-endian host every copy goes a byte at a time.
let words = new Int32Array(memory.buffer);
const LITTLE_ENDIAN = new Uint8Array(Uint32Array.of(1).buffer)[0] === 1;
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
      throw new TavoError(ERR_OUT_OF_MEMORY, errorMessage(ERR_OUT_OF_MEMORY));
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
let unitPairs = new Uint32Array(units.buffer);

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
// Both read UTF-16 little-endian, and `units` has the host's order: a
// big-endian host builds long strings the third way, in decodeBytes().
const utf16 = LITTLE_ENDIAN ? utf16Decoder() : null;

// Bytes as their Windows-1252 characters (`bytes` is a view of the module's
// memory or any other array).
function decodeBytes(bytes, start, end) {
  const n = end - start;
  if (n <= SHORT) {
    const codes = shortCodes[n];
    for (let i = 0; i < n; i++) codes[i] = CHAR_CODE_OF_BYTE[bytes[start + i]];
    return String.fromCharCode.apply(null, codes);
  }
  if (utf16 !== null) {
    if (units.length < n) {
      // An even length, so that unitPairs covers every unit.
      units = new Uint16Array((Math.max(n, 2 * units.length) + 1) & ~1);
      unitPairs = new Uint32Array(units.buffer);
    }
    const c = CHAR_CODE_OF_BYTE;
    let i = 0;
    if (LITTLE_ENDIAN && bytes === heap && (start & 3) === 0) {
      // Four bytes a read, two units a write.
      if (words.length === 0) words = new Int32Array(memory.buffer);
      const first = start >> 2;
      for (; i + 4 <= n; i += 4) {
        const w = words[first + (i >> 2)];
        unitPairs[i >> 1] = c[w & 0xff] | (c[(w >>> 8) & 0xff] << 16);
        unitPairs[(i >> 1) + 1] = c[(w >>> 16) & 0xff] | (c[w >>> 24] << 16);
      }
    }
    for (; i < n; i++) units[i] = c[bytes[start + i]];
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

/** The symbology code of `symbology`: a code, or a name or alias such as "ean13", "EAN-13", "qrcode". */
export function symbologyCode(symbology) {
  return symbologyCodeIn(names, symbology);
}

// The registry's row of `symbology` (a code or a name) and its code; the
// row is undefined for a code the registry has not got.  The names met so
// far are remembered, so a repeated name costs one look-up.
const seenNames = new Map();
function rowOf(symbology) {
  if (typeof symbology === 'string') {
    const known = seenNames.get(symbology);
    if (known !== undefined) return known;
  }
  const code = symbologyCodeIn(names, symbology);
  const found = { code, row: names.byCode.get(code) };
  if (typeof symbology === 'string' && seenNames.size < 256) seenNames.set(symbology, found);
  return found;
}

function fail(rc) {
  throw new TavoError(rc, errorMessage(rc));
}

function unconvertible(row, text, i, rule) {
  const cp = text.codePointAt(i);
  const what = cp === 0 ? 'NUL' : `'${String.fromCodePoint(cp)}' (U+${cp.toString(16).toUpperCase().padStart(4, '0')})`;
  const why = cp === 0 ? 'cannot stand in a value' : rule === 'windows-1252' ? 'has no Windows-1252 byte' : 'is half a surrogate pair';
  return new TavoError(ERR_ILLEGAL_CHARACTER, `${row ? row.name : 'the value'}: character ${what} at ${i} ${why}`);
}

// Writes a string NUL-terminated at `at`, each character as its byte
// (room for text.length + 4 bytes).  A string of U+0001..U+00FF alone goes
// four characters to a word where `at` allows it.
function write1252(row, text, at) {
  const n = text.length;
  if (LITTLE_ENDIAN && (at & 3) === 0) {
    if (words.length === 0) words = new Int32Array(memory.buffer);
    if (writeWords(text, n, at)) return;
  }
  const bytes = bytesView();
  for (let i = 0; i < n; i++) {
    const c = text.charCodeAt(i);
    if (c > 0 && c < 256) {
      bytes[at + i] = c;
    } else {
      const b = CHAR_TO_BYTE.get(c);
      if (b === undefined) throw unconvertible(row, text, i, 'windows-1252');
      bytes[at + i] = b;
    }
  }
  bytes[at + n] = 0;
}

// The length of a string in UTF-8, refusing NUL and unpaired surrogates
// (which UTF-8 cannot carry and TextEncoder would replace).
function utf8Length(row, text) {
  const n = text.length;
  let length = n;
  for (let i = 0; i < n; i++) {
    const c = text.charCodeAt(i);
    if (c < 0x80) {
      if (c === 0) throw unconvertible(row, text, i, 'utf-8');
    } else if (c < 0x800) {
      length += 1;
    } else if (c < 0xd800 || c > 0xdfff) {
      length += 2;
    } else {
      const next = c < 0xdc00 && i + 1 < n ? text.charCodeAt(i + 1) : 0;
      if (next < 0xdc00 || next > 0xdfff) throw unconvertible(row, text, i, 'utf-8');
      length += 2; // four bytes for the pair's two units
      i++;
    }
  }
  return length;
}

// Writes a string utf8Length() has passed as UTF-8, NUL-terminated at `at`
// (TextEncoder would allocate an array a call, which costs more than the
// encoding for the values a symbol holds).
function writeUtf8(text, at) {
  const bytes = bytesView();
  const n = text.length;
  let o = at;
  for (let i = 0; i < n; i++) {
    let c = text.charCodeAt(i);
    if (c < 0x80) {
      bytes[o++] = c;
    } else if (c < 0x800) {
      bytes[o++] = 0xc0 | (c >> 6);
      bytes[o++] = 0x80 | (c & 0x3f);
    } else if (c < 0xd800 || c > 0xdfff) {
      bytes[o++] = 0xe0 | (c >> 12);
      bytes[o++] = 0x80 | ((c >> 6) & 0x3f);
      bytes[o++] = 0x80 | (c & 0x3f);
    } else {
      c = 0x10000 + ((c - 0xd800) << 10) + (text.charCodeAt(++i) - 0xdc00);
      bytes[o++] = 0xf0 | (c >> 18);
      bytes[o++] = 0x80 | ((c >> 12) & 0x3f);
      bytes[o++] = 0x80 | ((c >> 6) & 0x3f);
      bytes[o++] = 0x80 | (c & 0x3f);
    }
  }
  bytes[o] = 0;
}

// The value as the library takes it: a Uint8Array as it is, or the string
// itself, which writeValue() puts through the symbology's text rule.  Its
// length in bytes is left in `inputLength`.
let inputLength = 0;
function valueInput(row, value) {
  if (value instanceof Uint8Array) {
    const nul = value.indexOf(0);
    if (nul >= 0) throw new TavoError(ERR_ILLEGAL_CHARACTER, `${row ? row.name : 'the value'}: byte 0 at ${nul} cannot stand in a value`);
    inputLength = value.length;
    return value;
  }
  const text = typeof value === 'string' ? value : String(value ?? '');
  inputLength = isUtf8(row) ? utf8Length(row, text) : text.length;
  return text;
}

const isUtf8 = (row) => row !== undefined && row.text !== 'windows-1252';

// Writes `input` (a string or its bytes) NUL-terminated at `at`, with room
// for inputLength + 4 bytes.
function writeValue(row, input, at) {
  if (typeof input === 'string') {
    if (isUtf8(row)) writeUtf8(input, at);
    else write1252(row, input, at);
    return;
  }
  const bytes = bytesView();
  bytes.set(input, at);
  bytes[at + input.length] = 0;
}

// Translates into the scratch block; returns the font string's offset in
// the module's memory (its length is in `lastLength`, the code in `lastCode`).
let lastLength = 0;
let lastCode = 0;
function translateRaw(symbology, value, options) {
  const { code, row } = typeof symbology === 'number' && options === undefined && (symbology | 0) === symbology
    ? { code: symbology, row: names.byCode.get(symbology) } : rowOf(symbology);
  const check = options === undefined ? 0 : checkOf(row, options);
  const input = valueInput(row, value);
  const n = inputLength;
  let cap = 16 * n + 1024;
  for (let attempt = 0; ; attempt++) {
    const base = scratchBlock(n + 8 + cap);
    const lenAt = (base + n + 4) & ~3;
    const outAt = lenAt + 4;
    writeValue(row, input, base);
    const rc = fontTranslate(code, base, check, outAt, cap, lenAt);
    if (rc === OK) {
      const view = bytesView();
      lastLength = view[lenAt] | (view[lenAt + 1] << 8) | (view[lenAt + 2] << 16) | (view[lenAt + 3] << 24);
      lastCode = code;
      return outAt;
    }
    // Too many characters is also what a result longer than the room says:
    // try once with room no symbol needs before reporting it.
    if (rc !== ERR_TOO_MANY_CHARACTERS || attempt > 0) fail(rc);
    cap = 256 * n + 65536;
  }
}

// The common call -- a symbology code, a short string and no options --
// takes a path of its own, since for a short symbol the JavaScript around
// the translation costs more than the translation.  It writes the value four
// characters to a word into a block allocated once, and builds the result
// from explicit arguments: V8 makes a string from String.fromCharCode(a, b,
// ...) about 2.5 times faster than from .apply on an array.  Anything else
// (a character outside U+0001..U+00FF, a longer value, a UTF-8 symbology,
// any error) goes the general way, which gives the same bytes and reports
// errors with their detail.
const SHORT_VALUE = 64;
const SHORT_LENGTH_AT = 68; // offsets in the block: value and NUL, length word, result
const SHORT_RESULT_AT = 72;
const SHORT_ROOM = 4096;
let shortBlock = 0;

// 1 for each code whose text rule writes a character as its byte; the path
// writes through `words`, so on a big-endian host no code takes it.
const BYTE_RULE = new Uint8Array(256);
for (const [code, row] of names.byCode) {
  if (LITTLE_ENDIAN && code >= 0 && code < 256 && row.text === 'windows-1252') BYTE_RULE[code] = 1;
}

// Writes the n characters of text NUL-terminated at `at`, a multiple of 4,
// four to a word (room for n + 4 bytes); false when a character is not
// U+0001..U+00FF, having written some of them.
function writeWords(text, n, at) {
  let bad = 0;
  let i = 0;
  let q = at >> 2;
  for (; i + 4 <= n; i += 4) {
    const c0 = text.charCodeAt(i), c1 = text.charCodeAt(i + 1);
    const c2 = text.charCodeAt(i + 2), c3 = text.charCodeAt(i + 3);
    // (c - 1) | c stays within 0..255 exactly for c in 1..255.
    bad |= (c0 - 1) | c0 | (c1 - 1) | c1 | (c2 - 1) | c2 | (c3 - 1) | c3;
    words[q++] = c0 | (c1 << 8) | (c2 << 16) | (c3 << 24);
  }
  // The last word holds the rest and the NUL.
  let last = 0;
  for (let shift = 0; i < n; i++, shift += 8) {
    const c = text.charCodeAt(i);
    bad |= (c - 1) | c;
    last |= c << shift;
  }
  words[q] = last;
  return (bad & ~0xff) === 0;
}

const fromCharCode = String.fromCharCode;

// The result as a string, from explicit arguments (n <= 32 bytes at o).
function shortString(h, o, n) {
  const c = CHAR_CODE_OF_BYTE;
  switch (n) {
    case 1: return fromCharCode(c[h[o]]);
    case 2: return fromCharCode(c[h[o]], c[h[o + 1]]);
    case 3: return fromCharCode(c[h[o]], c[h[o + 1]], c[h[o + 2]]);
    case 4: return fromCharCode(c[h[o]], c[h[o + 1]], c[h[o + 2]], c[h[o + 3]]);
    case 5: return fromCharCode(c[h[o]], c[h[o + 1]], c[h[o + 2]], c[h[o + 3]], c[h[o + 4]]);
    case 6: return fromCharCode(c[h[o]], c[h[o + 1]], c[h[o + 2]], c[h[o + 3]], c[h[o + 4]],
      c[h[o + 5]]);
    case 7: return fromCharCode(c[h[o]], c[h[o + 1]], c[h[o + 2]], c[h[o + 3]], c[h[o + 4]],
      c[h[o + 5]], c[h[o + 6]]);
    case 8: return fromCharCode(c[h[o]], c[h[o + 1]], c[h[o + 2]], c[h[o + 3]], c[h[o + 4]],
      c[h[o + 5]], c[h[o + 6]], c[h[o + 7]]);
    case 9: return fromCharCode(c[h[o]], c[h[o + 1]], c[h[o + 2]], c[h[o + 3]], c[h[o + 4]],
      c[h[o + 5]], c[h[o + 6]], c[h[o + 7]], c[h[o + 8]]);
    case 10: return fromCharCode(c[h[o]], c[h[o + 1]], c[h[o + 2]], c[h[o + 3]], c[h[o + 4]],
      c[h[o + 5]], c[h[o + 6]], c[h[o + 7]], c[h[o + 8]], c[h[o + 9]]);
    case 11: return fromCharCode(c[h[o]], c[h[o + 1]], c[h[o + 2]], c[h[o + 3]], c[h[o + 4]],
      c[h[o + 5]], c[h[o + 6]], c[h[o + 7]], c[h[o + 8]], c[h[o + 9]], c[h[o + 10]]);
    case 12: return fromCharCode(c[h[o]], c[h[o + 1]], c[h[o + 2]], c[h[o + 3]], c[h[o + 4]],
      c[h[o + 5]], c[h[o + 6]], c[h[o + 7]], c[h[o + 8]], c[h[o + 9]], c[h[o + 10]], c[h[o + 11]]);
    case 13: return fromCharCode(c[h[o]], c[h[o + 1]], c[h[o + 2]], c[h[o + 3]], c[h[o + 4]],
      c[h[o + 5]], c[h[o + 6]], c[h[o + 7]], c[h[o + 8]], c[h[o + 9]], c[h[o + 10]], c[h[o + 11]],
      c[h[o + 12]]);
    case 14: return fromCharCode(c[h[o]], c[h[o + 1]], c[h[o + 2]], c[h[o + 3]], c[h[o + 4]],
      c[h[o + 5]], c[h[o + 6]], c[h[o + 7]], c[h[o + 8]], c[h[o + 9]], c[h[o + 10]], c[h[o + 11]],
      c[h[o + 12]], c[h[o + 13]]);
    case 15: return fromCharCode(c[h[o]], c[h[o + 1]], c[h[o + 2]], c[h[o + 3]], c[h[o + 4]],
      c[h[o + 5]], c[h[o + 6]], c[h[o + 7]], c[h[o + 8]], c[h[o + 9]], c[h[o + 10]], c[h[o + 11]],
      c[h[o + 12]], c[h[o + 13]], c[h[o + 14]]);
    case 16: return fromCharCode(c[h[o]], c[h[o + 1]], c[h[o + 2]], c[h[o + 3]], c[h[o + 4]],
      c[h[o + 5]], c[h[o + 6]], c[h[o + 7]], c[h[o + 8]], c[h[o + 9]], c[h[o + 10]], c[h[o + 11]],
      c[h[o + 12]], c[h[o + 13]], c[h[o + 14]], c[h[o + 15]]);
    case 17: return fromCharCode(c[h[o]], c[h[o + 1]], c[h[o + 2]], c[h[o + 3]], c[h[o + 4]],
      c[h[o + 5]], c[h[o + 6]], c[h[o + 7]], c[h[o + 8]], c[h[o + 9]], c[h[o + 10]], c[h[o + 11]],
      c[h[o + 12]], c[h[o + 13]], c[h[o + 14]], c[h[o + 15]], c[h[o + 16]]);
    case 18: return fromCharCode(c[h[o]], c[h[o + 1]], c[h[o + 2]], c[h[o + 3]], c[h[o + 4]],
      c[h[o + 5]], c[h[o + 6]], c[h[o + 7]], c[h[o + 8]], c[h[o + 9]], c[h[o + 10]], c[h[o + 11]],
      c[h[o + 12]], c[h[o + 13]], c[h[o + 14]], c[h[o + 15]], c[h[o + 16]], c[h[o + 17]]);
    case 19: return fromCharCode(c[h[o]], c[h[o + 1]], c[h[o + 2]], c[h[o + 3]], c[h[o + 4]],
      c[h[o + 5]], c[h[o + 6]], c[h[o + 7]], c[h[o + 8]], c[h[o + 9]], c[h[o + 10]], c[h[o + 11]],
      c[h[o + 12]], c[h[o + 13]], c[h[o + 14]], c[h[o + 15]], c[h[o + 16]], c[h[o + 17]],
      c[h[o + 18]]);
    case 20: return fromCharCode(c[h[o]], c[h[o + 1]], c[h[o + 2]], c[h[o + 3]], c[h[o + 4]],
      c[h[o + 5]], c[h[o + 6]], c[h[o + 7]], c[h[o + 8]], c[h[o + 9]], c[h[o + 10]], c[h[o + 11]],
      c[h[o + 12]], c[h[o + 13]], c[h[o + 14]], c[h[o + 15]], c[h[o + 16]], c[h[o + 17]],
      c[h[o + 18]], c[h[o + 19]]);
    case 21: return fromCharCode(c[h[o]], c[h[o + 1]], c[h[o + 2]], c[h[o + 3]], c[h[o + 4]],
      c[h[o + 5]], c[h[o + 6]], c[h[o + 7]], c[h[o + 8]], c[h[o + 9]], c[h[o + 10]], c[h[o + 11]],
      c[h[o + 12]], c[h[o + 13]], c[h[o + 14]], c[h[o + 15]], c[h[o + 16]], c[h[o + 17]],
      c[h[o + 18]], c[h[o + 19]], c[h[o + 20]]);
    case 22: return fromCharCode(c[h[o]], c[h[o + 1]], c[h[o + 2]], c[h[o + 3]], c[h[o + 4]],
      c[h[o + 5]], c[h[o + 6]], c[h[o + 7]], c[h[o + 8]], c[h[o + 9]], c[h[o + 10]], c[h[o + 11]],
      c[h[o + 12]], c[h[o + 13]], c[h[o + 14]], c[h[o + 15]], c[h[o + 16]], c[h[o + 17]],
      c[h[o + 18]], c[h[o + 19]], c[h[o + 20]], c[h[o + 21]]);
    case 23: return fromCharCode(c[h[o]], c[h[o + 1]], c[h[o + 2]], c[h[o + 3]], c[h[o + 4]],
      c[h[o + 5]], c[h[o + 6]], c[h[o + 7]], c[h[o + 8]], c[h[o + 9]], c[h[o + 10]], c[h[o + 11]],
      c[h[o + 12]], c[h[o + 13]], c[h[o + 14]], c[h[o + 15]], c[h[o + 16]], c[h[o + 17]],
      c[h[o + 18]], c[h[o + 19]], c[h[o + 20]], c[h[o + 21]], c[h[o + 22]]);
    case 24: return fromCharCode(c[h[o]], c[h[o + 1]], c[h[o + 2]], c[h[o + 3]], c[h[o + 4]],
      c[h[o + 5]], c[h[o + 6]], c[h[o + 7]], c[h[o + 8]], c[h[o + 9]], c[h[o + 10]], c[h[o + 11]],
      c[h[o + 12]], c[h[o + 13]], c[h[o + 14]], c[h[o + 15]], c[h[o + 16]], c[h[o + 17]],
      c[h[o + 18]], c[h[o + 19]], c[h[o + 20]], c[h[o + 21]], c[h[o + 22]], c[h[o + 23]]);
    case 25: return fromCharCode(c[h[o]], c[h[o + 1]], c[h[o + 2]], c[h[o + 3]], c[h[o + 4]],
      c[h[o + 5]], c[h[o + 6]], c[h[o + 7]], c[h[o + 8]], c[h[o + 9]], c[h[o + 10]], c[h[o + 11]],
      c[h[o + 12]], c[h[o + 13]], c[h[o + 14]], c[h[o + 15]], c[h[o + 16]], c[h[o + 17]],
      c[h[o + 18]], c[h[o + 19]], c[h[o + 20]], c[h[o + 21]], c[h[o + 22]], c[h[o + 23]],
      c[h[o + 24]]);
    case 26: return fromCharCode(c[h[o]], c[h[o + 1]], c[h[o + 2]], c[h[o + 3]], c[h[o + 4]],
      c[h[o + 5]], c[h[o + 6]], c[h[o + 7]], c[h[o + 8]], c[h[o + 9]], c[h[o + 10]], c[h[o + 11]],
      c[h[o + 12]], c[h[o + 13]], c[h[o + 14]], c[h[o + 15]], c[h[o + 16]], c[h[o + 17]],
      c[h[o + 18]], c[h[o + 19]], c[h[o + 20]], c[h[o + 21]], c[h[o + 22]], c[h[o + 23]],
      c[h[o + 24]], c[h[o + 25]]);
    case 27: return fromCharCode(c[h[o]], c[h[o + 1]], c[h[o + 2]], c[h[o + 3]], c[h[o + 4]],
      c[h[o + 5]], c[h[o + 6]], c[h[o + 7]], c[h[o + 8]], c[h[o + 9]], c[h[o + 10]], c[h[o + 11]],
      c[h[o + 12]], c[h[o + 13]], c[h[o + 14]], c[h[o + 15]], c[h[o + 16]], c[h[o + 17]],
      c[h[o + 18]], c[h[o + 19]], c[h[o + 20]], c[h[o + 21]], c[h[o + 22]], c[h[o + 23]],
      c[h[o + 24]], c[h[o + 25]], c[h[o + 26]]);
    case 28: return fromCharCode(c[h[o]], c[h[o + 1]], c[h[o + 2]], c[h[o + 3]], c[h[o + 4]],
      c[h[o + 5]], c[h[o + 6]], c[h[o + 7]], c[h[o + 8]], c[h[o + 9]], c[h[o + 10]], c[h[o + 11]],
      c[h[o + 12]], c[h[o + 13]], c[h[o + 14]], c[h[o + 15]], c[h[o + 16]], c[h[o + 17]],
      c[h[o + 18]], c[h[o + 19]], c[h[o + 20]], c[h[o + 21]], c[h[o + 22]], c[h[o + 23]],
      c[h[o + 24]], c[h[o + 25]], c[h[o + 26]], c[h[o + 27]]);
    case 29: return fromCharCode(c[h[o]], c[h[o + 1]], c[h[o + 2]], c[h[o + 3]], c[h[o + 4]],
      c[h[o + 5]], c[h[o + 6]], c[h[o + 7]], c[h[o + 8]], c[h[o + 9]], c[h[o + 10]], c[h[o + 11]],
      c[h[o + 12]], c[h[o + 13]], c[h[o + 14]], c[h[o + 15]], c[h[o + 16]], c[h[o + 17]],
      c[h[o + 18]], c[h[o + 19]], c[h[o + 20]], c[h[o + 21]], c[h[o + 22]], c[h[o + 23]],
      c[h[o + 24]], c[h[o + 25]], c[h[o + 26]], c[h[o + 27]], c[h[o + 28]]);
    case 30: return fromCharCode(c[h[o]], c[h[o + 1]], c[h[o + 2]], c[h[o + 3]], c[h[o + 4]],
      c[h[o + 5]], c[h[o + 6]], c[h[o + 7]], c[h[o + 8]], c[h[o + 9]], c[h[o + 10]], c[h[o + 11]],
      c[h[o + 12]], c[h[o + 13]], c[h[o + 14]], c[h[o + 15]], c[h[o + 16]], c[h[o + 17]],
      c[h[o + 18]], c[h[o + 19]], c[h[o + 20]], c[h[o + 21]], c[h[o + 22]], c[h[o + 23]],
      c[h[o + 24]], c[h[o + 25]], c[h[o + 26]], c[h[o + 27]], c[h[o + 28]], c[h[o + 29]]);
    case 31: return fromCharCode(c[h[o]], c[h[o + 1]], c[h[o + 2]], c[h[o + 3]], c[h[o + 4]],
      c[h[o + 5]], c[h[o + 6]], c[h[o + 7]], c[h[o + 8]], c[h[o + 9]], c[h[o + 10]], c[h[o + 11]],
      c[h[o + 12]], c[h[o + 13]], c[h[o + 14]], c[h[o + 15]], c[h[o + 16]], c[h[o + 17]],
      c[h[o + 18]], c[h[o + 19]], c[h[o + 20]], c[h[o + 21]], c[h[o + 22]], c[h[o + 23]],
      c[h[o + 24]], c[h[o + 25]], c[h[o + 26]], c[h[o + 27]], c[h[o + 28]], c[h[o + 29]],
      c[h[o + 30]]);
    case 32: return fromCharCode(c[h[o]], c[h[o + 1]], c[h[o + 2]], c[h[o + 3]], c[h[o + 4]],
      c[h[o + 5]], c[h[o + 6]], c[h[o + 7]], c[h[o + 8]], c[h[o + 9]], c[h[o + 10]], c[h[o + 11]],
      c[h[o + 12]], c[h[o + 13]], c[h[o + 14]], c[h[o + 15]], c[h[o + 16]], c[h[o + 17]],
      c[h[o + 18]], c[h[o + 19]], c[h[o + 20]], c[h[o + 21]], c[h[o + 22]], c[h[o + 23]],
      c[h[o + 24]], c[h[o + 25]], c[h[o + 26]], c[h[o + 27]], c[h[o + 28]], c[h[o + 29]],
      c[h[o + 30]], c[h[o + 31]]);
    default: return undefined;
  }
}

// The short path's string, or undefined where the general path must run.
function translateShort(code, text) {
  const n = text.length;
  if (n > SHORT_VALUE || BYTE_RULE[code] !== 1) return undefined;
  if (shortBlock === 0) {
    shortBlock = lib.malloc(SHORT_RESULT_AT + SHORT_ROOM);
    if (!shortBlock) return undefined;
  }
  if (heap.length === 0) heap = new Uint8Array(memory.buffer);
  if (words.length === 0) words = new Int32Array(memory.buffer);
  if (!writeWords(text, n, shortBlock)) return undefined;
  const rc = fontTranslate(code, shortBlock, 0, shortBlock + SHORT_RESULT_AT, SHORT_ROOM, shortBlock + SHORT_LENGTH_AT);
  if (rc !== OK) return undefined;
  // The translation may have grown the memory.
  if (heap.length === 0) heap = new Uint8Array(memory.buffer);
  if (words.length === 0) words = new Int32Array(memory.buffer);
  const length = words[(shortBlock + SHORT_LENGTH_AT) >> 2];
  const at = shortBlock + SHORT_RESULT_AT;
  return length <= 32 ? shortString(heap, at, length) : decodeBytes(heap, at, at + length);
}

/**
 * The font string of `value` as a string; bytes above 127 as Windows-1252
 * characters.  `options` names the symbology's options ({ level: 'H' },
 * { check_digit: true }); `check` is the integer check argument itself.
 */
export function translate(symbology, value, options) {
  if (typeof symbology === 'number' && typeof value === 'string' && options === undefined) {
    const s = translateShort(symbology, value);
    if (s !== undefined) return s;
  }
  const at = translateRaw(symbology, value, options);
  return decodeBytes(bytesView(), at, at + lastLength);
}

/** The font string of `value` as its bytes. */
export function translateBytes(symbology, value, options) {
  const at = translateRaw(symbology, value, options);
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
 * `height` ("L", "M", "H" or 0..2) and caption variant.  Every symbology
 * answers through the code whose font prints it.
 */
export function faceName(symbology, options = {}) {
  const { code: own, row } = rowOf(symbology);
  // Through the code whose font prints it (Code 39 Full ASCII: Code 39's).
  const code = row ? row.font : own;
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

// Reads the int32 at `at` of the module's memory.
function int32At(at) {
  const view = bytesView();
  return view[at] | (view[at + 1] << 8) | (view[at + 2] << 16) | (view[at + 3] << 24);
}

// Calls `entry(input, output, cap, lenAt)` with `args` written as C strings
// (each through Windows-1252, as the GS1 entry points read bytes) and an
// output room that grows once when too small; the text it wrote.
function callForText(entry, args, room = 4096) {
  let cap = room;
  for (let attempt = 0; ; attempt++) {
    const inputs = args.map((a) => (a === null ? null : encodeValue(a)));
    const need = inputs.reduce((sum, a) => sum + (a ? a.length + 1 : 0), 0);
    const base = scratchBlock(need + 8 + cap);
    let at = base;
    const pointers = inputs.map((a) => {
      if (a === null) return 0;
      const p = at;
      bytesView().set(a, p);
      bytesView()[p + a.length] = 0;
      at += a.length + 1;
      return p;
    });
    const lenAt = (at + 3) & ~3;
    const outAt = lenAt + 4;
    const rc = entry(...pointers, outAt, cap, lenAt);
    if (rc === OK) return decodeBytes(bytesView(), outAt, outAt + int32At(lenAt));
    if (rc !== ERR_TOO_MANY_CHARACTERS || attempt > 0) fail(rc);
    cap = 64 * need + 65536;
  }
}

/**
 * The human-readable text of GS1 data as GS1-128 takes it ("(01)0950...")
 * or in brackets ("[01]0950..."): each element string as "(AI)data".
 * Throws TavoError with the library's GS1 error codes.
 */
export function gs1HumanReadable(value) {
  return callForText(lib.BC_GS1HumanReadable, [String(value)]);
}

/**
 * The GS1 check digit (0..9) of `key`, the 7 to 17 digits before it; with
 * `verify` true, `key` includes its check digit, which must be right.
 */
export function gs1CheckDigit(key, verify = false) {
  const input = encodeValue(String(key));
  const base = scratchBlock(input.length + 16);
  const digitAt = (base + input.length + 4) & ~3;
  bytesView().set(input, base);
  bytesView()[base + input.length] = 0;
  const rc = lib.BC_GS1CheckDigit(base, verify ? 1 : 0, digitAt);
  if (rc !== OK) fail(rc);
  return int32At(digitAt);
}

// The Digital Link entry points (ordinals 17 and 18) came after this
// package's first versions: a module without them says so.
function digitalLinkEntry(name) {
  const entry = lib[name];
  if (typeof entry !== 'function') {
    throw new Error(`tavo32: this library has no Digital Link (${name}); it needs a version newer than ${libraryVersion}`);
  }
  return entry;
}

/** Whether this build has the GS1 Digital Link functions. */
export const hasDigitalLink = typeof lib.BC_GS1DigitalLink === 'function' && typeof lib.BC_GS1FromDigitalLink === 'function';

/** The GS1 Digital Link URI of GS1 data, on `domain` (the library's default when null). */
export function gs1DigitalLink(value, domain = null) {
  return callForText(digitalLinkEntry('BC_GS1DigitalLink'), [String(value), domain === null || domain === undefined ? null : String(domain)]);
}

/** The GS1 data ("(01)...") that a GS1 Digital Link URI stands for. */
export function gs1FromDigitalLink(uri) {
  return callForText(digitalLinkEntry('BC_GS1FromDigitalLink'), [String(uri)]);
}

// GS1-128, whose picture captions are its human-readable text.
const GS1_128_CODE = 12;

// What toSVG() reads for the picture; every other key is a translation option.
const PICTURE_KEYS = ['module', 'height', 'ratio', 'caption'];

function pictureNumber(options, key, min, max) {
  const v = options[key];
  if (v === undefined) return 0;
  if (typeof v !== 'number' || !(v >= min && v <= max)) {
    throw new TavoError(ERR_BAD_OPTION, `${key} takes a number from ${min} to ${max}, not ${typeof v === 'string' ? `'${v}'` : String(v)}`);
  }
  return v;
}

/**
 * The symbol as an SVG document, drawn from the same symbol model as the
 * command line's `tavo translate --svg`: `options` takes the translation's
 * named options, and `module` (user units a module, default 1), `height`
 * (bars in modules; 0 or absent: the symbology's default), `ratio` (wide to
 * narrow, 2 to 3) and `caption` (the caption variant, text under the bars).
 */
export function toSVG(symbology, value, options = {}) {
  if (options === null || typeof options !== 'object') checkOf(undefined, options ?? undefined);
  const translation = {};
  for (const key of Object.keys(options ?? {})) if (!PICTURE_KEYS.includes(key)) translation[key] = options[key];
  options = options ?? {};
  const module = pictureNumber(options, 'module', 1e-3, 100) || 1;
  const height = pictureNumber(options, 'height', 0, 1000);
  const ratio = pictureNumber(options, 'ratio', 2, 3);
  const caption = options.caption === true ? 1 : 0;
  if (options.caption !== undefined && typeof options.caption !== 'boolean') {
    throw new TavoError(ERR_BAD_OPTION, `caption takes true or false, not ${String(options.caption)}`);
  }
  const font = translateBytes(symbology, value, translation);
  const code = lastCode;
  // GS1-128 captions print the human-readable text, parentheses and all.
  const hri = caption && code === GS1_128_CODE && typeof value === 'string' ? new TextEncoder().encode(gs1HumanReadable(value)) : new Uint8Array(0);
  let cap = 4096 + 512 * font.length;
  for (let attempt = 0; attempt < 2; attempt++) {
    const base = scratchBlock(font.length + hri.length + 8 + cap);
    bytesView().set(font, base);
    bytesView().set(hri, base + font.length);
    const lenAt = (base + font.length + hri.length + 3) & ~3;
    const outAt = lenAt + 4;
    const rc = lib.TAVO_WebSvg(code, base, font.length, caption, height, module, ratio, outAt, cap, lenAt,
                               base + font.length, hri.length);
    if (rc === OK) return utf8Text(bytesView().subarray(outAt, outAt + int32At(lenAt)));
    if (rc === ERR_TOO_MANY_CHARACTERS) {
      cap = int32At(lenAt) + 16;
      continue;
    }
    if (rc > 0) fail(rc);
    throw new Error(`tavo32: cannot draw byte ${int32At(lenAt)} of the font string of symbology ${code}`);
  }
  fail(ERR_TOO_MANY_CHARACTERS);
  return '';
}

const utf8Decoder = new TextDecoder();
const utf8Text = (bytes) => utf8Decoder.decode(bytes);
