#pragma once
// Small files that describe large pictures: the hostile-inputs tool measures what the game pays
// for them, and the loader tests check that they are refused.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace picturebombs {

// A valid PNG of a blank colour picture of width x height: a few hundred kilobytes however large
// it is.
std::vector<uint8_t> blankPng(uint32_t width, uint32_t height);

// A JPEG of 16 x 16 pixels whose frame header claims width x height, comment segments behind its
// start bringing it to padTo bytes, so that the claim looks backed by data. With fullColour every
// component has the full resolution (the costliest progressive picture of a size), else the
// colour has half of it each way, as usual. Empty when the writer failed.
std::vector<uint8_t> jpegClaiming(int width, int height, bool progressive, bool fullColour = false, size_t padTo = 0);

}  // namespace picturebombs
