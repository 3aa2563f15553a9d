// chromium.js -- the page served on this machine and opened in Debian's Chromium, headless
//
// Shared by the page's tests (tests/web/) and benchmarks (bench/web_bench.js).
'use strict';
const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');
const zlib = require('zlib');
const puppeteer = require(require.resolve('puppeteer-core', {paths: [__dirname]}));

const types = {'.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
               '.bmp': 'image/bmp', '.wav': 'audio/wav'};

// Serves the folder SITE on 127.0.0.1 at a free port, as a static host would: gzipped when
// the browser asks for it and GZIP is true; cross-origin isolated when ISOLATED is true (the
// page's clock then counts in 5 µs steps, not 100). CHANGE(name, bytes) may answer a file
// otherwise (null: 404). Resolves to {url, server, sent}: sent counts the bytes put on the
// wire.
function serve(site, options = {}) {
  const sent = {bytes: 0, files: 0};
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://x').pathname).replace(/^\/$/, '/index.html');
    const file = path.join(site, path.normalize(name));
    let bytes = file.startsWith(site) && fs.existsSync(file) && fs.statSync(file).isFile() ? fs.readFileSync(file) : null;
    if (options.change) bytes = options.change(name, bytes);
    if (!bytes) {
      response.writeHead(404);
      response.end();
      return;
    }
    const headers = {'Content-Type': types[path.extname(name)] || 'application/octet-stream',
                     'Cache-Control': 'no-cache'};
    if (options.isolated) {
      headers['Cross-Origin-Opener-Policy'] = 'same-origin';
      headers['Cross-Origin-Embedder-Policy'] = 'require-corp';
    }
    if (options.gzip && /\bgzip\b/.test(request.headers['accept-encoding'] || '')) {
      bytes = zlib.gzipSync(bytes, {level: 9});
      headers['Content-Encoding'] = 'gzip';
    }
    sent.bytes += bytes.length;
    sent.files += 1;
    response.writeHead(200, headers);
    response.end(bytes);
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () =>
    resolve({url: `http://127.0.0.1:${server.address().port}/`, server, sent})));
}

// Chromium as this machine runs it: no sandbox (root), no GPU, none of its own network
// traffic, a fresh profile (so a cold cache) that is removed on close.
async function launch() {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'driftwing-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync',
           `--user-data-dir=${profile}`],
  });
  const close = browser.close.bind(browser);
  browser.close = async () => {
    await close();
    fs.rmSync(profile, {recursive: true, force: true});
  };
  return browser;
}

module.exports = {serve, launch};
