#pragma once
// TMainFrame: the program's one game frame. Over the frame chain it adds what is particular to
// this game: the engine's file names and defaults, the screens' own sound effects, two fonts,
// the key bindings, the screen fade, the random generator, the player settings, pools of
// drawable objects that the screens use for one frame only, the 16 ms pacing, the full-screen
// toggle, the system keys and the bridge from the engine's host callback to the story task.
// mainFrame() reaches it while it lives.
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "framework/frame.h"
#include "framework/random.h"
#include "game/client/client_host.h"
#include "graphics/font.h"
#include "graphics/surface32.h"
#include "graphics/gr_kinds.h"
#include "graphics/text_obj.h"
#include "mahjong/error_sink.h"
#include "script/engine.h"
#include "sound/sound.h"
#include "sound/wave.h"
#include "sound/wave_stream.h"

class TG2FrameEngine;

namespace graphics {
class TGraphic;
}

// The fixed task ids of the frame's scheduler.
enum TMainTaskId : int {
    kTaskNovel = 0,   // the story
    kTaskSystem = 1,  // the system screen, for the whole run
    kTaskTitle = 2,   // the title hub
    kTaskMatch = 3,   // a mahjong match
    kTaskLobby = 4,   // the network lobby
};

// Drawables that live for one frame: take() hands out the next entry, rewind() at the start of
// each frame makes every entry free again. Entries are never moved, so what was taken stays
// valid until the next rewind; a frame that needs more than the pool holds grows it.
template <class T>
class TFramePool {
public:
    explicit TFramePool(size_t capacity) : entries_(capacity) {}
    T* take() {
        if (next_ == entries_.size()) entries_.emplace_back();
        return &entries_[next_++];
    }
    void rewind() { next_ = 0; }
    size_t used() const { return next_; }
    size_t capacity() const { return entries_.size(); }

private:
    std::deque<T> entries_;
    size_t next_ = 0;
};

// The six player settings (section "Status" of "save\game.ini").
struct TPlayerSettings {
    int32_t skipCondition = 1;
    bool msgBox = true;
    int32_t rightClick = 1;
    bool shioriConfirm = true;
    int32_t voiceClick = 1;
    bool showClear = false;
};

class TMainFrame : public TGameFrameG2 {
public:
    static constexpr uint32_t kFrameMs = 16;
    static constexpr size_t kSprPool = 2048;
    static constexpr size_t kNumPool = 512;
    static constexpr size_t kTextPool = 512;
    static constexpr size_t kFillPool = 256;

    // engine: the script engine (null: the presentation's engine). The frame owns it.
    explicit TMainFrame(std::unique_ptr<TG2Engine> engine = nullptr);
    ~TMainFrame() override;

    bool create(HINSTANCE instance, TWindow* window) override;
    bool start() override;
    bool run() override;
    void terminate() override;
    bool startup() override;
    bool loadProfile(TIniFile* profile) override;
    bool saveProfile(TIniFile* profile) override;
    bool updateInput() override;
    bool draw() override;
    intptr_t onWindowMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
    int engineCallback(int code, int count, void* values) override;

    // Alt+Enter switches between window and full screen on the press of Enter, once a press;
    // true when the key was Alt+Enter. The key-ups do nothing (true: handled).
    virtual bool onSysKeyDown(uintptr_t key, intptr_t lParam);
    virtual bool onSysKeyUp(uintptr_t key, intptr_t lParam);
    virtual void onKeyUp(uintptr_t, intptr_t) {}
    // The screen mode again with the given windowed flag and the current size and depth.
    bool setWindowedMode(bool windowed);
    // 1 to 11 for the lowest system-key bit pressed this frame (F1-F3, F5-F7, F9-F12, Escape), 0 none.
    int getSystemKey() const;
    static int systemKeyOf(uint32_t pressed);

    // The next pooled object of this frame; the sprite is a copy of obj.
    graphics::TSprObj* pushSprObj(const graphics::TSprObj& obj);
    graphics::TSprObj* takeSprObj() { return sprPool_.take(); }
    graphics::TNumObj* takeNumObj() { return numPool_.take(); }
    graphics::TTextObj* takeTextObj() { return textPool_.take(); }
    graphics::TFillObj* takeFillObj() { return fillPool_.take(); }
    const TFramePool<graphics::TSprObj>& sprPool() const { return sprPool_; }

    // An effect of the screens' own set.
    void playSe(int id, int flags = 0);

    graphics::TFade& fade() { return fade_; }
    TRandom& random() { return random_; }
    TSeSet& systemSe() { return systemSe_; }
    std::vector<graphics::TFont>& fonts() { return fonts_; }
    // The music player the title screens and the table use: the engine's (a story's music and the
    // screens' are one stream), or the frame's own while the engine has none.
    TBgm& musicPlayer();
    TPlayerSettings& settings() { return settings_; }
    const TPlayerSettings& settings() const { return settings_; }
    TG2Engine& g2() const;
    // The table client's view of this frame.
    game::client::TClientHost& clientHost();
    // The screen object, or null before the screen exists.
    graphics::TGraphic* graphicObject() const;

    // The settings file's path ("save\game.ini" through the resource store).
    std::string settingsPath() const;
    // When the next frame is due (for tests of the pacing).
    uint32_t dueTime() const { return due_; }

    // What the frame's create makes before it adds the two resident tasks; a test or a program
    // without the screens replaces these.
    using TaskMaker = TTask* (*)();
    static void setResidentTaskMakers(TaskMaker system, TaskMaker title);

private:
    class MessageBoxSink;
    class ClientHost;

    void pace();
    void bindKeys();

    TG2FrameEngine* frameEngine_;
    std::vector<graphics::TFont> fonts_;
    TSeSet systemSe_;
    graphics::TFade fade_;
    TRandom random_;
    TPlayerSettings settings_;
    TFramePool<graphics::TSprObj> sprPool_{kSprPool};
    TFramePool<graphics::TNumObj> numPool_{kNumPool};
    TFramePool<graphics::TTextObj> textPool_{kTextPool};
    TFramePool<graphics::TFillObj> fillPool_{kFillPool};
    TBgm bgm_;
    std::unique_ptr<MessageBoxSink> errorSink_;
    std::unique_ptr<ClientHost> clientHost_;
    bool sinkInstalled_ = false;
    uint32_t due_ = 0;
};

// The one main frame, or null.
TMainFrame* mainFrame();
