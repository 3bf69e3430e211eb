// Names and named options, read from the registry's description
// (symbologies.js): a symbology by name or alias, and the `check` argument
// as the sum of the named options' contributions (docs/list-json.md).  The
// errors this side finds carry the codes every TAVO32 surface gives them.
//
// Plain JavaScript with no WebAssembly, so that it can be tested alone.

/** An error of the library, or one found before calling it: `.code` is its number. */
export class TavoError extends Error {
  constructor(code, message) {
    super(message);
    this.name = 'TavoError';
    this.code = code;
  }
}

export const ERR_ILLEGAL_CHARACTER = 32505;
export const ERR_UNKNOWN_SYMBOLOGY = 32511;
export const ERR_BAD_OPTION = 32561;

/** A name as names are compared: lower case, without '-', '_', '.' and spaces. */
export function normalName(name) {
  return String(name).replace(/[-_. ]/g, '').replace(/[A-Z]/g, (c) => c.toLowerCase());
}

// The option names met so far, normalized (a call's options are usually
// written the same way every time).
const normalKeys = new Map();
function normalKey(name) {
  let normal = normalKeys.get(name);
  if (normal === undefined) {
    normal = normalName(name);
    if (normalKeys.size < 256) normalKeys.set(name, normal);
  }
  return normal;
}

// Each row's options by normalized name.
const optionMaps = new WeakMap();
function optionNamed(row, normal) {
  if (!row) return undefined;
  let map = optionMaps.get(row);
  if (!map) {
    map = new Map(row.options.map((o) => [normalName(o.name), o]));
    optionMaps.set(row, map);
  }
  return map.get(normal);
}

// Levenshtein distance, ignoring case.
function editDistance(a, b) {
  const x = a.toLowerCase();
  const y = b.toLowerCase();
  let row = Array.from({ length: y.length + 1 }, (_, j) => j);
  for (let i = 1; i <= x.length; i++) {
    const next = [i];
    for (let j = 1; j <= y.length; j++) {
      next[j] = Math.min(row[j] + 1, next[j - 1] + 1, row[j - 1] + (x[i - 1] === y[j - 1] ? 0 : 1));
    }
    row = next;
  }
  return row[y.length];
}

/**
 * Up to three of `candidates` near `typed`, nearest first: within a third of
 * the longer word's length (at least 1), or starting with it (the rule of
 * the command line's "did you mean").
 */
export function nearestWords(typed, candidates) {
  const scored = [];
  for (const c of candidates) {
    const d = editDistance(typed, c);
    const limit = Math.max(1, Math.floor(Math.max(typed.length, c.length) / 3));
    const prefix = typed.length >= 2 && c.length > typed.length && c.toLowerCase().startsWith(typed.toLowerCase());
    if (d <= limit || prefix) scored.push([prefix ? 0 : d, c]);
  }
  scored.sort((p, q) => p[0] - q[0]);
  return [...new Set(scored.map(([, c]) => c))].slice(0, 3);
}

const didYouMean = (words) => (words.length ? ` (did you mean ${words.join(', ')}?)` : '');

/** Look-up tables of a registry: every name and alias, and the rows by code. */
export function indexRegistry(registry) {
  const byName = new Map();
  const byCode = new Map();
  for (const row of registry.symbologies) {
    byCode.set(row.code, row);
    for (const name of [row.name, ...row.aliases]) byName.set(normalName(name), row);
  }
  return { rows: registry.symbologies, byName, byCode };
}

/**
 * The code of `symbology`: an integer code as it is (the library answers for
 * codes it lacks), a decimal string as that code, or a name or alias.
 * Throws TavoError 32511 naming the nearest names.
 */
export function symbologyCodeIn(index, symbology) {
  if (typeof symbology === 'number') {
    if (Number.isInteger(symbology) && symbology >= -0x80000000 && symbology <= 0x7fffffff) return symbology;
  } else if (typeof symbology === 'string') {
    const row = index.byName.get(normalName(symbology));
    if (row) return row.code;
    const text = symbology.trim();
    if (/^-?\d{1,10}$/.test(text) && Math.abs(Number(text)) <= 0x7fffffff) return Number(text);
  }
  throw unknownSymbology(index, symbology);
}

function unknownSymbology(index, symbology) {
  const typed = String(symbology);
  let nearest = nearestWords(typed, index.rows.map((r) => r.name));
  if (nearest.length === 0) {
    // An alias may be nearer ("qrcod"): suggest the name it stands for.
    const normal = normalName(typed);
    nearest = index.rows.filter((r) => nearestWords(normal, r.aliases).length).map((r) => r.name).slice(0, 3);
  }
  return new TavoError(ERR_UNKNOWN_SYMBOLOGY, `unknown symbology '${typed}'${didYouMean(nearest)}`);
}

// "check_digit", "level L|M|Q|H", "columns 1..30": what a row takes.
function synopsis(row) {
  if (row.options.length === 0) return 'it has no options';
  return 'its options: ' + row.options.map((o) => `${o.name}${valuesOf(o) ? ' ' + valuesOf(o) : ''}`).join(', ');
}

function valuesOf(o) {
  if (o.type === 'choice') return o.values.map((v) => v.name).join('|');
  if (o.type === 'number') return `${o.min}..${o.max}`;
  return '';
}

const FLAG_ON = new Set(['1', 'true', 'yes', 'on']);
const FLAG_OFF = new Set(['0', 'false', 'no', 'off']);

// The contribution of option `o` set to `value`, or undefined when it does
// not take that value.  Flags take booleans (and the command line's words),
// choices their names, numbers integers in range.
function contribution(o, value) {
  if (o.type === 'flag') {
    if (value === true) return o.check;
    if (value === false) return 0;
    if (typeof value === 'string' || typeof value === 'number') {
      const v = normalName(value);
      if (FLAG_ON.has(v)) return o.check;
      if (FLAG_OFF.has(v)) return 0;
    }
    return undefined;
  }
  if (o.type === 'choice') {
    if (typeof value !== 'string') return undefined;
    const v = normalName(value);
    return o.values.find((c) => normalName(c.name) === v)?.check;
  }
  const n = typeof value === 'string' && /^\d{1,9}$/.test(value) ? Number(value) : value;
  return Number.isInteger(n) && n >= o.min && n <= o.max ? n * o.check : undefined;
}

// The options of `row` nearest to `typed`, as the command line finds them
// (it compares "--" and the name, so its threshold counts the dashes).
function nearestOptions(row, typed) {
  const flag = (name) => '--' + String(name).replace(/_/g, '-');
  const names = row ? row.options.map((o) => o.name) : [];
  return nearestWords(flag(typed), names.map(flag)).map((f) => names[names.map(flag).indexOf(f)]);
}

const show = (value) => (typeof value === 'string' ? `'${value}'` : String(value));
const badOption = (message) => new TavoError(ERR_BAD_OPTION, message);

// The legacy `check`: an integer passes straight through as the check
// argument (within int32), true means check_digit where there is one.
function legacyCheck(row, name, value) {
  if (Number.isInteger(value)) {
    if (value < -0x80000000 || value > 0x7fffffff) throw badOption(`check ${value} is outside the 32-bit range`);
    return { option: null, add: value };
  }
  const checkDigit = row?.options.find((o) => o.name === 'check_digit' && o.type === 'flag');
  if (typeof value === 'boolean' && (checkDigit || value === false)) {
    return { option: checkDigit ?? null, add: value ? checkDigit.check : 0 };
  }
  if (!row) throw badOption(`${name} takes an integer for this symbology code, not ${show(value)}`);
  if (typeof value === 'boolean') throw badOption(`${row.name} has no optional check character; ${synopsis(row)}`);
  throw badOption(`${name} of ${row.name} takes true, false or an integer, not ${show(value)}; ${synopsis(row)}`);
}

/**
 * The integer `check` argument for `options` (an object of named options,
 * or undefined) of symbology `row` (undefined for a code the registry does
 * not know, which takes only an integer `check`).  Names are compared
 * without regard to case, '-', '_', '.' and spaces, so `checkDigit` is
 * `check_digit`; an option set to undefined is left out.  Throws TavoError
 * 32561 for an unknown option or a value it does not take.
 */
export function checkOf(row, options) {
  if (options === undefined || options === null) return 0;
  if (typeof options !== 'object') throw badOption(`options must be an object, not ${show(options)}`);
  let check = 0;
  let seen = null;
  for (const name in options) {
    if (!Object.hasOwn(options, name)) continue;
    const value = options[name];
    if (value === undefined) continue;
    const normal = normalKey(name);
    const option = optionNamed(row, normal);
    let add;
    let which = option;
    if (option) {
      add = contribution(option, value);
      if (add === undefined) {
        throw badOption(`${option.name} of ${row.name} takes ${valuesOf(option) || 'true|false'}, not ${show(value)}`);
      }
    } else if (normal === 'check') {
      ({ option: which, add } = legacyCheck(row, name, value));
    } else {
      throw badOption(`${row ? row.name : 'this symbology'} has no option '${name}'${didYouMean(nearestOptions(row, name))}; ` +
        (row ? synopsis(row) : 'it has no options'));
    }
    const key = which ?? 'check';
    if (seen === null) {
      seen = key;
    } else {
      if (seen === key || (seen instanceof Set && seen.has(key))) throw badOption(`${which ? which.name : 'check'} is given twice`);
      seen = seen instanceof Set ? seen.add(key) : new Set([seen, key]);
    }
    check += add;
  }
  if (check > 0x7fffffff || check < -0x80000000) throw badOption(`the options add up to ${check}, beyond 32 bits`);
  return check;
}
