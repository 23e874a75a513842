#include "script/present/present_engine.h"

#include "script/core.h"
#include "script/present/doc/engine_doc.h"
#include "script/present/transition/engine_graphic.h"
#include "script/present/transition/gde.h"
#include "script/present/sound/engine_job_context.h"
#include "script/present/present_jobs.h"
#include "script/present/jobs/standing_jobs.h"

namespace present {

PresentEngine::PresentEngine() : jobContext_(std::make_unique<EngineJobContext>(*this)) {}

// The parts go while the job context still stands.
PresentEngine::~PresentEngine() { term(); }

std::unique_ptr<EngineMusic> PresentEngine::createMusic() { return present::createMusic(*this); }

std::unique_ptr<EngineMenu> PresentEngine::createMenu() { return present::createMenu(); }

std::unique_ptr<TDwarf> PresentEngine::createStandingJob(int32_t code) {
    if (auto job = present::createStandingJob(*this, code)) return job;
    if (auto job = makeStandingJob(*this, *jobContext_, code)) return job;
    return TG2EngineEx::createStandingJob(code);
}

std::unique_ptr<EngineGraphic> PresentEngine::createGraphic() { return std::make_unique<GraphicPart>(); }

std::unique_ptr<EngineDoc> PresentEngine::createDoc() { return std::make_unique<EngineDocAdapter>(*this); }

void PresentEngine::initHook() {
    TG2EngineEx::initHook();
    if (GraphicPart* g = graphicPart()) g->graphic().setDoc(docPart() ? &docPart()->real() : nullptr);
    if (core()) core()->getDwarfGuild().gde = [](int32_t code) -> TDwarf* { return createGrDwarf(code).release(); };
}

GraphicPart* PresentEngine::graphicPart() const { return dynamic_cast<GraphicPart*>(graphic()); }

EngineDocAdapter* PresentEngine::docPart() const { return dynamic_cast<EngineDocAdapter*>(doc()); }

}  // namespace present
