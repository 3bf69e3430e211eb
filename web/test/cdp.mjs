// A small DevTools-protocol client over Chromium's --remote-debugging-pipe
// (JSON messages ending in NUL on file descriptors 3 and 4): enough to drive
// the page with the keyboard, wait for it and take screenshots, with Debian's
// Chromium and no browser download or npm package.
import { spawn } from 'node:child_process';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

const CHROMIUM = process.env.TAVO_CHROMIUM ?? '/usr/bin/chromium';

export async function launch() {
  const profile = mkdtempSync(join(tmpdir(), 'tavo-cdp-'));
  const proc = spawn(CHROMIUM, ['--headless', '--no-sandbox', '--disable-gpu', '--hide-scrollbars', '--no-first-run',
    '--remote-debugging-pipe', `--user-data-dir=${profile}`, '--window-size=1200,900', 'about:blank'],
  { stdio: ['ignore', 'ignore', 'ignore', 'pipe', 'pipe'], detached: true });
  const [, , , toBrowser, fromBrowser] = proc.stdio;
  const pending = new Map();
  const waiters = [];
  let buffer = '';
  let nextId = 0;
  fromBrowser.on('data', (chunk) => {
    buffer += chunk.toString('utf8');
    for (let end; (end = buffer.indexOf('\0')) >= 0;) {
      const message = JSON.parse(buffer.slice(0, end));
      buffer = buffer.slice(end + 1);
      const call = pending.get(message.id);
      if (call) {
        pending.delete(message.id);
        if (message.error) call.reject(new Error(`${call.method}: ${message.error.message}`));
        else call.resolve(message.result);
      } else {
        for (const w of [...waiters]) if (w.method === message.method) { waiters.splice(waiters.indexOf(w), 1); w.resolve(message.params); }
      }
    }
  });
  let exited = false;
  const exit = new Promise((resolve) => proc.on('exit', () => { exited = true; resolve(); }));
  // Every call answers within 30 s, or fails: a test never hangs on the browser.
  const send = (method, params = {}, sessionId = undefined) => new Promise((resolve, reject) => {
    if (exited) { reject(new Error(`${method}: the browser has exited`)); return; }
    const id = ++nextId;
    const timer = setTimeout(() => { pending.delete(id); reject(new Error(`${method}: no answer in 30 s`)); }, 30000);
    pending.set(id, { resolve: (r) => { clearTimeout(timer); resolve(r); }, reject: (e) => { clearTimeout(timer); reject(e); }, method });
    toBrowser.write(JSON.stringify({ id, method, params, sessionId }) + '\0');
  });
  const event = (method) => new Promise((resolve) => waiters.push({ method, resolve }));

  const { targetId } = await send('Target.createTarget', { url: 'about:blank' });
  const { sessionId } = await send('Target.attachToTarget', { targetId, flatten: true });
  const page = (method, params) => send(method, params, sessionId);
  await page('Page.enable');

  const evaluate = async (expression) => {
    const r = await page('Runtime.evaluate', { expression, returnByValue: true, awaitPromise: true });
    if (r.exceptionDetails) throw new Error(`${expression}: ${r.exceptionDetails.text}`);
    return r.result.value;
  };
  const until = async (expression, ms = 30000) => {
    const stop = Date.now() + ms;
    for (;;) {
      if (await evaluate(expression)) return;
      if (Date.now() > stop) throw new Error(`timed out waiting for ${expression}`);
      await new Promise((r) => setTimeout(r, 50));
    }
  };
  const KEYS = { Tab: 9, Enter: 13, ' ': 32, ArrowDown: 40, ArrowUp: 38, a: 65 };
  const press = async (key, modifiers = 0) => {
    const common = { key, code: key === ' ' ? 'Space' : key.length === 1 ? `Key${key.toUpperCase()}` : key,
      windowsVirtualKeyCode: KEYS[key], modifiers };
    await page('Input.dispatchKeyEvent', { type: 'rawKeyDown', ...common });
    if (key === ' ' || key === 'Enter') await page('Input.dispatchKeyEvent', { type: 'char', text: key === ' ' ? ' ' : '\r', ...common });
    await page('Input.dispatchKeyEvent', { type: 'keyUp', ...common });
  };
  return {
    page, evaluate, until, press, event,
    browser: send,
    goto: async (url) => {
      const loaded = event('Page.loadEventFired');
      await page('Page.navigate', { url });
      await Promise.race([loaded, new Promise((_, reject) => setTimeout(() => reject(new Error(`${url} did not load in 30 s`)), 30000))]);
    },
    type: (text) => page('Input.insertText', { text }),
    screenshot: async () => Buffer.from((await page('Page.captureScreenshot', { format: 'png' })).data, 'base64'),
    close: async () => {
      try { await send('Browser.close'); } catch { /* gone already */ }
      // The whole process group: Chromium's helper processes too, which
      // otherwise keep writing into the profile and keep the pipes open.
      try { process.kill(-proc.pid, 'SIGTERM'); } catch { /* gone already */ }
      await Promise.race([exit, new Promise((r) => setTimeout(r, 5000))]);
      try { process.kill(-proc.pid, 'SIGKILL'); } catch { /* gone */ }
      try {
        rmSync(profile, { recursive: true, force: true, maxRetries: 10, retryDelay: 200 });
      } catch { /* a temporary profile left behind is harmless */ }
    },
  };
}
