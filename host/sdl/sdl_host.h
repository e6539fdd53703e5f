// What the SDL layers of the desktop program share: the one window and its renderer, made by
// the window layer and drawn into by presentation and the menus, and the ImGui parts that
// the window layer calls once per frame.
#pragma once

#include <SDL.h>

namespace plexaro {

SDL_Window* HostWindow();      // null before the window exists
SDL_Renderer* HostRenderer();  // null before the window exists
int MenuBarHeight();           // pixels above the picture area in windowed mode

// The menu bar, with its check marks from the shell's state; a chosen item is posted.
// Returns true while one of its menus is open; width is set to the pixels its titles take.
bool DrawMenuBar(int* width);
// Closes every open menu; nothing when none is open (ImGui asserts when asked to close more
// menus than are open, and Debian builds it with its assertions on).
void CloseMenus(bool restoreFocus);
// The menu map for tests (menu_map.cpp): commands counted as posted and as handled, and the
// frame's menus written out when PLEXARO_MENU_MAP names a file.
void MenuMapCommandPosted();
void MenuMapCommandHandled();
void MenuMapFrameEnded(bool holding);
// Over the picture: the hint of an empty window, and a notice (at the foot of the screen
// in full screen).
void DrawBlankHint();
void DrawNotice(const char* text, bool fullScreen);
// The mark of fast forward, slow motion, rewind or the emulation paused, in the picture's
// top right corner (the screen's in full screen).
void DrawSpeedMark(uint32_t mark, bool fullScreen);
// The open-file dialog, while open. Returns true while it is open.
bool DrawFileDialog();
void OpenFileDialog();
// The dialog's choice, handed to the shell in a later pass.
void PostFileChosen(const char* path);
void PostTapeChosen(const char* path);
// The Controls dialog, while open (returns true then: the game holds meanwhile). It takes
// the key and button presses it waits for before anything else sees them.
void OpenControlsDialog();
// The SC-3000's on-screen keyboard (Machine > On-screen keyboard): its keys lit while held,
// and held while the mouse presses them.
void DrawScreenKeyboard();
// A key event for the SC-3000 (screen_keyboard.cpp): Keyboard mode's keys, and Ctrl+Shift+V's
// paste. True when Keyboard mode took the key, which then goes nowhere else. `typing`: a debug
// window's text field has the keyboard, so a press types there instead.
bool Sc3000KeyEvent(const SDL_KeyboardEvent& key, bool typing);
bool DrawControlsDialog();
bool ControlsDialogTakes(const SDL_Event& event);  // true: the event was the dialog's
// Pause, rewind and the State menu's keys, as bound.
void HandleProgramKey(const SDL_KeyboardEvent& key);

// Our code for any key a control may be bound to; KeyCodeCount for others (Escape too).
uint32_t KeyCodeOfScancode(SDL_Scancode scancode);
// The same for keys the bindings use now; KeyCodeCount for keys the game ignores.
uint32_t KeyCodeFromScancode(SDL_Scancode scancode);

// The Debug menu and its windows, beside the picture in a panel that widens the window, which
// is then at least this tall where the screen has room.
inline constexpr int DebugPanelHeight = 760;
void DrawDebugMenu();
void DrawCpuWindow(bool* open);
void CpuWindowShow(uint16_t address);    // the listing at an address until PC moves
void DebugShowCpu(uint16_t address);     // the CPU window open, there
void DebugShowMemory(uint16_t address);  // the Memory window open, scrolled there
void DrawWatchWindow(bool* open);
void DrawProfilerWindow(bool* open);  // counts only while open
void DrawLoadSymbolsWindow(bool* open);
// The CPU window's C source and its steps by line, out and back (source_view.cpp), and the
// Variables window.
bool SourceViewWanted();  // C lines are known
void DrawSourceView(float height);
void DrawStepButtons();
void DrawVariablesWindow(bool* open);
// The checks run while the Problems window is open: opening starts them afresh.
void DrawProblemsWindow(bool* open);
void ProblemsWindowOpened();
void ProblemsWindowClosed();
void DrawDebugWindows();
int DebugPanelWidth();  // 0 while no debug window is open
void DebugRecordFrame(float emulateMilliseconds, float presentMilliseconds);
void DebugRelease();
// Sizes the window again for the picture and the debug panel.
void WindowRelayout();

}  // namespace plexaro
