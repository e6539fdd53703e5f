// The checks' warnings in words.
#include "host/debug/problems.h"

#include <cinttypes>

#include "host/debug/cdb.h"
#include "host/debug/symbols.h"

namespace plexaro {
namespace {

constexpr const char* Advice[CheckKindCount] = {
    "During the active display of Graphics I and II, leave at least 29 cycles between two "
    "accesses to the data port (Multicolor 13, Text 12), or do large copies in the vertical "
    "blank or with the display off.",
    "Write a RAM variable before reading it, for example clear the RAM at start-up: the "
    "console's RAM holds noise at power-on.",
    "Something writes below the RAM: a pointer that is wrong or not yet set, or a table "
    "meant to be in RAM that the program placed in ROM.",
    "Set the stack pointer inside RAM before interrupts are enabled, and make sure calls and "
    "pushes cannot grow the stack below the RAM's start.",
    "The console shows only four sprites on a line; the others vanish there. Move sprites "
    "apart, or cycle their order each frame so they flicker instead of vanishing. A sprite "
    "table left at zero holds 32 sprites at the top of the screen: end the table with 0xD0 "
    "in the Y byte after the last sprite used.",
    "Read the status port (0xBF) in the frame interrupt's handler: until it is read the "
    "interrupt stays requested and the handler is entered again as soon as it returns.",
    "The stack grew down over the program's variables: calls and locals overwrite them. "
    "Move the stack higher (the top of RAM), or use fewer nested calls, smaller local arrays "
    "or no recursion on the way to the place named.",
    "The console has RAM only from 0xC000: this board has RAM below it, the console does "
    "not, so there the pushes would be lost. Use fewer nested calls or smaller locals on the "
    "way to the place named, or start the stack at the top of RAM.",
    "Interrupts were off for a whole frame with the frame interrupt enabled, and this `ei` "
    "found the frame flag still set: the handler runs at once, for a frame long past. Read "
    "the status port (0xBF) just before `ei`, or keep register 1's interrupt enable off "
    "while interrupts are off.",
};

}  // namespace

std::string CodeAddressText(uint16_t address) {
    char label[64] = "";
    char text[160];
    // The address first, so rows line up; the label after it when symbols name the place,
    // and the C line and function when SDCC's debug file does.
    int at = std::snprintf(text, sizeof text, "0x%04X", address);
    if (FormatSymbol(address, label, sizeof label) > 0) {
        at += std::snprintf(text + at, sizeof text - static_cast<size_t>(at), " %s", label);
    }
    SourcePlace place{};
    if (SourcePlaceAt(address, place)) {
        // The function is the label already, unless no label names the place.
        const bool named = label[0] != '\0' && at > 6;
        const char* function = place.function != nullptr && !named ? place.function : nullptr;
        std::snprintf(text + at, sizeof text - static_cast<size_t>(at), " (%s:%u%s%s)", place.file,
                      static_cast<unsigned>(place.line), function != nullptr ? " in " : "",
                      function != nullptr ? function : "");
    }
    return text;
}

std::string WarningPlace(const CheckWarning& warning) {
    return warning.located ? CodeAddressText(warning.pc) : "-";
}

std::string WarningDetail(const CheckWarning& warning) {
    char text[160] = "";
    switch (warning.kind) {
        case CheckVramTooFast:
            std::snprintf(text, sizeof text,
                          "%" PRIu32 " cycles after the last access, %" PRIu32 " needed",
                          warning.detail, warning.needed);
            break;
        case CheckUnwrittenRam:
        case CheckRomWrite:
            std::snprintf(text, sizeof text, "at %s",
                          CodeAddressText(static_cast<uint16_t>(warning.detail)).c_str());
            break;
        case CheckStackIntoData:
            // The end is the first address past them: no label names it.
            std::snprintf(text, sizeof text,
                          "SP down to 0x%04" PRIX32 ", below the variables' end at 0x%04" PRIX32,
                          warning.detail, warning.needed);
            break;
        case CheckStackBelowRam:
            std::snprintf(text, sizeof text, "SP down to 0x%04" PRIX32, warning.detail);
            break;
        case CheckStackOutsideRam:
            std::snprintf(text, sizeof text, "SP 0x%04" PRIX32, warning.detail);
            break;
        case CheckSpriteOverflow:
            std::snprintf(text, sizeof text,
                          "%" PRIu32 " sprites, sprite %" PRIu32 " the first dropped",
                          warning.detail, warning.needed);
            break;
        case CheckFrameIrqUnread:
            std::snprintf(text, sizeof text, "the place is its handler");
            break;
        default: break;
    }
    return text;
}

std::string WarningFirstSeen(const CheckWarning& warning) {
    char text[48];
    std::snprintf(text, sizeof text, "frame %" PRIu64 ", line %" PRIu32, warning.frame,
                  warning.line);
    return text;
}

const char* CheckAdvice(uint32_t kind) {
    return kind < CheckKindCount ? Advice[kind] : "";
}

bool WarningDataAddress(const CheckWarning& warning, uint16_t& address) {
    switch (warning.kind) {
        case CheckUnwrittenRam:
        case CheckRomWrite:
        case CheckStackOutsideRam:
        case CheckStackIntoData:
        case CheckStackBelowRam: address = static_cast<uint16_t>(warning.detail); return true;
        default: return false;
    }
}

void PrintWarnings(std::FILE* out) {
    const uint32_t count = ChecksWarningCount();
    if (count == 0) return;
    const uint64_t kept = [count] {
        uint64_t sum = 0;
        for (uint32_t i = 0; i < count; ++i) sum += ChecksWarning(i).count;
        return sum;
    }();
    const uint64_t occurrences = ChecksOccurrences();
    std::fprintf(out, "plexaro: %" PRIu32 " warning%s (%" PRIu64 " occurrence%s):\n", count,
                 count == 1 ? "" : "s", occurrences, occurrences == 1 ? "" : "s");
    for (uint32_t i = 0; i < count; ++i) {
        const CheckWarning w = ChecksWarning(i);
        const std::string detail = WarningDetail(w);
        std::fprintf(out, "  %s: %s%s%s; %" PRIu64 " time%s, first in %s\n",
                     WarningPlace(w).c_str(), CheckKindTitle(w.kind), detail.empty() ? "" : ": ",
                     detail.c_str(), w.count, w.count == 1 ? "" : "s", WarningFirstSeen(w).c_str());
    }
    if (ChecksOccurrences() > kept) {
        std::fprintf(out, "  (and %" PRIu64 " more at places past the first %" PRIu32 ")\n",
                     ChecksOccurrences() - kept, MaxCheckWarnings);
    }
}

}  // namespace plexaro
