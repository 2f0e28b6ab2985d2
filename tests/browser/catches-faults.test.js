// The browser test run on the probe pages with outputs broken on purpose
// (break-site.js): each fault must be reported, and the run must fail; the
// page left whole (linked-sheet.html) passes.
'use strict';

const test = require('node:test');
const assert = require('node:assert');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { spawnSync } = require('child_process');

test('faults made on purpose are each reported', { skip: !fs.existsSync('/usr/bin/chromium') && 'Chromium is missing' }, () => {
  const diffs = fs.mkdtempSync(path.join(os.tmpdir(), 'qwo-browser-faults-'));
  try {
    const run = spawnSync(process.execPath, [path.join(__dirname, 'render-compare.js'), '--tool', path.join(__dirname, 'break-site.js'),
      '--site', 'probes', '--diffs', diffs], { encoding: 'utf8' });
    assert.strictEqual(run.status, 1, run.stdout + run.stderr);
    const expected = [
      /FAILED probes\/text\.html \(defaults\)\n {4}visible text differs:\n {6}-4: "Set x = 5 and say \\"42\\""\n {6}\+4: "Set x=5 and say \\"42\\""/,
      /FAILED probes\/css\.html \(defaults\)(\n {4}.*)*\n {4}\d+ pixels differ \(0 ignored as unsteady in the source\): \S+probes-css\.html-defaults\.png/,
      /FAILED probes\/css\.html \(defaults\)(\n {4}.*)*\n {4}new error: request failed: ORIGIN\/probes\.css \(HTTP 404\)/,
      /FAILED probes\/whitespace\.html \(defaults\)(\n {4}.*)*\n {4}new error: exception: ReferenceError: notDefinedAnywhere is not defined/,
      /FAILED probes\/images\.html \(defaults\)(\n {4}.*)*\n {4}GIF \/restore\.gif: 1 frames, the source has 3/,
      /\n2 passed, 8 failed\n/,
    ];
    for (const pattern of expected) assert.match(run.stdout, pattern);
    assert.ok(fs.existsSync(path.join(diffs, 'probes-css.html-defaults.png')));
  } finally {
    fs.rmSync(diffs, { recursive: true, force: true });
  }
});
