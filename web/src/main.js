// The page: a board to play the engine on, its clocks, the analysis, the
// console and the PGN tools, all held in one state that survives a reload.
import { Chessboard, COLOR, INPUT_EVENT_TYPE, FEN } from 'cm-chessboard/src/Chessboard.js';
import { Markers, MARKER_TYPE } from 'cm-chessboard/src/extensions/markers/Markers.js';
import { PromotionDialog, PROMOTION_DIALOG_RESULT_TYPE } from 'cm-chessboard/src/extensions/promotion-dialog/PromotionDialog.js';
import { Accessibility } from 'cm-chessboard/src/extensions/accessibility/Accessibility.js';
import 'cm-chessboard/assets/chessboard.css';
import 'cm-chessboard/assets/extensions/markers/markers.css';
import 'cm-chessboard/assets/extensions/promotion-dialog/promotion-dialog.css';
import './style.css';
import { Game, START_FEN, REASONS } from './game.js';
import { Clock, TIME_CONTROLS, timeControl, formatClock } from './clock.js';
import { Engine } from './engine.js';
import { goCommand, positionCommand, whiteScore, formatScore, scoreValue, pvToSan } from './uci.js';
import { levels, openings } from './data.js';

const STORAGE_KEY = 'tallomir.page.v1';
const EDITION_NAMES = { vendrel: 'Vendrel', ostravine: 'Ostravine', fenna: 'Fenna' };
const PIECE_NAMES = { p: 'pawn', n: 'knight', b: 'bishop', r: 'rook', q: 'queen', k: 'king' };
const $ = (id) => document.getElementById(id);

// ---- State ----------------------------------------------------------------
const state = {
  settings: { edition: 'vendrel', color: 'w', tc: '5+3', level: levels[levels.length - 1].id, opening: true, ponder: false, here: false },
  mode: 'free', // 'play' against the engine, or 'free' (analysis board: the player moves both sides)
  game: new Game(),
  player: 'w',
  clock: new Clock(timeControl('5+3')),
  bookPlies: 0,
  opening: null,
  view: null, // the ply on the board when it is not the last one
  evals: [], // evaluation from White's view after each ply (index = ply), when known
  orientation: 'w',
  analysing: false,
  engineSearch: null, // the engine's search for its move
  ponder: null, // { search, move } while the engine thinks on the player's time
  analysisSearch: null,
  tags: {},
};

let board;
let engine;
let engineReady = false;
let lastInfoScore = null;

// ---- Start ----------------------------------------------------------------
init().catch((error) => showNotice(`The page could not start: ${error.message}`));

async function init() {
  fillSettings();
  restore();
  board = new Chessboard($('board'), {
    position: FEN.start,
    assetsUrl: new URL('./assets/', document.baseURI).href,
    orientation: state.orientation === 'w' ? COLOR.white : COLOR.black,
    style: { cssClass: 'default', showCoordinates: true, animationDuration: 150, aspectRatio: 1 },
    extensions: [
      { class: Markers, props: { autoMarkers: MARKER_TYPE.frame } },
      { class: PromotionDialog },
      { class: Accessibility, props: { language: 'en', keyboardMoveInput: true, boardAsTable: false, piecesAsList: false, movePieceForm: false, brailleNotationInAlt: true } },
    ],
  });
  wireControls();
  render();
  setInterval(tick, 100);
  await startEngine();
}

async function startEngine() {
  engineReady = false;
  setStatus(`Starting ${EDITION_NAMES[state.settings.edition]}…`);
  engine?.terminate();
  engine = new Engine({ onLine: (line) => consoleLine(line), onSend: (line) => consoleLine(line, true), onError: engineFailed });
  const started = performance.now();
  try {
    await engine.start(state.settings.edition, engineOptions());
  } catch (error) {
    engineFailed(error.message);
    return;
  }
  engineReady = true;
  // How long the engine took to answer: since its start, and since the page was opened.
  window.tallomirEngineStartMs = Math.round(performance.now() - started);
  window.tallomirEngineReadyMs = Math.round(performance.now());
  hideNotice();
  setStatus(`${engine.name || 'Engine'} ready${engine.isolated ? '' : ' (limited mode)'}.`);
  if (!engine.isolated) {
    showNotice('This page is not cross-origin isolated, so the engine cannot hear you while it thinks: ' +
      'no pondering, and stopping an analysis restarts the engine (the last line it reported stays shown). ' +
      'Play and analysis work otherwise. Served with the two isolation headers (see HOSTING.md beside the page), it does everything.', 'info');
  }
  render();
  continueGame();
}

function engineOptions() {
  return state.settings.ponder && state.mode === 'play' ? { Ponder: 'true' } : {};
}

function engineFailed(message) {
  engineReady = false;
  state.engineSearch = null;
  state.ponder = null;
  state.analysing = false;
  showNotice(`The engine stopped working: ${message}`, 'error', { label: 'Restart engine', action: () => startEngine() });
  setStatus('The engine is not running. You can still move on the board.');
  render();
}

// ---- Settings ---------------------------------------------------------------
function fillSettings() {
  const form = $('new-game');
  for (const t of TIME_CONTROLS) form.tc.add(new Option(t.label, t.id));
  for (const level of levels) {
    const full = !level.nodes && !level.depth;
    const limit = level.nodes ? `${level.nodes.toLocaleString('en')} nodes` : level.depth ? `depth ${level.depth}` : 'full strength';
    const rating = level.elo ? ` (about ${level.elo})` : full && /full/i.test(level.name) ? '' : ` (${limit})`;
    form.level.add(new Option(`${level.name}${rating}`, String(level.id)));
  }
}

function readSettings() {
  const form = $('new-game');
  state.settings = {
    edition: form.edition.value, color: form.color.value, tc: form.tc.value, level: Number(form.level.value),
    opening: form.opening.checked, ponder: form.ponder.checked, here: form.here.checked,
  };
}

function writeSettings() {
  const form = $('new-game');
  const s = state.settings;
  form.edition.value = s.edition;
  form.color.value = s.color;
  form.tc.value = s.tc;
  form.level.value = String(s.level);
  if (!form.level.value) form.level.value = String(levels[levels.length - 1].id);
  form.opening.checked = s.opening;
  form.ponder.checked = s.ponder;
  form.here.checked = false;
}

function currentLevel() {
  return levels.find((l) => l.id === state.settings.level) ?? levels[levels.length - 1];
}

// ---- Games ------------------------------------------------------------------
async function newGame() {
  readSettings();
  await stopEverything();
  const fromHere = state.settings.here;
  const startFen = fromHere ? state.game.fenAt(viewPly()) : START_FEN;
  state.game = new Game(startFen);
  state.tags = {};
  state.evals = [];
  state.opening = null;
  state.bookPlies = 0;
  if (state.settings.opening && !fromHere && openings.length) {
    const line = openings[Math.floor(Math.random() * openings.length)];
    for (const san of line.moves.split(' ')) if (!state.game.play(san)) break;
    state.opening = { eco: line.eco, name: line.name };
    state.bookPlies = state.game.ply;
  }
  state.player = state.settings.color === 'random' ? (Math.random() < 0.5 ? 'w' : 'b') : state.settings.color;
  state.orientation = state.player;
  board.setOrientation(state.orientation === 'w' ? COLOR.white : COLOR.black);
  state.clock = new Clock(timeControl(state.settings.tc));
  state.mode = 'play';
  state.view = null;
  const needRestart = !engine || engine.edition !== state.settings.edition || !engineReady;
  if (needRestart) {
    save();
    render();
    await startEngine();
    return;
  }
  engine.send(`setoption name Ponder value ${state.settings.ponder}`);
  engine.send('ucinewgame');
  await engine.ready().catch(() => {});
  continueGame();
}

// Starts the clocks and the engine where the game stands.
function continueGame() {
  const game = state.game;
  if (state.mode !== 'play' || game.result) {
    render();
    return;
  }
  if (!state.clock.running) state.clock.start(game.turn);
  if (game.turn !== state.player) engineMove();
  save();
  render();
}

function engineColor() {
  return state.player === 'w' ? 'b' : 'w';
}

function engineMove() {
  if (!engineReady || state.engineSearch || state.game.result || state.mode !== 'play') return;
  const game = state.game;
  const fen = game.fen;
  const turn = game.turn;
  const ply = game.ply;
  const position = positionCommand(game.startFen, game.lanMoves(), START_FEN);
  const go = goCommand({ clock: state.clock.goClock(), level: currentLevel() });
  setStatus(`${EDITION_NAMES[engine.edition]} is thinking…`);
  state.engineSearch = engine.go(position, go, {
    kind: 'move',
    onInfo: (info) => noteInfo(info, fen, turn, ply),
    onBest: (best) => engineMoved(best, ply),
  });
}

function noteInfo(info, fen, turn, ply) {
  if (!info.score || !info.pv) return;
  const score = whiteScore(info.score, turn);
  state.evals[ply] = scoreValue(score);
  lastInfoScore = score;
  renderEval(score);
  renderGraph();
}

function engineMoved(best, ply) {
  state.engineSearch = null;
  const game = state.game;
  if (state.mode !== 'play' || game.result || game.ply !== ply) return;
  if (!best.move) {
    render();
    return;
  }
  const mover = game.turn;
  const played = game.play(best.move);
  if (!played) {
    showNotice(`The engine sent an illegal move (${best.move}); the game is paused.`, 'error');
    return;
  }
  state.clock.press(mover);
  if (state.evals[ply] !== undefined) state.evals[ply + 1] = state.evals[ply];
  setStatus('Your move.');
  finishIfOver();
  if (!game.result && best.ponder && canPonder()) startPonder(best.ponder);
  save();
  render();
}

function canPonder() {
  return state.settings.ponder && engine?.isolated && engineReady;
}

function startPonder(move) {
  const game = state.game;
  const test = new Game(game.fen);
  if (!test.play(move)) return;
  const position = positionCommand(game.startFen, [...game.lanMoves(), move], START_FEN);
  const ply = game.ply + 1;
  const fen = test.fen;
  const go = goCommand({ clock: state.clock.goClock(), level: currentLevel(), ponder: true });
  const search = engine.go(position, go, {
    kind: 'ponder',
    onInfo: (info) => noteInfo(info, fen, test.turn, ply),
    onBest: (best) => engineMoved(best, ply),
  });
  state.ponder = { search, move };
}

// The player moved in a game against the engine.
async function playerMoved(lan) {
  state.clock.press(state.player);
  finishIfOver();
  const ponder = state.ponder;
  state.ponder = null;
  if (state.game.result) {
    await stopEverything();
    save();
    render();
    return;
  }
  if (ponder && !ponder.search.done) {
    if (ponder.move === lan) {
      // The engine guessed the move: its search goes on as the real one.
      state.engineSearch = ponder.search;
      engine.send('ponderhit');
      setStatus(`${EDITION_NAMES[engine.edition]} is thinking…`);
      save();
      render();
      return;
    }
    await engine.stopAll();
  }
  save();
  render();
  engineMove();
}

function finishIfOver() {
  const result = state.game.result;
  if (!result) return;
  state.clock.stop();
  state.view = null;
  setStatus('Game over.');
}

async function stopEverything() {
  state.ponder = null;
  state.engineSearch = null;
  state.analysing = false;
  if (engine && engineReady) await engine.stopAll();
}

async function takeBack() {
  const game = state.game;
  if (!game.ply) return;
  await stopEverything();
  if (state.mode === 'play') {
    let ply = game.ply - 1;
    while (ply > state.bookPlies && game.turnAt(ply) !== state.player) ply--;
    if (game.turnAt(ply) !== state.player) ply = Math.max(0, game.ply - 1);
    game.truncate(ply);
    state.evals.length = Math.min(state.evals.length, ply + 1);
    state.view = null;
    state.clock.start(game.turn);
    setStatus(game.turn === state.player ? 'Your move.' : '');
    continueGame();
  } else {
    game.truncate(game.ply - 1);
    state.evals.length = Math.min(state.evals.length, game.ply + 1);
    state.view = null;
    if (state.analysing) restartAnalysis();
  }
  save();
  render();
}

async function resign() {
  if (state.mode !== 'play' || state.game.result) return;
  await stopEverything();
  state.game.resign(state.player);
  finishIfOver();
  save();
  render();
}

async function analysisBoard() {
  await stopEverything();
  state.mode = 'free';
  state.clock.stop();
  setStatus('Analysis board: move both sides.');
  save();
  render();
}

// ---- The board --------------------------------------------------------------
function viewPly() {
  return state.view ?? state.game.ply;
}

function inputAllowed() {
  const game = state.game;
  if (state.mode === 'free') return !(game.result && viewPly() === game.ply);
  return !game.result && state.view === null && game.turn === state.player;
}

function onBoardInput(event) {
  const ply = viewPly();
  const game = state.game;
  const turn = game.turnAt(ply);
  const chess = ply === game.ply ? game : new Game(game.fenAt(ply));
  if (event.type === INPUT_EVENT_TYPE.moveInputStarted) {
    if (!inputAllowed()) return false;
    const moves = chess.movesFrom(event.squareFrom);
    if (!moves.length) return false;
    board.addLegalMovesMarkers(moves);
    return true;
  }
  if (event.type === INPUT_EVENT_TYPE.validateMoveInput) {
    board.removeLegalMovesMarkers();
    // No slide of the player's own piece: the board is ready for the next
    // move at once, even when the engine answers within milliseconds.
    event.animate = false;
    const moves = chess.movesFrom(event.squareFrom).filter((m) => m.to === event.squareTo);
    if (!moves.length) return false;
    if (moves[0].promotion) {
      board.showPromotionDialog(event.squareTo, turn === 'w' ? COLOR.white : COLOR.black, (result) => {
        if (result.type === PROMOTION_DIALOG_RESULT_TYPE.pieceSelected) {
          makeMove(`${event.squareFrom}${event.squareTo}${result.piece.charAt(1)}`);
        } else {
          render();
        }
      });
      return true;
    }
    setTimeout(() => makeMove(`${event.squareFrom}${event.squareTo}`), 0);
    return true;
  }
  if (event.type === INPUT_EVENT_TYPE.moveInputCanceled || event.type === INPUT_EVENT_TYPE.moveInputFinished) {
    board.removeLegalMovesMarkers();
  }
  return true;
}

// A move from the board or the move field, as "e2e4" / "e7e8q" or SAN.
function makeMove(move) {
  if (!inputAllowed()) {
    render();
    return false;
  }
  const game = state.game;
  const ply = viewPly();
  const wasAnalysing = state.analysing;
  if (state.mode === 'free' && ply < game.ply) game.truncate(ply);
  state.evals.length = Math.min(state.evals.length, game.ply + 1);
  const played = game.play(move);
  if (!played) {
    render();
    return false;
  }
  state.view = null;
  if (state.mode === 'play') {
    playerMoved(played.lan);
  } else {
    if (game.result) setStatus('Game over.');
    save();
    render();
    if (wasAnalysing) restartAnalysis();
  }
  return true;
}

function goTo(ply) {
  const game = state.game;
  const target = Math.max(0, Math.min(game.ply, ply));
  state.view = target === game.ply ? null : target;
  render();
  if (state.analysing) restartAnalysis();
}

async function flip() {
  state.orientation = state.orientation === 'w' ? 'b' : 'w';
  await board.setOrientation(state.orientation === 'w' ? COLOR.white : COLOR.black);
  save();
  render();
}

// ---- Analysis ---------------------------------------------------------------
let analysisRows = [];

function analysisAllowed() {
  return engineReady && !(state.mode === 'play' && !state.game.result);
}

async function toggleAnalysis() {
  if (state.analysing) {
    state.analysing = false;
    $('analysis-state').textContent = 'Stopped.';
    renderControls();
    await engine.stopAll({ keep: true });
    render();
    return;
  }
  if (!analysisAllowed()) {
    showNotice(engineReady ? 'Analysis opens when the game is over, or on the analysis board.' : 'The engine is not running.', 'info');
    return;
  }
  startAnalysis();
}

function startAnalysis() {
  const game = state.game;
  const ply = viewPly();
  const fen = game.fenAt(ply);
  const turn = game.turnAt(ply);
  state.analysing = true;
  analysisRows = [];
  $('analysis').replaceChildren();
  $('analysis-state').textContent = 'Analysing…';
  renderControls();
  const position = positionCommand(game.startFen, game.lanMoves(ply), START_FEN);
  const search = engine.go(position, 'go infinite', {
    kind: 'analysis',
    onBest: (best) => {
      // Only a position without a legal move ends an infinite search by itself.
      if (!best.move && state.analysing && state.analysisSearch === search) {
        state.analysing = false;
        $('analysis-state').textContent = new Game(fen).chess.isCheckmate() ? 'Checkmate: no move to analyse.' : 'No legal move.';
        renderControls();
      }
    },
    onInfo: (info) => {
      if (!info.pv || !info.score) {
        if (info.nodes && analysisRows.length) updateNodes(info);
        return;
      }
      const score = whiteScore(info.score, turn);
      state.evals[ply] = scoreValue(score);
      renderEval(score);
      // The engine reports its speed on lines of their own; a line with a
      // variation gets it from its own node count and time when it can.
      const nps = info.nps ?? (info.time > 0 && info.nodes ? Math.round((info.nodes * 1000) / info.time) : analysisRows[0]?.nps);
      addAnalysisRow({ ...info, nps, white: score, san: pvToSan(fen, info.pv) });
      renderGraph();
    },
  });
  state.analysisSearch = search;
}

async function restartAnalysis() {
  await engine.stopAll();
  if (state.analysing) startAnalysis();
}

function addAnalysisRow(row) {
  analysisRows.unshift(row);
  analysisRows.length = Math.min(analysisRows.length, 12);
  renderAnalysis();
}

function updateNodes(info) {
  const top = analysisRows[0];
  if (info.nodes) top.nodes = info.nodes;
  if (info.nps) top.nps = info.nps;
  renderAnalysis();
}

function renderAnalysis() {
  const list = $('analysis');
  list.replaceChildren(...analysisRows.map((row, i) => {
    const div = document.createElement('div');
    div.className = i === 0 ? 'line best' : 'line';
    const bound = row.bound === 'lowerbound' ? ' ≥' : row.bound === 'upperbound' ? ' ≤' : '';
    div.innerHTML = `<span class="score"></span><span class="depth"></span><span class="pv"></span><span class="stats"></span>`;
    div.querySelector('.score').textContent = formatScore(row.white) + bound;
    div.querySelector('.depth').textContent = `depth ${row.depth}${row.seldepth ? '/' + row.seldepth : ''}`;
    div.querySelector('.pv').textContent = row.san;
    div.querySelector('.stats').textContent = `${formatCount(row.nodes)} nodes · ${formatCount(row.nps)} nps`;
    return div;
  }));
}

function formatCount(n) {
  if (n === undefined) return '–';
  if (n >= 1e6) return `${(n / 1e6).toFixed(1)}M`;
  if (n >= 1e3) return `${(n / 1e3).toFixed(0)}k`;
  return String(n);
}

// ---- Console ----------------------------------------------------------------
const consoleLines = [];

function consoleLine(line, typed = false) {
  consoleLines.push(typed ? `> ${line}` : line);
  if (consoleLines.length > 1500) consoleLines.splice(0, consoleLines.length - 1000);
  scheduleConsole();
}

let consoleScheduled = false;
function scheduleConsole() {
  if (consoleScheduled) return;
  consoleScheduled = true;
  requestAnimationFrame(() => {
    consoleScheduled = false;
    const out = $('console-output');
    const atEnd = out.scrollTop + out.clientHeight >= out.scrollHeight - 8;
    out.textContent = consoleLines.join('\n');
    if (atEnd) out.scrollTop = out.scrollHeight;
  });
}

function sendConsole(line) {
  const text = line.trim();
  if (!text) return;
  if (!engine?.client) {
    consoleLine(text, true);
    consoleLine('(the engine is not running)');
    return;
  }
  if (/^go(\s|$)/.test(text)) engine.consoleGo();
  engine.send(text);
}

// ---- PGN ----------------------------------------------------------------------
function pgnTags() {
  const name = engine?.name || `Tallomir ${EDITION_NAMES[state.settings.edition]}`;
  const tags = { ...state.tags };
  if (state.mode === 'play') {
    tags.White = state.player === 'w' ? 'Player' : name;
    tags.Black = state.player === 'b' ? 'Player' : name;
    const control = state.clock.control;
    tags.TimeControl = control.movetime ? `${control.movetime / 1000}/move` : `${control.base / 1000}+${control.inc / 1000}`;
  }
  if (state.opening) {
    tags.ECO = state.opening.eco;
    tags.Opening = state.opening.name;
  }
  return tags;
}

function exportPgn() {
  const text = state.game.toPgn(pgnTags());
  $('pgn-text').value = text;
  return text;
}

function downloadPgn() {
  const text = exportPgn();
  const link = document.createElement('a');
  link.href = URL.createObjectURL(new Blob([text], { type: 'application/x-chess-pgn' }));
  link.download = `tallomir-${new Date().toISOString().slice(0, 10)}.pgn`;
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(link.href), 1000);
}

async function importText() {
  let imported;
  try {
    imported = Game.import($('pgn-text').value);
  } catch (error) {
    showNotice(error.message, 'error');
    return;
  }
  await stopEverything();
  state.game = imported.game;
  state.tags = Object.fromEntries(Object.entries(imported.tags)
    .filter(([key, value]) => value && !/^[?.\s-]*$/.test(value) && !['Result', 'SetUp', 'FEN', 'Termination'].includes(key)));
  state.mode = 'free';
  state.opening = imported.tags.Opening ? { eco: imported.tags.ECO || '', name: imported.tags.Opening } : null;
  state.bookPlies = 0;
  state.evals = [];
  state.view = null;
  state.clock = new Clock(timeControl(state.settings.tc));
  hideNotice();
  const what = imported.game.ply ? `${imported.game.ply} moves imported` : 'Position imported';
  setStatus(`${what}: analyse, move on, or tick "Start from the position on the board" and start a new game.`);
  save();
  render();
}

// ---- Persistence ------------------------------------------------------------
function save() {
  try {
    const data = {
      settings: state.settings, mode: state.mode, game: state.game.serialize(), player: state.player,
      clock: state.clock.serialize(), bookPlies: state.bookPlies, opening: state.opening,
      evals: state.evals, orientation: state.orientation, tags: state.tags,
    };
    localStorage.setItem(STORAGE_KEY, JSON.stringify(data));
  } catch {
    // Private windows may refuse storage; the game simply does not survive a reload.
  }
}

function restore() {
  let data;
  try {
    data = JSON.parse(localStorage.getItem(STORAGE_KEY) || 'null');
  } catch {
    data = null;
  }
  if (!data) {
    writeSettings();
    return;
  }
  try {
    state.settings = { ...state.settings, ...data.settings };
    state.game = Game.deserialize(data.game);
    state.mode = data.mode === 'play' ? 'play' : 'free';
    state.player = data.player === 'b' ? 'b' : 'w';
    state.clock = Clock.deserialize(data.clock);
    state.bookPlies = data.bookPlies || 0;
    state.opening = data.opening || null;
    state.evals = Array.isArray(data.evals) ? data.evals : [];
    state.orientation = data.orientation === 'b' ? 'b' : 'w';
    state.tags = data.tags || {};
  } catch (error) {
    state.game = new Game();
    state.mode = 'free';
    showNotice(`The saved game could not be restored (${error.message}); a new board is shown.`, 'error');
  }
  writeSettings();
}

// ---- Drawing ------------------------------------------------------------------
function render() {
  const game = state.game;
  const ply = viewPly();
  const fen = game.fenAt(ply);
  board.setPosition(fen, true).then(labelSquares);
  board.removeMarkers(MARKER_TYPE.square);
  board.removeMarkers(MARKER_TYPE.circleDanger);
  if (ply > 0) {
    const last = game.moves[ply - 1];
    board.addMarker(MARKER_TYPE.square, last.from);
    board.addMarker(MARKER_TYPE.square, last.to);
  }
  const position = new Game(fen).chess;
  if (position.inCheck()) {
    const king = position.findPiece({ type: 'k', color: position.turn() })[0];
    if (king) board.addMarker(MARKER_TYPE.circleDanger, king);
  }
  // Input stays enabled; onBoardInput refuses a move while it is not the player's.
  if (!board.isMoveInputEnabled()) board.enableMoveInput(onBoardInput);
  $('board').classList.toggle('waiting', !inputAllowed());
  renderMoves();
  renderClocks();
  renderPlayers();
  renderResult();
  renderControls();
  renderGraph();
  const known = state.evals[ply];
  if (known !== undefined && !state.analysing) renderEval(valueToScore(known));
}

function valueToScore(value) {
  if (Math.abs(value) > 9000) return { mate: Math.sign(value) * (10000 - Math.abs(value)) };
  return { cp: value };
}

// Every square gets its name and what stands on it, for screen readers and scripts.
function labelSquares() {
  const position = new Game(state.game.fenAt(viewPly())).chess;
  for (const rect of $('board').querySelectorAll('rect.square[data-square]')) {
    const square = rect.getAttribute('data-square');
    const piece = position.get(square);
    const text = piece ? `${square}, ${piece.color === 'w' ? 'white' : 'black'} ${PIECE_NAMES[piece.type]}` : `${square}, empty`;
    rect.setAttribute('aria-label', text);
    rect.setAttribute('role', 'img');
  }
}

function renderMoves() {
  const list = $('moves');
  const game = state.game;
  const ply = viewPly();
  const firstTurn = game.turnAt(0);
  const firstNumber = Number(game.startFen.split(' ')[5]) || 1;
  const items = [];
  let item = null;
  game.moves.forEach((move, i) => {
    const number = firstNumber + Math.floor((i + (firstTurn === 'b' ? 1 : 0)) / 2);
    if (move.color === 'w' || !item) {
      item = document.createElement('li');
      item.value = number;
      const num = document.createElement('span');
      num.className = 'num';
      num.textContent = move.color === 'w' ? `${number}.` : `${number}…`;
      item.append(num);
      items.push(item);
    }
    const button = document.createElement('button');
    button.type = 'button';
    button.className = 'move' + (i + 1 === ply ? ' current' : '') + (i < state.bookPlies ? ' book' : '');
    button.textContent = move.san;
    button.dataset.ply = String(i + 1);
    button.setAttribute('aria-label', `${number}${move.color === 'w' ? '.' : '…'} ${move.san}`);
    if (i + 1 === ply) button.setAttribute('aria-current', 'true');
    item.append(button);
    if (move.color === 'b') item = null;
  });
  if (game.result) {
    const li = document.createElement('li');
    li.className = 'score';
    li.textContent = game.result.score;
    items.push(li);
  }
  list.replaceChildren(...items);
  // Keeps the current move in sight by scrolling the list alone, never the page.
  const current = list.querySelector('.current');
  if (current) {
    const top = current.offsetTop - list.offsetTop;
    if (top < list.scrollTop) list.scrollTop = top;
    else if (top + current.offsetHeight > list.scrollTop + list.clientHeight) list.scrollTop = top + current.offsetHeight - list.clientHeight;
  } else if (!state.view) {
    list.scrollTop = list.scrollHeight;
  }
}

function tick() {
  const clock = state.clock;
  if (state.mode === 'play' && !state.game.result) {
    const flagged = clock.flagged();
    if (flagged) {
      state.game.flag(flagged);
      stopEverything();
      finishIfOver();
      save();
      render();
      return;
    }
  }
  renderClocks();
}

function renderClocks() {
  const clock = state.clock;
  const play = state.mode === 'play';
  for (const color of ['w', 'b']) {
    const el = $(color === 'w' ? 'clock-white' : 'clock-black');
    const text = play ? formatClock(clock.read(color)) : '–';
    if (el.textContent !== text) el.textContent = text;
    el.classList.toggle('running', play && clock.running === color);
    el.classList.toggle('low', play && !clock.fixed && clock.read(color) < 20000);
  }
  const bottom = state.orientation;
  const white = $('clock-white');
  const black = $('clock-black');
  const top = $('slot-top');
  const low = $('slot-bottom');
  if (bottom === 'w' && white.parentElement !== low) { low.replaceChildren(white); top.replaceChildren(black); }
  if (bottom === 'b' && black.parentElement !== low) { low.replaceChildren(black); top.replaceChildren(white); }
}

function renderPlayers() {
  const name = `Tallomir ${EDITION_NAMES[state.mode === 'play' ? state.settings.edition : engine?.edition ?? state.settings.edition]}`;
  const level = currentLevel();
  const engineLabel = `${name} · ${level.name}${level.elo ? ` (~${level.elo})` : ''}`;
  const label = (color) => (state.mode !== 'play' ? (color === 'w' ? 'White' : 'Black') : color === state.player ? 'You' : engineLabel);
  const top = state.orientation === 'w' ? 'b' : 'w';
  $('name-top').textContent = label(top);
  $('name-bottom').textContent = label(state.orientation);
}

function renderResult() {
  const result = state.game.result;
  const el = $('result');
  if (!result) {
    el.hidden = true;
  } else {
    const who = result.score === '1-0' ? 'White wins' : result.score === '0-1' ? 'Black wins' : 'Draw';
    el.textContent = `${result.score} · ${who} by ${result.reason}`;
    if (result.score === '1/2-1/2') el.textContent = `${result.score} · Draw by ${result.reason}`;
    if (result.reason === REASONS.time && result.score === '1/2-1/2') el.textContent = `${result.score} · Draw: time ran out, but the other side cannot mate`;
    el.hidden = false;
  }
  const opening = $('opening');
  opening.hidden = !state.opening;
  if (state.opening) opening.textContent = `Opening: ${state.opening.eco ? state.opening.eco + ' ' : ''}${state.opening.name}`;
}

function renderControls() {
  const game = state.game;
  const ply = viewPly();
  const playing = state.mode === 'play' && !game.result;
  $('btn-first').disabled = ply === 0;
  $('btn-prev').disabled = ply === 0;
  $('btn-next').disabled = ply === game.ply;
  $('btn-last').disabled = ply === game.ply;
  $('btn-takeback').disabled = game.ply === 0 || (state.mode === 'play' && game.ply <= state.bookPlies && !game.result);
  $('btn-resign').disabled = !playing;
  const analyse = $('btn-analyse');
  analyse.textContent = state.analysing ? 'Stop analysis' : 'Start analysis';
  analyse.disabled = !state.analysing && !analysisAllowed();
  analyse.title = analysisAllowed() || state.analysing ? '' : 'Analysis opens when the game is over, or on the analysis board.';
  const ponder = $('new-game').ponder;
  ponder.disabled = Boolean(engine && engineReady && !engine.isolated);
  ponder.parentElement.title = ponder.disabled ? 'Pondering needs a cross-origin isolated page.' : '';
}

function renderEval(score) {
  const value = scoreValue(score);
  const share = 50 + 50 * Math.tanh(value / 600);
  $('eval-fill').style.height = `${share}%`;
  $('eval-text').textContent = formatScore(score);
  const bar = $('eval-bar');
  bar.setAttribute('aria-valuenow', String(Math.max(-10, Math.min(10, value / 100))));
  bar.setAttribute('aria-valuetext', formatScore(score));
  bar.classList.toggle('flipped', state.orientation === 'b');
}

function renderGraph() {
  const svg = $('graph');
  const values = state.evals;
  const n = Math.max(state.game.ply, 1);
  const y = (v) => 40 - 38 * Math.tanh((v ?? 0) / 600);
  let path = '';
  for (let i = 0; i <= state.game.ply; i++) {
    if (values[i] === undefined) continue;
    path += `${path ? 'L' : 'M'}${((i / n) * 300).toFixed(1)},${y(values[i]).toFixed(1)}`;
  }
  const cursor = (viewPly() / n) * 300;
  svg.innerHTML = `<rect x="0" y="0" width="300" height="80" class="graph-bg"/>` +
    `<line x1="0" y1="40" x2="300" y2="40" class="graph-axis"/>` +
    (path ? `<path d="${path}" class="graph-line"/>` : '') +
    `<line x1="${cursor}" y1="0" x2="${cursor}" y2="80" class="graph-cursor"/>`;
}

// ---- Messages -----------------------------------------------------------------
function setStatus(text) {
  $('status').textContent = text;
}

function showNotice(text, kind = 'error', button = null) {
  const el = $('notice');
  el.className = `notice ${kind}`;
  el.replaceChildren(document.createTextNode(text));
  if (button) {
    const b = document.createElement('button');
    b.type = 'button';
    b.textContent = button.label;
    b.addEventListener('click', button.action);
    el.append(' ', b);
  }
  const close = document.createElement('button');
  close.type = 'button';
  close.textContent = 'Dismiss';
  close.addEventListener('click', hideNotice);
  el.append(' ', close);
  el.hidden = false;
}

function hideNotice() {
  $('notice').hidden = true;
}

// ---- Controls -------------------------------------------------------------------
function wireControls() {
  $('new-game').addEventListener('submit', (e) => {
    e.preventDefault();
    newGame();
  });
  $('new-game').addEventListener('change', () => {
    const form = $('new-game');
    state.settings.ponder = form.ponder.checked;
    state.settings.level = Number(form.level.value);
    save();
  });
  $('btn-board').addEventListener('click', analysisBoard);
  $('btn-first').addEventListener('click', () => goTo(0));
  $('btn-prev').addEventListener('click', () => goTo(viewPly() - 1));
  $('btn-next').addEventListener('click', () => goTo(viewPly() + 1));
  $('btn-last').addEventListener('click', () => goTo(state.game.ply));
  $('btn-flip').addEventListener('click', flip);
  $('btn-takeback').addEventListener('click', takeBack);
  $('btn-resign').addEventListener('click', resign);
  $('btn-analyse').addEventListener('click', toggleAnalysis);
  $('btn-export').addEventListener('click', exportPgn);
  $('btn-download').addEventListener('click', downloadPgn);
  $('btn-import').addEventListener('click', importText);
  $('btn-fen').addEventListener('click', () => {
    const fen = state.game.fenAt(viewPly());
    $('pgn-text').value = fen;
    navigator.clipboard?.writeText(fen).catch(() => {});
  });
  $('moves').addEventListener('click', (e) => {
    const ply = e.target.closest('button.move')?.dataset.ply;
    if (ply) goTo(Number(ply));
  });
  $('graph').addEventListener('click', (e) => {
    const rect = $('graph').getBoundingClientRect();
    goTo(Math.round(((e.clientX - rect.left) / rect.width) * Math.max(state.game.ply, 1)));
  });
  $('move-form').addEventListener('submit', (e) => {
    e.preventDefault();
    const input = $('move-input');
    const text = input.value.trim();
    if (!text) return;
    if (makeMove(text)) {
      input.value = '';
      input.setCustomValidity('');
    } else {
      input.setCustomValidity(inputAllowed() ? `${text} is not a legal move here.` : 'It is not your move.');
      input.reportValidity();
    }
  });
  $('move-input').addEventListener('input', (e) => e.target.setCustomValidity(''));
  $('console-form').addEventListener('submit', (e) => {
    e.preventDefault();
    const input = $('console-input');
    sendConsole(input.value);
    input.value = '';
  });
  document.addEventListener('keydown', (e) => {
    if (e.target.closest('input, textarea, select, [role=dialog]') || e.target.closest('#board') || e.altKey || e.ctrlKey || e.metaKey) return;
    const keys = { ArrowLeft: () => goTo(viewPly() - 1), ArrowRight: () => goTo(viewPly() + 1), Home: () => goTo(0), End: () => goTo(state.game.ply), f: flip };
    if (keys[e.key]) {
      e.preventDefault();
      keys[e.key]();
    }
  });
}

// For scripts and tests: the state of the page.
window.tallomir = {
  state,
  get engine() { return engine; },
  get board() { return board; },
  // True when the board takes a new move (no move of its own still sliding).
  boardReady: () => board?.view?.visualMoveInput?.moveInputState === 'waitForInputStart',
};

// Offline use: the service worker keeps every file of the build.
if ('serviceWorker' in navigator && import.meta.env.PROD) {
  navigator.serviceWorker.register('./sw.js').catch(() => {});
}
