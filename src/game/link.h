#pragma once
// The two ends of the link between a table client task and its game server task in this
// process. The server and the client libraries see each other only through these, so neither
// includes the other and the client's graphics never come within the server's reach.
#include <boost/shared_ptr.hpp>

#include "game/profile.h"
#include "game/wire.h"

namespace game {

// The server as a linked client sees it: where the client's messages go.
class ServerLink {
public:
    // Queues a message from the seat `sender` for the server (receiver 255). Returns the server
    // queue's new length, or -1 and nothing queued (see TTask::pushCmd).
    virtual int postToServer(u8 sender, u32 code, const u8* data, int length) = 0;

protected:
    ~ServerLink() = default;
};

// A client as its server sees it: the profile it is seated with and its message queue.
class ClientLink {
public:
    // The profile the server copies when it seats the client.
    virtual boost::shared_ptr<TProfile> linkProfile() = 0;
    // Queues a message from the server for the client's seat. Returns the client queue's new
    // length, or -1 and nothing queued (see TTask::pushCmd).
    virtual int postToClient(u8 sender, u8 receiver, u32 code, const u8* data, int length) = 0;

protected:
    ~ClientLink() = default;
};

}  // namespace game
