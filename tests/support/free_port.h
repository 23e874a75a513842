#pragma once
// A port of the loopback address that nothing listens on now (0 when none could be had), for
// the tests that need a server's port or one where nobody answers.
#include <cstdint>

#include "platform/socket.h"

namespace mjtest {

inline uint16_t freePort() {
    platform::SocketHandle probe = platform::socketCreate();
    const uint16_t port = platform::socketBind(probe, "127.0.0.1", 0) ? platform::socketLocalPort(probe) : 0;
    platform::socketClose(probe);
    return port;
}

}  // namespace mjtest
