// Serves one folder as a web site of its own (its own origin) for the
// browser test. An animated GIF is served as its first frame (a PNG), so that
// a screenshot does not depend on when it is taken; "?frames" after its path
// gives the GIF itself, for comparing every frame.
'use strict';

const fs = require('fs');
const http = require('http');
const path = require('path');
const { execFileSync } = require('child_process');

const contentTypes = {
  '.html': 'text/html',
  '.htm': 'text/html',
  '.css': 'text/css',
  '.js': 'text/javascript',
  '.json': 'application/json',
  '.png': 'image/png',
  '.gif': 'image/gif',
  '.jpg': 'image/jpeg',
  '.jpeg': 'image/jpeg',
  '.svg': 'image/svg+xml',
  '.woff': 'font/woff',
  '.woff2': 'font/woff2',
  '.ttf': 'font/ttf',
  '.txt': 'text/plain',
};

// The number of images in a GIF, counted through its blocks (as far as they
// read: a damaged file counts what comes before the damage).
function gifFrameCount(bytes) {
  if (bytes.length < 13 || bytes.toString('latin1', 0, 3) !== 'GIF') return 0;
  const table = (flags) => (flags & 0x80 ? 3 << ((flags & 7) + 1) : 0);
  const skipSubBlocks = (at) => {
    while (at < bytes.length && bytes[at] !== 0) at += bytes[at] + 1;
    return at + 1;
  };
  let at = 13 + table(bytes[10]);
  let frames = 0;
  while (at < bytes.length) {
    if (bytes[at] === 0x21) at = skipSubBlocks(at + 2);
    else if (bytes[at] === 0x2c) {
      if (at + 10 > bytes.length) break;
      frames++;
      at = skipSubBlocks(at + 10 + table(bytes[at + 9]) + 1);
    } else break;
  }
  return frames;
}

function startSiteServer(root, framesFolder) {
  fs.mkdirSync(framesFolder, { recursive: true });
  const firstFrames = new Map();
  const firstFrame = (file, bytes) => {
    if (gifFrameCount(bytes) < 2) return null;
    if (!firstFrames.has(file)) {
      const frame = path.join(framesFolder, `frame${firstFrames.size}-${process.pid}-${Date.now()}.png`);
      execFileSync('convert', [file, '-coalesce', '-delete', '1--1', '+repage', `png32:${frame}`]);
      firstFrames.set(file, fs.readFileSync(frame));
    }
    return firstFrames.get(file);
  };
  const server = http.createServer((request, response) => {
    const url = new URL(request.url, 'http://x');
    let relative;
    try {
      relative = path.normalize(decodeURIComponent(url.pathname)).replace(/^\/+/, '');
    } catch (error) {
      response.writeHead(400).end();
      return;
    }
    if (relative.startsWith('..')) {
      response.writeHead(404).end();
      return;
    }
    let file = path.join(root, relative);
    if (fs.existsSync(file) && fs.statSync(file).isDirectory()) file = path.join(file, 'index.html');
    fs.readFile(file, (error, bytes) => {
      const headers = { 'Access-Control-Allow-Origin': '*', 'Cache-Control': 'no-store' };
      if (error) {
        response.writeHead(404, headers).end();
        return;
      }
      const extension = path.extname(file).toLowerCase();
      const frame = extension === '.gif' && !url.searchParams.has('frames') ? firstFrame(file, bytes) : null;
      if (frame) response.writeHead(200, { ...headers, 'Content-Type': 'image/png' }).end(frame);
      else response.writeHead(200, { ...headers, 'Content-Type': contentTypes[extension] || 'application/octet-stream' }).end(bytes);
    });
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

module.exports = { startSiteServer, gifFrameCount };
