#include "app/main_frame.h"

#include <cstdio>
#include <string>

#include "app/app_texts.h"
#include "app/task_system.h"
#include "app/task_title.h"
#include "app/task_novel.h"
#include "framework/application.h"
#include "framework/window.h"
#include "game/client/table_sprites.h"
#include "game/mode/mode_task.h"
#include "graphics/graphic.h"
#include "platform/clock.h"
#include "platform/codepage.h"
#include "platform/glyph_provider.h"
#include "platform/keycodes.h"
#include "platform/message_box.h"
#include "platform/window_messages.h"
#include "script/core.h"
#include "script/engine.h"
#include "script/present/sound/music.h"
#include "script/present/present_engine.h"
#include "sound/frame_sound.h"
#include "script/presentation.h"

namespace {

TMainFrame* theMainFrame = nullptr;

TTask* makeSystemTask() { return new TTaskSystem; }
TTask* makeTitleTask() { return new TTaskTitle; }
TMainFrame::TaskMaker systemMaker = &makeSystemTask;
TMainFrame::TaskMaker titleMaker = &makeTitleTask;

// The keys of each input bit, two alternatives at most (index = 4 x bit number + alternative).
struct KeyBinding {
    int bit;
    int codes[2];
};
constexpr KeyBinding kKeys[] = {
    {0, {0xC8, 0x48}}, {1, {0xD0, 0x50}}, {2, {0xCB, 0x4B}}, {3, {0xCD, 0x4D}}, {4, {0x1C, 0x9C}},
    {6, {0xC9, 0x3E}}, {7, {0xD1, 0}},    {8, {0x1D, 0x9D}}, {9, {0x39, 0x42}}, {10, {0x3B, 0}},
    {11, {0x3C, 0}},   {12, {0x3D, 0}},   {13, {0x3F, 0}},   {14, {0x40, 0}},   {15, {0x41, 0}},
    {16, {0x43, 0}},   {17, {0x44, 0}},   {18, {0x57, 0}},   {19, {0x58, 0}},   {20, {0x01, 0}},
};

}  // namespace

TMainFrame* mainFrame() { return theMainFrame; }

// The rules engine's complaints, and the match server's, as OK boxes over the game's screen.
class TMainFrame::MessageBoxSink : public mahjong::TErrorSink {
public:
    explicit MessageBoxSink(TMainFrame& frame) : frame_(frame) {}
    void report(const std::string& text) override { frame_.messageBox(text, apptext::errorCaption(), platform::MB_OK); }

private:
    TMainFrame& frame_;
};

// The frame as the table client sees it.
class TMainFrame::ClientHost : public game::client::TClientHost {
public:
    explicit ClientHost(TMainFrame& frame) : frame_(frame) {}
    game::u32 frameTime() const override { return frame_.frameTime(); }
    bool isMouseAction() const override { return frame_.input().isMouseAction(); }
    int mouseX() const override { return frame_.input().cursorX(); }
    int mouseY() const override { return frame_.input().cursorY(); }
    game::u32 pressedButtons() const override { return frame_.input().pressedBits(); }
    void forceHitTest() override {
        frame_.input().setPrevious(-1, -1);
        frame_.input().setMoved(true);
    }
    void invalidate() override {
        if (graphics::TGraphic* g = frame_.graphicObject()) g->invalidate();
    }
    void playSe(int id) override { frame_.playSe(id); }
    void stopMusic() override { frame_.musicPlayer().stop(); }
    void playMusic(const std::string& name) override {
        TBgm& bgm = frame_.musicPlayer();
        bgm.stop();
        if (bgm.open(name)) bgm.play(true);
    }
    int musicVolume() const override { return frame_.musicPlayer().getVolume(false); }
    void setMusicVolume(int volume) override { frame_.musicPlayer().setVolume(volume); }
    // The table is drawn into the screen object from the frame's pools, which the frame rewinds
    // and whose table it empties at the start of every frame.
    graphics::TGrTableObj* screenTable() override { return frame_.graphicObject(); }
    graphics::TSprObj* pushSprObj(const graphics::TSprObj& unit) override { return frame_.pushSprObj(unit); }
    graphics::TNumObj* nextNumObj() override {
        graphics::TNumObj* n = frame_.takeNumObj();
        n->reset();
        n->setVisible(true);
        return n;
    }
    graphics::TFillObj* nextFillObj(uint32_t colour, int opacity) override {
        graphics::TFillObj* f = frame_.takeFillObj();
        f->setup(frame_.width(), frame_.height(), colour, static_cast<uint32_t>(opacity));
        f->setPos(0, 0);
        f->setVisible(true);
        return f;
    }
    graphics::TTextObj* nextTextObj() override {
        graphics::TTextObj* t = frame_.takeTextObj();
        t->setFont(frame_.fonts().empty() ? nullptr : &frame_.fonts().front());
        t->setVisible(true);
        return t;
    }
    void messageBox(const std::string& text) override {
        if (TApp* app = application()) app->messageBox(text, platform::MB_OK);
    }

private:
    TMainFrame& frame_;
};

TMainFrame::TMainFrame(std::unique_ptr<TG2Engine> engine)
    : TGameFrameG2(
          std::make_unique<TG2FrameEngine>(engine ? std::move(engine) : std::make_unique<present::PresentEngine>())),
      errorSink_(std::make_unique<MessageBoxSink>(*this)),
      clientHost_(std::make_unique<ClientHost>(*this)) {
    frameEngine_ = static_cast<TG2FrameEngine*>(&TGameFrameG2::engine());
    if (auto* device = dynamic_cast<TFrameSoundDevice*>(&sound())) frameEngine_->setSound(&device->master());
    setWindowed(true);
    theMainFrame = this;
}

TMainFrame::~TMainFrame() {
    // The tasks may still reach the frame and its pools while they are ended.
    TTaskManager::terminate();
    if (sinkInstalled_) mahjong::setErrorSink(nullptr);
    TMahjongModeServices& services = mahjongModeServices();
    if (services.clientHost == clientHost_.get()) services.clientHost = nullptr;
    if (services.random == &random_) services.random = nullptr;
    services.errorSink = nullptr;
    services.loadSprites = nullptr;
    if (theMainFrame == this) theMainFrame = nullptr;
}

void TMainFrame::setResidentTaskMakers(TaskMaker system, TaskMaker title) {
    systemMaker = system;
    titleMaker = title;
}

game::client::TClientHost& TMainFrame::clientHost() { return *clientHost_; }

TBgm& TMainFrame::musicPlayer() {
    if (auto* music = dynamic_cast<present::TG2Music*>(g2().music())) return music->music();
    return bgm_;
}

TG2Engine& TMainFrame::g2() const { return frameEngine_->engine(); }

graphics::TGraphic* TMainFrame::graphicObject() const { return graphics::graphic(); }

bool TMainFrame::startup() {
    if (!TGameFrameG2::startup()) return false;
    TG2Status& s = g2().status();
    s.systemFolder = "data.pak";
    s.name = "script.pak\\a0001.g2";
    s.memName = "script.pak\\main.g2m";
    s.imgDisp = "script.pak\\imgdisp.ini";
    s.title = apptext::kVersion;
    s.product = apptext::kVersion;
    s.version = apptext::kVersion;
    s.copyright = apptext::kCopyright;
    s.save = "save\\it%02d.sav";
    s.saveThumbnail = "save\\it%02d.img";
    s.saveCommon = "save\\it00.sav";
    s.seOn = "sound.pak\\curu.ogg";
    s.seDecide = "sound.pak\\curk.ogg";
    s.screenWidth = 800;
    s.screenHeight = 600;
    s.recordMax = 123;
    s.mouseCursor = "data.pak\\cursor.bmp;tx00ff00";
    s.mouseOffsetX = 0;
    s.mouseOffsetY = 0;
    s.volume = 127;
    s.seVolume = 127;
    s.bgmVolume = 127;
    s.textInterval = 2001;
    s.skipKeyMask = 0x10000010;
    s.textOffKeyMask = 0x200;
    s.logViewKeyMask1 = 0x40;
    s.logViewKeyMask2 = 0x80;
    s.clickOption = true;
    s.autoEndsOnMenuKey = true;
    return true;
}

bool TMainFrame::create(HINSTANCE instance, TWindow* window) {
    if (!TGameFrameG2::create(instance, window)) return false;
    random_.seed(static_cast<uint32_t>(platform::unixTime()));
    // The screens' effects follow the engine's effect volume and mute.
    if (auto* music = dynamic_cast<present::TG2Music*>(g2().music())) systemSe_.setLinked(&music->seSet());
    systemSe_.set(1, "bgm\\lb_se01.ogg", true);
    fonts_.clear();
    fonts_.reserve(2);
    for (int height : {20, 16}) {
        fonts_.emplace_back();
        fonts_.back().setColor(0xFFFFFFFFu);
        fonts_.back().setHeight(height);
        if (window) fonts_.back().setWindow(window->handle());
    }
    // Said once, here: without a font that has Japanese characters the story and the screens
    // draw none of their text, and nothing else would tell the player why.
    if (const platform::TextFontCheck text = platform::checkTextFont(fonts_[0].face()); !text.showsJapanese)
        std::fprintf(stderr,
                     "no font for the text was found (the face asked for is \"%s\", looked for as %s): the game's "
                     "Japanese text is not drawn\n",
                     platform::toUtf8(fonts_[0].face()).c_str(), text.family.c_str());
    bindKeys();
    if (g2().status().joypad)
        if (TInputDevice* device = input().device(0)) device->setJoystickNo(1);

    mahjong::setErrorSink(errorSink_.get());
    sinkInstalled_ = true;
    TMahjongModeServices& services = mahjongModeServices();
    services.clientHost = clientHost_.get();
    services.random = &random_;
    services.errorSink = [this](const std::string& text) { errorSink_->report(text); };
    services.loadSprites = [] { return game::client::loadMahjongSprites(); };

    if (systemMaker) add(kTaskSystem, systemMaker(), 0);
    if (titleMaker) add(kTaskTitle, titleMaker(), 0);
    return true;
}

void TMainFrame::bindKeys() {
    TInputDevice* device = input().device(0);
    if (!device) return;
    for (const KeyBinding& k : kKeys)
        for (int alt = 0; alt < 2; ++alt)
            if (k.codes[alt]) device->setKeyConfig(4 * k.bit + alt, k.codes[alt]);
}

bool TMainFrame::start() {
    if (!TGameFrameG2::start()) return false;
    TG2Status& s = g2().status();
    s.textOffKeyMask = settings_.rightClick != 0 ? 0x200u : 0x20000200u;
    if (TG2Core* core = g2().core()) {
        // A value outside 0-2 (kept from the file when negative) leaves the click job alone.
        if (auto* click = dynamic_cast<EngineJobControls*>(core->standingJob(kJobClick));
            click && settings_.voiceClick >= 0 && settings_.voiceClick <= 2)
            click->setStopType(settings_.voiceClick == 0 ? 1 : settings_.voiceClick == 1 ? 0 : 2);
        if (auto* voiceFade = dynamic_cast<EngineJobControls*>(core->standingJob(kJobVoiceFade)))
            voiceFade->setDefTime(1500);
    }
    return true;
}

void TMainFrame::pace() {
    uint32_t now = platform::timeGetTime();
    while (platform::timeDiff(due_, now) > 0) {
        platform::sleepMs(static_cast<uint32_t>(platform::timeDiff(due_, now)));
        now = platform::timeGetTime();
    }
    // A frame a whole frame late or more starts the schedule again from now: the next frame comes
    // a full frame after this one instead of straight after it to catch up.
    if (platform::timeDiff(now, due_) >= static_cast<int32_t>(kFrameMs)) due_ = now;
    due_ += kFrameMs;
}

bool TMainFrame::run() {
    pace();
    sprPool_.rewind();
    numPool_.rewind();
    textPool_.rewind();
    fillPool_.rewind();
    // The screens put what they show into the table anew every frame.
    if (graphics::TGraphic* g = graphicObject()) g->clear();
    const bool alive = TGameFrameG2::run();
    if (alive) fade_.update();
    return alive;
}

void TMainFrame::terminate() {
    systemSe_.clear();
    bgm_.close();
    TGameFrameG2::terminate();
}

bool TMainFrame::updateInput() {
    TGameFrameG2::updateInput();
    g2().status().forceSkip = (input().held() & 0x40000100u) != 0;
    return true;
}

bool TMainFrame::draw() {
    fade_.attach();
    return TGameFrameG2::draw();
}

bool TMainFrame::setWindowedMode(bool windowed) { return setScreenMode(windowed, width(), height(), depth()); }

intptr_t TMainFrame::onWindowMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    intptr_t result = 0;
    switch (message) {
        case platform::WM_MOVE:
        case platform::WM_SIZE:
            if (isWindowed() && window()) {
                platform::Rect r{};
                if (window()->getWindowRect(r)) setPosition(true, r.left, r.top);
            }
            break;
        case platform::WM_PAINT:
            if (window() && !window()->isMinimized()) screen().present(0);
            break;
        case platform::WM_ACTIVATEAPP:
            if (wParam != 0) restoreSurfaces();
            break;
        case platform::WM_ENTERSIZEMOVE:
            pause();
            break;
        case platform::WM_EXITSIZEMOVE:
            resume();
            break;
        case platform::WM_USER + 100:
            beginSystemDialog();
            result = 1;
            break;
        case platform::WM_USER + 101:
            endSystemDialog();
            result = 1;
            break;
        default:
            break;
    }
    if (message == platform::WM_KEYUP) onKeyUp(wParam, lParam);
    if (message == platform::WM_SYSKEYDOWN && onSysKeyDown(wParam, lParam)) return 0;
    if (message == platform::WM_SYSKEYUP && onSysKeyUp(wParam, lParam)) return 0;
    return result;
}

bool TMainFrame::onSysKeyDown(uintptr_t key, intptr_t lParam) {
    // Whichever key the player lets go first, the press is what switches; a held Enter's
    // repeats (the key was down before) do not switch again.
    const auto bits = static_cast<uintptr_t>(lParam);
    if (key != 13 || !(bits & 0x20000000u)) return false;
    if (!(bits & 0x40000000u)) setWindowedMode(!isWindowed());
    return true;
}

bool TMainFrame::onSysKeyUp(uintptr_t, intptr_t) { return true; }

int TMainFrame::systemKeyOf(uint32_t pressed) {
    const uint32_t keys = pressed & 0x1FFC00u;
    if (!keys) return 0;
    int n = 1;
    for (uint32_t bit = 0x400; !(keys & bit); bit <<= 1) ++n;
    return n;
}

int TMainFrame::getSystemKey() const { return systemKeyOf(const_cast<TMainFrame*>(this)->input().pressedBits()); }

int TMainFrame::engineCallback(int code, int count, void* values) {
    if (auto* novel = dynamic_cast<TTaskNovel*>(find(kTaskNovel))) return novel->onEngineCallback(code, count, values);
    return 1;
}

graphics::TSprObj* TMainFrame::pushSprObj(const graphics::TSprObj& obj) {
    graphics::TSprObj* entry = sprPool_.take();
    entry->assign(obj);
    return entry;
}

void TMainFrame::playSe(int id, int) { systemSe_.play(id, false); }
