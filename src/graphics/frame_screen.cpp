#include "graphics/frame_screen.h"

#include "framework/window.h"
#include "graphics/spd.h"
#include "graphics/surface32.h"

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
    // Restored surfaces hold nothing of the frame: everything is drawn again.
    if (message == TDirectDraw::kMsgRestored) static_cast<GraphicScreen*>(user)->graphic_.invalidate();
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
    return true;
}

void GraphicScreen::close(int how) {
    directDraw_.releaseAll(how == 1);
    if (how == 1) unhook();
}

void GraphicScreen::clear(int colour) { directDraw_.clearBuffers(static_cast<uint32_t>(colour)); }

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

void GraphicScreen::present(int) {
    if (!directDraw_.back()) return;
    graphic_.present(directDraw_.back());
    directDraw_.flip(false);
}

}  // namespace graphics
