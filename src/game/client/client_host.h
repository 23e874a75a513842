#pragma once
// What the table client needs of the program around it: the frame's clock, input and screen,
// its sound effects and the engine's music stream. The main frame fills one in; tests fill one
// in that they drive. The client reaches nothing of the frame by any other way.
#include <cstdint>
#include <string>

#include "game/wire.h"

namespace graphics {
class TGrTableObj;
class TSprObj;
class TNumObj;
class TFillObj;
class TTextObj;
}  // namespace graphics

namespace game::client {

class TClientHost {
public:
    virtual ~TClientHost() = default;

    // The time of the current frame in milliseconds (wraps; compare by difference).
    virtual u32 frameTime() const = 0;

    // Input, as the frame's input object holds it for this frame.
    // The pointer moved or the primary button changed (a hit test is due).
    virtual bool isMouseAction() const = 0;
    virtual int mouseX() const = 0;
    virtual int mouseY() const = 0;
    // The word of buttons newly pressed this frame (0x10000010 confirm, 0x20000020 cancel).
    virtual u32 pressedButtons() const = 0;
    // Forgets the remembered pointer and sets the refresh flag, so that the next frame hit-tests
    // even when the pointer stays where it is.
    virtual void forceHitTest() = 0;

    // The screen must be drawn again.
    virtual void invalidate() = 0;

    // A sound effect of the frame's own set.
    virtual void playSe(int id) = 0;

    // The engine's music stream.
    virtual void stopMusic() = 0;
    // Opens the named music and plays it looped.
    virtual void playMusic(const std::string& name) = 0;
    virtual int musicVolume() const = 0;
    virtual void setMusicVolume(int volume) = 0;

    // Drawing. The client composes its whole view every frame into the screen's object table
    // (null: nothing is drawn) from objects the frame lends for one frame: the frame empties the
    // table and takes its objects back before the next frame's tasks run (TClientPools does
    // both). A lender that has no object left gives null, and that object is not drawn.
    virtual graphics::TGrTableObj* screenTable() { return nullptr; }
    // A copy of the unit, to be placed and put in the table.
    virtual graphics::TSprObj* pushSprObj(const graphics::TSprObj& /*unit*/) { return nullptr; }
    // A reset number object.
    virtual graphics::TNumObj* nextNumObj() { return nullptr; }
    // A fill object of the screen's size at 0, 0 with the colour and opacity.
    virtual graphics::TFillObj* nextFillObj(uint32_t /*colour*/, int /*opacity*/) { return nullptr; }
    // A text object with the frame's first font.
    virtual graphics::TTextObj* nextTextObj() { return nullptr; }
    // The application's message box with an OK button (Shift-JIS text).
    virtual void messageBox(const std::string& /*text*/) {}
};

// A host for a client with no program around it: time stands still, nothing is pressed, nothing
// sounds. A client on it waits for ever at the first timed answer, so it is only a placeholder.
class TNullClientHost : public TClientHost {
public:
    u32 frameTime() const override { return 0; }
    bool isMouseAction() const override { return false; }
    int mouseX() const override { return -1; }
    int mouseY() const override { return -1; }
    u32 pressedButtons() const override { return 0; }
    void forceHitTest() override {}
    void invalidate() override {}
    void playSe(int) override {}
    void stopMusic() override {}
    void playMusic(const std::string&) override {}
    int musicVolume() const override { return 0; }
    void setMusicVolume(int) override {}
};

// One word of state: the frame time at the start. Both operations read the frame's clock.
class TStopWatch {
public:
    void start(const TClientHost& host) { start_ = host.frameTime(); }
    // Milliseconds of frame time since start.
    u32 elapsed(const TClientHost& host) const { return host.frameTime() - start_; }

private:
    u32 start_ = 0;
};

}  // namespace game::client
