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

void EngineDocHost::setTextInterval(int32_t ms) {
    TG2Core* core = engine_.core();
    if (auto* job = core ? dynamic_cast<EngineJobControls*>(core->standingJob(kJobTextOut)) : nullptr)
        job->setInterval(ms);
}

void EngineDocHost::setTextIntervalEnable(bool on) {
    TG2Core* core = engine_.core();
    if (auto* job = core ? dynamic_cast<EngineJobControls*>(core->standingJob(kJobTextOut)) : nullptr)
        job->setIntervalEnabled(on);
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

graphics::TAlphaCh* EngineDocHost::getAlphaCh(const std::string& name) { return engine_.getAlphaChBank().get(name); }

void EngineDocHost::releaseAlphaCh(graphics::TAlphaCh* ch) { engine_.getAlphaChBank().release(ch); }

std::string EngineDocHost::alphaChName(const graphics::TAlphaCh* ch) const {
    return engine_.getAlphaChBank().nameOf(ch);
}

void EngineDocHost::exchangeAlphaCh(TValueExchange& x, graphics::TAlphaCh*& ch) {
    engine_.getAlphaChBank().exchange(x, ch);
}

int32_t EngineFrameAdapter::write(const std::string& unit) {
    const int32_t before = frame_.docNum();
    frame_.appendString(unit);
    return frame_.docNum() - before;
}

std::array<int32_t, 2> EngineFrameAdapter::writePos() const {
    const graphics::RECT& a = frame_.area();
    return {a.left + frame_.x, a.top + frame_.y};
}

std::array<int32_t, 4> EngineFrameAdapter::area() const {
    const graphics::RECT& a = frame_.area();
    return {a.left, a.top, a.right, a.bottom};
}

void EngineFrameAdapter::setFontAttrBit(uint32_t bits, bool on) {
    if (bits & kG2AttrBold) frame_.appendBold(on);
    if (bits & kG2AttrShadow) frame_.appendShadow(on);
    if (bits & kG2AttrEdge) frame_.appendEdge(on);
    if (bits & kG2AttrAntialias) frame_.appendAntialias(on);
}

std::string EngineFrameAdapter::firstVoice() const {
    const auto& marks = frame_.voiceMarks();
    return marks.empty() ? std::string() : marks.front().name;
}

void EngineLogAdapter::setColor(uint32_t argb) {
    log_.TG2DocFrame::setColor(((argb & 0xFF) << 16) | (argb & 0xFF00) | ((argb >> 16) & 0xFF));
}

void EngineLogAdapter::setShadowColor(uint32_t argb) {
    log_.TG2DocFrame::setBkColor(((argb & 0xFF) << 16) | (argb & 0xFF00) | ((argb >> 16) & 0xFF));
}

EngineDocAdapter::EngineDocAdapter(TG2Engine& engine) : host_(engine), doc_(host_) {}

// The adapters stand on the real frames: they go first.
EngineDocAdapter::~EngineDocAdapter() { term(); }

bool EngineDocAdapter::create() {
    if (!doc_.create()) return false;
    for (int32_t i = 0; i < TG2Doc::kFrames; ++i)
        frames_[static_cast<size_t>(i)] = std::make_unique<EngineFrameAdapter>(*doc_.getFrame(i));
    log_ = std::make_unique<EngineLogAdapter>(*doc_.getLog());
    return true;
}

void EngineDocAdapter::term() {
    for (auto& f : frames_) f.reset();
    log_.reset();
    doc_.release();
}

void EngineDocAdapter::refresh() {
    for (int32_t i = 0; i < TG2Doc::kFrames; ++i) doc_.getFrame(i)->invalidate();
}

EngineDocFrame* EngineDocAdapter::frame(int32_t n) const {
    return n >= 0 && n < TG2Doc::kFrames ? frames_[static_cast<size_t>(n)].get() : nullptr;
}

}  // namespace present
