#pragma once
// A plain message document for the script engine's own tests, which run without the
// presentation: each frame keeps its text as written and the latest value of each attribute,
// the backlog only what it was told. The game's engine holds the real document instead.
#include <array>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "script/engine.h"
#include "script/presentation.h"
#include "script/value_exchange.h"

class MinimalDocFrame : public EngineDocFrame {
public:
    void putText(const std::string& t) override { text_ += t; }
    int32_t write(const std::string& unit) override {
        putText(unit);
        return unit.empty() || unit[0] == '\\' ? 0 : 1;
    }
    int32_t pageChars() const override {
        int32_t n = 0;
        for (size_t i = 0; i < text_.size(); ++i) {
            const auto b = static_cast<uint8_t>(text_[i]);
            if (b == '\n') continue;
            if (((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) && i + 1 < text_.size()) ++i;
            ++n;
        }
        return n;
    }
    std::array<int32_t, 2> writePos() const override { return {rect[0] + x, rect[1] + y}; }
    std::array<int32_t, 4> area() const override { return rect; }
    void newLine() override { text_ += '\n'; }
    void clearText() override { text_.clear(); }
    void setVisible(uint8_t mode) override { visibleMode = mode; }
    bool isVisible() const override { return visibleMode != 0; }
    uint32_t groups() const override { return flags; }
    void setGroup(uint32_t bits) override { flags = bits; }
    void putRGroup(const std::string& t) override { putText(t); }
    void setLineSpacing(int32_t v) override { lineSpacing = v; }
    void setLineHeight(int32_t v) override { lineHeight = v; }
    void setPosX(int32_t v) override { x = v; }
    void setPosY(int32_t v) override { y = v; }
    void setIndentHead(const std::string& s) override { indentHead = s; }
    void setIndentTail(const std::string& s) override { indentTail = s; }
    void setFontSize(int32_t v) override { textSize = v; }
    void setColor(uint32_t argb) override { color = argb; }
    void setShadowColor(uint32_t argb) override { shadowColor = argb; }
    void setFontFace(const std::string& face) override { fontFace = face; }
    void setRect(int32_t l, int32_t t, int32_t r, int32_t b) override { rect = {l, t, r, b}; }
    void setFontAttrBit(uint32_t bits, bool on) override { fontAttr = on ? fontAttr | bits : fontAttr & ~bits; }
    void setDepth(int32_t v) override { depth = v; }
    void setVoice(const std::string& file) override { voice = file; }
    int32_t penX() const override { return x; }
    int32_t penY() const override { return y; }
    int32_t fontSize() const override { return textSize; }
    std::string firstVoice() const override { return voice; }
    std::string text() const override { return text_; }

    uint32_t flags = 1;
    uint8_t visibleMode = 0;
    int32_t x = 0, y = 0, textSize = 24;
    int32_t lineSpacing = 0, lineHeight = 100, depth = 0;
    uint32_t color = 0xFFFFFFFF, shadowColor = 0xFF000000, fontAttr = 0;
    std::array<int32_t, 4> rect{};
    std::string indentHead, indentTail, fontFace, voice;
    std::string text_;
};

class MinimalDocLog : public EngineDocLog {
public:
    void setMode(int32_t v) override { mode = v; }
    void setCapacity(int32_t v) override { capacity = v; }
    void clear() override { text.clear(); }
    void setDepth(int32_t v) override { depth = v; }
    void setRect(int32_t l, int32_t t, int32_t r, int32_t b) override { rect = {l, t, r, b}; }
    void setIndentHead(const std::string& s) override { indentHead = s; }
    void setIndentTail(const std::string& s) override { indentTail = s; }
    void setLineSpacing(int32_t v) override { lineSpacing = v; }
    void setLineHeight(int32_t v) override { lineHeight = v; }
    void setFontFace(const std::string& face) override { fontFace = face; }
    void setFontSize(int32_t v) override { textSize = v; }
    void setColor(uint32_t argb) override { color = argb; }
    void setShadowColor(uint32_t argb) override { shadowColor = argb; }
    void setFontAttrBit(uint32_t bits, bool on) override { fontAttr = on ? fontAttr | bits : fontAttr & ~bits; }
    void putText(const std::string& t) override { text += t; }
    void relayout() override { ++relayouts; }

    int32_t mode = 0, capacity = 0, depth = 0, lineSpacing = 0, lineHeight = 100, textSize = 24, relayouts = 0;
    uint32_t color = 0, shadowColor = 0, fontAttr = 0;
    std::array<int32_t, 4> rect{};
    std::string indentHead, indentTail, fontFace, text;
};

class MinimalDoc : public EngineDoc {
public:
    MinimalDoc() {
        for (auto& f : frames_) f = std::make_unique<MinimalDocFrame>();
        log_ = std::make_unique<MinimalDocLog>();
    }
    bool create() override { return true; }
    void reset() override {
        for (auto& f : frames_) f->clearText();
        current_ = 0;
    }
    void term() override {}
    // Section "gDoc": the current frame and the frames' texts.
    void exchange(TValueExchange& x) override {
        TValueExchange::TKey key(x, "gDoc");
        x.exchangeInt("Current", current_);
        if (current_ < 0 || current_ > 7) current_ = 0;
        for (auto& f : frames_) x.exchangeString("Text", f->text_);
    }
    void refresh() override {}
    void setCurrentFrame(int32_t n) override {
        if (n >= 0 && n < 8) current_ = n;
    }
    int32_t currentFrameIndex() const override { return current_; }
    EngineDocFrame* frame(int32_t n) const override { return n >= 0 && n < 8 ? frames_[n].get() : nullptr; }
    EngineDocLog* log() const override { return log_.get(); }
    void addSymbolStyle(uint32_t code, const std::string& style) override { symbols.emplace_back(code, style); }
    void setHalfWidthSpace(bool on) override { halfWidthSpace = on; }
    // Puts a frame of a test's own kind in place of frame n.
    void setFrame(int32_t n, std::unique_ptr<MinimalDocFrame> f) {
        if (n >= 0 && n < 8 && f) frames_[n] = std::move(f);
    }
    MinimalDocFrame* minimalFrame(int32_t n) const { return n >= 0 && n < 8 ? frames_[n].get() : nullptr; }
    MinimalDocLog* minimalLog() const { return log_.get(); }

    std::vector<std::pair<uint32_t, std::string>> symbols;
    bool halfWidthSpace = false;

private:
    std::array<std::unique_ptr<MinimalDocFrame>, 8> frames_;
    std::unique_ptr<MinimalDocLog> log_;
    int32_t current_ = 0;
};

// An engine of the script engine's own tests: a plain document in place of the presentation's.
template <class Base = TG2EngineEx>
class WithMinimalDoc : public Base {
public:
    std::unique_ptr<EngineDoc> createDoc() override { return std::make_unique<MinimalDoc>(); }
    MinimalDoc* minimalDoc() const { return dynamic_cast<MinimalDoc*>(this->doc()); }
    MinimalDocFrame* minimalFrame() const {
        return minimalDoc() ? minimalDoc()->minimalFrame(minimalDoc()->currentFrameIndex()) : nullptr;
    }
};
