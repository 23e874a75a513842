#pragma once
// The frame's screen: the display device and the one screen object, as the frame chain uses
// them. Each frame the screen object draws what its objects reported changed and the frame is
// converted into the display's back surface and shown, unless it is the very picture shown
// last: a screen that stands still is not converted and shown again 60 times a second.
#include <cstdint>
#include <memory>
#include <vector>

#include "framework/frame_services.h"
#include "graphics/direct_draw.h"
#include "graphics/graphic.h"
#include "graphics/spr_maker.h"

class TWindow;

namespace graphics {

class GraphicScreen : public TFrameScreen {
public:
    // The screen object gets this many layers when the display is first set up.
    explicit GraphicScreen(int layers = kDefaultLayers);
    ~GraphicScreen() override;

    static constexpr int kDefaultLayers = 100;

    // False (lastError() tells why) when the display refuses the mode.
    bool setMode(TWindow* window, bool fullScreen, int width, int height, int depth) override;
    // 1 releases the device as well.
    void close(int how) override;
    void clear(int colour) override;
    void clipToWindow(TWindow* window) override;
    void restoreSurfaces() override;
    void step() override {}
    // Every animated sprite one frame on, then what changed drawn again.
    void draw() override;
    // Through the frame's surface set.
    bool loadCursor(const std::string& spec) override;
    // Into the screen surface; where it was is drawn again in the next frame.
    bool drawCursor(int x, int y) override;
    bool hasCursor() const override { return cursor_.getSurface() != nullptr; }
    // Converts and shows the screen object's picture when it differs from the one shown last,
    // or when the display needs it whatever it shows (a new mode, restored surfaces, a cleared
    // display, an exposed, resized or re-activated window, the end of a dialog).
    void present(int how) override;
    void beginSystemDialog() override { directDraw_.flipToGdi(); }
    // What a dialog covered is drawn again.
    void endSystemDialog() override {
        graphic_.invalidate();
        showAgain_ = true;
    }

    TGraphic& graphic() { return graphic_; }
    TSurfaceSet& surfaceSet() { return surfaces_; }
    TSprite32& cursor() { return cursor_; }
    TDirectDraw& directDraw() { return directDraw_; }
    uint32_t lastError() const { return lastError_; }

private:
    static intptr_t windowHook(TWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam, void* user);
    void unhook();
    // Whether the screen object's picture differs from shown_; shown_ takes it either way.
    bool pictureChanged();

    int layers_;
    TGraphic graphic_;
    TDirectDraw directDraw_;
    TSurfaceSet surfaces_;
    TSprite32 cursor_;
    TWindow* hooked_ = nullptr;
    platform::HWND hookedHandle_ = nullptr;
    uint32_t lastError_ = 0;
    std::vector<uint32_t> shown_;  // the picture last shown, row after row
    bool showAgain_ = true;        // the next present shows the picture whatever it is
};

// Frames built from now on get a GraphicScreen with this many layers.
void useGraphicScreenForFrames(int layers = GraphicScreen::kDefaultLayers);

}  // namespace graphics
