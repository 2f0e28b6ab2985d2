// PNG screenshots as RGBA pixels, and their comparison: a pixel of the
// optimized rendering counts as different only where the source's two
// renderings agree with each other (what differs between those is noise: a
// caret, a clock, a random pick) and the optimized one does not agree.
'use strict';

const zlib = require('zlib');

const SIGNATURE = Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]);

const crcTable = (() => {
  const table = new Uint32Array(256);
  for (let n = 0; n < 256; n++) {
    let c = n;
    for (let k = 0; k < 8; k++) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
    table[n] = c >>> 0;
  }
  return table;
})();

function crc32(bytes) {
  let c = 0xffffffff;
  for (const b of bytes) c = crcTable[(c ^ b) & 0xff] ^ (c >>> 8);
  return (c ^ 0xffffffff) >>> 0;
}

function paeth(a, b, c) {
  const p = a + b - c;
  const pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
  return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// Decodes an 8-bit, non-interlaced RGB or RGBA PNG (what the browser writes).
function decodePng(png) {
  if (!png.subarray(0, 8).equals(SIGNATURE)) throw new Error('not a PNG');
  let width = 0, height = 0, colourType = 0;
  const idat = [];
  for (let at = 8; at < png.length; ) {
    const length = png.readUInt32BE(at);
    const type = png.toString('latin1', at + 4, at + 8);
    const body = png.subarray(at + 8, at + 8 + length);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      colourType = body[9];
      if (body[8] !== 8 || (colourType !== 2 && colourType !== 6) || body[12] !== 0)
        throw new Error(`unsupported PNG: depth ${body[8]}, colour type ${colourType}, interlace ${body[12]}`);
    } else if (type === 'IDAT') idat.push(body);
    else if (type === 'IEND') break;
    at += 12 + length;
  }
  const channels = colourType === 6 ? 4 : 3;
  const stride = width * channels;
  const raw = zlib.inflateSync(Buffer.concat(idat));
  if (raw.length < (stride + 1) * height) throw new Error('PNG data is short');
  const rows = Buffer.alloc(stride * height);
  for (let y = 0; y < height; y++) {
    const filter = raw[y * (stride + 1)];
    const source = y * (stride + 1) + 1;
    const row = y * stride;
    for (let x = 0; x < stride; x++) {
      const a = x >= channels ? rows[row + x - channels] : 0;
      const b = y > 0 ? rows[row - stride + x] : 0;
      const c = x >= channels && y > 0 ? rows[row - stride + x - channels] : 0;
      const predictor = [0, a, b, (a + b) >> 1, paeth(a, b, c)][filter];
      if (predictor === undefined) throw new Error(`bad PNG filter ${filter}`);
      rows[row + x] = (raw[source + x] + predictor) & 0xff;
    }
  }
  if (channels === 4) return { width, height, data: rows };
  const data = Buffer.alloc(width * height * 4);
  for (let i = 0, j = 0; i < rows.length; i += 3, j += 4) {
    data[j] = rows[i];
    data[j + 1] = rows[i + 1];
    data[j + 2] = rows[i + 2];
    data[j + 3] = 255;
  }
  return { width, height, data };
}

function chunk(type, body) {
  const out = Buffer.alloc(12 + body.length);
  out.writeUInt32BE(body.length, 0);
  out.write(type, 4, 'latin1');
  body.copy(out, 8);
  out.writeUInt32BE(crc32(out.subarray(4, 8 + body.length)), 8 + body.length);
  return out;
}

function encodePng({ width, height, data }) {
  const header = Buffer.alloc(13);
  header.writeUInt32BE(width, 0);
  header.writeUInt32BE(height, 4);
  header[8] = 8;
  header[9] = 6;
  const raw = Buffer.alloc((width * 4 + 1) * height);
  for (let y = 0; y < height; y++) data.copy(raw, y * (width * 4 + 1) + 1, y * width * 4, (y + 1) * width * 4);
  return Buffer.concat([SIGNATURE, chunk('IHDR', header), chunk('IDAT', zlib.deflateSync(raw)), chunk('IEND', Buffer.alloc(0))]);
}

function pixelAt(image, x, y) {
  if (x >= image.width || y >= image.height) return -1;
  return image.data.readUInt32BE((y * image.width + x) * 4);
}

// Compares `candidate` with `first`, ignoring the pixels where `first` and
// `second` (two renderings of the same page) differ. Images of other sizes
// differ wherever one has a pixel the other lacks. Returns the count of
// differing and of ignored pixels and, when some differ, a diff image: the
// candidate faded, differing pixels red, ignored ones yellow.
function comparePixels(first, second, candidate) {
  const width = Math.max(first.width, candidate.width);
  const height = Math.max(first.height, candidate.height);
  let differing = 0, ignored = 0;
  const diff = Buffer.alloc(width * height * 4);
  for (let y = 0; y < height; y++) {
    for (let x = 0; x < width; x++) {
      const expected = pixelAt(first, x, y);
      const got = pixelAt(candidate, x, y);
      const at = (y * width + x) * 4;
      let colour;
      if (expected !== pixelAt(second, x, y)) {
        ignored++;
        colour = [255, 220, 0];
      } else if (expected !== got) {
        differing++;
        colour = [255, 0, 0];
      } else {
        const grey = 160 + (((got >>> 24) + ((got >>> 16) & 0xff) + ((got >>> 8) & 0xff)) / 3 / 255) * 95;
        colour = [grey, grey, grey];
      }
      diff[at] = colour[0];
      diff[at + 1] = colour[1];
      diff[at + 2] = colour[2];
      diff[at + 3] = 255;
    }
  }
  return { differing, ignored, diff: differing > 0 ? { width, height, data: diff } : null };
}

module.exports = { decodePng, encodePng, comparePixels };
