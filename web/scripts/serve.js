#!/usr/bin/env node
// Serves a built page on 127.0.0.1 with the headers that make it cross-origin
// isolated (needed for the engine to hear "stop" while it thinks).
//
//   node scripts/serve.js [FOLDER] [PORT]     (PORT also from the environment)
import { createServer } from 'node:http';
import { readFile, stat } from 'node:fs/promises';
import { extname, join, normalize, resolve, sep } from 'node:path';

const TYPES = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript; charset=utf-8', '.mjs': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8', '.wasm': 'application/wasm', '.svg': 'image/svg+xml', '.json': 'application/json',
  '.png': 'image/png', '.ico': 'image/x-icon', '.txt': 'text/plain; charset=utf-8', '.md': 'text/markdown; charset=utf-8',
};

// Starts a server on `port` (0: any free one); resolves with it once it listens.
export function serve(root, { port = 8080, host = '127.0.0.1', isolation = true } = {}) {
  const base = resolve(root);
  const server = createServer(async (req, res) => {
    const headers = { 'Cache-Control': 'no-cache', 'Cross-Origin-Resource-Policy': 'same-origin' };
    if (isolation) {
      headers['Cross-Origin-Opener-Policy'] = 'same-origin';
      headers['Cross-Origin-Embedder-Policy'] = 'require-corp';
    }
    let path;
    try {
      path = decodeURIComponent(new URL(req.url, 'http://x').pathname);
    } catch {
      res.writeHead(400, headers).end('bad request');
      return;
    }
    let file = normalize(join(base, path));
    if (file !== base && !file.startsWith(base + sep)) {
      res.writeHead(403, headers).end('forbidden');
      return;
    }
    try {
      if ((await stat(file)).isDirectory()) file = join(file, 'index.html');
      const body = await readFile(file);
      res.writeHead(200, { ...headers, 'Content-Type': TYPES[extname(file)] ?? 'application/octet-stream' });
      res.end(req.method === 'HEAD' ? undefined : body);
    } catch {
      res.writeHead(404, { ...headers, 'Content-Type': 'text/plain' }).end('not found');
    }
  });
  return new Promise((ok, fail) => {
    server.once('error', fail);
    server.listen(port, host, () => ok(server));
  });
}

if (process.argv[1] && resolve(process.argv[1]) === resolve(new URL(import.meta.url).pathname)) {
  const root = process.argv[2] ?? 'dist';
  const port = Number(process.argv[3] ?? process.env.PORT ?? 8080);
  serve(root, { port }).then((server) => {
    const { port: bound } = server.address();
    console.log(`Serving ${root} on http://127.0.0.1:${bound}/ (cross-origin isolated; Ctrl-C ends it)`);
  }, (error) => {
    console.error(`cannot serve on port ${port}: ${error.message}`);
    process.exit(1);
  });
}
