// Presentation on SDL: the work surface is a 256x192 streaming texture in the machine's
// pixel format, drawn with nearest-neighbour scaling into the window's picture area, or onto
// a 320x200 logical full screen that SDL letterboxes on the real one.
#include "host/shell/display.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>

#include "host/sdl/sdl_host.h"
#include "host/shell/window.h"
#include "video/vdp.h"

namespace plexaro {
namespace {

constexpr int WorkWidth = VdpScreenWidth;
constexpr int WorkHeight = VdpVisibleLines;

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
};

DisplayState display = {nullptr, nullptr, 0, 0, 1, 1};

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
    SDL_SetTextureScaleMode(display.workSurface, SDL_ScaleModeNearest);

    SDL_RendererInfo info{};
    SDL_GetRendererInfo(HostRenderer(), &info);
    if (display.screenCopy == nullptr && std::strcmp(info.name, "software") == 0) {
        const Uint32 format = SDL_GetWindowPixelFormat(HostWindow());
        display.screenCopy = SDL_CreateTexture(HostRenderer(), format, SDL_TEXTUREACCESS_TARGET,
                                               WorkWidth, WorkHeight);
        // Without it the picture is still right, only dearer to draw.
        if (display.screenCopy != nullptr) {
            SDL_SetTextureScaleMode(display.screenCopy, SDL_ScaleModeNearest);
        }
    }
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
    // Full screen draws on a 320x200 screen that SDL scales up, keeping its shape.
    const int logicalWidth = fullScreen ? FullScreenWidth : 0;
    const int logicalHeight = fullScreen ? FullScreenHeight : 0;
    if (SDL_RenderSetLogicalSize(renderer, logicalWidth, logicalHeight) != 0) {
        DisplayReportError("SDL_RenderSetLogicalSize", SDL_GetError());
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
    if (SDL_RenderCopy(renderer, source, nullptr, &to) != 0) {
        DisplayReportError("SDL_RenderCopy", SDL_GetError());
    }
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
