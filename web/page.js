// The page's logic: starts the WebAssembly machine, loads the demo (or the cartridge that
// ?rom= names), runs frames on the display's callbacks, and wires the buttons, the keyboard,
// two gamepads (one a player), dropped files and Web Audio to it.
"use strict";

(() => {
    const Width = 256;
    const Height = 192;
    const DemoUrl = "demo.sg";

    // Joypad bits, as the machine numbers its controls (up, down, right, left, 1, 2);
    // player 2's are the same eight bits higher.
    const Up = 0, Down = 1, Right = 2, Left = 3, Button1 = 4, Button2 = 5;
    const Player2 = 8;
    const KeyMap = {
        ControlLeft: Button1, ShiftLeft: Button2,
        ArrowUp: Up, ArrowDown: Down, ArrowLeft: Left, ArrowRight: Right,
        KeyF: Player2 + Button1, KeyG: Player2 + Button2,
        KeyI: Player2 + Up, KeyK: Player2 + Down, KeyJ: Player2 + Left, KeyL: Player2 + Right,
    };
    const ResetKey = "Tab";
    // Sticks never rest at exactly 0: a quarter of the travel, as on the desktop.
    const DeadZone = 0.25;
    // The standard gamepad layout's D-pad buttons.
    const PadButtons = [[12, Up], [13, Down], [14, Left], [15, Right], [0, Button1], [1, Button2]];

    const canvas = document.getElementById("screen");
    const context = canvas.getContext("2d");
    const statusLine = document.getElementById("status");
    const messageBox = document.getElementById("message");

    let core = null;
    let picture = null;
    let callback = null;  // the pending requestAnimationFrame while the clock runs
    let clock = newFrameClock();
    const held = new Set();
    // A tap shorter than a frame still reaches the game: keys pressed since the last frame
    // count as held for it.
    const tapped = new Set();
    const audio = { asked: false, node: null };
    const figures = { frames: 0, firstFrameMs: null };

    function showMessage(text, detail) {
        document.getElementById("message-text").textContent = text;
        document.getElementById("message-detail").textContent = detail || "";
        messageBox.hidden = false;
        document.getElementById("message-ok").focus();
    }

    function closeMessage() {
        messageBox.hidden = true;
    }

    function cString(pointer) {
        let end = pointer;
        while (core.HEAPU8[end] !== 0) end++;
        return new TextDecoder().decode(core.HEAPU8.subarray(pointer, end));
    }

    // The loader decides what a file's bytes are worth; its messages are the desktop's. It
    // reads no further than the largest board maps, so only that much is handed over, with
    // the file's whole size.
    function loadBytes(bytes, name) {
        const count = Math.min(bytes.length, core._plexaro_load_limit());
        const data = core._malloc(Math.max(count, 1));
        const failed = core._malloc(4);
        if (data === 0 || failed === 0) {
            core._free(data);
            core._free(failed);
            showMessage("Can't allocate memory for the cartridge", name);
            return false;
        }
        core.HEAPU8.set(bytes.subarray(0, count), data);
        const message = core._plexaro_load(data, bytes.length, failed);
        const loaded = core.HEAP32[failed >> 2] === 0;
        core._free(failed);
        core._free(data);
        if (message !== 0) showMessage(cString(message), name);
        if (loaded) draw();
        return loaded;
    }

    // A missing file is what the desktop's "Unable to stat file." means; a fetch that fails
    // or finds nothing is the browser's missing file.
    async function loadUrl(text) {
        let url;
        try {
            url = new URL(text, window.location.href);
        } catch (error) {
            showMessage("Unable to stat file.", text);
            return false;
        }
        if (url.origin !== window.location.origin) {
            showMessage("Unable to stat file.", `${text}: only cartridges from this site load`);
            return false;
        }
        let response;
        try {
            response = await fetch(url);
        } catch (error) {
            showMessage("Unable to stat file.", `${text}: ${error.message}`);
            return false;
        }
        if (!response.ok) {
            showMessage("Unable to stat file.", `${text}: ${response.status} ${response.statusText}`);
            return false;
        }
        return loadBytes(new Uint8Array(await response.arrayBuffer()), text);
    }

    async function loadFile(file) {
        let bytes;
        try {
            bytes = new Uint8Array(await file.arrayBuffer());
        } catch (error) {
            showMessage("Unable to stat file.", file.name);
            return false;
        }
        return loadBytes(bytes, file.name);
    }

    // One gamepad's controls, as the joypad bits from `first` on.
    function padBits(pad, first) {
        let bits = 0;
        const x = pad.axes[0] || 0;
        const y = pad.axes[1] || 0;
        if (y > DeadZone) bits |= 1 << (first + Down);
        if (y < -DeadZone) bits |= 1 << (first + Up);
        if (x > DeadZone) bits |= 1 << (first + Right);
        if (x < -DeadZone) bits |= 1 << (first + Left);
        for (const [index, control] of PadButtons) {
            if (pad.buttons[index] && pad.buttons[index].pressed) bits |= 1 << (first + control);
        }
        return bits;
    }

    function controls() {
        let bits = 0;
        for (const code of [...held, ...tapped]) {
            if (code in KeyMap) bits |= 1 << KeyMap[code];
        }
        let pads = [];
        try {
            pads = navigator.getGamepads ? navigator.getGamepads() : [];
        } catch (error) {
            // A frame whose host page withholds gamepads: the keyboard still plays.
        }
        // The first gamepad connected is player 1's, the second player 2's.
        const connected = Array.from(pads).filter((p) => p && p.connected);
        if (connected.length > 0) bits |= padBits(connected[0], 0);
        if (connected.length > 1) bits |= padBits(connected[1], Player2);
        return bits;
    }

    function runFrame(bits, reset) {
        core._plexaro_run_frame(bits, reset ? 1 : 0);
        if (!core._plexaro_cartridge_loaded()) return;
        const samples = core._plexaro_sound() >> 2;
        const count = core._plexaro_sound_samples();
        if (audio.node) audio.node.port.postMessage(core.HEAPF32.slice(samples, samples + count));
        figures.frames++;
    }

    function draw() {
        const rgba = core._plexaro_picture();
        picture.data.set(core.HEAPU8.subarray(rgba, rgba + Width * Height * 4));
        context.putImageData(picture, 0, 0);
        if (figures.firstFrameMs === null && figures.frames > 0) figures.firstFrameMs = performance.now();
    }

    function tick(now) {
        callback = requestAnimationFrame(tick);
        const count = framesDue(clock, now);
        if (count === 0) return;
        const bits = controls();
        const reset = held.has(ResetKey) || tapped.has(ResetKey);
        tapped.clear();
        for (let i = 0; i < count; i++) runFrame(bits, reset);
        draw();
    }

    function start() {
        if (callback !== null) return;
        clock = newFrameClock();
        callback = requestAnimationFrame(tick);
    }

    function stop() {
        if (callback !== null) cancelAnimationFrame(callback);
        callback = null;
    }

    // Browsers let sound start only after the person has done something on the page.
    async function startAudio() {
        if (audio.asked) return;
        audio.asked = true;
        try {
            const audioContext = new AudioContext({ sampleRate: 44100, latencyHint: "interactive" });
            await audioContext.audioWorklet.addModule("audio-worklet.js");
            const node = new AudioWorkletNode(audioContext, "plexaro-sound", {
                numberOfInputs: 0, numberOfOutputs: 1, outputChannelCount: [1],
            });
            node.connect(audioContext.destination);
            await audioContext.resume();
            audio.node = node;
            statusLine.textContent = "";
        } catch (error) {
            statusLine.textContent = "This browser gives no sound here; the game plays silent.";
        }
    }

    function setSize(scale) {
        canvas.style.width = `${Width * scale}px`;
        canvas.style.height = `${Height * scale}px`;
        document.getElementById("size").value = String(scale);
    }

    function wire() {
        const fileInput = document.getElementById("file");
        document.getElementById("load").addEventListener("click", () => fileInput.click());
        fileInput.addEventListener("change", () => {
            if (fileInput.files.length > 0) loadFile(fileInput.files[0]);
            fileInput.value = "";
        });
        document.getElementById("reset").addEventListener("click", () => core._plexaro_reset());
        document.getElementById("pause").addEventListener("click", () => core._plexaro_pause());
        document.getElementById("size").addEventListener("change", (event) => setSize(Number(event.target.value)));
        document.getElementById("message-ok").addEventListener("click", closeMessage);
        // A clicked button keeps no focus, so that Enter or Space meant for nothing
        // cannot press it again.
        for (const button of document.querySelectorAll(".controls button")) {
            button.addEventListener("mouseup", () => button.blur());
        }

        window.addEventListener("pointerdown", startAudio, true);
        window.addEventListener("keydown", (event) => {
            startAudio();
            if (!messageBox.hidden) {
                if (event.code === "Escape" || event.code === "Enter") closeMessage();
                return;
            }
            if (event.code in KeyMap || event.code === ResetKey) {
                event.preventDefault();
                held.add(event.code);
                tapped.add(event.code);
            }
        });
        window.addEventListener("keyup", (event) => held.delete(event.code));
        window.addEventListener("blur", () => held.clear());

        document.addEventListener("dragover", (event) => {
            event.preventDefault();
            canvas.classList.add("drop");
        });
        document.addEventListener("dragleave", () => canvas.classList.remove("drop"));
        document.addEventListener("drop", (event) => {
            event.preventDefault();
            canvas.classList.remove("drop");
            const files = event.dataTransfer ? event.dataTransfer.files : [];
            if (files.length > 0) loadFile(files[0]);
        });
    }

    async function main() {
        // Until the machine is ready a dropped file must not replace the page.
        for (const type of ["dragover", "drop"]) document.addEventListener(type, (event) => event.preventDefault());
        setSize(window.innerWidth >= 820 && window.innerHeight >= 760 ? 3 : 2);
        picture = context.createImageData(Width, Height);
        context.fillRect(0, 0, Width, Height);
        try {
            core = await createPlexaro();
        } catch (error) {
            statusLine.textContent = `This browser could not start Plexaro: ${error.message}`;
            return;
        }
        const failure = core._plexaro_start();
        if (failure !== 0) {
            showMessage(cString(failure));
            return;
        }
        wire();
        statusLine.textContent = "Click or press a key for sound.";
        const rom = new URLSearchParams(window.location.search).get("rom");
        await loadUrl(rom || DemoUrl);
        start();
    }

    // What the tests and the speed script use: stopping the clock, running frames unpaced,
    // loading a cartridge, and the page's own figures.
    const ready = main();
    window.plexaro = {
        ready,
        stop,
        start,
        loadUrl,
        runFrames(count) {
            const begin = performance.now();
            for (let i = 0; i < count; i++) runFrame(0, false);
            draw();
            return performance.now() - begin;
        },
        frames: () => figures.frames,
        firstFrameMs: () => figures.firstFrameMs,
    };
})();
