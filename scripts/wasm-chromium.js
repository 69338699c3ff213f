#!/usr/bin/env node
// The WebAssembly build in headless Chromium (Debian's /usr/bin/chromium,
// driven by playwright-core from web/node_modules or NODE_PATH).
//
//   node scripts/wasm-chromium.js bench [ROUNDS] [DEPTH]
//     bench of the three tools natively (build/), under Node.js and in a
//     Chromium worker, alternating, ROUNDS times (default 3): node totals
//     must match; prints the median nps of each and the ratios.
//   node scripts/wasm-chromium.js client
//     the page's engine client in Chromium, cross-origin isolated and not:
//     time to the first uciok/readyok, "isready" and "stop" during a search,
//     a stop() that replaces the worker, a Hash the browser cannot give.
//
// WASM_BUILD and NATIVE_BUILD name the build folders (build-wasm, build).
'use strict';
const http = require('http');
const fs = require('fs');
const path = require('path');
const { execFileSync } = require('child_process');

const root = path.resolve(__dirname, '..');
const wasmBuild = path.resolve(process.env.WASM_BUILD || path.join(root, 'build-wasm'));
const nativeBuild = path.resolve(process.env.NATIVE_BUILD || path.join(root, 'build'));
const editions = ['vendrel', 'ostravine', 'fenna'];

function playwright() {
  try {
    return require(require.resolve('playwright-core', { paths: [path.join(root, 'web')] }));
  } catch (e) {
    return require('playwright-core');
  }
}

const benchWorker = `
self.onmessage = (e) => {
  const lines = [];
  self.Module = {
    arguments: e.data.arguments,
    print: (t) => lines.push(t),
    printErr: (t) => lines.push(t),
    onExit: () => postMessage(lines),
  };
  importScripts('tallomir-tool-' + e.data.edition + '.js');
};`;

const clientPage = `<!doctype html><meta charset="utf-8"><title>engine client</title>
<script type="module">
import { EngineClient } from '/client.js';
window.EngineClient = EngineClient;
window.ready = true;
</script>`;

// Serves the engine files under /engine/, the client, and a test page;
// with isolation headers unless the path starts with /plain/.
function serve() {
  const files = {
    '/engine/worker.js': path.join(root, 'web/public/engine/worker.js'),
    '/client.js': path.join(root, 'web/src/engine/client.js'),
  };
  for (const name of fs.readdirSync(wasmBuild)) {
    if (/^tallomir-.*\.(js|wasm)$/.test(name)) files['/engine/' + name] = path.join(wasmBuild, name);
  }
  const types = { '.js': 'text/javascript', '.wasm': 'application/wasm', '.html': 'text/html' };
  const server = http.createServer((req, res) => {
    let url = req.url.split('?')[0];
    const plain = url.startsWith('/plain/');
    if (plain) url = url.slice(6);
    const headers = plain ? {} : { 'Cross-Origin-Opener-Policy': 'same-origin', 'Cross-Origin-Embedder-Policy': 'require-corp' };
    let body = null;
    if (url === '/favicon.ico') body = '';
    else if (url === '/' || url === '/index.html') body = clientPage, url = '/index.html';
    else if (url === '/engine/bench-worker.js') body = benchWorker;
    else if (files[url]) body = fs.readFileSync(files[url]);
    if (body === null) {
      res.writeHead(404, headers);
      res.end();
      return;
    }
    res.writeHead(200, { ...headers, 'Content-Type': types[path.extname(url)] || 'application/octet-stream' });
    res.end(body);
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

function field(text, name) {
  const m = new RegExp('^' + name + ' (\\d+)', 'm').exec(text);
  return m ? Number(m[1]) : null;
}

function median(values) {
  const s = [...values].sort((a, b) => a - b);
  return s.length % 2 ? s[(s.length - 1) / 2] : (s[s.length / 2 - 1] + s[s.length / 2]) / 2;
}

async function bench(page, rounds, depth) {
  const args = depth ? ['bench', String(depth)] : ['bench'];
  let failed = false;
  for (const edition of editions) {
    const nps = { native: [], node: [], chromium: [] };
    let want = null;
    for (let r = 0; r < rounds; ++r) {
      const runs = {
        native: () => execFileSync(path.join(nativeBuild, 'tallomir-tool-' + edition), args).toString(),
        node: () => execFileSync('node', [path.join(wasmBuild, 'tallomir-tool-' + edition + '.js'), ...args]).toString(),
        chromium: () => page.evaluate(({ edition, args }) => new Promise((resolve) => {
          const w = new Worker('/engine/bench-worker.js');
          w.onmessage = (e) => { w.terminate(); resolve(e.data.join('\n')); };
          w.postMessage({ edition, arguments: args });
        }), { edition, args }),
      };
      for (const kind of ['native', 'node', 'chromium']) {
        const out = await runs[kind]();
        const nodes = field(out, 'nodes');
        if (want === null) want = nodes;
        if (nodes !== want || nodes === null) {
          console.log(`FAIL ${edition} ${kind}: nodes ${nodes}, native ${want}`);
          failed = true;
        }
        nps[kind].push(field(out, 'nps'));
      }
    }
    const m = Object.fromEntries(Object.entries(nps).map(([k, v]) => [k, median(v)]));
    console.log(`${edition}: nodes ${want}; median nps native ${m.native}, node ${m.node} (${(m.node / m.native).toFixed(2)}x), ` +
      `chromium ${m.chromium} (${(m.chromium / m.native).toFixed(2)}x)`);
  }
  return !failed;
}

// One conversation through the client; returns what it measured.
function conversation(page, prefix) {
  return page.evaluate(async (prefix) => {
    const out = [];
    let waiter = null;
    const errors = [];
    const wait = (re) => new Promise((resolve) => { waiter = { re, resolve }; });
    const onLine = (line) => {
      out.push(line);
      if (waiter && waiter.re.test(line)) { const w = waiter; waiter = null; w.resolve(performance.now()); }
    };
    const result = {};
    let t0 = performance.now();
    const engine = await window.EngineClient.start({ edition: 'vendrel', base: prefix + '/engine/', onLine, onError: (m) => errors.push(m) });
    result.isolated = engine.isolated;
    result.startMs = Math.round(performance.now() - t0);
    engine.send('uci');
    result.uciokMs = Math.round(await wait(/^uciok$/) - t0);
    engine.send('isready');
    result.readyokMs = Math.round(await wait(/^readyok$/) - t0);
    engine.send('position startpos moves e2e4');
    engine.send('go depth 6');
    result.depth6 = (await wait(/^bestmove/), out[out.length - 1]);
    engine.send('go infinite');
    await new Promise((r) => setTimeout(r, 1000));
    if (engine.isolated) {
      t0 = performance.now();
      engine.send('isready');
      result.isreadyDuringSearchMs = Math.round(await wait(/^readyok$/) - t0);
    }
    t0 = performance.now();
    await engine.stop();
    result.stopMs = Math.round(performance.now() - t0);
    result.afterStop = out[out.length - 1];
    engine.send('isready');
    await wait(/^readyok$/);
    engine.send('setoption name Hash value 1024');
    engine.send('isready');
    const answered = await Promise.race([wait(/^readyok$/).then(() => 'readyok'), new Promise((r) => setTimeout(() => r('no answer'), 10000))]);
    result.hash1024 = errors.length ? errors.join(' | ') : answered;
    engine.terminate();
    return result;
  }, prefix);
}

async function main() {
  const mode = process.argv[2] || 'bench';
  const server = await serve();
  const base = `http://127.0.0.1:${server.address().port}`;
  const launch = (args = []) => playwright().chromium.launch({ executablePath: process.env.CHROMIUM || '/usr/bin/chromium', args });
  const open = async (browser, url) => {
    const page = await browser.newPage();
    page.on('console', (m) => { if (m.type() === 'error' || process.env.VERBOSE) console.log(`console ${m.type()}:`, m.text()); });
    page.on('pageerror', (e) => console.log('page error:', e.message));
    await page.goto(url);
    return page;
  };
  let ok = true;
  try {
    if (mode === 'bench') {
      const browser = await launch();
      ok = await bench(await open(browser, base + '/'), Number(process.argv[3] || 3), process.argv[4]);
      await browser.close();
    } else {
      const runs = [
        ['cross-origin isolated', '', []],
        ['not isolated', '/plain', []],
        // A browser that gives the worker at most 128 MB of WebAssembly memory.
        ['isolated, memory held to 128 MB', '', ['--js-flags=--wasm-max-mem-pages=2048']],
      ];
      for (const [label, prefix, args] of runs) {
        const browser = await launch(args);
        const page = await open(browser, base + prefix + '/');
        await page.waitForFunction(() => window.ready);
        console.log(`${label}: ${JSON.stringify(await conversation(page, prefix))}`);
        await browser.close();
      }
    }
  } finally {
    server.close();
  }
  process.exit(ok ? 0 : 1);
}

main().catch((e) => {
  console.error(e);
  process.exit(1);
});
