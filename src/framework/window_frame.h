#pragma once
// The main window of the engine frame: it answers windowed and full screen from the frame, and
// shows its message boxes through the frame so that they appear over the game's screen.
#include "framework/window.h"

class TGameFrameG2;

class TWindowForFrameG2 : public TWindow {
public:
    using Cursor = platform::HCURSOR;

    TWindowForFrameG2(TGameFrameG2* frame, std::string className);
    ~TWindowForFrameG2() override = default;

    bool isWindowed() const override;
    bool isFullScreen() const override;
    int showMessageBox(const std::string& text, const std::string& caption, uint32_t type) override;

    // With true (the pointer is outside the client area) the first of the two process-wide
    // cursors; else none while the frame draws its own cursor sprite, or the second.
    virtual Cursor cursor(bool first) const;
    virtual void setCursor(Cursor cursor);
    virtual void setCursors(Cursor first, Cursor second);

    TGameFrameG2* frame() const { return frame_; }

protected:
    // Shows the cursor that fits where the pointer is; 1.
    intptr_t onSetCursor() override;

private:
    TGameFrameG2* frame_;
};

// The game's main window: its own class name, and Alt or F10 alone never opens the system menu.
class TPlayerWindow : public TWindowForFrameG2 {
public:
    static constexpr const char* kClassName = "Tovimare MAHJONG CLASS";

    explicit TPlayerWindow(TGameFrameG2* frame) : TWindowForFrameG2(frame, kClassName) {}

protected:
    // 1 (handled) for F10 (121) and Alt (18); the rest as the base window does.
    intptr_t onSysKeyDown(uintptr_t key, intptr_t lParam) override;
};
