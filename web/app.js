// The page: translates as the user types and sets the font string in the
// TAVO web font the library names.  Uses the package in place (package/).
import {
  symbologies, symbologyCode, translate, faceName, version, TavoError,
} from './package/tavo32.js';

const $ = (id) => document.getElementById(id);
const form = {
  symbology: $('symbology'), value: $('value'), height: $('height'), check: $('check'), caption: $('caption'),
};
const out = {
  symbol: $('symbol'), error: $('error'), face: $('face'), length: $('length'), escaped: $('escaped'),
  checkNote: $('check-note'), status: $('status'),
};

// Code 39 Full ASCII prints in the Code 39 fonts.
const FACE_OF = { 0: 1 };
// A value to start from, by short name.
const EXAMPLES = {
  code39ascii: 'Tavo-32', code39: 'TAVO-32', i2of5: '1234567890', codabar: 'A40156B', msi: '80523',
  code93: 'TAVO-93', upca: '03600029145', upce: '425261', postnet: '55555', ean8: '5512345',
  ean13: '590123412345', code128: 'Tavo 128', 'gs1-128': '(01)09501101530003', imb: '01234567094987654321',
  qr: 'https://example.com/tavo', datamatrix: 'TAVO32', gtin13: '590123412345', gtin8: '9638507',
  gtin12: '03600029145', upce8: '425261', itf14: '1540014128876',
};

let fontFiles = {};
let current = null; // { text, face, code } of the symbol shown

function escapeFontString(text) {
  let s = '';
  for (const ch of text) {
    const c = ch.charCodeAt(0);
    if (ch === '\\') s += '\\\\';
    else if (c >= 32 && c < 127) s += ch;
    else s += '\\x' + windows1252Byte(c).toString(16).toUpperCase().padStart(2, '0');
  }
  return s;
}

const CP1252 = new Map([...new TextDecoder('windows-1252').decode(Uint8Array.from({ length: 32 }, (_, i) => 0x80 + i))]
  .map((ch, i) => [ch.charCodeAt(0), 0x80 + i]));
function windows1252Byte(c) { return CP1252.get(c) ?? c; }

// The text to draw: lines apart at CR LF, and the characters browsers will
// not draw as glyphs (controls, no-break space, soft hyphen) moved to their
// private-use aliases U+F000 + byte, which the web fonts map to the same
// glyphs (web/tools/make-webfonts.py).
const NOT_DRAWN = /[\x00-\x1f\x7f\x81\x8d\x8f\x90\x9d\xa0\xad]/g;
function displayText(text) {
  // Lines first: the LF that stands for a CR LF is no control to move.
  return text.split('\r\n')
    .map((line) => line.replace(NOT_DRAWN, (c) => String.fromCharCode(0xf000 + windows1252Byte(c.charCodeAt(0)))))
    .join('\n');
}

function faceFor(code) {
  const options = { height: form.height.value, caption: form.caption.checked };
  try {
    return faceName(code, options);
  } catch (e) {
    if (code in FACE_OF) return faceName(FACE_OF[code], options);
    return '';
  }
}

// SVG and PNG need a symbol and its web font.
function setDownloads(enabled) {
  $('svg').disabled = !enabled;
  $('png').disabled = !enabled;
}

function showError(message) {
  out.error.textContent = message;
  out.error.hidden = !message;
  form.value.setAttribute('aria-invalid', message ? 'true' : 'false');
}

async function update() {
  const code = Number(form.symbology.value);
  const value = form.value.value;
  document.body.dataset.state = 'busy';
  let text = '';
  try {
    // The check argument as an integer, as the page always passed it (the
    // named check_digit is only for the symbologies that have one).
    text = translate(code, value, { check: form.check.checked ? 1 : 0 });
    showError('');
  } catch (e) {
    if (!(e instanceof TavoError)) throw e;
    showError(e.message);
    current = null;
    out.symbol.textContent = '';
    out.escaped.value = '';
    out.length.textContent = '';
    setDownloads(false);
    document.body.dataset.state = 'error';
    document.body.dataset.error = String(e.code);
    return;
  }
  let sameWithoutCheck = false;
  try { sameWithoutCheck = translate(code, value, { check: form.check.checked ? 0 : 1 }) === text; } catch { /* */ }
  out.checkNote.textContent = sameWithoutCheck ? '(makes no difference here)' : '';
  const face = faceFor(code);
  current = { text, face, code };
  out.face.textContent = face || '(no bar code font)';
  out.length.textContent = `${[...text].length} characters`;
  out.escaped.value = escapeFontString(text);
  out.symbol.textContent = displayText(text);
  const haveFont = face && fontFiles[face];
  out.symbol.classList.toggle('no-font', !haveFont);
  out.symbol.style.fontFamily = haveFont ? `"${face}"` : '';
  // A 2D face's module is a third of its em: at 60 px (30 px on a phone) each
  // module is whole pixels, so no seams show between the blocks.
  out.symbol.classList.toggle('matrix', text.includes('\r\n'));
  setDownloads(Boolean(haveFont));
  if (haveFont) await document.fonts.load(`60px "${face}"`, displayText(text));
  if (current && current.text === text) {
    document.body.dataset.state = 'ready';
    delete document.body.dataset.error;
  }
}

function schedule() {
  update().catch((e) => showError(String(e)));
  const params = new URLSearchParams();
  const entry = symbologies.find((s) => s.code === Number(form.symbology.value));
  params.set('symbology', entry ? entry.name : form.symbology.value);
  params.set('value', form.value.value);
  if (form.check.checked) params.set('check', '1');
  if (form.height.value !== 'L') params.set('height', form.height.value);
  if (form.caption.checked) params.set('caption', '1');
  history.replaceState(null, '', `?${params}`);
}

// Lines of the current symbol with the font's metrics, for SVG and PNG.
function measure(fontSize) {
  const lines = displayText(current.text).split('\n');
  const ctx = document.createElement('canvas').getContext('2d');
  ctx.font = `${fontSize}px "${current.face}"`;
  const metrics = lines.map((l) => ctx.measureText(l));
  const m = ctx.measureText(lines[0] || ' ');
  const ascent = m.fontBoundingBoxAscent ?? m.actualBoundingBoxAscent;
  const descent = m.fontBoundingBoxDescent ?? m.actualBoundingBoxDescent;
  const width = Math.ceil(Math.max(...metrics.map((x) => x.width)));
  const margin = Math.round(fontSize / 2);
  return { lines, ascent, lineHeight: ascent + descent, width, margin,
    totalWidth: width + 2 * margin, totalHeight: Math.ceil(lines.length * (ascent + descent)) + 2 * margin };
}

function download(blob, name) {
  const a = document.createElement('a');
  a.href = URL.createObjectURL(blob);
  a.download = name;
  document.body.append(a);
  a.click();
  a.remove();
  setTimeout(() => URL.revokeObjectURL(a.href), 10000);
  out.status.textContent = `Saved ${name}`;
}

function fileStem() {
  const entry = symbologies.find((s) => s.code === current.code);
  return `${entry ? entry.name : current.code}-${form.value.value.replace(/[^A-Za-z0-9._-]+/g, '_').slice(0, 40) || 'symbol'}`;
}

async function fontDataUrl(face) {
  const bytes = new Uint8Array(await (await fetch(`package/fonts/${fontFiles[face]}`)).arrayBuffer());
  let bin = '';
  for (let i = 0; i < bytes.length; i += 8192) bin += String.fromCharCode.apply(null, bytes.subarray(i, i + 8192));
  return `data:font/woff2;base64,${btoa(bin)}`;
}

const xmlText = (s) => s.replace(/[&<>"]/g, (c) => `&#${c.charCodeAt(0)};`)
  .replace(/[^\x20-\x7e]/g, (c) => `&#x${c.charCodeAt(0).toString(16)};`);

async function saveSvg() {
  if (!current || !fontFiles[current.face]) return;
  const size = current.text.includes('\r\n') ? 60 : 80;
  const g = measure(size);
  const family = xmlText(current.face);
  const texts = g.lines.map((line, i) => `<text x="${g.margin}" y="${(g.margin + g.ascent + i * g.lineHeight).toFixed(2)}">${xmlText(line)}</text>`);
  const svg = `<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="${g.totalWidth}" height="${g.totalHeight}" viewBox="0 0 ${g.totalWidth} ${g.totalHeight}">
<style>@font-face { font-family: "${family}"; src: url(${await fontDataUrl(current.face)}) format("woff2"); }
text { font-family: "${family}"; font-size: ${size}px; white-space: pre; fill: #000; }</style>
<rect width="100%" height="100%" fill="#fff"/>
${texts.join('\n')}
</svg>
`;
  download(new Blob([svg], { type: 'image/svg+xml' }), `${fileStem()}.svg`);
}

function savePng() {
  if (!current || !fontFiles[current.face]) return;
  const size = current.text.includes('\r\n') ? 60 : 80;
  const scale = 1;
  const g = measure(size);
  const canvas = document.createElement('canvas');
  canvas.width = g.totalWidth * scale;
  canvas.height = g.totalHeight * scale;
  const ctx = canvas.getContext('2d');
  ctx.scale(scale, scale);
  ctx.fillStyle = '#fff';
  ctx.fillRect(0, 0, g.totalWidth, g.totalHeight);
  ctx.fillStyle = '#000';
  ctx.font = `${size}px "${current.face}"`;
  g.lines.forEach((line, i) => ctx.fillText(line, g.margin, g.margin + g.ascent + i * g.lineHeight));
  canvas.toBlob((blob) => download(blob, `${fileStem()}.png`), 'image/png');
}

async function copy() {
  out.escaped.select();
  try {
    await navigator.clipboard.writeText(current ? current.text : '');
    out.status.textContent = 'Copied the font string';
  } catch {
    out.status.textContent = 'Selected: press Ctrl+C to copy';
  }
}

async function start() {
  for (const s of symbologies) {
    const option = document.createElement('option');
    option.value = String(s.code);
    option.textContent = `${s.name} (${s.code})`;
    form.symbology.append(option);
  }
  try { fontFiles = await (await fetch('package/fonts/fonts.json')).json(); } catch { fontFiles = {}; }
  const v = version();
  $('version').textContent = `Library ${v.library}, translation version ${v.translation}.`;

  const params = new URLSearchParams(location.search);
  let code = 10;
  if (params.has('symbology')) {
    try { code = symbologyCode(params.get('symbology')); } catch { /* keep the default */ }
  }
  if (!symbologies.some((s) => s.code === code)) code = 10;
  form.symbology.value = String(code);
  const name = symbologies.find((s) => s.code === code).name;
  form.value.value = params.get('value') ?? EXAMPLES[name] ?? '';
  form.check.checked = params.get('check') === '1';
  if (['L', 'M', 'H'].includes(params.get('height'))) form.height.value = params.get('height');
  form.caption.checked = params.get('caption') === '1';

  form.symbology.addEventListener('change', () => {
    const entry = symbologies.find((s) => s.code === Number(form.symbology.value));
    if (entry && EXAMPLES[entry.name]) form.value.value = EXAMPLES[entry.name];
    schedule();
  });
  for (const el of [form.value, form.height, form.check, form.caption]) el.addEventListener('input', schedule);
  $('copy').addEventListener('click', copy);
  $('svg').addEventListener('click', () => saveSvg().catch((e) => showError(String(e))));
  $('png').addEventListener('click', savePng);
  await update();
}

start().catch((e) => showError(`The page could not start: ${e}`));
