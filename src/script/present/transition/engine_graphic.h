#pragma once
// The graphic layer as the engine holds it: the engine's presentation interface over a
// TG2Graphic, with a host whose clock is the time the core hands to each update and whose
// warnings are the engine's, and the transitions' host over the engine's core and settings. The
// engine's graphic factory makes one.
#include <cstdint>
#include <memory>

#include "script/present/graphic/graphic.h"
#include "script/present/graphic/graphic_host.h"
#include "script/present/graphic/spr_maker_ex.h"
#include "script/present/transition/gde_graphic.h"
#include "script/presentation.h"

class TG2Core;

namespace present {

class EngineGraphicHost : public GraphicHost {
public:
    uint32_t engineTime() override { return now; }
    graphics::SIZE screenSize() const override { return size; }
    // Through the engine when there is one.
    void warning(int code, const std::string& text) override;
    // A transition from the core's job guild, given the style's time and mask; null without an
    // engine or for a kind the guild does not make.
    TDwarf* createTransition(int32_t type, int32_t time, graphics::TAlphaCh* mask, TG2Thread* thread) override;
    // The engine's banks when there is an engine.
    SurfaceBank& surfaces() override;
    SpdBank& spds() override;
    AlphaChBank& alphaChs() override;
    // A picture made is marked seen in the core's image table, by its file name.
    void imageSeen(const std::string& spec) override;
    // The engine's one sprite maker makes, loads and preloads every picture.
    bool makeSprite(graphics::TSprite32& sprite, const std::string& spec) override;
    graphics::TGrObj* createGrObj(const std::string& spec) override;
    bool preloadImage(const std::string& spec) override;
    TSprMakerEx& spriteMaker() { return maker_; }

    uint32_t now = 0;
    graphics::SIZE size{800, 600};

private:
    // The maker, or, for a picture asked for while the maker is making another (an animation
    // script loading its pictures), a maker of its own, so that the outer one keeps its name.
    template <class F>
    auto withMaker(F&& f);

    TSprMakerEx maker_{*this};
    bool makerBusy_ = false;
};

// The transitions' clock, skip mode, "ScreenEffect" and input are the running engine's.
class EngineGdeHost : public GraphicGdeHost {
public:
    using GraphicGdeHost::GraphicGdeHost;
    uint32_t now(bool fresh) override;
    bool isSkipping() const override;
    bool screenEffect() const override;
    // The core's notice that a job waits in this pass.
    void jobWaits() override;
    void clearInput() override;
};

class GraphicPart : public EngineGraphic {
public:
    // Installs its hosts as the pictures' and the transitions' hosts while it lives.
    GraphicPart();
    ~GraphicPart() override;

    bool create(int32_t width, int32_t height) override;
    void reset() override { graphic_.reset(); }
    void term() override { graphic_.releaseAll(); }
    void exchange(TValueExchange& x) override { graphic_.exchange(x); }
    void clearLayers() override { graphic_.clear(); }
    void update(int32_t time) override;
    void buildTable(bool withDoc) override { graphic_.compose(withDoc); }
    // Whether the screen object holds changes reported since it was last drawn.
    bool isDirty() const override;
    void refresh() override { graphic_.invalidate(); }
    int32_t width() const override { return graphic_.getSize().cx; }
    int32_t height() const override { return graphic_.getSize().cy; }
    void setSize(int32_t w, int32_t h) override { graphic_.setSize(w, h); }
    // The layers, then the movie's picture due now over them while a movie is open.
    void draw(graphics::TSurface32& target) override;
    bool isMoviePlaying() const override { return graphic_.getMedia().isRunning(); }
    // Resuming goes on only with a movie that the pause stopped.
    void pauseMovie() override;
    void resumeMovie() override;
    // The sprite, background, style and bank commands.
    void command(TG2Thread& thread, uint32_t code, const G2CommandArgs& args) override;
    void addObject(int32_t layer, graphics::TGrObj* obj) override;

    TG2Graphic& graphic() { return graphic_; }
    const TG2Graphic& graphic() const { return graphic_; }
    EngineGraphicHost& host() { return host_; }
    EngineGdeHost& gdeHost() { return gde_; }

private:
    void changePicture(TG2Thread& thread, int32_t n, graphics::TGrObj* made, int32_t style, bool instant,
                       uint32_t frameMask);
    void showImage(TG2Thread& thread, int32_t n, const std::string& name, int32_t x, int32_t y, int32_t style,
                   int32_t flags, uint32_t frameMask);
    void showColour(TG2Thread& thread, int32_t n, uint32_t colour, int32_t x, int32_t y, int32_t w, int32_t h,
                    int32_t style, int32_t flags);
    void pendingImage(int32_t n, const std::string& name, int32_t x, int32_t y, int32_t flags);
    void pendingColour(int32_t n, uint32_t colour, int32_t x, int32_t y, int32_t w, int32_t h);
    void showBackground(TG2Thread& thread, int32_t style, int32_t time, int32_t flags, bool morph);

    EngineGraphicHost host_;
    TG2Graphic graphic_;
    EngineGdeHost gde_{graphic_};
    bool moviePaused_ = false;
};

}  // namespace present
