#include "graphics/frame_screen.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "framework/window.h"
#include "graphics/spd.h"
#include "graphics/surface32.h"
#include "platform/window_messages.h"
#include "platform/window_system.h"

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
            self->repaint_ = true;
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
    repaint_ = true;
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

void GraphicScreen::record(const std::function<void()>& drawing) {
    graphic_.setRecorder(&next_);
    graphic_.resetClip();
    drawing();
    graphic_.setRecorder(nullptr);
}

void GraphicScreen::draw() {
    TSpdObj::updateAll();
    // What the objects reported has served the script's passes of this frame: what is drawn is
    // found from the record.
    graphic_.clearDirty();
    // A hidden screen object keeps the picture it has.
    if (!graphic_.isVisible() || !graphic_.pixels()) return;
    next_.clear();
    record([&] { graphic_.drawAll(graphic_); });
    if (whole_) recordWatched(watchedNext_);
    recorded_ = true;
    cursorShown_ = false;
}

bool GraphicScreen::loadCursor(const std::string& spec) {
    TSurface32* surface = surfaces_.load(spec);
    cursor_.setSurface(surface);
    return surface != nullptr;
}

bool GraphicScreen::drawCursor(int x, int y) {
    if (!cursor_.getSurface() || !graphic_.pixels() || !recorded_) return false;
    record([&] { cursor_.draw(graphic_, x, y); });
    cursorShown_ = true;
    cursorX_ = x;
    cursorY_ = y;
    return true;
}

void GraphicScreen::setWholeCheck(bool on) {
    checked_ = 0;
    firstDiffering_ = -1;
    whole_.reset();
    watchedNext_.clear();
    watchedShown_.clear();
    if (!on) return;
    whole_ = std::make_unique<TSurface32>();
    if (!whole_->createCopy(graphic_))
        whole_->createFilled(std::max(graphic_.width(), 1), std::max(graphic_.height(), 1), 0);
}

void GraphicScreen::recordWatched(DrawRecord& into) {
    into.clear();
    if (!watched_) return;
    graphic_.setRecorder(&into);
    graphic_.resetClip();
    watched_(graphic_);
    graphic_.setRecorder(nullptr);
}

bool GraphicScreen::watchedDiffers() {
    // A hidden screen object keeps the picture it has.
    if (!whole_ || !graphic_.pixels() || !graphic_.isVisible()) return false;
    DrawRecord now;
    recordWatched(now);
    return !changedAreas(watchedShown_, now, RECT{0, 0, graphic_.width(), graphic_.height()}).empty();
}

void GraphicScreen::checkWhole() {
    TSurface32& w = *whole_;
    if (w.width() != graphic_.width() || w.height() != graphic_.height()) {
        w.release();
        w.createCopy(graphic_);
    }
    graphic_.drawAll(w);
    if (cursorShown_) {
        w.resetClip();
        cursor_.draw(w, cursorX_, cursorY_);
    }
    const TSurface32& shown = graphic_;
    const size_t n = static_cast<size_t>(w.width()) * static_cast<size_t>(w.height());
    bool differs = std::memcmp(std::as_const(w).pixels(), shown.pixels(), n * 4) != 0;
    // What the window shows, where the display took the frame and keeps each channel's 8 bits.
    if (!differs && directDraw_.back() && !showAgain_ && graphic_.bitCount() >= 24) {
        int pw = 0, ph = 0;
        std::vector<uint32_t> presented;
        differs = !platform::lastPresentedFrame(directDraw_.window(), pw, ph, presented) || pw != w.width() ||
                  ph != w.height();
        for (size_t i = 0; i < n && !differs; ++i)
            differs = ((presented[i] ^ std::as_const(w).pixels()[i]) & 0xFFFFFF) != 0;
    }
    if (firstDiffering_ < 0 && differs) firstDiffering_ = checked_;
    ++checked_;
}

void GraphicScreen::present(int) {
    std::vector<RECT> areas;
    const bool recorded = recorded_;
    if (recorded_) {
        recorded_ = false;
        const RECT screen{0, 0, graphic_.width(), graphic_.height()};
        if (repaint_)
            areas.assign(1, screen);
        else
            areas = changedAreas(shown_, next_, screen);
        repaint_ = false;
        lastDrawn_ = 0;
        for (const RECT& r : areas) {
            graphic_.drawRect(graphic_, r);
            if (cursorShown_) {
                graphic_.setLimit(r);
                cursor_.draw(graphic_, cursorX_, cursorY_);
                graphic_.clearLimit();
            }
            lastDrawn_ += int64_t(r.width()) * r.height();
        }
        graphic_.resetClip();
        shown_.swap(next_);
        if (whole_) watchedShown_.swap(watchedNext_);
    }
    if (directDraw_.back() && (!areas.empty() || showAgain_)) {
        // A flipped display's back surface holds an older frame: it takes the whole picture.
        bool shown = false, converted = false;
        if (showAgain_ || directDraw_.isFullScreen()) {
            converted = graphic_.present(directDraw_.back()) == platform::dd::kOk;
            shown = directDraw_.flip(false);
        } else {
            converted = graphic_.presentRects(directDraw_.back(), areas) == platform::dd::kOk;
            std::vector<platform::Rect> changed;
            changed.reserve(areas.size());
            for (const RECT& r : areas) changed.push_back({r.left, r.top, r.right, r.bottom});
            shown = directDraw_.flipAreas(changed);
        }
        // A display that could not take the frame is given it again next time.
        showAgain_ = !shown || !converted;
    }
    if (recorded && whole_) checkWhole();
}

}  // namespace graphics
