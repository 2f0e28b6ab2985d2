#!/usr/bin/env node
// Stands in for quorvan-optimize in the browser test's own test: copies the
// probe site (last argument) to the -o folder with faults a visitor would
// see, each of a kind the comparison must report.
'use strict';

const fs = require('fs');
const path = require('path');

const argv = process.argv.slice(2);
const output = argv[argv.indexOf('-o') + 1];
const site = argv[argv.length - 1];
fs.cpSync(site, output, { recursive: true, dereference: true });
const edit = (name, change) => {
  const file = path.join(output, name);
  fs.writeFileSync(file, change(fs.readFileSync(file, 'utf8')));
};
// Running text rewritten.
edit('text.html', (page) => page.replace('Set x = 5', 'Set x=5'));
// A style sheet lost: a failed request and other pixels.
fs.rmSync(path.join(output, 'probes.css'));
// A script that throws.
edit('whitespace.html', (page) => page.replace('</body>', '<script>notDefinedAnywhere();</script>\n</body>'));
// An animation that lost frames (the logo in its place).
fs.copyFileSync(path.join(site, 'logo.gif'), path.join(output, 'restore.gif'));
