#include "script/engine.h"

#include "script/img_disp.h"

#include "script/commands.h"

#include "framework/frame.h"
#include "framework/input.h"
#include "framework/window.h"
#include "graphics/graphic.h"
#include "platform/window_system.h"
#include "script/core.h"
#include "script/engine_texts.h"
#include "script/minimal_jobs.h"
#include "script/thread.h"
#include "sound/sound.h"
#include "sound/wave.h"
#include "sound/wave_stream.h"

namespace {

TG2Engine* gEngine = nullptr;

}  // namespace

TG2Engine* g2Engine() { return gEngine; }

bool TG2CoreEx::init() {
    TG2Core::init();
    getActor(0).voiceVolume = 127;
    getActor(1).voiceVolume = 127;
    return true;
}

TG2Engine::TG2Engine() : banks_(std::make_unique<TResourceBank>()), status_(std::make_unique<TG2Status>()) {
    gEngine = this;
}

TG2Engine::~TG2Engine() {
    term();
    if (gEngine == this) gEngine = nullptr;
}

std::unique_ptr<TG2Core> TG2Engine::createCore() { return std::make_unique<TG2Core>(*this); }

std::unique_ptr<TG2Core> TG2EngineEx::createCore() { return std::make_unique<TG2CoreEx>(*this); }

bool TG2Engine::init(TG2Host* host, graphics::TGraphic* screen, TSound* sound) {
    host_ = host;
    screen_ = screen;
    sound_ = sound;
    memory_ = createMemory();
    if (!memory_ || !memory_->loadMap(status_->memName)) error(kG2ErrMemoryMap, status_->memName);
    memory_->setSystemSource(this);
    graphic_ = createGraphic();
    if (!graphic_ || !graphic_->create(status_->screenWidth, status_->screenHeight)) error(kG2ErrCreateGraphic);
    doc_ = createDoc();
    if (!doc_ || !doc_->create()) error(kG2ErrCreateDoc);
    music_ = createMusic();
    if (!music_ || !music_->create(sound)) error(kG2ErrCreateMusic);
    if (sound) sound->setVolume(status_->volume);
    core_ = createCore();
    if (!core_ || !core_->init()) error(kG2ErrCreateCore);
    banks_->scripts().setReadCheckSource(
        [this](const std::string& name, int32_t points) { return core_ ? core_->readCheckOp(name, points) : nullptr; });
    initHook();
    reset();
    core_->loadCommon();
    return true;
}

void TG2Engine::reset() {
    ++resetCount_;
    if (core_) core_->reset();
    if (graphic_) graphic_->reset();
    if (doc_) doc_->reset();
    if (music_) music_->reset();
    if (memory_) memory_->resetArea0();
    banks_->clear();
}

void TG2Engine::term() {
    if (core_) {
        core_->saveCommon();
        core_->clear();
        core_.reset();
    }
    if (memory_) {
        memory_->clear();
        memory_.reset();
    }
    if (music_) {
        music_->term();
        music_.reset();
    }
    if (doc_) {
        doc_->term();
        doc_.reset();
    }
    if (graphic_) {
        graphic_->term();
        graphic_.reset();
    }
}

bool TG2Engine::start(const std::string& file, const std::string& label) {
    if (!core_) return false;
    core_->start(file, label);
    core_->takeSnapshot();
    return true;
}

bool TG2Engine::run(int) { return core_ && core_->run(); }

void TG2Engine::pause() {
    if (core_) core_->pause(1);
    if (!isMediaStopped()) graphic_->pauseMovie();
}

void TG2Engine::resume() {
    // A paused movie is not playing: the graphic layer resumes what the pause stopped.
    if (graphic_) graphic_->resumeMovie();
    if (core_) core_->resume(1);
}

bool TG2Engine::pauseScript() { return core_ && core_->pause(0); }

void TG2Engine::resumeScript() {
    if (core_) core_->resume(0);
}

std::unique_ptr<TDwarf> TG2Engine::createStandingJob(int32_t code) {
    switch (code) {
        case kJobWait:
            return std::make_unique<TG2WaitJob>(*this);
        case kJobClick:
            return std::make_unique<TG2ClickJob>(*this);
        case kJobMenu:
            return std::make_unique<TG2MenuJob>(*this);
        default:
            return nullptr;
    }
}

void TG2Engine::command(TG2Thread& thread, uint32_t code) { g2DispatchCommand(*this, thread, code); }

void TG2Engine::message(TG2Thread& thread, const std::string& text) { showText(thread, text); }

void TG2Engine::showText(TG2Thread& thread, const std::string& text) {
    if (!doc_ || !core_) return;
    TDwarf* job = core_->standingJob(kJobTextOut);
    if (auto* out = dynamic_cast<EngineJobControls*>(job)) {
        out->beginText(&thread, text);
        core_->showFrames(1, true, job);
        return;
    }
    // Without a text-output job the text stands at once and the frame ends so that it is seen.
    doc_->currentFrame()->putText(text);
    core_->showFrames(1, true, nullptr);
    core_->requestBreak();
}

void TG2Engine::writeWhole(TG2Thread& thread, const std::string& text) {
    if (!doc_ || !core_) return;
    TDwarf* job = core_->standingJob(kJobTextOut);
    if (auto* out = dynamic_cast<EngineJobControls*>(job)) {
        out->beginText(&thread, text);
        job->finish();
        return;
    }
    doc_->currentFrame()->putText(text);
}

int TG2Engine::callHost(int code, int count, const std::array<int32_t, 3>& values) {
    if (!callback_) return 0;
    int32_t args[3] = {values[0], values[1], values[2]};
    return callback_(code, count, args, context_);
}

graphics::SIZE TG2Engine::getSize() const {
    return graphic_ ? graphics::SIZE{graphic_->width(), graphic_->height()} : graphics::SIZE{0, 0};
}

void TG2Engine::setSize(int32_t w, int32_t h) {
    if (graphic_) graphic_->setSize(w, h);
}

void TG2Engine::attachGrObj(graphics::TGrObj* object) {
    if (object) object->invalidate();
    if (graphic_) graphic_->refresh();
}

void TG2Engine::draw(graphics::TSurface32& target) {
    if (isVisible() && graphic_) graphic_->draw(target);
}

TG2Thread* TG2Engine::getCurrentThread() const { return core_ ? core_->getCurrentThread() : nullptr; }

bool TG2Engine::imageSeen(int32_t id) { return core_ && core_->getImgDisp().isSeen(id); }

bool TG2Engine::menuComplete() {
    const TDwarf* menu = core_ ? core_->standingJob(kJobMenu) : nullptr;
    return menu && menu->isFinished();
}

uint32_t TG2Engine::nextRandom() { return core_ ? core_->getRandom().next() : 0; }

int32_t TG2Engine::lastTime() { return core_ ? core_->getLastTime() : 0; }

int32_t TG2Engine::result() { return core_ ? core_->getResult() : 0; }

void TG2Engine::setResult(int32_t v) {
    if (core_) core_->setResult(v);
}

int32_t TG2Engine::select() { return core_ ? core_->getSelect() : 0; }

void TG2Engine::setSelect(int32_t v) {
    if (core_) core_->setSelect(v);
}

int32_t TG2Engine::threadCount() { return core_ ? core_->getThreadCount() : 0; }

bool TG2Engine::threadExists(int32_t i) { return core_ && core_->getThread(i); }

std::string TG2Engine::scriptName() {
    TG2Thread* t = getCurrentThread();
    return t ? t->scriptName() : std::string();
}

// ---- the frame's engine ----

class TG2FrameEngine::WindowHost : public TG2Host {
public:
    int messageBox(const std::string& text, const std::string& caption, uint32_t type) override {
        return window_ ? window_->showMessageBox(text, caption, type) : 1;
    }
    void setCaption(const std::string& text) override {
        if (window_) window_->setTitle(text);
    }
    // The program runs full screen: the frame's windowed setting is off.
    int state() override { return frame_ && frame_->isFullScreen() ? 1 : 0; }
    TWindow* window() override { return window_; }
    TG2InputState input() override {
        TG2InputState s;
        if (!input_) return s;
        s.words[0] = input_->held();
        s.words[1] = input_->held();
        s.words[2] = input_->pressedBits();
        s.words[3] = input_->releasedBits();
        s.repeat = input_->repeatBits();
        s.mouseX = input_->cursorX();
        s.mouseY = input_->cursorY();
        s.moved = input_->moved();
        s.wheel = input_->wheel();
        if (window_) {
            s.mouseInWindow = platform::isMouseInside(window_->handle());
        }
        return s;
    }
    void clearInput() override {
        if (input_) input_->clearPresses();
    }
    // Until menus are drawn, a click takes the default entry (the first when none is set).
    int32_t menuChoice(const EngineMenu& menu) override {
        if (!(input().words[2] & 0x10000010)) return -1;
        clearInput();
        return menu.defaultEntry >= 0 ? menu.defaultEntry : 0;
    }

    TWindow* window_ = nullptr;
    TInput* input_ = nullptr;
    TGameFrame* frame_ = nullptr;
};

TG2FrameEngine::TG2FrameEngine(std::unique_ptr<TG2Engine> engine)
    : engine_(engine ? std::move(engine) : std::make_unique<TG2EngineEx>()), host_(std::make_unique<WindowHost>()) {}

TG2FrameEngine::~TG2FrameEngine() = default;

int TG2FrameEngine::screenWidth() const { return engine_->status().screenWidth; }

int TG2FrameEngine::screenHeight() const { return engine_->status().screenHeight; }

bool TG2FrameEngine::init(TWindow* window, TInput* input) {
    host_->window_ = window;
    host_->input_ = input;
    return engine_->init(host_.get(), graphics::graphic(), sound_);
}

void TG2FrameEngine::readProfile(TIniFile* profile) {
    if (profile) engine_->status().readProfile(*profile);
}

void TG2FrameEngine::writeProfile(TIniFile* profile) {
    if (profile) engine_->status().writeProfile(*profile);
}

const TErrorEntry* TG2FrameEngine::errorTable() const { return g2texts::errorTable(); }

bool TG2FrameEngine::muteSetting() const { return engine_->status().mute; }
int TG2FrameEngine::volumeSetting() const { return engine_->status().volume; }

std::string TG2FrameEngine::cursorImage() const { return engine_->status().mouseCursor; }
int TG2FrameEngine::cursorHotX() const { return engine_->status().mouseOffsetX; }
int TG2FrameEngine::cursorHotY() const { return engine_->status().mouseOffsetY; }

void TG2FrameEngine::setHost(TGameFrame* frame) {
    host_->frame_ = frame;
    engine_->setCallback([](int a, int b, void* data,
                            void* context) { return static_cast<TGameFrame*>(context)->engineCallback(a, b, data); },
                         frame);
}
