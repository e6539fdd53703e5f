// The picture's place in the room it is given: its shape, whole multiples or the fit, and
// the names of the choices.
#include "host/shell/picture.h"

#include <algorithm>

#include "video/vdp.h"

namespace plexaro {
namespace {

constexpr int32_t Width = VdpScreenWidth;
constexpr int32_t Height = VdpVisibleLines;

// The picture's width to its height: 256 pixels of 8/7 a line each over 192 lines is 32:21.
struct Shape {
    int64_t width, height;
};

Shape ShapeOf(uint32_t aspect) {
    if (aspect == AspectConsole) return {Width * 8, Height * 7};
    return {Width, Height};
}

// n / d to the nearest whole number, for positive n and d.
int32_t Rounded(int64_t n, int64_t d) {
    return static_cast<int32_t>((2 * n + d) / (2 * d));
}

constexpr const char* PictureAspectNames[AspectCount] = {"console", "square", "stretch"};
constexpr const char* PictureScalingNames[ScalingCount] = {"fit", "integer"};
constexpr const char* PictureFilterNames[FilterCount] = {"sharp", "smooth", "scanlines"};
constexpr const char* PictureAspectLabels[AspectCount] = {"Console (8:7 pixels, as on a TV)",
                                                          "Square pixels", "Stretch"};
constexpr const char* PictureScalingLabels[ScalingCount] = {"Fit", "Integer only"};
constexpr const char* PictureFilterLabels[FilterCount] = {"Sharp", "Smooth", "Scanlines"};

template <size_t N>
uint32_t Named(const char* const (&names)[N], std::string_view name) {
    return static_cast<uint32_t>(std::find(names, names + N, name) - names);
}

template <size_t N>
const char* Name(const char* const (&names)[N], uint32_t which) {
    return which < N ? names[which] : names[0];
}

// The largest picture of the shape that the room holds.
PictureSize Fit(int32_t width, int32_t height, uint32_t aspect) {
    if (aspect == AspectStretch) return {width, height};
    const Shape shape = ShapeOf(aspect);
    const int32_t across = Rounded(int64_t{height} * shape.width, shape.height);
    if (across <= width) return {std::max(across, 1), height};
    return {width, std::clamp(Rounded(int64_t{width} * shape.height, shape.width), 1, height)};
}

}  // namespace

PictureSize PictureAtScale(uint32_t scale, uint32_t aspect) {
    const auto lines = static_cast<int32_t>(scale) * Height;
    const Shape shape = ShapeOf(aspect);
    return {Rounded(int64_t{lines} * shape.width, shape.height), lines};
}

uint32_t PictureIntegerScale(int32_t width, int32_t height, uint32_t aspect) {
    for (int32_t scale = height / Height; scale > 0; --scale) {
        if (PictureAtScale(static_cast<uint32_t>(scale), aspect).width <= width) {
            return static_cast<uint32_t>(scale);
        }
    }
    return 0;
}

Rect PictureRect(Rect area, const PictureLook& look) {
    const int32_t width = area.right - area.left;
    const int32_t height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return {area.left, area.top, area.left, area.top};
    PictureSize size = Fit(width, height, look.aspect);
    if (look.scaling == ScalingInteger) {
        if (look.aspect == AspectStretch) {
            // Each way on its own: as many whole pixels across and down as the room holds.
            if (width >= Width && height >= Height) {
                size = {width / Width * Width, height / Height * Height};
            }
        } else if (const uint32_t scale = PictureIntegerScale(width, height, look.aspect)) {
            size = PictureAtScale(scale, look.aspect);
        }
    }
    const int32_t left = area.left + (width - size.width) / 2;
    const int32_t top = area.top + (height - size.height) / 2;
    return {left, top, left + size.width, top + size.height};
}

const char* PictureAspectName(uint32_t aspect) {
    return Name(PictureAspectNames, aspect);
}
const char* PictureScalingName(uint32_t scaling) {
    return Name(PictureScalingNames, scaling);
}
const char* PictureFilterName(uint32_t filter) {
    return Name(PictureFilterNames, filter);
}
uint32_t PictureAspectNamed(std::string_view name) {
    return Named(PictureAspectNames, name);
}
uint32_t PictureScalingNamed(std::string_view name) {
    return Named(PictureScalingNames, name);
}
uint32_t PictureFilterNamed(std::string_view name) {
    return Named(PictureFilterNames, name);
}
const char* PictureAspectLabel(uint32_t aspect) {
    return Name(PictureAspectLabels, aspect);
}
const char* PictureScalingLabel(uint32_t scaling) {
    return Name(PictureScalingLabels, scaling);
}
const char* PictureFilterLabel(uint32_t filter) {
    return Name(PictureFilterLabels, filter);
}

}  // namespace plexaro
