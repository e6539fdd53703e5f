// The debug adapter protocol's framing: each message is a header block ("Content-Length: N",
// other header lines ignored, ended by an empty line, lines ended by CR LF) and N bytes of
// JSON. Bytes arrive in any pieces; TakeMessage hands out whole bodies as they complete.
//
//     WireReader reader{};
//     reader.pending.append(bytes, count);
//     std::string body, error;
//     while (TakeMessage(reader, body, error)) handle(body);
//     if (!error.empty()) give up: the stream is out of step
//     write(FrameMessage(reply));
#pragma once

#include <string>

namespace plexaro {

struct WireReader {
    std::string pending;  // received, not yet taken
};

inline constexpr size_t MaxWireMessage = 16u << 20;  // far above any request an editor sends

// True with `body` set when a whole message was waiting. False when none is complete yet, or
// (with `error` said) when the header is malformed or announces more than MaxWireMessage.
bool TakeMessage(WireReader& reader, std::string& body, std::string& error);
std::string FrameMessage(const std::string& body);

}  // namespace plexaro
