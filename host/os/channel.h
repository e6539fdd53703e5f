// Byte channels for a wire protocol (the debug adapter): this process's standard input and
// output, or a TCP connection accepted on the loopback address. A port is one more
// implementation of this header (channel_posix.cpp, channel_windows.cpp). What can fail says why
// in words: an empty string means it went well.
//
//     ByteChannel channel = StandardChannel();
//     // or: Listener listener{}; ListenLoopback(4711, listener); AcceptChannel(listener, channel);
//     if (WaitReadable(channel, 16)) {
//         const int64_t got = ReadChannel(channel, buffer, sizeof buffer);  // 0: closed
//     }
//     WriteChannel(channel, text.data(), text.size());
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace plexaro {

struct ByteChannel {
    int64_t in;  // the system's handles, -1 for none
    int64_t out;
};
struct Listener {
    int64_t handle;  // -1 for none
    uint16_t port;   // the port listened on (the system's choice when 0 was asked)
};

ByteChannel StandardChannel();
// Listens on 127.0.0.1 only: a debugger is never reachable from another machine.
std::string ListenLoopback(uint16_t port, Listener& listener);
std::string AcceptChannel(Listener& listener, ByteChannel& channel);  // waits for one client
// Whether a client waits to be accepted, waiting at most `milliseconds` (0: a glance).
bool WaitClient(const Listener& listener, int milliseconds);
void CloseListener(Listener& listener);
void CloseChannel(ByteChannel& channel);  // the standard channel's handles stay open

// Whether bytes (or the end) wait to be read, waiting at most `milliseconds`.
bool WaitReadable(const ByteChannel& channel, int milliseconds);
// Bytes read, 0 at the end of the stream, -1 on an error.
int64_t ReadChannel(const ByteChannel& channel, void* buffer, size_t size);
// Writes all the bytes; false when the other side went away.
bool WriteChannel(const ByteChannel& channel, const void* bytes, size_t size);

}  // namespace plexaro
