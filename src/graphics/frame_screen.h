#pragma once
// The frame's screen: the display device and the one screen object, as the frame chain uses
// them. Each frame the screen's objects (and the cursor over them) are recorded rather than
// drawn, the record is held against the one the picture on the screen was drawn from, and only
// where the two differ is drawn again, converted into the display's back surface and shown: a
// screen that stands still costs the walk over its objects, and a small change its own area.
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "framework/frame_services.h"
#include "graphics/direct_draw.h"
#include "graphics/draw_record.h"
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
    // Every animated sprite one frame on, then the screen's objects recorded for this frame.
    void draw() override;
    // Through the frame's surface set.
    bool loadCursor(const std::string& spec) override;
    // Over the screen's objects in this frame.
    bool drawCursor(int x, int y) override;
    bool hasCursor() const override { return cursor_.getSurface() != nullptr; }
    // Draws what changed since the last frame, then converts and shows it; shows the whole
    // picture when the display needs it whatever it shows (a new mode, restored surfaces, a
    // cleared display, an exposed, resized or re-activated window, the end of a dialog). A frame
    // in which nothing changed draws, converts and shows nothing.
    void present(int how) override;
    void beginSystemDialog() override { directDraw_.flipToGdi(); }
    // What a dialog covered is drawn again.
    void endSystemDialog() override {
        repaint_ = true;
        showAgain_ = true;
    }

    // For tests and tools: each frame is drawn whole into a second picture as well, as if every
    // frame were drawn anew, and held against the screen's picture pixel for pixel, and against
    // what the window was last given to show (on a display of 8 bits a channel).
    void setWholeCheck(bool on);
    int checkedFrames() const { return checked_; }
    // The first frame (counted from the start of the check) whose pictures differed, or -1.
    int firstDifferingFrame() const { return firstDiffering_; }
    // The pixels the last frame drew again (0 when nothing changed).
    int64_t lastDrawnArea() const { return lastDrawn_; }
    // With the check on, a part of the picture (what `drawing` draws into the surface it is
    // given; empty: none) is also written down alone each frame; watchedDiffers tells whether,
    // as things stand now, that part would draw otherwise than in the frame shown. It draws
    // nothing, and may be asked in the middle of a frame.
    void watch(std::function<void(TSurface32&)> drawing) { watched_ = std::move(drawing); }
    bool watchedDiffers();

    TGraphic& graphic() { return graphic_; }
    TSurfaceSet& surfaceSet() { return surfaces_; }
    TSprite32& cursor() { return cursor_; }
    TDirectDraw& directDraw() { return directDraw_; }
    uint32_t lastError() const { return lastError_; }

private:
    static intptr_t windowHook(TWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam, void* user);
    void unhook();
    // The screen's objects and the cursor recorded into next_.
    void record(const std::function<void()>& drawing);
    void checkWhole();
    // The watched part alone, as it would draw now.
    void recordWatched(DrawRecord& into);

    int layers_;
    TGraphic graphic_;
    TDirectDraw directDraw_;
    TSurfaceSet surfaces_;
    TSprite32 cursor_;
    TWindow* hooked_ = nullptr;
    platform::HWND hookedHandle_ = nullptr;
    uint32_t lastError_ = 0;
    DrawRecord shown_;          // what the screen's picture was drawn from
    DrawRecord next_;           // this frame's drawing
    bool recorded_ = false;     // next_ holds this frame's drawing, not drawn yet
    bool cursorShown_ = false;  // the cursor is drawn over this frame at (cursorX_, cursorY_)
    int cursorX_ = 0;
    int cursorY_ = 0;
    bool repaint_ = true;    // the next frame is drawn whole
    bool showAgain_ = true;  // the next present shows the picture whatever it is
    int64_t lastDrawn_ = 0;
    std::unique_ptr<TSurface32> whole_;  // the picture of the check
    std::function<void(TSurface32&)> watched_;
    DrawRecord watchedNext_;   // what it drew in this frame
    DrawRecord watchedShown_;  // and in the frame shown
    int checked_ = 0;
    int firstDiffering_ = -1;
};

// Frames built from now on get a GraphicScreen with this many layers.
void useGraphicScreenForFrames(int layers = GraphicScreen::kDefaultLayers);

}  // namespace graphics
