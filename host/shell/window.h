// The desktop program's window: the main loop, the window with its menu bar above the
// picture area, message boxes, the open-file dialog, and the posting of menu commands.
//
// This is what the shell asks of the window. The seam is at link time: the desktop program
// links host/sdl/window.cpp, which implements it on SDL and Dear ImGui, and the shell's tests
// link a fake of their own, so the shell's library never learns which it got.
#pragma once

#include <cstdint>
#include <string>

#include "host/shell/display.h"

namespace plexaro {

enum MessageKind : uint32_t { MessageWarning, MessagePlain };

// A modal box over the window; returns when the user has dismissed it.
void WindowShowMessage(const char* caption, const char* text, MessageKind kind);
// A modal question with a yes and a no; true for yes. No where no box can be shown.
bool WindowAsk(const char* caption, const char* text);
// Resizes the window so that its picture area is width x height (the menu bar sits above);
// a maximised window is restored first.
void WindowSetClientSize(int32_t width, int32_t height);
// The room the picture has now, in the window's coordinates: below the menu bar and left of
// the debug panel, or the whole screen in full screen.
Rect WindowPictureArea();
void WindowShowCursor(bool shown);
void WindowSetTitle(const char* title);
// A short line over the picture for two seconds, in the window and in full screen.
void WindowShowNotice(const char* text);
// Queues a menu command; the loop hands it to ShellCommand in a later pass.
void WindowPostCommand(uint32_t id);
// Opens "Select a file"; a choice reaches ShellFileChosen in a later pass, a cancel nothing.
void WindowOpenFileDialog();
// The same for a tape's WAV file; a choice reaches ShellTapeChosen.
void WindowOpenTapeDialog();
// The clipboard's text (UTF-8), empty when it holds none.
std::string WindowClipboardText();
// Draws the menu bar (windowed) or nothing over the picture drawn so far, and shows it.
void WindowFinishFrame(bool fullScreen);

}  // namespace plexaro
