#include "mahjong/player.h"

#include <algorithm>

#include "mahjong/error_sink.h"
#include "mahjong/judge.h"
#include "mahjong/table.h"

namespace mahjong {
namespace {

const TRule& defaultRule() {
    static const TRule rule;
    return rule;
}

void copyPai(TPai& to, const TPai& from) {
    to.kind = from.kind;
    to.state = from.state;
    to.red = from.red;
    to.turned = from.turned;
}

// Danger changes caused by discarding a suit tile of number n (index n - 1). Each decimal
// digit d, read from the lowest, names the number d of the same suit.
struct TDangerRow {
    int plus;        // +100
    int minus;       // -100
    int minusEarly;  // -100 while more than 38 tiles are left to draw
    int minusLate;   // -100 while fewer than 32 are left
};

constexpr TDangerRow kDanger[9] = {
    {0, 25, 36, 0},     {0, 36, 47, 14},   {0, 47, 58, 1425}, {17, 58, 69, 2536}, {28, 1469, 0, 3647},
    {39, 25, 14, 4758}, {0, 36, 25, 5869}, {0, 47, 36, 69},   {0, 58, 47, 0},
};

}  // namespace

TPlayer::TPlayer(TTable* t, int id) : table(t), playerId(id) {}

TPlayer::~TPlayer() = default;

int TPlayer::roundWind() const { return table ? table->roundWind : 0; }
int TPlayer::turnCount() const { return table ? table->turn : 0; }
int TPlayer::wallCount() const { return table ? table->wallCount() : 0; }
int TPlayer::doraCount() const { return table ? table->deadWallOffset : 0; }
TPai TPlayer::dora(int i) const { return table ? table->getDora(i) : TPai(); }
TPai TPlayer::uraDora(int i) const { return table ? table->getUraDora(i) : TPai(); }
const TRule& TPlayer::rule() const { return table && table->rule ? *table->rule : defaultRule(); }

TPai TPlayer::getTile(int i) const { return i >= 0 && i < 3 ? tiles[i] : TPai(); }

void TPlayer::setTile(const TPai& tile, int i) {
    if (i >= 0 && i < 3) copyPai(tiles[i], tile);
}

bool TPlayer::isDrawnTile(int index) const {
    return static_cast<int>(hand.size()) == kanCount + 14 && index == static_cast<int>(hand.size()) - 1 &&
           (lastTumoType == DRAW_WALL || lastTumoType == DRAW_RINSHAN || shown);
}

uint32_t TPlayer::hasFakeA() const {
    for (int id : fake.ids) {
        if (id == 1 || id == 2 || id == 3 || id == 10 || id == 11) return 4096;
    }
    return 0;
}

uint32_t TPlayer::hasFakeB() const {
    for (int id : fake.ids) {
        if (!(id == 1 || id == 2 || id == 3 || id == 10 || id == 11)) return 4096;
    }
    return 0;
}

int TPlayer::findKind(int kind) const {
    for (size_t i = 0; i < hand.size(); ++i) {
        if (hand[i].kind == kind) return static_cast<int>(i);
    }
    return -1;
}

int TPlayer::getDanger(int kind) const { return isKindInHandRange(kind) ? danger[kind] : 0; }

void TPlayer::addDanger(int kind, int v) {
    if (!isKindInHandRange(kind)) return;
    int& e = danger[kind];
    if (e >= 1000) return;
    if (v >= 1000) {
        e = v;
    } else {
        e += v;
    }
}

void TPlayer::newRound(int seatWind) {
    kaze = seatWind;
    hand.clear();
    sutes.clear();
    tiOptions.clear();
    kanOptions.clear();
    ritiOptions.clear();
    closed = true;
    kanCount = 0;
    ritiFlag = false;
    ritiAt = -1;
    robbing = false;
    furiten = false;
    furitenTurn = -1;
    shown = false;
    tumoTurn = 0;
    fake.ids.clear();
    fake.state.clear();
    clearJudgement();
    std::fill(std::begin(danger), std::end(danger), 0);
}

void TPlayer::drawKind(int kind, int type) { draw(TPai(kind), type); }

void TPlayer::draw(const TPai& tile, int type) {
    copyPai(lastTumo, tile);
    lastTumoType = type;
    if (type == DRAW_WALL || type == DRAW_RINSHAN) {
        tumoTurn = turnCount();
        if (!ritiFlag) {
            furiten = false;
            furitenTurn = -1;
        }
    }
    hand.push_back(tile);
}

int TPlayer::countFree(int kind) const { return countState(kind, PS_FREE); }

int TPlayer::countState(int kind, int state) const {
    return static_cast<int>(
        std::count_if(hand.begin(), hand.end(), [&](const TPai& t) { return t.kind == kind && t.state == state; }));
}

int TPlayer::countAll(int kind) const {
    return static_cast<int>(std::count_if(hand.begin(), hand.end(), [&](const TPai& t) { return t.kind == kind; }));
}

TPaiArray TPlayer::extract(std::vector<size_t> positions) {
    TPaiArray out;
    for (size_t p : positions) out.push_back(hand[p]);
    std::sort(positions.begin(), positions.end());
    for (auto it = positions.rbegin(); it != positions.rend(); ++it) {
        hand.erase(hand.begin() + static_cast<std::ptrdiff_t>(*it));
    }
    return out;
}

void TPlayer::insertMeld(const TPaiArray& meld) {
    auto at = std::find_if(hand.begin(), hand.end(), [](const TPai& t) { return t.isFree(); });
    hand.insert(at, meld.begin(), meld.end());
}

bool TPlayer::findOwnPair(const TPai& own1, const TPai& own2, size_t& p1, size_t& p2) const {
    bool found1 = false;
    for (size_t i = 0; i < hand.size(); ++i) {
        if (hand[i].isFree() && isSamePai(hand[i], own1)) {
            p1 = i;
            found1 = true;
            break;
        }
    }
    if (!found1) return false;
    for (size_t i = 0; i < hand.size(); ++i) {
        if (i != p1 && hand[i].isFree() && isSamePai(hand[i], own2)) {
            p2 = i;
            return true;
        }
    }
    return false;
}

bool TPlayer::pon(const TPai& claimed, const TPai& own1, const TPai& own2, int discarderId) {
    // The claimed tile joins the hand free, whatever flags it carried in the pond.
    const TPai tile(claimed.kind, PS_FREE, claimed.red);
    const int dir = table ? table->getDirection(playerId, discarderId) : TD_MY;
    if (dir == TD_MY) {
        reportError(errtext::kPonDirMy);
        return false;
    }
    size_t p1 = 0, p2 = 0;
    if (!tile.isValid() || own1.kind != tile.kind || own2.kind != tile.kind || !findOwnPair(own1, own2, p1, p2)) {
        reportError(errtext::kPonNotEnough);
        return false;
    }

    draw(tile, dir);
    closed = false;
    TPaiArray meld = extract({hand.size() - 1, p1, p2});
    for (auto& t : meld) t.state = PS_PON;
    meld.sort();
    const int turnedAt = dir == TD_SHIMO ? 2 : dir == TD_TOIMEN ? 1 : 0;
    meld[static_cast<size_t>(turnedAt)].turned = 1;
    insertMeld(meld);

    if (table) {
        if (tile.isWind()) {
            int winds = 0;
            for (int k = PAI_EAST; k <= PAI_NORTH; ++k) {
                if (countAll(k) - countFree(k) > 0) ++winds;
            }
            if (winds == 4) table->setPao(YAKU_DAISUUSHII, discarderId, playerId);
        } else if (tile.isDragon()) {
            int dragons = 0;
            for (int k = PAI_HAKU; k <= PAI_TYUN; ++k) {
                if (countAll(k) - countFree(k) > 0) ++dragons;
            }
            if (dragons == 3) table->setPao(YAKU_DAISANGEN, discarderId, playerId);
        }
    }
    return true;
}

bool TPlayer::ti(const TPai& claimed, const TPai& own1, const TPai& own2, int discarderId) {
    const TPai tile(claimed.kind, PS_FREE, claimed.red);
    const int dir = table ? table->getDirection(playerId, discarderId) : TD_MY;
    if (dir != rule().players) {
        reportError(errtext::kTiNotKamicha);
        return false;
    }
    size_t p1 = 0, p2 = 0;
    int kinds[3] = {tile.kind, own1.kind, own2.kind};
    std::sort(std::begin(kinds), std::end(kinds));
    const bool sequence =
        isSuitKind(kinds[0]) && kindNumber(kinds[0]) <= 7 && kinds[1] == kinds[0] + 1 && kinds[2] == kinds[0] + 2;
    if (!sequence || !findOwnPair(own1, own2, p1, p2)) {
        reportError(errtext::kTiNotEnough);
        return false;
    }

    draw(tile, dir);
    closed = false;
    TPaiArray meld = extract({hand.size() - 1, p1, p2});
    meld[0].turned = 1;  // the claimed tile
    meld.sort();
    for (size_t i = 0; i < meld.size(); ++i) meld[i].state = PS_TI_LOW + static_cast<int>(i);
    hand.sortAlt();
    insertMeld(meld);
    return true;
}

int TPlayer::kan(const TPai& kanTile, int fromId) {
    const TPai tile(kanTile.kind, PS_FREE, kanTile.red);
    if (!tile.isValid()) {
        reportError(errtext::kKanUnknown);
        return 0;
    }
    const int kind = tile.kind;
    const int dir = table ? table->getDirection(playerId, fromId) : TD_MY;
    std::vector<size_t> freeAt;
    for (size_t i = 0; i < hand.size(); ++i) {
        if (hand[i].kind == kind && hand[i].isFree()) freeAt.push_back(i);
    }

    if (dir != TD_MY) {
        // A kan on another player's discard: three of the kind in hand, the fourth claimed.
        if (freeAt.size() != 3) {
            reportError(errtext::kKanCount);
            return 0;
        }
        draw(tile, dir);
        freeAt.push_back(hand.size() - 1);
        closed = false;
        ++kanCount;
        TPaiArray meld = extract(freeAt);
        meld.sort();
        for (auto& t : meld) t.state = PS_MINKAN;
        const int turnedAt = dir == TD_SHIMO ? 3 : dir == TD_TOIMEN ? 2 : 0;
        meld[static_cast<size_t>(turnedAt)].turned = 1;
        insertMeld(meld);
        int kanTiles = 0;
        for (const auto& t : hand) {
            if (t.isKan()) ++kanTiles;
        }
        if (kanTiles == 16 && table) table->setPao(YAKU_SUUKANTU, fromId, playerId);
        return PS_MINKAN;
    }

    if (freeAt.size() == 4) {
        ++kanCount;
        TPaiArray meld = extract(freeAt);
        meld.sort();
        for (auto& t : meld) t.state = PS_ANKAN;
        meld[0].turned = 1;
        meld[3].turned = 1;
        insertMeld(meld);
        return PS_ANKAN;
    }

    if (!freeAt.empty() && countState(kind, PS_PON) == 3) {
        // The fourth tile joins its open triplet where the triplet stands.
        ++kanCount;
        TPaiArray added = extract({freeAt.front()});
        size_t last = 0;
        for (size_t i = 0; i < hand.size(); ++i) {
            if (hand[i].kind == kind && hand[i].state == PS_PON) {
                hand[i].state = PS_KAKAN;
                last = i;
            }
        }
        added[0].state = PS_KAKAN;
        hand.insert(hand.begin() + static_cast<std::ptrdiff_t>(last + 1), added[0]);
        return PS_KAKAN;
    }

    reportError(errtext::kKanCount);
    return 0;
}

void TPlayer::riti() {
    ritiFlag = true;
    points -= 1000;
    ritiAt = turnCount();
    if (table) {
        table->ritiDeposit += 1000;
        table->updateRank();
    }
}

bool TPlayer::sute(const TPai& given) {
    // A copy first: the caller may name the tile by a reference into the hand itself.
    const TPai tile = given;
    if (!hand.remove(tile, true)) return false;
    TPai discarded = tile;
    discarded.state = PS_FREE;
    sutes.push_back(TSutePai(discarded, 1, turnCount()));
    if (table) table->setPai(tile);

    addDanger(tile.kind, 1000);
    const int n = tile.getNumber();
    if (n == 0) return true;
    const int left = table ? table->leftCount() : 0;
    const TDangerRow& row = kDanger[n - 1];
    const auto apply = [&](int digits, int v) {
        for (; digits > 0; digits /= 10) addDanger(tile.kind + digits % 10 - n, v);
    };
    apply(row.plus, 100);
    apply(row.minus, -100);
    if (left > 38) apply(row.minusEarly, -100);
    if (left < 32) apply(row.minusLate, -100);
    return true;
}

bool TPlayer::useFake(int id, int value, const TPai& tile) {
    switch (id) {
        case 1:
        case 2:
        case 8:
        case 9:
        case 11:
            fake.state[id] = 1;
            return true;
        case 3: {
            if (!table) return false;
            // Only a free tile can be swapped: taking a tile out of a meld would break it.
            int at = -1;
            for (size_t i = 0; i < hand.size(); ++i) {
                if (hand[i].isFree() && isSamePai(hand[i], tile)) {
                    at = static_cast<int>(i);
                    break;
                }
            }
            if (at < 0) return false;
            const TPai taken = hand[static_cast<size_t>(at)];
            const TPai got = table->insertPai(static_cast<uint32_t>(value), taken);
            if (!got.isValid()) return false;
            hand.erase(hand.begin() + at);
            hand.push_back(got);
            return true;
        }
        case 4:
            fake.state[4] = turnCount();
            return true;
        case 5:
            if (table) table->makeFivesRed();
            return true;
        case 6:
        case 7:
            if (!ritiFlag) return false;
            fake.state[id] = 1;
            return true;
        default:
            return true;
    }
}

}  // namespace mahjong
