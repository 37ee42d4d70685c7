// Raw HTTP exchanges with a server of ours on 127.0.0.1, from any address of
// the loopback range, for tests that need bytes no well-behaved client sends.
// Every wait is bounded; nothing here ever leaves the machine.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace tessaly::test {

// A connection from `from` (an address in 127.0.0.0/8) to 127.0.0.1:port; -1 when refused.
inline int connectLoopback(int port, const char *from = "127.0.0.1")
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in source{};
    source.sin_family = AF_INET;
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<uint16_t>(port));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd < 0 || ::inet_pton(AF_INET, from, &source.sin_addr) != 1 ||
        (ntohl(source.sin_addr.s_addr) >> 24) != 127 ||
        ::bind(fd, reinterpret_cast<sockaddr *>(&source), sizeof source) != 0 ||
        ::connect(fd, reinterpret_cast<sockaddr *>(&to), sizeof to) != 0) {
        if (fd >= 0)
            ::close(fd);
        return -1;
    }
    return fd;
}

inline void sendAll(int fd, const std::string &bytes)
{
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            break;
        sent += static_cast<size_t>(n);
    }
}

// What came back before the server closed or `timeoutMs` of silence.
inline std::string readReply(int fd, int timeoutMs = 3000)
{
    std::string reply;
    pollfd p{fd, POLLIN, 0};
    char buffer[4096];
    while (::poll(&p, 1, timeoutMs) > 0) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        reply.append(buffer, static_cast<size_t>(n));
    }
    return reply;
}

// Sends `bytes` on a new connection and returns the reply (empty when refused or closed at once).
inline std::string roundTrip(int port, const std::string &bytes, int timeoutMs = 3000, const char *from = "127.0.0.1")
{
    const int fd = connectLoopback(port, from);
    if (fd < 0)
        return {};
    sendAll(fd, bytes);
    std::string reply = readReply(fd, timeoutMs);
    ::close(fd);
    return reply;
}

// The status of a reply ("HTTP/1.1 404 Not Found" gives 404); 0 when there was none.
inline int statusOf(const std::string &reply)
{
    return reply.size() > 12 && reply.starts_with("HTTP/1.") ? std::stoi(reply.substr(9, 3)) : 0;
}

}  // namespace tessaly::test
