#pragma once
// The message document in the engine's place for it: the engine's document, frame and backlog
// interfaces over the real document, its frames and its log, holding nothing of their own, and
// the document's host backed by the engine (its settings' face and boldness, the graphic
// layer's size, the text output job's pacing, the core's pause reasons, the screen's full
// redraw and the alpha-channel bank).
#include <array>
#include <memory>
#include <string>

#include "script/engine.h"
#include "script/present/doc/doc.h"

namespace present {

class EngineDocHost : public DocHost {
public:
    explicit EngineDocHost(TG2Engine& engine) : engine_(engine) {}
    std::string defaultFace() const override;
    bool boldText() const override { return engine_.status().textBold; }
    graphics::SIZE screenSize() const override;
    // The standing text output job's interval and its switch.
    void setTextInterval(int32_t ms) override;
    void setTextIntervalEnable(bool on) override;
    void pauseCore(int reason) override;
    void resumeCore(int reason) override;
    void requestFullRedraw() override;
    // The engine's alpha-channel bank.
    graphics::TAlphaCh* getAlphaCh(const std::string& name) override;
    void releaseAlphaCh(graphics::TAlphaCh* ch) override;
    std::string alphaChName(const graphics::TAlphaCh* ch) const override;
    void exchangeAlphaCh(TValueExchange& x, graphics::TAlphaCh*& ch) override;

private:
    TG2Engine& engine_;
};

// One of the document's frames as the engine's commands reach it: the script's text and
// attributes go into the real frame as markup.
class EngineFrameAdapter : public ::EngineDocFrame {
public:
    explicit EngineFrameAdapter(TG2DocFrame& frame) : frame_(frame) {}
    void putText(const std::string& text) override { frame_.appendString(text); }
    int32_t write(const std::string& unit) override;
    int32_t pageChars() const override { return frame_.docNum(); }
    std::array<int32_t, 2> writePos() const override;
    std::array<int32_t, 4> area() const override;
    void newLine() override { frame_.appendNewLine(); }
    void clearText() override { frame_.clearPage(); }
    void setVisible(uint8_t mode) override { frame_.setVisible(mode); }
    bool isVisible() const override { return frame_.blend != 0; }
    uint32_t groups() const override { return frame_.visibleMode; }
    void setGroup(uint32_t bits) override { frame_.setGroup(bits); }
    void putRGroup(const std::string& text) override { frame_.appendRuby(text); }
    void setLineSpacing(int32_t v) override { frame_.appendLetterSpacing(v); }
    void setLineHeight(int32_t v) override { frame_.appendLineHeight(v); }
    void setPosX(int32_t v) override { frame_.appendPosX(v); }
    void setPosY(int32_t v) override { frame_.appendPosY(v); }
    void setIndentHead(const std::string& s) override { frame_.appendIndentHead(s); }
    void setIndentTail(const std::string& s) override { frame_.appendIndentTail(s); }
    void setFontSize(int32_t v) override { frame_.appendFontSize(v); }
    void setColor(uint32_t argb) override { frame_.appendColor(argb & 0xFFFFFFu); }
    void setShadowColor(uint32_t argb) override { frame_.appendBkColor(argb & 0xFFFFFFu); }
    void setFontFace(const std::string& face) override { frame_.appendFont(face); }
    void setRect(int32_t l, int32_t t, int32_t r, int32_t b) override { frame_.setRect({l, t, r, b}); }
    // Each bit as its markup, so that a save, a load and the backlog keep it.
    void setFontAttrBit(uint32_t bits, bool on) override;
    void setDepth(int32_t v) override {
        frame_.depth = v;
        frame_.invalidate();
    }
    void setVoice(const std::string& file) override { frame_.appendVoice(file); }
    int32_t penX() const override { return frame_.x; }
    int32_t penY() const override { return frame_.y; }
    int32_t fontSize() const override { return frame_.fontSize; }
    std::string firstVoice() const override;
    std::string text() const override { return frame_.text(); }
    TG2DocFrame& real() { return frame_; }

private:
    TG2DocFrame& frame_;
};

// The backlog as the engine's commands reach it: its attributes are its own fields, set
// directly and not as markup; its text is the history.
class EngineLogAdapter : public ::EngineDocLog {
public:
    explicit EngineLogAdapter(TG2DocLog& log) : log_(log) {}
    void setMode(int32_t mode) override { log_.mode = static_cast<uint32_t>(mode); }
    void setCapacity(int32_t units) override { log_.capacity = units; }
    void clear() override { log_.trim(0); }
    void setDepth(int32_t v) override {
        log_.depth = v;
        log_.invalidate();
    }
    void setRect(int32_t l, int32_t t, int32_t r, int32_t b) override { log_.setRect({l, t, r, b}); }
    void setIndentHead(const std::string& s) override { log_.indentHead = s; }
    void setIndentTail(const std::string& s) override { log_.indentTail = s; }
    void setLineSpacing(int32_t v) override { log_.ls = v; }
    void setLineHeight(int32_t v) override { log_.TG2DocFrame::setLineHeight(v); }
    void setFontFace(const std::string& face) override { log_.TG2DocFrame::setFont(face); }
    void setFontSize(int32_t v) override { log_.TG2DocFrame::setFontSize(v); }
    void setColor(uint32_t argb) override;
    void setShadowColor(uint32_t argb) override;
    void setFontAttrBit(uint32_t bits, bool on) override { log_.setFontAttrBits(bits, on); }
    void putText(const std::string& text) override { log_.appendString(text); }
    void relayout() override { log_.relayout(); }
    TG2DocLog& real() { return log_; }

private:
    TG2DocLog& log_;
};

// The engine's document: the real one, which the graphic layer draws (real()), with an adapter
// over each of its frames and its log.
class EngineDocAdapter : public ::EngineDoc {
public:
    explicit EngineDocAdapter(TG2Engine& engine);
    ~EngineDocAdapter() override;
    bool create() override;
    void reset() override { doc_.reset(); }
    void term() override;
    void exchange(TValueExchange& x) override { doc_.exchange(x); }
    void refresh() override;
    void setCurrentFrame(int32_t n) override { doc_.setCurrentFrame(n); }
    int32_t currentFrameIndex() const override { return doc_.currentFrameIndex(); }
    EngineDocFrame* frame(int32_t n) const override;
    EngineDocLog* log() const override { return log_.get(); }
    void addSymbolStyle(uint32_t code, const std::string& image) override { doc_.addSymbolStyle(code, image); }
    void setHalfWidthSpace(bool on) override { doc_.setHalfWidthSpace(on); }
    TG2Doc& real() { return doc_; }

private:
    EngineDocHost host_;
    TG2Doc doc_;
    std::array<std::unique_ptr<EngineFrameAdapter>, TG2Doc::kFrames> frames_;
    std::unique_ptr<EngineLogAdapter> log_;
};

}  // namespace present
