// Serves the built page (build-web/site) on 127.0.0.1, compressed with gzip
// when the browser accepts it, as a web server would send it.
//   node web/serve.mjs [SITE_DIR] [PORT]
import { createServer } from 'node:http';
import { readFile } from 'node:fs/promises';
import { extname, join, normalize, resolve } from 'node:path';
import { gzipSync } from 'node:zlib';

const site = resolve(process.argv[2] || 'build-web/site');
const port = Number(process.argv[3] || process.env.PORT || 8080);
const types = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.css': 'text/css',
  '.wasm': 'application/wasm', '.data': 'application/octet-stream', '.png': 'image/png',
};
// Compressed once per file and kept: the files change only with a build.
const compressed = new Map();

createServer(async (request, response) => {
  const path = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
  const file = normalize(join(site, path.endsWith('/') ? `${path}index.html` : path));
  if (!file.startsWith(site)) {
    response.writeHead(403).end();
    return;
  }
  let body;
  try {
    body = await readFile(file);
  } catch {
    response.writeHead(404, { 'Content-Type': 'text/plain' }).end('not found');
    return;
  }
  const headers = { 'Content-Type': types[extname(file)] || 'application/octet-stream',
                    'Cache-Control': 'no-cache' };
  if (/\bgzip\b/.test(request.headers['accept-encoding'] || '')) {
    const key = `${file}:${body.length}`;
    if (!compressed.has(key)) compressed.set(key, gzipSync(body, { level: 9 }));
    body = compressed.get(key);
    headers['Content-Encoding'] = 'gzip';
  }
  headers['Content-Length'] = body.length;
  response.writeHead(200, headers).end(body);
}).listen(port, '127.0.0.1', () => {
  console.log(`Serving ${site} on http://127.0.0.1:${port}/ (Ctrl-C stops it)`);
});
