import { spawn } from 'node:child_process';
import puppeteer from 'puppeteer-core';
const ROOT = new URL('../../../', import.meta.url).pathname;
const server = spawn('python3', ['-u', '-m', 'http.server', '0', '--bind', '127.0.0.1', '--directory', ROOT]);
const port = await new Promise((r) => server.stdout.once('data', (l) => r(/port (\d+)/.exec(l)[1])));
const browser = await puppeteer.launch({ executablePath: '/usr/bin/chromium-headless-shell', args: ['--no-sandbox'] });
for (const [name, vp] of [['portrait', { width: 390, height: 844, hasTouch: true, isMobile: true, deviceScaleFactor: 1 }], ['landscape', { width: 844, height: 390, hasTouch: true, isMobile: true, deviceScaleFactor: 1 }]]) {
  const p = await browser.newPage();
  await p.setViewport(vp);
  await p.goto(`http://127.0.0.1:${port}/build-web/index.html`);
  await p.waitForFunction(() => window.Module && Module.calledRun && Module._PassCount() > 30);
  await p.screenshot({ path: `/tmp/phone-${name}.png` });
  console.log(name, JSON.stringify(await p.$$eval('#game, #pad, #actions, main > p', (all) => all.map((b) => { const r = b.getBoundingClientRect(); return [b.id || b.tagName, Math.round(r.x), Math.round(r.y), Math.round(r.width), Math.round(r.height)]; }))));
  await p.close();
}
await browser.close(); server.kill();
