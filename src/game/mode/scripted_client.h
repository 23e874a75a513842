#pragma once
// A stand-in for the human's table client: a client task that keeps a table of its own by the
// same seeded operations the server performs (the seating and deal seeds, every draw, discard,
// call, kan, ability, result and move to the next hand it is told of), and plays its seat by
// the computer player's logic on that table. Tests and the match simulator seat it in seat 0
// where they need a computer there; comparing its table with the server's after each message
// checks that every message carries what a client needs.
#include <boost/shared_ptr.hpp>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "framework/random.h"
#include "game/client/task_game.h"
#include "mahjong/table.h"

namespace game::server {
class TTaskGame;
class TMahjongThinkDef;
}  // namespace game::server

namespace game::mode {

class TScriptedClient : public client::TTaskGame {
public:
    // tieBreak: the hand evaluator's generator for this seat's decisions (not owned; null: each
    // evaluator's own).
    TScriptedClient(server::TTaskGame* server, TRandom* tieBreak);
    ~TScriptedClient() override;

    // Takes every queued message: follows it on the own table, answers it, and makes any
    // decision it calls for at once.
    void update() override;

    // The own table; null before connect.
    mahjong::TTable* mirror() const;
    // Called after each message has been followed and answered; queueEmpty tells whether it
    // was the last one queued (then the server has done nothing since it sent it).
    using Observer = std::function<void(TScriptedClient& client, u32 code, bool queueEmpty)>;
    void setObserver(Observer observer) { observer_ = std::move(observer); }
    // What the own table could not follow (a message that names no seated player, a tile the
    // own wall does not hold): one line each.
    const std::vector<std::string>& problems() const { return problems_; }
    int messagesTaken() const { return messages_; }
    // The bytes of the message being taken (for the observer).
    const std::vector<u8>& lastBytes() const { return lastBytes_; }

private:
    void follow(u32 code, const std::vector<u8>& bytes);
    void problem(const std::string& text) { problems_.push_back(text); }
    mahjong::TPlayer* seated(int id, const char* where);

    server::TTaskGame* room_;
    TRandom* tieBreak_;
    boost::shared_ptr<server::TMahjongThinkDef> think_;
    std::set<int> ids_;
    Observer observer_;
    std::vector<std::string> problems_;
    int messages_ = 0;
    std::vector<u8> lastBytes_;
};

// The differences between two tables, one line each (empty when they hold the same game):
// counters, wall, dice, the tile in play, and each seat's points, winds, hand (in any order),
// discards, riichi and call state.
std::vector<std::string> compareTables(const mahjong::TTable& a, const mahjong::TTable& b);

}  // namespace game::mode
