// Drives `plexaro --dap` with the DebugClient that editors' own debug adapters are tested
// with: on the C test cartridge (cartridges/ctest, built with its debug records) by C lines
// and variables, and on the debuggee cartridge (an assembly loop calling bump, which calls
// add_total; the RAM variables counter and total) by functions and instructions.
// Usage: node dap_test.js PLEXARO DEBUGGEE.sg CTEST.sg CTEST_SOURCES
//        (NODE_PATH: where the npm modules are)
'use strict';
const assert = require('assert');
const { DebugClient } = require('@vscode/debugadapter-testsupport');

const path = require('path');
const [plexaro, cartridge, ctest, sources] = process.argv.slice(2);
const launchArgs = { program: cartridge, realTime: false };
const cLaunch = { program: ctest, realTime: false, sourceFolders: [sources] };
const gameC = path.join(sources, 'game.c');

let failures = 0;
async function check(name, body) {
    const dc = new DebugClient(plexaro, '--dap', 'plexaro');
    dc.defaultTimeout = 20000;
    await dc.start();
    try {
        await body(dc);
        console.log(`ok - ${name}`);
    } catch (error) {
        failures++;
        console.log(`not ok - ${name}\n  ${String(error.stack || error).replace(/\n/g, '\n  ')}`);
    } finally {
        await dc.stop().catch(() => {});
    }
}

// Launches with the breakpoints `configure` sets, and waits for the first stop.
async function launchAndStop(dc, configure, reason, args = launchArgs) {
    await dc.initializeRequest({ adapterID: 'plexaro', linesStartAt1: true, columnsStartAt1: true });
    const initialized = dc.waitForEvent('initialized');
    await dc.launchRequest(args);
    await initialized;
    await configure();
    const stopped = dc.waitForEvent('stopped');
    await dc.configurationDoneRequest();
    const event = await stopped;
    assert.strictEqual(event.body.reason, reason);
    return event;
}

async function evaluate(dc, expression) {
    const response = await dc.evaluateRequest({ expression, context: 'watch' });
    return response.body.result;
}

async function topFrame(dc) {
    const trace = await dc.stackTraceRequest({ threadId: 1 });
    return trace.body.stackFrames[0];
}

// The C cartridge stopped at the first hit of game.c's `lines`.
function stopAtLines(dc, lines, extra = {}) {
    return launchAndStop(dc, () => dc.setBreakpointsRequest({
        source: { path: gameC }, breakpoints: lines.map(line => ({ line, ...extra })) }),
    'breakpoint', cLaunch);
}

async function locals(dc, frameIndex = 0) {
    const trace = await dc.stackTraceRequest({ threadId: 1 });
    const frame = trace.body.stackFrames[frameIndex];
    const scopes = (await dc.scopesRequest({ frameId: frame.id })).body.scopes;
    const list = (await dc.variablesRequest({ variablesReference: scopes[0].variablesReference })).body.variables;
    return Object.fromEntries(list.map(v => [v.name, v.value]));
}

async function stepAndStop(dc, request) {
    await Promise.all([dc[request]({ threadId: 1 }), dc.waitForEvent('stopped')]);
    return topFrame(dc);
}

async function main() {
    await check('C: a line breakpoint hits with the right locals', async dc => {
        const stopped = await stopAtLines(dc, [42]);  // sum += cells[i], the first time
        const frame = await topFrame(dc);
        assert.strictEqual(frame.name, 'fill');
        assert.strictEqual(frame.line, 42);
        assert.strictEqual(frame.source.path, gameC);
        // i lives in a register SDCC's loop does not keep it in: its value says nothing here.
        const values = await locals(dc);
        assert.deepStrictEqual([values.seed, values.cells, values.sum],
                               ['1', '[6] {1, 2, 3, 4, 5, 6}', '0']);
        assert.ok(stopped.body.hitBreakpointIds.length === 1);
    });

    await check('C: step over lines, step into a function and out of it', async dc => {
        await stopAtLines(dc, [79]);  // step(&hero);
        await dc.setBreakpointsRequest({ source: { path: gameC }, breakpoints: [] });
        const inside = await stepAndStop(dc, 'stepInRequest');  // past the prologue
        assert.strictEqual(`${inside.name}:${inside.line}`, 'step:48');
        assert.strictEqual((await stepAndStop(dc, 'nextRequest')).line, 49);
        // Out: the call was the last of line 79, so the return lands on line 80's code.
        const back = await stepAndStop(dc, 'stepOutRequest');
        assert.strictEqual(`${back.name}:${back.line}`, 'main:80');
        // Over fill's call in one step, to the loop's jump back (SDCC files it under line 82).
        assert.strictEqual((await stepAndStop(dc, 'nextRequest')).line, 82);
        assert.strictEqual(await evaluate(dc, 'total'), '45 (0x2d)');  // 24 + fill(1) = 24 + 21
    });

    await check('C: next from a function breakpoint goes on in the function', async dc => {
        // fill's first line is its prologue, which lowers SP by the frame without a call.
        await launchAndStop(dc, () => dc.setFunctionBreakpointsRequest(
            { breakpoints: [{ name: 'fill' }] }), 'breakpoint', cLaunch);
        assert.strictEqual(`${(await topFrame(dc)).name}:${(await topFrame(dc)).line}`, 'fill:34');
        const next = await stepAndStop(dc, 'nextRequest');
        assert.strictEqual(next.name, 'fill');
        assert.ok(next.line > 34 && next.line < 41, `stopped at line ${next.line}`);
    });

    await check('C: a conditional breakpoint in a recursion, and a hit count', async dc => {
        await stopAtLines(dc, [30], { condition: 'n == 2' });  // fact(4): 4, 3, then 2
        const trace = await dc.stackTraceRequest({ threadId: 1 });
        assert.deepStrictEqual(trace.body.stackFrames.slice(0, 4).map(f => `${f.name}:${f.line}`),
                               ['fact:30', 'fact:30', 'fact:30', 'main:77']);
        assert.strictEqual((await locals(dc, 0)).n, '2');
        // fact keeps n in registers, which the callee reuses: a caller's is not known.
        assert.match((await locals(dc, 1)).n, /not known/);
        await dc.setBreakpointsRequest({ source: { path: gameC }, breakpoints: [{ line: 78, hitCondition: '3' }] });
        await Promise.all([dc.continueRequest({ threadId: 1 }), dc.waitForEvent('stopped')]);
        assert.strictEqual(await evaluate(dc, 'rounds'), '3 (0x3)');
    });

    await check('C: a data breakpoint on a global, and readMemory', async dc => {
        // From main's loop on: the start-up code's clearing of RAM writes total too.
        await stopAtLines(dc, [77]);
        await dc.setBreakpointsRequest({ source: { path: gameC }, breakpoints: [] });
        const info = (await dc.dataBreakpointInfoRequest({ name: 'total', variablesReference: 2 })).body;
        assert.strictEqual(info.dataId, '0xc00b/2');
        await dc.setDataBreakpointsRequest({ breakpoints: [{ dataId: info.dataId, accessType: 'write' }] });
        const [, stopped] = await Promise.all([dc.continueRequest({ threadId: 1 }), dc.waitForEvent('stopped')]);
        assert.strictEqual(stopped.body.reason, 'data breakpoint');
        // Stopped after the write, line 77's last instruction: total = fact(4) = 24.
        const frame = await topFrame(dc);
        assert.strictEqual(`${frame.name}:${frame.line}`, 'main:78');
        const memory = await dc.send('readMemory', { memoryReference: '0xc00b', count: 2 });
        assert.deepStrictEqual([...Buffer.from(memory.body.data, 'base64')], [24, 0]);
        assert.strictEqual(await evaluate(dc, 'total == 24 && hero.x == 100'), '1 (0x1)');
        // A new value as C writes it: 1000 is two bytes, low first.
        const set = await dc.setVariableRequest({ variablesReference: 2, name: 'total', value: '1000' });
        assert.strictEqual(set.body.value, '1000');
        const after = await dc.send('readMemory', { memoryReference: '0xc00b', count: 2 });
        assert.deepStrictEqual([...Buffer.from(after.body.data, 'base64')], [0xe8, 0x03]);
    });

    await check('C: stepBack returns to the previous line with the previous values', async dc => {
        await stopAtLines(dc, [42]);
        await dc.setBreakpointsRequest({ source: { path: gameC }, breakpoints: [] });
        assert.strictEqual((await stepAndStop(dc, 'nextRequest')).line, 41);
        assert.strictEqual((await stepAndStop(dc, 'nextRequest')).line, 42);
        assert.strictEqual((await locals(dc)).sum, '1');
        assert.strictEqual((await stepAndStop(dc, 'stepBackRequest')).line, 41);
        const before = await stepAndStop(dc, 'stepBackRequest');
        assert.strictEqual(before.line, 42);
        assert.strictEqual((await locals(dc)).sum, '0');  // as before the first addition
    });

    await check('C: reverseContinue goes back to the last hit', async dc => {
        await stopAtLines(dc, [78]);  // big += total, once a frame
        for (let i = 0; i < 2; i++) {
            await Promise.all([dc.continueRequest({ threadId: 1 }), dc.waitForEvent('stopped')]);
        }
        assert.strictEqual(await evaluate(dc, 'rounds'), '3 (0x3)');
        const back = await Promise.all([dc.reverseContinueRequest({ threadId: 1 }), dc.waitForEvent('stopped')]);
        assert.strictEqual(back[1].body.reason, 'breakpoint');
        assert.strictEqual(back[1].body.hitBreakpointIds.length, 1);
        assert.strictEqual((await topFrame(dc)).line, 78);
        assert.strictEqual(await evaluate(dc, 'rounds'), '2 (0x2)');
    });

    await check("C: the game's debug message arrives as an output event", async dc => {
        await dc.initializeRequest({ adapterID: 'plexaro' });
        await dc.launchRequest(cLaunch);
        const output = dc.assertOutput('stdout', 'ctest: started');
        await dc.configurationDoneRequest();
        await output;
        await dc.pauseRequest({ threadId: 1 });
    });

    await check('a function breakpoint hits, with the globals and registers shown', async dc => {
        await launchAndStop(dc, () => dc.setFunctionBreakpointsRequest(
            { breakpoints: [{ name: 'bump' }] }), 'breakpoint');
        const frame = await topFrame(dc);
        assert.strictEqual(frame.name, 'bump');
        const scopes = (await dc.scopesRequest({ frameId: frame.id })).body.scopes;
        assert.deepStrictEqual(scopes.map(s => s.name), ['Locals', 'Globals', 'Registers', 'Video chip']);
        const globals = (await dc.variablesRequest({ variablesReference: scopes[1].variablesReference })).body.variables;
        assert.deepStrictEqual(globals.slice(0, 2).map(v => [v.name, v.value]), [['counter', '0x00 (0)'], ['total', '0x00 (0)']]);
        const registers = (await dc.variablesRequest({ variablesReference: scopes[2].variablesReference })).body.variables;
        assert.strictEqual(registers.find(r => r.name === 'PC').value, frame.instructionPointerReference);
    });

    await check('step over and step into a call, then step out', async dc => {
        await launchAndStop(dc, () => dc.setFunctionBreakpointsRequest(
            { breakpoints: [{ name: 'bump' }] }), 'breakpoint');
        await dc.setFunctionBreakpointsRequest({ breakpoints: [] });
        for (let i = 0; i < 3; i++) {  // ld a,(counter); inc a; ld (counter),a
            await Promise.all([dc.nextRequest({ threadId: 1 }), dc.waitForEvent('stopped')]);
        }
        assert.strictEqual((await topFrame(dc)).name, 'bump+7');
        await Promise.all([dc.stepInRequest({ threadId: 1 }), dc.waitForEvent('stopped')]);
        const inner = await dc.stackTraceRequest({ threadId: 1 });
        assert.deepStrictEqual(inner.body.stackFrames.map(f => f.name).slice(0, 3),
                               ['add_total', 'bump+10', 'main_loop+3']);
        await Promise.all([dc.stepOutRequest({ threadId: 1 }), dc.waitForEvent('stopped')]);
        assert.strictEqual((await topFrame(dc)).name, 'bump+10');
        assert.strictEqual(await evaluate(dc, 'total'), '1 (0x1)');
        // Over the call to add_total in one step: back at main_loop's jr after bump's ret.
        await Promise.all([dc.nextRequest({ threadId: 1 }), dc.waitForEvent('stopped')]);
        assert.strictEqual((await topFrame(dc)).name, 'main_loop+3');
    });

    await check('a conditional breakpoint and a hit count', async dc => {
        await launchAndStop(dc, () => dc.setFunctionBreakpointsRequest({ breakpoints: [
            { name: 'add_total', condition: 'a == 5 && total > 3' }] }), 'breakpoint');
        assert.strictEqual(await evaluate(dc, 'a'), '5 (0x5)');
        await dc.setFunctionBreakpointsRequest({ breakpoints: [{ name: 'bump', hitCondition: '4' }] });
        const stopped = dc.waitForEvent('stopped');
        await dc.continueRequest({ threadId: 1 });
        await stopped;
        assert.strictEqual(await evaluate(dc, 'counter'), '8 (0x8)');  // 5, then 4 more calls
    });

    await check('a data breakpoint on a global, and readMemory', async dc => {
        let id;
        await launchAndStop(dc, async () => {
            const info = await dc.dataBreakpointInfoRequest({ name: 'total' });
            id = info.body.dataId;
            await dc.setDataBreakpointsRequest({ breakpoints: [{ dataId: id, accessType: 'write', hitCondition: '3' }] });
        }, 'data breakpoint');
        // The third write of total (the first is the start's, then 1, then 1 + 2).
        const memory = await dc.send('readMemory', { memoryReference: 'total', count: 2 });
        assert.deepStrictEqual([...Buffer.from(memory.body.data, 'base64')], [3, 0]);
        const frame = await topFrame(dc);
        assert.match(frame.name, /^add_total\+/);
    });

    await check('bad requests are answered with errors, and the adapter lives on', async dc => {
        await dc.initializeRequest({ adapterID: 'plexaro' });
        const refused = async (promise, pattern) => {
            await assert.rejects(promise, error => pattern.test(error.message));
        };
        await refused(dc.send('noSuchRequest', {}), /unknown request/);
        await refused(dc.continueRequest({ threadId: 1 }), /launch one first/);
        await refused(dc.launchRequest({ program: 'no-such-cartridge.sg' }), /no-such-cartridge/);
        await refused(dc.launchRequest({ program: 42 }), /program/);
        await dc.launchRequest(launchArgs);
        await refused(dc.send('readMemory', { memoryReference: 'nowhere', count: 1 }), /nowhere/);
        await refused(dc.evaluateRequest({ expression: 'counter +' }), /expression ends too soon/);
        const threads = await dc.threadsRequest();
        assert.strictEqual(threads.body.threads.length, 1);
    });

    process.exitCode = failures === 0 ? 0 : 1;
}

main();
