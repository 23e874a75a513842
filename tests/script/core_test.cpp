// The interpreter core and the engine hub, headless on a manual clock: the hub's start-up order
// and failure codes, the frame's run loop and its ends, pause reasons and the engine clock,
// snapshot modes, threads and jobs, and a snapshot loaded back.
#include "script/core.h"

#include "graphics/surface32.h"
#include "platform/clock.h"
#include "script/engine.h"
#include "sound/sound.h"
#include "sound/wave.h"
#include "sound/wave_stream.h"
#include "script/value_exchange.h"
#include "minimal_doc.h"
#include "script_support.h"
#include "stand_ins.h"

namespace {

class FakeGraphic : public testing_stand_ins::NullGraphic {
public:
    bool isDirty() const override { return dirty; }
    void draw(graphics::TSurface32&) override { ++draws; }
    bool dirty = false;
    int draws = 0;
};

// A job that holds its thread for a number of steps, counting them.
class CountJob : public TDwarf {
public:
    CountJob(TG2Thread* thread, int steps, bool resident = false) : resident_(resident), left_(steps) {
        begin(thread, thread != nullptr);
    }
    int32_t getJobCode() const override { return 0x4000; }
    bool isResident() const override { return resident_; }
    bool update() override {
        ++steps;
        if (--left_ <= 0) finish();
        return true;
    }
    int steps = 0;

private:
    bool resident_;
    int left_;
};

class TestEngine : public WithMinimalDoc<TG2Engine> {
public:
    std::unique_ptr<TG2Memory> createMemory() override { return std::make_unique<SmallMapMemory>("main.g2m"); }
    std::unique_ptr<EngineGraphic> createGraphic() override {
        if (fail == 1) return nullptr;
        auto g = std::make_unique<FakeGraphic>();
        graphicFake = g.get();
        return g;
    }
    std::unique_ptr<EngineDoc> createDoc() override { return fail == 2 ? nullptr : WithMinimalDoc::createDoc(); }
    std::unique_ptr<EngineMusic> createMusic() override {
        return fail == 3 ? nullptr : std::make_unique<testing_stand_ins::NullMusic>();
    }
    std::unique_ptr<TG2Core> createCore() override { return fail == 4 ? nullptr : TG2Engine::createCore(); }
    void command(TG2Thread& t, uint32_t code) override {
        commands.push_back(code);
        if (onCommand) onCommand(t, code);
    }

    int fail = 0;
    FakeGraphic* graphicFake = nullptr;
    std::vector<uint32_t> commands;
    std::function<void(TG2Thread&, uint32_t)> onCommand;
};

class CoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::setClock(&clock);
        setEngineLogSink([](const std::string&) {});
        engine.status().memName = "main.g2m";
        engine.status().name = "main.g2";
        engine.status().useCommonSave = false;
        files.install(engine.getScriptBank());
    }
    void TearDown() override {
        engine.term();
        platform::setClock(nullptr);
        setEngineLogSink(nullptr);
    }
    TG2Core& start(const std::string& text) {
        files.add("main.g2", text);
        engine.init(&host, nullptr, nullptr);
        EXPECT_TRUE(engine.start("", ""));
        return *engine.core();
    }

    platform::ManualClock clock{1000};
    TG2Host host;
    ScriptFiles files;
    TestEngine engine;
};

}  // namespace

TEST_F(CoreTest, TheHubReportsThePartItCouldNotMake) {
    EXPECT_FALSE(engine.start("", "")) << "no core before init";
    EXPECT_FALSE(engine.run());
    engine.status().memName = "missing.g2m";
    EXPECT_EQ(errorCode([&] { engine.init(&host, nullptr, nullptr); }), kG2ErrMemoryMap);
    engine.status().memName = "main.g2m";
    for (int part = 1; part <= 4; ++part) {
        engine.term();
        engine.fail = part;
        EXPECT_EQ(errorCode([&] { engine.init(&host, nullptr, nullptr); }), 0x2000 + part);
    }
    engine.term();
    engine.fail = 0;
    // The player's master volume reaches the sound manager.
    TSound sound;
    engine.status().volume = 100;
    engine.init(&host, nullptr, &sound);
    EXPECT_EQ(sound.getVolume(), 100);
    // The engine draws as an object of the screen's table: its graphic layer at the screen size.
    EXPECT_EQ(engine.getTypeId(), 0x1000);
    EXPECT_EQ(engine.getSize(), (graphics::SIZE{engine.status().screenWidth, engine.status().screenHeight}));
    engine.setSize(320, 240);
    EXPECT_EQ(engine.getSize(), (graphics::SIZE{320, 240}));
    graphics::TSurface32 target;
    engine.draw(target);
    engine.setVisible(false);
    engine.draw(target);
    EXPECT_EQ(engine.graphicFake->draws, 1);
    engine.term();
    engine.term();  // a second term finds nothing to do
    EXPECT_EQ(engine.core(), nullptr);
    EXPECT_EQ(g2Engine(), &engine);
}

TEST_F(CoreTest, EachTextEndsAFrameAndTheStoryEndsWithItsThread) {
    files.add("main.g2", "START:\n text \"one\"\n cmd 1\n cmd 2\n text \"two\"\n");
    engine.init(&host, nullptr, nullptr);
    EXPECT_EQ(errorCode([&] { engine.start("none.g2", ""); }), kG2ErrThreadLoad);
    ASSERT_TRUE(engine.start("", ""));
    EXPECT_TRUE(engine.run());
    EXPECT_EQ(engine.getCurrentDocFrame()->text(), "one");
    EXPECT_TRUE(engine.getCurrentDocFrame()->isVisible());
    EXPECT_TRUE(engine.run());  // both commands and the next text in one frame
    EXPECT_EQ(engine.commands, (std::vector<uint32_t>{1, 2}));
    EXPECT_EQ(engine.getCurrentDocFrame()->text(), "onetwo");
    EXPECT_FALSE(engine.run());
}

TEST_F(CoreTest, AFrameEndsOnABreakADirtyScreenThePauseOrItsBudget) {
    TG2Core& core = start("START:\n@l:\n cmd 1\n jmp @l\n");
    engine.onCommand = [&](TG2Thread&, uint32_t) { clock.advance(1); };
    EXPECT_TRUE(engine.run());
    EXPECT_EQ(engine.commands.size(), TG2Core::kFrameBudgetMs);
    engine.commands.clear();
    engine.graphicFake->dirty = true;
    EXPECT_TRUE(engine.run());
    EXPECT_EQ(engine.commands.size(), 1u);
    // Fast run ignores the dirty screen; only a break ends its frame.
    core.setFastRun(true);
    engine.commands.clear();
    engine.onCommand = [&](TG2Thread&, uint32_t) {
        if (engine.commands.size() == 5) core.requestBreak();
    };
    EXPECT_TRUE(engine.run());
    EXPECT_EQ(engine.commands.size(), 5u);
    // So does the notice that a job waits for time or input.
    engine.commands.clear();
    engine.onCommand = [&](TG2Thread&, uint32_t) {
        if (engine.commands.size() == 3) core.noteWaiting();
    };
    EXPECT_TRUE(engine.run());
    EXPECT_EQ(engine.commands.size(), 3u);
    // Without a clock that moves, the pass limit ends the frame.
    engine.graphicFake->dirty = false;
    core.setFastRun(false);
    engine.onCommand = nullptr;
    engine.commands.clear();
    EXPECT_TRUE(engine.run());
    EXPECT_EQ(engine.commands.size(), TG2Core::kMaxPassesPerFrame);
}

TEST_F(CoreTest, TheClockFreezesWhilePausedAndGoesOnFromThere) {
    TG2Core& core = start("START:\n text \"a\"\n");
    const int32_t t0 = core.getTime();
    clock.advance(100);
    core.pause(0);
    core.pause(1);
    clock.advance(500);
    core.resume(0);
    EXPECT_EQ(core.getTime(), t0 + 100) << "still paused by the host";
    clock.advance(500);
    core.resume(1);
    EXPECT_EQ(core.getTime(), t0 + 100);
    clock.advance(7);
    EXPECT_EQ(core.getTime(), t0 + 107);
    EXPECT_TRUE(core.pause(0) == false && core.isPausedBy(0) && !core.isPausedByOther(0));
}

TEST_F(CoreTest, PlayTimeCountsTenSecondsOfUnpausedTime) {
    TG2Core& core = start("START:\n@l:\n text \"a\"\n jmp @l\n");
    for (int i = 0; i < 25; ++i) {
        clock.advance(1000);
        engine.run();
    }
    EXPECT_EQ(core.playTime(), 20);
    core.pause(1);
    clock.advance(60000);
    engine.run();
    EXPECT_EQ(core.playTime(), 20);
}

TEST_F(CoreTest, SnapshotModesChooseWhichSavePointsTakeOne) {
    TG2Core& core = start("START:\n save0 1\n save1 2\n save0 3\n save1 4\n save0 5\n save1 6\n text \"end\"\n");
    engine.graphicFake->dirty = true;  // one pass a frame
    auto snapshotAfterRun = [&] {
        core.snapshot().clear();
        engine.run();
        return core.snapshot().size() > 0;
    };
    core.setStockRequest(1);
    EXPECT_TRUE(snapshotAfterRun()) << "save0 passes, save1 takes one and ends the step";
    EXPECT_EQ(core.getCurrentThread()->positionId(), 2);
    core.setStockRequest(0);
    EXPECT_TRUE(snapshotAfterRun());
    EXPECT_EQ(core.getCurrentThread()->positionId(), 3);
    core.setStockRequest(2);
    EXPECT_FALSE(snapshotAfterRun());
    EXPECT_EQ(engine.getCurrentDocFrame()->text(), "end");
}

TEST_F(CoreTest, TheNextThreadIsFoundCyclically) {
    files.add("b.g2", "START:\n text \"b\"\n");
    TG2Core& core = start("START:\n text \"a\"\n");
    core.setCurrentThread(-1);
    EXPECT_EQ(core.getCurrentThreadNumber(), 0) << "only the current thread exists";
    EXPECT_TRUE(core.createThread(3, "b.g2", "START", 0));
    EXPECT_TRUE(core.createThread(200, "b.g2", "START", 0));
    EXPECT_FALSE(core.createThread(200, "b.g2", "START", 0));
    EXPECT_FALSE(core.createThread(256, "b.g2", "START", 0));
    core.setCurrentThread(200);
    core.setCurrentThread(-1);
    EXPECT_EQ(core.getCurrentThreadNumber(), 0);
    core.setCurrentThread(256);  // ignored
    EXPECT_EQ(core.getCurrentThreadNumber(), 0);
    core.deleteThread(0);
    core.deleteThread(999);
    core.setCurrentThread(-1);
    EXPECT_EQ(core.getCurrentThreadNumber(), 3);
    EXPECT_EQ(core.getThreadCount(), 2);
}

TEST_F(CoreTest, AThreadThatDeletesItselfEndsAfterItsStep) {
    TG2Core& core = start("START:\n cmd 1\n text \"never\"\n");
    engine.onCommand = [&](TG2Thread& t, uint32_t) { core.deleteThread(t.number()); };
    EXPECT_FALSE(engine.run());
    EXPECT_EQ(core.getThreadCount(), 0);
}

TEST_F(CoreTest, JobsHoldTheirThreadAndLeaveTheListWhenFinished) {
    TG2Core& core = start("START:\n cmd 1\n cmd 2\n text \"x\"\n");
    auto* quick = new CountJob(nullptr, 1);
    CountJob resident(nullptr, 1000000, true);
    core.addDwarf(&resident);
    CountJob holder(core.getCurrentThread(), 3);
    engine.onCommand = [&](TG2Thread&, uint32_t code) {
        if (code == 1) {
            core.addDwarf(&holder);
            core.addDwarf(quick);
        }
    };
    engine.graphicFake->dirty = true;  // one pass a frame
    engine.run();
    EXPECT_EQ(core.getDwarfGuild().size(), 2u) << "the quick job left in its first pass";
    engine.run();
    engine.run();
    EXPECT_EQ(engine.commands.size(), 1u) << "held while the job runs";
    engine.run();
    EXPECT_EQ(engine.commands.size(), 2u);
    EXPECT_EQ(holder.steps, 3);
    core.reset();
    EXPECT_EQ(core.getDwarfGuild().size(), 1u) << "only the resident job stays";
    core.getDwarfGuild().clear();
    delete quick;
}

TEST_F(CoreTest, ASnapshotLoadsBackToTheSameState) {
    TG2Core& core = start(R"(
START:
    vi0 3
    push 42
    set
    pop
    pos 1
    text "a"
    call sub, 0
    text "c"
sub:
    save1 2
    text "b"
    ret
)");
    engine.run();
    engine.run();  // in the subroutine, the snapshot taken at its save point
    core.setResult(9);
    core.takeSnapshot();
    TMemoryStream& shot = core.snapshot();
    const std::vector<uint8_t> first(shot.getBuffer(), shot.getBuffer() + shot.size());
    engine.reset();
    EXPECT_EQ(core.getThreadCount(), 0);
    EXPECT_EQ(engine.memory()->getInt(0, 3), 0);
    TMemoryStream in(const_cast<uint8_t*>(first.data()), static_cast<uint32_t>(first.size()));
    {
        TValueExchange x(&in, false);
        core.exchange(x);
    }
    EXPECT_EQ(engine.memory()->getInt(0, 3), 42);
    EXPECT_EQ(core.getResult(), 9);
    core.takeSnapshot();
    EXPECT_EQ(std::vector<uint8_t>(shot.getBuffer(), shot.getBuffer() + shot.size()), first);
    engine.run();
    engine.run();
    // The reloaded thread returns from its call, then runs on into the subroutine.
    EXPECT_EQ(engine.getCurrentDocFrame()->text(), "abcb");
}

TEST_F(CoreTest, ReturningToTheTitleRestartsTheMainScriptAndQuitEndsTheStory) {
    TG2Core& core = start("START:\n vi0 1\n push 5\n setadd\n pop\n cmd 1\n text \"t\"\n");
    engine.onCommand = [&](TG2Thread&, uint32_t) {
        if (engine.commands.size() == 1) core.requestReturnToTitle();
    };
    engine.run();
    EXPECT_EQ(engine.memory()->getInt(0, 1), 5);
    engine.run();  // reset: area 0 back to its start, the script again from START
    EXPECT_EQ(engine.memory()->getInt(0, 1), 5);
    EXPECT_EQ(engine.commands.size(), 2u);
    // A confirmation answered No keeps the story; quitting without one ends it.
    struct No : TG2Host {
        int messageBox(const std::string&, const std::string&, uint32_t) override { return 7; }
    } no;
    engine.term();
    engine.init(&no, nullptr, nullptr);
    engine.start("", "");
    TG2Core& again = *engine.core();
    EXPECT_EQ(again.quit(true), 7);
    EXPECT_TRUE(engine.run());
    again.quit(false);
    EXPECT_FALSE(engine.run());
}

TEST_F(CoreTest, ReadPointsAreFlaggedWhenTheThreadMovesOnAndSkipReadsOnlyReadText) {
    TG2Core& core = start(".readpoints 2\nSTART:\n pos 0\n text \"a\"\n pos 1\n text \"b\"\n jmp START\n");
    TG2Status& s = engine.status();
    engine.run();
    EXPECT_TRUE(core.isUnread());
    core.setSuspendSkip(2, false);
    s.skipMessage = true;
    EXPECT_FALSE(core.isSkipAllowed()) << "unread text switches skip mode off";
    EXPECT_FALSE(s.skipMessage);
    engine.run();
    engine.run();  // back at marker 0, which was flagged when marker 1 was reached
    EXPECT_FALSE(core.isUnread());
    s.skipMessage = true;
    EXPECT_TRUE(core.isSkipAllowed());
    core.setSuspendSkip(4, true);
    EXPECT_FALSE(core.isSkipAllowed());
    ASSERT_EQ(core.readChecks().size(), 1u);
    EXPECT_TRUE(core.readChecks().at(0)->test(0));
}

TEST_F(CoreTest, AWaitingJobIsSavedWithTheThreadAndHoldsItAfterALoad) {
    TG2Core& core = start("START:\n cmd 0x1101, 1000\n text \"after\"\n");
    // The engine's own dispatcher starts the wait.
    engine.onCommand = [&](TG2Thread& t, uint32_t code) { engine.TG2Engine::command(t, code); };
    engine.run();
    ASSERT_EQ(core.getDwarfGuild().size(), 1u);
    core.takeSnapshot();
    const std::vector<uint8_t> shot(core.snapshot().getBuffer(), core.snapshot().getBuffer() + core.snapshot().size());
    engine.reset();
    EXPECT_TRUE(core.getDwarfGuild().empty());
    TMemoryStream in(const_cast<uint8_t*>(shot.data()), static_cast<uint32_t>(shot.size()));
    TValueExchange x(&in, false);
    core.exchange(x);
    ASSERT_EQ(core.getDwarfGuild().size(), 1u);
    EXPECT_EQ(core.getDwarfGuild().front()->getThread(), core.getThread(0));
    clock.advance(500);
    engine.run();
    EXPECT_EQ(engine.getCurrentDocFrame()->text(), "");
    clock.advance(600);
    engine.run();
    engine.run();
    EXPECT_EQ(engine.getCurrentDocFrame()->text(), "after");
}

TEST_F(CoreTest, TheSystemMenuKeyEndsAutoModeOrCallsTheHost) {
    struct MenuKey : TG2Host {
        TG2InputState input() override {
            TG2InputState s;
            s.words[2] = held ? 0x20000000 : 0;
            return s;
        }
        void clearInput() override { held = false; }
        bool held = true;
    } key;
    engine.status().memName = "main.g2m";
    files.add("main.g2", "START:\n@l:\n text \"x\"\n jmp @l\n");
    engine.init(&key, nullptr, nullptr);
    engine.start("", "");
    static int calls = 0;
    engine.setCallback([](int, int, void*, void*) { return ++calls; }, nullptr);
    engine.status().autoEndsOnMenuKey = true;
    engine.status().autoText = true;
    engine.run();
    EXPECT_FALSE(engine.status().autoText);
    EXPECT_EQ(calls, 0);
    engine.run();
    EXPECT_EQ(calls, 0) << "the sub-menu is not enabled";
    engine.core()->setSubmenuEnabled(true);
    engine.run();
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(key.held) << "the press was handed over once";
}
