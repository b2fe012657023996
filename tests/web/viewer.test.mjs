// The web viewer in headless Chromium: pictures streamed in small pieces from a local server must
// end exactly as the native host decodes them, show their steps on the way, keep what arrived
// when the connection is cut, and save the bytes consumed so far.
import { after, before, describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';
import { startServer } from '../../web/serve.mjs';

const here = dirname(fileURLToPath(import.meta.url));
const root = resolve(here, '../..');
const build = resolve(root, process.env.VU_BUILD ?? 'build');
const webBuild = resolve(root, process.env.VU_WEB_BUILD ?? 'build-web');
const host = join(build, 'plugin/vuplugin-host');
const work = mkdtempSync(join(tmpdir(), 'vuweb-'));

const PICTURES = {
  'grey-tiled.wif': [512, 512],
  'grey.wif': [512, 512],
  'colour-tiled.wif': [451, 300],
  'colour.wif': [451, 300],
  'older-grey.wif': [512, 512],
  'older-colour.wif': [451, 300],
};

// The native host's picture after streaming the file (or its first `stopAfter` bytes), as RGB.
function nativeDecode(name, stopAfter) {
  const out = join(work, `${name}-${stopAfter ?? 'all'}.ppm`);
  const args = ['--out', out, join(work, name)];
  if (stopAfter !== undefined) args.unshift('--stop-after', String(stopAfter));
  execFileSync(host, args, { stdio: ['ignore', 'ignore', 'inherit'] });
  const bytes = readFileSync(out);
  const header = bytes.toString('latin1', 0, 40).match(/^P6\s+(\d+)\s+(\d+)\s+255\s/);
  assert.ok(header, `${out} is not an 8-bit PPM`);
  return { width: Number(header[1]), height: Number(header[2]), rgb: bytes.subarray(header[0].length) };
}

// How many pixels of the canvas differ from the RGB picture.
function differences(pixels, picture) {
  assert.equal(pixels.width, picture.width);
  assert.equal(pixels.height, picture.height);
  let count = 0;
  for (let i = 0, j = 0; j < picture.rgb.length; i += 4, j += 3) {
    if (pixels.data[i] !== picture.rgb[j] || pixels.data[i + 1] !== picture.rgb[j + 1] ||
        pixels.data[i + 2] !== picture.rgb[j + 2] || pixels.data[i + 3] !== 255)
      count += 1;
  }
  return count;
}

// The light grey placeholder stretched over the whole window.
function isPlaceholder(pixels) {
  return pixels.data.every((v, i) => (i % 4 === 3 ? v === 255 : v === 192));
}

let server;
let base;
let browser;

before(async () => {
  execFileSync(join(build, 'tests/web/vuweb-fixtures'), [work], { stdio: 'inherit' });
  server = await startServer({
    port: 0,
    mounts: [
      { prefix: '', dir: resolve(root, 'web') },
      { prefix: '', dir: webBuild },
      { prefix: '', dir: join(here, 'pages') },
      { prefix: '/samples', dir: resolve(root, 'samples') },
      { prefix: '/fixtures', dir: work },
    ],
  });
  base = `http://127.0.0.1:${server.address().port}`;
  // A fresh profile for every run; the browser never reaches past this machine.
  browser = await chromium.launchPersistentContext(join(work, 'profile'), {
    executablePath: '/usr/bin/chromium',
    acceptDownloads: true,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
});

after(async () => {
  await browser?.close();
  server?.close();
  rmSync(work, { recursive: true, force: true });
});

// A page that records console errors and uncaught exceptions; `done` asserts there were none
// (but for the browser's own note of a missing file, where a test asks for one).
async function openPage(path = '/blank.html', viewport = null, allowMissing = false) {
  const page = await browser.newPage();
  if (viewport) await page.setViewportSize(viewport);
  const problems = [];
  page.on('console', (message) => {
    if (message.type() !== 'error') return;
    if (allowMissing && /404 \(Not Found\)/.test(message.text())) return;
    problems.push(message.text());
  });
  page.on('pageerror', (error) => problems.push(String(error)));
  await page.goto(base + path);
  return {
    page,
    async done() {
      await page.close();
      assert.deepEqual(problems, [], 'console errors or uncaught exceptions');
    },
  };
}

// Streams a file into a new <wif-image>; returns the end event's detail, the final pixels, and
// the pixels read right after the first paint.
async function show(page, src, width, height, extra = {}) {
  return page.evaluate(async ({ src, width, height, extra }) => {
    await import('/wif-image.js');
    const element = document.createElement('wif-image');
    element.setAttribute('width', width);
    element.setAttribute('height', height);
    for (const [name, value] of Object.entries(extra)) element.setAttribute(name, value);
    element.setAttribute('src', src);
    let first = null;
    element.addEventListener('wifpaint', () => {
      if (!first) first = element.readPixels();
    });
    const ended = new Promise((done) => element.addEventListener('wifend', (e) => done(e.detail), { once: true }));
    document.body.append(element);
    // A stream that never ends fails the test instead of stalling the run.
    const detail = await Promise.race([ended, new Promise((done) =>
      setTimeout(() => done({ state: 'timed out' }), 120000))]);
    const last = await element.readPixels();
    const firstPixels = first ? await first : null;
    // Pixels cross to the test as base64 text: a large array of numbers would take the
    // protocol seconds to carry.
    const pack = (p) => {
      if (!p) return null;
      let text = '';
      for (let i = 0; i < p.data.length; i += 0x8000)
        text += String.fromCharCode.apply(null, p.data.subarray(i, i + 0x8000));
      return { width: p.width, height: p.height, data: btoa(text) };
    };
    return { detail, paints: element.paints, last: pack(last), first: pack(firstPixels) };
  }, { src, width, height, extra }).then((shown) => {
    for (const key of ['last', 'first'])
      if (shown[key]) shown[key].data = Buffer.from(shown[key].data, 'base64');
    return shown;
  });
}

describe('the web viewer', () => {
  test('ends with exactly the native decode, grey and colour, tiled and untiled, both generations', async () => {
    const { page, done } = await openPage();
    for (const [name, [width, height]] of Object.entries(PICTURES)) {
      const shown = await show(page, `/fixtures/${name}?piece=4096&pause=1`, width, height);
      assert.equal(shown.detail.state, 'done', name);
      assert.equal(shown.detail.drawn, true, name);
      assert.equal(differences(shown.last, nativeDecode(name)), 0, `${name}: pixels differ`);
    }
    // Printed, an embedded picture takes a quarter of its window's size.
    await page.emulateMedia({ media: 'print' });
    const printed = await page.evaluate(() =>
      document.querySelector('wif-image').shadowRoot.querySelector('canvas').getBoundingClientRect().toJSON());
    assert.deepEqual([printed.width, printed.height], [128, 128]);
    await done();
  });

  test('a tiled WIF2 picture and an older-generation one appear step by step', async () => {
    const { page, done } = await openPage();
    for (const name of ['colour-tiled.wif', 'older-grey.wif']) {
      const [width, height] = PICTURES[name];
      const shown = await show(page, `/fixtures/${name}?piece=1024&pause=15`, width, height);
      const picture = nativeDecode(name);
      assert.ok(shown.paints >= 3, `${name}: only ${shown.paints} paints`);
      assert.equal(differences(shown.last, picture), 0, name);
      // The first painted step is only part of the picture.
      assert.ok(differences(shown.first, picture) > 0, `${name}: the first paint is already whole`);
    }
    await done();
  });

  test('a cut stream keeps what arrived, and one cut inside its header shows the placeholder', async () => {
    const { page, done } = await openPage();
    const name = 'grey-tiled.wif';
    const size = readFileSync(join(work, name)).length;
    const cut = Math.floor(size / 2);
    const shown = await show(page, `/fixtures/${name}?piece=2048&pause=5&cut=${cut}`, 512, 512);
    assert.equal(shown.detail.state, 'cut');
    assert.equal(shown.detail.drawn, true);
    assert.equal(differences(shown.last, nativeDecode(name, cut)), 0);
    assert.ok(differences(shown.last, nativeDecode(name)) > 0, 'half the file cannot give the whole picture');

    const early = await show(page, `/fixtures/${name}?cut=10`, 32, 16);
    assert.equal(early.detail.state, 'cut');
    assert.equal(early.detail.drawn, false);
    assert.ok(isPlaceholder(early.last), 'the placeholder is light grey');
    await done();
  });

  test('a file that is not WIF, and a missing one, end with no picture and no error', async () => {
    const { page, done } = await openPage('/blank.html', null, true);
    const other = await show(page, '/samples/camera.pgm?piece=4096', 64, 64);
    assert.equal(other.detail.state, 'done');
    assert.equal(other.detail.drawn, false);
    assert.equal(other.paints, 1);
    assert.ok(isPlaceholder(other.last), 'only the placeholder is shown');
    const missing = await show(page, '/fixtures/none.wif', 64, 64);
    assert.equal(missing.detail.state, 'failed');
    assert.equal(missing.detail.drawn, false);
    assert.equal(missing.paints, 0);
    assert.ok(missing.last.data.every((v) => v === 0), 'nothing is drawn');
    await done();
  });

  test('the full-page viewer saves the consumed bytes before the end, and the picture as BMP', async () => {
    const name = 'colour-tiled.wif';
    const file = readFileSync(join(work, name));
    const { page, done } = await openPage(`/viewer.html?src=/fixtures/${name}%3Fpiece%3D1024%26pause%3D500`,
      { width: 451, height: 300 });
    const image = page.locator('wif-image');
    await page.waitForFunction(() => document.querySelector('wif-image')?.paints >= 1);
    await page.mouse.click(100, 100, { button: 'right' });
    const menu = page.locator('#menu');
    assert.equal(await menu.isVisible(), true);
    assert.deepEqual(await menu.locator('li').allTextContents(), ['Save as WIF', 'Save as BMP']);
    const [download] = await Promise.all([page.waitForEvent('download'), menu.getByText('Save as WIF').click()]);
    assert.equal(download.suggestedFilename(), 'colour-tiled.wif');
    const saved = readFileSync(await download.path());
    assert.ok(saved.length > 0 && saved.length < file.length, `saved ${saved.length} of ${file.length} bytes`);
    assert.deepEqual(saved, file.subarray(0, saved.length));
    assert.equal(await menu.isVisible(), false);

    await page.waitForFunction(() => ['done', 'cut', 'failed'].includes(document.querySelector('wif-image')?.state));
    assert.equal(await image.evaluate((e) => e.state), 'done');
    await page.mouse.click(200, 150, { button: 'right' });
    const [bmp] = await Promise.all([page.waitForEvent('download'), menu.getByText('Save as BMP').click()]);
    const native = join(work, 'native.bmp');
    execFileSync(host, ['--save-bmp', native, join(work, name)], { stdio: 'ignore' });
    assert.deepEqual(readFileSync(await bmp.path()), readFileSync(native));

    // Printed, the full page shows the picture at three times its size.
    await page.emulateMedia({ media: 'print' });
    const printed = await image.evaluate((e) => e.shadowRoot.querySelector('canvas').getBoundingClientRect().toJSON());
    assert.deepEqual([printed.width, printed.height], [3 * 451, 3 * 300]);
    assert.equal(await menu.isVisible(), false);
    await done();
  });

  test('the polyfill upgrades WIF images on load and when they are added later', async () => {
    const { page, done } = await openPage('/polyfill.html');
    await page.waitForFunction(() => document.querySelectorAll('wif-image').length === 2);
    const upgraded = await page.evaluate(() => Array.from(document.querySelectorAll('wif-image'),
      (e) => [e.getAttribute('src'), e.getAttribute('width'), e.getAttribute('alt')]));
    assert.deepEqual(upgraded, [['/fixtures/grey.wif', '512', 'camera'], ['/fixtures/colour.wif', '451', 'cat']]);
    assert.equal(await page.locator('img#other').count(), 1);
    await page.evaluate(() => {
      const img = document.createElement('img');
      img.src = '/fixtures/older-colour.wif';
      img.width = 451;
      img.height = 300;
      document.body.append(img);
    });
    await page.waitForFunction(() => document.querySelectorAll('wif-image').length === 3);
    const ends = await page.evaluate(() => Promise.all(Array.from(document.querySelectorAll('wif-image'),
      (e) => e.finished)));
    assert.deepEqual(ends.map((d) => [d.state, d.drawn]), [['done', true], ['done', true], ['done', true]]);
    await done();
  });
});
