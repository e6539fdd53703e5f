// Small helpers that drive the video chip through its ports, as a console program would.
// The chip's own tests also look at its internal state and call its internal steps.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "video/vdp.h"
#include "video/vdp_state.h"

namespace plexaro::test {

inline void Control(uint8_t first, uint8_t second) {
    VdpWriteControl(first);
    VdpWriteControl(second);
}

inline void SetRegister(uint32_t number, uint8_t value) {
    Control(value, static_cast<uint8_t>(0x80 | number));
}

inline void Poke(uint32_t address, std::initializer_list<uint8_t> bytes) {
    Control(address & 0xFF, static_cast<uint8_t>(0x40 | address >> 8));
    for (uint8_t byte : bytes) VdpWriteData(byte);
}

inline void Fill(uint32_t address, uint32_t count, uint8_t byte) {
    Control(address & 0xFF, static_cast<uint8_t>(0x40 | address >> 8));
    for (uint32_t i = 0; i < count; ++i) VdpWriteData(byte);
}

inline uint16_t Colour(uint32_t number) {
    return VdpChipState().pixelPalette[number];
}

// One hex digit per pixel, each a colour number; a shorter text repeats to fill the row.
inline std::vector<uint16_t> Pixels(const std::string& colours) {
    std::vector<uint16_t> row(VdpScreenWidth);
    for (uint32_t x = 0; x < VdpScreenWidth; ++x) {
        row[x] = Colour(std::stoul(colours.substr(x % colours.size(), 1), nullptr, 16));
    }
    return row;
}

inline std::string Repeat(const std::string& text, uint32_t times) {
    std::string result;
    for (uint32_t i = 0; i < times; ++i) result += text;
    return result;
}

inline std::vector<uint16_t> Row(uint32_t line) {
    const uint16_t* start = VdpGetFrameBuffer() + line * VdpRowStride();
    return std::vector<uint16_t>(start, start + VdpScreenWidth);
}

}  // namespace plexaro::test
