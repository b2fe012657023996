// A small static server for the web viewer: the pages of web/, the WebAssembly build, the bundled
// samples and any extra folders, on 127.0.0.1 only. Files can be dribbled out in small pieces with
// pauses, so the progressive display can be watched, and cut short to imitate a lost connection.
//
//   node web/serve.mjs [--port N] [--piece BYTES] [--pause MS] [--mount /prefix=DIR]...
//
// Per request, the query can override the pace (?piece=N&pause=MS) and cut the connection after
// a number of bytes (?cut=N). Every response allows any origin to read it.
import { createServer } from 'node:http';
import { readFile, stat } from 'node:fs/promises';
import { extname, join, normalize, resolve, sep } from 'node:path';
import { fileURLToPath } from 'node:url';

const TYPES = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.mjs': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.wasm': 'application/wasm',
  '.wif': 'image/RAZizazed',
  '.vuw': 'image/RAZizazed',
  '.bmp': 'image/bmp',
  '.png': 'image/png',
  '.ppm': 'image/x-portable-pixmap',
  '.pgm': 'image/x-portable-graymap',
};

export function parseArguments(argv) {
  const options = { port: 8080, piece: 0, pause: 0, mounts: [] };
  for (let i = 0; i < argv.length; i += 1) {
    const arg = argv[i];
    const value = () => {
      if (i + 1 >= argv.length) throw new Error(`${arg} needs a value`);
      return argv[++i];
    };
    const count = (text, low) => {
      const n = Number(text);
      if (!Number.isInteger(n) || n < low) throw new Error(`${arg} takes a whole number of at least ${low}`);
      return n;
    };
    if (arg === '--port') options.port = count(value(), 0);
    else if (arg === '--piece') options.piece = count(value(), 0);
    else if (arg === '--pause') options.pause = count(value(), 0);
    else if (arg === '--mount') {
      const [prefix, dir] = value().split('=');
      if (!prefix || !prefix.startsWith('/') || !dir) throw new Error('--mount takes /prefix=DIR');
      options.mounts.push({ prefix: prefix.replace(/\/$/, ''), dir: resolve(dir) });
    } else throw new Error(`unknown option ${arg}`);
  }
  return options;
}

const sleep = (ms) => new Promise((done) => setTimeout(done, ms));

// The file a path names: the longest matching mount first; never outside the mount's folder.
function locate(mounts, pathname) {
  let decoded;
  try {
    decoded = decodeURIComponent(pathname);
  } catch {
    return null;
  }
  if (decoded.includes('\0')) return null;
  const ordered = [...mounts].sort((a, b) => b.prefix.length - a.prefix.length);
  const candidates = [];
  for (const { prefix, dir } of ordered) {
    if (prefix !== '' && decoded !== prefix && !decoded.startsWith(`${prefix}/`)) continue;
    const rest = normalize(decoded.slice(prefix.length)).replace(/^(\.\.(\/|$))+/, '');
    const file = join(dir, rest);
    if (file !== dir && !file.startsWith(dir + sep)) continue;
    candidates.push(file);
  }
  return candidates;
}

export function startServer({ port = 0, piece = 0, pause = 0, mounts = [] } = {}) {
  const server = createServer(async (request, response) => {
    const url = new URL(request.url, 'http://127.0.0.1');
    response.setHeader('Access-Control-Allow-Origin', '*');
    response.setHeader('Cache-Control', 'no-store');
    if (request.method !== 'GET' && request.method !== 'HEAD') {
      response.writeHead(405).end();
      return;
    }
    let body = null;
    let file = null;
    for (let candidate of locate(mounts, url.pathname) ?? []) {
      try {
        let info = await stat(candidate);
        if (info.isDirectory()) {
          candidate = join(candidate, 'index.html');
          info = await stat(candidate);
        }
        if (info.isFile()) {
          body = await readFile(candidate);
          file = candidate;
          break;
        }
      } catch {
        // the next mount may have it
      }
    }
    if (!body) {
      response.writeHead(404, { 'Content-Type': 'text/plain' }).end('not found\n');
      return;
    }
    const query = url.searchParams;
    const size = Number(query.get('piece') ?? piece) || 0;
    const wait = Number(query.get('pause') ?? pause) || 0;
    const cut = query.has('cut') ? Math.max(0, Number(query.get('cut')) || 0) : -1;
    response.writeHead(200, {
      'Content-Type': TYPES[extname(file).toLowerCase()] ?? 'application/octet-stream',
      'Content-Length': body.length,
    });
    if (request.method === 'HEAD') {
      response.end();
      return;
    }
    const limit = cut >= 0 ? Math.min(cut, body.length) : body.length;
    const step = size > 0 ? size : body.length;
    for (let offset = 0; offset < limit; offset += step) {
      if (response.destroyed) return;
      const end = Math.min(offset + step, limit);
      await new Promise((done) => response.write(body.subarray(offset, end), done));
      if (wait > 0 && end < limit) await sleep(wait);
    }
    // Fewer bytes than announced, then the connection is closed (gracefully, so every byte sent
    // still arrives): the client sees a network error after the data.
    if (limit < body.length) response.socket?.end();
    else response.end();
  });
  return new Promise((ready, fail) => {
    server.once('error', fail);
    server.listen(port, '127.0.0.1', () => ready(server));
  });
}

if (process.argv[1] && resolve(process.argv[1]) === fileURLToPath(import.meta.url)) {
  let options;
  try {
    options = parseArguments(process.argv.slice(2));
  } catch (error) {
    console.error(`serve: ${error.message}`);
    process.exit(2);
  }
  const server = await startServer(options);
  const { port } = server.address();
  console.log(`Serving on http://127.0.0.1:${port}/ (Ctrl+C stops)`);
  for (const { prefix, dir } of options.mounts) console.log(`  ${prefix || '/'} -> ${dir}`);
}
