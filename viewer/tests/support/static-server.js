'use strict';
// A static web server on 127.0.0.1 for one folder, like any plain host a
// published job may be copied to: whole files only, or (with `ranges`) parts
// of files as the Range header asks, one range a request, each logged.
const http = require('node:http');
const fs = require('node:fs');
const path = require('node:path');

const TYPES = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript',
  '.css': 'text/css',
  '.jpg': 'image/jpeg',
  '.png': 'image/png',
  '.xml': 'application/xml',
  '.json': 'application/json',
  '.dzi': 'application/xml',
  '.mp3': 'audio/mpeg',
  '.szi': 'application/zip',
};

function resolve(root, urlPath) {
  let name;
  try {
    name = decodeURIComponent(urlPath.split('?')[0]);
  } catch {
    return null;
  }
  const file = path.join(root, path.normalize(name));
  return file === root || file.startsWith(root + path.sep) ? file : null;
}

// The first and last byte `header` asks for ("bytes=A-B", "bytes=A-",
// "bytes=-N"), or null when it asks for none that the file holds.
function rangeOf(header, size) {
  const m = /^bytes=(\d*)-(\d*)$/.exec(header);
  if (!m || (m[1] === '' && m[2] === '')) return null;
  const first = m[1] === '' ? Math.max(0, size - Number(m[2])) : Number(m[1]);
  const last = m[1] === '' || m[2] === '' ? size - 1 : Math.min(Number(m[2]), size - 1);
  return first <= last ? { first, last } : null;
}

function servePart(file, stat, req, res, log) {
  const range = rangeOf(req.headers.range, stat.size);
  if (!range) {
    res.writeHead(416, { 'Content-Range': `bytes */${stat.size}` });
    res.end();
    return;
  }
  const length = range.last - range.first + 1;
  log.push({ url: req.url, first: range.first, last: range.last, bytes: length });
  res.writeHead(206, { 'Content-Type': TYPES[path.extname(file)] || 'application/octet-stream',
    'Content-Length': length, 'Content-Range': `bytes ${range.first}-${range.last}/${stat.size}`,
    'Accept-Ranges': 'bytes' });
  if (req.method === 'HEAD') res.end();
  else fs.createReadStream(file, { start: range.first, end: range.last }).pipe(res);
}

// What a host that lets pages of other origins read its files by range
// answers: the origin allowed, and the Range header allowed in requests.
const CORS = { 'Access-Control-Allow-Origin': '*', 'Access-Control-Allow-Headers': 'Range',
  'Access-Control-Allow-Methods': 'GET, HEAD' };

function serve(root, req, res, options) {
  if (options.cors) {
    for (const [name, value] of Object.entries(CORS)) res.setHeader(name, value);
    if (req.method === 'OPTIONS') {
      res.writeHead(204);
      res.end();
      return;
    }
  }
  const file = resolve(root, req.url);
  let stat;
  try {
    stat = file && fs.statSync(file);
  } catch {
    stat = null;
  }
  if (!stat || !stat.isFile()) {
    res.writeHead(404);
    res.end();
    return;
  }
  if (options.ranges && req.headers.range) {
    servePart(file, stat, req, res, options.log);
    return;
  }
  options.log.push({ url: req.url, whole: true, bytes: stat.size });
  res.writeHead(200, { 'Content-Type': TYPES[path.extname(file)] || 'application/octet-stream', 'Content-Length': stat.size });
  if (req.method === 'HEAD') res.end();
  else fs.createReadStream(file).pipe(res);
}

// Resolves to { url, close, log } once listening on a free port; `log` holds
// every file and range served.
// With `cors`, it lets pages of any origin read its files, by range too.
function startServer(root, { ranges = false, cors = false } = {}) {
  const log = [];
  const server = http.createServer((req, res) => serve(path.resolve(root), req, res, { ranges, cors, log }));
  return new Promise((resolvePromise) => {
    server.listen(0, '127.0.0.1', () => {
      resolvePromise({
        url: `http://127.0.0.1:${server.address().port}`,
        log,
        close: () => new Promise((done) => { server.closeAllConnections(); server.close(done); }),
      });
    });
  });
}

module.exports = { startServer };
