#include "mahjong/round_result.h"

#include <gtest/gtest.h>

#include "framework/sjis.h"
#include "table_fixture.h"

using namespace mahjong;
using mahjong::tileOf;

namespace {

TRoundResult sample() {
    TRoundResult r;
    r.setAgari(RE_RON, tileOf("0p"), 2);
    r.pai.turned = 1;
    r.ids = {3, 1, 0};
    r.scores[1] = {8000, 300, 1000};
    r.scores[2] = {-8000, -300, 0};
    return r;
}

}  // namespace

TEST(RoundResult, ByteFormRoundTrip) {
    const TRoundResult r = sample();
    const std::vector<uint8_t> bytes = r.write();
    // Two entries and three ids: 9 + 26 + 3.
    ASSERT_EQ(bytes.size(), 38u);
    EXPECT_EQ(bytes[0], 38);
    EXPECT_EQ(bytes[1], RE_RON);
    EXPECT_EQ(bytes[2], 2);
    EXPECT_EQ(bytes[3], 22);
    EXPECT_EQ(bytes[5], 0x03) << "red and turned";
    EXPECT_EQ(bytes[7], 2);
    EXPECT_EQ(bytes[8], 1) << "entries in ascending id order";
    EXPECT_EQ(bytes[9], 0x40);  // 8000 = 0x1F40, little-endian
    EXPECT_EQ(bytes[10], 0x1F);
    EXPECT_EQ(bytes[21], 2);
    EXPECT_EQ(bytes[22], 0xC0);  // -8000
    EXPECT_EQ(bytes[25], 0xFF);
    EXPECT_EQ(bytes[34], 3);
    EXPECT_EQ(bytes[35], 3);

    TRoundResult back;
    EXPECT_EQ(back.read(bytes.data(), bytes.size()), 38u);
    EXPECT_TRUE(back == r);

    // No player and an empty result read back as such.
    TRoundResult none;
    none.setCode(RE_RYUKYOKU);
    const auto nb = none.write();
    ASSERT_EQ(nb.size(), 9u);
    EXPECT_EQ(nb[2], 0xFF);
    TRoundResult nr;
    nr.playerId = 5;
    EXPECT_EQ(nr.read(nb.data(), nb.size()), 9u);
    EXPECT_EQ(nr.playerId, -1);
    EXPECT_EQ(nr.code, RE_RYUKYOKU);
}

TEST(RoundResult, ShortOrInconsistentInputIsRefused) {
    const std::vector<uint8_t> bytes = sample().write();
    TRoundResult r = sample();
    r.ids = {9};
    const TRoundResult before = r;
    for (size_t len = 0; len < bytes.size(); ++len) {
        EXPECT_EQ(r.read(bytes.data(), len), 0u) << len;
        EXPECT_TRUE(r == before);
    }
    EXPECT_EQ(r.read(nullptr, 40), 0u);

    // A length byte that understates the entries does not let the reader run past the
    // input: n says 2 entries but only 12 bytes follow.
    std::vector<uint8_t> lying = bytes;
    lying[0] = 9;
    EXPECT_EQ(r.read(lying.data(), 20), 0u);
    // m announces more ids than there are bytes.
    lying = bytes;
    lying[34] = 10;
    EXPECT_EQ(r.read(lying.data(), lying.size()), 0u);
    EXPECT_TRUE(r == before);
    // Extra bytes after the record are not consumed.
    lying = bytes;
    lying.push_back(0x77);
    EXPECT_EQ(r.read(lying.data(), lying.size()), 38u);
}

TEST(RoundResult, SettersAndNearestWinner) {
    TRoundResult r = sample();
    r.setCode(RE_SUKAN);
    EXPECT_TRUE(r.ids.empty());
    EXPECT_TRUE(r.scores.empty());
    EXPECT_EQ(r.pai.kind, 22) << "a draw keeps the tile and player";
    EXPECT_EQ(r.playerId, 2);

    mjtest::TableSetup s;
    TRoundResult w;
    w.setAgari(RE_RON, tileOf("1m"), 2);
    EXPECT_EQ(w.getNearestWinner(*s.table), -1);
    w.ids = {1, 0, 3};
    EXPECT_EQ(w.getNearestWinner(*s.table), 3);
    w.ids = {1, 0};
    EXPECT_EQ(w.getNearestWinner(*s.table), 0);
    w.playerId = 9;  // nobody at the table: the first listed
    EXPECT_EQ(w.getNearestWinner(*s.table), 1);
}

TEST(ErrorSink, TextsAreShiftJis) {
    // The texts are kept as Shift-JIS bytes; converted from their Japanese they must agree.
    std::string sjis;
    utf8ToSjis(sjis, "[ERROR] TTable::overRound 役がありません");
    EXPECT_EQ(sjis, errtext::kOverRoundNoYaku);
    utf8ToSjis(sjis, "TTable::overRound 不正なコードです");
    EXPECT_EQ(sjis, errtext::kOverRoundBadCode);
}
