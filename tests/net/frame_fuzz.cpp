// Any bytes, in any pieces, into a game connection's receive path: frames are delivered whole or
// the connection is dropped; nothing is read past what arrived.
#include <boost/make_shared.hpp>

#include "net/game_controller.h"
#include "support/fuzz.h"

namespace {

struct Count : net::TGameController::TListener {
    int messages = 0;
    int onRecvJson(net::TGameController*, const boost::shared_ptr<net::TBufferdSocket>&,
                   const picojson::value& v) override {
        std::string s;
        int n = 0;
        net::getString(v, "code", s);
        net::getInt(v, "user_id", n);
        net::getString(v, "error", s);
        ++messages;
        return 0;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    Count listener;
    auto controller = boost::make_shared<net::TGameController>(&listener);
    auto socket = boost::static_pointer_cast<net::TBufferdSocket>(controller->createSocket());
    // The first byte cuts the rest into pieces of that many bytes (at least one).
    const size_t piece = data[0] % 64 + 1;
    const char* p = reinterpret_cast<const char*>(data + 1);
    size_t left = size - 1;
    while (left && !socket->isClosed()) {
        const size_t n = left < piece ? left : piece;
        socket->notifyRecv(p, static_cast<int>(n));
        p += n;
        left -= n;
    }
    if (socket->pendingRecv() > net::TBufferdSocket::kMaxRecvBuffer) __builtin_trap();
    return 0;
}

std::vector<std::vector<uint8_t>> mjFuzzSeeds() {
    std::vector<std::vector<uint8_t>> seeds;
    for (const char* text : {R"({"code":"auth","name":"mahjong","version":"2010/01/01"})",
                             R"({"code":"login_complete","user_id":2.000000})", "[1e999]", "{"}) {
        const std::string f = net::makeFrame(text);
        std::vector<uint8_t> seed{3};
        seed.insert(seed.end(), f.begin(), f.end());
        seed.insert(seed.end(), f.begin(), f.end());
        seeds.push_back(seed);
    }
    return seeds;
}
