#include "framework/window_frame.h"

#include "framework/frame.h"

namespace {
// The two cursors every engine window shows: over the frame of the window, and in its client
// area when the game has no cursor sprite of its own.
TWindowForFrameG2::Cursor cursors[2] = {nullptr, nullptr};
}  // namespace

TWindowForFrameG2::TWindowForFrameG2(TGameFrameG2* frame, std::string className)
    : TWindow(std::move(className)), frame_(frame) {}

bool TWindowForFrameG2::isWindowed() const { return frame_ ? frame_->isWindowed() : true; }
bool TWindowForFrameG2::isFullScreen() const { return frame_ ? frame_->isFullScreen() : false; }

int TWindowForFrameG2::showMessageBox(const std::string& text, const std::string& caption, uint32_t type) {
    if (!frame_) return TWindow::showMessageBox(text, caption, type);
    handleMessage(platform::WM_BEFORE_MESSAGEBOX, 0, 0);
    int result = frame_->messageBox(text, caption, type);
    handleMessage(platform::WM_AFTER_MESSAGEBOX, 0, 0);
    return result;
}

TWindowForFrameG2::Cursor TWindowForFrameG2::cursor(bool first) const {
    if (first) return cursors[0];
    return frame_ && frame_->cursorAvailable() ? nullptr : cursors[1];
}

intptr_t TWindowForFrameG2::onSetCursor() {
    platform::Point p;
    const bool outside = getCursorPos(p) && p.y < 0;
    Cursor wanted = cursor(outside);
    if (wanted != platform::getCursor()) platform::setCursor(wanted);
    return 1;
}

void TWindowForFrameG2::setCursor(Cursor cursor) {
    cursors[0] = cursors[1] = cursor;
    onSetCursor();
}

void TWindowForFrameG2::setCursors(Cursor first, Cursor second) {
    cursors[0] = first;
    cursors[1] = second;
    onSetCursor();
}

intptr_t TPlayerWindow::onSysKeyDown(uintptr_t key, intptr_t lParam) {
    if (key == 121 || key == 18) return 1;
    return TWindowForFrameG2::onSysKeyDown(key, lParam);
}
