'use strict';
// A static web server on 127.0.0.1 for one folder, like any plain host a
// published job may be copied to: whole files only.
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

function serve(root, req, res) {
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
  res.writeHead(200, { 'Content-Type': TYPES[path.extname(file)] || 'application/octet-stream', 'Content-Length': stat.size });
  if (req.method === 'HEAD') res.end();
  else fs.createReadStream(file).pipe(res);
}

// Resolves to { url, close } once listening on a free port.
function startServer(root) {
  const server = http.createServer((req, res) => serve(path.resolve(root), req, res));
  return new Promise((resolvePromise) => {
    server.listen(0, '127.0.0.1', () => {
      resolvePromise({
        url: `http://127.0.0.1:${server.address().port}`,
        close: () => new Promise((done) => { server.closeAllConnections(); server.close(done); }),
      });
    });
  });
}

module.exports = { startServer };
