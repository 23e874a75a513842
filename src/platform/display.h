#pragma once
// The display device: what the game's screen code asks of the graphics hardware, with the
// result codes it expects. Surfaces are CPU memory in the display's pixel format. Presenting
// hands the visible surface to the window's back end: on SDL an ARGB streaming texture scaled
// to the window (desktop full screen keeps the logical size); headless a copy that tests read
// with lastPresentedFrame. Surfaces are never lost by themselves: loseSurfaces stands in for a
// driver that loses them, and the step faults below for one that fails, so that the recovery
// paths can be driven. Main thread only.
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/window_system.h"

namespace platform {

// Result codes of the display calls (0 is success).
namespace dd {
constexpr uint32_t kOk = 0;
constexpr uint32_t kWasStillDrawing = 0x8876021Cu;
constexpr uint32_t kSurfaceLost = 0x887601C2u;
constexpr uint32_t kGeneric = 0x80004005u;
constexpr uint32_t kOutOfMemory = 0x8007000Eu;
constexpr uint32_t kOutOfVideoMemory = 0x8876017Cu;
constexpr uint32_t kNoDirectDrawHw = 0x88760233u;
constexpr uint32_t kUnsupportedMode = 0x8876024Eu;
constexpr uint32_t kInvalidParams = 0x80070057u;
}  // namespace dd

struct DisplayMode {
    int width = 0;
    int height = 0;
    int bits = 0;
    bool operator==(const DisplayMode&) const = default;
};

// Bits per pixel and the channel masks of a surface (masks are 0 at 8 bits or fewer).
struct DisplayFormat {
    uint32_t bitCount = 32;
    uint32_t redMask = 0xFF0000;
    uint32_t greenMask = 0x00FF00;
    uint32_t blueMask = 0x0000FF;
    bool operator==(const DisplayFormat&) const = default;
};

// The calls of the device that a test can make fail.
enum class DisplayStep {
    Create,
    Query,
    CooperativeLevel,
    EnumModes,
    SetMode,
    PrimaryChain,  // the primary surface with back buffers
    Primary,       // the primary surface alone
    AttachedBack,
    OffscreenVideo,
    OffscreenSystem,
    Clipper,
    ClipperWindow,
    ClipperAttach,
    Palette,
    Restore,
    GetDesc,
    Lock,
    Blt,
    Flip,
    Fill,
    Count
};

struct DisplayLock {
    uint8_t* bits = nullptr;
    int pitch = 0;  // bytes from one row to the next
    int width = 0;
    int height = 0;
};

class Display;

class DisplaySurface {
public:
    ~DisplaySurface();
    DisplaySurface(const DisplaySurface&) = delete;
    DisplaySurface& operator=(const DisplaySurface&) = delete;

    uint32_t getDesc(int& width, int& height, DisplayFormat& format) const;
    // The whole surface; a lost surface answers kSurfaceLost.
    uint32_t lock(DisplayLock& out);
    uint32_t unlock();
    uint32_t restore();
    bool isLost() const;
    // Colour fill (a value in the surface's format) of a rectangle, null for the whole surface;
    // the rectangle is clipped to the surface.
    uint32_t fill(const Rect* rect, uint32_t value);
    // Copies a rectangle of a surface of the same format to (x, y), clipped to both.
    uint32_t bltFast(int x, int y, const DisplaySurface& src, const Rect* srcRect);

    int width() const { return width_; }
    int height() const { return height_; }
    int pitch() const { return pitch_; }
    const DisplayFormat& format() const { return format_; }
    // The surface's bytes, pitch() bytes a row (what a test reads of a presented frame).
    const uint8_t* bytes() const { return reinterpret_cast<const uint8_t*>(words_.data()); }
    bool locked() const { return locked_; }

private:
    friend class Display;
    DisplaySurface(std::shared_ptr<struct DisplayShared> shared, int width, int height, const DisplayFormat& format);
    void resize(int width, int height);

    std::shared_ptr<struct DisplayShared> shared_;
    int width_ = 0;
    int height_ = 0;
    int pitch_ = 0;
    DisplayFormat format_;
    std::vector<uint32_t> words_;  // whole words, so a 32-bit row is aligned
    uint32_t lostGeneration_ = 0;
    bool locked_ = false;
    bool holdsFrame_ = false;         // a windowed primary: holds the whole frame last shown through it
    DisplaySurface* back_ = nullptr;  // the flipping chain's back buffer, owned by this surface
};

class Display {
public:
    // A device for the active window back end (emulation only changes nothing here).
    static uint32_t create(bool emulationOnly, std::unique_ptr<Display>& out);
    ~Display();
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

    uint32_t query();
    // Normal: shares the desktop; exclusive: the window goes full screen at setDisplayMode.
    uint32_t setCooperativeLevel(HWND window, bool exclusive);
    int desktopDepth() const;
    // Each mode in the order the system lists them; several refresh rates of one mode come in
    // a row.
    uint32_t enumModes(const std::function<void(const DisplayMode&)>& each);
    // Full screen at the mode: one the system lists, or any mode on a display that scales.
    uint32_t setDisplayMode(const DisplayMode& mode);
    // Whether full screen at a mode the system does not list is shown scaled (and letterboxed)
    // over the desktop's own mode instead: always so on the real back end, where full screen
    // never changes the desktop's mode.
    bool scalesToDesktop() const;
    uint32_t restoreDisplayMode();
    // The visible surface; with back buffers a flipping chain whose back buffer getAttachedBack
    // gives (owned by the primary).
    uint32_t createPrimary(int backBuffers, std::unique_ptr<DisplaySurface>& out);
    uint32_t getAttachedBack(DisplaySurface& primary, DisplaySurface*& out);
    uint32_t createOffscreen(int width, int height, bool videoMemory, std::unique_ptr<DisplaySurface>& out);
    uint32_t createClipper();
    uint32_t setClipperWindow(HWND window);
    uint32_t attachClipper(DisplaySurface& primary);
    void releaseClipper() { clipper_ = false; }
    bool hasClipper() const { return clipper_; }
    uint32_t setPalette(DisplaySurface& primary);
    // Windowed presenting: src copied onto the primary (resized to the target rectangle's size)
    // and shown in the window. With areas, only they changed since src was last shown: they
    // alone are copied and shown (all of it when the primary had to be resized).
    uint32_t blt(DisplaySurface& primary, const Rect& target, const DisplaySurface& src,
                 const std::vector<Rect>* areas = nullptr);
    // Full screen: the primary and its back buffer exchange their contents; the new front is shown.
    uint32_t flip(DisplaySurface& primary);
    uint32_t flipToGdi();
    // Every surface of this device reports itself lost until restored.
    void loseSurfaces();

    HWND window() const { return window_; }
    bool exclusive() const { return exclusive_; }
    const DisplayMode& currentMode() const { return mode_; }
    int presentCount() const { return presents_; }

private:
    Display();
    uint32_t show(const DisplaySurface& surface, const std::vector<Rect>* areas);

    std::shared_ptr<struct DisplayShared> shared_;
    HWND window_ = nullptr;
    bool exclusive_ = false;
    bool clipper_ = false;
    bool modeSet_ = false;
    DisplayMode mode_;
    int presents_ = 0;
    std::vector<uint32_t> shown_;  // a display of another format: its pixels as last shown, in ARGB
    int shownWidth_ = 0;
};

// The display modes the system lists and the desktop's depth, from the active back end.
std::vector<DisplayMode> displayModes();
int desktopDepth();

// Turns packed pixels of a format with full 8-bit red, green and blue masks, or of 16-bit
// 5-5-5 and 5-6-5, into ARGB through SDL's own converter (a reference for the program's own
// converters). False when SDL cannot convert that format.
bool referenceConvertFromArgb(const DisplayFormat& format, const uint32_t* argb, int width, int height, uint8_t* out,
                              int outPitch);

namespace headless {
// What the headless display reports and does (reset by headless::reset as well). A mode list
// set here is reported on the real back end too.
void setDisplayModes(const std::vector<DisplayMode>& modes);
void setDesktopDepth(int bits);
// Whether the headless display scales modes it does not list (off until set, and after reset).
void setScaledFullScreen(bool on);
void setDisplayFormat(const DisplayFormat& format);
// The next `count` calls of the step answer `result` instead of doing their work.
void failDisplayStep(DisplayStep step, uint32_t result, int count = 1);
void resetDisplay();
}  // namespace headless

}  // namespace platform
