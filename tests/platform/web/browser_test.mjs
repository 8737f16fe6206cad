// The web page played in headless Chromium: it draws the scene, a rubber band selects a unit
// (its marker shows), a right click moves it, S halts it, and Escape ends the program with
// "End OpenGL" as the last line of "gl.log" in the page's file system. The session's recording
// then plays in the page's replay viewer, dropped on a page whose session runs, and a replay
// file named in the address plays too: each reaches its last step verified, Space pauses, Home
// returns to step 0. Without WebGL the page says why it cannot start.
// Usage: node browser_test.mjs <folder with zelmor.html> [replay to play] [file to keep the
// page's recording in]
// Without a replay to play, the address names the page's own recording.
import { mkdtempSync, rmSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { basename, join, resolve } from "node:path";
import { Browser, decodePng, serveFolder } from "./cdp.mjs";

const folder = resolve(process.argv[2] || "out/zelmor-web");
const scratch = mkdtempSync(join(tmpdir(), "zelmor-web-"));
const pageRecording = resolve(process.argv[4] || join(scratch, "page.replay"));
const replayFile = resolve(process.argv[3] || pageRecording);
const replayAddress = "replays/" + basename(replayFile);
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

const { server, base } = await serveFolder(folder, { ["/" + replayAddress]: replayFile });
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

// The replay viewer's title: "zelmor replay: step S of N, T s, speed[, paused][, verdict]".
const title = () => evaluate("document.title").catch(() => "");
function replayTitle(text) {
  const parts = /^zelmor replay: step (\d+) of (\d+), [\d.]+ s, ([^,]+)(, paused)?(?:, (.*))?$/.exec(text);
  return parts && { step: Number(parts[1]), of: Number(parts[2]), speed: parts[3],
                    paused: parts[4] !== undefined, verdict: parts[5] ?? "" };
}
async function waitForTitle(what, test) {
  return waitFor(what, async () => {
    const shown = replayTitle(await title());
    return shown && test(shown) ? shown : null;
  });
}
// Two frames of the page: the viewer has had its turn to play on and to show it.
const twoFrames = () => evaluate(
  "new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(() => r(true))))");

// The recording the viewer has loaded plays to its last step, verified, as fast as the frames
// allow; Space pauses, Home returns to step 0 and it stays there; Escape ends the viewer.
async function playToTheEnd(how) {
  const first = await waitForTitle("the replay viewer's title", () => true);
  const line = await waitFor("the title on the page's status line", async () =>
    (await evaluate(`document.getElementById("status").textContent`)).startsWith("zelmor replay: step"));
  check(`${how}: the viewer plays it, its title on the page`, line && first.of > 0, "");
  for (let faster = 0; faster < 5; faster++) await key("ArrowUp", "ArrowUp", 38);
  // A verdict other than the running "hashes match" ends the replay.
  const end = await waitForTitle("the replay's verdict",
                                 (t) => t.verdict !== "" && t.verdict !== "hashes match");
  check(`${how}: it reaches its last step (${end.of}), verified`,
        end.step === end.of && end.verdict === "verified", `the title says: ${await title()}`);
  const green = find(await screenshot(), ground).count / (canvas.width * canvas.height);
  check(`${how}: its frames show the field`, green > 0.3 && green < 0.9,
        `ground ${(green * 100).toFixed(1)}%`);
  await key(" ", "Space", 32, " ");
  await waitForTitle("the pause", (t) => t.paused);
  await key("Home", "Home", 36);
  const home = await waitForTitle("step 0", (t) => t.step === 0);
  await twoFrames();
  const later = replayTitle(await title());
  check(`${how}: Space pauses, Home returns to step 0`,
        home.paused && later.paused && later.step === 0, `the title says: ${await title()}`);
  await key("Escape", "Escape", 27);
  await waitFor("the viewer to end", () => evaluate("Module.exitCode !== null"));
  check(`${how}: Escape ends the viewer with exit code 0`,
        (await evaluate("Module.exitCode")) === 0, "");
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

  // A drag into the left edge zone that ends outside the canvas: the pointer's leave went
  // unheard while the button held it, so the release must stop the scrolling the edge began.
  const middle = { x: canvas.width / 2, y: canvas.height / 2 };
  await mouse("mouseMoved", middle);
  await mouse("mousePressed", middle, "left", 1);
  await mouse("mouseMoved", { x: 4, y: middle.y }, "left", 1);
  await mouse("mouseMoved", { x: -40, y: middle.y }, "left", 1);
  await mouse("mouseReleased", { x: -40, y: middle.y }, "left", 0);
  await framesGoOn();
  const released = await screenshot();
  await framesGoOn();
  const stillLater = await screenshot();
  let changed = 0;
  for (let y = 0; y < released.height; y++) {
    for (let x = 0; x < released.width; x++) {
      const [a, b] = [released.pixel(x, y), stillLater.pixel(x, y)];
      changed += a[0] !== b[0] || a[1] !== b[1] || a[2] !== b[2];
    }
  }
  check("a drag released outside the canvas leaves the view still", changed < 100,
        `${changed} pixels changed over a second`);

  await key("Escape", "Escape", 27);
  await waitFor("the program to end", () => evaluate("Module.exitCode !== null"));
  const exitCode = await evaluate("Module.exitCode");
  const log = await evaluate(`FS.readFile("/gl.log", { encoding: "utf8" })`);
  const lines = log.split("\n").filter((l) => l.length > 0);
  check("Escape ends the program: exit code 0, \"End OpenGL\" last in gl.log",
        exitCode === 0 && lines[0] === "Start OpenGL Init" && lines.at(-1) === "End OpenGL",
        `exit code ${exitCode}, gl.log:\n${log}`);

  // The session's recording, from the page's file system, as base64.
  const recorded = await evaluate(`(() => {
    const names = FS.readdir("/replays").filter((name) => name.endsWith(".replay"));
    if (names.length !== 1) return null;
    const bytes = FS.readFile("/replays/" + names[0]);
    let text = "";
    for (let i = 0; i < bytes.length; i += 0x8000) {
      text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
    }
    return btoa(text); })()`);
  check("the session's recording is in the page's file system", typeof recorded === "string", "");
  writeFileSync(pageRecording, Buffer.from(recorded, "base64"));

  // Dropped on a page whose session runs, the file is kept and the page plays it.
  const linesBefore = fpsLines();
  await page.send("Page.navigate", { url: base + "zelmor.html" });
  await waitFor("the session to run", () => fpsLines() > linesBefore);
  await evaluate(`(() => {
    const bytes = Uint8Array.from(atob("${recorded}"), (c) => c.charCodeAt(0));
    const transfer = new DataTransfer();
    transfer.items.add(new File([bytes], "session.replay"));
    document.getElementById("canvas").dispatchEvent(
      new DragEvent("drop", { dataTransfer: transfer, bubbles: true, cancelable: true }));
  })()`);
  await waitFor("the page to load again with the dropped file", async () =>
    (await evaluate("location.search").catch(() => "")) === "?dropped=session.replay");
  await playToTheEnd("the session's recording dropped on the page");

  await page.send("Page.navigate",
                  { url: `${base}zelmor.html?replay=${encodeURIComponent(replayAddress)}` });
  await playToTheEnd(`${basename(replayFile)} named in the address`);

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
  rmSync(scratch, { recursive: true, force: true });
}
