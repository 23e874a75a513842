// The frame chain: creation and termination order, the window keys of the profile, pausing,
// and the per-frame step.
#include "framework/frame.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "framework/application_error.h"
#include "framework/profile.h"
#include "framework/window.h"
#include "framework/window_frame.h"
#include "platform/message_box.h"
#include "platform/headless.h"

using namespace platform;

namespace {

std::vector<std::string> journal;

class MemoryIni : public TIniFile {
public:
    using TIniFile::getString;
    std::map<std::string, std::string> values;
    bool setSection(const char*) override { return true; }
    int getInt(const char* key, int def) override {
        auto it = values.find(key);
        return it == values.end() ? def : std::atoi(it->second.c_str());
    }
    char* getString(const char* key, char* buf, uint32_t size, const char* def) override {
        auto it = values.find(key);
        std::string v = it == values.end() ? def : it->second;
        std::snprintf(buf, size, "%s", v.c_str());
        return buf;
    }
    uint32_t getStruct(const char*, void*, uint32_t*) override { return 0; }
    bool setInt(const char* key, int value) override {
        values[key] = std::to_string(value);
        return true;
    }
    bool setString(const char* key, const char* text) override {
        values[key] = text;
        return true;
    }
    bool setStruct(const char*, const void*, uint32_t) override { return false; }
    bool deleteKey(const char* key) override {
        values.erase(key);
        return true;
    }
};

class FakeScreen : public TNullScreen {
public:
    explicit FakeScreen(bool fullScreenOk) : fullScreenOk_(fullScreenOk) {}
    bool setMode(TWindow*, bool fullScreen, int w, int h, int) override {
        journal.push_back(std::string("mode ") + (fullScreen ? "full " : "windowed ") + std::to_string(w) + "x" +
                          std::to_string(h));
        return !fullScreen || fullScreenOk_;
    }
    void close(int how) override { journal.push_back("screen close " + std::to_string(how)); }
    void step() override { journal.push_back("step"); }
    void beginSystemDialog() override { journal.push_back("begin dialog"); }
    void endSystemDialog() override { journal.push_back("end dialog"); }
    void draw() override { journal.push_back("draw"); }
    void present(int) override { journal.push_back("present"); }

private:
    bool fullScreenOk_;
};

class FakeSound : public TFrameSound {
public:
    bool create(TWindow*, uint32_t rate, uint16_t bits, bool stereo) override {
        journal.push_back("sound " + std::to_string(rate) + " " + std::to_string(bits) + (stereo ? " stereo" : ""));
        return false;  // no sound device: ignored
    }
    void destroy() override { journal.push_back("sound destroy"); }
    void pause() override { journal.push_back("sound pause"); }
    void resume() override { journal.push_back("sound resume"); }
};

class FakeEngine : public TNullEngine {
public:
    int screenWidth() const override { return 800; }
    int screenHeight() const override { return 600; }
    bool init(TWindow*, TInput*) override {
        journal.push_back("engine init");
        return true;
    }
    void term() override { journal.push_back("engine term"); }
    void setHost(TGameFrame* frame) override { journal.push_back(frame ? "engine host" : "engine no host"); }
    const TErrorEntry* errorTable() const override {
        static const TErrorEntry table[] = {{0x1001, "engine message %s"}, {0, nullptr}};
        return table;
    }
};

// A frame that reads and writes its settings in a profile the test holds.
class TestFrame : public TGameFrameG2 {
public:
    TestFrame(MemoryIni* ini, bool fullScreenOk) : TGameFrameG2(std::make_unique<FakeEngine>()), ini_(ini) {
        setScreen(std::make_unique<FakeScreen>(fullScreenOk));
        setSound(std::make_unique<FakeSound>());
    }
    bool loadProfile(TIniFile* p) override { return TGameFrameG2::loadProfile(p ? p : ini_); }
    bool saveProfile(TIniFile* p) override { return TGameFrameG2::saveProfile(p ? p : ini_); }

private:
    MemoryIni* ini_;
};

class Task : public TTask {
public:
    explicit Task(std::string name, int lifetime = 1000) : name_(std::move(name)), lifetime_(lifetime) {}
    void update() override {
        journal.push_back("update " + name_);
        if (--lifetime_ == 0) kill();
    }
    void End() override {
        journal.push_back("end " + name_);
        TTask::End();
    }

private:
    std::string name_;
    int lifetime_;
};

class FrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        headless::reset();
        journal.clear();
    }
    void TearDown() override { headless::reset(); }

    bool has(const std::string& s) const { return std::find(journal.begin(), journal.end(), s) != journal.end(); }
    size_t at(const std::string& s) const { return std::find(journal.begin(), journal.end(), s) - journal.begin(); }

    MemoryIni ini;
    TWindow window{"TFrameWindow"};
};

}  // namespace

TEST_F(FrameTest, CreateSetsTheChainUpInOrderAndTerminateClosesDevicesBeforeTheTasks) {
    ini.values["Windowed"] = "1";
    setErrorTable(nullptr);
    auto* frame = new TestFrame(&ini, true);
    EXPECT_EQ(gameFrame(), frame);
    TError error(0x1001, "x");
    EXPECT_EQ(error.text(), "error 1001: engine message x");  // the engine's table is installed
    setErrorTable(nullptr);
    EXPECT_EQ(graphicsFrame(), frame);
    ASSERT_EQ(window.create(), 0u);
    ASSERT_TRUE(frame->create(nullptr, &window));
    EXPECT_EQ(frame->width(), 800);
    EXPECT_EQ(frame->height(), 600);
    // The mode change pauses and resumes around itself, before the sound device exists.
    EXPECT_EQ(journal,
              (std::vector<std::string>{"sound pause", "screen close 0", "mode windowed 800x600", "sound resume",
                                        "sound 44100 16 stereo", "engine init", "engine host"}));
    EXPECT_FALSE(isTextInputOn());
    EXPECT_EQ(frame->input().deviceCount(), 2);

    frame->add(new Task("a"));
    journal.clear();
    frame->terminate();
    EXPECT_EQ(journal, (std::vector<std::string>{"sound destroy", "screen close 1", "end a", "engine term"}));
    EXPECT_EQ(frame->input().deviceCount(), 0);
    EXPECT_EQ(window.hookCount(), 0u);
    EXPECT_TRUE(isTextInputOn());  // the input method is given back
    delete frame;
    EXPECT_EQ(gameFrame(), nullptr);
}

TEST_F(FrameTest, AnEmptyWindowPosCentresTheWindow) {
    ini.values["WindowPos"] = "";
    ini.values["Windowed"] = "1";
    TestFrame frame(&ini, true);
    ASSERT_EQ(window.create(), 0u);
    ASSERT_TRUE(frame.create(nullptr, &window));
    EXPECT_FALSE(frame.positionValid());
    Rect r;
    window.getWindowRect(r);
    EXPECT_EQ(r.left, (1024 - 806) / 2);
    frame.terminate();
    EXPECT_EQ(ini.values["WindowPos"], "");  // not written over while unknown
    EXPECT_EQ(ini.values["Windowed"], "1");
}

TEST_F(FrameTest, ASavedPositionPlacesTheWindowedClientAreaAndIsWrittenBack) {
    ini.values["WindowPos"] = "100,20";
    ini.values["Windowed"] = "1";
    TestFrame frame(&ini, true);
    window.setClientSize(10, 10);
    ASSERT_EQ(window.create(), 0u);
    ASSERT_TRUE(frame.create(nullptr, &window));
    Rect r, c;
    window.getWindowRect(r);
    window.getClientRect(c);
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.top, 20);
    EXPECT_EQ(c, (Rect{0, 0, 800, 600}));
    EXPECT_TRUE(frame.positionValid());
    frame.setPosition(true, 5, -7);
    frame.terminate();
    EXPECT_EQ(ini.values["WindowPos"], "5,-7");
}

TEST_F(FrameTest, RefusedFullScreenFallsBackToWindowedAndSavesIt) {
    ini.values["Windowed"] = "0";
    TestFrame frame(&ini, false);
    ASSERT_EQ(window.create(), 0u);
    ASSERT_TRUE(frame.create(nullptr, &window));
    EXPECT_TRUE(frame.isWindowed());
    std::vector<std::string> modes;
    for (auto& j : journal)
        if (j.rfind("mode", 0) == 0 || j.rfind("screen", 0) == 0) modes.push_back(j);
    EXPECT_EQ(modes, (std::vector<std::string>{"screen close 0", "mode full 800x600", "screen close 0",
                                               "mode windowed 800x600"}));
    EXPECT_TRUE((window.style() & 0x00C00000u) == 0x00C00000u);
    frame.terminate();
    EXPECT_EQ(ini.values["Windowed"], "1");
}

TEST_F(FrameTest, GrantedFullScreenDropsTheCaption) {
    ini.values["Windowed"] = "0";
    TestFrame frame(&ini, true);
    ASSERT_EQ(window.create(), 0u);
    ASSERT_TRUE(frame.create(nullptr, &window));
    EXPECT_FALSE(frame.isWindowed());
    EXPECT_EQ(window.style() & 0x00C00000u, 0u);
    frame.terminate();
    EXPECT_EQ(ini.values["Windowed"], "0");
}

TEST_F(FrameTest, PausesNestAndOnlyTheOutermostReachesTheSound) {
    TestFrame frame(&ini, true);
    ASSERT_EQ(window.create(), 0u);
    ASSERT_TRUE(frame.create(nullptr, &window));
    journal.clear();
    frame.pause();
    frame.pause();
    frame.resume();
    EXPECT_EQ(journal, std::vector<std::string>{"sound pause"});
    frame.resume();
    frame.resume();  // one too many changes nothing
    EXPECT_EQ(journal, (std::vector<std::string>{"sound pause", "sound resume"}));
    EXPECT_EQ(frame.pauseCount(), 0);
    frame.terminate();
}

TEST_F(FrameTest, EachStepPollsInputOnceRunsTheTasksAndPresents) {
    TestFrame frame(&ini, true);
    ASSERT_EQ(window.create(), 0u);
    ASSERT_TRUE(frame.create(nullptr, &window));
    headless::setForeground(window.handle());
    frame.input().device(0)->setKeyConfig(16, DIK_RETURN);
    static std::vector<uint32_t> seen;
    seen.clear();
    struct Reader : TTask {
        void update() override { seen.push_back(static_cast<TGameFrameGr*>(manager())->input().pressedBits()); }
    };
    frame.add(new Reader());
    frame.start();
    journal.clear();
    headless::setKey(DIK_RETURN, true);
    EXPECT_TRUE(frame.run());
    EXPECT_TRUE(frame.run());
    EXPECT_EQ(seen, (std::vector<uint32_t>{0x10, 0}));
    EXPECT_EQ(journal, (std::vector<std::string>{"step", "draw", "present", "step", "draw", "present"}));
    EXPECT_EQ(frame.frameCount(), 2u);
    frame.terminate();
}

TEST_F(FrameTest, AMinimisedFrameRunsItsTasksButPresentsNothing) {
    TestFrame frame(&ini, true);
    ASSERT_EQ(window.create(), 0u);
    ASSERT_TRUE(frame.create(nullptr, &window));
    frame.add(new Task("a"));
    sendMessage(window.handle(), WM_SIZE, SIZE_MINIMIZED, 0);
    journal.clear();
    EXPECT_TRUE(frame.run());
    EXPECT_EQ(journal, (std::vector<std::string>{"step", "update a"}));
    frame.terminate();
}

TEST_F(FrameTest, ThePassThatFindsNoLiveTaskDrawsNothingAndEnds) {
    TestFrame frame(&ini, true);
    ASSERT_EQ(window.create(), 0u);
    ASSERT_TRUE(frame.create(nullptr, &window));
    frame.add(new Task("a", 1));
    journal.clear();
    EXPECT_TRUE(frame.run());  // a updates and asks for its end
    EXPECT_FALSE(frame.run());
    EXPECT_TRUE(frame.hasEnded());
    EXPECT_EQ(journal, (std::vector<std::string>{"step", "update a", "draw", "present", "step", "end a"}));
    frame.terminate();
}

TEST(FramePosition, ParsesLikeTheSavedFormat) {
    int x = 9, y = 9;
    EXPECT_FALSE(TGameFrameGr::parsePosition("", x, y));
    EXPECT_TRUE(TGameFrameGr::parsePosition(" -12, +34", x, y));
    EXPECT_EQ(x, -12);
    EXPECT_EQ(y, 34);
    EXPECT_TRUE(TGameFrameGr::parsePosition("abc", x, y));
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    EXPECT_TRUE(TGameFrameGr::parsePosition("99999999999999999999,5", x, y));
    EXPECT_EQ(x, 2147483647);
    EXPECT_EQ(y, 5);
    EXPECT_TRUE(TGameFrameGr::parsePosition("7;8", x, y));
    EXPECT_EQ(x, 7);
    EXPECT_EQ(y, 0);
}

TEST_F(FrameTest, TheEngineWindowAnswersFromTheFrameAndShowsBoxesOverTheScreen) {
    TestFrame frame(&ini, true);
    TWindowForFrameG2 engineWindow(&frame, "TEngineWindow");
    ini.values["Windowed"] = "0";
    ASSERT_EQ(engineWindow.create(), 0u);
    ASSERT_TRUE(frame.create(nullptr, &engineWindow));
    EXPECT_FALSE(engineWindow.isWindowed());
    EXPECT_TRUE(engineWindow.isFullScreen());
    RecordingAnswerer boxes(IDNO);
    ScopedMessageBoxAnswerer scoped(boxes);
    journal.clear();
    EXPECT_EQ(engineWindow.messageBox("question", "caption", MB_YESNO), IDNO);
    EXPECT_EQ(journal, (std::vector<std::string>{"begin dialog", "end dialog"}));
    EXPECT_EQ(boxes.last().text, "question");
    frame.terminate();
}

TEST_F(FrameTest, TheEngineWindowShowsTheFramesCursorOutsideTheClientAreaAndNoneOverTheSprite) {
    TestFrame frame(&ini, true);
    TWindowForFrameG2 engineWindow(&frame, "TEngineWindow");
    ini.values["Windowed"] = "1";
    ASSERT_EQ(engineWindow.create(), 0u);
    ASSERT_TRUE(frame.create(nullptr, &engineWindow));
    const HCURSOR arrow = loadCursor(IDC_ARROW), hand = loadCursor(IDC_HAND);
    Point origin;
    ASSERT_TRUE(engineWindow.clientToScreen(origin));

    // Inside the client area the second cursor, above it (on the caption) the first.
    headless::setCursorPos(origin.x + 10, origin.y + 10);
    engineWindow.setCursors(hand, arrow);
    EXPECT_EQ(getCursor(), arrow);
    headless::setCursorPos(origin.x + 10, origin.y - 5);
    sendMessage(engineWindow.handle(), WM_SETCURSOR, 0, makeLParam(HTCAPTION, WM_MOUSEMOVE));
    EXPECT_EQ(getCursor(), hand);

    // While the game draws its own cursor sprite, the client area shows no pointer; a dialog that
    // clears the sprite's flag brings the pointer back.
    frame.setCursorAvailable(true);
    headless::setCursorPos(origin.x + 10, origin.y + 10);
    EXPECT_EQ(sendMessage(engineWindow.handle(), WM_SETCURSOR, 0, makeLParam(HTCLIENT, WM_MOUSEMOVE)), 1);
    EXPECT_EQ(getCursor(), nullptr);
    frame.setCursorAvailable(false);
    sendMessage(engineWindow.handle(), WM_SETCURSOR, 0, makeLParam(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(getCursor(), arrow);

    // One cursor for both places.
    engineWindow.setCursor(hand);
    EXPECT_EQ(engineWindow.cursor(true), hand);
    EXPECT_EQ(engineWindow.cursor(false), hand);
    EXPECT_EQ(getCursor(), hand);
    engineWindow.setCursors(nullptr, nullptr);
    frame.terminate();
}
