#pragma once
// The memory surface every picture is composed in: 32-bit ARGB pixels, rows top to bottom,
// pitch 4 x width. Drawing on a surface without pixels does nothing.
#include <cstdint>
#include <memory>

#include "graphics/draw_record.h"
#include "graphics/image_source.h"
#include "graphics/image_trans.h"
#include "graphics/rect.h"

namespace graphics {

class TSurface32 {
public:
    static constexpr uint32_t kFlagClip = 0x10000;
    static constexpr uint32_t kFlagAlpha = 0x20000;
    static constexpr uint32_t kFlagColorKeyed = 0x40000;

    // The first surface made runs the processor test that chooses the pixel kernels (once: a
    // path chosen before stays).
    TSurface32();
    virtual ~TSurface32();
    TSurface32(const TSurface32&) = delete;
    TSurface32& operator=(const TSurface32&) = delete;

    // The clip is never wider than the limit while one is set.
    virtual void resetClip();
    virtual void setClip(const RECT& r);
    // Drawing on the surface stays inside r (intersected with the surface) until clearLimit,
    // whatever clip a drawing sets on the way; the clip becomes the limit.
    void setLimit(const RECT& r);
    void clearLimit() { limited_ = false; }
    // While a record is set, drawing operations on this surface are written into it instead of
    // drawn (the record is not owned).
    void setRecorder(DrawRecord* record) { recorder_ = record; }
    DrawRecord* recorder() const { return recorder_; }
    // Changes whenever the pixels may have changed (every writing operation, every writable
    // access to the pixels): a surface's identity and stamp name what it shows.
    uint64_t stamp() const { return stamp_; }
    void touch() { stamp_ = nextDrawStamp(); }
    virtual void setTag(uint32_t tag) { tag_ = tag; }
    virtual uint32_t setFlags(uint32_t flags);
    virtual void setColorKeyed(bool on);
    virtual void setHasAlpha(bool on);
    // False when pixels exist, the size is not positive or memory runs out. Contents undefined.
    virtual bool alloc(int32_t width, int32_t height);
    virtual bool createCopy(const TSurface32& src);
    virtual bool createFromImage(const ImageSource& img, const TImageTrans* spec);
    virtual bool createFromImage(const ImageSource& img) { return createFromImage(img, nullptr); }
    virtual bool createFilled(int32_t width, int32_t height, uint32_t colour);
    virtual bool create(int32_t width, int32_t height) { return alloc(width, height); }
    virtual void release();
    virtual void fillRect(int32_t left, int32_t top, int32_t right, int32_t bottom, uint32_t colour);
    virtual void fill(uint32_t colour);
    // A copy of this surface, owned by the caller; null when it cannot be made.
    virtual std::unique_ptr<TSurface32> clone() const;
    // Copies the source rectangle to (dx, dy), clipped to both surfaces. Always true.
    virtual bool copyRect(int32_t dx, int32_t dy, const TSurface32& src, const RECT& srcRect);
    virtual bool copyFrom(int32_t dx, int32_t dy, const TSurface32& src);
    // Converts the image's pixels into this surface (the part both share). False when the
    // image is malformed or there are no pixels.
    virtual bool loadImage(const ImageSource& img, const TImageTrans* spec);
    // Replaces the alpha of every pixel from a grey or mask image (the part both share).
    virtual bool loadAlphaFromImage(const ImageSource& img);
    // The same from a DIB image.
    bool createFromImage(const TImage& img, const TImageTrans* spec);
    bool createFromImage(const TImage& img) { return createFromImage(img, nullptr); }
    bool loadImage(const TImage& img, const TImageTrans* spec);
    bool loadAlphaFromImage(const TImage& img);
    virtual void blendPixel(int32_t x, int32_t y, uint32_t colour);
    virtual uint32_t getPixel(int32_t x, int32_t y) const;
    virtual void drawHLine(int32_t x1, int32_t x2, int32_t y, uint32_t colour);
    virtual void drawVLine(int32_t x, int32_t y1, int32_t y2, uint32_t colour);
    virtual void drawRect(int32_t left, int32_t top, int32_t right, int32_t bottom, uint32_t colour);
    virtual void blendRect(int32_t left, int32_t top, int32_t right, int32_t bottom, uint32_t colour);
    virtual void blendAll(uint32_t colour);
    virtual void addRect(int32_t left, int32_t top, int32_t right, int32_t bottom, uint32_t colour);
    virtual void subtractRect(int32_t left, int32_t top, int32_t right, int32_t bottom, uint32_t colour);
    virtual void drawCircle(int32_t cx, int32_t cy, int32_t radius, uint32_t colour);
    virtual void fillTriangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, uint32_t colour);
    virtual void tintRect(int32_t left, int32_t top, int32_t right, int32_t bottom, uint32_t colour);
    virtual void tintAll(uint32_t colour);

    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    uint32_t pitch() const { return pitch_; }
    uint32_t byteSize() const { return byteSize_; }
    uint32_t* pixels() {
        touch();
        return pixels_;
    }
    const uint32_t* pixels() const { return pixels_; }
    uint32_t* row(int32_t y) {
        touch();
        return pixels_ + static_cast<ptrdiff_t>(y) * width_;
    }
    const uint32_t* row(int32_t y) const { return pixels_ + static_cast<ptrdiff_t>(y) * width_; }
    uint32_t flags() const { return flags_; }
    bool hasAlpha() const { return (flags_ & kFlagAlpha) != 0; }
    bool isColorKeyed() const { return (flags_ & kFlagColorKeyed) != 0; }
    const RECT& clip() const { return clip_; }
    uint32_t tag() const { return tag_; }
    // The clip rectangle within the surface: where drawing may write.
    RECT drawableRect() const;
    // The surface, or the limit while one is set: where even the drawing that ignores the clip
    // writes (copies, single pixels, circles, a colour through a map, the row of a horizontal
    // line and the column of a vertical one).
    RECT reach() const;

    static int liveCount();

private:
    // The rectangle intersected with the surface and the clip; empty when nothing is left.
    RECT clipped(int32_t left, int32_t top, int32_t right, int32_t bottom) const;
    // addRect (subtract false) and subtractRect: the colour scaled by its alpha, saturating.
    void saturatingRect(int32_t left, int32_t top, int32_t right, int32_t bottom, uint32_t colour, bool subtract);
    void plot(int32_t x, int32_t y, uint32_t colour);
    // While a record is kept the operation is written into it instead of drawn: true then.
    bool noted(const RECT& bounds, bool whole, const DrawKey& key) const {
        if (!recorder_) return false;
        recorder_->add(bounds, key.value(), whole);
        return true;
    }

    int32_t width_ = 0;
    int32_t height_ = 0;
    uint32_t* pixels_ = nullptr;
    uint32_t byteSize_ = 0;
    uint32_t pitch_ = 0;
    uint32_t flags_ = 0;
    RECT clip_{};
    uint32_t tag_ = 0;
    RECT limit_{};
    bool limited_ = false;
    DrawRecord* recorder_ = nullptr;
    uint64_t stamp_ = nextDrawStamp();
};

// Clips a map rectangle placed at (x, y) so that it stays inside the map and inside the
// destination rectangle, moving the position with the left and top edges; false when nothing
// is left.
bool clipPlacement(const RECT& mapBounds, const RECT& dstBounds, int32_t& x, int32_t& y, RECT& r);

}  // namespace graphics
