#include "game/mode/mode_task.h"

#include <algorithm>

#include "game/client/mahjong_game.h"
#include "game/server/think.h"
#include "mahjong/hand_eval.h"
#include "mahjong/player.h"
#include "mahjong/table.h"

using game::TMahjongProfile;
using game::server::TMahjongThinkDef;

TMahjongModeServices& mahjongModeServices() {
    static TMahjongModeServices services;
    return services;
}

namespace {

bool loadSprites() {
    const auto& load = mahjongModeServices().loadSprites;
    return load ? load() : true;
}

}  // namespace

bool initMahjongAlone() {
    for (int key = 0; key < 15; ++key)
        mahjong::setRatingProfile(key, mahjong::kFreePlayProfiles[mahjong::kFreePlayProfileIndex[key]]);
    return loadSprites();
}

bool initMahjongNet() {
    for (int key = 0; key < 9; ++key) mahjong::setRatingProfile(key, mahjong::kNetworkProfiles[key]);
    return loadSprites();
}

TTaskMahjongMatch::TTaskMahjongMatch() : services_(mahjongModeServices()) { rule_.setDefault(); }

TTaskMahjongMatch::~TTaskMahjongMatch() {
    profiles_.clear();
    seatIds_.clear();
}

void TTaskMahjongMatch::kill() {
    if (client_) client_->kill();
    if (server_) server_->kill();
    // Both are deleted by the scheduler at its next pass: forget them now, so that no question
    // asked of this task afterwards reaches a deleted task.
    client_ = nullptr;
    server_ = nullptr;
    TTask::kill();
}

bool TTaskMahjongMatch::Start() {
    TTaskManager* tasks = manager();
    if (!tasks) return false;
    const TMahjongModeServices& services = services_;
    // A rule written by a script may ask for what no table holds.
    rule_.players = std::clamp(rule_.players, kMinPlayers, kMaxPlayers);
    rule_.gameLength = std::clamp(rule_.gameLength, 0, 1);
    const int n = rule_.players;
    seatIds_.assign(static_cast<size_t>(n > 0 ? n : 0), 0);
    // A creator that gave fewer profiles than seats gets default ones for the rest.
    while (static_cast<int>(profiles_.size()) < n) profiles_.emplace_back(new TMahjongProfile);

    auto* server = new game::server::TTaskMahjongGame;
    server->init();
    server->mahjongRule()->setRule(rule_);
    server->setRandom(services.random ? services.random : &random_);
    if (services.errorSink) server->setErrorSink(services.errorSink);
    TRandom* tieBreak = services.tieBreak ? services.tieBreak : &tieBreak_;
    mahjong::installRatingFactory(server->mahjongTable()->table(), tieBreak);
    if (services.makeThink)
        server->setThinkFactory(services.makeThink);
    else
        server->setThinkFactory([tieBreak](game::server::TPlayer& seat, uint32_t key) {
            return boost::shared_ptr<game::server::TThink>(new TMahjongThinkDef(&seat, key, tieBreak));
        });
    if (tasks->add(server, 0) < 0) {
        delete server;
        return false;
    }
    server_ = server;

    game::client::TTaskGame* client = services.makeHuman ? services.makeHuman(*server)
                                                         : new game::client::TTaskMahjongGameHuman(
                                                               game::client::LINK_LOCAL, server, services.clientHost);
    if (tasks->add(client, 0) < 0) {
        delete client;
    } else {
        client_ = client;
        if (n > 0) {
            client->connect(profiles_[0]);
            seatIds_[0] = server->addClient(client);
        }
    }
    for (int i = 1; i < n; ++i) {
        const auto& profile = profiles_[static_cast<size_t>(i)];
        seatIds_[static_cast<size_t>(i)] = server->addComputer(profile->character(), profile);
    }
    return true;
}

bool TTaskMahjongMatch::isFinished() const { return server_ && server_->isFinished(); }

bool TTaskMahjongMatch::isRetry() const { return server_ && server_->isRetry(); }

void TTaskMahjongMatch::createProfiles(int n) {
    n = std::clamp(n, kMinPlayers, kMaxPlayers);
    rule_.players = n;
    profiles_.clear();
    for (int i = 0; i < n; ++i) profiles_.emplace_back(new TMahjongProfile);
}

void TTaskMahjongMatch::setProfile(int seat, const std::string& name, uint32_t character, uint32_t dealerMusic,
                                   uint32_t ritiMusic) {
    if (seat < 0 || seat >= static_cast<int>(profiles_.size())) return;
    TMahjongProfile& p = *profiles_[static_cast<size_t>(seat)];
    p.setName(name);
    p.setCharacter(character);
    p.setDealerMusic(dealerMusic);
    p.setRitiMusic(ritiMusic);
}

const mahjong::TPlayer* TTaskMahjongMatch::seatPlayer(int seat) const {
    if (!isFinished() || seat < 0 || seat >= static_cast<int>(seatIds_.size())) return nullptr;
    const auto table = server_->mahjongTable();
    return table ? table->table().getPlayer(seatIds_[static_cast<size_t>(seat)]).get() : nullptr;
}

int TTaskMahjongMatch::standing(int seat) const {
    const mahjong::TPlayer* p = seatPlayer(seat);
    return p ? p->rank : -1;
}

int TTaskMahjongMatch::points(int seat) const {
    const mahjong::TPlayer* p = seatPlayer(seat);
    return p ? p->points : -1;
}
