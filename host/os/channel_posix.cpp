// The POSIX half of the byte channels (channel.h): file descriptors, poll and BSD sockets.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "host/os/channel.h"

namespace plexaro {

ByteChannel StandardChannel() {
    // A client that goes away must end the session through a failed write, not a signal.
    ::signal(SIGPIPE, SIG_IGN);
    return {STDIN_FILENO, STDOUT_FILENO};
}

std::string ListenLoopback(uint16_t port, Listener& listener) {
    ::signal(SIGPIPE, SIG_IGN);
    listener = {-1, 0};
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return std::strerror(errno);
    const int yes = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, 1) != 0) {
        const std::string why = std::strerror(errno);
        ::close(fd);
        return why;
    }
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    listener = {fd, ntohs(address.sin_port)};
    return "";
}

std::string AcceptChannel(Listener& listener, ByteChannel& channel) {
    channel = {-1, -1};
    int fd = -1;
    do {
        fd = ::accept(static_cast<int>(listener.handle), nullptr, nullptr);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return std::strerror(errno);
    channel = {fd, fd};
    return "";
}

bool WaitClient(const Listener& listener, int milliseconds) {
    pollfd entry{static_cast<int>(listener.handle), POLLIN, 0};
    return ::poll(&entry, 1, milliseconds) > 0;
}

void CloseListener(Listener& listener) {
    if (listener.handle >= 0) ::close(static_cast<int>(listener.handle));
    listener.handle = -1;
}

void CloseChannel(ByteChannel& channel) {
    if (channel.in > STDERR_FILENO) ::close(static_cast<int>(channel.in));
    if (channel.out > STDERR_FILENO && channel.out != channel.in) {
        ::close(static_cast<int>(channel.out));
    }
    channel = {-1, -1};
}

bool WaitReadable(const ByteChannel& channel, int milliseconds) {
    pollfd entry{static_cast<int>(channel.in), POLLIN, 0};
    const int ready = ::poll(&entry, 1, milliseconds);
    return ready > 0;  // POLLHUP and POLLERR too: the read then says so
}

int64_t ReadChannel(const ByteChannel& channel, void* buffer, size_t size) {
    for (;;) {
        const ssize_t got = ::read(static_cast<int>(channel.in), buffer, size);
        if (got >= 0) return got;
        if (errno != EINTR) return -1;
    }
}

bool WriteChannel(const ByteChannel& channel, const void* bytes, size_t size) {
    const auto* at = static_cast<const char*>(bytes);
    while (size > 0) {
        const ssize_t put = ::write(static_cast<int>(channel.out), at, size);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        at += put;
        size -= static_cast<size_t>(put);
    }
    return true;
}

}  // namespace plexaro
