#pragma once
// Screenshots: 800 x 600 frames of ARGB words read from the window, kept as RGB PNG files.
#include <cstdint>
#include <string>
#include <vector>

class TGameFrameG2;

namespace mjtable {

bool writePng(const std::string& path, int width, int height, const std::vector<uint32_t>& argb);
// False when the file is missing or not a PNG this writer could have made.
bool readPng(const std::string& path, int& width, int& height, std::vector<uint32_t>& argb);
// The window's frame as the display shows it (read back from the real back end).
bool grabWindow(TGameFrameG2& frame, int& width, int& height, std::vector<uint32_t>& argb);

}  // namespace mjtable
