#pragma once
// TImage: the program's device-independent bitmap. An info block (BITMAPINFOHEADER, then the
// colour table or the bit-field masks) and a pixel buffer, with per-depth pixel access,
// BMP and ARGB saving, and converters into the 32-bit and 16-bit pixels of the graphics layer.
//
// Colours exchanged with getPixel/setPixel are 0xAABBGGRR (red in the low byte; alpha only for
// 32-bit images). Display row y (0 = top) starts at topRow() + y * stride(); stride() is
// negative for a bottom-up image. Every access outside the image reads 0 and writes nothing.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/mem_block.h"
#include "storage/dib.h"
#include "storage/dib_convert.h"

class TStream;
class TImage;

// A palette made from the colour table (entries red, green, blue, flags).
class TPalette {
public:
    struct Entry {
        uint8_t red, green, blue, flags;
    };
    explicit TPalette(std::vector<Entry> entries) : entries_(std::move(entries)) {}
    virtual ~TPalette() = default;
    const std::vector<Entry>& entries() const { return entries_; }

private:
    std::vector<Entry> entries_;
};

// Per-depth pixel access; the image checks coordinates before calling.
class TImagePaint {
public:
    virtual ~TImagePaint() = default;
    virtual void attach(TImage* image) { image_ = image; }
    virtual bool prepare() { return true; }
    virtual uint32_t getPixel(int x, int y) = 0;
    virtual void setPixel(int x, int y, uint32_t colour) = 0;
    virtual uint8_t getIndex(int, int) { return 0; }
    virtual void setIndex(int, int, uint8_t) {}

protected:
    uint8_t* row(int y) const;
    TImage* image_ = nullptr;
};

class TIP_IndexColor : public TImagePaint {
public:
    bool prepare() override;
    uint32_t getPixel(int x, int y) override;
    void setPixel(int x, int y, uint32_t colour) override;

protected:
    int colors_ = 0;
};
class TIP_IndexColor1 : public TIP_IndexColor {
public:
    uint8_t getIndex(int x, int y) override;
    void setIndex(int x, int y, uint8_t index) override;
};
class TIP_IndexColor2 : public TIP_IndexColor {
public:
    uint8_t getIndex(int x, int y) override;
    void setIndex(int x, int y, uint8_t index) override;
};
class TIP_IndexColor4 : public TIP_IndexColor {
public:
    uint8_t getIndex(int x, int y) override;
    void setIndex(int x, int y, uint8_t index) override;
};
class TIP_IndexColor8 : public TIP_IndexColor {
public:
    uint8_t getIndex(int x, int y) override;
    void setIndex(int x, int y, uint8_t index) override;
};
class TIP_DirectColor : public TImagePaint {};
class TIP_DirectColor16 : public TIP_DirectColor {  // 5-5-5, red in bits 10 to 14
public:
    uint32_t getPixel(int x, int y) override;
    void setPixel(int x, int y, uint32_t colour) override;
};
class TIP_DirectColor24 : public TIP_DirectColor {
public:
    uint32_t getPixel(int x, int y) override;
    void setPixel(int x, int y, uint32_t colour) override;
};
class TIP_DirectColor32 : public TIP_DirectColor {
public:
    uint32_t getPixel(int x, int y) override;
    void setPixel(int x, int y, uint32_t colour) override;
};

// Options of convertToArgb32 / convertToAlpha32. flags: 1 colour key (compared as
// 0xFF000000 | colorKey), 2 index key (indexed images), 16 or more a corner key: 16 picks the
// left column (else the right), 32 the top row (else the bottom).
struct ConvertKey {
    uint8_t flags = 0;
    uint32_t colorKey = 0;  // 0x00RRGGBB
    uint32_t indexKey = 0;
};

// Where the draw operations paint: a 32-bit ARGB buffer (there is no device context here).
struct TImageDrawTarget {
    uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int pitchBytes = 0;
};

struct TImageRect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

class TImage {
public:
    static constexpr uint32_t SRCCOPY = 0x00CC0020;

    TImage() = default;
    virtual ~TImage();
    TImage(const TImage&) = delete;
    TImage& operator=(const TImage&) = delete;

    // Colour table entries from {red, green, blue, ignored} quadruples, entries first..last-1.
    virtual bool setColorsRgb(int first, int last, const uint8_t* entries);
    // Colour table entries first..count-1 copied as they are.
    virtual bool setColors(int first, int count, const RGBQUAD* colors);
    virtual bool createPalette();
    // create() at the header's size and depth, then the pixel rows copied (top row first in
    // the result). The source must hold |biHeight| rows of the header's stride.
    virtual bool assign(const BITMAPINFOHEADER* header, const void* bits);
    // The same with the sizes known: false when the bits are shorter than the rows. With the
    // info block's size given, the colour table that follows the header is copied too.
    bool assign(const BITMAPINFOHEADER* header, const void* bits, size_t bitsSize, size_t infoSize);
    // A new top-down image; depths 1, 2, 4, 8, 16 (5-5-5), 24, 32. Pixels are not cleared.
    virtual bool create(int width, int height, int bpp);
    // Takes over a packed info block and a pixel block. The header is checked first (size,
    // dimensions, depth, compression, the colour table and the pixel rows against the blocks);
    // blocks that fail are refused and the image is left as it was. 16- and 32-bit images that are
    // not BI_BITFIELDS are attached all the same but answer false.
    virtual bool attachHandles(platform::MemBlock&& info, platform::MemBlock&& bits);
    virtual void destroy();
    // Program resources do not exist on this platform: always false.
    virtual bool loadResource(void* module, const char* name);
    virtual bool saveBitmap(TStream& stream);
    // Alpha from the alpha image's red byte when given (same size required), else the pixel's.
    virtual bool saveArgb(TStream& stream, const TImage* alpha);
    // Every 32-bit word of the pixel buffer := value.
    virtual void fill(uint32_t value);
    virtual uint32_t getPixel(int x, int y);
    virtual void setPixel(int x, int y, uint32_t colour);
    virtual uint8_t getIndex(int x, int y);
    virtual void setIndex(int x, int y, uint8_t index);
    // The w x h area from image pixel (x, y) into dst, rows pitchBytes apart. Parts of the area
    // outside the image are neither read nor written. 1-, 2- and 16-bit images are not
    // converted (true, nothing written).
    virtual bool convertToArgb32(uint32_t* dst, int w, int h, int pitchBytes, int x, int y, const ConvertKey* key);
    virtual bool convertToArgb16(uint16_t* dst, int w, int h, int pitchBytes, int x, int y);
    virtual bool convertToAlpha32(uint32_t* dst, int w, int h, int pitchBytes, int x, int y, const ConvertKey* key);
    virtual bool convertToAlpha16(uint16_t* dst, int w, int h, int pitchBytes, int x, int y);
    // Copies the image into a 32-bit target (SRCCOPY only; nearest pixel when stretched).
    virtual void draw(TImageDrawTarget& target, int x, int y, uint32_t rop = SRCCOPY);
    virtual void drawRect(TImageDrawTarget& target, int x, int y, int w, int h, uint32_t rop = SRCCOPY);
    virtual void stretchDraw(TImageDrawTarget& target, const TImageRect& dst, const TImageRect& src,
                             uint32_t rop = SRCCOPY);

    // Geometry and blocks.
    bool empty() const { return header_ == nullptr; }
    int width() const { return header_ ? header_->biWidth : 0; }
    int height() const { return header_ ? (header_->biHeight < 0 ? -header_->biHeight : header_->biHeight) : 0; }
    int bitCount() const { return header_ ? header_->biBitCount : 0; }
    bool isTopDown() const { return header_ && header_->biHeight < 0; }
    int32_t stride() const { return stride_; }  // signed step from one display row to the next
    uint8_t* bits() { return bits_.data(); }    // start of the pixel buffer
    const uint8_t* bits() const { return bits_.data(); }
    size_t bitsSize() const { return bits_.size(); }
    uint8_t* topRow();  // the top display row, null without pixels
    const uint8_t* topRow() const;
    const BITMAPINFOHEADER* header() const { return header_; }
    BITMAPINFOHEADER* header() { return header_; }
    const BITMAPINFO* info() const { return reinterpret_cast<const BITMAPINFO*>(info_.data()); }
    size_t infoSize() const { return info_.size(); }
    RGBQUAD* colors() { return colors_; }  // null without a colour table
    const RGBQUAD* colors() const { return colors_; }
    // biClrUsed when not 0, else 2^bpp for 1, 4 and 8 bits, else 0.
    int getColorCount() const;
    // The colour table entries that really exist in the info block (at most getColorCount()).
    int tableSize() const { return tableSize_; }
    const TPalette* palette() const { return palette_; }
    TImagePaint* painter() const { return painter_; }

    static int strideFor(int width, int bpp);

private:
    bool inside(int x, int y) const;
    bool setPainter();
    // The part of a w x h area at (x, y) that lies in the image, as column and row ranges
    // relative to the area.
    bool clipArea(int& w, int& h, int x, int y, int& c0, int& c1, int& r0, int& r1) const;
    template <typename Out, typename Fn>
    void convertRows(Out* dst, int pitchUnits, int x, int y, int c0, int c1, int r0, int r1, Fn&& fn) const;
    bool convertKeyed32(uint32_t* dst, int w, int h, int pitchBytes, int x, int y, const ConvertKey* key,
                        dib::Words words) const;

    platform::MemBlock info_;
    platform::MemBlock bits_;
    BITMAPINFOHEADER* header_ = nullptr;
    RGBQUAD* colors_ = nullptr;
    int tableSize_ = 0;
    TPalette* palette_ = nullptr;
    int32_t stride_ = 0;
    TImagePaint* painter_ = nullptr;
};
