// Runs before the engine's loader. The engine reads its input from one of
// two sources, both set up here:
//  - a ring of bytes in a SharedArrayBuffer that another thread writes (the
//    page's client, or the stdin reader thread under Node.js). The engine
//    blocks on it with Atomics.wait when idle and checks it with
//    Atomics.load during a search, so lines reach a running search.
//  - without shared memory (a page that is not cross-origin isolated), a
//    queue of lines that the worker fills between commands: when it is empty
//    the engine unwinds to the worker's event loop and is resumed at the
//    next line. A running search then cannot hear anything.
//
// Ring layout (shared with the writers): four Int32 words, then the bytes.
//   [0] write index, [1] read index (both modulo the byte count),
//   [2] 1 once the writer has closed the input, [3] a counter bumped on
//   every write and on close, which the reader waits on.

var TALLOMIR_RING_HEADER = 16;

function tallomirRingInput(shared) {
  var control = new Int32Array(shared, 0, 4);
  var bytes = new Uint8Array(shared, TALLOMIR_RING_HEADER);
  var size = bytes.length;
  return {
    // Blocks until bytes are there; 0 once the input is closed and drained.
    read: function(buffer, capacity) {
      for (;;) {
        var seen = Atomics.load(control, 3);
        var head = Atomics.load(control, 0);
        var tail = Atomics.load(control, 1);
        if (head !== tail) {
          var n = 0;
          while (tail !== head && n < capacity) {
            HEAPU8[buffer + n++] = bytes[tail];
            tail = (tail + 1) % size;
          }
          Atomics.store(control, 1, tail);
          Atomics.notify(control, 1);
          return n;
        }
        if (Atomics.load(control, 2)) return 0;
        Atomics.wait(control, 3, seen);
      }
    },
    waiting: function() {
      return Atomics.load(control, 0) !== Atomics.load(control, 1) || Atomics.load(control, 2) !== 0;
    },
  };
}

// The queue of the worker without shared memory. tallomirPush adds a line
// (its bytes, line end included) and resumes an engine that was waiting.
var tallomirQueue = [];
var tallomirQueueClosed = false;
var tallomirParked = false;
var tallomirStackTop = 0;

function tallomirQueueInput() {
  return {
    read: function(buffer, capacity) {
      if (!tallomirQueue.length) {
        if (tallomirQueueClosed) return 0;
        tallomirParked = true;
        throw 'unwind';
      }
      var head = tallomirQueue[0];
      var n = Math.min(capacity, head.length);
      HEAPU8.set(head.subarray(0, n), buffer);
      if (n === head.length) tallomirQueue.shift();
      else tallomirQueue[0] = head.subarray(n);
      return n;
    },
    waiting: function() {
      return tallomirQueue.length > 0 || tallomirQueueClosed;
    },
  };
}

Module['tallomirPush'] = function(bytes) {
  tallomirQueue.push(bytes);
  tallomirWake();
};
Module['tallomirClose'] = function() {
  tallomirQueueClosed = true;
  tallomirWake();
};

function tallomirWake() {
  if (!tallomirParked) return;
  tallomirParked = false;
  // The unwound frames left the stack pointer where they were.
  stackRestore(tallomirStackTop);
  try {
    _tallomir_resume();
  } catch (e) {
    if (e !== 'unwind' && !(e instanceof ExitStatus)) throw e;
  }
}

var tallomirInput = null;

function tallomirInputSource() {
  if (!tallomirInput) {
    if (Module['tallomirRing']) tallomirInput = tallomirRingInput(Module['tallomirRing']);
    else tallomirInput = tallomirQueueInput();
  }
  return tallomirInput;
}

(function() {
  var initialised = Module['onRuntimeInitialized'];
  Module['onRuntimeInitialized'] = function() {
    tallomirStackTop = stackSave();
    if (initialised) initialised();
  };
})();

// Under Node.js the script is a console program: the .wasm beside it is read
// here (the loader would try to fetch a file path), lines go to descriptors
// 1 and 2 as they are printed, and a thread copies standard input into the
// ring.
if (typeof process == 'object' && typeof process.versions == 'object' &&
    typeof process.versions.node == 'string' && !Module['tallomirRing'] && typeof __filename == 'string') {
  (function() {
    var fs = require('fs');
    if (!Module['wasmBinary']) {
      Module['wasmBinary'] = fs.readFileSync(__filename.replace(/\.js$/, '') + '.wasm');
    }
    var write = function(fd, text) {
      var data = Buffer.from(text + '\n');
      var done = 0;
      while (done < data.length) {
        try {
          done += fs.writeSync(fd, data, done);
        } catch (e) {
          if (e.code !== 'EAGAIN') return;  // a reader that went away
          Atomics.wait(new Int32Array(new SharedArrayBuffer(4)), 0, 0, 1);
        }
      }
    };
    Module['print'] = function(text) { write(1, text); };
    Module['printErr'] = function(text) { write(2, text); };
    // The thread starts at once, while the engine's code is being compiled.
    var shared = new SharedArrayBuffer(TALLOMIR_RING_HEADER + 65536);
    Module['tallomirRing'] = shared;
    var threads = require('worker_threads');
    // The thread reads through a stream, not a blocking read: exiting the
    // process waits for the thread, and a blocked read would hold it up
    // until the other side closed its end.
    var reader = new threads.Worker(
      'var shared = require("worker_threads").workerData, fs = require("fs"), net = require("net"), tty = require("tty");' +
      'var control = new Int32Array(shared, 0, 4), bytes = new Uint8Array(shared, ' + TALLOMIR_RING_HEADER + '), size = bytes.length;' +
      'function put(chunk) {' +
      '  var i = 0;' +
      '  while (i < chunk.length) {' +
      '    var head = control[0], tail = Atomics.load(control, 1);' +
      '    if ((head + 1) % size === tail) { Atomics.wait(control, 1, tail); continue; }' +
      '    while (i < chunk.length && (head + 1) % size !== tail) { bytes[head] = chunk[i++]; head = (head + 1) % size; }' +
      '    Atomics.store(control, 0, head); Atomics.add(control, 3, 1); Atomics.notify(control, 3);' +
      '  }' +
      '}' +
      'function close() { Atomics.store(control, 2, 1); Atomics.add(control, 3, 1); Atomics.notify(control, 3); }' +
      'try {' +
      '  var stat = fs.fstatSync(0), input;' +
      '  if (tty.isatty(0)) input = new tty.ReadStream(0);' +
      '  else if (stat.isFIFO() || stat.isSocket()) input = new net.Socket({ fd: 0, readable: true, writable: false });' +
      '  else input = fs.createReadStream(null, { fd: 0 });' +
      '  input.on("data", put); input.on("end", close); input.on("error", close);' +
      '} catch (e) { close(); }',
      { eval: true, workerData: shared });
    reader.unref();
  })();
}
