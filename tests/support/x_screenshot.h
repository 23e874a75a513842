// Photographs of a whole X screen, for the tests that hold a real window against the frame
// they drew. Needs ImageMagick's import on the path.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace testsupport {

// The X display the tests may open windows on (MJ_XDISPLAY), empty when there is none.
inline std::string xDisplay() {
    const char* d = std::getenv("MJ_XDISPLAY");
    return d ? d : "";
}

// Whether every one of the programs is on the path.
inline bool installed(const std::vector<const char*>& programs) {
    for (const char* p : programs)
        if (std::system(("command -v " + std::string(p) + " >/dev/null 2>&1").c_str()) != 0) return false;
    return true;
}

struct Shot {
    int w = 0, h = 0;
    std::vector<uint8_t> rgb;
    // 0xRRGGBB at (x, y); the caller keeps inside w x h.
    uint32_t at(int x, int y) const {
        const uint8_t* p = &rgb[(static_cast<size_t>(y) * w + x) * 3];
        return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    }
};

// The root window of `display` read into out by way of stem.ppm; stem.png is kept for people to
// look at, cut to `crop` (an import geometry such as "800x600+10+20") when one is given. False
// when the server could not be photographed or the file did not read back.
inline bool screenshot(const std::string& display, const std::string& stem, Shot& out, const std::string& crop = "") {
    const std::string ppm = stem + ".ppm";
    if (std::system(("import -display " + display + " -window root -depth 8 " + ppm + " 2>/dev/null").c_str()) != 0)
        return false;
    std::system(("import -display " + display + " -window root " + (crop.empty() ? "" : "-crop " + crop + " ") + stem +
                 ".png 2>/dev/null")
                    .c_str());
    FILE* f = std::fopen(ppm.c_str(), "rb");
    if (!f) return false;
    int max = 0;
    bool ok = std::fscanf(f, "P6 %d %d %d", &out.w, &out.h, &max) == 3 && max == 255 && out.w > 0 && out.h > 0;
    if (ok) {
        std::fgetc(f);
        out.rgb.resize(static_cast<size_t>(out.w) * out.h * 3);
        ok = std::fread(out.rgb.data(), 1, out.rgb.size(), f) == out.rgb.size();
    }
    std::fclose(f);
    return ok;
}

}  // namespace testsupport
