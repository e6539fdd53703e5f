// Prints the browser build's figures beside the native player's, measured in one run on one
// machine: unpaced frames per second (WebAssembly in headless Chromium against the headless
// player), the page's compressed download size, and the time from page load to the first
// frame. Run by `make bench-web`.
"use strict";

const { execFileSync } = require("node:child_process");
const fs = require("node:fs");
const path = require("node:path");
const zlib = require("node:zlib");
const h = require("../tests/web/harness.js");

const Frames = 3000;
const Runs = 3;
const PageFiles = ["index.html", "page.js", "clock.js", "audio-worklet.js", "plexaro.js", "plexaro.wasm"];

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];

function nativeFps(cartridge) {
    const runs = [];
    for (let i = 0; i < Runs; i++) {
        const out = execFileSync(h.playerPath, ["--headless", "--frames", String(Frames), "--", cartridge]).toString();
        runs.push(Number(/fps: ([0-9.]+)/.exec(out)[1]));
    }
    return median(runs);
}

async function wasmFps(page, url) {
    return page.evaluate(async (cartridge, frames, runs) => {
        window.plexaro.stop();
        await window.plexaro.loadUrl(cartridge);
        window.plexaro.runFrames(120);  // compiled and warm
        const results = [];
        for (let i = 0; i < runs; i++) results.push((frames * 1000) / window.plexaro.runFrames(frames));
        return results.sort((a, b) => a - b)[Math.floor(runs / 2)];
    }, url, Frames, Runs);
}

function gzipSize(file) {
    return zlib.gzipSync(fs.readFileSync(file), { level: 9 }).length;
}

async function main() {
    const { server, origin } = await h.startServer();
    const chromium = await h.launchBrowser();
    try {
        console.log(`unpaced frames per second, median of ${Runs} runs of ${Frames} frames:`);
        for (const [name, url] of [["demo", "cartridges/demo/demo.sg"], ["busy", "cartridges/tests/busy.sg"]]) {
            const { page } = await h.openPage(chromium.browser, origin);
            const wasm = await wasmFps(page, url);
            await page.close();
            const native = nativeFps(path.join(h.buildDir, url));
            console.log(`  ${name}.sg  wasm ${wasm.toFixed(0)}  native ${native.toFixed(0)}  ` +
                        `wasm/native ${(wasm / native).toFixed(2)}`);
        }

        let total = 0;
        const sizes = PageFiles.map((name) => {
            const size = gzipSize(path.join(h.webDir, name));
            total += size;
            return `${name} ${(size / 1024).toFixed(1)}`;
        });
        console.log(`download, gzip -9: ${(total / 1024).toFixed(1)} KB (${sizes.join(", ")} KB), ` +
                    `demo.sg ${(gzipSize(path.join(h.webDir, "demo.sg")) / 1024).toFixed(1)} KB more`);

        const firsts = [];
        for (let i = 0; i < 5; i++) {
            const { page } = await h.openPage(chromium.browser, origin);
            await page.waitForFunction(() => window.plexaro.firstFrameMs() !== null);
            firsts.push(await page.evaluate(() => window.plexaro.firstFrameMs()));
            await page.close();
        }
        console.log(`page load to first frame (served on 127.0.0.1), median of 5: ${median(firsts).toFixed(0)} ms ` +
                    `(${firsts.map((t) => t.toFixed(0)).join(", ")})`);
    } finally {
        await h.closeBrowser(chromium);
        server.close();
    }
}

main().catch((error) => {
    console.error(error);
    process.exit(1);
});
