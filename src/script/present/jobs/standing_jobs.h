#pragma once
// The presentation's standing jobs, by job code, for the engine's factory: the waits, the
// screen fade, the quake, the movie, the volume fades and the music lowering, and the text-mode,
// log-view and sub-menu button jobs. Null for a code that is not among them.
#include <cstdint>
#include <memory>

class TDwarf;
class TG2Engine;

namespace present {

class JobContext;

// The jobs keep ctx for their whole life.
std::unique_ptr<TDwarf> makeStandingJob(TG2Engine& engine, JobContext& ctx, int32_t code);

}  // namespace present
