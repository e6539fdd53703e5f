// The Windows half of the byte channels (channel.h): the standard handles, which may be pipes
// (an editor starting the adapter), a console or a file, and Winsock for the loopback listener.
#include <winsock2.h>
#include <ws2tcpip.h>
// After winsock2.h, which must come first.
#include <windows.h>

#include <mutex>

#include "host/os/channel.h"
#include "host/os/os_windows.h"

namespace plexaro {
namespace {

std::once_flag winsockStarted;
bool winsockReady = false;
std::string winsockProblem;

std::string StartWinsock() {
    std::call_once(winsockStarted, [] {
        WSADATA data{};
        const int failed = WSAStartup(MAKEWORD(2, 2), &data);
        winsockReady = failed == 0;
        if (!winsockReady) winsockProblem = WindowsErrorText(static_cast<DWORD>(failed));
    });
    return winsockProblem;
}

HANDLE HandleOf(int64_t handle) {
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(handle));
}
SOCKET SocketOf(int64_t handle) {
    return static_cast<SOCKET>(handle);
}

// Sockets and the standard handles share the channel's fields; only a socket answers this
// (and there are none before Winsock starts).
bool IsSocket(int64_t handle) {
    if (handle < 0 || !winsockReady) return false;
    int type = 0;
    int length = sizeof type;
    return getsockopt(SocketOf(handle), SOL_SOCKET, SO_TYPE, reinterpret_cast<char*>(&type),
                      &length) == 0;
}

bool SocketReadable(SOCKET socket, int milliseconds) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(socket, &readable);
    timeval wait{milliseconds / 1000, (milliseconds % 1000) * 1000};
    return select(0, &readable, nullptr, nullptr, &wait) != 0;  // an error: the read says so
}

// A pipe says nothing when bytes arrive, so it is asked every millisecond or so until they
// do; a console handle is signalled by its input events.
bool HandleReadable(HANDLE handle, int milliseconds) {
    switch (GetFileType(handle)) {
        case FILE_TYPE_PIPE: {
            const ULONGLONG until = GetTickCount64() + static_cast<ULONGLONG>(milliseconds);
            for (;;) {
                DWORD waiting = 0;
                if (!PeekNamedPipe(handle, nullptr, 0, nullptr, &waiting, nullptr)) return true;
                if (waiting > 0) return true;
                if (GetTickCount64() >= until) return false;
                Sleep(1);
            }
        }
        case FILE_TYPE_CHAR:
            return WaitForSingleObject(handle, static_cast<DWORD>(milliseconds)) == WAIT_OBJECT_0;
        default: return true;  // a file: its bytes or its end are always there
    }
}

}  // namespace

ByteChannel StandardChannel() {
    const auto handle = [](DWORD which) {
        const HANDLE h = GetStdHandle(which);
        if (h == nullptr || h == INVALID_HANDLE_VALUE) return int64_t{-1};
        return static_cast<int64_t>(reinterpret_cast<intptr_t>(h));
    };
    return {handle(STD_INPUT_HANDLE), handle(STD_OUTPUT_HANDLE)};
}

std::string ListenLoopback(uint16_t port, Listener& listener) {
    listener = {-1, 0};
    if (std::string why = StartWinsock(); !why.empty()) return why;
    const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) return WindowsErrorText(static_cast<DWORD>(WSAGetLastError()));
    // Not SO_REUSEADDR: on Windows that lets another program take the port from under us.
    const BOOL exclusive = TRUE;
    setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive),
               sizeof exclusive);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(s, 1) != 0) {
        const std::string why = WindowsErrorText(static_cast<DWORD>(WSAGetLastError()));
        closesocket(s);
        return why;
    }
    int length = sizeof address;
    getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    listener = {static_cast<int64_t>(s), ntohs(address.sin_port)};
    return "";
}

std::string AcceptChannel(Listener& listener, ByteChannel& channel) {
    channel = {-1, -1};
    const SOCKET s = accept(SocketOf(listener.handle), nullptr, nullptr);
    if (s == INVALID_SOCKET) return WindowsErrorText(static_cast<DWORD>(WSAGetLastError()));
    channel = {static_cast<int64_t>(s), static_cast<int64_t>(s)};
    return "";
}

bool WaitClient(const Listener& listener, int milliseconds) {
    // A client waiting to be accepted makes the listening socket readable.
    return listener.handle >= 0 && SocketReadable(SocketOf(listener.handle), milliseconds);
}

void CloseListener(Listener& listener) {
    if (listener.handle >= 0) closesocket(SocketOf(listener.handle));
    listener.handle = -1;
}

void CloseChannel(ByteChannel& channel) {
    if (IsSocket(channel.in)) closesocket(SocketOf(channel.in));
    channel = {-1, -1};
}

bool WaitReadable(const ByteChannel& channel, int milliseconds) {
    if (channel.in < 0) return false;
    if (IsSocket(channel.in)) return SocketReadable(SocketOf(channel.in), milliseconds);
    return HandleReadable(HandleOf(channel.in), milliseconds);
}

int64_t ReadChannel(const ByteChannel& channel, void* buffer, size_t size) {
    const int most = size > 1 << 30 ? 1 << 30 : static_cast<int>(size);
    if (IsSocket(channel.in)) {
        const int got = recv(SocketOf(channel.in), static_cast<char*>(buffer), most, 0);
        return got == SOCKET_ERROR ? -1 : got;
    }
    DWORD got = 0;
    if (ReadFile(HandleOf(channel.in), buffer, static_cast<DWORD>(most), &got, nullptr)) return got;
    // The writer closing its end of a pipe is the end of the stream, not an error.
    return GetLastError() == ERROR_BROKEN_PIPE ? 0 : -1;
}

bool WriteChannel(const ByteChannel& channel, const void* bytes, size_t size) {
    const auto* at = static_cast<const char*>(bytes);
    const bool socket = IsSocket(channel.out);
    while (size > 0) {
        const int chunk = size > 1 << 30 ? 1 << 30 : static_cast<int>(size);
        int64_t put = 0;
        if (socket) {
            put = send(SocketOf(channel.out), at, chunk, 0);
            if (put == SOCKET_ERROR) return false;
        } else {
            DWORD wrote = 0;
            if (!WriteFile(HandleOf(channel.out), at, static_cast<DWORD>(chunk), &wrote, nullptr)) {
                return false;
            }
            put = wrote;
        }
        if (put <= 0) return false;
        at += put;
        size -= static_cast<size_t>(put);
    }
    return true;
}

}  // namespace plexaro
