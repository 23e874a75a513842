// The table's pictures from the generated art, and the human's choices made by a fake mouse at
// the positions of those pictures.
#include <gtest/gtest.h>

#include <algorithm>

#include "client_art.h"
#include "game/client/mahjong_game.h"
#include "game/client/menu.h"
#include "game/client/staged_match.h"
#include "game/client/table_sprites.h"
#include "game/packets_s.h"
#include "graphics/graphic.h"
#include "mahjong/notation.h"
#include "mahjong/player.h"
#include "support/test_support.h"

using namespace game;
using namespace game::client;
using mahjong::TPai;

namespace {

struct FakeMouse : TClientHost {
    int x = -1, y = -1;
    u32 buttons = 0;
    u32 time = 0;
    u32 frameTime() const override { return time; }
    bool isMouseAction() const override { return true; }
    int mouseX() const override { return x; }
    int mouseY() const override { return y; }
    u32 pressedButtons() const override { return buttons; }
    void forceHitTest() override {}
    void invalidate() override {}
    void playSe(int) override {}
    void stopMusic() override {}
    void playMusic(const std::string&) override {}
    int musicVolume() const override { return 0; }
    void setMusicVolume(int) override {}
};

struct NullLink : ServerLink {
    int postToServer(u8, u32, const u8*, int) override { return 1; }
};

TPai P(int kind, bool red = false) { return TPai(kind, mahjong::PS_FREE, red ? 1 : 0); }

// A client seated as player 0 with a hand of our making; choices run frame by frame.
struct Choice : WithArt {
    NullLink link;
    FakeMouse mouse;
    TTaskMahjongGameHuman client{LINK_LOCAL, &link, &mouse};

    void SetUp() override {
        boost::shared_ptr<TMahjongProfile> own(new TMahjongProfile);
        client.connect(own);
        client.Start();
        seatClient(client, 1, false, 4);
        ASSERT_NE(client.ownPlayer(), nullptr);
    }
    mahjong::TPlayer& me() { return *client.ownPlayer(); }
    void hand(std::vector<TPai> tiles, bool drawn) {
        me().hand.assign(tiles.begin(), tiles.end());
        me().kanCount = 0;
        me().lastTumoType = drawn ? mahjong::DRAW_WALL : 0;
    }
    // Frames of the input step with the mouse held at a point and the button word given.
    void frames(int n, int x = -1, int y = -1, u32 buttons = 0) {
        mouse.x = x;
        mouse.y = y;
        mouse.buttons = buttons;
        for (int i = 0; i < n; ++i) client.updateInput();
    }
    void click(int x, int y) {
        frames(1, x, y);
        frames(1, x, y, 0x10000010u);
    }
    static graphics::RECT button(int k) { return mahjongSprites().fixed[FS_BUTTONS].units()[3 * k].getRect(); }
    void clickButton(int k) { click(button(k).left + 3, button(k).top + 3); }
    // The centre of the hand tile at free position p.
    void clickTile(int p, bool separated = false) {
        const TClientRect r = TTaskMahjongGame::getTeRect(p, separated);
        click(r.left + 11, r.top + 18);
    }
    void start(u32 actions) {
        client.startChoice(actions, actions, 0);
        frames(3);  // build, begin a step, first hover
    }
};

TEST(TableSprites, SetsAreCutAsTheirTablesSayAndReloadAlike) {
    ArtStore store;
    const TMahjongSprites& s = mahjongSprites();
    EXPECT_EQ(s.fixed[FS_BUTTONS].units().size(), 30u);
    EXPECT_EQ(s.fixed[FS_YAKU].units().size(), 44u);
    EXPECT_EQ(s.fixed[FS_FINAL_DIGITS].units().size(), 12u);
    EXPECT_EQ(s.fixed[FS_TENPAI_PLATE].units().size(), 32u);
    for (int sheet = 0; sheet < 13; ++sheet) ASSERT_EQ(s.sheets[sheet].units().size(), 41u) << sheet;
    auto same = [](graphics::RECT a, graphics::RECT b) {
        return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
    };
    EXPECT_TRUE(same(chipCell(12, 39), chipCell(12, 38)) && same(chipCell(12, 40), chipCell(12, 38)));
    EXPECT_TRUE(same(chipCell(0, 39), chipCell(0, 38)) && same(chipCell(0, 40), chipCell(0, 38)));
    EXPECT_TRUE(same(chipCell(10, 38), chipCell(10, 40)));
    EXPECT_TRUE(same(chipCell(0, 13), graphics::RECT{4 * 23, 37, 5 * 23, 74}));
    // Every unit found its picture, and the hand tile is the size the hit test assumes.
    for (const auto& set : s.fixed)
        for (const auto& u : set.units()) EXPECT_GT(u.getRect().right - u.getRect().left, 0);
    EXPECT_EQ(s.sheets[0].units()[5].getRect().right, 23);
    EXPECT_EQ(s.sheets[0].units()[5].getRect().bottom, 37);
    auto rects = [&] {
        std::vector<int> out;
        for (const auto& set : s.fixed)
            for (const auto& u : set.units()) {
                const graphics::RECT r = u.getRect();
                out.insert(out.end(), {r.left, r.top, r.right, r.bottom});
            }
        return out;
    };
    const std::vector<int> first = rects();
    releaseMahjongSprites();
    loadMahjongSprites();
    EXPECT_EQ(rects(), first);
    // Characters by row: every picture of every character is there (an expression stands in
    // for the face while its seat calls, over the face's place), and final placings outside
    // 0-3 build nothing.
    for (int row = 0; row < 4; ++row)
        for (int chara = 0; chara < 16; ++chara) {
            TTableSprSetPtr c = buildCharacterSet(mahjongSprites().images, row, chara);
            ASSERT_EQ(c->units().size(), 10u);
            for (const auto& u : c->units()) EXPECT_GT(u.getRect().right, u.getRect().left) << row << " " << chara;
            const graphics::RECT face = c->units()[0].getRect();
            for (int e = 1; e <= 5; ++e) {
                const graphics::RECT r = c->units()[static_cast<size_t>(e)].getRect();
                EXPECT_TRUE(r.left <= face.left && r.top <= face.top && r.right >= face.right &&
                            r.bottom >= face.bottom)
                    << row << " " << e;
            }
        }
    TTableSprSetPtr c = buildCharacterSet(mahjongSprites().images, 2, 3);
    EXPECT_EQ(c->units()[6].getRect().left, 482);
    EXPECT_FALSE(buildFinalResultSet(mahjongSprites().images, 4, 0));
    EXPECT_EQ(buildFinalResultSet(mahjongSprites().images, 0, 1)->units().size(), 2u);
}

TEST_F(Choice, ClientPicturesFollowTheSeatsDirectionAndCharacter) {
    client.openImages();
    client.getPlayer(2)->profile()->setCharacter(5);
    client.loadCharacter(2, mahjong::TD_TOIMEN);
    ASSERT_EQ(client.images().characters.count(2), 1u);
    const auto& units = client.images().characters.at(2)->units();
    EXPECT_EQ(units[6].getRect().left, 482);  // the opposite seat's name plate
    EXPECT_GT(units[0].getRect().right, units[0].getRect().left);
    client.releaseImages();
    // The continue prompt's and the end screen's buttons come from their pictures.
    struct Probe : TTaskMahjongGameHuman {
        using TTaskMahjongGameHuman::TTaskMahjongGameHuman;
        TClientRect cont(int i) const { return continueButtonRect(i); }
        TClientRect end(int i) const { return endButtonRect(i); }
    } probe(LINK_LOCAL, &link, &mouse);
    EXPECT_EQ(probe.cont(1).left, 312);
    EXPECT_EQ(probe.end(1).left, 723);
    EXPECT_TRUE(probe.end(2).empty());
    EXPECT_TRUE(client.images().characters.empty());
}

TEST(Menu, ButtonsMapToActionBits) {
    EXPECT_TRUE(hasMenuAction(0x8, MENU_KAN));
    EXPECT_EQ(menuActionBit(0xC, MENU_KAN), 0x4u);
    EXPECT_EQ(menuActionBit(0x8, MENU_KAN), 0x8u);
    EXPECT_FALSE(hasMenuAction(0xFFFFFFFF, MENU_OPT_WIN));
    EXPECT_EQ(menuActionBit(0xFFFFFFFF, MENU_OPT_RITI), 0u);
    EXPECT_EQ(menuActionBit(0, MENU_HAND + 3), 0x100u);
}

TEST_F(Choice, TheMenuShowsDimAvailableAndHoveredButtons) {
    hand({P(0), P(1), P(2), P(9), P(10), P(11), P(18), P(19), P(20), P(27), P(27), P(31), P(31), P(33)}, true);
    client.startChoice(0x100 | 0x10 | 0x40 | 0x8, 0x100 | 0x40, 0);
    frames(2);
    frames(1, button(MENU_TUMO).left + 1, button(MENU_TUMO).top + 1);
    graphics::TGrTableObj table;
    table.create(800, 600, 100);
    client.drawMenu(table);
    const auto& units = mahjongSprites().fixed[FS_BUTTONS].units();
    std::vector<int> shown;
    for (const graphics::TGrObj* o : *table.getLayer(50))
        for (size_t i = 0; i < units.size(); ++i)
            if (o == &units[i]) shown.push_back(static_cast<int>(i));
    // Options available, kan and riichi dim, tsumo hovered.
    EXPECT_EQ(shown, (std::vector<int>{25, 28, 0, 9, 14}));
}

TEST_F(Choice, DiscardByClickAndDrawnTileStandsApart) {
    hand({P(0), P(1), P(2), P(9), P(10), P(11), P(18), P(19), P(20), P(27), P(27), P(31), P(31), P(33)}, true);
    start(0x100 | 0x10 | 0x40);
    // The gap before the drawn tile is nothing.
    frames(1, TTaskMahjongGame::getTeRect(13, true).left - 1, 520, 0x10000010u);
    EXPECT_TRUE(client.isChoosing());
    EXPECT_EQ(client.inputState(), IN_MENU);
    clickTile(13, true);
    frames(2);
    EXPECT_FALSE(client.isChoosing());
    EXPECT_EQ(me().getAction(), 0x100u);
    EXPECT_EQ(me().getSelectPai(0).kind, 33);
}

TEST_F(Choice, ADiscardPickedFromAHandThatThenShrankIsPickedAgain) {
    hand({P(0), P(1), P(2), P(9), P(10), P(11), P(18), P(19), P(20), P(27), P(27), P(31), P(31), P(33)}, true);
    start(0x100);
    const TClientRect drawn = TTaskMahjongGame::getTeRect(13, true);
    frames(1, drawn.left + 5, drawn.top + 5);
    frames(1, drawn.left + 5, drawn.top + 5, 0x10000010u);  // chosen: the applying step is next
    me().hand.pop_back();
    frames(3);
    EXPECT_TRUE(client.isChoosing());
    EXPECT_EQ(client.inputState(), IN_MENU);
    clickTile(12, false);
    frames(2);
    EXPECT_FALSE(client.isChoosing());
    EXPECT_EQ(me().getSelectPai(0).kind, 31);
}

TEST_F(Choice, RiichiThenTheDiscardThatKeepsTheHandReady) {
    hand({P(0), P(1), P(2), P(9), P(10), P(11), P(18), P(19), P(20), P(27), P(27), P(31), P(31), P(33)}, true);
    me().ritiOptions.assign({P(33)});
    start(0x100 | 0x10);
    clickButton(MENU_RITI);
    frames(1);
    EXPECT_EQ(client.inputState(), IN_RITI);
    frames(3);
    clickTile(0);  // not a riichi discard: nothing
    EXPECT_EQ(client.inputState(), IN_RITI);
    clickTile(13, true);
    frames(2);
    EXPECT_FALSE(client.isChoosing());
    EXPECT_EQ(me().getAction(), 0x10u);
    EXPECT_EQ(me().getSelectPai(0).kind, 33);
}

TEST_F(Choice, InRiichiOnlyTheDrawnTileAndAutoDiscard) {
    hand({P(0), P(1), P(2), P(9), P(10), P(11), P(18), P(19), P(20), P(27), P(27), P(31), P(31), P(33)}, true);
    me().ritiFlag = true;
    start(0x100);
    clickTile(2);
    EXPECT_TRUE(client.isChoosing());
    // The riichi-discard switch, then the next choice discards on its own.
    const graphics::RECT opt = button(MENU_OPT_RITI);
    click(opt.left + 2, opt.top + 2);
    EXPECT_TRUE(client.ritiAtOnce());
    frames(3);
    EXPECT_FALSE(client.isChoosing());
    EXPECT_EQ(me().getSelectPai(0).kind, 33);
    // A tsumo on offer is not discarded past.
    start(0x100 | 0x40);
    EXPECT_TRUE(client.isChoosing());
    clickButton(MENU_TUMO);
    frames(2);
    EXPECT_EQ(me().getAction(), 0x40u);
}

TEST_F(Choice, WinAtOnceTakesRonBeforeAnyClickAndCancelPasses) {
    hand({P(0), P(1), P(2), P(9), P(10), P(11), P(18), P(19), P(20), P(27), P(27), P(31), P(31)}, false);
    start(0x8000 | 0x1);
    frames(1, 0, 0, 0x20000020u);
    frames(2);
    EXPECT_FALSE(client.isChoosing());
    EXPECT_EQ(me().getAction(), 0x8000u);
    const graphics::RECT opt = button(MENU_OPT_WIN);
    click(opt.left + 2, opt.top + 2);
    ASSERT_TRUE(client.winAtOnce());
    client.startChoice(0x8020, 0x8020, 0);
    frames(5);
    EXPECT_FALSE(client.isChoosing());
    EXPECT_EQ(me().getAction(), 0x20u);
}

TEST_F(Choice, PonWithARedFiveAsksWhichPairAndCancelReturnsToTheMenu) {
    hand({P(4), P(4), P(4, true), P(9), P(10), P(11), P(18), P(19), P(20), P(27), P(27), P(31), P(31)}, false);
    client.mirror()->setPai(P(4));
    start(0x8000 | 0x1);
    clickButton(MENU_PON);
    frames(2);
    ASSERT_EQ(client.inputState(), IN_PON);
    EXPECT_EQ(client.selTeSet().at(0).size(), 1u);
    frames(2);
    frames(1, 0, 0, 0x20000020u);  // cancel: back to the menu
    EXPECT_EQ(client.inputState(), IN_MENU);
    frames(3);
    clickButton(MENU_PON);
    frames(4);
    clickTile(2);  // the red five: {red, plain}
    frames(2);
    EXPECT_FALSE(client.isChoosing());
    EXPECT_EQ(me().getAction(), 0x1u);
    EXPECT_TRUE(me().getSelectPai(1).red || me().getSelectPai(2).red);
}

TEST_F(Choice, ChiWithTwoCandidatesAsksTwiceAndASingleKanIsTakenAtOnce) {
    // 6m called with 4m and a plain or a red 5m: the 4m leaves two runs to choose from.
    hand({P(3), P(4), P(4, true), P(9), P(10), P(11), P(18), P(19), P(20), P(27), P(27), P(31), P(31)}, false);
    client.mirror()->setPai(P(5));
    me().tiOptions.assign({P(3)});
    start(0x8000 | 0x2);
    clickButton(MENU_TI);
    frames(4);
    ASSERT_EQ(client.inputState(), IN_TI);
    clickTile(0);
    frames(2);
    ASSERT_TRUE(client.isChoosing());
    ASSERT_EQ(client.inputSubState(), 21);
    clickTile(2);  // the red five
    frames(2);
    EXPECT_FALSE(client.isChoosing());
    EXPECT_EQ(me().getAction(), 0x2u);
    EXPECT_EQ(me().getSelectPai(0).kind, 5);
    EXPECT_EQ(me().getSelectPai(1).kind, 3);
    EXPECT_TRUE(me().getSelectPai(2).red);

    hand({P(0), P(0), P(0), P(0), P(10), P(11), P(18), P(19), P(20), P(27), P(27), P(31), P(31), P(33)}, true);
    me().kanOptions.assign({P(0)});
    start(0x100 | 0x8);
    clickButton(MENU_KAN);
    frames(3);
    EXPECT_FALSE(client.isChoosing());
    EXPECT_EQ(me().getAction(), 0x8u);
    EXPECT_EQ(me().getSelectPai(0).kind, 0);
}

}  // namespace

namespace {

// The human at a match of the game's own mode task, played by the fake mouse at the positions of
// the pictures, against scripted computer seats, with the first deal stacked.
struct AtTheTable : WithArt {
    FakeMouse mouse;
    TTaskManager manager{128, 128};
    staged::Seats seats;
    staged::Plan plan;
    std::vector<std::string> serverErrors;
    int clickFrame = 0;

    ~AtTheTable() override { manager.terminate(); }

    void start(u32 seed, staged::Stage stage) {
        initMahjongAlone();
        auto* match = new TTaskMahjongAlone;
        match->ownRandom().seed(seed);
        match->ownTieBreak().seed(seed);
        match->rule().gameLength = 1;
        match->createProfiles(4);
        match->services().random = nullptr;
        match->services().tieBreak = nullptr;
        match->services().errorSink = [this](const std::string& t) { serverErrors.push_back(t); };
        staged::stageMatch(*match, &mouse, std::move(stage), seats);
        manager.add(3, match, 0);
    }
    mahjong::TTable& serverTable() const { return seats.human->server().mahjongTable()->table(); }
    mahjong::TPlayer& serverHuman() const { return *serverTable().getPlayer(seats.human->getOwnId()); }

    // One frame: the mouse moves where the plan clicks next, presses on the next frame.
    void frame() {
        mouse.buttons = clickFrame == 1 ? 0x10000010u : 0;
        if (clickFrame > 0)
            clickFrame = (clickFrame + 1) % 3;
        else if (seats.human && plan.next(*seats.human, mouse.x, mouse.y))
            clickFrame = 1;
        manager.run();
        mouse.time += 16;
    }
    bool playUntil(const std::function<bool()>& done, int limit = 6000) {
        for (int i = 0; i < limit; ++i) {
            if (done()) return true;
            frame();
        }
        return done();
    }
};

// The human pons the fives its left neighbour lets go, draws the last five and adds it: the
// added kan's tile is the one in the hand, a red five or a plain one.
void addedKanWithFives(AtTheTable& t, bool redDrawn) {
    t.plan.presses = {MENU_PON, MENU_KAN};
    t.start(3, [&t, redDrawn](mahjong::TTable& table, int hand) {
        if (hand != 0) return;
        const int h = staged::Seats::humanPosition(table, t.seats.human->getOwnId());
        const int left = (h + 3) % 4;
        std::vector<std::string> hands(4);
        hands[static_cast<size_t>(h)] = std::string(redDrawn ? "55p" : "05p") + "159m159s12347z";
        // Plain draws up to the left neighbour's five, three more round to the human's fifth.
        const std::string junk = "8p8p8p2s2s2s";
        const std::string draws =
            junk.substr(0, 2 * static_cast<size_t>(left)) + "5p" + "7m7m7m" + (redDrawn ? "0p" : "5p");
        seats::stack(table, hands, draws, "7p");
    });
    const auto kanMade = [&t] {
        return t.seats.human && t.seats.human->server().mahjongTable() &&
               t.serverTable().getPlayer(t.seats.human->getOwnId()) &&
               std::count_if(t.serverHuman().hand.begin(), t.serverHuman().hand.end(),
                             [](const TPai& p) { return p.kind == 22 && p.state == mahjong::PS_KAKAN; }) == 4;
    };
    ASSERT_TRUE(t.playUntil(kanMade)) << ::testing::PrintToString(t.serverErrors);
    // The replacement tile drawn and let go, on the server and on the client's table.
    const auto letGo = [](const mahjong::TPlayer& p) { return !p.sutes.empty() && p.sutes.back().kind == 24; };
    ASSERT_TRUE(t.playUntil([&] { return letGo(t.serverHuman()) && letGo(*t.seats.human->ownPlayer()); }));
    int red = 0;
    for (const TPai& p : t.serverHuman().hand) red += p.kind == 22 && p.red;
    EXPECT_EQ(red, 1);
    EXPECT_TRUE(t.plan.presses.empty());
    EXPECT_TRUE(t.serverErrors.empty()) << ::testing::PrintToString(t.serverErrors);
    EXPECT_TRUE(t.seats.clientErrors.empty()) << ::testing::PrintToString(t.seats.clientErrors);
    EXPECT_EQ(mahjong::formatTiles(t.seats.human->ownPlayer()->hand), mahjong::formatTiles(t.serverHuman().hand));
}

TEST_F(AtTheTable, AnAddedKanWithTheRedFiveOntoAPonOfPlainFives) { addedKanWithFives(*this, true); }

TEST_F(AtTheTable, AnAddedKanWithAPlainFiveOntoAPonHoldingTheRedFive) { addedKanWithFives(*this, false); }

}  // namespace
