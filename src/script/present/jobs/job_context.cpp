#include "script/present/jobs/job_context.h"

#include "script/g2_status.h"
#include "script/present/graphic/graphic.h"

namespace present {

uint32_t JobContext::clickMask() { return status().skipKeyMask; }

void JobContext::moveLayer(int32_t x, int32_t y) {
    TG2Graphic* g = graphic();
    if (!g) return;
    const graphics::POINT was = g->graphics::TGrObj::getPos();
    if (was.x == x && was.y == y) return;
    // Where the picture stood and where it goes.
    g->invalidate();
    g->graphics::TGrObj::setPos(x, y);
    g->invalidate();
}

TMedia* JobContext::media() {
    if (SoundDesk* d = desk(); d && d->media()) return d->media();
    TG2Graphic* g = graphic();
    return g ? &g->getMedia() : nullptr;
}

graphics::TFade* JobContext::fade() {
    TG2Graphic* g = graphic();
    return g ? &g->getFade() : nullptr;
}

void JobContext::addToTopLayer(graphics::TGrObj& obj) {
    if (TG2Graphic* g = graphic()) g->add(TG2Graphic::kLayers - 1, &obj);
}

}  // namespace present
