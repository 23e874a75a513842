#include "script/present/jobs/standing_jobs.h"

#include "script/present/jobs/fade_jobs.h"
#include "script/present/jobs/log_view_job.h"
#include "script/present/jobs/mode_jobs.h"
#include "script/present/jobs/wait_jobs.h"

namespace present {

namespace {

// The button jobs load their pictures when they are made.
template <class Job>
std::unique_ptr<TDwarf> withPictures(JobContext& ctx) {
    auto job = std::make_unique<Job>(ctx);
    job->init();
    return job;
}

}  // namespace

std::unique_ptr<TDwarf> makeStandingJob(TG2Engine& engine, JobContext& ctx, int32_t code) {
    if (code >= kJobSeFade0 && code < kJobSeFade0 + 256) return std::make_unique<TSeFadeDwarf>(ctx, code - kJobSeFade0);
    switch (code) {
        case kJobWait:
            return std::make_unique<TWaitDwarf>(engine, ctx);
        case kJobSync:
            return std::make_unique<TSyncDwarf>(engine, ctx);
        case kJobQuake:
            return std::make_unique<TQuakeDwarf>(ctx);
        case kJobMedia:
            return std::make_unique<TMediaDwarf>(ctx);
        case kJobFade:
            return std::make_unique<TFadeDwarf>(ctx);
        case kJobBgmFade:
            return std::make_unique<TBgmFadeDwarf>(ctx);
        case kJobVoiceFade:
            return std::make_unique<TVoiceFadeDwarf>(ctx);
        case kJobBgmLow:
            return std::make_unique<TBgmLowDwarf>(ctx);
        case kJobLogView:
            return withPictures<TLogViewDwarf>(ctx);
        case kJobTextOff:
            return withPictures<TTextOffDwarf>(ctx);
        case kJobTextSkip:
            return withPictures<TTextSkipDwarf>(ctx);
        case kJobTextAuto:
            return withPictures<TTextAutoDwarf>(ctx);
        case kJobSubmenu:
            return withPictures<TSubmenuDwarf>(ctx);
        default:
            return nullptr;
    }
}

}  // namespace present
