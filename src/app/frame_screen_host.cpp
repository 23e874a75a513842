// The screens' host over the program's main frame: what screenHost() gives while a main frame
// lives and no other host was installed.
#include "app/main_frame.h"
#include "app/screen_host.h"
#include "app/task_title.h"
#include "framework/window.h"
#include "game/client/table_sprites.h"
#include "graphics/graphic.h"
#include "script/core.h"
#include "script/engine.h"
#include "script/img_disp.h"
#include "script/present/sound/music.h"
#include "sound/sound.h"

namespace app {

namespace {

class FrameScreenHost : public ScreenHost {
public:
    TTaskManager& tasks() override { return frame(); }
    graphics::TFade& fade() override { return frame().fade(); }
    graphics::TGrTableObj& table() override {
        graphics::TGraphic* g = frame().graphicObject();
        return g ? static_cast<graphics::TGrTableObj&>(*g) : spare_;
    }
    void requestRedraw() override {
        if (graphics::TGraphic* g = frame().graphicObject()) g->invalidate();
    }
    ScreenInput input() override {
        const TInput& in = frame().input();
        return {in.cursorX(), in.cursorY(), in.isMouseAction(), in.pressedBits(), in.held()};
    }
    void resetMouseTracking() override {
        frame().input().setPrevious(-1, -1);
        frame().input().setMoved(true);
    }
    uint32_t realTime() override { return frame().currentTime(); }
    uint32_t frameTime() override { return frame().frameTime(); }
    int systemKey() override { return frame().getSystemKey(); }
    bool isWindowed() override { return frame().isWindowed(); }
    void setWindowed(bool windowed) override { frame().setWindowedMode(windowed); }
    void minimise() override {
        if (TWindow* w = frame().window()) w->showWindow(6);
    }
    void applySettings() override { frame().start(); }
    void clearPresses() override { frame().input().clearPresses(); }
    int32_t rightClick() override { return frame().settings().rightClick; }
    void setRightClick(int32_t value) override { frame().settings().rightClick = value; }
    bool saveConfirm() override { return frame().settings().shioriConfirm; }
    graphics::TSprObj* pushSprObj(const graphics::TSprObj& sprite) override { return frame().pushSprObj(sprite); }
    TTask* makeTitle() override { return new TTaskTitle; }
    void stopMusic() override { frame().musicPlayer().stop(); }
    void playMusic(const std::string& file, bool loop) override {
        TBgm& bgm = frame().musicPlayer();
        bgm.stop();
        if (bgm.open(file)) bgm.play(loop);
    }
    // The volumes are the engine music's settings, which it brings every channel to; the music
    // player's and the effect set's own volumes stay theirs (fades, the table's hush), so a level
    // is applied once and sounds the same before and after the page is touched.
    void setVolume(int index, int32_t value) override {
        if (auto* music = dynamic_cast<present::TG2Music*>(frame().g2().music())) {
            music->setVolume(index, value);
        } else if (index == 0) {
            if (TSound* sound = TSound::instance()) sound->setVolume(value);
        }
    }
    const TG2ImgDisp* imageTable() override {
        TG2Engine* engine = g2Engine();
        return engine && engine->core() ? &engine->core()->getImgDisp() : nullptr;
    }
    void releaseMatchSprites() override { game::client::releaseMahjongSprites(); }

private:
    static TMainFrame& frame() { return *mainFrame(); }

    graphics::TGrTableObj spare_;
};

FrameScreenHost& frameHost() {
    static FrameScreenHost host;
    return host;
}

}  // namespace

ScreenHost* frameScreenHost() { return mainFrame() ? &frameHost() : nullptr; }

}  // namespace app
