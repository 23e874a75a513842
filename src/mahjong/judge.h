#pragma once
// One reading of a hand: a working copy of the tiles with the role the search gave each,
// per-kind counts, the yaku it earns and its score.
#include <cstdint>
#include <utility>
#include <vector>

#include "mahjong/judge_facts.h"
#include "mahjong/pai.h"
#include "mahjong/pai_array.h"

namespace mahjong {

// Where a winning tile came from.
using TWinSource = int;

enum : int {
    WS_TUMO = 1,     // drawn by the player itself
    WS_SHIMO = 2,    // a discard of the next seat
    WS_TOIMEN = 3,   // of the seat after it
    WS_KAMI = 4,     // of the previous seat
    WS_RINSHAN = 5,  // a replacement tile after a kan
};

constexpr bool isTumoSource(int source) { return source == WS_TUMO || source == WS_RINSHAN; }
constexpr bool isDiscardSource(int source) { return source >= WS_SHIMO && source <= WS_KAMI; }

// Yaku ids: what the result carries and the client shows.
using TYakuId = int;

enum : int {
    YAKU_RITI = 0,
    YAKU_DOUBLE_RITI = 1,
    YAKU_IPPATU = 2,
    YAKU_TUMO = 3,
    YAKU_TANYAO = 4,
    YAKU_PINFU = 5,
    YAKU_IIPEIKO = 6,
    YAKU_YAKUHAI = 7,
    YAKU_HAITEI = 8,
    YAKU_HOUTEI = 9,
    YAKU_RINSHAN = 10,
    YAKU_CHANKAN = 11,
    YAKU_CHIITOI = 12,
    YAKU_SANANKO = 13,
    YAKU_CHANTA = 14,
    YAKU_ITTU = 15,
    YAKU_SANSHOKU = 16,
    YAKU_TOITOI = 17,
    YAKU_HONROUTOU = 18,
    YAKU_SHOUSANGEN = 19,
    YAKU_SANSHOKU_DOUKOU = 20,
    YAKU_SANKANTU = 21,
    YAKU_RYANPEIKO = 22,
    YAKU_HONITU = 23,
    YAKU_JUNCHAN = 24,
    YAKU_CHINITU = 25,
    YAKU_DORA = 26,
    YAKU_RENHOU = 27,  // won before the player's first turn
    YAKU_TENHOU = 28,
    YAKU_TIIHOU = 29,
    YAKU_SUUANKO = 30,
    YAKU_TYUUREN = 31,
    YAKU_KOKUSHI = 32,
    YAKU_DAISANGEN = 33,
    YAKU_TUUIISOU = 34,
    YAKU_RYUUIISOU = 35,
    YAKU_SHOUSUUSHII = 36,
    YAKU_TINROUTOU = 37,
    YAKU_SUUKANTU = 38,
    YAKU_SUUANKO_TANKI = 39,
    YAKU_JUNSEI_TYUUREN = 40,
    YAKU_KOKUSHI_13 = 41,
    YAKU_DAISUUSHII = 42,
    YAKU_NAGASHI = 43,
    YAKU_COUNT = 44,
};

constexpr int kLimitHan = 13;  // an entry of this many han or more is a limit yaku

// Limit levels of a score.
using TLimitLevel = int;

enum : int {
    LIMIT_NONE = 0,
    LIMIT_MANGAN = 1,     // base 2000
    LIMIT_HANEMAN = 2,    // base 3000
    LIMIT_BAIMAN = 3,     // base 4000
    LIMIT_SANBAIMAN = 4,  // base 6000
    LIMIT_YAKUMAN = 5,    // base 8000 from a limit yaku
    LIMIT_COUNTED = 6,    // 13 han or more reached without a limit yaku
    LIMIT_DOUBLE = 7,     // base 16000 with a limit yaku
    LIMIT_TRIPLE = 8,     // base 24000 with a limit yaku
};

class TJudge {
public:
    struct TCount {
        int count = 0;
        int begin = -1;  // position of the kind's first counted tile in the hand copy
    };
    using TYaku = std::pair<int, int>;  // (yaku id, han)

    // A reading of the tiles (or, given none, of the player's hand) won with the given tile
    // from the given source. The caller has already put the winning tile into the tiles.
    // The facts are not owned and must outlive the reading.
    TJudge(const TJudgeFacts* player, const TPai& pai, int source, const TPaiArray* tiles);
    TJudge(const TJudge&) = default;
    TJudge(TJudge&&) = default;
    TJudge& operator=(const TJudge&) = default;
    TJudge& operator=(TJudge&&) = default;
    virtual ~TJudge() = default;

    // Counts over the tiles of one kind in the hand copy.
    virtual int countState(int kind, int state) const;
    virtual bool hasState(int kind, int state, int n) const;
    virtual bool hasSeqPos(int kind, int pos, int n) const;
    virtual bool hasSet(int kind, int n) const;

    // Rebuilds the count table from the hand copy: every tile, or only the free ones.
    void histogram(bool onlyFree);
    int count(int kind) const { return isKindInHandRange(kind) ? counts[kind].count : 0; }

    int totalHan() const;
    bool hasYaku(int id) const;
    // Whether a limit yaku is listed: an entry of 13 han or more other than the dora.
    bool hasYakuman() const;
    // When some entry has at least `minimum` han, erases every entry below it.
    void prune(int minimum);
    // When a limit yaku is listed, erases every entry that is not one (the dora included).
    void pruneToLimitYaku();
    void addYaku(int id, int han) { yaku.emplace_back(id, han); }

    // Works out fu, han field, points and limit level from the yaku list; returns the points.
    int score();

    // Whether the tile at a position of the hand copy came in as part of a meld (a called
    // set or a kan), as opposed to a state the search gave it.
    bool isMeldTile(size_t position) const { return position < melded.size() && melded[position] != 0; }

    const TJudgeFacts& facts() const { return *player; }
    int winningKind() const { return pai.kind; }

    const TJudgeFacts* player;
    TPai pai;
    int source;
    TPaiArray hand;
    TCount counts[PAI_KIND_COUNT];
    std::vector<TYaku> yaku;
    uint8_t openPinfu = 0;   // an open hand with the no-points shape
    uint8_t openTanyao = 0;  // an open hand of simples only
    int fu = 0;
    int han = 0;  // han total + 2 (the exponent of the base points)
    int points = 0;
    int limit = LIMIT_NONE;

private:
    std::vector<uint8_t> melded;  // per hand position: 1 for a tile that came in melded
};

}  // namespace mahjong
