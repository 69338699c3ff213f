// The page's side of the conversation with the engine: starts it, tells the
// searches apart, and stops them the way the engine's mode allows.
import { EngineClient } from './engine/client.js';
import { parseBestmove, parseInfo } from './uci.js';

const START_SECONDS = 20;

export class Engine {
  constructor({ onLine, onError, onSend }) {
    this.onLine = onLine;
    this.onSend = onSend;
    this.onError = onError;
    this.client = null;
    this.edition = null;
    this.searches = []; // searches that will each end with one "bestmove", oldest first
    this.waiters = [];
    this.name = '';
    this.failed = false;
  }

  get isolated() { return Boolean(this.client?.isolated); }
  get current() { return this.searches[0] ?? null; }

  // Starts (or restarts) the worker of an edition and waits for "uciok" and
  // "readyok". Rejects with a readable message.
  async start(edition, options = {}) {
    if (this.client) this.terminate();
    this.edition = edition;
    this.failed = false;
    let client = null;
    let timedOut = false;
    let timer;
    const starting = EngineClient.start({
      edition,
      base: new URL('./engine/', document.baseURI).href,
      onLine: (line) => this.receive(client, line),
      onError: (message) => this.fail(client, message),
    }).then((started) => {
      // A worker that answers only after the page gave up is not kept.
      if (timedOut) started.terminate();
      return started;
    });
    const limit = new Promise((_, reject) => {
      timer = setTimeout(() => {
        timedOut = true;
        reject(new Error(`the engine did not start within ${START_SECONDS} seconds (its files may be missing, or blocked by the browser)`));
      }, START_SECONDS * 1000);
    });
    try {
      client = await Promise.race([starting, limit]);
    } finally {
      clearTimeout(timer);
    }
    this.client = client;
    const uciok = this.expect((line) => line === 'uciok', 20000, 'The engine did not answer "uci".');
    this.send('uci');
    await uciok;
    for (const [name, value] of Object.entries(options)) this.send(`setoption name ${name} value ${value}`);
    await this.ready();
  }

  async ready() {
    const readyok = this.expect((line) => line === 'readyok', 20000, 'The engine did not answer "isready".');
    this.send('isready');
    await readyok;
  }

  send(line) {
    if (!this.client) return;
    this.onSend?.(line);
    this.client.send(line);
  }

  receive(client, line) {
    if (client !== this.client) return;
    if (line.startsWith('id name ')) this.name = line.slice(8);
    this.onLine?.(line);
    for (const waiter of [...this.waiters]) {
      if (waiter.test(line)) {
        this.waiters.splice(this.waiters.indexOf(waiter), 1);
        clearTimeout(waiter.timer);
        waiter.resolve(line);
      }
    }
    const search = this.current;
    if (line.startsWith('info ')) {
      if (search && !search.discard) search.onInfo?.(parseInfo(line), line);
    } else if (line.startsWith('bestmove')) {
      this.searches.shift();
      if (search) {
        search.done = true;
        if (!search.discard) search.onBest?.(parseBestmove(line));
        search.resolve();
      }
    }
  }

  fail(client, message) {
    if (client !== this.client) return;
    this.failed = true;
    for (const search of this.searches.splice(0)) search.resolve();
    for (const waiter of this.waiters.splice(0)) {
      clearTimeout(waiter.timer);
      waiter.reject(new Error(message));
    }
    this.onError?.(message);
  }

  // Resolves with the first line that passes `test`.
  expect(test, timeout, message) {
    return new Promise((resolve, reject) => {
      const waiter = { test, resolve, reject };
      waiter.timer = setTimeout(() => {
        this.waiters.splice(this.waiters.indexOf(waiter), 1);
        reject(new Error(message));
      }, timeout);
      this.waiters.push(waiter);
    });
  }

  // Sends a position and a "go"; the search's info lines and its best move go
  // to the handlers. Returns the search.
  go(position, go, { onInfo, onBest, kind = 'search' } = {}) {
    const search = this.track({ kind, onInfo, onBest, discard: false, go });
    if (position) this.send(position);
    this.send(go);
    return search;
  }

  // A "go" typed in the console: its best move belongs to nobody.
  consoleGo() {
    this.track({ kind: 'console', discard: true });
  }

  // A search the engine runs from now on, finished once its best move is in.
  track(search) {
    search.done = false;
    search.finished = new Promise((resolve) => { search.resolve = resolve; });
    this.searches.push(search);
    return search;
  }

  // Ends every running search; their best moves are dropped unless `keep`.
  // With shared memory the engine gets "stop" and answers; without it the
  // client replaces the worker and no best move follows.
  async stopAll({ keep = false } = {}) {
    const pending = this.searches.filter((s) => !s.done);
    if (!pending.length || !this.client) return;
    if (!keep) for (const s of pending) s.discard = true;
    if (this.isolated) {
      this.send('stop');
      await Promise.race([Promise.all(pending.map((s) => s.finished)), delay(3000)]);
    } else {
      await this.client.stop();
      for (const s of pending) {
        s.done = true;
        s.resolve();
      }
      this.searches = this.searches.filter((s) => !pending.includes(s));
    }
  }

  terminate() {
    for (const waiter of this.waiters.splice(0)) {
      clearTimeout(waiter.timer);
      waiter.reject(new Error('The engine was restarted.'));
    }
    for (const search of this.searches.splice(0)) {
      search.discard = true;
      search.resolve();
    }
    this.client?.terminate();
    this.client = null;
  }
}

function delay(ms) {
  return new Promise((resolve) => setTimeout(resolve, ms));
}
