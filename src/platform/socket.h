#pragma once
// TCP over IPv4 for the network layer: the only place that knows the operating system's socket
// calls. Every call reports failure by its result and never raises a signal (a send to a peer
// that has gone returns an error instead of SIGPIPE).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

using SocketHandle = int;
inline constexpr SocketHandle kInvalidSocket = -1;

// Results of socketSend and socketRecv besides a byte count.
inline constexpr int kSocketError = -1;
inline constexpr int kSocketWouldBlock = -2;

// A new IPv4 stream socket in blocking mode, or kInvalidSocket.
SocketHandle socketCreate();
// Closes the handle; 0 on success, -1 on failure (nothing is done for kInvalidSocket).
int socketClose(SocketHandle s);
// Ends both directions without closing the handle: wakes a thread waiting on it.
void socketShutdown(SocketHandle s);
bool socketSetNonBlocking(SocketHandle s, bool on);
// Binds to the host (empty: every address) and port, with address reuse on.
bool socketBind(SocketHandle s, const std::string& host, uint16_t port);
bool socketListen(SocketHandle s, int backlog);
// A connection waiting on a listening socket, or kInvalidSocket (none waits, or an error).
SocketHandle socketAccept(SocketHandle s);
// Resolves host (a dotted address or a name) and tries each of its IPv4 addresses in order,
// each for at most timeoutMs; the handle is left non-blocking. False when none connects.
bool socketConnect(SocketHandle s, const std::string& host, uint16_t port, int timeoutMs);
// Bytes sent (possibly fewer than asked), kSocketWouldBlock, or kSocketError.
int socketSend(SocketHandle s, const void* data, size_t size);
// Bytes received, 0 when the peer closed, kSocketWouldBlock, or kSocketError.
int socketRecv(SocketHandle s, void* data, size_t size);
// Waits at most timeoutMs for any handle to become readable (or closed, or failed); readable[i]
// tells which. The number of ready handles, 0 on time-out, -1 on failure.
int socketPollRead(const std::vector<SocketHandle>& handles, std::vector<bool>& readable, int timeoutMs);
// What waits to be read from a connected socket: nothing, bytes from the peer, or the peer's end
// of the connection (perhaps after bytes). A look at the system's queue, which reads nothing and
// does not wait.
enum class SocketWaiting { Nothing, Data, End };
SocketWaiting socketWaiting(SocketHandle s);
// The port a bound socket has (useful after binding port 0); 0 on failure.
uint16_t socketLocalPort(SocketHandle s);
// The dotted IPv4 address of a connected socket's peer; empty on failure.
std::string socketPeerAddress(SocketHandle s);
// The local machine's name, "localhost" when it cannot be read.
std::string hostName();

}  // namespace platform
