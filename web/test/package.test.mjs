// The packed package as a user gets it: `npm pack`'s tarball installed into a
// scratch project (offline, from the file) and used from there by name, as
// an ES module and from CommonJS.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { existsSync, mkdtempSync, readFileSync, readdirSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { ROOT } from './helpers.mjs';

function tarball() {
  if (process.env.TAVO_PACKAGE_TGZ) return process.env.TAVO_PACKAGE_TGZ;
  const dir = join(ROOT, 'build/web');
  const found = readdirSync(dir).filter((f) => /^tavo32-.*\.tgz$/.test(f));
  assert.equal(found.length, 1, `one tarball in ${dir} (scripts/build-web.sh makes it)`);
  return join(dir, found[0]);
}

test('the packed tarball installs offline into a scratch project and works by name', () => {
  const project = mkdtempSync(join(tmpdir(), 'tavo-npm-'));
  try {
    writeFileSync(join(project, 'package.json'), JSON.stringify({ name: 'scratch', version: '1.0.0', private: true, type: 'module' }));
    execFileSync('npm', ['install', '--offline', '--no-audit', '--no-fund', '--loglevel=error', tarball()],
      { cwd: project, stdio: 'pipe' });
    const installed = join(project, 'node_modules/tavo32');
    for (const file of ['tavo32.d.ts', 'registry.d.ts', 'tavo32.cjs', 'fonts/tavo-fonts.css', 'fonts/TAVO-UPCEANJAN.woff2', 'LICENSE-fonts-OFL.txt']) {
      assert.ok(existsSync(join(installed, file)), `the package ships ${file}`);
    }
    // Every @font-face of the CSS names a WOFF2 file the package has.
    const css = readFileSync(join(installed, 'fonts/tavo-fonts.css'), 'utf8');
    const files = [...css.matchAll(/url\("([^"]+)"\)/g)].map((m) => m[1]);
    assert.ok(files.length >= 38, `${files.length} fonts in the CSS`);
    for (const f of files) assert.ok(existsSync(join(installed, 'fonts', f)), f);

    writeFileSync(join(project, 'use.mjs'), `
      import { translate, translateBytes, faceName, charCheck, errorMessage, version, TavoError, symbologies } from 'tavo32';
      const out = {
        ean13: translate('ean13', '590123412345'),
        bytes: Array.from(translateBytes(2, '1234567', { check: true })),
        face: faceName('code128', { height: 'M', caption: true }),
        fnc1: charCheck('code128', 185),
        message: errorMessage(32500),
        version: version(),
        names: symbologies.map((s) => s.name),
      };
      try { translate('upca', '12'); } catch (e) { out.error = [e instanceof TavoError, e.code]; }
      console.log(JSON.stringify(out));
    `);
    const got = JSON.parse(execFileSync('node', ['use.mjs'], { cwd: project, encoding: 'utf8' }));
    assert.equal(got.ean13, '&~9ab23e|BCDEFH*_');
    assert.deepEqual(got.bytes, [0x97, 0xa8, 0xbe, 0xd4, 0xe2, 0x98]);
    assert.equal(got.face, 'TAVO 128 MC');
    assert.equal(got.fnc1, '<FNC1>');
    assert.match(got.message, /^Incomplete number of UPC-A characters/);
    assert.deepEqual(got.error, [true, 32500]);
    assert.equal(got.version.translation, 9611080);
    assert.ok(got.names.includes('code128') && got.names.length >= 12);

    // The same calls from CommonJS (require), named options too, in a
    // project that is not an ES module.
    writeFileSync(join(project, 'use.cjs'), `
      const tavo = require('tavo32');
      const out = {
        ean13: tavo.translate('EAN-13', '590123412345'),
        bytes: Array.from(tavo.translateBytes('i2of5', '1234567', { checkDigit: true })),
        qr: tavo.translate('qr', 'HELLO', { level: 'H' }) === tavo.translate(14, 'HELLO', { check: 4 }),
        svg: tavo.toSVG('ean13', '590123412345').startsWith('<svg') || tavo.toSVG('ean13', '590123412345').startsWith('<?xml'),
        gs1: tavo.gs1CheckDigit('0950110153000'),
        esm: tavo.symbologies.length,
      };
      try { tavo.translate('qr', 'A', { levle: 'H' }); } catch (e) { out.error = [e instanceof tavo.TavoError, e.code, e.message.startsWith("qr has no option 'levle' (did you mean level?); its options: level L|M|Q|H")]; }
      console.log(JSON.stringify(out));
    `);
    const cjs = JSON.parse(execFileSync('node', ['use.cjs'], { cwd: project, encoding: 'utf8' }));
    assert.deepEqual(cjs, {
      ean13: got.ean13, bytes: got.bytes, qr: true, svg: true, gs1: 3, esm: got.names.length,
      error: [true, 32561, true],  // the message names the typo, the nearest option and then them all
    });
  } finally {
    rmSync(project, { recursive: true, force: true });
  }
});
