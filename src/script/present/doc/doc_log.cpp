#include "script/present/doc/doc_log.h"

#include <algorithm>

#include "script/present/doc/doc.h"
#include "script/value_exchange.h"

namespace present {

namespace {
constexpr uint32_t kKeptStyle = 0xF0;  // edge and shadow among them

// Counts characters and nothing else.
class Counter : public MarkupTarget {
public:
    void putChar(uint32_t) override {}
    void newLine() override {}
    void pageMark() override {}
    void pushRuby(const std::string&) override {}
    void setLetterSpacing(int32_t) override {}
    void setLineHeight(int32_t) override {}
    void setX(int32_t) override {}
    void setY(int32_t) override {}
    void setIndentHead(const std::string&) override {}
    void setIndentTail(const std::string&) override {}
    void setBold(bool) override {}
    void setItalic(bool) override {}
    void setShadow(bool) override {}
    void setEdge(bool) override {}
    void setUnderline(bool) override {}
    void setAntialias(bool) override {}
    void setColor(uint32_t) override {}
    void setBkColor(uint32_t) override {}
    void setFontSize(int32_t) override {}
    void setFont(const std::string&) override {}
    void addVoiceMark(const std::string&) override {}
    void setTextInterval(int32_t) override {}
    void setTextIntervalEnable(bool) override {}
};
}  // namespace

// The markup as the measuring pen reads it: characters, new lines, page marks and the two
// pen moves, which end a line.
class TG2DocLog::Measurer : public Counter {
public:
    Measurer(TG2DocLog& log, size_t base) : log_(log), base_(base) {}
    void putChar(uint32_t code) override { log_.measureChar(code); }
    void newLine() override { log_.measureNewLine(); }
    void pageMark() override { log_.measurePageMark(); }
    void setX(int32_t) override { log_.measureNewLine(); }
    void setY(int32_t) override { log_.measureNewLine(); }
    void parsed(size_t offset) override { log_.unitBoundary(base_ + offset); }

private:
    TG2DocLog& log_;
    size_t base_;
};

TG2DocLog::TG2DocLog(DocHost& host, TG2Doc* doc) : TG2DocFrame(0, host, doc) {}

const TG2DocAttr& TG2DocLog::currentPageStart() const {
    const TG2DocFrame* f = doc_ ? doc_->getCurrentFrame() : nullptr;
    return f && f != this ? f->pageStart() : pageStart_;
}

void TG2DocLog::reset() {
    TG2DocFrame::reset();
    visibleMode = 0;
    blend = 255;
    recLog = false;
    mode = 6;
    capacity = 4096;
    scrollPos_ = 0;
    viewOpen_ = false;
    const graphics::SIZE s = host_.screenSize();
    setRect(graphics::RECT{16, 16, s.cx - 32, s.cy - 32});
    trim(0);
}

void TG2DocLog::copyFrom(const TG2DocAttr& other) {
    const uint32_t keepColor = color, keepBk = bkCol, keepStyle = fontAttr & kKeptStyle;
    TG2DocAttr::copyFrom(other);
    color = keepColor;
    bkCol = keepBk;
    fontAttr = (fontAttr & ~kKeptStyle) | keepStyle;
}

void TG2DocLog::resetPen() {
    pen_ = MeasurePen{};
    pen_.x = indent1st;
    pen_.y = leading();
    pen_.indent = indent1st;
}

void TG2DocLog::trim(int32_t count) {
    const int32_t starts = static_cast<int32_t>(unitStarts_.size());
    if (count < 0 || count > starts) return;
    if (count == 0) {
        text_.clear();
        lastPos_ = docNum_ = 0;
        unitStarts_.clear();
        resetPen();
        pageAttrs_.assign(1, currentPageStart());
        scrollPos_ = 0;
        return;
    }
    // Units 0 .. starts are held; the first kept one begins at unit start starts - count.
    const int32_t dropUnits = starts - count + 1;
    const int32_t cut = std::clamp<int32_t>(unitStarts_[dropUnits - 1], 0, static_cast<int32_t>(text_.size()));
    Counter counter;
    const int32_t droppedChars =
        parseMarkup(reinterpret_cast<const uint8_t*>(text_.data()), static_cast<size_t>(cut), counter).placed;
    text_.erase(0, static_cast<size_t>(cut));
    unitStarts_.erase(unitStarts_.begin(), unitStarts_.begin() + dropUnits);
    for (int32_t& s : unitStarts_) s -= cut;
    if (static_cast<int32_t>(pageAttrs_.size()) > dropUnits)
        pageAttrs_.erase(pageAttrs_.begin(), pageAttrs_.begin() + dropUnits);
    else
        pageAttrs_.assign(1, currentPageStart());
    pen_.units = std::max(0, pen_.units - dropUnits);
    lastPos_ = std::max(0, lastPos_ - cut);
    docNum_ = std::max(0, docNum_ - droppedChars);
    scrollPos_ = std::min(scrollPos_, static_cast<int32_t>(unitStarts_.size()));
}

void TG2DocLog::enforceCapacity() {
    if (capacity > 0 && static_cast<int64_t>(unitStarts_.size()) + 1 > capacity) trim(capacity);
}

void TG2DocLog::term() {
    TG2DocFrame::term();
    trim(0);
}

void TG2DocLog::clearPage() {
    text_ += formatted() ? "\\p" : "\\p \\p";
    layoutNew();
}

int32_t TG2DocLog::layoutNew() {
    lastPos_ = std::clamp<int32_t>(lastPos_, 0, static_cast<int32_t>(text_.size()));
    size_t consumed = 0;
    const auto* bytes = reinterpret_cast<const uint8_t*>(text_.data());
    const int32_t counted = measure(bytes + lastPos_, text_.size() - lastPos_, lastPos_, &consumed);
    lastPos_ += static_cast<int32_t>(consumed);
    docNum_ += counted;
    enforceCapacity();
    return counted;
}

int32_t TG2DocLog::measure(const uint8_t* bytes, size_t length, size_t base, size_t* consumed) {
    Measurer m(*this, base);
    MarkupResult r = parseMarkup(bytes, length, m);
    if (consumed) *consumed = r.consumed;
    return r.placed;
}

void TG2DocLog::unitBoundary(size_t offset) {
    if (!pen_.unitEnded) return;
    pen_.unitEnded = pen_.measured = false;
    pen_.units = std::max(pen_.units, 0);
    unitStarts_.resize(static_cast<size_t>(pen_.units), 0);
    if (pen_.units > 0) unitStarts_.back() = static_cast<int32_t>(offset);
    if (formatted()) {
        pageAttrs_.resize(static_cast<size_t>(pen_.units) + 1);
        pageAttrs_[pen_.units] = currentPageStart();
    }
}

void TG2DocLog::measureChar(uint32_t code) {
    pen_.measured = true;
    if (formatted()) return;
    if ((pen_.hangTwo && isLineStartForbidden(code)) || (pen_.hangOne && isClosingSubset(code))) {
        pen_.x = pen_.hangX;
        pen_.y = pen_.hangY;
        pen_.units = std::max(pen_.units - 1, 0);
    } else {
        pen_.lineEnded = false;
    }
    pen_.hangTwo = pen_.hangOne = false;
    pen_.x = addClamped(pen_.x, code > 0xFF ? fullCell() : fullCell() / 2);
    if (containsChar(indentHead, code)) pen_.indent = pen_.x;
    if (containsChar(indentTail, code)) pen_.indent = indent1st;
    const int64_t r = (int64_t(area_.right) - area_.left - pen_.x) / safeCell();
    if (r >= 3) return;
    pen_.hangX = pen_.x;
    pen_.hangY = pen_.y;
    pen_.lineEnded = true;
    if (isLineEndForbidden(code) && r >= 1) return;
    pen_.x = pen_.x == pen_.indent ? indentLeft : pen_.indent;
    pen_.y = addClamped(pen_.y, lineAdvance());
    ++pen_.units;
    pen_.unitEnded = true;
    pen_.hangTwo = r >= 2;
    pen_.hangOne = r >= 1;
}

void TG2DocLog::measureNewLine() {
    if (formatted() || !pen_.measured) return;
    if (!pen_.lineEnded) {
        pen_.x = pen_.x == pen_.indent ? indentLeft : pen_.indent;
        pen_.y = addClamped(pen_.y, lineAdvance());
        ++pen_.units;
    }
    pen_.lineEnded = false;
    pen_.unitEnded = true;
}

void TG2DocLog::measurePageMark() {
    if (!formatted()) {
        measureNewLine();
        return;
    }
    if (!pen_.measured) return;
    ++pen_.units;
    pen_.unitEnded = true;
}

void TG2DocLog::remeasure() {
    pageStart_.copyFrom(*this);
    unitStarts_.clear();
    pageAttrs_.assign(1, currentPageStart());
    resetPen();
    clearSurface();
    applyAttributes();
    lastPos_ = 0;
    docNum_ = 0;
    layoutNew();
    invalidate();
}

int32_t TG2DocLog::visibleUnits() const {
    if (formatted()) return 1;
    const int32_t line = lineAdvance();
    // A line height of nothing still shows one line at a time.
    return line > 0 ? std::max((area_.bottom - area_.top) / line, 1) : 1;
}

void TG2DocLog::openView() {
    viewOpen_ = true;
    scrollPos_ = 0;
    scroll(0);
    invalidate();
}

void TG2DocLog::closeView() {
    viewOpen_ = false;
    invalidate();
}

bool TG2DocLog::scroll(int32_t n) {
    const int32_t v = visibleUnits();
    const int32_t count = static_cast<int32_t>(unitStarts_.size());
    int64_t p = int64_t(scrollPos_) - n;
    if (n < 0) p = std::min<int64_t>(p, int64_t(count) - v + 1);
    p = std::max<int64_t>(p, 0);
    if (n != 0 && p == scrollPos_) return false;
    scrollPos_ = static_cast<int32_t>(p);
    clearSurface();
    // The voice buttons beside the view are those of the lines on show.
    voiceMarks_.clear();
    x = indent1st;
    y = leading();
    indent = indent1st;
    const int32_t s = std::max(count - v - scrollPos_ + 1, 0);
    const int32_t size = static_cast<int32_t>(text_.size());
    const int32_t from = s == 0 ? 0 : std::clamp(unitStarts_[s - 1], 0, size);
    const int32_t e = formatted() ? s + v - 1 : s + v;
    const int32_t to = e < count ? std::clamp(unitStarts_[e], from, size) : size;
    if (formatted()) {
        if (s < static_cast<int32_t>(pageAttrs_.size())) copyFrom(pageAttrs_[s]);
        applyAttributes();
    }
    parse(reinterpret_cast<const uint8_t*>(text_.data()) + from, static_cast<size_t>(to - from), nullptr);
    invalidate();
    return true;
}

int32_t TG2DocLog::parse(const uint8_t* bytes, size_t length, size_t* consumed) {
    lineWritten_ = false;
    return TG2DocFrame::parse(bytes, length, consumed);
}

void TG2DocLog::putChar(uint32_t code) {
    lineWritten_ = true;
    TG2DocFrame::putChar(code);
}

void TG2DocLog::newLine() {
    if (plainView() && !lineWritten_) return;
    lineWritten_ = false;
    TG2DocFrame::newLine();
}

void TG2DocLog::pageMark() {
    if (plainView()) newLine();
}

void TG2DocLog::setX(int32_t v) { plainView() ? newLine() : TG2DocFrame::setX(v); }
void TG2DocLog::setY(int32_t v) { plainView() ? newLine() : TG2DocFrame::setY(v); }
void TG2DocLog::setLetterSpacing(int32_t v) {
    if (!plainView()) TG2DocFrame::setLetterSpacing(v);
}
void TG2DocLog::setLineHeight(int32_t v) {
    if (!plainView()) TG2DocFrame::setLineHeight(v);
}
void TG2DocLog::setIndentHead(const std::string& t) {
    if (!plainView()) TG2DocFrame::setIndentHead(t);
}
void TG2DocLog::setIndentTail(const std::string& t) {
    if (!plainView()) TG2DocFrame::setIndentTail(t);
}
void TG2DocLog::setBold(bool on) {
    if (!plainView()) TG2DocFrame::setBold(on);
}
void TG2DocLog::setItalic(bool on) {
    if (!plainView()) TG2DocFrame::setItalic(on);
}
void TG2DocLog::setShadow(bool on) {
    if (!plainView()) TG2DocFrame::setShadow(on);
}
void TG2DocLog::setEdge(bool on) {
    if (!plainView()) TG2DocFrame::setEdge(on);
}
void TG2DocLog::setUnderline(bool on) {
    if (!plainView()) TG2DocFrame::setUnderline(on);
}
void TG2DocLog::setAntialias(bool on) {
    if (!plainView()) TG2DocFrame::setAntialias(on);
}
void TG2DocLog::setFontSize(int32_t v) {
    if (!plainView()) TG2DocFrame::setFontSize(v);
}
void TG2DocLog::setFont(const std::string& face) {
    if (!plainView()) TG2DocFrame::setFont(face);
}

void TG2DocLog::exchange(TValueExchange& a) {
    TValueExchange::TKey key(a, "gDocLog");
    TG2DocFrame::exchange(a);
    int32_t m = static_cast<int32_t>(mode);
    a.exchangeInt("Mode", m);
    a.exchangeInt("Capacity", capacity);
    if (a.isStoring()) return;
    mode = static_cast<uint32_t>(m);
    TG2DocAttr::copyFrom(pageStart_);
    scrollPos_ = 0;
    viewOpen_ = false;
    remeasure();
}

}  // namespace present
