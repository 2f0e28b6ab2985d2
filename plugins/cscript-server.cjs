// cscript-server.cjs FOLDER PID START [SCRIPT]: keeps served scripts (a .wsf marked
// "cscript: served" that exports run()) loaded for the program that runs
// them, so that a call costs no Node.js start. cscript-client starts it in a
// private folder (mode 0700) named after the program it serves and sends it
// one request per connection on FOLDER/socket:
//   request: NUL-terminated fields "1", the caller's folder, the script, its arguments
//   reply:   the exit status in decimal and "\n", then what the script wrote to stderr
// Jobs run in this process, overlapping (the served script's own tools do the
// work); a job whose caller hangs up (killed, timed out) has its reply dropped.
// The server ends within a second of the served program (PID, started at
// START clock ticks after boot) ending, and after IDLE_SECONDS without a
// request; the process that started it (cscript-client's watcher) waits for
// it and then removes the socket and the folder, however it ended. SCRIPT, when given, is loaded and
// warmed up (its warmUp(), if it exports one) before the first request.
'use strict';

const fs = require('fs');
const net = require('net');
const path = require('path');

const IDLE_SECONDS = 30;
const WATCH_MILLISECONDS = 250;

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

// Each served script is loaded once and its run() awaited here: the work of
// the served minifier happens in its own processes (esbuild's service), so
// jobs overlap without threads and every job finds the warmed-up script.
const scripts = new Map();

function load(script) {
  if (!scripts.has(script)) scripts.set(script, require(script));
  return scripts.get(script);
}

// Runs a job; calls done(code, stderr) once, unless the returned stop() came first.
function submit({ script, argv, cwd }, done) {
  let stopped = false;
  let stderr = '';
  const finish = (code) => {
    if (!stopped) done(code, stderr);
  };
  (async () => {
    const module = load(script);
    if (typeof module.run !== 'function') throw new Error(script + ' exports no run()');
    return module.run(argv, { cwd, stderr: (text) => { stderr += text; } });
  })().then(finish, (error) => {
    stderr += 'cscript: ' + (error && error.message ? error.message : String(error)) + '\n';
    finish(1);
  });
  return () => {
    stopped = true;
  };
}

async function warmUp(script) {
  try {
    const module = load(script);
    if (typeof module.warmUp === 'function') await module.warmUp();
  } catch (error) {
    // the first request reports it
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
  let jobs = 0;
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
      if (chunks.length === 0) {
        replied = true; // "cscript //Prepare": the server answers, nothing to run
        socket.end();
        return;
      }
      const request = parseRequest(Buffer.concat(chunks));
      if (!request) {
        replied = true;
        socket.end('2\ncscript: malformed request\n');
        return;
      }
      jobs += 1;
      stop = submit(request, (code, stderr) => {
        jobs -= 1;
        replied = true;
        lastActivity = Date.now();
        socket.end(`${code}\n${stderr}`);
      });
    });
    socket.on('error', () => {});
    socket.on('close', () => {
      connections -= 1;
      lastActivity = Date.now();
      if (!replied && stop) {
      stop();
      jobs -= 1;
    }
    });
  });

  // The client's watcher, our parent, removes the socket and the folder once
  // we have ended (also when we die without running this).
  const end = () => process.exit(0);
  for (const signal of ['SIGTERM', 'SIGINT', 'SIGHUP']) process.on(signal, end);
  process.on('uncaughtException', end);

  setInterval(() => {
    if (startTimeOf(servedPid) !== servedStart) end();
    if (connections === 0 && jobs === 0 && Date.now() - lastActivity > IDLE_SECONDS * 1000) end();
  }, WATCH_MILLISECONDS);

  server.on('error', end);
  server.listen(socketPath);
  // The script loads while the first request is on its way.
  if (firstScript) setImmediate(() => warmUp(firstScript));
  if (startTimeOf(servedPid) !== servedStart) end();
}

main();
