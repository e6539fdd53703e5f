// Watchpoints parsed from text and written back, and hits as a line of text.
#include "host/debug/watches.h"

#include <cinttypes>
#include <cstdio>

#include "host/debug/cdb.h"
#include "host/debug/symbols.h"

namespace plexaro {
namespace {

struct KindName {
    std::string_view name;
    uint32_t kinds;
};
constexpr KindName Kinds[] = {{"r", WatchRead}, {"w", WatchWrite}, {"rw", WatchRead | WatchWrite},
                              {"in", WatchIn},  {"out", WatchOut}, {"io", WatchIn | WatchOut}};

bool ParseByte(std::string_view text, uint8_t& value) {
    uint16_t wide = 0;
    const bool hexNotation = text.starts_with("0x") || text.starts_with("0X") ||
                             text.starts_with('$') || text.ends_with('h') || text.ends_with('H');
    if (hexNotation) {
        if (!ParseAddress(text, wide)) return false;
    } else {
        if (text.empty() || text.size() > 3) return false;
        for (char c : text) {
            if (c < '0' || c > '9') return false;
            wide = static_cast<uint16_t>(wide * 10 + (c - '0'));
        }
    }
    if (wide > 0xFF) return false;
    value = static_cast<uint8_t>(wide);
    return true;
}

bool ParseRange(std::string_view where, uint16_t& first, uint16_t& last) {
    if (const size_t dots = where.find(".."); dots != std::string_view::npos) {
        return ParseAddress(where.substr(0, dots), first) &&
               ParseAddress(where.substr(dots + 2), last) && first <= last;
    }
    // FIRST-LAST, unless that reads as a symbol minus an offset.
    if (const size_t dash = where.rfind('-'); dash != std::string_view::npos && dash > 0) {
        uint16_t a = 0;
        uint16_t b = 0;
        if (ParseAddress(where.substr(0, dash), a) && ParseAddress(where.substr(dash + 1), b) &&
            a <= b) {
            first = a;
            last = b;
            return true;
        }
    }
    if (!ParseAddress(where, first)) return false;
    last = first;
    return true;
}

std::string Place(uint16_t address, bool port) {
    char text[SymbolTextSize + 16];
    if (port) {
        std::snprintf(text, sizeof text, "0x%02x", address);
        return text;
    }
    char name[SymbolTextSize];
    uint16_t offset = 0;
    if (SymbolFor(address, offset) != nullptr && offset == 0) {
        FormatSymbol(address, name, sizeof name);
        return name;
    }
    std::snprintf(text, sizeof text, "0x%04x", address);
    return text;
}

// The instructions a watch's @pc= names: a range, one address, or a function's label for
// all of the function.
bool ParsePcRange(std::string_view where, uint16_t& first, uint16_t& last) {
    if (!ParseRange(where, first, last)) return false;
    if (first != last || where.find_first_of("+-.") != std::string_view::npos) return true;
    for (uint32_t i = 0; i < LabelCount(); ++i) {
        const SymbolSpan span = LabelSpan(i);
        if (span.name != nullptr && span.first == first) last = span.last;
    }
    return true;
}

}  // namespace

bool ParseWatch(std::string_view text, Watchpoint& watch, std::string& error) {
    const std::string quoted = "'" + std::string(text) + "'";
    const size_t colon = text.find(':');
    if (colon == std::string_view::npos) {
        error = "a watch is KIND:WHERE[=VALUE][@pc=WHERE] (r, w, rw, in, out or io), not " + quoted;
        return false;
    }
    watch = {};
    std::string_view kind = text.substr(0, colon);
    if (kind.ends_with("16") && kind.size() > 2 && kind[0] != 'i' && kind[0] != 'o') {
        watch.width = 2;
        kind.remove_suffix(2);
    }
    for (const KindName& k : Kinds) {
        if (k.name == kind) watch.kinds = k.kinds;
    }
    if (watch.kinds == 0) {
        error = "a watch's kind is r, w, rw, in, out or io, not '" + std::string(kind) + "'";
        return false;
    }
    std::string_view where = text.substr(colon + 1);
    if (const size_t at = where.find("@pc="); at != std::string_view::npos) {
        if (!ParsePcRange(where.substr(at + 4), watch.pcFirst, watch.pcLast)) {
            error = "no instruction address, range or known symbol after @pc= in " + quoted;
            return false;
        }
        watch.pcFiltered = true;
        where = where.substr(0, at);
    }
    if (const size_t equals = where.find('='); equals != std::string_view::npos) {
        if (!ParseByte(where.substr(equals + 1), watch.value)) {
            error = "a watch's value is a byte (0x40, $40 or 64), in " + quoted;
            return false;
        }
        watch.matchValue = true;
        where = where.substr(0, equals);
    }
    if (!ParseRange(where, watch.first, watch.last)) {
        error = "no address, range or known symbol in " + quoted;
        return false;
    }
    if ((watch.kinds & (WatchIn | WatchOut)) && watch.last > 0xFF) {
        error = "ports are 0x00 to 0xff, in " + quoted;
        return false;
    }
    if (watch.width == 2) {
        if (watch.first != watch.last || watch.matchValue || watch.first == 0xFFFF) {
            error = "a 16-bit watch is one address with no =VALUE, in " + quoted;
            return false;
        }
        watch.last = watch.first + 1;
    }
    return true;
}

std::string DescribeWatchpoint(const Watchpoint& watch) {
    std::string text;
    for (const KindName& k : Kinds) {
        if (k.kinds == watch.kinds) text = k.name;
    }
    const bool port = (watch.kinds & (WatchIn | WatchOut)) != 0;
    if (watch.width == 2) text += "16";
    text += ":" + Place(watch.first, port);
    if (watch.last != watch.first && watch.width != 2) text += ".." + Place(watch.last, port);
    if (watch.matchValue) {
        char value[8];
        std::snprintf(value, sizeof value, "=0x%02x", watch.value);
        text += value;
    }
    if (watch.pcFiltered) {
        text += "@pc=" + Place(watch.pcFirst, false);
        if (watch.pcLast != watch.pcFirst) text += ".." + Place(watch.pcLast, false);
    }
    return text;
}

size_t FormatWideWatchHit(const WatchHit& hit, uint16_t before, uint16_t after, char* text,
                          size_t size) {
    char pc[SymbolTextSize];
    char address[SymbolTextSize];
    FormatSymbol(hit.pc, pc, sizeof pc);
    FormatSymbol(hit.address, address, sizeof address);
    const int written = std::snprintf(
        text, size,
        "frame %" PRIu64 " line %u: pc 0x%04x%s%s%s %s 0x%04x%s%s%s: 0x%04x -> 0x%04x (%u -> %u)",
        hit.position.frame, hit.position.line, hit.pc, pc[0] != '\0' ? " (" : "", pc,
        pc[0] != '\0' ? ")" : "", hit.kind == WatchRead ? "read" : "wrote", hit.address,
        address[0] != '\0' ? " (" : "", address, address[0] != '\0' ? ")" : "", before, after,
        before, after);
    if (written < 0 || size == 0) return 0;
    return static_cast<size_t>(written) < size ? static_cast<size_t>(written) : size - 1;
}

size_t FormatWatchHit(const WatchHit& hit, char* text, size_t size) {
    char pc[SymbolTextSize + SourcePlaceTextSize];
    char address[SymbolTextSize];
    // "_main+72 game.c:78" when SDCC's debug file names the C line
    const size_t named = FormatSymbol(hit.pc, pc, SymbolTextSize);
    char place[SourcePlaceTextSize];
    if (FormatSourcePlace(hit.pc, place, sizeof place) > 0) {
        std::snprintf(pc + named, sizeof pc - named, "%s%s", named > 0 ? " " : "", place);
    }
    int written = 0;
    const char* head = "frame %" PRIu64 " line %u: pc 0x%04x%s%s%s ";
    const char* open = pc[0] != '\0' ? " (" : "";
    const char* close = pc[0] != '\0' ? ")" : "";
    char prefix[160];
    std::snprintf(prefix, sizeof prefix, head, hit.position.frame, hit.position.line, hit.pc, open,
                  pc, close);
    if (hit.kind == WatchIn || hit.kind == WatchOut) {
        written = std::snprintf(text, size, "%s%s 0x%02x %s port 0x%02x", prefix,
                                hit.kind == WatchIn ? "in" : "out", hit.value,
                                hit.kind == WatchIn ? "from" : "to", hit.address);
    } else {
        FormatSymbol(hit.address, address, sizeof address);
        written =
            std::snprintf(text, size, "%s%s 0x%02x %s 0x%04x%s%s%s", prefix,
                          hit.kind == WatchRead ? "read" : "wrote", hit.value,
                          hit.kind == WatchRead ? "from" : "to", hit.address,
                          address[0] != '\0' ? " (" : "", address, address[0] != '\0' ? ")" : "");
    }
    if (written < 0 || size == 0) return 0;
    return static_cast<size_t>(written) < size ? static_cast<size_t>(written) : size - 1;
}

}  // namespace plexaro
