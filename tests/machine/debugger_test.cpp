// The debugger on our cartridges: stepped frames give what RunFrame gives, a breakpoint
// stops before its instruction in the middle of a frame, and resuming, stepping, stepping
// over a call and running to the next frame carry on from there to the same frames.
#include "machine/debugger.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cpu/z80.h"
#include "machine/hash.h"
#include "machine/machine.h"
#include "tests/machine/test_cartridges.h"

namespace plexaro {
namespace {

constexpr int Frames = 120;
constexpr uint16_t NeverReached = 0x9FFF;  // past the end of every test program
// busy.s: the frame interrupt's handler and the instructions it starts with.
constexpr uint16_t Handler = 0x0038;         // push af
constexpr uint16_t CallNames = 0x0045;       // call names, after four pushes and three loads
constexpr uint16_t AfterCallNames = 0x0048;  // call sprites
constexpr uint16_t SamplePlay = 0x1D56;      // sample.s: play, the OUTI of each level

std::string DemoPath() {
    return std::string(PLEXARO_BINARY_DIR) + "/cartridges/demo/demo.sg";
}

uint32_t Reg(uint32_t index) {
    return z80::GetRegister(index);
}

// Everything a frame leaves behind: picture, sound, registers (R too) and memory.
struct Digest {
    uint64_t hash = FnvOffsetBasis;
    void Add(const void* data, size_t size) { hash = Fnv1a64(hash, data, size); }
    void AddFrame() {
        Add(GetFrameBuffer(), sizeof(uint16_t) * 256 * ActiveLines);
        const int16_t* sound = MakeSoundFrame();
        Add(sound, sizeof(int16_t) * SoundFrameSamples());
    }
    void AddMachine() {
        for (uint32_t r = z80::RegAF; r <= z80::RegIrqLine; ++r) {
            const uint32_t value = Reg(r);
            Add(&value, sizeof value);
        }
        Add(ConsoleMemory(), ConsoleMemorySize);
    }
};

void Load(const std::string& path) {
    ASSERT_EQ(InitMachine(256), nullptr);
    ASSERT_EQ(LoadCartridge(path.c_str()), nullptr);
    DebuggerClearBreakpoints();
    DebuggerResetPosition();
    DebuggerResume();
}

uint64_t PlainFrames(const std::string& path, int frames) {
    Load(path);
    Digest digest;
    for (int i = 0; i < frames; ++i) {
        RunFrame();
        digest.AddFrame();
    }
    digest.AddMachine();
    return digest.hash;
}

// Frames through the debugger, resuming at every stop; counts the stops.
uint64_t DebuggedFrames(const std::string& path, int frames, uint16_t breakpoint, int& stops) {
    Load(path);
    DebuggerAddBreakpoint(breakpoint);
    Digest digest;
    stops = 0;
    for (int i = 0; i < frames;) {
        const DebugResult result = DebuggerRunFrame();
        if (result == DebugFrameEnded) {
            digest.AddFrame();
            ++i;
        } else {
            EXPECT_EQ(result, DebugBreakpoint);
            EXPECT_EQ(Reg(z80::RegPC), breakpoint);
            ++stops;
            DebuggerResume();
        }
    }
    digest.AddMachine();
    return digest.hash;
}

TEST(Debugger, SteppedFramesMatchRunFrame) {
    for (const std::string& path : {testing::CartridgePath("busy"), DemoPath()}) {
        SCOPED_TRACE(path);
        const uint64_t plain = PlainFrames(path, Frames);
        int stops = 0;
        EXPECT_EQ(DebuggedFrames(path, Frames, NeverReached, stops), plain);
        EXPECT_EQ(stops, 0);
    }
    // Stopped in the middle of every frame and resumed from there.
    const std::string busy = testing::CartridgePath("busy");
    int stops = 0;
    EXPECT_EQ(DebuggedFrames(busy, Frames, Handler, stops), PlainFrames(busy, Frames));
    EXPECT_GT(stops, Frames / 2);
}

// The hardware behaviour's exact lines (what a line runs over comes off the next, a HALT's
// too: the demo waits in one) and its sound made up to each write's cycle, stepped as run:
// sample.sg writes the sound chip every 456 cycles, and stops before each write.
TEST(Debugger, SteppedFramesMatchRunFrameInTheHardwareBehaviour) {
    SelectVideoBehaviour(1);
    const std::string busy = testing::CartridgePath("busy");
    const std::string sample = testing::CartridgePath("sample");
    for (const std::string& path : {busy, sample, DemoPath()}) {
        SCOPED_TRACE(path);
        const uint64_t plain = PlainFrames(path, Frames);
        int stops = 0;
        EXPECT_EQ(DebuggedFrames(path, Frames, NeverReached, stops), plain);
        EXPECT_EQ(stops, 0);
    }
    int stops = 0;
    EXPECT_EQ(DebuggedFrames(busy, Frames, Handler, stops), PlainFrames(busy, Frames));
    EXPECT_GT(stops, Frames / 2);
    EXPECT_EQ(DebuggedFrames(sample, Frames, SamplePlay, stops), PlainFrames(sample, Frames));
    EXPECT_GT(stops, Frames * 100);
    SelectVideoBehaviour(0);
}

TEST(Debugger, BreakStepStepOverAndRunToTheNextFrame) {
    const std::string busy = testing::CartridgePath("busy");
    Load(busy);
    // Past the start-up, whose first EI meets an interrupt requested in the frame before.
    const uint64_t first = DebuggerPosition().frame;
    int frames = 0;
    for (; frames < 5; ++frames) ASSERT_EQ(DebuggerRunFrame(), DebugFrameEnded);
    DebuggerAddBreakpoint(Handler);
    DebugResult result;
    while ((result = DebuggerRunFrame()) == DebugFrameEnded) ++frames;
    ASSERT_EQ(result, DebugBreakpoint);
    EXPECT_TRUE(DebuggerStopped());
    EXPECT_EQ(DebuggerRunFrame(), DebugIdle);  // stopped: nothing runs
    EXPECT_EQ(Reg(z80::RegPC), Handler);
    // The handler outlasts the frame, so its closing EI answers the next request.
    const DebugPosition stop = DebuggerPosition();
    EXPECT_EQ(stop.frame, first + uint64_t(frames));
    EXPECT_GT(stop.line, 0u);

    const uint32_t sp = Reg(z80::RegSP);
    EXPECT_EQ(DebuggerStep(), DebugStepped);  // push af: 11 cycles into the same line
    EXPECT_EQ(Reg(z80::RegPC), Handler + 1u);
    EXPECT_EQ(Reg(z80::RegSP), sp - 2);
    EXPECT_EQ(DebuggerPosition().line, stop.line);
    EXPECT_EQ(DebuggerPosition().cycle, stop.cycle + 11);
    while (Reg(z80::RegPC) != CallNames) ASSERT_EQ(DebuggerStep(), DebugStepped);
    EXPECT_EQ(DebuggerStepOver(), DebugStepped);
    EXPECT_EQ(Reg(z80::RegPC), AfterCallNames);
    EXPECT_EQ(Reg(z80::RegSP), sp - 8);

    // On to the end of the frame, stopped at the start of the next: the same machine as
    // after as many plain frames.
    DebuggerRemoveBreakpoint(Handler);
    EXPECT_EQ(DebuggerBreakpointCount(), 0u);
    EXPECT_EQ(DebuggerRunToNextFrame(), DebugFrameEnded);
    EXPECT_TRUE(DebuggerStopped());
    EXPECT_EQ(DebuggerPosition().line, 0u);
    Digest debugged;
    debugged.AddMachine();
    Load(busy);
    for (int i = 0; i <= frames; ++i) RunFrame();
    Digest plain;
    plain.AddMachine();
    EXPECT_EQ(debugged.hash, plain.hash);
}

TEST(Debugger, BreakpointsListInAddressOrder) {
    DebuggerClearBreakpoints();
    for (uint16_t address : {0xFFFF, 0x0040, 0x003F, 0x0000}) DebuggerAddBreakpoint(address);
    DebuggerAddBreakpoint(0x0040);  // already armed
    EXPECT_FALSE(DebuggerToggleBreakpoint(0x003F));
    EXPECT_TRUE(DebuggerToggleBreakpoint(0x8000));
    uint16_t listed[8] = {};
    ASSERT_EQ(DebuggerListBreakpoints(listed, 8), 4u);
    EXPECT_EQ(DebuggerBreakpointCount(), 4u);
    EXPECT_EQ(listed[0], 0x0000);
    EXPECT_EQ(listed[1], 0x0040);
    EXPECT_EQ(listed[2], 0x8000);
    EXPECT_EQ(listed[3], 0xFFFF);
    EXPECT_EQ(DebuggerListBreakpoints(listed, 2), 2u);
    DebuggerClearBreakpoints();
    EXPECT_FALSE(DebuggerHasBreakpoint(0xFFFF));
}

std::vector<WatchHit> hits;

// busy.s's handler: IN of the status port at 0x3C, ld hl, (FRAME) at 0x3E, inc hl, then
// ld (FRAME), hl at 0x42 writes both bytes of the frame count at 0xC000.
TEST(Debugger, WatchpointsStopAfterTheirInstructionAndChangeNothing) {
    const std::string busy = testing::CartridgePath("busy");
    const uint64_t plain = PlainFrames(busy, Frames);
    Load(busy);
    DebuggerClearWatchpoints();
    ASSERT_TRUE(DebuggerAddWatchpoint({WatchIn, 0xBF, 0xBF, false, 0, 0}));
    ASSERT_TRUE(DebuggerAddWatchpoint({WatchRead, 0xC000, 0xC000, false, 0, 0}));
    ASSERT_TRUE(DebuggerAddWatchpoint({WatchWrite, 0xC001, 0xC000, false, 0, 0}));  // swapped ends
    ASSERT_TRUE(DebuggerAddWatchpoint({WatchWrite, 0xC000, 0xC000, true, 5, 0}));
    hits.clear();
    DebuggerSetWatchHook([](const WatchHit& hit) { hits.push_back(hit); });
    Digest digest;
    std::vector<WatchHit> stops;
    for (int i = 0; i < Frames;) {
        const DebugResult result = DebuggerRunFrame();
        if (result == DebugFrameEnded) {
            digest.AddFrame();
            ++i;
        } else {
            ASSERT_EQ(result, DebugWatchpoint);
            stops.push_back(DebuggerLastWatchHit());
            if (stops.size() <= 3) {  // stopped after the instruction, before the next
                static constexpr uint16_t After[] = {0x3E, 0x41, 0x45};
                EXPECT_EQ(Reg(z80::RegPC), After[stops.size() - 1]);
            }
        }
        DebuggerResume();
    }
    DebuggerSetWatchHook(nullptr);
    digest.AddMachine();
    EXPECT_EQ(digest.hash, plain);

    ASSERT_GE(stops.size(), 3u);
    EXPECT_EQ(stops[0].kind, WatchIn);
    EXPECT_EQ(stops[0].pc, 0x3C);
    EXPECT_EQ(stops[1].kind, WatchRead);
    EXPECT_EQ(stops[1].address, 0xC000);
    EXPECT_EQ(stops[2].kind, WatchWrite);
    EXPECT_EQ(stops[2].pc, 0x42);
    EXPECT_EQ(stops[2].value, 1);  // the first frame counted
    // Every hit counted and seen: each handler writes both bytes and reads the low one (the
    // main loop reads it too); the value match meets only one of the writes.
    const uint64_t handlers = DebuggerGetWatchpoint(2).hits / 2;
    EXPECT_EQ(DebuggerGetWatchpoint(2).hits % 2, 0u);
    EXPECT_GT(handlers, uint64_t(Frames / 2));
    EXPECT_GE(DebuggerGetWatchpoint(0).hits, handlers);
    EXPECT_GE(DebuggerGetWatchpoint(1).hits, handlers);
    EXPECT_EQ(DebuggerGetWatchpoint(3).hits, 1u);
    uint64_t total = 0;
    for (uint32_t i = 0; i < DebuggerWatchpointCount(); ++i) total += DebuggerGetWatchpoint(i).hits;
    EXPECT_EQ(hits.size(), total);

    DebuggerRemoveWatchpoint(0);
    EXPECT_EQ(DebuggerWatchpointCount(), 3u);
    EXPECT_EQ(DebuggerGetWatchpoint(0).kinds, uint32_t{WatchRead});
    DebuggerClearWatchpoints();
    EXPECT_EQ(DebuggerRunFrame(), DebugFrameEnded);  // nothing armed: the plain path again
}

uint64_t cyclesSeen;

TEST(Debugger, TheCycleHookSeesEveryCycleOfTheFrame) {
    Load(testing::CartridgePath("busy"));
    for (int i = 0; i < 3; ++i) RunFrame();
    cyclesSeen = 0;
    DebuggerSetCycleHook([](uint16_t, uint32_t cycles) { cyclesSeen += cycles; });
    ASSERT_EQ(DebuggerRunFrame(), DebugFrameEnded);
    DebuggerSetCycleHook(nullptr);
    // Each line runs its 227 cycles and its last instruction may run past (23 at most).
    EXPECT_GE(cyclesSeen, uint64_t{LinesPerFrame} * CyclesPerLine);
    EXPECT_LT(cyclesSeen, uint64_t{LinesPerFrame} * (CyclesPerLine + 23));
}

}  // namespace
}  // namespace plexaro
