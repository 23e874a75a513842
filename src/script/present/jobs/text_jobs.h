#pragma once
// The jobs that pace the message window: text output a unit at a time at the player's speed, the
// wait for a click at the end of a line or page (with its animated icon and its time-outs), and
// the wait for a click that moves the script to a stored place.
#include <array>
#include <cstdint>
#include <string>

#include "script/dwarf.h"
#include "script/present/ui/anis_obj.h"
#include "script/presentation.h"

class TG2Engine;
struct TG2InputState;

namespace present {

// The length of the next unit of text at the start of text: a double-byte character, a control
// sequence ("\" + letter + "(" ... ")" up to its closing parenthesis, else two bytes) or a byte;
// never more than the text holds.
size_t textUnitLength(const std::string& text);

// Elapsed engine milliseconds from a to b, one less when the clock wrapped in between.
uint32_t elapsedMs(uint32_t a, uint32_t b);

// Engine services the jobs share.
class JobBase : public TDwarf, public EngineJobControls {
public:
    explicit JobBase(TG2Engine& engine) : engine_(engine) {}
    bool isSavedByOwner() const override { return true; }

protected:
    bool corePaused() const;
    bool skipping() const;
    uint32_t now() const;
    TG2InputState input() const;
    // A button of the click mask went down (or repeats) this frame.
    bool clicked() const;
    void clearInput();
    void noteWaiting();
    void setRunFlag(bool on);
    EngineDocFrame* frame() const;

    TG2Engine& engine_;
};

class TTextOutDwarf : public JobBase {
public:
    explicit TTextOutDwarf(TG2Engine& engine) : JobBase(engine) { reset(); }
    int32_t getJobCode() const override { return 1; }
    void reset() override;
    // Holds the thread; the first unit is due at once.
    void open(TG2Thread* thread, const std::string& text);
    bool update() override;
    // Writes the whole rest at once.
    void finish() override;
    // Section "TextOutDwarf": the switch and the interval; the pending text is not kept (a save
    // point stands before every message).
    void exchange(TValueExchange& x) override;

    void beginText(TG2Thread* thread, const std::string& text) override { open(thread, text); }
    void setInterval(int32_t v) override { Interval = v; }
    void setIntervalEnabled(bool on) override { IntervalEnable = on; }

    bool IntervalEnable = true;
    int32_t Interval = 1;
    std::string Text;
    uint32_t LastTime = 0;

private:
    int32_t releaseUnit();
};

class TClickDwarf : public JobBase {
public:
    explicit TClickDwarf(TG2Engine& engine) : JobBase(engine) { reset(); }
    int32_t getJobCode() const override { return 2; }
    // The icons "line%d.as"/"page%d.as" of the settings' system folder (or "line.as"/"page.as").
    void loadPictures();
    void releasePictures();
    void reset() override;
    void setTimeouts(int32_t type, int32_t timeout, int32_t voiceTimeout);
    void setPicturePlace(int32_t kind, int32_t align, int32_t x, int32_t y);
    void setStopType(int32_t n) override { StopType = n; }
    void open(TG2Thread* thread, int32_t endAction, int32_t icon);
    bool start() override;
    bool update() override;
    void finish() override;
    // Section "ClickDwarf".
    void exchange(TValueExchange& x) override;

    void beginClick(TG2Thread* thread, int32_t endAction, int32_t icon) override { open(thread, endAction, icon); }
    void setOptions(int32_t type, int32_t timeout, int32_t voiceTimeout) override {
        setTimeouts(type, timeout, voiceTimeout);
    }
    // The place of frame's line (kind 0) or page (1) icon.
    void setIconPlace(int32_t kind, int32_t frame, int32_t align, int32_t x, int32_t y) override;

    int32_t Icon = 0;
    int32_t EndAction = 0;
    std::array<TAnisObjEx, 16> Pictures;
    uint32_t StartTime = 0;
    int32_t Frames = 0;
    int32_t Type = 1;
    int32_t Timeout = -1;
    int32_t VoiceTimeout = 0;
    int32_t StopType = 1;
    std::array<int32_t, 16> Align{};
    std::array<std::array<int32_t, 2>, 16> Offset{};
    uint32_t OpenTime = 0;
    uint32_t VoiceEndTime = 0;
    int32_t AutoTimeout = 0;
    int32_t OwnTimeout = 0;

private:
    TAnisObjEx* shownIcon();
    int32_t shown_ = -1;
};

class TClickGotoDwarf : public JobBase {
public:
    explicit TClickGotoDwarf(TG2Engine& engine) : JobBase(engine) { reset(); }
    int32_t getJobCode() const override { return 7; }
    void reset() override;
    // A negative position leaves the job finished.
    void open(TG2Thread* thread, int32_t pos);
    bool update() override;
    // Section "ClickGotoDwarf": "Pos" and "Complete".
    void exchange(TValueExchange& x) override;
    void beginGoto(TG2Thread* thread, int32_t pos) override { open(thread, pos); }

    int32_t Pos = -1;
};

}  // namespace present
