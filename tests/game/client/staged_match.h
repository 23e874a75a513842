#pragma once
// A match of the game's own mode task with its deals stacked and its computer seats scripted.
// The human's table client takes each deal; right then the same stacking is made on its table
// and on the server's, which hold the very same deal at that moment, so both go on alike. The
// computer seats are the server tests' scripted seats (discard what they draw, claim nothing,
// unless their script says otherwise).
#include <boost/shared_ptr.hpp>
#include <functional>
#include <string>
#include <vector>

#include "game/client/mahjong_game.h"
#include "game/mode/mode_task.h"
#include "game/server/test_seats.h"

namespace staged {

// Stacks the table right after the deal of the hand given (0 the first of the match).
using Stage = std::function<void(mahjong::TTable& table, int hand)>;

class StagedClient : public game::client::TTaskMahjongGameHuman {
public:
    StagedClient(game::server::TTaskMahjongGame& server, game::client::TClientHost* host, Stage stage)
        : TTaskMahjongGameHuman(game::client::LINK_LOCAL, &server, host), server_(server), stage_(std::move(stage)) {}

    game::server::TTaskMahjongGame& server() const { return server_; }

protected:
    void onApplied(game::u32 code) override {
        if (code != game::S_DEAL || !stage_ || !mirror() || !server_.mahjongTable()) return;
        stage_(server_.mahjongTable()->table(), hands_);
        stage_(*mirror(), hands_);
        ++hands_;
    }

private:
    game::server::TTaskMahjongGame& server_;
    Stage stage_;
    int hands_ = 0;
};

struct Seats {
    StagedClient* human = nullptr;  // owned by the scheduler
    std::vector<boost::shared_ptr<seats::TestSeat>> computers;
    std::vector<std::string> clientErrors;

    // The scripted seat of a player id; null for the human's.
    seats::TestSeat* computer(int id) const {
        for (const auto& c : computers)
            if (c->id() == id) return c.get();
        return nullptr;
    }
    // The player id at this position from the dealer of the current hand (0 the dealer).
    static int idFrom(const mahjong::TTable& table, int position) {
        return table.seatAt(table.handNumber + position)->playerId;
    }
    // The human's position from the dealer.
    static int humanPosition(const mahjong::TTable& table, int ownId) {
        const int n = table.playerCount();
        for (int k = 0; k < n; ++k)
            if (idFrom(table, k) == ownId) return k;
        return -1;
    }
};

// The match's human becomes a staged client on the host, its computer seats scripted ones.
inline void stageMatch(TTaskMahjongMatch& match, game::client::TClientHost* host, Stage stage, Seats& out) {
    match.services().makeHuman = [host, stage, &out](game::server::TTaskMahjongGame& server) {
        out.human = new StagedClient(server, host, stage);
        out.human->setErrorSink([&out](const std::string& text) { out.clientErrors.push_back(text); });
        return static_cast<game::client::TTaskGame*>(out.human);
    };
    match.services().makeThink = [&out](game::server::TPlayer& seat, game::u32) {
        out.computers.emplace_back(new seats::TestSeat(&seat, nullptr));
        return boost::shared_ptr<game::server::TThink>(out.computers.back());
    };
}

}  // namespace staged
