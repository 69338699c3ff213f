// The page in headless Chromium (Debian's /usr/bin/chromium, driven by
// playwright-core), served from dist/ by the page's own server on a free
// loopback port. Build the page first (make web).
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { mkdirSync } from 'node:fs';
import { chromium } from 'playwright-core';
import { serve } from '../scripts/serve.js';

const DIST = new URL('../dist/', import.meta.url).pathname;
const SHOTS = new URL('../test-results/', import.meta.url).pathname;
const CHROMIUM = process.env.CHROMIUM ?? '/usr/bin/chromium';

let browser;
const servers = {};

before(async () => {
  mkdirSync(SHOTS, { recursive: true });
  browser = await chromium.launch({ executablePath: CHROMIUM, args: ['--no-sandbox'] });
  for (const isolation of [true, false]) {
    const server = await serve(DIST, { port: 0, isolation });
    servers[isolation] = { server, url: `http://127.0.0.1:${server.address().port}/` };
  }
});

after(async () => {
  await browser?.close();
  for (const { server } of Object.values(servers)) server.close();
});

// A fresh page (fresh storage) that records every console error.
async function open({ isolation = true, viewport = { width: 1280, height: 900 } } = {}) {
  const context = await browser.newContext({ viewport, serviceWorkers: 'block' });
  const page = await context.newPage();
  page.errors = [];
  page.on('console', (m) => { if (m.type() === 'error') page.errors.push(m.text()); });
  page.on('pageerror', (e) => page.errors.push(e.message));
  await page.goto(servers[isolation].url);
  await page.waitForFunction(() => window.tallomirEngineReadyMs !== undefined, null, { timeout: 30000 });
  return page;
}

const pageState = (page) => page.evaluate(() => {
  const s = window.tallomir.state;
  return { ply: s.game.ply, turn: s.game.turn, result: s.game.result, mode: s.mode, player: s.player, analysing: s.analysing };
});

async function newGame(page, { edition = 'vendrel', color = 'w', level = 'first', tc = '3+2', opening = false } = {}) {
  await page.selectOption('select[name=edition]', edition);
  await page.selectOption('select[name=color]', color);
  await page.selectOption('select[name=tc]', tc);
  const levels = await page.$$eval('select[name=level] option', (os) => os.map((o) => o.value));
  await page.selectOption('select[name=level]', level === 'first' ? levels[0] : levels[levels.length - 1]);
  await page.setChecked('input[name=opening]', opening);
  await page.click('#btn-new');
  await page.waitForFunction(() => window.tallomir.state.mode === 'play');
}

// Plays one of the player's legal moves by two clicks (origin, destination),
// a capture when there is one, else the first move that is no promotion.
async function clickMove(page) {
  const move = await page.evaluate(() => {
    const moves = window.tallomir.state.game.chess.moves({ verbose: true }).filter((m) => !m.promotion);
    const all = window.tallomir.state.game.chess.moves({ verbose: true });
    return moves.find((m) => m.captured) ?? moves[0] ?? all[0];
  });
  await page.click(`[data-testid=board] rect[data-square=${move.from}]`);
  await page.click(`[data-testid=board] rect[data-square=${move.to}]`);
  if (move.promotion) await page.click('[role=dialog] [aria-label]');
  return move;
}

test('loads without a console error, isolated or not, says what it cannot do without isolation, starts each edition', async () => {
  for (const { isolation, notice, edition, name } of [
    { isolation: true, notice: null, edition: 'ostravine', name: 'Tallomir 2006 Ostravine' },
    { isolation: false, notice: /not cross-origin isolated/, edition: 'fenna', name: 'Tallomir 2006 Fenna' },
  ]) {
    const page = await open({ isolation });
    assert.equal(await page.evaluate(() => window.crossOriginIsolated), isolation);
    assert.equal(await page.evaluate(() => window.tallomir.engine.isolated), isolation);
    const text = (await page.locator('#notice').isVisible()) ? await page.textContent('#notice') : null;
    if (notice) assert.match(text ?? '', notice);
    else assert.equal(text, null);
    for (const id of ['board', 'moves', 'clock-white', 'clock-black', 'analysis', 'console-input', 'console-output']) {
      assert.equal(await page.locator(`[data-testid=${id}]`).count(), 1, id);
    }
    const squares = await page.$$eval('[data-testid=board] rect[data-square]', (rs) => rs.map((r) => r.getAttribute('aria-label')));
    assert.equal(squares.length, 64);
    assert.ok(squares.includes('e2, white pawn') && squares.includes('e4, empty'));
    const [sinceStart, sinceOpen] = await page.evaluate(() => [window.tallomirEngineStartMs, window.tallomirEngineReadyMs]);
    console.log(`engine's first answer (${isolation ? 'isolated' : 'not isolated'}): "readyok" ${sinceStart} ms after ` +
      `the worker was asked for, ${sinceOpen} ms after the page was opened`);
    // Another edition for a new game, playing Black: the engine moves first.
    await newGame(page, { edition, color: 'b' });
    await page.waitForFunction(() => window.tallomir.state.game.ply === 1, null, { timeout: 30000 });
    assert.equal(await page.evaluate(() => window.tallomir.engine.name), name);
    assert.deepEqual(page.errors, []);
    await page.context().close();
  }
});

test('a game at the lowest level by clicks, analysis, console, and the game after a reload', async () => {
  const page = await open();
  await newGame(page, { color: 'w', level: 'first' });
  let moves = 0;
  while (moves < 20) {
    await page.waitForFunction(() => {
      const s = window.tallomir.state;
      return s.game.result || (s.game.turn === s.player && !s.engineSearch && window.tallomir.boardReady());
    }, null, { timeout: 30000 });
    if ((await pageState(page)).result) break;
    const before = (await pageState(page)).ply;
    await clickMove(page);
    await page.waitForFunction((ply) => window.tallomir.state.game.ply > ply, before);
    moves++;
  }
  await page.waitForFunction(() => window.tallomir.state.game.result || !window.tallomir.state.engineSearch);
  const played = await pageState(page);
  assert.ok(played.result || played.ply >= 40, JSON.stringify(played));
  const list = await page.textContent('[data-testid=moves]');
  assert.match(list, /^1\./);
  await page.waitForFunction(() => window.tallomir.boardReady());
  await page.waitForTimeout(400);
  await page.screenshot({ path: `${SHOTS}play.png` });

  // Reload: the same moves, the same clocks (to the second), still a game.
  const clocks = await page.$$eval('[data-testid^=clock-]', (cs) => cs.map((c) => c.textContent));
  await page.reload();
  await page.waitForFunction(() => window.tallomirEngineReadyMs !== undefined);
  assert.equal(await page.textContent('[data-testid=moves]'), list);
  assert.equal((await pageState(page)).ply, played.ply);
  assert.equal((await pageState(page)).mode, 'play');
  const after = await page.$$eval('[data-testid^=clock-]', (cs) => cs.map((c) => c.textContent));
  assert.deepEqual(after.map((t) => t.slice(0, 3)), clocks.map((t) => t.slice(0, 3)));

  if (!played.result) {
    await page.waitForFunction(() => !window.tallomir.state.engineSearch);
    await page.click('#btn-resign');
    await page.waitForFunction(() => window.tallomir.state.game.result);
  }
  assert.match(await page.textContent('#result'), /(wins|Draw) by /);

  // Analysis of the position before the last move (the last one may be
  // mate) starts and stops within 200 ms of the click.
  await page.click('#btn-prev');
  const start = await page.evaluate(() => new Promise((resolve) => {
    const seen = () => document.querySelector('[data-testid=analysis] .line');
    setTimeout(() => resolve(Infinity), 5000);
    new MutationObserver((_, obs) => { if (seen()) { obs.disconnect(); resolve(performance.now() - t0); } })
      .observe(document.querySelector('[data-testid=analysis]'), { childList: true });
    const t0 = performance.now();
    document.getElementById('btn-analyse').click();
  }));
  assert.ok(start < 200, `first analysis line after ${start} ms`);
  console.log(`analysis: first line ${Math.round(start)} ms after the click`);
  await page.waitForTimeout(1500);
  await page.screenshot({ path: `${SHOTS}analysis.png` });
  const line = await page.textContent('[data-testid=analysis] .line');
  assert.match(line, /[+\u2212#]?\d|#/);
  assert.match(line, /depth \d+/);
  assert.match(line, /nodes .* nps/);
  const stopMs = await page.evaluate(() => new Promise((resolve) => {
    const t0 = performance.now();
    document.getElementById('btn-analyse').click();
    const poll = () => (window.tallomir.engine.current === null || performance.now() - t0 > 5000
      ? resolve(performance.now() - t0) : setTimeout(poll, 5));
    poll();
  }));
  assert.ok(stopMs < 200, `analysis stopped after ${stopMs} ms`);
  console.log(`analysis: stopped ${Math.round(stopMs)} ms after the click`);
  assert.equal(await page.textContent('#btn-analyse'), 'Start analysis');

  // The console speaks the protocol.
  await page.fill('[data-testid=console-input]', 'uci');
  await page.press('[data-testid=console-input]', 'Enter');
  await page.waitForFunction(() => document.querySelector('[data-testid=console-output]').textContent.split('\n').slice(-20).includes('uciok'));

  assert.deepEqual(page.errors, []);
  await page.context().close();
});

test('PGN out and in, and a phone-sized screen', async () => {
  const page = await open({ viewport: { width: 390, height: 844 } });
  await page.fill('#pgn-text', '[Event "t"]\n\n1. e4 e5 2. Nf3 Nc6 3. Bb5 a6 *');
  await page.click('#btn-import');
  await page.waitForFunction(() => window.tallomir.state.game.ply === 6);
  await page.click('#btn-export');
  const pgn = await page.inputValue('#pgn-text');
  assert.match(pgn, /\[Result "\*"\]/);
  assert.match(pgn, /1\. e4 e5 2\. Nf3 Nc6 3\. Bb5 a6 \*/);
  const width = await page.evaluate(() => document.documentElement.scrollWidth);
  assert.ok(width <= 390, `page is ${width} px wide on a 390 px screen`);
  await page.screenshot({ path: `${SHOTS}phone.png`, fullPage: true });
  assert.deepEqual(page.errors, []);
  await page.context().close();
});
