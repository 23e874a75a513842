// The questions asked of a player before every step: what it may do after its own draw, on
// another player's discard or added kan, whether it can win, is tenpai or furiten.
#include <algorithm>

#include "mahjong/judgement.h"
#include "mahjong/player.h"
#include "mahjong/table.h"
#include "mahjong/yaku.h"

namespace mahjong {

void TPlayer::judge() {
    points = static_cast<int>(rule().startPoints);
    rank = 0;
    judgement_.reset(new TJudgement(this));
    const bool made = table && table->ratingFactory;
    rating_ = made ? table->ratingFactory(rule(), *this) : boost::shared_ptr<TRating>();
}

void TPlayer::clearJudgement() {
    if (judgement_) judgement_->clear();
}

bool TPlayer::judgeWith(int mode, const TPai& tile, int source, const TPaiArray& tiles) {
    if (!judgement_) judgement_.reset(new TJudgement(this));
    return judgement_->judge(mode, tile, source, &tiles);
}

bool TPlayer::canAgari(const TPai& tile, int source) {
    // The tile is tried on a copy, so the hand stays exactly as it was. Whatever role the
    // tile played where it came from (a kan, a pond), it joins the hand free.
    const TPai t(tile.kind, PS_FREE, tile.red);
    TPaiArray tiles = hand;
    tiles.push_back(t);
    return judgeWith(JM_AGARI, t, source, tiles);
}

bool TPlayer::canAgariRobbing(const TPai& tile, int source) {
    const bool was = robbing;
    robbing = true;
    const bool ok = canAgari(tile, source);
    robbing = was;
    return ok;
}

bool TPlayer::isTenpai() {
    TPaiArray tiles = hand;
    tiles.push_back(TPai());
    for (int kind = 0; kind < PAI_KIND_COUNT; ++kind) {
        // A wait on a kind whose four tiles the player holds itself can never be won.
        if (countAll(kind) >= 4) continue;
        tiles.back() = TPai(kind);
        if (judgeWith(JM_TENPAI, tiles.back(), WS_TUMO, tiles)) return true;
    }
    return false;
}

uint32_t TPlayer::getTumoActions() {
    uint32_t actions = CK_SUTE;
    tiOptions.clear();
    kanOptions.clear();
    ritiOptions.clear();
    const TRule& r = rule();
    const int left = wallCount() - r.deadWall;

    if (!ritiFlag && closed && points >= 1000 && left >= r.players) {
        TPaiArray tiles = hand;
        for (size_t i = 0; i < hand.size(); ++i) {
            if (!hand[i].isFree()) continue;
            const TPai out = hand[i];
            for (int kind = 0; kind < PAI_KIND_COUNT; ++kind) {
                // The hand without the discard must not hold all four of the wait.
                if (countAll(kind) - (out.kind == kind ? 1 : 0) >= 4) continue;
                tiles[i] = TPai(kind);
                if (judgeWith(JM_TENPAI, tiles[i], WS_TUMO, tiles)) {
                    actions |= CK_RITI;
                    ritiOptions.push_back(out);
                    break;
                }
            }
            tiles[i] = out;
        }
        ritiOptions.erase(std::unique(ritiOptions.begin(), ritiOptions.end(), isSamePai), ritiOptions.end());
    }

    const int tableKans = table ? table->getKanCount() : kanCount;
    if (tableKans < 4 && left > 0) {
        if (!ritiFlag) {
            for (int kind = 0; kind < PAI_KIND_COUNT; ++kind) {
                const int free = countFree(kind);
                if (free == 4 || (free >= 1 && countState(kind, PS_PON) == 3)) {
                    actions |= CK_KAN;
                    kanOptions.push_back(TPai(kind));
                }
            }
        } else if (!hand.empty()) {
            // In riichi only the tile just drawn may be made a kan, and only while the hand
            // still waits on something with the four tiles set aside.
            const TPai drawn = hand.back();
            const int kind = drawn.kind;
            if (drawn.isFree() && countFree(kind) == 4) {
                const TPaiArray saved = hand;
                for (auto& t : hand) {
                    if (t.kind == kind && t.isFree()) t.state = PS_ANKAN;
                }
                bool waits = false;
                for (int k = 0; k < PAI_KIND_COUNT && !waits; ++k) {
                    if (countAll(k) >= 4) continue;
                    waits = canAgari(TPai(k), WS_TUMO);
                }
                hand = saved;
                if (waits) {
                    actions |= CK_KAN;
                    kanOptions.push_back(drawn);
                }
            }
        }
    }

    if (judgeWith(JM_AGARI, lastTumo, lastTumoType, hand)) actions |= CK_TUMO;

    if (turnCount() < r.players) {
        int kinds = 0;
        for (int kind = 0; kind < PAI_KIND_COUNT; ++kind) {
            if (isYaochuKind(kind) && countAll(kind) > 0) ++kinds;
        }
        if (kinds >= 9) actions |= CK_KYUSHU;
    }

    actions |= hasFakeB();
    return actions;
}

uint32_t TPlayer::getCallOptions(const TPai& tile, int source) {
    uint32_t options = 0;
    tiOptions.clear();
    kanOptions.clear();
    ritiOptions.clear();
    const TRule& r = rule();
    const int left = wallCount() - r.deadWall;
    if (!tile.isValid()) return 0;

    if (canAgari(tile, source) && !isFuriten()) options |= CK_RON;

    if (!ritiFlag && left >= 1) {
        const int kind = tile.kind;
        if (countFree(kind) >= 2) options |= CK_PON;
        if (source == r.players && tile.isSuit()) {
            const int n = tile.getNumber();
            const auto has = [&](int k) { return countFree(k) > 0; };
            if (n >= 3 && has(kind - 2) && has(kind - 1)) {
                options |= CK_TI;
                tiOptions.push_back(TPai(kind - 2));
            }
            if (n >= 2 && n <= 8 && has(kind - 1) && has(kind + 1)) {
                options |= CK_TI;
                tiOptions.push_back(TPai(kind - 1));
            }
            if (n <= 7 && has(kind + 1) && has(kind + 2)) {
                options |= CK_TI;
                tiOptions.push_back(TPai(kind));
            }
        }
        const int tableKans = table ? table->getKanCount() : kanCount;
        if (tableKans < 4 && countFree(kind) >= 3) options |= CK_MINKAN;
    }
    return options;
}

uint32_t TPlayer::getKanCallOptions(const TPai& tile, int source) {
    tiOptions.clear();
    kanOptions.clear();
    ritiOptions.clear();
    if (!tile.isValid()) return 0;
    // Only a tile added to an open triplet can be robbed: the tile says so itself, or the
    // kan's owner (the seat in that direction) holds the added kan.
    bool added = tile.state == PS_KAKAN;
    if (!added && table && source >= TD_SHIMO && source <= TD_KAMI) {
        const int me = table->getSeatIndex(playerId);
        const TPlayerPtr& owner = table->seatAt(me + source - 1);
        if (me >= 0 && owner) {
            added = std::any_of(owner->hand.begin(), owner->hand.end(),
                                [&](const TPai& t) { return t.kind == tile.kind && t.state == PS_KAKAN; });
        }
    }
    if (!added) return 0;
    return canAgariRobbing(tile, source) && !isFuriten() ? static_cast<uint32_t>(CK_RON) : 0u;
}

bool TPlayer::noteFuriten(const TPai& tile, int discarderId, bool kanFlag) {
    if (furiten) return true;
    const int dir = table ? table->getDirection(playerId, discarderId) : TD_MY;
    const bool could = kanFlag ? canAgariRobbing(tile, dir) : canAgari(tile, dir);
    if (could) {
        furiten = true;
        furitenTurn = turnCount();
    }
    return could;
}

bool TPlayer::isFuriten() {
    if (furiten && furitenTurn < turnCount()) return true;
    for (const auto& d : sutes) {
        TPai t(d.kind, PS_FREE, d.red);
        if (canAgari(t, WS_TUMO)) return true;
    }
    return false;
}

bool TPlayer::isNagashi() {
    TJudge reading(this, TPai(), WS_TUMO, &hand);
    return judgeNagashi(reading);
}

}  // namespace mahjong
