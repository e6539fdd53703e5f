// Presentation on SDL: the work surface is a 256x192 streaming texture in the machine's
// pixel format, scaled into the picture's rectangle of the window or of the desktop-sized full
// screen, by its nearest pixel (sharp) or between pixels (smooth); scanlines are bands of
// shade laid over the smooth picture.
#include "host/shell/display.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "host/sdl/sdl_host.h"
#include "host/shell/picture.h"
#include "host/shell/window.h"
#include "video/vdp.h"

namespace plexaro {
namespace {

constexpr int WorkWidth = VdpScreenWidth;
constexpr int WorkHeight = VdpVisibleLines;
// Scanlines are strips of shade laid across the picture, a screen row or a run of equal rows
// each, worked out again only when the picture's height changes; as fills they cost the
// software renderer a quarter of a blended texture. Up to an 8K screen's rows; below two rows a
// line there is no room for a band.
constexpr int MostRows = 4320;
constexpr int LeastRows = 2 * WorkHeight;
constexpr double BandFrom = 0.5;   // the dark band: the lower half of each line
constexpr double BandShade = 150;  // its darkness, as alpha over the picture (of 255)

struct Strip {
    int top, rows;  // from the picture's top
    Uint8 alpha;
};

struct DisplayState {
    SDL_Texture* workSurface;  // null: nothing is presented until the next DisplaySetMode
    // SDL's software renderer scales between pixel formats one pixel at a time through its
    // slowest path. There the frame is first converted at its own size into this texture of
    // the screen's format, whose scaled copy is a plain stretch: a tenth of the cost.
    SDL_Texture* screenCopy;
    int modeFlag;
    uint32_t rowStride;
    uint32_t rgbMode;         // the format frames come in
    uint32_t surfaceRgbMode;  // the format the work surface was made in
    uint32_t filter;          // a PictureFilter
    int stripsFor;            // the picture height the strips are for (0: none yet)
    int stripCount;
    Strip strips[MostRows];
};

DisplayState display = {nullptr, nullptr, 0, 0, 1, 1, FilterSharp, 0, 0, {}};

SDL_ScaleMode ScaleMode() {
    return display.filter == FilterSharp ? SDL_ScaleModeNearest : SDL_ScaleModeLinear;
}

void ApplyFilter() {
    if (display.workSurface != nullptr) SDL_SetTextureScaleMode(display.workSurface, ScaleMode());
    if (display.screenCopy != nullptr) SDL_SetTextureScaleMode(display.screenCopy, ScaleMode());
}

// How much of screen rows [from, to), in lines, lies in the dark bands.
double InBands(double from, double to) {
    const auto below = [](double at) {
        const double whole = std::floor(at);
        return whole * (1 - BandFrom) + std::max(at - whole - BandFrom, 0.0);
    };
    return below(to) - below(from);
}

// Each screen row's share of band, so that a picture of any height gets even lines, crisp
// where the rows per line are whole and softened between where they are not.
void MakeStrips(int rows) {
    const double linesPerRow = static_cast<double>(WorkHeight) / rows;
    display.stripCount = 0;
    for (int row = 0; row < rows; ++row) {
        const double share = InBands(row * linesPerRow, (row + 1) * linesPerRow) / linesPerRow;
        const auto alpha = static_cast<Uint8>(std::lround(share * BandShade));
        Strip* last = display.stripCount > 0 ? &display.strips[display.stripCount - 1] : nullptr;
        if (alpha == 0) continue;
        if (last != nullptr && last->alpha == alpha && last->top + last->rows == row) {
            ++last->rows;
        } else {
            display.strips[display.stripCount++] = {row, 1, alpha};
        }
    }
    display.stripsFor = rows;
}

void DrawScanlines(SDL_Renderer* renderer, const SDL_Rect& picture) {
    if (picture.h < LeastRows || picture.h > MostRows) return;
    if (picture.h != display.stripsFor) MakeStrips(picture.h);
    SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_BLEND);
    for (int i = 0; i < display.stripCount; ++i) {
        const Strip& strip = display.strips[i];
        SDL_SetRenderDrawColor(renderer, 0, 0, 0, strip.alpha);
        const SDL_Rect shade{picture.x, picture.y + strip.top, picture.w, strip.rows};
        SDL_RenderFillRect(renderer, &shade);
    }
    SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_NONE);
}

Uint32 TextureFormat(uint32_t rgbMode) {
    return rgbMode == 1 ? SDL_PIXELFORMAT_RGB565 : SDL_PIXELFORMAT_RGB555;
}

bool CreateWorkSurface() {
    if (display.workSurface != nullptr) SDL_DestroyTexture(display.workSurface);
    display.workSurface = SDL_CreateTexture(HostRenderer(), TextureFormat(display.rgbMode),
                                            SDL_TEXTUREACCESS_STREAMING, WorkWidth, WorkHeight);
    if (display.workSurface == nullptr) {
        DisplayReportError("SDL_CreateTexture", SDL_GetError());
        return false;
    }
    display.surfaceRgbMode = display.rgbMode;

    SDL_RendererInfo info{};
    SDL_GetRendererInfo(HostRenderer(), &info);
    if (display.screenCopy == nullptr && std::strcmp(info.name, "software") == 0) {
        // Without it the picture is still right, only dearer to draw. In the screen's own
        // format its smooth scaling is a plain stretch too.
        const Uint32 format = SDL_GetWindowPixelFormat(HostWindow());
        display.screenCopy = SDL_CreateTexture(HostRenderer(), format, SDL_TEXTUREACCESS_TARGET,
                                               WorkWidth, WorkHeight);
    }
    ApplyFilter();
    return true;
}

}  // namespace

int DisplaySetMode(int fullScreen) {
    if (fullScreen != display.modeFlag) {
        DisplayRelease();
        display.modeFlag = fullScreen;
    }
    SDL_Window* window = HostWindow();
    SDL_Renderer* renderer = HostRenderer();
    if (window == nullptr || renderer == nullptr) {
        DisplayReportError("SDL_CreateRenderer", "the window has no renderer");
        return 1;
    }
    if (SDL_SetWindowFullscreen(window, fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) {
        DisplayReportError("SDL_SetWindowFullscreen", SDL_GetError());
        return 1;
    }
    if (!CreateWorkSurface()) return 1;
    void* pixels = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(display.workSurface, nullptr, &pixels, &pitch) != 0) {
        DisplayReportError("SDL_LockTexture", SDL_GetError());
        return 1;
    }
    SDL_UnlockTexture(display.workSurface);
    display.rowStride = static_cast<uint32_t>(pitch) / sizeof(uint16_t);
    return 0;
}

uint32_t DisplayRowStride() {
    return display.rowStride;
}

void DisplaySelectPixelFormat(uint32_t rgbMode) {
    display.rgbMode = rgbMode == 1 ? 1 : 0;
}

void DisplaySelectFilter(uint32_t filter) {
    display.filter = filter < FilterCount ? filter : FilterSharp;
    ApplyFilter();
}

// Draws the frame into the renderer's back buffer; the window shows it with its menu.
// Without a work surface (after an error) the picture stays black under the menu bar.
void DisplayPresent(const uint16_t* frame, uint32_t rowStride, Rect dest) {
    SDL_Renderer* renderer = HostRenderer();
    if (renderer == nullptr) return;
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, SDL_ALPHA_OPAQUE);
    SDL_RenderClear(renderer);
    if (display.workSurface == nullptr) return;
    if (display.surfaceRgbMode != display.rgbMode && !CreateWorkSurface()) return;
    // The frame's own stride, whatever the surface's pitch: a copy never reads past it.
    if (SDL_UpdateTexture(display.workSurface, nullptr, frame,
                          static_cast<int>(rowStride * sizeof(uint16_t))) != 0) {
        DisplayReportError("SDL_UpdateTexture", SDL_GetError());
        return;
    }
    SDL_Texture* source = display.workSurface;
    if (display.screenCopy != nullptr && SDL_SetRenderTarget(renderer, display.screenCopy) == 0) {
        SDL_RenderCopy(renderer, display.workSurface, nullptr, nullptr);
        SDL_SetRenderTarget(renderer, nullptr);
        source = display.screenCopy;
    }
    const SDL_Rect to{dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top};
    if (to.w <= 0 || to.h <= 0) return;
    if (SDL_RenderCopy(renderer, source, nullptr, &to) != 0) {
        DisplayReportError("SDL_RenderCopy", SDL_GetError());
        return;
    }
    if (display.filter == FilterScanlines) DrawScanlines(renderer, to);
}

void DisplayPresentBlank(uint16_t colour, Rect) {
    SDL_Renderer* renderer = HostRenderer();
    if (renderer == nullptr) return;
    // Only colour 0 is ever asked for; it is black in both formats.
    const Uint8 level = colour == 0 ? 0 : 0xFF;
    SDL_SetRenderDrawColor(renderer, level, level, level, SDL_ALPHA_OPAQUE);
    SDL_RenderClear(renderer);
}

void DisplayRelease() {
    if (display.workSurface != nullptr) SDL_DestroyTexture(display.workSurface);
    if (display.screenCopy != nullptr) SDL_DestroyTexture(display.screenCopy);
    display.workSurface = nullptr;
    display.screenCopy = nullptr;
}

void DisplayReportError(const char* what, const char* reason) {
    char text[512];
    std::snprintf(text, sizeof text, "SDL Error %s: %s", what, reason);
    WindowShowMessage("Plexaro video error", text, MessageWarning);
    DisplayRelease();
}

}  // namespace plexaro
