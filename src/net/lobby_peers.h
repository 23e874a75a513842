#pragma once
// The lobby's connections as the lobby keeps them: whether each shakes hands or has logged in,
// and the messages it sent that the lobby has not handled yet. Connections that have not logged
// in share a fixed number of places, a few per address at most; when none is free, a newcomer
// always gets one, from an address holding at least as many as its own, the connection that has
// kept the lobby's question unanswered longest first. So no address keeps another's peers out,
// however many addresses there are, and a peer that answers at once keeps its place whoever
// floods connections, from whatever addresses. Network threads add connections and messages;
// the lobby's frame takes the messages, one from each connection in turn, and decides on the
// connections. Every operation may be called from any thread, and none calls out while it holds
// the table's lock.
#include <picojson.h>

#include <boost/shared_ptr.hpp>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "net/game_controller.h"

namespace net {

// A received message cut down to what the protocol reads: "code" and the members of the right
// type, strings at most kMaxNoteText bytes. bytes is roughly what keeping it costs.
struct TNote {
    static constexpr size_t kMaxNoteText = 1024;
    picojson::value value;
    size_t bytes = 0;
};
TNote makeNote(const picojson::value& message);

class TLobbyPeers {
public:
    using Socket = boost::shared_ptr<TGameSocket>;

    // A client's connection goes AwaitAuth, Authed (it answered "auth"), LoggingIn (it sent
    // "login"), LoggedIn; a server's skips LoggingIn.
    enum Stage { AwaitAuth, Authed, LoggingIn, LoggedIn };
    enum Admission { Admitted, Refused };
    // Full: the connection's messages pass its bytes, said once until its queue empties;
    // Dropped: the same, said already; Forbidden: not a message of the handshake's next step.
    enum Receipt { Kept, Full, Dropped, Forbidden, Unknown };

    struct TLimits {
        // Connections not logged in that hold a place: from one address, and from all (every
        // connection the lobby keeps, 64, less its seven other users).
        size_t pendingPerAddress = 8;
        size_t pending = 56;
        // Bytes of messages kept for one connection until its login, and afterwards.
        size_t pendingQueueBytes = 4 * 1024;
        size_t queueBytes = 64 * 1024;
    };

    struct TItem {
        Socket socket;
        bool gone = false;  // the connection has ended (no message)
        picojson::value value;
    };

    // Whether the peer has sent bytes that the network thread has not read yet, and is still
    // there: an answer on its way (a peer that has closed has none). A plain query (no lobby
    // state), asked under the table's lock.
    using Unread = std::function<bool(const Socket&)>;

    TLobbyPeers() = default;
    explicit TLobbyPeers(TLimits limits, Unread unread = {}) : limits_(limits), unread_(std::move(unread)) {}
    void setLimits(const TLimits& limits);

    // A new connection at now. A guarded one (a server's peer) takes a free place for its
    // address. When there is none it takes the place of another connection, which the table
    // forgets and evicted names (the caller closes it): of its own address when that holds its
    // cap, else of an address holding at least as many as its own. Of those, the one that has
    // left the lobby's last question unanswered longest with nothing unread, else with bytes
    // unread (on a tie, of the address holding the most, then the oldest), else the one asked
    // longest ago. Refused only when evicted is null. An unguarded one (a client's own
    // connection to its server) is always admitted and never limited.
    Admission add(const Socket& socket, const std::string& address, uint32_t now, bool guarded, Socket* evicted);
    // A message from the connection at now. A guarded connection may send "auth" first and then
    // "login" and nothing else before those: anything else is Forbidden and not kept.
    Receipt receive(const Socket& socket, const std::string& code, TNote note, uint32_t now);
    // The connection has ended: what it sent and the lobby did not handle is dropped, and one
    // that had not logged in (a server's guest) is forgotten at once.
    void disconnected(const Socket& socket);

    // At most max messages, one from each connection in turn, starting after the one served
    // last; an ended user or client connection comes once as a gone item and is then forgotten.
    std::vector<TItem> take(size_t max);
    // Guarded connections to drop at now: those not logged in handshakeMs after they came.
    std::vector<Socket> expired(uint32_t now, uint32_t handshakeMs);

    // Stage, when the lobby last asked the peer for its next step, and the user it logged in as.
    void setStage(const Socket& socket, Stage stage);
    bool stage(const Socket& socket, Stage& out);
    void asked(const Socket& socket, uint32_t now);
    void setUser(const Socket& socket, int id);
    int user(const Socket& socket);
    // The connections in a stage, oldest first.
    std::vector<Socket> inStage(Stage stage);
    void clear();

    // For watching the table.
    size_t size();
    size_t queuedBytes(const Socket& socket);

private:
    struct TPeer {
        uint64_t serial = 0;
        Socket socket;
        std::string address;
        bool guarded = true;
        Stage stage = AwaitAuth;
        int heard = 0;  // 0 nothing yet, 1 "auth", 2 "login"
        uint32_t since = 0;
        uint32_t askedAt = 0;
        bool spoke = false;  // anything heard since the last question
        int user = -1;
        std::deque<TNote> notes;
        size_t bytes = 0;
        bool fullSaid = false;
        bool gone = false;
        bool goneTaken = false;
    };

    TPeer* find(const Socket& socket);
    void forget(TPeer& p);
    bool pending(const TPeer& p) const;
    size_t pendingOf(const std::string* address) const;
    // The connection whose place a newcomer from address takes at now; null when none may go.
    TPeer* victimFor(const std::string& address, uint32_t now);

    TLimits limits_;
    Unread unread_;
    std::mutex lock_;
    std::vector<std::unique_ptr<TPeer>> peers_;  // oldest first
    uint64_t nextSerial_ = 1;
    uint64_t lastServed_ = 0;
};

// Lines about connections that have not logged in: at most `lines` in each window of windowMs;
// the rest are counted, and summed up once after their window has ended.
class TLogBudget {
public:
    TLogBudget(size_t lines, uint32_t windowMs) : lines_(lines), windowMs_(windowMs) {}
    void setBudget(size_t lines, uint32_t windowMs);
    // True when a line may be written at now; false counts it as left out.
    bool allow(uint32_t now);
    // How many lines windows that have ended left out (each counted once), 0 for none.
    size_t leftOut(uint32_t now);

private:
    void roll(uint32_t now);

    std::mutex lock_;
    size_t lines_;
    uint32_t windowMs_;
    bool started_ = false;
    uint32_t windowStart_ = 0;
    size_t used_ = 0;
    size_t skipped_ = 0;
    size_t ended_ = 0;
};

}  // namespace net
