// Presentation: puts the console's 256x192 picture on the screen, scaled into a rectangle of
// the window or of the desktop-sized full screen (black round it), through a streaming
// texture in the machine's pixel format (RGB 565 or 555), so both formats show their true
// colours, drawn sharp, smooth or with scanlines.
//
//     DisplaySetMode(0);                        // windowed; 1 is full screen
//     InitMachine(DisplayRowStride());
//     DisplaySelectFilter(FilterScanlines);     // at any time
//     each frame: DisplayPresent(GetFrameBuffer(), stride, pictureRect);
//                 then the window draws its menu and shows the result
//
// Presentation does not wait for the screen's vertical blank: where the renderer can, it
// waits when the window shows the picture, and the audio stream or the window's clock paces
// the frames.
// After a reported error every operation but DisplaySetMode does nothing until the next
// successful DisplaySetMode. The seam is at link time: the program links host/sdl/display.cpp,
// the shell's tests a fake.
#pragma once

#include <cstdint>

namespace plexaro {

struct Rect {
    int32_t left, top, right, bottom;
    bool operator==(const Rect&) const = default;
};

int DisplaySetMode(int fullScreen);  // 0 ready, 1 failed (shown, everything released)
uint32_t DisplayRowStride();         // pixels per work surface row at the last set-up, else 0
void DisplaySelectPixelFormat(uint32_t rgbMode);  // 1: RGB 565, 0: RGB 555
void DisplaySelectFilter(uint32_t filter);        // a PictureFilter (picture.h)
// frame: 192 rows of rowStride pixels. dest: where the picture goes in the window (or the
// full screen), whose rest is colour 0.
void DisplayPresent(const uint16_t* frame, uint32_t rowStride, Rect dest);
void DisplayPresentBlank(uint16_t colour, Rect dest);
void DisplayRelease();
// Shows "Plexaro video error" naming what failed and why, then releases everything.
void DisplayReportError(const char* what, const char* reason);

}  // namespace plexaro
