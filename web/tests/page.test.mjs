// Velmor's page in a real browser: what the canvas shows, read at any moment,
// must be one of the frames that velmor-capture writes for the same scene (in
// view mode at the canvas's size). View mode's canvas follows the page's room
// and takes the mouse and touch.
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
const { capture, closest, lowerRows } = await import('./frames.mjs');

const assets = [path.join(env.VELMOR_ASSETS, 'Z_Test.3ds'), path.join(env.VELMOR_ASSETS, 'Font.bmp')];
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'velmor-web-'));
const out = env.VELMOR_TEST_OUT ?? work;

// Frames of the bundled scene: enough for the seconds that a run is looked at.
const bundled = capture({ tool: env.VELMOR_CAPTURE, work, name: 'bundled', files: assets, count: 400 });

// View mode draws at the canvas's size: the room under the header, 1024 x 768
// (see before()).
const VIEW = ['--size', '1024x768'];

// The scene to open, and velmor-capture's frames of it when it can open one:
// enough for the time until the page is resized and back.
const corpusScene = path.join(env.VELMOR_SHARED_DIR ?? '', 'corpus', 'castle_p47d.3ds');
const openPath = path.join(work, 'opened.3ds');
fs.copyFileSync(fs.existsSync(corpusScene) ? corpusScene : assets[0], openPath);
const opened = capture({
  tool: env.VELMOR_CAPTURE, work, name: 'opened', files: [...assets, openPath],
  args: [...VIEW, path.basename(openPath)], count: 1000,
});
const canOpen = opened.status === 0 && opened.frames.size > 0;
const cannotOpen = !canOpen &&
  `velmor-capture cannot open a scene at 1024x768: ${opened.stderr.split('\n')[0]}`;
// The rows below the counter of the start view (frame 0).
const startView = canOpen && [...opened.lower].find(([, number]) => number === 0)?.[0];

// A 3D Studio file with nothing in it: black frames with the counter.
const emptyPath = path.join(work, 'empty.3ds');
fs.writeFileSync(emptyPath, Buffer.from([0x4d, 0x4d, 6, 0, 0, 0]));
const empty = canOpen && capture({
  tool: env.VELMOR_CAPTURE, work, name: 'empty', files: [...assets, emptyPath],
  args: [...VIEW, 'empty.3ds'], count: 100,
});

// Half of the bundled scene: the loader gives up with a reason.
const truncatedPath = path.join(work, 'truncated.3ds');
const sceneBytes = fs.readFileSync(assets[0]);
fs.writeFileSync(truncatedPath, sceneBytes.subarray(0, sceneBytes.length >> 1));
const dumped = spawnSync(env.VELMOR_DUMP, ['truncated.3ds'], { cwd: work, encoding: 'utf8' });
const truncatedReason = dumped.stderr.trim().replace(/^velmor-dump: /, '');

// The program's own line when the scene is missing at start-up.
const nothing = path.join(work, 'nothing');
fs.mkdirSync(nothing);
const noScene = spawnSync(env.VELMOR_CAPTURE, ['--frames', '1', '--out', nothing], {
  cwd: nothing, encoding: 'utf8',
});
const noSceneLine = noScene.stderr.trim();

let server, browser, closeBrowser, page, headerHeight;
let showing = bundled; // the frames of the scene on the canvas
const pageErrors = [];

// Reads the canvas and names the captured frame it equals; fails, saying how
// close the nearest frame came, when it equals none.
async function shownFrame(frames, what) {
  const read = await web.readCanvas(page);
  assert.equal(`${read.width}x${read.height}`, frames.size);
  assert.ok(read.opaque, 'every pixel of the canvas is opaque');
  if (!frames.frames.has(read.hash)) {
    const near = closest(await web.canvasRgb(page), frames.folder);
    assert.fail(`the canvas is none of ${what}'s frames (nearest: ${near.file}, ` +
      `${near.pixels} pixels differ)`);
  }
  return { number: frames.frames.get(read.hash), at: read.at, hash: read.hash };
}

// The same for the rows below a notice under the counter.
async function shownBelowNotice(frames, what) {
  const read = await web.readCanvas(page, lowerRows(Number(frames.size.split('x')[1])));
  if (!frames.lower.has(read.hash)) assert.fail(`below the notice, the canvas is none of ${what}'s frames`);
  return { number: frames.lower.get(read.hash) };
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

// The hash of the canvas below the counter once it holds still (two reads
// 150 ms apart agree): the turntable stopped, the input taken.
async function stillPicture(what) {
  const top = lowerRows(await page.$eval('#canvas', (c) => c.height));
  const end = Date.now() + 10000;
  let last = (await web.readCanvas(page, top)).hash;
  for (;;) {
    await web.sleep(150);
    const now = (await web.readCanvas(page, top)).hash;
    if (now === last) return now;
    if (Date.now() > end) assert.fail(`waited 10 s for ${what} to hold still`);
    last = now;
  }
}

// The middle of the canvas on the page, and a finger's point from there.
async function canvasMiddle() {
  const box = await (await page.$('#canvas')).boundingBox();
  return { x: Math.round(box.x + box.width / 2), y: Math.round(box.y + box.height / 2) };
}

// Fingers on the page, through one session: the browser follows a touch from
// its start within the session that began it.
let touchSession;
async function touch(type, points) {
  touchSession ??= await page.createCDPSession();
  await touchSession.send('Input.dispatchTouchEvent', { type, touchPoints: points });
}

// What the page hands the program from here on, in window.posted.
const recordPosts = () => page.evaluate(() => {
  window.posted = [];
  if (window.unrecorded) return;
  window.unrecorded = {};
  for (const name of ['velmorMouse', 'velmorWheel', 'velmorSize']) {
    const post = (window.unrecorded[name] = Module[name]);
    Module[name] = (...args) => window.posted.push([name, ...args]) && post(...args);
  }
});

// Left drags by 60 pixels right, then by 60 right and 30 down, from the middle.
async function mouseDrag(middle) {
  await page.mouse.move(middle.x, middle.y);
  await page.mouse.down();
  await page.mouse.move(middle.x + 60, middle.y);
  await page.mouse.move(middle.x + 120, middle.y + 30);
  await page.mouse.up();
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
    await page.click('#fullscreen');
    await waitFor(() => page.evaluate(() => document.fullscreenElement?.id === 'screen'), 5,
      'the picture to fill the screen');
    await page.evaluate(() => document.exitFullscreen());
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
    await waitFor(async () => (await look()).width === 700, 5, 'the picture to fit anew');
    const narrow = await look();
    assert.ok(Math.abs(narrow.height - 525) <= 1, `${narrow.height} high`);
    await page.setViewport({ width: 1024, height: 768 + Math.ceil(headerHeight) });
    await page.click('#fullscreen');
    await waitFor(() => page.evaluate(() => document.fullscreenElement?.id === 'screen'), 5,
      'the picture to fill the screen');
    await page.evaluate(() => document.exitFullscreen());
  });

  test('a file opened through the file input shows its frames', { skip: cannotOpen }, async () => {
    await (await page.$('#file')).uploadFile(openPath);
    await waitForFrame(opened, 20);
    showing = opened;
    const first = await shownFrame(opened, 'the opened scene');
    await web.sleep(300);
    const later = await shownFrame(opened, 'the opened scene');
    assert.ok(later.number > first.number, 'the opened scene turns');
  });

  test('a truncated file: its reason on the page, the scene goes on', { skip: cannotOpen },
    async () => {
      assert.ok(truncatedReason.startsWith('truncated.3ds: '), truncatedReason);
      await (await page.$('#file')).uploadFile(truncatedPath);
      await waitFor(async () => (await web.statusLine(page)) !== '', 10, 'a message');
      const line = await web.statusLine(page);
      assert.ok(line.startsWith('velmor: ') && line.endsWith(truncatedReason), line);
      // The picture says so too, under the counter, for a while; below that
      // the opened scene goes on, and then all of it.
      const first = await shownBelowNotice(opened, 'the opened scene');
      await web.sleep(300);
      const later = await shownBelowNotice(opened, 'the opened scene');
      assert.ok(later.number > first.number, 'the opened scene goes on turning');
      await waitForFrame(opened, 20); // the notice stays for 200 frames
    });

  test('view mode: the canvas takes the room\'s pixels, anew when the page is resized',
    { skip: cannotOpen }, async () => {
      // The canvas, where it shows and the last picture, beside the room under
      // the header (which a long status line may make taller) in device pixels.
      const look = () => page.evaluate(() => {
        const room = document.getElementById('screen').getBoundingClientRect();
        const box = canvas.getBoundingClientRect();
        return { pixels: `${canvas.width}x${canvas.height}`, shown: `${box.width}x${box.height}`,
          picture: Module.velmorPictureSize().join('x'), room: `${room.width}x${room.height}`,
          devicePixels: `${room.width * devicePixelRatio}x${room.height * devicePixelRatio}` };
      });
      const fills = (l) => l.shown === l.room && l.picture === l.pixels;
      assert.deepEqual(await look(), { pixels: '1024x768', shown: '1024x768', picture: '1024x768',
        room: '1024x768', devicePixels: '1024x768' });
      await recordPosts();
      const room = (width, height, deviceScaleFactor) => page.setViewport({
        width, height: height + Math.ceil(headerHeight), deviceScaleFactor });
      await room(640, 400, 2);
      await waitFor(async () => {
        const l = await look();
        return fills(l) && l.pixels === l.devicePixels;
      }, 10, 'a picture of the room\'s device pixels');
      const [width, height] = (await look()).pixels.split('x').map(Number);
      assert.deepEqual((await page.evaluate(() => window.posted)).at(-1),
        ['velmorSize', width, height]);
      await room(2400, 1500, 2); // 4800 x 3000 device pixels or so: at most 3840 x 2160
      await waitFor(async () => (await look()).pixels.endsWith('x2160'), 10,
        'a canvas 2160 pixels high');
      const wide = await look();
      const [roomWidth, roomHeight] = wide.room.split('x').map(Number);
      const [canvasWidth] = wide.pixels.split('x').map(Number);
      assert.ok(canvasWidth <= 3840 && Math.abs(canvasWidth - (2160 * roomWidth) / roomHeight) <= 1,
        `${wide.pixels} for a room of ${wide.room}`);
      await room(1024, 768, 1);
      await waitFor(async () => (await look()).picture === '1024x768', 10, 'a picture of 1024x768');
      await waitForFrame(opened, 20); // the view went on as it was
    });

  test('view mode: F11 takes the page\'s full screen and gives it back', { skip: cannotOpen },
    async () => {
      const state = () => page.evaluate(() => ({ full: document.fullscreenElement?.id ?? '',
        picture: Module.velmorPictureSize().join('x'), pixels: `${canvas.width}x${canvas.height}` }));
      await page.keyboard.press('F11');
      await waitFor(async () => (await state()).full === 'screen', 5, 'the page\'s full screen');
      await waitFor(async () => {
        const now = await state();
        return now.picture === now.pixels;
      }, 10, 'a picture of the full screen canvas');
      await page.keyboard.press('F11');
      await waitFor(async () => (await state()).full === '', 5, 'the end of full screen');
      await waitFor(async () => (await state()).picture === '1024x768', 10, 'a picture of 1024x768');
      await waitForFrame(opened, 20);
    });

  test('view mode: a drag and the wheel change the picture, Home gives the start view',
    { skip: cannotOpen }, async () => {
      // The first drag stops the turntable; Home then gives the start view.
      const middle = await canvasMiddle();
      await mouseDrag(middle);
      await page.keyboard.press('Home');
      assert.equal(await stillPicture('the start view'), startView);
      await mouseDrag(middle);
      const dragged = await stillPicture('the dragged view');
      assert.notEqual(dragged, startView);
      await page.mouse.wheel({ deltaY: -100 });
      const zoomed = await stillPicture('the zoomed view');
      assert.notEqual(zoomed, dragged);
      await page.keyboard.press('Home');
      assert.equal(await stillPicture('the start view'), startView);
      // In view mode the canvas keeps the right button's menu and the wheel.
      const prevented = (event) => page.$eval('#canvas', (c, type) => !c.dispatchEvent(
        type === 'wheel' ? new WheelEvent(type, { cancelable: true })
          : new MouseEvent(type, { cancelable: true })), event);
      assert.ok(await prevented('contextmenu'), 'no menu on the canvas');
      assert.ok(await prevented('wheel'), 'no scrolling from the canvas');
      // The same drag by one finger orbits the same way.
      await page.keyboard.press('Home');
      await touch('touchStart', [middle]);
      await touch('touchMove', [{ x: middle.x + 60, y: middle.y }]);
      await touch('touchMove', [{ x: middle.x + 120, y: middle.y + 30 }]);
      await touch('touchEnd', []);
      assert.equal(await stillPicture('the view a finger dragged'), dragged);
    });

  test('view mode: two fingers pinch to zoom and move to pan', { skip: cannotOpen }, async () => {
    await page.keyboard.press('Home');
    assert.equal(await stillPicture('the start view'), startView);
    const middle = await canvasMiddle();
    const pair = (spread, y) => [{ x: middle.x - spread, y: middle.y + y },
      { x: middle.x + spread, y: middle.y + y }];
    await recordPosts();
    await touch('touchStart', pair(50, 0));
    await touch('touchMove', pair(55, 20)); // 10% apart: one notch; 20 pixels down
    await touch('touchEnd', []);
    const pinched = await stillPicture('the pinched view');
    assert.notEqual(pinched, startView);
    // The browser may land the first finger alone: a left press that moves nothing.
    const posted = await page.evaluate(() => window.posted);
    for (const [, message] of posted.slice(0, -4)) assert.ok(message === 0x201 || message === 0x202);
    assert.deepEqual(posted.slice(-4), [
      ['velmorMouse', 0x204, 0x02, 512, 384],
      ['velmorMouse', 0x200, 0x02, 512, 404],
      ['velmorWheel', 120, 0x02, 512, 404],
      ['velmorMouse', 0x205, 0, 512, 404],
    ]);
  });

  test('a file without mesh objects: the page says so, frames go on', { skip: cannotOpen },
    async () => {
      await (await page.$('#file')).uploadFile(emptyPath);
      await waitForFrame(empty, 10);
      showing = empty;
      assert.equal(await web.statusLine(page),
        'velmor: /opened/empty.3ds: no mesh objects (is it a 3D Studio file?)');
      const first = await shownFrame(empty, 'the empty scene');
      await web.sleep(300);
      assert.ok((await shownFrame(empty, 'the empty scene')).number > first.number);
    });

  test('Escape ends the program: the canvas stops, the page says so', async () => {
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

  test('a truncated file opened on the demo: its reason on the page, the demo again',
    async () => {
      await (await page.$('#file')).uploadFile(truncatedPath);
      await waitFor(async () => (await web.statusLine(page)) !== '', 10, 'a message');
      assert.ok((await web.statusLine(page)).endsWith(truncatedReason));
      await waitForFrame(bundled, 20);
      assert.equal(await web.endedShown(page), false);
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
