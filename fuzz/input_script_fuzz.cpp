// Fuzz target: arbitrary input-script text through the headless player's parser, then the
// parsed script looked up frame by frame as the player does, and out of order.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "host/player/input_script.h"

namespace {

// The six JoypadButton bits of each player.
constexpr uint32_t AllControls = 0x3Fu | 0x3Fu << plexaro::ScriptPlayer2Shift;

void Check(const plexaro::FrameInput& input) {
    if (input.controls & ~AllControls) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace plexaro;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    InputScript script;
    uint32_t errorLine = 0;
    std::string error;
    if (!ParseInputScript(text, script, errorLine, error)) {
        // A failure names a line of the text and says what is wrong with it.
        if (errorLine == 0 || error.empty()) std::abort();
        return 0;
    }
    for (uint64_t frame = 0; frame < 64; ++frame) Check(ScriptInputForFrame(script, frame));
    // Every line's own frames, in the order the lines came: rising, with jumps back between
    // overlapping lines.
    for (const ScriptLine& line : script.lines) {
        if (line.last < line.first || line.controls & ~AllControls) std::abort();
        Check(ScriptInputForFrame(script, line.first));
        Check(ScriptInputForFrame(script, line.last));
        if (line.last != UINT64_MAX) Check(ScriptInputForFrame(script, line.last + 1));
    }
    Check(ScriptInputForFrame(script, UINT64_MAX));
    Check(ScriptInputForFrame(script, 0));
    return 0;
}
