#include "platform/socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace platform {

namespace {

bool wouldBlock(int err) { return err == EAGAIN || err == EWOULDBLOCK; }

// Resolves host to its IPv4 addresses, in the resolver's order.
std::vector<sockaddr_in> resolve(const std::string& host, uint16_t port) {
    std::vector<sockaddr_in> out;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &list) != 0 || !list) return out;
    for (addrinfo* a = list; a; a = a->ai_next) {
        if (a->ai_family != AF_INET || a->ai_addrlen < sizeof(sockaddr_in)) continue;
        sockaddr_in addr;
        std::memcpy(&addr, a->ai_addr, sizeof addr);
        addr.sin_port = htons(port);
        out.push_back(addr);
    }
    freeaddrinfo(list);
    return out;
}

// One non-blocking connect attempt, waited for at most timeoutMs.
bool connectOne(SocketHandle s, const sockaddr_in& addr, int timeoutMs) {
    int rc;
    do {
        rc = ::connect(s, reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
    } while (rc != 0 && errno == EINTR);
    if (rc == 0) return true;
    if (errno != EINPROGRESS) return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() < 0) return false;
        pollfd p{s, POLLOUT, 0};
        rc = ::poll(&p, 1, static_cast<int>(left.count()));
        if (rc < 0 && errno == EINTR) continue;
        if (rc <= 0) return false;
        int err = 0;
        socklen_t len = sizeof err;
        if (getsockopt(s, SOL_SOCKET, SO_ERROR, &err, &len) != 0) return false;
        return err == 0;
    }
}

}  // namespace

SocketHandle socketCreate() {
    const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    return s < 0 ? kInvalidSocket : s;
}

int socketClose(SocketHandle s) {
    if (s == kInvalidSocket) return 0;
    return ::close(s) == 0 ? 0 : -1;
}

void socketShutdown(SocketHandle s) {
    if (s != kInvalidSocket) ::shutdown(s, SHUT_RDWR);
}

bool socketSetNonBlocking(SocketHandle s, bool on) {
    const int flags = ::fcntl(s, F_GETFL, 0);
    if (flags < 0) return false;
    return ::fcntl(s, F_SETFL, on ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK)) == 0;
}

bool socketBind(SocketHandle s, const std::string& host, uint16_t port) {
    if (s == kInvalidSocket) return false;
    const int one = 1;
    ::setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_ANY);
    if (!host.empty()) {
        const auto list = resolve(host, port);
        if (list.empty()) return false;
        addr = list.front();
    }
    return ::bind(s, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0;
}

bool socketListen(SocketHandle s, int backlog) { return s != kInvalidSocket && ::listen(s, backlog) == 0; }

SocketHandle socketAccept(SocketHandle s) {
    if (s == kInvalidSocket) return kInvalidSocket;
    sockaddr_in addr{};
    socklen_t len = sizeof addr;
    const int c = ::accept4(s, reinterpret_cast<sockaddr*>(&addr), &len, SOCK_CLOEXEC);
    return c < 0 ? kInvalidSocket : c;
}

bool socketConnect(SocketHandle s, const std::string& host, uint16_t port, int timeoutMs) {
    if (s == kInvalidSocket || !socketSetNonBlocking(s, true)) return false;
    for (const sockaddr_in& addr : resolve(host, port)) {
        if (connectOne(s, addr, timeoutMs)) {
            const int one = 1;
            ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            return true;
        }
    }
    return false;
}

int socketSend(SocketHandle s, const void* data, size_t size) {
    if (s == kInvalidSocket) return kSocketError;
    for (;;) {
        const ssize_t n = ::send(s, data, size, MSG_NOSIGNAL);
        if (n >= 0) return static_cast<int>(n);
        if (errno == EINTR) continue;
        return wouldBlock(errno) ? kSocketWouldBlock : kSocketError;
    }
}

int socketRecv(SocketHandle s, void* data, size_t size) {
    if (s == kInvalidSocket) return kSocketError;
    for (;;) {
        const ssize_t n = ::recv(s, data, size, 0);
        if (n >= 0) return static_cast<int>(n);
        if (errno == EINTR) continue;
        return wouldBlock(errno) ? kSocketWouldBlock : kSocketError;
    }
}

int socketPollRead(const std::vector<SocketHandle>& handles, std::vector<bool>& readable, int timeoutMs) {
    std::vector<pollfd> fds;
    fds.reserve(handles.size());
    for (SocketHandle h : handles) fds.push_back(pollfd{h, POLLIN, 0});
    readable.assign(handles.size(), false);
    int rc;
    do {
        rc = ::poll(fds.data(), fds.size(), timeoutMs);
    } while (rc < 0 && errno == EINTR);
    if (rc <= 0) return rc < 0 ? -1 : 0;
    for (size_t i = 0; i < fds.size(); ++i) readable[i] = (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) != 0;
    return rc;
}

SocketWaiting socketWaiting(SocketHandle s) {
    pollfd fd{s, POLLIN | POLLRDHUP, 0};
    int rc;
    do {
        rc = ::poll(&fd, 1, 0);
    } while (rc < 0 && errno == EINTR);
    if (rc <= 0) return SocketWaiting::Nothing;
    if (fd.revents & (POLLRDHUP | POLLHUP | POLLERR)) return SocketWaiting::End;
    return fd.revents & POLLIN ? SocketWaiting::Data : SocketWaiting::Nothing;
}

uint16_t socketLocalPort(SocketHandle s) {
    sockaddr_in addr{};
    socklen_t len = sizeof addr;
    if (::getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len) != 0) return 0;
    return ntohs(addr.sin_port);
}

std::string socketPeerAddress(SocketHandle s) {
    sockaddr_in addr{};
    socklen_t len = sizeof addr;
    if (::getpeername(s, reinterpret_cast<sockaddr*>(&addr), &len) != 0 || addr.sin_family != AF_INET) return {};
    char text[INET_ADDRSTRLEN] = {};
    if (!::inet_ntop(AF_INET, &addr.sin_addr, text, sizeof text)) return {};
    return text;
}

std::string hostName() {
    char buf[256] = {};
    if (::gethostname(buf, sizeof buf - 1) != 0 || !buf[0]) return "localhost";
    return buf;
}

}  // namespace platform
