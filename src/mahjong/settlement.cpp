// The settlement of a hand, the move to the next hand and the end of the game.
#include <algorithm>
#include <cstdint>

#include "mahjong/error_sink.h"
#include "mahjong/judgement.h"
#include "mahjong/player.h"
#include "mahjong/table.h"
#include "mahjong/yaku.h"

namespace mahjong {
namespace {

struct TPaoAmount {
    int yaku;
    int nonDealer;
    int dealer;
};

constexpr TPaoAmount kPaoAmounts[] = {
    {YAKU_DAISANGEN, 32000, 48000},
    {YAKU_DAISUUSHII, 64000, 96000},
    {YAKU_SUUKANTU, 32000, 48000},
};

int roundUp100(int v) { return v <= 0 ? v : (v + 99) / 100 * 100; }

// A rule read off the wire can carry any start and target points, so a balance saturates
// rather than wrapping into a sign flip.
int addPoints(int balance, int64_t delta) {
    const int64_t sum = static_cast<int64_t>(balance) + delta;
    return static_cast<int>(std::clamp<int64_t>(sum, INT32_MIN, INT32_MAX));
}

// One winner of a hand, judged before any point moves.
struct TWinner {
    TPlayer* player;
    int id;
    int source;
    TJudgePtr reading;
};

}  // namespace

int TTable::payPao(const TJudge& reading, int winnerId, TRoundResult& result, int percent, bool dealerWinner) {
    // A responsible player never pays more than its share of what the hand is worth, or
    // the other players would receive points on a self-draw.
    const int cap = static_cast<int>(static_cast<int64_t>(reading.points) * percent / 100);
    int total = 0;
    for (const auto& a : kPaoAmounts) {
        if (!reading.hasYaku(a.yaku)) continue;
        const auto it = pao.find(a.yaku);
        if (it == pao.end()) continue;
        const auto forIt = paoFor.find(a.yaku);
        const int forId = forIt == paoFor.end() ? -1 : forIt->second;
        if (forId >= 0 && forId != winnerId) continue;
        const int payer = it->second;
        if (payer == winnerId || getSeatIndex(payer) < 0) continue;
        const auto entry = result.scores.find(payer);
        if (entry == result.scores.end()) continue;
        const int amount = (dealerWinner ? a.dealer : a.nonDealer) * percent / 100;
        const int charge = std::min(amount, cap - total);
        if (charge <= 0) continue;
        entry->second.hand -= charge;
        total += charge;
    }
    return total;
}

void TTable::collectTenpai() {
    if (lastResult.code != RE_RYUKYOKU) return;
    const int n = std::min(playerCount(), static_cast<int>(seats.size()));
    for (int i = 0; i < n; ++i) {
        const TPlayerPtr& p = seats[static_cast<size_t>(i)];
        if (p && p->isTenpai()) lastResult.ids.push_back(p->playerId);
    }
}

void TTable::overRound() {
    TRoundResult& r = lastResult;
    const int n = std::min(playerCount(), static_cast<int>(seats.size()));
    const int code = r.code;

    // The players concerned, seated and each once.
    std::vector<TPlayer*> listed;
    for (int id : r.ids) {
        TPlayer* p = getPlayer(id).get();
        if (p && getSeatIndex(id) < n && std::find(listed.begin(), listed.end(), p) == listed.end())
            listed.push_back(p);
    }
    const bool onDiscard = code == RE_RON || code == RE_CHANKAN;
    bool valid = isWinCode(code) || isDrawCode(code);
    if (onDiscard) {
        // The discarder must be another seated player.
        const int s = getSeatIndex(r.playerId);
        valid = s >= 0 && s < n;
        for (TPlayer* p : listed) valid = valid && p->playerId != r.playerId;
    }

    // The winning tile joins a hand free, whatever role it had where it came from.
    const TPai won(r.pai.kind, PS_FREE, r.pai.red);

    // Judge every winner before anything moves, so that a hand without a yaku leaves the
    // table exactly as it was.
    std::vector<TWinner> winners;
    if (valid && isWinCode(code)) {
        for (TPlayer* p : listed) {
            TWinner w{p, p->playerId, WS_TUMO, TJudgePtr()};
            if (code == RE_NAGASHI) {
                w.reading.reset(new TJudge(p, TPai(), WS_TUMO, &p->hand));
                if (judgeNagashi(*w.reading))
                    w.reading->score();
                else
                    w.reading.reset();
            } else {
                w.source = code == RE_RINSHAN ? WS_RINSHAN : onDiscard ? getDirection(w.id, r.playerId) : WS_TUMO;
                TPaiArray tiles = p->hand;
                if (onDiscard) tiles.push_back(won);
                const bool wasRobbing = p->robbing;
                if (code == RE_CHANKAN) p->robbing = true;
                auto& judgement = p->judgement();
                if (!judgement) judgement.reset(new TJudgement(p));
                if (judgement->judge(JM_FULL, won, w.source, &tiles) && !judgement->results().empty())
                    w.reading = judgement->results().front();
                p->robbing = wasRobbing;
            }
            if (!w.reading) {
                reportError(errtext::kOverRoundNoYaku);
                return;
            }
            winners.push_back(w);
        }
    }

    r.scores.clear();
    for (int i = 0; i < n; ++i) {
        if (seats[static_cast<size_t>(i)]) r.scores[seats[static_cast<size_t>(i)]->playerId] = {};
    }

    if (!valid) {
        reportError(errtext::kOverRoundBadCode);
    } else if (isWinCode(code)) {
        for (TWinner& w : winners) {
            TPlayer* p = w.player;
            if (code == RE_NAGASHI) {
                if (p->judgement()) p->judgement()->results().push_back(w.reading);
            } else {
                p->shown = true;
                if (onDiscard) p->draw(won, w.source);
                if (code == RE_CHANKAN) p->robbing = true;
            }
            const int value = w.reading->points;
            const bool dealerWinner = p->kaze == 0;
            int received = 0;
            int counters = 0;
            if (!onDiscard) {
                const int charged = payPao(*w.reading, w.id, r, 100, dealerWinner);
                const int rest = value - charged;
                received = charged;
                for (int i = 0; i < n; ++i) {
                    const TPlayerPtr& q = seats[static_cast<size_t>(i)];
                    if (!q || q.get() == p) continue;
                    const int share = dealerWinner ? rest / 3 : q->kaze == 0 ? rest / 2 : rest / 4;
                    const int pay = roundUp100(share);
                    TRoundScore& s = r.scores[q->playerId];
                    s.hand -= pay;
                    s.counters -= honba * 100;
                    received += pay;
                    counters += honba * 100;
                }
            } else {
                const int charged = payPao(*w.reading, w.id, r, 50, dealerWinner);
                TRoundScore& s = r.scores[r.playerId];
                s.hand -= value - charged;
                s.counters -= honba * 300;
                received = value;
                counters = honba * 300;
            }
            // The winner is credited exactly the counters charged on its behalf.
            w.reading->points = received;
            r.scores[w.id].hand += received;
            r.scores[w.id].counters += counters;
        }
        if (ritiDeposit > 0 && !winners.empty()) {
            TRoundResult nearest;
            nearest.playerId = r.playerId;
            for (const TWinner& w : winners) nearest.ids.push_back(w.id);
            r.scores[nearest.getNearestWinner(*this)].deposit += ritiDeposit;
            ritiDeposit = 0;
        }
    } else if (code == RE_RYUKYOKU) {
        const int t = static_cast<int>(listed.size());
        if (t == n) {
            for (int i = 0; i < n; ++i) {
                if (seats[static_cast<size_t>(i)]) seats[static_cast<size_t>(i)]->shown = true;
            }
        } else if (t > 0) {
            const int pot = 1000 * n - 1000;
            for (int i = 0; i < n; ++i) {
                const TPlayerPtr& q = seats[static_cast<size_t>(i)];
                if (!q) continue;
                if (std::find(listed.begin(), listed.end(), q.get()) != listed.end()) {
                    q->shown = true;
                    r.scores[q->playerId].hand += pot / t;
                } else {
                    r.scores[q->playerId].hand -= pot / (n - t);
                }
            }
        }
    } else if (code == RE_KYUSHU || code == RE_SANCHAHO) {
        for (TPlayer* p : listed) p->shown = true;
    } else if (code == RE_SUFON || code == RE_SURITI) {
        TPlayer* p = getPlayer(r.playerId).get();
        if (p) p->sute(r.pai);
        if (code == RE_SURITI) {
            for (auto& q : seats) {
                if (q) q->shown = true;
            }
        }
    }

    for (const auto& [id, s] : r.scores) {
        TPlayer* p = getPlayer(id).get();
        if (p) p->points = addPoints(p->points, s.total());
    }
    updateRank();
}

bool TTable::isOyaMoving() const {
    const TPlayerPtr& d = dealer();
    if (!d) return true;
    return std::find(lastResult.ids.begin(), lastResult.ids.end(), d->playerId) == lastResult.ids.end();
}

bool TTable::isOyaAgari() const {
    if (!isWinCode(lastResult.code)) return false;
    return !isOyaMoving();
}

bool TTable::nextRound(bool continueFlag) {
    if (isBusted()) {
        endGame();
        return false;
    }
    const int code = lastResult.code;
    const bool win = isWinCode(code);
    const bool moving = (win || code == RE_RYUKYOKU) ? isOyaMoving() : false;

    const bool lastHand = handNumber >= 3 && ((rule->gameLength == 1 && roundWind == 0) ||
                                              ((rule->gameLength == 0 || rule->gameLength == 1) && roundWind == 1));
    if (lastHand) {
        if (!moving && continueFlag) {
            ++dealerStreak;
            ++honba;
            return true;
        }
        endGame();
        return false;
    }
    if (moving) {
        dealerStreak = 0;
        honba = win ? 0 : honba + 1;
        if (handNumber >= 3) {
            handNumber = 0;
            ++roundWind;
        } else {
            ++handNumber;
        }
        return true;
    }
    ++dealerStreak;
    ++honba;
    return true;
}

void TTable::endGame() {
    gameOver = true;
    std::vector<TPlayer*> order;
    for (auto& p : seats) {
        if (p) order.push_back(p.get());
    }
    if (order.empty()) return;
    const auto seatOrder = [](const TPlayer* p) { return ((p->fixedSeat - 1) % 4 + 4) % 4; };
    std::stable_sort(order.begin(), order.end(), [&](const TPlayer* a, const TPlayer* b) {
        if (a->points != b->points) return a->points > b->points;
        return seatOrder(a) > seatOrder(b);
    });
    int k = 0;
    while (k + 1 < static_cast<int>(order.size()) && order[static_cast<size_t>(k) + 1]->points == order[0]->points) ++k;
    const int64_t bonus =
        (static_cast<int64_t>(rule->targetPoints) - static_cast<int64_t>(rule->startPoints)) * rule->players;
    const int64_t each = bonus / (k + 1);
    for (int i = 0; i <= k; ++i)
        order[static_cast<size_t>(i)]->points = addPoints(order[static_cast<size_t>(i)]->points, each);
    // The share that does not divide evenly goes to the first in order, so that the bonus
    // paid is exactly the whole of it.
    order[0]->points = addPoints(order[0]->points, bonus - each * (k + 1));
    for (size_t i = 0; i < order.size(); ++i) order[i]->rank = static_cast<int>(i);
}

}  // namespace mahjong
