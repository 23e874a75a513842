#include "script/present/transition/engine_graphic.h"

#include <utility>

#include "graphics/graphic.h"
#include "graphics/surface32.h"
#include "script/core.h"
#include "script/engine.h"
#include "script/img_disp.h"

namespace present {

namespace {

TG2Core* engineCore() {
    TG2Engine* engine = g2Engine();
    return engine ? engine->core() : nullptr;
}

}  // namespace

void EngineGraphicHost::warning(int code, const std::string& text) {
    if (TG2Engine* engine = g2Engine()) engine->warning(code, text);
}

SurfaceBank& EngineGraphicHost::surfaces() {
    TG2Engine* engine = g2Engine();
    return engine ? engine->getSurfaceBank() : GraphicHost::surfaces();
}

SpdBank& EngineGraphicHost::spds() {
    TG2Engine* engine = g2Engine();
    return engine ? engine->getSpdBank() : GraphicHost::spds();
}

AlphaChBank& EngineGraphicHost::alphaChs() {
    TG2Engine* engine = g2Engine();
    return engine ? engine->getAlphaChBank() : GraphicHost::alphaChs();
}

void EngineGraphicHost::imageSeen(const std::string& spec) {
    if (TG2Core* core = engineCore()) core->getImgDisp().setSeenByName(spec.substr(0, spec.find(';')));
}

template <class F>
auto EngineGraphicHost::withMaker(F&& f) {
    if (makerBusy_) {
        TSprMakerEx nested(*this);
        return f(nested);
    }
    makerBusy_ = true;
    struct Done {
        bool& busy;
        ~Done() { busy = false; }
    } done{makerBusy_};
    return f(maker_);
}

bool EngineGraphicHost::makeSprite(graphics::TSprite32& sprite, const std::string& spec) {
    return withMaker([&](TSprMakerEx& m) { return m.makeSprite(sprite, spec); });
}

graphics::TGrObj* EngineGraphicHost::createGrObj(const std::string& spec) {
    return withMaker([&](TSprMakerEx& m) { return m.createGrObj(spec); });
}

bool EngineGraphicHost::preloadImage(const std::string& spec) {
    return withMaker([&](TSprMakerEx& m) { return m.preload(spec); });
}

TDwarf* EngineGraphicHost::createTransition(int32_t type, int32_t time, graphics::TAlphaCh* mask, TG2Thread* thread) {
    TG2Core* core = engineCore();
    if (!core) return nullptr;
    TDwarf* job = core->getDwarfGuild().createGdeForThread(0xC000 | type, thread);
    auto* effect = dynamic_cast<TGrDwarfEffect*>(job);
    if (!effect) {
        // A style whose kind names a graphic job rather than a transition gives none.
        delete job;
        return nullptr;
    }
    effect->setTime(time);
    effect->setMask(mask);
    return effect;
}

uint32_t EngineGdeHost::now(bool fresh) {
    TG2Core* core = engineCore();
    if (!core) return 0;
    return static_cast<uint32_t>(fresh ? core->getTime() : core->getLastTime());
}

bool EngineGdeHost::isSkipping() const {
    TG2Core* core = engineCore();
    return core && core->isSkipAllowed();
}

bool EngineGdeHost::screenEffect() const {
    TG2Engine* engine = g2Engine();
    return !engine || engine->status().screenEffect;
}

void EngineGdeHost::jobWaits() {
    if (TG2Core* core = engineCore()) core->noteWaiting();
}

void EngineGdeHost::clearInput() {
    if (TG2Engine* engine = g2Engine()) engine->host().clearInput();
}

GraphicPart::GraphicPart() : graphic_(host_) {
    setGraphicHost(&host_);
    setGdeHost(&gde_);
}

GraphicPart::~GraphicPart() {
    graphic_.releaseAll();
    if (&present::gdeHost() == &gde_) setGdeHost(nullptr);
    if (&graphicHost() == &host_) setGraphicHost(nullptr);
}

bool GraphicPart::create(int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) return false;
    host_.size = {width, height};
    return graphic_.create(width, height);
}

void GraphicPart::draw(graphics::TSurface32& target) {
    graphic_.draw(target);
    TMedia& movie = graphic_.getMedia();
    if (!movie.isOpen() || !std::as_const(target).pixels()) return;
    // A movie's picture is new in every frame, and covers the target whatever its clip.
    if (graphics::DrawRecord* record = target.recorder()) {
        record->add(graphics::RECT{0, 0, target.width(), target.height()}, graphics::nextDrawStamp(), true);
        return;
    }
    TMediaSurfaceView view(target.pixels(), target.width(), target.height(), static_cast<int>(target.pitch() / 4));
    movie.drawFrame(&view, 0, 0);
}

bool GraphicPart::isDirty() const {
    const graphics::TGraphic* screen = graphics::graphic();
    return screen && screen->isDirty();
}

void GraphicPart::pauseMovie() {
    TMedia& movie = graphic_.getMedia();
    if (!movie.isRunning()) return;
    movie.pause();
    moviePaused_ = true;
}

void GraphicPart::resumeMovie() {
    TMedia& movie = graphic_.getMedia();
    if (moviePaused_ && movie.isOpen() && !movie.isRunning()) movie.resume();
    moviePaused_ = false;
}

void GraphicPart::update(int32_t time) {
    host_.now = static_cast<uint32_t>(time);
    graphic_.update();
}

void GraphicPart::addObject(int32_t layer, graphics::TGrObj* obj) {
    if (layer >= 0) {
        graphic_.add(layer, obj);
    } else if (graphics::TGraphic* screen = graphics::graphic()) {
        screen->add(-static_cast<int64_t>(layer) > INT32_MAX ? INT32_MAX : -layer, obj);
    }
}

}  // namespace present
