#include "graphics/direct_draw.h"

#include <algorithm>

#include "platform/clock.h"

namespace graphics {

namespace dd = platform::dd;

namespace {
// A call that keeps answering "still drawing" counts as failed after this many tries.
constexpr int kStillDrawingTries = 100000;
}  // namespace

TDirectDraw::~TDirectDraw() {
    releaseAll(true);
    modes_.clear();
}

uint32_t TDirectDraw::mapError(uint32_t result, uint32_t code) const {
    switch (result) {
        case dd::kOutOfMemory:
            return 0x1000001;
        case dd::kOutOfVideoMemory:
            return 0x3004115;
        case dd::kNoDirectDrawHw:
            return 0x3004113;
        case dd::kUnsupportedMode:
            return 0x3004114;
        default:
            return code;
    }
}

void TDirectDraw::announce(uint32_t message) {
    if (window_) platform::sendMessage(window_, message, 0, 0);
}

int TDirectDraw::enumModes() {
    modes_.clear();
    if (!device_) return 0;
    const uint32_t r = device_->enumModes([this](const platform::DisplayMode& m) {
        const Mode mode{m.width, m.height, m.bits};
        if (modes_.empty() || !(modes_.back() == mode)) modes_.push_back(mode);
    });
    if (r != dd::kOk) {
        modes_.clear();
        return 0;
    }
    return static_cast<int>(modes_.size());
}

bool TDirectDraw::hasMode(const Mode& mode) const {
    return std::find(modes_.begin(), modes_.end(), mode) != modes_.end();
}

void TDirectDraw::setClientRect(platform::HWND window) {
    platform::Rect r;
    if (!platform::getClientRect(window, r)) return;
    platform::Point a{r.left, r.top}, b{r.right, r.bottom};
    platform::clientToScreen(window, a);
    platform::clientToScreen(window, b);
    clientRect_ = {a.x, a.y, b.x, b.y};
}

uint32_t TDirectDraw::create(platform::HWND window, bool fullScreen, Mode mode) {
    if (!window) return kErrNoWindow;
    window_ = window;
    fullScreen_ = fullScreen ? 1 : 0;
    width_ = mode.width;
    height_ = mode.height;
    bits_ = mode.bits == 0 ? 16 : mode.bits;

    if (!device_) {
        if (uint32_t r = platform::Display::create(emulationOnly_ != 0, device_)) return mapError(r, kErrCreate);
        if (uint32_t r = device_->query()) {
            device_.reset();
            return mapError(r, kErrQuery);
        }
    }
    if (!fullScreen) {
        if (uint32_t r = device_->setCooperativeLevel(window, false)) return mapError(r, kErrCooperativeLevel);
        bits_ = device_->desktopDepth();
        setClientRect(window);
        if (uint32_t r = device_->createPrimary(0, primary_)) return mapError(r, kErrPrimary);
        backInVideoMemory_ = 1;
        if (device_->createOffscreen(width_, height_, true, offscreen_) != dd::kOk) {
            backInVideoMemory_ = 0;
            if (uint32_t r = device_->createOffscreen(width_, height_, false, offscreen_))
                return mapError(r, kErrBackSurface);
        }
        back_ = offscreen_.get();
        if (uint32_t r = device_->createClipper()) return mapError(r, kErrClipper);
        clipper_ = true;
        if (uint32_t r = device_->setClipperWindow(window)) return mapError(r, kErrClipperWindow);
        if (uint32_t r = device_->attachClipper(*primary_)) return mapError(r, kErrClipperAttach);
    } else {
        if (uint32_t r = device_->setCooperativeLevel(window, true)) return mapError(r, kErrCooperativeLevel);
        if (enumModes() == 0) return kErrNoModes;
        // Each depth falls back along 16, 24, 32, 24, 16 from its first place in the chain.
        static constexpr int32_t kChain[] = {16, 24, 32, 24, 16};
        int start = bits_ == 16 ? 0 : bits_ == 24 ? 1 : bits_ == 32 ? 2 : -1;
        if (start < 0) return kErrDepth;
        int32_t found = 0;
        for (int i = start; i < 5 && !found; ++i)
            if (hasMode(Mode{width_, height_, kChain[i]})) found = kChain[i];
        // Most displays list only their own size: there the frame is shown scaled to the
        // desktop at the depth it asked for.
        if (!found && device_->scalesToDesktop()) found = bits_;
        if (!found) return kErrDepth;
        bits_ = found;
        if (uint32_t r = device_->setDisplayMode({width_, height_, bits_})) return mapError(r, kErrSetMode);
        if (device_->createPrimary(backBufferCount_, primary_) != dd::kOk) {
            if (uint32_t r = device_->createPrimary(0, primary_)) return mapError(r, kErrPrimary);
        }
        if (uint32_t r = device_->getAttachedBack(*primary_, back_)) return mapError(r, kErrBackBuffer);
    }
    // The display settles before its surfaces are first used.
    platform::sleepMs(500);
    return restore() ? 0 : kErrRestore;
}

bool TDirectDraw::restore() {
    if (!primary_ || primary_->restore() != dd::kOk) return false;
    if (!fullScreen_ && offscreen_ && offscreen_->restore() != dd::kOk) return false;
    if (bits_ == 8 && device_) {
        palette_ = true;
        device_->setPalette(*primary_);
    }
    announce(kMsgRestored);
    return true;
}

bool TDirectDraw::flip(bool blit) {
    if (!device_ || !primary_ || !back_) return false;
    if (!fullScreen_) return device_->blt(*primary_, clientRect_, *back_) == dd::kOk;
    if (blit) return device_->blt(*primary_, platform::Rect{0, 0, width_, height_}, *back_) == dd::kOk;
    uint32_t r = dd::kWasStillDrawing;
    for (int i = 0; i < kStillDrawingTries && r == dd::kWasStillDrawing; ++i) r = device_->flip(*primary_);
    if (r == dd::kSurfaceLost) restore();
    return r == dd::kOk;
}

bool TDirectDraw::flipAreas(const std::vector<platform::Rect>& areas) {
    if (fullScreen_ || !device_ || !primary_ || !back_) return flip(false);
    return device_->blt(*primary_, clientRect_, *back_, &areas) == dd::kOk;
}

template <class Call>
bool TDirectDraw::backCall(Call call) {
    if (!device_ || !back_) return false;
    uint32_t r = dd::kWasStillDrawing;
    for (int i = 0; i < kStillDrawingTries && r == dd::kWasStillDrawing; ++i) r = call(*back_);
    if (r == dd::kSurfaceLost) {
        restore();
        return false;
    }
    return r == dd::kOk;
}

bool TDirectDraw::bltFast(int32_t x, int32_t y, platform::DisplaySurface& src, const platform::Rect* srcRect) {
    return backCall([&](platform::DisplaySurface& b) { return b.bltFast(x, y, src, srcRect); });
}

bool TDirectDraw::fillRect(const platform::Rect& rect, uint32_t colour) {
    return backCall([&](platform::DisplaySurface& b) { return b.fill(&rect, colour); });
}

bool TDirectDraw::fill(uint32_t colour) {
    return backCall([&](platform::DisplaySurface& b) { return b.fill(nullptr, colour); });
}

bool TDirectDraw::clearBuffers(uint32_t colour) {
    fill(colour);
    flip(false);
    fill(colour);
    return true;
}

void TDirectDraw::flipToGdi() {
    if (fullScreen_ && device_) device_->flipToGdi();
}

bool TDirectDraw::resetPalette() {
    if (bits_ != 8 || !device_ || !primary_) return true;
    if (device_->setPalette(*primary_) != dd::kSurfaceLost) return true;
    primary_->restore();
    return device_->setPalette(*primary_) != dd::kSurfaceLost;
}

void TDirectDraw::releaseAll(bool device) {
    if (!device_) return;
    announce(kMsgReleasing);
    offscreen_.reset();
    back_ = nullptr;
    if (clipper_) device_->releaseClipper();
    clipper_ = false;
    primary_.reset();
    palette_ = false;
    if (fullScreen_) {
        device_->setCooperativeLevel(window_, false);
        device_->restoreDisplayMode();
    }
    if (device) device_.reset();
}

}  // namespace graphics
