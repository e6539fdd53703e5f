// The debug adapter's Content-Length framing.
#include "host/dap/wire.h"

#include <cctype>
#include <cstdint>
#include <string_view>

namespace plexaro {
namespace {

bool SameWord(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

}  // namespace

bool TakeMessage(WireReader& reader, std::string& body, std::string& error) {
    error.clear();
    const size_t end = reader.pending.find("\r\n\r\n");
    if (end == std::string::npos) {
        // A header never needs this much; a peer sending it is not speaking the protocol.
        if (reader.pending.size() > 4096) error = "no end of the message header";
        return false;
    }
    const std::string_view header(reader.pending.data(), end);
    uint64_t length = 0;
    bool found = false;
    size_t line = 0;
    while (line <= header.size()) {
        size_t next = header.find("\r\n", line);
        if (next == std::string_view::npos) next = header.size();
        const std::string_view text = header.substr(line, next - line);
        const size_t colon = text.find(':');
        if (colon != std::string_view::npos && SameWord(text.substr(0, colon), "Content-Length")) {
            std::string_view value = text.substr(colon + 1);
            while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
            while (!value.empty() && value.back() == ' ') value.remove_suffix(1);
            if (value.empty()) break;
            length = 0;
            found = true;
            for (const char c : value) {
                if (c < '0' || c > '9' || length > MaxWireMessage) {
                    found = false;
                    break;
                }
                length = length * 10 + static_cast<uint64_t>(c - '0');
            }
        }
        line = next + 2;
    }
    if (!found) {
        error = "a message header without a valid Content-Length";
        return false;
    }
    if (length > MaxWireMessage) {
        error = "a message longer than 16 MB";
        return false;
    }
    const size_t start = end + 4;
    if (reader.pending.size() - start < length) return false;
    body.assign(reader.pending, start, length);
    reader.pending.erase(0, start + length);
    return true;
}

std::string FrameMessage(const std::string& body) {
    return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

}  // namespace plexaro
