// Checks the page's data files: every opening line is legal and written as chess.js writes
// SAN, lines and names are unique, and the levels run from weakest to full strength.
//   node --test scripts/check-data.mjs   (chess.js from web/node_modules, or NODE_PATH)
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { createRequire } from 'node:module';
import { readFileSync } from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const data = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../web/src/data');
const { Chess } = createRequire(path.join(data, '../../package.json'))('chess.js');
const load = (name) => JSON.parse(readFileSync(path.join(data, name), 'utf8'));

test('opening lines are legal, canonical and unique', () => {
  const openings = load('openings.json');
  assert.ok(openings.length >= 250);
  const lines = new Set(), names = new Set();
  for (const { eco, name, moves } of openings) {
    assert.match(eco, /^[A-E]\d\d$/, name);
    const sans = moves.split(' ');
    assert.ok(sans.length >= 2 && sans.length <= 13, `${name}: ${sans.length} plies`);
    const chess = new Chess();
    for (const san of sans) assert.equal(chess.move(san).san, san, `${name}: ${san}`);
    assert.ok(!chess.isGameOver(), name);
    assert.ok(!lines.has(moves), `repeated line ${moves}`);
    assert.ok(!names.has(name), `repeated name ${name}`);
    lines.add(moves);
    names.add(name);
  }
});

test('levels run from weakest to full strength', () => {
  const levels = load('levels.json');
  levels.forEach((level, i) => {
    assert.equal(level.id, i + 1);
    const last = i === levels.length - 1;
    assert.equal(level.nodes === null && level.depth === null, last, level.name);
    if (i > 0 && level.elo !== null && levels[i - 1].elo !== null) assert.ok(level.elo > levels[i - 1].elo, level.name);
  });
});
