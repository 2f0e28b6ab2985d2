// A small Chrome DevTools Protocol client over --remote-debugging-pipe: the
// browser reads commands on its descriptor 3 and writes replies and events on
// its descriptor 4, each message JSON followed by a NUL byte.
'use strict';

const { spawn } = require('child_process');

class Browser {
  // Starts `executable` headless with a new empty profile folder.
  constructor(executable, profileFolder) {
    this.process = spawn(
      executable,
      [
        '--headless',
        '--no-sandbox',
        '--disable-gpu',
        '--disable-quic',
        '--no-first-run',
        '--disable-background-networking',
        '--disable-component-update',
        '--disable-sync',
        '--hide-scrollbars',
        '--disable-renderer-backgrounding',
        '--disable-background-timer-throttling',
        '--disable-backgrounding-occluded-windows',
        '--font-render-hinting=none',
        `--user-data-dir=${profileFolder}`,
        '--remote-debugging-pipe',
        'about:blank',
      ],
      { stdio: ['ignore', 'ignore', 'pipe', 'pipe', 'pipe'] }
    );
    this.log = '';
    this.process.stderr.on('data', (chunk) => {
      this.log = (this.log + chunk).slice(-4000);
    });
    this.nextId = 1;
    this.pending = new Map();
    this.listeners = [];
    let buffer = Buffer.alloc(0);
    this.process.stdio[4].on('data', (chunk) => {
      buffer = Buffer.concat([buffer, chunk]);
      for (let end; (end = buffer.indexOf(0)) >= 0; buffer = buffer.subarray(end + 1)) {
        this.dispatch(JSON.parse(buffer.subarray(0, end).toString()));
      }
    });
    this.exited = new Promise((resolve) => this.process.on('exit', resolve));
    this.exited.then(() => {
      for (const { reject } of this.pending.values()) reject(new Error(`the browser ended:\n${this.log}`));
      this.pending.clear();
    });
  }

  dispatch(message) {
    if (message.id !== undefined) {
      const call = this.pending.get(message.id);
      this.pending.delete(message.id);
      if (!call) return;
      if (message.error) call.reject(new Error(`${call.method}: ${message.error.message}`));
      else call.resolve(message.result);
      return;
    }
    for (const listener of [...this.listeners]) listener(message);
  }

  send(method, params = {}, sessionId = undefined) {
    const id = this.nextId++;
    const message = { id, method, params };
    if (sessionId) message.sessionId = sessionId;
    return new Promise((resolve, reject) => {
      this.pending.set(id, { resolve, reject, method });
      this.process.stdio[3].write(JSON.stringify(message) + '\0');
    });
  }

  // Resolves with the first event of `method` in `sessionId` that passes `test`.
  waitFor(method, sessionId, test = () => true, timeoutMs = 30000) {
    return new Promise((resolve, reject) => {
      const timer = setTimeout(() => {
        this.listeners = this.listeners.filter((l) => l !== listener);
        reject(new Error(`no ${method} within ${timeoutMs} ms`));
      }, timeoutMs);
      const listener = (message) => {
        if (message.method === method && message.sessionId === sessionId && test(message.params)) {
          clearTimeout(timer);
          this.listeners = this.listeners.filter((l) => l !== listener);
          resolve(message.params);
        }
      };
      this.listeners.push(listener);
    });
  }

  // A new page (tab) of the given size; returns its session.
  async newPage(width, height) {
    // Each page in a window of its own: a tab behind another gets no frames.
    const { targetId } = await this.send('Target.createTarget', { url: 'about:blank', newWindow: true });
    const { sessionId } = await this.send('Target.attachToTarget', { targetId, flatten: true });
    await this.send('Page.enable', {}, sessionId);
    await this.send('Runtime.enable', {}, sessionId);
    await this.send('Log.enable', {}, sessionId);
    await this.send('Network.enable', {}, sessionId);
    await this.send('Network.setCacheDisabled', { cacheDisabled: true }, sessionId);
    await this.send('Animation.enable', {}, sessionId);
    await this.send('Emulation.setDeviceMetricsOverride', { width, height, deviceScaleFactor: 1, mobile: false }, sessionId);
    return new Page(this, sessionId);
  }

  async close() {
    try {
      await Promise.race([this.send('Browser.close'), new Promise((resolve) => setTimeout(resolve, 3000))]);
    } catch (error) {
      // already gone
    }
    const timer = setTimeout(() => this.process.kill('SIGKILL'), 3000);
    await this.exited;
    clearTimeout(timer);
  }
}

class Page {
  constructor(browser, sessionId) {
    this.browser = browser;
    this.sessionId = sessionId;
  }

  send(method, params = {}) {
    return this.browser.send(method, params, this.sessionId);
  }

  // Calls `callback(method, params)` for each event of this page until the
  // returned function is called.
  listen(callback) {
    const listener = (message) => {
      if (message.sessionId === this.sessionId && message.method) callback(message.method, message.params);
    };
    this.browser.listeners.push(listener);
    return () => {
      this.browser.listeners = this.browser.listeners.filter((l) => l !== listener);
    };
  }

  // Loads `url` and waits for its load event.
  async load(url) {
    const loaded = this.browser.waitFor('Page.loadEventFired', this.sessionId);
    const { errorText } = await this.send('Page.navigate', { url });
    if (errorText) throw new Error(`${url}: ${errorText}`);
    await loaded;
  }

  async evaluate(expression) {
    const { result, exceptionDetails } = await this.send('Runtime.evaluate', {
      expression,
      awaitPromise: true,
      returnByValue: true,
    });
    if (exceptionDetails) throw new Error(exceptionDetails.exception ? exceptionDetails.exception.description : exceptionDetails.text);
    return result.value;
  }

  // The viewport as PNG (base64).
  async screenshot() {
    const { data } = await this.send('Page.captureScreenshot', { format: 'png', optimizeForSpeed: true });
    return data;
  }
}

module.exports = { Browser };
