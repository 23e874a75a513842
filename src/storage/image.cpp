#include "storage/image.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "framework/stream.h"
#include "platform/little_endian.h"

namespace {

bool validDepth(int bpp) { return bpp == 1 || bpp == 2 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32; }

uint32_t rgbOf(const RGBQUAD& q) {
    return static_cast<uint32_t>(q.rgbRed) | static_cast<uint32_t>(q.rgbGreen) << 8 |
           static_cast<uint32_t>(q.rgbBlue) << 16;
}

// 0xAABBGGRR to 0xAARRGGBB and back.
uint32_t swapRB(uint32_t c) { return (c & 0xFF00FF00u) | (c & 0xFF) << 16 | (c >> 16 & 0xFF); }

}  // namespace

// ---- painters --------------------------------------------------------------------------------

uint8_t* TImagePaint::row(int y) const { return image_->topRow() + static_cast<ptrdiff_t>(y) * image_->stride(); }

bool TIP_IndexColor::prepare() {
    colors_ = image_ ? image_->tableSize() : 0;
    return true;
}

uint32_t TIP_IndexColor::getPixel(int x, int y) {
    uint8_t i = getIndex(x, y);
    // An index past the colour table (or an image without one) reads as 0.
    if (i >= colors_ || !image_->colors()) return 0;
    return rgbOf(image_->colors()[i]);
}

void TIP_IndexColor::setPixel(int x, int y, uint32_t colour) {
    const RGBQUAD* table = image_->colors();
    if (!table || colors_ <= 0) return;
    const int r = colour & 0xFF, g = colour >> 8 & 0xFF, b = colour >> 16 & 0xFF;
    int best = 0;
    int bestDistance = INT_MAX;
    for (int i = 0; i < colors_; ++i) {
        int d =
            2 * std::abs(r - table[i].rgbRed) + 5 * std::abs(g - table[i].rgbGreen) + std::abs(b - table[i].rgbBlue);
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
            if (d == 0) break;
        }
    }
    setIndex(x, y, static_cast<uint8_t>(best));
}

uint8_t TIP_IndexColor1::getIndex(int x, int y) { return row(y)[x / 8] >> (7 - x % 8) & 1; }
void TIP_IndexColor1::setIndex(int x, int y, uint8_t index) {
    uint8_t& b = row(y)[x / 8];
    const uint8_t mask = static_cast<uint8_t>(0x80 >> (x % 8));
    b = static_cast<uint8_t>((b & ~mask) | ((index & 1) ? mask : 0));
}
uint8_t TIP_IndexColor2::getIndex(int x, int y) { return row(y)[x / 4] >> (6 - 2 * (x % 4)) & 3; }
void TIP_IndexColor2::setIndex(int x, int y, uint8_t index) {
    uint8_t& b = row(y)[x / 4];
    const int shift = 6 - 2 * (x % 4);
    b = static_cast<uint8_t>((b & ~(3 << shift)) | (index & 3) << shift);
}
uint8_t TIP_IndexColor4::getIndex(int x, int y) { return (x % 2 ? row(y)[x / 2] : row(y)[x / 2] >> 4) & 0xF; }
void TIP_IndexColor4::setIndex(int x, int y, uint8_t index) {
    uint8_t& b = row(y)[x / 2];
    b = x % 2 ? static_cast<uint8_t>((b & 0xF0) | (index & 0xF))
              : static_cast<uint8_t>((b & 0x0F) | (index & 0xF) << 4);
}
uint8_t TIP_IndexColor8::getIndex(int x, int y) { return row(y)[x]; }
void TIP_IndexColor8::setIndex(int x, int y, uint8_t index) { row(y)[x] = index; }

uint32_t TIP_DirectColor16::getPixel(int x, int y) {
    const uint8_t* p = row(y) + 2 * x;
    const uint32_t v = le::load16(p);
    const uint32_t r = (v >> 10 & 31) * 255 / 31, g = (v >> 5 & 31) * 255 / 31, b = (v & 31) * 255 / 31;
    return r | g << 8 | b << 16;
}
void TIP_DirectColor16::setPixel(int x, int y, uint32_t colour) {
    const uint32_t r = (colour & 0xFF) * 31 / 255, g = (colour >> 8 & 0xFF) * 31 / 255,
                   b = (colour >> 16 & 0xFF) * 31 / 255;
    const uint32_t v = r << 10 | g << 5 | b;
    le::store16(row(y) + 2 * x, static_cast<uint16_t>(v));
}
uint32_t TIP_DirectColor24::getPixel(int x, int y) {
    const uint8_t* p = row(y) + 3 * x;
    return p[2] | p[1] << 8 | static_cast<uint32_t>(p[0]) << 16;
}
void TIP_DirectColor24::setPixel(int x, int y, uint32_t colour) {
    uint8_t* p = row(y) + 3 * x;
    p[0] = static_cast<uint8_t>(colour >> 16);
    p[1] = static_cast<uint8_t>(colour >> 8);
    p[2] = static_cast<uint8_t>(colour);
}
// The stored word is 0xAARRGGBB; the painters speak 0xAABBGGRR.
uint32_t TIP_DirectColor32::getPixel(int x, int y) { return swapRB(le::load32(row(y) + 4 * x)); }
void TIP_DirectColor32::setPixel(int x, int y, uint32_t colour) { le::store32(row(y) + 4 * x, swapRB(colour)); }

// ---- image -----------------------------------------------------------------------------------

TImage::~TImage() { destroy(); }

int TImage::strideFor(int width, int bpp) {
    const int64_t bytes = ((static_cast<int64_t>(width) * bpp + 31) / 8) & ~int64_t{3};
    return bytes > INT_MAX ? -1 : static_cast<int>(bytes);
}

int TImage::getColorCount() const {
    if (!header_) return 0;
    if (header_->biClrUsed != 0) return static_cast<int>(std::min<uint32_t>(header_->biClrUsed, INT_MAX));
    const int bpp = header_->biBitCount;
    return bpp == 1 || bpp == 4 || bpp == 8 ? 1 << bpp : 0;
}

uint8_t* TImage::topRow() {
    if (bits_.empty() || !header_) return nullptr;
    return header_->biHeight > 0 ? bits_.data() + static_cast<size_t>(height() - 1) * static_cast<size_t>(-stride_)
                                 : bits_.data();
}

const uint8_t* TImage::topRow() const { return const_cast<TImage*>(this)->topRow(); }

bool TImage::setPainter() {
    delete painter_;
    painter_ = nullptr;
    switch (bitCount()) {
        case 1:
            painter_ = new TIP_IndexColor1;
            break;
        case 2:
            painter_ = new TIP_IndexColor2;
            break;
        case 4:
            painter_ = new TIP_IndexColor4;
            break;
        case 8:
            painter_ = new TIP_IndexColor8;
            break;
        case 16:
            painter_ = new TIP_DirectColor16;
            break;
        case 24:
            painter_ = new TIP_DirectColor24;
            break;
        case 32:
            painter_ = new TIP_DirectColor32;
            break;
        default:
            return false;
    }
    painter_->attach(this);
    return true;
}

void TImage::destroy() {
    info_.reset();
    bits_.reset();
    header_ = nullptr;
    colors_ = nullptr;
    tableSize_ = 0;
    stride_ = 0;
    delete palette_;
    palette_ = nullptr;
    delete painter_;
    painter_ = nullptr;
}

bool TImage::create(int width, int height, int bpp) {
    destroy();
    if (width <= 0 || height <= 0 || !validDepth(bpp)) return false;
    const int stride = strideFor(width, bpp);
    if (stride < 0 || static_cast<int64_t>(stride) * height > INT_MAX) return false;
    const int colours = bpp == 1 || bpp == 4 || bpp == 8 ? 1 << bpp : 0;
    const bool fields = bpp == 16 || bpp == 32;
    const size_t infoSize = (colours ? 40 + 4 * static_cast<size_t>(colours) : 44) + (fields ? 8 : 0);
    info_ = platform::MemBlock::allocate(infoSize);
    bits_ = platform::MemBlock::allocate(static_cast<size_t>(stride) * static_cast<size_t>(height));
    if (info_.empty() || bits_.empty()) {
        destroy();
        return false;
    }
    header_ = reinterpret_cast<BITMAPINFOHEADER*>(info_.data());
    header_->biSize = 40;
    header_->biWidth = width;
    header_->biHeight = -height;
    header_->biPlanes = 1;
    header_->biBitCount = static_cast<uint16_t>(bpp);
    header_->biCompression = fields ? BI_BITFIELDS : BI_RGB;
    header_->biClrUsed = static_cast<uint32_t>(colours);
    header_->biSizeImage = static_cast<uint32_t>(stride * height);
    if (bpp == 16) {
        le::store32(info_.data() + 40, 0x7C00);
        le::store32(info_.data() + 44, 0x03E0);
        le::store32(info_.data() + 48, 0x001F);
    } else if (bpp == 32) {
        le::store32(info_.data() + 40, 0xFF0000);
        le::store32(info_.data() + 44, 0xFF00);
        le::store32(info_.data() + 48, 0xFF);
    }
    if (colours) {
        colors_ = reinterpret_cast<RGBQUAD*>(info_.data() + 40);
        tableSize_ = colours;
    }
    stride_ = stride;
    if (!setPainter()) {
        destroy();
        return false;
    }
    return true;
}

bool TImage::attachHandles(platform::MemBlock&& info, platform::MemBlock&& bits) {
    // Everything below comes from files: check it all before keeping a pointer into it.
    if (info.size() < sizeof(BITMAPINFOHEADER)) return false;
    BITMAPINFOHEADER h;
    std::memcpy(&h, info.data(), sizeof h);
    if (h.biSize < 40 || h.biSize > info.size()) return false;
    if (h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT_MIN || !validDepth(h.biBitCount)) return false;
    const bool fields = h.biCompression == BI_BITFIELDS;
    if (h.biCompression != BI_RGB && !(fields && (h.biBitCount == 16 || h.biBitCount == 32))) return false;
    const int stride = strideFor(h.biWidth, h.biBitCount);
    const int64_t rows = h.biHeight < 0 ? -static_cast<int64_t>(h.biHeight) : h.biHeight;
    if (stride < 0 || stride * rows > INT_MAX || static_cast<uint64_t>(stride * rows) > bits.size()) return false;

    destroy();
    info_ = std::move(info);
    bits_ = std::move(bits);
    header_ = reinterpret_cast<BITMAPINFOHEADER*>(info_.data());
    const int declared = getColorCount();
    const size_t room = (info_.size() - header_->biSize) / 4;
    tableSize_ = static_cast<int>(std::min<size_t>({static_cast<size_t>(declared), room, size_t{256}}));
    colors_ = tableSize_ > 0 ? reinterpret_cast<RGBQUAD*>(info_.data() + header_->biSize) : nullptr;
    stride_ = h.biHeight > 0 ? -stride : stride;
    setPainter();
    return !((h.biBitCount == 16 || h.biBitCount == 32) && !fields);
}

bool TImage::assign(const BITMAPINFOHEADER* header, const void* bits) {
    if (!header || !bits) return false;
    const int stride = strideFor(header->biWidth, header->biBitCount);
    const int64_t rows = header->biHeight < 0 ? -static_cast<int64_t>(header->biHeight) : header->biHeight;
    if (stride < 0 || rows <= 0 || rows > INT_MAX) return false;
    return assign(header, bits, static_cast<size_t>(stride * rows), 0);
}

bool TImage::assign(const BITMAPINFOHEADER* header, const void* bits, size_t bitsSize, size_t infoSize) {
    if (!header || !bits || header->biHeight == INT_MIN) return false;
    const int rows = header->biHeight < 0 ? -header->biHeight : header->biHeight;
    if (!create(header->biWidth, rows, header->biBitCount)) return false;
    if ((bitCount() == 16 || bitCount() == 32) && header->biCompression != BI_BITFIELDS) return false;
    const size_t stride = static_cast<size_t>(stride_);
    if (bitsSize < stride * static_cast<size_t>(rows)) {
        destroy();
        return false;
    }
    const auto* src = static_cast<const uint8_t*>(bits);
    for (int y = 0; y < rows; ++y) {
        const size_t from = header->biHeight < 0 ? static_cast<size_t>(y) : static_cast<size_t>(rows - 1 - y);
        std::memcpy(bits_.data() + static_cast<size_t>(y) * stride, src + from * stride, stride);
    }
    if (colors_ && header->biSize >= 40 && infoSize > header->biSize) {
        const size_t available = (infoSize - header->biSize) / 4;
        const size_t n = std::min<size_t>(available, static_cast<size_t>(tableSize_));
        std::memcpy(colors_, reinterpret_cast<const uint8_t*>(header) + header->biSize, n * 4);
    }
    return true;
}

bool TImage::loadResource(void*, const char*) { return false; }

bool TImage::setColors(int first, int count, const RGBQUAD* colors) {
    if (!colors_ || !colors || first < 0) return false;
    const int end = std::min(count, tableSize_);
    if (first >= end) return false;
    std::memcpy(colors_ + first, colors, static_cast<size_t>(end - first) * 4);
    if (palette_) createPalette();
    return true;
}

bool TImage::setColorsRgb(int first, int last, const uint8_t* entries) {
    if (!colors_ || !entries || first < 0) return false;
    const int end = std::min(last, tableSize_);
    if (first >= end) return false;
    for (int i = first; i < end; ++i) {
        const uint8_t* e = entries + 4 * (i - first);
        colors_[i] = RGBQUAD{e[2], e[1], e[0], 0};
    }
    if (palette_) createPalette();
    return true;
}

bool TImage::createPalette() {
    delete palette_;
    palette_ = nullptr;
    if (!colors_ || tableSize_ < 1 || tableSize_ > 256) return false;
    std::vector<TPalette::Entry> entries;
    for (int i = 0; i < tableSize_; ++i)
        entries.push_back({colors_[i].rgbRed, colors_[i].rgbGreen, colors_[i].rgbBlue, 0});
    palette_ = new TPalette(std::move(entries));
    return true;
}

bool TImage::saveBitmap(TStream& stream) {
    if (!header_ || bits_.empty()) return false;
    const size_t rowBytes = static_cast<size_t>(stride_ < 0 ? -stride_ : stride_);
    const size_t computed = rowBytes * static_cast<size_t>(height());
    const size_t imageBytes =
        header_->biSizeImage != 0 && header_->biSizeImage <= bits_.size() ? header_->biSizeImage : computed;
    const uint64_t fileSize = kBitmapFileHeaderSize + info_.size() + imageBytes;
    if (fileSize > UINT32_MAX) return false;
    uint8_t fh[kBitmapFileHeaderSize] = {'B', 'M'};
    le::store32(fh + 2, static_cast<uint32_t>(fileSize));
    le::store32(fh + 10, static_cast<uint32_t>(kBitmapFileHeaderSize + info_.size()));
    if (stream.write(fh, sizeof fh) != sizeof fh) return false;
    if (header_->biHeight < 0) {
        // Written bottom-up: the header says so, and the rows go from the bottom to the top.
        std::vector<uint8_t> info(info_.data(), info_.data() + info_.size());
        BITMAPINFOHEADER h = *header_;
        h.biHeight = -h.biHeight;
        std::memcpy(info.data(), &h, sizeof h);
        if (stream.write(info.data(), static_cast<uint32_t>(info.size())) != info.size()) return false;
        for (int y = height() - 1; y >= 0; --y) {
            if (stream.write(topRow() + static_cast<size_t>(y) * rowBytes, static_cast<uint32_t>(rowBytes)) != rowBytes)
                return false;
        }
        return true;
    }
    if (stream.write(info_.data(), static_cast<uint32_t>(info_.size())) != info_.size()) return false;
    return stream.write(bits_.data(), static_cast<uint32_t>(imageBytes)) == imageBytes;
}

bool TImage::saveArgb(TStream& stream, const TImage* alpha) {
    if (!header_ || bits_.empty()) return false;
    if (alpha && (alpha->width() != width() || alpha->height() != height())) return false;
    uint8_t head[16] = {'B', 'G', 'R', 'A'};
    le::store32(head + 4, 0x08080808);
    le::store32(head + 8, static_cast<uint32_t>(width()));
    le::store32(head + 12, static_cast<uint32_t>(height()));
    if (stream.write(head, 16) != 16) return false;
    std::vector<uint8_t> row(static_cast<size_t>(width()) * 4);
    TImage* alphaImage = const_cast<TImage*>(alpha);
    for (int y = 0; y < height(); ++y) {
        for (int x = 0; x < width(); ++x) {
            const uint32_t c = getPixel(x, y);
            const uint32_t a = alphaImage ? alphaImage->getPixel(x, y) & 0xFF : c >> 24;
            le::store32(row.data() + 4 * static_cast<size_t>(x), (swapRB(c) & 0xFFFFFFu) | a << 24);
        }
        if (stream.write(row.data(), static_cast<uint32_t>(row.size())) != row.size()) return false;
    }
    return true;
}

void TImage::fill(uint32_t value) {
    const size_t words = bits_.size() / 4;
    uint8_t* p = bits_.data();
    for (size_t i = 0; i < words; ++i) le::store32(p + 4 * i, value);
}

bool TImage::inside(int x, int y) const {
    return header_ && !bits_.empty() && painter_ && x >= 0 && y >= 0 && x < width() && y < height();
}

uint32_t TImage::getPixel(int x, int y) {
    if (!inside(x, y) || !painter_->prepare()) return 0;
    return painter_->getPixel(x, y);
}

void TImage::setPixel(int x, int y, uint32_t colour) {
    if (inside(x, y) && painter_->prepare()) painter_->setPixel(x, y, colour);
}

uint8_t TImage::getIndex(int x, int y) {
    if (!inside(x, y) || !painter_->prepare()) return 0;
    return painter_->getIndex(x, y);
}

void TImage::setIndex(int x, int y, uint8_t index) {
    if (inside(x, y) && painter_->prepare()) painter_->setIndex(x, y, index);
}

// ---- converters ------------------------------------------------------------------------------

bool TImage::clipArea(int& w, int& h, int x, int y, int& c0, int& c1, int& r0, int& r1) const {
    w = std::min(w, width());
    h = std::min(h, height());
    c0 = static_cast<int>(std::min<int64_t>(std::max<int64_t>(0, -static_cast<int64_t>(x)), INT_MAX));
    r0 = static_cast<int>(std::min<int64_t>(std::max<int64_t>(0, -static_cast<int64_t>(y)), INT_MAX));
    c1 = static_cast<int>(std::min<int64_t>(w, static_cast<int64_t>(width()) - x));
    r1 = static_cast<int>(std::min<int64_t>(h, static_cast<int64_t>(height()) - y));
    return c0 < c1 && r0 < r1;
}

// Calls fn(sourceRow, imageX) -> output for every pixel of the clipped area.
template <typename Out, typename Fn>
void TImage::convertRows(Out* dst, int pitchUnits, int x, int y, int c0, int c1, int r0, int r1, Fn&& fn) const {
    const uint8_t* top = topRow();
    for (int r = r0; r < r1; ++r) {
        const uint8_t* src = top + static_cast<ptrdiff_t>(y + r) * stride_;
        Out* out = dst + static_cast<ptrdiff_t>(r) * pitchUnits;
        for (int c = c0; c < c1; ++c) out[c] = fn(src, x + c);
    }
}

namespace {

struct Rgba {
    uint32_t r, g, b, a;
};

// The source pixel as colour channels: indexed through the table (alpha 255), 24-bit with
// alpha 255, 32-bit with its own alpha.
template <int Bpp>
Rgba channelsAt(const uint8_t* row, int x) {
    const uint8_t* p = row + x * (Bpp / 8);
    if constexpr (Bpp == 24)
        return {p[2], p[1], p[0], 255};
    else
        return {p[2], p[1], p[0], p[3]};
}

bool converts(int bpp) { return bpp == 4 || bpp == 8 || bpp == 24 || bpp == 32; }

}  // namespace

// The 32-bit conversions share the keyed converter; the key's colour is 0x00RRGGBB, compared
// with the converted word as an opaque colour.
bool TImage::convertKeyed32(uint32_t* dst, int w, int h, int pitchBytes, int x, int y, const ConvertKey* key,
                            dib::Words words) const {
    if (empty() || bits_.empty() || !dst) return false;
    int c0, c1, r0, r1;
    if (!converts(bitCount()) || !clipArea(w, h, x, y, c0, c1, r0, r1)) return true;
    const ptrdiff_t pitch = (pitchBytes & ~3) / 4;
    dib::PixelRows rows;
    rows.width = width();
    rows.height = height();
    rows.bitCount = bitCount();
    rows.top = topRow();
    rows.step = stride_;
    rows.colors = colors_;
    rows.colorCount = tableSize_;
    dib::Keys keys;
    const uint8_t flags = key ? key->flags : 0;
    if (key) {
        keys.byColour = (flags & 1) != 0;
        keys.colour = 0xFF000000u | key->colorKey;
        keys.byIndex = (flags & 2) != 0;
        keys.index = key->indexKey;
        keys.byCorner = flags >= 16;
        keys.cornerLeft = (flags & 16) != 0;
        keys.cornerTop = (flags & 32) != 0;
    }
    dib::convertKeyed(rows, words, keys, x + c0, y + r0, c1 - c0, r1 - r0, dst + r0 * pitch + c0, pitch);
    return true;
}

bool TImage::convertToArgb32(uint32_t* dst, int w, int h, int pitchBytes, int x, int y, const ConvertKey* key) {
    return convertKeyed32(dst, w, h, pitchBytes, x, y, key, dib::Words::Argb);
}

bool TImage::convertToArgb16(uint16_t* dst, int w, int h, int pitchBytes, int x, int y) {
    if (empty() || bits_.empty() || !dst) return false;
    const int bpp = bitCount();
    int c0, c1, r0, r1;
    if (!converts(bpp) || !clipArea(w, h, x, y, c0, c1, r0, r1)) return true;
    const int pitch = (pitchBytes & ~1) / 2;
    auto pack = [](uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
        return static_cast<uint16_t>((a >> 4) << 12 | (r >> 4) << 8 | (g >> 4) << 4 | b >> 4);
    };
    if (bpp <= 8) {
        uint16_t lut[256] = {};
        for (int i = 0; i < tableSize_; ++i)
            lut[i] = pack(colors_[i].rgbRed, colors_[i].rgbGreen, colors_[i].rgbBlue, 255);
        for (int i = tableSize_; i < 256; ++i) lut[i] = pack(0, 0, 0, 255);
        convertRows(dst, pitch, x, y, c0, c1, r0, r1,
                    [&](const uint8_t* row, int px) { return lut[dib::indexIn(row, px, bpp)]; });
    } else if (bpp == 24) {
        convertRows(dst, pitch, x, y, c0, c1, r0, r1, [&](const uint8_t* row, int px) {
            Rgba c = channelsAt<24>(row, px);
            return pack(c.r, c.g, c.b, 255);
        });
    } else {
        convertRows(dst, pitch, x, y, c0, c1, r0, r1, [&](const uint8_t* row, int px) {
            Rgba c = channelsAt<32>(row, px);
            return pack(c.r, c.g, c.b, c.a);
        });
    }
    return true;
}

bool TImage::convertToAlpha32(uint32_t* dst, int w, int h, int pitchBytes, int x, int y, const ConvertKey* key) {
    return convertKeyed32(dst, w, h, pitchBytes, x, y, key, dib::Words::GreyAlpha);
}

bool TImage::convertToAlpha16(uint16_t* dst, int w, int h, int pitchBytes, int x, int y) {
    if (empty() || bits_.empty() || !dst) return false;
    const int bpp = bitCount();
    int c0, c1, r0, r1;
    if (!converts(bpp) || !clipArea(w, h, x, y, c0, c1, r0, r1)) return true;
    const int pitch = (pitchBytes & ~1) / 2;
    auto opaque = [](uint32_t r, uint32_t g, uint32_t b) {
        return static_cast<uint16_t>(((4 * r + 9 * g + 2 * b) / 255) << 12 | 0xFFF);
    };
    if (bpp <= 8) {
        uint16_t lut[256];
        for (int i = 0; i < 256; ++i) {
            const RGBQUAD q = i < tableSize_ ? colors_[i] : RGBQUAD{};
            lut[i] = opaque(q.rgbRed, q.rgbGreen, q.rgbBlue);
        }
        convertRows(dst, pitch, x, y, c0, c1, r0, r1,
                    [&](const uint8_t* row, int px) { return lut[dib::indexIn(row, px, bpp)]; });
    } else if (bpp == 24) {
        convertRows(dst, pitch, x, y, c0, c1, r0, r1, [&](const uint8_t* row, int px) {
            Rgba c = channelsAt<24>(row, px);
            return opaque(c.r, c.g, c.b);
        });
    } else {
        convertRows(dst, pitch, x, y, c0, c1, r0, r1, [&](const uint8_t* row, int px) {
            Rgba c = channelsAt<32>(row, px);
            const uint32_t a = ((77 * c.r + 150 * c.g + 29 * c.b) >> 8) * c.a / 255 * 15 / 255;
            return static_cast<uint16_t>(a << 12 | 0xFFF);
        });
    }
    return true;
}

// ---- drawing ---------------------------------------------------------------------------------

void TImage::draw(TImageDrawTarget& target, int x, int y, uint32_t rop) {
    drawRect(target, x, y, width(), height(), rop);
}

void TImage::drawRect(TImageDrawTarget& target, int x, int y, int w, int h, uint32_t rop) {
    auto end = [](int from, int size) {
        return static_cast<int>(std::clamp<int64_t>(static_cast<int64_t>(from) + size, INT_MIN, INT_MAX));
    };
    stretchDraw(target, TImageRect{x, y, end(x, w), end(y, h)}, TImageRect{0, 0, width(), height()}, rop);
}

void TImage::stretchDraw(TImageDrawTarget& target, const TImageRect& dstIn, const TImageRect& srcIn, uint32_t rop) {
    if (empty() || bits_.empty() || !target.pixels || rop != SRCCOPY) return;
    if (!palette_) createPalette();
    auto order = [](TImageRect r) {
        if (r.left > r.right) std::swap(r.left, r.right);
        if (r.top > r.bottom) std::swap(r.top, r.bottom);
        return r;
    };
    const TImageRect dst = order(dstIn), src = order(srcIn);
    const int64_t dw = static_cast<int64_t>(dst.right) - dst.left, dh = static_cast<int64_t>(dst.bottom) - dst.top;
    const int64_t sw = static_cast<int64_t>(src.right) - src.left, sh = static_cast<int64_t>(src.bottom) - src.top;
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
    const int pitch = (target.pitchBytes & ~3) / 4;
    const int ty0 = std::max(0, dst.top), ty1 = static_cast<int>(std::min<int64_t>(target.height, dst.bottom));
    const int tx0 = std::max(0, dst.left), tx1 = static_cast<int>(std::min<int64_t>(target.width, dst.right));
    for (int ty = ty0; ty < ty1; ++ty) {
        const int64_t sy =
            src.top + static_cast<int64_t>(static_cast<__int128>(static_cast<int64_t>(ty) - dst.top) * sh / dh);
        uint32_t* out = target.pixels + static_cast<ptrdiff_t>(ty) * pitch;
        for (int tx = tx0; tx < tx1; ++tx) {
            const int64_t sx =
                src.left + static_cast<int64_t>(static_cast<__int128>(static_cast<int64_t>(tx) - dst.left) * sw / dw);
            if (sx < 0 || sy < 0 || sx >= width() || sy >= height()) continue;
            uint32_t c = swapRB(getPixel(static_cast<int>(sx), static_cast<int>(sy)));
            if (bitCount() != 32) c |= 0xFF000000u;
            out[tx] = c;
        }
    }
}
