// A game's own debug messages: `ld d,d` (0x52, which changes nothing) followed by `jr n` over
// n bytes that hold a NUL-ended text. On the console the jump skips the text, so the sequence
// costs 16 cycles and does nothing; under the debug adapter the text goes to the client's
// debug console. The check runs before each instruction while a session runs, and keeps the
// texts in a fixed ring so that the frame loop allocates nothing; they are sent between frames.
#include "cpu/z80.h"
#include "host/dap/session.h"
#include "machine/board.h"
#include "machine/debugger.h"

namespace plexaro {
namespace {

constexpr uint8_t LdDD = 0x52;
constexpr uint8_t JrOpcode = 0x18;
constexpr uint32_t MessageRoom = 128;  // a jr reaches 127 bytes ahead
constexpr uint32_t RingSize = 64;      // more in one frame are counted, not kept

struct MessageRing {
    char texts[RingSize][MessageRoom];
    uint32_t count;
    uint64_t dropped;
};
MessageRing ring;

void Check(const DebugPosition&) {
    const uint32_t pc = z80::GetRegister(z80::RegPC);
    if (PeekConsole(pc) != LdDD || PeekConsole((pc + 1) & 0xFFFF) != JrOpcode) return;
    const uint32_t length = PeekConsole((pc + 2) & 0xFFFF);
    if (length == 0 || length >= 0x80) return;  // a jump back or nowhere holds no text
    if (ring.count == RingSize) {
        ++ring.dropped;
        return;
    }
    char* text = ring.texts[ring.count];
    for (uint32_t i = 0; i < length; ++i) {
        text[i] = static_cast<char>(PeekConsole((pc + 3 + i) & 0xFFFF));
        if (text[i] == '\0') {
            ++ring.count;
            return;
        }
    }
    // No NUL within the bytes jumped over: not a message, whatever else it is.
}

}  // namespace

void WatchGameMessages(bool on) {
    ring.count = 0;
    ring.dropped = 0;
    DebuggerSetTraceHook(on ? Check : nullptr);
}

void SendGameMessages() {
    for (uint32_t i = 0; i < ring.count; ++i) {
        std::string text = ring.texts[i];
        if (text.empty() || text.back() != '\n') text += '\n';
        SendOutput(text, "stdout");
    }
    if (ring.dropped > 0) {
        SendOutput("(" + std::to_string(ring.dropped) + " more messages in that frame not shown)\n",
                   "stderr");
    }
    ring.count = 0;
    ring.dropped = 0;
}

}  // namespace plexaro
