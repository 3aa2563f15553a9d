// page_test.js -- the web page in real headless Chromium: Allegro's pixels in the canvas, the
// scale, keys, downloads, links, dropped files, sound, and bad input giving one line
//
// node page_test.js SITE REPLAY DATA_ROOT: SITE is build/web/site, REPLAY driftwing-replay,
// DATA_ROOT the folder whose data/ the runner reads. Each row says what broke.
'use strict';
const assert = require('assert');
const {execFileSync} = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const zlib = require('zlib');
const {serve, launch} = require('../../web/chromium.js');

const [site, replay, dataRoot] = process.argv.slice(2).map((p) => path.resolve(p));
const KEY = {S: 19, F12: 58, OPENBRACE: 65, ENTER: 67, SPACE: 75, LEFT: 82, ALT: 119};
const largest = 65536;  // bytes a link or a dropped file may hold (web/demo.cpp)
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'driftwing-page-'));
const b64url = (bytes) => Buffer.from(bytes).toString('base64url');

// Title frame 1 as driftwing-replay draws it, RGBA from its 8-bit BMP and palette.
function titleShot() {
  const file = path.join(work, 'title1.bmp');
  execFileSync(replay, ['--data', dataRoot, '--shot', `1:${file}`, '-'], {input: '1 -\n'});
  const bmp = fs.readFileSync(file);
  const offset = bmp.readUInt32LE(10), info = bmp.readUInt32LE(14);
  const width = bmp.readInt32LE(18), height = bmp.readInt32LE(22);
  const rgba = Buffer.alloc(width * height * 4);
  for (let y = 0; y < height; ++y) {
    for (let x = 0; x < width; ++x) {
      const index = bmp[offset + (height - 1 - y) * ((width + 3) & ~3) + x], entry = 14 + info + 4 * index;
      rgba.set([bmp[entry + 2], bmp[entry + 1], bmp[entry], 255], (y * width + x) * 4);
    }
  }
  return {width, height, rgba};
}

// A new page on URL at VIEWPORT with its console kept; resolves once the game has shown
// two frames, or once the page's line says something (a page that never starts is the
// fault this wait's limit catches).
async function open(browser, url, viewport = {width: 800, height: 700}) {
  const page = await browser.newPage();
  page.lines = [];
  page.on('console', (message) => page.lines.push(message.text()));
  await page.setViewport(viewport);
  await page.goto(url);
  await page.waitForFunction(() => (window.driftwing && window.driftwing.frames() >= 2) ||
                             !/^(Loading…)?$/.test(document.getElementById('line').textContent),
                             {timeout: 20000});
  return page;
}

const line = (page) => page.$eval('#line', (e) => e.textContent);
async function lineBecomes(page, pattern) {
  await page.waitForFunction((p) => new RegExp(p).test(document.getElementById('line').textContent),
                             {timeout: 10000}, pattern.source).catch(() => {});
  const now = await line(page);
  assert.match(now, pattern, `the page's line says '${now}'`);
}

// The keys the demo logged ("FRAME down|up KEY [alt]"): the frame, kind and key of each.
function keysOf(text) {
  return text.trim().split('\n').filter(Boolean).map((l) => l.replace(/^key /, '').split(' '))
    .map(([frame, kind, key, alt]) => ({frame: Number(frame), kind, key: Number(key), alt: alt === 'alt'}));
}

// Waits for a file to land in FOLDER (no partial download left), returns its text.
async function download(folder, name) {
  const file = path.join(folder, name);
  for (let i = 0; i < 100 && !fs.existsSync(file); ++i) await new Promise((r) => setTimeout(r, 100));
  assert.ok(fs.existsSync(file), `no ${name} was downloaded`);
  return fs.readFileSync(file, 'utf8');
}

// The level on one of the page's sound buses (music or effects) over a fifth of a second.
function loudness(page, bus) {
  return page.evaluate((name) => new Promise((resolve) => {
    const context = DW.audio.context, analyser = context.createAnalyser();
    DW.audio[name].connect(analyser);
    const samples = new Float32Array(analyser.fftSize);
    let peak = 0;
    const look = setInterval(() => {
      analyser.getFloatTimeDomainData(samples);
      samples.forEach((v) => { peak = Math.max(peak, Math.abs(v)); });
    }, 20);
    setTimeout(() => { clearInterval(look); DW.audio[name].disconnect(analyser); resolve(peak); }, 200);
  }), bus);
}

const rows = [
  ['title frame 1 drawn by Allegro equals driftwing-replay --shot 1, pixel for pixel', async ({browser, url}) => {
    const shot = titleShot(), page = await open(browser, url);
    const shown = Buffer.from(await page.evaluate(() => {
      const data = document.getElementById('frame').getContext('2d').getImageData(0, 0, 320, 300).data;
      let text = '';
      for (let i = 0; i < data.length; i += 0x8000) text += String.fromCharCode.apply(null, data.subarray(i, i + 0x8000));
      return btoa(text);
    }), 'base64');
    const at = shown.findIndex((v, i) => v !== shot.rgba[i]);
    assert.ok(at < 0, `pixel (${(at >> 2) % 320}, ${Math.floor((at >> 2) / 320)}) is ` +
              `${[...shown.subarray(at & ~3, (at & ~3) + 4)]}, the runner's ${[...shot.rgba.subarray(at & ~3, (at & ~3) + 4)]}`);
  }],
  ['the frame at the largest whole scale the window holds, as the window changes', async ({browser, url}) => {
    const page = await open(browser, url, {width: 640, height: 700});
    for (const [width, height, scale] of [[640, 700, 2], [639, 700, 1], [1920, 1080, 3], [960, 1000, 3],
                                          [960, 920, 2], [400, 300, 1]]) {
      await page.setViewport({width, height});
      await page.waitForFunction((s) => window.driftwing.scale() === s, {timeout: 2000}, scale).catch(() => {});
      const shown = await page.evaluate(() => [window.driftwing.scale(), document.getElementById('frame').getBoundingClientRect().width]);
      assert.deepStrictEqual(shown, [scale, 320 * scale], `${width} x ${height}: scale and CSS width`);
    }
  }],
  ['keys down and up within one frame reach the game as both events, in order, however many', async ({browser, url}) => {
    const page = await open(browser, url);
    const codes = [...'ABCDEFGHIJKLMNOPQRSTUVWXYZ'].map((c) => 'Key' + c).concat([...'0123456789'].map((d) => 'Digit' + d));
    await page.evaluate((all) => all.forEach((code) => ['keydown', 'keyup'].forEach((type) =>
      window.dispatchEvent(new KeyboardEvent(type, {code, bubbles: true})))), codes);
    const seen = () => keysOf(page.lines.filter((l) => l.startsWith('key')).join('\n'));
    for (let i = 0; i < 40 && seen().length < 2 * codes.length; ++i) await new Promise((r) => setTimeout(r, 50));
    const keys = seen();
    // KEY_A..KEY_Z are 1..26 and KEY_0..KEY_9 27..36.
    assert.deepStrictEqual(keys.map((k) => [k.kind, k.key]),
                           codes.flatMap((c, i) => [['down', i + 1], ['up', i + 1]]));
    assert.strictEqual(keys[0].frame, keys[1].frame, 'a tap within one frame');
  }],
  ['keys in order, Save recording downloads them, Copy link puts them in the address', async ({browser, url}) => {
    const page = await open(browser, url), folder = fs.mkdtempSync(path.join(work, 'downloads-'));
    const cdp = await page.createCDPSession();
    await cdp.send('Browser.setDownloadBehavior', {behavior: 'allow', downloadPath: folder});
    await browser.defaultBrowserContext().overridePermissions(url.replace(/\/$/, ''), ['clipboard-read', 'clipboard-write']);
    for (const key of ['ArrowLeft', 'BracketLeft', 'KeyS', 'F12']) await page.keyboard.press(key);
    await page.keyboard.down('AltLeft');
    await page.keyboard.press('Enter');
    await page.keyboard.up('AltLeft');
    await page.click('#save');
    const saved = await download(folder, 'demo.keys');
    assert.deepStrictEqual(keysOf(saved).map((k) => [k.kind, k.key, k.alt]),
      [KEY.LEFT, KEY.OPENBRACE, KEY.S, KEY.F12].flatMap((k) => [['down', k, false], ['up', k, false]])
        .concat([['down', KEY.ALT, true], ['down', KEY.ENTER, true], ['up', KEY.ENTER, false], ['up', KEY.ALT, false]]));
    await page.click('#link');
    await lineBecomes(page, /^link (copied|in the address)$/);
    const hash = await page.evaluate(() => location.hash);
    assert.match(hash, /^#r=[A-Za-z0-9_-]+$/, 'base64url without padding');
    assert.strictEqual(zlib.inflateRawSync(Buffer.from(hash.slice(3), 'base64url')).toString(), saved);
    assert.strictEqual(await page.evaluate(() => navigator.clipboard.readText()), hash.slice(3));
  }],
  ['F11 puts the game\'s area in fullscreen and back; another tab in front lets go of the keys held, then loses the focus once', async ({browser, url}) => {
    const page = await open(browser, url);
    const fullscreen = () => page.evaluate(() => document.fullscreenElement && document.fullscreenElement.id);
    await page.keyboard.press('F11');
    await page.waitForFunction(() => document.fullscreenElement, {timeout: 3000}).catch(() => {});
    assert.strictEqual(await fullscreen(), 'game', 'F11: fullscreen');
    await page.keyboard.press('F11');
    await page.waitForFunction(() => !document.fullscreenElement, {timeout: 3000}).catch(() => {});
    assert.strictEqual(await fullscreen(), null, 'F11 again: back');
    await page.keyboard.down('ArrowLeft');
    await (await browser.newPage()).bringToFront();
    for (let i = 0; i < 20 && !page.lines.some((l) => / focus /.test(l)); ++i) await new Promise((r) => setTimeout(r, 50));
    await page.bringToFront();
    await page.keyboard.up('ArrowLeft');
    await page.keyboard.press('KeyA');
    for (let i = 0; i < 20 && !page.lines.some((l) => / up 1$/.test(l)); ++i) await new Promise((r) => setTimeout(r, 50));
    const after = keysOf(page.lines.filter((l) => l.startsWith('key')).join('\n')).filter((k) => k.key !== 57);
    assert.deepStrictEqual(after.map((k) => [k.kind, k.key]),
      [['down', KEY.LEFT], ['up', KEY.LEFT], ['focus', 0], ['down', 1], ['up', 1]],
      'a key held is let go, then one FocusLost');
  }],
  ['the band below the frame where the window has room for it', async ({browser, url}) => {
    const page = await open(browser, url, {width: 800, height: 700});
    await page.keyboard.press('KeyA');
    const band = () => page.evaluate(() => {
      const canvas = document.getElementById('band'), data = canvas.getContext('2d').getImageData(0, 0, 320, 15).data;
      return [getComputedStyle(canvas).display, data.filter((v, i) => i % 4 === 0 && v > 0).length > 0];
    });
    await page.waitForFunction(() => window.driftwing.frames() > 10);
    assert.deepStrictEqual(await band(), ['block', true], 'room for it: the band shows its text');
    await page.setViewport({width: 800, height: 640});
    await page.waitForFunction(() => getComputedStyle(document.getElementById('band')).display === 'none',
                               {timeout: 2000}).catch(() => {});
    assert.deepStrictEqual((await band())[0], 'none', 'no room: no band');
  }],
  ['Space plays the shot over the music; P holds the music and lets it go on', async ({browser, url}) => {
    const page = await open(browser, url);
    await page.keyboard.press('KeyA');  // the first key lets the page make sound
    await page.waitForFunction(() => DW.audio.context.state === 'running', {timeout: 5000});
    assert.ok(await loudness(page, 'music') > 0.01, 'the music plays');
    const shot = loudness(page, 'effects');
    await page.keyboard.press('Space');
    assert.ok(await shot > 0.01, 'the shot is heard');
    await page.keyboard.press('KeyP');
    await new Promise((r) => setTimeout(r, 100));
    assert.strictEqual(await loudness(page, 'music'), 0, 'P holds the music');
    await page.keyboard.press('KeyP');
    assert.ok(await loudness(page, 'music') > 0.01, 'P again lets it go on');
  }],
];

// Links, dropped files and data the page cannot use: one line each, and the page goes on.
const long = Buffer.from('60 LEFT+SPACE\n'.repeat(400));
const badInput = [
  ['a link', {hash: 'r=' + b64url(zlib.deflateRawSync('12 LEFT\n30 -\n'))}, /^link: 13 bytes$/],
  ['a damaged link', {hash: 'r=' + b64url([0xff, 0xfe, 0x00, 0x12, 0x34])}, /^link: damaged or cut$/],
  ['a cut link', {hash: 'r=' + b64url(zlib.deflateRawSync(long).subarray(0, 20))}, /^link: damaged or cut$/],
  ['a link that is no base64url', {hash: 'r=ab*cd'}, /^link: not base64url$/],
  ['a link of the largest size', {hash: 'r=' + b64url(zlib.deflateRawSync(Buffer.alloc(largest)))}, /^link: 65536 bytes$/],
  ['a link over the size', {hash: 'r=' + b64url(zlib.deflateRawSync(Buffer.alloc(largest + 1)))}, /^link: over 65536 bytes$/],
  ['a dropped file', {drop: 1000}, /^dropped game\.keys: 1000 bytes$/],
  ['a dropped file over the size', {drop: largest + 10}, /^dropped game\.keys: over 65536 bytes$/],
  ['a missing picture', {change: (name, bytes) => name === '/data/main2.bmp' ? null : bytes}, /^cannot load data\/main2\.bmp$/],
  ['a sound that is no WAV', {change: (name, bytes) => name === '/data/gmsong.wav' ? Buffer.from('<html>') : bytes}, /^cannot load data\/gmsong\.wav$/],
  ['a picture that is no BMP', {change: (name, bytes) => name === '/data/back.bmp' ? Buffer.from('<html>') : bytes}, /^cannot load data\/back\.bmp$/],
  ['no program', {change: (name, bytes) => name === '/driftwing.wasm' ? null : bytes}, /^The game stopped: driftwing\.wasm could not be loaded$/],
];
for (const [name, input, says] of badInput) {
  rows.push([`bad input: ${name} gives one line, the page usable`, async ({browser, url}) => {
    let address = url;
    if (input.change) address = (await serve(site, {change: input.change})).url;
    const page = await open(browser, address + (input.hash ? '#' + input.hash : ''));
    if (input.drop) {
      await page.evaluate((size) => {
        const files = new DataTransfer();
        files.items.add(new File([new Uint8Array(size)], 'game.keys'));
        window.dispatchEvent(new DragEvent('drop', {dataTransfer: files, bubbles: true, cancelable: true}));
      }, input.drop);
    }
    await lineBecomes(page, says);
    assert.ok(await page.$eval('#save', (b) => b.offsetWidth > 0 && !b.disabled), 'the page\'s buttons are there');
  }]);
}

(async () => {
  const {url, server} = await serve(site);
  const browser = await launch();
  let passed = 0, failed = 0;
  for (const [name, run] of rows) {
    try {
      await run({browser, url});
      passed += 1;
      console.log(`ok: ${name}`);
    } catch (error) {
      failed += 1;
      console.log(`FAILED: ${name}: ${error.message.split('\n')[0]}`);
    }
    for (const page of await browser.pages()) if (page.url() !== 'about:blank') await page.close();
  }
  await browser.close();
  server.close();
  fs.rmSync(work, {recursive: true, force: true});
  console.log(`${passed} passed, ${failed} failed`);
  process.exit(failed ? 1 : 0);
})();
