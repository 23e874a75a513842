#pragma once
// Animated objects run an animation script against the engine clock: a command is due when the
// object's time base plus its time stamp has been reached, and each update runs what is due,
// changing the picture, the offset, the position and the opacity. TAnisObjEx is the savable
// kind whose pictures come from the surface bank.
#include <cstdint>
#include <string>

#include "framework/random.h"
#include "graphics/gr_kinds.h"
#include "script/present/ui/as_script.h"

class TValueExchange;

namespace present {

class TAnisObjBase : public TAnisBase, public graphics::TSprObj {
public:
    // Commands one update may run: a loop that takes no time ends the update here.
    static constexpr int kMaxCommandsPerUpdate = 4096;

    // Visible but stopped, group 0; entered among the live animated objects.
    TAnisObjBase();
    ~TAnisObjBase() override;
    TAnisObjBase(const TAnisObjBase&) = delete;
    TAnisObjBase& operator=(const TAnisObjBase&) = delete;

    // Every live object of the group advanced to now, in the order they were made.
    static void updateAll(int32_t group, uint32_t now);
    // The generator of the "r" register, seeded from the calendar time by the first object made
    // unless it was seeded before.
    static TRandom& random();

    bool assign(const TAnisBase& other) override;
    // The sprite's own copy stays callable beside the animation's; another animated object is
    // copied as an animation.
    using graphics::TSprObj::assign;
    bool assign(const TAnisObjBase& other) { return assign(static_cast<const TAnisBase&>(other)); }
    bool parse(TStream& stream, const std::string& name) override;
    bool load(const std::string& fileName) override;

    virtual graphics::POINT getBase() const { return {BaseX, BaseY}; }
    virtual graphics::POINT getOffset() const { return {OffsetX, OffsetY}; }
    // From the first command, with the timeline counted from time 0.
    virtual void restart();
    virtual void stop();
    virtual void update(uint32_t now);
    // The picture of an image name of the script, and giving it back: the savable kind's.
    virtual void setImage(const std::string&) {}
    virtual void releaseImage() {}
    virtual void assignObj(const TAnisObjBase& other);

    // Showing restarts the animation, hiding stops it.
    void setVisible(bool visible) override;
    using graphics::TGrObj::moveBy;
    using graphics::TGrObj::setPos;
    void setX(int32_t x) override { setPos(x, BaseY); }
    void setY(int32_t y) override { setPos(BaseX, y); }
    void setPos(int32_t x, int32_t y) override;
    void moveBy(int32_t dx, int32_t dy) override { setPos(BaseX + dx, BaseY + dy); }
    graphics::SIZE getSize() const override;
    uint16_t getTypeId() const override { return graphics::kGrAnimScript; }
    std::unique_ptr<graphics::TGrObj> clone() const override { return nullptr; }

    int32_t Group = 0;
    int32_t BaseX = 0, BaseY = 0;
    int32_t OffsetX = 0, OffsetY = 0;
    int32_t Extra = 255;
    uint8_t Stopped = 1;
    uint32_t Origin = 0;    // a command stamped t is due at Origin + t
    uint32_t LastTime = 0;  // of the last update
    int32_t CurTime = 0;    // stamp of the command group in progress
    int32_t Next = 0;       // index of the next command

protected:
    // Drops the picture, keeping opacity, blend and key settings.
    void detachSurface();
    void placeDrawn() { graphics::TGrObj::setPos(BaseX + OffsetX, BaseY + OffsetY); }

private:
    uint64_t serial_;
};

class TAnisObjEx : public TAnisObjBase {
public:
    TAnisObjEx() = default;
    ~TAnisObjEx() override;

    // Drops the current script; the images are preloaded into the surface bank.
    bool load(const std::string& fileName) override;
    void setImage(const std::string& name) override;
    void releaseImage() override;
    void assignObj(const TAnisObjBase& other) override;
    virtual bool assignEx(const TAnisObjEx& other);
    // Hidden, stopped and without its picture.
    virtual void halt();
    // Section "AnisObjEx": the script by name and where it stands, then the picture.
    virtual void exchange(TValueExchange& x);
    // A new object with this one's script commands (not its file name or run state).
    std::unique_ptr<graphics::TGrObj> clone() const override;

    std::string Script;
};

// The sprite fields that saves keep ("X", "Y", optionally "Visible" and "Depth", "SubBlend",
// the source rectangle, the drawn size, "Flag", "ColorKey", "ColorFill" and "Blend"), then
// the surface by reference through the bank. Loading gives back the surface held before.
void exchangeSpritePart(TValueExchange& x, graphics::TSprObj& obj, bool withVisibleDepth);

}  // namespace present
