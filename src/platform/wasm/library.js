// The engine's imports from JavaScript (see pre.js for the input sources).
mergeInto(LibraryManager.library, {
  tallomir_read_input: function(buffer, capacity) {
    return tallomirInputSource().read(buffer, capacity);
  },
  tallomir_input_waiting: function() {
    return tallomirInputSource().waiting() ? 1 : 0;
  },
  // Under Node.js the process's processor time; a worker has no such clock,
  // and its one thread runs only the engine, so wall time stands in for it.
  tallomir_processor_seconds: function() {
    if (typeof process == 'object' && typeof process.cpuUsage == 'function') {
      var used = process.cpuUsage();
      return (used.user + used.system) / 1e6;
    }
    return performance.now() / 1000;
  },
});
