// The frame's resource store: made at construction in its graphics form, filled with the
// loaders at creation in the order they are asked, deleted with the frame.
#include "store/frame_storage.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "framework/frame.h"
#include "framework/window.h"
#include "platform/headless.h"
#include "platform/process.h"
#include "storage/storage.h"
#include "support/test_support.h"

using namespace platform;

namespace {

// The loaders in the order the store asks them.
std::vector<std::string> loaderOrder(TStorage& store) {
    std::vector<std::string> names;
    for (SpiFile* p = store.firstPlugin(); p; p = store.nextPlugin()) {
        if (dynamic_cast<SpiPngFile*>(p))
            names.push_back("png");
        else if (dynamic_cast<SpiJpegFile*>(p))
            names.push_back("jpeg");
        else if (auto* gce = dynamic_cast<SpiGceFile*>(p))
            names.push_back("gce " + std::to_string(gce->capacity()));
        else if (dynamic_cast<SpiArgbFile*>(p))
            names.push_back("argb");
        else if (dynamic_cast<SpiBmpFile*>(p))
            names.push_back("bmp");
        else
            names.push_back("?");
    }
    return names;
}

// A 2 x 1 24-bit bottom-up BMP: one red and one blue pixel.
void writeBmp(const std::string& path) {
    std::vector<uint8_t> b(62, 0);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, 62);
    put32(10, 54);
    put32(14, 40);
    put32(18, 2);
    put32(22, 1);
    b[26] = 1;
    b[28] = 24;
    put32(34, 8);
    const uint8_t pixels[8] = {0, 0, 255, 255, 0, 0, 0, 0};  // BGR red, BGR blue, padding
    std::copy(pixels, pixels + 8, b.begin() + 54);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), b.size());
}

class FrameStorageTest : public ::testing::Test {
protected:
    void SetUp() override {
        headless::reset();
        useStorageForFrames();
    }
    void TearDown() override {
        setFrameStorageMaker(nullptr);
        headless::reset();
    }
    TWindow window{"TStoreWindow"};
};

}  // namespace

TEST_F(FrameStorageTest, TheEngineFrameMakesTheGraphicsStoreAndAsksPngJpegGceArgbBmp) {
    auto* frame = new TGameFrameG2();
    // The store exists from the frame's construction, in its graphics form, still empty.
    ASSERT_NE(TStorage::instance(), nullptr);
    EXPECT_NE(dynamic_cast<TStorageGraph*>(TStorage::instance()), nullptr);
    EXPECT_EQ(TStorage::instance()->firstPlugin(), nullptr);
    TStorage* store = TStorage::instance();

    frame->setWindowed(true);
    ASSERT_EQ(window.create(), 0u);
    ASSERT_TRUE(frame->create(nullptr, &window));
    EXPECT_EQ(TStorage::instance(), store);  // the same store, filled
    EXPECT_EQ(loaderOrder(*store), (std::vector<std::string>{"png", "jpeg", "gce 4", "argb", "bmp"}));
    EXPECT_EQ(store->getBaseFolder(), store->getModuleFolder());
    EXPECT_FALSE(store->getBaseFolder().empty());

    // Terminating keeps the store for the tasks' last words; deleting the frame deletes it.
    frame->terminate();
    EXPECT_EQ(TStorage::instance(), store);
    delete frame;
    EXPECT_EQ(TStorage::instance(), nullptr);
}

TEST_F(FrameStorageTest, TheWindowedFrameAloneMakesAPlainStoreWithTheBitmapLoaders) {
    {
        TGameFrameWin frame;
        EXPECT_EQ(TStorage::instance(), nullptr);  // nothing before creation
        ASSERT_TRUE(frame.create(nullptr, nullptr));
        ASSERT_NE(TStorage::instance(), nullptr);
        EXPECT_EQ(dynamic_cast<TStorageGraph*>(TStorage::instance()), nullptr);
        EXPECT_EQ(loaderOrder(*TStorage::instance()), (std::vector<std::string>{"argb", "bmp"}));
    }
    EXPECT_EQ(TStorage::instance(), nullptr);

    // Without a maker the frame runs without a store.
    setFrameStorageMaker(nullptr);
    TGameFrameG2 frame;
    ASSERT_TRUE(frame.create(nullptr, nullptr));
    EXPECT_EQ(TStorage::instance(), nullptr);
    EXPECT_FALSE(frame.storage().exists());
}

TEST_F(FrameStorageTest, APictureLoadsThroughTheFramesLoadersAndAReplacedSeamDeletesItsStore) {
    mjtest::TempDir dir;
    writeBmp(dir.str() + "/pic.bmp");
    TGameFrameG2 frame;
    ASSERT_TRUE(frame.create(nullptr, nullptr));
    TStorage* store = TStorage::instance();
    ASSERT_NE(store, nullptr);
    store->setBaseFolder(dir.str());
    auto image = store->loadImage("pic.bmp");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width(), 2);
    EXPECT_EQ(image->height(), 1);
    EXPECT_EQ(store->loadImage("missing.bmp"), nullptr);

    // A seam put in its place deletes the old store; the new one is made at the next creation.
    frame.setStorage(nullptr);
    EXPECT_EQ(TStorage::instance(), nullptr);
    EXPECT_TRUE(frame.createStorage());
    ASSERT_NE(TStorage::instance(), nullptr);
    EXPECT_EQ(loaderOrder(*TStorage::instance()), (std::vector<std::string>{"png", "jpeg", "gce 4", "argb", "bmp"}));
}
