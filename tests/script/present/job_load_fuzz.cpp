// The saved sections of the fade, quake, movie and button jobs read from arbitrary bytes: each
// load finishes or stops with the engine's error, and whatever it left runs for a few frames
// without dividing by zero, overflowing or waiting forever.
#include <memory>
#include <string>
#include <vector>

#include "framework/stream.h"
#include "present_fixture.h"
#include "script/g2_error.h"
#include "script/g2_status.h"
#include "script/present/jobs/fade_jobs.h"
#include "script/present/jobs/job_context.h"
#include "script/present/jobs/log_view_job.h"
#include "script/present/jobs/mode_jobs.h"
#include "script/present/jobs/wait_jobs.h"
#include "support/fuzz.h"

namespace {

// No engine around: a clock that moves a lot between frames, everything else absent.
class FuzzContext : public present::JobContext {
public:
    uint32_t now() override { return time; }
    bool isPaused() override { return false; }
    bool isPausedByOther(int32_t) override { return false; }
    void pause(int32_t) override {}
    void resume(int32_t) override {}
    bool isSkipping() override { return false; }
    bool isSkipSuspended() override { return false; }
    void requestRedraw() override {}
    present::JobInput input() override { return {}; }
    void clearInput() override {}
    TG2Status& status() override { return settings; }
    void sleepMs(uint32_t ms) override { time += ms; }
    present::SoundDesk* desk() override { return nullptr; }
    present::TG2Graphic* graphic() override { return nullptr; }
    present::TG2Doc* doc() override { return nullptr; }
    graphics::SIZE screenSize() override { return {640, 480}; }
    void addDwarf(TDwarf*) override {}
    TDwarf* standingJob(int32_t) override { return nullptr; }
    int callHost(int, int, void*) override { return 0; }
    bool isSubmenuEnabled() override { return true; }
    int32_t recordEnabled() override { return 1; }
    void replayVoice(const std::string&) override {}

    uint32_t time = 1000;
    TG2Status settings;
};

std::vector<std::unique_ptr<TDwarf>> jobs(FuzzContext& ctx) {
    std::vector<std::unique_ptr<TDwarf>> out;
    out.push_back(std::make_unique<present::TFadeDwarf>(ctx));
    out.push_back(std::make_unique<present::TBgmFadeDwarf>(ctx));
    out.push_back(std::make_unique<present::TSeFadeDwarf>(ctx, 12));
    out.push_back(std::make_unique<present::TVoiceFadeDwarf>(ctx));
    out.push_back(std::make_unique<present::TBgmLowDwarf>(ctx));
    out.push_back(std::make_unique<present::TQuakeDwarf>(ctx));
    out.push_back(std::make_unique<present::TMediaDwarf>(ctx));
    out.push_back(std::make_unique<present::TTextAutoDwarf>(ctx));
    out.push_back(std::make_unique<present::TTextOffDwarf>(ctx));
    out.push_back(std::make_unique<present::TSubmenuDwarf>(ctx));
    out.push_back(std::make_unique<present::TLogViewDwarf>(ctx));
    return out;
}

// Every job mid-way, saved one after the other.
std::string running() {
    FuzzContext ctx;
    auto all = jobs(ctx);
    dynamic_cast<present::TFadeDwarf&>(*all[0]).begin(nullptr, 1, 500, 0xFF000000u);
    dynamic_cast<present::TVolumeFadeDwarf&>(*all[1]).fadeTo(nullptr, 10, 6, 2000);
    dynamic_cast<present::TVolumeFadeDwarf&>(*all[2]).fadeOut(nullptr, 2, 300);
    dynamic_cast<present::TQuakeDwarf&>(*all[5]).begin(nullptr, 3, 200, 40, 45, false);
    dynamic_cast<present::TSubmenuDwarf&>(*all[9]).setPlace(3, 0x22, 5, -5);
    ctx.time += 100;
    return present::testing::saveBytes([&](TValueExchange& x) {
        for (auto& job : all) job->exchange(x);
    });
}

}  // namespace

std::vector<std::vector<uint8_t>> mjFuzzSeeds() {
    const std::string s = running();
    return {std::vector<uint8_t>(s.begin(), s.end())};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzContext ctx;
    auto all = jobs(ctx);
    try {
        present::testing::loadBytes(std::string(reinterpret_cast<const char*>(data), size), [&](TValueExchange& x) {
            for (auto& job : all) job->exchange(x);
        });
    } catch (const TError&) {}
    for (int frame = 0; frame < 4; ++frame) {
        ctx.time += frame == 2 ? 0x7FFFFFFFu : 700;
        for (auto& job : all) job->step();
    }
    for (auto& job : all) job->finish();
    return 0;
}
