// The browser build in headless Chromium: its frames against the desktop's drawing
// of the committed data. The test holds the game's loop between steps, so each
// step runs a known number of passes whatever the machine's speed.
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import { readFileSync } from 'node:fs';
import puppeteer from 'puppeteer-core';

const ROOT = new URL('../../', import.meta.url).pathname;
const [W, H, MAGENTA, GREEN] = [640, 480, '255,0,255', '0,255,0'];
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
  text(5, 37, 'Pisteet:'); text(60, 37, '0'); text(570, 37, 'Miinat:'); text(610, 37, String(miinat));
  if (mineAt) put(minePic, mineAt[0], mineAt[1], MAGENTA);
  put(wormPic, wormX, 320, MAGENTA);
  if (sign) put(SIGN, 165, 100, GREEN);
  return { px, slack };
}

// Compares the canvas with the scene, the worm and the mine in any of their animation
// frames, leaving out where the chickens may be after `moves` steps of at most 2 pixels.
async function expectScene(moves, { wormX = 50, mineAt, sign = false, miinat = 28 }) {
  const shot = await page.evaluate(() =>
    Array.from(document.getElementById('game').getContext('2d').getImageData(0, 0, 640, 480).data));
  const chickens = (x, y) => x >= 250 - 2 * moves && y >= 90 - 2 * moves && y < 160 + 2 * moves;
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
  assert.fail(`no animation frame matches; first strays: ${strays.join('; ')}`);
}

let server, browser, page;

// Runs the held loop for `count` passes more; keys pressed meanwhile wait for the first.
async function run(count) {
  await page.evaluate((count) => { window.holdAt = Module._PassCount() + count; Module.resumeMainLoop(); }, count);
  await page.waitForFunction(() => Module._PassCount() >= window.holdAt);
}

// Presses and releases a key, then runs one pass.
async function press(key) {
  await page.keyboard.press(key);
  await run(1);
}

before(async () => {
  server = spawn('python3', ['-u', '-m', 'http.server', '0', '--bind', '127.0.0.1', '--directory', ROOT]);
  const port = await new Promise((resolve) => server.stdout.once('data', (line) => resolve(/port (\d+)/.exec(line)[1])));
  const args = process.getuid() === 0 ? ['--no-sandbox'] : [];
  browser = await puppeteer.launch({ executablePath: '/usr/bin/chromium-headless-shell', args });
  page = await browser.newPage();
  // Holds the loop once it has made holdAt passes: checked every display frame, as passes run.
  await page.evaluateOnNewDocument(() => {
    window.holdAt = 1;
    const hold = () => {
      if (window.Module && Module.calledRun && Module._PassCount() >= window.holdAt) Module.pauseMainLoop();
      requestAnimationFrame(hold);
    };
    requestAnimationFrame(hold);
  });
  await page.goto(`http://127.0.0.1:${port}/build-web/index.html`);
  await page.waitForFunction(() => window.Module && Module.calledRun && Module._PassCount() >= 1);
});

after(async () => { await browser?.close(); server?.kill(); });

test('the first frame shows the meadow, the worm at (50, 320) and the score line; the canvas has the keys', async () => {
  assert.equal(await page.evaluate(() => document.activeElement.id), 'game');
  await expectScene(1, {});
});

test('ArrowRight held moves the worm one pixel a pass', async () => {
  await page.keyboard.down('ArrowRight');
  await run(10);
  await page.keyboard.up('ArrowRight');
  await run(1);
  await expectScene(12, { wormX: 60 });
});

test('Space lays a mine in front of the worm and "Miinat" falls to 27', async () => {
  await press('Space');
  await expectScene(13, { wormX: 60, mineAt: [95, 350], miinat: 27 });
});

test('Esc shows the sign over a standing world; Enter starts a new game', async () => {
  await press('Escape');
  await expectScene(13, { wormX: 60, mineAt: [95, 350], miinat: 27, sign: true });
  await press('Enter');
  await expectScene(1, {});
});

test('Esc on a finished game ends it and the page offers another', async () => {
  await press('Escape');
  await press('Escape');
  await page.waitForSelector('#again:not([hidden])');
  assert.equal(await page.$eval('#status', (line) => line.textContent), 'The game has ended.');
});
