#include "mahjong/table.h"

#include <algorithm>

#include "framework/random.h"
#include "mahjong/player.h"

namespace mahjong {
namespace {

// The magnitude of a draw read as a signed 32-bit value, taken in unsigned arithmetic so
// that -2^31 gives 2^31 and every pick stays in range.
uint32_t magnitude(uint32_t r) { return (r & 0x80000000u) ? 0u - r : r; }

// A pick below k (k > 0).
int pickBelow(TRandom& rnd, int k) {
    if (k <= 0) return 0;
    return static_cast<int>(magnitude(rnd.next()) % static_cast<uint32_t>(k));
}

int rollDie(TRandom& rnd) { return static_cast<int>(magnitude(rnd.next()) % 6u) + 1; }

int positiveMod(int v, int n) { return ((v % n) + n) % n; }

// Puts the seats in a new order: seat j takes the player now at from(j), whose fixed seat and
// wind become j.
template <typename From>
void reseat(std::deque<TPlayerPtr>& seats, From from) {
    const int n = static_cast<int>(seats.size());
    std::deque<TPlayerPtr> order;
    for (int j = 0; j < n; ++j) {
        TPlayerPtr p = seats[static_cast<size_t>(from(j))];
        if (p) {
            p->fixedSeat = j;
            p->kaze = j;
        }
        order.push_back(p);
    }
    seats = std::move(order);
}

}  // namespace

TTable::TTable(boost::shared_ptr<TRule> r) : rule(std::move(r)) {
    if (!rule) rule.reset(new TRule());
    reset();
}

TTable::~TTable() = default;

int TTable::playerCount() const { return std::max(1, rule->players); }

TPai TTable::getWallTileFromEnd(int k) const {
    if (k < 0 || k >= wallCount()) return TPai();
    return wall[wall.size() - 1 - static_cast<size_t>(k)];
}

TPai TTable::getDora(int i) const { return getWallTileFromEnd(2 * i + 5 - deadWallOffset); }

TPai TTable::getUraDora(int i) const { return getWallTileFromEnd(2 * i + 6 - deadWallOffset); }

int TTable::getDice(int i) const {
    if (i < 0 || i >= static_cast<int>(dice.size())) return 1;
    return dice[static_cast<size_t>(i)];
}

void TTable::setPai(const TPai& tile) {
    pai.kind = tile.kind;
    pai.state = tile.state;
    pai.red = tile.red;
    pai.turned = tile.turned;
}

void TTable::setPao(int yakuId, int playerId) { setPao(yakuId, playerId, -1); }

void TTable::setPao(int yakuId, int playerId, int forPlayerId) {
    pao[yakuId] = playerId;
    paoFor[yakuId] = forPlayerId;
}

bool TTable::addPlayer(const TPlayerPtr& player) {
    if (!player || static_cast<int>(seats.size()) >= rule->players) return false;
    seats.push_back(player);
    return true;
}

void TTable::reset() {
    roundWind = 0;
    handNumber = 0;
    dealerStreak = 0;
    honba = 0;
    gameOver = false;
    turn = 0;
    deadWallOffset = 1;
    ritiDeposit = 0;
    pao.clear();
    paoFor.clear();
    for (auto& p : seats) {
        if (p) p->judge();
    }
    updateRank();
}

void TTable::decideSeats(uint32_t seed) {
    TRandom rnd(seed);
    const int n = static_cast<int>(seats.size());
    wall.clear();
    dice.clear();
    if (n == 0) return;

    wall.push_back(TPai(PAI_EAST));
    for (int k = 2; k <= n; ++k) {
        const int pos = pickBelow(rnd, k);
        wall.insert(wall.begin() + pos, TPai(26 + k));
    }
    const int d1 = rollDie(rnd);
    const int d2 = rollDie(rnd);
    dice.push_back(d1);
    dice.push_back(d2);
    const int s = (d1 + d2 - 1) % n;
    for (int j = 0; j < n; ++j) {
        const int pos = (s % 2 == 0) ? (j + s) % n : n - 1 - ((j + s) % n);
        const TPai wind = wall[static_cast<size_t>(pos)];
        wall.push_back(wind);
    }
    reseat(seats, [&](int j) { return wall[static_cast<size_t>(n + j)].kind - PAI_EAST; });
    wall.clear();
}

void TTable::startRound(uint32_t seed) {
    TRandom rnd(seed);
    turn = 0;
    prevTurn = 0;
    deadWallOffset = 1;
    diceSum = 0;
    wall.clear();
    // Responsibility belongs to the hand in which the calls were made.
    pao.clear();
    paoFor.clear();

    for (int kind = 0; kind <= 33; ++kind) {
        for (int c = 0; c < 4; ++c) {
            TPai t(kind);
            if (kindNumber(kind) == 5) {
                const bool pin = kind == 22;
                switch (rule->redFives) {
                    case 1:
                        t.red = (pin && c == 0) ? 1 : 0;
                        break;
                    case 2:
                        t.red = c == 0 ? 1 : 0;
                        break;
                    case 3:
                        t.red = (c == 0 || (pin && c == 1)) ? 1 : 0;
                        break;
                    default:
                        break;
                }
            }
            const int pos = pickBelow(rnd, static_cast<int>(wall.size()) + 1);
            wall.insert(wall.begin() + pos, t);
        }
    }
    const int n = playerCount();
    for (int i = 0; i < rule->extra3; ++i) {
        const int size = static_cast<int>(wall.size());
        int pos = size;
        if (size >= 13 * n) pos = 13 * n + pickBelow(rnd, size - 13 * n + 1);
        wall.insert(wall.begin() + pos, TPai(PAI_SPECIAL));
    }
    for (int i = 0; i < n; ++i) {
        const TPlayerPtr& p = seatAt(handNumber + i);
        if (p) p->newRound(i);
    }
}

void TTable::decideOya(uint32_t seed) {
    TRandom rnd(seed);
    const int n = playerCount();
    dice.clear();
    const int d1 = rollDie(rnd);
    const int d2 = rollDie(rnd);
    const int s1 = (d1 + d2 - 1) % n;
    const int d3 = rollDie(rnd);
    const int d4 = rollDie(rnd);
    dice.push_back(d3);
    dice.push_back(d4);
    const int s2 = (d3 + d4 + s1 - 1) % n;
    const int m = static_cast<int>(seats.size());
    if (m == 0) return;
    reseat(seats, [&](int i) { return (s2 + i) % m; });
}

void TTable::deal(uint32_t seed) {
    TRandom rnd(seed);
    dice.clear();
    const int d1 = rollDie(rnd);
    const int d2 = rollDie(rnd);
    dice.push_back(d1);
    dice.push_back(d2);
    diceSum = d1 + d2;
    const int n = std::min(playerCount(), static_cast<int>(seats.size()));
    for (int pass = 0; pass < 7; ++pass) {
        const int take = pass < 6 ? 2 : 1;
        for (int i = 0; i < n; ++i) {
            const TPlayerPtr& p = seats[static_cast<size_t>(i)];
            for (int t = 0; t < take && p && !wall.empty(); ++t) p->draw(tumo(), 1);
        }
    }
}

void TTable::sortHands() {
    for (auto& p : seats) {
        if (p) p->hand.sortAlt();
    }
}

TPlayerPtr TTable::nextTurn(int playerId) {
    const int n = playerCount();
    prevTurn = turn;
    const int t = playerId < 0 ? -1 : getSeatIndex(playerId);
    if (t < 0) {
        ++turn;
    } else {
        const int c = turn;
        const int cur = positiveMod(handNumber + c, n);
        turn = c - cur + t + n;
        if (t < cur) turn += n;
    }
    return currentPlayer();
}

TPai TTable::tumo() {
    if (wall.empty()) return TPai();
    TPai t = wall.front();
    wall.pop_front();
    return t;
}

TPai TTable::rinshan() {
    if (wall.empty()) return TPai();
    TPai t = wall.back();
    wall.pop_back();
    ++deadWallOffset;
    return t;
}

void TTable::updateRank() {
    for (auto& p : seats) {
        if (!p) continue;
        int r = 0;
        for (auto& q : seats) {
            if (q && q->points > p->points) ++r;
        }
        p->rank = r;
    }
}

TPai TTable::insertPai(uint32_t seed, const TPai& tile) {
    const auto eligible = [](const TPai& t) { return t.kind < PAI_SPECIAL; };
    if (std::none_of(wall.begin(), wall.end(), eligible)) return TPai();
    TRandom rnd(seed);
    const int size = wallCount();
    int p = -1;
    // A pick past the last tile or onto a special tile is drawn again. The bound only guards
    // against a wall almost wholly special: then the first plain tile from the pick serves.
    for (int tries = 0; tries < 10000; ++tries) {
        const int q = pickBelow(rnd, size + 1);
        if (q < size && eligible(wall[static_cast<size_t>(q)])) {
            p = q;
            break;
        }
        if (tries == 9999) {
            for (int k = 0; k < size; ++k) {
                const int r = (q + k) % size;
                if (eligible(wall[static_cast<size_t>(r)])) {
                    p = r;
                    break;
                }
            }
        }
    }
    TPai out = wall[static_cast<size_t>(p)];
    TPai& slot = wall[static_cast<size_t>(p)];
    slot.kind = tile.kind;
    slot.state = tile.state;
    slot.red = tile.red;
    slot.turned = tile.turned;
    return out;
}

void TTable::makeFivesRed() {
    for (auto& t : wall) {
        if (kindNumber(t.kind) == 5) t.red = 1;
    }
}

TPlayerPtr& TTable::getPlayer(int playerId) {
    for (auto& p : seats) {
        if (p && p->playerId == playerId) return p;
    }
    noPlayer.reset();
    return noPlayer;
}

const TPlayerPtr& TTable::getPlayer(int playerId) const {
    for (auto& p : seats) {
        if (p && p->playerId == playerId) return p;
    }
    return noPlayer;
}

int TTable::getSeatIndex(int playerId) const {
    for (size_t i = 0; i < seats.size(); ++i) {
        if (seats[i] && seats[i]->playerId == playerId) return static_cast<int>(i);
    }
    return -1;
}

const TPlayerPtr& TTable::seatAt(int index) const {
    const int i = positiveMod(index, playerCount());
    if (i >= static_cast<int>(seats.size())) return noPlayer;
    return seats[static_cast<size_t>(i)];
}

const TPlayerPtr& TTable::currentPlayer() const { return seatAt(handNumber + turn); }

const TPlayerPtr& TTable::dealer() const { return seatAt(handNumber); }

TDirection TTable::getDirection(int fromId, int toId) const {
    int s = getSeatIndex(toId) - getSeatIndex(fromId);
    if (s < 0) s += playerCount();
    switch (s) {
        case 1:
            return TD_SHIMO;
        case 2:
            return TD_TOIMEN;
        case 3:
            return TD_KAMI;
        default:
            return TD_MY;
    }
}

int TTable::getKanCount(int* players) const {
    int total = 0;
    for (auto& p : seats) {
        if (!p) continue;
        total += p->kanCount;
        if (players && p->kanCount > 0) ++*players;
    }
    return total;
}

bool TTable::isAllRiti() const {
    for (auto& p : seats) {
        if (p && !p->ritiFlag) return false;
    }
    return true;
}

bool TTable::isSameWindSute() const {
    if (turn != 3 || seats.empty()) return false;
    int kind = -1;
    for (auto& p : seats) {
        if (!p || p->sutes.size() != 1) return false;
        const int k = p->sutes.front().kind;
        if (kind < 0) {
            if (!isWindKind(k)) return false;
            kind = k;
        } else if (k != kind) {
            return false;
        }
    }
    return true;
}

bool TTable::isFourKanDraw() const {
    int players = 0;
    return getKanCount(&players) >= 4 && players > 1;
}

void TTable::checkFuriten(const TPai& tile, int playerId, bool kanFlag) {
    for (auto& p : seats) {
        if (p && p->playerId != playerId) p->noteFuriten(tile, playerId, kanFlag);
    }
}

std::vector<int> TTable::getNagashiPlayers() const {
    std::vector<int> out;
    for (auto& p : seats) {
        if (p && p->isNagashi()) out.push_back(p->playerId);
    }
    return out;
}

bool TTable::isBusted() const {
    const size_t n = std::min(seats.size(), static_cast<size_t>(playerCount()));
    for (size_t i = 0; i < n; ++i) {
        if (seats[i] && seats[i]->points < 0) return true;
    }
    return false;
}

bool TTable::isFirstRound() const { return playerCount() * roundWind + handNumber == 0 && dealerStreak == 0; }

bool TTable::isLastRound() const {
    if (handNumber < 3) return false;
    if (rule->gameLength == 1) return roundWind == 0 || roundWind == 1;
    if (rule->gameLength == 0) return roundWind == 1;
    return false;
}

}  // namespace mahjong
