// The page's logic without a browser: game ends, notation, the commands for
// the engine and the clocks.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { Game } from '../src/game.js';
import { Clock, timeControl, formatClock } from '../src/clock.js';
import { parseInfo, parseBestmove, whiteScore, formatScore, pvToSan, goCommand, positionCommand } from '../src/uci.js';

const START = 'rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1';

test('the end of a game and its reason', () => {
  const cases = [
    { fen: START, moves: 'f3 e5 g4 Qh4#', result: { score: '0-1', reason: 'checkmate' } },
    { fen: '7k/5Q2/6K1/8/8/8/8/8 w - - 0 1', moves: 'Qf6', result: null },
    { fen: 'k7/8/2Q5/8/8/8/8/7K w - - 0 1', moves: 'Qb6', result: { score: '1/2-1/2', reason: 'stalemate' } },
    { fen: START, moves: 'Nf3 Nf6 Ng1 Ng8 Nf3 Nf6 Ng1 Ng8', result: { score: '1/2-1/2', reason: 'threefold repetition' } },
    { fen: 'k7/8/8/8/8/8/8/KR6 w - - 99 80', moves: 'Rb2', result: { score: '1/2-1/2', reason: 'fifty-move rule' } },
    { fen: 'k7/8/8/8/8/8/1r6/K7 w - - 0 1', moves: 'Kxb2', result: { score: '1/2-1/2', reason: 'insufficient material' } },
  ];
  for (const { fen, moves, result } of cases) {
    const game = new Game(fen);
    for (const san of moves.split(' ')) assert.ok(game.play(san), `${san} in ${fen}`);
    assert.deepEqual(game.result, result, moves);
    if (result) assert.equal(game.play('a3'), null, 'no move after the end');
  }
});

test('losing on time, unless the other side cannot mate', () => {
  for (const { fen, flagged, score } of [
    { fen: START, flagged: 'w', score: '0-1' },
    { fen: 'k7/8/8/8/8/8/8/KN6 b - - 0 1', flagged: 'b', score: '1/2-1/2' },
    { fen: 'k7/8/8/8/8/8/8/KNN5 b - - 0 1', flagged: 'b', score: '1-0' },
    { fen: 'k7/p7/8/8/8/8/8/K7 w - - 0 1', flagged: 'w', score: '0-1' },
  ]) {
    const game = new Game(fen);
    game.flag(flagged);
    assert.deepEqual(game.result, { score, reason: 'time' }, fen);
  }
});

test('PGN and FEN in and out, and the saved form', () => {
  const { game } = Game.import('[FEN "4k3/8/8/8/8/8/4P3/4K3 b - - 0 7"]\n[SetUp "1"]\n\n7... Kd7 8. e4 *');
  assert.deepEqual(game.lanMoves(), ['e8d7', 'e2e4']);
  const pgn = game.toPgn({ White: 'Player' });
  assert.match(pgn, /\[FEN "4k3\/8\/8\/8\/8\/8\/4P3\/4K3 b - - 0 7"\]/);
  assert.match(pgn, /7\. \.\.\. Kd7 8\. e4 \*$|7\.\.\. Kd7 8\. e4 \*$/);
  assert.deepEqual(Game.deserialize(JSON.parse(JSON.stringify(game.serialize()))).lanMoves(), game.lanMoves());
  assert.equal(Game.import('8/8/8/8/8/8/8/K6k w - - 0 1').game.ply, 0);
  for (const bad of ['', 'rnbqkbnr/pppppppp w', '1. e4 e5 2. Ke3 Kxe3']) assert.throws(() => Game.import(bad), /./, bad);
  const mate = Game.import('1. f3 e5 2. g4 Qh4# 0-1').game.toPgn();
  assert.match(mate, /\[Result "0-1"\]/);
  assert.match(mate, /2\. g4 Qh4# 0-1$/);
});

test('engine lines read and shown from White\'s view', () => {
  const info = parseInfo('info depth 12 seldepth 31 score cp -22 upperbound time 2715 nodes 7184729 nps 2646 pv e7e5 g1f3');
  assert.deepEqual(info, { depth: 12, seldepth: 31, score: { cp: -22 }, bound: 'upperbound', time: 2715, nodes: 7184729, nps: 2646, pv: ['e7e5', 'g1f3'] });
  assert.deepEqual(parseBestmove('bestmove e2e4 ponder e7e5'), { move: 'e2e4', ponder: 'e7e5' });
  assert.deepEqual(parseBestmove('bestmove 0000'), { move: null, ponder: null });
  for (const [score, turn, text] of [
    [{ cp: 35 }, 'w', '+0.35'], [{ cp: 35 }, 'b', '\u22120.35'], [{ cp: 0 }, 'b', '0.00'],
    [{ mate: 3 }, 'b', '#-3'], [{ mate: -2 }, 'b', '#2'],
  ]) assert.equal(formatScore(whiteScore(score, turn)), text);
  const black = 'rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1';
  assert.equal(pvToSan(black, ['e7e5', 'g1f3', 'b8c6']), '1\u2026 e5 2. Nf3 Nc6');
  assert.equal(pvToSan(START, ['e2e4', 'e2e4']), '1. e4', 'stops at an illegal move');
});

test('the commands of a game', () => {
  assert.equal(goCommand({ clock: { wtime: 60000.4, btime: 59000, winc: 1000, binc: 1000 }, level: { nodes: 500, depth: null } }),
    'go wtime 60000 btime 59000 winc 1000 binc 1000 nodes 500');
  assert.equal(goCommand({ clock: { movetime: 3000 }, level: { nodes: null, depth: 4 }, ponder: true }), 'go ponder movetime 3000 depth 4');
  assert.equal(positionCommand(START, ['e2e4'], START), 'position startpos moves e2e4');
  assert.equal(positionCommand('8/8/8/8/8/8/8/K6k w - - 0 1', [], START), 'position fen 8/8/8/8/8/8/8/K6k w - - 0 1');
});

test('clocks count down, add the increment, flag; fixed time counts up', () => {
  let now = 0;
  const clock = new Clock(timeControl('3+2'), () => now);
  clock.start('w');
  now = 5000;
  clock.press('w');
  assert.deepEqual([clock.read('w'), clock.read('b')], [177000, 180000]);
  now = 190000;
  assert.equal(clock.flagged(), 'b');
  assert.deepEqual(clock.goClock(), { wtime: 177000, btime: 0, winc: 2000, binc: 2000 });
  const fixed = new Clock(timeControl('move3'), () => now);
  fixed.start('b');
  now += 2500;
  fixed.press('b');
  assert.deepEqual([fixed.read('b'), fixed.flagged(), fixed.goClock()], [2500, null, { movetime: 3000 }]);
  assert.deepEqual([formatClock(65000), formatClock(9460), formatClock(3723000)], ['1:05', '0:09.4', '1:02:03']);
});
