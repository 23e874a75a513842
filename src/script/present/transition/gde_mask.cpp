// Mask wipes: the before picture draws through a table that covers what the after picture's
// table uncovers, so at every position a pixel's two opacities add up to 255.
#include <algorithm>

#include "script/present/transition/gde.h"
#include "script/value_exchange.h"

namespace present {

using graphics::TMixObj;

namespace {

void setMaskOf(TMixObj* picture, graphics::TAlphaMask* table) {
    if (!picture) return;
    picture->setMask(table);
}

}  // namespace

void TGdeMask::build(int32_t width, int32_t range) {
    mask_.createFill(std::max(width, 1), 1, 0);
    for (auto* table : {&beforeTable_, &afterTable_}) {
        table->setMap(&mask_);
        table->setStep(256);
        table->setRange(range);
    }
    beforeTable_.setMode(2);
    afterTable_.setMode(1);
}

void TGdeMask::attachTables() {
    setMaskOf(before_, &beforeTable_);
    setMaskOf(after_, &afterTable_);
}

TGdeMask_L2R::TGdeMask_L2R() {
    build(32, 32);
    for (int i = 0; i < 32; ++i) mask_.row(0)[i] = static_cast<uint8_t>(i);
}

TGdeMask_R2L::TGdeMask_R2L() {
    build(32, 32);
    for (int i = 0; i < 32; ++i) mask_.row(0)[i] = static_cast<uint8_t>(31 - i);
}

TGdeMask_POLE::TGdeMask_POLE() {
    build(32, 16);
    for (int i = 0; i < 16; ++i) mask_.row(0)[i] = mask_.row(0)[31 - i] = static_cast<uint8_t>(i);
}

namespace {
// Bands of 16 columns, each uncovering from its left edge one step after the band before it.
void curtain(graphics::TAlphaCh& mask, int32_t width, bool fromRight) {
    const int32_t n = width / 16;
    for (int32_t b = 0; b < n; ++b) {
        const int32_t band = fromRight ? n - 1 - b : b;
        for (int32_t j = 0; j < 16; ++j) mask.row(0)[16 * band + j] = static_cast<uint8_t>(std::min(b + j, 255));
    }
}
}  // namespace

TGdeMask_CURTAIN_L2R::TGdeMask_CURTAIN_L2R() {
    const int32_t w = gdeHost().layerSize().cx;
    build(w, w / 16 + 16);
    curtain(mask_, mask_.width(), false);
}

TGdeMask_CURTAIN_R2L::TGdeMask_CURTAIN_R2L() {
    const int32_t w = gdeHost().layerSize().cx;
    build(w, w / 16 + 16);
    curtain(mask_, mask_.width(), true);
}

void TGdeMask::applyProgress(int32_t progress, bool force) {
    const int64_t steps = (int64_t{beforeTable_.step() + 1} * beforeTable_.range()) / 256 + 1;
    const int64_t k = steps * progress / 8192;
    if (!force && k == steps * progress_ / 8192) return;
    const int32_t position = static_cast<int32_t>(k * 256);
    if (before_) {
        beforeTable_.makeTable(position);
        before_->invalidate();
    }
    if (after_) {
        afterTable_.makeTable(position);
        after_->invalidate();
    }
}

bool TGdeMask::begin(GdeSprite* sprite, TMixObj* after) {
    if (!TGrDwarfEffect::begin(sprite, after)) return false;
    progress_ = 0;
    applyProgress(0, true);
    attachTables();
    return true;
}

bool TGdeMask::update() {
    if (!TGrDwarfEffect::update()) return false;
    const int32_t p = progressNow();
    if (p == 8192) abort_ = true;
    applyProgress(p, false);
    progress_ = p;
    return true;
}

void TGdeMask::finish() {
    applyProgress(8192, true);
    setMaskOf(before_, nullptr);
    setMaskOf(after_, nullptr);
    TGrDwarfEffect::finish();
}

void TGdeMask::exchange(TValueExchange& x) {
    TValueExchange::TKey key(x, "GdeMask");
    TGrDwarfEffect::exchange(x);
    x.exchangeShort("Progress", progress_);
    if (x.isLoading()) {
        progress_ = std::clamp(progress_, 0, 8192);
        attachTables();
        applyProgress(progress_, true);
    }
}

void TGdeMask::addToLayer(GdeLayer& layer, int32_t master) {
    for (TMixObj* picture : {before_, after_}) {
        if (!picture) continue;
        picture->setSubBlend(master);
        layer.append(picture);
    }
}

// --- TGdeAMask --------------------------------------------------------------------------------

void TGdeAMask::setupTables() {
    beforeTable_.setMode(2);
    afterTable_.setMode(1);
    for (auto* table : {&beforeTable_, &afterTable_}) {
        table->setStep(8);
        table->setRange(256);
    }
    setMaskOf(before_, nullptr);
    setMaskOf(after_, nullptr);
    if (!mask_) return;
    beforeTable_.setMap(mask_);
    afterTable_.setMap(mask_);
    setMaskOf(before_, &beforeTable_);
    setMaskOf(after_, &afterTable_);
}

bool TGdeAMask::begin(GdeSprite* sprite, TMixObj* after) {
    if (!TGrDwarfEffect::begin(sprite, after)) return false;
    setupTables();
    process_ = 0;
    beforeTable_.makeTable(0);
    afterTable_.makeTable(0);
    return true;
}

bool TGdeAMask::start() {
    TGrDwarfEffect::start();
    if (before_) before_->invalidate();
    if (after_) after_->invalidate();
    return true;
}

bool TGdeAMask::update() {
    if (!TGrDwarfEffect::update()) return false;
    const int32_t end = (beforeTable_.step() + 1) * beforeTable_.range();
    int32_t p = end;
    if (time_ > 0) p = static_cast<int32_t>(std::min<int64_t>(end, int64_t{elapsedNow()} * end / time_));
    if (p >= end) abort_ = true;
    if (p == process_) return true;
    if (before_) {
        beforeTable_.makeTable(p);
        before_->invalidate();
    }
    if (after_) {
        afterTable_.makeTable(p);
        after_->invalidate();
    }
    process_ = p;
    return true;
}

void TGdeAMask::finish() {
    for (TMixObj* picture : {before_, after_}) {
        if (!picture) continue;
        picture->setMask(nullptr);
        picture->invalidate();
    }
    dropMask();
    TGrDwarfEffect::finish();
}

void TGdeAMask::exchange(TValueExchange& x) {
    TValueExchange::TKey key(x, "GdeAMask");
    TGrDwarfEffect::exchange(x);
    x.exchangeInt("Process", process_);
    if (x.isLoading()) dropMask();
    gdeHost().exchangeAlphaCh(x, mask_);
    if (x.isLoading()) {
        ownsMaskRef_ = mask_ != nullptr;
        process_ = std::clamp(process_, 0, 2304);
        setupTables();
        // The tables stand where the save left them, not at the start.
        beforeTable_.makeTable(process_);
        afterTable_.makeTable(process_);
        if (before_) before_->invalidate();
        if (after_) after_->invalidate();
    }
}

void TGdeAMask::dropMask() {
    if (ownsMaskRef_ && mask_) gdeHost().releaseAlphaCh(mask_);
    ownsMaskRef_ = false;
    mask_ = nullptr;
}

void TGdeAMask::addToLayer(GdeLayer& layer, int32_t master) {
    // Without a mask nothing is uncovered before the end: the after picture would hide the
    // before one from the first frame.
    for (TMixObj* picture : {before_, mask_ || !before_ ? after_ : nullptr}) {
        if (!picture) continue;
        picture->setSubBlend(master);
        layer.append(picture);
    }
}

}  // namespace present
