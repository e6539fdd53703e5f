// Drives `plexaro --dap` with the DebugClient that editors' own debug adapters are tested
// with, on the debuggee cartridge (a loop calling bump, which calls add_total; the RAM
// variables counter and total; one debug message of the game's own at the start).
// Usage: node dap_test.js PLEXARO DEBUGGEE.sg   (NODE_PATH: where the npm modules are)
'use strict';
const assert = require('assert');
const { DebugClient } = require('@vscode/debugadapter-testsupport');

const [plexaro, cartridge] = process.argv.slice(2);
const launchArgs = { program: cartridge, realTime: false };

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
async function launchAndStop(dc, configure, reason) {
    await dc.initializeRequest({ adapterID: 'plexaro', linesStartAt1: true, columnsStartAt1: true });
    const initialized = dc.waitForEvent('initialized');
    await dc.launchRequest(launchArgs);
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

async function main() {
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

    await check("the game's debug message arrives as an output event", async dc => {
        await dc.initializeRequest({ adapterID: 'plexaro' });
        await dc.launchRequest(launchArgs);
        const output = dc.assertOutput('stdout', 'hello from the game');
        await dc.configurationDoneRequest();
        await output;
        await dc.pauseRequest({ threadId: 1 });
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
