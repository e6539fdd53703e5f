// The Machine menu's SC-3000 items: Keyboard mode, Paste, the on-screen keyboard and System.
#include <string>

#include "host/shell/input.h"
#include "host/shell/keyboard.h"
#include "host/shell/notices.h"
#include "host/shell/shell.h"
#include "host/shell/window.h"
#include "machine/sc3000.h"

namespace plexaro {
namespace {

bool screenKeyboard = false;

std::string ModeKeyName() {
    const char* name = KeyName(InputBindings().programKey[KeyKeyboardMode]);
    return name != nullptr ? name : "none";
}

void Paste() {
    const std::string text = WindowClipboardText();
    if (text.empty()) {
        ShellNotice("nothing to paste: the clipboard holds no text");
        return;
    }
    const size_t skipped = KeyboardPaste(text);
    std::string said = "typing " + std::to_string(text.size()) + " bytes of text";
    if (skipped != 0) said += " (" + std::to_string(skipped) + " characters have no key)";
    ShellNotice(said);
}

}  // namespace

bool ShellKeyboardCommand(uint32_t id) {
    switch (id) {
        case CommandKeyboardMode:
            SetKeyboardMode(!KeyboardModeOn());
            ShellNotice(KeyboardModeOn() ? "keyboard mode: " + ModeKeyName() + " leaves it"
                                         : "keyboard mode off");
            return true;
        case CommandPaste: Paste(); return true;
        case CommandScreenKeyboard:
            screenKeyboard = !screenKeyboard;
            if (!screenKeyboard) ScreenKeyboardHold(0);
            return true;
        default: break;
    }
    if (id < CommandSystemAuto || id >= CommandSystemAuto + MachineKindCount) return false;
    SelectMachine(id - CommandSystemAuto);
    ShellNotice(std::string("system ") + MachineName(id - CommandSystemAuto) +
                " from the next reset or load");
    return true;
}

void ShellKeyboardFrame() {
    if (KeyboardFrame(Shell().runningPath))
        ShellNotice("keyboard mode: " + ModeKeyName() + " leaves it");
}

bool ShellScreenKeyboardShown() {
    return screenKeyboard;
}

}  // namespace plexaro
