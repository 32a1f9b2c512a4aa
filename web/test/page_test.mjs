// Plays the game's page in headless Chromium (WebGL through SwiftShader)
// and checks what a visitor sees: the canyon's sky and sand, walking,
// the rocket and its burst, Run World with a bundled world and with a
// malformed one, and a console without errors. Prints the page weight, the
// frame rate and the memory after 50 Run Worlds.
//   node web/test/page_test.mjs [URL]      (scripts/web.sh --test serves the page)
import puppeteer from 'puppeteer-core';
import { mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

const url = process.argv[2] || 'http://127.0.0.1:8080/';
const profile = mkdtempSync(join(tmpdir(), 'arroyo-chromium-'));
const shots = process.env.ARROYO_WEB_SHOTS || '';  // a folder to keep the screenshots in
const failures = [];
const consoleErrors = [];

function check(ok, what) {
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}`);
  if (!ok) failures.push(what);
}

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

async function waitFor(page, predicate, what, timeoutMs = 60000, arg = null) {
  const until = Date.now() + timeoutMs;
  while (Date.now() < until) {
    if (await page.evaluate(predicate, arg)) return true;
    await sleep(100);
  }
  check(false, `timed out waiting for ${what}`);
  return false;
}

const status = (page) => page.evaluate(() => ({ ...window.arroyo.status }));
const framesLater = async (page, count) => {
  const start = (await status(page)).frames;
  await waitFor(page, (n) => window.arroyo.status.frames >= n, `${count} frames`, 60000,
                start + count);
};

// The mean colour of a band of the canvas (fractions of its height from the
// top), as [r, g, b], read from a screenshot: WebGL keeps no frame to read.
async function meanColour(page, y0, y1) {
  const png = (await (await page.$('#canvas')).screenshot()).toString('base64');
  return page.evaluate(async (data, from, to) => {
    const image = new Image();
    image.src = `data:image/png;base64,${data}`;
    await image.decode();
    const copy = new OffscreenCanvas(image.width, image.height).getContext('2d');
    copy.drawImage(image, 0, 0);
    const top = Math.round(image.height * from);
    const pixels = copy.getImageData(0, top, image.width, Math.round(image.height * to) - top).data;
    const sum = [0, 0, 0];
    for (let i = 0; i < pixels.length; i += 4) for (let c = 0; c < 3; c++) sum[c] += pixels[i + c];
    return sum.map((v) => v / (pixels.length / 4));
  }, png, y0, y1);
}

async function canvasShot(page, name) {
  const canvas = await page.$('#canvas');
  const data = await canvas.screenshot();
  if (shots) writeFileSync(join(shots, `${name}.png`), data);
  return data;
}

const browser = await puppeteer.launch({
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
  headless: true,
  userDataDir: profile,
  args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
         '--disable-background-networking', '--disable-component-update', '--disable-sync',
         '--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--window-size=900,760'],
});

try {
  const page = await browser.newPage();
  await page.setViewport({ width: 900, height: 760 });
  page.on('console', (m) => { if (m.type() === 'error') consoleErrors.push(m.text()); });
  page.on('pageerror', (e) => consoleErrors.push(`page error: ${e.message}`));
  await page.goto(url, { waitUntil: 'load' });

  // ---- first frames of the canyon
  await waitFor(page, () => window.arroyo && window.arroyo.status.frames >= 20, 'the first frames');
  const first = await status(page);
  check(first.world && first.errorBoxes === 0 && first.modal === null,
        'the canyon loads without a message box');
  await canvasShot(page, 'web-first-frame');
  if (shots) await page.screenshot({ path: join(shots, 'web-page.png') });
  const sky = await meanColour(page, 0.02, 0.12);
  const sand = await meanColour(page, 0.85, 0.98);
  check(sky[2] > sky[0] + 20 && sky[2] > 120, `the sky shows at the top (mean ${sky.map(Math.round)})`);
  check(sand[0] > sand[2] + 30 && sand[0] > 120, `the sand shows below (mean ${sand.map(Math.round)})`);

  // ---- the frame rate the page reaches
  const fpsSamples = [];
  for (let i = 0; i < 10; i++) {
    await sleep(300);
    fpsSamples.push((await status(page)).fps);
  }
  const fps = fpsSamples.reduce((a, b) => a + b, 0) / fpsSamples.length;
  console.log(`info frame rate in headless Chromium: ${fps.toFixed(1)} frames a second`);

  // ---- holding w for a second walks forward
  await page.focus('#canvas');
  const before = (await status(page)).camera;
  await page.keyboard.down('w');
  await sleep(1000);
  await page.keyboard.up('w');
  await framesLater(page, 3);
  const after = (await status(page)).camera;
  const walked = Math.hypot(after[0] - before[0], after[2] - before[2]);
  check(walked > 1, `holding w for a second moves the camera (${walked.toFixed(2)} units)`);

  // ---- a click launches the rocket; its burst appears
  await page.mouse.click(450, 300, { button: 'left' });
  await waitFor(page, () => window.arroyo.status.rocketState === 0 ||
                          window.arroyo.status.burstParticles > 0, 'the rocket to fly', 10000);
  check(await waitFor(page, () => window.arroyo.status.burstParticles > 0, 'the burst', 15000),
        'a click launches the rocket and its burst appears');
  await canvasShot(page, 'web-burst');

  // ---- Run World through the menu and the picker: a bundled world
  const canyonShot = await canvasShot(page, 'web-canyon');
  await page.mouse.click(450, 300, { button: 'right' });
  const entries = await page.$$eval('#menu button', (b) => b.map((e) => e.textContent));
  check(entries.join('|') === 'Help|Run World|Quit', `the menu offers ${entries.join(', ')}`);
  await page.evaluate(() => [...document.querySelectorAll('#menu button')]
    .find((b) => b.textContent === 'Run World').click());
  const worlds = await page.$$eval('#picker-worlds button', (b) => b.map((e) => e.textContent));
  check(worlds.includes('canyon.wrl') && worlds.includes('demo.wrl'),
        `the picker lists the bundled worlds (${worlds.join(', ')})`);
  await page.evaluate(() => [...document.querySelectorAll('#picker-worlds button')]
    .find((b) => b.textContent === 'demo.wrl').click());
  await waitFor(page, () => window.arroyo.status.worldsOpened === 1, 'demo.wrl to be asked for');
  await framesLater(page, 10);
  const demoShot = await canvasShot(page, 'web-demo');
  const demo = await status(page);
  check(demo.world && demo.errorBoxes === 0 && !canyonShot.equals(demoShot),
        'Run World with demo.wrl changes the picture');

  // ---- a malformed world chosen from disk: the loader's message, the
  // world playing on
  await page.mouse.click(450, 300, { button: 'right' });
  await page.evaluate(() => [...document.querySelectorAll('#menu button')]
    .find((b) => b.textContent === 'Run World').click());
  const bad = join(profile, 'broken.wrl');
  writeFileSync(bad, 'this is not a world\n');
  const input = await page.$('#picker-files');
  await input.uploadFile(bad);
  await waitFor(page, () => window.arroyo.status.modal !== null, 'the message box', 15000);
  const box = (await status(page)).modal;
  check(box && box.caption === 'Error' && box.text.length > 0,
        `a malformed world shows the loader's message (${box && box.caption}: ${box && box.text})`);
  const framesWhileOpen = (await status(page)).frames;
  await sleep(500);
  check((await status(page)).frames === framesWhileOpen, 'the game holds still behind the box');
  await page.click('#modal-ok');
  await framesLater(page, 5);
  const afterBad = await status(page);
  check(afterBad.world && afterBad.modal === null, 'after the box the old world keeps playing');

  // ---- memory across 50 Run Worlds
  const memory = () => page.evaluate(() => ({
    wasm: Module.HEAP8.length, js: performance.memory ? performance.memory.usedJSHeapSize : 0 }));
  const memoryBefore = await memory();
  const boxesBefore = (await status(page)).errorBoxes;
  for (let i = 0; i < 50; i++) {
    const n = (await status(page)).worldsOpened;
    await page.evaluate((w) => window.arroyo.openWorld(w),
                        i % 2 ? '/game/Worlds/demo.wrl' : '/game/Worlds/canyon.wrl');
    await waitFor(page, (m) => window.arroyo.status.worldsOpened > m, 'a Run World', 30000, n);
    await framesLater(page, 2);
  }
  const memoryAfter = await memory();
  const mb = (v) => (v / 1048576).toFixed(1);
  console.log(`info memory: WebAssembly ${mb(memoryBefore.wasm)} MB before, ${mb(memoryAfter.wasm)} MB ` +
              `after 50 Run Worlds; JavaScript heap ${mb(memoryBefore.js)} MB, ${mb(memoryAfter.js)} MB`);
  check((await status(page)).errorBoxes === boxesBefore, '50 Run Worlds without a message');

  // ---- what the page weighs on the wire
  const weight = await page.evaluate(() => performance.getEntriesByType('resource')
    .concat(performance.getEntriesByType('navigation'))
    .map((e) => [e.name.split('/').pop() || 'index.html', e.transferSize, e.decodedBodySize]));
  let total = 0;
  for (const [name, sent, size] of weight) {
    total += sent;
    console.log(`info transferred ${name}: ${sent} bytes (${size} unpacked)`);
  }
  console.log(`info page weight: ${(total / 1048576).toFixed(2)} MB transferred`);

  const glErrors = (await status(page)).glErrors;
  check(glErrors.length === 0, `no GL error (${glErrors.join(', ')})`);
  check(consoleErrors.length === 0, `no error on the console${consoleErrors.length ? `: ${consoleErrors.join(' | ')}` : ''}`);
} catch (error) {
  check(false, `the test ran to its end (${error.stack || error})`);
} finally {
  await browser.close();
  rmSync(profile, { recursive: true, force: true });
}

console.log(failures.length ? `${failures.length} check(s) failed` : 'all checks passed');
process.exit(failures.length ? 1 : 0);
