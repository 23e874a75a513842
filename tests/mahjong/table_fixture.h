#pragma once
// A table of players set up by hand for the player, option and settlement tests: players
// with ids 0..n-1 in seats 0..n-1, seat 0 the dealer, a wall whose dora indicators point at
// a kind no test hand uses, and a recording error sink.
#include <boost/make_shared.hpp>

#include "mahjong/error_sink.h"
#include "mahjong/notation.h"
#include "mahjong/player.h"
#include "mahjong/table.h"

namespace mjtest {

struct TableSetup {
    explicit TableSetup(int players = 4, boost::shared_ptr<mahjong::TRule> r = nullptr)
        : rule(r ? r : boost::make_shared<mahjong::TRule>()), sink(recorder) {
        rule->players = players;
        table = std::make_unique<mahjong::TTable>(rule);
        for (int id = 0; id < players; ++id) {
            table->addPlayer(boost::make_shared<mahjong::TPlayer>(table.get(), id));
        }
        table->reset();
        for (int i = 0; i < players; ++i) table->seats[static_cast<size_t>(i)]->newRound(i);
        setWall(70);
        table->turn = 20;  // well past the first go-around
    }

    // A wall of north winds: every dora indicator points at the east wind.
    void setWall(int tiles) { table->wall.assign(static_cast<size_t>(tiles), mahjong::TPai(mahjong::PAI_NORTH)); }

    mahjong::TPlayer& p(int id) { return *table->getPlayer(id); }

    void setHand(int id, std::string_view text) { p(id).hand = mahjong::tilesOf(text); }

    int totalPoints() {
        int sum = table->ritiDeposit;
        for (auto& s : table->seats) sum += s->points;
        return sum;
    }

    boost::shared_ptr<mahjong::TRule> rule;
    std::unique_ptr<mahjong::TTable> table;
    mahjong::TRecordingErrorSink recorder;
    mahjong::TScopedErrorSink sink;
};

}  // namespace mjtest
