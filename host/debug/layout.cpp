// The debug windows' tiles: the panel beside the picture takes the tall windows one under
// another, the room under the picture the wide ones side by side, and a window the panel has
// no height left for goes under the picture too.
#include "host/debug/layout.h"

#include <SDL.h>
#include <imgui.h>

#include <algorithm>

#include "host/sdl/sdl_host.h"
#include "host/shell/shell.h"
#include "host/shell/window.h"

namespace plexaro {
namespace {

constexpr float Margin = 8;
constexpr float MinUnderHeight = 160;  // less under the picture: everything in the panel
constexpr float MinTileWidth = 400;    // a Problems or Memory row's width

// The height each window needs to show its controls without scrolling (at ImGui's default
// font), and the least it is given when the panel is crowded.
constexpr float Wanted[DebugWindowCount] = {540, 430, 280, 300, 300, 160, 110, 120, 300, 300};
constexpr float Least[DebugWindowCount] = {300, 240, 120, 160, 120, 110, 90, 90, 160, 160};

struct Tile {
    float x, y, w, h;
};

struct LayoutState {
    uint32_t mask;
    int width, height;
    bool retile;  // place every open window this frame
    Tile tiles[DebugWindowCount];
};

LayoutState layout = {};

float Sum(const float* values, const uint32_t* list, uint32_t count) {
    float sum = 0;
    for (uint32_t i = 0; i < count; ++i) sum += values[list[i]];
    return sum;
}

void Compute(uint32_t mask, int windowWidth, int windowHeight) {
    const Rect area = WindowPictureArea();
    const Rect picture = ShellPictureRect();
    const float right = static_cast<float>(windowWidth) - Margin;
    const float bottom = static_cast<float>(windowHeight) - Margin;
    const Tile panel = {static_cast<float>(area.right) + Margin,
                        static_cast<float>(area.top) + Margin,
                        std::max(right - static_cast<float>(area.right) - Margin, 160.0f),
                        std::max(bottom - static_cast<float>(area.top) - Margin, 200.0f)};
    Tile under = {Margin, static_cast<float>(picture.bottom) + Margin,
                  static_cast<float>(area.right) - 2 * Margin,
                  bottom - static_cast<float>(picture.bottom) - Margin};
    const bool roomUnder = under.h >= MinUnderHeight && under.w >= 200;

    uint32_t side[DebugWindowCount];
    uint32_t below[DebugWindowCount];
    uint32_t sideCount = 0;
    uint32_t belowCount = 0;
    for (uint32_t w = 0; w < DebugWindowCount; ++w) {
        if (!(mask & (1u << w))) continue;
        if (roomUnder && w == DebugProblems) {
            below[belowCount++] = w;
        } else {
            side[sideCount++] = w;
        }
    }
    // The panel's last windows go under the picture while the panel can't give each its least.
    while (roomUnder && sideCount > 1 && Sum(Least, side, sideCount) > panel.h) {
        below[belowCount++] = side[--sideCount];
    }
    // The panel, from the top: each window its wanted height as far as the least of those
    // after it allows (the CPU window first, whole, with its buttons and breakpoint field);
    // the last takes what remains.
    float y = panel.y;
    for (uint32_t i = 0; i < sideCount; ++i) {
        const float remaining = panel.y + panel.h - y;
        const float reserve = Sum(Least, side + i + 1, sideCount - i - 1);
        const float h = i + 1 == sideCount
                            ? remaining
                            : std::max(std::min(Wanted[side[i]], remaining - reserve),
                                       std::min(Least[side[i]], remaining));
        layout.tiles[side[i]] = {panel.x, y, panel.w, h - (i + 1 == sideCount ? 0 : Margin)};
        y += h;
    }
    // Under the picture, side by side where each keeps a readable width, else one above another;
    // with the panel empty, across it too.
    if (belowCount == 0) return;
    if (sideCount == 0) under.w = right - under.x;
    const float n = static_cast<float>(belowCount);
    const bool sideBySide = (under.w + Margin) / n - Margin >= MinTileWidth;
    const float w = sideBySide ? (under.w + Margin) / n : under.w + Margin;
    const float h = sideBySide ? under.h + Margin : (under.h + Margin) / n;
    for (uint32_t i = 0; i < belowCount; ++i) {
        const float at = static_cast<float>(i);
        layout.tiles[below[i]] = {under.x + (sideBySide ? w * at : 0),
                                  under.y + (sideBySide ? 0 : h * at), w - Margin, h - Margin};
    }
}

}  // namespace

void LayoutFrame(uint32_t openMask) {
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(HostWindow(), &width, &height);
    // A window just opened (or closed) and a new size both call for new tiles: the size is
    // known a frame after the panel opens, so the tiles follow it then.
    if (openMask != layout.mask || width != layout.width || height != layout.height) {
        layout.retile = true;
    }
    layout.mask = openMask;
    layout.width = width;
    layout.height = height;
    if (layout.retile) Compute(openMask, width, height);
}

void LayoutPlace(DebugWindow window) {
    // Opaque: a window over the picture or another must not show what is under it.
    ImGui::SetNextWindowBgAlpha(1.0f);
    if (!layout.retile) return;
    const Tile& t = layout.tiles[window];
    ImGui::SetNextWindowPos(ImVec2(t.x, t.y), ImGuiCond_Always);
    ImGui::SetNextWindowSize(ImVec2(t.w, t.h), ImGuiCond_Always);
}

void LayoutRetile() {
    layout.retile = true;
}

void LayoutFrameDone() {
    layout.retile = false;
}

}  // namespace plexaro
