// The page's side of the engine: starts the Web Worker (worker.js beside the
// engine files), sends it UCI lines and hands back every line it prints.
//
// On a cross-origin isolated page the lines go through a ring of bytes in a
// SharedArrayBuffer, which the engine reads even in the middle of a search:
// "stop", "isready" and "ponderhit" work as on a console. Elsewhere lines go
// as messages that the engine sees only between commands; a search then
// ends by its own limits, and stop() replaces the worker with a fresh one
// that is given the options and the position again.

const RING_HEADER = 16; // four Int32 words: write index, read index, closed, counter
const RING_BYTES = 1 << 16;
const RETRY_MS = 5;

const encoder = new TextEncoder();

function canShareMemory() {
  return typeof SharedArrayBuffer === 'function' && globalThis.crossOriginIsolated !== false;
}

// The writer's half of the ring (the reader is in the engine's loader).
class Ring {
  constructor() {
    this.shared = new SharedArrayBuffer(RING_HEADER + RING_BYTES);
    this.control = new Int32Array(this.shared, 0, 4);
    this.bytes = new Uint8Array(this.shared, RING_HEADER);
    this.pending = [];
    this.timer = null;
  }

  write(bytes) {
    this.pending.push(bytes);
    this.flush();
  }

  // Copies what fits; the rest waits until the engine has read some.
  flush() {
    const size = this.bytes.length;
    let wrote = false;
    while (this.pending.length) {
      const chunk = this.pending[0];
      let head = this.control[0];
      const tail = Atomics.load(this.control, 1);
      let i = 0;
      while (i < chunk.length && (head + 1) % size !== tail) {
        this.bytes[head] = chunk[i++];
        head = (head + 1) % size;
      }
      if (i > 0) {
        Atomics.store(this.control, 0, head);
        wrote = true;
      }
      if (i < chunk.length) {
        this.pending[0] = chunk.subarray(i);
        break;
      }
      this.pending.shift();
    }
    if (wrote) {
      Atomics.add(this.control, 3, 1);
      Atomics.notify(this.control, 3);
    }
    if (this.pending.length && this.timer === null) {
      this.timer = setTimeout(() => {
        this.timer = null;
        this.flush();
      }, RETRY_MS);
    }
  }

  close() {
    clearTimeout(this.timer);
    this.timer = null;
    this.pending = [];
  }
}

function describeExit(status, errors) {
  const said = errors.length ? `: ${errors.join(' ')}` : '';
  if (errors.some((line) => /cannot allocate/.test(line))) {
    return `The engine stopped because the browser would not give it enough memory${said}. ` +
      'Choose a smaller Hash value.';
  }
  return `The engine stopped unexpectedly (exit status ${status})${said}.`;
}

export class EngineClient {
  // Resolves once the worker runs the engine (the page then sends "uci" and
  // "isready" itself); rejects, after onError, when it cannot start.
  static async start({ edition = 'vendrel', base = './engine/', onLine = () => {}, onError = () => {} } = {}) {
    const client = new EngineClient(edition, base, onLine, onError);
    await client.launch();
    return client;
  }

  constructor(edition, base, onLine, onError) {
    this.edition = edition;
    const folder = String(base).endsWith('/') ? String(base) : `${base}/`;
    this.base = new URL(folder, globalThis.location.href);
    this.onLine = onLine;
    this.onError = onError;
    this.isolated = canShareMemory();
    this.worker = null;
    this.ring = null;
    this.searching = false;
    this.quitting = false;
    this.dead = false;
    this.options = new Map(); // option name in lower case -> its setoption line
    this.position = null; // the last "position" line
    this.stopWaiters = [];
    this.muted = false; // a replacement worker's banner and answers to the replay
    this.unmuted = null;
  }

  launch() {
    return new Promise((resolve, reject) => {
      let running = false;
      let failed = false;
      const errors = [];
      const worker = new Worker(new URL('worker.js', this.base));
      const failure = (text) => {
        if (failed || worker !== this.worker) return;
        failed = true;
        this.dead = true;
        this.searching = false;
        worker.terminate();
        this.onError(text);
        if (!running) reject(new Error(text));
        this.releaseStopWaiters();
      };
      worker.onmessage = (event) => {
        const message = event.data;
        if (worker !== this.worker) return;
        switch (message.type) {
          case 'running':
            running = true;
            resolve();
            break;
          case 'line':
            this.receive(message.text);
            break;
          case 'error':
            errors.push(message.text);
            break;
          case 'exit':
            if (this.quitting && message.status === 0) {
              this.dead = true;
              worker.terminate();
              this.releaseStopWaiters();
            } else {
              failure(describeExit(message.status, errors));
            }
            break;
          case 'failed':
            failure(`The engine could not run: ${message.text}.`);
            break;
          default:
            break;
        }
      };
      worker.onerror = (event) => {
        event.preventDefault();
        failure(event.message ? `The engine could not run: ${event.message}.`
          : `The engine's worker (${new URL('worker.js', this.base)}) could not be started.`);
      };
      worker.onmessageerror = () => failure('The engine sent a message the page could not read.');
      this.worker = worker;
      this.ring = null;
      let ring = null;
      if (this.isolated) {
        try {
          ring = new Ring();
          worker.postMessage({ type: 'start', edition: this.edition, ring: ring.shared });
        } catch (e) {
          // Shared memory that cannot be posted: work as a page without it.
          ring = null;
          this.isolated = false;
        }
      }
      if (!ring) worker.postMessage({ type: 'start', edition: this.edition });
      this.ring = ring;
    });
  }

  receive(text) {
    if (this.muted) {
      if (text === 'readyok') {
        this.muted = false;
        if (this.unmuted) this.unmuted();
        this.unmuted = null;
      }
      return;
    }
    if (text.startsWith('bestmove')) {
      this.searching = false;
      this.releaseStopWaiters();
    }
    this.onLine(text);
  }

  releaseStopWaiters() {
    if (this.dead && this.unmuted) {
      this.unmuted();
      this.unmuted = null;
    }
    const waiters = this.stopWaiters;
    this.stopWaiters = [];
    for (const resolve of waiters) resolve();
  }

  // Any UCI line, at any time (without its line end).
  send(line) {
    if (this.dead) return;
    const text = String(line).replace(/[\r\n]+$/, '');
    const words = text.trim().split(/\s+/);
    const command = words[0];
    if (command === 'go' && words.length > 1 && !this.searching) this.searching = true;
    else if (command === 'position') this.position = text;
    else if (command === 'setoption' && words[1] === 'name') {
      const valueAt = words.indexOf('value');
      const name = words.slice(2, valueAt < 0 ? undefined : valueAt).join(' ').toLowerCase();
      if (name && !this.searching) this.options.set(name, text);
    } else if (command === 'quit') this.quitting = true;
    this.post(text);
  }

  post(text) {
    if (this.ring) this.ring.write(encoder.encode(text + '\n'));
    else this.worker.postMessage({ type: 'line', text });
  }

  // Ends a running search. Isolated: "stop", resolved at the best move.
  // Otherwise the worker is replaced; no best move follows.
  async stop() {
    if (this.dead || !this.searching) return;
    if (this.isolated) {
      const done = new Promise((resolve) => this.stopWaiters.push(resolve));
      this.post('stop');
      await done;
      return;
    }
    this.worker.terminate();
    this.searching = false;
    this.muted = true;
    const ready = new Promise((resolve) => { this.unmuted = resolve; });
    // The new worker queues these ahead of anything the page sends meanwhile.
    const started = this.launch();
    for (const line of this.options.values()) this.post(line);
    if (this.position) this.post(this.position);
    this.post('isready');
    await started;
    await ready;
  }

  terminate() {
    this.dead = true;
    if (this.ring) this.ring.close();
    if (this.worker) this.worker.terminate();
    this.releaseStopWaiters();
  }
}
