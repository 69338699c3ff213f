// Reading the engine's lines and writing its commands: the parts of the
// protocol the page needs, kept free of the page itself so they can be tested.
import { Chess } from 'chess.js';

const NUMBER_WORDS = new Set(['depth', 'seldepth', 'time', 'nodes', 'nps', 'hashfull', 'multipv', 'currmovenumber']);

// "info depth 12 seldepth 31 score cp 22 time 2715 nodes 7184729 pv g1f3 g8f6"
// becomes { depth: 12, seldepth: 31, score: { cp: 22 }, time: 2715, nodes: 7184729, pv: [...] }.
// Scores stay from the side to move's view, as the engine gives them.
export function parseInfo(line) {
  const words = line.trim().split(/\s+/);
  if (words[0] !== 'info') return null;
  const info = {};
  for (let i = 1; i < words.length; i++) {
    const word = words[i];
    if (NUMBER_WORDS.has(word)) {
      info[word] = Number(words[++i]);
    } else if (word === 'score') {
      const kind = words[++i];
      const value = Number(words[++i]);
      info.score = kind === 'mate' ? { mate: value } : { cp: value };
      if (words[i + 1] === 'lowerbound' || words[i + 1] === 'upperbound') info.bound = words[++i];
    } else if (word === 'pv') {
      info.pv = words.slice(i + 1);
      break;
    } else if (word === 'string') {
      info.string = words.slice(i + 1).join(' ');
      break;
    }
  }
  return info;
}

// "bestmove e2e4 ponder e7e5" -> { move: 'e2e4', ponder: 'e7e5' }; "0000" is no move.
export function parseBestmove(line) {
  const words = line.trim().split(/\s+/);
  if (words[0] !== 'bestmove') return null;
  const move = words[1] && words[1] !== '0000' ? words[1] : null;
  const ponder = words[2] === 'ponder' && words[3] && words[3] !== '0000' ? words[3] : null;
  return { move, ponder };
}

// A score from the side to move's view turned to White's.
export function whiteScore(score, turn) {
  if (!score) return null;
  const sign = turn === 'b' ? -1 : 1;
  return 'mate' in score ? { mate: sign * score.mate } : { cp: sign * score.cp };
}

// "+0.35", "-1.20", "#3" (White mates in 3), "#-2" (Black mates in 2).
export function formatScore(score) {
  if (!score) return '';
  if ('mate' in score) return `#${score.mate}`;
  const pawns = score.cp / 100;
  return (pawns > 0 ? '+' : pawns < 0 ? '\u2212' : '') + Math.abs(pawns).toFixed(2);
}

// A score as a number of centipawns for the bar and the graph: a mate counts
// as a large advantage, the nearer the larger.
export function scoreValue(score) {
  if (!score) return 0;
  if ('mate' in score) {
    if (score.mate === 0) return 0;
    return Math.sign(score.mate) * (10000 - Math.abs(score.mate));
  }
  return score.cp;
}

// The principal variation in algebraic notation with move numbers, as far as
// its moves are legal in the position.
export function pvToSan(fen, pv, limit = 24) {
  const chess = new Chess(fen);
  let text = '';
  let first = true;
  for (const uci of pv.slice(0, limit)) {
    const number = chess.moveNumber();
    const turn = chess.turn();
    let move;
    try {
      move = chess.move({ from: uci.slice(0, 2), to: uci.slice(2, 4), promotion: uci[4] });
    } catch {
      break;
    }
    if (turn === 'w') text += `${first ? '' : ' '}${number}. ${move.san}`;
    else text += first ? `${number}\u2026 ${move.san}` : ` ${move.san}`;
    first = false;
  }
  return text;
}

// The "go" command for the engine's move. Clock times are whole milliseconds;
// a level adds its node or depth limit to them, as GUIs limit an engine.
export function goCommand({ clock, level, ponder = false, infinite = false }) {
  if (infinite) return 'go infinite';
  const words = ['go'];
  if (ponder) words.push('ponder');
  if (clock.movetime) {
    words.push('movetime', Math.max(1, Math.round(clock.movetime)));
  } else {
    words.push('wtime', Math.max(0, Math.round(clock.wtime)), 'btime', Math.max(0, Math.round(clock.btime)),
      'winc', Math.round(clock.winc), 'binc', Math.round(clock.binc));
  }
  if (level?.nodes) words.push('nodes', level.nodes);
  if (level?.depth) words.push('depth', level.depth);
  return words.join(' ');
}

// "position startpos moves e2e4 e7e5" or "position fen ... moves ...".
export function positionCommand(startFen, moves, standardStart) {
  const head = startFen === standardStart ? 'position startpos' : `position fen ${startFen}`;
  return moves.length ? `${head} moves ${moves.join(' ')}` : head;
}
