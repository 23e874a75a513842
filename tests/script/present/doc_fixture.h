#pragma once
// A headless engine for the message document: a settable screen, counted pauses, an
// alpha-channel bank of square blocks by name, and a fixed-cell painter that lists its draws.
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "framework/sjis.h"
#include "framework/stream.h"
#include "script/present/doc/doc.h"
#include "script/value_exchange.h"

namespace doctest {

class TestHost : public present::DocHost {
public:
    graphics::SIZE screenSize() const override { return screen; }
    void pauseCore(int reason) override { ++pauses[reason]; }
    void resumeCore(int reason) override { --pauses[reason]; }
    void setTextInterval(int32_t v) override { interval = v; }
    void setTextIntervalEnable(bool on) override { intervalOn = on; }
    graphics::TAlphaCh* getAlphaCh(const std::string& name) override {
        auto& ch = bank[name];
        if (!ch) {
            ch = std::make_unique<graphics::TAlphaCh>();
            ch->createFill(20, 20, 255);
        }
        ++refs[name];
        return ch.get();
    }
    void releaseAlphaCh(graphics::TAlphaCh* ch) override {
        for (auto& [name, held] : bank)
            if (held.get() == ch) --refs[name];
    }
    std::string alphaChName(const graphics::TAlphaCh* ch) const override {
        for (auto& [name, held] : bank)
            if (held.get() == ch) return name;
        return {};
    }
    present::GlyphPainter& painter() override { return realFont ? present::glyphPainter() : cells; }

    graphics::SIZE screen{800, 600};
    std::map<int, int> pauses;
    std::map<std::string, std::unique_ptr<graphics::TAlphaCh>> bank;
    std::map<std::string, int> refs;
    int32_t interval = -1;
    bool intervalOn = true;
    present::FixedCellPainter cells;
    bool realFont = false;  // the game's fonts instead of the fixed cells
};

// Shift-JIS from UTF-8 through the system's own tables.
inline std::string sj(const std::string& utf8) {
    std::string out;
    utf8ToSjis(out, utf8);
    return out;
}

inline std::string save(present::TG2Doc& doc) {
    TMemoryStream m;
    {
        TValueExchange x(&m, true);
        doc.exchange(x);
    }
    return std::string(reinterpret_cast<const char*>(m.getBuffer()), m.size());
}

inline void load(present::TG2Doc& doc, const std::string& bytes) {
    TMemoryStream m;
    m.write(bytes.data(), static_cast<uint32_t>(bytes.size()));
    m.seek(0, 0);
    TValueExchange x(&m, false);
    doc.exchange(x);
}

inline bool samePixels(const graphics::TSurface32* a, const graphics::TSurface32* b) {
    if (!a || !b) return a == b;
    if (a->width() != b->width() || a->height() != b->height()) return false;
    for (int32_t y = 0; y < a->height(); ++y)
        for (int32_t x = 0; x < a->width(); ++x)
            if (a->getPixel(x, y) != b->getPixel(x, y)) return false;
    return true;
}

}  // namespace doctest

// Pieces of markup of every operand form, with characters whose trail byte is "\" (ソ).
inline std::string randomMarkup(std::mt19937& rng) {
    static const std::vector<std::string> pieces = {doctest::sj("漢字"),
                                                    doctest::sj("ソ"),
                                                    "ab",
                                                    "\n",
                                                    "\\n",
                                                    "\\p",
                                                    "\\\\",
                                                    "\\\"",
                                                    "\\'",
                                                    "\\b",
                                                    "\\B",
                                                    "\\i",
                                                    "\\U",
                                                    "\\g",
                                                    "\\A",
                                                    "\\l",
                                                    "\\q",
                                                    "\\Q",
                                                    "\\c(0000FF)",
                                                    std::string("\\c:\xFF\x00\x00\x00", 7),
                                                    std::string("\\k\x01\x02\x03\x04", 6),
                                                    "\\s(30)",
                                                    std::string("\\s:\x10\x00", 5),
                                                    std::string("\\s\x12\x00", 4),
                                                    std::string("\\w\x50\x00", 4),
                                                    std::string("\\h\x8C\x00", 4),
                                                    "\\x(100)",
                                                    std::string("\\y:\x20\x00", 5),
                                                    "\\x?",
                                                    "\\m(40)",
                                                    "\\t(" + doctest::sj("「") + ")",
                                                    "\\T(" + doctest::sj("」") + ")",
                                                    "\\f(" + doctest::sj("ＭＳ 明朝") + ")",
                                                    "\\f()",
                                                    "\\v(v01)",
                                                    "\\r(" + doctest::sj("かん-じ") + ")",
                                                    "\\r(-x)",
                                                    "\\z",
                                                    "\\" + doctest::sj("あ")};
    std::string s;
    for (int i = rng() % 30; i > 0; --i) s += pieces[rng() % pieces.size()];
    return s;
}
