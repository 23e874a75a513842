#include "script/present/engine_graphic.h"

#include "script/engine.h"

namespace present {

void EngineGraphicHost::warning(int code, const std::string& text) {
    if (TG2Engine* engine = g2Engine()) engine->warning(code, text);
}

GraphicPart::GraphicPart() : graphic_(host_) { setGraphicHost(&host_); }

GraphicPart::~GraphicPart() {
    graphic_.releaseAll();
    if (&graphicHost() == &host_) setGraphicHost(nullptr);
}

bool GraphicPart::create(int32_t width, int32_t height) {
    if (!EngineGraphic::create(width, height)) return false;
    host_.size = {width, height};
    return graphic_.create(width, height);
}

void GraphicPart::update(int32_t time) {
    host_.now = static_cast<uint32_t>(time);
    graphic_.update();
}

}  // namespace present
