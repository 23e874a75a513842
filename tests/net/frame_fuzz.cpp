// Any bytes, in any pieces, into a game connection's receive path and on into the lobby's table of
// connections: frames are delivered whole or the connection is dropped; nothing is read past what
// arrived; before its login a connection gets no further than the handshake, and what the table
// keeps for it stays within its bytes.
#include <boost/make_shared.hpp>

#include "net/game_controller.h"
#include "net/lobby.h"
#include "net/lobby_peers.h"
#include "support/fuzz.h"

namespace {

struct Lobby : net::TGameController::TListener {
    net::TLobbyPeers peers;
    int messages = 0;
    int onRecvJson(net::TGameController*, const boost::shared_ptr<net::TBufferdSocket>& socket,
                   const picojson::value& v) override {
        std::string s;
        int n = 0;
        net::getString(v, "code", s);
        net::getInt(v, "user_id", n);
        net::getString(v, "error", s);
        auto game = boost::static_pointer_cast<net::TGameSocket>(socket);
        std::string code;
        net::getString(v, "code", code);
        if (peers.receive(game, code, net::makeNote(v), 0) == net::TLobbyPeers::Forbidden) socket->notifyDisconnect();
        if (peers.queuedBytes(game) > net::TLobbyPeers::TLimits{}.queueBytes) __builtin_trap();
        if (++messages % 7 == 0) peers.take(3);
        return 0;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    Lobby listener;
    auto controller = boost::make_shared<net::TGameController>(&listener);
    auto socket = boost::static_pointer_cast<net::TGameSocket>(controller->createSocket());
    // The first byte cuts the rest into pieces of (its low six bits + 1) bytes; its bit 0x40 makes
    // the connection a server's newcomer, held to the handshake and its frame size.
    const size_t piece = data[0] % 64 + 1;
    net::TLobbyPeers::Socket evicted;
    listener.peers.add(socket, "10.0.0.1", 0, (data[0] & 0x40) != 0, &evicted);
    if (data[0] & 0x40) socket->setMaxFrameText(net::TTaskNet::kMaxHandshakeFrame);
    const char* p = reinterpret_cast<const char*>(data + 1);
    size_t left = size - 1;
    while (left && !socket->isClosed()) {
        const size_t n = left < piece ? left : piece;
        socket->notifyRecv(p, static_cast<int>(n));
        p += n;
        left -= n;
    }
    if (socket->pendingRecv() > net::TBufferdSocket::kMaxRecvBuffer) __builtin_trap();
    listener.peers.take(1000);
    return 0;
}

std::vector<std::vector<uint8_t>> mjFuzzSeeds() {
    std::vector<std::vector<uint8_t>> seeds;
    // A nested flood of a frame's whole size, as peers that never logged in sent it.
    std::string nested = R"({"code":"chat","x":[[[)";
    while (nested.size() < 64 * 1024 - 16) nested += "[[],[]],";
    nested += "[]]]]}";
    for (const std::string& text : {std::string(R"({"code":"auth","name":"mahjong","version":"2010/01/01"})"),
                                    std::string(R"({"code":"login","name":"server"})"),
                                    std::string(R"({"code":"chat","name":"a","message":"b"})"),
                                    std::string(R"({"code":"login_complete","user_id":2.000000})"),
                                    std::string("[1e999]"), std::string("{"), nested}) {
        const std::string f = net::makeFrame(text);
        for (uint8_t head : {3, 0x40 | 5}) {
            std::vector<uint8_t> seed{head};
            seed.insert(seed.end(), f.begin(), f.end());
            seed.insert(seed.end(), f.begin(), f.end());
            seeds.push_back(seed);
        }
    }
    return seeds;
}
