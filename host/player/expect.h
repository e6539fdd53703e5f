// What a test run expects of its last frame: a picture, pixel for pixel. Where the frame
// differs, a copy of it with the differing pixels in red is written beside the picture.
#pragma once

#include <cstdint>
#include <string>

namespace plexaro {

struct PictureResult {
    bool readable;       // the expected picture could be read as a PNG
    bool sameSize;       // and is 256x192
    uint32_t differing;  // pixels that differ (all of them when the sizes differ)
    bool diffWritten;    // FILE.diff.png, when anything differs
};

// rgb: the frame's 256x192 RGB triples (FrameToRgb).
PictureResult ComparePicture(const std::string& expectedPath, const uint8_t* rgb);
std::string DiffPathFor(const std::string& expectedPath);  // FILE.diff.png

}  // namespace plexaro
