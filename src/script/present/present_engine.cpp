#include "script/present/present_engine.h"

#include "script/core.h"
#include "script/present/engine_doc.h"
#include "script/present/engine_graphic.h"
#include "script/present/gde.h"

namespace present {

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
