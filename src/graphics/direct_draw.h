#pragma once
// The display of the game window: the device, the visible (primary) surface, the back surface
// that frames are converted into, and the way they are shown: windowed (the back surface copied
// into the window's client area) or full screen (a display mode chosen from a chain of depths,
// and a flipping chain). Lost surfaces are restored by the presenting calls themselves, and the
// window hears of it (kMsgRestored) so that everything is drawn again. Window thread only.
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/display.h"
#include "platform/window_system.h"

namespace graphics {

class TDirectDraw {
public:
    struct Mode {
        int32_t width = 0;
        int32_t height = 0;
        int32_t bits = 0;
        bool operator==(const Mode&) const = default;
    };

    // Sent to the window after the surfaces were restored, and before they are released.
    static constexpr uint32_t kMsgRestored = 0x400 + 1000;
    static constexpr uint32_t kMsgReleasing = 0x400 + 1001;

    // Result codes of create.
    static constexpr uint32_t kErrNoWindow = 0x2001001;
    static constexpr uint32_t kErrCreate = 0x3004101;
    static constexpr uint32_t kErrQuery = 0x1001003;
    static constexpr uint32_t kErrCooperativeLevel = 0x3004102;
    static constexpr uint32_t kErrNoModes = 0x3004103;
    static constexpr uint32_t kErrDepth = 0x3004104;
    static constexpr uint32_t kErrSetMode = 0x3004105;
    static constexpr uint32_t kErrPrimary = 0x3004106;
    static constexpr uint32_t kErrBackBuffer = 0x3004107;
    static constexpr uint32_t kErrBackSurface = 0x3004108;
    static constexpr uint32_t kErrClipper = 0x3004109;
    static constexpr uint32_t kErrClipperWindow = 0x3004110;
    static constexpr uint32_t kErrClipperAttach = 0x3004111;
    static constexpr uint32_t kErrRestore = 0x3004112;

    TDirectDraw() = default;
    virtual ~TDirectDraw();
    TDirectDraw(const TDirectDraw&) = delete;
    TDirectDraw& operator=(const TDirectDraw&) = delete;

    // 0 when the display is ready, else one of the codes above (after mapError). What was made
    // before a failure stays for releaseAll.
    virtual uint32_t create(platform::HWND window, bool fullScreen, Mode mode);
    virtual uint32_t createMode(platform::HWND window, bool fullScreen, int32_t width, int32_t height, int32_t bits) {
        return create(window, fullScreen, Mode{width, height, bits});
    }
    // Releases the surfaces (the window hears kMsgReleasing first) and, asked to, the device.
    virtual void releaseAll(bool device);
    virtual bool restore();
    // Shows the back surface; false when it could not be shown.
    virtual bool flip(bool blit);
    // The same when only the areas (back-surface coordinates) changed since the back surface was
    // last shown: windowed, they alone are copied and shown; full screen flips as flip does.
    bool flipAreas(const std::vector<platform::Rect>& areas);
    virtual uint32_t mapError(uint32_t result, uint32_t code) const;
    virtual bool bltFast(int32_t x, int32_t y, platform::DisplaySurface& src, const platform::Rect* srcRect);
    // Colour fills of the back surface (the value in the display's format).
    virtual bool fillRect(const platform::Rect& rect, uint32_t colour);
    virtual bool fill(uint32_t colour);
    // Both buffers filled. Always true.
    virtual bool clearBuffers(uint32_t colour);
    virtual void flipToGdi();
    virtual bool hasMode(const Mode& mode) const;
    virtual bool resetPalette();

    // The window's client area (its size; the frame is shown at its own size).
    void setClientRect(platform::HWND window);
    // The display's modes, each {width, height, bits} once per run of equal entries; the count.
    int enumModes();

    platform::Display* device() const { return device_.get(); }
    platform::DisplaySurface* primary() const { return primary_.get(); }
    platform::DisplaySurface* back() const { return back_; }
    platform::HWND window() const { return window_; }
    const std::vector<Mode>& modes() const { return modes_; }
    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    int32_t bitsPerPixel() const { return bits_; }
    bool isFullScreen() const { return fullScreen_ != 0; }
    bool backInVideoMemory() const { return backInVideoMemory_ != 0; }
    const platform::Rect& clientRect() const { return clientRect_; }
    void setEmulationOnly(bool on) { emulationOnly_ = on ? 1 : 0; }
    void setBackBufferCount(int32_t n) { backBufferCount_ = n; }

private:
    // Repeats a back-surface call while it reports still drawing; a lost surface is restored.
    template <class Call>
    bool backCall(Call call);
    void announce(uint32_t message);

    int32_t width_ = 0;
    int32_t height_ = 0;
    int32_t bits_ = 0;
    platform::HWND window_ = nullptr;
    platform::Rect clientRect_{};
    int32_t emulationOnly_ = 0;
    int32_t fullScreen_ = 1;
    int32_t backInVideoMemory_ = 1;
    int32_t backBufferCount_ = 2;
    std::unique_ptr<platform::Display> device_;
    std::unique_ptr<platform::DisplaySurface> primary_;
    std::unique_ptr<platform::DisplaySurface> offscreen_;  // the windowed back surface
    platform::DisplaySurface* back_ = nullptr;             // offscreen_, or the chain's back buffer
    bool clipper_ = false;
    bool palette_ = false;
    std::vector<Mode> modes_;
};

}  // namespace graphics
