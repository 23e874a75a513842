#include "script/present/doc/doc_frame.h"

#include <algorithm>

#include "framework/stream.h"
#include "script/present/doc/doc.h"
#include "script/present/doc/doc_log.h"
#include "script/value_exchange.h"

namespace present {

namespace {

// The sets in code page 932, each kept once here:
// line-start forbidden "…‥・ー―～、。，．！？」』）］｝〉》〕】’”〟゛゜ぁぃぅぇぉっゃゅょゎァィゥェォッャュョヮ々",
// closing subset "。．」』）］｝〉》〕】’”〟゛゜", opening brackets "「『（［｛〈《〔【‘“〝".
constexpr const char kStartForbidden[] =
    "\x81\x63\x81\x64\x81\x45\x81\x5B\x81\x5C\x81\x60\x81\x41\x81\x42\x81\x43\x81\x44\x81\x49\x81\x48\x81\x76\x81"
    "\x78\x81\x6A\x81\x6E\x81\x70\x81\x72\x81\x74\x81\x6C\x81\x7A\x81\x66\x81\x68\x87\x81\x81\x4A\x81\x4B\x82\x9F"
    "\x82\xA1\x82\xA3\x82\xA5\x82\xA7\x82\xC1\x82\xE1\x82\xE3\x82\xE5\x82\xEC\x83\x40\x83\x42\x83\x44\x83\x46\x83"
    "\x48\x83\x62\x83\x83\x83\x85\x83\x87\x83\x8E\x81\x58";
constexpr const char kClosing[] =
    "\x81\x42\x81\x44\x81\x76\x81\x78\x81\x6A\x81\x6E\x81\x70\x81\x72\x81\x74\x81\x6C\x81\x7A\x81\x66\x81\x68\x87"
    "\x81\x81\x4A\x81\x4B";
constexpr const char kOpening[] =
    "\x81\x75\x81\x77\x81\x69\x81\x6D\x81\x6F\x81\x71\x81\x73\x81\x6B\x81\x79\x81\x65\x81\x67\x87\x80";

bool inSet(const char* set, size_t size, uint32_t code) {
    for (size_t i = 0; i + 1 < size; i += 2)
        if ((uint32_t(uint8_t(set[i])) << 8 | uint8_t(set[i + 1])) == code) return true;
    return false;
}

std::string le16(int32_t v) { return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)}; }

std::string le32(uint32_t v) {
    std::string s;
    for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
    return s;
}

// 0x00RRGGBB as the markup writes it: 0x00BBGGRR.
uint32_t swapRedBlue(uint32_t rgb) { return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF); }

}  // namespace

bool isLineStartForbidden(uint32_t code) { return inSet(kStartForbidden, sizeof kStartForbidden - 1, code); }
bool isClosingSubset(uint32_t code) { return inSet(kClosing, sizeof kClosing - 1, code); }
bool isLineEndForbidden(uint32_t code) { return inSet(kOpening, sizeof kOpening - 1, code); }

TG2DocFrame::TG2DocFrame(int32_t index, DocHost& host, TG2Doc* doc) : index_(index), host_(host), doc_(doc) {
    pageStart_.copyFrom(*this);
}

TG2DocFrame::~TG2DocFrame() {
    host_.painter().release(mainFont_);
    host_.painter().release(rubyFont_);
    sprite_.setSurface(nullptr);
}

void TG2DocFrame::setFontAttrBits(uint32_t mask, bool on) {
    TG2DocAttr::setFontAttrBits(mask, on);
    applyFontFlags();
}

void TG2DocFrame::setFontAttr(uint32_t value) {
    TG2DocAttr::setFontAttr(value);
    applyFontFlags();
}

bool TG2DocFrame::isModified() const {
    return pageStart_.isModified() || lastPos_ != 0 || docNum_ != 0 || !area_.empty() || depth != 200 ||
           visibleMode != 63 || !recLog;
}

void TG2DocFrame::reset() {
    TG2DocAttr::reset();
    area_ = {};
    depth = 200;
    visibleMode = 63;
    blend = 0;
    recLog = true;
    host_.painter().release(mainFont_);
    host_.painter().release(rubyFont_);
    applyAttributes();
    host_.painter().create(mainFont_);
    host_.painter().create(rubyFont_);
    text_.clear();
    lastPos_ = docNum_ = 0;
    clearSurface();
    penToPageStart();
    pageStart_.copyFrom(*this);
}

void TG2DocFrame::penToPageStart() {
    x = indent1st;
    y = leading();
    indent = indent1st;
}

void TG2DocFrame::applyAttributes() {
    applyFontFlags();
    applyFontFace();
    mainFont_.setHeight(fontSize);
    mainFont_.color = color;
    mainFont_.color2 = bkCol;
    rubyFont_.setHeight(leading());
    rubyFont_.color = color;
    rubyFont_.color2 = bkCol;
}

void TG2DocFrame::applyFontFlags() {
    uint32_t style = fontAttr | (host_.boldText() ? TextAttr::kHeavy : 0);
    mainFont_.setStyle(style);
    rubyFont_.setStyle(style & ~TextAttr::kEdge);
}

void TG2DocFrame::applyFontFace() {
    const std::string face = font.empty() ? host_.defaultFace() : font;
    mainFont_.setFace(face);
    rubyFont_.setFace(face);
}

void TG2DocFrame::clearSurface() {
    if (surface_) surface_->fill(0);
    voiceMarks_.clear();
    lineEnded_ = hangTwo_ = hangOne_ = false;
    ruby_.clear();
    invalidate();
}

void TG2DocFrame::releaseSurface() {
    sprite_.setSurface(nullptr);
    surface_.reset();
}

void TG2DocFrame::term() { releaseSurface(); }

void TG2DocFrame::invalidate() {
    redrawPending_ = true;
    if (sprite_.getSurface()) sprite_.invalidate();
}

void TG2DocFrame::setRect(const graphics::RECT& rect) {
    // Where the window stood is uncovered.
    if (sprite_.getSurface()) sprite_.invalidate();
    area_ = rect;
    releaseSurface();
    if (rect.empty()) return;
    auto s = std::make_unique<graphics::TSurface32>();
    if (!s->createFilled(rect.width(), rect.height(), 0)) return;
    s->setHasAlpha(true);
    surface_ = std::move(s);
    sprite_.setSurface(surface_.get());
    sprite_.setPos(rect.left, rect.top);
    invalidate();
}

bool TG2DocFrame::textShown() const { return doc_ ? doc_->isTextShown() : true; }
bool TG2DocFrame::halfWidthSpace() const { return doc_ && doc_->isHalfWidthSpace(); }

int32_t TG2DocFrame::effectiveBlend() const { return textShown() ? blend : 0; }

void TG2DocFrame::draw(graphics::TGrTableObj& target) {
    if (!sprite_.getSurface()) return;
    sprite_.setOpacity(static_cast<uint32_t>(std::clamp(effectiveBlend(), 0, 255)));
    target.add(depth, &sprite_);
    if (redrawPending_) {
        sprite_.invalidate();
        redrawPending_ = false;
    }
}

TG2DocLog* TG2DocFrame::recorder() const {
    if (!recLog || !doc_) return nullptr;
    TG2DocLog* log = doc_->getLog();
    return log && log != this && (log->mode & 1) ? log : nullptr;
}

void TG2DocFrame::appendBytes(const std::string& bytes) {
    text_ += bytes;
    layoutNew();
}

void TG2DocFrame::clearPage() {
    text_.clear();
    lastPos_ = docNum_ = 0;
    clearSurface();
    penToPageStart();
    pageStart_.copyFrom(*this);
    // Mirrored after the page has begun, so that a formatted backlog keeps the attributes the
    // new page is written in, not those of the page before.
    if (TG2DocLog* log = recorder()) log->clearPage();
}

void TG2DocFrame::appendNewLine() {
    if (TG2DocLog* log = recorder()) log->appendNewLine();
    appendBytes("\\n");
}

void TG2DocFrame::appendText(const char* bytes, size_t length) {
    if (TG2DocLog* log = recorder()) log->appendText(bytes, length);
    appendBytes(std::string(bytes, length));
}

void TG2DocFrame::appendString(const std::string& text) {
    if (TG2DocLog* log = recorder()) log->appendString(text);
    appendBytes(std::string(text.c_str()));
}

void TG2DocFrame::appendRuby(const std::string& text) {
    if (TG2DocLog* log = recorder()) log->appendRuby(text);
    appendBytes("\\r(" + text + ")");
}

void TG2DocFrame::appendLetterSpacing(int32_t v) {
    if (TG2DocLog* log = recorder()) log->appendLetterSpacing(v);
    appendBytes("\\w" + le16(v));
}

void TG2DocFrame::appendLineHeight(int32_t v) {
    if (TG2DocLog* log = recorder()) log->appendLineHeight(v);
    appendBytes("\\h" + le16(v));
}

void TG2DocFrame::appendPosX(int32_t v) {
    if (TG2DocLog* log = recorder()) log->appendPosX(v);
    appendBytes("\\x:" + le16(v));
}

void TG2DocFrame::appendPosY(int32_t v) {
    if (TG2DocLog* log = recorder()) log->appendPosY(v);
    appendBytes("\\y:" + le16(v));
}

void TG2DocFrame::appendIndentHead(const std::string& text) {
    if (TG2DocLog* log = recorder()) log->appendIndentHead(text);
    appendBytes("\\t(" + text + ")");
}

void TG2DocFrame::appendIndentTail(const std::string& text) {
    if (TG2DocLog* log = recorder()) log->appendIndentTail(text);
    appendBytes("\\T(" + text + ")");
}

void TG2DocFrame::appendBold(bool on) {
    if (TG2DocLog* log = recorder()) log->appendBold(on);
    appendBytes(on ? "\\b" : "\\B");
}

void TG2DocFrame::appendItalic(bool on) {
    if (TG2DocLog* log = recorder()) log->appendItalic(on);
    appendBytes(on ? "\\i" : "\\I");
}

void TG2DocFrame::appendShadow(bool on) {
    if (TG2DocLog* log = recorder()) log->appendShadow(on);
    appendBytes(on ? "\\a" : "\\A");
}

void TG2DocFrame::appendEdge(bool on) {
    if (TG2DocLog* log = recorder()) log->appendEdge(on);
    appendBytes(on ? "\\g" : "\\G");
}

void TG2DocFrame::appendUnderline(bool on) {
    if (TG2DocLog* log = recorder()) log->appendUnderline(on);
    appendBytes(on ? "\\u" : "\\U");
}

void TG2DocFrame::appendAntialias(bool on) {
    if (TG2DocLog* log = recorder()) log->appendAntialias(on);
    appendBytes(on ? "\\l" : "\\L");
}

void TG2DocFrame::appendColor(uint32_t rgb) {
    if (TG2DocLog* log = recorder()) log->appendColor(rgb);
    appendBytes("\\c:" + le32(swapRedBlue(rgb)));
}

void TG2DocFrame::appendBkColor(uint32_t rgb) {
    if (TG2DocLog* log = recorder()) log->appendBkColor(rgb);
    appendBytes("\\k:" + le32(swapRedBlue(rgb)));
}

void TG2DocFrame::appendFontSize(int32_t v) {
    if (TG2DocLog* log = recorder()) log->appendFontSize(v);
    appendBytes("\\s:" + le16(v));
}

void TG2DocFrame::appendFont(const std::string& face) {
    if (TG2DocLog* log = recorder()) log->appendFont(face);
    appendBytes("\\f(" + face + ")");
}

void TG2DocFrame::appendVoice(const std::string& name) {
    if (TG2DocLog* log = recorder()) log->appendVoice(name);
    appendBytes("\\v(" + name + ")");
}

void TG2DocFrame::appendEscape(char letter) {
    if (TG2DocLog* log = recorder()) log->appendEscape(letter);
    appendBytes(std::string("\\") + letter);
}

int32_t TG2DocFrame::layoutNew() {
    lastPos_ = std::clamp<int32_t>(lastPos_, 0, static_cast<int32_t>(text_.size()));
    size_t consumed = 0;
    const auto* bytes = reinterpret_cast<const uint8_t*>(text_.data());
    int32_t placed = parse(bytes + lastPos_, text_.size() - lastPos_, &consumed);
    lastPos_ += static_cast<int32_t>(consumed);
    docNum_ += placed;
    return placed;
}

int32_t TG2DocFrame::parse(const uint8_t* bytes, size_t length, size_t* consumed) {
    MarkupResult r = parseMarkup(bytes, length, *this);
    if (consumed) *consumed = r.consumed;
    return r.placed;
}

void TG2DocFrame::relayout() {
    clearSurface();
    restorePageStart();
    applyAttributes();
    parse(reinterpret_cast<const uint8_t*>(text_.data()), text_.size(), nullptr);
    invalidate();
}

int32_t TG2DocFrame::safeCell() const { return std::max(fullCell(), 1); }

void TG2DocFrame::breakLine() {
    x = x == indent ? indentLeft : indent;
    y = addClamped(y, lineAdvance());
}

void TG2DocFrame::markChanged(int64_t left, int64_t top, int64_t right, int64_t bottom) {
    sprite_.invalidateRect(
        graphics::RECT{addClamped(left, 0), addClamped(top, 0), addClamped(right, 0), addClamped(bottom, 0)});
}

void TG2DocFrame::drawGlyph(uint32_t code, int32_t px, int32_t py) {
    graphics::TSurface32* s = surface_.get();
    if (!s) return;
    if (const TSymbolStyle* sym = doc_ ? doc_->findSymbol(code) : nullptr) {
        if (!sym->alphaCh) return;
        if (fontAttr & TextAttr::kShadow) sym->alphaCh->drawColor(*s, px + 2, py + 2, bkCol, 255);
        if (fontAttr & TextAttr::kEdge) {
            sym->alphaCh->drawColor(*s, px - 1, py, bkCol, 255);
            sym->alphaCh->drawColor(*s, px + 1, py, bkCol, 255);
            sym->alphaCh->drawColor(*s, px, py + 1, bkCol, 255);
            sym->alphaCh->drawColor(*s, px, py - 1, bkCol, 255);
        }
        sym->alphaCh->drawColor(*s, px, py, color, 255);
        return;
    }
    std::string one;
    appendChar(one, code);
    host_.painter().drawText(*s, px, py, one, mainFont_);
}

void TG2DocFrame::putChar(uint32_t code) {
    int32_t px = x, py = y;
    if ((hangTwo_ && isLineStartForbidden(code)) || (hangOne_ && isClosingSubset(code))) {
        px = hangX_;
        py = hangY_;
    } else {
        lineEnded_ = false;
    }
    hangTwo_ = hangOne_ = false;
    if (mainFont_.dirty) {
        host_.painter().release(mainFont_);
        host_.painter().create(mainFont_);
    }
    if (rubyFont_.dirty) {
        host_.painter().release(rubyFont_);
        host_.painter().create(rubyFont_);
    }
    drawGlyph(code, px, py);
    markChanged(int64_t(px) - 2, int64_t(py) - 2, int64_t(px) + fontSize + 4, int64_t(py) + fontSize + 4);
    x = px;
    y = py;
    if (!ruby_.empty()) {
        const int32_t h = leading();
        const int32_t w = addClamped(0, int64_t(ruby_.front().size()) * h / 2);
        const int32_t rx = addClamped(x, (int64_t(fontSize) - w) / 2);
        if (surface_ && !ruby_.front().empty())
            host_.painter().drawText(*surface_, rx, y - h, ruby_.front(), rubyFont_);
        markChanged(int64_t(rx) + 1, int64_t(y) - h + 1, int64_t(rx) + 1 + w + 3, int64_t(y) + 4);
        ruby_.pop_front();
    }
    const bool wide = code > 0xFF && !(code == kFullWidthSpace && halfWidthSpace());
    x = addClamped(x, wide ? fullCell() : fullCell() / 2);
    if (containsChar(indentHead, code)) indent = x;
    if (containsChar(indentTail, code)) indent = indent1st;
    const int64_t r = (int64_t(area_.right) - area_.left - x) / safeCell();
    if (r >= 3) return;
    hangX_ = x;
    hangY_ = y;
    lineEnded_ = true;
    if (isLineEndForbidden(code) && r >= 1) return;
    breakLine();
    hangTwo_ = r >= 2;
    hangOne_ = r >= 1;
}

void TG2DocFrame::newLine() {
    if (lineEnded_) {
        lineEnded_ = false;
        return;
    }
    breakLine();
}

void TG2DocFrame::setLineHeight(int32_t v) {
    lh = v;
    rubyFont_.setHeight(leading());
}

void TG2DocFrame::styleSwitch(uint32_t bit, bool on) {
    setFontAttrBits(bit, on);
    applyFontFlags();
}

void TG2DocFrame::setColor(uint32_t bgr) {
    color = bgrToArgb(bgr);
    mainFont_.color = rubyFont_.color = color;
}

void TG2DocFrame::setBkColor(uint32_t bgr) {
    bkCol = bgrToArgb(bgr);
    mainFont_.color2 = rubyFont_.color2 = bkCol;
}

void TG2DocFrame::setFontSize(int32_t v) {
    fontSize = v;
    mainFont_.setHeight(v);
    rubyFont_.setHeight(leading());
}

void TG2DocFrame::setFont(const std::string& face) {
    font = face;
    applyFontFace();
}

void TG2DocFrame::exchange(TValueExchange& a) {
    TValueExchange::TKey key(a, "gDocFrame");
    bool modify = a.isStoring() ? isModified() : false;
    a.exchangeShort("Blend", blend);
    a.exchangeFlags("Modify,RecLog", &modify, &recLog);
    if (!modify) {
        if (a.isLoading()) {
            // A page saved untouched comes back as reset leaves it, whatever this frame held.
            const int32_t keepBlend = blend;
            const bool keepRec = recLog;
            reset();
            if (area_.empty()) releaseSurface();
            blend = keepBlend;
            recLog = keepRec;
        }
        return;
    }
    pageStart_.exchange(a);
    TMemoryStream doc;
    if (a.isStoring() && !text_.empty()) doc.write(text_.data(), static_cast<uint32_t>(text_.size()));
    a.exchangeMemoryStream("Doc", doc);
    a.exchangeInt("LastPos", lastPos_);
    a.exchangeInt("DocNum", docNum_);
    graphics::RECT r = area_;
    a.exchangeShort("AreaLeft", r.left);
    a.exchangeShort("AreaTop", r.top);
    a.exchangeShort("AreaRight", r.right);
    a.exchangeShort("AreaBottom", r.bottom);
    a.exchangeShort("Depth", depth);
    int32_t vm = static_cast<int32_t>(visibleMode);
    a.exchangeInt("VisibleMode", vm);
    if (a.isStoring()) return;
    visibleMode = static_cast<uint32_t>(vm);
    const uint8_t* bytes = doc.size() ? doc.getBuffer() : nullptr;
    text_.assign(reinterpret_cast<const char*>(bytes), bytes ? doc.size() : 0);
    lastPos_ = std::clamp<int32_t>(lastPos_, 0, static_cast<int32_t>(text_.size()));
    setRect(r);
    relayout();
}

}  // namespace present
