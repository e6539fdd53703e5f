// The shell: the desktop program's state, its start-up and shutdown, the effect of each menu
// command and window event, and the order of one frame's work. It knows no platform: the
// window, presentation, audio and input layers do that.
//
//     ShellLoadFromCommandLine(text);    // before the window exists
//     create the window, then: if (!ShellStart(rgbMode)) end;
//     loop: events -> ShellCommand / ShellMinimised / ...; otherwise ShellFramePass();
//     ShellShutdown();
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/shell/bindings.h"
#include "host/shell/display.h"
#include "host/shell/picture.h"

namespace plexaro {

enum DebugResult : uint32_t;  // machine/debugger.h

// Menu command ids.
enum MenuCommand : uint32_t {
    CommandLoadRom = 40014,
    CommandFreeRom = 40015,
    CommandQuit = 40016,
    CommandFullscreen = 40017,
    CommandSize1 = 40018,
    CommandSize2 = 40019,
    CommandSize3 = 40020,
    CommandAbout = 40022,
    CommandReset = 40023,
    CommandPause = 40024,
    CommandStrech = 40040,  // the first version's spelling, which its menu item keeps
    CommandRgb565 = 40042,
    CommandRgb555 = 40043,
    CommandHardwareAccuracy = 40050,  // the video chip as the console really behaves
    CommandLiveReload = 40051,        // reload the cartridge when its file changes
    CommandBoardAuto = 40052,         // to CommandBoardAuto + 6: a BoardKind each
    CommandSaveState = 40060,
    CommandLoadState = 40061,
    CommandSlot1 = 40062,  // to CommandSlot1 + 3
    CommandScreenshot = 40066,
    CommandFastForward = 40067,     // toggles; holding the fast-forward key does it too
    CommandSlowMotion = 40068,      // half speed
    CommandPauseEmulation = 40069,  // the emulator stands still: not the console's pause button
    // The CPU window's buttons: carried out between frames, like the menus' commands.
    CommandDebugRun = 40070,
    CommandDebugStop = 40071,
    CommandDebugStep = 40072,
    CommandDebugStepOver = 40073,
    CommandDebugNextFrame = 40074,
    CommandRecent1 = 40080,  // to CommandRecent1 + 9: File > Recent, most recent first
    CommandClearRecent = 40090,
    CommandSoundLatencyLow = 40095,  // to CommandSoundLatencyLow + 2: a SoundLatency each
    CommandRunAheadOff = 40110,      // to CommandRunAheadOff + 2: frames run ahead
    CommandAspectConsole = 40120,    // to + 2: a PictureAspect each ("Strech" is the third)
    CommandScalingFit = 40125,       // to + 1: a PictureScaling each
    CommandFilterSharp = 40130,      // to + 2: a PictureFilter each
    // The CPU window's steps by C line, out of a function, and back in time.
    CommandDebugStepLine = 40140,
    CommandDebugStepOverLine = 40141,
    CommandDebugStepOut = 40142,
    CommandDebugStepBack = 40143,  // one instruction
    CommandDebugStepBackLine = 40144,
    CommandDebugReverseContinue = 40145,
    CommandTapeInsert = 40160,  // Machine > Tape: the cassette recorder's buttons
    CommandTapePlay = 40161,
    CommandTapeStop = 40162,
    CommandTapeRewind = 40163,
    CommandTapeRecord = 40164,  // to a new NAME-tape-N.wav beside the cartridge
    CommandTapeEject = 40165,
    CommandKeyboardMode = 40150,    // the SC-3000's keyboard on the PC's (keyboard.h)
    CommandPaste = 40151,           // types the clipboard's text into the machine
    CommandScreenKeyboard = 40152,  // the on-screen keyboard's window, shown or hidden
    CommandSystemAuto = 40155,      // to + 2: a MachineKind each (sc3000.h)
};

inline constexpr const char* ProductName = "Plexaro";
inline constexpr const char* AboutText =
    "Plexaro\nbeta 0.01\n\nA Sega SG-1000 emulator\nby the Plexaro developers";

struct ShellState {
    bool cartridgeLoaded;       // CartridgePath is set: frames run
    std::string CartridgePath;  // kept even when its load failed
    // The cartridge actually running, which a failed load leaves as it was: slot files are
    // named after it, so that a save never lands in another cartridge's slot.
    std::string runningPath;
    uint8_t EmulationActive;  // 0 while the window is minimised
    int FullScreenMode;
    int PauseChecked;
    int RgbMode;  // 1: RGB 565, 0: RGB 555
    int JoystickPresent;
    int HardwareAccuracy;  // the video chip's hardware behaviour is selected
    int LiveReload;        // the cartridge's file is watched
    uint32_t stateSlot;    // 0..3: where Save state and Load state go
    bool rewinding;        // Backspace is held
    int FastForward;       // the menu's "Fast forward" is checked
    int SlowMotion;        // the menu's "Slow motion" is checked
    int EmulationPaused;   // "Pause emulation": no frames, no sound, the picture held
    bool fastForwardHeld;  // the fast-forward key is held, and went down after Backspace
    bool fastForwarding;   // the last pass ran ahead of real time: the caller must not wait
    bool slowHeld;         // slow motion: the last pass held its frame instead of running one
    uint32_t sizeChecked;  // 1, 2 or 3: the checked "Size x" item
    bool holding;          // a menu or the file dialog is open: no frames run
    bool quitting;         // the loop ends at its next pass
    int exitStatus;
    uint64_t framesRun;
    float emulateMilliseconds, presentMilliseconds;  // the last frame's
    const int16_t* lastSound;                        // the last frame's samples, or null
    uint32_t lastSoundSamples;                       // how many: 735, or 736 in hardware
};

const ShellState& Shell();

// Start-up step 1: a non-empty text is the cartridge's path, loaded at once; its message (if
// any) is shown once the window exists.
void ShellLoadFromCommandLine(const std::string& text);
// The rest of start-up, once the window exists. False when a step failed (its message has
// been shown): the program then ends without running a frame.
bool ShellStart(uint32_t rgbMode, uint32_t hardwareAccuracy);
void ShellCommand(uint32_t id);
void ShellFileChosen(const std::string& path);  // "Load rom"'s or a dropped file
// As a chosen file, but a failure (the error returned, else null) is the caller's to say.
const char* ShellLoadQuietly(const std::string& path);
// A frame the debugger ran outside play (a step's end): counted, kept and heard as one played.
void ShellDebuggerRan(DebugResult result);
// What runs each frame of play in place of DebuggerRunFrame (a debug adapter that weighs its
// breakpoints' conditions), or null for DebuggerRunFrame again.
void ShellSetFrameRunner(DebugResult (*run)());
// The symbol files the command line names (--symbols): loaded with every cartridge, after the
// ones found beside it (game.noi, game.map, game.sym). Call before the first load.
void ShellSetSymbolFiles(const std::vector<std::string>& paths);
// A cartridge's labels, in place of those before: the files beside it, then the command
// line's. Returns what they gave in one line ("" when there were no files); a file that gives
// nothing says so too.
std::string ShellLoadSymbolsFor(const std::string& cartridge);
// Debug > Load symbols: adds a file's symbols now; returns its one-line outcome, also noticed.
std::string ShellLoadSymbols(const std::string& path);
void ShellMinimised();
void ShellRestored();
void ShellMoved();
void ShellHold(bool holding);  // a menu or the dialog opened (true) or closed (false)
void ShellControllersChanged();
void ShellSetRewinding(bool held);
// Once a second: reloads and resets the cartridge when its file has changed and then stayed
// unchanged for a second (a build may still be writing it), and puts the title back after a
// reload's notice.
void ShellCheckReload();
// One pass of the main loop without an event. True when the audio stream's wait paced it;
// otherwise the caller waits for the next 60 Hz tick itself, unless Shell().fastForwarding:
// then the pass ran as many frames as fit in a tick, without sound, and the next comes at once.
// In slow motion every other pass holds the picture and plays its frame's sound on.
bool ShellFramePass();
void ShellShutdown();

// The settings that stay (settings.h). The file's are read before start-up and taken by
// ShellStart, except for what the command line chose for the run, which the caller passes
// to ShellStart instead and which is never written back. Whatever the user changes is
// written at once.
struct PlayerOptions;
struct Settings;
// The run's options: the command line's where it gave them, else the settings file's.
PlayerOptions ShellRunOptions(const PlayerOptions& options, const Settings& saved);
// The file's record for ShellStart, which says over the picture what the file could not give.
const Settings& ShellStartSettings();
void ShellSettingsCommand(uint32_t id);  // after each command: what it changed is kept
void ShellRememberCartridge(const std::string& path);  // a cartridge loaded: first in Recent
void ShellSetBindings(const Bindings& bindings);       // the Controls dialog's
void ShellSetDialogFolder(const std::string& folder);  // the file dialog's last folder

// The Video menu's aspect, scaling and filter: the settings file's at start, then the menu's.
const PictureLook& ShellPictureLook();
void ShellPictureStart(const PictureLook& saved);
bool ShellPictureCommand(uint32_t id);  // false: the id is none of the picture's commands
// The steps by line and back in time: false when the id is none of them. `ran` is told what
// a forward step returned, as the shell's own debugger commands are.
bool ShellStepCommand(uint32_t id, void (*ran)(DebugResult result));
Rect ShellPictureRect();  // where the picture goes now, in the window or screen

// The cassette recorder (shell_tape.cpp): a WAV file chosen for it (Insert's dialog, or
// --tape), the Tape menu's commands (false: not one of them), the recording kept after each
// pass of the loop (a fast pass's frames included), and finished at shutdown. Problems are
// said over the picture.
void ShellTapeChosen(const std::string& path, bool play);
bool ShellTapeCommand(uint32_t id);
void ShellTapePassEnded();
void ShellTapeShutdown();
// The SC-3000's keyboard (shell_keyboard.cpp): Keyboard mode, Paste, the on-screen keyboard's
// window and Machine > System; false: the id is none of them.
bool ShellKeyboardCommand(uint32_t id);
bool ShellScreenKeyboardShown();
void ShellKeyboardFrame();  // after PollInput: the SC-3000's keys held for the frame

// The machine's choices that apply from the next reset or load: the board (and the machine).
bool ShellMachineCommand(uint32_t id);  // false: the id is none of them

// How long a frame lasts when no sound card paces the loop: a sixtieth of a second in the
// simple behaviour (735 samples), the console's 59,736 cycles in the hardware one.
uint64_t ShellFrameNanoseconds();

}  // namespace plexaro
