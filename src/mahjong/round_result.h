#pragma once
// The result of one hand: how it ended, the tile and player concerned, the players
// concerned, and what every player won or paid. The server fills it, the table settles it,
// and the round-result messages carry its byte form.
#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

#include "mahjong/pai.h"

namespace mahjong {

class TTable;

// How a hand ended. 1-5 are wins (nagashi included), 6-11 draws.
using TRoundEndCode = int;

enum : int {
    RE_NONE = 0,
    RE_TUMO = 1,       // self-draw; ids: the winner
    RE_RINSHAN = 2,    // self-draw on a replacement tile; ids: the winner
    RE_RON = 3,        // win on a discard; ids: the winners; player: the discarder
    RE_CHANKAN = 4,    // win by robbing an added kan; player: the kan's owner
    RE_NAGASHI = 5,    // ids: the nagashi players
    RE_RYUKYOKU = 6,   // exhaustive draw; ids: the tenpai players
    RE_KYUSHU = 7,     // nine terminal and honour kinds; ids: the declarer
    RE_SUFON = 8,      // four same winds; player and pai: the fourth discard
    RE_SUKAN = 9,      // four kans
    RE_SANCHAHO = 10,  // three wins on one discard; ids: the claimants
    RE_SURITI = 11,    // four riichi; player and pai: the fourth declarer and its discard
};

constexpr bool isWinCode(int code) { return code >= RE_TUMO && code <= RE_NAGASHI; }
constexpr bool isDrawCode(int code) { return code >= RE_RYUKYOKU && code <= RE_SURITI; }

// One player's movement of points in a hand. A payer's values are negative.
struct TRoundScore {
    int hand = 0;      // points won or paid for the hand, responsibility payments included
    int counters = 0;  // honba payments
    int deposit = 0;   // riichi deposit collected
    int total() const { return hand + counters + deposit; }
    bool operator==(const TRoundScore& o) const {
        return hand == o.hand && counters == o.counters && deposit == o.deposit;
    }
};

class TRoundResult {
public:
    // Empties ids and scores; code, tile and player id keep their values.
    void clear();
    // A draw: clear, then the code. Tile and player id are left as they were.
    void setCode(int c);
    // clear, then code, tile (kind, state, both flags) and player id.
    void setAgari(int c, const TPai& tile, int player);

    // The listed winner nearest after the result's player in turn order. With one listed id,
    // that id; -1 when the list is empty. When the result's player is not seated at the
    // table, the first listed id.
    int getNearestWinner(const TTable& table) const;

    // Byte form: L, code, player id, tile (4), n, n x {id, hand, counters, deposit}, m, m ids.
    // L = 9 + 13n + m, stored as its low byte.
    size_t size() const { return 9 + 13 * scores.size() + ids.size(); }
    std::vector<uint8_t> write() const;
    // Reads the byte form; returns the bytes consumed, or 0 (and no change) when the input
    // is shorter than its own length byte or than the entries and ids it announces.
    size_t read(const uint8_t* bytes, size_t length);

    bool operator==(const TRoundResult& o) const;

    int code = RE_NONE;
    TPai pai;           // the winning or final tile
    int playerId = -1;  // -1 for none
    std::vector<int> ids;
    std::map<int, TRoundScore> scores;  // by player id
};

}  // namespace mahjong
