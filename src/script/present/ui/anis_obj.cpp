#include "script/present/ui/anis_obj.h"

#include <algorithm>
#include <map>

#include "graphics/graphic.h"
#include "graphics/surface32.h"
#include "platform/clock.h"
#include "script/present/ui/picture_host.h"
#include "script/value_exchange.h"

namespace present {

namespace {

std::map<uint64_t, TAnisObjBase*>& liveObjects() {
    static std::map<uint64_t, TAnisObjBase*> live;
    return live;
}

uint64_t nextSerial = 0;

graphics::RECT unite(const graphics::RECT& a, const graphics::RECT& b) {
    if (a.empty()) return b;
    if (b.empty()) return a;
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

bool dueBy(uint32_t at, uint32_t now) { return platform::timeDiff(now, at) >= 0; }

int32_t randomPercent() {
    int64_t v = static_cast<int32_t>(TAnisObjBase::random().next());
    return static_cast<int32_t>((v < 0 ? -v : v) % 100);
}

bool compare(int32_t value, int32_t op, int32_t with) {
    switch (op) {
        case TAsCmdCompare::kGreater:
            return value > with;
        case TAsCmdCompare::kGreaterEqual:
            return value >= with;
        case TAsCmdCompare::kLess:
            return value < with;
        case TAsCmdCompare::kLessEqual:
            return value <= with;
        case TAsCmdCompare::kEqual:
            return value == with;
        case TAsCmdCompare::kNotEqual:
            return value != with;
        default:
            return false;
    }
}

}  // namespace

TRandom& TAnisObjBase::random() {
    static TRandom generator;
    return generator;
}

TAnisObjBase::TAnisObjBase() : serial_(nextSerial++) {
    if (!random().isSeeded()) random().seed(static_cast<uint32_t>(platform::unixTime()));
    liveObjects().emplace(serial_, this);
}

TAnisObjBase::~TAnisObjBase() { liveObjects().erase(serial_); }

void TAnisObjBase::updateAll(int32_t group, uint32_t now) {
    // An update may make or destroy objects; walk by serial so that neither upsets the walk.
    auto& live = liveObjects();
    for (auto it = live.begin(); it != live.end();) {
        const uint64_t serial = it->first;
        if (it->second->Group == group) it->second->update(now);
        it = live.upper_bound(serial);
    }
}

bool TAnisObjBase::assign(const TAnisBase& other) {
    if (!TAnisBase::assign(other)) return false;
    Stopped = 1;
    return true;
}

bool TAnisObjBase::parse(TStream& stream, const std::string& name) {
    if (!TAnisBase::parse(stream, name)) return false;
    Stopped = 1;
    return true;
}

bool TAnisObjBase::load(const std::string& fileName) {
    if (!TAnisBase::load(fileName)) return false;
    Stopped = 1;
    return true;
}

void TAnisObjBase::restart() {
    if (Commands.empty()) return;
    Stopped = 0;
    Next = 0;
    Origin = 0;
    LastTime = 0;
    CurTime = Commands.front()->Time;
    OffsetX = OffsetY = 0;
    releaseImage();
    if (isVisible()) invalidate();
}

void TAnisObjBase::stop() {
    Stopped = 1;
    releaseImage();
}

void TAnisObjBase::detachSurface() {
    if (!getSurface()) return;
    const uint32_t kind = getKind(), modulate = getModulate(), key = getColorKey(), paint = getPaintColor();
    setSurface(nullptr);
    setKind(kind & ~graphics::sprite_flag::kSubRect);
    setModulate(modulate);
    setColorKey(key);
    setPaintColor(paint);
}

void TAnisObjBase::update(uint32_t now) {
    if (platform::timeDiff(now, Origin) < 0) Origin = now - static_cast<uint32_t>(CurTime);
    LastTime = now;
    if (!isVisible() || Stopped) return;
    const int32_t count = static_cast<int32_t>(Commands.size());
    if (Next < 0 || Next >= count) {
        Stopped = 1;
        return;
    }
    graphics::RECT dirty{};
    auto moved = [&](const graphics::RECT& before) {
        placeDrawn();
        dirty = unite(dirty, unite(before, getRect()));
    };
    for (int run = 0; run < kMaxCommandsPerUpdate && dueBy(Origin + static_cast<uint32_t>(CurTime), now); ++run) {
        const TAsCmd& cmd = *Commands[static_cast<size_t>(Next++)];
        const graphics::RECT before = getRect();
        switch (cmd.Type) {
            case TAsCmd::kSize: {
                const auto& c = static_cast<const TAsCmdSize&>(cmd);
                Width = c.Width, Height = c.Height;
                break;
            }
            case TAsCmd::kImage: {
                const auto& c = static_cast<const TAsCmdImage&>(cmd);
                if (c.ImageIndex < 0 || c.ImageIndex >= static_cast<int32_t>(ImageNames.size())) {
                    releaseImage();
                    detachSurface();
                } else {
                    setImage(ImageNames[static_cast<size_t>(c.ImageIndex)]);
                }
                OffsetX = c.X, OffsetY = c.Y;
                moved(before);
                break;
            }
            case TAsCmd::kOffset: {
                const auto& c = static_cast<const TAsCmdOffset&>(cmd);
                OffsetX += c.X, OffsetY += c.Y;
                moved(before);
                break;
            }
            case TAsCmd::kMove: {
                const auto& c = static_cast<const TAsCmdMove&>(cmd);
                BaseX += c.X, BaseY += c.Y;
                moved(before);
                break;
            }
            case TAsCmd::kBlend:
                setBlend(static_cast<uint32_t>(static_cast<const TAsCmdBlend&>(cmd).Blend));
                dirty = unite(dirty, getRect());
                break;
            case TAsCmd::kJump: {
                const auto& c = static_cast<const TAsCmdJump&>(cmd);
                Next = c.TargetIndex;
                Origin += static_cast<uint32_t>(CurTime - c.TargetTime);
                // More than one more round of a loop due (a restart after a long time, a clock
                // that jumped): start the loop again from now instead of replaying every round.
                const int64_t round = int64_t(CurTime) - c.TargetTime;
                if (round > 0 && platform::timeDiff(now, Origin + static_cast<uint32_t>(c.TargetTime)) >= round)
                    Origin = now - static_cast<uint32_t>(c.TargetTime);
                break;
            }
            case TAsCmd::kCompare: {
                const auto& c = static_cast<const TAsCmdCompare&>(cmd);
                int32_t value = 0;
                switch (c.Register) {
                    case TAsCmdCompare::kX:
                        value = BaseX;
                        break;
                    case TAsCmdCompare::kY:
                        value = BaseY;
                        break;
                    case TAsCmdCompare::kBlendReg:
                        value = static_cast<int32_t>(getBlend());
                        break;
                    default:
                        value = randomPercent();
                        break;
                }
                if (compare(value, c.Operator, c.Value)) {
                    Next = c.TargetIndex;
                    Origin += static_cast<uint32_t>(CurTime - c.Time);
                }
                break;
            }
            default:
                break;
        }
        if (Next >= count || Next < 0) {
            Stopped = 1;
            break;
        }
        CurTime = Commands[static_cast<size_t>(Next)]->Time;
    }
    if (!Stopped && dueBy(Origin + static_cast<uint32_t>(CurTime), now)) Origin = now - static_cast<uint32_t>(CurTime);
    if (!dirty.empty())
        if (graphics::TGraphic* screen = graphics::graphic()) screen->invalidateRect(dirty);
}

void TAnisObjBase::assignObj(const TAnisObjBase& other) {
    if (&other == this) return;
    assign(other);
    graphics::TSprObj::operator=(other);
    Group = other.Group;
    BaseX = other.BaseX, BaseY = other.BaseY;
    OffsetX = other.OffsetX, OffsetY = other.OffsetY;
    Extra = other.Extra;
    Stopped = other.Stopped;
    Origin = other.Origin;
    LastTime = other.LastTime;
    CurTime = other.CurTime;
    Next = other.Next;
}

void TAnisObjBase::setVisible(bool visible) {
    if (visible == isVisible()) return;
    // What it showed is uncovered.
    if (!visible) invalidate();
    graphics::TSprObj::setVisible(visible);
    if (visible)
        restart();
    else
        stop();
}

void TAnisObjBase::setPos(int32_t x, int32_t y) {
    BaseX = x, BaseY = y;
    placeDrawn();
}

graphics::SIZE TAnisObjBase::getSize() const {
    if (Width != -1) return {Width, Height};
    return {getDrawWidth() + OffsetX, getDrawHeight() + OffsetY};
}

// ---- the savable kind ---------------------------------------------------------------------------

TAnisObjEx::~TAnisObjEx() { TAnisObjEx::releaseImage(); }

bool TAnisObjEx::load(const std::string& fileName) {
    Script = fileName;
    clearCommands();
    ImageNames.clear();
    Width = Height = -1;
    if (!TAnisObjBase::load(fileName)) return false;
    for (const auto& image : ImageNames) pictureHost().preloadImage(joinPath(Name, image));
    return true;
}

void TAnisObjEx::setImage(const std::string& name) {
    releaseImage();
    pictureHost().makeSprite(*this, joinPath(Name, name));
}

void TAnisObjEx::releaseImage() {
    if (graphics::TSurface32* s = getSurface()) {
        pictureHost().surfaces().release(s);
        detachSurface();
    }
}

void TAnisObjEx::assignObj(const TAnisObjBase& other) {
    if (&other == this) return;
    releaseImage();
    TAnisObjBase::assignObj(other);
    // The copied picture is one more holder of the bank's surface.
    if (getSurface()) pictureHost().surfaces().addRef(getSurface());
}

bool TAnisObjEx::assignEx(const TAnisObjEx& other) {
    Script = other.Script;
    return assign(other);
}

void TAnisObjEx::halt() {
    if (isVisible()) {
        invalidate();
        graphics::TSprObj::setVisible(false);
    }
    stop();
    releaseImage();
}

std::unique_ptr<graphics::TGrObj> TAnisObjEx::clone() const {
    auto copy = std::make_unique<TAnisObjEx>();
    copy->assign(*this);
    return copy;
}

void exchangeSpritePart(TValueExchange& x, graphics::TSprObj& obj, bool withVisibleDepth) {
    const bool load = x.isLoading();
    graphics::POINT pos = obj.graphics::TGrObj::getPos();
    bool visible = obj.isVisible();
    int32_t depth = obj.getDepth(), subBlend = obj.getSubBlend();
    graphics::RECT src = *obj.getSourceRect();
    int32_t dw = obj.getDrawWidth(), dh = obj.getDrawHeight();
    uint32_t flag = obj.getKind(), key = obj.getColorKey(), fill = obj.getPaintColor();
    int32_t blend = static_cast<int32_t>(obj.getOpacity());
    x.exchangeShort("X", pos.x);
    x.exchangeShort("Y", pos.y);
    if (withVisibleDepth) {
        x.exchangeFlags("Visible", &visible);
        x.exchangeShort("Depth", depth);
    }
    x.exchangeShort("SubBlend", subBlend);
    x.exchangeShort("SrcLeft", src.left);
    x.exchangeShort("SrcTop", src.top);
    x.exchangeShort("SrcRight", src.right);
    x.exchangeShort("SrcBottom", src.bottom);
    x.exchangeShort("DstWidth", dw);
    x.exchangeShort("DstHeight", dh);
    x.exchangeLong("Flag", flag);
    x.exchangeColor("ColorKey", key);
    x.exchangeColor("ColorFill", fill);
    x.exchangeShort("Blend", blend);
    graphics::TSurface32* surface = obj.getSurface();
    SurfaceBank& bank = pictureHost().surfaces();
    if (load && surface) {
        bank.release(surface);
        obj.setSurface(nullptr);
    }
    bank.exchange(x, surface);
    if (!load) return;
    obj.setSurface(surface);
    obj.setKind(flag);
    if (surface) {
        obj.setSourceRect(src);
        obj.setSize(dw, dh);
    }
    obj.setColorKey(key);
    obj.setPaintColor(fill);
    obj.setOpacity(static_cast<uint32_t>(blend));
    obj.setSubBlend(subBlend);
    obj.graphics::TGrObj::setPos(pos.x, pos.y);
    if (withVisibleDepth) {
        obj.graphics::TGrObj::setVisible(visible);
        obj.setDepth(depth);
    }
}

void TAnisObjEx::exchange(TValueExchange& x) {
    TValueExchange::TKey key(x, "AnisObjEx");
    const bool load = x.isLoading();
    std::string script = Script;
    x.exchangeString("Script", script);
    if (load) {
        releaseImage();
        clearCommands();
        ImageNames.clear();
        Script.clear();
        if (!script.empty()) this->load(script);
        Script = script;
    }
    x.exchangeInt("Type", Group);
    x.exchangeShort("X", BaseX);
    x.exchangeShort("Y", BaseY);
    x.exchangeShort("Offset X", OffsetX);
    x.exchangeShort("Offset Y", OffsetY);
    x.exchangeShort("Width", Width);
    x.exchangeShort("Height", Height);
    bool stopped = Stopped != 0;
    x.exchangeFlags("Stop", &stopped);
    x.exchangeLong("NextTime", CurTime);
    x.exchangeShort("CurLine", Next);
    const uint32_t now = pictureHost().engineTime();
    int32_t elapsed = static_cast<int32_t>(now - Origin - (Origin > now ? 1 : 0));
    x.exchangeInt("NowTime", elapsed);
    exchangeSpritePart(x, *this, true);
    if (!load) return;
    Stopped = stopped ? 1 : 0;
    Origin = now - static_cast<uint32_t>(elapsed);
    LastTime = now;
    // A save whose position does not fit the script as it reads now leaves the object stopped.
    if (Next < 0 || Next >= static_cast<int32_t>(Commands.size())) {
        Next = 0;
        Stopped = 1;
    }
}

}  // namespace present
