#pragma once
// A match of the game's own mode task with its deals stacked and its computer seats scripted.
// The human's table client takes each deal; right then the same stacking is made on its table
// and on the server's, which hold the very same deal at that moment, so both go on alike. The
// computer seats are the server tests' scripted seats (discard what they draw, claim nothing,
// unless their script says otherwise).
#include <algorithm>
#include <boost/shared_ptr.hpp>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "game/client/mahjong_game.h"
#include "game/client/menu.h"
#include "game/client/table_sprites.h"
#include "game/mode/mode_task.h"
#include "game/server/test_seats.h"
#include "graphics/graphic.h"
#include "mahjong/notation.h"

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
        // The two tables hold the same tiles, but not necessarily in the same order in the hands:
        // sorted, what the stacking leaves over lies alike in both walls.
        for (mahjong::TTable* t : {&server_.mahjongTable()->table(), mirror()}) {
            t->sortHands();
            stage_(*t, hands_);
        }
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

// The human's part in a staged hand: the menu buttons it presses, in turn, when each is first
// offered; every other claim passed; on its own turn the drawn tile let go, and after a call
// the first free tile of the kinds given (else its last free tile).
struct Plan {
    std::deque<int> presses;
    std::vector<int> lettingGo;
    std::vector<std::string> done;  // what it did: button numbers, "drawn", "last" or the tile let go

    // Where the human clicks now (screen coordinates); false while the client asks nothing of
    // the menu.
    bool next(const game::client::TTaskMahjongGame& c, int& x, int& y) {
        using namespace game::client;
        if (!c.isChoosing() || c.inputState() != IN_MENU || c.inputSubState() != 2 || !c.ownPlayer()) return false;
        const game::u32 actions = c.getChoiceActions();
        int button = -1;
        if (!presses.empty() && hasMenuAction(actions, presses.front())) {
            button = presses.front();
            presses.pop_front();
        } else if (actions & 0x8000u) {
            button = MENU_CANCEL;
        }
        if (button >= 0) {
            done.push_back(std::to_string(button));
            const graphics::RECT r = mahjongSprites().fixed[FS_BUTTONS].units()[3 * button].getRect();
            x = (r.left + r.right) / 2;
            y = (r.top + r.bottom) / 2;
            return true;
        }
        const mahjong::TPlayer& me = *c.ownPlayer();
        const int last = static_cast<int>(me.hand.size()) - 1;
        const bool drawn = last >= 0 && me.isTumoPai(last);
        int free = 0, at = -1, position = 0;
        for (int i = 0; i <= last; ++i) {
            const mahjong::TPai& t = me.hand[static_cast<size_t>(i)];
            if (!t.isFree()) continue;
            if (!drawn && at < 0 && std::find(lettingGo.begin(), lettingGo.end(), t.kind) != lettingGo.end())
                at = i, position = free;
            ++free;
        }
        if (at < 0) position = free - 1;
        done.push_back(at >= 0 ? mahjong::formatTile(me.hand[static_cast<size_t>(at)]) : drawn ? "drawn" : "last");
        const TClientRect r = TTaskMahjongGame::getTeRect(position, at < 0 && drawn);
        x = (r.left + r.right) / 2;
        y = (r.top + r.bottom) / 2;
        return true;
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
