#pragma once
// A port of the loopback address that nothing listens on now (0 when none could be had), for
// the tests that need a server's port or one where nobody answers.
//
// The port is drawn below the system's ephemeral range: a port the system hands out itself is
// soon the local end of some other test's outgoing connection (a siege makes thousands), and a
// server that then binds it is refused.
#include <cstdint>
#include <fstream>
#include <random>

#include "platform/socket.h"

namespace mjtest {

inline uint16_t freePort() {
    int ephemeralLow = 32768;
    std::ifstream range("/proc/sys/net/ipv4/ip_local_port_range");
    if (!(range >> ephemeralLow) || ephemeralLow <= 12000 || ephemeralLow > 65535) ephemeralLow = 32768;
    std::mt19937 pick(std::random_device{}());
    std::uniform_int_distribution<int> below(10000, ephemeralLow - 1);
    for (int attempt = 0; attempt < 64; ++attempt) {
        const auto port = static_cast<uint16_t>(below(pick));
        platform::SocketHandle probe = platform::socketCreate();
        const bool free = platform::socketBind(probe, "127.0.0.1", port);
        platform::socketClose(probe);
        if (free) return port;
    }
    return 0;
}

}  // namespace mjtest
