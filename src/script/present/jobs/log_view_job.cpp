#include "script/present/jobs/log_view_job.h"

#include <algorithm>

#include "script/g2_status.h"
#include "script/present/doc/doc.h"
#include "script/present/graphic/graphic.h"
#include "script/present/jobs/job_context.h"
#include "script/value_exchange.h"

namespace present {

namespace {

constexpr const char* kStems[] = {"lgon", "lgup", "lgdown", "lgoff", "lgskip"};
constexpr const char* kStates[] = {"lgvoice", "lgvoice_on", "lgvoice_disable", "lgvoice_over"};
constexpr int32_t kVoicePlace = 5;
constexpr int32_t kFirstVoiceId = 5;
constexpr int32_t kPauseLogView = 2;

struct Place {
    int32_t align, x, y;
};
constexpr Place kResetPlaces[TLogViewDwarf::kPlaces] = {
    {kNoAlign, 0, 0}, {0x12, 24, -24}, {0x12, 24, 0}, {0x21, 24, 0}, {0x22, 24, 0}, {0x31, -24, 0},
};

}  // namespace

void TLogViewDwarf::init() {
    for (int32_t i = 0; i < kButtons; ++i) buttons_[i].load(ctx_, kStems[i], this, i);
    voiceSize_ = {};
    for (size_t i = 0; i < voicePictures_.size(); ++i) loadPicture(ctx_, voicePictures_[i], kStates[i], voiceSize_);
}

void TLogViewDwarf::reset() {
    TButtonJob::reset();
    ScrollRequest = CloseRequest = 0;
    for (int32_t i = 0; i < kPlaces; ++i) {
        aligns_[i] = kResetPlaces[i].align;
        offsets_[i] = {kResetPlaces[i].x, kResetPlaces[i].y};
    }
    voices_.clear();
    hideButtons();
    layoutAll();
}

graphics::RECT TLogViewDwarf::logRect() {
    TG2Doc* doc = ctx_.doc();
    return doc && doc->getLog() ? doc->getLog()->area() : graphics::RECT{};
}

bool TLogViewDwarf::isOpen() {
    TG2Doc* doc = ctx_.doc();
    return doc && doc->isLogViewOpen();
}

void TLogViewDwarf::close() {
    if (TG2Doc* doc = ctx_.doc()) doc->closeLogView();
}

void TLogViewDwarf::finish() { close(); }

bool TLogViewDwarf::canOpen() {
    TG2Doc* doc = ctx_.doc();
    TG2DocLog* log = doc ? doc->getLog() : nullptr;
    return log && log->blend != 0 && log->docNum() >= 1;
}

void TLogViewDwarf::setPlace(int32_t index, int32_t align, int32_t x, int32_t y) {
    if (index < 0 || index >= kPlaces) return;
    aligns_[index] = align;
    offsets_[index] = {x, y};
    layoutButton(index);
}

void TLogViewDwarf::layoutButton(int32_t index) {
    if (index < 0 || index >= kButtons) return;
    buttons_[index].place(ctx_, aligns_[index], offsets_[index].x, offsets_[index].y, logRect());
}

void TLogViewDwarf::layoutAll() {
    for (int32_t i = 0; i < kButtons; ++i) layoutButton(i);
}

void TLogViewDwarf::hideButtons() {
    for (JobButton& b : buttons_) b.hide();
    for (auto& v : voices_) v->setVisible(false);
}

void TLogViewDwarf::showButtons() {
    const bool open = isOpen();
    buttons_[0].button.setVisible(!open && aligns_[0] != kNoAlign);
    for (int32_t i = 1; i < kButtons; ++i) buttons_[i].button.setVisible(open && aligns_[i] != kNoAlign);
    for (auto& v : voices_) v->setVisible(open && aligns_[kVoicePlace] != kNoAlign);
}

void TLogViewDwarf::rebuildVoiceButtons() {
    voices_.clear();
    TG2Doc* doc = ctx_.doc();
    TG2DocLog* log = doc ? doc->getLog() : nullptr;
    TG2Graphic* g = ctx_.graphic();
    if (!log) return;
    const graphics::RECT rect = logRect();
    const uint32_t align = static_cast<uint32_t>(aligns_[kVoicePlace]);
    int32_t id = kFirstVoiceId;
    for (const TG2DocFrame::VoiceMark& mark : log->voiceMarks()) {
        auto v = std::make_unique<TVoiceButton>();
        v->Voice = mark.name;
        for (size_t i = 0; i < voicePictures_.size(); ++i) v->Pictures[i].assignEx(voicePictures_[i]);
        v->setup(nullptr, this, id++, 1, 0, 0, voiceSize_.cx, voiceSize_.cy);
        v->usePictures();
        v->setFollow(1);
        v->setVisible(false);
        graphics::POINT p = g ? g->placeByAlign(align, voiceSize_.cx, voiceSize_.cy, rect) : graphics::POINT{};
        // At the line's own pen: across when the horizontal part is 3, down when the vertical is 3.
        if ((align & 15) == 3) p.x = rect.left + mark.x;
        if ((align & 0xF0) == 0x30) p.y = rect.top + mark.y;
        v->setPos(graphics::RECT::saturate(int64_t{p.x} + offsets_[kVoicePlace].x),
                  graphics::RECT::saturate(int64_t{p.y} + offsets_[kVoicePlace].y));
        voices_.push_back(std::move(v));
    }
}

bool TLogViewDwarf::update() {
    if (ctx_.isPausedByOther(kPauseLogView)) {
        hideButtons();
        return true;
    }
    TG2Doc* doc = ctx_.doc();
    TG2DocFrame* frame0 = doc ? doc->getFrame(0) : nullptr;
    if (!frame0 || !doc->isTextShown() || frame0->blend == 0) {
        hideButtons();
        return true;
    }
    const JobInput in = ctx_.input();
    const TG2Status& s = ctx_.status();
    ScrollRequest = 0;
    if (in.wheel < 0) ScrollRequest = 1;
    if (in.wheel > 0) ScrollRequest = -1;
    if (in.released & s.logViewKeyMask1) ScrollRequest = -1;
    if (in.released & s.logViewKeyMask2) ScrollRequest = 1;
    if (CloseRequest) {
        if (ScrollRequest != 0)
            CloseRequest = ScrollRequest = 0;
        else if (in.released & (ctx_.clickMask() | kCancelMask))
            CloseRequest = 0;
        else
            ScrollRequest = 1;
    }
    showButtons();
    const CtrlInput c{in.x, in.y, in.held, in.pressed, 0, true, in.wheel};
    for (JobButton& b : buttons_) takeInput(ctx_, b.button, c);
    // A voice click may rebuild the voice buttons: walk a copy of the list.
    std::vector<TVoiceButton*> voices;
    for (auto& v : voices_) voices.push_back(v.get());
    for (TVoiceButton* v : voices) takeInput(ctx_, *v, c);
    if (isOpen()) {
        const JobInput now = ctx_.input();
        if (now.released & ctx_.clickMask()) {
            ScrollRequest = 1;
            ctx_.clearInput();
        }
        if (now.released & kCancelMask) {
            close();
            ctx_.clearInput();
        }
        if (isOpen() && ScrollRequest < 0) {
            doc->scrollLogView(ScrollRequest);
            layoutAll();
            rebuildVoiceButtons();
        } else if (isOpen() && ScrollRequest > 0) {
            if (doc->scrollLogView(ScrollRequest)) {
                layoutAll();
                rebuildVoiceButtons();
            } else {
                close();
                CloseRequest = 0;
            }
        }
    } else if (canOpen() && ScrollRequest < 0) {
        doc->openLogView();
        ++ScrollRequest;
        layoutAll();
        rebuildVoiceButtons();
    }
    if (!isOpen()) voices_.clear();
    showButtons();
    for (JobButton& b : buttons_)
        if (b.button.isVisible()) ctx_.addToTopLayer(b.button);
    for (auto& v : voices_)
        if (v->isVisible()) ctx_.addToTopLayer(*v);
    return true;
}

void TLogViewDwarf::notify(int32_t id, int32_t event, int32_t) {
    if (event != kCtrlLeftClick) return;
    if (id == 0 || id == 1) {
        ScrollRequest = -1;
    } else if (id == 2) {
        ScrollRequest = 1;
    } else if (id == 3) {
        CloseRequest = 1;
    } else if (id == 4) {
        close();
    } else if (id >= kFirstVoiceId && id - kFirstVoiceId < static_cast<int32_t>(voices_.size())) {
        ctx_.replayVoice(voices_[static_cast<size_t>(id - kFirstVoiceId)]->Voice);
    }
    ctx_.clearInput();
}

void TLogViewDwarf::exchange(TValueExchange& x) {
    TValueExchange::TKey key(x, "LogViewDwarf");
    for (int32_t i = 0; i < kPlaces; ++i) {
        x.exchangeInt("Align", aligns_[i]);
        x.exchangeShort("Offset X", offsets_[i].x);
        x.exchangeShort("Offset Y", offsets_[i].y);
        if (x.isLoading()) layoutButton(i);
    }
}

}  // namespace present
