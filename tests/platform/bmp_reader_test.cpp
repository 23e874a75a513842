// The save thumbnails are plain bitmaps: SDL's own reader takes the file the engine's writer
// produces (the script tests check the writer against this same file) with every pixel in place.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>
#include <string>

namespace {

TEST(BmpReader, SdlReadsTheThumbnailFileWithEveryPixelInPlace) {
    const char* root = std::getenv("MJ_SOURCE_DIR");
    ASSERT_NE(root, nullptr);
    const std::string path = std::string(root) + "/tests/platform/bmp_fixtures/thumbnail_5x3.bmp";
    SDL_Surface* loaded = SDL_LoadBMP(path.c_str());
    ASSERT_NE(loaded, nullptr) << SDL_GetError();
    SDL_Surface* argb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(loaded);
    ASSERT_NE(argb, nullptr) << SDL_GetError();
    ASSERT_EQ(argb->w, 5);
    ASSERT_EQ(argb->h, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            const auto* row =
                reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(argb->pixels) + y * argb->pitch);
            const uint32_t want = 0xFF000000u | static_cast<uint32_t>(x * 0x330000 + y * 0x5500 + 0x11);
            EXPECT_EQ(row[x], want) << "pixel " << x << "," << y;
        }
    SDL_FreeSurface(argb);
}

}  // namespace
