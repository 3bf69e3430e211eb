// Shared by the web tests: where the builds are, the native oracle, and a
// seeded random source.
import { spawnSync } from 'node:child_process';
import { fileURLToPath } from 'node:url';
import { dirname, join } from 'node:path';

export const ROOT = join(dirname(fileURLToPath(import.meta.url)), '..', '..');
export const ORACLE = process.env.TAVO_NATIVE_ORACLE ?? join(ROOT, 'build/web-native/native_oracle');
export const SEED = Number(process.env.TAVO_WEB_SEED ?? 18);

// Sends `requests` (lines, see native_oracle.cpp) to the native library;
// returns one [first, hex] pair per request.
export function askNative(requests) {
  const r = spawnSync(ORACLE, { input: requests.join('\n') + '\n', encoding: 'latin1', maxBuffer: 1 << 28 });
  if (r.status !== 0) throw new Error(`native oracle failed: ${r.error ?? r.stderr}`);
  const lines = r.stdout.split('\n').filter(Boolean);
  if (lines.length !== requests.length) throw new Error(`native oracle answered ${lines.length} of ${requests.length}`);
  return lines.map((l) => {
    const [first, hex] = l.split(' ');
    return [Number(first), hex === '-' ? '' : hex];
  });
}

export const toHex = (bytes) => (bytes.length ? Buffer.from(bytes).toString('hex') : '-');
export const fromHex = (hex) => Uint8Array.from(Buffer.from(hex, 'hex'));

// mulberry32: small, seeded, the same sequence in every engine.
export function random(seed) {
  let a = seed >>> 0;
  return () => {
    a = (a + 0x6d2b79f5) >>> 0;
    let t = a;
    t = Math.imul(t ^ (t >>> 15), t | 1);
    t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
}

// Windows-1252 as Windows decodes it, written out here rather than taken from
// TextDecoder (Node 20's decodes this label as ISO-8859-1).
const HIGH = '€\u0081‚ƒ„…†‡ˆ‰Š‹Œ\u008dŽ\u008f\u0090‘’“”•–—˜™š›œ\u009džŸ';
export function decode1252(bytes) {
  let s = '';
  for (const b of bytes) s += b >= 0x80 && b < 0xa0 ? HIGH[b - 0x80] : String.fromCharCode(b);
  return s;
}

// python3 -m http.server on 127.0.0.1 (a free port) serving web/; stop() ends it.
export async function startServer() {
  const { createServer } = await import('node:net');
  const { spawn } = await import('node:child_process');
  const probe = createServer();
  await new Promise((resolve) => probe.listen(0, '127.0.0.1', resolve));
  const { port } = probe.address();
  await new Promise((resolve) => probe.close(resolve));
  const server = spawn('python3', ['-m', 'http.server', String(port), '--bind', '127.0.0.1', '--directory', join(ROOT, 'web')],
    { stdio: 'ignore' });
  process.on('exit', () => server.kill()); // also when a test ends the process early
  const base = `http://127.0.0.1:${port}/index.html`;
  for (let i = 0; i < 100; i++) {
    try {
      if ((await fetch(base)).ok) return { base, stop: () => server.kill() };
    } catch { /* not up yet */ }
    await new Promise((r) => setTimeout(r, 100));
  }
  server.kill();
  throw new Error('the static server did not start');
}
