#pragma once
// TG2Engine: the one hub through which every part of the script engine reaches every other. It
// owns the settings and the resource banks from construction, and after init the variable store,
// the graphic layer, the message document, the music and the interpreter core, each made by a
// factory that the presentation overrides. Exactly one exists at a time (g2Engine()).
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "framework/frame_services.h"
#include "graphics/gr_obj.h"
#include "script/g2_error.h"
#include "script/g2_status.h"
#include "script/memory.h"
#include "script/presentation.h"
#include "script/resource_bank.h"
#include "script/script.h"

class TG2Core;
class TG2Thread;
class TDwarf;
class TInput;
class TWindow;

// The input words the core and its jobs read each pass: [0] and [1] held (the skip keys are
// read against [1]), [2] went down in this frame (the system-menu keys 0x20000020), [3] came up
// in this frame; the buttons repeating; the wheel in steps (negative towards the player), the
// mouse, whether it moved and whether it is over the window.
struct TG2InputState {
    uint32_t words[4] = {};
    int32_t mouseX = 0;
    int32_t mouseY = 0;
    uint32_t repeat = 0;
    int32_t wheel = 0;
    bool moved = false;
    bool mouseInWindow = true;
};

// The program around the engine: its main window and input.
class TG2Host {
public:
    virtual ~TG2Host() = default;
    // (text, caption, type) → button id (1 OK, 2 CANCEL, 6 Yes, 7 No).
    virtual int messageBox(const std::string&, const std::string&, uint32_t) { return 1; }
    virtual void setCaption(const std::string&) {}
    // Above 0 while the program runs full screen.
    virtual int state() { return 0; }
    // The main window, whose messages the CD player hooks for its completion notices; null
    // without one.
    virtual TWindow* window() { return nullptr; }
    virtual TG2InputState input() { return {}; }
    virtual void clearInput() {}
    // The entry of an open menu that the player chose, -1 while there is none.
    virtual int32_t menuChoice(const EngineMenu&) { return -1; }
};

// The engine is also a drawable object of the screen's table: it draws its graphic layer.
class TG2Engine : public graphics::TGrObj, public TErrorInterface, public TG2SystemSource {
public:
    // (code, count, data, context): data is a small number or, for the script's host call, the
    // address of its integers.
    using Callback = int (*)(int a, int b, void* data, void* context);

    TG2Engine();
    ~TG2Engine() override;
    TG2Engine(const TG2Engine&) = delete;
    TG2Engine& operator=(const TG2Engine&) = delete;

    // Factories; null reports that the part could not be made. The graphic layer and the music
    // are the presentation's alone: the hub by itself makes neither.
    virtual std::unique_ptr<TG2Memory> createMemory() { return std::make_unique<TG2Memory>(); }
    virtual std::unique_ptr<EngineGraphic> createGraphic() { return nullptr; }
    // The message document is the presentation's too: without one the engine cannot be made.
    virtual std::unique_ptr<EngineDoc> createDoc() { return nullptr; }
    virtual std::unique_ptr<EngineMusic> createMusic() { return nullptr; }
    virtual std::unique_ptr<TG2Core> createCore();
    virtual std::unique_ptr<EngineMenu> createMenu() { return std::make_unique<EngineMenu>(); }
    // The core's standing job of a job code: the minimal wait, click and menu jobs until the
    // presentation supplies its own kinds.
    virtual std::unique_ptr<TDwarf> createStandingJob(int32_t code);

    // Makes the parts in their fixed order; each failure throws its engine error (0x100b with
    // the map file's name, 0x2001-0x2004). The parts made so far stay.
    virtual bool init(TG2Host* host, graphics::TGraphic* screen, TSound* sound);
    void setCallback(Callback callback, void* context) { callback_ = callback, context_ = context; }
    virtual void initHook() {}
    virtual void reset();
    // How many times the engine has been reset, by its program or by itself (a script's return to
    // the title, a load): what the program sets over the engine's defaults is to be set again.
    uint32_t resetCount() const { return resetCount_; }
    virtual bool start(const std::string& file, const std::string& label);
    virtual void term();
    virtual bool run(int arg = 0);
    int callCallback(int a, int b, int c) {
        return callback_ ? callback_(a, b, reinterpret_cast<void*>(intptr_t{c}), context_) : 0;
    }
    // The script's host call: code, count and the integers, whose address the host receives.
    int callHost(int code, int count, const std::array<int32_t, 3>& values);
    bool isMediaStopped() const { return !graphic_ || !graphic_->isMoviePlaying(); }
    void pause();
    void resume();
    bool pauseScript();
    void resumeScript();
    bool isHostActive() { return host_ && host_->state() > 0; }
    // An object the engine takes into its picture: the graphic layer draws everything again.
    void attachGrObj(graphics::TGrObj* object);

    // What the threads hand to the engine: a command to its dispatcher (commands.h), a message
    // text to the message window.
    virtual void command(TG2Thread& thread, uint32_t code);
    virtual void message(TG2Thread& thread, const std::string& text);
    // Message text through the text-output job, which types it out and holds the thread; the
    // whole text at once without holding it.
    void showText(TG2Thread& thread, const std::string& text);
    void writeWhole(TG2Thread& thread, const std::string& text);

    // The drawable: the graphic layer's size; drawn only while visible and made.
    graphics::SIZE getSize() const override;
    void setSize(int32_t w, int32_t h) override;
    using graphics::TGrObj::setSize;
    void draw(graphics::TSurface32& target) override;
    uint16_t getTypeId() const override { return graphics::kGrEngine; }

    TG2Status& status() { return *status_; }
    TResourceBank& resourceBank() { return *banks_; }
    TScriptBank& getScriptBank() { return banks_->scripts(); }
    TSurfaceBank& getSurfaceBank() { return banks_->surfaces(); }
    TSpdBank& getSpdBank() { return banks_->spds(); }
    TAlphaChBank& getAlphaChBank() { return banks_->alphaChs(); }
    TG2Memory* memory() const { return memory_.get(); }
    EngineGraphic* graphic() const { return graphic_.get(); }
    EngineDoc* doc() const { return doc_.get(); }
    EngineMusic* music() const { return music_.get(); }
    TG2Core* core() const { return core_.get(); }
    // The screen object the engine was given (null headless).
    graphics::TGraphic* screen() const { return screen_; }
    TG2Host& host() { return host_ ? *host_ : nullHost_; }
    TG2Thread* getCurrentThread() const;
    EngineDocFrame* getDocFrame(int32_t n) const { return doc_ ? doc_->frame(n) : nullptr; }
    EngineDocFrame* getCurrentDocFrame() const { return doc_ ? doc_->currentFrame() : nullptr; }
    void warning(int code, const std::string& argument) { reportG2Warning(code, argument); }

    // The built-in variables.
    uint32_t nextRandom() override;
    int32_t lastTime() override;
    int32_t padBits() override { return static_cast<int32_t>(host().input().words[0]); }
    int32_t mouseX() override { return host().input().mouseX; }
    int32_t mouseY() override { return host().input().mouseY; }
    int32_t result() override;
    void setResult(int32_t v) override;
    int32_t select() override;
    void setSelect(int32_t v) override;
    int32_t threadCount() override;
    int32_t frameX() override { return getCurrentDocFrame() ? getCurrentDocFrame()->penX() : 0; }
    int32_t frameY() override { return getCurrentDocFrame() ? getCurrentDocFrame()->penY() : 0; }
    int32_t frameTextSize() override { return getCurrentDocFrame() ? getCurrentDocFrame()->fontSize() : 0; }
    int32_t frameNumber() override { return doc_ ? doc_->currentFrameIndex() : 0; }
    bool threadExists(int32_t i) override;
    bool imageSeen(int32_t id) override;
    // Whether the core's menu job has finished.
    bool menuComplete() override;
    bool sePlaying(int32_t ch) override { return music_ && music_->sePlaying(ch); }
    bool voicePlaying() override { return music_ && music_->voicePlaying(); }
    bool bgmPlaying() override { return music_ && music_->bgmPlaying(); }
    std::string scriptName() override;
    std::string seName(int32_t ch) override { return music_ ? music_->seName(ch) : std::string(); }
    std::string voiceName() override { return music_ ? music_->voiceName() : std::string(); }
    std::string bgmName() override { return music_ ? music_->bgmName() : std::string(); }

protected:
    TG2Host* host_ = nullptr;
    graphics::TGraphic* screen_ = nullptr;
    TSound* sound_ = nullptr;

private:
    Callback callback_ = nullptr;
    void* context_ = nullptr;
    uint32_t resetCount_ = 0;
    // Made before the settings and kept to the last, after every part that holds references.
    std::unique_ptr<TResourceBank> banks_;
    std::unique_ptr<TG2Status> status_;
    std::unique_ptr<TG2Memory> memory_;
    std::unique_ptr<EngineGraphic> graphic_;
    std::unique_ptr<EngineDoc> doc_;
    std::unique_ptr<EngineMusic> music_;
    std::unique_ptr<TG2Core> core_;
    TG2Host nullHost_;
};

// The engine the game frame makes: its core sets the voice volume of actors 0 and 1 to 127.
class TG2EngineEx : public TG2Engine {
public:
    std::unique_ptr<TG2Core> createCore() override;
};

// The one engine, or null.
TG2Engine* g2Engine();

// The engine as the frame chain sees it: the window and input become the engine's host, the
// settings are the engine's, and the host callback reaches the frame.
class TG2FrameEngine : public TFrameEngine {
public:
    explicit TG2FrameEngine(std::unique_ptr<TG2Engine> engine);
    ~TG2FrameEngine() override;
    int screenWidth() const override;
    int screenHeight() const override;
    bool init(TWindow* window, TInput* input) override;
    void term() override { engine_->term(); }
    void readProfile(TIniFile* profile) override;
    void writeProfile(TIniFile* profile) override;
    const TErrorEntry* errorTable() const override;
    void setHost(TGameFrame* frame) override;
    // "Mute" and "Volume" of the settings.
    bool muteSetting() const override;
    int volumeSetting() const override;
    // The cursor of the settings ("MouseCursor", "MouseOffset").
    std::string cursorImage() const override;
    int cursorHotX() const override;
    int cursorHotY() const override;
    TG2Engine& engine() { return *engine_; }
    // The sound manager the engine's music plays through (not owned; set before init).
    void setSound(TSound* sound) { sound_ = sound; }

private:
    class WindowHost;
    std::unique_ptr<TG2Engine> engine_;
    std::unique_ptr<WindowHost> host_;
    TSound* sound_ = nullptr;
};
