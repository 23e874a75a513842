#include <gtest/gtest.h>

#include "mahjong/player.h"
#include "table_fixture.h"

using namespace mahjong;
using mahjong::tileOf;
using mahjong::tilesOf;
using mjtest::TableSetup;

namespace {

// Waits on 2s and 5s with all simples, so a win on either has a yaku without riichi.
constexpr const char* kTanyaoWait = "234m 456p 678s 55p 34s";

bool holds(const TPaiArray& list, const char* tile) {
    const TPai t = tileOf(tile);
    return std::any_of(list.begin(), list.end(), [&](const TPai& x) { return isSamePai(x, t); });
}

}  // namespace

TEST(PlayerOptions, OwnDrawOptions) {
    // A tenpai hand after drawing 9m: riichi on the 9m, discard always.
    TableSetup s;
    s.setHand(1, kTanyaoWait);
    s.p(1).draw(tileOf("9m"), DRAW_WALL);
    uint32_t a = s.p(1).getTumoActions();
    EXPECT_EQ(a & (CK_SUTE | CK_RITI | CK_TUMO | CK_KAN), CK_SUTE | CK_RITI);
    EXPECT_TRUE(holds(s.p(1).getRitiOptions(), "9m"));

    // Points of 999 never offer riichi; neither do fewer tiles left than players.
    s.p(1).points = 999;
    EXPECT_EQ(s.p(1).getTumoActions() & CK_RITI, 0u);
    EXPECT_TRUE(s.p(1).getRitiOptions().empty());
    s.p(1).points = 1000;
    s.setWall(14 + 3);
    EXPECT_EQ(s.p(1).getTumoActions() & CK_RITI, 0u);
    s.setWall(14 + 4);
    EXPECT_NE(s.p(1).getTumoActions() & CK_RITI, 0u);

    // A wait on a kind whose four tiles the hand holds itself is no wait: discarding the 9p
    // would leave 2222m waiting on a fifth 2m.
    TableSetup f;
    f.setHand(0, "2222m 345p 678s 555s 9p");
    f.p(0).lastTumo = tileOf("9p");
    f.p(0).lastTumoType = DRAW_WALL;
    EXPECT_NE(f.p(0).getTumoActions() & CK_RITI, 0u);
    EXPECT_TRUE(holds(f.p(0).getRitiOptions(), "2m"));
    EXPECT_FALSE(holds(f.p(0).getRitiOptions(), "9p"));
    EXPECT_NE(f.p(0).getTumoActions() & CK_KAN, 0u) << "four free 2m make a concealed kan";
    EXPECT_TRUE(holds(f.p(0).getKanOptions(), "2m"));

    // Self-drawn win, and the nine-kinds draw before the first go-around is over.
    TableSetup w;
    w.setHand(1, kTanyaoWait);
    w.p(1).draw(tileOf("5s"), DRAW_WALL);
    EXPECT_NE(w.p(1).getTumoActions() & CK_TUMO, 0u);
    TableSetup n;
    n.table->turn = 2;
    n.setHand(2, "19m 19p 19s 1234z 55m 6m");
    n.p(2).draw(tileOf("7m"), DRAW_WALL);
    EXPECT_NE(n.p(2).getTumoActions() & CK_KYUSHU, 0u);
    n.table->turn = 4;
    EXPECT_EQ(n.p(2).getTumoActions() & CK_KYUSHU, 0u);
    n.p(2).fake.ids = {5};
    EXPECT_NE(n.p(2).getTumoActions() & CK_FAKE, 0u);
}

TEST(PlayerOptions, KanInRiitiOnlyOnTheDrawnTileWhileTheWaitStays) {
    // Drawn fourth 1m; with the four set aside the hand still waits on 4m.
    TableSetup s;
    s.setHand(0, "111m 23m 456p 789s 11z");
    s.p(0).ritiFlag = true;
    s.p(0).draw(tileOf("1m"), DRAW_WALL);
    const TPaiArray before = s.p(0).hand;
    EXPECT_NE(s.p(0).getTumoActions() & CK_KAN, 0u);
    EXPECT_TRUE(holds(s.p(0).getKanOptions(), "1m"));
    ASSERT_EQ(s.p(0).hand.size(), before.size());
    for (size_t i = 0; i < before.size(); ++i) EXPECT_EQ(s.p(0).hand[i].state, PS_FREE);

    // Four of a kind that is not the drawn tile: no kan in riichi.
    TableSetup o;
    o.setHand(0, "1111m 23m 456p 789s 1z");
    o.p(0).ritiFlag = true;
    o.p(0).draw(tileOf("1z"), DRAW_WALL);
    EXPECT_EQ(o.p(0).getTumoActions() & CK_KAN, 0u);

    // The kan would leave nothing to wait on.
    TableSetup b;
    b.setHand(0, "111m 2345m 6789p 17z");
    b.p(0).ritiFlag = true;
    b.p(0).draw(tileOf("1m"), DRAW_WALL);
    EXPECT_EQ(b.p(0).getTumoActions() & CK_KAN, 0u);
}

TEST(PlayerOptions, ClaimsOnADiscard) {
    // Player 1 with 55p and 456p on a 5p of its left neighbour: pon, chi on 4p, kan.
    TableSetup s;
    s.setHand(1, kTanyaoWait);
    EXPECT_EQ(s.p(1).getCallOptions(tileOf("5p"), TD_KAMI), CK_PON | CK_TI | CK_MINKAN);
    ASSERT_EQ(s.p(1).getTiOptions().size(), 1u);
    EXPECT_EQ(s.p(1).getTiOptions()[0].kind, 21);
    // From the next seat there is no chi.
    EXPECT_EQ(s.p(1).getCallOptions(tileOf("5p"), TD_SHIMO), CK_PON | CK_MINKAN);
    EXPECT_TRUE(s.p(1).getTiOptions().empty());
    EXPECT_EQ(s.p(1).getCallOptions(tileOf("2s"), TD_SHIMO), CK_RON);

    // In riichi: ron still, but no pon, chi or kan.
    s.p(1).ritiFlag = true;
    EXPECT_EQ(s.p(1).getCallOptions(tileOf("5p"), TD_KAMI), 0u);
    EXPECT_EQ(s.p(1).getCallOptions(tileOf("5s"), TD_KAMI), CK_RON);
    s.p(1).ritiFlag = false;

    // The last tile of the hand offers ron only.
    s.setWall(14);
    EXPECT_EQ(s.p(1).getCallOptions(tileOf("5p"), TD_KAMI), 0u);
    EXPECT_EQ(s.p(1).getCallOptions(tileOf("2s"), TD_KAMI), CK_RON);

    // Having discarded a winning tile itself, the player is offered no ron at all.
    s.setWall(70);
    s.p(1).sutes.push_back(TSutePai(tileOf("5s"), 1, 3));
    EXPECT_EQ(s.p(1).getCallOptions(tileOf("2s"), TD_KAMI), CK_TI);
    EXPECT_TRUE(s.p(1).isFuriten());
}

TEST(PlayerOptions, RobbingOnlyAnAddedKan) {
    TableSetup s;
    s.setHand(1, kTanyaoWait);
    s.setHand(3, "p:222s 2s 123m 456m 789m");
    ASSERT_EQ(s.p(3).kan(tileOf("2s"), 3), 7);
    // Player 3 sits two seats on from player 1.
    EXPECT_EQ(s.p(1).getKanCallOptions(tileOf("2s"), TD_TOIMEN), CK_RON);
    TPai added = tileOf("2s");
    added.state = PS_KAKAN;
    EXPECT_EQ(s.p(1).getKanCallOptions(added, TD_SHIMO), CK_RON);

    TableSetup c;
    c.setHand(1, kTanyaoWait);
    c.setHand(3, "2222s 123m 456m 789m");
    ASSERT_EQ(c.p(3).kan(tileOf("2s"), 3), 5);
    EXPECT_EQ(c.p(1).getKanCallOptions(tileOf("2s"), TD_TOIMEN), 0u);
    EXPECT_FALSE(c.p(1).robbing);
}

TEST(PlayerOptions, FuritenTimeline) {
    TableSetup s;
    s.setHand(1, kTanyaoWait);
    EXPECT_TRUE(s.p(1).isTenpai());

    // Turn 4: player 0 discards a winning tile and player 1 lets it pass.
    s.table->turn = 4;
    s.table->checkFuriten(tileOf("2s"), 0, false);
    EXPECT_TRUE(s.p(1).furiten);
    EXPECT_EQ(s.p(1).furitenTurn, 4);
    EXPECT_FALSE(s.p(2).furiten) << "a player that cannot win notes nothing";
    EXPECT_FALSE(s.p(1).isFuriten()) << "the discard itself may still be won";
    EXPECT_EQ(s.p(1).getCallOptions(tileOf("2s"), TD_KAMI) & CK_RON, CK_RON);

    // From the next turn on no ron is offered, on either wait.
    s.table->nextTurn(-1);
    EXPECT_TRUE(s.p(1).isFuriten());
    EXPECT_EQ(s.p(1).getCallOptions(tileOf("5s"), TD_KAMI) & CK_RON, 0u);

    // Its own draw from the wall clears the record.
    s.p(1).draw(tileOf("9m"), DRAW_WALL);
    ASSERT_TRUE(s.p(1).sute(tileOf("9m")));
    s.table->turn = 8;
    EXPECT_FALSE(s.p(1).isFuriten());
    EXPECT_EQ(s.p(1).getCallOptions(tileOf("5s"), TD_SHIMO), CK_RON);

    // In riichi the record stays for the rest of the hand.
    s.p(1).ritiFlag = true;
    s.table->checkFuriten(tileOf("5s"), 2, false);
    s.table->turn = 9;
    s.p(1).draw(tileOf("9p"), DRAW_WALL);
    ASSERT_TRUE(s.p(1).sute(tileOf("9p")));
    s.table->turn = 12;
    EXPECT_TRUE(s.p(1).isFuriten());
    EXPECT_EQ(s.p(1).getCallOptions(tileOf("2s"), TD_KAMI), 0u);

    // A missed robbing of an added kan counts the same.
    TableSetup k;
    k.setHand(1, kTanyaoWait);
    k.table->turn = 6;
    EXPECT_TRUE(k.p(1).noteFuriten(tileOf("2s"), 3, true));
    EXPECT_FALSE(k.p(1).robbing);
    EXPECT_EQ(k.p(1).furitenTurn, 6);
}

TEST(PlayerOptions, TenpaiIgnoresAWaitOnTilesAllHeld) {
    TableSetup s;
    s.setHand(0, "2222m 345p 678s 555s");
    EXPECT_FALSE(s.p(0).isTenpai());
    s.setHand(0, "222m 345p 678s 555s 9p");
    EXPECT_TRUE(s.p(0).isTenpai());
    s.setHand(0, "a:2222m 345p 678s 555s 9p");
    EXPECT_TRUE(s.p(0).isTenpai());
}
