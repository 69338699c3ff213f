// The engine's Web Worker (a classic worker; web/src/engine/client.js starts
// it). Its first message names the edition and, on a cross-origin isolated
// page, brings the input ring, a SharedArrayBuffer that the client writes and
// the engine reads even while it searches. Without it, lines come as
// messages and wait in a queue until the engine asks for the next one.
//
// To the client: {type: 'running'} once the engine runs, {type: 'line', text}
// for every line it prints, {type: 'error', text} for its error output,
// {type: 'exit', status} when it ends, {type: 'failed', text} when it
// cannot load or breaks down.
'use strict';

var started = false;
var encoder = new TextEncoder();

function fail(text) {
  postMessage({ type: 'failed', text: String(text) });
}

function start(message) {
  var script = 'tallomir-' + message.edition + '.js';
  self.Module = {
    tallomirRing: message.ring || null,
    print: function (text) { postMessage({ type: 'line', text: text }); },
    printErr: function (text) { postMessage({ type: 'error', text: text }); },
    onRuntimeInitialized: function () { postMessage({ type: 'running' }); },
    onExit: function (status) { postMessage({ type: 'exit', status: status }); },
    onAbort: function (what) { fail(what); },
  };
  try {
    importScripts(script);
  } catch (e) {
    fail('the engine script ' + script + ' could not be loaded (' + (e && e.message ? e.message : e) + ')');
  }
}

self.onmessage = function (event) {
  var message = event.data;
  if (message.type === 'start') {
    if (!started) {
      started = true;
      start(message);
    }
  } else if (message.type === 'line') {
    if (self.Module && self.Module.tallomirPush) self.Module.tallomirPush(encoder.encode(message.text + '\n'));
  }
};

self.addEventListener('error', function (event) {
  fail(event.message || 'the engine broke down');
});
self.addEventListener('unhandledrejection', function (event) {
  var reason = event.reason;
  if (reason && reason.name === 'ExitStatus') return;
  fail(reason && reason.message ? reason.message : reason);
});
