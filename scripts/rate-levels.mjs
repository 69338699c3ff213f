#!/usr/bin/env node
// Plays a match between a Tallomir playing level and a reference engine, and prints the score
// with an Elo estimate. Games start from the page's opening lines, each line played twice with
// colours swapped; chess.js referees (mate, stalemate, repetition, fifty moves, insufficient
// material) and a ply cap ends over-long games as draws.
//
//   node scripts/rate-levels.mjs --engine build-rel/tallomir-vendrel --nodes 1000 \
//        --opponent stockfish --elo 1350 --games 40 [--sf-nodes 100000 | --movetime 100]
//        [--seed 1] [--log FILE]
//   node scripts/rate-levels.mjs --engine build-rel/tallomir-vendrel --nodes 200 \
//        --opponent build-rel/tallomir-vendrel --opponent-nodes 2000 --games 40
//   node scripts/rate-levels.mjs --fit LOG1,LOG2,...
//
// --fit reads the summary lines of matches against rated opponents and prints the one rating
// that expects the points scored in all of them, with its 95% margin.
//
// chess.js comes from web/node_modules (npm install in web/), or from NODE_PATH.
import { spawn } from 'node:child_process';
import { createRequire } from 'node:module';
import { appendFileSync, readFileSync } from 'node:fs';
import { fileURLToPath } from 'node:url';
import path from 'node:path';

const here = path.dirname(fileURLToPath(import.meta.url));
const root = path.resolve(here, '..');
const { Chess } = createRequire(path.join(root, 'web', 'package.json'))('chess.js');

function parseArgs(argv) {
  const args = { movetime: 100, games: 20, seed: 1, maxPlies: 300, elo: null,
                 openings: path.join(root, 'web/src/data/openings.json') };
  const numeric = new Set(['nodes', 'depth', 'movetime', 'games', 'seed', 'elo', 'opponentNodes',
                           'opponentDepth', 'opponentMovetime', 'sfNodes', 'maxPlies', 'engineMovetime']);
  for (let i = 0; i < argv.length; i += 2) {
    const key = argv[i].replace(/^--/, '').replace(/-(\w)/g, (_, c) => c.toUpperCase());
    const value = argv[i + 1];
    if (value === undefined) throw new Error(`missing value for ${argv[i]}`);
    args[key] = numeric.has(key) ? Number(value) : value;
  }
  if (args.fit) return args;
  if (!args.engine || !args.opponent) throw new Error('need --engine and --opponent');
  return args;
}

class Engine {
  constructor(file, name) {
    this.name = name;
    this.proc = spawn(file, [], { stdio: ['pipe', 'pipe', 'inherit'] });
    this.buffer = '';
    this.waiters = [];
    this.proc.stdout.on('data', (chunk) => {
      this.buffer += chunk;
      let at;
      while ((at = this.buffer.indexOf('\n')) >= 0) {
        const line = this.buffer.slice(0, at).trim();
        this.buffer = this.buffer.slice(at + 1);
        const waiter = this.waiters[0];
        if (waiter && waiter.test(line)) { this.waiters.shift(); waiter.resolve(line); }
      }
    });
    this.proc.on('exit', (code) => {
      for (const w of this.waiters) w.reject(new Error(`${name} exited (${code})`));
      this.waiters = [];
    });
  }
  send(line) { this.proc.stdin.write(line + '\n'); }
  until(test) { return new Promise((resolve, reject) => this.waiters.push({ test, resolve, reject })); }
  async ask(line, test) { const answer = this.until(test); this.send(line); return answer; }
  async start(options) {
    await this.ask('uci', (l) => l === 'uciok');
    for (const [name, value] of options) this.send(`setoption name ${name} value ${value}`);
    await this.ask('isready', (l) => l === 'readyok');
  }
  async newGame() {
    this.send('ucinewgame');
    await this.ask('isready', (l) => l === 'readyok');
  }
  quit() { this.send('quit'); this.proc.stdin.end(); }
}

function goCommand(limits) {
  if (limits.nodes) return `go nodes ${limits.nodes}`;
  if (limits.depth) return `go depth ${limits.depth}`;
  return `go movetime ${limits.movetime}`;
}

// Small deterministic generator so a match can be repeated exactly.
function mulberry32(seed) {
  return () => {
    seed = (seed + 0x6d2b79f5) | 0;
    let t = Math.imul(seed ^ (seed >>> 15), 1 | seed);
    t = (t + Math.imul(t ^ (t >>> 7), 61 | t)) ^ t;
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
}

function verdict(chess) {
  if (chess.isCheckmate()) return chess.turn() === 'w' ? ['0-1', 'checkmate'] : ['1-0', 'checkmate'];
  if (chess.isStalemate()) return ['1/2-1/2', 'stalemate'];
  if (chess.isInsufficientMaterial()) return ['1/2-1/2', 'insufficient material'];
  if (chess.isThreefoldRepetition()) return ['1/2-1/2', 'repetition'];
  if (chess.isDrawByFiftyMoves()) return ['1/2-1/2', 'fifty moves'];
  return null;
}

async function playGame(white, black, opening, maxPlies) {
  const chess = new Chess();
  for (const san of opening.moves.split(' ')) chess.move(san);
  const moves = chess.history({ verbose: true }).map((m) => m.lan);
  await white.engine.newGame();
  await black.engine.newGame();
  for (;;) {
    const done = verdict(chess);
    if (done) return [...done, moves.length];
    if (moves.length >= maxPlies) return ['1/2-1/2', 'move cap', moves.length];
    const side = chess.turn() === 'w' ? white : black;
    side.engine.send(`position startpos moves ${moves.join(' ')}`);
    const line = await side.engine.ask(goCommand(side.limits), (l) => l.startsWith('bestmove'));
    const uci = line.split(/\s+/)[1];
    let move = null;
    try {
      move = chess.move({ from: uci.slice(0, 2), to: uci.slice(2, 4), promotion: uci[4] });
    } catch { move = null; }
    if (!move) return [chess.turn() === 'w' ? '0-1' : '1-0', `illegal move ${uci}`, moves.length];
    moves.push(move.lan);
  }
}

// Elo difference for a score fraction, with a 95% margin from the games' own spread.
export function eloEstimate(wins, draws, losses) {
  const n = wins + draws + losses;
  const clamp = (s) => Math.min(Math.max(s, 0.5 / n), 1 - 0.5 / n);
  const elo = (s) => -400 * Math.log10(1 / clamp(s) - 1);
  const score = (wins + draws / 2) / n;
  const variance = (wins * (1 - score) ** 2 + draws * (0.5 - score) ** 2 + losses * score ** 2) / n;
  const margin = 1.96 * Math.sqrt(variance / n);
  return { score, elo: elo(score), low: elo(score - margin), high: elo(score + margin) };
}

const expected = (diff) => 1 / (1 + 10 ** (-diff / 400));

// One rating for matches against several rated opponents: the rating whose expected points
// equal the points scored (by bisection), its margin from the spread of the single results.
function fit(files) {
  const matches = [];
  for (const file of files) {
    for (const line of readFileSync(file, 'utf8').split('\n')) {
      const m = line.match(/^summary games (\d+) \+(\d+) =(\d+) -(\d+) .* vs (\d+)$/);
      if (m) matches.push({ wins: +m[2], draws: +m[3], losses: +m[4], elo: +m[5] });
    }
  }
  const n = matches.reduce((t, m) => t + m.wins + m.draws + m.losses, 0);
  const points = matches.reduce((t, m) => t + m.wins + m.draws / 2, 0);
  const expect = (r) => matches.reduce((t, m) => t + (m.wins + m.draws + m.losses) * expected(r - m.elo), 0);
  const solve = (target) => {
    let lo = 0, hi = 4000;
    for (let i = 0; i < 60; i++) { const mid = (lo + hi) / 2; if (expect(mid) < target) lo = mid; else hi = mid; }
    return (lo + hi) / 2;
  };
  const score = points / n;
  const variance = matches.reduce((t, m) => t + m.wins * (1 - score) ** 2 + m.draws * (0.5 - score) ** 2 +
                                  m.losses * score ** 2, 0) / n;
  const margin = 1.96 * Math.sqrt(variance * n);
  const clampPoints = (p) => Math.min(Math.max(p, 0.5), n - 0.5);
  const rating = solve(clampPoints(points));
  console.log(`fit games ${n} points ${points} rating ${rating.toFixed(0)} ` +
              `(95%: ${solve(clampPoints(points - margin)).toFixed(0)} .. ${solve(clampPoints(points + margin)).toFixed(0)})`);
}

async function main() {
  const args = parseArgs(process.argv.slice(2));
  if (args.fit) return fit(args.fit.split(','));
  const openings = JSON.parse(readFileSync(args.openings, 'utf8'));
  const random = mulberry32(args.seed);
  const level = { name: 'level', limits: { nodes: args.nodes, depth: args.depth, movetime: args.engineMovetime } };
  level.engine = new Engine(args.engine, 'level');
  await level.engine.start([['Hash', 16]]);
  const opponent = { name: 'opponent' };
  opponent.engine = new Engine(args.opponent === 'stockfish' ? '/usr/games/stockfish' : args.opponent, 'opponent');
  if (args.opponent === 'stockfish') {
    await opponent.engine.start([['Threads', 1], ['Hash', 16], ['UCI_LimitStrength', 'true'],
                                 ['UCI_Elo', args.elo]]);
    // A node limit keeps the reference's strength independent of the machine's load.
    opponent.limits = args.sfNodes ? { nodes: args.sfNodes } : { movetime: args.movetime };
  } else {
    await opponent.engine.start([['Hash', 16]]);
    opponent.limits = { nodes: args.opponentNodes, depth: args.opponentDepth,
                        movetime: args.opponentMovetime ?? args.movetime };
  }
  let wins = 0, draws = 0, losses = 0, opening = null;
  for (let game = 0; game < args.games; game++) {
    if (game % 2 === 0) opening = openings[Math.floor(random() * openings.length)];
    const levelWhite = game % 2 === 0;
    const [white, black] = levelWhite ? [level, opponent] : [opponent, level];
    const [result, reason, plies] = await playGame(white, black, opening, args.maxPlies);
    const points = result === '1/2-1/2' ? 0.5 : (result === '1-0') === levelWhite ? 1 : 0;
    if (points === 1) wins++; else if (points === 0) losses++; else draws++;
    const text = `game ${game + 1} level ${levelWhite ? 'white' : 'black'} ${result} ${reason} ` +
                 `plies ${plies} [${opening.eco} ${opening.name}] score ${wins}-${draws}-${losses}`;
    console.log(text);
    if (args.log) appendFileSync(args.log, text + '\n');
  }
  const e = eloEstimate(wins, draws, losses);
  const summary = `summary games ${args.games} +${wins} =${draws} -${losses} score ${(100 * e.score).toFixed(1)}% ` +
                  `elo ${e.elo.toFixed(0)} (95%: ${e.low.toFixed(0)} .. ${e.high.toFixed(0)})` +
                  (args.elo ? ` rating ${(args.elo + e.elo).toFixed(0)} vs ${args.elo}` : '');
  console.log(summary);
  if (args.log) appendFileSync(args.log, summary + '\n');
  level.engine.quit();
  opponent.engine.quit();
}

main().catch((error) => { console.error(error.message); process.exit(1); });
