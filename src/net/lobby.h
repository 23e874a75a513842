#pragma once
// The lobby of network play: one machine serves, the other joins; they authenticate, log in,
// chat and agree on the rule, and then each starts its own match with that rule. No message of
// the match itself crosses the network.
#include <picojson.h>

#include <boost/shared_ptr.hpp>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "framework/random.h"
#include "framework/task.h"
#include "mahjong/rule.h"
#include "net/game_controller.h"
#include "net/lobby_peers.h"
#include "net/log.h"

namespace net {

// The keyword sent beside a rule option; empty outside 0-17.
const char* ruleLabel(int option);
// Chat text from anywhere made safe to log and show: whole Shift-JIS characters only, no
// control characters, at most maxBytes.
std::string cleanChatText(const std::string& text, size_t maxBytes);
// "HOST" or "HOST:PORT" (a port of 1 to 65535) into host and port; false, with both unchanged,
// for anything else (an empty host, a bad port, blanks or control characters).
bool parseHostPort(const std::string& text, std::string& host, uint16_t& port);

// What the lobby shows and starts. The program's screens sit behind it; tests script it.
class TLobbyHost {
public:
    virtual ~TLobbyHost() = default;
    // The Yes/No question "accept ? if not connect.": true serves, false joins.
    virtual bool askServe() = 0;
    // Tells the player why the lobby could not go on.
    virtual void report(const std::string& text) = 0;
    // The rule screen's choice in this frame: -1 none, else the button (0 hanchan, 1 east
    // rounds, 2 kuitan on, 3 kuitan off, 4 OK, 5 back).
    virtual int ruleChoice() = 0;
    // The character screen's choice: -1 none, 0 start, 1 configuration, 2 option (back to the
    // rule), 3 back, k + 4 character k (14 a random one).
    virtual int characterChoice() = 0;
    // True with the text when the player sent a chat line in this frame.
    virtual bool chatRequested(std::string& text) = 0;
    // Starts this machine's match; seats hold the chosen characters, -1 for none given.
    virtual void startMatch(const mahjong::TRule& rule, const std::vector<int>& seats) = 0;
    // True once the match has ended, with whether the lobby continues.
    virtual bool matchFinished(bool& continueLobby) = 0;
    virtual void returnToTitle() = 0;
    virtual void redraw() {}
    // A screen begins: nothing is under the pointer until the pointer is looked at again.
    virtual void resetCursor() {}
    // Whether the serve-or-join question may be asked now (the screen has come in).
    virtual bool readyToAsk() { return true; }
};

class TTaskNet : public TTask, public TGameController::TListener {
public:
    struct TUser {
        int id = 0;
        std::string name;
        int unused = -1;
        boost::shared_ptr<TGameSocket> socket;
    };

    static constexpr int kMaxUsers = 8;
    // Received messages handled per frame, so a flood cannot stall the screen.
    static constexpr int kMessagesPerFrame = 256;
    static constexpr size_t kMaxChat = 510;
    static constexpr size_t kMaxName = 32;
    // The longest frame a connection may send before it has logged in: the handshake's messages
    // are a few dozen bytes.
    static constexpr int32_t kMaxHandshakeFrame = 1024;
    // Every connection the acceptor keeps: users and connections shaking hands.
    static constexpr size_t kMaxConnections = 64;
    // Connections the system holds until the acceptor takes them: peers that reconnect together
    // come in bursts, hundreds at once from many addresses, and one that finds this queue full is
    // kept out for a second or more. The queue costs the system a little memory for each waiting
    // connection and the program nothing; the acceptor empties it in a fraction of a second.
    static constexpr size_t kListenBacklog = 1024;

    TTaskNet(TLobbyHost& host, TLog& log);
    ~TTaskNet() override;

    bool Start() override;
    void End() override;
    void update() override;
    // What update does for the network alone (received messages, connections to drop or to let
    // in): also called while a modal dialog holds the frame.
    void pump();

    virtual bool accept();
    virtual bool connect();
    virtual int sendAddClient(const boost::shared_ptr<TGameSocket>& socket, const std::string& name);
    virtual void addClient(int id, const std::string& name);
    virtual bool sendRemoveClient(int id);
    virtual void sendRule(int option, bool fromHere);
    virtual void sendLobby();

    void onAccept(TGameController*, const boost::shared_ptr<TAcceptor>&,
                  const boost::shared_ptr<TBufferdSocket>& socket) override;
    void onConnect(TGameController*, const boost::shared_ptr<TBufferdSocket>& socket) override;
    void onDisconnect(TGameController*, const boost::shared_ptr<TBufferdSocket>& socket) override;
    int onRecvJson(TGameController*, const boost::shared_ptr<TBufferdSocket>& socket,
                   const picojson::value& value) override;

    // Settings before Start: the server to join, the port, the address to serve on (empty:
    // every address), the user's name, the time-outs in milliseconds, and the generator of the
    // random character (null: the lobby's own).
    std::string host = "127.0.0.1";
    uint16_t port = TGameController::kDefaultPort;
    std::string listenHost;
    std::string loginName = "name test ";
    // A connection must have logged in this long after it came (how soon it must answer when
    // others want its place is in limits).
    uint32_t handshakeTimeoutMs = 3000;
    uint32_t loginTimeoutMs = 10000;
    uint32_t connectTimeoutMs = 3000;
    // After a failure the question comes again no sooner than this: a question answered at once
    // (a message box that cannot be shown) must not turn into a loop of connections.
    uint32_t retryWaitMs = 1000;
    TRandom* random = nullptr;
    TLobbyPeers::TLimits limits;
    // Lines about connections that have not logged in, at most so many in each window.
    size_t guestLogLines = 64;
    uint32_t guestLogWindowMs = 10000;

    const mahjong::TRule& rule() const { return rule_; }
    const std::vector<int>& chosen() const { return chosen_; }
    const std::map<int, TUser>& users() const { return users_; }
    int ownUserId() const { return ownUserId_; }
    bool loggedIn() const { return loggedIn_; }
    int screenMode() const { return screenMode_; }
    TGameController* controller() const { return controller_.get(); }
    TLobbyPeers& peers() { return peers_; }

private:
    using Socket = boost::shared_ptr<TGameSocket>;

    void handleEvents();
    void handleMessage(const Socket& socket, const picojson::value& value);
    void handleLogin(const Socket& socket, const picojson::value& value);
    void dropConnection(const Socket& socket, const std::string& why);
    void checkConnections();
    void failBackToQuestion(const std::string& why);
    // Sends to the connections that have logged in (the server's users, a client's server).
    void broadcast(const picojson::value& value);
    // A line about a connection that has not logged in: within the log's budget for them.
    void logGuest(const std::string& line);
    std::string nameFor(const std::string& asked, int id) const;

    TLobbyHost& host_;
    TLog& log_;
    boost::shared_ptr<TGameController> controller_;
    mahjong::TRule rule_;
    std::vector<int> chosen_;
    int screenMode_ = 0;
    int nextUserId_ = 1;
    int ownUserId_ = -1;
    bool loggedIn_ = false;
    bool continueFlag_ = false;
    bool serverLost_ = false;
    uint32_t loginSince_ = 0;
    bool retryWaits_ = false;
    uint32_t failedAt_ = 0;
    std::map<int, TUser> users_;
    TRandom ownRandom_{0x5eed};

    // Network threads hand their connections and messages over here; only the frame acts on
    // them.
    TLobbyPeers peers_{{}, [](const TLobbyPeers::Socket& s) { return s->waiting() == platform::SocketWaiting::Data; }};
    TLogBudget guestLines_{64, 10000};
};

}  // namespace net
