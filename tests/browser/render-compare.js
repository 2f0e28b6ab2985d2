// Optimizes whole sites with the command line (at the defaults and at
// "--html 1 --css 1"), serves each output as its own site beside the source,
// and renders every sampled page of both in headless Chromium the way a
// visitor sees it. A page passes when, after it settles:
//  - its screenshot is pixel-identical to the source's, except where two
//    renderings of the source differ from each other;
//  - its visible text (title and body's innerText) is identical;
//  - it logs no console error and fails no request the source does not;
//  - each GIF it shows decodes, in the browser, to the source's frames.
//   node render-compare.js --tool QUORVAN-OPTIMIZE [--browser PATH] [--diffs FOLDER] [--site NAME]...
// The sites are listed in sites.js (--site picks some of them). Per-page
// differences go to standard output, diff images and the outputs to FOLDER.
// Exit status 0 when every page matches, 1 when one does not, 77 (skipped)
// when Chromium is missing.
'use strict';

const fs = require('fs');
const os = require('os');
const path = require('path');
const { execFileSync, spawn } = require('child_process');
const { Browser } = require('./cdp');
const { decodePng, encodePng, comparePixels } = require('./pixels');
const { startSiteServer } = require('./site-server');
const { lineDifferences, packageProblem } = require('./differences');
const allSites = require('./sites');

const SKIPPED = 77;
const WIDTH = 1024;
const HEIGHT = 2400;
const modes = [
  { name: 'defaults', arguments: [] },
  { name: 'html1-css1', arguments: ['--html', '1', '--css', '1'] },
];

function parseArguments(argv) {
  const options = { tool: null, browser: '/usr/bin/chromium', diffs: path.join(os.tmpdir(), 'qwo-browser-diffs'), sites: [] };
  for (let i = 0; i < argv.length; i++) {
    if (argv[i] === '--tool') options.tool = argv[++i];
    else if (argv[i] === '--browser') options.browser = argv[++i];
    else if (argv[i] === '--diffs') options.diffs = argv[++i];
    else if (argv[i] === '--site') options.sites.push(argv[++i]);
    else throw new Error(`unknown argument ${argv[i]}`);
  }
  if (!options.tool) throw new Error('usage: render-compare.js --tool QUORVAN-OPTIMIZE [--browser PATH] [--diffs FOLDER] [--site NAME]...');
  return options;
}

function htmlPagesBelow(folder) {
  const pages = [];
  const walk = (relative) => {
    for (const entry of fs.readdirSync(path.join(folder, relative), { withFileTypes: true })) {
      const child = relative ? `${relative}/${entry.name}` : entry.name;
      if (entry.isDirectory()) walk(child);
      else if (/\.html?$/i.test(entry.name)) pages.push(child);
    }
  };
  walk('');
  return pages.sort();
}

// Runs the command line on the whole site; the output folder holds the site's
// files under their own relative paths. Resolves with null, or what failed.
function optimizeSite(tool, site, mode, output) {
  fs.mkdirSync(output, { recursive: true });
  return new Promise((resolve) => {
    const child = spawn(tool, [...mode.arguments, '-o', output, site.folder], { stdio: ['ignore', 'ignore', 'pipe'] });
    let errors = '';
    child.stderr.on('data', (chunk) => {
      errors = (errors + chunk).slice(-4000);
    });
    child.on('error', (error) => resolve(`quorvan-optimize did not start: ${error.message}`));
    child.on('close', (status) =>
      resolve(status === 0 ? null : `quorvan-optimize ${mode.arguments.join(' ')} exited ${status}: ${errors.trim().split('\n').slice(-5).join(' | ')}`)
    );
  });
}

// Runs in the page once it has loaded: waits for its fonts, then a short
// idle (timers only: a tab in the background gets no animation frames), so
// that late scripts and layout have run before anything is read.
const SETTLE = `(async () => {
  await document.fonts.ready;
  await new Promise((done) => setTimeout(done, 200));
  await document.fonts.ready;
})()`;

const VISIBLE_TEXT = `document.title + '\\n' + (document.body ? document.body.innerText : '')`;

// Runs in the optimized page: decodes every GIF it loaded and the source's
// GIF of the same path with the browser's own decoder (frames composited as
// shown) and lists what differs: frame count, loop count, delays, pixels.
const compareGifs = (sourceOrigin) => `(async () => {
  const urls = [...new Set(performance.getEntriesByType('resource').map((e) => e.name)
    .filter((u) => new URL(u).pathname.toLowerCase().endsWith('.gif') && new URL(u).origin === location.origin))];
  const decode = async (url) => {
    const response = await fetch(url + '?frames', { cache: 'no-store' });
    if (!response.ok) throw new Error(url + ': HTTP ' + response.status);
    const decoder = new ImageDecoder({ data: await response.arrayBuffer(), type: 'image/gif' });
    await decoder.tracks.ready;
    await decoder.completed;
    const track = decoder.tracks.selectedTrack;
    const frames = [];
    for (let i = 0; i < track.frameCount; i++) {
      const { image } = await decoder.decode({ frameIndex: i });
      const canvas = new OffscreenCanvas(image.displayWidth, image.displayHeight);
      const context = canvas.getContext('2d');
      context.drawImage(image, 0, 0);
      frames.push({ duration: image.duration, width: canvas.width, height: canvas.height,
        data: context.getImageData(0, 0, canvas.width, canvas.height).data });
      image.close();
    }
    decoder.close();
    return { frames, repetitions: track.repetitionCount };
  };
  const problems = [];
  for (const url of urls) {
    const name = new URL(url).pathname;
    let got, expected;
    try {
      got = await decode(url);
      expected = await decode(${JSON.stringify(sourceOrigin)} + name);
    } catch (error) {
      problems.push('GIF ' + name + ': ' + error);
      continue;
    }
    if (got.frames.length !== expected.frames.length)
      problems.push('GIF ' + name + ': ' + got.frames.length + ' frames, the source has ' + expected.frames.length);
    if (got.repetitions !== expected.repetitions)
      problems.push('GIF ' + name + ': loops ' + got.repetitions + ' times, the source ' + expected.repetitions);
    for (let i = 0; i < Math.min(got.frames.length, expected.frames.length); i++) {
      const a = expected.frames[i], b = got.frames[i];
      if (a.duration !== b.duration) problems.push('GIF ' + name + ' frame ' + i + ': shown ' + b.duration + ' us, the source ' + a.duration + ' us');
      if (a.width !== b.width || a.height !== b.height) {
        problems.push('GIF ' + name + ' frame ' + i + ': ' + b.width + 'x' + b.height + ', the source ' + a.width + 'x' + a.height);
        continue;
      }
      let differing = 0, transparency = 0;
      for (let p = 0; p < a.data.length; p += 4) {
        if (a.data[p] !== b.data[p] || a.data[p + 1] !== b.data[p + 1] || a.data[p + 2] !== b.data[p + 2] || a.data[p + 3] !== b.data[p + 3]) differing++;
        if (a.data[p + 3] !== b.data[p + 3]) transparency++;
      }
      if (differing) problems.push('GIF ' + name + ' frame ' + i + ': ' + differing + ' pixels differ, ' + transparency + ' of them in transparency');
    }
  }
  return problems;
})()`;

// Loads `url` in `page` and reads what a visitor gets: the screenshot, the
// visible text and the errors (console, exceptions, failed requests), with
// the origin written as "ORIGIN" so that two sites' errors compare.
async function render(page, origin, relative) {
  const errors = new Set();
  const requests = new Map();
  const stripOrigin = (text) => String(text).split(origin).join('ORIGIN');
  // The browser asks for /favicon.ico by itself, at a time of its own.
  const favicon = (url) => url === `${origin}/favicon.ico`;
  const stop = page.listen((method, params) => {
    if (method === 'Runtime.exceptionThrown') {
      const details = params.exceptionDetails;
      errors.add(`exception: ${stripOrigin(details.exception ? details.exception.description : details.text)}`);
    } else if (method === 'Runtime.consoleAPICalled' && (params.type === 'error' || params.type === 'assert')) {
      errors.add(`console.${params.type}: ${stripOrigin(params.args.map((a) => (a.value !== undefined ? a.value : a.description)).join(' '))}`);
    } else if (method === 'Log.entryAdded' && params.entry.level === 'error' && !favicon(params.entry.url)) {
      errors.add(`log: ${stripOrigin(params.entry.text)} ${stripOrigin(params.entry.url || '')}`.trim());
    } else if (method === 'Network.requestWillBeSent') {
      requests.set(params.requestId, params.request.url);
    } else if (method === 'Network.loadingFailed' && !params.canceled && !favicon(requests.get(params.requestId))) {
      errors.add(`request failed: ${stripOrigin(requests.get(params.requestId))} (${params.errorText})`);
    } else if (method === 'Network.responseReceived' && params.response.status >= 400 && !favicon(params.response.url)) {
      errors.add(`request failed: ${stripOrigin(params.response.url)} (HTTP ${params.response.status})`);
    }
  });
  try {
    await page.load(`${origin}/${relative.split('/').map(encodeURIComponent).join('/')}`);
    await page.send('Animation.setPlaybackRate', { playbackRate: 0 });
    await page.evaluate(SETTLE);
    const text = await page.evaluate(VISIBLE_TEXT);
    const shot = decodePng(Buffer.from(await page.screenshot(), 'base64'));
    return { text, shot, errors };
  } finally {
    stop();
  }
}

function safeName(text) {
  return text.replace(/[^A-Za-z0-9._-]+/g, '_');
}

async function comparePage(page, job, origins, diffs) {
  const { site, relative } = job;
  const source = await render(page, origins.source, relative);
  const again = await render(page, origins.source, relative);
  const failures = [];
  for (const mode of modes) {
    const label = `${site.name}/${relative} (${mode.arguments.length ? mode.arguments.join(' ') : 'defaults'})`;
    const problems = [];
    let got = await render(page, origins[mode.name], relative);
    if (got.text !== source.text) {
      problems.push('visible text differs:', ...lineDifferences(source.text, got.text).map((line) => `  ${line}`));
    }
    let { differing, ignored, diff } = comparePixels(source.shot, again.shot, got.shot);
    // A page's own scripts may finish late on a loaded machine: a difference
    // counts only if a second rendering shows it too.
    if (differing) {
      got = await render(page, origins[mode.name], relative);
      ({ differing, ignored, diff } = comparePixels(source.shot, again.shot, got.shot));
    }
    if (differing) {
      const file = path.join(diffs, `${safeName(`${site.name}-${relative}-${mode.name}`)}.png`);
      fs.writeFileSync(file, encodePng(diff));
      problems.push(`${differing} pixels differ (${ignored} ignored as unsteady in the source): ${file}`);
    }
    for (const error of got.errors) if (!source.errors.has(error)) problems.push(`new error: ${error}`);
    problems.push(...(await page.evaluate(compareGifs(origins.source))));
    if (problems.length) failures.push(`${label}\n    ${problems.map((p) => p.replace(/\n/g, '\n      ')).join('\n    ')}`);
  }
  return failures;
}

async function main() {
  const options = parseArguments(process.argv.slice(2));
  if (!fs.existsSync(options.browser)) {
    console.log(`SKIPPED: ${options.browser} is missing (Debian: apt-get install chromium)`);
    return SKIPPED;
  }
  const unknown = options.sites.filter((name) => !allSites.some((s) => s.name === name));
  if (unknown.length) throw new Error(`no site ${unknown.join(', ')} in sites.js (${allSites.map((s) => s.name).join(', ')})`);
  const sites = options.sites.length ? allSites.filter((s) => options.sites.includes(s.name)) : allSites;
  const failures = [];
  for (const site of sites) {
    const problem = site.package ? packageProblem(site, (name) => execFileSync('dpkg-query', ['-W', '-f=${Status}\t${Version}', name], { encoding: 'utf8', stdio: ['ignore', 'pipe', 'ignore'] })) : null;
    if (problem) failures.push(`${site.name}: ${problem}`);
    console.log(`${site.name}: ${site.folder}${site.package ? ` (${site.package} ${site.version})` : ''}`);
  }
  if (failures.length) {
    for (const failure of failures) console.log(`FAILED ${failure}`);
    console.log(`0 passed, ${failures.length} failed`);
    return 1;
  }
  fs.rmSync(options.diffs, { recursive: true, force: true });
  fs.mkdirSync(options.diffs, { recursive: true });
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'qwo-browser-'));
  const started = Date.now();
  let browser = null;
  const servers = [];
  // The sites are optimized one after the other while the browser renders
  // those already done.
  let optimizing = Promise.resolve();
  try {
    const queue = [];
    for (const site of sites) {
      const pages = site.pages || htmlPagesBelow(site.folder);
      const origins = {};
      const serve = async (folder) => {
        const server = await startSiteServer(folder, path.join(work, 'frames'));
        servers.push(server);
        return `http://127.0.0.1:${server.address().port}`;
      };
      origins.source = await serve(site.folder);
      for (const mode of modes) {
        const output = path.join(options.diffs, 'out', mode.name, site.name);
        origins[mode.name] = await serve(output);
        optimizing = optimizing.then(async () => {
          const problem = await optimizeSite(options.tool, site, mode, output);
          if (problem) failures.push(`${site.name} (${mode.name}): ${problem}`);
        });
      }
      const ready = optimizing;
      for (const relative of pages) {
        if (!fs.existsSync(path.join(site.folder, relative))) failures.push(`${site.name}/${relative}: the sampled page is missing`);
        else queue.push({ site, relative, origins, ready });
      }
    }
    let optimized = null;
    optimizing.then(() => {
      optimized = ((Date.now() - started) / 1000).toFixed(1);
    });
    browser = new Browser(options.browser, path.join(work, 'profile'));
    const total = queue.length;
    const worker = async (page) => {
      for (let job; (job = queue.shift()); ) {
        await job.ready;
        failures.push(...(await comparePage(page, job, job.origins, options.diffs)));
      }
    };
    const tabs = await Promise.all([browser.newPage(WIDTH, HEIGHT), browser.newPage(WIDTH, HEIGHT)]);
    await Promise.all(tabs.map(worker));
    await optimizing;
    failures.sort();
    for (const failure of failures) console.log(`FAILED ${failure}`);
    const seconds = ((Date.now() - started) / 1000).toFixed(1);
    console.log(`${total} pages of ${sites.length} sites in ${modes.length} modes; the optimizing was done after ${optimized} s, all after ${seconds} s`);
    console.log(`outputs and diff images: ${options.diffs}`);
    console.log(`${total * modes.length - failures.length} passed, ${failures.length} failed`);
    return failures.length === 0 ? 0 : 1;
  } finally {
    if (browser) await browser.close();
    for (const server of servers) server.close();
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
