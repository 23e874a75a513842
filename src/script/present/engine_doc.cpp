#include "script/present/engine_doc.h"

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
    text = frame_.text();
}

void EngineFrameAdapter::putText(const std::string& t) {
    frame_.appendString(t);
    sync();
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
