// A headless Chromium driven through its DevTools protocol over a pipe (no WebSocket, no
// packages), a static file server for the page, and a PNG reader for its screenshots.
import { spawn } from "node:child_process";
import { mkdtempSync, readFileSync, rmSync, existsSync } from "node:fs";
import { createServer } from "node:http";
import { tmpdir } from "node:os";
import { extname, join, normalize } from "node:path";
import { inflateSync } from "node:zlib";

const TYPES = { ".html": "text/html", ".js": "text/javascript", ".wasm": "application/wasm",
                ".data": "application/octet-stream" };

// Serves the folder on a free local port, and each file of `files` (address path -> file) at
// its path; resolves to the server and its base address.
export function serveFolder(folder, files = {}) {
  const server = createServer((request, response) => {
    const path = normalize(decodeURIComponent(new URL(request.url, "http://x").pathname));
    const named = Object.hasOwn(files, path);
    const file = named ? files[path] : join(folder, path);
    if (!(named || file.startsWith(folder)) || !existsSync(file)) {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, { "Content-Type": TYPES[extname(file)] || "application/octet-stream" });
    response.end(readFileSync(file));
  });
  return new Promise((resolve) => server.listen(0, "127.0.0.1", () =>
    resolve({ server, base: `http://127.0.0.1:${server.address().port}/` })));
}

export class Browser {
  constructor(extraFlags = [], binary = process.env.CHROMIUM || "chromium") {
    this.profile = mkdtempSync(join(tmpdir(), "zelmor-chromium-"));
    const flags = ["--headless=new", "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
      "--no-first-run", "--no-default-browser-check", "--disable-background-networking",
      "--disable-component-update", "--disable-sync", "--disable-extensions",
      "--mute-audio", "--remote-debugging-pipe", `--user-data-dir=${this.profile}`,
      "--window-size=800,700", ...extraFlags, "about:blank"];
    // Chromium refuses to run as root inside its own sandbox.
    if (process.getuid && process.getuid() === 0) flags.unshift("--no-sandbox");
    this.process = spawn(binary, flags, { stdio: ["ignore", "ignore", "pipe", "pipe", "pipe"] });
    this.stderr = "";
    this.process.stderr.on("data", (chunk) => { this.stderr += chunk; });
    this.nextId = 1;
    this.pending = new Map();
    this.listeners = [];
    let buffered = "";
    this.process.stdio[4].on("data", (chunk) => {
      buffered += chunk.toString("utf8");
      let end;
      while ((end = buffered.indexOf("\0")) >= 0) {
        this.receive(JSON.parse(buffered.slice(0, end)));
        buffered = buffered.slice(end + 1);
      }
    });
    this.exited = new Promise((resolve) => this.process.on("exit", resolve));
  }

  receive(message) {
    if (message.id !== undefined && this.pending.has(message.id)) {
      const { resolve, reject, method } = this.pending.get(message.id);
      this.pending.delete(message.id);
      if (message.error) reject(new Error(`${method}: ${message.error.message}`));
      else resolve(message.result);
      return;
    }
    for (const listener of this.listeners) listener(message);
  }

  send(method, params = {}, sessionId = undefined) {
    const id = this.nextId++;
    const message = { id, method, params };
    if (sessionId) message.sessionId = sessionId;
    return new Promise((resolve, reject) => {
      this.pending.set(id, { resolve, reject, method });
      this.process.stdio[3].write(JSON.stringify(message) + "\0");
    });
  }

  on(listener) { this.listeners.push(listener); }

  // A new page with its own session: page.send(method, params).
  async newPage() {
    const { targetId } = await this.send("Target.createTarget", { url: "about:blank" });
    const { sessionId } = await this.send("Target.attachToTarget", { targetId, flatten: true });
    return { sessionId, send: (method, params) => this.send(method, params, sessionId) };
  }

  async close() {
    try {
      await Promise.race([this.send("Browser.close"), new Promise((r) => setTimeout(r, 3000))]);
    } catch { /* already gone */ }
    if (this.process.exitCode === null) this.process.kill("SIGKILL");
    await Promise.race([this.exited, new Promise((r) => setTimeout(r, 3000))]);
    try {
      rmSync(this.profile, { recursive: true, force: true, maxRetries: 5, retryDelay: 200 });
    } catch { /* a late write of the browser: the folder is in the temporary directory */ }
  }
}

// Decodes an 8-bit, non-interlaced RGB or RGBA PNG into {width, height, pixel(x, y) -> [r,g,b]}.
export function decodePng(buffer) {
  let at = 8;
  let width = 0, height = 0, channels = 0;
  const data = [];
  while (at < buffer.length) {
    const length = buffer.readUInt32BE(at);
    const type = buffer.toString("ascii", at + 4, at + 8);
    const body = buffer.subarray(at + 8, at + 8 + length);
    if (type === "IHDR") {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      if (body[8] !== 8 || body[12] !== 0) throw new Error("unsupported PNG");
      channels = { 2: 3, 6: 4 }[body[9]];
      if (!channels) throw new Error("unsupported PNG colour type");
    } else if (type === "IDAT") {
      data.push(body);
    }
    at += 12 + length;
  }
  const raw = inflateSync(Buffer.concat(data));
  const stride = width * channels;
  const pixels = Buffer.alloc(stride * height);
  for (let y = 0; y < height; y++) {
    const filter = raw[y * (stride + 1)];
    const line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    for (let i = 0; i < stride; i++) {
      const left = i >= channels ? pixels[y * stride + i - channels] : 0;
      const up = y > 0 ? pixels[(y - 1) * stride + i] : 0;
      const upLeft = y > 0 && i >= channels ? pixels[(y - 1) * stride + i - channels] : 0;
      let value = line[i];
      if (filter === 1) value += left;
      else if (filter === 2) value += up;
      else if (filter === 3) value += (left + up) >> 1;
      else if (filter === 4) {
        const p = left + up - upLeft;
        const pa = Math.abs(p - left), pb = Math.abs(p - up), pc = Math.abs(p - upLeft);
        value += pa <= pb && pa <= pc ? left : pb <= pc ? up : upLeft;
      }
      pixels[y * stride + i] = value & 0xff;
    }
  }
  return {
    width, height,
    pixel(x, y) {
      const i = y * stride + x * channels;
      return [pixels[i], pixels[i + 1], pixels[i + 2]];
    },
  };
}
