// Surfaces and alpha channels made by the frame's graphics store: pictures decoded by its
// loaders, the alpha companion applied where the surface has none, damaged files refused.
#include "store/surface_maker.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/frame.h"
#include "graphics/surface32.h"
#include "graphics/surface8.h"
#include "picture_files.h"
#include "platform/headless.h"
#include "storage/storage.h"
#include "store/frame_storage.h"
#include "support/test_support.h"

using graphics::TAlphaCh;
using graphics::TSurface32;

namespace {

// The frame's own store over a folder of pictures: the maker is the one the frame installs.
class SurfaceStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::headless::reset();
        useStorageForFrames();
        frame = std::make_unique<TGameFrameG2>();
        ASSERT_TRUE(frame->create(nullptr, nullptr));
        store = dynamic_cast<TStorageGraph*>(TStorage::instance());
        ASSERT_NE(store, nullptr);
        store->setBaseFolder(dir.str());

        // bg.bmp: four colours; its grey companion bga.bmp gives them four alpha levels.
        file("bg.bmp", picture::bmp(2, 2, 24, {0x102030, 0x405060, 0x708090, 0xA0B0C0}));
        file("bga.bmp", picture::bmp(2, 2, 8, {0, 64, 128, 255}));
    }
    void TearDown() override {
        frame.reset();
        setFrameStorageMaker(nullptr);
        platform::headless::reset();
    }

    void file(const std::string& name, const std::vector<uint8_t>& bytes) {
        picture::write(dir.str() + "/" + name, bytes);
    }

    std::unique_ptr<TSurface32> surface(const std::string& name, bool withAlphaFile) {
        return std::unique_ptr<TSurface32>(store->loadSurface(name, withAlphaFile));
    }

    static std::vector<uint32_t> pixels(const TSurface32& s) {
        std::vector<uint32_t> out;
        for (int32_t y = 0; y < s.height(); ++y)
            for (int32_t x = 0; x < s.width(); ++x) out.push_back(s.getPixel(x, y));
        return out;
    }

    mjtest::TempDir dir;
    std::unique_ptr<TGameFrameG2> frame;
    TStorageGraph* store = nullptr;
};

std::vector<uint8_t> bytesOf(const TAlphaCh& ch) {
    std::vector<uint8_t> out;
    for (int32_t y = 0; y < ch.height(); ++y)
        for (int32_t x = 0; x < ch.width(); ++x) out.push_back(ch.row(y)[x]);
    return out;
}

}  // namespace

TEST_F(SurfaceStoreTest, ABitmapTakesItsCompanionsGreyLevelsAsAlphaOnlyWhenAsked) {
    auto s = surface("bg.bmp", true);
    ASSERT_NE(s, nullptr);
    ASSERT_EQ(s->width(), 2);
    ASSERT_EQ(s->height(), 2);
    EXPECT_TRUE(s->hasAlpha());
    EXPECT_EQ(pixels(*s), (std::vector<uint32_t>{0x00102030, 0x40405060, 0x80708090, 0xFFA0B0C0}));

    s = surface("bg.bmp", false);
    ASSERT_NE(s, nullptr);
    EXPECT_FALSE(s->hasAlpha());
    EXPECT_EQ(pixels(*s), (std::vector<uint32_t>{0xFF102030, 0xFF405060, 0xFF708090, 0xFFA0B0C0}));

    // A 24-bit companion gives the grey level of each colour: (77 R + 150 G + 29 B) >> 8.
    file("fg.bmp", picture::bmp(1, 1, 24, {0x000000}));
    file("fga.bmp", picture::bmp(1, 1, 24, {0x336699}));
    s = surface("fg.bmp", true);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->getPixel(0, 0), 0x5C000000u);  // (77 * 0x33 + 150 * 0x66 + 29 * 0x99) >> 8 = 92
}

TEST_F(SurfaceStoreTest, AMissingOrDamagedCompanionLeavesTheSurfaceOpaque) {
    file("lone.bmp", picture::bmp(2, 1, 24, {0x112233, 0x445566}));
    auto s = surface("lone.bmp", true);
    ASSERT_NE(s, nullptr);
    EXPECT_FALSE(s->hasAlpha());
    EXPECT_EQ(pixels(*s), (std::vector<uint32_t>{0xFF112233, 0xFF445566}));

    // Garbage, a header alone and rows cut short: none of them loads, so none is applied.
    const std::vector<uint8_t> good = picture::bmp(2, 1, 8, {7, 7});
    const std::vector<std::vector<uint8_t>> damaged = {
        {'B', 'M', 0xFF, 0x00, 0x13},
        std::vector<uint8_t>(good.begin(), good.begin() + 54),
        std::vector<uint8_t>(good.begin(), good.end() - 5),
        {},
    };
    for (size_t i = 0; i < damaged.size(); ++i) {
        SCOPED_TRACE(i);
        file("lonea.bmp", damaged[i]);
        s = surface("lone.bmp", true);
        ASSERT_NE(s, nullptr);
        EXPECT_FALSE(s->hasAlpha());
        EXPECT_EQ(pixels(*s), (std::vector<uint32_t>{0xFF112233, 0xFF445566}));
    }

    // A companion of another size changes only the pixels both share.
    file("lonea.bmp", picture::bmp(1, 1, 8, {9}));
    s = surface("lone.bmp", true);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(pixels(*s), (std::vector<uint32_t>{0x09112233, 0xFF445566}));
    file("lonea.bmp", picture::bmp(5, 4, 8, std::vector<uint32_t>(20, 200)));
    s = surface("lone.bmp", true);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(pixels(*s), (std::vector<uint32_t>{0xC8112233, 0xC8445566}));
}

TEST_F(SurfaceStoreTest, PngPicturesAndCompanionsLoadLikeBitmaps) {
    const auto rgb = picture::png(2, 1, true, {0xFF0000, 0x00FF00});
    const auto grey = picture::png(2, 1, false, {10, 250});
    ASSERT_FALSE(rgb.empty());
    ASSERT_FALSE(grey.empty());
    file("pic.png", rgb);
    file("pica.png", grey);
    auto s = surface("pic.png", true);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(pixels(*s), (std::vector<uint32_t>{0x0AFF0000, 0xFA00FF00}));

    // A PNG companion of a bitmap, found by its full name with the "a" before the extension.
    file("mix.bmp", picture::bmp(2, 1, 24, {0x000001, 0x000002}));
    file("mixa.bmp", grey);  // the loaders go by content, not by extension
    s = surface("mix.bmp", true);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(pixels(*s), (std::vector<uint32_t>{0x0A000001, 0xFA000002}));
}

TEST_F(SurfaceStoreTest, TheKeyColourMakesPixelsTransparentAndTheCompanionStillApplies) {
    graphics::TImageTrans key;
    key.flags = 1;
    key.keyColor = 0x605040;  // 0x405060 written blue, green, red
    std::unique_ptr<TSurface32> s(store->loadSurfaceWith("bg.bmp", &key, false));
    ASSERT_NE(s, nullptr);
    EXPECT_TRUE(s->isColorKeyed());
    EXPECT_EQ(pixels(*s), (std::vector<uint32_t>{0xFF102030, 0x00000000, 0xFF708090, 0xFFA0B0C0}));

    // A keyed surface has no alpha of its own, so it takes the companion's.
    s.reset(store->loadSurfaceWith("bg.bmp", &key, true));
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(pixels(*s), (std::vector<uint32_t>{0x00102030, 0x40000000, 0x80708090, 0xFFA0B0C0}));
}

TEST_F(SurfaceStoreTest, DamagedOrMissingPicturesGiveNoSurfaceAndNoAlphaChannel) {
    const std::vector<uint8_t> good = picture::bmp(3, 3, 24, std::vector<uint32_t>(9, 0x123456));
    std::vector<uint8_t> huge = good;
    picture::put32(huge, 18, 0x7FFFFFFF);  // a width the bits cannot hold
    std::vector<uint8_t> png = picture::png(3, 3, true, std::vector<uint32_t>(9, 0x123456));
    ASSERT_GT(png.size(), 40u);
    png.resize(png.size() - 20);  // the image data cut short
    const std::vector<std::vector<uint8_t>> damaged = {
        {},   {'B', 'M'}, std::vector<uint8_t>(good.begin(), good.begin() + 60),
        huge, png,        std::vector<uint8_t>(300, 0xA5),
    };
    for (size_t i = 0; i < damaged.size(); ++i) {
        SCOPED_TRACE(i);
        file("bad.bmp", damaged[i]);
        file("bada.bmp", good);
        EXPECT_EQ(surface("bad.bmp", true), nullptr);
        EXPECT_EQ(surface("bad.bmp", false), nullptr);
        EXPECT_EQ(std::unique_ptr<TAlphaCh>(store->loadAlphaChannel("bad.bmp")), nullptr);
    }
    EXPECT_EQ(surface("nothing.bmp", true), nullptr);
    EXPECT_EQ(std::unique_ptr<TAlphaCh>(store->loadAlphaChannel("nothing.bmp")), nullptr);
    // A folder is not a picture.
    std::filesystem::create_directory(dir.path() / "dir.bmp");
    EXPECT_EQ(surface("dir.bmp", true), nullptr);
}

TEST_F(SurfaceStoreTest, AlphaChannelsAreTheGreyLevelsOfThePicture) {
    std::unique_ptr<TAlphaCh> ch(store->loadAlphaChannel("bga.bmp"));
    ASSERT_NE(ch, nullptr);
    EXPECT_EQ(ch->width(), 2);
    EXPECT_EQ(ch->height(), 2);
    EXPECT_EQ(bytesOf(*ch), (std::vector<uint8_t>{0, 64, 128, 255}));

    file("rule.bmp", picture::bmp(3, 1, 24, {0xFFFFFF, 0x336699, 0x000000}));
    ch.reset(store->loadAlphaChannel("rule.bmp"));
    ASSERT_NE(ch, nullptr);
    EXPECT_EQ(ch->pitch(), 4);
    EXPECT_EQ(bytesOf(*ch), (std::vector<uint8_t>{255, 92, 0}));
}

TEST_F(SurfaceStoreTest, DepthsTheSurfacesDoNotConvertGiveDefinedTransparentPixels) {
    file("deep.bmp", picture::bmp(3, 2, 16, std::vector<uint32_t>(6, 0x7FFF)));
    auto s = surface("deep.bmp", false);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(pixels(*s), std::vector<uint32_t>(6, 0u));
    EXPECT_FALSE(s->hasAlpha());

    std::unique_ptr<TAlphaCh> ch(store->loadAlphaChannel("deep.bmp"));
    ASSERT_NE(ch, nullptr);
    EXPECT_EQ(bytesOf(*ch), std::vector<uint8_t>(6, 0));
}

TEST(GraphicsSurfaceMaker, AnEmptyImageMakesNothing) {
    TGraphicsSurfaceMaker maker;
    TImage empty;
    EXPECT_EQ(maker.makeSurface(empty, nullptr), nullptr);
    EXPECT_EQ(maker.makeAlphaChannel(empty), nullptr);
    TSurface32 s;
    ASSERT_TRUE(s.createFilled(1, 1, 0xFF123456));
    maker.applyAlphaFromImage(s, empty);  // nothing to read: the colour stays
    EXPECT_EQ(s.getPixel(0, 0) & 0xFFFFFF, 0x123456u);
}
