// What the browser tests share: a server for the checkout, as a host serves a page, and headless Chromium
// opening the game with its loop held between the test's steps.
import { createServer } from 'node:http';
import { readFile } from 'node:fs/promises';
import { extname, join, normalize } from 'node:path';
import { gzipSync } from 'node:zlib';
import puppeteer from 'puppeteer-core';

export const ROOT = new URL('../../', import.meta.url).pathname;

const TYPES = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.json': 'application/json',
  '.wasm': 'application/wasm', '.png': 'image/png', '.bmp': 'image/bmp' };
// Hosts compress text and WebAssembly on the way.
const COMPRESSED = new Set(['.html', '.js', '.css', '.json', '.wasm']);

// Serves `server.root`, the checkout unless a test points it elsewhere, on a port of its own at `server.url`.
export async function serve() {
  const server = createServer(async (request, response) => {
    const path = join(server.root, normalize(decodeURIComponent(new URL(request.url, 'http://host').pathname)));
    try {
      const file = path.endsWith('/') ? path + 'index.html' : path;
      const headers = { 'content-type': TYPES[extname(file)] ?? 'application/octet-stream', 'cache-control': 'no-cache' };
      let body = await readFile(file);
      if (COMPRESSED.has(extname(file)) && /gzip/.test(request.headers['accept-encoding'])) {
        body = gzipSync(body);
        Object.assign(headers, { 'content-encoding': 'gzip', vary: 'accept-encoding' });
      }
      response.writeHead(200, headers).end(body);
    } catch {
      response.writeHead(404).end();
    }
  });
  server.root = ROOT;
  await new Promise((listening) => server.listen(0, '127.0.0.1', listening));
  server.url = `http://127.0.0.1:${server.address().port}/`;
  return server;
}

export function launch(executablePath = '/usr/bin/chromium-headless-shell') {
  const args = process.getuid() === 0 ? ['--no-sandbox'] : [];
  return puppeteer.launch({ executablePath, args });
}

// Opens `url` in a fresh page of `context` without the browser's HTTP cache, its loop held after the first pass;
// whatever it logs as an error or a warning, or fails to load, goes to `problems`. `network` holds the link's
// speed and latency to puppeteer's emulateNetworkConditions, as on a real connection; `watch` sees the page first.
export async function open(context, url, viewport, problems, network = null, watch = () => {}) {
  const opened = await context.newPage();
  watch(opened);
  opened.on('console', (message) => ['error', 'warn'].includes(message.type()) && problems.push(message.text()));
  opened.on('pageerror', (error) => problems.push(error.message));
  opened.on('response', (response) => response.status() >= 400 && problems.push(`${response.status()} ${response.url()}`));
  await opened.setViewport(viewport);
  await opened.setCacheEnabled(false);
  await opened.emulateNetworkConditions(network);
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
  await opened.goto(url);
  await opened.waitForFunction(() => window.firstFrameAt);
  return opened;
}
