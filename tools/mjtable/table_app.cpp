#include "table_app.h"

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>

#include "framework/application.h"
#include "framework/frame.h"
#include "framework/frame_services.h"
#include "framework/window.h"
#include "framework/window_frame.h"
#include "game/client/client_host.h"
#include "game/client/client_pools.h"
#include "game/client/table_sprites.h"
#include "game/mode/mode_task.h"
#include "graphics/frame_screen.h"
#include "graphics/graphic.h"
#include "platform/clock.h"
#include "platform/process.h"
#include "platform/message_box.h"
#include "platform/window_system.h"
#include "sound/direct_sound.h"
#include "sound/frame_sound.h"
#include "sound/wave.h"
#include "storage/storage.h"
#include "store/frame_storage.h"

namespace mjtable {

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

class TableEngine : public TNullEngine {
public:
    int screenWidth() const override { return kWidth; }
    int screenHeight() const override { return kHeight; }
};

// The frame as the table client sees it: its clock, its input, its screen and the pools of
// objects lent for one frame. There is no sound set and no music of the engine here, so effects
// and music are silent.
class FrameHost : public game::client::TClientHost {
public:
    explicit FrameHost(TGameFrameG2& frame) : frame_(frame) {}

    uint32_t frameTime() const override { return frame_.frameTime(); }
    bool isMouseAction() const override { return frame_.input().isMouseAction(); }
    int mouseX() const override { return frame_.input().cursorX(); }
    int mouseY() const override { return frame_.input().cursorY(); }
    uint32_t pressedButtons() const override { return frame_.input().pressedBits(); }
    void forceHitTest() override {
        frame_.input().setPrevious(-1, -1);
        frame_.input().setMoved(true);
    }
    void invalidate() override {
        if (graphics::TGraphic* g = graphics::graphic()) g->invalidate();
    }
    void playSe(int) override {}
    void stopMusic() override {}
    void playMusic(const std::string&) override {}
    int musicVolume() const override { return volume_; }
    void setMusicVolume(int v) override { volume_ = v; }
    graphics::TGrTableObj* screenTable() override { return graphics::graphic(); }
    graphics::TSprObj* pushSprObj(const graphics::TSprObj& unit) override { return pools_.pushSprObj(unit); }
    graphics::TNumObj* nextNumObj() override { return pools_.nextNumObj(); }
    graphics::TFillObj* nextFillObj(uint32_t colour, int opacity) override {
        return pools_.nextFillObj(colour, opacity);
    }
    graphics::TTextObj* nextTextObj() override { return pools_.nextTextObj(); }
    void messageBox(const std::string& text) override {
        if (TApp* app = application()) app->messageBox(text, platform::MB_OK);
    }

    // The start of a frame: every lent object back, the screen's table empty.
    void beginFrame() { pools_.reset(graphics::graphic()); }

private:
    TGameFrameG2& frame_;
    game::client::TClientPools pools_{kWidth, kHeight};
    int volume_ = 255;
};

class TableFrame : public TGameFrameG2 {
public:
    TableFrame(const TableOptions& options, TableOutcome& outcome)
        : TGameFrameG2(std::make_unique<TableEngine>()), options_(options), outcome_(outcome), host_(*this) {
        setWindowed(true);
    }

    bool create(HINSTANCE instance, TWindow* window) override {
        if (!TGameFrameG2::create(instance, window)) return false;
        if (auto* frameStore = dynamic_cast<TStorageForFrame*>(&storage()); frameStore && frameStore->store())
            frameStore->store()->setBaseFolder(dataFolder());
        if (window) window->setTitle("Mahjong table");
        TMahjongModeServices& services = mahjongModeServices();
        services.clientHost = &host_;
        services.loadSprites = [] { return game::client::loadMahjongSprites(); };
        initMahjongAlone();
        startMatch();
        return true;
    }

    bool run() override {
        if (!options_.fast) pace();
        if (options_.driver) options_.driver(*this);
        host_.beginFrame();
        const bool going = TGameFrameG2::run();
        ++outcome_.frames;
        if (match_ && match_->isFinished()) {
            const bool again = match_->isRetry();
            match_->kill();
            match_ = nullptr;
            if (again) {
                startMatch();
            } else {
                outcome_.finished = true;
            }
        }
        if (options_.frameCap > 0 && outcome_.frames >= options_.frameCap && !outcome_.finished) {
            std::fprintf(stderr, "mjtable: no end after %d frames\n", outcome_.frames);
            outcome_.exitCode = 1;
            endAll();
        }
        return going;
    }

    // Fast frames keep the game's own time: each counts 16 ms, however quickly it was drawn.
    uint32_t currentTime() const override {
        return options_.fast ? static_cast<uint32_t>(frameCount()) * 16u : TGameFrameG2::currentTime();
    }

    void terminate() override {
        if (match_) match_->kill();
        match_ = nullptr;
        TGameFrameG2::terminate();
        game::client::releaseMahjongSprites();
        mahjongModeServices().clientHost = nullptr;
    }

private:
    std::string dataFolder() const {
        if (!options_.dataDir.empty()) return options_.dataDir;
        std::string exe = platform::moduleFileName();
        for (char& c : exe)
            if (c == '\\') c = '/';
        return (std::filesystem::path(exe).parent_path().parent_path() / "data").string();
    }

    void startMatch() {
        const uint32_t seed = options_.seed ? *options_.seed + static_cast<uint32_t>(outcome_.matches)
                                            : static_cast<uint32_t>(std::time(nullptr));
        auto* match = new TTaskMahjongAlone;
        match->ownRandom().seed(seed);
        match->ownTieBreak().seed(seed * 2654435761u + 12345u);
        match->rule().gameLength = 1;  // the east round only
        match->createProfiles(4);
        const char* names[4] = {"YOU", "CPU1", "CPU2", "CPU3"};
        for (int i = 0; i < 4; ++i) match->setProfile(i, names[i], static_cast<uint32_t>(i), 1, 1);
        if (options_.prepareMatch) options_.prepareMatch(*match);
        add(3, match, 0);
        match_ = match;
        ++outcome_.matches;
    }

    void endAll() {
        if (match_) match_->kill();
        match_ = nullptr;
        killAll();
    }

    void pace() {
        uint32_t now = platform::timeGetTime();
        while (platform::timeDiff(due_, now) > 0) {
            platform::sleepMs(static_cast<uint32_t>(platform::timeDiff(due_, now)));
            now = platform::timeGetTime();
        }
        if (platform::timeDiff(now, due_) >= 16) due_ = now - 16;
        due_ += 16;
    }

    TableOptions options_;
    TableOutcome& outcome_;
    FrameHost host_;
    TTaskMahjongAlone* match_ = nullptr;
    uint32_t due_ = 0;
};

// The window notes a request to close it (its close button, or SIGINT or SIGTERM, which SDL
// turns into one) before closing as every game window does: the program then ends as asked.
class TableWindow : public TPlayerWindow {
public:
    TableWindow(TGameFrameG2* frame, TableOutcome& outcome) : TPlayerWindow(frame), outcome_(outcome) {}

protected:
    intptr_t onClose() override {
        outcome_.closed = true;
        return TPlayerWindow::onClose();
    }

private:
    TableOutcome& outcome_;
};

class TableApp : public TPlayerApp {
public:
    TableApp(const TableOptions& options, TableOutcome& outcome)
        : TPlayerApp(options.instanceName, new TableFrame(options, outcome)), outcome_(outcome) {}
    TWindow* createMainWindow() override { return new TableWindow(static_cast<TGameFrameG2*>(frame()), outcome_); }

private:
    TableOutcome& outcome_;
};

}  // namespace

TableOutcome runTable(const TableOptions& options) {
    TableOutcome outcome;
    if (!platform::initWindowSystem(platform::Backend::Sdl)) {
        std::fprintf(stderr, "mjtable: no display could be opened\n");
        outcome.exitCode = 1;
        return outcome;
    }
    useStorageForFrames();
    graphics::useGraphicScreenForFrames();
    useSoundForFrames();
    {
        TableApp app(options, outcome);
        const int code = app.run(nullptr, nullptr, "mjtable", platform::SW_SHOW);
        if (outcome.exitCode == 0) outcome.exitCode = code;
    }
    // An end that no one asked for (the frame could not start, an error ended it) is a failure.
    if (outcome.exitCode == 0 && !outcome.finished && !outcome.closed) outcome.exitCode = 1;
    platform::shutdownWindowSystem();
    return outcome;
}

}  // namespace mjtable
