// The WebAssembly build under Node.js: the tools' bench node totals equal the
// native ones, and the engines hold a UCI conversation on stdin/stdout with
// input reaching a running search. WASM_BUILD names the build folder.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const { spawn, execFile } = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');

const build = process.env.WASM_BUILD || path.resolve(__dirname, '../../build-wasm');
const SIGNATURES = { vendrel: 8615866, ostravine: 8920945, fenna: 8522719 };

test('bench node totals under Node.js equal the native ones', async (t) => {
  for (const [edition, nodes] of Object.entries(SIGNATURES)) {
    const out = await new Promise((resolve, reject) =>
      execFile('node', [path.join(build, `tallomir-tool-${edition}.js`), 'bench'], (error, stdout) =>
        (error ? reject(error) : resolve(stdout))));
    assert.match(out, new RegExp(`^nodes ${nodes}$`, 'm'), `${edition} bench`);
    t.diagnostic(`${edition}: ${out.trim().split('\n').slice(-2).join(', ')}`);
  }
});

// An engine on pipes: lines in, lines out with their arrival times.
function startEngine(edition, nodeFlags = []) {
  const child = spawn('node', [...nodeFlags, path.join(build, `tallomir-${edition}.js`)], { stdio: ['pipe', 'pipe', 'pipe'] });
  const engine = { child, lines: [], stderr: '', waiters: [] };
  let partial = '';
  child.stdout.on('data', (data) => {
    partial += data;
    let end;
    while ((end = partial.indexOf('\n')) >= 0) {
      const line = partial.slice(0, end);
      partial = partial.slice(end + 1);
      engine.lines.push(line);
      for (const w of engine.waiters.filter((w) => w.pattern.test(line))) {
        engine.waiters.splice(engine.waiters.indexOf(w), 1);
        w.resolve(line);
      }
    }
  });
  child.stderr.on('data', (data) => { engine.stderr += data; });
  engine.exited = new Promise((resolve) => child.on('exit', (code) => resolve(code)));
  engine.send = (line) => child.stdin.write(line + '\n');
  engine.expect = (pattern, ms = 30000) => new Promise((resolve, reject) => {
    const timer = setTimeout(() => reject(new Error(`no line matching ${pattern} within ${ms} ms`)), ms);
    engine.waiters.push({ pattern, resolve: (line) => { clearTimeout(timer); resolve(line); } });
  });
  return engine;
}

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// Processor time of a process so far, in clock ticks (Linux).
function cpuTicks(pid) {
  const fields = fs.readFileSync(`/proc/${pid}/stat`, 'utf8').split(') ')[1].split(' ');
  return Number(fields[11]) + Number(fields[12]);
}

// Black's twenty replies to 1.e4.
const REPLIES = [...'abcdefgh'].flatMap((f) => [`${f}7${f}6`, `${f}7${f}5`]).concat(['b8a6', 'b8c6', 'g8f6', 'g8h6']);

test('the protocol conversation of the Node.js engine', async (t) => {
  const engine = startEngine('vendrel');
  const steps = [
    ['uci', /^uciok$/, (line, e) => assert.ok(e.lines.includes('id name Tallomir 2006 Vendrel'))],
    ['isready', /^readyok$/, async (line, e) => {
      const before = cpuTicks(e.child.pid);
      await sleep(1000);
      assert.ok(cpuTicks(e.child.pid) - before <= 5, 'an idle engine uses no processor time');
    }],
    ['position startpos moves e2e4\ngo depth 6', /^bestmove/, (line) => assert.ok(REPLIES.includes(line.split(' ')[1]), line)],
    // Input reaches a running search: "isready" is answered and "stop" ends it.
    ['go infinite', /^info depth 8$/],
    ['isready', /^readyok$/, (line, e) => assert.ok(!e.lines.slice(e.mark).some((l) => l.startsWith('bestmove'))), 'timed'],
    ['stop', /^bestmove [a-h][1-8][a-h][1-8]/, null, 'timed'],
    ['position startpos\ngo ponder wtime 5000 btime 5000', /^info depth 6$/, async (line, e) => {
      await sleep(300);
      assert.ok(!e.lines.slice(e.mark).some((l) => l.startsWith('bestmove')), 'no best move while pondering');
    }],
    ['ponderhit', /^bestmove/],
    // Fool's mate: no legal move.
    ['position startpos moves f2f3 e7e5 g2g4 d8h4\ngo depth 3', /^bestmove/, (line) => assert.strictEqual(line, 'bestmove 0000')],
  ];
  for (const [input, answer, check, timed] of steps) {
    engine.mark = engine.lines.length;
    const sent = Date.now();
    const waited = engine.expect(answer);
    for (const line of input.split('\n')) engine.send(line);
    const line = await waited;
    if (timed) t.diagnostic(`${input} during a search answered after ${Date.now() - sent} ms`);
    if (check) await check(line, engine);
  }
  engine.send('quit');
  assert.strictEqual(await engine.exited, 0);
});

test('the end of the input ends the engine with status 0', async () => {
  const engine = startEngine('fenna');
  engine.send('isready');
  await engine.expect(/^readyok$/);
  engine.child.stdin.end();
  assert.strictEqual(await engine.exited, 0);
});

test('a Hash the host cannot give ends in the engine\'s message, not a hang', async () => {
  // WebAssembly memory held to 128 MB, as a browser may hold it.
  const engine = startEngine('ostravine', ['--wasm-max-mem-pages=2048']);
  engine.send('setoption name Hash value 1024');
  engine.send('isready');
  assert.strictEqual(await engine.exited, 1);
  assert.match(engine.stderr, /cannot allocate the 1024 MB transposition table/);
});
