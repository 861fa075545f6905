// The browser build in headless Chromium: its frames against the desktop's drawing
// of the committed data. The test holds the game's loop between steps, so each
// step runs a known number of passes whatever the machine's speed.
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { appendFileSync, cpSync, mkdtempSync, readFileSync, readdirSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { ROOT, launch, open as openIn, serve } from './harness.mjs';

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
  // The sheet has 16 x 16 cells of FONT_CELL pixels.
  const text = (x0, y0, s) => {
    const CELL = L.FONT_CELL;
    for (const c of Buffer.from(s)) {
      const w = WIDTHS[c], sx = (c % 16) * CELL + (CELL >> 1) - (w >> 1), sy = (c >> 4) * CELL;
      for (let y = 0; y < CELL; y++) {
        for (let x = 0; x < w + 2; x++) {
          const a = GLYPHS[(sy + y) * 16 * CELL + sx + x], k = (y0 + y) * W + x0 + x;
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

let server, browser, page;
const problems = [];

// Runs the held loop for `count` passes more; keys pressed meanwhile wait for the first.
async function run(count) {
  await page.evaluate((count) => { window.holdAt = Module._PassCount() + count; Module.resumeMainLoop(); }, count);
  await page.waitForFunction(() => Module._PassCount() >= window.holdAt);
}

const passes = () => page.evaluate(() => Module._PassCount());
const canvasBox = () => page.$eval('#game', (canvas) => JSON.stringify(canvas.getBoundingClientRect()));

// Opens the game, or `path`, in a fresh page of a browser context of its own, with nothing kept from another.
async function open(viewport, path = 'build-web/index.html', options) {
  return openIn(await browser.createBrowserContext(), server.url + path, viewport, problems, options);
}

before(async () => {
  server = await serve();
  browser = await launch();
  page = await open({ width: 800, height: 600 });
});

after(async () => { await browser?.close(); server?.close(); });

test('the first frame shows the meadow, the worm at (50, 320) and the score line; the canvas has the keys', async () => {
  assert.equal(await page.evaluate(() => document.activeElement.id), 'game');
  await expectScene({});
});

// The browser build carries each picture in a smaller file of its own; the browser decodes it to the BMP's very pixels.
test('each picture of the browser build decodes to the pixels of its BMP', async () => {
  for (const name of readdirSync(ROOT + 'data', { recursive: true }).filter((name) => name.endsWith('.bmp'))) {
    const [w, h, decoded] = await page.evaluate(async (url) => {
      const picture = await createImageBitmap(await (await fetch(url)).blob());
      const context = new OffscreenCanvas(picture.width, picture.height).getContext('2d');
      context.drawImage(picture, 0, 0);
      return [picture.width, picture.height, Array.from(context.getImageData(0, 0, picture.width, picture.height).data)];
    }, 'data/' + name);
    const kept = bmp(name);
    assert.deepEqual([w, h], [kept.w, kept.h], `${name}: size`);
    for (let y = 0, k = 0; y < h; y++) {
      for (let x = 0; x < w; x++, k += 4) {
        assert.deepEqual(decoded.slice(k, k + 3), kept.rgb(x, y), `${name}: the pixel at (${x}, ${y})`);
      }
    }
  }
});

// The browser hides the page on its way to being frozen; shown again, it has kept the keys.
async function hide() {
  const cdp = await page.createCDPSession();
  await cdp.send('Page.setWebLifecycleState', { state: 'frozen' });
  await cdp.send('Page.setWebLifecycleState', { state: 'active' });
  await cdp.send('Emulation.setFocusEmulationEnabled', { enabled: true });
}
const blur = () => page.evaluate(() => document.activeElement.blur());

// The canvas as it shows now, in short.
const shot = () => page.evaluate(async ([w, h]) => {
  const pixels = document.getElementById('game').getContext('2d').getImageData(0, 0, w, h).data;
  return Array.from(new Uint8Array(await crypto.subtle.digest('SHA-256', pixels)), (b) => b.toString(16)).join('');
}, [W, H]);

test('a hidden page, a blur or P pause the game under the cover; a click on the margin or the canvas, or a key, resumes it', async () => {
  const pressP = () => page.keyboard.press('KeyP');
  for (const [pause, way, resume] of [[hide, 'key', () => page.keyboard.press('Enter')],
    [blur, 'margin', () => page.mouse.click(20, 20)], [blur, 'canvas', () => page.mouse.click(400, 300)],
    [blur, 'key', () => page.keyboard.press('Enter')], [pressP, 'P', pressP]]) {
    const what = `the ${pause.name}, then the ${way}`;
    await pause();
    await run(1);
    const still = await shot();
    await run(30);
    assert.deepEqual([await shot() === still, await page.$eval('#paused', (cover) => cover.hidden)], [true, false], what);
    await resume();
    await run(2);
    assert.deepEqual(await page.evaluate(() => [document.activeElement.id, document.getElementById('paused').hidden]),
      ['game', true], what);
    assert.notEqual(await shot(), still, `the field moves after ${what}`);
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

const keyboard = [(key) => page.keyboard.down(key), (key) => page.keyboard.up(key)];
test('the keyboard plays a game', () => play(...keyboard));

// A standard gamepad, as the browser would report it: the stick steers, A lays a mine, Back is Esc and Start Enter at the sign.
// The game reads a pad's state as each pass begins, so a button stays down for a pass.
test('a gamepad plays a game', async () => {
  await page.evaluate(() => {
    const pad = { id: 'Test pad', index: 0, mapping: 'standard', connected: true, timestamp: 0, axes: [0, 0, 0, 0],
      buttons: Array.from({ length: 17 }, () => ({ pressed: false, value: 0 })) };
    navigator.getGamepads = () => [pad];
    window.press = (key, down) => {
      const button = { Space: 0, Escape: 8, Enter: 9 }[key];
      if (key === 'ArrowRight') pad.axes[0] = down ? 1 : 0;
      else pad.buttons[button] = { pressed: down, value: down ? 1 : 0 };
    };
  });
  await run(1);
  const press = async (key) => {
    await page.evaluate((key) => window.press(key, true), key);
    if (key !== 'ArrowRight') await run(1);
  };
  await play(press, (key) => page.evaluate((key) => window.press(key, false), key));
});

test('Esc on a finished game ends it under a cover that offers another, and the canvas does not move', async () => {
  const box = await canvasBox();
  await page.keyboard.press('Escape');
  await run(1);
  await page.keyboard.press('Escape');
  await run(1);
  await page.waitForSelector('#ended:not([hidden]) #again');
  assert.equal(await canvasBox(), box);
});

// Every box lies in the window, no touch control lies over the field, and each takes a thumb: 44 x 44 pixels at least.
async function expectFitted({ width, height }) {
  const boxes = await page.$$eval('#game, #pad, #actions, main > p', (all) => all.map((box) => box.getBoundingClientRect().toJSON()));
  for (const { x, y, right, bottom } of boxes) {
    assert.ok(x >= 0 && y >= 0 && right <= width && bottom <= height, `(${x}, ${y}) to (${right}, ${bottom}) in ${width}x${height}`);
  }
  const [field, ...controls] = boxes.slice(0, 3);
  for (const { x, y, right, bottom } of controls) {
    assert.ok(right <= field.x || x >= field.right || bottom <= field.y || y >= field.bottom, `control over the field at (${x}, ${y})`);
  }
  const shown = await page.$$eval('#pad, #touch button', (all) => all.filter((control) => control.checkVisibility())
    .map((control) => [control.textContent || control.id, control.offsetWidth, control.offsetHeight]));
  for (const [name, w, h] of shown) {
    assert.ok(w >= 44 && h >= 44, `${name} is ${w}x${h} in ${width}x${height}`);
  }
}

const PHONE = { width: 390, height: 844, hasTouch: true, isMobile: true };
test('nothing is cut at 640x480, 800x600 or on a phone held either way; the touch controls play a game; the arrows of the pad cannot be selected by a long press', async () => {
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
  // Headless Chromium selects nothing on a long press anyway: what a phone would select there, the whole pad, stays empty.
  assert.equal(await page.evaluate(() => String(getSelection().selectAllChildren(document.getElementById('pad')) ?? getSelection())), '');
});

// The audio opens at the first key of the running game, not before, so the browser has no warning to log
// (see below); the sound button beside full screen mutes as M does, a pass later.
test('the first key starts the sound, not before; the sound button and M turn it off and on again', async () => {
  page = await open({ width: 800, height: 600 });
  assert.equal(await page.evaluate(() => Module._SoundIsHeard()), 0, 'before a key');
  for (const [press, heard] of [[() => page.keyboard.press('ArrowLeft'), 1], [() => page.click('#sound'), 0],
    [() => page.keyboard.press('KeyM'), 1]]) {
    await press();
    await run(2);
    assert.equal(await page.evaluate(() => Module._SoundIsHeard()), heard, `after ${press}`);
  }
});

// Chromium's own check of what an app needs to install. It lives in the full browser, not in the headless shell,
// and in a profile of its own: a browser context of the test's counts as incognito, where nothing installs.
test('the page installs as an app: Chromium finds nothing missing; the favicon and the icons its manifest names are served at their sizes; no page logged an error or a warning', async () => {
  const full = await launch('/usr/bin/chromium');
  const installing = await full.newPage();
  await installing.goto(server.url + 'build-web/index.html');
  await installing.waitForFunction(async () => (await navigator.serviceWorker.getRegistration())?.active?.state === 'activated');
  const { installabilityErrors } = await (await installing.createCDPSession()).send('Page.getInstallabilityErrors');
  await full.close();
  assert.deepEqual(installabilityErrors, []);
  const icons = await page.evaluate(async () => {
    const manifest = await (await fetch(document.querySelector('link[rel=manifest]').href)).json();
    return Promise.all([{ src: document.querySelector('link[rel=icon]').href, sizes: '32x32' }, ...manifest.icons].map(async (icon) => {
      const response = await fetch(icon.src);
      const picture = await createImageBitmap(await response.blob());
      return [icon.sizes, response.headers.get('content-type'), `${picture.width}x${picture.height}`];
    }));
  });
  assert.deepEqual(icons, [['32x32', 'image/png', '32x32'], ['192x192', 'image/png', '192x192'], ['512x512', 'image/png', '512x512']]);
  assert.deepEqual(problems, []);
});

// A rebuild with a byte more in its data, as the browser build's own steps stamp it, served where the old build was.
function rebuild(directory) {
  appendFileSync(`${directory}/kanamiina.data`, Buffer.from([1]));
  appendFileSync(`${directory}/kanamiina.js`, ';window.rebuilt = true;');
  execFileSync('cmake', [`-DBUILD_DIR=${directory}`, '-P', ROOT + 'web/service-worker.cmake']);
}

// One player's visits, in a browser context of their own, to a server of their own holding a copy of the build.
test('a rebuilt page reaches a returning visitor whole, new script with new data; with the network off it plays a game', async () => {
  const own = await serve(), context = await browser.createBrowserContext(), bodies = {};
  own.root = mkdtempSync(join(tmpdir(), 'kanamiina-'));
  cpSync(ROOT + 'build-web', own.root + '/build-web', { recursive: true });
  const visit = async () => {
    const opened = await openIn(context, own.url + 'build-web/index.html', { width: 800, height: 600 }, [], null,
      (loading) => loading.on('response', (response) => {
        const name = /kanamiina\.(js|data)$/.exec(response.url())?.[0];
        if (name) bodies[name] = response.buffer();
      }));
    // The service worker has kept the build once it is the page's active one.
    await opened.waitForFunction(async () => (await navigator.serviceWorker.getRegistration())?.active?.state === 'activated');
    return opened;
  };
  const expectNewBuild = async (loaded, when) => {
    assert.equal(await loaded.evaluate(() => window.rebuilt), true, `the new script ${when}`);
    for (const name of ['kanamiina.js', 'kanamiina.data']) {
      assert.ok((await bodies[name]).equals(readFileSync(`${own.root}/build-web/${name}`)), `${name} ${when} is the new build's`);
    }
  };
  await (await visit()).close();
  rebuild(own.root + '/build-web');
  const online = await visit();
  await expectNewBuild(online, 'online');
  // The new build's service worker takes over once no page of the old one is open.
  await online.waitForFunction(async () => Boolean((await navigator.serviceWorker.getRegistration()).waiting));
  await online.close();
  await new Promise((closed) => { own.close(closed); own.closeAllConnections(); });
  page = await visit();
  await expectNewBuild(page, 'offline');
  await play(...keyboard);
  await context.close();
  rmSync(own.root, { recursive: true });
});

// First frame against a page that only draws the background into a canvas, and against the browser's
// SDL doing no more than that (bench/floor.cpp), all without a cache: from this machine, and over a link of
// 10 Mbit/s with 20 ms of latency, where the download decides it.
const LINKS = [['localhost', null], ['10 Mbit/s, 20 ms', { download: 10e6 / 8, upload: 10e6 / 8, latency: 20 }]];
test('report: the download of a first visit and its first frame against the floor pages', async () => {
  const pages = [['game', undefined], ['floor', 'tests/web/floor.html'], ['sdlFloor', 'build-web/kanamiina_floor.html']];
  const median = (list) => list.sort((a, b) => a - b)[list.length >> 1];
  let bytes = 0;
  for (const [link, network] of LINKS) {
    const times = { game: [], floor: [], sdlFloor: [] };
    for (let round = 0; round < 5; round++) {
      for (const [name, path] of pages) {
        const loaded = await open({ width: 800, height: 600 }, path, network);
        times[name].push(await loaded.evaluate(() => window.firstFrameAt));
        if (name === 'game') {
          bytes = await loaded.evaluate(() => performance.getEntries().reduce((sum, entry) => sum + (entry.transferSize ?? 0), 0));
        }
        await loaded.browserContext().close();
      }
    }
    const [game, floor, sdlFloor] = [median(times.game), median(times.floor), median(times.sdlFloor)];
    console.log(`# ${link}: first visit ${bytes} bytes; first frame ${game.toFixed(0)} ms, floor ${floor.toFixed(0)} ms, ` +
      `ratio ${(game / floor).toFixed(2)}; SDL's floor ${sdlFloor.toFixed(0)} ms, ratio ${(sdlFloor / floor).toFixed(2)}`);
  }
  assert.ok(bytes <= 550000, `a first visit downloads ${bytes} bytes`);
});
