// The page's frame clock under displays of 60, 120 and 144 Hz with timer jitter, and after
// a stall: the game must keep 60 frames per second without drift or bursts.
"use strict";

const assert = require("node:assert/strict");
const { test } = require("node:test");
const { newFrameClock, framesDue, FrameMs } = require("../../web/clock.js");

// A repeatable jitter of up to ±1.5 ms, as browsers' callback times show.
function jitter(n) {
    return ((n * 7919) % 31) / 10 - 1.5;
}

function play(hz, seconds, start = 1234.5) {
    const clock = newFrameClock();
    const counts = [];
    const callbacks = Math.round(hz * seconds);
    for (let n = 0; n < callbacks; n++) counts.push(framesDue(clock, start + (n * 1000) / hz + jitter(n)));
    return counts;
}

test("keeps 60 frames a second on 60, 120 and 144 Hz displays", () => {
    for (const hz of [60, 120, 144]) {
        const counts = play(hz, 100);
        const total = counts.reduce((a, b) => a + b, 0);
        assert.ok(Math.abs(total - 6000) <= 1, `${hz} Hz: ${total} frames in 100 s`);
        assert.ok(counts.every((c) => c <= 1), `${hz} Hz: never two frames in one callback`);
    }
});

test("at 60 Hz every callback runs exactly one frame despite jitter", () => {
    assert.ok(play(60, 100).every((c) => c === 1));
});

test("the first callback draws a frame at once", () => {
    assert.equal(framesDue(newFrameClock(), 5000), 1);
});

test("a 30 Hz display gets two frames a callback", () => {
    const counts = play(30, 10);
    assert.ok(counts.slice(1).every((c) => c === 2));
});

test("after a stall it gives the lost time up instead of racing to catch up", () => {
    const clock = newFrameClock();
    let t = 0;
    for (let n = 0; n < 60; n++, t += FrameMs) framesDue(clock, t);
    t += 5000;  // a hidden tab
    assert.equal(framesDue(clock, t), 2);
    const after = [];
    for (let n = 1; n <= 600; n++) after.push(framesDue(clock, t + n * FrameMs + jitter(n)));
    assert.ok(after.every((c) => c === 1), "back to one frame a callback");
});
