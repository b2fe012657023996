// Times the viewer on the demo's throttled server: from the element's creation to its first
// paint and to the whole picture. Usage: node measure.mjs FOLDER-WITH-WIF FILE WIDTH HEIGHT
import { resolve, dirname } from 'node:path';
import { fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';
import { startServer } from '../../web/serve.mjs';

const here = dirname(fileURLToPath(import.meta.url));
const root = resolve(here, '../..');
const [folder, name, width, height] = process.argv.slice(2);
const server = await startServer({
  piece: 2048, pause: 25,
  mounts: [{ prefix: '', dir: resolve(root, 'web') }, { prefix: '', dir: resolve(root, process.env.VU_WEB_BUILD ?? 'build-web') },
    { prefix: '', dir: resolve(here, 'pages') }, { prefix: '/f', dir: resolve(folder) }],
});
const browser = await chromium.launchPersistentContext(resolve(folder, 'profile'), { executablePath: '/usr/bin/chromium',
  args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync'] });
const page = await browser.newPage();
await page.goto(`http://127.0.0.1:${server.address().port}/blank.html`);
const result = await page.evaluate(async ({ name, width, height }) => {
  await import('/wif-image.js');
  const element = document.createElement('wif-image');
  element.setAttribute('width', width);
  element.setAttribute('height', height);
  element.setAttribute('src', `/f/${name}`);
  const start = performance.now();
  let first = 0;
  element.addEventListener('wifpaint', () => { if (!first) first = performance.now() - start; });
  const ended = new Promise((done) => element.addEventListener('wifend', (e) => done(e.detail), { once: true }));
  document.body.append(element);
  const detail = await ended;
  return { firstPaint: first, whole: performance.now() - start, paints: element.paints, ...detail };
}, { name, width, height });
console.log(JSON.stringify(result));
await browser.close();
server.close();
