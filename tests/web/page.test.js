// The built page in Debian's headless Chromium, used as a person uses it: what the canvas
// shows against the headless player's picture of the same frame, keys and a gamepad moving
// the bee, cartridges chosen with the button, dropped or linked, the buttons, and the load
// errors' box.
"use strict";

const assert = require("node:assert/strict");
const fs = require("node:fs");
const os = require("node:os");
const path = require("node:path");
const { after, before, describe, test } = require("node:test");
const h = require("./harness.js");

const BeeColour = [192, 192, 128];  // the player's sprite only (cartridges/demo/make_art.py)
const PauseBanner = [32, 32, 224];
const BeeStart = { x: 120, y: 96 };
const PauseWord = { x: 96, y: 88, width: 64, height: 8 };  // "PAUSE", row 11 from column 12
const demo = path.join(h.cartridgeDir, "demo", "demo.sg");
const busy = path.join(h.cartridgeDir, "tests", "busy.sg");

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

function box(picture, [r, g, b]) {
    const found = { left: 256, top: 192, right: -1, bottom: -1 };
    for (let y = 0; y < 192; y++) {
        for (let x = 0; x < 256; x++) {
            const i = (y * 256 + x) * 3;
            if (picture.rgb[i] !== r || picture.rgb[i + 1] !== g || picture.rgb[i + 2] !== b) continue;
            found.left = Math.min(found.left, x);
            found.right = Math.max(found.right, x);
            found.top = Math.min(found.top, y);
            found.bottom = Math.max(found.bottom, y);
        }
    }
    return found.right < 0 ? null : found;
}

function count(picture, [r, g, b], area = { x: 0, y: 0, width: 256, height: 192 }) {
    let n = 0;
    for (let y = area.y; y < area.y + area.height; y++) {
        for (let x = area.x; x < area.x + area.width; x++) {
            const i = (y * 256 + x) * 3;
            if (picture.rgb[i] === r && picture.rgb[i + 1] === g && picture.rgb[i + 2] === b) n++;
        }
    }
    return n;
}

// Where the bee begins: its drawing touches its left edge, its wings beat below its top.
function atStart(bee) {
    return bee !== null && bee.left === BeeStart.x && bee.top >= BeeStart.y && bee.top < BeeStart.y + 4;
}

function differingPixels(a, b) {
    let n = 0;
    for (let i = 0; i < a.rgb.length; i += 3) {
        if (a.rgb[i] !== b.rgb[i] || a.rgb[i + 1] !== b.rgb[i + 1] || a.rgb[i + 2] !== b.rgb[i + 2]) n++;
    }
    return n;
}

// A file dropped on the canvas as the browser delivers a drag from the desktop: `bytes`,
// then zeros up to `size`.
async function dropFile(page, name, bytes, size = bytes.length) {
    await page.evaluate((fileName, data, fileSize) => {
        const contents = new Uint8Array(fileSize);
        contents.set(data);
        const transfer = new DataTransfer();
        transfer.items.add(new File([contents], fileName));
        const canvas = document.getElementById("screen");
        for (const type of ["dragenter", "dragover", "drop"]) {
            canvas.dispatchEvent(new DragEvent(type, { bubbles: true, cancelable: true, dataTransfer: transfer }));
        }
    }, name, Array.from(bytes), size);
}

async function messageShown(page) {
    await page.waitForSelector("#message:not([hidden])", { timeout: 5000 });
    return page.evaluate(() => ({
        title: document.getElementById("message-title").textContent,
        text: document.getElementById("message-text").textContent,
        detail: document.getElementById("message-detail").textContent,
    }));
}

async function framesAdvance(page) {
    const before = await page.evaluate(() => window.plexaro.frames());
    await sleep(300);
    return (await page.evaluate(() => window.plexaro.frames())) > before;
}

let server, origin, chromium, shots;

before(async () => {
    for (const file of [h.playerPath, demo, busy, path.join(h.webDir, "plexaro.wasm")]) {
        assert.ok(fs.existsSync(file), `${file} is built (make test-web builds it)`);
    }
    ({ server, origin } = await h.startServer());
    chromium = await h.launchBrowser(["--autoplay-policy=user-gesture-required"]);
    shots = fs.mkdtempSync(path.join(os.tmpdir(), "plexaro-web-"));
});

after(async () => {
    if (chromium) await h.closeBrowser(chromium);
    if (server) server.close();
});

describe("the demo on the page", () => {
    test("starts at once without console errors; sound waits for a key, then plays", async () => {
        // Listens to what the page's sound node sends to the speakers.
        const tapSound = () => {
            const connect = AudioNode.prototype.connect;
            AudioNode.prototype.connect = function (destination, ...rest) {
                if (this instanceof AudioWorkletNode && !window.soundTap) {
                    window.soundTap = this.context.createAnalyser();
                    window.soundTap.fftSize = 2048;
                    connect.call(this, window.soundTap);
                }
                return connect.call(this, destination, ...rest);
            };
        };
        const loudest = () => page.evaluate(() => {
            if (!window.soundTap) return null;
            const samples = new Float32Array(2048);
            window.soundTap.getFloatTimeDomainData(samples);
            return Math.max(...samples);
        });
        const { page, errors } = await h.openPage(chromium.browser, origin, "", undefined, tapSound);
        assert.ok(await framesAdvance(page), "frames run with nobody touching the page");
        assert.equal(await loudest(), null, "no sound before the person does something");
        await page.keyboard.press("ArrowDown");
        let peak = 0;
        for (let i = 0; i < 20 && peak < 0.05; i++) {
            await sleep(100);
            peak = Math.max(peak, (await loudest()) || 0);
        }
        assert.ok(peak >= 0.05, `the title tune plays (peak ${peak})`);
        assert.deepEqual(errors, []);
        await page.close();
    });

    test("shows the title picture the headless player gives, scaled with crisp pixels", async () => {
        const { page, errors } = await h.openPage(chromium.browser, origin);
        await page.evaluate(async () => {
            window.plexaro.stop();
            await window.plexaro.loadUrl("demo.sg");
            window.plexaro.runFrames(120);
        });
        const shown = await h.screenPicture(page, path.join(shots, "title.png"));
        const expected = await h.decodePng(page, h.playerScreenshot(demo, 120, shots));
        assert.equal(shown.scale, 3, "a 900 × 800 window shows the picture at three times its size");
        assert.equal(differingPixels(shown, expected), 0, "the same pixels as the player's PNG");
        // Nearest-neighbour: every screen pixel of a scaled pixel has the console pixel's colour.
        const { shot } = shown;
        let blurred = 0;
        for (let y = 0; y < shot.height; y++) {
            for (let x = 0; x < shot.width; x++) {
                const i = (y * shot.width + x) * 3;
                const j = (Math.floor(y / 3) * 256 + Math.floor(x / 3)) * 3;
                if (shot.rgb[i] !== expected.rgb[j] || shot.rgb[i + 1] !== expected.rgb[j + 1]) blurred++;
            }
        }
        assert.equal(blurred, 0, "no smoothing between pixels");
        assert.deepEqual(errors, []);
        await page.close();
    });

    test("a small window gets twice the size", async () => {
        const { page } = await h.openPage(chromium.browser, origin, "", { width: 640, height: 600 });
        const shown = await h.screenPicture(page, path.join(shots, "small.png"));
        assert.equal(shown.shot.width, 512);
        await page.close();
    });
});

describe("playing", () => {
    test("Left Ctrl starts the game and a held arrow key moves the bee", async () => {
        const { page, errors } = await h.openPage(chromium.browser, origin);
        await sleep(1000);  // the title takes a moment to come up, as a person would see
        await page.keyboard.press("ControlLeft");
        await sleep(500);
        const start = box(await h.screenPicture(page, path.join(shots, "start.png")), BeeColour);
        assert.ok(atStart(start), `the game began, bee at its start: ${JSON.stringify(start)}`);
        await page.keyboard.down("ArrowRight");
        await sleep(500);
        await page.keyboard.up("ArrowRight");
        await sleep(100);
        const moved = box(await h.screenPicture(page, path.join(shots, "moved.png")), BeeColour);
        // Two pixels a frame: half a second of the key is about 60 pixels.
        assert.ok(moved.left > start.left + 30, `the bee flew right: ${start.left} -> ${moved.left}`);
        assert.ok(Math.abs(moved.top - start.top) < 4, "and only right");
        await sleep(300);
        const still = box(await h.screenPicture(page, path.join(shots, "still.png")), BeeColour);
        assert.equal(still.left, moved.left, "released, the bee stops");
        assert.deepEqual(errors, []);
        await page.close();
    });

    test("a gamepad's stick moves the bee beyond a quarter of its travel only, and its D-pad steers", async () => {
        const page = await chromium.browser.newPage();
        await page.setViewport({ width: 900, height: 800 });
        await page.evaluateOnNewDocument(() => {
            window.fakePad = { connected: true, axes: [0, 0], buttons: Array.from({ length: 16 }, () => ({ pressed: false })) };
            navigator.getGamepads = () => [window.fakePad];
        });
        await page.goto(`${origin}/`, { waitUntil: "load" });
        await page.evaluate(() => window.plexaro.ready);
        await page.evaluate(() => { window.fakePad.buttons[0].pressed = true; });
        await sleep(300);
        await page.evaluate(() => { window.fakePad.buttons[0].pressed = false; window.fakePad.axes = [0.24, -0.24]; });
        await sleep(400);
        const resting = box(await h.screenPicture(page, path.join(shots, "pad-rest.png")), BeeColour);
        assert.ok(atStart(resting), `inside the dead zone nothing moves: ${JSON.stringify(resting)}`);
        await page.evaluate(() => { window.fakePad.axes = [0, 0.3]; });
        await sleep(400);
        await page.evaluate(() => { window.fakePad.axes = [0, 0]; });
        const moved = box(await h.screenPicture(page, path.join(shots, "pad-down.png")), BeeColour);
        assert.equal(moved.left, BeeStart.x);
        assert.ok(moved.top > BeeStart.y + 20, `the bee flew down: ${BeeStart.y} -> ${moved.top}`);
        // The D-pad steers too: right, by the standard mapping's button 15.
        await page.evaluate(() => { window.fakePad.buttons[15].pressed = true; });
        await sleep(400);
        await page.evaluate(() => { window.fakePad.buttons[15].pressed = false; });
        const right = box(await h.screenPicture(page, path.join(shots, "pad-right.png")), BeeColour);
        assert.ok(right.left > moved.left + 20, `the bee flew right: ${moved.left} -> ${right.left}`);
        await page.close();
    });

    test("Pause presses the console's pause button; Reset and Tab bring the title back", async () => {
        const { page, errors } = await h.openPage(chromium.browser, origin);
        // The title's banner is a large black box; the garden has hardly any black.
        const titleShown = async () => count(await h.screenPicture(page, path.join(shots, "s.png")), [0, 0, 0]) > 5000;
        assert.ok(await titleShown());
        for (const reset of [() => page.click("#reset"), () => page.keyboard.press("Tab")]) {
            await page.keyboard.press("ControlLeft");
            await sleep(300);
            assert.equal(await titleShown(), false, "button 1 starts the game");
            await page.click("#pause");
            await sleep(300);
            assert.ok(count(await h.screenPicture(page, path.join(shots, "p.png")), PauseBanner, PauseWord) > 200, "PAUSE");
            await page.click("#pause");
            await sleep(300);
            assert.equal(count(await h.screenPicture(page, path.join(shots, "r.png")), PauseBanner, PauseWord), 0, "resumed");
            await reset();
            await sleep(300);
            assert.ok(await titleShown(), "the title is back");
        }
        assert.equal(await page.evaluate(() => document.activeElement.tagName), "BODY", "Tab stays on the game");
        assert.deepEqual(errors, []);
        await page.close();
    });
});

describe("other cartridges", () => {
    test("a dropped cartridge runs, with the player's pixels", async () => {
        const { page, errors } = await h.openPage(chromium.browser, origin);
        await dropFile(page, "busy.sg", fs.readFileSync(busy));
        await sleep(300);
        assert.ok(await framesAdvance(page));
        await page.evaluate(() => window.plexaro.stop());
        await dropFile(page, "busy.sg", fs.readFileSync(busy));
        await sleep(300);
        await page.evaluate(() => window.plexaro.runFrames(60));
        const shown = await h.screenPicture(page, path.join(shots, "busy.png"));
        const expected = await h.decodePng(page, h.playerScreenshot(busy, 60, shots));
        assert.equal(differingPixels(shown, expected), 0);
        assert.deepEqual(errors, []);
        await page.close();
    });

    test("Load cartridge opens the browser's file chooser and plays what it picks", async () => {
        const { page, errors } = await h.openPage(chromium.browser, origin);
        const before = await h.screenPicture(page, path.join(shots, "before.png"));
        const [chooser] = await Promise.all([page.waitForFileChooser(), page.click("#load")]);
        await chooser.accept([busy]);
        await sleep(500);
        const after = await h.screenPicture(page, path.join(shots, "chosen.png"));
        assert.ok(differingPixels(before, after) > 1000);
        assert.ok(await framesAdvance(page));
        assert.deepEqual(errors, []);
        await page.close();
    });

    test("?rom= plays a cartridge of the same site", async () => {
        const { page, errors } = await h.openPage(chromium.browser, origin, "?rom=cartridges/tests/busy.sg");
        await page.waitForFunction(() => window.plexaro.frames() > 10);
        const shown = await h.screenPicture(page, path.join(shots, "linked.png"));
        const demoTitle = await h.decodePng(page, h.playerScreenshot(demo, 120, shots));
        assert.ok(differingPixels(shown, demoTitle) > 20000, "not the demo");
        await sleep(200);
        const later = await h.screenPicture(page, path.join(shots, "linked-later.png"));
        assert.ok(differingPixels(shown, later) > 0, "it runs");
        assert.deepEqual(errors, []);
        await page.close();
    });
});

describe("bad files say what the desktop says", () => {
    test("an empty file: Can't find Rom !, and the demo plays on", async () => {
        const { page, errors } = await h.openPage(chromium.browser, origin);
        await dropFile(page, "empty.sg", []);
        const message = await messageShown(page);
        assert.deepEqual(message, { title: "Plexaro load error", text: "Can't find Rom !", detail: "empty.sg" });
        assert.ok(await framesAdvance(page), "the demo still runs behind the box");
        await page.keyboard.press("Enter");
        assert.ok(await page.$eval("#message", (box) => box.hidden), "Enter closes the box");
        const shown = await h.screenPicture(page, path.join(shots, "empty.png"));
        assert.ok(count(shown, BeeColour) > 0, "the demo's picture");
        assert.deepEqual(errors, []);
        await page.close();
    });

    test("a long file, even one larger than the largest board: its first 1 MB runs, with the desktop's warning", async () => {
        const { page, errors } = await h.openPage(chromium.browser, origin);
        await page.evaluate(() => window.plexaro.stop());
        await dropFile(page, "long.sg", fs.readFileSync(busy), 20000000);
        const message = await messageShown(page);
        assert.equal(message.text, "The file is 20000000 bytes long; only its first 1048576 bytes are loaded.");
        await page.click("#message-ok");
        await page.evaluate(() => window.plexaro.runFrames(60));
        const shown = await h.screenPicture(page, path.join(shots, "long.png"));
        const expected = await h.decodePng(page, h.playerScreenshot(busy, 60, shots));
        assert.equal(differingPixels(shown, expected), 0, "the cartridge runs as busy.sg");
        assert.deepEqual(errors, []);
        await page.close();
    });

    test("a link to a missing cartridge or another site: Unable to stat file., on a black screen", async () => {
        for (const [query, detail] of [
            ["?rom=games/missing.sg", "games/missing.sg: 404 Not Found"],
            ["?rom=http://example.invalid/game.sg", "http://example.invalid/game.sg: only cartridges from this site load"],
        ]) {
            const { page, errors } = await h.openPage(chromium.browser, origin, query);
            const message = await messageShown(page);
            assert.deepEqual(message, { title: "Plexaro load error", text: "Unable to stat file.", detail });
            await page.click("#message-ok");
            const shown = await h.screenPicture(page, path.join(shots, "missing.png"));
            assert.equal(count(shown, [0, 0, 0]), 256 * 192);
            // The browser itself reports the 404; nothing of ours fails.
            assert.deepEqual(errors.filter((e) => !e.includes("404")), []);
            await dropFile(page, "demo.sg", fs.readFileSync(demo));
            assert.ok(await framesAdvance(page), "a cartridge dropped afterwards plays");
            await page.close();
        }
    });
});
