#pragma once
// TG2Graphic: the story's picture. It holds the 256 numbered script sprites, the screen fade
// and the table of transition styles, and lays the sprites (and the message windows) into its
// 256 layers once a frame: a sprite goes to the layer of its depth, or, when it follows the
// message windows, to the layer of its own number at the windows' opacity; the background's
// composite picture lies in layer 0 beneath them.
#include <cstdint>
#include <map>
#include <vector>

#include "graphics/gr_kinds.h"
#include "graphics/graphic.h"
#include "script/present/graphic/bgs.h"
#include "script/present/graphic/sprite_state.h"
#include "sound/media.h"

class TDwarf;
class TG2Thread;
class TValueExchange;

namespace graphics {
class TAlphaCh;
}

namespace present {

class GraphicHost;
class TG2Doc;

// Where an object of w x h goes by an alignment code against rect and the screen: 0xFFFF gives
// (0, 0); bits 0-3 choose x, bits 4-7 y (0 centred, 1 left/top, 2 right/bottom inside, 4 centred
// and 6 right/bottom on the screen, 7 just outside, 8 the screen's far edge).
graphics::POINT placeByAlign(uint32_t align, int32_t w, int32_t h, const graphics::RECT& rect, graphics::SIZE screen);

class TG2Graphic : public graphics::TGrTableObj {
public:
    static constexpr int kSprites = 256;
    static constexpr int kLayers = 256;
    static constexpr int kDefaultStyles = 18;

    struct GdeStyle {
        int32_t Type = 0;
        int32_t Time = 0;                    // -1 after a reset
        graphics::TAlphaCh* mask = nullptr;  // a reference of the alpha-channel bank
    };

    explicit TG2Graphic(GraphicHost& host);
    ~TG2Graphic() override;

    // n must be 0-255 (the commands check).
    virtual TG2Sprite& getSprite(int32_t n) { return sprites_.at(static_cast<size_t>(n)); }
    virtual TG2BgsCenter& getBgsCenter() { return bgs_; }
    virtual TG2BgSprite& getBgSprite(int32_t n) { return bgs_.at(n); }
    virtual graphics::TFade& getFade() { return fade_; }
    virtual int32_t getBaseSprite() const { return baseSprite_; }
    virtual void setBaseSprite(int32_t n) { baseSprite_ = n; }
    virtual void setToneMode(bool on) { toneMode_ = on; }
    bool getToneMode() const { return toneMode_; }
    graphics::POINT getPos() const override { return {0, 0}; }
    // The movie player of the movie commands and the movie job.
    virtual TMedia& getMedia() { return media_; }
    const TMedia& getMedia() const { return media_; }
    virtual graphics::POINT getOffset() const { return offset_; }
    virtual void setOffset(int32_t x, int32_t y) { offset_ = {x, y}; }
    // Fills the emptied layers for this frame; without the document, the sprites that follow
    // the message windows are left out. With it, the screen fade's cover goes over the screen
    // (the picture of a thumbnail has none). True.
    virtual bool compose(bool withDoc);
    // The object of sprite `last` goes to the base sprite; those between are released.
    virtual void collapseSprites(int32_t last);
    // A style number the save can keep (0-32767) is stored; any other is warned of and dropped.
    virtual void setStyle(int32_t styleNo, int32_t type, int32_t time, graphics::TAlphaCh* mask);
    // A transition of the style's kind for the thread, or null when there is none of that kind.
    // A style number the save cannot keep is warned of and style 0 is used.
    virtual TDwarf* createEffect(int32_t styleNo, TG2Thread* thread);
    // The record of a style; one that was never set reads as all zero. Adds nothing to the map.
    virtual const GdeStyle& getStyle(int32_t styleNo) const;
    // The style number itself when the save can keep it, else (after the engine's warning) 0.
    int32_t checkStyle(int32_t styleNo);
    using graphics::TGrTableObj::create;
    // The 256 layers at the screen size; the sprites are numbered.
    virtual bool create(int32_t w, int32_t h);
    virtual void releaseAll();
    virtual void reset();
    // Animations of group 0 and the fade advanced to the engine clock.
    virtual void update();
    // Section "gGraphic": offset, the sprites that differ from their defaults, the styles and
    // the tone mode.
    virtual void exchange(TValueExchange& x);

    // The position of a w x h object placed by an alignment code in rect and on the screen.
    graphics::POINT placeByAlign(uint32_t align, int32_t w, int32_t h, const graphics::RECT& rect) const;
    void setDoc(TG2Doc* doc) { doc_ = doc; }
    TG2Doc* getDoc() const { return doc_; }
    GraphicHost& host() const { return host_; }
    const std::map<int32_t, GdeStyle>& styles() const { return styles_; }

private:
    void clearStyles();
    void attachFade();
    void exchangeStyles(TValueExchange& x);

    GraphicHost& host_;
    std::vector<TG2Sprite> sprites_;
    TG2BgsCenter bgs_;
    graphics::TFade fade_;
    int32_t baseSprite_ = 0;
    bool toneMode_ = false;
    graphics::POINT offset_{};
    std::map<int32_t, GdeStyle> styles_;  // ordered, so that a save walks it the same way each time
    TG2Doc* doc_ = nullptr;
    TMedia media_;
};

}  // namespace present
