// A game as the page keeps it: the position it started from, the moves
// played, the result and why. chess.js knows the rules and the notation.
import { Chess, validateFen } from 'chess.js';

export const START_FEN = 'rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1';

export const REASONS = {
  checkmate: 'checkmate',
  stalemate: 'stalemate',
  repetition: 'threefold repetition',
  fifty: 'fifty-move rule',
  material: 'insufficient material',
  time: 'time',
  resignation: 'resignation',
};

export class Game {
  constructor(startFen = START_FEN) {
    this.startFen = startFen;
    this.chess = new Chess(startFen);
    this.moves = []; // { san, lan, from, to, promotion, color, after }
    this.result = null; // { score: '1-0' | '0-1' | '1/2-1/2', reason }
  }

  get ply() { return this.moves.length; }
  get turn() { return this.chess.turn(); }
  get fen() { return this.chess.fen(); }

  fenAt(ply) {
    return ply <= 0 ? this.startFen : this.moves[ply - 1].after;
  }

  // The side to move at a ply, 'w' or 'b'.
  turnAt(ply) {
    return this.fenAt(ply).split(' ')[1];
  }

  lanMoves(ply = this.ply) {
    return this.moves.slice(0, ply).map((m) => m.lan);
  }

  // The legal moves from one square of the current position.
  movesFrom(square) {
    return this.chess.moves({ square, verbose: true });
  }

  // Plays a move given as { from, to, promotion }, as "e7e8q" or as SAN; the
  // moves after `ply` (when it is given and earlier) are dropped first.
  // Returns the move played, or null when it is not legal.
  play(move, ply = this.ply) {
    if (ply < this.ply) this.truncate(ply);
    if (this.result) return null;
    let input = move;
    if (typeof move === 'string' && /^[a-h][1-8][a-h][1-8][qrbn]?$/.test(move)) {
      input = { from: move.slice(0, 2), to: move.slice(2, 4), promotion: move[4] };
    }
    let played;
    try {
      played = this.chess.move(input);
    } catch {
      return null;
    }
    const entry = {
      san: played.san, lan: played.lan, from: played.from, to: played.to,
      promotion: played.promotion, color: played.color, after: played.after,
    };
    this.moves.push(entry);
    this.result = this.boardResult();
    return entry;
  }

  // Keeps the first `ply` moves.
  truncate(ply) {
    const keep = this.moves.slice(0, Math.max(0, ply));
    this.chess = new Chess(this.startFen);
    for (const m of keep) this.chess.move({ from: m.from, to: m.to, promotion: m.promotion });
    this.moves = keep;
    this.result = this.boardResult();
  }

  // The end that the position itself gives, or null while the game goes on.
  boardResult() {
    const c = this.chess;
    if (c.isCheckmate()) return { score: c.turn() === 'w' ? '0-1' : '1-0', reason: REASONS.checkmate };
    if (c.isStalemate()) return { score: '1/2-1/2', reason: REASONS.stalemate };
    if (c.isInsufficientMaterial()) return { score: '1/2-1/2', reason: REASONS.material };
    if (c.isThreefoldRepetition()) return { score: '1/2-1/2', reason: REASONS.repetition };
    if (c.isDrawByFiftyMoves()) return { score: '1/2-1/2', reason: REASONS.fifty };
    return null;
  }

  // The side `color` ran out of time: a loss, or a draw when the other side
  // has no material to mate with.
  flag(color) {
    const winner = color === 'w' ? 'b' : 'w';
    const score = canMate(this.fen, winner) ? (winner === 'w' ? '1-0' : '0-1') : '1/2-1/2';
    this.result = { score, reason: REASONS.time };
  }

  resign(color) {
    this.result = { score: color === 'w' ? '0-1' : '1-0', reason: REASONS.resignation };
  }

  // PGN with the seven standard tags, those given, and the moves.
  toPgn(tags = {}) {
    const chess = new Chess(this.startFen);
    for (const m of this.moves) chess.move(m.san);
    const result = this.result ? this.result.score : '*';
    const all = {
      Event: 'Casual game', Site: 'Tallomir web page', Date: pgnDate(new Date()), Round: '-',
      White: '?', Black: '?', Result: result, ...tags,
    };
    if (this.startFen !== START_FEN) {
      all.SetUp = '1';
      all.FEN = this.startFen;
    }
    if (this.result) all.Termination = terminationTag(this.result.reason);
    for (const [key, value] of Object.entries(all)) chess.setHeader(key, String(value));
    return chess.pgn({ maxWidth: 80 });
  }

  serialize() {
    return { startFen: this.startFen, moves: this.lanMoves(), result: this.result };
  }

  static deserialize(data) {
    const game = new Game(data.startFen);
    for (const lan of data.moves) {
      if (!game.play(lan)) throw new Error(`saved move ${lan} is not legal`);
    }
    if (data.result) game.result = data.result;
    return game;
  }

  // A PGN (first game) or a FEN. Throws an Error with a readable message.
  static import(text) {
    const trimmed = text.trim();
    if (!trimmed) throw new Error('Paste a PGN or a FEN first.');
    if (!trimmed.includes('[') && /^[1-8pnbrqkPNBRQK/]+\s+[wb]\b/.test(trimmed)) {
      const check = validateFen(trimmed);
      if (!check.ok) throw new Error(`This FEN is not valid: ${check.error}`);
      const game = new Game(new Chess(trimmed).fen());
      return { game, tags: {} };
    }
    const chess = new Chess();
    try {
      chess.loadPgn(trimmed);
    } catch (error) {
      throw new Error(`This PGN could not be read: ${error.message}`);
    }
    const tags = chess.getHeaders();
    const game = new Game(tags.FEN ? new Chess(tags.FEN).fen() : START_FEN);
    for (const m of chess.history({ verbose: true })) game.play(m.lan);
    const score = tags.Result;
    if (!game.result && (score === '1-0' || score === '0-1' || score === '1/2-1/2')) {
      game.result = { score, reason: tags.Termination || 'as recorded' };
    }
    return { game, tags };
  }
}

// True when `color` still has material that can mate.
function canMate(fen, color) {
  const board = fen.split(' ')[0];
  const pieces = [...board].filter((ch) => /[a-z]/i.test(ch) && (color === 'w' ? ch === ch.toUpperCase() : ch === ch.toLowerCase()));
  const kinds = pieces.map((p) => p.toLowerCase()).filter((p) => p !== 'k');
  if (kinds.some((k) => k === 'p' || k === 'r' || k === 'q')) return true;
  return kinds.length >= 2;
}

function pgnDate(date) {
  const pad = (n) => String(n).padStart(2, '0');
  return `${date.getFullYear()}.${pad(date.getMonth() + 1)}.${pad(date.getDate())}`;
}

function terminationTag(reason) {
  if (reason === REASONS.time) return 'time forfeit';
  if (reason === REASONS.resignation || reason === REASONS.checkmate) return 'normal';
  return reason;
}
