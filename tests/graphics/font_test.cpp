// Glyph text: measuring and layout with a glyph provider of fixed boxes, the surface and alpha
// targets, emboldening, bitmap-cell fonts and the text objects; and real glyphs of IPAGothic
// through FreeType, checked against the measured box and pinned by a coverage hash for the font
// package they were taken from.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>

#include "graphics/font.h"
#include "graphics/graphic.h"
#include "graphics/graphics_texts.h"
#include "graphics/surface32.h"
#include "graphics/surface8.h"
#include "graphics/text_obj.h"
#include "platform/codepage.h"

using namespace graphics;

namespace {

// Every glyph a solid box one pixel inside its cell, its top at the ascent; level `level`.
class BoxProvider : public platform::GlyphProvider {
public:
    uint8_t level = 16;
    int created = 0;
    std::map<platform::FontHandle, int32_t> heights;
    platform::FontHandle createFont(const platform::FontRequest& r) override {
        heights[++created] = r.height;
        return created;
    }
    void deleteFont(platform::FontHandle h) override { heights.erase(h); }
    platform::TextMetrics metrics(platform::FontHandle h) override {
        const int32_t height = heights.count(h) ? heights[h] : 16;
        return {height, height * 3 / 4, height - height * 3 / 4};
    }
    int32_t glyph(platform::FontHandle h, uint32_t code, platform::GlyphFormat f, const platform::GlyphMatrix&,
                  platform::GlyphMetrics& gm, void* buffer, uint32_t size) override {
        const platform::TextMetrics tm = metrics(h);
        if (code == ' ') return 0;
        gm.blackBoxX = static_cast<uint32_t>((code > 0xFF ? tm.height : tm.height / 2) - 2);
        gm.blackBoxY = static_cast<uint32_t>(tm.ascent);
        gm.originX = 1;
        gm.originY = tm.ascent;
        const bool grey = f == platform::GlyphFormat::Gray17;
        const uint32_t pitch = grey ? (gm.blackBoxX + 3) / 4 * 4 : (gm.blackBoxX + 31) / 32 * 4;
        const uint32_t bytes = pitch * gm.blackBoxY;
        if (buffer && size >= bytes) {
            auto* b = static_cast<uint8_t*>(buffer);
            for (uint32_t y = 0; y < gm.blackBoxY; ++y)
                for (uint32_t x = 0; x < gm.blackBoxX; ++x) {
                    if (grey)
                        b[y * pitch + x] = level;
                    else
                        b[y * pitch + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
                }
        }
        return static_cast<int32_t>(bytes);
    }
};

class FontTest : public ::testing::Test {
protected:
    void SetUp() override { platform::setGlyphProvider(&provider); }
    void TearDown() override { platform::setGlyphProvider(nullptr); }
    BoxProvider provider;
};

const std::string kA = platform::toSjis("A") + platform::toSjis("あ");

// The columns of row y that differ from the background.
std::string row(const TSurface32& s, int y, uint32_t background) {
    std::string out;
    for (int x = 0; x < s.width(); ++x) out += s.getPixel(x, y) == background ? '.' : '#';
    return out;
}

}  // namespace

TEST_F(FontTest, StringsMeasureByFullAndHalfCellsWithTheirExtras) {
    TFont f;
    EXPECT_EQ(f.face(), texts::defaultFace());
    EXPECT_EQ(platform::toUtf8(f.face()), "ＭＳ ゴシック");
    ASSERT_TRUE(f.create());
    EXPECT_EQ(measureText(f, kA).cx, 36);
    EXPECT_EQ(measureText(f, kA).cy, 24);
    EXPECT_EQ(measureText(f, std::string("A\x82")).cx, 24);  // a lead byte at the end is half width
    f.setFlags(TFont::kGrey | TFont::kShadow);
    EXPECT_EQ(measureText(f, kA).cx, 39);
    EXPECT_EQ(measureText(f, kA).cy, 27);
    f.setShadowOffset(-3, 1);
    EXPECT_EQ(textOrigin(f).x, 3);
    f.setFlags(TFont::kGrey | TFont::kOutline | TFont::kShadow);
    f.setOutlineWidth(2);
    EXPECT_EQ(measureText(f, kA).cx, 41);  // 2 x 2 + 1 beats 3 + 1
    EXPECT_EQ(textOrigin(f).y, 1);
    TFont copy(f);
    EXPECT_EQ(copy.outlineWidth(), 1);
    EXPECT_EQ(copy.flags(), f.flags());
    EXPECT_EQ(copy.handle(), 0u);
}

TEST_F(FontTest, GlyphsAdvanceByCellsAndTheOutlineGoesUnderTheText) {
    TFont f;
    f.setHeight(8);  // ascent 6: half cells 4 wide, boxes 2 x 6 from column 1
    TSurface32 s;
    s.createFilled(20, 10, 0xFF000000u);
    TTextOut out;
    out.drawToSurface(s, 0, 0, f, "AB C", 0xFFFFFFFFu, 0xFF0000FFu);
    EXPECT_EQ(row(s, 0, 0xFF000000u), ".##..##......##.....");
    EXPECT_EQ(row(s, 6, 0xFF000000u), "....................");

    f.setFlags(TFont::kGrey | TFont::kOutline);
    s.fill(0xFF000000u);
    out.drawToSurface(s, 0, 0, f, "A", 0xFFFFFFFFu, 0xFF0000FFu);
    // Origin (1, 1): the glyph at columns 2-3, its outline one pixel around, the glyph on top.
    EXPECT_EQ(s.getPixel(2, 3), 0xFFFFFFFFu);
    EXPECT_EQ(s.getPixel(1, 3), 0xFF0000FFu);
    EXPECT_EQ(s.getPixel(4, 3), 0xFF0000FFu);
    EXPECT_EQ(s.getPixel(2, 0), 0xFF0000FFu);

    // Emboldened: one pixel wider, grey levels composited over themselves.
    provider.level = 8;
    f.setFlags(TFont::kGrey | TFont::kBold);
    TAlphaCh a;
    a.createFill(12, 8, 0);
    out.drawToAlphaCh(a, 0, 0, f, "A");
    EXPECT_EQ(a.row(0)[1], 16 * 8 - 1);
    EXPECT_EQ(a.row(0)[2], 16 * 12 - 1);  // 8 under 8: (16 - 8) x 8 / 16 + 8
    EXPECT_EQ(a.row(0)[3], 16 * 8 - 1);
    EXPECT_EQ(a.row(0)[4], 0);
    f.setFlags(TFont::kBold);  // one bit a pixel
    a.fill(0);
    out.drawToAlphaCh(a, 0, 0, f, "A");
    EXPECT_EQ(a.row(0)[3], 0xFF);
    EXPECT_EQ(a.row(0)[4], 0);
}

TEST_F(FontTest, AlphaTargetLevelsAndASpreadThatStaysOnItsRow) {
    TFont f;
    f.setHeight(8);
    TAlphaCh a;
    a.createFill(8, 8, 0);
    TTextOut out;
    provider.level = 1;
    out.drawToAlphaCh(a, 0, 0, f, "A");
    EXPECT_EQ(a.row(0)[1], 0x0F);
    provider.level = 16;
    out.drawToAlphaCh(a, 0, 0, f, "A");
    EXPECT_EQ(a.row(0)[1], 0xFF);
    // A glyph against the right edge spread by 2: nothing reaches the start of the next rows.
    a.fill(0);
    provider.level = 4;
    out.drawToAlphaCh(a, 5, 0, f, "A", 0, 0, 2);
    for (int y = 0; y < 8; ++y) EXPECT_EQ(a.row(y)[0], 0) << y;
    EXPECT_EQ(a.row(2)[7], 255);     // saturated by its neighbours
    EXPECT_EQ(a.row(7)[7], 2 * 63);  // rows 5 and 6 of the glyph reach row 7 (with columns 6 and 7)
}

TEST_F(FontTest, TextObjectsRenderOnlyWhenSomethingChanged) {
    TFont f;
    f.setHeight(8);
    TTextObj t;
    t.setFont(&f);
    EXPECT_EQ(t.getColor(), 0xFFFFFFFFu);
    EXPECT_EQ(t.getOutlineColor(), 0xFF1F1F1Fu);
    t.setText("AB");
    t.setText("AB");
    TSurface32 s;
    s.createFilled(32, 16, 0xFF000000u);
    t.setPos(4, 2);
    t.draw(s);
    t.draw(s);
    EXPECT_EQ(t.renderCount(), 1u);
    EXPECT_EQ(t.getSize().cx, 8);
    EXPECT_EQ(s.getPixel(5, 2), 0xFFFFFFFFu);
    f.setFlags(TFont::kGrey | TFont::kShadow);  // the font is made anew: the text renders again
    t.draw(s);
    EXPECT_EQ(t.renderCount(), 2u);
    EXPECT_EQ(t.getSize().cx, 11);
    t.setPosOnScreen(placement::kCentre, 0);  // no screen: a span of 0
    EXPECT_EQ(t.getX(), -5);
    auto c = t.clone();
    auto* copy = dynamic_cast<TTextObj*>(c.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_TRUE(t.isSameType(*copy));
    copy->render();
    EXPECT_NE(copy->getSurface(), t.getSurface());
}

TEST_F(FontTest, BitmapCellFontsLayOutCharacters) {
    TSurface32 sheet;
    sheet.createFilled(40, 6, 0xFFFFFFFFu);
    TAsciiFont font;
    EXPECT_FALSE(font.create(&sheet, 0, 1, 48, 57));
    ASSERT_TRUE(font.create(&sheet, 10, 1, 48, 57));
    EXPECT_EQ(font.getGlyph(15)->getSurface(), nullptr);
    EXPECT_EQ(*font.getGlyph(16)->getSourceRect(), (RECT{0, 0, 4, 6}));
    EXPECT_EQ(*font.getGlyph(25)->getSourceRect(), (RECT{36, 0, 40, 6}));
    EXPECT_EQ(font.getGlyph(26)->getSurface(), nullptr);
    font.setPitch(8, 8);
    TNumObj n;
    n.setFont(&font);
    n.setNumber(123, "%d");
    n.setDirection(1);
    n.setPos(100, 0);
    TSurface32 s;
    s.createFilled(120, 8, 0xFF000000u);
    n.draw(s);
    std::string starts;
    for (int x = 0; x < 120; ++x)
        if (s.getPixel(x, 0) != 0xFF000000u && (x == 0 || s.getPixel(x - 1, 0) == 0xFF000000u))
            starts += std::to_string(x) + " ";
    EXPECT_EQ(starts, "76 84 92 ");
    n.setText(
        "1\x01"
        "2");  // a character without a cell still takes its pitch
    n.setDirection(0);
    EXPECT_EQ(n.getSize().cx, 2 * 8 + 4);
}

// ---- the real font ------------------------------------------------------------------------------

namespace {

std::string packageVersion(const char* package) {
    std::string cmd = std::string("dpkg-query -W -f='${Version}' ") + package + " 2>/dev/null";
    std::string out;
    if (FILE* p = popen(cmd.c_str(), "r")) {
        char buf[128];
        while (std::fgets(buf, sizeof buf, p)) out += buf;
        pclose(p);
    }
    return out;
}

uint64_t hashOf(const TSurface32& s) {
    uint64_t h = 1469598103934665603ull;
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x) h = (h ^ (s.getPixel(x, y) >> 24)) * 1099511628211ull;
    return h;
}

}  // namespace

TEST(RealFont, IpaGothicRendersInsideTheMeasuredBox) {
    const std::string file = platform::fontFileFor(texts::defaultFace());
    if (file.find("ipag") == std::string::npos && file.find("japanese-gothic") == std::string::npos)
        GTEST_SKIP() << "IPAGothic is not installed";
    for (const bool grey : {true, false}) {
        SCOPED_TRACE(grey ? "grey" : "mono");
        TFont f;
        f.setFlags(grey ? uint32_t(TFont::kGrey) : 0u);
        ASSERT_TRUE(f.create());
        EXPECT_EQ(f.metrics().height, 24);
        EXPECT_GT(f.metrics().ascent, 16);
        TTextSprite t;
        t.setFont(&f);
        t.setText(platform::toSjis("あA"));
        t.render();
        ASSERT_NE(t.getSurface(), nullptr);
        const TSurface32& s = *t.getSurface();
        EXPECT_EQ(s.width(), 36);
        EXPECT_EQ(s.height(), 24);
        // Ink in the full cell of "あ" and the half cell of "A".
        int left = 0, right = 0;
        for (int y = 0; y < s.height(); ++y)
            for (int x = 0; x < s.width(); ++x)
                if (s.getPixel(x, y) >> 24) ++(x < 24 ? left : right);
        EXPECT_GT(left, 60);
        EXPECT_GT(right, 20);
        // Each glyph's black box lies inside its cell.
        for (const uint32_t code : {platform::unicodeToSjis(0x3042), uint32_t('A')}) {
            platform::GlyphMetrics gm;
            const auto format = grey ? platform::GlyphFormat::Gray17 : platform::GlyphFormat::Mono;
            ASSERT_GT(platform::glyphProvider().glyph(f.handle(), code, format, {}, gm, nullptr, 0), 0);
            const int32_t cell = code > 0xFF ? 24 : 12, top = f.metrics().ascent - gm.originY;
            EXPECT_GE(gm.originX, 0);
            EXPECT_LE(gm.originX + int32_t(gm.blackBoxX), cell);
            EXPECT_GE(top, 0);
            EXPECT_LE(top + int32_t(gm.blackBoxY), 24);
        }
        // Pinned for the font and FreeType packages the hashes were taken with.
        if (packageVersion("fonts-ipafont-gothic") == "00303-23" &&
            packageVersion("libfreetype6") == "2.12.1+dfsg-5+deb12u4") {
            EXPECT_EQ(hashOf(s), grey ? 0x15ec0ce5354753cfull : 0x103751a9a752b2a2ull) << std::hex << hashOf(s);
        }
    }
}

// Heights from scripts reach the provider no taller than the screen, either way of asking (a
// negative height asks for the character's height); the height asked for is kept.
TEST_F(FontTest, FontsAreMadeNoTallerThanTheScreen) {
    TFont f;
    f.setHeight(100000);
    EXPECT_EQ(provider.heights[f.handle()], 100000) << "no screen yet: as asked";
    {
        TGraphic screen;
        ASSERT_TRUE(screen.create(800, 600, 1));
        for (const int32_t h : {100000, -100000, INT32_MIN, 600, -20, 0}) {
            f.setHeight(h);
            EXPECT_EQ(provider.heights[f.handle()], std::clamp(h, -600, 600)) << h;
            EXPECT_EQ(f.height(), h);
        }
    }
}

// A stroke thinner than a pixel still shows at every size: the underscore draws ink in the
// lower part of its own half cell, its box inside the cell.
TEST(RealFont, TheUnderscoreShowsAtEverySize) {
    const std::string file = platform::fontFileFor(texts::defaultFace());
    if (file.find("ipag") == std::string::npos && file.find("japanese-gothic") == std::string::npos)
        GTEST_SKIP() << "IPAGothic is not installed";
    for (const bool grey : {true, false})
        for (int32_t height = 10; height <= 40; ++height) {
            SCOPED_TRACE(std::string(grey ? "grey " : "mono ") + std::to_string(height));
            TFont f;
            f.setFlags(grey ? uint32_t(TFont::kGrey) : 0u);
            f.setHeight(height);
            ASSERT_NE(f.handle(), 0u);
            platform::GlyphMetrics gm;
            const auto format = grey ? platform::GlyphFormat::Gray17 : platform::GlyphFormat::Mono;
            ASSERT_GT(platform::glyphProvider().glyph(f.handle(), '_', format, {}, gm, nullptr, 0), 0);
            const int32_t top = f.metrics().ascent - gm.originY;
            EXPECT_GE(top, 0);
            EXPECT_LE(top + int32_t(gm.blackBoxY), height);
            TTextSprite t;
            t.setFont(&f);
            t.setText("a_b");
            t.render();
            ASSERT_NE(t.getSurface(), nullptr);
            const TSurface32& s = *t.getSurface();
            int ink = 0;
            for (int y = height / 2; y < height; ++y)
                for (int x = height / 2; x < height; ++x) ink += (s.getPixel(x, y) >> 24) != 0;
            EXPECT_GE(ink, height / 4);
        }
}
