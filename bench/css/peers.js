// Throughput of the CSS peers on one file: node peers.js PEER_DIR FILE
// Each peer runs in-process (no start-up cost), repeated for at least a
// second or twice; the best run counts. A run over 20 s is not repeated.
const fs = require("fs");
const path = require("path");
const [peerDir, file] = process.argv.slice(2);
const modules = path.join(peerDir, "node_modules");
const sheet = fs.readFileSync(file);
const text = sheet.toString("latin1");

function time(name, run) {
  let best = Infinity, total = 0, runs = 0, size = 0;
  while ((runs < 2 || total < 1000) && !(runs >= 1 && best > 20000)) {
    const start = process.hrtime.bigint();
    size = run();
    const ms = Number(process.hrtime.bigint() - start) / 1e6;
    best = Math.min(best, ms);
    total += ms;
    runs++;
  }
  const mbps = sheet.length / 1e6 / (best / 1e3);
  console.log(`${path.basename(file).padEnd(28)} ${name.padEnd(22)} ${String(sheet.length).padStart(10)} -> ` +
              `${String(size).padStart(10)} bytes ${mbps.toFixed(1).padStart(9)} MB/s ${best.toFixed(3).padStart(10)} ms`);
}

function attempt(name, run) {
  try {
    time(name, run);
  } catch (error) {
    console.log(`${path.basename(file).padEnd(28)} ${name.padEnd(22)} failed: ${String(error.message).split("\n")[0]}`);
  }
}

const esbuild = require(path.join(modules, "esbuild"));
const lightningcss = require(path.join(modules, "lightningcss"));
const CleanCSS = require(path.join(modules, "clean-css"));
attempt("esbuild", () => esbuild.transformSync(text, { loader: "css", minify: true }).code.length);
attempt("lightningcss", () =>
  lightningcss.transform({ filename: "bench.css", code: sheet, minify: true, errorRecovery: true }).code.length);
const clean1 = new CleanCSS({ level: 1 });
const clean2 = new CleanCSS({ level: 2 });
attempt("clean-css level 1", () => clean1.minify(text).styles.length);
// clean-css level 2 takes time quadratic in the sheet (over 5 minutes for 10 MB).
if (sheet.length <= 2e6)
  attempt("clean-css level 2", () => clean2.minify(text).styles.length);
else
  console.log(`${path.basename(file).padEnd(28)} ${"clean-css level 2".padEnd(22)} skipped: quadratic above 2 MB`);
