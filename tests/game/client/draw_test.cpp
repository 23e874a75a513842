// The table view composed into a recording table: for hand-built rounds, which pictures lie in
// which layer and where, read back the way a person would read the screen.
#include <gtest/gtest.h>

#include "client_art.h"
#include "game/client/client_pools.h"
#include "game/client/mahjong_game.h"
#include "game/packets_s.h"
#include "graphics/graphic.h"
#include "mahjong/judgement.h"
#include "mahjong/player.h"
#include <boost/make_shared.hpp>

using namespace game;
using namespace game::client;
using mahjong::TPai;

namespace {

// A frame that lends its pools and keeps the composed table; the mouse stays away.
struct RecordingHost : TClientHost {
    graphics::TGrTableObj table;
    TClientPools pools;
    std::vector<std::string> boxes;
    RecordingHost() { table.create(800, 600, 100); }
    u32 frameTime() const override { return 0; }
    bool isMouseAction() const override { return false; }
    int mouseX() const override { return -1; }
    int mouseY() const override { return -1; }
    u32 pressedButtons() const override { return 0; }
    void forceHitTest() override {}
    void invalidate() override {}
    void playSe(int) override {}
    void stopMusic() override {}
    void playMusic(const std::string&) override {}
    int musicVolume() const override { return 0; }
    void setMusicVolume(int) override {}
    graphics::TGrTableObj* screenTable() override { return &table; }
    graphics::TSprObj* pushSprObj(const graphics::TSprObj& u) override { return pools.pushSprObj(u); }
    graphics::TNumObj* nextNumObj() override { return pools.nextNumObj(); }
    graphics::TFillObj* nextFillObj(uint32_t c, int o) override { return pools.nextFillObj(c, o); }
    graphics::TTextObj* nextTextObj() override { return pools.nextTextObj(); }
    void messageBox(const std::string& text) override { boxes.push_back(text); }
};

struct DiscardingLink : ServerLink {
    int postToServer(u8, u32, const u8*, int) override { return 1; }
};

// The same picture: one surface, one source rectangle.
bool samePicture(const graphics::TGrObj* o, const graphics::TSprObj& unit) {
    const auto* s = dynamic_cast<const graphics::TSprObj*>(o);
    return s && s->getSurface() == unit.getSurface() && *s->getSourceRect() == *unit.getSourceRect();
}

struct Draw : WithArt {
    DiscardingLink link;
    RecordingHost host;
    TTaskMahjongGameHuman client{LINK_LOCAL, &link, &host};

    void SetUp() override {
        client.connect(boost::shared_ptr<TMahjongProfile>(new TMahjongProfile));
        client.Start();
        seatClient(client, 5, true, 8);
        ASSERT_EQ(client.subStep(), 40);
    }
    mahjong::TTable& table() { return *client.mirror(); }
    mahjong::TPlayer& me() { return *client.ownPlayer(); }
    void compose() {
        host.pools.reset(&host.table);
        client.draw();
    }
    std::list<graphics::TGrObj*>& layer(int n) { return *host.table.getLayer(n); }
    // The object placed at (x, y) in the layer, or null.
    graphics::TGrObj* at(int n, int x, int y) {
        for (graphics::TGrObj* o : layer(n))
            if (o->getX() == x && o->getY() == y) return o;
        return nullptr;
    }
    bool holds(int n, const graphics::TGrObj* o) {
        for (graphics::TGrObj* x : layer(n))
            if (x == o) return true;
        return false;
    }
    const graphics::TSprObj& chip(int sheet, int c) { return mahjongSprites().sheets[sheet].units()[c]; }
    const graphics::TSprObj& fixed(int set, int u) { return mahjongSprites().fixed[set].units()[u]; }
};

TEST_F(Draw, DiscardsRunInRowsOfSixAndTheRiichiTileLiesTurnedEvenAfterItsTileWasCalled) {
    me().sutes.clear();
    for (int k = 0; k < 8; ++k) me().sutes.emplace_back(TPai(k), 1, k + 1);
    me().ritiFlag = true;
    me().ritiAt = 3;
    compose();
    // Own seat: from 237, 377 by 21; the turned tile 4 lower and 30 wide.
    EXPECT_TRUE(samePicture(at(30, 237, 377), chip(4, 0)));
    EXPECT_TRUE(samePicture(at(30, 258, 377), chip(4, 1)));
    EXPECT_TRUE(samePicture(at(30, 279, 381), chip(6, 2)));
    EXPECT_TRUE(samePicture(at(30, 309, 377), chip(4, 3)));
    EXPECT_TRUE(samePicture(at(30, 237, 402), chip(4, 6))) << "the seventh starts the second row";
    EXPECT_TRUE(holds(40, &fixed(FS_RITI_STICK, 0)));

    me().sutes[2].inPond = 0;  // the riichi discard was called away
    compose();
    EXPECT_TRUE(samePicture(at(30, 279, 381), chip(6, 3))) << "the next lying discard turns";
    EXPECT_TRUE(samePicture(at(30, 237, 402), chip(4, 7))) << "seven lying, the last in the second row";
}

TEST_F(Draw, KansLieByTheirKindConcealedWithTwoBacksAddedWithTheFourthOverTheTurnedTile) {
    using mahjong::PS_ANKAN;
    using mahjong::PS_KAKAN;
    mahjong::TPaiArray hand;
    for (int k = 0; k < 4; ++k) hand.push_back(TPai(0, PS_ANKAN, 0, k == 0 || k == 3));
    for (int k = 0; k < 4; ++k) hand.push_back(TPai(9, PS_KAKAN, 0, k == 1 || k == 3));
    for (int k = 0; k < 5; ++k) hand.push_back(TPai(20 + k));
    me().hand = hand;
    compose();
    // The concealed kan at the call origin: the two turned tiles face down.
    EXPECT_TRUE(samePicture(at(30, 466, 514), chip(8, 39)));
    EXPECT_TRUE(samePicture(at(30, 445, 514), chip(4, 0)));
    EXPECT_TRUE(samePicture(at(30, 424, 514), chip(4, 0)));
    EXPECT_TRUE(samePicture(at(30, 403, 514), chip(8, 39)));
    // The added kan 25 higher: the pon turned in the middle, the added tile over it.
    EXPECT_TRUE(samePicture(at(30, 466, 489), chip(4, 9)));
    EXPECT_TRUE(samePicture(at(30, 436, 496), chip(6, 9)));
    EXPECT_TRUE(samePicture(at(30, 415, 489), chip(4, 9)));
    EXPECT_TRUE(samePicture(at(30, 436, 478), chip(6, 9)));
    EXPECT_TRUE(samePicture(at(30, 136, 509), chip(0, 20))) << "the free tiles from the first place";
}

TEST_F(Draw, RedFivesHaveTheirOwnChipsAndARedFlagOnAnyOtherKindDrawsNothing) {
    host.pools.reset(&host.table);
    for (int kind : {4, 13, 22}) client.drawTile(30, 4, TPai(kind, 0, 1), 100 + kind, 0, false);
    client.drawTile(30, 4, TPai(3, 0, 1), 500, 0, false);
    client.drawTile(30, 13, TPai(3), 510, 0, false);
    ASSERT_EQ(layer(30).size(), 3u);
    EXPECT_TRUE(samePicture(at(30, 104, 0), chip(4, 36)));
    EXPECT_TRUE(samePicture(at(30, 113, 0), chip(4, 37)));
    EXPECT_TRUE(samePicture(at(30, 122, 0), chip(4, 38)));
}

TEST_F(Draw, IndicatorsTurnUpOnePerReplacementDrawAndVanishWhenTheWallRunsOut) {
    table().deadWallOffset = 2;
    compose();
    EXPECT_TRUE(samePicture(at(30, 269, 190), chip(4, table().getDora(0).kind)));
    EXPECT_TRUE(samePicture(at(30, 290, 190), chip(4, table().getDora(1).kind)));
    for (int x : {311, 332, 353}) EXPECT_TRUE(samePicture(at(30, x, 190), chip(8, 39))) << x;
    EXPECT_TRUE(samePicture(at(30, 227, 199), chip(8, 39)));

    table().wall.resize(13);
    compose();
    EXPECT_EQ(at(30, 269, 190), nullptr);
    EXPECT_NE(at(30, 227, 190), nullptr) << "the dead wall's backs stay";
}

TEST_F(Draw, AnExhaustiveDrawShowsItsBannerAndEachSeatsPlateInsteadOfTheRoundPlate) {
    compose();
    EXPECT_TRUE(holds(10, &fixed(FS_ROUND_PLATE, 0)));
    mahjong::TRoundResult& r = table().lastResult;
    r.code = mahjong::RE_RYUKYOKU;
    r.ids = {0, 1};
    r.scores = {{0, {1500, 0, 0}}, {1, {1500, 0, 0}}, {2, {-1500, 0, 0}}, {3, {-1500, 0, 0}}};
    client.setSubStep(50);
    client.resetChoice(IN_RESULT);
    compose();
    EXPECT_TRUE(holds(70, &fixed(FS_DRAW_BANNER, 0)));
    EXPECT_FALSE(holds(10, &fixed(FS_ROUND_PLATE, 0)));
    auto dir = [&](int id) { return TTaskMahjongGame::toRelativeSeat(table().getDirection(0, id)); };
    for (int id : {0, 1}) EXPECT_TRUE(holds(70, &fixed(FS_TENPAI_PLATE, 8 * dir(id) + 1))) << id;
    for (int id : {2, 3}) EXPECT_TRUE(holds(70, &fixed(FS_TENPAI_PLATE, 8 * dir(id) + 4))) << id;

    r.ids = {0, 1, 2, 3};
    for (auto& [id, s] : r.scores) s = {};
    compose();
    for (int id = 0; id < 4; ++id) EXPECT_TRUE(holds(70, &fixed(FS_TENPAI_PLATE, 8 * dir(id) + 6))) << id;
}

TEST_F(Draw, AWinWithoutAReadingShowsOnlyTheTableAndSaysSoOnce) {
    table().lastResult.code = mahjong::RE_TUMO;
    table().lastResult.ids = {1};
    client.setSubStep(50);
    client.resetChoice(IN_RESULT);
    for (int i = 0; i < 3; ++i) compose();
    EXPECT_EQ(host.boxes.size(), 1u);
    EXPECT_FALSE(holds(70, &fixed(FS_RESULT_FRAME, 0)));
}

TEST_F(Draw, AWinShowsAtMostTwelveYakuRowsAndNoHanForTheTwoYakuThatCountNone) {
    mahjong::TPlayer& winner = *table().getPlayer(2);
    auto reading = boost::make_shared<mahjong::TJudge>(&winner, TPai(0), 0, &winner.hand);
    for (int id : {1, 27, 2, 3, 43, 5, 6, 7, 8, 9, 10, 11, 12, 13}) reading->addYaku(id, 1);
    reading->fu = 40;
    reading->han = 2 + 14;
    reading->points = 32000;
    reading->limit = mahjong::LIMIT_COUNTED;
    winner.judgement().reset(new mahjong::TJudgement(&winner));
    winner.judgement()->results().push_back(reading);
    mahjong::TRoundResult& r = table().lastResult;
    r.code = mahjong::RE_TUMO;
    r.ids = {2};
    r.scores = {{2, {32000, 0, 0}}, {0, {-16000, 0, 0}}, {1, {-8000, 0, 0}}, {3, {-8000, 0, 0}}};
    client.setSubStep(50);
    client.resetChoice(IN_RESULT);
    compose();
    ASSERT_TRUE(holds(70, &fixed(FS_RESULT_FRAME, 0)));
    int rows = 0, hanPlates = 0;
    for (graphics::TGrObj* o : layer(70)) {
        for (int id = 0; id < 44; ++id)
            if (samePicture(o, fixed(FS_YAKU, id))) {
                EXPECT_EQ(o->getX(), 228);
                EXPECT_EQ(o->getY(), 222 + 12 * rows);
                ++rows;
            }
        for (int k = 0; k < 12; ++k) hanPlates += o == &fixed(FS_HAN_ROWS, k);
    }
    EXPECT_EQ(rows, 12);
    EXPECT_EQ(hanPlates, 10);
    EXPECT_FALSE(holds(70, &fixed(FS_HAN_ROWS, 1))) << "row 1 holds yaku 27";
    EXPECT_TRUE(holds(70, &fixed(FS_RESULT_LABEL, 9))) << "a counted limit";
    EXPECT_TRUE(host.boxes.empty());
}

TEST_F(Draw, TheRiichiCutInIsWhollyOnScreenFromItsNineteenthFrameUntilTenBeforeItsEnd) {
    client.loadCharacter(0, mahjong::TD_MY);
    TMahjongPlayer* p = client.mahjongPlayer(0);
    auto cutInX = [&](int framesLeft) {
        p->startWait(WAIT_RITI, framesLeft);
        compose();
        const auto& units = client.images().characters.at(0)->units();
        for (graphics::TGrObj* o : layer(61))
            if (samePicture(o, units[7])) return o->getX() - units[7].getX();
        return -99999;
    };
    EXPECT_EQ(cutInX(80), 800);
    EXPECT_EQ(cutInX(80 - 1), 533);
    EXPECT_EQ(cutInX(80 - 19), 0);
    EXPECT_EQ(cutInX(11), 0);
    EXPECT_EQ(cutInX(10), 0);
    EXPECT_EQ(cutInX(1), -355);
    EXPECT_EQ(layer(61).size(), 3u) << "dim fill, cut-in, call";
}

}  // namespace
