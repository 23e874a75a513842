// The sprite, background, style and bank commands: each works on the graphic layer's sprite
// states and background grid, and a change of picture, opacity or place runs as a job of the
// core's list, so that the script can wait for it.
#include <algorithm>
#include <memory>

#include "graphics/gr_kinds.h"
#include "graphics/surface32.h"
#include "script/core.h"
#include "script/engine.h"
#include "script/present/transition/engine_graphic.h"
#include "script/present/transition/gde.h"

namespace present {

namespace {

// The arguments in script order; a missing one reads as the default, a string where a number
// belongs as 0.
struct Args {
    const G2CommandArgs& v;
    size_t size() const { return v.size(); }
    bool has(size_t i) const { return i < v.size(); }
    int32_t n(size_t i, int32_t def = 0) const {
        if (!has(i)) return def;
        return v[i].isString ? 0 : v[i].number;
    }
    std::string s(size_t i) const {
        if (!has(i)) return {};
        return v[i].isString ? v[i].text : std::to_string(v[i].number);
    }
};

TG2Core* core() {
    TG2Engine* engine = g2Engine();
    return engine ? engine->core() : nullptr;
}

void resumeJobs() {
    if (TG2Core* c = core()) resumeGraphicDwarfs(c->getDwarfGuild());
}

// A job joins the core's list, hiding the message frames of the mask first; without a core it
// is finished at once so that nothing is left half done.
void addJob(TDwarf* job, uint32_t frameMask) {
    if (TG2Core* c = core()) {
        c->showFrames(frameMask, false, job);
        return;
    }
    job->finish();
    delete job;
}

void finishJob(TG2DwarfSprite& sprite) {
    if (GraphicJob* job = sprite.Job) job->finish();
}

uint32_t opaque(int32_t rgb) { return 0xFF000000u | (static_cast<uint32_t>(rgb) & 0xFFFFFFu); }

// A picture of one colour from the surface bank, w x h.
graphics::TGrObj* makeColourObj(uint32_t colour, int32_t w, int32_t h) {
    graphics::TSurface32* surface = graphicHost().surfaces().getFillSurface(colour, std::max(w, 1), std::max(h, 1), -1);
    if (!surface) return nullptr;
    auto* obj = new TSprObjEx;
    obj->setSurface(surface);
    return obj;
}

// The state's placement, blend and zoom given to a new object.
void dress(graphics::TGrObj* obj, const TG2SpriteState& state) {
    if (!obj) return;
    obj->setPos(state.X, state.Y);
    if (auto* mix = dynamic_cast<graphics::TMixObj*>(obj)) {
        mix->setBlendType(static_cast<uint32_t>(state.BlendType));
        mix->setBlend(static_cast<uint32_t>(state.Blend));
    }
    if (state.ZoomX != 1.0f || state.ZoomY != 1.0f) obj->scale(state.ZoomX, state.ZoomY);
    obj->invalidate();
}

}  // namespace

// Shows `made` (null: nothing) in sprite n through the transition of `style`.
void GraphicPart::changePicture(TG2Thread& thread, int32_t n, graphics::TGrObj* made, int32_t style, bool instant,
                                uint32_t frameMask) {
    TG2Sprite& sprite = graphic_.getSprite(n);
    finishJob(sprite);
    if (!(sprite.Flag & 2)) resumeJobs();
    // The sprite keeps the style it was shown with for the next command, and its save with it.
    sprite.EStyle = style = graphic_.checkStyle(style);
    auto* after = dynamic_cast<graphics::TMixObj*>(made);
    TDwarf* job = (made && !after) ? nullptr : graphic_.createEffect(style, &thread);
    auto* effect = dynamic_cast<TGrDwarfEffect*>(job);
    if (effect) {
        if (instant) effect->setTime(0);
        if (effect->begin(&gde_.link(n), after)) {
            addJob(effect, frameMask);
            return;
        }
    }
    delete job;
    // No transition for the style: the change stands at once.
    sprite.release();
    sprite.setSprObj(made);
}

void GraphicPart::showImage(TG2Thread& thread, int32_t n, const std::string& name, int32_t x, int32_t y, int32_t style,
                            int32_t flags, uint32_t frameMask) {
    TG2Sprite& sprite = graphic_.getSprite(n);
    finishJob(sprite);
    const bool same = sprite.isSameImageSprite(name, x, y, flags);
    graphics::TGrObj* made = name.empty() ? nullptr : graphicHost().createGrObj(name);
    if (!made) {
        host_.warning(0x1002, name);
        sprite.Flag = flags;
        sprite.ImageName.clear();
        changePicture(thread, n, nullptr, style, false, frameMask);
        return;
    }
    sprite.ImageName = name;
    sprite.X = x, sprite.Y = y, sprite.Flag = flags;
    dress(made, sprite);
    changePicture(thread, n, made, style, same, frameMask);
}

void GraphicPart::showColour(TG2Thread& thread, int32_t n, uint32_t colour, int32_t x, int32_t y, int32_t w, int32_t h,
                             int32_t style, int32_t flags) {
    TG2Sprite& sprite = graphic_.getSprite(n);
    finishJob(sprite);
    const bool same =
        sprite.isSameColorSprite(colour, x, y, sprite.ZoomX, sprite.ZoomY, flags) && sprite.W == w && sprite.H == h;
    graphics::TGrObj* made = makeColourObj(colour, w, h);
    sprite.ImageName.clear();
    sprite.Color = colour, sprite.W = w, sprite.H = h;
    sprite.X = x, sprite.Y = y, sprite.Flag = flags;
    dress(made, sprite);
    changePicture(thread, n, made, style, same, 0);
}

void GraphicPart::pendingImage(int32_t n, const std::string& name, int32_t x, int32_t y, int32_t flags) {
    TG2BgSprite& bg = graphic_.getBgSprite(n);
    graphics::TGrObj* made = name.empty() ? nullptr : graphicHost().createGrObj(name);
    if (!made) host_.warning(0x1002, name);
    bg.pending.ImageName = made ? name : std::string();
    bg.pending.X = x, bg.pending.Y = y, bg.pending.Flag = flags;
    dress(made, bg.pending);
    bg.setPendingSprObj(made);
}

void GraphicPart::pendingColour(int32_t n, uint32_t colour, int32_t x, int32_t y, int32_t w, int32_t h) {
    TG2BgSprite& bg = graphic_.getBgSprite(n);
    graphics::TGrObj* made = makeColourObj(colour, w, h);
    bg.pending.ImageName.clear();
    bg.pending.Color = colour, bg.pending.W = w, bg.pending.H = h;
    bg.pending.X = x, bg.pending.Y = y;
    dress(made, bg.pending);
    bg.setPendingSprObj(made);
}

// The prepared background shown: committed and flattened, then drawn in through the style's
// transition (a morph from the shown grid when `morph`, over `time`).
void GraphicPart::showBackground(TG2Thread& thread, int32_t style, int32_t time, int32_t flags, bool morph) {
    TG2BgsCenter& centre = graphic_.getBgsCenter();
    finishJob(centre);
    centre.Flag = flags;
    if (!(flags & 2)) resumeJobs();
    if (morph) {
        auto job = std::make_unique<TGrBgsSplitDwarf>();
        job->setThread(&thread);
        if (job->begin(gde_.getBgsCenter(), time)) {
            addJob(job.release(), 0);
            return;
        }
    }
    centre.commitStates();
    TSprObjEx* after = centre.renderToSprObj(nullptr);
    TDwarf* job = graphic_.createEffect(style, &thread);
    if (auto* effect = dynamic_cast<TGrDwarfEffect*>(job); effect && effect->begin(gde_.getBgsCenter(), after)) {
        addJob(effect, 0);
        return;
    }
    delete job;
    centre.release();
    centre.setSprObj(after);
}

void GraphicPart::command(TG2Thread& thread, uint32_t code, const G2CommandArgs& list) {
    const Args a{list};
    const int32_t n = a.n(0);
    const bool sprite = n >= 0 && n < TG2Graphic::kSprites;
    const graphics::SIZE screen = graphic_.getSize();
    switch (code) {
        case 0x1501: {
            if (!sprite) return;
            const TG2Sprite& s = graphic_.getSprite(n);
            showImage(thread, n, a.s(1), a.n(2, s.X), a.n(3, s.Y), a.n(4, s.EStyle), a.n(5, s.Flag), 2);
            return;
        }
        case 0x1508: {
            if (!sprite) return;
            const TG2Sprite& s = graphic_.getSprite(n);
            showImage(thread, n, a.s(1), s.X, s.Y, a.n(2, s.EStyle), a.n(3, s.Flag), 0);
            return;
        }
        case 0x1502: {
            if (!sprite) return;
            TG2Sprite& s = graphic_.getSprite(n);
            finishJob(s);
            s.ImageName.clear();
            s.Flag = a.n(2, s.Flag);
            changePicture(thread, n, nullptr, a.n(1, s.EStyle), !s.SprObj, 0);
            return;
        }
        case 0x1503: {
            if (!sprite) return;
            const TG2Sprite& s = graphic_.getSprite(n);
            showColour(thread, n, opaque(a.n(1)), 0, 0, screen.cx, screen.cy, a.n(2, s.EStyle), a.n(3, s.Flag));
            return;
        }
        case 0x1504: {
            if (!sprite) return;
            const TG2Sprite& s = graphic_.getSprite(n);
            showColour(thread, n, opaque(a.n(1)), a.n(2, s.X), a.n(3, s.Y), a.n(4, screen.cx), a.n(5, screen.cy),
                       a.n(6, s.EStyle), a.n(7, s.Flag));
            return;
        }
        case 0x1505:
            if (!sprite || a.size() != 2) return;
            graphic_.getSprite(n).Visible = a.n(1) != 0;
            graphic_.getSprite(n).refresh();
            return;
        case 0x1511:
            // Which message windows the sprite follows (a panel that hides with its window).
            if (!sprite || a.size() != 2) return;
            graphic_.getSprite(n).Connect = static_cast<uint16_t>(a.n(1));
            graphic_.getSprite(n).refresh();
            return;
        case 0x1506: {
            if (!sprite) return;
            TG2Sprite& s = graphic_.getSprite(n);
            const int32_t to = std::clamp(a.n(1), 0, 255), flags = a.n(3, s.Flag);
            if (s.isSameBlend(to, flags) && !s.Job) return;
            finishJob(s);
            s.Flag = flags;
            if (!(flags & 2)) resumeJobs();
            auto job = std::make_unique<TGrBlendDwarf>();
            job->setThread(&thread);
            if (job->begin(&gde_.link(n), to, a.n(2, 0))) addJob(job.release(), 0);
            return;
        }
        case 0x1507:
            if (sprite) graphic_.getSprite(n).setBlendType(a.n(1));
            return;
        case 0x1509:
            if (sprite) graphic_.setBaseSprite(n);
            return;
        case 0x150a:
        case 0x150b: {
            if (!sprite) return;
            TG2Sprite& s = graphic_.getSprite(n);
            const int32_t x = a.n(1), y = a.n(2);
            const bool zoom = code == 0x150b;
            const int32_t time = a.n(zoom ? 5 : 3), flags = a.n(zoom ? 6 : 4, s.Flag);
            float zx = 1.0f, zy = 1.0f;
            if (zoom && s.SprObj) {
                const graphics::SIZE size = s.SprObj->getSize();
                if (flags & 8) {
                    zx = static_cast<float>(a.n(3)) / 100.0f, zy = static_cast<float>(a.n(4)) / 100.0f;
                } else {
                    zx = size.cx > 0 ? static_cast<float>(a.n(3)) / static_cast<float>(size.cx) : 1.0f;
                    zy = size.cy > 0 ? static_cast<float>(a.n(4)) / static_cast<float>(size.cy) : 1.0f;
                }
            }
            if (s.isSamePlacement(x, y, s.ZoomX * zx, s.ZoomY * zy, flags) && !s.Job) return;
            finishJob(s);
            s.X = x, s.Y = y, s.Flag = flags;
            s.ZoomX *= zx, s.ZoomY *= zy;
            if (!(flags & 2)) resumeJobs();
            auto job = std::make_unique<TGrZomeDwarf>();
            job->setThread(&thread);
            if (job->begin(&gde_.link(n), x, y, zx, zy, time)) addJob(job.release(), 0);
            return;
        }
        case 0x150c:
        case 0x150d:
        case 0x150e: {
            if (!sprite) return;
            TG2Sprite& s = graphic_.getSprite(n);
            const int32_t k = code == 0x150e ? a.n(1) : 0;
            if (k < 0 || k > 7) return;
            const int32_t bit = code == 0x150c ? 1 : code == 0x150d ? 2 : 0x100 << k;
            const bool on = a.n(code == 0x150e ? 2 : 1) != 0;
            s.Flag = on ? s.Flag | bit : s.Flag & ~bit;
            return;
        }
        case 0x1510:
            graphic_.setOffset(a.n(0), a.n(1));
            return;
        case 0x1541:
        case 0x1547: {
            if (!sprite) return;
            const TG2SpriteState& p = graphic_.getBgSprite(n).pending;
            if (code == 0x1541)
                pendingImage(n, a.s(1), a.n(2, p.X), a.n(3, p.Y), a.n(4, p.Flag));
            else
                pendingImage(n, a.s(1), p.X, p.Y, p.Flag);
            return;
        }
        case 0x1540:
            if (sprite) graphic_.getBgSprite(n).pending.Visible = a.n(1) != 0;
            return;
        case 0x154b:
            // Within the flattening's layers, as for a sprite.
            if (sprite) graphic_.getBgSprite(n).pending.Depth = std::clamp(a.n(1), 0, TG2BgsCenter::kElements - 1);
            return;
        case 0x1542:
            if (sprite) graphic_.getBgSprite(n).setPendingSprObj(nullptr);
            return;
        case 0x1543:
            if (sprite) pendingColour(n, opaque(a.n(1)), 0, 0, screen.cx, screen.cy);
            return;
        case 0x1544:
            if (sprite) pendingColour(n, opaque(a.n(1)), a.n(2), a.n(3), a.n(4, screen.cx), a.n(5, screen.cy));
            return;
        case 0x1545:
            if (sprite) graphic_.getBgSprite(n).pending.setBlend(std::clamp(a.n(1), 0, 255));
            return;
        case 0x1546:
            if (sprite) graphic_.getBgSprite(n).pending.setBlendType(a.n(1));
            return;
        case 0x1548:
        case 0x1549: {
            if (!sprite) return;
            TG2SpriteState& p = graphic_.getBgSprite(n).pending;
            p.X = a.n(1), p.Y = a.n(2);
            if (p.SprObj) {
                p.SprObj->setPos(p.X, p.Y);
                p.SprObj->invalidate();
            }
            return;
        }
        case 0x154a:
            graphic_.getBgsCenter().setOffset(a.n(0), a.n(1));
            return;
        case 0x1550:
            showBackground(thread, a.n(0), -1, a.n(1), false);
            return;
        case 0x1551:
            showBackground(thread, 0, a.n(0), a.n(1), true);
            return;
        case 0x1552:
        case 0x1553:
            graphic_.getBgsCenter().setBlend(code == 0x1552 ? 255 : 0);
            return;
        case 0x1581: {
            // The style holds a reference of the alpha-channel bank's for its mask; no file, no mask.
            graphics::TAlphaCh* mask = graphicHost().alphaChs().get(a.s(0));
            if (!mask && !a.s(0).empty()) host_.warning(0x1002, a.s(0));
            graphic_.setStyle(a.n(1), a.n(2), a.n(3), mask);
            return;
        }
        case 0x15a0:
            if (!graphicHost().preloadImage(a.s(0))) host_.warning(0x1002, a.s(0));
            return;
        case 0x15a1: {
            // The reference a picture of the surface bank holds by its name and options.
            TSprMakerEx parser(host_);
            if (parser.parseSpec(a.s(0))) graphicHost().surfaces().releaseByName(parser.fileName(), parser.trans());
            return;
        }
        case 0x15a2:
            graphic_.setToneMode(a.n(0) != 0);
            return;
        case 0x15c0:
            // Sprite data held under an id of the script's, for "<SPD:id>" names.
            graphicHost().spds().getWithId(a.n(1), a.s(0));
            return;
        case 0x15c1:
            graphicHost().spds().releaseById(a.n(0));
            return;
        default:
            return;
    }
}

}  // namespace present
