// The frame clock: how many console frames to run in one requestAnimationFrame callback so
// that the game keeps 60 frames per second on any display rate. Loaded by the page as a
// plain script and by the tests under Node.
"use strict";

const FrameMs = 1000 / 60;
// Catching up after a stall (a hidden tab, a slow machine) would run the game fast; past
// this many frames the clock gives the time up instead.
const MaxFramesPerCallback = 2;

function newFrameClock() {
    return { start: null, done: 0 };
}

// Frames are counted from a fixed start, never by adding up intervals, so rounding cannot
// accumulate. The start sits half a frame early: at 60 Hz each callback then lands in the
// middle of a frame's slot, and timer jitter cannot flip it between 0 and 2.
function framesDue(clock, now) {
    if (clock.start === null) {
        clock.start = now - FrameMs / 2;
        clock.done = 0;
    }
    const due = Math.floor((now - clock.start) / FrameMs) + 1;  // the first frame runs at once
    let count = due - clock.done;
    if (count < 0) count = 0;
    if (count > MaxFramesPerCallback) {
        clock.start += (count - MaxFramesPerCallback) * FrameMs;
        count = MaxFramesPerCallback;
    }
    clock.done += count;
    return count;
}

if (typeof module !== "undefined") module.exports = { newFrameClock, framesDue, FrameMs };
