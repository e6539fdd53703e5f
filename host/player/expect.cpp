// Comparing the last frame with an expected picture, and the picture of the differences.
#include "host/player/expect.h"

#include <cstdlib>
#include <vector>

#include "host/media.h"
#include "video/vdp.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wunused-function"
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb/stb_image.h>
#pragma GCC diagnostic pop

namespace plexaro {
namespace {

constexpr int Width = VdpScreenWidth;
constexpr int Height = VdpVisibleLines;
constexpr size_t PixelCount = size_t{Width} * Height;

}  // namespace

std::string DiffPathFor(const std::string& expectedPath) {
    return expectedPath + ".diff.png";
}

PictureResult ComparePicture(const std::string& expectedPath, const uint8_t* rgb) {
    PictureResult result{false, false, static_cast<uint32_t>(PixelCount), false};
    int width = 0;
    int height = 0;
    int channels = 0;
    uint8_t* expected = stbi_load(expectedPath.c_str(), &width, &height, &channels, 3);
    result.readable = expected != nullptr;
    result.sameSize = result.readable && width == Width && height == Height;
    // The frame, dimmed to grey so the red marks stand out, red where the two differ.
    std::vector<uint8_t> diff(PixelCount * 3);
    if (result.sameSize) result.differing = 0;
    for (size_t i = 0; i < PixelCount; ++i) {
        const uint8_t* got = rgb + i * 3;
        const bool same = result.sameSize && got[0] == expected[i * 3] &&
                          got[1] == expected[i * 3 + 1] && got[2] == expected[i * 3 + 2];
        if (result.sameSize && !same) ++result.differing;
        const auto grey = static_cast<uint8_t>((got[0] + got[1] + got[2]) / 6);
        diff[i * 3] = same ? grey : 0xFF;
        diff[i * 3 + 1] = same ? grey : 0;
        diff[i * 3 + 2] = same ? grey : 0;
    }
    stbi_image_free(expected);
    if (result.differing > 0)
        result.diffWritten = WriteRgbPng(DiffPathFor(expectedPath), diff.data()).empty();
    return result;
}

}  // namespace plexaro
