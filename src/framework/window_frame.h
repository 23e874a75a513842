#pragma once
// The main window of the engine frame: it answers windowed and full screen from the frame, and
// shows its message boxes through the frame so that they appear over the game's screen.
#include "framework/window.h"

class TGameFrameG2;

class TWindowForFrameG2 : public TWindow {
public:
    using Cursor = void*;

    TWindowForFrameG2(TGameFrameG2* frame, std::string className);
    ~TWindowForFrameG2() override = default;

    bool isWindowed() const override;
    bool isFullScreen() const override;
    int showMessageBox(const std::string& text, const std::string& caption, uint32_t type) override;

    // The first of the two process-wide cursors when asked with true, else the second.
    virtual Cursor cursor(bool first) const;
    virtual void setCursor(Cursor cursor);
    virtual void setCursors(Cursor first, Cursor second);

    TGameFrameG2* frame() const { return frame_; }

private:
    TGameFrameG2* frame_;
};
