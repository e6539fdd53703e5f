// The SC-3000's keyboard through the shell: Keyboard mode comes on by itself for a program
// the SC-3000 runs, and a paste types the clipboard's text one key at a time.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "host/shell/keyboard.h"
#include "host/shell/shell.h"
#include "machine/sc3000.h"
#include "machine/typing.h"
#include "tests/host/shell/shell_fakes.h"
#include "tests/machine/test_cartridges.h"

namespace plexaro {
namespace {

TEST(ShellKeyboard, ModeComesOnForTheSc3000AndAPasteIsTyped) {
    fake::Reset();
    SetKeyboardMode(false);  // as another test in this process may have left it
    ShellLoadFromCommandLine(testing::CartridgePath("keys"));
    ASSERT_TRUE(ShellStart(1, 0));
    for (int pass = 0; pass < 3; ++pass) ShellFramePass();
    EXPECT_EQ(CurrentMachine(), MachineSc3000);  // the probe writes the PPI at once
    EXPECT_TRUE(KeyboardModeOn());
    EXPECT_EQ(fake::window.notices.back(), "keyboard mode: Scroll Lock leaves it");
    ShellCommand(CommandKeyboardMode);
    EXPECT_FALSE(KeyboardModeOn());
    ShellFramePass();
    EXPECT_FALSE(KeyboardModeOn());  // once a program: turned off, it stays off

    ShellCommand(CommandPaste);
    EXPECT_EQ(fake::window.notices.back(), "nothing to paste: the clipboard holds no text");
    fake::window.clipboard = "A1";
    ShellCommand(CommandPaste);
    EXPECT_EQ(fake::window.notices.back(), "typing 2 bytes of text");
    std::vector<KeySet> held;
    for (uint32_t pass = 0; pass < 3 * TypingSlotFrames; ++pass) {
        ShellFramePass();
        held.push_back(KeysHeld());
    }
    // Each character's key for TypingHoldFrames frames of its slot, after the frame that would
    // hold SHIFT alone; nothing after the text.
    for (uint32_t frame = 0; frame < held.size(); ++frame) {
        const uint32_t slot = frame / TypingSlotFrames;
        const uint32_t inSlot = frame % TypingSlotFrames;
        const bool holding = inSlot >= 1 && inSlot <= TypingHoldFrames;
        const KeySet expected = !holding    ? 0
                                : slot == 0 ? KeyBit(KbA)
                                : slot == 1 ? KeyBit(Kb1)
                                            : 0;
        EXPECT_EQ(held[frame], expected) << "frame " << frame;
    }
    ShellShutdown();
}

}  // namespace
}  // namespace plexaro
