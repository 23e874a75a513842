#pragma once
// What the frame chain asks of the screen, the sound device and the script engine. Each has a
// do-nothing form here, so that the chain runs before those subsystems exist; they supply the
// real ones.
#include <cstdint>
#include <memory>
#include <string>

class TWindow;
class TInput;
class TIniFile;
struct TErrorEntry;
class TGameFrame;

// The screen device and the screen object above it.
class TFrameScreen {
public:
    virtual ~TFrameScreen() = default;
    // Sets the display up for the window; false when the mode is refused.
    virtual bool setMode(TWindow* window, bool fullScreen, int width, int height, int depth) = 0;
    virtual void close(int how) = 0;
    virtual void clear(int colour) = 0;
    virtual void clipToWindow(TWindow* window) = 0;
    virtual void restoreSurfaces() = 0;
    // The screen object table's per-frame step (before input and tasks).
    virtual void step() = 0;
    // Redraws the screen's objects into the back surface.
    virtual void draw() = 0;
    // Loads the cursor sprite's picture from an image specification; false when it does not load.
    virtual bool loadCursor(const std::string&) { return false; }
    // Draws the cursor sprite with its top-left corner at (x, y); false when there is none.
    virtual bool drawCursor(int x, int y) = 0;
    virtual bool hasCursor() const = 0;
    virtual void present(int how) = 0;
    virtual void beginSystemDialog() = 0;
    virtual void endSystemDialog() = 0;
};

class TFrameEngine;

// The sound device.
class TFrameSound {
public:
    virtual ~TFrameSound() = default;
    virtual bool create(TWindow* window, uint32_t rate, uint16_t bits, bool stereo) = 0;
    virtual void destroy() = 0;
    virtual void pause() = 0;
    virtual void resume() = 0;
    // The engine whose mute and volume settings the sound manager applies (null: none).
    virtual void attachEngine(const TFrameEngine*) {}
};

// The script engine and its configuration.
class TFrameEngine {
public:
    virtual ~TFrameEngine() = default;
    virtual int screenWidth() const = 0;
    virtual int screenHeight() const = 0;
    virtual bool init(TWindow* window, TInput* input) = 0;
    virtual void term() = 0;
    virtual void readProfile(TIniFile* profile) = 0;
    virtual void writeProfile(TIniFile* profile) = 0;
    // The table that turns the engine's error codes into messages; null for none.
    virtual const TErrorEntry* errorTable() const = 0;
    // The frame whose engineCallback the engine's host callback reaches.
    virtual void setHost(TGameFrame* frame) = 0;
    // The mute setting (true: silent) and the volume 0-255 of the configuration, which the
    // frame's sound manager applies over its own.
    virtual bool muteSetting() const { return false; }
    virtual int volumeSetting() const { return 255; }
    // The cursor's image specification (empty: none) and its hot spot.
    virtual std::string cursorImage() const { return {}; }
    virtual int cursorHotX() const { return 0; }
    virtual int cursorHotY() const { return 0; }
};

// The resource store, as the frame makes, fills and deletes it. The store's library sits above
// this one (and above graphics and storage), so the frame reaches it through this seam;
// store/frame_storage.h has the real one, which a program installs with setFrameStorageMaker before it builds its
// frame.
class TFrameStorage {
public:
    enum class Loader { Bmp, Argb, Gce, Jpeg, Png };

    // Deletes the store it made (and with it the loaders).
    virtual ~TFrameStorage() = default;
    // Makes the store when there is none: the graphics form when asked, else the plain one.
    // True when a store exists afterwards.
    virtual bool make(bool graphics) = 0;
    virtual bool exists() const = 0;
    // The base folder becomes the executable's folder.
    virtual void useModuleFolder() = 0;
    // Adds a built-in loader (capacity: the archives it keeps open, where it has such a limit).
    // The store asks the most recently added loader first.
    virtual bool addLoader(Loader loader, int capacity) = 0;
};

using TFrameSoundMaker = std::unique_ptr<TFrameSound> (*)();
// How the frames built from now on make their sound device (the sound library installs one);
// null for the silent one.
void setFrameSoundMaker(TFrameSoundMaker maker);
// A new device from the installed maker, or a TNullSound.
std::unique_ptr<TFrameSound> makeFrameSound();

// No store: what a frame has when no maker is installed.
class TNullStorage : public TFrameStorage {
public:
    bool make(bool) override { return false; }
    bool exists() const override { return false; }
    void useModuleFolder() override {}
    bool addLoader(Loader, int) override { return false; }
};

using TFrameStorageMaker = std::unique_ptr<TFrameStorage> (*)();
// How the frames built from now on make their store; null for none.
void setFrameStorageMaker(TFrameStorageMaker maker);
// A new seam from the installed maker, or a TNullStorage.
std::unique_ptr<TFrameStorage> makeFrameStorage();

using TFrameScreenMaker = std::unique_ptr<TFrameScreen> (*)();
// How the graphics frames built from now on make their screen; null for the do-nothing one.
void setFrameScreenMaker(TFrameScreenMaker maker);
// A new screen from the installed maker, or a TNullScreen.
std::unique_ptr<TFrameScreen> makeFrameScreen();

// Windowed only (full screen is refused), draws nothing.
class TNullScreen : public TFrameScreen {
public:
    bool setMode(TWindow*, bool fullScreen, int, int, int) override { return !fullScreen; }
    void close(int) override {}
    void clear(int) override {}
    void clipToWindow(TWindow*) override {}
    void restoreSurfaces() override {}
    void step() override {}
    void draw() override {}
    bool drawCursor(int, int) override { return false; }
    bool hasCursor() const override { return false; }
    void present(int) override {}
    void beginSystemDialog() override {}
    void endSystemDialog() override {}
};

// Silent.
class TNullSound : public TFrameSound {
public:
    bool create(TWindow*, uint32_t, uint16_t, bool) override { return false; }
    void destroy() override {}
    void pause() override {}
    void resume() override {}
};

// No scripts; the screen of the frame's construction size.
class TNullEngine : public TFrameEngine {
public:
    int screenWidth() const override { return 640; }
    int screenHeight() const override { return 480; }
    bool init(TWindow*, TInput*) override { return true; }
    void term() override {}
    void readProfile(TIniFile*) override {}
    void writeProfile(TIniFile*) override {}
    const TErrorEntry* errorTable() const override { return nullptr; }
    void setHost(TGameFrame*) override {}
};
