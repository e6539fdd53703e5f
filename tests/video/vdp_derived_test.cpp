// The chip's derived data (tile colours and rows, the sprites covering each line, the
// collision answer) never goes stale: a random program of port writes, palette and behaviour
// switches and status reads draws the same pictures and statuses whether the derived data is
// kept or made again before every line.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tests/video/vdp_test_support.h"

namespace plexaro {
namespace {

using test::Control;
using test::Poke;
using test::SetRegister;

struct Random {
    uint32_t seed;
    uint32_t operator()(uint32_t range) {
        seed = seed * 1103515245 + 12345;
        return (seed >> 8) % range;
    }
};

// Y bytes that matter: on screen, sliding in at the top (the behaviours count a different
// range of bytes above the end marker as negative), the end marker.
uint8_t SpriteY(Random& random) {
    const uint32_t pick = random(24);
    if (pick == 0) return 0xD0;
    if (pick < 6) return static_cast<uint8_t>(0xD1 + random(47));
    return static_cast<uint8_t>(random(200));
}

// Graphics I or II with their tables, sprites of either size.
void SetUpScreen(Random& random) {
    SetRegister(0, random(2) ? 0x02 : 0x00);
    SetRegister(1, static_cast<uint8_t>(VdpDisplayEnable | (random(2) ? VdpSpriteSize16 : 0)));
    SetRegister(2, 0x0E);
    SetRegister(3, 0xFF);
    SetRegister(4, 0x03);
    SetRegister(5, 0x76);
    SetRegister(6, 0x03);
    SetRegister(7, static_cast<uint8_t>(random(256)));
    Control(0, 0x40);
    for (uint32_t i = 0; i < VramSize; ++i) VdpWriteData(static_cast<uint8_t>(random(256)));
    // Sparse sprite patterns, so that collisions come and go.
    for (uint32_t i = 0x1800; i < 0x2000; ++i)
        Poke(i, {random(16) ? uint8_t{0} : uint8_t(random(256))});
    for (uint32_t entry = 0; entry < 32; ++entry) Poke(0x3B00 + entry * 4, {SpriteY(random)});
}

// One change, mostly to what the derived data is made from: sprites, patterns, colours,
// the backdrop, the sprite size, the tables and the mode.
void Change(Random& random, bool vramOnly) {
    const uint32_t pick = random(20);
    if (vramOnly && pick >= 5 && pick < 12) {
        Poke(random(0x1800), {static_cast<uint8_t>(random(256))});  // a pattern
        return;
    }
    switch (pick) {
        case 0:
        case 1:
        case 2: Poke(0x3B00 + random(32) * 4, {SpriteY(random)}); break;
        case 3: Poke(0x3B00 + random(128), {static_cast<uint8_t>(random(256))}); break;
        case 4: Poke(0x1800 + random(0x800), {static_cast<uint8_t>(random(256))}); break;
        case 5: SetRegister(7, static_cast<uint8_t>(random(256))); break;
        case 6:
            SetRegister(1, static_cast<uint8_t>(VdpDisplayEnable | random(4)));  // sprite size
            break;
        case 7:
            if (random(2)) {
                SetRegister(5, random(2) ? 0x76 : 0x77);
            } else {
                SetRegister(6, random(2) ? 0x03 : 0x06);
            }
            break;
        case 8: VdpReadStatus(); break;
        case 9: SetRegister(0, random(2) ? 0x02 : 0x00); break;  // Graphics I or II
        case 10: {
            // 0x80 and 0x00 give both modes the same offsets, and mask the hardware's tables.
            constexpr uint8_t colourTables[] = {0xFF, 0x7F, 0x80};
            SetRegister(3, colourTables[random(3)]);
            break;
        }
        case 11: {
            constexpr uint8_t patternTables[] = {0x03, 0x07, 0x00};
            SetRegister(4, patternTables[random(3)]);
            break;
        }
        default: Poke(random(VramSize), {static_cast<uint8_t>(random(256))}); break;
    }
}

// Every line's status and every frame's pixels.
std::vector<uint16_t> Play(uint32_t seed, VideoBehaviour behaviour, bool rebuildEveryLine) {
    VdpSelectBehaviour(behaviour);
    VdpInit(256);
    Random random{seed};
    SetUpScreen(random);
    std::vector<uint16_t> seen;
    for (uint32_t frame = 0; frame < 12; ++frame) {
        if (random(3) == 0) VdpSelectPixelFormat(random(2));
        if (random(4) == 0) VdpSelectBehaviour(random(2) ? VideoHardware : VideoSimple);
        // Some frames change only vram, so that what is kept gets the time to settle.
        const bool vramOnly = random(2) == 0;
        for (uint32_t line = 0; line < VdpVisibleLines; ++line) {
            for (uint32_t n = random(3); n-- > 0;) Change(random, vramOnly);
            if (rebuildEveryLine) VdpRebuildDerived();
            VdpRenderLine(line);
            seen.push_back(VdpStatus());
        }
        const uint16_t* pixels = VdpGetFrameBuffer();
        seen.insert(seen.end(), pixels, pixels + VdpScreenWidth * VdpVisibleLines);
    }
    VdpRelease();
    VdpSelectBehaviour(VideoSimple);
    return seen;
}

TEST(VdpDerived, KeptOrMadeAgainEveryLineTheOutputIsTheSame) {
    for (VideoBehaviour behaviour : {VideoSimple, VideoHardware}) {
        for (uint32_t seed = 1; seed <= 20; ++seed) {
            EXPECT_TRUE(Play(seed, behaviour, false) == Play(seed, behaviour, true))
                << "seed " << seed << " behaviour " << behaviour;
        }
    }
}

// The one change the random programs hardly meet with tile rows still current: the same
// Graphics II screen read through the hardware behaviour's table masks and then without.
TEST(VdpDerived, BehaviourSwitchRereadsMaskedTables) {
    VdpSelectBehaviour(VideoHardware);
    VdpInit(256);
    Random random{7};
    SetUpScreen(random);
    SetRegister(0, 0x02);
    SetRegister(3, 0x80);  // colours masked to the first 64 bytes in hardware
    VdpRenderLine(0);
    VdpSelectBehaviour(VideoSimple);
    VdpRenderLine(0);
    const std::vector<uint16_t> kept = test::Row(0);
    VdpRebuildDerived();
    VdpRenderLine(0);
    EXPECT_TRUE(kept == test::Row(0));
    VdpRelease();
}

}  // namespace
}  // namespace plexaro
