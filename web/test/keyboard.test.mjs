// The page driven as a person would, in headless Chromium over the DevTools
// protocol: with the keyboard alone (Tab, arrows, Space, Enter, typing), its
// downloads (PNG and SVG) read back by zbar, and on a phone-sized screen.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdirSync, mkdtempSync, readdirSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import * as tavo from '../package/tavo32.js';
import { startServer } from './helpers.mjs';
import { launch } from './cdp.mjs';

const work = mkdtempSync(join(tmpdir(), 'tavo-keys-'));
let server;
let browser;

before(async () => {
  server = await startServer();
  browser = await launch();
});

after(async () => {
  await browser?.close();
  server?.stop();
  rmSync(work, { recursive: true, force: true });
});

function zbar(png) {
  const file = join(work, `shot-${Date.now()}.png`);
  writeFileSync(file, png);
  return zbarFile(file);
}

function zbarFile(file) {
  try {
    return execFileSync('zbarimg', ['-q', '--raw', file], { encoding: 'utf8' }).trim().split('\n');
  } catch {
    return [];
  }
}

const ready = "document.body.dataset.state === 'ready' && document.fonts.status === 'loaded'";
const focused = () => browser.evaluate('document.activeElement && document.activeElement.id');

async function tabTo(id) {
  for (let i = 0; i < 20; i++) {
    if ((await focused()) === id) return;
    await browser.press('Tab');
  }
  assert.fail(`Tab never reached #${id}`);
}

async function waitForDownload(dir, suffix) {
  for (let i = 0; i < 200; i++) {
    const f = readdirSync(dir).find((n) => n.endsWith(suffix));
    if (f) return join(dir, f);
    await new Promise((r) => setTimeout(r, 50));
  }
  assert.fail(`no ${suffix} downloaded`);
}

test('keyboard alone: choose, type, set options, download PNG and SVG; both read back', async () => {
  const downloads = join(work, 'downloads');
  mkdirSync(downloads);
  await browser.browser('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
  await browser.goto(server.base);
  await browser.until(ready);
  await tabTo('symbology');
  const before = await browser.evaluate('document.getElementById("symbology").value');
  await browser.press('ArrowDown');
  const after = await browser.evaluate('document.getElementById("symbology").value');
  assert.notEqual(after, before, 'the arrow key changes the symbology');
  // Whatever came next, type a Code 128 value there.
  await browser.evaluate(`(() => { const s = document.getElementById('symbology'); s.value = '11'; s.dispatchEvent(new Event('change')); })()`);
  await tabTo('value');
  await browser.press('a', 2 /* Ctrl */);
  await browser.type('Tavo 128');
  await browser.until(`${ready} && document.getElementById('value').value === 'Tavo 128'`);
  await tabTo('height');
  await browser.press('ArrowDown');
  await tabTo('caption');
  await browser.press(' ');
  await browser.until(`${ready} && document.getElementById('face').textContent === 'TAVO 128 MC'`);
  assert.equal(await browser.evaluate("document.getElementById('escaped').value"),
    [...tavo.translateBytes('code128', 'Tavo 128')].map((b) => (b === 0x5c ? '\\\\' : b >= 32 && b < 127
      ? String.fromCharCode(b) : `\\x${b.toString(16).toUpperCase().padStart(2, '0')}`)).join(''));
  assert.match(await browser.evaluate('location.search'), /symbology=code128&value=Tavo\+128.*height=M.*caption=1/);
  assert.ok((await zbar(await browser.screenshot())).includes('Tavo 128'), 'the screenshot reads back');

  await tabTo('png');
  await browser.press('Enter');
  const png = await waitForDownload(downloads, '.png');
  assert.deepEqual(zbarFile(png), ['Tavo 128'], 'the downloaded PNG reads back');

  await tabTo('svg');
  await browser.press('Enter');
  const svg = await waitForDownload(downloads, '.svg');
  await browser.goto(`file://${svg}`);
  await browser.until("document.fonts.status === 'loaded'");
  assert.ok((await zbar(await browser.screenshot())).includes('Tavo 128'), 'the downloaded SVG, drawn, reads back');
});

test('a phone-sized screen: no sideways scrolling of the page, and the symbol reads back', async () => {
  await browser.page('Emulation.setDeviceMetricsOverride', { width: 390, height: 844, deviceScaleFactor: 2, mobile: true });
  try {
    await browser.goto(`${server.base}?symbology=ean13&value=590123412345`);
    await browser.until(ready);
    const overflow = await browser.evaluate('document.documentElement.scrollWidth - window.innerWidth');
    assert.ok(overflow <= 0, `the page is ${overflow} px wider than the screen`);
    assert.ok((await zbar(await browser.screenshot())).includes('5901234123457'));
  } finally {
    await browser.page('Emulation.clearDeviceMetricsOverride');
  }
});
