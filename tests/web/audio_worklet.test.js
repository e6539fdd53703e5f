// The sound's ring in the AudioWorklet, run in Node with the two names a worklet scope gives:
// it waits for three frames before it plays, keeps their order across the ring's end, drops
// a frame that does not fit, and after running dry plays silence until it has three again.
"use strict";

const assert = require("node:assert/strict");
const fs = require("node:fs");
const path = require("node:path");
const vm = require("node:vm");
const { test } = require("node:test");

function newWorklet() {
    const scope = {
        AudioWorkletProcessor: class { constructor() { this.port = {}; } },
        registerProcessor: (name, processor) => { scope.processor = processor; },
        Float32Array,
    };
    vm.runInNewContext(fs.readFileSync(path.join(__dirname, "../../web/audio-worklet.js"), "utf8"), scope);
    const worklet = new scope.processor();
    return {
        post: (samples) => worklet.port.onmessage({ data: Float32Array.from(samples) }),
        play: (n) => {
            const out = new Float32Array(n);
            worklet.process([], [[out]]);
            return Array.from(out);
        },
    };
}

const frame = (first) => Array.from({ length: 735 }, (_, i) => first + i);

test("plays the frames in order once three are in, and silence while it waits", () => {
    const sound = newWorklet();
    sound.post(frame(1));
    sound.post(frame(1001));
    assert.deepEqual(sound.play(128), new Array(128).fill(0));
    sound.post(frame(2001));
    const played = [];
    for (let i = 0; i < 18; i++) played.push(...sound.play(128));
    assert.deepEqual(played.slice(0, 735 * 3), [...frame(1), ...frame(1001), ...frame(2001)]);
    assert.deepEqual(played.slice(735 * 3), new Array(18 * 128 - 735 * 3).fill(0));
});

test("a frame that does not fit is dropped whole, and the ring wraps in order", () => {
    const sound = newWorklet();
    for (let n = 0; n < 12; n++) sound.post(frame(n * 1000));  // room for eleven
    const played = [];
    for (let i = 0; i < 64; i++) played.push(...sound.play(128));
    const expected = [];
    for (let n = 0; n < 11; n++) expected.push(...frame(n * 1000));
    assert.deepEqual(played.slice(0, expected.length), expected);
    // Round the ring's end again: order still kept.
    for (let n = 0; n < 4; n++) sound.post(frame(50000 + n * 1000));
    const again = [];
    for (let i = 0; i < 24; i++) again.push(...sound.play(128));
    assert.deepEqual(again.slice(0, 735 * 4), [...frame(50000), ...frame(51000), ...frame(52000), ...frame(53000)]);
});
