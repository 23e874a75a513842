#pragma once
// Small files that describe large pictures: the hostile-inputs tool measures what the game pays
// for them, and the loader tests check that they are refused.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace picturebombs {

// How a JPEG is written: components 1 (grey), 3 (RGB) or 4 (CMYK); with fullColour every
// component has the full resolution, else the colour has half of it each way, as usual; quality
// 0-100, or below 0 for the library's default.
struct JpegSpec {
    int width = 16;
    int height = 16;
    int components = 3;
    bool progressive = false;
    bool fullColour = false;
    int quality = -1;
};
// The JPEG of spec whose samples are sample(x, y, component); empty when the writer failed.
std::vector<uint8_t> writeJpeg(const JpegSpec& spec, const std::function<uint8_t(int x, int y, int k)>& sample);

// A PNG of width x height of a colour type and depth, every byte of its rows fill (a palette
// picture has an all-black palette as large as its depth allows); smallest compresses unfiltered
// runs. Empty when the writer failed.
std::vector<uint8_t> plainPng(uint32_t width, uint32_t height, int depth, int colourType, bool interlace, uint8_t fill,
                              bool smallest = false);

// A valid PNG of a blank colour picture of width x height: a few hundred kilobytes however large
// it is.
std::vector<uint8_t> blankPng(uint32_t width, uint32_t height);

// A JPEG of 16 x 16 pixels whose frame header claims width x height, comment segments behind its
// start bringing it to padTo bytes, so that the claim looks backed by data. With fullColour every
// component has the full resolution (the costliest progressive picture of a size), else the
// colour has half of it each way, as usual. Empty when the writer failed.
std::vector<uint8_t> jpegClaiming(int width, int height, bool progressive, bool fullColour = false, size_t padTo = 0);

// An uncompressed bottom-up BMP of width x height at bpp bits a pixel (1, 4, 8, 24 or 32), every
// pixel 0 (a palette as large as the depth allows, all black): its rows are all there, so only
// its sides tell it from a picture of the game. Empty for another depth or past 4 GiB.
std::vector<uint8_t> plainBmp(uint32_t width, uint32_t height, int bpp);

// An ARGB picture of width x height, every pixel 0, all of its pixels there. Empty past 4 GiB.
std::vector<uint8_t> plainArgb(uint32_t width, uint32_t height);

}  // namespace picturebombs
