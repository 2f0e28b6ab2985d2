// The browser test's own parts that decide pass or fail without a browser:
// the pixel comparison and its PNG codec, the text differences, the package
// pin and the GIF frame count.
'use strict';

const test = require('node:test');
const assert = require('node:assert');
const fs = require('fs');
const path = require('path');
const { decodePng, encodePng, comparePixels } = require('./pixels');
const { lineDifferences, packageProblem } = require('./differences');
const { gifFrameCount } = require('./site-server');

// A width x height image of one colour, with `changes` as [x, y, [r, g, b, a]].
function image(width, height, changes = []) {
  const data = Buffer.alloc(width * height * 4, 200);
  for (const [x, y, colour] of changes) Buffer.from(colour).copy(data, (y * width + x) * 4);
  return { width, height, data };
}

test('pixels: what differs from both source renderings counts, what the source itself changes does not', () => {
  const red = [255, 0, 0, 255];
  const cases = [
    { name: 'identical', first: image(4, 3), second: image(4, 3), got: image(4, 3), differing: 0, ignored: 0 },
    { name: 'one pixel', first: image(4, 3), second: image(4, 3), got: image(4, 3, [[3, 2, red]]), differing: 1, ignored: 0 },
    { name: 'alpha only', first: image(4, 3), second: image(4, 3), got: image(4, 3, [[0, 0, [200, 200, 200, 0]]]), differing: 1, ignored: 0 },
    { name: 'unsteady pixel', first: image(4, 3), second: image(4, 3, [[1, 1, red]]), got: image(4, 3, [[1, 1, [0, 0, 255, 255]]]), differing: 0, ignored: 1 },
    { name: 'unsteady elsewhere', first: image(4, 3), second: image(4, 3, [[1, 1, red]]), got: image(4, 3, [[2, 1, red]]), differing: 1, ignored: 1 },
    { name: 'taller page', first: image(4, 3), second: image(4, 3), got: image(4, 4), differing: 4, ignored: 0 },
    { name: 'narrower page', first: image(4, 3), second: image(4, 3), got: image(3, 3), differing: 3, ignored: 0 },
  ];
  for (const c of cases) {
    const result = comparePixels(c.first, c.second, c.got);
    assert.deepStrictEqual([result.differing, result.ignored], [c.differing, c.ignored], c.name);
    assert.strictEqual(result.diff !== null, c.differing > 0, `${c.name}: a diff image only when pixels differ`);
  }
});

test('pixels: PNG written and read back, and the browser kinds of PNG read', () => {
  const original = image(5, 4, [[0, 0, [1, 2, 3, 4]], [4, 3, [250, 251, 252, 253]], [2, 1, [0, 0, 0, 255]]]);
  const back = decodePng(encodePng(original));
  assert.deepStrictEqual([back.width, back.height], [5, 4]);
  assert.ok(back.data.equals(original.data));
  // An RGB PNG with every filter (written by ImageMagick), read as opaque RGBA.
  const shot = decodePng(fs.readFileSync(path.join(__dirname, 'probes', 'filters.png')));
  assert.deepStrictEqual([shot.width, shot.height], [7, 5]);
  assert.deepStrictEqual([...shot.data.subarray(0, 4)], [255, 0, 0, 255]);
  assert.deepStrictEqual([...shot.data.subarray(shot.data.length - 4)], [0, 0, 255, 255]);
  assert.throws(() => decodePng(Buffer.from('GIF89a')), /not a PNG/);
});

test('text: changed lines listed in order, unchanged ones left out', () => {
  const cases = [
    { expected: 'a\nb\nc', got: 'a\nb\nc', lines: [] },
    { expected: 'Set x = 5\nend', got: 'Set x=5\nend', lines: ['-1: "Set x = 5"', '+1: "Set x=5"'] },
    { expected: 'a\nb\nc\nd', got: 'a\nc\nd\ne', lines: ['-2: "b"', '+4: "e"'] },
    { expected: 'a  b', got: 'a b', lines: ['-1: "a  b"', '+1: "a b"'] },
    {
      expected: `${'a'.repeat(200)} x = 1 ${'b'.repeat(200)}\nsame\nshort`,
      got: `${'a'.repeat(200)} x=1 ${'b'.repeat(200)}\nsame\nShort`,
      lines: [`-1: "...${'a'.repeat(48)} x = 1 ${'b'.repeat(45)}..."`, `+1: "...${'a'.repeat(48)} x=1 ${'b'.repeat(47)}..."`, '-3: "short"', '+3: "Short"'],
    },
    { expected: 'x\n1\n2\n3', got: 'x\n4\n5\n6', limit: 4, lines: ['-2: "1"', '-3: "2"', '-4: "3"', '+2: "4"', '... 2 more changed lines'] },
  ];
  for (const c of cases) assert.deepStrictEqual(lineDifferences(c.expected, c.got, c.limit), c.lines, JSON.stringify(c.expected));
});

test('packages: the pinned upstream version must be installed', () => {
  const site = { package: 'libfoo-doc', version: '1.2.3-4+deb12u1' };
  const cases = [
    { installed: 'install ok installed\t1.2.3-4+deb12u1', problem: null },
    { installed: 'install ok installed\t1.2.3-4+deb12u2', problem: null },
    { installed: 'install ok installed\t1.2.4-1', problem: /is 1\.2\.4-1, the sampled pages were chosen from 1\.2\.3-4\+deb12u1/ },
    { installed: 'deinstall ok config-files\t1.2.3-4+deb12u1', problem: /not installed/ },
    { installed: null, problem: /not installed.*install-deps\.sh test/ },
  ];
  for (const c of cases) {
    const problem = packageProblem(site, () => {
      if (c.installed === null) throw new Error('no packages found');
      return c.installed;
    });
    if (c.problem === null) assert.strictEqual(problem, null, c.installed);
    else assert.match(problem, c.problem);
  }
});

test('GIF frames counted through the blocks, a damaged file as far as it reads', () => {
  const restore = fs.readFileSync(path.join(__dirname, 'probes', 'restore.gif'));
  const cases = [
    { name: 'logo.gif', bytes: fs.readFileSync(path.join(__dirname, 'probes', 'logo.gif')), frames: 1 },
    { name: 'restore.gif', bytes: restore, frames: 3 },
    { name: 'restore.gif cut before its third frame', bytes: restore.subarray(0, 600), frames: 2 },
    { name: 'not a GIF', bytes: Buffer.from('\x89PNG\r\n\x1a\n....'), frames: 0 },
  ];
  for (const c of cases) assert.strictEqual(gifFrameCount(c.bytes), c.frames, c.name);
});
