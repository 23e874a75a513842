#include "graphics/frame_screen.h"

#include <algorithm>
#include <cstring>

#include "framework/window.h"
#include "graphics/spd.h"
#include "graphics/surface32.h"
#include "platform/window_messages.h"

namespace graphics {

namespace {
int g_frameLayers = GraphicScreen::kDefaultLayers;
std::unique_ptr<TFrameScreen> makeGraphicScreen() { return std::make_unique<GraphicScreen>(g_frameLayers); }
}  // namespace

void useGraphicScreenForFrames(int layers) {
    g_frameLayers = layers;
    setFrameScreenMaker(&makeGraphicScreen);
}

GraphicScreen::GraphicScreen(int layers) : layers_(layers) {}

GraphicScreen::~GraphicScreen() {
    directDraw_.releaseAll(true);
    unhook();
}

intptr_t GraphicScreen::windowHook(TWindow*, uint32_t message, uintptr_t, intptr_t, void* user) {
    auto* self = static_cast<GraphicScreen*>(user);
    switch (message) {
        case TDirectDraw::kMsgRestored:
            // Restored surfaces hold nothing of the frame: everything is drawn again.
            self->graphic_.invalidate();
            self->showAgain_ = true;
            break;
        // What the window shows may be gone or out of shape: the next frame is shown whatever it is.
        case platform::WM_PAINT:
        case platform::WM_SIZE:
        case platform::WM_ACTIVATE:
        case platform::WM_ACTIVATEAPP:
            self->showAgain_ = true;
            break;
        default:
            break;
    }
    return 0;
}

void GraphicScreen::unhook() {
    // The window may be gone already; its handle says so.
    if (hooked_ && platform::isWindow(hookedHandle_)) hooked_->removeMessageHook(&GraphicScreen::windowHook, this);
    hooked_ = nullptr;
    hookedHandle_ = nullptr;
}

bool GraphicScreen::setMode(TWindow* window, bool fullScreen, int width, int height, int depth) {
    platform::HWND handle = window ? window->handle() : nullptr;
    if (window && hooked_ != window) {
        unhook();
        window->addMessageHook(&GraphicScreen::windowHook, this);
        hooked_ = window;
        hookedHandle_ = handle;
    }
    if (graphic_.pixels() && (graphic_.width() != width || graphic_.height() != height)) graphic_.release();
    if (!graphic_.pixels() && !graphic_.create(width, height, layers_)) {
        lastError_ = 0x1000001;
        return false;
    }
    lastError_ = directDraw_.createMode(handle, fullScreen, width, height, depth);
    if (lastError_ != 0) return false;
    graphic_.attachDisplay(directDraw_.back());
    graphic_.invalidate();
    showAgain_ = true;
    return true;
}

void GraphicScreen::close(int how) {
    directDraw_.releaseAll(how == 1);
    if (how == 1) unhook();
    showAgain_ = true;
}

void GraphicScreen::clear(int colour) {
    directDraw_.clearBuffers(static_cast<uint32_t>(colour));
    showAgain_ = true;
}

void GraphicScreen::clipToWindow(TWindow* window) {
    if (window) directDraw_.setClientRect(window->handle());
}

void GraphicScreen::restoreSurfaces() {
    if (directDraw_.primary() && directDraw_.primary()->isLost()) directDraw_.restore();
}

void GraphicScreen::draw() {
    TSpdObj::updateAll();
    graphic_.redraw();
}

bool GraphicScreen::loadCursor(const std::string& spec) {
    TSurface32* surface = surfaces_.load(spec);
    cursor_.setSurface(surface);
    return surface != nullptr;
}

bool GraphicScreen::drawCursor(int x, int y) {
    if (!cursor_.getSurface() || !graphic_.pixels()) return false;
    graphic_.resetClip();
    cursor_.draw(graphic_, x, y);
    graphic_.invalidateRect(TRect(x, y, cursor_.getDrawWidth(), cursor_.getDrawHeight()));
    return true;
}

bool GraphicScreen::pictureChanged() {
    const int w = graphic_.width(), h = graphic_.height();
    const size_t rowBytes = static_cast<size_t>(std::max(w, 0)) * 4;
    bool changed = shown_.size() != static_cast<size_t>(std::max(w, 0)) * static_cast<size_t>(std::max(h, 0));
    if (changed) shown_.assign(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
    for (int y = 0; y < h; ++y) {
        const uint32_t* row = graphic_.pixels() + static_cast<size_t>(y) * (graphic_.pitch() / 4);
        uint32_t* kept = shown_.data() + static_cast<size_t>(y) * static_cast<size_t>(w);
        // Rows up to the first difference are equal already; from there on they are copied.
        if (!changed && std::memcmp(kept, row, rowBytes) == 0) continue;
        changed = true;
        std::memcpy(kept, row, rowBytes);
    }
    return changed;
}

void GraphicScreen::present(int) {
    if (!directDraw_.back()) return;
    if (graphic_.pixels() && !pictureChanged() && !showAgain_) return;
    const bool converted = graphic_.present(directDraw_.back()) == platform::dd::kOk;
    // A display that could not take the frame is given it again next time.
    showAgain_ = !directDraw_.flip(false) || !converted;
}

}  // namespace graphics
