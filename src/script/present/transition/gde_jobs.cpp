// The graphic jobs (opacity, zoom, background morph) and the factory that makes every kind of
// transition and graphic job by its code.
#include "script/present/transition/gde.h"
#include "script/value_exchange.h"

namespace present {

namespace {

// Common to the graphic jobs' start: the clock from now on, the core told, the click dropped.
uint32_t startNow() {
    const uint32_t now = gdeHost().now(true);
    gdeHost().jobWaits();
    gdeHost().clearInput();
    return now;
}

int32_t lerp(int32_t from, int32_t to, int32_t p) {
    return from + static_cast<int32_t>((int64_t{to} - from) * p / 8192);
}

// "Time" and "NowTime"; loading puts the start so far back.
void exchangeTiming(TValueExchange& x, int32_t& time, uint32_t& start) {
    x.exchangeInt("Time", time);
    int32_t nowTime = static_cast<int32_t>(gdeHost().now(false) - start);
    x.exchangeInt("NowTime", nowTime);
    if (x.isLoading()) start = gdeHost().now(false) - static_cast<uint32_t>(nowTime);
}

void appendPicture(GdeSprite* sprite, GdeLayer& layer, int32_t master) {
    if (!sprite || !sprite->isVisible()) return;
    if (graphics::TMixObj* picture = sprite->getSprObj()) {
        picture->setSubBlend(master);
        layer.append(picture);
    }
}

void markPicture(GdeSprite* sprite) {
    if (sprite && sprite->getSprObj()) sprite->getSprObj()->invalidate();
}

void relink(TGrDwarf* job, GdeSprite* sprite) {
    if (!sprite) return;
    if (TGrDwarf* old = sprite->getJob(); old && old != job) old->finish();
    sprite->setJob(job);
}

}  // namespace

// --- TGrBlendDwarf ----------------------------------------------------------------------------

bool TGrBlendDwarf::begin(GdeSprite* sprite, int32_t to, int32_t time) {
    if (!sprite) return false;
    from_ = sprite->getBlend();
    to_ = to;
    if (!attach(sprite)) return false;
    time_ = time == -1 ? 0 : time;
    startTime_ = 0;
    return true;
}

bool TGrBlendDwarf::start() {
    work_ = 0;
    startTime_ = startNow();
    return true;
}

bool TGrBlendDwarf::update() {
    const int32_t p = gdeProgress(elapsed(startTime_), time_);
    if (time_ > 0 && p < 8192 && layer_) {
        layer_->setBlend(lerp(from_, to_, p));
        markPicture(layer_);
        return true;
    }
    finish();
    return false;
}

void TGrBlendDwarf::finish() {
    if (layer_) {
        layer_->setBlend(to_);
        markPicture(layer_);
    }
    detach();
}

void TGrBlendDwarf::exchange(TValueExchange& x) {
    TValueExchange::TKey key(x, "BlendDwarf");
    TGrDwarf::exchange(x);
    x.exchangeShort("From", from_);
    x.exchangeShort("To", to_);
    exchangeTiming(x, time_, startTime_);
    if (x.isLoading()) relink(this, layer_);
}

void TGrBlendDwarf::addToLayer(GdeLayer& layer, int32_t master) { appendPicture(layer_, layer, master); }

// --- TGrZomeDwarf -----------------------------------------------------------------------------

bool TGrZomeDwarf::begin(GdeSprite* sprite, int32_t x, int32_t y, float scaleX, float scaleY, int32_t time) {
    if (!sprite) return false;
    if (graphics::TMixObj* picture = sprite->getSprObj()) {
        const graphics::POINT pos = picture->getPos();
        const graphics::SIZE size = picture->getSize();
        fromX_ = pos.x, fromY_ = pos.y, fromW_ = size.cx, fromH_ = size.cy;
        // The drawn size times the factors (a picture's own scale works from its source size).
        picture->setSize(graphics::RECT::saturateReal(static_cast<float>(size.cx) * scaleX),
                         graphics::RECT::saturateReal(static_cast<float>(size.cy) * scaleY));
        picture->setPosOnScreen(x, y);
        const graphics::POINT to = picture->getPos();
        const graphics::SIZE toSize = picture->getSize();
        toX_ = to.x, toY_ = to.y, toW_ = toSize.cx, toH_ = toSize.cy;
        picture->setPos(fromX_, fromY_);
        picture->setSize(fromW_, fromH_);
    }
    if (!attach(sprite)) return false;
    time_ = time == -1 ? 0 : time;
    startTime_ = 0;
    return true;
}

bool TGrZomeDwarf::start() {
    work_ = 0;
    startTime_ = startNow();
    return true;
}

bool TGrZomeDwarf::update() {
    const int32_t p = gdeProgress(elapsed(startTime_), time_);
    if (time_ > 0 && p < 8192) {
        if (graphics::TMixObj* picture = layer_ ? layer_->getSprObj() : nullptr) {
            picture->invalidate();
            picture->setPos(lerp(fromX_, toX_, p), lerp(fromY_, toY_, p));
            picture->setSize(lerp(fromW_, toW_, p), lerp(fromH_, toH_, p));
            picture->invalidate();
        }
        return true;
    }
    finish();
    return false;
}

void TGrZomeDwarf::finish() {
    if (graphics::TMixObj* picture = layer_ ? layer_->getSprObj() : nullptr) {
        picture->invalidate();
        picture->setPos(toX_, toY_);
        picture->setSize(toW_, toH_);
        picture->invalidate();
    }
    detach();
}

void TGrZomeDwarf::exchange(TValueExchange& x) {
    TValueExchange::TKey key(x, "GrZomeDwarf");
    TGrDwarf::exchange(x);
    x.exchangeShort("From X", fromX_);
    x.exchangeShort("From Y", fromY_);
    x.exchangeShort("From W", fromW_);
    x.exchangeShort("From H", fromH_);
    x.exchangeShort("To X", toX_);
    x.exchangeShort("To Y", toY_);
    x.exchangeShort("To W", toW_);
    x.exchangeShort("To H", toH_);
    exchangeTiming(x, time_, startTime_);
    if (x.isLoading()) relink(this, layer_);
}

void TGrZomeDwarf::addToLayer(GdeLayer& layer, int32_t master) { appendPicture(layer_, layer, master); }

// --- TGrBgsSplitDwarf -------------------------------------------------------------------------

bool TGrBgsSplitDwarf::begin(GdeGrid* grid, int32_t time) {
    if (!attach(grid)) return false;
    time_ = time == -1 ? 0 : time;
    startTime_ = 0;
    return true;
}

bool TGrBgsSplitDwarf::start() {
    work_ = 0;
    startTime_ = startNow();
    return true;
}

bool TGrBgsSplitDwarf::update() {
    auto* grid = static_cast<GdeGrid*>(layer_);
    const int32_t p = gdeProgress(elapsed(startTime_), time_);
    if (grid && !gdeHost().isSkipping() && gdeHost().screenEffect() && time_ > 0 && p < 8192) {
        grid->renderMorph(p, grid->composite());
        grid->setSprObj(grid->composite());
        markPicture(grid);
        return true;
    }
    finish();
    return false;
}

void TGrBgsSplitDwarf::finish() {
    if (auto* grid = static_cast<GdeGrid*>(layer_)) {
        grid->commitStates();
        grid->renderToSprObj(grid->composite());
        grid->setSprObj(grid->composite());
        markPicture(grid);
    }
    detach();
}

void TGrBgsSplitDwarf::exchange(TValueExchange& x) {
    TValueExchange::TKey key(x, "BgsSplitDwarf");
    TGrDwarf::exchange(x);
    exchangeTiming(x, time_, startTime_);
    if (x.isLoading()) relink(this, layer_);
}

void TGrBgsSplitDwarf::addToLayer(GdeLayer& layer, int32_t master) { appendPicture(layer_, layer, master); }

// --- Factory ----------------------------------------------------------------------------------

std::unique_ptr<TGrDwarfEffect> createGde(int32_t code) {
    // Either high bit names a transition: a saved code with only one of them set is the kind
    // of the same number.
    switch (code | 0xC000) {
        case 0xC000:
            return std::make_unique<TGdeChange>();
        case 0xC001:
            return std::make_unique<TGdeAlphaBlend>();
        case 0xC002:
            return std::make_unique<TGdeAddBlend>();
        case 0xC003:
            return std::make_unique<TGdeMulBlend>();
        case 0xC004:
            return std::make_unique<TGdeMask_L2R>();
        case 0xC005:
            return std::make_unique<TGdeMask_R2L>();
        case 0xC006:
            return std::make_unique<TGdeMask_POLE>();
        case 0xC007:
            return std::make_unique<TGdeMask_CURTAIN_L2R>();
        case 0xC008:
            return std::make_unique<TGdeMask_CURTAIN_R2L>();
        case 0xC009:
            return std::make_unique<TGdeSlice_LRIn>();
        case 0xC00A:
            return std::make_unique<TGdeSlice_LROut>();
        case 0xC00B:
            return std::make_unique<TGdeSlice_UDIn>();
        case 0xC00C:
            return std::make_unique<TGdeSlice_UDOut>();
        case 0xC00D:
            return std::make_unique<TGdeAMask>();
        case 0xC00E:
            return std::make_unique<TGdeScroll_L2R>();
        case 0xC00F:
            return std::make_unique<TGdeScroll_R2L>();
        case 0xC010:
            return std::make_unique<TGdeScroll_U2D>();
        case 0xC011:
            return std::make_unique<TGdeScroll_D2U>();
        default:
            return nullptr;
    }
}

std::unique_ptr<TGrDwarf> createGrDwarf(int32_t code) {
    switch (code) {
        case 0x4000:
            return std::make_unique<TGrZomeDwarf>();
        case 0x4002:
            return std::make_unique<TGrBlendDwarf>();
        case 0x4003:
            return std::make_unique<TGrBgsSplitDwarf>();
        default:
            return createGde(code);
    }
}

void resumeGraphicDwarfs(TG2DwarfGuild& guild) {
    for (TDwarf* job : guild)
        if (job && (job->getJobCode() & 0x4000) && job->isPaused()) job->resume();
}

}  // namespace present
