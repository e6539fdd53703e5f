// The libretro core as a frontend meets it: how it describes itself and offers its options,
// the headless player's pictures and sound, duplicates and run-ahead's hidden frames, and the
// RetroPads and options as documented.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/libretro/core_fixture.h"

using namespace plexaro;
using namespace plexaro::test;

namespace {

TEST_F(CoreTest, DescribesItselfAsAFrontendExpects) {
    EXPECT_EQ(core_.apiVersion(), retro::ApiVersion);
    retro::SystemInfo info;
    core_.getSystemInfo(&info);
    EXPECT_STREQ(info.libraryName, "Plexaro");
    EXPECT_STREQ(info.validExtensions, "sg|sc");
    EXPECT_FALSE(info.needFullpath) << "the frontend reads the file (a zip in memory)";
    EXPECT_EQ(received.optionKeys,
              (std::vector<std::string>{"plexaro_video", "plexaro_power_on_ram", "plexaro_select",
                                        "plexaro_machine"}));
    EXPECT_EQ(received.optionsApi, 2u);
    EXPECT_EQ(received.controllers,
              (std::vector<std::vector<unsigned>>{{retro::DeviceJoypad}, {retro::DeviceJoypad}}))
        << "two ports, a joypad on each";

    Load("demo/demo.sg");
    retro::SystemAvInfo av;
    core_.getSystemAvInfo(&av);
    EXPECT_EQ(av.geometry.baseWidth, 256u);
    EXPECT_EQ(av.geometry.baseHeight, 192u);
    EXPECT_FLOAT_EQ(av.geometry.aspectRatio, 4.0f / 3.0f);
    EXPECT_EQ(av.timing.fps, 60.0);
    EXPECT_EQ(av.timing.sampleRate, 44100.0);
    EXPECT_EQ(received.pixelFormat, retro::PixelRgb565);
    EXPECT_EQ(received.inputs.size(), 16u) << "eight controls on each of two ports";
    EXPECT_EQ(core_.getRegion(), retro::RegionNtsc);

    Run(1);
    EXPECT_EQ(received.pictures, 1u) << "one picture per retro_run";
    EXPECT_EQ(received.left.size(), 735u);
}

// Each frontend gets the options in the newest API it knows. Version 2's call answering false
// (no categories) has taken them all the same: the older APIs are not tried after it.
TEST_F(CoreTest, OffersOptionsInTheNewestApiTheFrontendKnows) {
    const std::vector<std::string> keys = {"plexaro_video", "plexaro_power_on_ram",
                                           "plexaro_select", "plexaro_machine"};
    for (unsigned version : {2u, 1u, 0u}) {
        SCOPED_TRACE(version);
        Close(core_);
        traits.optionsVersion = version;
        traits.categories = false;
        optionValues.clear();
        Start();
        EXPECT_EQ(received.optionsApi, version);
        EXPECT_EQ(received.optionKeys, keys);
        if (version > 0) {
            EXPECT_EQ(optionValues["plexaro_select"], "reset") << "its default taken";
        }
    }
    ASSERT_EQ(received.variableTexts.size(), keys.size());
    EXPECT_EQ(received.variableTexts[0], "Video behaviour; simple|hardware");
    EXPECT_EQ(received.variableTexts[2], "Select button; reset|none");
}

TEST_F(CoreTest, GivesThePlayersPicturesAndSound) {
    for (const char* name :
         {"demo/demo.sg", "tests/busy.sg", "tests/sound.sg", "tests/mapper.sg", "tests/rom48.sg"}) {
        SCOPED_TRACE(name);
        Close(core_);
        Start();
        Load(name);
        Run(300);
        EXPECT_EQ(received.pictures, 300u);
        EXPECT_EQ(Output(), PlayerHashes(Cartridge(name), 300));
    }
}

// Without duplicates (a frontend that can't take them) and without bitmasks, the same run.
TEST_F(CoreTest, GivesTheSameRunToAFrontendWithoutDuplicatesOrBitmasks) {
    Close(core_);
    traits.canDupe = false;
    traits.bitmasks = false;
    Start();
    Load("demo/demo.sg");
    Run(300);
    EXPECT_EQ(received.duplicates, 0u);
    EXPECT_EQ(Output(), PlayerHashes(Cartridge("demo/demo.sg"), 300));
}

TEST_F(CoreTest, PassesAnUnchangedPictureAsADuplicate) {
    Load("demo/demo.sg");  // its title screen stands still
    Run(300);
    EXPECT_GT(received.duplicates, 100u);
}

// Run-ahead's way: a frame the frontend does not show, then back to the state before it and
// the same frame shown. That picture differs from the one on screen, so it is given whole.
TEST_F(CoreTest, NeverPassesAHiddenFramesPictureAsADuplicate) {
    Load("tests/busy.sg");  // a new picture every frame
    Run(10);
    std::vector<uint8_t> state(core_.serializeSize());
    ASSERT_TRUE(core_.serialize(state.data(), state.size()));
    traits.videoEnabled = false;
    Run(1);
    const std::vector<uint16_t> hidden = received.picture;
    traits.videoEnabled = true;
    ASSERT_TRUE(core_.unserialize(state.data(), state.size()));
    received.picture.clear();
    const uint32_t before = received.duplicates;
    Run(1);
    EXPECT_EQ(received.duplicates, before);
    EXPECT_EQ(received.picture, hidden);
}

// The RetroPads as documented: D-pad, B button 1, A button 2, Start the pause button (once a
// press), Select reset (once a press), player 2 on the second port; against the player's
// script of the same presses.
TEST_F(CoreTest, MapsTheRetroPadsAsTheInfoFileSays) {
    const char* script =
        "60 button1\n"
        "100-160 right p2-left\n"
        "130-150 button2 p2-button1\n"
        "170-190 down p2-up\n"
        "200 pause\n"
        "230 pause\n"
        "240-250 left up\n"
        "260 reset\n"
        "280-299 button1\n";
    Load("demo/demo.sg");
    Run(300, 0, [](int f) {
        pads[0] = pads[1] = 0;
        if (f == 60 || (f >= 280 && f <= 299)) pads[0] |= Bit(retro::JoypadB);
        if (f >= 100 && f <= 160) {
            pads[0] |= Bit(retro::JoypadRight);
            pads[1] |= Bit(retro::JoypadLeft);
        }
        if (f >= 130 && f <= 150) {
            pads[0] |= Bit(retro::JoypadA);
            pads[1] |= Bit(retro::JoypadB);
        }
        if (f >= 170 && f <= 190) {
            pads[0] |= Bit(retro::JoypadDown);
            pads[1] |= Bit(retro::JoypadUp);
        }
        if (f >= 200 && f <= 205) pads[0] |= Bit(retro::JoypadStart);  // held: one press
        if (f == 230) pads[1] |= Bit(retro::JoypadStart);              // either pad's Start
        if (f >= 240 && f <= 250) pads[0] |= Bit(retro::JoypadLeft) | Bit(retro::JoypadUp);
        if (f >= 260 && f <= 263) pads[0] |= Bit(retro::JoypadSelect);
    });
    EXPECT_EQ(Output(), PlayerHashes(Cartridge("demo/demo.sg"), 300, script));
}

TEST_F(CoreTest, FollowsTheVideoBehaviourOptionFromTheNextReset) {
    optionValues["plexaro_video"] = "hardware";
    Load("demo/demo.sg");
    retro::SystemAvInfo av;
    core_.getSystemAvInfo(&av);
    EXPECT_NEAR(av.timing.fps, 59.92, 0.01);
    EXPECT_EQ(core_.getMemorySize(retro::MemorySystemRam), 0x400u) << "the console's 1 KB";
    Run(300);
    EXPECT_EQ(Output(), PlayerHashes(Cartridge("demo/demo.sg"), 300, "", {"--video", "hardware"}));

    optionValues["plexaro_video"] = "simple";
    optionsChanged = true;
    received.avInfoChanged = false;
    core_.reset();
    Run(1);
    EXPECT_TRUE(received.avInfoChanged) << "the frontend hears of the new frame rate";
    EXPECT_EQ(received.avInfo.timing.fps, 60.0);
    EXPECT_EQ(core_.getMemorySize(retro::MemorySystemRam), 0x4000u);
    EXPECT_EQ(CheatMemory().Size(), 0x8000u) << "and of the RAM laid out anew";
}

// With the "Select button" option at none, Select changes nothing: the run is the player's
// without a reset. (The default, reset, is in MapsTheRetroPadsAsTheInfoFileSays.)
TEST_F(CoreTest, SelectDoesNothingWhenTheOptionSaysNone) {
    optionValues["plexaro_select"] = "none";
    Load("demo/demo.sg");
    Run(200, 0, [](int f) {
        pads[0] = f == 60 ? Bit(retro::JoypadB) : 0;
        if (f >= 100 && f <= 103) pads[0] |= Bit(retro::JoypadSelect);
        pads[1] = f == 150 ? Bit(retro::JoypadSelect) : 0;
    });
    EXPECT_EQ(Output(), PlayerHashes(Cartridge("demo/demo.sg"), 200, "60 button1\n"));
}

}  // namespace
