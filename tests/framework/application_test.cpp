// The application: the message pump, the run operation's order and its two error handlers.
#include "framework/application.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "framework/application_error.h"
#include "framework/application_texts.h"
#include "framework/frame.h"
#include "framework/window.h"
#include "platform/codepage.h"
#include "platform/headless.h"
#include "platform/message_box.h"
#include "support/test_support.h"

using namespace platform;

namespace {

std::vector<std::string>* journal = nullptr;

void note(const std::string& s) {
    if (journal) journal->push_back(s);
}

enum class Fail { None, CreateFalse, CreateThrowsException, CreateThrowsError, RunThrows };

class ScriptedFrame : public TGameFrame {
public:
    ScriptedFrame(Fail fail, int framesAlive) : fail_(fail), framesAlive_(framesAlive) {}
    ~ScriptedFrame() override { note("frame deleted"); }
    bool create(HINSTANCE, TWindow* window) override {
        note(window && window->handle() ? "create with window" : "create without window");
        if (fail_ == Fail::CreateFalse) return false;
        if (fail_ == Fail::CreateThrowsException) throw TException(0x2abcd);
        if (fail_ == Fail::CreateThrowsError) throw TError(0x1003, "a.g2");
        return true;
    }
    bool startFrame() override {
        note("start");
        return true;
    }
    bool run() override {
        note("run");
        if (fail_ == Fail::RunThrows) throw TException(0x1000001);
        return framesAlive_-- > 0;
    }
    void terminate() override { note("terminate"); }

private:
    Fail fail_;
    int framesAlive_;
};

class NotedWindow : public TWindow {
public:
    NotedWindow() : TWindow("TNoted") {}
    ~NotedWindow() override { note("window deleted"); }
};

class TestApp : public TGameApp {
public:
    TestApp(TGameFrame* frame, bool makeWindow = true)
        : TGameApp("TestInstance", frame, "Maker", "AppName"), makeWindow_(makeWindow) {}
    TWindow* createMainWindow() override { return makeWindow_ ? new NotedWindow() : nullptr; }
    void skipCheck(bool on) { skipCheck_ = on; }

private:
    bool makeWindow_;
};

class ApplicationTest : public ::testing::Test {
protected:
    void SetUp() override {
        headless::reset();
        journal = &log;
        NamedLock::setFolder(dir.str());
    }
    void TearDown() override {
        journal = nullptr;
        NamedLock::setFolder("");
        headless::reset();
    }
    mjtest::TempDir dir;
    std::vector<std::string> log;
    RecordingAnswerer boxes;
    ScopedMessageBoxAnswerer scoped{boxes};
};

const TErrorEntry kTable[] = {
    {0x1003, "cannot open %s (100%)"},
    {0x1004, "no argument here: %d %x"},
    {0, nullptr},
};

}  // namespace

TEST_F(ApplicationTest, AQuitInTheMiddleOfABatchEndsThePumpAndLeavesTheRestQueued) {
    TApp app("m", "a");
    WindowClass wc{"TCount",
                   [](HWND, uint32_t message, uintptr_t, intptr_t) -> intptr_t { return message == WM_USER ? 1 : 0; }};
    ASSERT_TRUE(registerClass(wc));
    HWND h = createWindow(0, "TCount", "", 0, 0, 0, 10, 10, nullptr, nullptr);
    postMessage(h, WM_USER, 0, 0);
    postQuitMessage(7);
    postMessage(h, WM_USER, 0, 0);
    EXPECT_FALSE(app.pumpMessages());
    EXPECT_EQ(app.exitCode(), 7);
    EXPECT_EQ(pendingMessageCount(), 1u);
}

TEST_F(ApplicationTest, RunCreatesWindowAndFrameLoopsAndReleasesInOrder) {
    auto* app = new TestApp(new ScriptedFrame(Fail::None, 2));
    EXPECT_EQ(app->run(nullptr, nullptr, "cmd", SW_SHOW), 0);
    EXPECT_EQ(app->commandLine(), "cmd");
    // Two live frames, the third reports the end, the quit is taken at the next pump.
    EXPECT_EQ(log, (std::vector<std::string>{"create with window", "start", "run", "run", "run", "terminate",
                                             "frame deleted", "window deleted"}));
    EXPECT_EQ(app->mainWindow(), nullptr);
    EXPECT_EQ(app->frame(), nullptr);
    EXPECT_EQ(boxes.count(), 0u);
    delete app;
}

TEST_F(ApplicationTest, TheExitCodeIsTheQuitMessagesAndTheMainWindowCarriesTheInstanceName) {
    struct Quitter : ScriptedFrame {
        Quitter() : ScriptedFrame(Fail::None, 100) {}
        bool run() override {
            if (TApp* a = application()) {
                EXPECT_EQ(windowText(a->mainWindow()->handle()), "TestInstance");
                EXPECT_TRUE(isWindowVisible(a->mainWindow()->handle()));
            }
            postQuitMessage(42);
            return true;
        }
    };
    TestApp app(new Quitter());
    EXPECT_EQ(app.run(nullptr, nullptr, "", SW_SHOW), 42);
}

TEST_F(ApplicationTest, AFrameThatCannotBeCreatedEndsQuietlyWithZero) {
    TestApp app(new ScriptedFrame(Fail::CreateFalse, 5));
    EXPECT_EQ(app.run(nullptr, nullptr, "", SW_SHOW), 0);
    EXPECT_EQ(log, (std::vector<std::string>{"create with window", "terminate", "frame deleted", "window deleted"}));
    EXPECT_EQ(boxes.count(), 0u);
}

TEST_F(ApplicationTest, AnExceptionIsShownWithItsCodeBeforeFrameAndWindowAreReleased) {
    TestApp app(new ScriptedFrame(Fail::CreateThrowsException, 5));
    EXPECT_EQ(app.run(nullptr, nullptr, "", SW_SHOW), 0);
    ASSERT_EQ(boxes.count(), 1u);
    EXPECT_EQ(boxes.last().text, toSjis("アプリケーションエラー (CODE:0x2abcd)"));
    EXPECT_EQ(boxes.last().caption, "AppName");
    EXPECT_EQ(log, (std::vector<std::string>{"create with window", "terminate", "frame deleted", "window deleted"}));
}

TEST_F(ApplicationTest, AnExceptionInsideTheLoopReachesTheSameHandler) {
    TestApp app(new ScriptedFrame(Fail::RunThrows, 5));
    EXPECT_EQ(app.run(nullptr, nullptr, "", SW_SHOW), 0);
    ASSERT_EQ(boxes.count(), 1u);
    EXPECT_EQ(boxes.last().text, toSjis("アプリケーションエラー (CODE:0x1000001)"));
    EXPECT_EQ(log.back(), "window deleted");
}

TEST_F(ApplicationTest, AScriptErrorIsShownWithTheTableMessageTakenAsText) {
    setErrorTable(kTable);
    TestApp app(new ScriptedFrame(Fail::CreateThrowsError, 5));
    EXPECT_EQ(app.run(nullptr, nullptr, "", SW_SHOW), 0);
    setErrorTable(nullptr);
    ASSERT_EQ(boxes.count(), 1u);
    EXPECT_EQ(boxes.last().text, "error 1003: cannot open a.g2 (100%)");
}

TEST_F(ApplicationTest, NoMainWindowIsAnException) {
    TestApp app(new ScriptedFrame(Fail::None, 5), false);
    EXPECT_EQ(app.run(nullptr, nullptr, "", SW_SHOW), 0);
    ASSERT_EQ(boxes.count(), 1u);
    EXPECT_EQ(boxes.last().text, toSjis("アプリケーションエラー (CODE:0x1000001)"));
    EXPECT_EQ(log, (std::vector<std::string>{"terminate", "frame deleted"}));
}

TEST_F(ApplicationTest, ASecondInstanceReturnsZeroBeforeAnyWindowExists) {
    TMutex first;
    ASSERT_TRUE(first.create("TestInstance"));
    TestApp app(new ScriptedFrame(Fail::None, 5));
    EXPECT_EQ(app.run(nullptr, nullptr, "", SW_SHOW), 0);
    EXPECT_TRUE(log.empty());
    // The lock's file goes with the lock, and the name is free again.
    first.close();
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
    ASSERT_TRUE(first.create("TestInstance"));
    first.close();
    // The player's application skips the check.
    TPlayerApp player("TestInstance", nullptr);
    EXPECT_TRUE(player.skipsInstanceCheck());
    EXPECT_EQ(player.makerName(), "Tovimare");
    EXPECT_EQ(player.appName(), "MAHJONG");
}

TEST_F(ApplicationTest, WithoutAMainWindowMessageBoxesUseTheApplicationNameAsCaption) {
    TApp app("Maker", "Name");
    app.messageBox("text", MB_OK);
    app.messageBox(std::string("text2"), MB_OK);
    app.messageBox("text3", "Own", MB_OKCANCEL);
    auto r = boxes.requests();
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0].caption, "Name");
    EXPECT_EQ(r[1].caption, "Name");
    EXPECT_EQ(r[2].caption, "Own");
    EXPECT_EQ(r[2].type, static_cast<uint32_t>(MB_OKCANCEL));
}

TEST_F(ApplicationTest, InitSplitsTheModulePath) {
    struct Fixed : TApp {
        Fixed() : TApp("m", "a") {}
        std::string moduleFileName() const override { return "\\opt\\game\\bin\\mj-run"; }
    } app;
    app.init(nullptr, nullptr, 1);
    EXPECT_EQ(app.moduleFolder(), "\\opt\\game\\bin");
    EXPECT_EQ(app.moduleName(), "mj-run");
    EXPECT_EQ(app.modulePath("save\\game.ini"), "\\opt\\game\\bin\\save\\game.ini");
    EXPECT_EQ(app.modulePath("\\etc\\x"), "\\etc\\x");
}

TEST(ErrorText, TheCodeIsFormattedAndTheMessageIsNeverAFormat) {
    setErrorTable(kTable);
    TError withArg(0x1003, "%n%s%x");
    EXPECT_EQ(withArg.text(), "error 1003: cannot open %n%s%x (100%)");
    TError noSlot(0x1004, "ignored");
    EXPECT_EQ(noSlot.text(), "error 1004: no argument here: %d %x");
    TError unknown(0x2001, "plain %s text");
    EXPECT_EQ(unknown.text(), "error 2001: plain %s text");
    setErrorTable(nullptr);
    TError noTable(0xabcde, "x");
    EXPECT_EQ(noTable.text(), "error abcde: x");
}

TEST(ApplicationTexts, AreShiftJisBytes) {
    // "ア" is 0x83 0x41 and "メッセージ送信" ends with "送信" 0x91 0x97 0x90 0x4D.
    EXPECT_EQ(texts::applicationErrorPrefix().substr(0, 2), "\x83\x41");
    const std::string& caption = texts::chatCaption();
    EXPECT_EQ(caption.substr(caption.size() - 4), "\x91\x97\x90\x4D");
    EXPECT_EQ(texts::cancelLabel(), "\x83\x4C\x83\x83\x83\x93\x83\x5A\x83\x8B");
}
