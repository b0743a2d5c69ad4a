// Velmor's page in a real browser: what the canvas shows, read at any moment,
// must be one of the frames that velmor-capture writes for the same scene.
//
// Run by ctest (tests/web) as `node page.test.mjs`, with
//   VELMOR_WEB_SITE    the page (`make web`: build/web)
//   VELMOR_CAPTURE     velmor-capture of the native build
//   VELMOR_DUMP        velmor-dump of the native build (the loader's reasons)
//   VELMOR_ASSETS      the bundled Z_Test.3ds and Font.bmp
//   VELMOR_SHARED_DIR  corpus/ with a scene to open (else the bundled one is)
//   VELMOR_TEST_OUT    where the screenshot of the page goes (web.png)
// Exit 77 (skipped) when the page or the node packages are missing.
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, before, describe, test } from 'node:test';

const env = process.env;
const site = env.VELMOR_WEB_SITE;
if (!site || !fs.existsSync(path.join(site, 'velmor.js'))) {
  console.log(`the page is not built in ${site} (make web): skipped`);
  process.exit(77);
}
const here = path.dirname(new URL(import.meta.url).pathname);
if (!fs.existsSync(path.join(here, '..', 'node_modules', 'puppeteer-core'))) {
  console.log('no node packages in web/ (scripts/deps.sh browser): skipped');
  process.exit(77);
}
const web = await import('./browser.mjs');
const { capture, closest } = await import('./frames.mjs');

const assets = [path.join(env.VELMOR_ASSETS, 'Z_Test.3ds'), path.join(env.VELMOR_ASSETS, 'Font.bmp')];
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'velmor-web-'));
const out = env.VELMOR_TEST_OUT ?? work;

// Frames of the bundled scene: enough for the seconds that a run is looked at.
const bundled = capture({ tool: env.VELMOR_CAPTURE, work, name: 'bundled', files: assets, count: 400 });

// The scene to open, and velmor-capture's frames of it when it can open one.
const corpusScene = path.join(env.VELMOR_SHARED_DIR ?? '', 'corpus', 'castle_p47d.3ds');
const openPath = path.join(work, 'opened.3ds');
fs.copyFileSync(fs.existsSync(corpusScene) ? corpusScene : assets[0], openPath);
const opened = capture({
  tool: env.VELMOR_CAPTURE, work, name: 'opened', files: [...assets, openPath],
  args: [path.basename(openPath)], count: 300,
});
const canOpen = opened.status === 0 && opened.frames.size > 0;

// Half of the bundled scene: the loader gives up with a reason.
const truncatedPath = path.join(work, 'truncated.3ds');
const sceneBytes = fs.readFileSync(assets[0]);
fs.writeFileSync(truncatedPath, sceneBytes.subarray(0, sceneBytes.length >> 1));
const dumped = spawnSync(env.VELMOR_DUMP, ['truncated.3ds'], { cwd: work, encoding: 'utf8' });
const truncatedReason = dumped.stderr.trim().replace(/^velmor-dump: /, '');

// The program's own line when the scene is missing at start-up.
const empty = path.join(work, 'empty');
fs.mkdirSync(empty);
const noScene = spawnSync(env.VELMOR_CAPTURE, ['--frames', '1', '--out', empty], {
  cwd: empty, encoding: 'utf8',
});
const noSceneLine = noScene.stderr.trim();

let server, browser, closeBrowser, page, headerHeight;
const pageErrors = [];

// Reads the canvas and names the captured frame it equals; fails, saying how
// close the nearest frame came, when it equals none.
async function shownFrame(frames, what) {
  const read = await web.readCanvas(page);
  assert.equal(`${read.width}x${read.height}`, '512x384');
  assert.ok(read.opaque, 'every pixel of the canvas is opaque');
  if (!frames.frames.has(read.hash)) {
    const near = closest(await web.canvasRgb(page), frames.folder);
    assert.fail(`the canvas is none of ${what}'s frames (nearest: ${near.file}, ` +
      `${near.pixels} pixels differ)`);
  }
  return { number: frames.frames.get(read.hash), at: read.at, hash: read.hash };
}

// Polls until the canvas shows one of these frames.
async function waitForFrame(frames, seconds) {
  const end = Date.now() + seconds * 1000;
  for (;;) {
    const read = await web.readCanvas(page);
    if (frames.frames.has(read.hash)) return frames.frames.get(read.hash);
    if (Date.now() > end) return shownFrame(frames, 'the expected scene');
    await web.sleep(50);
  }
}

async function waitFor(condition, seconds, what) {
  const end = Date.now() + seconds * 1000;
  while (!(await condition())) {
    if (Date.now() > end) assert.fail(`waited ${seconds} s for ${what}`);
    await web.sleep(50);
  }
}

describe('the page', { concurrency: false }, () => {
  before(async () => {
    assert.equal(bundled.status, 0, `velmor-capture: ${bundled.stderr}`);
    server = await web.serve(site);
    ({ browser, close: closeBrowser } = await web.launch(env.VELMOR_CHROMIUM ?? '/usr/bin/chromium'));
    page = await browser.newPage();
    page.on('pageerror', (error) => pageErrors.push(error.message));
    page.on('requestfailed', (request) => pageErrors.push(`request failed: ${request.url()}`));
    page.on('request', (request) => {
      if (!request.url().startsWith(server.url)) pageErrors.push(`outside request: ${request.url()}`);
    });
    await page.goto(server.url, { waitUntil: 'load' });
    // The header over a 1024 x 768 picture: every picture pixel a 2 x 2 block.
    headerHeight = await page.$eval('header', (e) => e.getBoundingClientRect().height);
    await page.setViewport({ width: 1024, height: 768 + Math.ceil(headerHeight) });
  });

  after(async () => {
    await closeBrowser?.();
    server?.stop();
    fs.rmSync(work, { recursive: true, force: true });
  });

  test('the bundled scene: every read is a captured frame, about 50 a second', async () => {
    await waitForFrame(bundled, 30);
    const first = await shownFrame(bundled, 'the bundled scene');
    for (const pause of [37, 113, 0, 251, 71]) {
      await web.sleep(pause);
      await shownFrame(bundled, 'the bundled scene');
    }
    await web.sleep(2000);
    const last = await shownFrame(bundled, 'the bundled scene');
    const perSecond = ((last.number - first.number) * 1000) / (last.at - first.at);
    console.log(`frames ${first.number} -> ${last.number}: ${perSecond.toFixed(1)} a second`);
    assert.ok(perSecond > 40 && perSecond < 56, `${perSecond.toFixed(1)} frames a second`);
    await page.screenshot({ path: path.join(out, 'web.png') });
    assert.equal(await web.statusLine(page), '');
  });

  test('the picture fits the window with its aspect, crisp, the cursor hidden', async () => {
    const look = () => page.$eval('#canvas', (c) => {
      const box = c.getBoundingClientRect();
      const style = getComputedStyle(c);
      return { width: box.width, height: box.height, rendering: style.imageRendering,
        cursor: style.cursor };
    });
    assert.deepEqual(await look(), { width: 1024, height: 768, rendering: 'pixelated',
      cursor: 'none' });
    await page.setViewport({ width: 700, height: 900 });
    const narrow = await look();
    assert.equal(narrow.width, 700);
    assert.ok(Math.abs(narrow.height - 525) <= 1, `${narrow.height} high`);
    await page.setViewport({ width: 1024, height: 768 + Math.ceil(headerHeight) });
  });

  test('a file opened through the file input shows its frames', { skip: !canOpen &&
      `velmor-capture cannot open a scene file: ${opened.stderr.split('\n')[0]}` }, async () => {
    const input = await page.$('#file');
    await input.uploadFile(openPath);
    await waitForFrame(opened, 20);
    const first = await shownFrame(opened, 'the opened scene');
    await web.sleep(300);
    const later = await shownFrame(opened, 'the opened scene');
    assert.ok(later.number > first.number, 'the opened scene turns');
  });

  test('a truncated file: its reason on the page, the scene goes on', { skip: !canOpen &&
      'needs a scene opened first' }, async () => {
    assert.ok(truncatedReason.startsWith('truncated.3ds: '), truncatedReason);
    const input = await page.$('#file');
    await input.uploadFile(truncatedPath);
    await waitFor(async () => (await web.statusLine(page)) !== '', 10, 'a message');
    const line = await web.statusLine(page);
    assert.ok(line.startsWith('velmor: ') && line.endsWith(truncatedReason), line);
    const first = await shownFrame(opened, 'the opened scene');
    await web.sleep(300);
    const later = await shownFrame(opened, 'the opened scene');
    assert.ok(later.number > first.number, 'the opened scene goes on turning');
  });

  test('Escape ends the program: the canvas stops, the page says so', async () => {
    const showing = canOpen ? opened : bundled;
    await page.keyboard.press('Escape');
    await waitFor(() => web.endedShown(page), 10, 'the page to say that the program ended');
    assert.equal(await web.endedText(page), 'Velmor has ended.');
    assert.equal(await page.$eval('#canvas', (c) => getComputedStyle(c).cursor), 'auto');
    const last = await shownFrame(showing, 'the scene shown last');
    await web.sleep(500);
    assert.equal((await shownFrame(showing, 'the scene shown last')).hash, last.hash);
  });

  test('Start again runs the program anew', async () => {
    await page.click('#restart');
    await waitFor(async () => !(await web.endedShown(page)), 10, 'the program to start');
    const number = await waitForFrame(bundled, 20);
    assert.ok(number < 200, `frame ${number} after a new start`);
  });

  test('a start-up failure: the program\'s one line on the page', async () => {
    assert.match(noSceneLine, /^velmor: .*Z_Test\.3ds/);
    await page.keyboard.press('Escape');
    await waitFor(() => web.endedShown(page), 10, 'the program to end');
    await page.evaluate(() => Module.FS.unlink('/Z_Test.3ds'));
    await page.click('#restart');
    await waitFor(async () => (await web.statusLine(page)) !== '', 10, 'a message');
    assert.equal(await web.statusLine(page), noSceneLine);
    await waitFor(() => web.endedShown(page), 10, 'the page to say that the program ended');
    assert.equal(await web.endedText(page), 'Velmor has ended (exit code 1).');
    assert.deepEqual(pageErrors, []);
  });
});
