// The sound's last stage: an AudioWorklet that plays the frames of samples the page posts
// (735 a frame at 44100 Hz, 736 in some) from a small ring, and silence when the ring runs dry.
"use strict";

const RingSize = 8192;  // eleven frames, about 190 ms
// After running dry, wait for this many samples so that one late frame does not crackle.
const Prefill = 735 * 3;

class PlexaroSound extends AudioWorkletProcessor {
    constructor() {
        super();
        this.ring = new Float32Array(RingSize);
        this.read = 0;
        this.count = 0;
        this.playing = false;
        this.port.onmessage = (event) => this.push(event.data);
    }

    push(samples) {
        // A frame that does not fit is dropped: the picture's clock leads, the sound follows.
        if (this.count + samples.length > RingSize) return;
        let write = (this.read + this.count) % RingSize;
        for (let i = 0; i < samples.length; i++) {
            this.ring[write] = samples[i];
            write = (write + 1) % RingSize;
        }
        this.count += samples.length;
    }

    process(inputs, outputs) {
        const out = outputs[0][0];
        if (!this.playing && this.count >= Prefill) this.playing = true;
        for (let i = 0; i < out.length; i++) {
            if (!this.playing || this.count === 0) {
                this.playing = false;
                out[i] = 0;
                continue;
            }
            out[i] = this.ring[this.read];
            this.read = (this.read + 1) % RingSize;
            this.count--;
        }
        return true;
    }
}

registerProcessor("plexaro-sound", PlexaroSound);
