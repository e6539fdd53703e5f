// Going back in time against going forwards: the state bytes where a step back, a travel of
// 600 frames and a reverse continue arrive are the bytes recorded when the machine first
// passed there; and stepping by lines over, into and out of a recursive function on a small
// program of the test's own, with its frame interrupt's handler never stopped in.
#include "host/debug/timetravel.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "cpu/z80.h"
#include "host/debug/cdb.h"
#include "host/debug/symbols.h"
#include "machine/board.h"
#include "machine/debugger.h"
#include "machine/machine.h"
#include "machine/state.h"
#include "tests/machine/test_cartridges.h"

namespace plexaro {
namespace {

using Bytes = std::vector<uint8_t>;

uint32_t Reg(uint32_t index) {
    return z80::GetRegister(index);
}

// The state bytes and where the debugger stands in the frame: what must come out the same.
struct Moment {
    Bytes state;
    DebugPosition position;
    uint32_t instruction;
};

Moment Now() {
    Moment moment{Bytes(MachineStateSize()), DebuggerPosition(), DebuggerInstructionInFrame()};
    SaveMachineState(moment.position.frame, moment.state.data());
    return moment;
}

void ExpectSame(const Moment& a, const Moment& b) {
    EXPECT_EQ(a.position.frame, b.position.frame);
    EXPECT_EQ(a.position.line, b.position.line);
    EXPECT_EQ(a.position.cycle, b.position.cycle);
    EXPECT_EQ(a.instruction, b.instruction);
    EXPECT_TRUE(a.state == b.state) << "state bytes differ";
}

void Load(const std::string& path) {
    ASSERT_EQ(InitMachine(256), nullptr);
    ASSERT_EQ(LoadCartridge(path.c_str()), nullptr);
    DebuggerClearBreakpoints();
    DebuggerClearWatchpoints();
    DebuggerResetPosition();
    DebuggerResume();
    TimeTravelClear();
}

// As a host does: a frame ended makes its sound; a step under way goes on in the next frame.
DebugResult Finish(DebugResult result) {
    while (result == DebugFrameEnded) {
        MakeSoundFrame();
        result = DebuggerRunFrame();
    }
    return result;
}

class TimeTravel : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(TimeTravelStart(TimeTravelDefaultBudget)); }
    void TearDown() override {
        TimeTravelStop();
        SteppingSetLines(nullptr);
        SelectVideoBehaviour(0);
    }
};

TEST_F(TimeTravel, StepsBackAndTravelsToTheBytesFirstPassed) {
    for (uint32_t behaviour : {0u, 1u}) {  // the hardware behaviour makes sound as it runs
        SCOPED_TRACE(behaviour);
        SelectVideoBehaviour(behaviour);
        Load(testing::CartridgePath("busy"));
        // 700 frames at full speed, the start of the 20th noted on the way.
        const uint64_t frame20At = DebuggerPosition().frame + 20;
        Moment frame20;
        for (int i = 0; i < 700; ++i) {
            if (DebuggerPosition().frame == frame20At) frame20 = Now();
            ASSERT_EQ(DebuggerRunFrame(), DebugFrameEnded);
            MakeSoundFrame();
        }
        // Then stepped over a frame's end, the last 40 moments on each side of it kept.
        std::array<Moment, 40> before, after;
        uint32_t kept = 0;
        DebuggerStop();
        for (;;) {
            before[kept++ % before.size()] = Now();
            if (DebuggerStep() == DebugFrameEnded) break;
        }
        MakeSoundFrame();
        for (Moment& moment : after) {
            moment = Now();
            DebuggerStep();
        }
        // Back through them, one instruction at a time, and over the frame's end.
        for (size_t i = after.size(); i-- > 0;) {
            ASSERT_EQ(TimeTravelStepBack(StepByInstruction), TravelArrived);
            ExpectSame(Now(), after[i]);
        }
        for (uint32_t i = 0; i < before.size(); ++i) {
            ASSERT_EQ(TimeTravelStepBack(StepByInstruction), TravelArrived);
            ExpectSame(Now(), before[(kept - 1 - i) % before.size()]);
        }
        // Over 600 frames back, then forward from there by play to where it was.
        const TimePoint back = TimeTravelNow();
        ASSERT_GE(TimeTravelFramesKept(), 680u);
        ASSERT_EQ(TimeTravelTo({frame20At, 0}), TravelArrived);
        ExpectSame(Now(), frame20);
        ASSERT_EQ(TimeTravelTo(back), TravelArrived);
        ExpectSame(Now(), before[(kept - before.size()) % before.size()]);
    }
}

// busy.s: the frame interrupt's handler, and its write of the frame count at 0xC000.
constexpr uint16_t Handler = 0x0038;
constexpr uint16_t FrameCount = 0xC000;

TEST_F(TimeTravel, ReverseContinueFindsEachEarlierHitInTurn) {
    Load(testing::CartridgePath("busy"));
    for (int i = 0; i < 5; ++i) {
        ASSERT_EQ(DebuggerRunFrame(), DebugFrameEnded);
        MakeSoundFrame();
    }
    DebuggerAddBreakpoint(Handler);
    ASSERT_TRUE(DebuggerAddWatchpoint({WatchWrite, FrameCount, FrameCount, false, 0, 0}));
    std::vector<Moment> stops;
    std::vector<DebugResult> why;
    while (stops.size() < 12) {
        const DebugResult result = Finish(DebuggerRunFrame());
        ASSERT_TRUE(result == DebugBreakpoint || result == DebugWatchpoint);
        stops.push_back(Now());
        why.push_back(result);
        DebuggerResume();
    }
    const uint64_t hits = DebuggerGetWatchpoint(0).hits;
    for (size_t i = stops.size(); i-- > 1;) {
        ASSERT_EQ(TimeTravelReverseContinue(nullptr), TravelArrived) << i;
        ExpectSame(Now(), stops[i - 1]);
    }
    EXPECT_EQ(DebuggerGetWatchpoint(0).hits, hits);  // the past runs unseen
    // From the last stop again, with a filter that turns every watchpoint down.
    const Moment& last = stops.back();
    ASSERT_EQ(TimeTravelTo({last.position.frame, last.instruction}), TravelArrived);
    ExpectSame(Now(), last);
    ASSERT_EQ(TimeTravelReverseContinue([](uint16_t, bool watch) { return !watch; }),
              TravelArrived);
    size_t breakpoint = stops.size() - 2;
    while (why[breakpoint] != DebugBreakpoint) --breakpoint;
    ExpectSame(Now(), stops[breakpoint]);
    DebuggerClearBreakpoints();
    DebuggerClearWatchpoints();
    EXPECT_EQ(TimeTravelReverseContinue(nullptr), TravelOldest);
}

// With watchpoints alone, frames are first run whole at full speed and only those that met one
// are looked at instruction by instruction: the stops are still the ones made going forward,
// frames with no hit are passed over, and a PC filter is still weighed.
TEST_F(TimeTravel, ReverseContinueWithWatchpointsAloneStopsWhereGoingForwardDid) {
    Load(testing::CartridgePath("busy"));
    for (int i = 0; i < 5; ++i) {
        ASSERT_EQ(DebuggerRunFrame(), DebugFrameEnded);
        MakeSoundFrame();
    }
    ASSERT_TRUE(DebuggerAddWatchpoint({WatchWrite, FrameCount, FrameCount, false, 0, 0}));
    std::vector<Moment> stops;
    std::vector<uint8_t> written;
    while (stops.size() < 8) {
        ASSERT_EQ(Finish(DebuggerRunFrame()), DebugWatchpoint);
        stops.push_back(Now());
        written.push_back(DebuggerLastWatchHit().value);
        DebuggerResume();
    }
    for (size_t i = stops.size(); i-- > 5;) {
        ASSERT_EQ(TimeTravelReverseContinue(nullptr), TravelArrived) << i;
        ExpectSame(Now(), stops[i - 1]);
    }
    // Only the value written at the second stop: the frames between hold no hit.
    const Moment& last = stops.back();
    ASSERT_EQ(TimeTravelTo({last.position.frame, last.instruction}), TravelArrived);
    DebuggerClearWatchpoints();
    ASSERT_TRUE(DebuggerAddWatchpoint({WatchWrite, FrameCount, FrameCount, true, written[1], 0}));
    ASSERT_EQ(TimeTravelReverseContinue(nullptr), TravelArrived);
    ExpectSame(Now(), stops[1]);
    // Written by the handler alone: a filter on its instructions meets each write, one on the
    // main loop's meets nothing.
    for (const bool handler : {true, false}) {
        Watchpoint filtered{WatchWrite, FrameCount, FrameCount, false, 0, 0};
        filtered.pcFiltered = true;
        filtered.pcFirst = handler ? Handler : 0x0100;
        filtered.pcLast = handler ? 0x0065 : 0x3FFF;
        DebuggerClearWatchpoints();
        ASSERT_TRUE(DebuggerAddWatchpoint(filtered));
        // From early in the last stop's frame, in the main loop, before that frame's write.
        ASSERT_EQ(TimeTravelTo({last.position.frame, 10}), TravelArrived);
        if (handler) {
            ASSERT_EQ(TimeTravelReverseContinue(nullptr), TravelArrived);
            ExpectSame(Now(), stops[stops.size() - 2]);
        } else {
            EXPECT_EQ(TimeTravelReverseContinue(nullptr), TravelOldest);
        }
    }
}

// A program with lines of its own, as a C compiler would give them: main calls f, which calls
// itself while A < 4, and then calls it twice from one line; the frame interrupt's handler has
// lines too.
constexpr uint8_t Program[] = {
    0xF3, 0x31, 0x00, 0xC4, 0xED, 0x56, 0xC3, 0x80, 0x00,  // di; ld sp,0xC400; im 1; jp 0x80
};
constexpr uint8_t HandlerCode[] = {0xF5, 0xDB, 0xBF, 0xF1, 0xFB, 0xED, 0x4D};  // at 0x38
constexpr uint8_t Start[] = {0x3E, 0xE0, 0xD3, 0xBF, 0x3E, 0x81,
                             0xD3, 0xBF, 0xFB, 0xC3, 0x00, 0x01};  // the frame interrupt on
constexpr uint8_t Main[] = {0x3E, 0x01, 0xCD, 0x00, 0x02, 0x32, 0x00, 0xC0,  // f(1), stored
                            0x3E, 0x03, 0xCD, 0x00, 0x02, 0x3E, 0x03, 0xCD,
                            0x00, 0x02, 0x18, 0xEC};  // f(3) and f(3) again; jr main
constexpr uint8_t F[] = {0x3C, 0xFE, 0x04, 0xDC, 0x00, 0x02, 0xC9};
constexpr CodeLine Lines[] = {
    {1, 30, 0x38, 0x39},   {1, 31, 0x39, 0x3B},
    {1, 32, 0x3B, 0x3F},   {0, 10, 0x100, 0x102},  // ld a,1
    {0, 11, 0x102, 0x105},                         // call f
    {0, 12, 0x105, 0x108},                         // ld (0xC000),a
    {0, 13, 0x108, 0x112},                         // ld a,3; call f; ld a,3; call f
    {0, 14, 0x112, 0x114},                         // jr main
    {0, 20, 0x200, 0x201},                         // inc a
    {0, 21, 0x201, 0x206},                         // cp 4; call c,f
    {0, 22, 0x206, 0x207},                         // ret
};

bool LineAt(uint16_t pc, CodeLine* line) {
    for (const CodeLine& known : Lines) {
        if (pc >= known.start && pc < known.end) {
            *line = known;
            return true;
        }
    }
    return false;
}

std::string WriteProgram(const std::filesystem::path& folder) {
    std::vector<uint8_t> image(0x400, 0);
    std::memcpy(image.data(), Program, sizeof Program);
    std::memcpy(image.data() + 0x38, HandlerCode, sizeof HandlerCode);
    std::memcpy(image.data() + 0x80, Start, sizeof Start);
    std::memcpy(image.data() + 0x100, Main, sizeof Main);
    std::memcpy(image.data() + 0x200, F, sizeof F);
    return testing::WriteFile(folder / "lines.sg", image);
}

uint32_t LineNow() {
    CodeLine line{};
    return SteppingLineAt(static_cast<uint16_t>(Reg(z80::RegPC)), &line) ? line.line : 0;
}

void RunTo(uint16_t pc) {
    DebuggerAddBreakpoint(pc);
    DebuggerResume();
    ASSERT_EQ(Finish(DebuggerRunFrame()), DebugBreakpoint);
    DebuggerRemoveBreakpoint(pc);
}

TEST_F(TimeTravel, StepsByLinesOverIntoOutAndBack) {
    const auto folder = testing::MakeScratch("lines");
    Load(WriteProgram(folder));
    SteppingSetLines(LineAt);
    RunTo(0x102);  // line 11, the call
    const uint32_t mainSp = Reg(z80::RegSP);
    EXPECT_EQ(Finish(SteppingStart(StepOver, StepByLine)), DebugStepped);
    EXPECT_EQ(Reg(z80::RegPC), 0x105u);
    EXPECT_EQ(Reg(z80::RegAF) >> 8, 4u);  // f ran to its end, three deep
    // Back over the call: line 11 as it was, A not yet 4; then line 10.
    ASSERT_EQ(TimeTravelStepBack(StepByLine), TravelArrived);
    EXPECT_EQ(Reg(z80::RegPC), 0x102u);
    EXPECT_EQ(Reg(z80::RegAF) >> 8, 1u);
    ASSERT_EQ(TimeTravelStepBack(StepByLine), TravelArrived);
    EXPECT_EQ(LineNow(), 10u);

    RunTo(0x102);
    EXPECT_EQ(Finish(SteppingStart(StepInto, StepByLine)), DebugStepped);
    EXPECT_EQ(Reg(z80::RegPC), 0x200u);  // into f
    EXPECT_EQ(Finish(SteppingStart(StepOver, StepByLine)), DebugStepped);
    EXPECT_EQ(LineNow(), 21u);
    const uint32_t fSp = Reg(z80::RegSP);
    // Over the recursive call: the deeper f's lines are not this one's.
    EXPECT_EQ(Finish(SteppingStart(StepOver, StepByLine)), DebugStepped);
    EXPECT_EQ(LineNow(), 22u);
    EXPECT_EQ(Reg(z80::RegSP), fSp);
    // Back from inside f over its first line to the caller's line.
    ASSERT_EQ(TimeTravelStepBack(StepByLine), TravelArrived);
    EXPECT_EQ(LineNow(), 21u);
    ASSERT_EQ(TimeTravelStepBack(StepByLine), TravelArrived);
    EXPECT_EQ(LineNow(), 20u);
    ASSERT_EQ(TimeTravelStepBack(StepByLine), TravelArrived);
    EXPECT_EQ(Reg(z80::RegPC), 0x102u);
    EXPECT_EQ(Reg(z80::RegSP), mainSp);
    // Into the recursion and out of it, one level at a time.
    SteppingStart(StepInto, StepByLine);
    SteppingStart(StepInto, StepByLine);
    SteppingStart(StepInto, StepByLine);  // the call at line 21 into f again
    EXPECT_EQ(Reg(z80::RegPC), 0x200u);
    EXPECT_EQ(Reg(z80::RegSP), fSp - 2);
    EXPECT_EQ(Finish(SteppingStart(StepOut, StepByLine)), DebugStepped);
    EXPECT_EQ(Reg(z80::RegPC), 0x206u);
    EXPECT_EQ(Reg(z80::RegSP), fSp);
    EXPECT_EQ(Finish(SteppingStart(StepOut, StepByLine)), DebugStepped);
    EXPECT_EQ(Reg(z80::RegPC), 0x105u);
    EXPECT_EQ(Reg(z80::RegSP), mainSp);

    // Back from the second f of one line: the first f, called from the same line at the same
    // depth, had returned; the line before is its caller's.
    RunTo(0x10F);
    ASSERT_EQ(Finish(SteppingStart(StepInto, StepByLine)), DebugStepped);
    EXPECT_EQ(Reg(z80::RegPC), 0x200u);
    ASSERT_EQ(TimeTravelStepBack(StepByLine), TravelArrived);
    EXPECT_EQ(Reg(z80::RegPC), 0x108u);
    EXPECT_EQ(Reg(z80::RegSP), mainSp);

    // Frames of steps: the handler's lines are run through, never stopped in.
    const uint64_t frame = DebuggerPosition().frame;
    for (int step = 0; DebuggerPosition().frame < frame + 3; ++step) {
        const StepAction action = step % 3 == 0 ? StepInto : StepOver;
        ASSERT_EQ(Finish(SteppingStart(action, StepByLine)), DebugStepped);
        ASSERT_GE(Reg(z80::RegPC), 0x100u) << step;
        ASSERT_LT(step, 100000);
    }
    testing::RemoveScratch(folder);
}

// The C cartridge, by its own lines.
SourcePlace Here() {
    SourcePlace place{};
    SourcePlaceAt(static_cast<uint16_t>(Reg(z80::RegPC)), place);
    return place;
}

uint16_t LineStart(uint32_t line) {
    uint32_t actual = 0;
    std::vector<uint16_t> addresses;
    if (!SourceLineAddresses("game.c", line, actual, addresses) || actual != line) return 0;
    return addresses.front();
}

uint32_t Word(uint16_t address) {
    return PeekConsole(address) | PeekConsole(address + 1u) << 8;
}

void LoadCTest() {
    const std::string cartridge = PLEXARO_BINARY_DIR "/cartridges/ctest/ctest.sg";
    Load(cartridge);
    ClearSymbols();
    for (const std::string& path : SymbolFilesBeside(cartridge)) LoadSymbolFile(path);
}

TEST_F(TimeTravel, StepsThroughTheCCartridgeByItsLines) {
    LoadCTest();
    ASSERT_TRUE(CdbLoaded());
    ASSERT_NE(CGlobalNamed("total"), nullptr);
    const uint16_t total = CGlobalNamed("total")->address;
    RunTo(LineStart(77));  // total = fact(level + (rounds & 3)), the first time: fact(4)
    const uint32_t mainSp = Reg(z80::RegSP);
    EXPECT_EQ(Finish(SteppingStart(StepOver, StepByLine)), DebugStepped);
    EXPECT_EQ(Here().line, 78u);
    EXPECT_EQ(Word(total), 24u);
    ASSERT_EQ(TimeTravelStepBack(StepByLine), TravelArrived);
    EXPECT_EQ(Here().line, 77u);
    EXPECT_EQ(Word(total), 0u);
    EXPECT_EQ(Reg(z80::RegSP), mainSp);

    EXPECT_EQ(Finish(SteppingStart(StepInto, StepByLine)), DebugStepped);
    ASSERT_NE(Here().function, nullptr);
    EXPECT_EQ(std::string(Here().function), "fact");
    while (Here().line != 30) ASSERT_EQ(Finish(SteppingStart(StepOver, StepByLine)), DebugStepped);
    const uint32_t factSp = Reg(z80::RegSP);
    EXPECT_EQ(Finish(SteppingStart(StepOver, StepByLine)), DebugStepped);  // over fact(3)
    EXPECT_GT(Here().line, 30u);  // return r, or the closing brace where r stays in registers
    EXPECT_EQ(std::string(Here().function), "fact");
    EXPECT_EQ(Reg(z80::RegSP), factSp);
    EXPECT_EQ(Finish(SteppingStart(StepOut, StepByLine)), DebugStepped);
    EXPECT_EQ(std::string(Here().function), "main");
    EXPECT_EQ(Here().line, 77u);  // in the middle of the line, the result not yet stored
    EXPECT_EQ(Finish(SteppingStart(StepOver, StepByLine)), DebugStepped);
    EXPECT_EQ(Here().line, 78u);
    EXPECT_EQ(Word(total), 24u);

    // Over the wait for the next frame, and back over it.
    RunTo(LineStart(75));
    const uint64_t frame = DebuggerPosition().frame;
    EXPECT_EQ(Finish(SteppingStart(StepOver, StepByLine)), DebugStepped);
    EXPECT_EQ(Here().line, 76u);
    EXPECT_GT(DebuggerPosition().frame, frame);
    ASSERT_EQ(TimeTravelStepBack(StepByLine), TravelArrived);
    EXPECT_EQ(Here().line, 75u);
    EXPECT_EQ(DebuggerPosition().frame, frame);
    ClearSymbols();
}

// fill and step build an IX frame: their first line is the prologue that lowers SP, with no call.
// Over it, the next line is still the function's (not the closing brace, after the whole body);
// back over it, the first line as it was; out of it from there, back at the call.
TEST_F(TimeTravel, StepsOverAndBackOverAFunctionsPrologue) {
    LoadCTest();
    ASSERT_TRUE(CdbLoaded());
    for (const uint32_t call : {80u, 79u}) {  // total += fill(rounds); step(&hero)
        SCOPED_TRACE(call);
        RunTo(LineStart(call));
        const uint32_t callerSp = Reg(z80::RegSP);
        ASSERT_EQ(Finish(SteppingStart(StepInto, StepByLine)), DebugStepped);
        const std::string function = Here().function;
        const uint32_t entry = Here().line;
        const uint32_t entrySp = Reg(z80::RegSP);
        const uint32_t returnTo = Word(static_cast<uint16_t>(entrySp));
        EXPECT_EQ(entrySp, callerSp - 2);
        ASSERT_EQ(Finish(SteppingStart(StepOver, StepByLine)), DebugStepped);
        EXPECT_EQ(std::string(Here().function), function);
        EXPECT_GT(Here().line, entry);
        EXPECT_LT(Reg(z80::RegSP), entrySp);  // the frame is made
        ASSERT_EQ(TimeTravelStepBack(StepByLine), TravelArrived);
        EXPECT_EQ(Here().line, entry);
        EXPECT_EQ(Reg(z80::RegSP), entrySp);
        ASSERT_EQ(Finish(SteppingStart(StepOut, StepByLine)), DebugStepped);
        EXPECT_EQ(Reg(z80::RegPC), returnTo);
        EXPECT_EQ(Reg(z80::RegSP), callerSp);
    }
    ClearSymbols();
}

}  // namespace
}  // namespace plexaro
