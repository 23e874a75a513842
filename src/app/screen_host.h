#pragma once
// What the story task, the system screen and the title hub's extras take from the main frame:
// the scheduler, the one screen fade, the display table, the frame's input as the screens read
// it, the clocks, the player settings they read and write, the per-frame sprite pool and the
// engine's music. The main frame implements it and installs itself once (setScreenHost); tests
// install a host of their own. Main thread only.
#include <cstdint>
#include <string>

#include "graphics/gr_kinds.h"
#include "graphics/graphic.h"

class TTask;
class TTaskManager;
class TG2ImgDisp;

namespace app {

// Task ids of the one scheduler.
enum TaskId : int { kTaskNovel = 0, kTaskSystem = 1, kTaskTitle = 2, kTaskMatch = 3, kTaskLobby = 4 };

// Press masks of the screens: left button or decide key; right button or cancel key.
inline constexpr uint32_t kDecideMask = 0x10000010;
inline constexpr uint32_t kCancelMask = 0x20000020;

// The frame's input as a screen reads it in one frame.
struct ScreenInput {
    int32_t x = 0, y = 0;
    bool mouseAction = false;  // the mouse moved (or tracking was reset) or the left button is down
    uint32_t pressed = 0;      // buttons that went down in this frame
    uint32_t held = 0;         // buttons down now
};

class ScreenHost {
public:
    virtual ~ScreenHost() = default;

    virtual TTaskManager& tasks() = 0;
    virtual graphics::TFade& fade() = 0;
    // The screen's display table, emptied by the frame at the start of every frame.
    virtual graphics::TGrTableObj& table() = 0;
    virtual void requestRedraw() = 0;
    virtual ScreenInput input() = 0;
    // Forget the remembered mouse position and report activity, so the next frame's hover is
    // computed afresh.
    virtual void resetMouseTracking() = 0;
    // The system millisecond clock now, and as taken at the start of this frame.
    virtual uint32_t realTime() = 0;
    virtual uint32_t frameTime() = 0;
    // The system key (1 to 11) pressed in this frame, 0 for none.
    virtual int systemKey() = 0;
    virtual bool isWindowed() = 0;
    virtual void setWindowed(bool windowed) = 0;
    virtual void minimise() = 0;
    // Applies the player settings to the engine again.
    virtual void applySettings() = 0;
    // Forgets this frame's presses and their repeats, so that a press already used is not seen
    // again in this frame.
    virtual void clearPresses() = 0;
    virtual int32_t rightClick() = 0;
    virtual void setRightClick(int32_t value) = 0;
    virtual bool saveConfirm() = 0;
    // Copies the sprite into the pool's next entry, valid until the next frame starts; null when
    // the pool is used up.
    virtual graphics::TSprObj* pushSprObj(const graphics::TSprObj& sprite) = 0;
    // A new title hub, for the caller to add under kTaskTitle.
    virtual TTask* makeTitle() = 0;
    // The engine's music player.
    virtual void stopMusic() = 0;
    virtual void playMusic(const std::string& file, bool loop) = 0;
    // Volume index 0 master, 1 effects, 2 music; value 0 to 255.
    virtual void setVolume(int index, int32_t value) = 0;
    // The engine's image display table, null when it has none.
    virtual const TG2ImgDisp* imageTable() = 0;
    // The table pictures of a match are given back after it.
    virtual void releaseMatchSprites() = 0;
};

// The installed host, else the main frame's while one lives, else null.
ScreenHost* screenHost();
ScreenHost* frameScreenHost();
// Not owned; null uninstalls.
void setScreenHost(ScreenHost* host);

// Fade helpers every screen uses: the fade's kind is plain colour before each start.
void fadeOut(ScreenHost& host, uint32_t ms, uint32_t colour);
void fadeIn(ScreenHost& host, uint32_t ms);
bool fadeDone(ScreenHost& host);

}  // namespace app
