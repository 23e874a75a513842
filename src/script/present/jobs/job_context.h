#pragma once
// What the sound, fade, wait and text-mode jobs reach of the engine around them: the engine
// clock and pause reasons, skipping, this frame's input, the settings, the screen fade and the
// graphic layer, the message document, the sound channels and the movie player. The engine's
// own context (EngineJobContext) finds them on the hub; tests give their own.
#include <cstdint>
#include <string>

#include "graphics/rect.h"

class TBgm;
class TDwarf;
class TG2Engine;
class TG2Status;
class TG2Thread;
class TMedia;
class TSe;
namespace graphics {
class TFade;
class TGrObj;
}  // namespace graphics

namespace present {

class TG2Doc;
class TG2Graphic;

// The right button with the cancel key. What counts as a click is the settings' (clickMask).
constexpr uint32_t kCancelMask = 0x20000020;

// This frame's input as the jobs read it.
struct JobInput {
    uint32_t held = 0;      // down now
    uint32_t pressed = 0;   // went down in this frame
    uint32_t released = 0;  // came up in this frame
    int32_t wheel = 0;      // steps; negative towards the player
    int32_t x = 0, y = 0;   // mouse, screen pixels
    bool mouseInWindow = true;
    bool fullScreen = false;
};

// The channels the sound commands and the volume fades drive: effect channels 0-254 and the
// voice (255), the music stream, the CD and the movie player.
class SoundDesk {
public:
    virtual ~SoundDesk() = default;
    // 255 is the voice channel; null for a channel that does not exist.
    virtual TSe* channel(int32_t id) = 0;
    TSe* voice() { return channel(255); }
    virtual TBgm* bgm() = 0;
    virtual bool cdPlaying() { return false; }
    virtual int32_t cdTrack() const { return -1; }
    virtual void cdPlay(int32_t, bool) {}
    virtual void cdStop() {}
    virtual void cdSetVolume(int32_t) {}
    // A player of its own in place of the graphic layer's; none by default.
    virtual TMedia* media() { return nullptr; }
};

class JobContext {
public:
    virtual ~JobContext() = default;
    // Engine milliseconds (unsigned, differences wrap).
    virtual uint32_t now() = 0;
    virtual bool isPaused() = 0;
    // Paused for some reason other than reason.
    virtual bool isPausedByOther(int32_t reason) = 0;
    virtual void pause(int32_t reason) = 0;
    virtual void resume(int32_t reason) = 0;
    virtual bool isSkipping() = 0;
    virtual bool isSkipSuspended() = 0;
    virtual void requestRedraw() = 0;
    virtual JobInput input() = 0;
    virtual void clearInput() = 0;
    virtual TG2Status& status() = 0;
    // The buttons that count as a click: one setting for every job.
    uint32_t clickMask();
    // The wait between two looks at a stopping sound.
    virtual void sleepMs(uint32_t ms) = 0;
    virtual SoundDesk* desk() = 0;
    virtual TG2Graphic* graphic() = 0;
    virtual TG2Doc* doc() = 0;
    virtual graphics::SIZE screenSize() = 0;
    virtual void addDwarf(TDwarf* job) = 0;
    virtual TDwarf* standingJob(int32_t code) = 0;
    // The host program's callback (sub-menu buttons).
    virtual int callHost(int a, int b, void* data) = 0;
    virtual bool isSubmenuEnabled() = 0;
    virtual int32_t recordEnabled() = 0;
    // The voice of a backlog line, played again (flags 0x10, time 0).
    virtual void replayVoice(const std::string& name) = 0;
    // The movie player: the graphic layer's, unless the sound desk brings its own.
    TMedia* media();
    // Where the quake puts the whole picture, and the screen fade.
    void moveLayer(int32_t x, int32_t y);
    graphics::TFade* fade();
    // Adds a button to the top layer of this frame's composition.
    void addToTopLayer(graphics::TGrObj& obj);
};

}  // namespace present
