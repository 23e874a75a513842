#pragma once
// The message document in the engine's place for it: the engine's document interface backed by
// the real document, and the document's host backed by the engine (its settings' face and
// boldness, the graphic layer's size, the core's pause reasons, the screen's full redraw).
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
    void pauseCore(int reason) override;
    void resumeCore(int reason) override;
    void requestFullRedraw() override;

private:
    TG2Engine& engine_;
};

// One of the engine's frames: the script's text goes into the real frame as markup.
class EngineFrameAdapter : public ::EngineDocFrame {
public:
    explicit EngineFrameAdapter(present::TG2DocFrame& frame) : frame_(frame) { sync(); }
    void putText(const std::string& text) override;
    int32_t write(const std::string& unit) override;
    int32_t pageChars() const override { return frame_.docNum(); }
    void newLine() override;
    void clearText() override;
    void setVisible(uint8_t mode) override;
    // The attribute commands go into the real frame's text as markup, so that they take effect
    // from there on and again whenever the page is laid out.
    void putRGroup(const std::string& text) override;
    void setLineSpacing(int32_t v) override;
    void setLineHeight(int32_t v) override;
    void setPosX(int32_t v) override;
    void setPosY(int32_t v) override;
    void setIndentHead(const std::string& s) override;
    void setIndentTail(const std::string& s) override;
    void setFontSize(int32_t v) override;
    void setColor(uint32_t argb) override;
    void setShadowColor(uint32_t argb) override;
    void setFontFace(const std::string& face) override;
    void setVoice(const std::string& file) override;
    void setFontAttrBit(uint32_t bits, bool on) override;
    void setRect(int32_t l, int32_t t, int32_t r, int32_t b) override;
    void setDepth(int32_t v) override;
    present::TG2DocFrame& real() { return frame_; }
    // The engine reads the pen and size from its own fields.
    void sync();

private:
    present::TG2DocFrame& frame_;
};

// The engine's document over the real one, which the graphic layer draws (real()).
class EngineDocAdapter : public ::EngineDoc {
public:
    explicit EngineDocAdapter(TG2Engine& engine);
    bool create() override;
    void reset() override;
    void term() override;
    void exchange(TValueExchange& x) override;
    void refresh() override;
    void setCurrentFrame(int32_t n) override;
    present::TG2Doc& real() { return doc_; }

private:
    void syncAll();

    EngineDocHost host_;
    present::TG2Doc doc_;
};

}  // namespace present
