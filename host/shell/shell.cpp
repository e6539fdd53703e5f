// The shell's state and what each command and window event does to it; the order of one
// pass of the main loop. Every platform call goes through the window, display, audio and
// input layers.
#include "host/shell/shell.h"

#include <algorithm>
#include <chrono>

#include "host/debug/profiler.h"
#include "host/debug/symbols.h"
#include "host/options.h"
#include "host/os/os.h"
#include "host/shell/audio.h"
#include "host/shell/input.h"
#include "host/shell/notices.h"
#include "host/shell/rewind.h"
#include "host/shell/run_ahead.h"
#include "host/shell/settings.h"
#include "host/shell/snapshots.h"
#include "host/shell/window.h"
#include "machine/board.h"
#include "machine/debugger.h"
#include "machine/machine.h"
#include "machine/state.h"
#include "video/vdp.h"

namespace plexaro {
namespace {

ShellState Initial() {
    ShellState initial{};
    initial.EmulationActive = 1;
    initial.RgbMode = 1;
    initial.LiveReload = 1;
    initial.sizeChecked = 1;
    return initial;
}

ShellState shell = Initial();
// A message about the command line's cartridge waits here until the window exists.
std::string pendingLoadMessage;
bool pendingLoadFailed;
bool windowReady;         // start-up went through: the window can be drawn
std::string symbolsSaid;  // what the last load of symbols found

// What a build changes when it rewrites a cartridge: the file's time and size.
struct FileStamp {
    bool exists;
    int64_t time;
    uint64_t size;
    bool operator==(const FileStamp&) const = default;
};

struct ReloadState {
    FileStamp loaded;   // the file as it was when the running cartridge was read
    FileStamp pending;  // a change seen at the last check, waiting to settle
    FileStamp failed;   // a version that would not load: said once, not retried
};
ReloadState reload = {};

FileStamp StampOf(const std::string& path) {
    std::error_code error;
    const auto time = std::filesystem::last_write_time(PathOf(path), error);
    if (error) return {};
    const uint64_t size = std::filesystem::file_size(PathOf(path), error);
    return {true, time.time_since_epoch().count(), error ? 0 : size};
}

void Present();

// A box over the window: the window is drawn first, so that what stands behind the box is
// the picture of now, not a menu or the file dialog that has closed since the last frame.
// Before start-up is through there is no picture yet, and a minimised window has none to show.
void Box(const char* caption, const char* text, MessageKind kind) {
    if (windowReady && shell.EmulationActive == 1) Present();
    WindowShowMessage(caption, text, kind);
}

// An error of the sound system has closed the stream (the program runs on without sound);
// the stream keeps its words until they are shown here.
void SayAudioError() {
    if (const char* text = AudioTakeError()) {
        Box("Plexaro sound error", text, MessageWarning);
    }
}

// Whenever no new frames will come for a while (a menu, the window dragged or minimised, a
// message box, rewinding, a breakpoint), the looping buffer would play its last frames over
// and over: it is silenced, and the next frame written goes to its first slot.
void StopSound() {
    AudioRestart();
    SayAudioError();
}

enum RewindHistory : uint32_t { ForgetHistory, KeepHistory };

// The one place that says what follows a restart of the machine, whatever restarted it: the
// menu's Reset or a held Tab, a cartridge loaded, reloaded or freed, a state loaded from a
// slot, or a step back of rewind (which keeps its history: that is where it is going). The
// machine then stands at the start of a frame that follows none played here, so:
// - the debugger's position goes to the start of a frame: the frame it stood in is gone;
// - rewind forgets its frames: stepping back into them would bring back the machine before;
// - the sound stops and starts again at the buffer's first slot, so that the old machine's
//   last frames don't loop on and the new one's first frame isn't queued behind them;
// - the palette is made again in the chosen pixel format: a load makes it in RGB 565, and a
//   reset clears the backdrop register but not the palette entry drawn from it;
// - the menu's video behaviour follows the machine's, which a state brings with it;
// - the console's pause button was last pressed before the console now running began, so
//   Machine > Pause is unchecked, and the title names the game that runs now.
void MachineRestarted(RewindHistory history) {
    DebuggerResetPosition();
    if (history == ForgetHistory) SnapshotsForget();
    StopSound();
    SelectRgbMode(static_cast<uint32_t>(shell.RgbMode));
    shell.HardwareAccuracy = static_cast<int>(SelectedVideoBehaviour());
    if (history == ForgetHistory) shell.PauseChecked = 0;
    ShellTitleFollowGame();
}

// The menu's Reset and the held Tab alike.
void Reset() {
    ResetMachine();
    MachineRestarted(ForgetHistory);
}

// Every load goes through here, so that live reload compares against the file it read. A
// failed load leaves the running machine as it was.
const char* Load(const std::string& path) {
    reload.loaded = StampOf(path);
    reload.pending = reload.failed = {};
    const char* error = LoadCartridge(path.c_str());
    if (error == nullptr) {
        shell.runningPath = path;
        MachineRestarted(ForgetHistory);
        ShellRememberCartridge(path);
        symbolsSaid = ShellLoadSymbolsFor(path);
        if (!symbolsSaid.empty() && windowReady) ShellNotice(symbolsSaid);
    }
    return error;
}

// Only a cartridge that could not load stops play with a box; a warning is said over the
// picture while the game plays.
void ShowLoadMessage(const std::string& message, bool failed) {
    if (message.empty()) return;
    if (!failed) return ShellNotice(message);
    StopSound();  // the box holds the loop
    Box("Plexaro load error", message.c_str(), MessageWarning);
}

void SetSize(uint32_t scale) {
    shell.sizeChecked = scale;
    const PictureSize size = PictureAtScale(scale, ShellPictureLook().aspect);
    WindowSetClientSize(size.width, size.height);
}

void SetRgbMode(int mode) {
    SelectRgbMode(static_cast<uint32_t>(mode));
    shell.RgbMode = mode;
    DisplaySelectPixelFormat(static_cast<uint32_t>(mode));
}

void Present() {
    const uint16_t* frame = GetFrameBuffer();
    const Rect dest = ShellPictureRect();
    if (!shell.cartridgeLoaded || frame == nullptr) {
        DisplayPresentBlank(0, dest);
    } else {
        DisplayPresent(frame, RecordedRowStride(), dest);
    }
    WindowFinishFrame(shell.FullScreenMode == 1);
}

// Save state, Load state and Screenshot: done at once, said in the title, or in a box when
// a state went wrong.
void StateCommand(uint32_t id) {
    const std::string slot = std::to_string(shell.stateSlot + 1);
    if (id == CommandScreenshot) {
        std::string written;  // a picture not taken stops nothing: no box for it
        const std::string problem =
            Screenshot(shell.runningPath, static_cast<uint32_t>(shell.RgbMode), &written);
        ShellNotice(problem.empty() ? "screenshot " + FileNameOf(written) : problem);
        return;
    }
    if (!shell.cartridgeLoaded || shell.runningPath.empty()) return;
    uint64_t frame = shell.framesRun;
    const std::string problem = id == CommandSaveState
                                    ? SaveSlot(shell.runningPath, shell.stateSlot, frame)
                                    : LoadSlot(shell.runningPath, shell.stateSlot, &frame);
    if (SlotIsEmpty(problem)) return ShellNotice("slot " + slot + " is empty");
    if (!problem.empty()) {
        Box("Plexaro state error", WithoutStatesFolder(problem).c_str(), MessageWarning);
        return;
    }
    const std::string file = SlotPath(shell.runningPath, CartridgeHash(), shell.stateSlot);
    if (id == CommandLoadState) {
        shell.framesRun = frame;
        MachineRestarted(ForgetHistory);
    }
    shell.PauseChecked = SlotPauseMark(file, id == CommandSaveState, shell.PauseChecked);
    ShellNotice(id == CommandSaveState ? "state " + slot + " saved" : "state " + slot + " loaded");
}

// However a frame reached its end, by play or by the debugger's buttons: counted, kept for
// rewind, and its sound made, so that the sound chip keeps step with the frames.
void FrameEnded() {
    ++shell.framesRun;
    ProfilerFrameEnded();  // nothing unless the Profiler window is open
    SnapshotsFrameEnded(shell.framesRun);
    shell.lastSound = MakeSoundFrame();
    shell.lastSoundSamples = SoundFrameSamples();
}

// Fast forward runs this long of frames in one pass, then shows the last of them and goes back
// to the loop for its events: a picture a tick, and the frames as fast as the machine allows.
constexpr std::chrono::nanoseconds FastPassTime{1'000'000'000 / 60};
constexpr uint32_t FastPassMostFrames = 64;  // a bound even where the clock is coarse

bool fastForwardKeyWasDown = false;
DebugResult (*frameRunner)() = DebuggerRunFrame;

// The fast-forward key and Backspace may not both hold: the later pressed wins, and the one it
// overrode stays off until pressed again.
void FollowFastForwardKey() {
    const bool down = InputFastForwardHeld();
    if (down && !fastForwardKeyWasDown) {
        shell.fastForwardHeld = true;
        shell.rewinding = false;
    }
    if (!down) shell.fastForwardHeld = false;
    fastForwardKeyWasDown = down;
}

// One frame of play; true when it reached its end (a breakpoint may stop it inside).
bool PlayFrame() {
    // With no breakpoint armed this is RunFrame; a breakpoint stops mid-frame, and the
    // picture drawn so far is shown while the machine waits.
    const DebugResult result = frameRunner();
    if (result == DebugBreakpoint || result == DebugWatchpoint) StopSound();
    if (result != DebugFrameEnded) return false;
    FrameEnded();
    return true;
}

// Fast forward: frames back to back for a tick's time. Each one's sound is made, so that the
// sound chip keeps step, but none is written: the buffer stays silent.
void PlayAhead() {
    const auto start = std::chrono::steady_clock::now();
    for (uint32_t frames = 0; frames < FastPassMostFrames; ++frames) {
        if (!PlayFrame() || std::chrono::steady_clock::now() - start >= FastPassTime) return;
    }
}

// Slow motion's held pass: the console stands still, and the sound plays on for another frame
// so that the buffer never runs dry. In the simple behaviour that is the sound chip's next
// frame, made now from the same registers, so the waveform runs on without a seam; the hardware
// behaviour makes its sound as the frame runs, and repeats the frame's samples instead.
void PlayHeldSound() {
    const int16_t* sound = MakeSoundFrame();
    uint32_t samples = SoundFrameSamples();
    if (samples == 0) {
        sound = shell.lastSound;
        samples = shell.lastSoundSamples;
    }
    if (sound == nullptr || samples == 0) return;
    AudioWriteFrame(sound, samples);
    SayAudioError();
}

}  // namespace

const ShellState& Shell() {
    return shell;
}

void ShellDebuggerRan(DebugResult result) {
    if (result == DebugFrameEnded && shell.cartridgeLoaded) FrameEnded();
}

void ShellSetFrameRunner(DebugResult (*run)()) {
    frameRunner = run != nullptr ? run : DebuggerRunFrame;
}

std::string ShellLoadSymbols(const std::string& path) {
    const std::string line = DescribeSymbolLoad(path, LoadSymbolFile(path));
    ShellNotice(line);
    return line;
}

void ShellLoadFromCommandLine(const std::string& text) {
    shell = Initial();
    fastForwardKeyWasDown = false;
    pendingLoadMessage.clear();
    windowReady = false;
    if (text.empty()) return;
    shell.CartridgePath = text;
    shell.cartridgeLoaded = true;
    const char* error = Load(shell.CartridgePath);
    pendingLoadMessage = LoadMessage(shell.CartridgePath, error);
    pendingLoadFailed = error != nullptr;
    if (error != nullptr && NamesAnOption(text)) {
        std::string hint = OptionsFirstHint;
        hint[0] = 'O';  // a sentence of its own in the box
        pendingLoadMessage += "\n" + hint + ".";
    }
}

bool ShellStart(uint32_t rgbMode, uint32_t hardwareAccuracy) {
    shell.RgbMode = rgbMode == 0 ? 0 : 1;
    shell.HardwareAccuracy = hardwareAccuracy == 1 ? 1 : 0;
    WindowSetTitle(GameTitle(shell.runningPath).c_str());
    ShowLoadMessage(pendingLoadMessage, pendingLoadFailed);
    pendingLoadMessage.clear();
    // The settings file's (its sound latency reached the audio stream with the run's options).
    const Settings& saved = ShellStartSettings();
    shell.LiveReload = saved.liveReload ? 1 : 0;
    InputSetBindings(saved.bindings);
    ShellPictureStart(saved.picture);
    WindowPostCommand(CommandSize1 + std::clamp<uint32_t>(saved.windowScale, 1, 3) - 1);

    // The captions and texts of these boxes are the first version's, kept so that its
    // messages read as they always have.
    bool started = DisplaySetMode(shell.FullScreenMode) == 0;
    DisplaySelectPixelFormat(static_cast<uint32_t>(shell.RgbMode));
    // Before the machine starts: the behaviour decides its RAM as well.
    SelectVideoBehaviour(static_cast<uint32_t>(shell.HardwareAccuracy));
    if (const char* error = InitMachine(DisplayRowStride())) {
        Box("Plexaro initialization error", error, MessageWarning);
        started = false;
    }
    SelectRgbMode(static_cast<uint32_t>(shell.RgbMode));
    if (InputOpen() != 1) {
        Box("Plexaro Directinput error", "input initialization error", MessageWarning);
        started = false;
    } else {
        if (KeyboardOpen() != 1) {
            Box("Plexaro keyboard error", "keyboard initialization error", MessageWarning);
            started = false;
        }
        shell.JoystickPresent = JoystickOpen();
    }
    AudioOpen();
    SnapshotsStart();
    if (!started) {
        shell.quitting = true;
        shell.exitStatus = 1;
    }
    windowReady = started;
    if (started && !symbolsSaid.empty()) ShellNotice(symbolsSaid);  // the command line's game's
    return started;
}

void ShellCommand(uint32_t id) {
    switch (id) {
        case CommandLoadRom: WindowOpenFileDialog(); break;
        case CommandFreeRom:
            FreeMachine();
            shell.cartridgeLoaded = false;
            shell.CartridgePath.clear();
            shell.runningPath.clear();
            MachineRestarted(ForgetHistory);
            break;
        case CommandQuit: ShellShutdown(); break;
        case CommandFullscreen:
            shell.FullScreenMode = 1 - shell.FullScreenMode;
            WindowShowCursor(shell.FullScreenMode == 0);
            // Leaving full screen always comes back at twice the picture's size.
            if (shell.FullScreenMode == 0) WindowPostCommand(CommandSize2);
            DisplaySetMode(shell.FullScreenMode);
            break;
        case CommandSize1:
        case CommandSize2:
        case CommandSize3: SetSize(id - CommandSize1 + 1); break;
        case CommandAbout: Box("Plexaro about", AboutText, MessagePlain); break;
        case CommandReset: Reset(); break;
        case CommandPause:
            // Every selection presses the console's button, whichever way the mark goes.
            shell.PauseChecked = 1 - shell.PauseChecked;
            PressPauseButton();
            break;
        case CommandRgb565: SetRgbMode(1); break;
        case CommandRgb555: SetRgbMode(0); break;
        case CommandLiveReload: shell.LiveReload = 1 - shell.LiveReload; break;
        // Both at once would mean nothing: checking one unchecks the other.
        case CommandFastForward:
            shell.FastForward = 1 - shell.FastForward;
            if (shell.FastForward == 1) shell.SlowMotion = 0;
            break;
        case CommandSlowMotion:
            shell.SlowMotion = 1 - shell.SlowMotion;
            if (shell.SlowMotion == 1) shell.FastForward = 0;
            shell.slowHeld = true;  // so the next pass runs a frame
            break;
        case CommandPauseEmulation:
            shell.EmulationPaused = 1 - shell.EmulationPaused;
            StopSound();  // held silent; play starts again from silence
            break;
        case CommandSaveState:
        case CommandLoadState:
        case CommandScreenshot: StateCommand(id); break;
        case CommandSlot1:
        case CommandSlot1 + 1:
        case CommandSlot1 + 2:
        case CommandSlot1 + 3:
            shell.stateSlot = id - CommandSlot1;
            ShellNotice("slot " + std::to_string(shell.stateSlot + 1));
            break;
        case CommandHardwareAccuracy:
            // The video chip's from the next line drawn, the RAM's from the next reset or
            // load; it stays through loads and resets.
            shell.HardwareAccuracy = 1 - shell.HardwareAccuracy;
            SelectVideoBehaviour(static_cast<uint32_t>(shell.HardwareAccuracy));
            break;
        case CommandSoundLatencyLow:
        case CommandSoundLatencyLow + 1:
        case CommandSoundLatencyLow + 2:
            // The device opens again with its buffer to match, and starts from silence.
            AudioSetLatency(static_cast<SoundLatency>(id - CommandSoundLatencyLow));
            SayAudioError();
            ShellNotice(std::string("sound latency ") + SoundLatencyName(AudioLatency()));
            break;
        case CommandDebugRun: DebuggerResume(); break;
        case CommandDebugStop: DebuggerStop(); break;
        case CommandDebugStep: ShellDebuggerRan(DebuggerStep()); break;
        case CommandDebugStepOver: ShellDebuggerRan(DebuggerStepOver()); break;
        case CommandDebugNextFrame: ShellDebuggerRan(DebuggerRunToNextFrame()); break;
        default:
            if (!ShellPictureCommand(id) && !ShellMachineCommand(id) &&
                !ShellStepCommand(id, ShellDebuggerRan) && !ShellTapeCommand(id) &&
                !ShellKeyboardCommand(id)) {
                RunAheadCommand(id);
            }
            break;
    }
    ShellSettingsCommand(id);
}

const char* ShellLoadQuietly(const std::string& path) {
    shell.CartridgePath = path;
    shell.cartridgeLoaded = true;
    return Load(shell.CartridgePath);
}

void ShellFileChosen(const std::string& path) {
    const char* error = ShellLoadQuietly(path);
    ShowLoadMessage(LoadMessage(shell.CartridgePath, error), error != nullptr);
}

void ShellCheckReload() {
    ShellTitleTick();
    if (shell.LiveReload != 1 || !shell.cartridgeLoaded) return;
    const FileStamp now = StampOf(shell.CartridgePath);
    if (now == reload.loaded || now == reload.failed || !now.exists) return;
    if (!(now == reload.pending)) {
        reload.pending = now;
        return;
    }
    const char* error = LoadCartridge(shell.CartridgePath.c_str());
    if (error != nullptr) {
        // Said over the picture: the game that was running goes on, and a box would stop it.
        reload.failed = now;
        ShellNotice("reload failed: " + FileNameOf(shell.CartridgePath) + ": " + error);
        return;
    }
    shell.runningPath = shell.CartridgePath;
    MachineRestarted(ForgetHistory);
    symbolsSaid = ShellLoadSymbolsFor(
        shell.CartridgePath);  // the build that wrote the image wrote its labels too
    reload.loaded = now;
    reload.pending = {};
    ShellNotice(symbolsSaid.empty() ? "reloaded" : "reloaded; " + symbolsSaid);
    ShowLoadMessage(LoadMessage(shell.CartridgePath, nullptr), false);  // a build grown too long
}

void ShellMinimised() {
    StopSound();
    shell.EmulationActive = 0;
}

void ShellRestored() {
    shell.EmulationActive = 1;
}

void ShellMoved() {
    StopSound();
}

void ShellHold(bool holding) {
    // The looping buffer would otherwise repeat its last frames while nothing is written.
    if (holding && !shell.holding) StopSound();
    shell.holding = holding;
}

void ShellSetRewinding(bool held) {
    if (held && !shell.rewinding && !RewindActive()) {
        Box("Plexaro state error",
            "Rewind is off: the memory it keeps the last frames in could not be had.",
            MessageWarning);
        return;
    }
    // The sound stops while the picture goes back; what follows starts from silence.
    if (held && !shell.rewinding) StopSound();
    // Pressed after the fast-forward key, Backspace wins.
    if (held) shell.fastForwardHeld = false;
    shell.rewinding = held;
}

void ShellControllersChanged() {
    shell.JoystickPresent = JoystickOpen();
}

bool ShellFramePass() {
    if (shell.quitting || shell.EmulationActive != 1) return false;
    FollowFastForwardKey();
    const bool held = shell.holding || shell.EmulationPaused == 1;
    const bool fast = shell.cartridgeLoaded && !held && !shell.rewinding &&
                      (shell.fastForwardHeld || shell.FastForward == 1);
    // In and out of fast forward alike the buffer starts again from silence at its first slot:
    // going in, so that it does not loop its last frames; coming out, so that the first frame
    // written is the next one heard.
    if (fast != shell.fastForwarding) {
        StopSound();
        // Said only when the player changed the speed, not when a menu merely paused it.
        if (!held) ShellNotice(fast ? "fast forward" : "normal speed");
    }
    shell.fastForwarding = fast;
    bool paced = false;
    if (held) {
        Present();
    } else if (shell.rewinding && shell.cartridgeLoaded) {
        // One frame back per pass, at the pace of play.
        uint64_t frame = 0;
        if (RewindOneFrame(&frame)) {
            shell.framesRun = frame;
            MachineRestarted(KeepHistory);
        }
        Present();
    } else {
        using Clock = std::chrono::steady_clock;
        using Milliseconds = std::chrono::duration<float, std::milli>;
        // Before PollInput: a reset clears the joypad bytes the keys are about to set.
        if (InputResetHeld()) Reset();
        PollInput(shell.JoystickPresent);
        ShellKeyboardFrame();
        const Clock::time_point start = Clock::now();
        const bool slow = shell.SlowMotion == 1 && !fast && shell.cartridgeLoaded;
        shell.slowHeld = slow && !shell.slowHeld;
        bool frameEnded = false;
        if (fast) {
            PlayAhead();
        } else if (shell.cartridgeLoaded && !shell.slowHeld) {
            frameEnded = PlayFrame();
            if (frameEnded) RunAheadAfterFrame();  // its picture shown, this frame's sound
        }
        const Clock::time_point emulated = Clock::now();
        Present();
        shell.emulateMilliseconds = Milliseconds(emulated - start).count();
        shell.presentMilliseconds = Milliseconds(Clock::now() - emulated).count();
        if (frameEnded) {
            AudioWriteFrame(shell.lastSound, shell.lastSoundSamples);
            SayAudioError();
            paced = AudioPlaying();
        } else if (shell.slowHeld) {
            PlayHeldSound();
            paced = AudioPlaying();
        }
    }
    return paced;
}

void ShellShutdown() {
    DisplayRelease();
    KeyboardClose();
    JoystickClose();
    InputClose();
    ShutdownMachine();
    AudioClose();
    SnapshotsStop();
    shell.quitting = true;
    windowReady = false;
}

uint64_t ShellFrameNanoseconds() {
    constexpr uint64_t Second = 1'000'000'000;
    if (!HardwareBehaviour()) return Second / 60;
    return uint64_t{LinesPerFrame} * static_cast<uint64_t>(LineCycles()) * Second /
           static_cast<uint64_t>(ConsoleClockHz);
}

}  // namespace plexaro
