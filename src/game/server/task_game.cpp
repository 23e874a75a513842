#include "game/server/task_game.h"

#include <cstdio>

#include "game/packets_s.h"

namespace game::server {

// ---- TThink ----

TTaskGame* TThink::task() const { return owner_ ? owner_->task() : nullptr; }

int TThink::id() const { return owner_ ? owner_->id() : -1; }

int TThink::send(u32 code, const std::vector<u8>& bytes) {
    return send(code, bytes.empty() ? nullptr : bytes.data(), static_cast<u32>(bytes.size()));
}

int TThink::send(u32 code, const u8* data, u32 length) {
    TTaskGame* room = task();
    if (!room) return -1;
    return room->pushCmd(static_cast<u8>(id()), SERVER_ID, code, data, static_cast<int>(length));
}

int TThink::send(u32 code, const boost::shared_ptr<TPacket>& packet) {
    return send(code, packet ? packet->toBytes() : std::vector<u8>());
}

// ---- TPlayer ----

bool TPlayer::setClient(int id, ClientLink* client) {
    if (!client) return false;
    id_ = id;
    profile_ = client->linkProfile();
    client_ = client;
    kind_ = SEAT_CLIENT;
    return true;
}

bool TPlayer::setComputer(int id, u32 key, const boost::shared_ptr<TProfile>& profile) {
    id_ = id;
    kind_ = SEAT_COMPUTER;
    parameterKey_ = key;
    profile_ = profile;
    return true;
}

void TPlayer::update() {
    if (kind_ == SEAT_COMPUTER && think_) think_->step();
}

int TPlayer::deliver(u32 code, const u8* data, int length) {
    switch (kind_) {
        case SEAT_CLIENT:
            return client_ ? client_->postToClient(SERVER_ID, static_cast<u8>(id_), code, data, length) : -1;
        case SEAT_COMPUTER:
            return deliverToComputer(id_, code, data, length);
        default:
            return -1;
    }
}

int TPlayer::deliverToComputer(int, u32, const u8*, int) { return 0; }

// ---- TTaskGame ----

TTaskGame::~TTaskGame() {
    // Seats first: their computer players may still look at the table.
    players_.clear();
    table_.reset();
    rule_.reset();
}

const TPlayerPtr& TTaskGame::player(u32 id) const {
    static const TPlayerPtr none;
    auto it = players_.find(id);
    return it == players_.end() ? none : it->second;
}

bool TTaskGame::isFull() const { return rule_ && rule_->playerNum() == static_cast<u32>(playerCount()); }

bool TTaskGame::isAllReady() const {
    for (const auto& [id, seat] : players_)
        if (!seat->isReady()) return false;
    return true;
}

int TTaskGame::init() {
    finished_ = false;
    retry_ = false;
    rule_ = createRule();
    table_ = createTable(rule_);
    return 0;
}

int TTaskGame::addClient(ClientLink* client) {
    if (nextPlayerId_ >= SERVER_ID) return refuseSeat();
    TPlayerPtr seat = createPlayer();
    if (!seat || !seat->setClient(nextPlayerId_, client)) {
        logError("[ERROR] TTaskGame::addClient no client");
        return -1;
    }
    return enter(seat, true);
}

int TTaskGame::addComputer(u32 parameterKey, const boost::shared_ptr<TProfile>& profile) {
    if (nextPlayerId_ >= SERVER_ID) return refuseSeat();
    TPlayerPtr seat = createPlayer();
    if (!seat || !seat->setComputer(nextPlayerId_, parameterKey, profile)) return -1;
    return enter(seat, false);
}

int TTaskGame::refuseSeat() {
    // Ids travel as one byte and 255 is the server's own address: a room never grows that far.
    logError("[ERROR] TTaskGame::addPlayer no more player ids");
    return -1;
}

int TTaskGame::enter(const TPlayerPtr& seat, bool isClient) {
    const int id = nextPlayerId_++;
    const u32 newId = static_cast<u32>(id);
    players_[newId] = seat;
    if (isClient) send(newId, S_ENTRY, boost::shared_ptr<TPacket>(new TPacket_S_Entry(static_cast<u8>(id))));
    // The newcomer learns every seat, itself included; then everyone learns the newcomer, so
    // the newcomer hears of itself twice.
    for (const auto& [otherId, other] : players_) {
        send(newId, S_ADDPLAYER,
             boost::shared_ptr<TPacket>(new TPacket_S_AddPlayer(static_cast<u8>(otherId), other->profile())));
    }
    broadcast(S_ADDPLAYER, boost::shared_ptr<TPacket>(new TPacket_S_AddPlayer(static_cast<u8>(id), seat->profile())));
    return id;
}

int TTaskGame::send(u32 id, u32 code, const std::vector<u8>& bytes) {
    return send(id, code, bytes.empty() ? nullptr : bytes.data(), static_cast<int>(bytes.size()));
}

int TTaskGame::send(u32 id, u32 code, const u8* data, int length) {
    const TPlayerPtr& seat = player(id);
    if (!seat) {
        logError("[ERROR] TTaskGame::send no player " + std::to_string(id));
        return -1;
    }
    return seat->deliver(code, data, length);
}

int TTaskGame::send(u32 id, u32 code, const boost::shared_ptr<TPacket>& packet) {
    return send(id, code, packet ? packet->toBytes() : std::vector<u8>());
}

int TTaskGame::broadcast(u32 code, const std::vector<u8>& bytes) {
    return broadcast(code, bytes.empty() ? nullptr : bytes.data(), static_cast<int>(bytes.size()));
}

int TTaskGame::broadcast(u32 code, const u8* data, int length) {
    int result = 0;
    for (const auto& [id, seat] : players_) {
        const int r = seat->deliver(code, data, length);
        if (r != 0) result = r;
    }
    return result;
}

int TTaskGame::broadcast(u32 code, const boost::shared_ptr<TPacket>& packet) {
    return broadcast(code, packet ? packet->toBytes() : std::vector<u8>());
}

boost::shared_ptr<TRule> TTaskGame::createRule() { return boost::shared_ptr<TRule>(new TRule); }

boost::shared_ptr<TTable> TTaskGame::createTable(const boost::shared_ptr<TRule>& rule) {
    return boost::shared_ptr<TTable>(new TTable(rule));
}

TPlayerPtr TTaskGame::createPlayer() { return TPlayerPtr(new TPlayer(this)); }

boost::shared_ptr<TThink> TTaskGame::createThink(TPlayer& seat, u32 parameterKey) {
    return thinkFactory_ ? thinkFactory_(seat, parameterKey) : boost::shared_ptr<TThink>();
}

boost::shared_ptr<TMahjongRule> TTaskGame::mahjongRule() const {
    return boost::dynamic_pointer_cast<TMahjongRule>(rule_);
}

boost::shared_ptr<TMahjongTable> TTaskGame::mahjongTable() const {
    return boost::dynamic_pointer_cast<TMahjongTable>(table_);
}

void TTaskGame::logError(const std::string& text) const {
    if (errorSink_) {
        errorSink_(text);
    } else {
        std::fprintf(stderr, "%s\n", text.c_str());
    }
}

void TTaskGame::update() {
    for (const auto& [id, seat] : players_) seat->update();
}

}  // namespace game::server
