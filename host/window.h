// The desktop program's window: the main loop, the window with its menu bar above the
// picture area, message boxes, the open-file dialog, and the posting of menu commands.
//
// RunDesktop is the program's entry when it is not headless. The rest is what the shell
// asks of the window; window_sdl.cpp implements it on SDL and Dear ImGui, and the tests link
// a fake.
#pragma once

#include <cstdint>

#include "host/display.h"
#include "host/options.h"

namespace plexaro {

enum MessageKind : uint32_t { MessageWarning, MessagePlain };

// Opens the window and plays until it is closed. Returns the process's exit status.
int RunDesktop(const PlayerOptions& options);

// A modal box over the window; returns when the user has dismissed it.
void WindowShowMessage(const char* caption, const char* text, MessageKind kind);
// Resizes the window so that its picture area is width x height (the menu bar sits above).
void WindowSetClientSize(int32_t width, int32_t height);
Rect WindowPictureRect();  // where the picture goes now, in the window's coordinates
void WindowShowCursor(bool shown);
void WindowSetTitle(const char* title);
// Queues a menu command; the loop hands it to ShellCommand in a later pass.
void WindowPostCommand(uint32_t id);
// Opens "Select a file"; a choice reaches ShellFileChosen in a later pass, a cancel nothing.
void WindowOpenFileDialog();
// Draws the menu bar (windowed) or nothing over the picture drawn so far, and shows it.
void WindowFinishFrame(bool fullScreen);

}  // namespace plexaro
