// The built program started as a person starts it, on a copy of the demo data kit, where the
// machine lacks something: with no display it says so and ends instead of running unseen; with
// no audio device it says so once, plays the story silent and blames no sound file. The second
// needs an X display of its own (MJ_XDISPLAY) and xdotool. Without a font for its text it says so
// once, naming the face it asked for. When its display goes away the program ends at once, with
// no report of the sanitizers; asked to end while a question is open, it ends in order once the
// question is answered.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "support/test_support.h"
#include "support/x_screenshot.h"

namespace {

namespace fs = std::filesystem;

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        const fs::path kit = MJ_KIT_DIR;
        if (!fs::exists(kit / "mj-game") || !fs::exists(kit / "script.pak")) GTEST_SKIP() << "no kit at " << kit;
        for (const auto& entry : fs::directory_iterator(kit))
            if (entry.path().filename() != "save")
                fs::copy(entry.path(), dir.path() / entry.path().filename(), fs::copy_options::recursive);
    }
    // Runs the program in the kit's copy with only the given variables (and PATH, HOME) set, its
    // standard error into err.txt; the shell line `then` runs beside it (the program's process
    // id is in $game) and ends it. A program still running after a minute is killed. Returns
    // the program's exit code. The watchdog's sleep outlives it: on no output of the test's, or
    // ctest would wait that minute out.
    int run(const std::string& variables, const std::string& then = "", const std::string& arguments = "") {
        const std::string line = "cd '" + dir.str() + "' || exit 99; env -i PATH=\"$PATH\" HOME=\"$HOME\" " +
                                 variables + " ./mj-game " + arguments +
                                 " 2>err.txt & game=$!; (sleep 60; kill -KILL $game) >/dev/null 2>&1 & "
                                 "watchdog=$!; " +
                                 then + " wait $game; code=$?; kill $watchdog 2>/dev/null; exit $code";
        const int status = std::system(("bash -c '" + quoteForBash(line) + "'").c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    // The sanitizers' settings of the test's own environment, for the program's.
    static std::string sanitizerOptions() {
        std::string out;
        for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"})
            if (const char* v = std::getenv(name)) out += std::string(" ") + name + "='" + v + "'";
        return out;
    }
    std::string err() const {
        std::ifstream in(dir.path() / "err.txt");
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    static std::string quoteForBash(const std::string& s) {
        std::string out;
        for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
        return out;
    }
    // Whether the test's X display is there, and the programs run beside the game on it.
    static bool beside(const std::vector<const char*>& tools) {
        return !testsupport::xDisplay().empty() && testsupport::installed(tools);
    }
    static size_t count(const std::string& text, const std::string& part) {
        size_t n = 0;
        for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
        return n;
    }
    mjtest::TempDir dir;
};

}  // namespace

TEST_F(ProgramTest, WithoutADisplayTheProgramSaysSoAndEnds) {
    // SDL's own fallback, and its two drivers that show nothing when they are asked for by name;
    // without XDG_RUNTIME_DIR either, where the libraries that look for a display complain of
    // it: the game's line is all that is said.
    for (const char* variables : {"", "SDL_VIDEODRIVER=offscreen", "SDL_VIDEODRIVER=dummy"}) {
        EXPECT_EQ(run(std::string(variables) + " SDL_AUDIODRIVER=dummy"), 1) << variables;
        EXPECT_EQ(err(), "mahjong: no display could be opened\n") << variables;
    }
}

TEST_F(ProgramTest, WithoutAnAudioDeviceTheStoryRunsSilentAndTheCauseIsSaidOnce) {
    const std::string display = "DISPLAY=" + testsupport::xDisplay();
    if (!beside({"xdotool"})) GTEST_SKIP() << "no X display (MJ_XDISPLAY) or no xdotool";
    // The window opens centred on the 1024 x 768 display: NEW GAME is at (637, 409) in it. The
    // story's first line plays its music.
    const std::string click = "sleep 4; " + display + " xdotool mousemove 749 493 click 1; sleep 5; kill -TERM $game;";
    // No such sound driver; and the ALSA library on a machine without the card it is sent to,
    // whose own report of each failed step stays out of the program's standard error.
    for (const char* audio : {"SDL_AUDIODRIVER=none-such", "SDL_AUDIODRIVER=alsa ALSA_CARD=NoSuchCard"}) {
        fs::remove(dir.path() / "save" / "game.ini");
        EXPECT_EQ(run(display + " SDL_VIDEODRIVER=x11 " + audio, click), 0) << audio;
        const std::string text = err();
        EXPECT_EQ(count(text, "no audio device could be opened"), 1u) << text;
        EXPECT_EQ(count(text, "\n"), 1u) << text;
        EXPECT_TRUE(fs::exists(dir.path() / "save" / "game.ini")) << "the program ran and ended in order";
    }
}

TEST_F(ProgramTest, WithoutAFontForTheTextTheProgramSaysOnceWhichFaceItAskedFor) {
    // fontconfig with a folder of the test's own that holds no font.
    fs::create_directories(dir.path() / "no-fonts");
    std::ofstream(dir.path() / "fonts.conf")
        << "<?xml version=\"1.0\"?>\n<fontconfig><dir>" << (dir.path() / "no-fonts").string() << "</dir><cachedir>"
        << (dir.path() / "font-cache").string() << "</cachedir></fontconfig>\n";
    EXPECT_EQ(run("MJ_VIRTUAL_DISPLAY=1 SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy FONTCONFIG_FILE='" +
                      (dir.path() / "fonts.conf").string() + "'",
                  "sleep 4; kill -TERM $game;"),
              0);
    const std::string text = err();
    EXPECT_EQ(count(text, "no font for the text was found (the face asked for is \"ＭＳ ゴシック\""), 1u) << text;
}

TEST_F(ProgramTest, WhenTheDisplayIsLostTheProgramEndsWithoutTouchingWhatItReleased) {
    if (!testsupport::installed({"Xvfb"})) GTEST_SKIP() << "Xvfb is not installed";
    // A display of the test's own, taken away while the title is shown.
    const std::string start = "cd '" + dir.str() +
                              "' && (Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>display.txt "
                              ">/dev/null 2>&1 & echo $! >xvfb.txt); for i in $(seq 300); do [ -s display.txt ] "
                              "&& exit 0; sleep 0.1; done; exit 1";
    ASSERT_EQ(std::system(("bash -c '" + quoteForBash(start) + "'").c_str()), 0);
    std::ifstream in(dir.path() / "display.txt");
    int display = -1;
    in >> display;
    ASSERT_GE(display, 0);
    // The display library ends the program with 1 when its connection breaks; the program
    // neither waits on the lost display nor releases its fonts to a provider already gone.
    const int code =
        run("DISPLAY=:" + std::to_string(display) + " SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy" + sanitizerOptions(),
            "sleep 4; kill $(cat xvfb.txt);");
    const std::string text = err();
    EXPECT_EQ(code, 1) << text;
    EXPECT_EQ(count(text, "runtime error"), 0u) << text;
    EXPECT_EQ(count(text, "Sanitizer"), 0u) << text;
}

TEST_F(ProgramTest, AskedToEndWhileAQuestionIsOpenTheProgramEndsInOrderOnceItIsAnswered) {
    if (!beside({"xdotool", "xwininfo"})) GTEST_SKIP() << "no X display (MJ_XDISPLAY), xdotool or xwininfo";
    // The lobby's first question is a window of its own beside the game's, captioned "MAHJONG";
    // the end asked for meanwhile waits for the answer (Return: serve, on a port of the test's).
    const std::string display = "DISPLAY=" + testsupport::xDisplay();
    const std::string then = "box=; for i in $(seq 150); do box=$(" + display +
                             " xwininfo -root -children 2>/dev/null | awk '/\"MAHJONG\": /{print $1; exit}'); "
                             "[ -n \"$box\" ] && break; sleep 0.2; done; sleep 0.5; kill -TERM $game; sleep 2; "
                             "kill -0 $game && touch open.txt; " +
                             display + " xdotool windowfocus --sync $box key Return;";
    EXPECT_EQ(run(display + " SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy" + sanitizerOptions(), then,
                  "--lobby 127.0.0.1:" + std::to_string(20000 + getpid() % 20000)),
              0)
        << err();
    EXPECT_TRUE(fs::exists(dir.path() / "open.txt")) << "the question stood until it was answered";
    EXPECT_TRUE(fs::exists(dir.path() / "save" / "game.ini")) << "the program ended in order";
}
