// web_bench.js -- the web page's costs in headless Chromium: navigation to the first picture
// with a cold cache, the bytes it loads, each frame's work in a game (from the pace's return to
// the picture's present) and the intervals between frames
//
// Usage: node bench/web_bench.js [SITE] [RUNS]   (SITE: build/web/site, made by scripts/web;
// RUNS: cold starts timed, default 7, the median reported). Targets: first picture within
// 1 s, at most 1.5 MB gzipped, frame work within 1 ms at p99, intervals at p99 within 2 ms
// of 16.667 ms. The frames are timed on a page served cross-origin isolated, whose clock
// counts in 5 µs steps (in 100 µs steps, a frame's work reads as 0.2 or 0.3 ms).
'use strict';
const os = require('os');
const path = require('path');
const {serve, launch} = require('../web/chromium.js');

const site = path.resolve(process.argv[2] || path.join(__dirname, '../build/web/site'));
const runs = Number(process.argv[3] || 7);
const sorted = (values) => values.slice().sort((a, b) => a - b);
const at = (values, fraction) => sorted(values)[Math.min(values.length - 1, Math.floor(fraction * values.length))];
const ms = (v) => v.toFixed(3) + ' ms';

// Loads the page in a new browser (an empty profile: nothing cached) and waits for its
// first frame; the milliseconds from navigation start to it, and the page left open.
async function coldStart(url) {
  const browser = await launch();
  const page = await browser.newPage();
  await page.setViewport({width: 1280, height: 800});
  await page.goto(url);
  await page.waitForFunction(() => window.driftwing && window.driftwing.frames() > 0, {timeout: 30000});
  return {browser, page, first: await page.evaluate(() => window.driftwing.firstFrame())};
}

(async () => {
  const plain = await serve(site), gzip = await serve(site, {gzip: true}), isolated = await serve(site, {isolated: true});
  const firsts = [];
  for (let i = 0; i < runs; ++i) {
    const {browser, first} = await coldStart(i % 2 ? gzip.url : plain.url);
    firsts.push(first);
    await browser.close();
  }
  console.log(`first picture, cold cache: median ${ms(at(firsts, 0.5))} of ${runs} ` +
              `(${sorted(firsts).map((v) => v.toFixed(0)).join(', ')})`);
  const loads = Math.ceil(runs / 2), gzipLoads = Math.floor(runs / 2);
  console.log(`bytes loaded: ${(plain.sent.bytes / loads / 1e6).toFixed(3)} MB as served ` +
              `(${plain.sent.files / loads} files), ${(gzip.sent.bytes / gzipLoads / 1e6).toFixed(3)} MB gzipped`);

  // 600 frames of a game in progress (S, then Space held: the ship fires all the while),
  // after its first second.
  const {browser, page} = await coldStart(isolated.url);
  await page.keyboard.press('KeyS');
  await page.keyboard.down('Space');
  await new Promise((resolve) => setTimeout(resolve, 11000));
  const times = await page.evaluate(() => ({...window.driftwing.frameTimes(600), isolated: self.crossOriginIsolated}));
  await browser.close();
  const off = times.intervals.map((v) => Math.abs(v - 1000 / 60));
  console.log(`clock: ${times.isolated ? '5 µs steps (cross-origin isolated)' : '100 µs steps (not isolated)'}`);
  console.log(`frame work over ${times.work.length} frames: median ${ms(at(times.work, 0.5))}, ` +
              `p99 ${ms(at(times.work, 0.99))}, most ${ms(at(times.work, 1))}`);
  console.log(`frame intervals: median ${ms(at(times.intervals, 0.5))}, p1 ${ms(at(times.intervals, 0.01))}, ` +
              `p99 ${ms(at(times.intervals, 0.99))}; off 16.667 ms by p99 ${ms(at(off, 0.99))}, most ${ms(at(off, 1))}`);
  console.log(`load average ${os.loadavg().map((v) => v.toFixed(2)).join(', ')} (1, 5, 15 minutes)`);
  for (const served of [plain, gzip, isolated]) served.server.close();
})();
