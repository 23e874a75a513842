#pragma once
// The resident jobs whose buttons sit beside the first message frame: automatic page advance and
// message skipping on and off, hiding the message window, and the sub-menu whose buttons call
// the host program (save, load, configuration and eight more).
#include <array>
#include <cstdint>
#include <string>

#include "script/core.h"
#include "script/dwarf.h"
#include "script/present/ui/anis_obj.h"
#include "script/present/ui/ctrl.h"
#include "script/presentation.h"

namespace present {

class JobContext;

// Not placed: the button is not shown.
constexpr int32_t kNoAlign = 0xFFFF;

// Loads an animated picture and runs it to its first image; its size, or nothing when the
// script cannot be loaded.
bool loadPicture(JobContext& ctx, TAnisObjEx& picture, const std::string& stem, graphics::SIZE& size);

// The control takes this frame's input. A press on it, and the release that ends it, are the
// control's alone: the input's presses are cleared, so that the jobs after it in this frame (a
// click wait under the button) do not take them as a click of their own.
void takeInput(JobContext& ctx, TGrCtrl& control, const CtrlInput& in);

// One button with its four pictures (normal, "_on", "_disable", "_over"), loaded from the
// settings' system folder.
struct JobButton {
    std::array<TAnisObjEx, 4> pictures;
    TGrCtrlButton button;

    // Pictures that fail to load are left out of the size.
    void load(JobContext& ctx, const std::string& stem, TGrCtrl::TNotify* notify, int32_t id);
    // Placed by an align code within rect, plus an offset; redrawn where it was and where it goes.
    void place(JobContext& ctx, int32_t align, int32_t x, int32_t y, const graphics::RECT& rect);
    void hide() { button.setVisible(false); }
    // Shown, taking this frame's input, and in the top layer.
    void run(JobContext& ctx);
};

// What the button jobs share: resident, saved by the core, nothing to start or finish.
class TButtonJob : public TDwarf, public TGrCtrl::TNotify, public EngineJobControls {
public:
    explicit TButtonJob(JobContext& ctx) : ctx_(ctx) {}
    bool isResident() const override { return true; }
    bool isSavedByOwner() const override { return true; }
    void finish() override {}
    void reset() override;
    virtual void init() = 0;

protected:
    // Frame 0 shows: the document shows and frame 0 is not transparent.
    bool frameShown();
    graphics::RECT frameRect();
    // The one placement of the text-mode jobs: "Align", "X", "Y" under the key.
    void exchangePlace(TValueExchange& x, const char* key);

    JobContext& ctx_;
    int32_t Align = kNoAlign;
    int32_t X = 0, Y = 0;
};

// Two buttons, on and off; the one for the mode not in force shows.
class TTextModeDwarf : public TButtonJob {
public:
    TTextModeDwarf(JobContext& ctx, const char* stem) : TButtonJob(ctx), stem_(stem) {}
    void init() override;
    void reset() override;
    void placeButton(int32_t, int32_t align, int32_t x, int32_t y) override { setPlace(align, x, y); }
    void setPlace(int32_t align, int32_t x, int32_t y);
    void layout();
    void hideButtons();
    void notify(int32_t id, int32_t event, int32_t param) override;
    const TGrCtrlButton& button(int32_t n) const { return buttons_[n].button; }

protected:
    virtual bool& mode() = 0;
    // The shared frame: the active button shown, enabled as asked, taking input.
    bool runButtons(bool enabled);

    std::array<JobButton, 2> buttons_;

private:
    const char* stem_;
};

class TTextAutoDwarf : public TTextModeDwarf {
public:
    explicit TTextAutoDwarf(JobContext& ctx) : TTextModeDwarf(ctx, "txauto") { reset(); }
    int32_t getJobCode() const override { return kJobTextAuto; }
    bool update() override { return runButtons(true); }
    void exchange(TValueExchange& x) override { exchangePlace(x, "TextAutoDwarf"), layout(); }

protected:
    bool& mode() override;
};

class TTextSkipDwarf : public TTextModeDwarf {
public:
    explicit TTextSkipDwarf(JobContext& ctx) : TTextModeDwarf(ctx, "txskip") { reset(); }
    int32_t getJobCode() const override { return kJobTextSkip; }
    void reset() override;
    bool update() override;
    void exchange(TValueExchange& x) override { exchangePlace(x, "TextSkipDwarf"), layout(); }
    // A click while skipping stops it.
    void requestStop();
    bool StopRequested = false;

protected:
    bool& mode() override;
};

class TTextOffDwarf : public TButtonJob {
public:
    enum Mode : int32_t { kBottomEdge = 0, kButton = 1, kOutside = 2 };
    explicit TTextOffDwarf(JobContext& ctx) : TButtonJob(ctx) { reset(); }
    int32_t getJobCode() const override { return kJobTextOff; }
    void init() override;
    void reset() override;
    bool update() override;
    void exchange(TValueExchange& x) override { exchangePlace(x, "TextOffDwarf"), layout(); }
    void placeButton(int32_t, int32_t align, int32_t x, int32_t y) override { setPlace(align, x, y); }
    void setPlace(int32_t align, int32_t x, int32_t y);
    void layout();
    bool canShow();
    bool isOff() const { return Off; }
    void turnOff(int32_t mode);
    void turnOn();
    void notify(int32_t id, int32_t event, int32_t param) override;
    const TGrCtrlButton& button() const { return button_.button; }

    bool Off = false;
    int32_t Mode = kBottomEdge;

private:
    JobButton button_;
};

class TSubmenuDwarf : public TButtonJob {
public:
    static constexpr int32_t kButtons = 11;
    explicit TSubmenuDwarf(JobContext& ctx) : TButtonJob(ctx) { reset(); }
    int32_t getJobCode() const override { return kJobSubmenu; }
    void init() override;
    void reset() override;
    bool update() override;
    // Section "SubmenuDwarf": each button's "Align", "X", "Y".
    void exchange(TValueExchange& x) override;
    void placeButton(int32_t index, int32_t align, int32_t x, int32_t y) override { setPlace(index, align, x, y); }
    void setPlace(int32_t index, int32_t align, int32_t x, int32_t y);
    void layoutButton(int32_t index);
    void layoutAll();
    void hideButtons();
    void notify(int32_t id, int32_t event, int32_t param) override;
    const TGrCtrlButton& button(int32_t n) const { return buttons_[n].button; }

private:
    std::array<JobButton, kButtons> buttons_;
    std::array<int32_t, kButtons> aligns_{};
    std::array<graphics::POINT, kButtons> offsets_{};
};

}  // namespace present
