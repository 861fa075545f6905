// The browser build in headless Chromium: its frames against the desktop's drawing
// of the committed data. The test holds the game's loop between steps, so each
// step runs a known number of passes whatever the machine's speed.
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import { readFileSync } from 'node:fs';
import puppeteer from 'puppeteer-core';

const ROOT = new URL('../../', import.meta.url).pathname;
// Where the game puts things, as its layout header says.
const L = Object.fromEntries([...readFileSync(ROOT + 'game/layout.h', 'utf8').matchAll(/const \w+ (\w+) = ([\d.]+);/g)]
  .map(([, name, value]) => [name, Number(value)]));
const [W, H, MAGENTA, GREEN] = [L.SCREEN_WIDTH, L.SCREEN_HEIGHT, '255,0,255', '0,255,0'];
// The browser blends partly covered text pixels with a rounding of its own.
const TEXT_SLACK = 1;
const data = (name) => readFileSync(ROOT + 'data/' + name);
// A 24-bit BMP as its file has it, rows from the bottom up.
function bmp(name) {
  const b = data(name);
  const start = b.readUInt32LE(10), w = b.readInt32LE(18), h = b.readInt32LE(22), row = (w * 3 + 3) & ~3;
  return { w, h, rgb: (x, y) => { const i = start + (h - 1 - y) * row + 3 * x; return [b[i + 2], b[i + 1], b[i]]; } };
}
const [BG, SIGN, GLYPHS, WIDTHS] = [bmp('bg.bmp'), bmp('peliohi.bmp'), data('fontti/font.raw'), data('fontti/font.dat')];
const KANA_SIDE = bmp('kana/kana0.bmp').h;
const WORMS = [0, 1, 2, 3].map((i) => bmp(`mato/mato${i}.bmp`));
const MINES = [0, 1, 2].map((i) => bmp(`miina/miina${i}.bmp`));

// The frame the desktop build draws for a scene, and how far each pixel may stray.
function draw({ wormPic, wormX, minePic, mineAt, sign, miinat }) {
  const px = new Uint8Array(W * H * 3), slack = new Uint8Array(W * H);
  const put = (pic, x0, y0, key) => {
    for (let k = 0; k < pic.w * pic.h; k++) {
      const x = k % pic.w, y = Math.floor(k / pic.w), c = pic.rgb(x, y);
      if (String(c) !== key) px.set(c, ((y0 + y) * W + x0 + x) * 3);
    }
  };
  const text = (x0, y0, s) => {
    for (const c of Buffer.from(s)) {
      const w = WIDTHS[c], sx = (c % 16) * 16 + 8 - (w >> 1), sy = (c >> 4) * 16;
      for (let y = 0; y < 16; y++) {
        for (let x = 0; x < w + 2; x++) {
          const a = GLYPHS[(sy + y) * 256 + sx + x], k = (y0 + y) * W + x0 + x;
          for (let n = 0; n < 3 && a > 0; n++) px[3 * k + n] = Math.round((255 * a + px[3 * k + n] * (255 - a)) / 255);
          if (a > 0 && a < 255) slack[k] = TEXT_SLACK;
        }
      }
      x0 += w;
    }
  };
  put(BG, 0, 0);
  text(L.PISTEET_X, L.SCORE_Y, 'Pisteet:'); text(L.SCORE_X, L.SCORE_Y, '0');
  text(L.MIINAT_LABEL_X, L.SCORE_Y, 'Miinat:'); text(L.MIINAT_X, L.SCORE_Y, String(miinat));
  if (mineAt) put(minePic, mineAt[0], mineAt[1], MAGENTA);
  put(wormPic, wormX, L.MATO_START_Y, MAGENTA);
  if (sign) put(SIGN, L.GAMEOVER_X, L.GAMEOVER_Y, GREEN);
  return { px, slack };
}

// Compares the canvas with the scene, the worm and the mine in any of their animation
// frames, leaving out where the chickens may be after `moves` steps of at most 2 pixels, one a pass by default.
async function expectScene({ moves, wormX = L.MATO_START_X, mineAt, sign = false, miinat = 28 }, what = 'the scene') {
  moves ??= await passes();
  const shot = await page.evaluate(([w, h]) =>
    Array.from(document.getElementById('game').getContext('2d').getImageData(0, 0, w, h).data), [W, H]);
  const chickens = (x, y) => x >= L.KANA_START_LEFT - 2 * moves && y >= L.KANA_START_TOP - 2 * moves &&
    y < L.KANA_START_TOP + L.KANA_START_ROWS + KANA_SIDE + 2 * moves;
  const colour = (k) => shot.slice(4 * k, 4 * k + 3);
  for (let k = 0; k < W * H; k++) {
    assert.ok(![MAGENTA, GREEN].includes(String(colour(k))), `key colour at (${k % W}, ${Math.floor(k / W)})`);
  }
  const strays = [];
  for (const wormPic of WORMS) {
    for (const minePic of mineAt ? MINES : [null]) {
      const { px, slack } = draw({ wormPic, wormX, minePic, mineAt, sign, miinat });
      const k = shot.findIndex((value, i) => i % 4 < 3 && !chickens((i >> 2) % W, Math.floor((i >> 2) / W)) &&
        Math.abs(value - px[3 * (i >> 2) + (i % 4)]) > slack[i >> 2]) >> 2;
      if (k < 0) return;
      strays.push(`(${k % W}, ${Math.floor(k / W)}): ${colour(k)} for ${px.slice(3 * k, 3 * k + 3)}`);
    }
  }
  assert.fail(`${what}: no animation frame matches; first strays: ${strays.join('; ')}`);
}

let server, browser, page, url;
const problems = [];

// Runs the held loop for `count` passes more; keys pressed meanwhile wait for the first.
async function run(count) {
  await page.evaluate((count) => { window.holdAt = Module._PassCount() + count; Module.resumeMainLoop(); }, count);
  await page.waitForFunction(() => Module._PassCount() >= window.holdAt);
}

const frames = (count) => page.evaluate((count) => new Promise((done) => {
  const next = () => (--count > 0 ? requestAnimationFrame(next) : done());
  requestAnimationFrame(next);
}), count);
const passes = () => page.evaluate(() => Module._PassCount());
const canvasBox = () => page.$eval('#game', (canvas) => JSON.stringify(canvas.getBoundingClientRect()));

// A fresh page whose errors and warnings the test collects.
async function watchedPage() {
  const opened = await browser.newPage();
  opened.on('console', (message) => ['error', 'warn'].includes(message.type()) && problems.push(message.text()));
  opened.on('pageerror', (error) => problems.push(error.message));
  opened.on('response', (response) => response.status() >= 400 && problems.push(`${response.status()} ${response.url()}`));
  return opened;
}

// Opens the game, or `path`, in a fresh page without a cache, its loop held after the first pass.
async function open(viewport, path = 'build-web/index.html') {
  const opened = await watchedPage();
  await opened.setViewport(viewport);
  await opened.setCacheEnabled(false);
  // Holds the loop once it has made holdAt passes: checked every display frame, as passes run. The game makes
  // its first pass as it starts, between display frames, so the first check that sees it is in the frame
  // that shows it: the floor page takes its time the same way.
  await opened.evaluateOnNewDocument(() => {
    window.holdAt = 1;
    const hold = () => {
      if (window.Module && Module.calledRun && Module._PassCount() >= window.holdAt) {
        window.firstFrameAt ??= performance.now();
        Module.pauseMainLoop();
      }
      requestAnimationFrame(hold);
    };
    requestAnimationFrame(hold);
  });
  await opened.goto(url + path);
  await opened.waitForFunction(() => window.firstFrameAt);
  return opened;
}

before(async () => {
  server = spawn('python3', ['-u', '-m', 'http.server', '0', '--bind', '127.0.0.1', '--directory', ROOT]);
  const port = await new Promise((resolve) => server.stdout.once('data', (line) => resolve(/port (\d+)/.exec(line)[1])));
  url = `http://127.0.0.1:${port}/`;
  const args = process.getuid() === 0 ? ['--no-sandbox'] : [];
  browser = await puppeteer.launch({ executablePath: '/usr/bin/chromium-headless-shell', args });
  page = await open({ width: 800, height: 600 });
});

after(async () => { await browser?.close(); server?.kill(); });

test('the first frame shows the meadow, the worm at (50, 320) and the score line; the canvas has the keys', async () => {
  assert.equal(await page.evaluate(() => document.activeElement.id), 'game');
  await expectScene({});
});

// The browser hides the page on its way to being frozen; shown again, it has kept the keys.
async function hide() {
  const cdp = await page.createCDPSession();
  await cdp.send('Page.setWebLifecycleState', { state: 'frozen' });
  await cdp.send('Page.setWebLifecycleState', { state: 'active' });
  await cdp.send('Emulation.setFocusEmulationEnabled', { enabled: true });
}
const blur = () => page.evaluate(() => document.activeElement.blur());

test('a hidden page or a blur pauses the passes under a cover; a click on the margin or the canvas, or a key, resumes them', async () => {
  for (const [pause, way, resume] of [[hide, 'key', () => page.keyboard.press('Enter')],
    [blur, 'margin', () => page.mouse.click(20, 20)], [blur, 'canvas', () => page.mouse.click(400, 300)],
    [blur, 'key', () => page.keyboard.press('Enter')]]) {
    await pause();
    const count = await passes();
    await page.evaluate(() => { window.holdAt = Module._PassCount() + 2; Module.resumeMainLoop(); });
    await frames(10);
    assert.equal(await passes(), count, `passes after the ${pause.name}, before the ${way}`);
    assert.equal(await page.$eval('#paused', (cover) => cover.hidden), false);
    await resume();
    await page.waitForFunction(() => Module._PassCount() >= window.holdAt)
      .catch(() => assert.fail(`no passes after the ${pause.name} and then the ${way}`));
    assert.deepEqual(await page.evaluate(() => [document.activeElement.id, document.getElementById('paused').hidden]),
      ['game', true], way);
  }
});

// One game, played with the keyboard and on a phone with the touch controls: each step holds a key or
// control for a number of passes, lets go and runs one pass more; null passes means press and let go.
const STEERED_X = L.MATO_START_X + 10;
const MINE_AT = [STEERED_X + L.MIINA_OFFSET_X, L.MATO_START_Y + L.MIINA_OFFSET_Y];
const GAME = [
  ['ArrowRight held moves the worm one pixel a pass', 'ArrowRight', 10, { wormX: STEERED_X }],
  ['Space lays a mine in front of the worm and "Miinat" falls to 27', 'Space', null,
    { wormX: STEERED_X, mineAt: MINE_AT, miinat: 27 }],
  ['Esc shows the sign over a standing world', 'Escape', null, { wormX: STEERED_X, mineAt: MINE_AT, miinat: 27, sign: true }],
  ['Enter starts a new game', 'Enter', null, { moves: 1 }],
];
async function play(press, release) {
  for (const [what, key, count, scene] of GAME) {
    await press(key);
    if (count) await run(count);
    await release(key);
    await run(1);
    await expectScene(scene, what);
  }
}

test('the keyboard plays a game', () => play((key) => page.keyboard.down(key), (key) => page.keyboard.up(key)));

test('Esc on a finished game ends it under a cover that offers another, and the canvas does not move', async () => {
  const box = await canvasBox();
  await page.keyboard.press('Escape');
  await run(1);
  await page.keyboard.press('Escape');
  await run(1);
  await page.waitForSelector('#ended:not([hidden]) #again');
  assert.equal(await canvasBox(), box);
});

// Every box lies in the window, and no touch control lies over the field.
async function expectFitted({ width, height }) {
  const boxes = await page.$$eval('#game, #pad, #actions, main > p', (all) => all.map((box) => box.getBoundingClientRect().toJSON()));
  for (const { x, y, right, bottom } of boxes) {
    assert.ok(x >= 0 && y >= 0 && right <= width && bottom <= height, `(${x}, ${y}) to (${right}, ${bottom}) in ${width}x${height}`);
  }
  const [field, ...controls] = boxes.slice(0, 3);
  for (const { x, y, right, bottom } of controls) {
    assert.ok(right <= field.x || x >= field.right || bottom <= field.y || y >= field.bottom, `control over the field at (${x}, ${y})`);
  }
}

const PHONE = { width: 390, height: 844, hasTouch: true, isMobile: true };
test('nothing is cut at 640x480, 800x600 or on a phone held either way; the touch controls play a game', async () => {
  for (const viewport of [{ width: 640, height: 480 }, { width: 800, height: 600 }, { ...PHONE, width: 844, height: 390 }, PHONE]) {
    page = await open(viewport);
    await expectFitted(viewport);
  }
  const cdp = await page.createCDPSession();
  const target = { ArrowRight: ['#pad', 0.9, 0.5], Space: ['[data-key=Space]'], Escape: ['#end'], Enter: ['[data-key=Enter]'] };
  const touch = async (key) => {
    const [selector, across = 0.5, down = 0.5] = target[key];
    const box = await (await page.$(selector)).boundingBox();
    const point = { x: box.x + across * box.width, y: box.y + down * box.height };
    await cdp.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: [point] });
  };
  await play(touch, () => cdp.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] }));
});

// The audio opens at the first key, not before, so the browser has no warning to log (see below); the sound
// button beside full screen mutes as M does. Puppeteer's own evaluations count as a player's gesture: this page
// is read through the DevTools protocol without one, and its loop runs free.
test('the first key starts the sound, not before; the sound button and M turn it off and on again', async () => {
  page = await watchedPage();
  const cdp = await page.createCDPSession();
  const read = async (expression) => (await cdp.send('Runtime.evaluate', { expression, returnByValue: true })).result.value;
  const until = async (expression, what) => {
    for (let tries = 0; !(await read(expression)); tries++) {
      assert.ok(tries < 500, `not after 10 s: ${what}`);
      await new Promise((wake) => setTimeout(wake, 20));
    }
  };
  await page.goto(url + 'build-web/index.html');
  await until('window.Module?.calledRun === true && Module._PassCount() > 10', 'the game runs');
  assert.equal(await read('Module._SoundIsHeard()'), 0, 'before a key');
  for (const [press, heard] of [[() => page.keyboard.press('ArrowLeft'), 1], [() => page.click('#sound'), 0],
    [() => page.keyboard.press('KeyM'), 1]]) {
    await press();
    await until(`Module._SoundIsHeard() === ${heard}`, `${press} makes the sound ${heard ? 'heard' : 'silent'}`);
  }
});

test('the favicon is served; no page logged an error or a warning', async () => {
  const icon = await page.evaluate(async () => {
    const response = await fetch(document.querySelector('link[rel=icon]').href);
    return [response.status, response.headers.get('content-type')];
  });
  assert.deepEqual(icon, [200, 'image/png']);
  assert.deepEqual(problems, []);
});

// First frame against a page that only draws the background into a canvas, and against the browser's
// SDL doing no more than that (bench/floor.cpp), all without a cache.
test('report: the download of a first visit and its first frame against the floor pages', async () => {
  const times = { game: [], floor: [], sdlFloor: [] };
  const pages = [['game', undefined], ['floor', 'tests/web/floor.html'], ['sdlFloor', 'build-web/kanamiina_floor.html']];
  let bytes = 0;
  for (let round = 0; round < 5; round++) {
    for (const [name, path] of pages) {
      const loaded = await open({ width: 800, height: 600 }, path);
      times[name].push(await loaded.evaluate(() => window.firstFrameAt));
      if (name === 'game') {
        bytes = await loaded.evaluate(() => performance.getEntries().reduce((sum, entry) => sum + (entry.transferSize ?? 0), 0));
      }
      await loaded.close();
    }
  }
  const median = (list) => list.sort((a, b) => a - b)[list.length >> 1];
  const [game, floor, sdlFloor] = [median(times.game), median(times.floor), median(times.sdlFloor)];
  console.log(`# first visit: ${bytes} bytes; first frame ${game.toFixed(0)} ms, floor ${floor.toFixed(0)} ms, ` +
    `ratio ${(game / floor).toFixed(2)}; SDL's floor ${sdlFloor.toFixed(0)} ms, ratio ${(sdlFloor / floor).toFixed(2)}`);
  assert.ok(bytes <= 700000, `a first visit downloads ${bytes} bytes`);
});
