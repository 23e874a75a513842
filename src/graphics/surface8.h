#pragma once
// Single-channel maps: a plain byte surface, the alpha channel that paints a colour through its
// bytes, and the mask whose level table moves with a position to animate wipes.
#include <cstdint>

#include "graphics/draw_record.h"
#include "graphics/image_source.h"
#include "graphics/rect.h"

namespace graphics {

class TSurface32;

class TSurface8 {
public:
    TSurface8() = default;
    virtual ~TSurface8();
    TSurface8(const TSurface8&) = delete;
    TSurface8& operator=(const TSurface8&) = delete;

    // False when pixels exist, the size is not positive or memory runs out. Contents undefined;
    // rows are padded to a multiple of 4 bytes.
    virtual bool alloc(int32_t width, int32_t height);
    virtual bool createCopy(const TSurface8& src);
    // Grey levels of the image (77 R + 150 G + 29 B) >> 8. False for a malformed image.
    virtual bool createFromImage(const ImageSource& img);
    bool createFromImage(const TImage& img);
    virtual bool createFill(int32_t width, int32_t height, uint8_t value);
    virtual void release();
    // Copies the source rectangle to (dx, dy) as into a window of the rectangle's own size (a
    // negative dx drops the first -dx columns and starts at column 0, a positive one drops the
    // last dx columns), and never outside either surface. Always true.
    virtual bool copyRect(int32_t dx, int32_t dy, const TSurface8& src, const RECT& srcRect);
    virtual bool copyFrom(int32_t dx, int32_t dy, const TSurface8& src);
    virtual bool fill(uint8_t value);

    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    int32_t pitch() const { return pitch_; }
    uint32_t byteSize() const { return byteSize_; }
    uint8_t* pixels() {
        touch();
        return pixels_;
    }
    const uint8_t* pixels() const { return pixels_; }
    uint8_t* row(int32_t y) {
        touch();
        return pixels_ + static_cast<ptrdiff_t>(y) * pitch_;
    }
    // Changes whenever the bytes may have changed, as a 32-bit surface's stamp does.
    uint64_t stamp() const { return stamp_; }
    void touch() { stamp_ = nextDrawStamp(); }
    const uint8_t* row(int32_t y) const { return pixels_ + static_cast<ptrdiff_t>(y) * pitch_; }

private:
    uint8_t* pixels_ = nullptr;
    uint32_t byteSize_ = 0;
    int32_t width_ = 0;
    int32_t height_ = 0;
    int32_t pitch_ = 0;
    uint64_t stamp_ = nextDrawStamp();
};

class TAlphaCh : public TSurface8 {
public:
    using TSurface8::createFromImage;
    // For a 32-bit image each byte takes the alpha of the image pixel (the part both share);
    // other depths change nothing.
    virtual bool loadAlpha(const ImageSource& img);
    // alpha false: grey levels; true: the image's alpha bytes.
    virtual bool createFromImage(const ImageSource& img, bool alpha);
    bool loadAlpha(const TImage& img);
    bool createFromImage(const TImage& img, bool alpha);
    // Paints colour through the bytes of mapRect onto dst at (x, y), ignoring its clip: the
    // caller keeps both rectangles inside their surfaces (nothing is written past dst's reach).
    virtual void applyColor(TSurface32& dst, int32_t x, int32_t y, uint32_t colour, const RECT& mapRect,
                            uint32_t opacity);
    // The whole map placed at (x, y), clipped to the destination.
    virtual void drawColor(TSurface32& dst, int32_t x, int32_t y, uint32_t colour, uint32_t opacity);
};

class TAlphaMask {
public:
    TAlphaMask();
    virtual ~TAlphaMask() = default;

    // Paints colour through the levels of the map's bytes in mapRect onto dst at (x, y); no
    // clipping beyond keeping inside the map and dst's reach.
    virtual void apply(TSurface32& dst, int32_t x, int32_t y, uint32_t colour, const RECT& mapRect, uint32_t opacity);
    // The whole map placed at (x, y), clipped to the destination.
    virtual void draw(TSurface32& dst, int32_t x, int32_t y, uint32_t colour, uint32_t opacity);

    // Rebuilds the level table for a position (mode 0 identity, 1 falling ramp, 2 its
    // complement; then scaled by the opacity below 255).
    void makeTable(int32_t position);
    void setMode(int32_t mode);
    void setStep(int32_t step);
    void setRange(int32_t range);

    // The owner sets the map (not owned) and the position.
    void setMap(TSurface8* map) { map_ = map; }
    void setPosition(int32_t position) { position_ = position; }

    TSurface8* map() const { return map_; }
    int32_t mode() const { return mode_; }
    uint32_t opacity() const { return opacity_; }
    int32_t step() const { return step_; }
    int32_t range() const { return range_; }
    int32_t position() const { return position_; }
    const uint8_t* table() const { return table_; }

    // How often the table was rebuilt; lets tests see that an unchanged setting does nothing.
    uint32_t tableBuilds() const { return builds_; }

private:
    TSurface8* map_ = nullptr;
    int32_t mode_ = 0;
    uint32_t opacity_ = 255;
    int32_t step_ = 1;
    int32_t range_ = 256;
    int32_t position_ = 0;
    uint8_t table_[256];
    uint32_t builds_ = 0;
};

}  // namespace graphics
