// The web page played in headless Chromium: it draws the scene, a rubber band selects a unit
// (its marker shows), a right click moves it, S halts it, and Escape ends the program with
// "End OpenGL" as the last line of "gl.log" in the page's file system. Without WebGL it says
// why it cannot start.
// Usage: node browser_test.mjs <folder with zelmor.html>
import { writeFileSync } from "node:fs";
import { resolve } from "node:path";
import { Browser, decodePng, serveFolder } from "./cdp.mjs";

const folder = resolve(process.argv[2] || "out/zelmor-web");
const TIMEOUT_MS = Number(process.env.ZELMOR_WEB_TIMEOUT_MS || 90000);
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

const ground = ([r, g, b]) => Math.abs(r - 32) < 24 && Math.abs(g - 191) < 30 && Math.abs(b - 64) < 24;
const scoutBody = ([r, g, b]) => r > 170 && g > 100 && g < 185 && b < 110 && r - g > 40;
const marker = ([r, g, b]) => r > 200 && g > 190 && b < 90;

// The pixels of a kind in the shot: count and centre.
function find(shot, kind, box = { x0: 0, y0: 0, x1: shot.width, y1: shot.height }) {
  let count = 0, sx = 0, sy = 0;
  for (let y = Math.max(0, box.y0); y < Math.min(shot.height, box.y1); y++) {
    for (let x = Math.max(0, box.x0); x < Math.min(shot.width, box.x1); x++) {
      if (kind(shot.pixel(x, y))) { count++; sx += x; sy += y; }
    }
  }
  return { count, x: count ? sx / count : NaN, y: count ? sy / count : NaN };
}

// The largest patch of a kind, found on a coarse grid away from the edges (where the resting
// mouse would scroll the view): its centre.
function largestPatch(shot, kind, cell = 40) {
  let best = null;
  for (let y = 80; y < shot.height - 80 - cell; y += cell / 2) {
    for (let x = 80; x < shot.width - 80 - cell; x += cell / 2) {
      const patch = find(shot, kind, { x0: x, y0: y, x1: x + cell, y1: y + cell });
      if (!best || patch.count > best.count) best = patch;
    }
  }
  return best;
}

// A point with nothing but ground around it, far enough from the unit to watch it drive.
function openGround(shot, from) {
  for (let y = 40; y < shot.height - 40; y += 10) {
    for (let x = 40; x < shot.width - 40; x += 10) {
      const far = Math.hypot(x - from.x, y - from.y) > 120;
      if (far && find(shot, ground, { x0: x - 30, y0: y - 30, x1: x + 30, y1: y + 30 }).count === 3600) {
        return { x, y };
      }
    }
  }
  throw new Error("no open ground to send the unit to");
}

const { server, base } = await serveFolder(folder);
const browser = new Browser();
const consoleLines = [];
browser.on((message) => {
  if (message.method === "Runtime.consoleAPICalled") {
    consoleLines.push(message.params.args.map((a) => a.value ?? a.description).join(" "));
  } else if (message.method === "Runtime.exceptionThrown") {
    consoleLines.push("exception: " + message.params.exceptionDetails.exception?.description);
  }
});

let page, canvas, lastShot;
const evaluate = async (expression) =>
  (await page.send("Runtime.evaluate", { expression, returnByValue: true, awaitPromise: true })).result.value;
async function screenshot() {
  const clip = { ...canvas, scale: 1 };
  const { data } = await page.send("Page.captureScreenshot", { format: "png", clip });
  lastShot = Buffer.from(data, "base64");
  return decodePng(lastShot);
}
async function waitFor(what, test, timeout = TIMEOUT_MS) {
  const end = Date.now() + timeout;
  for (;;) {
    const value = await test();
    if (value) return value;
    if (Date.now() > end) throw new Error(`timed out waiting for ${what}`);
    await sleep(250);
  }
}
const mouse = (type, p, button = "none", buttons = 0) => page.send("Input.dispatchMouseEvent",
  { type, x: canvas.x + p.x, y: canvas.y + p.y, button, buttons, clickCount: type === "mouseMoved" ? 0 : 1 });
const key = async (keyName, code, keyCode, text) => {
  await page.send("Input.dispatchKeyEvent", { type: text ? "keyDown" : "rawKeyDown", key: keyName,
    code, windowsVirtualKeyCode: keyCode, text });
  await page.send("Input.dispatchKeyEvent", { type: "keyUp", key: keyName, code, windowsVirtualKeyCode: keyCode });
};
// The fps lines show frames are being drawn; waiting for a new one lets the program run a while.
const fpsLines = () => consoleLines.filter((l) => l.startsWith("zelmorGL.log: ")).length;
async function framesGoOn() {
  const seen = fpsLines();
  await waitFor("a new frames-per-second line", () => fpsLines() > seen);
}

const checks = [];
const check = (name, ok, detail) => {
  checks.push(name);
  if (!ok) throw new Error(`${name}: ${detail}`);
  console.log(`ok - ${name}`);
};

const started = Date.now();
try {
  page = await browser.newPage();
  await page.send("Runtime.enable");
  await page.send("Page.enable");
  await page.send("Emulation.setFocusEmulationEnabled", { enabled: true });
  await page.send("Page.navigate", { url: base + "zelmor.html" });
  await waitFor("the first frames-per-second line", () => fpsLines() > 0);
  canvas = await evaluate(`(() => { const r = document.getElementById("canvas").getBoundingClientRect();
    return { x: r.left, y: r.top, width: r.width, height: r.height }; })()`);

  let shot = await screenshot();
  const area = shot.width * shot.height;
  const green = find(shot, ground).count / area;
  const scouts = find(shot, scoutBody);
  check("the page draws the scene: ground, scenery and units",
        green > 0.3 && green < 0.9 && scouts.count > 200,
        `ground ${(green * 100).toFixed(1)}%, scout pixels ${scouts.count}`);

  const unit = largestPatch(shot, scoutBody);
  const box = { x0: unit.x - 45, y0: unit.y - 45, x1: unit.x + 45, y1: unit.y + 45 };
  const markerBefore = find(shot, marker).count;
  await mouse("mouseMoved", { x: box.x0, y: box.y0 });
  await mouse("mousePressed", { x: box.x0, y: box.y0 }, "left", 1);
  for (let t = 0.25; t <= 1; t += 0.25) {
    await mouse("mouseMoved", { x: box.x0 + 90 * t, y: box.y0 + 90 * t }, "left", 1);
  }
  await mouse("mouseReleased", { x: box.x1, y: box.y1 }, "left", 0);
  const markerShown = await waitFor("the selection marker", async () => {
    shot = await screenshot();
    const seen = find(shot, marker);
    return seen.count > markerBefore + 100 ? seen : null;
  });
  check("a rubber band selects a unit and its marker shows", true, "");

  const target = openGround(shot, markerShown);
  await mouse("mouseMoved", target);
  await mouse("mousePressed", target, "right", 2);
  await mouse("mouseReleased", target, "right", 0);
  const start = { x: markerShown.x, y: markerShown.y };
  const moved = await waitFor("the unit to drive towards the point", async () => {
    shot = await screenshot();
    const now = find(shot, marker);
    const before = Math.hypot(target.x - start.x, target.y - start.y);
    const after = Math.hypot(target.x - now.x, target.y - now.y);
    return now.count > 30 && before - after > 25 ? now : null;
  });
  check("a right click on the ground moves the unit there", true, "");

  await key("s", "KeyS", 83, "s");
  // Braking from top speed takes about 0.6 s, and the next frame-rate line may come at once:
  // the second one is at least a second away. Then the marker stays put while frames go on.
  await framesGoOn();
  await framesGoOn();
  const halted = find(await screenshot(), marker);
  await framesGoOn();
  const later = find(await screenshot(), marker);
  const left = Math.hypot(target.x - later.x, target.y - later.y);
  check("S halts the unit short of its goal",
        Math.hypot(later.x - halted.x, later.y - halted.y) < 2 && left > 10,
        `marker at (${halted.x.toFixed(1)}, ${halted.y.toFixed(1)}) then ` +
        `(${later.x.toFixed(1)}, ${later.y.toFixed(1)}), ${left.toFixed(1)} px from the goal ` +
        `(started ${moved.x.toFixed(1)}, ${moved.y.toFixed(1)})`);

  await key("Escape", "Escape", 27);
  await waitFor("the program to end", () => evaluate("Module.exitCode !== null"));
  const exitCode = await evaluate("Module.exitCode");
  const log = await evaluate(`FS.readFile("/gl.log", { encoding: "utf8" })`);
  const lines = log.split("\n").filter((l) => l.length > 0);
  check("Escape ends the program: exit code 0, \"End OpenGL\" last in gl.log",
        exitCode === 0 && lines[0] === "Start OpenGL Init" && lines.at(-1) === "End OpenGL",
        `exit code ${exitCode}, gl.log:\n${log}`);
  const thrown = consoleLines.filter((l) => l.startsWith("exception: "));
  check("no GL call or event handler threw on the way", thrown.length === 0, thrown.join("\n"));
  const fps = consoleLines.filter((l) => l.startsWith("zelmorGL.log: ")).map((l) => parseFloat(l.slice(14)));
  console.log(`browser run ${((Date.now() - started) / 1000).toFixed(1)} s; ` +
              `fps lines: ${fps.map((f) => f.toFixed(1)).join(" ")}`);

  // Without WebGL the start-up fails: the page and the console say why, and the program ends
  // with a non-zero status instead of running unseen.
  const noGl = new Browser(["--disable-webgl"]);
  try {
    const errors = [];
    noGl.on((m) => {
      if (m.method === "Runtime.consoleAPICalled" && m.params.type === "error") {
        errors.push(m.params.args.map((a) => a.value).join(" "));
      }
    });
    page = await noGl.newPage();
    await page.send("Runtime.enable");
    await page.send("Page.navigate", { url: base + "zelmor.html" });
    await waitFor("the program without WebGL to end", () => evaluate("Module.exitCode !== null"));
    const text = "ChoosePixelFormat() failed:  Cannot find a suitable pixel format.";
    const shown = await evaluate(`document.getElementById("status").textContent`);
    check("without WebGL the start-up failure is shown on the page and the console",
          (await evaluate("Module.exitCode")) === 1 && shown.includes("Error: " + text) &&
          errors.includes("Error: " + text), `page: ${shown}; console errors: ${errors.join(" | ")}`);
  } finally {
    await noGl.close();
  }
} catch (error) {
  console.error(`not ok - ${error.message}`);
  console.error("console:\n  " + consoleLines.slice(-40).join("\n  "));
  if (lastShot) {
    const path = resolve(process.env.ZELMOR_WEB_ARTIFACTS || "/tmp", "zelmor-web-failure.png");
    writeFileSync(path, lastShot);
    console.error(`last screenshot: ${path}`);
  }
  process.exitCode = 1;
} finally {
  await browser.close();
  server.close();
}
