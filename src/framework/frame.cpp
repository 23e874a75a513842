#include "framework/frame.h"

#include <cerrno>
#include <climits>
#include <cstdio>

#include "framework/application.h"
#include "framework/application_error.h"
#include "framework/profile.h"
#include "framework/window.h"
#include "platform/clock.h"

namespace {
TGameFrame* theFrame = nullptr;
TGameFrameGr* theGraphicsFrame = nullptr;
TFrameStorageMaker storageMaker = nullptr;
TFrameSoundMaker soundMaker = nullptr;
TFrameScreenMaker screenMaker = nullptr;
}  // namespace

void setFrameSoundMaker(TFrameSoundMaker maker) { soundMaker = maker; }

std::unique_ptr<TFrameSound> makeFrameSound() {
    std::unique_ptr<TFrameSound> made = soundMaker ? soundMaker() : nullptr;
    return made ? std::move(made) : std::make_unique<TNullSound>();
}

void setFrameScreenMaker(TFrameScreenMaker maker) { screenMaker = maker; }

std::unique_ptr<TFrameScreen> makeFrameScreen() {
    std::unique_ptr<TFrameScreen> made = screenMaker ? screenMaker() : nullptr;
    return made ? std::move(made) : std::make_unique<TNullScreen>();
}

void setFrameStorageMaker(TFrameStorageMaker maker) { storageMaker = maker; }

std::unique_ptr<TFrameStorage> makeFrameStorage() {
    std::unique_ptr<TFrameStorage> made = storageMaker ? storageMaker() : nullptr;
    return made ? std::move(made) : std::make_unique<TNullStorage>();
}

TGameFrame* gameFrame() { return theFrame; }
TGameFrameGr* graphicsFrame() { return theGraphicsFrame; }

// ---- TGameFrame ---------------------------------------------------------------------------------

TGameFrame::TGameFrame() : TTaskManager(128, 128) { theFrame = this; }

TGameFrame::~TGameFrame() {
    // The tasks may still reach the frame while they are ended.
    TTaskManager::terminate();
    if (theFrame == this) theFrame = nullptr;
}

uint32_t TGameFrame::currentTime() const { return platform::timeGetTime(); }

bool TGameFrame::start() {
    frameTime_ = currentTime();
    frameCounter_ = 0;
    endFlag_ = false;
    return true;
}

bool TGameFrame::run() {
    frameTime_ = currentTime();
    ++frameCounter_;
    if (!TTaskManager::run()) {
        endFlag_ = true;
        return false;
    }
    return true;
}

bool TGameFrame::create(HINSTANCE, TWindow*) { return start(); }

// ---- TGameFrameWin ------------------------------------------------------------------------------

TGameFrameWin::~TGameFrameWin() {
    // The store goes first, then the input method is given back.
    storage_.reset();
    if (window_) imm_.restore(window_->handle());
}

void TGameFrameWin::setStorage(std::unique_ptr<TFrameStorage> storage) {
    storage_.reset();
    storage_ = storage ? std::move(storage) : makeFrameStorage();
}

bool TGameFrameWin::createStorage() {
    if (!storage_->make(false)) return false;
    storage_->useModuleFolder();
    storage_->addLoader(TFrameStorage::Loader::Bmp, 0);
    storage_->addLoader(TFrameStorage::Loader::Argb, 0);
    return true;
}

uint32_t TGameFrameWin::currentTime() const { return platform::timeGetTime(); }

bool TGameFrameWin::create(HINSTANCE instance, TWindow* window) {
    if (!start()) return false;
    instance_ = instance;
    window_ = window;
    createStorage();
    // The program's frame opens its settings file here, so that the saved window position and
    // windowed flag are known before the screen mode is set.
    loadProfile(nullptr);
    if (window_) {
        imm_.disable(window_->handle());
        window_->setClientSize(width_, height_);
    }
    return true;
}

void TGameFrameWin::terminate() {
    saveProfile(nullptr);
    if (window_) imm_.restore(window_->handle());
    TTaskManager::terminate();
    // The window belongs to the application, which may delete it before the frame.
    window_ = nullptr;
}

// ---- TGameFrameGr -------------------------------------------------------------------------------

TGameFrameGr::TGameFrameGr() : screen_(makeFrameScreen()), sound_(makeFrameSound()) {
    theGraphicsFrame = this;
    // The store exists in its graphics form from here on; create fills it.
    storage().make(true);
    setDepth(32);
}

TGameFrameGr::~TGameFrameGr() {
    if (hooked_ && window()) window()->removeMessageHook(&TGameFrameGr::frameHook, this);
    input_.close();
    if (theGraphicsFrame == this) theGraphicsFrame = nullptr;
}

void TGameFrameGr::setScreen(std::unique_ptr<TFrameScreen> screen) {
    screen_ = screen ? std::move(screen) : std::make_unique<TNullScreen>();
}

void TGameFrameGr::setSound(std::unique_ptr<TFrameSound> sound) {
    sound_ = sound ? std::move(sound) : std::make_unique<TNullSound>();
}

intptr_t TGameFrameGr::frameHook(TWindow*, uint32_t message, uintptr_t wParam, intptr_t lParam, void* user) {
    return static_cast<TGameFrameGr*>(user)->onWindowMessage(message, wParam, lParam);
}

intptr_t TGameFrameGr::onWindowMessage(uint32_t, uintptr_t, intptr_t) { return 0; }

bool TGameFrameGr::create(HINSTANCE instance, TWindow* window) {
    if (!TGameFrameWin::create(instance, window)) return false;
    if (window) {
        window->addMessageHook(&TGameFrameGr::frameHook, this);
        hooked_ = true;
    }
    input_.attachWindow(instance, this, 0, deviceCount_);
    if (!setScreenMode(isWindowed(), width(), height(), depth())) return false;
    // Without sound the game runs silent.
    sound_->create(window, soundRate_, soundBits_, soundStereo_ != 0);
    return true;
}

bool TGameFrameGr::run() {
    updateInput();
    if (!TGameFrame::run()) return false;
    if (window() && window()->isMinimized()) return true;
    restoreSurfaces();
    draw();
    screen_->present(0);
    return true;
}

void TGameFrameGr::terminate() {
    // Every dialog still open is closed over the screen first.
    while (dialogDepth_ > 0) endSystemDialog();
    sound_->destroy();
    screen_->close(1);
    input_.close();
    if (hooked_ && window()) {
        window()->removeMessageHook(&TGameFrameGr::frameHook, this);
        hooked_ = false;
    }
    // Sound, screen and input are gone before the tasks are ended.
    TGameFrameWin::terminate();
}

bool TGameFrameGr::updateInput() {
    input_.update();
    return true;
}

void TGameFrameGr::pause() {
    if (pauseCount_++ == 0) {
        inputWasRunning_ = input_.stopTimer();
        sound_->pause();
    }
}

void TGameFrameGr::resume() {
    if (pauseCount_ <= 0) return;  // unbalanced: nothing was paused
    if (--pauseCount_ == 0) {
        sound_->resume();
        if (inputWasRunning_) input_.startTimer();
    }
}

bool TGameFrameGr::parsePosition(const char* text, int& x, int& y) {
    x = y = 0;
    if (!text || !*text) return false;
    auto number = [](const char*& p, int& out) {
        while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\v' || *p == '\f') ++p;
        bool negative = false;
        if (*p == '+' || *p == '-') negative = *p++ == '-';
        if (*p < '0' || *p > '9') return false;
        long long v = 0;
        for (; *p >= '0' && *p <= '9'; ++p)
            if (v < (1LL << 40)) v = v * 10 + (*p - '0');
        v = negative ? -v : v;
        out = static_cast<int>(v < INT_MIN ? INT_MIN : v > INT_MAX ? INT_MAX : v);
        return true;
    };
    const char* p = text;
    if (number(p, x) && *p == ',') {
        ++p;
        number(p, y);
    }
    return true;
}

bool TGameFrameGr::loadProfile(TIniFile* profile) {
    if (!profile) return false;
    char buf[260];
    profile->getString("WindowPos", buf, sizeof buf, "");
    buf[sizeof buf - 1] = 0;
    int x = 0, y = 0;
    positionValid_ = parsePosition(buf, x, y);
    positionX_ = x;
    positionY_ = y;
    setWindowed(profile->getInt("Windowed", isWindowed() ? 1 : 0) != 0);
    return true;
}

bool TGameFrameGr::saveProfile(TIniFile* profile) {
    if (!profile) return false;
    if (positionValid_) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%d,%d", positionX_, positionY_);
        profile->setString("WindowPos", buf);
    }
    profile->setInt("Windowed", isWindowed() ? 1 : 0);
    return true;
}

bool TGameFrameGr::setScreenMode(bool windowed, int width, int height, int depth) {
    const bool savedValid = positionValid_;
    const int savedX = positionX_, savedY = positionY_;
    pause();
    screen_->close(0);
    TWindow* w = window();
    bool done = false;
    if (!windowed) {
        if (screen_->setMode(w, true, width, height, depth)) {
            setWindowed(false);
            if (w) w->setStyle(w->style() & ~kStyleFrameBits);
            done = true;
        } else {
            screen_->close(0);
        }
    }
    if (!done) {
        if (!screen_->setMode(w, false, width, height, depth))
            return false;  // the frame stays paused, as the caller will give up
        setWindowed(true);
        if (w) {
            w->setStyle(w->style() | kStyleFrameBits);
            if (positionValid_)
                w->moveTo(positionX_, positionY_, width, height, true, true);
            else
                w->moveToCentre(width, height, true, true, true);
        }
        screen_->clipToWindow(w);
    }
    screen_->clear(0);
    resume();
    // Window moves on the way do not change the position that is saved.
    positionValid_ = savedValid;
    positionX_ = savedX;
    positionY_ = savedY;
    return true;
}

void TGameFrameGr::restoreSurfaces() { screen_->restoreSurfaces(); }

void TGameFrameGr::beginSystemDialog() {
    ++dialogDepth_;
    screen_->beginSystemDialog();
}

void TGameFrameGr::endSystemDialog() {
    if (dialogDepth_ <= 0) return;
    --dialogDepth_;
    screen_->endSystemDialog();
}

int TGameFrameGr::messageBox(const std::string& text, const std::string& caption, uint32_t type) {
    beginSystemDialog();
    int result = systemMessageBox(window() ? window()->handle() : nullptr, text, caption, type);
    endSystemDialog();
    return result;
}

// ---- TGameFrameG2 -------------------------------------------------------------------------------

TGameFrameG2::TGameFrameG2(std::unique_ptr<TFrameEngine> engine)
    : engine_(engine ? std::move(engine) : std::make_unique<TNullEngine>()) {
    // Errors thrown from here on are shown with the engine's messages.
    if (const TErrorEntry* table = engine_->errorTable()) setErrorTable(table);
}

// The sound manager may still be asked for its settings while the engine goes.
TGameFrameG2::~TGameFrameG2() { sound().attachEngine(nullptr); }

bool TGameFrameG2::create(HINSTANCE instance, TWindow* window) {
    if (!startup()) return false;
    sound().attachEngine(engine_.get());
    setSize(engine_->screenWidth(), engine_->screenHeight());
    if (!TGameFrameGr::create(instance, window)) return false;
    if (!engine_->init(window, &input())) return false;
    engine_->setHost(this);
    setCursorHotSpot(engine_->cursorHotX(), engine_->cursorHotY());
    const std::string cursor = engine_->cursorImage();
    if (!cursor.empty()) screen().loadCursor(cursor);
    cursorAvailable_ = screen().hasCursor();
    return true;
}

bool TGameFrameG2::createStorage() {
    storage().make(true);
    if (!TGameFrameWin::createStorage()) return false;
    storage().addLoader(TFrameStorage::Loader::Gce, 4);
    storage().addLoader(TFrameStorage::Loader::Jpeg, 0);
    storage().addLoader(TFrameStorage::Loader::Png, 0);
    // The sound opener is the sound subsystem's to install (TStorageGraph::setWaveFactory).
    return true;
}

bool TGameFrameG2::run() {
    screen().step();
    return TGameFrameGr::run();
}

void TGameFrameG2::terminate() {
    TGameFrameGr::terminate();
    engine_->term();
}

bool TGameFrameG2::loadProfile(TIniFile* profile) {
    if (!TGameFrameGr::loadProfile(profile)) return false;
    engine_->readProfile(profile);
    return true;
}

bool TGameFrameG2::saveProfile(TIniFile* profile) {
    if (!TGameFrameGr::saveProfile(profile)) return false;
    engine_->writeProfile(profile);
    return true;
}

bool TGameFrameG2::draw() {
    screen().draw();
    if (cursorAvailable_) screen().drawCursor(input().cursorX() - hotX_, input().cursorY() - hotY_);
    return true;
}
