#pragma once
// The engine a story shows on screen: its graphic layer is the real one (sprites, backgrounds,
// transitions), its document the real message windows, and its core's job guild makes the
// transitions and graphic jobs. The game frame makes this engine.
#include <memory>

#include "script/engine.h"

namespace present {

class GraphicPart;
class EngineDocAdapter;
class EngineJobContext;

class PresentEngine : public TG2EngineEx {
public:
    PresentEngine();
    ~PresentEngine() override;
    std::unique_ptr<EngineGraphic> createGraphic() override;
    std::unique_ptr<EngineDoc> createDoc() override;
    // The music with its sound commands, the menu, and the standing jobs of the presentation.
    std::unique_ptr<EngineMusic> createMusic() override;
    std::unique_ptr<EngineMenu> createMenu() override;
    std::unique_ptr<TDwarf> createStandingJob(int32_t code) override;
    // Joins the parts once all are made: the layer draws the document, the guild makes jobs.
    void initHook() override;

    // Null before init.
    GraphicPart* graphicPart() const;
    EngineDocAdapter* docPart() const;

private:
    std::unique_ptr<EngineJobContext> jobContext_;
};

}  // namespace present
