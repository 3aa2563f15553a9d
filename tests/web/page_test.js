// page_test.js -- the game as a web page in real headless Chromium: its pictures against the
// replay runner's, the scale, keys, pause, sound, recordings saved, linked and watched, and bad
// input giving one line
//
// node page_test.js SITE REPLAY DATA_ROOT: SITE is build/web/site, REPLAY driftwing-replay,
// DATA_ROOT the folder whose data/ the runner reads. Each row says what broke.
'use strict';
const assert = require('assert');
const {spawnSync} = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const zlib = require('zlib');
const {serve, launch} = require('../../web/chromium.js');

const [site, replay, dataRoot] = process.argv.slice(2).map((p) => path.resolve(p));
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'driftwing-page-'));
const watchKeys = fs.readFileSync(path.join(__dirname, '../../docs/watch.keys'), 'utf8');
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
const link = (text) => 'r=' + zlib.deflateRawSync(text).toString('base64url');

// driftwing-replay on TEXT: its exit code and standard error.
function runner(text, ...args) {
  fs.writeFileSync(path.join(work, 'run.keys'), text);
  const run = spawnSync(replay, ['--data', dataRoot, ...args, path.join(work, 'run.keys')]);
  return {status: run.status, error: run.stderr.toString().trim()};
}

// Frames N of the title as driftwing-replay draws them: RGBA from its 8-bit BMPs.
function titleShots(frames) {
  const file = (n) => path.join(work, `title${n}.bmp`);
  runner(`${Math.max(...frames)} -\n`, ...frames.flatMap((n) => ['--shot', `${n}:${file(n)}`]));
  return Object.fromEntries(frames.map((n) => {
    const bmp = fs.readFileSync(file(n)), offset = bmp.readUInt32LE(10), palette = 14 + bmp.readUInt32LE(14);
    const rgba = Buffer.alloc(320 * 300 * 4);
    for (let i = 0; i < 320 * 300; ++i) {
      const entry = palette + 4 * bmp[offset + (299 - Math.floor(i / 320)) * 320 + i % 320];
      rgba.set([bmp[entry + 2], bmp[entry + 1], bmp[entry], 255], 4 * i);
    }
    return [n, rgba];
  }));
}

// A new page on URL at VIEWPORT (BEFORE runs in it before its scripts); resolves once the game
// has shown two frames or the page's line says it cannot go on.
async function open(browser, url, viewport = {width: 800, height: 700}, before = () => {}) {
  const page = await browser.newPage();
  await page.setViewport(viewport);
  await page.evaluateOnNewDocument(before);
  await page.goto(url);
  await page.waitForFunction(() => (window.driftwing && window.driftwing.frames() >= 2) ||
                             /^(cannot|The game stopped)/.test(document.getElementById('line').textContent), {timeout: 20000});
  return page;
}

// What FN (given ARGS) reads in the page once it is WANT, or after five seconds.
async function settled(page, fn, want, ...args) {
  for (let i = 0; i < 50 && await page.evaluate(fn, ...args) !== want; ++i) await sleep(100);
  return page.evaluate(fn, ...args);
}
const line = (page) => page.$eval('#line', (e) => e.textContent);
async function lineBecomes(page, pattern) {
  await settled(page, (p) => new RegExp(p).test(document.getElementById('line').textContent), true, pattern.source);
  const now = await line(page);
  assert.match(now, pattern, `the page's line says '${now}'`);
  return now.match(pattern);
}

// The player's steps in order: 'down KEY', 'up KEY', 'press KEY', 'tap KEYS' (pressed and let
// go within one frame, in order), '#BUTTON' (clicked), or milliseconds waited.
async function steps(page, ...all) {
  for (const step of all) {
    const [verb, what] = String(step).split(' ');
    if (typeof step === 'number') await sleep(step);
    else if (verb === 'tap') await page.evaluate((codes) => codes.split(',').forEach((code) => ['keydown', 'keyup'].forEach((type) =>
      window.dispatchEvent(new KeyboardEvent(type, {code})))), what);
    else if (verb.startsWith('#')) await page.click(verb);
    else await page.keyboard[verb](what);
  }
}
const linked = async (page) => zlib.inflateRawSync(Buffer.from((await page.evaluate(() => location.hash)).slice(3), 'base64url')).toString();

// A file of NAME holding TEXT (or SIZE zero bytes) dropped on the page.
const drop = (page, name, text, size = 0) => page.evaluate((n, t, s) => {
  const files = new DataTransfer();
  files.items.add(new File([t === null ? new Uint8Array(s) : t], n));
  window.dispatchEvent(new DragEvent('drop', {dataTransfer: files, bubbles: true, cancelable: true}));
}, name, text, size);

// The level on each side of one of the page's sound buses (music or effects) over a fifth of
// a second: [left, right].
const loudness = (page, bus) => page.evaluate((name) => new Promise((resolve) => {
  const context = DW.audio.context, parts = context.createChannelSplitter(2), peaks = [0, 0];
  const sides = peaks.map((_, side) => parts.connect(context.createAnalyser(), side)), samples = new Float32Array(2048);
  DW.audio[name].connect(parts);
  const look = setInterval(() => sides.forEach((side, i) => {
    side.getFloatTimeDomainData(samples);
    peaks[i] = Math.max(peaks[i], ...samples.map(Math.abs));
  }), 20);
  setTimeout(() => { clearInterval(look); DW.audio[name].disconnect(parts); resolve(peaks); }, 200);
}), bus);

const rows = [
  ['title frames 1, 300 and 301 read back from the canvas equal driftwing-replay --shot: picture 2 first shows at frame 301', async ({browser, url}) => {
    const shots = titleShots([1, 300, 301]);
    assert.ok(!shots[300].equals(shots[301]), 'the runner shows title picture 2 at frame 301');
    const page = await open(browser, url, undefined, () => {
      window.seen = {};
      window.driftwingOnFrame = (n) => {
        if (n !== 1 && n !== 300 && n !== 301) return;
        const data = document.getElementById('frame').getContext('2d').getImageData(0, 0, 320, 300).data;
        let text = '';
        for (let i = 0; i < data.length; i += 0x8000) text += String.fromCharCode.apply(null, data.subarray(i, i + 0x8000));
        window.seen[n] = btoa(text);
      };
    });
    await page.waitForFunction(() => window.seen[301], {timeout: 15000});
    for (const [n, shown] of Object.entries(await page.evaluate(() => window.seen))) {
      const pixels = Buffer.from(shown, 'base64'), at = pixels.findIndex((v, i) => v !== shots[n][i]) >> 2;
      assert.ok(at < 0, `frame ${n}: pixel (${at % 320}, ${Math.floor(at / 320)}) is ${[...pixels.subarray(4 * at, 4 * at + 4)]}, ` +
                `the runner's ${[...shots[n].subarray(4 * at, 4 * at + 4)]}`);
    }
  }],
  ['the frame at the largest whole scale the window holds, the band below it where there is room', async ({browser, url}) => {
    const page = await open(browser, url, {width: 640, height: 700});
    for (const [width, height, scale, band] of [[640, 700, 2, 'block'], [639, 700, 1, 'block'], [1920, 1080, 3, 'block'],
                                                [960, 1000, 3, 'block'], [960, 920, 2, 'block'], [800, 640, 2, 'none'], [400, 300, 1, 'none']]) {
      await page.setViewport({width, height});
      const now = () => [window.driftwing.scale(), document.getElementById('frame').getBoundingClientRect().width,
                         getComputedStyle(document.getElementById('band')).display].join();
      assert.strictEqual(await settled(page, now, [scale, 320 * scale, band].join()), [scale, 320 * scale, band].join(),
                         `${width} x ${height}: scale, CSS width and band`);
    }
  }],
  ['keys tapped within one frame reach the game in order, however many: [ [ M mutes, M again plays at 80 % in the band', async ({browser, url}) => {
    const page = await open(browser, url);
    const gains = () => page.evaluate(() => [DW.audio.music.gain.value, DW.audio.effects.gain.value].map((v) => v.toFixed(2)).join());
    await steps(page, `tap ${Array(40).fill('KeyQ').join()},BracketLeft,BracketLeft,KeyM`, 200);
    assert.strictEqual(await gains(), '0.00,0.00', 'muted last');
    await steps(page, 'press KeyM', 200);
    assert.strictEqual(await gains(), '0.80,0.80', 'both steps down, then unmuted');
    assert.ok(await page.evaluate(() => document.getElementById('band').getContext('2d').getImageData(0, 0, 320, 15).data
      .some((v, i) => i % 4 === 0 && v > 0)), 'the volume line in the band');
  }],
  ['a game played by keys, shots heard: Save recording and Copy link while paused give one recording that driftwing-replay --verify passes with the state the page showed; F12 downloads the picture', async ({browser, url}) => {
    const page = await open(browser, url), folder = fs.mkdtempSync(path.join(work, 'downloads-'));
    await (await page.createCDPSession()).send('Browser.setDownloadBehavior', {behavior: 'allow', downloadPath: folder});
    await browser.defaultBrowserContext().overridePermissions(new URL(url).origin, ['clipboard-read', 'clipboard-write']);
    await steps(page, 'tap KeyS', 100, 'down ArrowLeft', 'down Space', 200);
    assert.ok(Math.max(...await loudness(page, 'effects')) > 0.01, 'the shots are heard');
    await steps(page, 'up Space', 'up ArrowLeft', 'press F12');
    const [, png] = await lineBecomes(page, /^saved a screenshot as (driftwing-\S+\.png)$/);
    await steps(page, 'press KeyP');
    assert.ok(await settled(page, () => {
      const box = document.getElementById('frame').getContext('2d').getImageData(112, 138, 96, 24).data;
      return box[0] + box[1] + box[2] === 0 && box.some((v, i) => i % 4 === 0 && v > 200);
    }, true), 'PAUSED shown');
    await steps(page, '#save');
    const [, name, frames, digest] = await lineBecomes(page, /^saved (driftwing-\S+\.keys): (\d+) frames, closing state ([0-9a-f]{16})$/);
    for (let i = 0; i < 50 && !(fs.existsSync(path.join(folder, name)) && fs.existsSync(path.join(folder, png))); ++i) await sleep(100);
    const text = fs.readFileSync(path.join(folder, name), 'utf8'), verified = runner(text, '--verify');
    assert.strictEqual(verified.status, 0, `driftwing-replay --verify: ${verified.error}`);
    assert.match(text, new RegExp(`\\n1 S\\n[^]*LEFT\\+SPACE[^]*# end frame ${frames} state ${digest}\\n$`), 'a tap of S, LEFT+SPACE, the closing state shown');
    await steps(page, '#link');
    await lineBecomes(page, /^link copied \(\d+ characters\)/);
    assert.strictEqual(await linked(page), text, 'the link holds the recording saved');
    assert.strictEqual(await page.evaluate(() => navigator.clipboard.readText()), await page.evaluate(() => location.href));
    assert.strictEqual(fs.readFileSync(path.join(folder, png)).readUInt32BE(16), 640, 'a PNG at scale 2');
  }],
  ['two sounds at once keep their own sides: one at the far left and one at the far right, each side hears one', async ({browser, url}) => {
    const page = await open(browser, url);
    await steps(page, 'press KeyQ', 100);  // the page may make sound from the first key on
    await page.evaluate(() => {
      const at = _malloc(22050);
      HEAPU8.fill(255, at, at + 22050);  // a second at the loudest
      for (const pan of [0, 255]) _dw_sample(at, 8, 0, 22050, 22050, 255, pan, 1000, 0);
    });
    const [left, right] = await loudness(page, 'effects'), one = await page.evaluate(() => 127 / 128 * DW.audio.effects.gain.value);
    assert.ok(Math.abs(left - one) < 0.02 && Math.abs(right - one) < 0.02, `left ${left}, right ${right}: not one sound, ${one}, each`);
  }],
  ['F11 fullscreen and back; another tab in front pauses the game, its music held, and lets go of the keys held; P goes on', async ({browser, url}) => {
    const page = await open(browser, url);
    for (const wanted of ['game', null]) {
      await steps(page, 'press F11');
      assert.strictEqual(await settled(page, () => document.fullscreenElement && document.fullscreenElement.id, wanted), wanted, 'F11');
    }
    await steps(page, 'press KeyS', 'down ArrowLeft', 300);
    await (await browser.newPage()).bringToFront();
    await sleep(300);
    await page.bringToFront();
    const saved = async () => Number((await steps(page, '#save').then(() => lineBecomes(page, /^saved \S+: (\d+) frames/)))[1]);
    const paused = await saved();
    assert.deepStrictEqual(await loudness(page, 'music'), [0, 0], 'the music held');
    assert.strictEqual(await saved(), paused, 'no frame passes while paused');
    await steps(page, 'press KeyP');
    assert.ok(Math.max(...await loudness(page, 'music')) > 0.01, 'P: the music goes on');
    await steps(page, '#link');
    await lineBecomes(page, /^link/);
    assert.match(await linked(page), /\n\d+ LEFT\n\d+ -\n# end frame/, 'LEFT let go at the pause, though its key is still down');
  }],
  ['a Linux recording opened as a link is watched to "verified" with the closing state driftwing-replay passes; its link is at most 500 characters', async ({browser, url}) => {
    assert.strictEqual(runner(watchKeys, '--verify').status, 0, 'driftwing-replay --verify docs/watch.keys');
    const [, frames, digest] = watchKeys.match(/# end frame (\d+) state ([0-9a-f]{16})\n$/);
    const page = await open(browser, url + '#' + link(watchKeys));
    await lineBecomes(page, /^watching the link/);
    await steps(page, '#link');
    const [, size] = await lineBecomes(page, /^link (?:copied|in the address bar) \((\d+) characters\)/);
    assert.ok(Number(size) <= 500, `the page's link of docs/watch.keys is ${size} characters`);
    await steps(page, 'press End', 200, 'press KeyP');  // the music held tick after tick, then let go
    await lineBecomes(page, new RegExp(`^verified: ${frames} frames, closing state ${digest}$`));
  }],
  ['a changed recording dropped on the page shows the line driftwing-replay prints, with its frame', async ({browser, url}) => {
    const changed = watchKeys.replace(/\n(\d+) LEFT\+/, '\n$1 RIGHT+'), verified = runner(changed, '--verify');
    assert.match(verified.error, /^driftwing-replay: this recording played out differently: frame \d+ of /);
    const page = await open(browser, url);
    await drop(page, 'changed.keys', changed);
    await lineBecomes(page, /^watching changed\.keys/);
    await steps(page, 'press End');
    await lineBecomes(page, /^this recording played out/);
    assert.strictEqual(await line(page), verified.error.replace(/^driftwing-replay: /, ''));
  }],
];

// Links, dropped files and data the page cannot use: one line each, and the page goes on.
const header = watchKeys.split('\n')[0] + '\n';
const badInput = [
  ['a damaged link', {hash: 'r=' + Buffer.from([0xff, 0xfe, 0x00, 0x12, 0x34]).toString('base64url')}, /^cannot play the link: it is damaged or cut short$/],
  ['a cut link', {hash: link(watchKeys).slice(0, 80)}, /^cannot play the link: it is damaged or cut short$/],
  ['a link that is no base64url', {hash: 'r=ab*cd'}, /^cannot play the link: it is damaged \(not base64url\)$/],
  ['a link over 100000 characters', {hash: 'r=' + 'A'.repeat(100001)}, /^cannot play the link: it is over 100000 characters$/],
  ['a link with an unknown key name', {hash: link(header + '60 -\n5 JUMP\n')}, /^cannot play the link: line 3: unknown key 'JUMP'$/],
  ['a dropped file that is no recording', {drop: ['picture.png', '\x89PNG\r\n']}, /^cannot play picture\.png: line 1: frame count '.*' is not a whole number of frames$/],
  ['a dropped file over 64 MiB', {drop: ['big.keys', null, 64 * 1024 * 1024 + 1]}, /^cannot play big\.keys: it is over 64 MiB$/],
  ['a missing picture', {change: (name, bytes) => name === '/data/main2.bmp' ? null : bytes}, /^cannot load data\/main2\.bmp$/],
  ['a sound that is no WAV', {change: (name, bytes) => name === '/data/gmsong.wav' ? Buffer.from('<html>') : bytes}, /^cannot load data\/gmsong\.wav$/],
  ['no program', {change: (name, bytes) => name === '/driftwing.wasm' ? null : bytes}, /^The game stopped: driftwing\.wasm could not be loaded$/],
];
for (const [name, input, says] of badInput) {
  rows.push([`bad input: ${name} gives one line, the page usable`, async ({browser, url}) => {
    const page = await open(browser, (input.change ? (await serve(site, {change: input.change})).url : url) +
                             (input.hash ? '#' + input.hash : ''));
    if (input.drop) await drop(page, ...input.drop);
    await lineBecomes(page, says);
    assert.ok(await page.$eval('#save', (b) => b.offsetWidth > 0 && !b.disabled), 'the page\'s buttons are there');
    const frames = () => page.evaluate(() => window.driftwing.frames()), before = await frames();
    assert.ok(input.change || await sleep(100).then(frames) > before, 'the title goes on');
  }]);
}

(async () => {
  const {url, server} = await serve(site), browser = await launch();
  let failed = 0;
  for (const [name, run] of rows) {
    const error = await run({browser, url}).then(() => null, (e) => e.message.split('\n')[0]);
    failed += error !== null;
    console.log(error === null ? `ok: ${name}` : `FAILED: ${name}: ${error}`);
    for (const page of await browser.pages()) if (page.url() !== 'about:blank') await page.close();
  }
  await browser.close().then(() => server.close());
  fs.rmSync(work, {recursive: true, force: true});
  console.log(`${rows.length - failed} passed, ${failed} failed`);
  process.exit(failed ? 1 : 0);
})();
