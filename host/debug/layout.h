// Where the debug windows go: tiled, opaque, never over one another, in the panel beside the
// picture and the room under it, so that all fit a 1280x800 screen. Dear ImGui 1.86 has no
// docking, so the tiles are worked out here from the program window's size.
//
// Tiles are laid again whenever the set of open windows or the window's size changes, or the
// Debug menu's "Tile windows" asks; in between, a window stays where the user drags it.
//
//     LayoutFrame(openMask);          // once a frame, before the windows
//     LayoutPlace(DebugCpu); ImGui::Begin("CPU", ...); ...
//     LayoutFrameDone();
#pragma once

#include <cstdint>

namespace plexaro {

// The debug windows, in the order they claim a tile.
enum DebugWindow : uint32_t {
    DebugCpu,
    DebugVideo,
    DebugWatch,
    DebugVariables,
    DebugProfiler,
    DebugSound,
    DebugFrameTime,
    DebugSymbols,
    DebugMemory,  // wide ones: under the picture where there is room
    DebugProblems,
    DebugWindowCount
};

void LayoutFrame(uint32_t openMask);   // bit n: DebugWindow n is open
void LayoutPlace(DebugWindow window);  // before its ImGui::Begin
void LayoutFrameDone();                // after the windows
void LayoutRetile();                   // "Tile windows"

}  // namespace plexaro
