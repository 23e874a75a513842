// The demo story (tools/g2asm/demo_story.g2s) runs end to end on the engine headless, over the
// story's variable map: texts, clicks, a menu answered by the host, a wait on the engine clock
// and a call into a second scene.
#include <fstream>
#include <iterator>

#include "map_description.h"
#include "platform/clock.h"
#include "script/core.h"
#include "script/engine.h"
#include "minimal_doc.h"
#include "script_support.h"
#include "stand_ins.h"

namespace {

std::string sourceFile(const std::string& path) {
    const char* root = std::getenv("MJ_SOURCE_DIR");
    std::ifstream in(std::string(root ? root : "../..") + "/" + path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class StoryMemory : public TG2Memory {
public:
    bool loadMap(const std::string&) override {
        G2MapImage map;
        std::string error;
        if (!g2mm::parseDescription(sourceFile("tools/g2mmwrite/main.g2mm.txt"), map, error)) return false;
        applyMap(map);
        return true;
    }
};

class StoryEngine : public testing_stand_ins::ScriptOnly<WithMinimalDoc<>> {
public:
    std::unique_ptr<TG2Memory> createMemory() override { return std::make_unique<StoryMemory>(); }
};

// A player who clicks when asked and picks a menu entry.
class Player : public TG2Host {
public:
    TG2InputState input() override {
        TG2InputState s;
        if (clickNow) s.words[2] = 0x10000000;
        return s;
    }
    void clearInput() override { clickNow = false; }
    int32_t menuChoice(const EngineMenu& menu) override {
        menus.push_back(menu.entries.size());
        return choice;
    }
    bool clickNow = false;
    int32_t choice = 0;
    std::vector<size_t> menus;
};

class StoryTest : public ::testing::TestWithParam<int32_t> {
protected:
    void SetUp() override {
        platform::setClock(&clock);
        files.add("story.g2", sourceFile("tools/g2asm/demo_story.g2s"));
        files.install(engine.getScriptBank());
        engine.status().useCommonSave = false;
        engine.init(&player, nullptr, nullptr);
    }
    void TearDown() override {
        engine.term();
        platform::setClock(nullptr);
    }
    // Frames until the story ends; the player clicks every fifth frame; the texts seen.
    std::vector<std::string> play() {
        std::vector<std::string> seen;
        engine.start("story.g2", "START");
        for (int frame = 0; frame < 500; ++frame) {
            clock.advance(16);
            player.clickNow = frame % 5 == 4;
            engine.getCurrentDocFrame()->clearText();
            if (!engine.run()) return seen;
            if (!engine.getCurrentDocFrame()->text().empty()) seen.push_back(engine.getCurrentDocFrame()->text());
        }
        ADD_FAILURE() << "the story did not end";
        return seen;
    }

    platform::ManualClock clock{0};
    Player player;
    ScriptFiles files;
    StoryEngine engine;
};

}  // namespace

TEST_P(StoryTest, TheDemoStoryRunsToItsEnd) {
    player.choice = GetParam();
    const std::vector<std::string> seen = play();
    const bool yes = GetParam() == 0;
    const std::vector<std::string> want =
        yes ? std::vector<std::string>{"Welcome to the table.", "Play a hand?", "The tiles are dealt.", "The end."}
            : std::vector<std::string>{"Welcome to the table.", "Play a hand?", "Another time, then.", "The end."};
    EXPECT_EQ(seen, want);
    EXPECT_EQ(engine.memory()->getInt("$mj_result", 0), yes ? 1 : 2);
    EXPECT_EQ(engine.memory()->getInt("@mj_secret", 0), 1);
    EXPECT_EQ(player.menus.front(), 2u);
    EXPECT_EQ(engine.core()->getThreadCount(), 1) << "the ended thread stays until the next reset";
}

INSTANTIATE_TEST_SUITE_P(EitherChoice, StoryTest, ::testing::Values(0, 1));
