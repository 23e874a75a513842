#include "game/client/task_game.h"

namespace game::client {

TTaskGame::TTaskGame(int linkKind, ServerLink* server) : linkKind_(linkKind), server_(server) {}

TTaskGame::~TTaskGame() {
    // The table holds the rule's record: let it go first.
    players_.clear();
    table_.reset();
    rule_.reset();
    profile_.reset();
}

TPlayerPtr TTaskGame::getPlayer(int id) const {
    if (id < 0) return {};
    auto it = players_.find(static_cast<u32>(id));
    return it == players_.end() ? TPlayerPtr() : it->second;
}

bool TTaskGame::enterPlayer(const TPlayerPtr& player) {
    if (!player || player->id() < 0) return false;
    return players_.emplace(static_cast<u32>(player->id()), player).second;
}

TPlayerPtr TTaskGame::createPlayer() { return TPlayerPtr(new TPlayer(this)); }

void TTaskGame::connect(const boost::shared_ptr<TMahjongProfile>& profile) {
    profile_ = profile;
    rule_ = createRule();
    table_ = createTable(rule_);
}

int TTaskGame::send(u32 code, const boost::shared_ptr<TPacket>& packet) {
    return send(code, packet ? packet->toBytes() : std::vector<u8>());
}

int TTaskGame::send(u32 code, const std::vector<u8>& bytes) {
    return send(code, bytes.empty() ? nullptr : bytes.data(), static_cast<int>(bytes.size()));
}

int TTaskGame::send(u32 code, const u8* data, int length) {
    if (linkKind_ != LINK_LOCAL || !server_) return -1;
    return server_->postToServer(static_cast<u8>(ownId_), code, data, length);
}

boost::shared_ptr<TRule> TTaskGame::createRule() { return boost::shared_ptr<TRule>(new TMahjongRule); }

boost::shared_ptr<TTable> TTaskGame::createTable(const boost::shared_ptr<TRule>& rule) {
    auto mahjongRule = boost::dynamic_pointer_cast<TMahjongRule>(rule);
    if (!mahjongRule) return boost::shared_ptr<TTable>(new TTable(rule));
    return boost::shared_ptr<TTable>(new TMahjongTable(mahjongRule));
}

}  // namespace game::client
