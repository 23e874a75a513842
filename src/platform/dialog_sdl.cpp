// Drawing of the text-entry overlay on the real back end: the owner's last frame dimmed, a panel
// with the caption, the prompt, the entry line and two buttons, text through FreeType.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <mutex>
#include <vector>

#include "platform/codepage.h"
#include "platform/window_backend.h"

namespace platform::detail {
namespace {

class GlyphPainter {
public:
    GlyphPainter() {
        if (FT_Init_FreeType(&library_) != 0) return;
        std::string file = findFont();
        if (file.empty() || FT_New_Face(library_, file.c_str(), 0, &face_) != 0) {
            face_ = nullptr;
            return;
        }
        FT_Set_Pixel_Sizes(face_, 0, 12);
    }
    ~GlyphPainter() {
        if (face_) FT_Done_Face(face_);
        if (library_) FT_Done_FreeType(library_);
    }

    // Draws UTF-8 text with its baseline at y, clipped to the clip rectangle; returns the pen's end.
    int draw(std::vector<uint32_t>& px, int w, int h, int x, int y, const std::string& utf8, uint32_t colour,
             const Rect& clip) {
        if (!face_) return x;
        const auto* p = reinterpret_cast<const uint8_t*>(utf8.data());
        const auto* end = p + utf8.size();
        while (p < end) {
            uint32_t cp = decodeUtf8(p, end);
            p = nextUtf8(p, end);
            if (FT_Load_Char(face_, cp, FT_LOAD_RENDER) != 0) continue;
            FT_GlyphSlot g = face_->glyph;
            const FT_Bitmap& bm = g->bitmap;
            int gx = x + g->bitmap_left, gy = y - g->bitmap_top;
            for (unsigned row = 0; row < bm.rows; ++row) {
                for (unsigned col = 0; col < bm.width; ++col) {
                    int X = gx + static_cast<int>(col), Y = gy + static_cast<int>(row);
                    if (X < std::max(clip.left, 0) || X >= std::min(clip.right, w) || Y < std::max(clip.top, 0) ||
                        Y >= std::min(clip.bottom, h))
                        continue;
                    unsigned a = bm.buffer[row * static_cast<unsigned>(bm.pitch) + col];
                    uint32_t& d = px[static_cast<size_t>(Y) * w + X];
                    d = blend(d, colour, a);
                }
            }
            x += static_cast<int>(g->advance.x >> 6);
        }
        return x;
    }

private:
    static uint32_t blend(uint32_t dst, uint32_t src, unsigned a) {
        auto ch = [&](int s) {
            unsigned dv = (dst >> s) & 0xFF, sv = (src >> s) & 0xFF;
            return ((sv * a + dv * (255 - a)) / 255) << s;
        };
        return 0xFF000000u | ch(16) | ch(8) | ch(0);
    }

    static std::string findFont() {
        std::string out;
        FcConfig* config = FcInitLoadConfigAndFonts();
        if (!config) return out;
        FcPattern* pat = FcNameParse(reinterpret_cast<const FcChar8*>("IPAGothic"));
        FcConfigSubstitute(config, pat, FcMatchPattern);
        FcDefaultSubstitute(pat);
        FcResult result;
        if (FcPattern* match = FcFontMatch(config, pat, &result)) {
            FcChar8* file = nullptr;
            if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file)
                out = reinterpret_cast<const char*>(file);
            FcPatternDestroy(match);
        }
        FcPatternDestroy(pat);
        FcConfigDestroy(config);
        return out;
    }

    FT_Library library_ = nullptr;
    FT_Face face_ = nullptr;
};

void fill(std::vector<uint32_t>& px, int w, int h, const Rect& r, uint32_t colour) {
    for (int y = std::max(r.top, 0); y < std::min(r.bottom, h); ++y)
        for (int x = std::max(r.left, 0); x < std::min(r.right, w); ++x) px[static_cast<size_t>(y) * w + x] = colour;
}

void frame(std::vector<uint32_t>& px, int w, int h, const Rect& r, uint32_t colour) {
    fill(px, w, h, {r.left, r.top, r.right, r.top + 1}, colour);
    fill(px, w, h, {r.left, r.bottom - 1, r.right, r.bottom}, colour);
    fill(px, w, h, {r.left, r.top, r.left + 1, r.bottom}, colour);
    fill(px, w, h, {r.right - 1, r.top, r.right, r.bottom}, colour);
}

}  // namespace

void drawDialogOverlay(HWND owner, const DialogView& v, int canvasWidth, int canvasHeight) {
    static std::mutex mutex;
    static GlyphPainter painter;
    std::lock_guard lock(mutex);
    int w = canvasWidth, h = canvasHeight;
    std::vector<uint32_t> px;
    if (!owner || !lastPresentedFrame(owner, w, h, px)) {
        w = std::max(canvasWidth, 1);
        h = std::max(canvasHeight, 1);
        px.assign(static_cast<size_t>(w) * h, 0xFF000000u);
    }
    for (uint32_t& p : px)  // dim what lies under the dialog
        p = 0xFF000000u | ((p >> 1) & 0x7F7F7F);
    fill(px, w, h, v.panel, 0xFFECE9D8u);
    frame(px, w, h, v.panel, 0xFF404040u);
    fill(px, w, h, v.titleBar, 0xFF2B5797u);
    painter.draw(px, w, h, v.titleBar.left + 6, v.titleBar.bottom - 6, v.title, 0xFFFFFFFFu, v.titleBar);
    painter.draw(px, w, h, v.promptBox.left, v.promptBox.bottom - 2, v.prompt, 0xFF000000u, v.panel);
    fill(px, w, h, v.edit, 0xFFFFFFFFu);
    frame(px, w, h, v.edit, 0xFF7A7A7Au);
    Rect inner{v.edit.left + 3, v.edit.top, v.edit.right - 3, v.edit.bottom};
    // A long line shows its end, as an auto-scrolled edit control does.
    std::string shown = v.text;
    int caret = painter.draw(px, w, h, inner.left, inner.bottom - 6, shown, 0xFF000000u, inner);
    while (caret > inner.right - 2 && !shown.empty()) {
        const auto* b = reinterpret_cast<const uint8_t*>(shown.data());
        shown.erase(0, static_cast<size_t>(nextUtf8(b, b + shown.size()) - b));
        fill(px, w, h, {inner.left, inner.top + 1, inner.right, inner.bottom - 1}, 0xFFFFFFFFu);
        caret = painter.draw(px, w, h, inner.left, inner.bottom - 6, shown, 0xFF000000u, inner);
    }
    fill(px, w, h, {caret + 1, inner.top + 4, caret + 2, inner.bottom - 4}, 0xFF000000u);
    for (const Rect* b : {&v.ok, &v.cancel}) {
        fill(px, w, h, *b, 0xFFDDDDDDu);
        frame(px, w, h, *b, 0xFF404040u);
    }
    // A disabled button's label is greyed.
    painter.draw(px, w, h, v.ok.left + 28, v.ok.bottom - 7, v.okLabel, v.okEnabled ? 0xFF000000u : 0xFF9A9A9Au, v.ok);
    painter.draw(px, w, h, v.cancel.left + 6, v.cancel.bottom - 7, v.cancelLabel,
                 v.cancelEnabled ? 0xFF000000u : 0xFF9A9A9Au, v.cancel);
    if (owner) presentOverlay(owner, px.data(), w, h);
}

}  // namespace platform::detail
