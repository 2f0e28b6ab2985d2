// Throughput of the HTML peers on one file: node peers.js PEER_DIR FILE [fast]
// Each peer runs in-process, repeated for at least a second; the best run counts.
const fs = require("fs");
const path = require("path");
const [peerDir, file, only] = process.argv.slice(2);
const modules = path.join(peerDir, "node_modules");
const page = fs.readFileSync(file);
const text = page.toString("latin1");

async function time(name, run) {
  let best = Infinity, total = 0, runs = 0, size = 0;
  while (runs < 2 || total < 1000) {
    const start = process.hrtime.bigint();
    size = await run();
    const ms = Number(process.hrtime.bigint() - start) / 1e6;
    best = Math.min(best, ms);
    total += ms;
    runs++;
  }
  const mbps = page.length / 1e6 / (best / 1e3);
  console.log(`${path.basename(file).padEnd(28)} ${name.padEnd(22)} ${String(page.length).padStart(9)} -> ` +
              `${String(size).padStart(9)} bytes  ${mbps.toFixed(1).padStart(8)} MB/s  ${best.toFixed(3).padStart(9)} ms/page`);
}

(async () => {
  const minifyHtml = require(path.join(modules, "@minify-html/node"));
  const terser = require(path.join(modules, "html-minifier-terser"));
  await time("@minify-html/node", async () => minifyHtml.minify(page, {}).length);
  if (only === "fast") return;  // the slow peer is skipped on the largest inputs
  await time("html-minifier-terser", async () =>
    (await terser.minify(text, { collapseWhitespace: true, removeComments: true,
                                 removeAttributeQuotes: true })).length);
})().catch((error) => { console.error(error.message); process.exit(1); });
