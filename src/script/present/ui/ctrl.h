#pragma once
// GUI controls: drawable rectangles that turn mouse input into events for an owner (hover, press
// and release of either button, click, wheel). Controls form trees and report through a
// TGrCtrl::TNotify. Every live control is in one registry, so that a control covered by a deeper
// one anywhere in the program is not hit. Input arrives by polling once a frame (the script jobs)
// or through a window's mouse messages.
#include <array>
#include <cstdint>
#include <set>
#include <string>

#include "graphics/gr_obj.h"
#include "graphics/graphic.h"
#include "script/present/ui/anis_obj.h"

class TWindow;
class TInput;

namespace present {

// What a control reads of the input in one frame: the mouse position, the held buttons, those
// that went down this frame and those repeating, whether the mouse moved, the wheel's steps.
struct CtrlInput {
    int32_t x = 0, y = 0;
    uint32_t held = 0, pressed = 0, repeat = 0;
    bool moved = false;
    int32_t wheel = 0;
};
CtrlInput ctrlInputOf(const TInput& input);

enum CtrlEvent : int32_t {
    kCtrlLeftClick = 0,
    kCtrlRightClick = 1,
    kCtrlLeftDown = 2,
    kCtrlRightDown = 3,
    kCtrlLeftCaptureEnd = 4,
    kCtrlRightCaptureEnd = 5,
    kCtrlHoverChanged = 10,
    kCtrlLeftDownChanged = 11,
};

class TGrCtrl : public graphics::TGrObj {
public:
    class TNotify {
    public:
        virtual ~TNotify() = default;
        virtual void notify(int32_t id, int32_t event, int32_t param) = 0;
    };

    TGrCtrl();
    ~TGrCtrl() override;
    TGrCtrl(const TGrCtrl&) = delete;
    TGrCtrl& operator=(const TGrCtrl&) = delete;

    // Visible, and the parent (if any) shown.
    virtual bool isShown() const;
    // Becoming shown again resets the state, so that the next pass looks at hover afresh.
    void setVisible(bool visible) override;
    graphics::SIZE getSize() const override { return {width_, height_}; }
    void setSize(int32_t w, int32_t h) override {
        width_ = w;
        height_ = h;
    }
    using graphics::TGrObj::setSize;
    void draw(graphics::TSurface32&) override {}
    uint16_t getTypeId() const override { return graphics::kGrControl; }

    TGrCtrl* getParent() const { return parent_; }
    TNotify* getNotify() const { return notify_; }
    int32_t getId() const { return id_; }
    const std::string& getName() const { return name_; }
    bool isEnabled() const { return enabled_; }
    bool isActive() const { return active_; }
    bool isHover() const { return hover_; }
    int32_t isCaptured() const { return capture_; }
    bool isLeftDown() const { return leftDown_; }
    bool isRightDown() const { return rightDown_; }
    void setParent(TGrCtrl* parent);
    void setNotify(TNotify* notify) { notify_ = notify; }
    void setId(int32_t id) { id_ = id; }
    void setName(const std::string& name) { name_ = name; }
    // A shown control that changes looks different: it reports its place.
    void setEnabled(bool on) {
        if (on == enabled_) return;
        enabled_ = on;
        if (isShown()) invalidate();
    }
    void setActive(bool on) { active_ = on; }

    // Shown and inside (right and bottom edges out).
    virtual bool hitTest(int32_t x, int32_t y) const;
    // hitTest, and no child and no deeper control anywhere takes the point.
    virtual bool hit(int32_t x, int32_t y) const;
    void setup(TGrCtrl* parent, TNotify* notify, int32_t id, int32_t depth, int32_t x, int32_t y, int32_t w, int32_t h);
    // One frame of polled input: children first, then presses, releases, movement and wheel.
    virtual void processInput(const CtrlInput& in);
    void processInput(const TInput& input) { processInput(ctrlInputOf(input)); }
    TWindow* getWindow() const { return window_; }
    // Root controls only: the window's mouse messages reach onWindowMessage.
    void attachWindow(TWindow* window);
    void addToTableFront(graphics::TGrTableObj& table, int32_t layerOffset);
    void addToTable(graphics::TGrTableObj& table, int32_t layerOffset);
    virtual void fire(int32_t id, int32_t event, int32_t param);
    virtual void onLeftDown(int32_t x, int32_t y);
    virtual void onLeftUp(int32_t x, int32_t y);
    virtual void onRightDown(int32_t x, int32_t y);
    virtual void onRightUp(int32_t x, int32_t y);
    virtual void onMouseMove(int32_t x, int32_t y);
    virtual void onWheel(int32_t, int32_t, int32_t) {}
    virtual void afterInput() {}
    virtual void resetState();
    void addChild(TGrCtrl* child) { children_.insert(child); }
    void removeAllChildren();
    void removeChild(TGrCtrl* child) { children_.erase(child); }
    virtual void onWindowMessage(TWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam);

    const std::set<TGrCtrl*>& children() const { return children_; }
    bool needHover() const { return needHover_; }
    // The program-wide wheel remainder of the window messages (tests start from 0).
    static void resetWheelAccumulator();

private:
    static intptr_t hook(TWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam, void* user);
    void press(bool left, int32_t x, int32_t y);
    void release(bool left, int32_t x, int32_t y);

    TGrCtrl* parent_ = nullptr;
    std::set<TGrCtrl*> children_;
    TWindow* window_ = nullptr;
    TNotify* notify_ = nullptr;
    int32_t id_ = 0;
    std::string name_;
    int32_t width_ = 0, height_ = 0;
    bool enabled_ = true;
    bool active_ = true;
    bool needHover_ = true;
    int32_t capture_ = 0;
    bool hover_ = false;
    bool leftDown_ = false;
    bool rightDown_ = false;
};

class TGrCtrlButtonBase : public TGrCtrl {
public:
    void setAlternate(bool on) {
        alternate_ = on;
        invalidate();
    }
    bool isAlternate() const { return alternate_; }

protected:
    bool alternate_ = false;
};

// Draws one of eight pictures (not owned) by state: set A normal, pressed, disabled, hover; set B
// the same for the alternate look.
class TGrCtrlButton : public TGrCtrlButtonBase {
public:
    enum { kNormal = 0, kPressed = 1, kDisabled = 2, kHover = 3 };

    void setVisible(bool visible) override;
    void draw(graphics::TSurface32& target) override;
    void invalidate() override;
    void fire(int32_t id, int32_t event, int32_t param) override;
    void onLeftDown(int32_t x, int32_t y) override;
    void onLeftUp(int32_t x, int32_t y) override;
    void onMouseMove(int32_t x, int32_t y) override;

    void setFollow(int32_t follow) { follow_ = follow; }
    void setPictures(graphics::TGrObj* normal, graphics::TGrObj* pressed, graphics::TGrObj* disabled,
                     graphics::TGrObj* hover);
    void setPictures3(graphics::TGrObj* normalAndHover, graphics::TGrObj* pressed, graphics::TGrObj* disabled) {
        setPictures(normalAndHover, pressed, disabled, normalAndHover);
    }
    void setAltPictures(graphics::TGrObj* normal, graphics::TGrObj* pressed, graphics::TGrObj* disabled,
                        graphics::TGrObj* hover);
    void setAltPictures3(graphics::TGrObj* normalAndHover, graphics::TGrObj* pressed, graphics::TGrObj* disabled) {
        setAltPictures(normalAndHover, pressed, disabled, normalAndHover);
    }
    void setupWithPictures(TGrCtrl* parent, TNotify* notify, int32_t id, int32_t depth, int32_t x, int32_t y, int32_t w,
                           int32_t h, graphics::TGrObj* normal, graphics::TGrObj* pressed, graphics::TGrObj* disabled,
                           graphics::TGrObj* hover);
    void setupWithPictures3(TGrCtrl* parent, TNotify* notify, int32_t id, int32_t depth, int32_t x, int32_t y,
                            int32_t w, int32_t h, graphics::TGrObj* normalAndHover, graphics::TGrObj* pressed,
                            graphics::TGrObj* disabled);
    // The picture the state chooses, or null.
    graphics::TGrObj* currentPicture() const;
    const graphics::RECT& pictureRect() const { return pictureRect_; }

private:
    void picturesChanged();

    int32_t follow_ = 0;
    graphics::RECT pictureRect_{};
    std::array<graphics::TGrObj*, 8> pictures_{};
};

// A backlog voice replay button: the voice's file name and four animated pictures of its own that
// the owner loads and hands to the button (usePictures).
class TVoiceButton : public TGrCtrlButton {
public:
    void usePictures() { setPictures(&Pictures[0], &Pictures[1], &Pictures[2], &Pictures[3]); }

    std::string Voice;
    std::array<TAnisObjEx, 4> Pictures;
};

}  // namespace present
