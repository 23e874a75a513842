// The search on arbitrary tiles: any kinds, states and counts, any mode, source and facts.
#include <algorithm>

#include "mahjong/judgement.h"
#include "support/fuzz.h"

using namespace mahjong;

namespace {

std::vector<uint8_t> tilesBytes(std::initializer_list<int> kinds, int state = 0) {
    std::vector<uint8_t> out;
    for (int k : kinds) TPai(k, state).appendTo(out);
    return out;
}

}  // namespace

std::vector<std::vector<uint8_t>> mjFuzzSeeds() {
    // Header: mode, source, seat, round, turn, flags; then tiles in their 4-byte form.
    std::vector<uint8_t> header = {0, 1, 1, 0, 20, 1};
    auto seed = [&](std::vector<uint8_t> tiles) {
        std::vector<uint8_t> s = header;
        s.insert(s.end(), tiles.begin(), tiles.end());
        return s;
    };
    auto melded = tilesBytes({31, 31, 31}, PS_PON);
    auto rest = tilesBytes({0, 1, 2, 3, 4, 5, 18, 19, 20, 26, 26});
    melded.insert(melded.end(), rest.begin(), rest.end());
    return {
        seed(tilesBytes({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 13})),
        seed(tilesBytes({0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 8, 8, 4})),
        seed(tilesBytes({0, 8, 9, 17, 18, 26, 27, 28, 29, 30, 31, 32, 33, 33})),
        seed(tilesBytes({0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6})),
        seed(melded),
    };
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 6) return 0;
    TJudgeFactsData facts;
    const int mode = data[0] & 0x0F;
    const int source = static_cast<int8_t>(data[1]);
    facts.seat = static_cast<int8_t>(data[2]);
    facts.round = static_cast<int8_t>(data[3]);
    facts.turn = static_cast<int8_t>(data[4]);
    facts.closed = data[5] & 1;
    facts.riti = data[5] & 2;
    facts.ritiTurnValue = facts.riti ? data[4] / 2 : -1;
    facts.robbing = data[5] & 4;
    facts.wall = (data[5] & 8) ? facts.ruleRecord.deadWall : 60;
    for (size_t off = 6; off + 4 <= size; off += 4) {
        TPai t;
        t.read(data + off, size - off);
        if (facts.hand.size() < 40)
            facts.hand.push_back(t);
        else if (facts.doras.size() < 8)
            facts.doras.push_back(t);
        else
            facts.uraDoras.push_back(t);
    }
    const TPai winning = facts.hand.empty() ? TPai() : facts.hand.back();

    TJudgement judgement(&facts);
    const bool tenpai = judgement.judge(JM_TENPAI, winning, source);
    const bool agari = judgement.judge(JM_AGARI, winning, source);
    const bool full = judgement.judge(mode & 3, winning, source);
    // A win is complete, and the full search finds a reading exactly when a quick one does.
    if (agari && !tenpai) __builtin_trap();
    if (full != agari) __builtin_trap();
    const auto& results = judgement.results();
    for (size_t i = 0; i < results.size(); ++i) {
        const TJudge& r = *results[i];
        if (r.yaku.empty() || r.points <= 0 || r.points % 100 != 0) __builtin_trap();
        if (i > 0 && results[i - 1]->points < r.points) __builtin_trap();
        if (r.hand.size() != facts.hand.size()) __builtin_trap();
        for (size_t k = 0; k < r.hand.size(); ++k) {
            // A meld keeps its state; states a reading gives (pair, concealed sets) may be given anew.
            const int before = facts.hand[k].state;
            if (before >= PS_TI_LOW && before <= PS_KAKAN && r.hand[k].state != before) __builtin_trap();
        }
    }
    (void)judgement.judge(mode, winning, source);
    return 0;
}
