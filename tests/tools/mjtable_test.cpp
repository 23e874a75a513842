// The table-client window program under a real X window. A whole east round is played by a
// driver that reads only the screen and answers with the mouse through the platform's pointer,
// from the first deal to the end screen; and a match whose hands are stacked and whose computer
// seats follow scripts puts a call at every seat, a win and a draw on screen. The pictures taken
// stay beside the test for people to look at; those pinned in tests/tools/data must come out as
// they are there.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "framework/frame.h"
#include "game/client/menu.h"
#include "game/client/staged_match.h"
#include "game/mode/mode_task.h"
#include "mahjong/notation.h"
#include "mahjong/player.h"
#include "png_file.h"
#include "screen_driver.h"
#include "support/test_support.h"
#include "table_app.h"

namespace {

using Sight = mjtable::ScreenDriver::Sight;

// Pictures of the window beside the test, and compared with the pinned ones of the same name in
// tests/tools/data (MJ_UPDATE_GOLDEN=1 pins them anew). The number of pixels that differ, -1 when
// the picture could not be taken or no pinned one exists.
int photograph(TGameFrameG2& frame, const std::string& name, bool pinned) {
    int w = 0, h = 0;
    std::vector<uint32_t> px;
    if (!mjtable::grabWindow(frame, w, h, px) || w != 800 || h != 600) return -1;
    mjtable::writePng(name, w, h, px);
    if (!pinned) return 0;
    const std::string golden = (mjtest::sourceDir() / "tests/tools/data" / name).string();
    if (const char* u = std::getenv("MJ_UPDATE_GOLDEN"); u && *u == '1') mjtable::writePng(golden, w, h, px);
    int gw = 0, gh = 0;
    std::vector<uint32_t> want;
    if (!mjtable::readPng(golden, gw, gh, want) || gw * gh != w * h) return -1;
    int diff = 0;
    for (size_t i = 0; i < px.size(); ++i)
        if ((px[i] | 0xFF000000u) != want[i]) ++diff;
    return diff;
}

// The tests draw on the X display in MJ_XDISPLAY, and skip without one.
class TableWindow : public ::testing::Test {
protected:
    void SetUp() override {
        const char* d = std::getenv("MJ_XDISPLAY");
        if (!d || !*d) GTEST_SKIP() << "no X display (MJ_XDISPLAY) for the real window";
        setenv("DISPLAY", d, 1);
        setenv("SDL_VIDEODRIVER", "x11", 1);
    }
    void TearDown() override { setenv("SDL_VIDEODRIVER", "dummy", 1); }

    // A match of the given seed, its frames run as fast as they draw, cut off after frameCap.
    static mjtable::TableOptions fastMatch(uint32_t seed, int frameCap) {
        mjtable::TableOptions options;
        options.seed = seed;
        options.fast = true;
        options.frameCap = frameCap;
        options.dataDir = MJ_TABLE_DATA_DIR;
        options.instanceName = "MJTABLETEST";
        return options;
    }
};

TEST_F(TableWindow, AWholeMatchIsPlayedByClicksReadFromTheScreen) {
    mjtable::ScreenDriver driver;
    int goldenDiff = -1;
    std::set<std::string> shots;
    driver.setWatcher([&](TGameFrameG2& frame, Sight s, int count) {
        const char* name = nullptr;
        if (s == Sight::OwnDraw && goldenDiff < 0 && mjtable::ownDiscardsShown() == 5)
            name = "table_midhand.png";
        else if ((s == Sight::Result || s == Sight::DrawResult) && count == 1)
            name = "table_result.png";
        else if (s == Sight::Final && count == 1)
            name = "table_final.png";
        if (!name || shots.count(name)) return;
        shots.insert(name);
        const int diff = photograph(frame, name, std::string(name) == "table_midhand.png");
        if (std::string(name) == "table_midhand.png") goldenDiff = diff;
    });

    mjtable::TableOptions options = fastMatch(7, 60000);
    options.driver = std::ref(driver);
    const mjtable::TableOutcome outcome = mjtable::runTable(options);

    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_TRUE(outcome.finished) << outcome.frames << " frames";
    EXPECT_TRUE(driver.sawFinal());
    EXPECT_GT(driver.discards(), 10);
    EXPECT_GT(driver.resultPages(), 0);
    EXPECT_EQ(goldenDiff, 0) << "table_midhand.png beside the test differs from the pinned one";
    EXPECT_EQ(shots.size(), 3u);
}

TEST_F(TableWindow, ASignalToEndIsAnEndAskedFor) {
    // SIGTERM mid-match, as a session's end or kill sends it: the window closes and the
    // program's exit code is a success, not the failure to run.
    mjtable::TableOptions options = fastMatch(7, 5000);
    options.driver = [](TGameFrameG2& frame) {
        if (frame.frameCount() == 30) std::raise(SIGTERM);
    };
    const mjtable::TableOutcome outcome = mjtable::runTable(options);
    EXPECT_TRUE(outcome.closed && !outcome.finished);
    EXPECT_LT(outcome.frames, 5000);
    EXPECT_EQ(outcome.exitCode, 0);
}

// The first hand of the staged match, from the dealer's seat (the human's) in turn order: the
// human (H), then R on its right, T opposite, L on its left. L makes a concealed kan of north
// winds and declares riichi; the human chis L's 3s and lets go its 9s, of which T makes an open
// kan; the human pons L's 5p and lets go its west wind, which R pons; the human then draws the
// red 5p, adds it to its pon and wins on the replacement tile.
void stageFirstHand(mahjong::TTable& table, staged::Seats& seats) {
    using mahjong::tileOf;
    ASSERT_EQ(staged::Seats::humanPosition(table, seats.human->getOwnId()), 0) << "the seed must seat the human first";
    seats::stack(table, {"234678m255p459s3z", "33z11227788s667p", "999s3344p66s2277z", "444z123456789m9p"},
                 // H R T L three times (L's 3s: the chi, the kan and T's replacement), L's 5p (the
                 // pons), T, L, and the human's red five.
                 "1p9m1m4z8p9m1m6z1p8p8p3s5p9m5z0p", "5z5z2p");
    seats.computer(staged::Seats::idFrom(table, 1))->script = {
        seats::claimOn(tileOf("3z"), game::CLAIM_PON, tileOf("3z"), tileOf("3z")),
        seats::discardAfterCall(tileOf("1s"))};
    seats.computer(staged::Seats::idFrom(table, 2))->script = {seats::claimOn(tileOf("9s"), game::CLAIM_KAN)};
    seats.computer(staged::Seats::idFrom(table, 3))->script = {seats::onDraw(game::CLAIM_OWN_KAN, tileOf("4z")),
                                                               seats::onDraw(game::CLAIM_SUTE, tileOf("5z")),
                                                               seats::onDraw(game::CLAIM_RITI, tileOf("6z"))};
}

// Later hands hold fixed tiles that no draw makes ready (every seat lets go what it draws): the
// second hand with the right seat ready on 2s, the ones after with no one ready.
void stageLaterHand(mahjong::TTable& table, int hand, staged::Seats& seats) {
    const int h = staged::Seats::humanPosition(table, seats.human->getOwnId());
    std::vector<std::string> hands(4, "147m147p147s1234z");
    if (hand == 1) hands[static_cast<size_t>((h + 1) % 4)] = "234567m345p678s2s";
    seats::stack(table, hands);
}

// Plays the human's seat of the staged first hand by its plan, photographing the table before
// the added kan and at the win it offers, and the own face half-way through the chi's call;
// once the first result shows, a screen-reading driver plays on.
class StagedDriver {
public:
    StagedDriver(staged::Seats& seats, mjtable::ScreenDriver& after) : seats_(seats), after_(after) {
        plan.presses = {game::client::MENU_TI, game::client::MENU_PON, game::client::MENU_KAN, game::client::MENU_TUMO};
        plan.lettingGo = {mahjong::tileOf("9s").kind, mahjong::tileOf("3z").kind};
    }

    void operator()(TGameFrameG2& frame) {
        game::client::TTaskMahjongGame* c = seats_.human;
        if (handedOver_ || (c && c->isChoosing() && c->inputState() == game::client::IN_RESULT)) {
            handedOver_ = true;
            after_(frame);
            return;
        }
        if (c && faceDuringChi < 0) lookAtTheFace(frame, *c);
        if (phase_ > 0) {
            mjtable::ScreenDriver::press(frame, x_, y_, phase_ == 1);
            phase_ = (phase_ + 1) % 8;  // pressed, released, a few frames to show it
            return;
        }
        if (!c || !c->isChoosing()) return;
        const game::u32 actions = c->getChoiceActions();
        const bool tsumo = actions & 0x40u, kan = actions & 0x8u;
        if (!plan.next(*c, x_, y_)) return;
        if (tsumo) tableDiff = photograph(frame, "table_calls.png", true);
        if (kan) photograph(frame, "table_red_five.png", false);
        mjtable::ScreenDriver::press(frame, x_, y_, false);
        phase_ = 1;
    }

    staged::Plan plan;
    int tableDiff = -1;
    // Pixels of the bare table where the own face stands, half-way through the chi's call.
    int faceDuringChi = -1;

private:
    void lookAtTheFace(TGameFrameG2& frame, game::client::TTaskMahjongGame& c) {
        const game::client::TMahjongPlayer* me = c.mahjongPlayer(c.getOwnId());
        if (!me || me->waitKind() != game::client::WAIT_TI || me->waitFrames() > 20) return;
        int w = 0, h = 0;
        std::vector<uint32_t> px;
        if (!mjtable::grabWindow(frame, w, h, px) || w != 800) return;
        mjtable::writePng("table_chi.png", w, h, px);
        faceDuringChi = 0;
        for (int y = 454; y < 544; ++y)
            for (int x = 5; x < 105; ++x)
                faceDuringChi += (px[static_cast<size_t>(y * w + x)] & 0xFFFFFFu) == 0x1C6B3Au;
    }

    staged::Seats& seats_;
    mjtable::ScreenDriver& after_;
    bool handedOver_ = false;
    int phase_ = 0, x_ = 0, y_ = 0;
};

TEST_F(TableWindow, EverySeatCallsThenAWinAndADrawAsPinned) {
    // A match of the window program whose hands are stacked and whose computer seats follow
    // scripts: the table mid-hand with a call at every seat, an open kan of the human's
    // discard, a concealed kan and riichi sticks out, then the win's page, the first draw's page
    // with one seat ready, and the end screen, each as pinned.
    staged::Seats seats;
    mjtable::ScreenDriver after;
    StagedDriver driver(seats, after);
    std::map<std::string, int> diffs;
    after.setWatcher([&](TGameFrameG2& frame, Sight s, int count) {
        const char* name = s == Sight::Result && count == 1       ? "table_win.png"
                           : s == Sight::DrawResult && count == 1 ? "table_draw.png"
                           : s == Sight::Final && count == 1      ? "table_end.png"
                                                                  : nullptr;
        if (name) diffs[name] = photograph(frame, name, true);
    });

    mjtable::TableOptions options = fastMatch(2, 60000);
    options.driver = std::ref(driver);
    options.prepareMatch = [&seats](TTaskMahjongAlone& match) {
        staged::stageMatch(
            match, match.services().clientHost,
            [&seats](mahjong::TTable& table, int hand) {
                if (hand == 0)
                    stageFirstHand(table, seats);
                else
                    stageLaterHand(table, hand, seats);
            },
            seats);
    };
    const mjtable::TableOutcome outcome = mjtable::runTable(options);

    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_TRUE(outcome.finished) << outcome.frames << " frames";
    EXPECT_TRUE(seats.clientErrors.empty()) << ::testing::PrintToString(seats.clientErrors);
    // Three discards, chi, 9s, pon, west wind, kan, tsumo: no other offer came.
    EXPECT_EQ(driver.plan.done, (std::vector<std::string>{"drawn", "drawn", "drawn", "2", "9s", "1", "3z", "0", "4"}));
    EXPECT_EQ(driver.faceDuringChi, 0) << "the own face gave way to the bare table while the chi was shown";
    EXPECT_EQ(driver.tableDiff, 0) << "table_calls.png beside the test differs from the pinned one";
    for (const char* name : {"table_win.png", "table_draw.png", "table_end.png"})
        EXPECT_EQ(diffs.count(name) ? diffs[name] : -2, 0) << name << " beside the test differs from the pinned one";
}

}  // namespace
