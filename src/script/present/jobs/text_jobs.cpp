#include "script/present/jobs/text_jobs.h"

#include <algorithm>
#include <cstdio>

#include "framework/sjis.h"
#include "graphics/rect.h"
#include "script/core.h"
#include "script/engine.h"
#include "script/present/graphic/graphic.h"
#include "script/thread.h"
#include "script/value_exchange.h"

namespace present {

namespace {

bool isTrail(uint8_t b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

}  // namespace

size_t textUnitLength(const std::string& text) {
    if (text.empty()) return 0;
    const auto b0 = static_cast<uint8_t>(text[0]);
    size_t n = 1;
    if (nsSJIS::isLead(b0) && text.size() >= 2 && isTrail(static_cast<uint8_t>(text[1]))) {
        n = 2;
    } else if (b0 == '\\') {
        if (text.size() >= 3 && text[2] == '(') {
            const size_t close = text.find(')', 3);
            n = close == std::string::npos ? text.size() : close + 1;
        } else {
            n = 2;
        }
    }
    return std::min(n, text.size());
}

uint32_t elapsedMs(uint32_t a, uint32_t b) { return b < a ? b - a - 1 : b - a; }

// ---- shared services ----

bool JobBase::corePaused() const { return engine_.core() && engine_.core()->isPaused(); }
bool JobBase::skipping() const { return engine_.core() && engine_.core()->isSkipAllowed(); }
uint32_t JobBase::now() const { return engine_.core() ? static_cast<uint32_t>(engine_.core()->getTime()) : 0; }
TG2InputState JobBase::input() const { return engine_.host().input(); }

bool JobBase::clicked() const {
    const TG2InputState in = input();
    return ((in.words[2] | in.repeat) & engine_.status().skipKeyMask) != 0;
}

void JobBase::clearInput() { engine_.host().clearInput(); }

void JobBase::noteWaiting() {
    if (engine_.core()) engine_.core()->noteWaiting();
}

void JobBase::setRunFlag(bool on) {
    if (engine_.core()) engine_.core()->setRunFlag(on);
}

EngineDocFrame* JobBase::frame() const { return engine_.getCurrentDocFrame(); }

// ---- text output ----

void TTextOutDwarf::reset() {
    TDwarf::reset();
    LastTime = 0;
    IntervalEnable = true;
    Interval = 1;
    Text.clear();
}

void TTextOutDwarf::open(TG2Thread* thread, const std::string& text) {
    Text = text;
    begin(thread, true);
    startPending_ = false;
    LastTime = now() - static_cast<uint32_t>(Interval * engine_.status().textInterval / 100);
}

int32_t TTextOutDwarf::releaseUnit() {
    const size_t n = textUnitLength(Text);
    const std::string unit = Text.substr(0, n);
    Text.erase(0, n);
    EngineDocFrame* f = frame();
    return f ? f->write(unit) : 0;
}

bool TTextOutDwarf::update() {
    if (corePaused()) return true;
    if (Text.empty()) {
        finish();
        return false;
    }
    const int32_t textInterval = engine_.status().textInterval;
    if (textInterval == 0 || skipping()) {
        finish();
        setRunFlag(true);
        return false;
    }
    if (clicked()) {
        // The click completes the page; it is used up here, not by the wait that follows.
        finish();
        clearInput();
        setRunFlag(true);
        return false;
    }
    setRunFlag(false);
    if (Interval == 0 || !IntervalEnable) {
        while (!Text.empty()) releaseUnit();
        finish();
        return false;
    }
    const int64_t d = static_cast<int64_t>(Interval) * textInterval / 100;
    const uint32_t t = now();
    int64_t e = elapsedMs(LastTime, t);
    if (e < d) {
        noteWaiting();
        return true;
    }
    LastTime = t;
    int64_t steps = releaseUnit();
    while (!Text.empty()) {
        e -= steps * d;
        if (textInterval >= 100 || e < d) break;
        steps = releaseUnit();
    }
    if (Text.empty()) finish();
    return true;
}

void TTextOutDwarf::finish() {
    if (!Text.empty()) {
        std::string rest;
        rest.swap(Text);
        if (EngineDocFrame* f = frame()) f->write(rest);
    }
    TDwarf::finish();
}

void TTextOutDwarf::exchange(TValueExchange& x) {
    TDwarf::exchange(x);
    TValueExchange::TKey key(x, "TextOutDwarf");
    x.exchangeByte("IntervalEnable", IntervalEnable);
    x.exchangeInt("Interval", Interval);
    if (x.isLoading()) Text.clear();
}

// ---- click wait ----

void TClickDwarf::loadPictures() {
    const std::string folder = engine_.status().systemFolder;
    char name[32];
    for (int32_t i = 1; i <= 8; ++i) {
        for (int kind = 0; kind < 2; ++kind) {
            const char* stem = kind == 0 ? "line" : "page";
            std::snprintf(name, sizeof name, "%s%d.as", stem, static_cast<int>(i));
            TAnisObjEx& p = Pictures[static_cast<size_t>((i - 1) * 2 + kind)];
            if (!p.load(folder + "\\" + name)) p.load(folder + "\\" + stem + ".as");
            p.setVisible(false);
        }
    }
    reset();
}

void TClickDwarf::releasePictures() {
    for (TAnisObjEx& p : Pictures) p.halt();
}

void TClickDwarf::reset() {
    TDwarf::reset();
    StartTime = 0;
    Frames = 0;
    Type = 1;
    Timeout = -1;
    VoiceTimeout = 0;
    StopType = 1;
    Align.fill(34);
    for (auto& o : Offset) o = {0, 0};
    for (TAnisObjEx& p : Pictures) {
        p.stop();
        p.setVisible(false);
    }
    shown_ = -1;
}

void TClickDwarf::setTimeouts(int32_t type, int32_t timeout, int32_t voiceTimeout) {
    Type = type;
    Timeout = timeout;
    VoiceTimeout = voiceTimeout;
}

void TClickDwarf::setPicturePlace(int32_t kind, int32_t align, int32_t x, int32_t y) {
    const int32_t f = engine_.doc() ? engine_.doc()->currentFrameIndex() : 0;
    setIconPlace(kind, f, align, x, y);
}

void TClickDwarf::setIconPlace(int32_t kind, int32_t frameIndex, int32_t align, int32_t x, int32_t y) {
    if (kind < 0 || kind > 1 || frameIndex < 0 || frameIndex > 7) return;
    const size_t i = static_cast<size_t>(frameIndex * 2 + kind);
    Align[i] = align;
    Offset[i] = {x, y};
}

void TClickDwarf::open(TG2Thread* thread, int32_t endAction, int32_t icon) {
    EndAction = endAction;
    Icon = std::clamp(icon, 0, 2);
    begin(thread, true);
    OpenTime = now();
    VoiceEndTime = 0;
    const int64_t a = engine_.status().autoTextTimeout;
    const EngineDocFrame* f = frame();
    const int64_t c = f ? f->pageChars() : 0;
    const int64_t autoMs = a < 0 ? (-a) * c * 80 / 10 + (-a) * 300 / 10 : a;
    const int64_t ownMs = Timeout < 0 ? static_cast<int64_t>(-static_cast<int64_t>(Timeout)) * (80 * c + 300) : Timeout;
    AutoTimeout = static_cast<int32_t>(std::clamp<int64_t>(autoMs, 0, INT32_MAX));
    OwnTimeout = static_cast<int32_t>(std::clamp<int64_t>(ownMs, 0, INT32_MAX));
}

TAnisObjEx* TClickDwarf::shownIcon() {
    return shown_ >= 0 && shown_ < 16 ? &Pictures[static_cast<size_t>(shown_)] : nullptr;
}

bool TClickDwarf::start() {
    StartTime = now();
    shown_ = -1;
    if (Icon > 0 && engine_.doc()) {
        const int32_t f = engine_.doc()->currentFrameIndex();
        const int32_t i = f * 2 + Icon - 1;
        TAnisObjEx& p = Pictures[static_cast<size_t>(i)];
        const EngineDocFrame* frame = engine_.doc()->currentFrame();
        const int32_t align = Align[static_cast<size_t>(i)];
        const graphics::SIZE size = p.getSize();
        const std::array<int32_t, 4> r = frame->area();
        const graphics::RECT area{r[0], r[1], r[2], r[3]};
        const graphics::SIZE screen{engine_.graphic() ? engine_.graphic()->width() : 0,
                                    engine_.graphic() ? engine_.graphic()->height() : 0};
        graphics::POINT at = placeByAlign(static_cast<uint32_t>(align), size.cx, size.cy, area, screen);
        const std::array<int32_t, 2> pen = frame->writePos();
        if ((align & 0xF) == 3) at.x = pen[0];
        if ((align & 0xF0) == 0x30) at.y = pen[1];
        shown_ = i;
        p.setVisible(align != 0xFFFF);
        p.setPos(at.x + Offset[static_cast<size_t>(i)][0], at.y + Offset[static_cast<size_t>(i)][1]);
        p.restart();
    }
    setRunFlag(false);
    Frames = 0;
    return true;
}

bool TClickDwarf::update() {
    if (corePaused()) return true;
    const uint32_t t = now();
    EngineMusic* music = engine_.music();
    if (VoiceEndTime == 0 && (!music || !music->voicePlaying() || music->voiceLoops())) VoiceEndTime = t;
    ++Frames;
    const TG2Status& s = engine_.status();
    bool end = false;
    if (Frames >= 2) {
        const bool voiceDone = VoiceEndTime != 0;
        if (Type != 0 && s.autoText && elapsedMs(OpenTime, t) >= static_cast<uint32_t>(AutoTimeout) && voiceDone &&
            elapsedMs(VoiceEndTime, t) >= static_cast<uint32_t>(std::max(s.autoTextTimeoutVoice, 0)))
            end = true;
        else if (Type == 2 && elapsedMs(OpenTime, t) >= static_cast<uint32_t>(OwnTimeout) && voiceDone &&
                 elapsedMs(VoiceEndTime, t) >= static_cast<uint32_t>(std::max(VoiceTimeout, 0)))
            end = true;
        else if (clicked() || skipping() || (s.clickOption && input().wheel < 0))
            end = true;
    }
    if (end) {
        finish();
        return false;
    }
    if (TAnisObjEx* icon = shownIcon()) {
        icon->update(t);
        if (engine_.graphic() && icon->isVisible()) engine_.graphic()->addObject(255, icon);
    }
    noteWaiting();
    return true;
}

void TClickDwarf::finish() {
    TDwarf::finish();
    if (EngineDocFrame* f = frame()) {
        if (EndAction == 1) f->newLine();
        if (EndAction == 2) f->clearText();
    }
    if (EngineMusic* music = engine_.music()) {
        if (StopType == 1) music->stopVoice();
        if (StopType == 2) music->fadeOutVoice();
    }
    if (TAnisObjEx* icon = shownIcon()) {
        icon->stop();
        icon->setVisible(false);
    }
    shown_ = -1;
    if (skipping())
        setRunFlag(true);
    else
        clearInput();
    noteWaiting();
}

void TClickDwarf::exchange(TValueExchange& x) {
    TDwarf::exchange(x);
    TValueExchange::TKey key(x, "ClickDwarf");
    x.exchangeInt("Type", Type);
    x.exchangeInt("Type", Type);
    x.exchangeInt("Timeout", Timeout);
    x.exchangeInt("VoiceTimeout", VoiceTimeout);
    x.exchangeInt("StopType", StopType);
    for (size_t i = 0; i < 16; ++i) {
        x.exchangeInt("Align", Align[i]);
        x.exchangeShort("Offset X", Offset[i][0]);
        x.exchangeShort("Offset Y", Offset[i][1]);
    }
}

// ---- click and jump ----

void TClickGotoDwarf::reset() {
    TDwarf::reset();
    Pos = -1;
}

void TClickGotoDwarf::open(TG2Thread* thread, int32_t pos) {
    Pos = pos;
    if (pos < 0) return;
    thread_ = thread;
    finished_ = false;
    startPending_ = true;
}

bool TClickGotoDwarf::update() {
    if (corePaused() || !clicked()) return true;
    if (engine_.core()) engine_.core()->finishDwarfsExcept(this);
    finished_ = true;
    clearInput();
    if (thread_) thread_->jump(Pos);
    finish();
    return false;
}

void TClickGotoDwarf::exchange(TValueExchange& x) {
    TDwarf::exchange(x);
    TValueExchange::TKey key(x, "ClickGotoDwarf");
    x.exchangeInt("Pos", Pos);
    x.exchangeByte("Complete", finished_);
}

}  // namespace present
