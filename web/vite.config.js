// Builds the page into dist/: the app, the board's piece and marker images,
// the engine files from public/engine/, and a service worker that keeps all
// of them for offline use.
import { defineConfig } from 'vite';
import { readFileSync, readdirSync, statSync, writeFileSync } from 'node:fs';
import { join, relative } from 'node:path';
import { createHash } from 'node:crypto';

const BOARD_ASSETS = {
  'assets/pieces/standard.svg': 'node_modules/cm-chessboard/assets/pieces/standard.svg',
  'assets/extensions/markers/markers.svg': 'node_modules/cm-chessboard/assets/extensions/markers/markers.svg',
};

// The libraries bundled into the page (the rest of package.json builds or tests it).
const SHIPPED = ['chess.js', 'cm-chessboard'];

const ISOLATION = {
  'Cross-Origin-Opener-Policy': 'same-origin',
  'Cross-Origin-Embedder-Policy': 'require-corp',
};

function boardAssets() {
  return {
    name: 'board-assets',
    configureServer(server) {
      server.middlewares.use((req, res, next) => {
        const path = req.url.split('?')[0].replace(/^\//, '');
        if (!BOARD_ASSETS[path]) return next();
        res.setHeader('Content-Type', 'image/svg+xml');
        res.end(readFileSync(BOARD_ASSETS[path]));
      });
    },
    generateBundle() {
      for (const [fileName, source] of Object.entries(BOARD_ASSETS)) {
        this.emitFile({ type: 'asset', fileName, source: readFileSync(source) });
      }
      // The licences of the libraries bundled into the page travel with it.
      const notices = SHIPPED.map((name) => `${name}\n${'='.repeat(name.length)}\n\n${readFileSync(`node_modules/${name}/LICENSE`, 'utf8').trim()}\n`);
      this.emitFile({ type: 'asset', fileName: 'THIRD-PARTY-LICENSES.txt', source: notices.join('\n') });
    },
  };
}

function listFiles(dir) {
  return readdirSync(dir).flatMap((name) => {
    const path = join(dir, name);
    return statSync(path).isDirectory() ? listFiles(path) : [path];
  });
}

// The service worker's list of every file in the build, and a version that
// changes with their contents, so a new build replaces the old cache.
function offlineCache() {
  let outDir;
  return {
    name: 'offline-cache',
    apply: 'build',
    configResolved(config) { outDir = config.build.outDir; },
    closeBundle() {
      const files = listFiles(outDir).map((f) => relative(outDir, f).split('\\').join('/'))
        .filter((f) => f !== 'sw.js' && !f.endsWith('.md')).sort();
      const hash = createHash('sha256');
      for (const f of files) hash.update(f).update(readFileSync(join(outDir, f)));
      const template = readFileSync('src/sw.js', 'utf8');
      const list = JSON.stringify(['./', ...files.map((f) => `./${f}`)]);
      writeFileSync(join(outDir, 'sw.js'), template
        .replace("'__VERSION__'", JSON.stringify(hash.digest('hex').slice(0, 16)))
        .replace("'__FILES__'", list));
    },
  };
}

export default defineConfig({
  base: './',
  plugins: [boardAssets(), offlineCache()],
  build: { outDir: 'dist', emptyOutDir: true, chunkSizeWarningLimit: 1000, assetsInlineLimit: 0 },
  server: { headers: ISOLATION, port: 5173, strictPort: false },
  preview: { headers: ISOLATION },
});
