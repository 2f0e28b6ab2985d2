// Optimizes real SVG images (a fixed list of files that Debian packages
// install, copied at run time) with the command line at the SVG level given,
// and checks each output against its source:
//  - it is not larger;
//  - it renders pixel-identical in headless Chromium, as an <img> at two
//    sizes (square and wide), except where two renderings of the source
//    differ from each other.
// The images are drawn many to a page, one browser for all of them.
//   node svg-compare.js --tool QUORVAN-OPTIMIZE --list FILE [--level N] [--browser PATH] [--diffs FOLDER]
// Exit status 0 when every image matches, 1 when one does not, 77 (skipped)
// when Chromium or fewer than MINIMUM of the listed files are there.
'use strict';

const fs = require('fs');
const os = require('os');
const path = require('path');
const { spawnSync } = require('child_process');
const { pathToFileURL } = require('url');
const { Browser } = require('./cdp');
const { decodePng, encodePng, comparePixels } = require('./pixels');

const SKIPPED = 77;
const MINIMUM = 200;
// Each image is drawn at both sizes in a cell of its own.
const SIZES = [
  { width: 48, height: 48 },
  { width: 180, height: 120 },
];
const CELL = { width: 240, height: 190 };
const COLUMNS = 4;
const ROWS = 5;
const PAGE = { width: CELL.width * COLUMNS, height: CELL.height * ROWS };

function parseArguments(argv) {
  const options = { tool: null, list: null, level: '2', browser: '/usr/bin/chromium', diffs: path.join(os.tmpdir(), 'qwo-svg-diffs') };
  for (let i = 0; i < argv.length; i++) {
    const name = argv[i].replace(/^--/, '');
    if (!(name in options) || i + 1 >= argv.length) throw new Error(`unknown argument ${argv[i]}`);
    options[name] = argv[++i];
  }
  if (!options.tool || !options.list) {
    throw new Error('usage: svg-compare.js --tool QUORVAN-OPTIMIZE --list FILE [--level N] [--browser PATH] [--diffs FOLDER]');
  }
  return options;
}

// The listed files that are there, copied into `folder` as 0001-name.svg ...
function copyListed(list, folder) {
  fs.mkdirSync(folder, { recursive: true });
  const names = [];
  const wanted = fs.readFileSync(list, 'utf8').split('\n').map((line) => line.trim()).filter((line) => line && !line.startsWith('#'));
  for (const file of wanted) {
    if (!fs.existsSync(file)) continue;
    const name = `${String(names.length + 1).padStart(4, '0')}-${path.basename(file)}`;
    fs.copyFileSync(file, path.join(folder, name));
    names.push(name);
  }
  return { names, wanted: wanted.length };
}

// A page drawing `names` from `folder`, each in its cell at both sizes.
function gridPage(folder, names) {
  const cells = names
    .map((name, index) => {
      const left = (index % COLUMNS) * CELL.width;
      const top = Math.floor(index / COLUMNS) * CELL.height;
      const source = pathToFileURL(path.join(folder, name)).href;
      return SIZES.map(
        (size, which) =>
          `<img src="${source}" style="position:absolute;left:${left + which * 56}px;top:${top}px;width:${size.width}px;height:${size.height}px">`
      ).join('');
    })
    .join('\n');
  return `<!DOCTYPE html><html><head><style>html,body{margin:0;background:#fff}</style></head><body>\n${cells}\n</body></html>\n`;
}

// Loads the page and waits until every image has been decoded (or failed).
async function shoot(page, file) {
  await page.load(pathToFileURL(file).href);
  await page.evaluate('Promise.all([...document.images].map((image) => image.decode().catch(() => null)))');
  return decodePng(Buffer.from(await page.screenshot(), 'base64'));
}

// The cells (indexes into the page's names) that hold a differing pixel.
function differingCells(first, second, candidate) {
  const cells = new Set();
  for (let y = 0; y < Math.min(first.height, candidate.height); y++) {
    for (let x = 0; x < Math.min(first.width, candidate.width); x++) {
      const at = (y * first.width + x) * 4;
      const atCandidate = (y * candidate.width + x) * 4;
      const expected = first.data.readUInt32BE(at);
      if (expected !== second.data.readUInt32BE(at)) continue;
      if (expected !== candidate.data.readUInt32BE(atCandidate)) {
        cells.add(Math.floor(y / CELL.height) * COLUMNS + Math.floor(x / CELL.width));
      }
    }
  }
  return [...cells];
}

async function main() {
  const options = parseArguments(process.argv.slice(2));
  if (!fs.existsSync(options.browser)) {
    console.log(`SKIPPED: ${options.browser} is missing (Debian: apt-get install chromium)`);
    return SKIPPED;
  }
  // The copies, outputs, pages and diff images stay in the diffs folder.
  const work = options.diffs;
  fs.rmSync(work, { recursive: true, force: true });
  const sources = path.join(work, 'source');
  const outputs = path.join(work, 'output');
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'qwo-svg-profile-'));
  let browser = null;
  try {
    const { names, wanted } = copyListed(options.list, sources);
    if (names.length < MINIMUM) {
      console.log(`SKIPPED: ${names.length} of the ${wanted} listed SVG files are installed, at least ${MINIMUM} needed (install-deps.sh test)`);
      return SKIPPED;
    }
    const run = spawnSync(options.tool, ['--svg', options.level, '-o', outputs, sources], { encoding: 'utf8' });
    if (run.status !== 0) {
      console.log(`FAILED quorvan-optimize --svg ${options.level} exited ${run.status}: ${run.stderr.trim()}`);
      return 1;
    }
    const failures = new Map();  // name: its problems
    const fail = (name, problem) => failures.set(name, [...(failures.get(name) || []), problem]);
    let smaller = 0;
    let sourceBytes = 0;
    let outputBytes = 0;
    for (const name of names) {
      const before = fs.statSync(path.join(sources, name)).size;
      const after = fs.existsSync(path.join(outputs, name)) ? fs.statSync(path.join(outputs, name)).size : -1;
      if (after < 0) fail(name, 'no output');
      else if (after > before) fail(name, `${after} bytes, the source ${before}`);
      if (after >= 0 && after < before) smaller++;
      sourceBytes += before;
      outputBytes += Math.max(after, 0);
    }
    browser = new Browser(options.browser, profile);
    const page = await browser.newPage(PAGE.width, PAGE.height);
    const perPage = COLUMNS * ROWS;
    for (let first = 0; first < names.length; first += perPage) {
      const group = names.slice(first, first + perPage);
      const number = first / perPage;
      for (const [folder, kind] of [[sources, 'source'], [outputs, 'output']]) {
        fs.writeFileSync(path.join(work, `${kind}-${number}.html`), gridPage(folder, group));
      }
      const source = await shoot(page, path.join(work, `source-${number}.html`));
      const again = await shoot(page, path.join(work, `source-${number}.html`));
      const output = await shoot(page, path.join(work, `output-${number}.html`));
      const { differing, diff } = comparePixels(source, again, output);
      if (!differing) continue;
      const image = path.join(work, `diff-${number}.png`);
      fs.writeFileSync(image, encodePng(diff));
      for (const cell of differingCells(source, again, output)) fail(group[cell], `pixels differ (${image})`);
    }
    for (const [name, problems] of failures) console.log(`FAILED ${name}: ${problems.join('; ')}`);
    console.log(`${names.length} SVG files at --svg ${options.level}: ${smaller} smaller, ${sourceBytes} -> ${outputBytes} bytes`);
    console.log(`copies, outputs and diff images: ${work}`);
    console.log(`${names.length - failures.size} passed, ${failures.size} failed`);
    return failures.size === 0 ? 0 : 1;
  } finally {
    if (browser) await browser.close();
    fs.rmSync(profile, { recursive: true, force: true });
  }
}

main().then(
  (code) => process.exit(code),
  (error) => {
    console.error(error.stack || String(error));
    process.exit(1);
  }
);
