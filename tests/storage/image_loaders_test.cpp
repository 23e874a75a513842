#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <tuple>
#include <vector>

#include <jpeglib.h>
#include <png.h>

#include "framework/stream.h"
#include "picture_bombs.h"
#include "storage/image.h"
#include "storage/spi.h"
#include "support/test_support.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Decodes through the plug-in's memory entry point and attaches the blocks to an image.
std::unique_ptr<TImage> decode(SpiImportFile& spi, const Bytes& file, int* code = nullptr) {
    platform::MemBlock info, bits;
    const int rc = spi.GetPicture(SpiMemory{file.data(), file.size()}, SPI_IN_MEMORY, info, bits, nullptr, 0);
    if (code) *code = rc;
    if (rc != SPI_OK) return nullptr;
    auto image = std::make_unique<TImage>();
    image->attachHandles(std::move(info), std::move(bits));
    if (image->empty()) return nullptr;
    return image;
}

// ---- fixtures made with libpng -----------------------------------------------------------------

void pngWrite(png_structp png, png_bytep data, size_t n) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + n);
}
void pngFlush(png_structp) {}

struct PngSpec {
    int width = 5, height = 3, depth = 8, colorType = PNG_COLOR_TYPE_GRAY;
    bool interlace = false;
    bool trns = false;
};

int channelsOf(int colorType) {
    switch (colorType) {
        case PNG_COLOR_TYPE_RGB:
            return 3;
        case PNG_COLOR_TYPE_RGB_ALPHA:
            return 4;
        case PNG_COLOR_TYPE_GRAY_ALPHA:
            return 2;
        default:
            return 1;
    }
}

// Sample c of pixel (x, y) at the given depth.
uint32_t sampleAt(int x, int y, int c, int depth) {
    const uint32_t max = (1u << depth) - 1;
    return (static_cast<uint32_t>(x * 7 + y * 13 + c * 5) * 2654435761u >> 7) % (max + 1);
}

png_color paletteEntry(int i) {
    return png_color{static_cast<png_byte>(i * 3), static_cast<png_byte>(255 - i), static_cast<png_byte>(i * 7 + 1)};
}

bool writePng(const PngSpec& s, Bytes* out, const std::vector<Bytes>* rows) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, out, pngWrite, pngFlush);
    png_set_IHDR(png, info, s.width, s.height, s.depth, s.colorType,
                 s.interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_color palette[256];
    const int entries = 1 << s.depth;
    if (s.colorType == PNG_COLOR_TYPE_PALETTE) {
        for (int i = 0; i < entries; ++i) palette[i] = paletteEntry(i);
        png_set_PLTE(png, info, palette, entries);
    }
    png_byte alphas[4] = {0, 128, 255, 7};
    png_color_16 key{};
    key.gray = 1;
    key.red = 1;
    if (s.trns) {
        if (s.colorType == PNG_COLOR_TYPE_PALETTE)
            png_set_tRNS(png, info, alphas, 2, nullptr);
        else
            png_set_tRNS(png, info, nullptr, 0, &key);
    }
    png_write_info(png, info);
    std::vector<png_bytep> pointers;
    for (const Bytes& r : *rows) pointers.push_back(const_cast<png_bytep>(r.data()));
    png_write_image(png, pointers.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

Bytes makePng(const PngSpec& s) {
    const int ch = channelsOf(s.colorType);
    std::vector<Bytes> rows(static_cast<size_t>(s.height));
    for (int y = 0; y < s.height; ++y) {
        Bytes& r = rows[static_cast<size_t>(y)];
        r.assign(static_cast<size_t>((s.width * ch * s.depth + 7) / 8 + 1), 0);
        int bit = 0;
        for (int x = 0; x < s.width; ++x) {
            for (int c = 0; c < ch; ++c) {
                const uint32_t v = sampleAt(x, y, c, s.depth);
                if (s.depth == 16) {
                    r[static_cast<size_t>(bit / 8)] = static_cast<uint8_t>(v >> 8);
                    r[static_cast<size_t>(bit / 8 + 1)] = static_cast<uint8_t>(v);
                } else {
                    r[static_cast<size_t>(bit / 8)] |= static_cast<uint8_t>(v << (8 - s.depth - bit % 8));
                }
                bit += s.depth;
            }
        }
    }
    Bytes out;
    EXPECT_TRUE(writePng(s, &out, &rows));
    return out;
}

// The colour (0x00BBGGRR) the bitmap must hold for a pixel of a PNG made by makePng.
uint32_t expectedPng(const PngSpec& s, int x, int y) {
    auto eight = [&](int c) {
        const uint32_t v = sampleAt(x, y, c, s.depth);
        return s.depth == 16 ? v >> 8 : v;
    };
    const int type = s.colorType & ~PNG_COLOR_MASK_ALPHA;
    if (type == PNG_COLOR_TYPE_PALETTE) {
        png_color p = paletteEntry(static_cast<int>(sampleAt(x, y, 0, s.depth)));
        return p.red | p.green << 8 | static_cast<uint32_t>(p.blue) << 16;
    }
    if (type == PNG_COLOR_TYPE_GRAY) {
        uint32_t g = eight(0);
        if (s.depth < 8) g *= 255 / ((1u << s.depth) - 1);
        return g | g << 8 | g << 16;
    }
    return eight(0) | eight(1) << 8 | eight(2) << 16;
}

TEST(ImageLoaders, PngOfEveryDepthAndColourTypeDecodesToItsPixels) {
    SpiPngFile spi;
    struct Case {
        int depth, type, bpp;
    };
    const Case cases[] = {
        {1, PNG_COLOR_TYPE_GRAY, 1},         {2, PNG_COLOR_TYPE_GRAY, 2},       {4, PNG_COLOR_TYPE_GRAY, 4},
        {8, PNG_COLOR_TYPE_GRAY, 8},         {16, PNG_COLOR_TYPE_GRAY, 24},     {1, PNG_COLOR_TYPE_PALETTE, 1},
        {2, PNG_COLOR_TYPE_PALETTE, 2},      {4, PNG_COLOR_TYPE_PALETTE, 4},    {8, PNG_COLOR_TYPE_PALETTE, 8},
        {8, PNG_COLOR_TYPE_RGB, 24},         {16, PNG_COLOR_TYPE_RGB, 24},      {8, PNG_COLOR_TYPE_GRAY_ALPHA, 8},
        {16, PNG_COLOR_TYPE_GRAY_ALPHA, 24}, {8, PNG_COLOR_TYPE_RGB_ALPHA, 24}, {16, PNG_COLOR_TYPE_RGB_ALPHA, 24},
    };
    for (const Case& c : cases) {
        for (bool interlace : {false, true}) {
            for (bool trns : {false, true}) {
                if (trns && (c.type & PNG_COLOR_MASK_ALPHA)) continue;
                PngSpec s;
                s.width = 11;
                s.height = 6;
                s.depth = c.depth;
                s.colorType = c.type;
                s.interlace = interlace;
                s.trns = trns;
                SCOPED_TRACE(testing::Message() << "depth " << c.depth << " type " << c.type << " interlace "
                                                << interlace << " trns " << trns);
                const Bytes file = makePng(s);
                EXPECT_EQ(spi.IsSupported("x.png", file.data(), file.size()), 1);
                auto img = decode(spi, file);
                ASSERT_TRUE(img);
                EXPECT_EQ(img->bitCount(), c.bpp);
                EXPECT_TRUE(img->isTopDown());
                ASSERT_EQ(img->width(), s.width);
                ASSERT_EQ(img->height(), s.height);
                for (int y = 0; y < s.height; ++y) {
                    for (int x = 0; x < s.width; ++x) {
                        ASSERT_EQ(img->getPixel(x, y), expectedPng(s, x, y)) << x << "," << y;
                    }
                }
            }
        }
    }
}

TEST(ImageLoaders, PngGreyRampsAndDamage) {
    SpiPngFile spi;
    PngSpec s;
    s.depth = 4;
    auto img = decode(spi, makePng(s));
    ASSERT_TRUE(img);
    ASSERT_EQ(img->getColorCount(), 16);
    EXPECT_EQ(img->colors()[1].rgbRed, 17);
    EXPECT_EQ(img->colors()[15].rgbBlue, 255);
    s.depth = 2;
    img = decode(spi, makePng(s));
    ASSERT_TRUE(img);
    ASSERT_EQ(img->getColorCount(), 4);
    EXPECT_EQ(img->colors()[1].rgbGreen, 85);
    EXPECT_EQ(img->colors()[3].rgbGreen, 255);

    s.depth = 8;
    s.colorType = PNG_COLOR_TYPE_RGB;
    s.width = 40;
    s.height = 40;
    Bytes file = makePng(s);
    for (size_t cut : {size_t{0}, size_t{8}, size_t{30}, file.size() / 2, file.size() - 13}) {
        int code = 0;
        EXPECT_FALSE(decode(spi, Bytes(file.begin(), file.begin() + static_cast<long>(cut)), &code)) << cut;
        EXPECT_EQ(code, SPI_FORMAT_ERROR);
    }
    Bytes bad = file;
    bad[20] = 0x7F;  // IHDR width far larger than the data can hold
    EXPECT_FALSE(decode(spi, bad));
}

// The file is refused with the format error while the decoder's memory grows by less than budget.
void expectRefusedWithin(SpiImportFile& spi, const Bytes& file, int64_t budget) {
    const mjtest::MemoryUse use = mjtest::measureMemory([&] {
        int code = 0;
        return !decode(spi, file, &code) && code == SPI_FORMAT_ERROR;
    });
    ASSERT_TRUE(use.finished);
    EXPECT_TRUE(use.result);
    EXPECT_LT(use.peakGrowth, budget);
}

// A valid 16000 x 4000 picture in under 200 KiB is refused from its header, before anything is
// allocated for its rows; 4096 a side is the most a picture has.
TEST(ImageLoaders, PngLargerThanAnyScreenIsRefusedFromItsHeader) {
    SpiPngFile spi;
    const Bytes bomb = picturebombs::blankPng(16000, 4000);
    ASSERT_LT(bomb.size(), 200u << 10);
    expectRefusedWithin(spi, bomb, int64_t{16} << 20);
    for (const auto& [w, h, decodes] :
         {std::tuple{4096u, 2u, true}, {2u, 4096u, true}, {4097u, 2u, false}, {2u, 4097u, false}})
        EXPECT_EQ(decode(spi, picturebombs::blankPng(w, h)) != nullptr, decodes) << w << " x " << h;
}

// ---- fixtures made with libjpeg ----------------------------------------------------------------

Bytes makeJpeg(int width, int height, bool colour, J_COLOR_SPACE space = JCS_UNKNOWN, bool progressive = false) {
    const int components = space == JCS_CMYK ? 4 : colour ? 3 : 1;
    return picturebombs::writeJpeg({width, height, components, progressive, false, 100}, [](int x, int y, int k) {
        return static_cast<uint8_t>(k == 0 ? x * 8 : k == 1 ? y * 8 : 100);
    });
}

int near(uint32_t a, uint32_t b) {
    int worst = 0;
    for (int s = 0; s < 24; s += 8)
        worst = std::max(worst, std::abs(static_cast<int>(a >> s & 0xFF) - static_cast<int>(b >> s & 0xFF)));
    return worst;
}

TEST(ImageLoaders, JpegGreyColourTruncatedAndCmyk) {
    SpiJpegFile spi;
    const Bytes colour = makeJpeg(17, 9, true);
    EXPECT_EQ(spi.IsSupported("a.jpg", colour.data(), colour.size()), 1);
    auto img = decode(spi, colour);
    ASSERT_TRUE(img);
    EXPECT_EQ(img->bitCount(), 24);
    EXPECT_EQ(img->stride(), 52);  // 17 x 3 rounded up to 4
    // Red from x, green from y, blue 100, within the loss of the coder.
    EXPECT_LE(near(img->getPixel(10, 5), 80 | 40 << 8 | 100 << 16), 8);
    EXPECT_LE(near(img->getPixel(0, 0), 0 | 0 << 8 | 100 << 16), 8);

    const Bytes grey = makeJpeg(8, 8, false);
    img = decode(spi, grey);
    ASSERT_TRUE(img);
    EXPECT_EQ(img->bitCount(), 8);
    EXPECT_EQ(img->getColorCount(), 256);
    EXPECT_EQ(img->colors()[200].rgbRed, 200);
    EXPECT_LE(near(img->getPixel(5, 2), 40 | 40 << 8 | 40 << 16), 3);

    // Cut after the header: the missing rows come out as the library fills them.
    const Bytes big = makeJpeg(64, 64, true);
    const Bytes cut(big.begin(), big.begin() + static_cast<long>(big.size() / 3));
    img = decode(spi, cut);
    ASSERT_TRUE(img);
    EXPECT_EQ(img->height(), 64);

    int code = 0;
    EXPECT_FALSE(decode(spi, makeJpeg(8, 8, true, JCS_CMYK), &code));
    EXPECT_EQ(code, SPI_FORMAT_ERROR);
    EXPECT_FALSE(decode(spi, Bytes{0xFF, 0xD8}, &code));
    EXPECT_FALSE(decode(spi, Bytes{}, &code));
    EXPECT_FALSE(decode(spi, Bytes(big.begin(), big.begin() + 40), &code));
}

TEST(ImageLoaders, JpegClaimingAHugePictureIsRefusedBeforeDecompressionAllocatesForIt) {
    SpiJpegFile spi;
    const Bytes bomb = picturebombs::jpegClaiming(20000, 20000, true);
    ASSERT_LT(bomb.size(), 4096u);
    expectRefusedWithin(spi, bomb, int64_t{64} << 20);

    // A claim the data's size allows still decodes, the missing rows filled by the library.
    auto img = decode(spi, picturebombs::jpegClaiming(400, 300, true));
    ASSERT_TRUE(img);
    EXPECT_EQ(img->width(), 400);
    EXPECT_EQ(img->height(), 300);
}

// A picture no screen needs is refused from its header, however much data seems to back it:
// 9000 x 9000 claimed over comments that fill 330 KiB. 4096 a side is the most a picture has.
TEST(ImageLoaders, JpegLargerThanAnyScreenIsRefusedFromItsHeaderWhateverItsPadding) {
    SpiJpegFile spi;
    const Bytes bomb = picturebombs::jpegClaiming(9000, 9000, false, false, 330 << 10);
    expectRefusedWithin(spi, bomb, int64_t{16} << 20);
    for (const auto& [w, h, decodes] : {std::tuple{4096, 8, true}, {8, 4096, true}, {4097, 8, false}, {8, 4097, false}})
        EXPECT_EQ(decode(spi, picturebombs::jpegClaiming(w, h, false)) != nullptr, decodes) << w << " x " << h;
}

// ---- BMP -------------------------------------------------------------------------------------

// A BMP file of the given depth whose pixel (x, y) holds index/colour valueAt(x, y).
Bytes makeBmp(int w, int h, int bpp, bool topDown, uint32_t (*valueAt)(int, int), bool fields = false) {
    const int colours = bpp <= 8 ? 1 << bpp : 0;
    const int stride = ((w * bpp + 31) / 8) & ~3;
    const uint32_t infoSize = 40 + 4 * colours + (fields ? 12 : 0);
    const uint32_t offset = 14 + infoSize;
    const uint32_t fileSize = offset + static_cast<uint32_t>(stride * h);
    Bytes b(fileSize, 0);
    auto put = [&](size_t at, uint32_t v, int n) {
        for (int i = 0; i < n; ++i) b[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
    };
    b[0] = 'B';
    b[1] = 'M';
    put(2, fileSize, 4);
    put(10, offset, 4);
    put(14, 40, 4);
    put(18, static_cast<uint32_t>(w), 4);
    put(22, static_cast<uint32_t>(topDown ? -h : h), 4);
    put(26, 1, 2);
    put(28, static_cast<uint32_t>(bpp), 2);
    put(30, fields ? 3 : 0, 4);
    if (fields) {
        put(54, 0xFF0000, 4);
        put(58, 0xFF00, 4);
        put(62, 0xFF, 4);
    }
    for (int i = 0; i < colours; ++i) put(54 + 4 * static_cast<size_t>(i), static_cast<uint32_t>(i * 0x010203), 4);
    for (int y = 0; y < h; ++y) {
        const size_t row = offset + static_cast<size_t>(stride) * static_cast<size_t>(topDown ? y : h - 1 - y);
        for (int x = 0; x < w; ++x) {
            const uint32_t v = bpp < 8 ? valueAt(x, y) & ((1u << bpp) - 1) : valueAt(x, y);
            if (bpp >= 8) {
                put(row + static_cast<size_t>(x * bpp / 8), v, bpp / 8);
            } else {
                b[row + static_cast<size_t>(x * bpp / 8)] |= static_cast<uint8_t>(v << (8 - bpp - (x * bpp) % 8));
            }
        }
    }
    return b;
}

uint32_t bmpIndex(int x, int y) { return static_cast<uint32_t>(x + 2 * y); }
uint32_t bmpColour(int x, int y) { return static_cast<uint32_t>(x * 0x10 | y * 0x1000 | 0x330000); }

TEST(ImageLoaders, BmpOfEveryDepthBothRowOrders) {
    SpiBmpFile spi;
    for (int bpp : {1, 4, 8, 24, 32}) {
        for (bool topDown : {false, true}) {
            SCOPED_TRACE(testing::Message() << bpp << " bits, top-down " << topDown);
            const Bytes file = makeBmp(7, 3, bpp, topDown, bpp <= 8 ? bmpIndex : bmpColour, bpp == 32);
            EXPECT_EQ(spi.IsSupported("a.bmp", file.data(), file.size()), 1);
            auto img = decode(spi, file);
            ASSERT_TRUE(img);
            EXPECT_EQ(img->isTopDown(), topDown);
            for (int y = 0; y < 3; ++y) {
                for (int x = 0; x < 7; ++x) {
                    if (bpp <= 8) {
                        const uint32_t i = bmpIndex(x, y) & ((1u << bpp) - 1);
                        ASSERT_EQ(img->getIndex(x, y), i);
                        ASSERT_EQ(img->getPixel(x, y), (i * 0x030201) & 0xFFFFFF);  // the table's {1,2,3} step
                    } else {
                        const uint32_t c = bmpColour(x, y);  // stored blue, green, red (low byte first)
                        const uint32_t bgr = (c >> 16 & 0xFF) | (c & 0xFF00) | (c & 0xFF) << 16;
                        ASSERT_EQ(img->getPixel(x, y) & 0xFFFFFF, bgr);
                    }
                }
            }
        }
    }
}

TEST(ImageLoaders, BmpHeadersAreCheckedBeforeUse) {
    SpiBmpFile spi;
    const Bytes good = makeBmp(4, 4, 8, false, bmpIndex);
    int code = 0;
    ASSERT_TRUE(decode(spi, good, &code));
    auto patched = [&](size_t at, uint32_t v, int n) {
        Bytes b = good;
        for (int i = 0; i < n; ++i) b[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
        return b;
    };
    EXPECT_FALSE(decode(spi, patched(2, 100, 4), &code));         // file size below the bits offset
    EXPECT_FALSE(decode(spi, patched(2, 0x7FFFFFFF, 4), &code));  // file size past the data
    EXPECT_FALSE(decode(spi, patched(10, 20, 4), &code));         // offset inside the header
    EXPECT_FALSE(decode(spi, patched(14, 12, 4), &code));         // a 12-byte core header
    EXPECT_FALSE(decode(spi, patched(14, 5000, 4), &code));       // header size past the info block
    EXPECT_FALSE(decode(spi, patched(28, 12, 2), &code));         // depth 12
    EXPECT_FALSE(decode(spi, patched(30, 1, 4), &code));          // run-length compression
    EXPECT_FALSE(decode(spi, patched(18, 4000, 4), &code));       // rows past the bits
    EXPECT_FALSE(decode(spi, patched(22, 0x80000000u, 4), &code));
    EXPECT_EQ(code, SPI_FORMAT_ERROR);
    EXPECT_FALSE(decode(spi, Bytes(good.begin(), good.end() - 1), &code));
    EXPECT_FALSE(decode(spi, Bytes{'B', 'M'}, &code));
}

// Uncompressed pictures with every row there (a few kilobytes in a compressed archive) are
// refused from their headers when a side passes 4096 pixels or the bitmap passes that of a 4096 x
// 4096 picture of 24 bits, whatever surface their depth would make; the largest let through
// decode. Each refusal says why.
TEST(ImageLoaders, BmpAndArgbBeyondTheLargestPictureAreRefusedFromTheirHeaders) {
    SpiBmpFile bmp;
    SpiArgbFile argb;
    const char* wide = "wider or taller than 4096 pixels";
    const char* deep = "more than the 48 MiB of the largest picture";
    const std::tuple<SpiImportFile*, Bytes, const char*> bombs[] = {
        {&bmp, picturebombs::plainBmp(8192, 8192, 1), wide},  // 8 MiB of rows, a 256 MiB surface
        {&bmp, picturebombs::plainBmp(65536, 1024, 1), wide}, {&bmp, picturebombs::plainBmp(4, 4097, 32), wide},
        {&bmp, picturebombs::plainBmp(4096, 4096, 32), deep}, {&argb, picturebombs::plainArgb(8192, 1), wide},
        {&argb, picturebombs::plainArgb(1, 4097), wide},      {&argb, picturebombs::plainArgb(4096, 3073), deep},
    };
    for (const auto& [spi, file, why] : bombs) {
        ASSERT_FALSE(file.empty());
        expectRefusedWithin(*spi, file, int64_t{8} << 20);
        decode(*spi, file);
        EXPECT_NE(spi->refusal().find(why), std::string::npos) << spi->refusal();
    }
    for (const auto& [spi, file] : {std::pair<SpiImportFile*, Bytes>{&bmp, picturebombs::plainBmp(4096, 4096, 24)},
                                    {&bmp, picturebombs::plainBmp(4096, 2, 1)},
                                    {&argb, picturebombs::plainArgb(4096, 3072)}}) {
        EXPECT_TRUE(decode(*spi, file)) << spi->refusal();
        EXPECT_EQ(spi->refusal(), "");
    }
}

TEST(ImageLoaders, BmpAndArgbWrittenByTheImageReadBack) {
    TImage src;
    ASSERT_TRUE(src.create(5, 3, 32));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            src.setPixel(x, y, static_cast<uint32_t>(0x80000000u | x << 4 | y << 12 | 0x550000));
    for (int bpp : {8, 24, 32}) {
        TImage img;
        ASSERT_TRUE(img.create(5, 3, bpp));
        for (int i = 0; bpp == 8 && i < 256; ++i) img.colors()[i] = RGBQUAD{static_cast<uint8_t>(i), 0, 0, 0};
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x)
                bpp == 8 ? img.setIndex(x, y, static_cast<uint8_t>(x * 3 + y)) : img.setPixel(x, y, src.getPixel(x, y));
        TMemoryStream s;
        ASSERT_TRUE(img.saveBitmap(s));
        SpiBmpFile bmp;
        auto back = decode(bmp, Bytes(s.getBuffer(), s.getBuffer() + s.size()));
        ASSERT_TRUE(back);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x) EXPECT_EQ(back->getPixel(x, y), img.getPixel(x, y)) << bpp;
    }
    TMemoryStream a;
    ASSERT_TRUE(src.saveArgb(a, nullptr));
    SpiArgbFile argb;
    auto back = decode(argb, Bytes(a.getBuffer(), a.getBuffer() + a.size()));
    ASSERT_TRUE(back);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(back->getPixel(x, y), src.getPixel(x, y));
}

TEST(ImageLoaders, ArgbPixelsSizesAndShortFiles) {
    SpiArgbFile spi;
    Bytes file = {'B', 'G', 'R', 'A', 8,    8,    8,    8,    2,    0,    0,    0,
                  1,   0,   0,   0,   0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80};
    auto img = decode(spi, file);
    ASSERT_TRUE(img);
    EXPECT_EQ(img->bitCount(), 32);
    EXPECT_TRUE(img->isTopDown());
    EXPECT_EQ(img->getPixel(0, 0), 0x40102030u);  // alpha 40, blue 10, green 20, red 30
    EXPECT_EQ(img->getPixel(1, 0), 0x80506070u);

    int code = 0;
    EXPECT_FALSE(decode(spi, Bytes(file.begin(), file.end() - 4), &code));
    EXPECT_EQ(code, SPI_FORMAT_ERROR);
    // Sizes whose product overflows 32 bits are not allowed to wrap into a small buffer.
    Bytes wraps = file;
    wraps[8] = 0, wraps[9] = 0, wraps[10] = 0, wraps[11] = 0x40;  // 0x40000000 wide
    wraps[12] = 4;                                                // 4 high: 2^34 bytes
    EXPECT_FALSE(decode(spi, wraps, &code));
    Bytes zero = file;
    zero[8] = 0;
    EXPECT_FALSE(decode(spi, zero, &code));
    EXPECT_EQ(spi.IsSupported("x", file.data(), 3), 0);
}

TEST(ImageLoaders, PluginTextsAndEntryPointsTheFiltersDoNotOffer) {
    SpiPngFile png;
    char buf[64];
    EXPECT_EQ(png.GetPluginInfo(0, buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "00IN");
    EXPECT_EQ(png.GetPluginInfo(1, buf, sizeof buf), 1);
    EXPECT_STREQ(buf, "PNG to DIB filter Ver 1.0");
    EXPECT_EQ(png.GetPluginInfo(4, buf, sizeof buf), 0);
    char tiny[3] = {'x', 'x', 'x'};
    png.GetPluginInfo(2, tiny, 3);  // three characters, no room for a terminator
    EXPECT_EQ(std::string(tiny, 3), "*.P");
    EXPECT_EQ(png.GetPictureInfo("a", 0, 0), SPI_NOT_SUPPORTED);
    platform::MemBlock m;
    EXPECT_EQ(png.GetArchiveInfo("a", 0, 0, m), SPI_NOT_SUPPORTED);
    EXPECT_EQ(png.GetPicture("/nonexistent/a.png", 0, 0, m, m, nullptr, 0), SPI_FILE_ERROR);
    Bytes any(16);
    EXPECT_EQ(png.GetPicture(SpiMemory{any.data(), any.size()}, 2, m, m, nullptr, 0), SPI_NOT_SUPPORTED);
    SpiFile external;
    EXPECT_FALSE(external.load("plugins", "ifpng.spi"));
    EXPECT_EQ(external.kind(), SPI_KIND_NONE);
    EXPECT_EQ(external.GetPluginInfo(0, buf, sizeof buf), SPI_NOT_SUPPORTED);
    EXPECT_EQ(external.IsSupported("a", any.data(), any.size()), SPI_NOT_SUPPORTED);
}

}  // namespace
