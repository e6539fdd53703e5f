// The desktop program on SDL: start-up, the window with its renderer and Dear ImGui, the
// main loop, and how SDL's events reach the shell. Each pass handles one waiting event, or
// else runs one frame; a 60 Hz display's vsync, the audio stream's wait or a 60 Hz clock
// paces the frames (frame_clock.cpp chooses).
#include "host/shell/window.h"

#include <SDL.h>
#include <imgui.h>
#include <imgui_impl_sdl.h>
#include <imgui_impl_sdlrenderer.h>
#include <imgui_internal.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "host/dap/window_session.h"
#include "host/sdl/desktop.h"
#include "host/sdl/frame_clock.h"
#include "host/sdl/sdl_host.h"
#include "host/shell/audio.h"
#include "host/shell/input.h"
#include "host/shell/notices.h"
#include "host/shell/run_ahead.h"
#include "host/shell/settings.h"
#include "host/shell/shell.h"

namespace plexaro {
namespace {

using Clock = std::chrono::steady_clock;
constexpr int StartWidth = 512;
constexpr int StartHeight = 384;
constexpr float FontPixels = 13.0f;
constexpr uint32_t HeldReleases = 16;
constexpr Clock::duration NoticeTime = std::chrono::seconds(2);
constexpr int RevealEdge = 2;  // full screen: pixels at the top that bring the menu bar down
// The smallest window: the picture at half its size still shows what is going on.
constexpr int SmallestWidth = 128;
constexpr int SmallestPictureHeight = 96;
constexpr Clock::duration ReloadCheckPeriod = std::chrono::seconds(1);  // live reload's look

enum UserEventCode : Sint32 { HoldOff = 0, HoldOn = 1, FileChosen = 2, TapeChosen = 3 };

struct WindowState {
    SDL_Window* window;
    SDL_Renderer* renderer;
    bool imgui;
    int menuBarHeight;
    int menuBarWidth;   // the menu titles' width: the window is never narrower
    bool menuRevealed;  // full screen shows the menu bar: the pointer went to the top
    char notice[128];   // the line over the picture, shown until noticeUntil
    Clock::time_point noticeUntil;
    Uint32 commandEvent;                  // carries a menu command id
    Uint32 shellEvent;                    // carries a UserEventCode
    bool holding;                         // a menu or the dialog was open at the last frame
    int32_t pictureWidth, pictureHeight;  // the picture area, below the menu bar
    int askedWidth, askedHeight;          // the window's size as last set here
    std::string chosenPath;
    bool pressedSinceFrame[SDL_NUM_SCANCODES];  // given to ImGui since its last frame
    SDL_Event heldReleases[HeldReleases];
    uint32_t heldReleaseCount;
    bool probePending;  // the window changed display or full screen: pacing is chosen again
    int lastFullScreen;
};

WindowState state = {};

// SDL starts its offscreen or dummy driver by itself when there is no screen; only a user
// who asks for one by name wants to play into the void.
bool StartVideo(std::string& reason) {
    const char* requested = SDL_getenv("SDL_VIDEODRIVER");
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        reason = SDL_GetError();
        return false;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    const bool invisible = driver != nullptr && (std::strcmp(driver, "offscreen") == 0 ||
                                                 std::strcmp(driver, "dummy") == 0);
    if (invisible && (requested == nullptr || *requested == 0)) {
        reason = std::string("SDL found no screen, only its '") + driver + "' driver";
        SDL_Quit();
        return false;
    }
    return true;
}

// GL drawn by the processor (llvmpipe and its kin: virtual machines, remote X, Xvfb) costs
// several times what SDL's own software renderer does for a picture this small, and holds
// 80 MB more.
bool DrawsOnTheProcessor(SDL_Renderer* renderer) {
    SDL_RendererInfo info{};
    if (SDL_GetRendererInfo(renderer, &info) != 0 || std::strncmp(info.name, "opengl", 6) != 0) {
        return false;
    }
    using GetString = const unsigned char* (*)(unsigned);
    const auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    constexpr unsigned GlRenderer = 0x1F01;
    const auto* name = getString != nullptr ? getString(GlRenderer) : nullptr;
    if (name == nullptr) return false;
    const char* text = reinterpret_cast<const char*>(name);
    return std::strstr(text, "llvmpipe") != nullptr || std::strstr(text, "softpipe") != nullptr ||
           std::strstr(text, "Software Rasterizer") != nullptr;
}

SDL_Renderer* CreateRenderer(SDL_Window* window) {
    SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_PRESENTVSYNC);
    const char* chosen = SDL_getenv("SDL_RENDER_DRIVER");
    if (renderer != nullptr && (chosen == nullptr || *chosen == 0) &&
        DrawsOnTheProcessor(renderer)) {
        SDL_DestroyRenderer(renderer);
        renderer = nullptr;
        // And the window's own pixels go straight to the X server, not through GL again.
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    }
    if (renderer == nullptr) renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
    return renderer;
}

bool OpenWindow() {
    state.commandEvent = SDL_RegisterEvents(2);
    if (state.commandEvent == static_cast<Uint32>(-1)) return false;
    state.shellEvent = state.commandEvent + 1;

    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;  // the program writes no files of its own
    ImGui::StyleColorsDark();
    ImFontConfig font;
    font.SizePixels = FontPixels;
    io.Fonts->AddFontDefault(&font);
    state.imgui = true;
    // The height of ImGui's main menu bar: one line of text and its padding.
    state.menuBarHeight = static_cast<int>(FontPixels + 2 * ImGui::GetStyle().FramePadding.y);

    state.pictureWidth = StartWidth;
    state.pictureHeight = StartHeight;
    state.askedWidth = StartWidth;
    state.askedHeight = StartHeight + state.menuBarHeight;
    state.window = SDL_CreateWindow(ProductName, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                    StartWidth, StartHeight + state.menuBarHeight,
                                    SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
    if (state.window == nullptr) return false;
    SDL_SetWindowMinimumSize(state.window, SmallestWidth,
                             state.menuBarHeight + SmallestPictureHeight);
    // Trying GL may make SDL create the window again under a new id; it is shown only once
    // it is the one that stays, so that nothing outside ever sees the first.
    state.renderer = CreateRenderer(state.window);
    if (state.renderer == nullptr) return false;
    ImGui_ImplSDL2_InitForSDLRenderer(state.window);
    ImGui_ImplSDLRenderer_Init(state.renderer);
    SDL_ShowWindow(state.window);
    return true;
}

void DestroyWindow() {
    DebugRelease();
    if (state.imgui) {
        if (state.renderer != nullptr) {
            ImGui_ImplSDLRenderer_Shutdown();
            ImGui_ImplSDL2_Shutdown();
        }
        ImGui::DestroyContext();
    }
    if (state.renderer != nullptr) SDL_DestroyRenderer(state.renderer);
    if (state.window != nullptr) SDL_DestroyWindow(state.window);
    state = {};
}

void PostShellEvent(Sint32 code) {
    SDL_Event event{};
    event.type = state.shellEvent;
    event.user.code = code;
    SDL_PushEvent(&event);
}

bool FullScreenNow() {
    return (SDL_GetWindowFlags(state.window) & SDL_WINDOW_FULLSCREEN) != 0;
}

bool Maximised() {
    return (SDL_GetWindowFlags(state.window) & SDL_WINDOW_MAXIMIZED) != 0;
}

// The picture's room in a window of this size. Beside the debug panel the picture keeps its
// width where the screen is too narrow for both (the panel's windows get what is left), and
// keeps to the top, as tall as its shape needs, leaving the rest to the debug windows below.
Rect AreaOfWindow(int width, int height) {
    const int panel = DebugPanelWidth();
    Rect area{0, state.menuBarHeight, std::max(width - panel, 0), std::max(height, 0)};
    if (panel > 0) {
        area.right = std::max(area.right, std::min(state.pictureWidth, width));
        PictureLook shaped = ShellPictureLook();
        if (shaped.aspect == AspectStretch) shaped.aspect = AspectSquare;
        const Rect picture = PictureRect(area, shaped);
        area.bottom = area.top + (picture.bottom - picture.top);
    }
    return area;
}

// The player resized the window: that is the picture's room from now on, kept when the debug
// panel opens or closes. Only the size the window has now counts: a change that an event
// reports late (leaving full screen) is already past. A maximised window's room lasts only
// while it is maximised: restored, it is the size it had.
void FollowResize(const SDL_WindowEvent& event) {
    if (FullScreenNow() || Maximised()) return;
    int width = 0, height = 0;
    SDL_GetWindowSize(state.window, &width, &height);
    if (event.data1 != width || event.data2 != height) return;
    if (width == state.askedWidth && height == state.askedHeight) return;
    const Rect area = AreaOfWindow(width, height);
    state.pictureWidth = std::max(area.right - area.left, 1);
    state.pictureHeight = std::max(area.bottom - area.top, 1);
}

void HandleWindowEvent(const SDL_WindowEvent& event) {
    switch (event.event) {
        case SDL_WINDOWEVENT_SIZE_CHANGED: FollowResize(event); break;
        case SDL_WINDOWEVENT_MINIMIZED: ShellMinimised(); break;
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_MAXIMIZED: ShellRestored(); break;
        case SDL_WINDOWEVENT_MOVED: ShellMoved(); break;
        case SDL_WINDOWEVENT_DISPLAY_CHANGED: state.probePending = true; break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            // Keys are only seen with the focus: one held as it left would stay down forever.
            InputReleaseKeys();
            break;
        case SDL_WINDOWEVENT_CLOSE: ShellShutdown(); break;
        default: break;
    }
}

// This ImGui reads keys as down or up once per frame, so a key pressed and released between
// two frames (Enter in the file dialog, tapped quickly) would never be seen. Such a release
// is held back until ImGui has drawn a frame with the key down.
void GiveToImGui(const SDL_Event& event) {
    const bool key = event.type == SDL_KEYDOWN || event.type == SDL_KEYUP;
    const uint32_t scancode = key ? static_cast<uint32_t>(event.key.keysym.scancode) : 0;
    if (key && scancode < SDL_NUM_SCANCODES) {
        if (event.type == SDL_KEYDOWN) {
            state.pressedSinceFrame[scancode] = true;
        } else if (state.pressedSinceFrame[scancode] && state.heldReleaseCount < HeldReleases) {
            state.heldReleases[state.heldReleaseCount++] = event;
            return;
        }
    }
    ImGui_ImplSDL2_ProcessEvent(&event);
}

void ReleaseHeldKeys() {
    for (uint32_t i = 0; i < state.heldReleaseCount; ++i) {
        ImGui_ImplSDL2_ProcessEvent(&state.heldReleases[i]);
    }
    state.heldReleaseCount = 0;
    std::memset(state.pressedSinceFrame, 0, sizeof state.pressedSinceFrame);
}

void HandleEvent(const SDL_Event& event) {
    // A key or button the Controls dialog is waiting for goes to it alone.
    if (ControlsDialogTakes(event)) return;
    // Full screen gives ImGui nothing while its menu bar is up out of sight.
    if (state.imgui && (!Shell().FullScreenMode || state.menuRevealed)) GiveToImGui(event);
    switch (event.type) {
        case SDL_QUIT: ShellShutdown(); return;
        case SDL_WINDOWEVENT: HandleWindowEvent(event.window); return;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            // Letters play for player 2, so while a debug window's text field has the
            // keyboard a key pressed types and does not play; a release always reaches the game.
            {
                const bool typing = state.imgui && ImGui::GetIO().WantTextInput;
                if (!Sc3000KeyEvent(event.key, typing)) {
                    if (!event.key.repeat && (event.type == SDL_KEYUP || !typing)) {
                        InputKeyEvent(KeyCodeFromScancode(event.key.keysym.scancode),
                                      event.type == SDL_KEYDOWN);
                    }
                    HandleProgramKey(event.key);
                }
            }
            // On the press: people and tools let go of Alt before Enter as often as after.
            if (event.type == SDL_KEYDOWN && !event.key.repeat &&
                event.key.keysym.sym == SDLK_RETURN && (event.key.keysym.mod & KMOD_ALT) != 0) {
                WindowPostCommand(CommandFullscreen);
            }
            // Escape leaves full screen too, unless it is closing a menu or the dialog there.
            if (event.type == SDL_KEYDOWN && !event.key.repeat &&
                event.key.keysym.scancode == SDL_SCANCODE_ESCAPE && Shell().FullScreenMode == 1 &&
                !state.holding) {
                WindowPostCommand(CommandFullscreen);
            }
            return;
        case SDL_DROPFILE:
            if (event.drop.file != nullptr) {
                ShellFileDropped(event.drop.file);
                SDL_free(event.drop.file);
            }
            return;
        case SDL_CONTROLLERDEVICEADDED:
        case SDL_CONTROLLERDEVICEREMOVED: ShellControllersChanged(); return;
        default: break;
    }
    if (event.type == state.commandEvent) {
        ShellCommand(static_cast<uint32_t>(event.user.code));
        MenuMapCommandHandled();
    } else if (event.type == state.shellEvent) {
        if (event.user.code == FileChosen) {
            ShellFileChosen(state.chosenPath);
        } else if (event.user.code == TapeChosen) {
            ShellTapeChosen(state.chosenPath, false);
        } else {
            ShellHold(event.user.code == HoldOn);
        }
    }
}

// A window that grows (the debug panel opened beside the picture, a larger size) stays
// inside the screen's usable area, frame included: it moves left and up as far as it needs.
// Where even that is not enough, the debug panel gets what room there is (its windows scroll),
// but the picture keeps its size. SDL places a window by its frame's corner on some desktops
// (X11 under a window manager, as seen here) and by the corner inside the frame on others, so
// the fit leaves room for the frame on both sides of that corner.
void FitOnScreen(int& width, int& height, int pictureHeight) {
    SDL_Rect usable{};
    const int display = SDL_GetWindowDisplayIndex(state.window);
    if (display < 0 || SDL_GetDisplayUsableBounds(display, &usable) != 0) return;
    int top = 0, left = 0, bottom = 0, right = 0;  // stay 0 where there is no frame to ask of
    SDL_GetWindowBordersSize(state.window, &top, &left, &bottom, &right);
    const int frameWidth = 2 * left + right;
    const int frameHeight = 2 * top + bottom;
    width = std::max(std::min(width, usable.w - frameWidth), state.pictureWidth);
    height = std::max(std::min(height, usable.h - frameHeight), pictureHeight);
    int x = 0, y = 0;
    SDL_GetWindowPosition(state.window, &x, &y);
    const int fitX =
        std::max(std::min(x, usable.x + usable.w - frameWidth + left - width), usable.x + left);
    const int fitY =
        std::max(std::min(y, usable.y + usable.h - frameHeight + top - height), usable.y + top);
    if (fitX != x || fitY != y) SDL_SetWindowPosition(state.window, fitX, fitY);
}

// Every menu stays within reach: at the smallest size the window is as wide as the menu bar,
// and the picture, at its own size, sits in the middle. The debug panel beside the picture
// already makes the window wide enough.
int PictureAreaWidth() {
    if (DebugPanelWidth() > 0) return state.pictureWidth;
    return std::max(state.pictureWidth, state.menuBarWidth);
}

// In full screen the menu bar comes down while the pointer is at the top edge, and stays
// while the pointer is on it or one of its menus (or the file dialog) is open.
bool MenuRevealed() {
    if (state.menuRevealed && state.holding) return true;
    if (SDL_GetMouseFocus() != state.window) return false;
    int y = 0;
    SDL_GetMouseState(nullptr, &y);
    return y < (state.menuRevealed ? state.menuBarHeight : RevealEdge);
}

}  // namespace

SDL_Window* HostWindow() {
    return state.window;
}

SDL_Renderer* HostRenderer() {
    return state.renderer;
}

int MenuBarHeight() {
    return state.menuBarHeight;
}

void PostFileChosen(const char* path) {
    state.chosenPath = path;
    PostShellEvent(FileChosen);
}

void PostTapeChosen(const char* path) {
    state.chosenPath = path;
    PostShellEvent(TapeChosen);
}

void WindowShowMessage(const char* caption, const char* text, MessageKind kind) {
    const Uint32 flags =
        kind == MessageWarning ? SDL_MESSAGEBOX_WARNING : SDL_MESSAGEBOX_INFORMATION;
    // Where no box can be shown (no dialog helper on this desktop), the words still reach
    // the user.
    if (SDL_ShowSimpleMessageBox(flags, caption, text, state.window) != 0) {
        std::fprintf(stderr, "plexaro: %s: %s\n", caption, text);
    }
}

bool WindowAsk(const char* caption, const char* text) {
    const SDL_MessageBoxButtonData buttons[] = {
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "Keep playing"},
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "Load"},
    };
    const SDL_MessageBoxData box = {
        SDL_MESSAGEBOX_WARNING, state.window, caption, text, 2, buttons, nullptr};
    int chosen = 0;
    if (SDL_ShowMessageBox(&box, &chosen) != 0) {
        std::fprintf(stderr, "plexaro: %s: %s (no box to ask in: not loaded)\n", caption, text);
        return false;
    }
    return chosen == 1;
}

void WindowSetClientSize(int32_t width, int32_t height) {
    if (state.window != nullptr && Maximised() && !FullScreenNow()) SDL_RestoreWindow(state.window);
    state.pictureWidth = width;
    state.pictureHeight = height;
    WindowRelayout();
}

void WindowRelayout() {
    // A maximised window keeps its size; the panel takes its room from the picture's.
    if (state.window == nullptr || (Maximised() && !FullScreenNow())) return;
    const int panel = DebugPanelWidth();
    const int pictureHeight = state.pictureHeight + state.menuBarHeight;
    int width = PictureAreaWidth() + panel;
    int height = panel > 0 && pictureHeight < DebugPanelHeight ? DebugPanelHeight : pictureHeight;
    // Full screen keeps its size; this is only the size it comes back to.
    if (!FullScreenNow()) FitOnScreen(width, height, pictureHeight);
    state.askedWidth = width;
    state.askedHeight = height;
    SDL_SetWindowSize(state.window, width, height);
}

Rect WindowPictureArea() {
    if (state.window == nullptr) return {};
    int width = 0, height = 0;
    SDL_GetWindowSize(state.window, &width, &height);
    if (Shell().FullScreenMode == 1) return {0, 0, width, height};
    return AreaOfWindow(width, height);
}

void WindowSetTitle(const char* title) {
    if (state.window != nullptr) SDL_SetWindowTitle(state.window, title);
}

void WindowShowCursor(bool shown) {
    SDL_ShowCursor(shown ? SDL_ENABLE : SDL_DISABLE);
}

void WindowPostCommand(uint32_t id) {
    MenuMapCommandPosted();
    SDL_Event event{};
    event.type = state.commandEvent;
    event.user.code = static_cast<Sint32>(id);
    SDL_PushEvent(&event);
}

void WindowShowNotice(const char* text) {
    std::snprintf(state.notice, sizeof state.notice, "%s", text);
    state.noticeUntil = Clock::now() + NoticeTime;
}

void WindowOpenFileDialog() {
    OpenFileDialog();
}

void WindowFinishFrame(bool fullScreen) {
    const bool revealed = fullScreen && MenuRevealed();
    const bool menus = !fullScreen || revealed;
    const bool notice = state.notice[0] != 0 && Clock::now() < state.noticeUntil;
    const SpeedMark mark = ShellSpeedMark();
    if (menus || notice || mark != MarkNone) {
        ImGui_ImplSDLRenderer_NewFrame();
        ImGui_ImplSDL2_NewFrame();
        // This backend reads the pointer only on clicks under X11, so menus would not open
        // on hover: take the position from SDL's own tracking instead.
        if (SDL_GetMouseFocus() == state.window) {
            int x = 0;
            int y = 0;
            SDL_GetMouseState(&x, &y);
            ImGui::GetIO().MousePos = ImVec2(static_cast<float>(x), static_cast<float>(y));
        }
        ImGui::NewFrame();
        bool holding = false;
        if (menus) {
            // A menu left open when full screen began was let go then: it does not come back.
            if (revealed && !state.menuRevealed) CloseMenus(false);
            ReleaseHeldKeys();
            int menuBarWidth = 0;
            holding = DrawMenuBar(&menuBarWidth);
            if (menuBarWidth != state.menuBarWidth) {
                state.menuBarWidth = menuBarWidth;
                WindowRelayout();
            }
            if (!fullScreen) DrawDebugWindows();
            holding = DrawFileDialog() || holding;
            holding = DrawControlsDialog() || holding;
            if (ShellScreenKeyboardShown()) DrawScreenKeyboard();
            if (!Shell().cartridgeLoaded && !fullScreen) DrawBlankHint();
        }
        if (notice) DrawNotice(state.notice, fullScreen);
        if (mark != MarkNone) DrawSpeedMark(mark, fullScreen);
        ImGui::Render();
        ImGui_ImplSDLRenderer_RenderDrawData(ImGui::GetDrawData());
        if (holding != state.holding) PostShellEvent(holding ? HoldOn : HoldOff);
        state.holding = holding;
    } else if (state.holding) {
        // Full screen draws no menu or dialog until the pointer reaches the top, so one left
        // open when it was entered (Alt+Enter reaches us with a menu open) must not go on
        // holding the frames.
        PostShellEvent(HoldOff);
        state.holding = false;
    }
    MenuMapFrameEnded(state.holding);
    if (fullScreen && revealed != state.menuRevealed) {
        SDL_ShowCursor(revealed ? SDL_ENABLE : SDL_DISABLE);
    }
    state.menuRevealed = revealed;
    SDL_RenderPresent(state.renderer);
}

int RunDesktop(const PlayerOptions& options) {
    FrameClockStart();
    const char* sound = "none";
    std::string reason;
    if (!StartVideo(reason)) {
        std::fprintf(stderr,
                     "plexaro: no display available (%s); run with --headless to play without "
                     "a window\n",
                     reason.c_str());
        return 1;
    }
    // No controller support is no reason not to play with the keyboard.
    SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER);
    // What the command line chose wins for this run; the rest comes from the settings file.
    const PlayerOptions run = ShellRunOptions(options, LoadSettings(SettingsPath()));
    ApplyMachineOptions(run);
    ShellSetSymbolFiles(options.symbolPaths);
    ShellLoadFromCommandLine(options.cartridgePath);
    if (!OpenWindow()) {
        std::fprintf(stderr, "plexaro: can't open the window (%s)\n", SDL_GetError());
        ShellShutdown();
        DestroyWindow();
        SDL_Quit();
        return 1;
    }
    // The command line's choice, else the settings file's (ShellRunOptions filled it in).
    if (run.audioLatencyMs != 0) AudioSetLatency(SoundLatencyFromMilliseconds(run.audioLatencyMs));
    RunAheadSetFrames(run.runAhead);
    ShellStart(run.rgbMode, run.videoHardware);
    std::string refused;
    const bool listening = options.dapPort < 0 || WindowDapListen(options, refused);
    if (!listening) {
        std::fprintf(stderr, "plexaro: --dap-port %d: %s\n", options.dapPort, refused.c_str());
        ShellShutdown();
    }
    if (!options.tapePath.empty()) ShellTapeChosen(options.tapePath, true);
    if (AudioPlaying() && SDL_GetCurrentAudioDriver() != nullptr) {
        sound = SDL_GetCurrentAudioDriver();
    }
    if (!Shell().quitting) FrameClockChoosePacing(state.renderer);
    state.lastFullScreen = Shell().FullScreenMode;
    Clock::time_point nextReloadCheck = Clock::now() + ReloadCheckPeriod;
    while (!Shell().quitting) {
        SDL_Event event;
        if (Clock::now() >= nextReloadCheck) {
            ShellCheckReload();
            nextReloadCheck = Clock::now() + ReloadCheckPeriod;
        }
        if (SDL_PollEvent(&event)) {
            HandleEvent(event);
        } else if (Shell().EmulationActive != 1) {
            SDL_WaitEventTimeout(nullptr, 100);  // minimised: nothing to do until it returns
        } else {
            // Another display, or full screen in or out, may have another refresh rate; the
            // sound stopped meanwhile starts again from silence.
            if (state.probePending || Shell().FullScreenMode != state.lastFullScreen) {
                state.probePending = false;
                state.lastFullScreen = Shell().FullScreenMode;
                FrameClockChoosePacing(state.renderer);
                ShellMoved();
            }
            const bool paced = ShellFramePass();
            ShellTapePassEnded();
            DebugRecordFrame(Shell().emulateMilliseconds, Shell().presentMilliseconds);
            FrameClockAfterPass(paced);
        }
        WindowDapPass();  // a glance at the debug adapter's socket: it never waits
    }
    WindowDapClose();
    ShellTapeShutdown();  // the recording in place before anything else can go wrong
    if (options.stats) FrameClockPrintStats(state.renderer, sound);
    const int status = listening ? Shell().exitStatus : 1;
    ShellShutdown();
    DestroyWindow();
    SDL_Quit();
    return status;
}

}  // namespace plexaro
