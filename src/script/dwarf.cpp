#include "script/dwarf.h"

#include "script/thread.h"
#include "script/value_exchange.h"

std::function<TG2Thread*(int32_t)> TDwarf::threadByNumber;

void TDwarf::exchange(TValueExchange& x) {
    TValueExchange::TKey key(x, "Dwarf");
    int32_t no = thread_ ? thread_->number() : -1;
    x.exchangeInt("ThreadNo", no);
    if (x.isLoading() && no >= 0 && threadByNumber) thread_ = threadByNumber(no);
    x.exchangeFlags("Flag", &hold_, &startPending_, &paused_, &finished_, &deleteWhenFinished_);
    // A job that holds no thread cannot hold one.
    if (!thread_) hold_ = false;
}

bool TDwarf::step() {
    if (finished_ || paused_) return true;
    if (startPending_) {
        start();
        startPending_ = false;
    }
    const bool r = update();
    if (hold_ && thread_) thread_->hold();
    return r;
}

void TDwarf::finish() {
    hold_ = false;
    finished_ = true;
}

void TDwarf::reset() {
    thread_ = nullptr;
    hold_ = startPending_ = paused_ = false;
    finished_ = true;
}

void TDwarf::begin(TG2Thread* thread, bool hold) {
    thread_ = thread;
    hold_ = hold && thread;
    startPending_ = true;
    paused_ = false;
    finished_ = false;
}

TDwarf* TG2DwarfGuild::getDwarfForThread(int32_t code, TG2Thread* thread) {
    TDwarf* job = getDwarf(code);
    if (job) job->setThread(thread);
    return job;
}

TDwarf* TG2DwarfGuild::getDwarf(int32_t code) {
    if (code == 0) return nullptr;
    if (TDwarf* job = standing ? standing(code) : nullptr) return job;
    if (code & 0xC000) return createGde(code);
    return nullptr;
}

TDwarf* TG2DwarfGuild::createGdeForThread(int32_t code, TG2Thread* thread) {
    TDwarf* job = createGde(code);
    if (job) job->setThread(thread);
    return job;
}

bool TG2DwarfGuild::saveDwarf(TValueExchange& x, TDwarf* job) {
    if (!job) {
        x.putInt("JobCode", 0);
        return true;
    }
    if (job->isResident()) return true;
    x.putInt("JobCode", job->getJobCode());
    if (!job->isSavedByOwner()) job->exchange(x);
    return true;
}

TDwarf* TG2DwarfGuild::loadDwarf(TValueExchange& x) {
    for (;;) {
        const int32_t code = x.getInt("JobCode");
        if (code == 0) return nullptr;
        TDwarf* job = getDwarf(code);
        // A code that names no job has no state to read after it: the list cannot go on.
        if (!job) throwG2Error(kG2ErrExchange);
        if (job->isSavedByOwner()) return job;
        try {
            job->exchange(x);
        } catch (...) {
            // A job made for the load that never reached the list would be nobody's.
            if (!standing || standing(code) != job) delete job;
            throw;
        }
        return job;
    }
}
