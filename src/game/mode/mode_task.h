#pragma once
// The mode tasks that assemble a match in this process: a game server task, the human's table
// client in seat 0 and a computer player in every other seat. TTaskMahjongAlone serves the
// story and free play, TTaskMahjongNet a match agreed in the network lobby (which still runs
// wholly on each machine). The creator fills the computer-player parameter map, gives the
// task its rule and one profile per seat, adds it to the scheduler and polls isFinished.
#include <boost/shared_ptr.hpp>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/random.h"
#include "framework/task.h"
#include "game/profile.h"
#include "game/server/mahjong_game.h"
#include "mahjong/rule.h"

namespace game::client {
class TTaskGame;
class TClientHost;
}  // namespace game::client

// What a match needs from the rest of the program, set once by the program (or by a test):
// the table client of seat 0, the table's sprites, the server's generator, the evaluators'
// tie-break generator and where the server reports what it ignores.
struct TMahjongModeServices {
    // Builds the human's table client linked to the server (link kind 1). Unset: the table
    // client (TTaskMahjongGameHuman) on clientHost.
    std::function<game::client::TTaskGame*(game::server::TTaskMahjongGame& server)> makeHuman;
    // The frame as the table client sees it (not owned). Null: a host where nothing happens.
    game::client::TClientHost* clientHost = nullptr;
    // Builds the computer player of a seat (its parameter key given). Unset: the game's own
    // computer player on the tie-break generator.
    game::server::TTaskGame::ThinkFactory makeThink;
    // Loads the table's sprites; its result is what initMahjongAlone and initMahjongNet return.
    // Unset: nothing to load, true.
    std::function<bool()> loadSprites;
    // The server's generator (the main frame's in the game). Null: the match task's own.
    TRandom* random = nullptr;
    // The hand evaluators' tie-break generator. Null: the match task's own.
    TRandom* tieBreak = nullptr;
    game::server::TTaskGame::ErrorSink errorSink;
};

TMahjongModeServices& mahjongModeServices();

// Fill the computer-player parameter map (keys 0 to 14 for free play and the story, 0 to 8 for
// network play; other keys keep what they held), then load the table's sprites.
bool initMahjongAlone();
bool initMahjongNet();

class TTaskMahjongMatch : public TTask {
public:
    // The seats a table holds; a rule's player count is brought into this range when the match
    // starts, and its game length into 0 (east and south) to 1 (east only).
    static constexpr int kMinPlayers = 2;
    static constexpr int kMaxPlayers = 4;

    TTaskMahjongMatch();
    ~TTaskMahjongMatch() override;

    // Kills the client, the server and this task; the scheduler ends all three at its next pass.
    void kill() override;
    // Assembles the match. False only when the task is not held by a scheduler.
    bool Start() override;
    // The server and the client run as tasks of their own.
    void update() override {}

    virtual mahjong::TRule& rule() { return rule_; }
    virtual const mahjong::TRule& rule() const { return rule_; }
    virtual void setRule(const mahjong::TRule& r) { rule_ = r; }
    // A server exists and its match has ended (every seat sent C_END).
    virtual bool isFinished() const;
    virtual bool isRetry() const;
    // The rule's player count := n (within kMinPlayers to kMaxPlayers); that many fresh profiles
    // (no name, character 0, music 1 and 1).
    virtual void createProfiles(int n);
    // A seat outside the profile list is ignored.
    virtual void setProfile(int seat, const std::string& name, uint32_t character, uint32_t dealerMusic,
                            uint32_t ritiMusic);
    // -1 until the match has finished; then the seat's final rank (0 for the top) or points.
    virtual int standing(int seat) const;
    virtual int points(int seat) const;

    // What this match takes from the rest of the program: a copy of the process-wide services
    // made with the task, which its creator may change for this match alone before it starts.
    TMahjongModeServices& services() { return services_; }
    // The match's own generators (unseeded until the creator seeds them): the server's, where
    // the services name no program generator, and the hand evaluators' tie-break, where they
    // name none.
    TRandom& ownRandom() { return random_; }
    TRandom& ownTieBreak() { return tieBreak_; }

    game::server::TTaskMahjongGame* server() const { return server_; }
    game::client::TTaskGame* client() const { return client_; }
    const std::vector<int>& seatIds() const { return seatIds_; }
    const std::vector<boost::shared_ptr<game::TMahjongProfile>>& profiles() const { return profiles_; }

private:
    const mahjong::TPlayer* seatPlayer(int seat) const;

    mahjong::TRule rule_;
    std::vector<boost::shared_ptr<game::TMahjongProfile>> profiles_;
    game::server::TTaskMahjongGame* server_ = nullptr;
    game::client::TTaskGame* client_ = nullptr;
    std::vector<int> seatIds_;
    TMahjongModeServices services_;
    // The match's own generators, used where the services name none.
    TRandom random_;
    TRandom tieBreak_;
};

class TTaskMahjongAlone : public TTaskMahjongMatch {};
class TTaskMahjongNet : public TTaskMahjongMatch {};
