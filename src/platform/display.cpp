#include "platform/display.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <optional>

#include "platform/little_endian.h"
#include "platform/window_backend.h"

namespace platform {

// What every surface of one device shares: the generation of the last loss.
struct DisplayShared {
    uint32_t lostGeneration = 0;
};

namespace {

struct Fault {
    uint32_t result = 0;
    int count = 0;
};

const std::vector<DisplayMode> kHeadlessModes{{640, 480, 16}, {640, 480, 32},  {800, 600, 16},
                                              {800, 600, 32}, {1024, 768, 16}, {1024, 768, 32}};

struct HeadlessDisplay {
    // A list a test set; it stands in for the system's list on either back end.
    std::optional<std::vector<DisplayMode>> modes;
    int desktopDepth = 32;
    // Whether the headless display shows modes it does not list scaled over its own.
    bool scales = false;
    std::optional<DisplayFormat> format;
    std::array<Fault, static_cast<size_t>(DisplayStep::Count)> faults{};
};

HeadlessDisplay& settings() {
    static HeadlessDisplay s;
    return s;
}

// The injected result of a step, or kOk when it is to do its work.
uint32_t fault(DisplayStep step) {
    Fault& f = settings().faults[static_cast<size_t>(step)];
    if (f.count <= 0) return dd::kOk;
    --f.count;
    return f.result;
}

DisplayFormat formatForDepth(int bits) {
    if (settings().format) return *settings().format;
    switch (bits) {
        case 16:
            return {16, 0xF800, 0x07E0, 0x001F};
        case 24:
            return {24, 0xFF0000, 0x00FF00, 0x0000FF};
        default:
            return {32, 0xFF0000, 0x00FF00, 0x0000FF};
    }
}

int rowPitch(int width, uint32_t bits) { return static_cast<int>(((int64_t(width) * bits + 31) / 32) * 4); }

// One channel of a packed pixel widened to 8 bits.
uint32_t widen(uint32_t value, uint32_t mask) {
    if (!mask) return 0;
    const int shift = std::countr_zero(mask);
    const uint32_t max = mask >> shift;
    return static_cast<uint32_t>((uint64_t((value & mask) >> shift) * 255 + max / 2) / max);
}

}  // namespace

// ---- surfaces ---------------------------------------------------------------------------------

DisplaySurface::DisplaySurface(std::shared_ptr<DisplayShared> shared, int width, int height,
                               const DisplayFormat& format)
    : shared_(std::move(shared)), format_(format), lostGeneration_(shared_->lostGeneration) {
    resize(width, height);
}

DisplaySurface::~DisplaySurface() { delete back_; }

void DisplaySurface::resize(int width, int height) {
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    pitch_ = rowPitch(width_, format_.bitCount);
    words_.assign(static_cast<size_t>(pitch_ / 4) * static_cast<size_t>(height_), 0);
    holdsFrame_ = false;
}

bool DisplaySurface::isLost() const { return lostGeneration_ != shared_->lostGeneration; }

uint32_t DisplaySurface::getDesc(int& width, int& height, DisplayFormat& format) const {
    if (uint32_t r = fault(DisplayStep::GetDesc)) return r;
    width = width_;
    height = height_;
    format = format_;
    return dd::kOk;
}

uint32_t DisplaySurface::lock(DisplayLock& out) {
    if (uint32_t r = fault(DisplayStep::Lock)) return r;
    if (isLost()) return dd::kSurfaceLost;
    if (locked_) return dd::kGeneric;
    locked_ = true;
    out = {reinterpret_cast<uint8_t*>(words_.data()), pitch_, width_, height_};
    return dd::kOk;
}

uint32_t DisplaySurface::unlock() {
    if (!locked_) return dd::kInvalidParams;
    locked_ = false;
    return dd::kOk;
}

uint32_t DisplaySurface::restore() {
    if (uint32_t r = fault(DisplayStep::Restore)) return r;
    lostGeneration_ = shared_->lostGeneration;
    if (back_) back_->lostGeneration_ = lostGeneration_;
    holdsFrame_ = false;
    return dd::kOk;
}

uint32_t DisplaySurface::fill(const Rect* rect, uint32_t value) {
    if (uint32_t r = fault(DisplayStep::Fill)) return r;
    if (isLost()) return dd::kSurfaceLost;
    Rect r = rect ? *rect : Rect{0, 0, width_, height_};
    r = {std::max(r.left, 0), std::max(r.top, 0), std::min(r.right, width_), std::min(r.bottom, height_)};
    if (r.right <= r.left || r.bottom <= r.top) return dd::kOk;
    const int bytes = static_cast<int>(format_.bitCount / 8);
    if (bytes == 0) return dd::kOk;
    uint8_t* base = reinterpret_cast<uint8_t*>(words_.data());
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            le::storeN(base + static_cast<size_t>(y) * pitch_ + static_cast<size_t>(x) * bytes, value,
                       static_cast<size_t>(bytes));
    return dd::kOk;
}

uint32_t DisplaySurface::bltFast(int x, int y, const DisplaySurface& src, const Rect* srcRect) {
    if (isLost() || src.isLost()) return dd::kSurfaceLost;
    if (src.format_.bitCount != format_.bitCount) return dd::kInvalidParams;
    const Rect r = srcRect ? *srcRect : Rect{0, 0, src.width_, src.height_};
    // The source's corner stays over (x, y): what is cut off one side of either surface moves
    // the other's edge with it. In 64 bits, so that no rectangle or place can overflow.
    int64_t left = r.left, top = r.top, right = r.right, bottom = r.bottom, dx = x, dy = y;
    const int64_t cutLeft = std::max({int64_t{0}, -left, -dx}), cutTop = std::max({int64_t{0}, -top, -dy});
    left += cutLeft;
    dx += cutLeft;
    top += cutTop;
    dy += cutTop;
    right = std::min({right, int64_t{src.width_}, left + (width_ - dx)});
    bottom = std::min({bottom, int64_t{src.height_}, top + (height_ - dy)});
    if (right <= left || bottom <= top) return dd::kOk;
    const Rect s{static_cast<int>(left), static_cast<int>(top), static_cast<int>(right), static_cast<int>(bottom)};
    x = static_cast<int>(dx);
    y = static_cast<int>(dy);
    const size_t bytes = format_.bitCount / 8;
    const size_t run = static_cast<size_t>(s.right - s.left) * bytes;
    const uint8_t* from = src.bytes();
    uint8_t* to = reinterpret_cast<uint8_t*>(words_.data());
    // Only a surface blitted onto itself can overlap; memcpy for the rest, as the address
    // sanitizer's memmove copies byte by byte.
    const bool apart = &src != this;
    for (int row = s.top; row < s.bottom; ++row) {
        uint8_t* d = to + static_cast<size_t>(y + row - s.top) * pitch_ + static_cast<size_t>(x) * bytes;
        const uint8_t* f = from + static_cast<size_t>(row) * src.pitch_ + static_cast<size_t>(s.left) * bytes;
        if (apart)
            std::memcpy(d, f, run);
        else
            std::memmove(d, f, run);
    }
    return dd::kOk;
}

// ---- the device -------------------------------------------------------------------------------

Display::Display() : shared_(std::make_shared<DisplayShared>()) {}

Display::~Display() {
    if (modeSet_) restoreDisplayMode();
}

uint32_t Display::create(bool, std::unique_ptr<Display>& out) {
    out.reset();
    if (uint32_t r = fault(DisplayStep::Create)) return r;
    out.reset(new Display());
    return dd::kOk;
}

uint32_t Display::query() { return fault(DisplayStep::Query); }

uint32_t Display::setCooperativeLevel(HWND window, bool exclusive) {
    if (uint32_t r = fault(DisplayStep::CooperativeLevel)) return r;
    if (!isWindow(window)) return dd::kInvalidParams;
    window_ = window;
    exclusive_ = exclusive;
    return dd::kOk;
}

int Display::desktopDepth() const { return platform::desktopDepth(); }

uint32_t Display::enumModes(const std::function<void(const DisplayMode&)>& each) {
    if (uint32_t r = fault(DisplayStep::EnumModes)) return r;
    for (const DisplayMode& m : displayModes()) each(m);
    return dd::kOk;
}

uint32_t Display::setDisplayMode(const DisplayMode& mode) {
    if (uint32_t r = fault(DisplayStep::SetMode)) return r;
    if (!exclusive_ || !window_) return dd::kGeneric;
    const auto modes = displayModes();
    if (std::find(modes.begin(), modes.end(), mode) == modes.end() && !scalesToDesktop()) return dd::kUnsupportedMode;
    // The desktop keeps its mode: the window covers it and the frame is scaled to fit.
    setWindowFullScreen(window_, true);
    mode_ = mode;
    modeSet_ = true;
    return dd::kOk;
}

bool Display::scalesToDesktop() const { return currentBackend() == Backend::Sdl || settings().scales; }

uint32_t Display::restoreDisplayMode() {
    if (modeSet_ && window_) setWindowFullScreen(window_, false);
    modeSet_ = false;
    mode_ = {};
    return dd::kOk;
}

uint32_t Display::createPrimary(int backBuffers, std::unique_ptr<DisplaySurface>& out) {
    out.reset();
    if (uint32_t r = fault(backBuffers > 0 ? DisplayStep::PrimaryChain : DisplayStep::Primary)) return r;
    if (!window_) return dd::kGeneric;
    int w = mode_.width, h = mode_.height, bits = mode_.bits;
    if (!modeSet_) {
        Rect client;
        getClientRect(window_, client);
        w = client.width();
        h = client.height();
        bits = desktopDepth();
    }
    out.reset(new DisplaySurface(shared_, w, h, formatForDepth(bits)));
    if (backBuffers > 0) out->back_ = new DisplaySurface(shared_, w, h, out->format_);
    return dd::kOk;
}

uint32_t Display::getAttachedBack(DisplaySurface& primary, DisplaySurface*& out) {
    out = nullptr;
    if (uint32_t r = fault(DisplayStep::AttachedBack)) return r;
    if (!primary.back_) return dd::kGeneric;
    out = primary.back_;
    return dd::kOk;
}

uint32_t Display::createOffscreen(int width, int height, bool videoMemory, std::unique_ptr<DisplaySurface>& out) {
    out.reset();
    if (uint32_t r = fault(videoMemory ? DisplayStep::OffscreenVideo : DisplayStep::OffscreenSystem)) return r;
    if (width <= 0 || height <= 0) return dd::kInvalidParams;
    out.reset(new DisplaySurface(shared_, width, height, formatForDepth(modeSet_ ? mode_.bits : desktopDepth())));
    return dd::kOk;
}

uint32_t Display::createClipper() {
    if (uint32_t r = fault(DisplayStep::Clipper)) return r;
    clipper_ = true;
    return dd::kOk;
}

uint32_t Display::setClipperWindow(HWND window) {
    if (uint32_t r = fault(DisplayStep::ClipperWindow)) return r;
    return clipper_ && isWindow(window) ? dd::kOk : dd::kInvalidParams;
}

uint32_t Display::attachClipper(DisplaySurface&) {
    if (uint32_t r = fault(DisplayStep::ClipperAttach)) return r;
    return clipper_ ? dd::kOk : dd::kInvalidParams;
}

uint32_t Display::setPalette(DisplaySurface& primary) {
    if (uint32_t r = fault(DisplayStep::Palette)) return r;
    return primary.isLost() ? dd::kSurfaceLost : dd::kOk;
}

uint32_t Display::show(const DisplaySurface& s, const std::vector<Rect>* areas) {
    ++presents_;
    if (!window_ || s.width() <= 0 || s.height() <= 0) return dd::kOk;
    const DisplayFormat& f = s.format();
    if (f.bitCount == 32 && f.redMask == 0xFF0000 && f.greenMask == 0xFF00 && f.blueMask == 0xFF) {
        presentPixels(window_, reinterpret_cast<const uint32_t*>(s.bytes()), s.width(), s.height(), s.pitch() / 4,
                      areas);
        return dd::kOk;
    }
    const int bytes = static_cast<int>(f.bitCount / 8);
    if (bytes < 2) return dd::kOk;  // palette displays are not shown
    // The pixels shown are kept: only the areas need converting again.
    const size_t count = static_cast<size_t>(s.width()) * s.height();
    if (shown_.size() != count || shownWidth_ != s.width()) areas = nullptr;
    shown_.resize(count);
    shownWidth_ = s.width();
    // The areas come from blt, already inside the surface.
    const std::vector<Rect> whole{{0, 0, s.width(), s.height()}};
    for (const Rect& c : areas ? *areas : whole) {
        for (int y = c.top; y < c.bottom; ++y) {
            const uint8_t* row = s.bytes() + static_cast<size_t>(y) * s.pitch();
            for (int x = c.left; x < c.right; ++x) {
                const auto v = static_cast<uint32_t>(le::loadN(row + x * bytes, static_cast<size_t>(bytes)));
                shown_[static_cast<size_t>(y) * s.width() + x] =
                    0xFF000000u | widen(v, f.redMask) << 16 | widen(v, f.greenMask) << 8 | widen(v, f.blueMask);
            }
        }
    }
    presentPixels(window_, shown_.data(), s.width(), s.height(), s.width(), areas);
    return dd::kOk;
}

uint32_t Display::blt(DisplaySurface& primary, const Rect& target, const DisplaySurface& src,
                      const std::vector<Rect>* areas) {
    if (uint32_t r = fault(DisplayStep::Blt)) return r;
    if (primary.isLost() || src.isLost()) return dd::kSurfaceLost;
    if (primary.format().bitCount != src.format().bitCount) return dd::kInvalidParams;
    // The window is as large as the frame; a target of another size shows the frame at its own.
    (void)target;
    if (primary.width() != src.width() || primary.height() != src.height()) primary.resize(src.width(), src.height());
    // Areas alone only onto a primary that holds the frame shown before.
    if (!areas || !primary.holdsFrame_) {
        primary.bltFast(0, 0, src, nullptr);
        primary.holdsFrame_ = true;
        return show(primary, nullptr);
    }
    std::vector<Rect> inside;
    for (const Rect& a : *areas) {
        const Rect c{std::max(a.left, 0), std::max(a.top, 0), std::min(a.right, src.width()),
                     std::min(a.bottom, src.height())};
        if (c.right <= c.left || c.bottom <= c.top) continue;
        primary.bltFast(c.left, c.top, src, &c);
        inside.push_back(c);
    }
    if (inside.empty()) return dd::kOk;
    return show(primary, &inside);
}

uint32_t Display::flip(DisplaySurface& primary) {
    if (uint32_t r = fault(DisplayStep::Flip)) return r;
    if (primary.isLost()) return dd::kSurfaceLost;
    if (!primary.back_) return dd::kGeneric;
    std::swap(primary.words_, primary.back_->words_);
    primary.holdsFrame_ = false;
    return show(primary, nullptr);
}

uint32_t Display::flipToGdi() { return dd::kOk; }

void Display::loseSurfaces() { ++shared_->lostGeneration; }

// ---- listings ---------------------------------------------------------------------------------

std::vector<DisplayMode> displayModes() {
    if (settings().modes) return *settings().modes;
    if (currentBackend() == Backend::Sdl) return detail::activeBackend().displayModes();
    return kHeadlessModes;
}

int desktopDepth() {
    if (currentBackend() == Backend::Sdl) return detail::activeBackend().desktopDepth();
    return settings().desktopDepth;
}

namespace headless {
void setDisplayModes(const std::vector<DisplayMode>& modes) { settings().modes = modes; }
void setDesktopDepth(int bits) { settings().desktopDepth = bits; }
void setScaledFullScreen(bool on) { settings().scales = on; }
void setDisplayFormat(const DisplayFormat& format) { settings().format = format; }
void failDisplayStep(DisplayStep step, uint32_t result, int count) {
    if (step < DisplayStep::Count) settings().faults[static_cast<size_t>(step)] = {result, count};
}
void resetDisplay() { settings() = HeadlessDisplay{}; }
}  // namespace headless

}  // namespace platform
