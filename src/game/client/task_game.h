#pragma once
// The table client's base: a game task linked to a server task in this process (through the game
// model's link, so the client does not know the server's classes), with its own player id, its
// profile, and its own rule and table. The table client proper (what it draws and how it
// answers) builds on this.
#include <boost/shared_ptr.hpp>
#include <map>

#include "game/link.h"
#include "game/packet.h"
#include "game/profile.h"
#include "game/rule.h"
#include "game/table.h"
#include "game/task.h"

namespace game::client {

// How a client task reaches its server. Only a server task in this process is ever built.
enum TLinkKind : int {
    LINK_NONE = 0,
    LINK_LOCAL = 1,
};

class TTaskGame;

// A seat as the client knows it: its player id and the profile the server told.
class TPlayer {
public:
    explicit TPlayer(TTaskGame* owner) : owner_(owner) {}
    virtual ~TPlayer() = default;
    TPlayer(const TPlayer&) = delete;
    TPlayer& operator=(const TPlayer&) = delete;

    virtual bool setup(int id, const boost::shared_ptr<TMahjongProfile>& profile) {
        id_ = id;
        profile_ = profile;
        return true;
    }
    TTaskGame* owner() const { return owner_; }
    int id() const { return id_; }
    const boost::shared_ptr<TMahjongProfile>& profile() const { return profile_; }

private:
    TTaskGame* owner_;
    int id_ = -1;
    boost::shared_ptr<TMahjongProfile> profile_;
};

using TPlayerPtr = boost::shared_ptr<TPlayer>;

class TTaskGame : public game::TTask, public ClientLink {
public:
    TTaskGame(int linkKind, ServerLink* server);
    ~TTaskGame() override;

    int linkKind() const { return linkKind_; }
    ServerLink* server() const { return server_; }

    virtual boost::shared_ptr<TRule>& rule() { return rule_; }
    virtual boost::shared_ptr<TTable>& table() { return table_; }
    // The seat of the id, or an empty pointer: looking a seat up never enters one.
    virtual TPlayerPtr getPlayer(int id) const;
    virtual int getPlayerCount() const { return static_cast<int>(players_.size()); }
    const std::map<u32, TPlayerPtr>& players() const { return players_; }
    // Enters the seat under its id unless one is there; false when one was.
    bool enterPlayer(const TPlayerPtr& player);
    // A new seat with this task as owner and id -1.
    virtual TPlayerPtr createPlayer();
    virtual int getOwnId() const { return ownId_; }
    virtual void setOwnId(int id) { ownId_ = id; }
    // The profile kept by connect; the server copies it when it seats this client.
    virtual boost::shared_ptr<TMahjongProfile>& profile() { return profile_; }

    // Keeps the profile as the client's own, then makes the client's rule and, on it, its
    // table. Runs before the server seats the client.
    virtual void connect(const boost::shared_ptr<TMahjongProfile>& profile);

    // To the server: encodes the packet (or takes the bytes) and hands them to the linked server
    // task's queue with this seat's id as sender and 255 as receiver. Returns the server queue's
    // new length, or -1 and nothing sent when this task is not linked to a server in this process.
    virtual int send(u32 code, const boost::shared_ptr<TPacket>& packet);
    virtual int send(u32 code, const std::vector<u8>& bytes);
    virtual int send(u32 code, const u8* data, int length);

    virtual boost::shared_ptr<TRule> createRule();
    virtual boost::shared_ptr<TTable> createTable(const boost::shared_ptr<TRule>& rule);

    // Nothing to do until the table client proper takes over.
    void update() override {}

    // The link's end: the profile kept by connect, and this task's own queue.
    boost::shared_ptr<TProfile> linkProfile() override { return profile(); }
    int postToClient(u8 sender, u8 receiver, u32 code, const u8* data, int length) override {
        return pushCmd(sender, receiver, code, data, length);
    }

private:
    int linkKind_;
    ServerLink* server_;
    int ownId_ = -1;
    std::map<u32, TPlayerPtr> players_;
    boost::shared_ptr<TMahjongProfile> profile_;
    boost::shared_ptr<TRule> rule_;
    boost::shared_ptr<TTable> table_;
};

}  // namespace game::client
