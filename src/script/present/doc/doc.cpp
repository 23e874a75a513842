#include "script/present/doc/doc.h"

#include "script/value_exchange.h"

namespace present {

std::unique_ptr<TG2DocFrame> TG2Doc::createDocFrame(int32_t index) {
    return std::make_unique<TG2DocFrame>(index, host_, this);
}

std::unique_ptr<TG2DocLog> TG2Doc::createDocLog() { return std::make_unique<TG2DocLog>(host_, this); }

bool TG2Doc::create() {
    for (int32_t i = 0; i < kFrames; ++i)
        if (!frames_[i]) {
            frames_[i] = createDocFrame(i);
            if (!frames_[i]) return false;
        }
    if (!log_) log_ = createDocLog();
    if (!log_) return false;
    reset();
    return true;
}

void TG2Doc::release() {
    for (auto& f : frames_) f.reset();
    log_.reset();
    clearSymbols();
}

void TG2Doc::clearSymbols() {
    for (TSymbolStyle& s : styles_)
        if (s.alphaCh) host_.releaseAlphaCh(s.alphaCh);
    styles_.clear();
    symbols_.clear();
}

void TG2Doc::reset() {
    for (auto& f : frames_)
        if (f) f->reset();
    shown_ = true;
    halfSpace_ = false;
    current_ = 0;
    const graphics::SIZE s = host_.screenSize();
    if (frames_[0]) frames_[0]->setRect(graphics::RECT{24, s.cy - 160, s.cx - 40, s.cy - 24});
    clearSymbols();
    if (log_) log_->reset();
}

bool TG2Doc::setCurrentFrame(int32_t index) {
    if (index < 0 || index >= kFrames) return false;
    TG2DocFrame* f = getCurrentFrame();
    if (f && f->recLog && log_ && (log_->mode & TG2DocLog::kModeRecord)) log_->clearPage();
    current_ = index;
    return true;
}

void TG2Doc::setTextShown(bool shown) {
    shown_ = shown;
    if (isLogViewOpen()) {
        log_->invalidate();
        return;
    }
    for (auto& f : frames_)
        if (f) f->invalidate();
}

bool TG2Doc::isRedrawNeeded() const {
    if (isLogViewOpen()) return log_->isRedrawPending();
    for (auto& f : frames_)
        if (f && f->isRedrawPending()) return true;
    return false;
}

bool TG2Doc::addSymbolStyle(uint32_t code, const std::string& imageName) {
    if (findSymbol(code)) return false;
    TSymbolStyle style;
    style.code = code;
    style.alphaCh = host_.getAlphaCh(imageName);
    styles_.push_back(style);
    appendChar(symbols_, code);
    return true;
}

const TSymbolStyle* TG2Doc::findSymbol(uint32_t code) const {
    for (const TSymbolStyle& s : styles_)
        if (s.code == code) return &s;
    return nullptr;
}

void TG2Doc::draw(graphics::TGrTableObj& target) {
    if (isLogViewOpen()) {
        log_->draw(target);
        return;
    }
    for (auto& f : frames_)
        if (f) f->draw(target);
}

void TG2Doc::openLogView() {
    if (!log_ || log_->isViewOpen()) return;
    host_.pauseCore(2);
    log_->openView();
    host_.requestFullRedraw();
}

void TG2Doc::closeLogView() {
    if (!isLogViewOpen()) return;
    host_.resumeCore(2);
    log_->closeView();
    host_.requestFullRedraw();
}

bool TG2Doc::scrollLogView(int32_t n) { return isLogViewOpen() && log_->scroll(n); }

void TG2Doc::exchange(TValueExchange& a) {
    TValueExchange::TKey key(a, "gDoc");
    int32_t frameNo = current_;
    a.exchangeInt("FrameNo", frameNo);
    a.exchangeFlags("Flag", &shown_, &halfSpace_);
    if (a.isLoading()) {
        // A frame number from outside 0-7 would index past the frames.
        current_ = frameNo >= 0 && frameNo < kFrames ? frameNo : 0;
        // The saved table replaces whatever was registered before the load.
        clearSymbols();
    }
    for (auto& f : frames_)
        if (f) f->exchange(a);
    if (log_) log_->exchange(a);
    std::string table = symbols_;
    a.exchangeString("SymbolTable", table);
    if (a.isStoring()) {
        for (TSymbolStyle& s : styles_) {
            a.putInt("ch", static_cast<int32_t>(s.code));
            host_.exchangeAlphaCh(a, s.alphaCh);
        }
        return;
    }
    const size_t n = countChars(table);
    for (size_t i = 0; i < n; ++i) {
        TSymbolStyle s;
        s.code = static_cast<uint32_t>(a.getInt("ch"));
        host_.exchangeAlphaCh(a, s.alphaCh);
        if (findSymbol(s.code)) {
            // A repeated code would leave two styles for one character.
            if (s.alphaCh) host_.releaseAlphaCh(s.alphaCh);
            continue;
        }
        styles_.push_back(s);
        appendChar(symbols_, s.code);
    }
    // The frames were laid out before their symbols were back: once more, now with them.
    if (!styles_.empty())
        for (auto& f : frames_)
            if (f && !f->text().empty()) f->relayout();
}

}  // namespace present
