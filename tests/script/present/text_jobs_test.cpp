// Text output pacing and click waits, run by assembled scripts through the engine on a fake
// clock: units per frame at the player's speed, a click that completes the page, waits that end
// by click, wheel or time-out (never on their first frame), a click that jumps, and a story
// saved in the middle of its text that resumes the same after a load.
#include "script/present/jobs/text_jobs.h"

#include "script/present/doc/engine_doc.h"
#include "story_fixture.h"

using namespace present;
using namespace present::testing;

namespace {

constexpr uint32_t kClick = 0x10000000;

class TextJobs : public StoryTest {};

}  // namespace

TEST(TextUnits, ACharacterAControlSequenceOrAByte) {
    EXPECT_EQ(textUnitLength("\x82\xa0z"), 2u);       // a double-byte character
    EXPECT_EQ(textUnitLength("\x82\x20z"), 1u);       // a lead byte without a trail byte
    EXPECT_EQ(textUnitLength("\\c(FF00FF)ab"), 10u);  // up to and including ")"
    EXPECT_EQ(textUnitLength("\\c(FF00"), 7u);        // no ")": the rest
    EXPECT_EQ(textUnitLength("\\nab"), 2u);
    EXPECT_EQ(textUnitLength("\\"), 1u);
    EXPECT_EQ(elapsedMs(10, 30), 20u);
    EXPECT_EQ(elapsedMs(0xFFFFFFF0u, 0x10u), 0x1Fu) << "one less across the wrap";
}

TEST_F(TextJobs, OneUnitPerFrameAtFullIntervalAndSeveralWhenFramesAreLongerThanTheDelay) {
    start("START:\n cmd 0x1025, 50\n text \"abcdefgh\"\n cmd 0x1103, 0\n");
    frame();
    EXPECT_EQ(text(), "a") << "the first unit is due at once";
    frame(30);
    EXPECT_EQ(text(), "a");
    frame(20);
    EXPECT_EQ(text(), "ab") << "50 ms after the last";
    frame(200);
    EXPECT_EQ(text(), "abc") << "never more than one a frame at TextInterval 100";
    engine.status().textInterval = 50;  // 25 ms a unit
    frame(60);
    EXPECT_EQ(text(), "abcde") << "60 ms pay for two units";
    frame(10);
    EXPECT_EQ(text(), "abcde") << "the delay counts from the last release";
    frame(15);
    EXPECT_EQ(text(), "abcdef");
    engine.status().textInterval = 0;
    frame();
    EXPECT_EQ(text(), "abcdefgh") << "no interval: the whole rest";
}

TEST_F(TextJobs, AClickCompletesThePageAndIsNotTakenByTheWaitThatFollows) {
    start("START:\n text \"abcdefghij\"\n cmd 0x1104\n text \"next\"\n");
    frame();
    frame();
    EXPECT_EQ(text(), "ab");
    player.press(kClick);
    frame();
    EXPECT_EQ(text(), "abcdefghij");
    EXPECT_EQ(player.clears, 1);
    for (int i = 0; i < 5; ++i) frame();
    EXPECT_EQ(text(), "abcdefghij") << "the wait holds the story";
    EXPECT_FALSE(job<TClickDwarf>(2).isFinished());
    player.press(kClick);
    frame();
    frame();
    EXPECT_EQ(text().substr(0, 13), "abcdefghij\\nn") << "the line ends, then the story goes on";
}

TEST_F(TextJobs, AWaitEndsFromItsSecondFrameByClickWheelOrItsOwnTimeOut) {
    start(
        "START:\n cmd 0x1104\n cmd 0x1104\n cmd 0x1107, 2, -1, 0\n text \"0123456789\"\n cmd 0x1103, 0\n"
        " text \"!\"\n");
    player.press(kClick);
    frame();
    EXPECT_FALSE(job<TClickDwarf>(2).isFinished()) << "a click on the first frame does not end a wait";
    player.press(kClick);
    frame();
    EXPECT_EQ(text(), "\\n");
    engine.status().clickOption = true;
    frame();
    player.state.wheel = -1;  // towards the player
    frame();
    EXPECT_EQ(text().substr(0, 4), "\\n\\n");
    engine.status().textInterval = 0;
    frame();
    TClickDwarf& wait = job<TClickDwarf>(2);
    EXPECT_EQ(wait.OwnTimeout, 1100) << "-1 x (80 x 10 characters + 300)";
    EXPECT_EQ(wait.AutoTimeout, 1100) << "AutoTextTimeout -10 gives the same";
    int frames = 0;
    while (!wait.isFinished() && frames < 100) frame(100), ++frames;
    EXPECT_EQ(frames, 11);
    frame();
    EXPECT_EQ(text(), "\\n\\n0123456789!");
}

TEST_F(TextJobs, AClickJumpFinishesTheOtherJobsAndMovesTheStory) {
    const std::string story =
        "START:\n cmd 0x1106, %d\n text \"wait\"\n cmd 0x1103, 0\n text \"never\"\nGOAL:\n text \"goal\"\n";
    auto with = [&](int32_t pos) {
        char buf[256];
        std::snprintf(buf, sizeof buf, story.c_str(), static_cast<int>(pos));
        return std::string(buf);
    };
    const G2ScriptImage first = assembled(with(0));
    int32_t goal = -1;
    for (const auto& [name, offset] : first.labels)
        if (name == "GOAL") goal = offset;
    ASSERT_EQ(assembled(with(goal)).labels, first.labels);
    TG2Core& core = start(with(goal));
    for (int i = 0; i < 6; ++i) frame();
    EXPECT_EQ(text(), "wait");
    player.press(kClick);
    while (frame()) {}
    EXPECT_EQ(text(), "waitgoal");
    EXPECT_TRUE(job<TClickGotoDwarf>(7).isFinished());
    job<TClickGotoDwarf>(7).open(core.getThread(0), -1);
    EXPECT_TRUE(job<TClickGotoDwarf>(7).isFinished()) << "-1 is no jump";
}

TEST_F(TextJobs, AStorySavedInTheMiddleOfItsTextResumesTheSameAfterALoad) {
    TG2Core& core = start(
        "START:\n save0 1\n cmd 0x1025, 3\n text \"abcdefgh\"\n cmd 0x1104\n text \"ijk\"\n cmd 0x1103, 1\n"
        " text \"end\"\n");
    // The frames' texts of the whole story, a click every seventh frame.
    auto play = [&](int frames) {
        std::vector<std::string> seen;
        for (int i = 0; i < frames; ++i) {
            if (i % 7 == 6) player.press(kClick);
            frame(4);
            seen.push_back(text());
        }
        return seen;
    };
    const std::vector<std::string> reference = play(40);
    // What a save writes: the state the save point left.
    TMemoryStream& snap = core.snapshot();
    std::string atSavePoint(snap.size(), '\0');
    snap.seek(0, 0);
    snap.read(atSavePoint.data(), static_cast<uint32_t>(atSavePoint.size()));
    EXPECT_NE(reference.back().find("end"), std::string::npos);

    loadBytes(engine, atSavePoint);
    EXPECT_EQ(text(), "") << "the screen of the save point";
    EXPECT_EQ(play(40), reference);
    // And a save taken now, mid-text, is read back byte for byte.
    loadBytes(engine, atSavePoint);
    play(3);
    const std::string mid = savedBytes(core);
    loadBytes(engine, mid);
    EXPECT_EQ(savedBytes(core), mid);
}

TEST_F(TextJobs, AThreadDeletedByAnotherLeavesNoJobHoldingItAndTheStorySavesAndLoads) {
    // Thread 1 types its text and hands over to thread 0, which deletes it and waits: the text
    // output job served thread 1 last. Then the story is saved.
    TG2Core& core = start(
        "START:\n cmd 0x1701, 1, \"main.g2\", \"SUB\", 0\n cmd 0x1703, 1\n cmd 0x1702, 1\n"
        " cmd 0x1101, 100000\n ret\n"
        "SUB:\n cmd 0x1026\n text \"one\"\n cmd 0x1703, 0\n cmd 0x1101, 100000\n ret\n");
    for (int i = 0; i < 10; ++i) frame();
    EXPECT_EQ(core.getThread(1), nullptr);
    // Every job serves a living thread or none.
    std::vector<TDwarf*> jobs(core.getDwarfGuild().begin(), core.getDwarfGuild().end());
    for (int32_t code = 0; code < 0x40; ++code)
        if (TDwarf* job = core.standingJob(code)) jobs.push_back(job);
    for (TDwarf* job : jobs)
        EXPECT_TRUE(!job->getThread() || job->getThread() == core.getThread(0)) << job->getJobCode();
    EXPECT_EQ(text(), "one");
    const std::string saved = savedBytes(core);
    loadBytes(engine, saved);
    EXPECT_EQ(savedBytes(core), saved);
}

// One click setting for every job: with the third button as the click, the left button ends
// nothing, and the third ends a wait, a screen fade, skipping and the backlog view.
TEST_F(TextJobs, TheClickOfTheSettingsIsTheOneEveryJobObeys) {
    engine.realGraphic = true;
    engine.status().skipKeyMask = 0x40000000;
    start(
        "START:\n cmd 0x1011, 0, 400, 600, 180\n cmd 0x1021\n cmd 0x1080, 7\n cmd 0x1026\n cmd 0x1101, 100000\n"
        " text \"a\"\n cmd 0x1911, 100000, 0\n text \"b\"\n cmd 0x1101, 100000\n");
    const auto release = [&](uint32_t bits) {
        player.state.words[3] = bits;
        frame();
        frame();
    };
    const auto press = [&](uint32_t bits) {
        player.press(bits);
        frame();
        frame();
    };
    frame();
    release(0x10000000);
    EXPECT_EQ(text(), "") << "the wait goes on";
    release(0x40000000);
    EXPECT_EQ(text(), "a");
    release(0x10000000);
    EXPECT_EQ(text(), "a") << "the fade goes on";
    release(0x40000000);
    EXPECT_EQ(text(), "ab");

    engine.status().skipMessage = true;
    press(0x10000000);
    EXPECT_TRUE(engine.status().skipMessage);
    press(0x40000000);
    EXPECT_FALSE(engine.status().skipMessage);

    TG2Doc& doc = engine.docPart()->real();
    player.state.wheel = 1;
    frame();
    frame();
    ASSERT_TRUE(doc.isLogViewOpen());
    release(0x10000000);
    EXPECT_TRUE(doc.isLogViewOpen());
    release(0x40000000);
    EXPECT_FALSE(doc.isLogViewOpen()) << "a click at the newest page closes the backlog";
}
