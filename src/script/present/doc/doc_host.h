#pragma once
// What the message document needs of the engine around it: the settings' face and boldness,
// the screen size, the text output job's pacing, the core's pause, the screen's full redraw,
// the alpha-channel bank and the glyph painter. The engine hub gives the document its own
// host; the defaults here are a headless engine with an 800 x 600 screen and no bank.
#include <cstdint>
#include <string>

#include "graphics/rect.h"
#include "graphics/surface8.h"
#include "script/present/doc/doc_glyphs.h"

class TValueExchange;

namespace present {

class DocHost {
public:
    virtual ~DocHost() = default;
    // The settings' face ("ＭＳ ゴシック" by default) and whether they ask for bold text.
    virtual std::string defaultFace() const;
    virtual bool boldText() const { return false; }
    // The graphic layer's size in pixels.
    virtual graphics::SIZE screenSize() const { return {800, 600}; }
    // The text output job's interval ("\m") and its switch ("\q", "\Q").
    virtual void setTextInterval(int32_t) {}
    virtual void setTextIntervalEnable(bool) {}
    // The core's pause reasons (2 while the backlog view is open).
    virtual void pauseCore(int) {}
    virtual void resumeCore(int) {}
    virtual void requestFullRedraw() {}
    // The alpha-channel bank: a counted reference by name (null when it cannot be loaded), its
    // release, and the name the bank keeps it under (empty when the bank does not hold it).
    virtual graphics::TAlphaCh* getAlphaCh(const std::string&) { return nullptr; }
    virtual void releaseAlphaCh(graphics::TAlphaCh*) {}
    virtual std::string alphaChName(const graphics::TAlphaCh*) const { return {}; }
    // Section "AlphaChBank": "Enable", then "Name" when enabled; loading takes a new reference.
    virtual void exchangeAlphaCh(TValueExchange& x, graphics::TAlphaCh*& ch);
    virtual GlyphPainter& painter() { return glyphPainter(); }
};

}  // namespace present
