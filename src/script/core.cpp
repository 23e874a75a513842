#include "script/core.h"

#include <algorithm>

#include "platform/clock.h"
#include "platform/codepage.h"
#include "script/engine.h"
#include "script/presentation.h"
#include "script/value.h"
#include "script/value_exchange.h"

namespace {

// The standing jobs in the order they are made, and the order the core saves them in.
constexpr int32_t kMadeOrder[] = {kJobTextOut,  kJobClick,    kJobClickGoto, kJobMenu,  kJobWait,
                                  kJobSync,     kJobLogView,  kJobQuake,     kJobMedia, kJobTextOff,
                                  kJobTextSkip, kJobTextAuto, kJobBgmFade};
constexpr int32_t kMadeAfterFades[] = {kJobVoiceFade, kJobBgmLow, kJobFade, kJobSubmenu};
constexpr int32_t kSavedOrder[] = {kJobTextOut, kJobClick,     kJobClickGoto, kJobMenu,    kJobWait,     kJobSync,
                                   kJobLogView, kJobQuake,     kJobMedia,     kJobTextOff, kJobTextSkip, kJobTextAuto,
                                   kJobBgmFade, kJobVoiceFade, kJobFade,      kJobSubmenu};
constexpr int32_t kResident[] = {kJobLogView, kJobTextOff, kJobTextSkip, kJobTextAuto, kJobSubmenu};

constexpr uint32_t kMenuKeys = 0x20000020;
constexpr int32_t kPauseLogView = 2;
constexpr int kYesNo = 4;

const std::string& confirmTitleText() {
    static const std::string s = platform::toSjis("タイトルに戻ります。\nよろしいですか？");
    return s;
}
const std::string& confirmQuitText() {
    static const std::string s = platform::toSjis("ゲームを終了します。\nよろしいですか？");
    return s;
}

}  // namespace

TG2Core::TG2Core(TG2Engine& engine) : engine_(engine), menu_(engine.createMenu()) {
    if (!menu_) menu_ = std::make_unique<EngineMenu>();
    guild_.standing = [this](int32_t code) { return standingJob(code); };
}

TG2Core::~TG2Core() {
    clear();
    if (warningHandler() == &warnings_) setWarningHandler(nullptr);
    if (TDwarf::threadByNumber) TDwarf::threadByNumber = nullptr;
}

uint32_t TG2Core::now() const { return platform::clock().now(); }

TG2Memory* TG2Core::memory() { return engine_.memory(); }

TScriptBank& TG2Core::scriptBank() { return engine_.getScriptBank(); }

void TG2Core::command(TG2Thread& thread, uint32_t code) { engine_.command(thread, code); }

void TG2Core::message(TG2Thread& thread, const std::string& text) { engine_.message(thread, text); }

bool TG2Core::init() {
    auto make = [this](int32_t code) {
        if (!standing_.count(code))
            if (auto job = engine_.createStandingJob(code)) standing_[code] = std::move(job);
    };
    for (int32_t code : kMadeOrder) make(code);
    for (int32_t ch = 0; ch < 256; ++ch) make(kJobSeFade0 + ch);
    for (int32_t code : kMadeAfterFades) make(code);
    totalGameTime_ = 0;
    if (!engine_.status().imgDisp.empty()) imgDisp_.load(engine_.status().imgDisp);
    readCheck_ = nullptr;
    for (int32_t code : kResident)
        if (TDwarf* job = standingJob(code)) guild_.push_back(job);
    warnings_.setMessageBox([this](const std::string& text, const std::string& caption, uint32_t type) {
        return engine_.host().messageBox(text, caption, type);
    });
    warnings_.setCaption(engine_.status().product);
    setWarningHandler(&warnings_);
    TDwarf::threadByNumber = [this](int32_t n) { return getThread(n); };
    reset();
    return true;
}

TDwarf* TG2Core::standingJob(int32_t code) const {
    auto it = standing_.find(code);
    return it == standing_.end() ? nullptr : it->second.get();
}

bool TG2Core::ownsJob(const TDwarf* job) const { return job && standingJob(job->getJobCode()) == job; }

bool TG2Core::start(const std::string& file, const std::string& label) {
    const std::string name = file.empty() ? engine_.status().name : file;
    if (!createThread(0, name, label.empty() ? "START" : label, 0)) error(kG2ErrThreadLoad, name);
    return true;
}

void TG2Core::reset() {
    random_.seed(static_cast<uint32_t>(platform::unixTime()));
    stopRequested_ = false;
    result_ = select_ = 0;
    cursor_ = true;
    title_.clear();
    saveCount_ = playTime_ = timeStamp10s_ = 0;
    suspendSkip_ = 2;
    unread_ = false;
    setTitle(engine_.status().title);
    setCursor(true);
    for (bool& r : pauseReasons_) r = false;
    lastTime_ = static_cast<int32_t>(now());
    pausedAt_ = 0;
    timeBase_ = 0;
    yieldOnDirty_ = true;
    breakRequested_ = true;
    readCheck_ = nullptr;
    fastRun_ = false;
    submenuEnabled_ = false;
    recordEnabled_ = 0;
    stockRequest_ = 0;
    snapshotPending_ = false;
    recordInfo1_.reset();
    recordInfo2_.reset();
    recordCode1_ = recordCode2_ = 0;
    menu_->clear();
    menuMode_ = 0;
    runFlag_ = false;
    currentActor_ = 0;
    currentThread_ = 0;
    deleteAllThreads();
    for (auto it = guild_.begin(); it != guild_.end();) {
        TDwarf* job = *it;
        if (job->isResident()) {
            ++it;
            continue;
        }
        it = guild_.erase(it);
        if (job->isDeleteWhenFinished() && !ownsJob(job)) delete job;
    }
    for (auto& [code, job] : standing_)
        if (code != kJobBgmLow) job->reset();
}

void TG2Core::clear() {
    for (TDwarf* job : guild_)
        if (!job->isResident() && job->isDeleteWhenFinished() && !ownsJob(job)) delete job;
    guild_.clear();
    deleteAllThreads();
    readChecks_.clear();
    readCheck_ = nullptr;
}

// ---- threads ----

TG2Thread* TG2Core::getThread(int32_t n) const { return n >= 0 && n < kMaxThreads ? threads_[n].get() : nullptr; }

bool TG2Core::createThread(int32_t n, const std::string& file, const std::string& label, int32_t arg) {
    if (n < 0 || n >= kMaxThreads || threads_[n]) return false;
    auto thread = std::make_unique<TG2Thread>(*this);
    if (!thread->start(n, file, label, arg)) return false;
    threads_[n] = std::move(thread);
    ++threadCount_;
    return true;
}

void TG2Core::retire(std::unique_ptr<TG2Thread> thread) {
    if (thread && thread.get() == stepping_) retired_.push_back(std::move(thread));
}

void TG2Core::releaseJobsOf(const TG2Thread* thread, bool finishRunning) {
    if (!thread) return;
    if (finishRunning)
        for (TDwarf* job : guild_)
            if (job->getThread() == thread && !job->isFinished()) job->finish();
    for (TDwarf* job : guild_)
        if (job->getThread() == thread) job->setThread(nullptr);
    for (auto& [code, job] : standing_)
        if (job->getThread() == thread) job->setThread(nullptr);
}

void TG2Core::deleteThread(int32_t n) {
    if (n < 0 || n >= kMaxThreads || !threads_[n]) return;
    // The jobs that served the thread outlive it (the standing ones for good).
    releaseJobsOf(threads_[n].get(), true);
    retire(std::move(threads_[n]));
    threads_[n].reset();
    --threadCount_;
}

void TG2Core::deleteAllThreads() {
    for (auto& t : threads_) releaseJobsOf(t.get(), false), retire(std::move(t)), t.reset();
    threadCount_ = 0;
}

void TG2Core::setCurrentThread(int32_t n) {
    if (n != -1) {
        if (n >= 0 && n < kMaxThreads) currentThread_ = n;
        return;
    }
    for (int32_t i = 1; i < kMaxThreads; ++i) {
        const int32_t k = ((currentThread_ + i) % kMaxThreads + kMaxThreads) % kMaxThreads;
        if (threads_[k]) {
            currentThread_ = k;
            return;
        }
    }
}

// ---- jobs ----

void TG2Core::addDwarf(TDwarf* job) {
    if (job && std::find(guild_.begin(), guild_.end(), job) == guild_.end()) guild_.push_back(job);
}

void TG2Core::finishDwarfsExcept(TDwarf* job) {
    for (TDwarf* d : guild_)
        if (d != job) d->finish();
}

void TG2Core::showFrames(uint32_t mask, bool visible, TDwarf* job) {
    EngineDoc* doc = engine_.doc();
    if (doc) {
        const uint8_t mode = visible ? 255 : 0;
        if (mask == 1) {
            EngineDocFrame* f = doc->currentFrame();
            if (f && (f->groups() & 1) && f->isVisible() != visible) {
                f->setVisible(mode);
                if (visible) doc->refresh();
            }
        } else {
            for (int32_t i = 0; i < 8; ++i) {
                EngineDocFrame* f = doc->frame(i);
                if (f && (f->groups() & mask) && f->isVisible() != visible) f->setVisible(mode);
            }
        }
    }
    if (job) addDwarf(job);
}

void TG2Core::stepDwarfs() {
    // Jobs added during the pass are stepped in it too.
    for (auto it = guild_.begin(); it != guild_.end();) {
        TDwarf* job = *it;
        job->step();
        if (!job->isFinished()) {
            ++it;
            continue;
        }
        it = guild_.erase(it);
        if (job->isDeleteWhenFinished() && !ownsJob(job)) delete job;
    }
}

// ---- pause and clock ----

bool TG2Core::isPaused() const {
    for (bool r : pauseReasons_)
        if (r) return true;
    return false;
}

bool TG2Core::isPausedByOther(int32_t reason) const {
    for (int32_t i = 0; i < 5; ++i)
        if (i != reason && pauseReasons_[i]) return true;
    return false;
}

bool TG2Core::pause(int32_t reason) {
    if (reason < 0 || reason >= 5) return false;
    if (!isPaused()) pausedAt_ = getTime();
    const bool was = pauseReasons_[reason];
    pauseReasons_[reason] = true;
    fastRun_ = false;
    return was;
}

void TG2Core::resume(int32_t reason) {
    if (reason < 0 || reason >= 5 || !pauseReasons_[reason]) return;
    pauseReasons_[reason] = false;
    if (!isPaused()) {
        ++resumeCount_;
        const int32_t frozen = pausedAt_;
        // Engine time goes on from where it stopped: the time spent paused moves the base.
        timeBase_ += now() - timeBase_ - static_cast<uint32_t>(frozen);
        lastTime_ = frozen;
    }
}

int32_t TG2Core::getTime() {
    if (!isPaused()) lastTime_ = static_cast<int32_t>(now() - timeBase_);
    return lastTime_;
}

// ---- snapshots, read points, skipping ----

bool TG2Core::requestSnapshot(int32_t kind) {
    snapshotPending_ = stockRequest_ == 0 || (stockRequest_ == 1 && kind == 1);
    return snapshotPending_;
}

void TG2Core::takeSnapshot() {
    snapshot_.clear();
    snapshot_.seek(0, 0);
    TValueExchange x(&snapshot_, true);
    exchange(x);
}

void TG2Core::setReadPoint(TReadCheck* check, int32_t point) {
    if (readCheck_) readCheck_->set(readPoint_);
    readCheck_ = check;
    readPoint_ = point;
    unread_ = !check || !check->test(point);
}

bool TG2Core::isSkipAllowed() {
    TG2Status& s = engine_.status();
    if (isSkipSuspended()) return false;
    if (!s.skipMessage) return s.forceSkip;
    if (!unread_) return true;
    s.skipMessage = false;
    return s.forceSkip;
}

// ---- titles and quitting ----

void TG2Core::setTitle(const std::string& text) {
    title_ = text;
    engine_.host().setCaption(text);
}

int TG2Core::confirmReturnToTitle() {
    return engine_.host().messageBox(confirmTitleText(), engine_.status().product, kYesNo);
}

int TG2Core::confirmQuit() { return engine_.host().messageBox(confirmQuitText(), engine_.status().product, kYesNo); }

void TG2Core::returnToTitle(bool ask) {
    if (ask && confirmReturnToTitle() == 7) return;
    engine_.reset();
    const std::string& name = engine_.status().name;
    if (!createThread(0, name, "START", 0)) error(kG2ErrThreadLoad, name);
    requestBreak();
}

int TG2Core::quit(bool ask) {
    if (ask) {
        const int answer = confirmQuit();
        if (answer == 7) return answer;
    }
    stopRequested_ = true;
    requestBreak();
    return 6;
}

void TG2Core::setRecordInfo(std::unique_ptr<TValue> v1, std::unique_ptr<TValue> v2) {
    recordInfo1_ = std::move(v1);
    recordInfo2_ = std::move(v2);
}

// ---- the frame ----

bool TG2Core::run() {
    breakRequested_ = false;
    EngineGraphic* graphic = engine_.graphic();
    if (graphic) graphic->clearLayers();
    if (stopRequested_) return false;
    const uint32_t frameStart = now();
    for (uint32_t pass = 1;; ++pass) {
        if (titleRequested_) {
            titleRequested_ = false;
            returnToTitle(false);
        }
        const int32_t t = getTime();
        if (t - timeStamp10s_ >= 10000) {
            timeStamp10s_ = t;
            playTime_ += 10;
            totalGameTime_ += 10;
        }
        waiting_ = false;
        if (!isPaused()) {
            TG2Thread* thread = getCurrentThread();
            if (!thread) return false;
            stepping_ = thread;
            const bool alive = thread->step();
            stepping_ = nullptr;
            retired_.clear();
            if (!alive) return false;
        }
        stepDwarfs();
        if (snapshotPending_) {
            snapshotPending_ = false;
            takeSnapshot();
        }
        if (!fastRun_ || breakRequested_) {
            if (graphic) graphic->update(lastTime_);
            // Read after the jobs stepped: a press a job used up (a menu's cancel) is not asked again.
            // An open backlog keeps the right button for itself: its release closes it.
            if (engine_.host().input().words[2] & kMenuKeys) {
                TG2Status& s = engine_.status();
                if (s.autoEndsOnMenuKey && s.autoText) {
                    s.autoText = false;
                } else if (submenuEnabled_ && !isPausedBy(kPauseLogView)) {
                    engine_.callCallback(0, 0, 0);
                    engine_.host().clearInput();
                }
            }
            const bool reported = graphic && graphic->isDirty();
            if (passCheck_) passCheck_(reported);
            if (breakRequested_) break;
            if (yieldOnDirty_ && (reported || isPaused())) break;
            // A thread that a job holds does nothing more in this frame: passes would only spin.
            if (TG2Thread* thread = getCurrentThread(); thread && thread->held()) break;
        } else if (isWaiting()) {
            // Running fast, a job that waits for time or input still ends the frame.
            break;
        }
        // A script that never waits still lets the frame end, and the program go on.
        if (pass >= kMaxPassesPerFrame || now() - frameStart >= kFrameBudgetMs) break;
        breakRequested_ = false;
        if (graphic) graphic->clearLayers();
        if (stopRequested_) return false;
    }
    if (graphic) graphic->buildTable(true);
    return true;
}

// ---- saved state ----

void TG2Core::exchangeValue(TValueExchange& x, const char* key, std::unique_ptr<TValue>& value) {
    bool present = value != nullptr;
    x.exchangeByte(key, present);
    if (x.isStoring()) {
        if (present) value->save(x);
    } else {
        value = present ? loadValue(x, engine_.memory()) : nullptr;
    }
}

void TG2Core::exchange(TValueExchange& x) {
    TValueExchange::TKey key(x, "gCore");
    if (TG2Memory* m = engine_.memory()) m->exchangeArea0(x);
    if (engine_.status().variablesOnly) return;
    if (engine_.graphic()) engine_.graphic()->exchange(x);
    if (engine_.doc()) engine_.doc()->exchange(x);
    if (engine_.music()) engine_.music()->exchange(x);
    if (x.isStoring()) {
        for (int32_t n = 0; n < kMaxThreads; ++n) {
            if (!threads_[n]) continue;
            x.putInt("ThreadID", n);
            threads_[n]->exchange(x);
        }
        x.putInt("ThreadID", -1);
    } else {
        for (int32_t n = x.getInt("ThreadID"); n >= 0; n = x.getInt("ThreadID")) {
            // A number outside the table, or one read twice, cannot be a saved thread.
            if (n >= kMaxThreads || threads_[n]) error(kG2ErrExchange);
            auto thread = std::make_unique<TG2Thread>(*this);
            thread->exchange(x);
            threads_[n] = std::move(thread);
            ++threadCount_;
        }
    }
    x.exchangeInt("ThreadNo", currentThread_);
    if (x.isStoring()) {
        for (TDwarf* job : guild_) guild_.saveDwarf(x, job);
        guild_.saveDwarf(x, nullptr);
    } else {
        while (TDwarf* job = guild_.loadDwarf(x)) addDwarf(job);
    }
    for (int32_t code : kSavedOrder)
        if (TDwarf* job = standingJob(code)) job->exchange(x);
    if (x.isStoring()) {
        for (int32_t ch = 0; ch < 256; ++ch) {
            TDwarf* job = standingJob(kJobSeFade0 + ch);
            if (!job || !job->isModified()) continue;
            x.putShort("SEFadeID", static_cast<int16_t>(ch));
            job->exchange(x);
        }
        x.putShort("SEFadeID", -1);
    } else {
        for (int32_t ch = x.getShort("SEFadeID"); ch >= 0; ch = x.getShort("SEFadeID")) {
            TDwarf* job = ch < 256 ? standingJob(kJobSeFade0 + ch) : nullptr;
            if (!job) error(kG2ErrExchange);
            job->exchange(x);
        }
    }
    menu_->exchange(x);
    x.exchangeByte("SubmenuEnabled", submenuEnabled_);
    exchangeActorMap(x, actors_);
    x.exchangeInt("Actor", currentActor_);
    x.exchangeInt("RecordEnabled", recordEnabled_);
    x.exchangeInt("StockRequest", stockRequest_);
    exchangeValue(x, "RecordInfo1", recordInfo1_);
    exchangeValue(x, "RecordInfo2", recordInfo2_);
    x.exchangeInt("RecordCode1", recordCode1_);
    x.exchangeInt("RecordCode2", recordCode2_);
    x.exchangeInt("$RESULT", result_);
    x.exchangeInt("$SELETE", select_);
    x.exchangeLong("SuspendSkip", suspendSkip_);
    x.exchangeByte("Cursor", cursor_);
    x.exchangeString("Title", title_);
    if (x.isLoading()) {
        setTitle(title_);
        setCursor(cursor_);
    }
}

void TG2Core::exchangeCommon(TValueExchange& x) {
    TValueExchange::TKey key(x, "gCore");
    readChecks_.exchange(x);
    exchangeActorVoiceMap(x, actors_);
    x.exchangeInt("TotalGameTime", totalGameTime_);
}
