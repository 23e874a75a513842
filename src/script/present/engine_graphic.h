#pragma once
// The graphic layer as the engine holds it: the engine's presentation interface over a
// TG2Graphic, with a host whose clock is the time the core hands to each update and whose
// warnings are the engine's. The engine's graphic factory makes one.
#include <cstdint>
#include <memory>

#include "script/present/graphic.h"
#include "script/present/graphic_host.h"
#include "script/presentation.h"

namespace present {

class EngineGraphicHost : public GraphicHost {
public:
    uint32_t engineTime() override { return now; }
    graphics::SIZE screenSize() const override { return size; }
    // Through the engine when there is one.
    void warning(int code, const std::string& text) override;

    uint32_t now = 0;
    graphics::SIZE size{800, 600};
};

class GraphicPart : public EngineGraphic {
public:
    // Installs its host as the pictures' host while it lives.
    GraphicPart();
    ~GraphicPart() override;

    bool create(int32_t width, int32_t height) override;
    void reset() override { graphic_.reset(); }
    void term() override { graphic_.releaseAll(); }
    void exchange(TValueExchange& x) override { graphic_.exchange(x); }
    void clearLayers() override { graphic_.clear(); }
    void update(int32_t time) override;
    void buildTable(bool withDoc) override { graphic_.compose(withDoc); }
    void draw(graphics::TSurface32& target) override { graphic_.draw(target); }

    TG2Graphic& graphic() { return graphic_; }
    EngineGraphicHost& host() { return host_; }

private:
    EngineGraphicHost host_;
    TG2Graphic graphic_;
};

}  // namespace present
