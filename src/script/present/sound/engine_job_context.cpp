#include "script/present/sound/engine_job_context.h"

#include <algorithm>

#include "platform/clock.h"
#include "script/core.h"
#include "script/engine.h"
#include "script/present/doc/engine_doc.h"
#include "script/present/transition/engine_graphic.h"
#include "script/present/sound/sound_commands.h"

namespace present {

uint32_t EngineJobContext::now() {
    TG2Core* core = engine_.core();
    return core ? static_cast<uint32_t>(core->getTime()) : 0;
}

bool EngineJobContext::isPaused() { return engine_.core() && engine_.core()->isPaused(); }

bool EngineJobContext::isPausedByOther(int32_t reason) {
    return engine_.core() && engine_.core()->isPausedByOther(reason);
}

void EngineJobContext::pause(int32_t reason) {
    if (engine_.core()) engine_.core()->pause(reason);
}

void EngineJobContext::resume(int32_t reason) {
    if (engine_.core()) engine_.core()->resume(reason);
}

bool EngineJobContext::isSkipping() { return engine_.core() && engine_.core()->isSkipAllowed(); }

bool EngineJobContext::isSkipSuspended() { return engine_.core() && engine_.core()->isSkipSuspended(); }

void EngineJobContext::requestRedraw() {
    if (engine_.core()) engine_.core()->requestBreak();
}

JobInput EngineJobContext::input() {
    const TG2InputState s = engine_.host().input();
    JobInput in;
    in.held = s.words[0];
    in.pressed = s.words[2];
    in.released = s.words[3];
    in.wheel = s.wheel;
    in.x = s.mouseX;
    in.y = s.mouseY;
    in.mouseInWindow = s.mouseInWindow;
    in.fullScreen = engine_.isHostActive();
    return in;
}

void EngineJobContext::clearInput() { engine_.host().clearInput(); }

TG2Status& EngineJobContext::status() { return engine_.status(); }

void EngineJobContext::sleepMs(uint32_t ms) { platform::sleepMs(ms); }

SoundDesk* EngineJobContext::desk() { return dynamic_cast<SoundDesk*>(engine_.music()); }

TG2Graphic* EngineJobContext::graphic() {
    auto* part = dynamic_cast<GraphicPart*>(engine_.graphic());
    return part ? &part->graphic() : nullptr;
}

TG2Doc* EngineJobContext::doc() {
    auto* adapter = dynamic_cast<EngineDocAdapter*>(engine_.doc());
    return adapter ? &adapter->real() : nullptr;
}

graphics::SIZE EngineJobContext::screenSize() { return engine_.getSize(); }

void EngineJobContext::addDwarf(TDwarf* job) {
    TG2Core* core = engine_.core();
    if (!core || !job) return;
    // A job begun again while still listed runs once a frame, not twice.
    TG2DwarfGuild& guild = core->getDwarfGuild();
    if (std::find(guild.begin(), guild.end(), job) == guild.end()) core->addDwarf(job);
}

TDwarf* EngineJobContext::standingJob(int32_t code) {
    return engine_.core() ? engine_.core()->standingJob(code) : nullptr;
}

int EngineJobContext::callHost(int a, int b, void* data) {
    if (b == 1 && data) return engine_.callHost(a, b, {*static_cast<int32_t*>(data), 0, 0});
    return engine_.callCallback(a, b, static_cast<int>(reinterpret_cast<intptr_t>(data)));
}

bool EngineJobContext::isSubmenuEnabled() { return engine_.core() && engine_.core()->isSubmenuEnabled(); }

int32_t EngineJobContext::recordEnabled() { return engine_.core() ? engine_.core()->getRecordEnabled() : 0; }

void EngineJobContext::replayVoice(const std::string& name) {
    if (SoundDesk* d = desk()) SoundCommands(engine_, *this, *d).playVoice(nullptr, name, kSoundNoVoiceMark, 0);
}

}  // namespace present
