// Where the console's 256x192 picture goes in the room a window or a screen gives it: its
// shape (the aspect), how it is scaled (to fit, or by whole multiples), and the words the
// settings file and the menus use for each choice. Plain arithmetic on rectangles in screen
// pixels; presentation draws into the rectangle, with the filter chosen.
//
//     Rect area{0, 19, 1280, 800};                  // below the menu bar
//     Rect picture = PictureRect(area, {AspectConsole, ScalingInteger, FilterSharp});
//     PictureSize size = PictureAtScale(2, AspectConsole);   // Size x 2: 585x384
#pragma once

#include <cstdint>
#include <string_view>

#include "host/shell/display.h"

namespace plexaro {

// A television showed the console's pixels wider than tall: the dot clock makes each about
// 8/7 of a line's height, so the whole picture is 32:21 rather than 4:3.
enum PictureAspect : uint32_t { AspectConsole, AspectSquare, AspectStretch, AspectCount };
// Integer: the lines are drawn whole multiples tall (the width follows the aspect), with
// borders round them; fit: as large as the room allows.
enum PictureScaling : uint32_t { ScalingFit, ScalingInteger, ScalingCount };
// Scanlines: the smooth picture with a dark band between the console's lines.
enum PictureFilter : uint32_t { FilterSharp, FilterSmooth, FilterScanlines, FilterCount };

struct PictureLook {
    uint32_t aspect = AspectSquare;
    uint32_t scaling = ScalingFit;
    uint32_t filter = FilterSharp;
    bool operator==(const PictureLook&) const = default;
};

struct PictureSize {
    int32_t width, height;
    bool operator==(const PictureSize&) const = default;
};

// The picture at `scale` times its lines, in the aspect's shape (stretch: square).
PictureSize PictureAtScale(uint32_t scale, uint32_t aspect);
// The most whole multiples of the picture's lines that fit in width x height with the
// aspect's width; 0 when not even one does.
uint32_t PictureIntegerScale(int32_t width, int32_t height, uint32_t aspect);
// The picture's rectangle, centred in area (its left and top pixel on the odd side). A room
// too small for integer scaling gets the fit; an empty room gives an empty rectangle.
Rect PictureRect(Rect area, const PictureLook& look);

// The settings file's words, and the menus' labels.
const char* PictureAspectName(uint32_t aspect);  // "console", "square", "stretch"
const char* PictureScalingName(uint32_t scaling);
const char* PictureFilterName(uint32_t filter);
uint32_t PictureAspectNamed(std::string_view name);  // AspectCount when none is
uint32_t PictureScalingNamed(std::string_view name);
uint32_t PictureFilterNamed(std::string_view name);
const char* PictureAspectLabel(uint32_t aspect);
const char* PictureScalingLabel(uint32_t scaling);
const char* PictureFilterLabel(uint32_t filter);

}  // namespace plexaro
