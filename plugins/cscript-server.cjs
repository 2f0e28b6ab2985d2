// cscript-server.cjs FOLDER PID START [SCRIPT]: keeps served scripts (a .wsf marked
// "cscript: served" that exports run()) loaded for the program that runs
// them, so that a call costs no Node.js start. cscript-client starts it in a
// private folder (mode 0700) named after the program it serves and sends it
// one request per connection on FOLDER/socket:
//   request: NUL-terminated fields "1", the caller's folder, the script, its arguments
//   reply:   the exit status in decimal and "\n", then what the script wrote to stderr
// Jobs run in worker threads, as many at once as there are processors; a
// job whose caller hangs up (killed, timed out) is stopped with its worker.
// The server ends within a second of the served program (PID, started at
// START clock ticks after boot) ending, and after IDLE_SECONDS without a
// request; the process that started it (cscript-client's watcher) waits for
// it and then removes the socket and the folder, however it ended. SCRIPT, when given, is loaded and
// warmed up (its warmUp(), if it exports one) before the first request.
'use strict';

const fs = require('fs');
const net = require('net');
const os = require('os');
const path = require('path');
const { Worker } = require('worker_threads');

const IDLE_SECONDS = 30;
const WATCH_MILLISECONDS = 250;
const WORKER_MEMORY_MB = 1024;

const [folder, servedPid, servedStart, firstScript] = process.argv.slice(2);
const socketPath = path.join(folder, 'socket');

// The served program's start time, or null once it has ended.
function startTimeOf(pid) {
  try {
    const stat = fs.readFileSync(`/proc/${pid}/stat`, 'latin1');
    return stat.slice(stat.lastIndexOf(')') + 2).split(' ')[19];
  } catch (error) {
    return null;
  }
}

// What a worker runs: each job's script loaded once, its run() awaited.
const workerSource = `
const { parentPort } = require('worker_threads');
const scripts = new Map();
parentPort.on('message', async ({ script, argv, cwd, warm }) => {
  let stderr = '';
  let code;
  try {
    if (!scripts.has(script)) scripts.set(script, require(script));
    const module = scripts.get(script);
    if (warm) {
      if (typeof module.warmUp === 'function') await module.warmUp();
      parentPort.postMessage({ code: 0, stderr });
      return;
    }
    if (typeof module.run !== 'function') throw new Error(script + ' exports no run()');
    code = await module.run(argv.map((a) => Buffer.from(a)), {
      cwd: Buffer.from(cwd),
      stderr: (text) => { stderr += text; },
    });
  } catch (error) {
    stderr += 'cscript: ' + (error && error.message ? error.message : String(error)) + '\\n';
    code = 1;
  }
  parentPort.postMessage({ code, stderr });
});
`;

class Pool {
  constructor(size) {
    this.size = size;
    this.idle = [];
    this.count = 0;
    this.queue = [];
  }

  busy() {
    return this.count > this.idle.length || this.queue.length > 0;
  }

  // Runs a job; calls done(code, stderr) once. Returns a function that stops it.
  submit(job, done) {
    const entry = { job, done, worker: null, stopped: false };
    this.queue.push(entry);
    this.dispatch();
    return () => {
      entry.stopped = true;
      const index = this.queue.indexOf(entry);
      if (index >= 0) this.queue.splice(index, 1);
      if (entry.worker) this.retire(entry.worker);
    };
  }

  dispatch() {
    while (this.queue.length > 0 && (this.idle.length > 0 || this.count < this.size)) {
      const worker = this.idle.pop() || this.spawn();
      const entry = this.queue.shift();
      entry.worker = worker;
      worker.entry = entry;
      worker.postMessage(entry.job);
    }
  }

  spawn() {
    const worker = new Worker(workerSource, {
      eval: true,
      resourceLimits: { maxOldGenerationSizeMb: WORKER_MEMORY_MB },
      stdout: true,
      stderr: true,
    });
    this.count += 1;
    worker.on('message', ({ code, stderr }) => {
      const entry = worker.entry;
      worker.entry = null;
      this.idle.push(worker);
      if (entry && !entry.stopped) entry.done(code, stderr);
      this.dispatch();
    });
    worker.on('error', (error) => {
      const entry = worker.entry;
      worker.entry = null;
      if (entry && !entry.stopped) {
        const reason = error && error.code === 'ERR_WORKER_OUT_OF_MEMORY' ? 'out of memory' : String(error.message);
        entry.done(1, `cscript: ${reason}\n`);
      }
    });
    worker.on('exit', () => {
      this.count -= 1;
      const index = this.idle.indexOf(worker);
      if (index >= 0) this.idle.splice(index, 1);
      this.dispatch();
    });
    return worker;
  }

  retire(worker) {
    worker.entry = null;
    worker.terminate();
  }
}

// "1", cwd, script, arguments: NUL-terminated byte strings.
function parseRequest(bytes) {
  const fields = [];
  let start = 0;
  for (let i = 0; i < bytes.length; i++) {
    if (bytes[i] === 0) {
      fields.push(bytes.subarray(start, i));
      start = i + 1;
    }
  }
  if (start !== bytes.length || fields.length < 3 || fields[0].toString() !== '1') return null;
  const cwd = fields[1];
  let script = fields[2].toString();
  if (!script.startsWith('/')) script = path.join(cwd.toString(), script);
  return { script, argv: fields.slice(3), cwd };
}

function main() {
  const pool = new Pool(Math.max(1, os.availableParallelism ? os.availableParallelism() : os.cpus().length));
  let lastActivity = Date.now();
  let connections = 0;
  // Half-open: the request ends with the caller's end of writing; the reply follows.
  const server = net.createServer({ allowHalfOpen: true }, (socket) => {
    connections += 1;
    lastActivity = Date.now();
    const chunks = [];
    let stop = null;
    let replied = false;
    socket.on('data', (chunk) => chunks.push(chunk));
    socket.on('end', () => {
      const request = parseRequest(Buffer.concat(chunks));
      if (!request) {
        replied = true;
        socket.end('2\ncscript: malformed request\n');
        return;
      }
      stop = pool.submit(request, (code, stderr) => {
        replied = true;
        lastActivity = Date.now();
        socket.end(`${code}\n${stderr}`);
      });
    });
    socket.on('error', () => {});
    socket.on('close', () => {
      connections -= 1;
      lastActivity = Date.now();
      if (!replied && stop) stop();
    });
  });

  // The client's watcher, our parent, removes the socket and the folder once
  // we have ended (also when we die without running this).
  const end = () => process.exit(0);
  for (const signal of ['SIGTERM', 'SIGINT', 'SIGHUP']) process.on(signal, end);
  process.on('uncaughtException', end);

  setInterval(() => {
    if (startTimeOf(servedPid) !== servedStart) end();
    if (connections === 0 && !pool.busy() && Date.now() - lastActivity > IDLE_SECONDS * 1000) end();
  }, WATCH_MILLISECONDS);

  server.on('error', end);
  server.listen(socketPath);
  // A first worker loads the script while the first request is on its way.
  if (firstScript) pool.submit({ script: firstScript, warm: true }, () => {});
  if (startTimeOf(servedPid) !== servedStart) end();
}

main();
