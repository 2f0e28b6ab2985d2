// node minify-html.cjs MODULES IN OUT < LIST: the HTML peer as a user would
// script it, one Node.js process over all pages: each NUL-separated path of
// LIST, below IN, minified by @minify-html/node (its defaults, as its own
// command line) into the same path below OUT. A page it fails on is named on
// standard error and left out; the exit status is then 1.
'use strict';
const fs = require('fs');
const path = require('path');

const [modules, input, output] = process.argv.slice(2);
const { minify } = require(path.join(modules, '@minify-html/node'));
// Paths stay bytes: a name need not be UTF-8.
const under = (folder, name) => Buffer.concat([Buffer.from(folder + '/'), name]);
const list = fs.readFileSync(0);
let failed = 0;
for (let start = 0, end; start < list.length; start = end + 1) {
  end = list.indexOf(0, start);
  if (end < 0) end = list.length;
  const name = list.subarray(start, end);
  try {
    fs.writeFileSync(under(output, name), minify(fs.readFileSync(under(input, name)), {}));
  } catch (error) {
    failed += 1;
    console.error(`failed: ${name.toString('latin1')}: ${error.message}`);
  }
}
process.exitCode = failed > 0 ? 1 : 0;
