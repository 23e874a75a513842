#pragma once
// TG2DocFrame: one message window. It keeps the markup of its page, lays out what is appended
// at once (characters placed cell by cell with kinsoku and hanging punctuation) and draws into
// a surface of its own, shown by a sprite at the frame's rectangle. The whole page can be laid
// out again from the attributes that held at its start, which is how a load brings it back.
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "graphics/gr_kinds.h"
#include "graphics/graphic.h"
#include "graphics/rect.h"
#include "graphics/surface32.h"
#include "script/present/doc/doc_attr.h"
#include "script/present/doc/doc_glyphs.h"
#include "script/present/doc/doc_host.h"
#include "script/present/doc/doc_markup.h"

namespace present {

class TG2Doc;
class TG2DocLog;

// The kinsoku sets, as Shift-JIS codes.
bool isLineStartForbidden(uint32_t code);  // may not begin a line (47)
bool isClosingSubset(uint32_t code);       // of those, what may hang after a one-cell break (16)
bool isLineEndForbidden(uint32_t code);    // opening brackets (12)
constexpr uint32_t kFullWidthSpace = 0x8140;

class TG2DocFrame : public TG2DocAttr, public MarkupTarget {
public:
    struct VoiceMark {
        std::string name;
        int32_t x = 0, y = 0;
        bool operator==(const VoiceMark&) const = default;
    };

    // The document gives the frame its shown and half-width space flags, its symbols and the
    // backlog; without one the frame stands alone.
    TG2DocFrame(int32_t index, DocHost& host, TG2Doc* doc = nullptr);
    ~TG2DocFrame() override;
    TG2DocFrame(const TG2DocFrame&) = delete;
    TG2DocFrame& operator=(const TG2DocFrame&) = delete;

    void setFontAttrBits(uint32_t mask, bool on) override;
    void setFontAttr(uint32_t value) override;
    bool isModified() const override;
    void reset() override;
    // Section "gDocFrame"; loading sets the rectangle and lays the page out again.
    void exchange(TValueExchange& x) override;

    virtual void applyAttributes();
    virtual void applyFontFlags();
    virtual void applyFontFace();
    // Transparent surface, no voice marks, hang state and ruby queue; redraw pending.
    virtual void clearSurface();
    virtual void releaseSurface();
    virtual void term();
    // Puts the sprite into layer Depth of the table (when there is a surface).
    virtual void draw(graphics::TGrTableObj& target);
    // The window's rectangle is reported to the screen object (so that the script's pass that
    // changed it ends the frame), and the panels that follow the window are redrawn with it.
    virtual void invalidate();

    // What the message commands call: each is mirrored into the backlog while recording, then
    // writes its markup into the page and lays out what is new.
    virtual void clearPage();
    virtual void appendNewLine();
    virtual void appendText(const char* bytes, size_t length);
    virtual void appendString(const std::string& text);
    virtual void appendRuby(const std::string& text);
    virtual void appendLetterSpacing(int32_t v);
    virtual void appendLineHeight(int32_t v);
    virtual void appendPosX(int32_t v);
    virtual void appendPosY(int32_t v);
    virtual void appendIndentHead(const std::string& text);
    virtual void appendIndentTail(const std::string& text);
    virtual void appendBold(bool on);
    virtual void appendItalic(bool on);
    virtual void appendShadow(bool on);
    virtual void appendEdge(bool on);
    virtual void appendUnderline(bool on);
    virtual void appendColor(uint32_t rgb);  // 0x00RRGGBB
    virtual void appendBkColor(uint32_t rgb);
    virtual void appendFontSize(int32_t v);
    virtual void appendFont(const std::string& face);
    virtual void appendAntialias(bool on);
    virtual void appendVoice(const std::string& name);
    virtual void appendEscape(char letter);

    // Lays out the text from LastPos; returns the characters placed.
    virtual int32_t layoutNew();
    // The markup parser acting on this frame.
    virtual int32_t parse(const uint8_t* bytes, size_t length, size_t* consumed);
    // The whole page again from the page-start attributes.
    virtual void relayout();

    // The markup's operations.
    void putChar(uint32_t code) override;
    void pageMark() override {}
    void newLine() override;
    void pushRuby(const std::string& text) override { ruby_.push_back(text); }
    void setLetterSpacing(int32_t v) override { ls = v; }
    void setLineHeight(int32_t v) override;
    void setX(int32_t v) override { x = v; }
    void setY(int32_t v) override { y = v; }
    void setIndentHead(const std::string& text) override { indentHead = text; }
    void setIndentTail(const std::string& text) override { indentTail = text; }
    void setBold(bool on) override { styleSwitch(TextAttr::kBold, on); }
    void setItalic(bool on) override { styleSwitch(TextAttr::kItalic, on); }
    void setShadow(bool on) override { styleSwitch(TextAttr::kShadow, on); }
    void setEdge(bool on) override { styleSwitch(TextAttr::kEdge, on); }
    void setUnderline(bool on) override { styleSwitch(TextAttr::kUnderline, on); }
    void setAntialias(bool on) override { styleSwitch(TextAttr::kAntialias, on); }
    void setColor(uint32_t bgr) override;
    void setBkColor(uint32_t bgr) override;
    void setFontSize(int32_t v) override;
    void setFont(const std::string& face) override;
    void addVoiceMark(const std::string& name) override { voiceMarks_.push_back({name, x, y}); }
    void setTextInterval(int32_t v) override { host_.setTextInterval(v); }
    void setTextIntervalEnable(bool on) override { host_.setTextIntervalEnable(on); }

    // The area in screen pixels; a new transparent surface when it is not empty. The page is
    // not laid out again.
    void setRect(const graphics::RECT& rect);
    void setGroup(uint32_t bits) { visibleMode = (visibleMode & ~0x1Eu) | bits; }
    void setVisible(int32_t opacity) {
        blend = opacity;
        invalidate();
    }
    int32_t effectiveBlend() const;

    int32_t index() const { return index_; }
    const graphics::RECT& area() const { return area_; }
    const std::string& text() const { return text_; }
    const TG2DocAttr& pageStart() const { return pageStart_; }
    int32_t lastPos() const { return lastPos_; }
    int32_t docNum() const { return docNum_; }
    const std::vector<VoiceMark>& voiceMarks() const { return voiceMarks_; }
    bool isRedrawPending() const { return redrawPending_; }
    graphics::TSurface32* surface() const { return surface_.get(); }
    graphics::TSprObj& sprite() { return sprite_; }
    const DocFont& mainFont() const { return mainFont_; }
    const DocFont& rubyFont() const { return rubyFont_; }
    void attach(TG2Doc* doc) { doc_ = doc; }

    int32_t depth = 200;
    uint32_t visibleMode = 63;
    int32_t blend = 0;
    bool recLog = true;

protected:
    // The backlog to mirror into, or null when this frame does not record now.
    TG2DocLog* recorder() const;
    void appendBytes(const std::string& bytes);
    void styleSwitch(uint32_t bit, bool on);
    bool halfWidthSpace() const;
    bool textShown() const;
    // The full cell, never below one pixel.
    int32_t safeCell() const;
    int32_t safeLineAdvance() const { return lineAdvance(); }
    // A new line from the pen (X back to the Indent, or to IndentLeft when already there).
    void breakLine();
    void penToPageStart();
    void drawGlyph(uint32_t code, int32_t px, int32_t py);
    void markChanged(int64_t left, int64_t top, int64_t right, int64_t bottom);
    // Page-start attributes and pen (the backlog restores all but its colours).
    virtual void restorePageStart() { copyFrom(pageStart_); }

    int32_t index_;
    DocHost& host_;
    TG2Doc* doc_;
    graphics::RECT area_{};
    std::string text_;
    TG2DocAttr pageStart_;
    int32_t lastPos_ = 0;
    int32_t docNum_ = 0;
    DocFont mainFont_;
    DocFont rubyFont_;
    bool redrawPending_ = false;
    std::vector<VoiceMark> voiceMarks_;
    int32_t hangX_ = 0, hangY_ = 0;
    bool lineEnded_ = false;
    bool hangTwo_ = false;
    bool hangOne_ = false;
    std::deque<std::string> ruby_;
    std::unique_ptr<graphics::TSurface32> surface_;
    graphics::TSprObj sprite_;
};

}  // namespace present
