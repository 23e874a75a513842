#include "game/server/mahjong_game.h"

#include <string>

#include "game/packets_s.h"
#include "mahjong/player.h"

namespace game::server {

// ---- TMahjongPlayer ----

TMahjongPlayer::~TMahjongPlayer() { extra_.reset(); }

bool TMahjongPlayer::setComputer(int id, u32 key, const boost::shared_ptr<TProfile>& profile) {
    TPlayer::setComputer(id, key, profile);
    if (task()) think_ = task()->createThink(*this, key);
    return true;
}

int TMahjongPlayer::deliverToComputer(int id, u32 code, const u8* data, int length) {
    if (hasClient() || !think_) return -1;
    if (!data || length < 0) length = 0;
    return think_->onReceive(static_cast<u32>(id), code, data, static_cast<u32>(length));
}

// ---- TTaskMahjongGame ----

boost::shared_ptr<TRule> TTaskMahjongGame::createRule() { return boost::shared_ptr<TRule>(new TMahjongRule); }

boost::shared_ptr<TTable> TTaskMahjongGame::createTable(const boost::shared_ptr<TRule>& rule) {
    auto mahjongRule = boost::dynamic_pointer_cast<TMahjongRule>(rule);
    if (!mahjongRule) return TTaskGame::createTable(rule);
    return boost::shared_ptr<TTable>(new TMahjongTable(mahjongRule));
}

TPlayerPtr TTaskMahjongGame::createPlayer() { return TPlayerPtr(new TMahjongPlayer(this)); }

void TTaskMahjongGame::clearReady() {
    for (const auto& [id, seat] : players()) seat->setReady(false);
}

int TTaskMahjongGame::setRoundState(int s) {
    roundStep_ = 0;
    roundState_ = s < 0 ? roundState_ + 1 : s;
    return roundState_;
}

int TTaskMahjongGame::setRoundStep(int s) {
    roundStep_ = s < 0 ? roundStep_ + 1 : s;
    return roundStep_;
}

bool TTaskMahjongGame::onSysCmd(const TCmdPtr&) { return true; }

bool TTaskMahjongGame::onReady(const TCmdPtr& cmd) {
    const TPlayerPtr& seat = player(cmd->sender());
    if (!seat) {
        // Taken all the same: left at the front it would hold up the queue for good.
        logError("[ERROR] TTaskMahjongGame::onReady unknown player " + std::to_string(cmd->sender()));
        return true;
    }
    seat->setReady(true);
    return true;
}

bool TTaskMahjongGame::Start() {
    startRoom();
    return true;
}

void TTaskMahjongGame::startRoom() {
    clearReady();
    broadcast(S_STARTROOM, boost::shared_ptr<TPacket>(new TPacket_S_StartRoom(mahjongRule())));
    setStep(ROOM_WAIT, 0);
}

void TTaskMahjongGame::updateRoom() {
    if (isFull() && isAllReady()) startGame();
}

void TTaskMahjongGame::startGame() {
    clearReady();
    broadcast(S_STARTGAME, nullptr, 0);
    setStep(ROOM_GAME, 0);
}

void TTaskMahjongGame::sendResult() {
    clearReady();
    boost::shared_ptr<TPacket_S_Result> result(new TPacket_S_Result);
    if (auto table = mahjongTable()) {
        const mahjong::TTable& t = table->table();
        for (int i = 0; i < t.playerCount(); ++i) {
            if (const auto& p = t.seatAt(i)) result->set(static_cast<i8>(p->playerId), static_cast<i8>(p->rank));
        }
    }
    lastMessage = result;
    broadcast(S_RESULT, boost::shared_ptr<TPacket>(result));
    setStep(ROOM_END, 0);
}

void TTaskMahjongGame::updateEnd() {
    while (isFrontCmd(C_END)) {
        const TCmdPtr cmd = frontCmd();
        popCmd();
        const TPlayerPtr& seat = player(cmd->sender());
        if (!seat) {
            logError("[ERROR] TTaskMahjongGame::updateEnd unknown player " + std::to_string(cmd->sender()));
            continue;
        }
        seat->setReady(true);
        if (!cmd->bytes().empty() && cmd->bytes()[0] != 0) setRetry(true);
        if (isAllReady()) setFinished(true);
    }
}

void TTaskMahjongGame::update() {
    TTaskGame::update();
    switch (step()) {
        case ROOM_WAIT:
            updateRoom();
            break;
        case ROOM_GAME:
            updateGame();
            break;
        case ROOM_END:
            updateEnd();
            break;
        default:
            break;
    }
    while (hasCmd()) {
        const TCmdPtr cmd = frontCmd();
        bool taken = false;
        if (cmd->code() == CMD_SYS) {
            taken = onSysCmd(cmd);
        } else if (cmd->code() == C_READY) {
            taken = onReady(cmd);
        } else {
            break;
        }
        if (!taken) break;
        popCmd();
    }
}

}  // namespace game::server
