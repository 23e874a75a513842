#include "mahjong/round_result.h"

#include "mahjong/table.h"
#include "platform/little_endian.h"

namespace mahjong {
namespace {

int getI8(uint8_t b) { return static_cast<int8_t>(b); }

}  // namespace

void TRoundResult::clear() {
    ids.clear();
    scores.clear();
}

void TRoundResult::setCode(int c) {
    clear();
    code = c;
}

void TRoundResult::setAgari(int c, const TPai& tile, int player) {
    clear();
    code = c;
    pai.kind = tile.kind;
    pai.state = tile.state;
    pai.red = tile.red;
    pai.turned = tile.turned;
    playerId = player;
}

int TRoundResult::getNearestWinner(const TTable& table) const {
    if (ids.empty()) return -1;
    if (ids.size() == 1 || table.getSeatIndex(playerId) < 0) return ids.front();
    int best = ids.front();
    int bestDir = table.getDirection(playerId, best);
    for (size_t i = 1; i < ids.size(); ++i) {
        const int d = table.getDirection(playerId, ids[i]);
        if (d < bestDir) {
            bestDir = d;
            best = ids[i];
        }
    }
    return best;
}

std::vector<uint8_t> TRoundResult::write() const {
    std::vector<uint8_t> out;
    out.reserve(size());
    out.push_back(static_cast<uint8_t>(size()));
    out.push_back(static_cast<uint8_t>(code));
    out.push_back(static_cast<uint8_t>(playerId));
    pai.appendTo(out);
    out.push_back(static_cast<uint8_t>(scores.size()));
    for (const auto& [id, s] : scores) {
        out.push_back(static_cast<uint8_t>(id));
        le::append<int32_t>(out, s.hand);
        le::append<int32_t>(out, s.counters);
        le::append<int32_t>(out, s.deposit);
    }
    out.push_back(static_cast<uint8_t>(ids.size()));
    for (int id : ids) out.push_back(static_cast<uint8_t>(id));
    return out;
}

size_t TRoundResult::read(const uint8_t* bytes, size_t length) {
    // Everything up to and including n must be there, then the entries and m, then the ids.
    if (bytes == nullptr || length < 9 || length < bytes[0]) return 0;
    const size_t n = bytes[7];
    const size_t mPos = 8 + 13 * n;
    if (mPos >= length) return 0;
    const size_t m = bytes[mPos];
    const size_t total = mPos + 1 + m;
    if (total > length) return 0;

    TPai tile;
    if (tile.read(bytes + 3, 4) != 4) return 0;
    std::map<int, TRoundScore> newScores;
    for (size_t i = 0; i < n; ++i) {
        const uint8_t* e = bytes + 8 + 13 * i;
        TRoundScore s;
        s.hand = le::load<int32_t>(e + 1);
        s.counters = le::load<int32_t>(e + 5);
        s.deposit = le::load<int32_t>(e + 9);
        newScores[getI8(e[0])] = s;
    }
    std::vector<int> newIds;
    newIds.reserve(m);
    for (size_t i = 0; i < m; ++i) newIds.push_back(getI8(bytes[mPos + 1 + i]));

    code = getI8(bytes[1]);
    playerId = getI8(bytes[2]);
    pai = tile;
    scores = std::move(newScores);
    ids = std::move(newIds);
    return total;
}

bool TRoundResult::operator==(const TRoundResult& o) const {
    return code == o.code && pai.kind == o.pai.kind && pai.state == o.pai.state && pai.red == o.pai.red &&
           pai.turned == o.pai.turned && playerId == o.playerId && ids == o.ids && scores == o.scores;
}

}  // namespace mahjong
