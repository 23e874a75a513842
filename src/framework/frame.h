#pragma once
// The frame: the task scheduler and, in layers, the devices and services the tasks use.
//   TGameFrame    frame counter and frame time over the scheduler;
//   TGameFrameWin the window, screen size and depth, windowed flag, input-method switch;
//   TGameFrameGr  input, screen mode, sound device, saved window position, pausing;
//   TGameFrameG2  the screen object, the script engine and the cursor.
// The application creates it with the main window, starts it, runs one step per idle step, and
// terminates and deletes it at the end. One frame exists; gameFrame() reaches it.
#include <cstdint>
#include <memory>
#include <string>

#include "framework/frame_services.h"
#include "framework/input.h"
#include "framework/task.h"
#include "framework/thread.h"

class TWindow;
class TIniFile;

using HINSTANCE = void*;

class TGameFrame : public TTaskManager {
public:
    TGameFrame();
    ~TGameFrame() override;

    bool start() override;
    // One pass of the scheduler; false (and the end flag set) when no task keeps the program alive.
    bool run() override;

    virtual uint32_t frameTime() const { return frameTime_; }
    virtual uint32_t currentTime() const;
    virtual TWindow* window() const { return nullptr; }
    virtual int width() const { return 0; }
    virtual int height() const { return 0; }
    virtual int depth() const { return 0; }
    virtual bool isWindowed() const { return false; }
    virtual bool isFullScreen() const { return !isWindowed(); }
    virtual bool create(HINSTANCE instance, TWindow* window);
    virtual bool startFrame() { return true; }
    virtual bool createStorage() { return true; }
    virtual bool loadProfile(TIniFile*) { return false; }
    virtual bool saveProfile(TIniFile*) { return false; }
    virtual bool startup() { return true; }
    virtual int engineCallback(int, int, void*) { return 0; }

    uint32_t frameCount() const { return frameCounter_; }
    bool hasEnded() const { return endFlag_; }

private:
    uint32_t frameCounter_ = 0;
    uint32_t frameTime_ = 0;
    bool endFlag_ = false;
};

// The one frame, or null.
TGameFrame* gameFrame();

class TGameFrameWin : public TGameFrame {
public:
    TGameFrameWin() = default;
    ~TGameFrameWin() override;

    void terminate() override;
    uint32_t currentTime() const override;
    TWindow* window() const override { return window_; }
    int width() const override { return width_; }
    int height() const override { return height_; }
    int depth() const override { return depth_; }
    bool isWindowed() const override { return windowed_; }
    bool create(HINSTANCE instance, TWindow* window) override;
    // The plain store when there is none, its base folder the executable's folder, and the BMP
    // and ARGB loaders (asked in the order ARGB, BMP).
    bool createStorage() override;

    HINSTANCE instance() const { return instance_; }
    void setWindowed(bool windowed) { windowed_ = windowed; }
    // The seam to the resource store; the frame deletes the store when it is destroyed.
    TFrameStorage& storage() { return *storage_; }
    // Replaces the seam (null puts a new one from the installed maker back); the store of the
    // old one is deleted.
    void setStorage(std::unique_ptr<TFrameStorage> storage);

protected:
    void setSize(int width, int height) {
        width_ = width;
        height_ = height;
    }
    void setDepth(int depth) { depth_ = depth; }
    TImm& imm() { return imm_; }

private:
    HINSTANCE instance_ = nullptr;
    TWindow* window_ = nullptr;
    int width_ = 640;
    int height_ = 480;
    int depth_ = 32;
    bool windowed_ = false;
    std::unique_ptr<TFrameStorage> storage_ = makeFrameStorage();
    TImm imm_;
};

class TGameFrameGr : public TGameFrameWin {
public:
    static constexpr uint32_t kStyleFrameBits = 0x00C00000;  // caption and frame

    TGameFrameGr();
    ~TGameFrameGr() override;

    bool run() override;
    void terminate() override;
    bool create(HINSTANCE instance, TWindow* window) override;
    bool loadProfile(TIniFile* profile) override;
    bool saveProfile(TIniFile* profile) override;

    virtual bool updateInput();
    virtual bool draw() { return true; }
    // Nested: the first pause stops the input timer and the sound, the last resume restarts them.
    virtual void pause();
    virtual void resume();
    virtual bool setScreenMode(bool windowed, int width, int height, int depth);
    virtual void restoreSurfaces();
    virtual void beginSystemDialog();
    virtual void endSystemDialog();
    // A message box over the game's screen (prepared for it around the box); the button's id.
    virtual int messageBox(const std::string& text, const std::string& caption, uint32_t type);
    // Every message of the main window, before the window's own handlers.
    virtual intptr_t onWindowMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);

    TInput& input() { return input_; }
    TFrameScreen& screen() { return *screen_; }
    TFrameSound& sound() { return *sound_; }
    // Replaces a device (before create); null puts the do-nothing one back.
    void setScreen(std::unique_ptr<TFrameScreen> screen);
    void setSound(std::unique_ptr<TFrameSound> sound);

    bool positionValid() const { return positionValid_; }
    int positionX() const { return positionX_; }
    int positionY() const { return positionY_; }
    void setPosition(bool valid, int x, int y) {
        positionValid_ = valid;
        positionX_ = x;
        positionY_ = y;
    }
    int pauseCount() const { return pauseCount_; }
    bool cursorAvailable() const { return cursorAvailable_; }
    void setCursorAvailable(bool on) { cursorAvailable_ = on; }

    uint32_t soundRate() const { return soundRate_; }

    // Reads "%d,%d" as the saved position does: optional blanks and sign, decimal digits, a comma;
    // what cannot be read stays 0 and numbers saturate. False for an empty text.
    static bool parsePosition(const char* text, int& x, int& y);

protected:
    bool cursorAvailable_ = false;

private:
    static intptr_t frameHook(TWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam, void* user);

    TInput input_;
    int deviceCount_ = 2;
    uint32_t soundRate_ = 44100;
    uint16_t soundBits_ = 16;
    uint8_t soundStereo_ = 1;
    std::unique_ptr<TFrameScreen> screen_;
    std::unique_ptr<TFrameSound> sound_;
    bool positionValid_ = false;
    int positionX_ = 0;
    int positionY_ = 0;
    int pauseCount_ = 0;
    bool inputWasRunning_ = false;
    bool hooked_ = false;
    int dialogDepth_ = 0;
};

// The graphics frame, or null (dialogs pause it).
TGameFrameGr* graphicsFrame();

class TGameFrameG2 : public TGameFrameGr {
public:
    // Takes the engine (null: the do-nothing engine).
    explicit TGameFrameG2(std::unique_ptr<TFrameEngine> engine = nullptr);
    ~TGameFrameG2() override;

    bool run() override;
    void terminate() override;
    bool create(HINSTANCE instance, TWindow* window) override;
    bool loadProfile(TIniFile* profile) override;
    bool saveProfile(TIniFile* profile) override;
    bool draw() override;
    // The store in its graphics form, the windowed layer's loaders, then the GCE archive loader
    // with 4 open archives, JPEG and PNG: they are asked PNG, JPEG, GCE, ARGB, BMP.
    bool createStorage() override;

    TFrameEngine& engine() { return *engine_; }
    void setCursorHotSpot(int x, int y) {
        hotX_ = x;
        hotY_ = y;
    }

private:
    std::unique_ptr<TFrameEngine> engine_;
    int hotX_ = 0;
    int hotY_ = 0;
};
