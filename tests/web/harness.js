// What the browser tests and the figures script share: a static server on 127.0.0.1 over the
// built page and the test cartridges, Debian's Chromium driven by puppeteer-core, the
// headless player, and pictures read back as RGB.
"use strict";

const { execFileSync } = require("node:child_process");
const fs = require("node:fs");
const http = require("node:http");
const os = require("node:os");
const path = require("node:path");
const puppeteer = require("puppeteer-core");

const root = path.resolve(__dirname, "..", "..");
const buildDir = path.resolve(root, process.env.PLEXARO_BUILD || "build/release");
const webDir = path.resolve(root, process.env.PLEXARO_WEB || "build/web");
const cartridgeDir = path.join(buildDir, "cartridges");
const playerPath = path.join(buildDir, "host", "plexaro");

const Types = {
    ".html": "text/html", ".js": "text/javascript", ".wasm": "application/wasm",
    ".sg": "application/octet-stream", ".png": "image/png",
};

// "/" is the page; "/cartridges/..." the build's cartridges, as an author's site would
// hold their game beside the page.
function startServer() {
    const server = http.createServer((request, response) => {
        const url = new URL(request.url, "http://127.0.0.1");
        let file;
        if (url.pathname.startsWith("/cartridges/")) {
            file = path.join(cartridgeDir, url.pathname.slice("/cartridges/".length));
        } else {
            file = path.join(webDir, url.pathname === "/" ? "index.html" : url.pathname);
        }
        fs.readFile(path.normalize(file), (error, data) => {
            if (error) {
                response.writeHead(404, { "Content-Type": "text/plain" });
                response.end("not found");
                return;
            }
            response.writeHead(200, { "Content-Type": Types[path.extname(file)] || "application/octet-stream" });
            response.end(data);
        });
    });
    return new Promise((resolve) => {
        server.listen(0, "127.0.0.1", () => resolve({ server, origin: `http://127.0.0.1:${server.address().port}` }));
    });
}

// Flags this machine's Chromium needs: no sandbox as root, and none of its own traffic,
// which the closed network refuses.
async function launchBrowser(extraArgs = []) {
    const userDataDir = fs.mkdtempSync(path.join(os.tmpdir(), "plexaro-chromium-"));
    const browser = await puppeteer.launch({
        executablePath: process.env.CHROMIUM || "/usr/bin/chromium",
        headless: true,
        userDataDir,
        args: [
            "--headless=new", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
            "--disable-background-networking", "--disable-component-update", "--disable-sync",
            "--force-device-scale-factor=1", "--force-color-profile=srgb", ...extraArgs,
        ],
    });
    return { browser, userDataDir };
}

async function closeBrowser({ browser, userDataDir }) {
    await browser.close();
    fs.rmSync(userDataDir, { recursive: true, force: true, maxRetries: 5 });
}

// A page that records every console error and uncaught exception, opened at `query`;
// `init` runs in the page before its own scripts.
async function openPage(browser, origin, query = "", viewport = { width: 900, height: 800 }, init = null) {
    const page = await browser.newPage();
    await page.setViewport(viewport);
    if (init) await page.evaluateOnNewDocument(init);
    const errors = [];
    page.on("console", (message) => {
        if (message.type() === "error") errors.push(message.text());
    });
    page.on("pageerror", (error) => errors.push(String(error)));
    await page.goto(`${origin}/${query}`, { waitUntil: "load" });
    await page.waitForFunction(() => window.plexaro !== undefined);
    await page.evaluate(() => window.plexaro.ready);
    return { page, errors };
}

// The headless player's PNG of frame `frames` of a cartridge.
function playerScreenshot(cartridge, frames, outDir) {
    const png = path.join(outDir, `${path.basename(cartridge)}-${frames}.png`);
    execFileSync(playerPath, ["--headless", "--frames", String(frames), "--screenshot", png, "--", cartridge]);
    return png;
}

// A PNG as width, height and RGB bytes, decoded by the browser itself.
async function decodePng(page, png) {
    const base64 = fs.readFileSync(png).toString("base64");
    return page.evaluate(async (data) => {
        const image = new Image();
        image.src = `data:image/png;base64,${data}`;
        await image.decode();
        const canvas = document.createElement("canvas");
        canvas.width = image.width;
        canvas.height = image.height;
        const context = canvas.getContext("2d");
        context.drawImage(image, 0, 0);
        const rgba = context.getImageData(0, 0, image.width, image.height).data;
        const rgb = [];
        for (let i = 0; i < rgba.length; i += 4) rgb.push(rgba[i], rgba[i + 1], rgba[i + 2]);
        return { width: image.width, height: image.height, rgb };
    }, base64);
}

// What the person sees of the console's screen: a screenshot of the canvas as shown,
// brought back to 256 × 192 by taking one pixel from the middle of each scaled pixel.
async function screenPicture(page, outPng) {
    const canvas = await page.$("#screen");
    const box = await canvas.boundingBox();
    await page.screenshot({ path: outPng, clip: box });
    const shot = await decodePng(page, outPng);
    const scale = Math.round(shot.width / 256);
    const rgb = [];
    for (let y = 0; y < 192; y++) {
        for (let x = 0; x < 256; x++) {
            const i = ((y * scale + (scale >> 1)) * shot.width + x * scale + (scale >> 1)) * 3;
            rgb.push(shot.rgb[i], shot.rgb[i + 1], shot.rgb[i + 2]);
        }
    }
    return { width: 256, height: 192, rgb, scale, shot };
}

module.exports = {
    root, buildDir, webDir, cartridgeDir, playerPath,
    startServer, launchBrowser, closeBrowser, openPage, playerScreenshot, decodePng, screenPicture,
};
