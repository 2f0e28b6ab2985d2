// Renders every page of each site in headless Chromium before and after
// quorvan-optimize at "--html 1" and at "--html 2 --js 0", and compares what
// a reader sees: the visible text (title and body's innerText) must be the
// original's once the two rewrites the minifier keeps in running text are
// applied to it (quotes around all-digit words dropped; blanks before and
// after "=" removed, after its whitespace runs are cut to their first
// character), and nothing else; pages whose text those rewrites do not touch
// must also give the same screenshot, pixel for pixel.
//   node render-compare.js --tool QUORVAN-OPTIMIZE --site NAME=FOLDER... [--browser PATH]
// Exit status 0 when every page matches, 1 when one does not, 77 (skipped)
// when Chromium is missing.
'use strict';

const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');
const { execFileSync } = require('child_process');
const { Browser } = require('./cdp');

const SKIPPED = 77;
const modes = [
  { name: 'html1', arguments: ['--html', '1'] },
  { name: 'html2-js0', arguments: ['--html', '2', '--js', '0'] },
];
const contentTypes = {
  '.html': 'text/html',
  '.htm': 'text/html',
  '.css': 'text/css',
  '.js': 'text/javascript',
  '.png': 'image/png',
  '.gif': 'image/gif',
  '.jpg': 'image/jpeg',
  '.jpeg': 'image/jpeg',
  '.svg': 'image/svg+xml',
};

function parseArguments(argv) {
  const options = { tool: null, browser: '/usr/bin/chromium', sites: [] };
  for (let i = 0; i < argv.length; i++) {
    if (argv[i] === '--tool') options.tool = argv[++i];
    else if (argv[i] === '--browser') options.browser = argv[++i];
    else if (argv[i] === '--site') {
      const [name, folder] = argv[++i].split(/=(.*)/s);
      options.sites.push({ name, folder });
    }
  }
  return options;
}

function pagesBelow(folder) {
  const pages = [];
  const walk = (relative) => {
    for (const entry of fs.readdirSync(path.join(folder, relative), { withFileTypes: true })) {
      const child = path.join(relative, entry.name);
      if (entry.isDirectory()) walk(child);
      else if (/\.html?$/i.test(entry.name)) pages.push(child);
    }
  };
  walk('');
  return pages.sort();
}

// Optimizes the pages folder by folder (the tool's output folder is flat).
function optimize(tool, site, pages, mode, outputRoot) {
  const byFolder = new Map();
  for (const page of pages) {
    const folder = path.dirname(page);
    if (!byFolder.has(folder)) byFolder.set(folder, []);
    byFolder.get(folder).push(path.join(site.folder, page));
  }
  for (const [folder, files] of byFolder) {
    const output = path.join(outputRoot, site.name, mode.name, folder);
    fs.mkdirSync(output, { recursive: true });
    execFileSync(tool, [...mode.arguments, '-o', output, ...files], { stdio: ['ignore', 'ignore', 'inherit'] });
  }
}

// Serves /SITE/VARIANT/PATH: a page from the variant's output ("original":
// the site itself), anything else from the site. Animated GIFs are served as
// their first frame so that screenshots do not depend on time.
function startServer(sites, outputRoot, work) {
  const firstFrames = new Map();
  const server = http.createServer((request, response) => {
    const [, siteName, variant, ...rest] = decodeURIComponent(new URL(request.url, 'http://x').pathname).split('/');
    const site = sites.find((s) => s.name === siteName);
    const relative = path.normalize(rest.join('/'));
    if (!site || relative.startsWith('..')) {
      response.writeHead(404).end();
      return;
    }
    const extension = path.extname(relative).toLowerCase();
    let file = path.join(site.folder, relative);
    if (variant !== 'original' && /^\.html?$/.test(extension)) file = path.join(outputRoot, site.name, variant, relative);
    if (extension === '.gif' && fs.existsSync(file)) {
      if (!firstFrames.has(file)) {
        const frame = path.join(work, `frame${firstFrames.size}.png`);
        execFileSync('convert', [`${file}[0]`, frame]);
        firstFrames.set(file, frame);
      }
      response.writeHead(200, { 'Content-Type': 'image/png' }).end(fs.readFileSync(firstFrames.get(file)));
      return;
    }
    fs.readFile(file, (error, bytes) => {
      if (error) response.writeHead(404).end();
      else response.writeHead(200, { 'Content-Type': contentTypes[extension] || 'application/octet-stream' }).end(bytes);
    });
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

// Runs in the page: its visible text, with `mode` "rewrite" the kept rewrites
// applied first to the running text (what the minifier does not keep
// verbatim: not from the first "<pre" through the last "</pre>" of the page,
// not inside script, style or textarea); with "check" only whether they
// would change anything.
const readText = (mode) => `(() => {
  const space = (c) => c === ' ' || c === '\\t' || c === '\\r' || c === '\\n';
  const rewriteText = (s) => {
    let out = '';
    for (let i = 0; i < s.length; ) {
      if (s[i] === '"') {
        const e = s.indexOf('"', i + 1);
        if (e < 0) { out += s[i++]; continue; }
        const inner = s.slice(i + 1, e);
        out += /^[0-9]+$/.test(inner) ? inner : '"' + inner + '"';
        i = e + 1;
      } else if (space(s[i])) {
        out += s[i++];
        while (i < s.length && space(s[i])) i++;
      } else {
        out += s[i++];
      }
    }
    return out.split(' =').join('=').split('= ').join('=');
  };
  const pres = [...document.getElementsByTagName('*')].filter((e) => e.tagName.toLowerCase().startsWith('pre'));
  const first = pres[0], last = pres[pres.length - 1];
  const verbatim = (node) => {
    if (first && (first.contains(node) || last.contains(node) ||
        ((first.compareDocumentPosition(node) & Node.DOCUMENT_POSITION_FOLLOWING) &&
         (last.compareDocumentPosition(node) & Node.DOCUMENT_POSITION_PRECEDING)))) return true;
    for (let e = node.parentElement; e; e = e.parentElement)
      if (['SCRIPT', 'STYLE', 'TEXTAREA'].includes(e.tagName)) return true;
    return false;
  };
  let changed = false;
  const walker = document.createTreeWalker(document.documentElement, NodeFilter.SHOW_TEXT);
  const nodes = [];
  while (walker.nextNode()) nodes.push(walker.currentNode);
  for (const node of nodes) {
    if ('${mode}' === 'none' || verbatim(node)) continue;
    const after = rewriteText(node.data);
    if (after === node.data) continue;
    changed = true;
    if ('${mode}' === 'rewrite') node.data = after;
  }
  return { text: document.title + '\\n' + (document.body ? document.body.innerText : ''), changed };
})()`;

function firstDifference(a, b) {
  let i = 0;
  while (i < a.length && i < b.length && a[i] === b[i]) i++;
  const around = (s) => JSON.stringify(s.slice(Math.max(0, i - 40), i + 40));
  return `at character ${i}: expected ${around(a)}, got ${around(b)}`;
}

async function main() {
  const options = parseArguments(process.argv.slice(2));
  if (!fs.existsSync(options.browser)) {
    console.log(`SKIPPED: ${options.browser} is missing (Debian: apt-get install chromium)`);
    return SKIPPED;
  }
  const sites = options.sites.filter((site) => {
    if (fs.existsSync(site.folder)) return true;
    console.log(`note: ${site.name} skipped, ${site.folder} is missing`);
    return false;
  });
  for (const site of sites) {
    // Which version of a Debian package the site comes from, when it does.
    try {
      const owner = execFileSync('dpkg', ['-S', site.folder], { stdio: ['ignore', 'pipe', 'ignore'] }).toString().split(':')[0];
      const version = execFileSync('dpkg-query', ['-W', '-f=${Version}', owner]).toString();
      console.log(`${site.name}: ${site.folder} from ${owner} ${version}`);
    } catch (error) {
      console.log(`${site.name}: ${site.folder}`);
    }
  }
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'qwo-browser-'));
  const started = Date.now();
  let browser = null;
  let server = null;
  try {
    const outputRoot = path.join(work, 'out');
    const pagesOf = new Map();
    for (const site of sites) {
      pagesOf.set(site.name, pagesBelow(site.folder));
      for (const mode of modes) optimize(options.tool, site, pagesOf.get(site.name), mode, outputRoot);
    }
    server = await startServer(sites, outputRoot, work);
    const base = `http://127.0.0.1:${server.address().port}`;
    browser = new Browser(options.browser, path.join(work, 'profile'));
    // Two tabs at once, each taking the next page from the list.
    const queue = [];
    for (const site of sites) for (const relative of pagesOf.get(site.name)) queue.push({ site, relative });
    const failures = [];
    let count = 0;
    let screenshots = 0;
    const worker = async (page) => {
      for (let job; (job = queue.shift()); ) {
        const { site, relative } = job;
        const url = (variant) =>
          `${base}/${encodeURIComponent(site.name)}/${variant}/${relative.split(path.sep).map(encodeURIComponent).join('/')}`;
        await page.load(url('original'));
        const { changed } = await page.evaluate(readText('check'));
        const originalShot = changed ? null : await page.screenshot();
        const original = await page.evaluate(readText('rewrite'));
        for (const mode of modes) {
          await page.load(url(mode.name));
          const optimized = await page.evaluate(readText('none'));
          const label = `${site.name}/${relative} (${mode.arguments.join(' ')})`;
          if (optimized.text !== original.text) {
            failures.push(`${label}: visible text differs ${firstDifference(original.text, optimized.text)}`);
          } else if (originalShot !== null) {
            screenshots++;
            if ((await page.screenshot()) !== originalShot) failures.push(`${label}: screenshot differs`);
          }
        }
        count++;
      }
    };
    const tabs = await Promise.all([browser.newPage(1024, 2048), browser.newPage(1024, 2048)]);
    await Promise.all(tabs.map(worker));
    failures.sort();
    const seconds = ((Date.now() - started) / 1000).toFixed(1);
    for (const failure of failures) console.log(`FAILED ${failure}`);
    console.log(
      `${count} pages (${sites.map((s) => `${s.name}: ${pagesOf.get(s.name).length}`).join(', ')}), ` +
        `${count * modes.length} optimized renderings compared, ${screenshots} of them also by screenshot, ${seconds} s`
    );
    console.log(`${count * modes.length - failures.length} passed, ${failures.length} failed`);
    return failures.length === 0 ? 0 : 1;
  } finally {
    if (browser) await browser.close();
    if (server) server.close();
    fs.rmSync(work, { recursive: true, force: true });
  }
}

main().then(
  (code) => process.exit(code),
  (error) => {
    console.error(error.stack || String(error));
    process.exit(1);
  }
);
