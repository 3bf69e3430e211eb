// The page in a real browser: Debian's Chromium, headless, on web/ served by a
// local static server.  For one value of every symbology zbar can read, a
// screenshot of the page is read back with zbarimg; an invalid value shows its
// message on the page.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { execFile } from 'node:child_process';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { promisify } from 'node:util';
import * as tavo from '../package/tavo32.js';
import { startServer } from './helpers.mjs';

const run = promisify(execFile);
const CHROMIUM = process.env.TAVO_CHROMIUM ?? '/usr/bin/chromium';
const work = mkdtempSync(join(tmpdir(), 'tavo-page-'));
let server;
let base;

// One value per symbology zbar reads, by short name, and what zbar reports.
// Codes whose names are not here (MSI, PostNet, ...) have no reader.
const SCANNABLE = {
  // zbar reads Code 39 without the Full ASCII pairs: 'a' is '+A'.
  code39ascii: ['Tavo-32', /^T\+A\+V\+O-32$/],
  code39: ['TAVO-32', /^TAVO-32$/],
  i2of5: ['1234567890', /^1234567890$/],
  codabar: ['A40156B', /^A40156B$/],
  code93: ['TAVO-93', /^TAVO-93$/],
  upca: ['03600029145', /^0?036000291452$/],
  // zbar gives UPC-E expanded to EAN-13.
  upce: ['425261', /^0?042100005264$/],
  ean8: ['5512345', /^55123457$/],
  ean13: ['590123412345', /^5901234123457$/],
  code128: ['Tavo 128', /^Tavo 128$/],
  'gs1-128': ['(01)09501101530003', /0950110153000/],
  qr: ['TAVO32 QR', /^TAVO32 QR$/],
  gtin13: ['5901234123457', /^5901234123457$/],
  gtin8: ['55123457', /^55123457$/],
  gtin12: ['036000291452', /^0?036000291452$/],
  upce8: ['04252614', /^0?042100005264$/],
  // ITF-14 reads as 14 digits of Interleaved 2 of 5, the check digit last.
  itf14: ['1540014128876', /^15400141288763$/],
  // zbar reads no Data Matrix: libdmtx's dmtxread does.
  datamatrix: ['TAVO32 DM', /^TAVO32 DM$/, 'dmtxread'],
};

before(async () => {
  server = await startServer();
  base = server.base;
});

after(() => {
  server?.stop();
  rmSync(work, { recursive: true, force: true });
});

async function chromium(args, url, profile) {
  const { stdout } = await run(CHROMIUM, ['--headless', '--no-sandbox', '--disable-gpu', '--hide-scrollbars',
    '--no-first-run', '--force-device-scale-factor=1', `--user-data-dir=${join(work, profile)}`,
    '--virtual-time-budget=10000', ...args, url], { timeout: 90000, maxBuffer: 1 << 26 });
  return stdout;
}

const pageUrl = (params) => `${base}?${new URLSearchParams(params)}`;

// What zbar reads in a screenshot of the page showing `value`.  A machine
// under load may take the screenshot before the page is drawn: one retry.
async function read(png, reader) {
  const [command, args] = reader === 'dmtxread' ? ['dmtxread', ['-N1', '-m', '20000', png]] : ['zbarimg', ['-q', '--raw', png]];
  try {
    const { stdout } = await run(command, args);
    return stdout.trim().split('\n');
  } catch {
    return [];
  }
}

async function screenshotReads(name, value, params = {}, reader = 'zbarimg') {
  const stem = `${name}-${Object.values(params).join('')}`;
  for (let attempt = 1; ; attempt++) {
    const png = join(work, `${stem}-${attempt}.png`);
    await chromium(['--window-size=1200,900', `--screenshot=${png}`], pageUrl({ symbology: name, value, ...params }),
      `${stem}-${attempt}.profile`);
    const got = await read(png, reader);
    if (got.length || attempt === 2) return got;
  }
}

const present = new Map(tavo.symbologies.map((s) => [s.name, s.code]));
const cases = Object.entries(SCANNABLE).filter(([name]) => present.has(name));

test('every scannable symbology: a screenshot of the page reads back', { concurrency: 2 }, async (t) => {
  for (const [name, [value, expected, reader]] of cases) {
    await t.test(name, async () => {
      const got = await screenshotReads(name, value, {}, reader);
      assert.ok(got.some((r) => expected.test(r)), `${name} ${value}: ${reader ?? 'zbarimg'} read ${JSON.stringify(got)}`);
    });
  }
});

test('the caption face at bar height H reads back too', async () => {
  const read = await screenshotReads('code128', 'Tavo 128', { height: 'H', caption: '1', check: '1' });
  assert.ok(read.includes('Tavo 128'), `zbar read ${JSON.stringify(read)}`);
});

test('an invalid value shows its message on the page', async () => {
  const dom = await chromium(['--dump-dom'], pageUrl({ symbology: 'upca', value: '12' }), 'invalid');
  const error = dom.match(/<p id="error"([^>]*)>([^<]*)<\/p>/);
  assert.ok(error, 'the page has its error paragraph');
  assert.doesNotMatch(error[1], /hidden/);
  assert.equal(error[2], tavo.errorMessage(32500));
  assert.match(dom, /<body[^>]*data-error="32500"/);
});
