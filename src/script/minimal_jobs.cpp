#include "script/minimal_jobs.h"

#include "script/core.h"
#include "script/engine.h"
#include "script/value_exchange.h"

namespace {

constexpr uint32_t kConfirm = 0x10000010;

}  // namespace

void TG2WaitJob::begin(TG2Thread* thread, int32_t, int32_t ms) {
    TDwarf::begin(thread, true);
    until_ = engine_.core()->getTime() + ms;
}

void TG2WaitJob::beginUntil(TG2Thread* thread, int32_t time) {
    TDwarf::begin(thread, true);
    until_ = time;
}

bool TG2WaitJob::update() {
    if (engine_.core()->getTime() - until_ >= 0) finish();
    return true;
}

void TG2WaitJob::exchange(TValueExchange& x) {
    TDwarf::exchange(x);
    x.exchangeLong("Until", until_);
}

void TG2ClickJob::begin(TG2Thread* thread, int32_t, int32_t) { TDwarf::begin(thread, true); }

bool TG2ClickJob::update() {
    if (engine_.host().input().words[2] & kConfirm) {
        engine_.host().clearInput();
        finish();
    }
    return true;
}

void TG2MenuJob::begin(TG2Thread* thread, int32_t, int32_t) { TDwarf::begin(thread, true); }

bool TG2MenuJob::update() {
    EngineMenu& menu = engine_.core()->menu();
    const int32_t choice = engine_.host().menuChoice(menu);
    if (choice >= 0 && static_cast<size_t>(choice) < menu.entries.size()) {
        engine_.core()->setSelect(menu.entries[static_cast<size_t>(choice)].value);
        finish();
    }
    return true;
}

void TG2MenuJob::finish() {
    TDwarf::finish();
    if (engine_.core()) engine_.core()->showFrames(16, true, nullptr);
}
