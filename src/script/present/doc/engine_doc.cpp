#include "script/present/doc/engine_doc.h"

#include "graphics/graphic.h"
#include "script/core.h"

namespace present {

std::string EngineDocHost::defaultFace() const {
    const std::string& face = engine_.status().font;
    return face.empty() ? DocHost::defaultFace() : face;
}

graphics::SIZE EngineDocHost::screenSize() const {
    const EngineGraphic* g = engine_.graphic();
    if (g && g->width() > 0 && g->height() > 0) return {g->width(), g->height()};
    return DocHost::screenSize();
}

void EngineDocHost::pauseCore(int reason) {
    if (engine_.core()) engine_.core()->pause(reason);
}

void EngineDocHost::resumeCore(int reason) {
    if (engine_.core()) engine_.core()->resume(reason);
}

void EngineDocHost::requestFullRedraw() {
    if (graphics::TGraphic* screen = graphics::graphic()) screen->invalidate();
}

void EngineFrameAdapter::sync() {
    x = frame_.x;
    y = frame_.y;
    textSize = frame_.fontSize;
    const graphics::RECT& a = frame_.area();
    rect = {a.left, a.top, a.right, a.bottom};
    text = frame_.text();
}

void EngineFrameAdapter::putText(const std::string& t) {
    frame_.appendString(t);
    sync();
}

int32_t EngineFrameAdapter::write(const std::string& unit) {
    const int32_t before = frame_.docNum();
    putText(unit);
    return frame_.docNum() - before;
}

void EngineFrameAdapter::newLine() {
    frame_.appendNewLine();
    sync();
}

void EngineFrameAdapter::clearText() {
    frame_.clearPage();
    sync();
}

void EngineFrameAdapter::setVisible(uint8_t mode) {
    ::EngineDocFrame::setVisible(mode);
    frame_.setVisible(mode);
}

void EngineFrameAdapter::putRGroup(const std::string& t) {
    frame_.appendRuby(t);
    sync();
}

void EngineFrameAdapter::setLineSpacing(int32_t v) {
    ::EngineDocFrame::setLineSpacing(v);
    frame_.appendLetterSpacing(v);
}

void EngineFrameAdapter::setLineHeight(int32_t v) {
    ::EngineDocFrame::setLineHeight(v);
    frame_.appendLineHeight(v);
}

void EngineFrameAdapter::setPosX(int32_t v) {
    frame_.appendPosX(v);
    sync();
}

void EngineFrameAdapter::setPosY(int32_t v) {
    frame_.appendPosY(v);
    sync();
}

void EngineFrameAdapter::setIndentHead(const std::string& s) {
    ::EngineDocFrame::setIndentHead(s);
    frame_.appendIndentHead(s);
}

void EngineFrameAdapter::setIndentTail(const std::string& s) {
    ::EngineDocFrame::setIndentTail(s);
    frame_.appendIndentTail(s);
}

void EngineFrameAdapter::setFontSize(int32_t v) {
    frame_.appendFontSize(v);
    sync();
}

void EngineFrameAdapter::setColor(uint32_t argb) {
    ::EngineDocFrame::setColor(argb);
    frame_.appendColor(argb & 0xFFFFFFu);
}

void EngineFrameAdapter::setShadowColor(uint32_t argb) {
    ::EngineDocFrame::setShadowColor(argb);
    frame_.appendBkColor(argb & 0xFFFFFFu);
}

void EngineFrameAdapter::setFontFace(const std::string& face) {
    ::EngineDocFrame::setFontFace(face);
    frame_.appendFont(face);
}

void EngineFrameAdapter::setVoice(const std::string& file) {
    ::EngineDocFrame::setVoice(file);
    frame_.appendVoice(file);
}

void EngineFrameAdapter::setFontAttrBit(uint32_t bits, bool on) {
    ::EngineDocFrame::setFontAttrBit(bits, on);
    frame_.setFontAttrBits(bits, on);
}

void EngineFrameAdapter::setRect(int32_t l, int32_t t, int32_t r, int32_t b) {
    ::EngineDocFrame::setRect(l, t, r, b);
    frame_.setRect({l, t, r, b});
    sync();
}

void EngineFrameAdapter::setDepth(int32_t v) {
    ::EngineDocFrame::setDepth(v);
    frame_.depth = v;
    clearText();
}

EngineDocAdapter::EngineDocAdapter(TG2Engine& engine) : host_(engine), doc_(host_) {}

bool EngineDocAdapter::create() {
    if (!doc_.create()) return false;
    for (int32_t i = 0; i < present::TG2Doc::kFrames; ++i)
        setFrame(i, std::make_unique<EngineFrameAdapter>(*doc_.getFrame(i)));
    return true;
}

void EngineDocAdapter::syncAll() {
    for (int32_t i = 0; i < present::TG2Doc::kFrames; ++i)
        if (auto* f = dynamic_cast<EngineFrameAdapter*>(frame(i))) {
            f->sync();
            f->visibleMode = static_cast<uint8_t>(f->real().blend > 0 ? 255 : 0);
        }
}

void EngineDocAdapter::reset() {
    ::EngineDoc::setCurrentFrame(0);
    doc_.reset();
    syncAll();
}

void EngineDocAdapter::term() {
    // The engine's frames stand on the real ones: they go first.
    for (int32_t i = 0; i < present::TG2Doc::kFrames; ++i) setFrame(i, std::make_unique<::EngineDocFrame>());
    doc_.release();
}

void EngineDocAdapter::exchange(TValueExchange& x) {
    doc_.exchange(x);
    ::EngineDoc::setCurrentFrame(doc_.currentFrameIndex());
    syncAll();
}

void EngineDocAdapter::refresh() {
    for (int32_t i = 0; i < present::TG2Doc::kFrames; ++i) doc_.getFrame(i)->invalidate();
}

void EngineDocAdapter::setCurrentFrame(int32_t n) {
    if (doc_.setCurrentFrame(n)) ::EngineDoc::setCurrentFrame(n);
}

}  // namespace present
