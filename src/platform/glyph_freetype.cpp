// The glyph provider on FreeType and fontconfig.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <strings.h>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <tuple>
#include <vector>

#include "platform/codepage.h"
#include "platform/glyph_provider.h"

namespace platform {

namespace {

// The face every Windows face name of the game's texts stands for: a Japanese gothic that
// covers all of Shift-JIS.
constexpr const char* kJapaneseGothic = "IPAGothic";

// Windows face names (UTF-8) that are mapped to the Japanese gothic.
constexpr const char* kWindowsFaces[] = {
    "ＭＳ ゴシック", "ＭＳ Ｐゴシック", "ＭＳ 明朝",    "ＭＳ Ｐ明朝", "ＭＳ ＵＩ Gothic",
    "MS Gothic",     "MS PGothic",      "MS UI Gothic", "MS Mincho",   "MS PMincho",
    "メイリオ",      "Meiryo",          "System",       "Terminal",    "FixedSys",
};

// Synthetic italic: x += y x tan(about 11 degrees).
constexpr FT_Fixed kItalicShear = 0x3333;
// Cached glyphs kept at most; the cache starts afresh past it.
constexpr size_t kCacheLimit = 8192;

struct FaceFile {
    std::string path;
    int index = 0;
};

bool familyMatches(FcPattern* match, const std::string& family) {
    FcChar8* value = nullptr;
    for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &value) == FcResultMatch; ++i)
        if (strcasecmp(reinterpret_cast<const char*>(value), family.c_str()) == 0) return true;
    return false;
}

// The file fontconfig matches to the family; with exact, only one that carries the name.
bool lookUp(const std::string& family, bool exact, FaceFile& out) {
    static const bool ready = [] {
        if (!FcInit()) return false;
        // fontconfig keeps its configuration until told to let it go.
        std::atexit(FcFini);
        return true;
    }();
    if (!ready) return false;
    FcPattern* pattern = FcPatternCreate();
    if (!pattern) return false;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match) return false;
    FcChar8* file = nullptr;
    int index = 0;
    bool ok = FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && (!exact || familyMatches(match, family));
    if (ok) {
        FcPatternGetInteger(match, FC_INDEX, 0, &index);
        out.path = reinterpret_cast<const char*>(file);
        out.index = index;
    }
    FcPatternDestroy(match);
    return ok;
}

// The file for a face; family is left naming the family it was looked up as.
bool faceFileFor(const std::string& sjisFace, FaceFile& out, std::string* family = nullptr) {
    const std::string utf8 = toUtf8(sjisFace);
    bool windows = utf8.empty();
    for (const char* name : kWindowsFaces) windows = windows || utf8 == name;
    if (family) *family = utf8;
    if (!windows && lookUp(utf8, true, out)) return true;
    if (family) *family = kJapaneseGothic;
    return lookUp(kJapaneseGothic, true, out) || lookUp(kJapaneseGothic, false, out);
}

struct Font {
    FT_Face face = nullptr;
    FaceFile file;
    FT_F26Dot6 ppem = 0;  // 26.6 pixels per em
    int32_t weight = 400;
    bool italic = false;
    TextMetrics metrics;
};

using GlyphKey =
    std::tuple<std::string, int, FT_F26Dot6, int32_t, bool, int, int32_t, int32_t, int32_t, int32_t, uint32_t>;
struct CachedGlyph {
    GlyphMetrics metrics;
    std::vector<uint8_t> bits;
};

class FreeTypeProvider final : public GlyphProvider {
public:
    ~FreeTypeProvider() override {
        for (auto& [h, f] : fonts_) FT_Done_Face(f->face);
        if (library_) FT_Done_FreeType(library_);
    }

    FontHandle createFont(const FontRequest& request) override {
        if (!library_ && FT_Init_FreeType(&library_) != 0) return 0;
        auto font = std::make_unique<Font>();
        if (!faceFileFor(request.face, font->file)) return 0;
        if (FT_New_Face(library_, font->file.path.c_str(), font->file.index, &font->face) != 0) return 0;
        FT_Face face = font->face;
        // The cell (the height the call is given) spans the Windows ascent and descent.
        int32_t winAscent = face->ascender, winDescent = -face->descender;
        if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2)); os2 && os2->version != 0xFFFF) {
            winAscent = os2->usWinAscent;
            winDescent = os2->usWinDescent;
        }
        const int32_t units = std::max(1, winAscent + winDescent);
        const int32_t upem = std::max<int32_t>(1, face->units_per_EM);
        int32_t cell = request.height;
        if (cell < 0) {
            // A character height: the em is that tall, the cell taller.
            font->ppem = int64_t(-int64_t(cell)) * 64;
            cell = static_cast<int32_t>(std::lround(double(-int64_t(cell)) * units / upem));
        } else {
            if (cell == 0) cell = 16;
            font->ppem = static_cast<FT_F26Dot6>(std::llround(double(cell) * 64 * upem / units));
        }
        font->ppem = std::clamp<FT_F26Dot6>(font->ppem, 64, 64 * 2048);
        cell = std::clamp(cell, 1, 4096);
        font->metrics.height = cell;
        font->metrics.ascent = static_cast<int32_t>(std::lround(double(cell) * winAscent / units));
        font->metrics.descent = cell - font->metrics.ascent;
        font->weight = request.weight;
        font->italic = request.italic;
        const FontHandle handle = next_++;
        fonts_[handle] = std::move(font);
        return handle;
    }

    void deleteFont(FontHandle handle) override {
        auto it = fonts_.find(handle);
        if (it == fonts_.end()) return;
        FT_Done_Face(it->second->face);
        fonts_.erase(it);
    }

    TextMetrics metrics(FontHandle handle) override {
        Font* f = fontOf(handle);
        return f ? f->metrics : TextMetrics{};
    }

    int32_t glyph(FontHandle handle, uint32_t code, GlyphFormat format, const GlyphMatrix& m, GlyphMetrics& gm,
                  void* buffer, uint32_t size) override {
        Font* f = fontOf(handle);
        if (!f) return -1;
        const bool mono = format == GlyphFormat::Mono;
        GlyphKey key{f->file.path, f->file.index, f->ppem, f->weight, f->italic, mono ? 1 : 0,
                     m.m11,        m.m12,         m.m21,   m.m22,     code};
        auto it = cache_.find(key);
        if (it == cache_.end()) {
            CachedGlyph g;
            if (!render(*f, code, mono, m, g)) return -1;
            if (cache_.size() >= kCacheLimit) cache_.clear();
            it = cache_.emplace(std::move(key), std::move(g)).first;
        }
        gm = it->second.metrics;
        const auto bytes = static_cast<uint32_t>(it->second.bits.size());
        if (buffer && size >= bytes && bytes) std::memcpy(buffer, it->second.bits.data(), bytes);
        return static_cast<int32_t>(bytes);
    }

private:
    Font* fontOf(FontHandle handle) {
        if (handle == 0) {
            if (!defaultFont_) {
                FontRequest r;
                r.height = 16;
                defaultFont_ = createFont(r);
            }
            handle = defaultFont_;
        }
        auto it = fonts_.find(handle);
        return it == fonts_.end() ? nullptr : it->second.get();
    }

    // Loads the glyph with the load flags, styles and transforms it and renders it into the
    // face's slot; the advance through the matrix.
    bool rasterise(Font& f, FT_UInt index, FT_Int32 load, bool mono, const GlyphMatrix& m, FT_Vector& advance) {
        FT_Face face = f.face;
        if (FT_Load_Glyph(face, index, load) != 0) return false;
        FT_GlyphSlot slot = face->glyph;
        if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return false;
        if (f.weight > 400) {
            // Heavier weights thicken the outline: 1/24 of the em per 300 of weight.
            const FT_Pos strength = static_cast<FT_Pos>(f.ppem * (f.weight - 400) / 300 / 24);
            FT_Outline_Embolden(&slot->outline, strength);
        }
        if (f.italic) {
            FT_Matrix shear{0x10000, kItalicShear, 0, 0x10000};
            FT_Outline_Transform(&slot->outline, &shear);
        }
        advance = FT_Vector{slot->advance.x, 0};
        if (m.m11 != 0x10000 || m.m12 != 0 || m.m21 != 0 || m.m22 != 0x10000) {
            FT_Matrix matrix{m.m11, m.m21, m.m12, m.m22};
            FT_Outline_Transform(&slot->outline, &matrix);
            FT_Vector_Transform(&advance, &matrix);
        }
        return FT_Render_Glyph(slot, mono ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) == 0;
    }

    bool render(Font& f, uint32_t code, bool mono, const GlyphMatrix& m, CachedGlyph& out) {
        FT_Face face = f.face;
        if (FT_Set_Char_Size(face, 0, f.ppem, 72, 72) != 0) return false;
        // The character set is Shift-JIS whatever the machine's locale.
        const FT_UInt index = FT_Get_Char_Index(face, sjisToUnicode(code));
        const FT_Int32 load = FT_LOAD_NO_BITMAP | (mono ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL);
        FT_Vector advance;
        if (!rasterise(f, index, load, mono, m, advance)) return false;
        // Hinting can fit a stroke thinner than a pixel (the underscore at some sizes) to no
        // height at all: such a glyph is drawn as its outline lies instead.
        if ((face->glyph->bitmap.width == 0 || face->glyph->bitmap.rows == 0) &&
            !rasterise(f, index, load | FT_LOAD_NO_HINTING, mono, m, advance))
            return false;
        FT_GlyphSlot slot = face->glyph;
        const FT_Bitmap& bm = slot->bitmap;
        out.metrics.cellIncX = static_cast<int16_t>((advance.x + 32) >> 6);
        out.metrics.cellIncY = static_cast<int16_t>((advance.y + 32) >> 6);
        if (bm.width == 0 || bm.rows == 0) {
            out.metrics.blackBoxX = out.metrics.blackBoxY = 1;
            return true;
        }
        out.metrics.blackBoxX = bm.width;
        out.metrics.blackBoxY = bm.rows;
        out.metrics.originX = slot->bitmap_left;
        out.metrics.originY = slot->bitmap_top;
        const uint32_t pitch = mono ? (bm.width + 31) / 32 * 4 : (bm.width + 3) / 4 * 4;
        out.bits.assign(size_t(pitch) * bm.rows, 0);
        for (uint32_t y = 0; y < bm.rows; ++y) {
            const uint8_t* src = bm.buffer + ptrdiff_t(y) * bm.pitch;
            uint8_t* dst = out.bits.data() + size_t(y) * pitch;
            if (mono) {
                std::memcpy(dst, src, (bm.width + 7) / 8);
            } else {
                for (uint32_t x = 0; x < bm.width; ++x) dst[x] = static_cast<uint8_t>((src[x] * 16 + 127) / 255);
            }
        }
        return true;
    }

    FT_Library library_ = nullptr;
    std::map<FontHandle, std::unique_ptr<Font>> fonts_;
    FontHandle next_ = 1;
    FontHandle defaultFont_ = 0;
    std::map<GlyphKey, CachedGlyph> cache_;
};

GlyphProvider* installed = nullptr;

}  // namespace

GlyphProvider& glyphProvider() {
    // Never destroyed: fonts held by objects of static storage are released while the program
    // exits (also through exit() from inside a library, when the display is lost), and the
    // provider they are released to must still be there then.
    static FreeTypeProvider* const freeType = new FreeTypeProvider;
    return installed ? *installed : *freeType;
}

void setGlyphProvider(GlyphProvider* p) { installed = p; }

std::string fontFileFor(const std::string& sjisFace) {
    FaceFile f;
    return faceFileFor(sjisFace, f) ? f.path : std::string();
}

TextFontCheck checkTextFont(const std::string& sjisFace) {
    TextFontCheck check;
    FaceFile f;
    if (!faceFileFor(sjisFace, f, &check.family)) return check;
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) return check;
    FT_Face face = nullptr;
    if (FT_New_Face(library, f.path.c_str(), f.index, &face) == 0) {
        // A kana and a kanji: a font that stands in for the face without them draws no line of
        // the story.
        check.showsJapanese = FT_Get_Char_Index(face, 0x3042) != 0 && FT_Get_Char_Index(face, 0x6F22) != 0;
        FT_Done_Face(face);
    }
    FT_Done_FreeType(library);
    return check;
}

}  // namespace platform
