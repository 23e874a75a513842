#include "storage/image.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

#include "framework/stream.h"

namespace {

uint32_t le32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }

std::vector<uint8_t> bytesOf(TMemoryStream& s) { return std::vector<uint8_t>(s.getBuffer(), s.getBuffer() + s.size()); }

TEST(TImage, CreateLaysOutHeaderStrideAndColourTable) {
    TImage img;
    ASSERT_TRUE(img.create(3, 2, 24));
    EXPECT_EQ(img.stride(), 12);
    EXPECT_EQ(img.header()->biSizeImage, 24u);
    EXPECT_EQ(img.header()->biHeight, -2);
    EXPECT_EQ(img.infoSize(), 44u);
    EXPECT_EQ(img.colors(), nullptr);

    ASSERT_TRUE(img.create(5, 1, 1));
    EXPECT_EQ(img.stride(), 4);
    EXPECT_EQ(img.getColorCount(), 2);
    std::memset(img.bits(), 0, 4);
    img.setIndex(4, 0, 1);
    EXPECT_EQ(img.bits()[0], 0x08);  // bit 3 of the first byte
    EXPECT_EQ(img.getIndex(4, 0), 1);

    ASSERT_TRUE(img.create(2, 2, 32));
    EXPECT_EQ(img.infoSize(), 52u);
    EXPECT_EQ(img.header()->biCompression, BI_BITFIELDS);
    EXPECT_EQ(le32(reinterpret_cast<const uint8_t*>(img.info()) + 40), 0xFF0000u);
    ASSERT_TRUE(img.create(2, 2, 16));
    EXPECT_EQ(le32(reinterpret_cast<const uint8_t*>(img.info()) + 40), 0x7C00u);

    EXPECT_FALSE(img.create(0, 1, 8));
    EXPECT_FALSE(img.create(1, 1, 12));
    EXPECT_FALSE(img.create(1 << 20, 1 << 20, 32));  // far past what a buffer may hold
    EXPECT_TRUE(img.empty());
}

TEST(TImage, PixelAccessPerDepth) {
    TImage img;
    ASSERT_TRUE(img.create(4, 2, 8));
    RGBQUAD bw[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};
    ASSERT_TRUE(img.setColors(0, 2, bw));
    img.header()->biClrUsed = 2;
    ASSERT_TRUE(img.attachHandles(platform::MemBlock(), platform::MemBlock()) == false);  // refused, untouched
    // Nearest entry by the weighted distance, with only black and white in the table.
    TImage two;
    ASSERT_TRUE(two.create(2, 1, 8));
    two.setColors(0, 2, bw);
    for (int i = 2; i < 256; ++i) two.colors()[i] = RGBQUAD{0, 0, 0, 0};
    two.setPixel(0, 0, 0x00C0C0C0);
    two.setPixel(1, 0, 0x00404040);
    EXPECT_EQ(two.getIndex(0, 0), 1);
    EXPECT_EQ(two.getIndex(1, 0), 0);
    EXPECT_EQ(two.getPixel(0, 0), 0x00FFFFFFu);

    TImage four;
    ASSERT_TRUE(four.create(3, 1, 4));
    four.setIndex(0, 0, 0xA);
    four.setIndex(1, 0, 0x5);
    four.setIndex(2, 0, 0xF);
    EXPECT_EQ(four.bits()[0], 0xA5);
    EXPECT_EQ(four.getIndex(2, 0), 0xF);

    TImage quarter;
    ASSERT_TRUE(quarter.create(5, 1, 2));
    EXPECT_EQ(quarter.colors(), nullptr);  // 2-bit images get no colour table
    quarter.setIndex(0, 0, 3);
    quarter.setIndex(4, 0, 2);
    EXPECT_EQ(quarter.bits()[0], 0xC0);
    EXPECT_EQ(quarter.bits()[1], 0x80);
    EXPECT_EQ(quarter.getPixel(0, 0), 0u);  // no table to look in: guarded, reads 0
    quarter.setPixel(1, 0, 0xFFFFFF);       // and writes nothing
    EXPECT_EQ(quarter.getIndex(1, 0), 0);

    TImage hi;
    ASSERT_TRUE(hi.create(1, 1, 16));
    hi.bits()[0] = 0xFF;
    hi.bits()[1] = 0x7F;
    EXPECT_EQ(hi.getPixel(0, 0), 0x00FFFFFFu);
    hi.setPixel(0, 0, 0x00FFFFFF);
    EXPECT_EQ(hi.bits()[0] | hi.bits()[1] << 8, 0x7FFF);
    hi.setPixel(0, 0, 0x000000FF);  // red only
    EXPECT_EQ(hi.bits()[0] | hi.bits()[1] << 8, 0x7C00);

    TImage deep;
    ASSERT_TRUE(deep.create(2, 2, 32));
    deep.setPixel(1, 1, 0x80112233);
    EXPECT_EQ(deep.getPixel(1, 1), 0x80112233u);
    EXPECT_EQ(deep.topRow()[deep.stride() + 4], 0x11);  // blue first in memory
    EXPECT_EQ(deep.topRow()[deep.stride() + 7], 0x80);
    EXPECT_EQ(deep.getPixel(2, 0), 0u);
    EXPECT_EQ(deep.getPixel(-1, 0), 0u);
    deep.setPixel(0, 2, 0xFFFFFFFF);  // outside: ignored
    deep.fill(0x01020304);
    EXPECT_EQ(deep.getPixel(0, 0), 0x01040302u);
}

TEST(TImage, AttachChecksTheBlocksBeforeTrustingThem) {
    auto makeInfo = [](int w, int h, int bpp, uint32_t compression, size_t extra) {
        platform::MemBlock info = platform::MemBlock::allocate(40 + extra);
        BITMAPINFOHEADER hd;
        hd.biSize = 40;
        hd.biWidth = w;
        hd.biHeight = h;
        hd.biPlanes = 1;
        hd.biBitCount = static_cast<uint16_t>(bpp);
        hd.biCompression = compression;
        std::memcpy(info.data(), &hd, 40);
        return info;
    };
    TImage img;
    // Bottom-up 24-bit 2x2: rows need 8 bytes each.
    EXPECT_FALSE(img.attachHandles(makeInfo(2, 2, 24, BI_RGB, 0), platform::MemBlock::allocate(15)));
    EXPECT_TRUE(img.empty());
    platform::MemBlock bits = platform::MemBlock::allocate(16);
    bits.data()[0] = 0x11;  // memory row 0 = bottom display row
    bits.data()[8] = 0x22;
    ASSERT_TRUE(img.attachHandles(makeInfo(2, 2, 24, BI_RGB, 0), std::move(bits)));
    EXPECT_EQ(img.stride(), -8);
    EXPECT_EQ(img.getPixel(0, 0), 0x220000u);
    EXPECT_EQ(img.getPixel(0, 1), 0x110000u);

    EXPECT_FALSE(img.attachHandles(makeInfo(2, 2, 7, BI_RGB, 0), platform::MemBlock::allocate(64)));
    EXPECT_FALSE(img.attachHandles(makeInfo(2, 2, 8, BI_RLE8, 1024), platform::MemBlock::allocate(64)));
    EXPECT_FALSE(img.attachHandles(makeInfo(-2, 2, 8, BI_RGB, 1024), platform::MemBlock::allocate(64)));
    EXPECT_FALSE(img.attachHandles(makeInfo(2, INT32_MIN, 8, BI_RGB, 1024), platform::MemBlock::allocate(64)));
    platform::MemBlock shortHeader = platform::MemBlock::allocate(30);
    EXPECT_FALSE(img.attachHandles(std::move(shortHeader), platform::MemBlock::allocate(64)));
    platform::MemBlock bigSize = makeInfo(2, 2, 8, BI_RGB, 8);
    bigSize.data()[0] = 200;  // header size past the block
    EXPECT_FALSE(img.attachHandles(std::move(bigSize), platform::MemBlock::allocate(64)));

    // An 8-bit image whose info block holds only two of its 256 colours: the rest read as 0.
    platform::MemBlock info = makeInfo(2, -1, 8, BI_RGB, 8);
    info.data()[40] = 0x10;  // entry 0 blue
    info.data()[46] = 0x77;  // entry 1 red
    platform::MemBlock px = platform::MemBlock::allocate(4);
    px.data()[0] = 1;
    px.data()[1] = 200;
    ASSERT_TRUE(img.attachHandles(std::move(info), std::move(px)));
    EXPECT_EQ(img.getColorCount(), 256);
    EXPECT_EQ(img.tableSize(), 2);
    EXPECT_EQ(img.getPixel(0, 0), 0x77u);
    EXPECT_EQ(img.getPixel(1, 0), 0u);

    // 32 bits without bit fields: attached, but reported.
    EXPECT_FALSE(img.attachHandles(makeInfo(1, 1, 32, BI_RGB, 0), platform::MemBlock::allocate(4)));
    EXPECT_FALSE(img.empty());
}

TEST(TImage, SaveBitmapWritesBottomUpAndKeepsTheImageTopDown) {
    TImage img;
    ASSERT_TRUE(img.create(2, 2, 24));
    img.setPixel(0, 0, 0x0000FF);  // top-left red
    img.setPixel(1, 0, 0x0000FF);
    img.setPixel(0, 1, 0xFF0000);  // bottom row blue
    img.setPixel(1, 1, 0xFF0000);
    TMemoryStream s;
    ASSERT_TRUE(img.saveBitmap(s));
    std::vector<uint8_t> b = bytesOf(s);
    ASSERT_EQ(b.size(), 14u + 44 + 16);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(le32(&b[2]), b.size());
    EXPECT_EQ(le32(&b[10]), 14u + 44);
    EXPECT_EQ(static_cast<int32_t>(le32(&b[14 + 8])), 2);  // positive height on file
    EXPECT_EQ(b[58], 0xFF);                                // first row on file: the bottom (blue)
    EXPECT_EQ(b[58 + 8 + 2], 0xFF);                        // then the top (red)
    EXPECT_EQ(img.header()->biHeight, -2);
}

TEST(TImage, SaveArgbWritesTheHeaderAndPixelsTopDown) {
    TImage img;
    ASSERT_TRUE(img.create(1, 1, 24));
    img.setPixel(0, 0, 0x0000FF);
    TMemoryStream s;
    ASSERT_TRUE(img.saveArgb(s, nullptr));
    const std::vector<uint8_t> expect = {'B', 'G', 'R', 'A', 8, 8, 8, 8, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0xFF, 0};
    EXPECT_EQ(bytesOf(s), expect);

    TImage alpha;
    ASSERT_TRUE(alpha.create(1, 1, 24));
    alpha.setPixel(0, 0, 0x000080);
    TMemoryStream t;
    ASSERT_TRUE(img.saveArgb(t, &alpha));
    EXPECT_EQ(bytesOf(t).back(), 0x80);

    TImage wrong;
    ASSERT_TRUE(wrong.create(2, 1, 24));
    TMemoryStream u;
    EXPECT_FALSE(img.saveArgb(u, &wrong));
    EXPECT_EQ(u.size(), 0u);  // nothing written
}

TEST(TImage, ConvertersKeysAndEdges) {
    TImage img;
    ASSERT_TRUE(img.create(3, 2, 24));
    img.setPixel(0, 0, 0x00000A);
    img.setPixel(1, 0, 0x0B0000);
    img.setPixel(2, 0, 0x00000A);
    img.setPixel(0, 1, 0xFFFFFF);
    img.setPixel(1, 1, 0x000000);
    img.setPixel(2, 1, 0x00000A);
    std::vector<uint32_t> out(6, 0xDEADBEEF);
    ASSERT_TRUE(img.convertToArgb32(out.data(), 3, 2, 12, 0, 0, nullptr));
    EXPECT_EQ(out[0], 0xFF0A0000u);
    EXPECT_EQ(out[1], 0xFF00000Bu);
    EXPECT_EQ(out[3], 0xFFFFFFFFu);

    ConvertKey corner{0x30, 0, 0};  // the top-left pixel is transparent everywhere
    ASSERT_TRUE(img.convertToArgb32(out.data(), 3, 2, 12, 0, 0, &corner));
    EXPECT_EQ(out[0], 0u);
    EXPECT_EQ(out[2], 0u);
    EXPECT_EQ(out[5], 0u);
    EXPECT_EQ(out[1], 0xFF00000Bu);
    ConvertKey colour{1, 0x0A0000, 0};  // 0x00RRGGBB: red 0x0A
    ASSERT_TRUE(img.convertToArgb32(out.data(), 3, 2, 12, 0, 0, &colour));
    EXPECT_EQ(out[0], 0u);
    EXPECT_EQ(out[3], 0xFFFFFFFFu);

    // An area past the right and bottom edges reads nothing outside the image.
    std::fill(out.begin(), out.end(), 0xDEADBEEF);
    ASSERT_TRUE(img.convertToArgb32(out.data(), 3, 2, 12, 2, 1, nullptr));
    EXPECT_EQ(out[0], 0xFF0A0000u);
    EXPECT_EQ(out[1], 0xDEADBEEFu);
    EXPECT_EQ(out[3], 0xDEADBEEFu);

    std::vector<uint16_t> o16(6);
    ASSERT_TRUE(img.convertToArgb16(o16.data(), 3, 2, 6, 0, 0));
    EXPECT_EQ(o16[3], 0xFFFF);
    EXPECT_EQ(o16[4], 0xF000);
    ASSERT_TRUE(img.convertToAlpha16(o16.data(), 3, 2, 6, 0, 0));
    EXPECT_EQ(o16[3], 0xFFFF);
    EXPECT_EQ(o16[4], 0x0FFF);
    ASSERT_TRUE(img.convertToAlpha32(out.data(), 3, 2, 12, 0, 0, nullptr));
    EXPECT_EQ(out[3], 0xFFFFFFFFu);
    EXPECT_EQ(out[4], 0x00FFFFFFu);

    TImage deep;
    ASSERT_TRUE(deep.create(1, 1, 32));
    deep.setPixel(0, 0, 0x80FFFFFF);
    ASSERT_TRUE(deep.convertToArgb32(out.data(), 1, 1, 4, 0, 0, nullptr));
    EXPECT_EQ(out[0], 0x80FFFFFFu);
    ASSERT_TRUE(deep.convertToAlpha32(out.data(), 1, 1, 4, 0, 0, nullptr));
    EXPECT_EQ(out[0], ((255u * 0x80 / 255) << 24) | 0xFFFFFF);
    ASSERT_TRUE(deep.convertToArgb16(o16.data(), 1, 1, 2, 0, 0));
    EXPECT_EQ(o16[0], 0x8FFF);

    // Indexed 4-bit, starting at an odd column; index key.
    TImage four;
    ASSERT_TRUE(four.create(3, 1, 4));
    four.colors()[1] = RGBQUAD{0, 0, 0xFF, 0};
    four.colors()[2] = RGBQUAD{0xFF, 0, 0, 0};
    four.setIndex(0, 0, 1);
    four.setIndex(1, 0, 2);
    four.setIndex(2, 0, 1);
    ASSERT_TRUE(four.convertToArgb32(out.data(), 2, 1, 8, 1, 0, nullptr));
    EXPECT_EQ(out[0], 0xFF0000FFu);
    EXPECT_EQ(out[1], 0xFFFF0000u);
    ConvertKey idx{2, 0, 1};
    ASSERT_TRUE(four.convertToArgb32(out.data(), 3, 1, 12, 0, 0, &idx));
    EXPECT_EQ(out[0], 0u);
    EXPECT_EQ(out[1], 0xFF0000FFu);

    // Depths that are not converted leave the output alone.
    TImage hi;
    ASSERT_TRUE(hi.create(1, 1, 16));
    out[0] = 7;
    EXPECT_TRUE(hi.convertToArgb32(out.data(), 1, 1, 4, 0, 0, nullptr));
    EXPECT_EQ(out[0], 7u);
}

TEST(TImage, AssignCopiesRowsTopFirstAndDrawsIntoABuffer) {
    BITMAPINFOHEADER h;
    h.biSize = 40;
    h.biWidth = 1;
    h.biHeight = 2;  // bottom-up
    h.biBitCount = 24;
    const uint8_t rows[8] = {1, 2, 3, 0, 4, 5, 6, 0};
    TImage img;
    ASSERT_TRUE(img.assign(&h, rows, sizeof rows, 0));
    EXPECT_TRUE(img.isTopDown());
    EXPECT_EQ(img.getPixel(0, 0), 0x040506u);
    EXPECT_EQ(img.getPixel(0, 1), 0x010203u);
    EXPECT_FALSE(img.assign(&h, rows, 7, 0));

    std::vector<uint32_t> screen(4 * 4, 0);
    TImageDrawTarget target{screen.data(), 4, 4, 16};
    ASSERT_TRUE(img.assign(&h, rows, sizeof rows, 0));
    img.drawRect(target, 2, 0, 2, 4);  // stretched to 2 x 4
    EXPECT_EQ(screen[2], 0xFF060504u);
    EXPECT_EQ(screen[3 * 4 + 3], 0xFF030201u);
    EXPECT_EQ(screen[0], 0u);
    img.draw(target, 3, 3);  // clipped at the buffer's edge
    EXPECT_EQ(screen[15], 0xFF060504u);
    EXPECT_FALSE(img.loadResource(nullptr, "BITMAP"));

    // Coordinates at the integer limits neither overflow nor reach outside either buffer.
    std::vector<uint32_t> out(4, 7);
    EXPECT_TRUE(img.convertToArgb32(out.data(), 2, 2, 8, INT_MIN, INT_MIN, nullptr));
    EXPECT_TRUE(img.convertToArgb32(out.data(), INT_MAX, INT_MAX, 8, INT_MAX, 0, nullptr));
    EXPECT_EQ(out[0], 7u);
    img.drawRect(target, INT_MAX, INT_MAX, INT_MAX, INT_MAX);
    img.stretchDraw(target, TImageRect{INT_MIN, INT_MIN, INT_MAX, INT_MAX},
                    TImageRect{INT_MAX, INT_MIN, INT_MIN, INT_MAX});
    img.stretchDraw(target, TImageRect{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, TImageRect{0, 0, 1, 2});
    EXPECT_EQ(screen[0], 0xFF030201u);  // the target lies in the middle of the stretched image: its lower row
}

}  // namespace
