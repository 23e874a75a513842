#pragma once
// The jobs' context as a running engine gives it: what the jobs reach of the engine (the clock,
// pause reasons, skipping, input, settings) found on the hub, with its graphic layer, document
// and sound channels. The engine and its music make one.
#include <cstdint>
#include <string>

#include "script/present/jobs/job_context.h"

namespace present {

// The context of a running engine: its core, host, settings, graphic layer and document
// adapters, and its music when that is a SoundDesk.
class EngineJobContext : public JobContext {
public:
    explicit EngineJobContext(TG2Engine& engine) : engine_(engine) {}
    uint32_t now() override;
    bool isPaused() override;
    bool isPausedByOther(int32_t reason) override;
    void pause(int32_t reason) override;
    void resume(int32_t reason) override;
    bool isSkipping() override;
    bool isSkipSuspended() override;
    void requestRedraw() override;
    JobInput input() override;
    void clearInput() override;
    TG2Status& status() override;
    void sleepMs(uint32_t ms) override;
    SoundDesk* desk() override;
    TG2Graphic* graphic() override;
    TG2Doc* doc() override;
    graphics::SIZE screenSize() override;
    void addDwarf(TDwarf* job) override;
    TDwarf* standingJob(int32_t code) override;
    int callHost(int a, int b, void* data) override;
    bool isSubmenuEnabled() override;
    int32_t recordEnabled() override;
    void replayVoice(const std::string& name) override;

    TG2Engine& engine() { return engine_; }

private:
    TG2Engine& engine_;
};

}  // namespace present
