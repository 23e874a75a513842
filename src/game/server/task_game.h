#pragma once
// The game server task: the authority of a match. It seats the players, holds the room's rule
// and table, takes every message that the seats send and tells the seats what happened. A seat
// (TPlayer) is how a message reaches a client task in this process (through the game model's
// link, so the server does not know the client's classes) or a computer player.
#include <boost/shared_ptr.hpp>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "game/link.h"
#include "game/packet.h"
#include "game/profile.h"
#include "game/rule.h"
#include "game/table.h"
#include "game/task.h"

namespace game::server {

class TTaskGame;
class TPlayer;

// A server seat's kind.
enum TSeatKind : int {
    SEAT_NONE = 0,      // not seated
    SEAT_CLIENT = 1,    // a client task in this process
    SEAT_COMPUTER = 3,  // a computer player living in the seat
};

// The base of computer players. The seat owns it; it reaches the room through its seat.
class TThink {
public:
    explicit TThink(TPlayer* owner) : owner_(owner) {}
    virtual ~TThink() = default;
    TThink(const TThink&) = delete;
    TThink& operator=(const TThink&) = delete;

    virtual TPlayer* owner() const { return owner_; }
    virtual TTaskGame* task() const;
    virtual int id() const;
    // Called by the seat at every server update, before the server's own work.
    virtual void step() = 0;
    // Every message the server sends to this seat; seatId is the receiving seat's own id.
    virtual int onReceive(u32 seatId, u32 code, const u8* data, u32 length) = 0;

    // To the server's queue with this seat's id as sender and 255 as receiver; returns the
    // queue's new length (or -1 when the seat has no room).
    virtual int send(u32 code, const std::vector<u8>& bytes);
    virtual int send(u32 code, const u8* data, u32 length);
    virtual int send(u32 code, const boost::shared_ptr<TPacket>& packet);

private:
    TPlayer* owner_;
};

class TPlayer {
public:
    explicit TPlayer(TTaskGame* owner) : owner_(owner) {}
    virtual ~TPlayer() = default;
    TPlayer(const TPlayer&) = delete;
    TPlayer& operator=(const TPlayer&) = delete;

    virtual TTaskGame* task() const { return owner_; }
    virtual int id() const { return id_; }
    virtual boost::shared_ptr<TProfile>& profile() { return profile_; }
    virtual const boost::shared_ptr<TProfile>& profile() const { return profile_; }
    virtual void setId(int id) { id_ = id; }
    virtual bool hasClient() const { return client_ != nullptr; }
    virtual bool hasNoClient() const { return client_ == nullptr; }
    virtual int kind() const { return kind_; }
    virtual bool isReady() const { return ready_; }
    virtual void setReady(bool ready) { ready_ = ready; }
    // Seats a client task: its id, a copy of the client's profile pointer, kind 1.
    virtual bool setClient(int id, ClientLink* client);
    // Seats a computer player: id, kind 3, parameter key and profile.
    virtual bool setComputer(int id, u32 key, const boost::shared_ptr<TProfile>& profile);
    // Steps the computer player of a computer seat; nothing for other seats.
    virtual void update();
    // Hands a message to whoever sits here: a client task's queue (its new length), the
    // computer player at once (its answer), or -1 for a seat of any other kind.
    virtual int deliver(u32 code, const u8* data, int length);
    // The base has no computer player to hand anything to.
    virtual int deliverToComputer(int id, u32 code, const u8* data, int length);

    ClientLink* client() const { return client_; }
    u32 parameterKey() const { return parameterKey_; }
    const boost::shared_ptr<TThink>& think() const { return think_; }

protected:
    boost::shared_ptr<TThink> think_;

private:
    TTaskGame* owner_;
    int id_ = -1;
    boost::shared_ptr<TProfile> profile_;
    ClientLink* client_ = nullptr;
    int kind_ = SEAT_NONE;
    bool ready_ = false;
    u32 parameterKey_ = 0;
};

using TPlayerPtr = boost::shared_ptr<TPlayer>;

class TTaskGame : public game::TTask, public ServerLink {
public:
    using ThinkFactory = std::function<boost::shared_ptr<TThink>(TPlayer& seat, u32 parameterKey)>;

    explicit TTaskGame(int initialStep = 0) : game::TTask(initialStep) {}
    ~TTaskGame() override;

    virtual boost::shared_ptr<TRule>& rule() { return rule_; }
    virtual const boost::shared_ptr<TRule>& rule() const { return rule_; }
    virtual boost::shared_ptr<TTable>& table() { return table_; }
    virtual const boost::shared_ptr<TTable>& table() const { return table_; }
    // The seat of a handed-out id. An id that names no seat gives an empty pointer and, unlike
    // a map's find-or-insert, adds nothing: a stray sender must not leave a hole among the seats.
    virtual const TPlayerPtr& player(u32 id) const;
    virtual int playerCount() const { return static_cast<int>(players_.size()); }
    const std::map<u32, TPlayerPtr>& players() const { return players_; }

    virtual bool isFinished() const { return finished_; }
    virtual void setFinished(bool v) { finished_ = v; }
    virtual bool isRetry() const { return retry_; }
    // The rule's player count equals the number of seats.
    virtual bool isFull() const;
    // Every seat is ready (true for an empty room).
    virtual bool isAllReady() const;

    // Both flags false; a new rule from createRule and a table on it. Returns 0.
    virtual int init();
    // Seat a client task or a computer player; returns the new seat's id. Everyone learns the
    // newcomer and the newcomer learns everyone (S_ENTRY to a client first). -1, nothing seated,
    // for a null client or once the one-byte ids below the server's 255 are used up.
    virtual int addClient(ClientLink* client);
    virtual int addComputer(u32 parameterKey, const boost::shared_ptr<TProfile>& profile);

    // To one seat: its deliver's result, or -1 (logged) for an id that names no seat.
    virtual int send(u32 id, u32 code, const std::vector<u8>& bytes);
    virtual int send(u32 id, u32 code, const u8* data, int length);
    virtual int send(u32 id, u32 code, const boost::shared_ptr<TPacket>& packet);
    // To every seat in ascending id order; the last nonzero delivery result (0 when all gave 0).
    virtual int broadcast(u32 code, const std::vector<u8>& bytes);
    virtual int broadcast(u32 code, const u8* data, int length);
    virtual int broadcast(u32 code, const boost::shared_ptr<TPacket>& packet);

    virtual boost::shared_ptr<TRule> createRule();
    virtual boost::shared_ptr<TTable> createTable(const boost::shared_ptr<TRule>& rule);
    virtual TPlayerPtr createPlayer();
    // The computer player of a new computer seat: made by the injected factory, none without one.
    virtual boost::shared_ptr<TThink> createThink(TPlayer& seat, u32 parameterKey);
    void setThinkFactory(ThinkFactory f) { thinkFactory_ = std::move(f); }

    // The rule and the table as their mahjong classes; empty for objects of another class.
    boost::shared_ptr<TMahjongRule> mahjongRule() const;
    boost::shared_ptr<TMahjongTable> mahjongTable() const;

    // Where the room reports what it ignores ("[ERROR] ..." lines). Unset: standard error.
    using ErrorSink = std::function<void(const std::string& text)>;
    void setErrorSink(ErrorSink sink) { errorSink_ = std::move(sink); }
    void logError(const std::string& text) const;

    // Every seat steps (computer players decide), in id order.
    void update() override;

    // The link's end: a linked client's message goes to this task's own queue.
    int postToServer(u8 sender, u32 code, const u8* data, int length) override {
        return pushCmd(sender, SERVER_ID, code, data, length);
    }

protected:
    void setRetry(bool v) { retry_ = v; }

private:
    // Enters a seated seat under its id and tells everyone about it.
    int enter(const TPlayerPtr& seat, bool isClient);
    int refuseSeat();

    int nextPlayerId_ = 0;
    boost::shared_ptr<TRule> rule_;
    boost::shared_ptr<TTable> table_;
    std::map<u32, TPlayerPtr> players_;
    bool finished_ = false;
    bool retry_ = false;
    ThinkFactory thinkFactory_;
    ErrorSink errorSink_;
};

}  // namespace game::server
