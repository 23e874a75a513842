#include "script/present/ui/menu/menu.h"

#include <algorithm>

#include "script/core.h"
#include "script/engine.h"
#include "script/opcodes.h"
#include "script/present/graphic/graphic.h"
#include "script/present/graphic/graphic_host.h"
#include "script/present/graphic/sprite_state.h"
#include "script/thread.h"
#include "script/value_exchange.h"
#include "sound/wave.h"
#include "sound/wave_stream.h"

namespace present {

namespace {

constexpr uint32_t kLeft = 0x10000000;
constexpr uint32_t kRight = 0x20000000;
constexpr uint32_t kMenuOpenBit = 0x2;
// The definitions a set keeps: its saved count is one byte.
constexpr size_t kMaxImageDefs = 255;

bool isText(int32_t type) { return type >= 0 && type <= 2; }
bool isPicture(int32_t type) { return type >= 3 && type <= 5; }

void dropPicture(graphics::TGrObj*& obj) {
    if (!obj) return;
    releaseGrObjResource(obj);
    delete obj;
    obj = nullptr;
}

graphics::RECT unite(const graphics::RECT& a, const graphics::RECT& b) {
    if (a.empty()) return b;
    if (b.empty()) return a;
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

}  // namespace

// ---- entries ----

void TG2MenuUnit::release() {
    Ctrl.setVisible(false);
    Obj.reset();
    for (graphics::TGrObj*& s : Sprite) dropPicture(s);
}

void TG2MenuUnit::exchange(TValueExchange& x) {
    TValueExchange::TKey key(x, "MenuUnit");
    x.exchangeInt("Type", Type);
    x.exchangeInt("Value", Value);
    x.exchangeString("Text", Text);
    // An entry of no kind cannot be shown or chosen: the save is not one the menu wrote.
    if (x.isLoading() && (Type < 0 || Type > 6)) throwG2Error(kG2ErrExchange);
    for (graphics::TGrObj*& s : Sprite) exchangeSprObj(x, "Sprite", s);
}

void TG2MenuBranch::clear() {
    Units.clear();
    Cancel = Default = -1;
    EngineMenu::clear();
}

void TG2MenuBranch::addText(int32_t type, int32_t value, const std::string& text) {
    auto u = std::make_unique<TG2MenuUnit>();
    u->Type = type;
    u->Value = value;
    u->Text = text;
    Units.push_back(std::move(u));
    EngineMenu::addText(type, value, text);
}

void TG2MenuBranch::addCancel(int32_t value) {
    auto u = std::make_unique<TG2MenuUnit>();
    u->Type = 6;
    u->Value = value;
    Units.push_back(std::move(u));
    Cancel = static_cast<int32_t>(Units.size()) - 1;
    EngineMenu::addCancel(value);
}

void TG2MenuBranch::addSprite(int32_t type, int32_t value, int32_t x, int32_t y,
                              const std::array<std::string, 4>& pictures) {
    std::array<graphics::TGrObj*, 4> sprites{};
    for (size_t k = 0; k < 4; ++k) {
        if (pictures[k].empty()) continue;
        sprites[k] = graphicHost().createGrObj(pictures[k]);
        if (sprites[k])
            sprites[k]->setPos(x, y);
        else
            graphicHost().warning(kG2WarnMenuImage, pictures[k]);
    }
    addSpriteObjects(type, value, sprites);
}

int32_t TG2MenuBranch::addSpriteObjects(int32_t type, int32_t value, const std::array<graphics::TGrObj*, 4>& sprites) {
    auto u = std::make_unique<TG2MenuUnit>();
    u->Type = type;
    u->Value = value;
    u->Sprite = sprites;
    Units.push_back(std::move(u));
    EngineMenu::addSprite(type, value, 0, 0, {});
    return static_cast<int32_t>(Units.size()) - 1;
}

void TG2MenuBranch::setDefault() {
    Default = static_cast<int32_t>(Units.size()) - 1;
    EngineMenu::setDefault();
}

void TG2MenuBranch::exchange(TValueExchange& x) {
    TValueExchange::TKey key(x, "Menu");
    x.exchangeInt("Cancel", Cancel);
    x.exchangeShort("Default", Default);
    uint16_t size = static_cast<uint16_t>(std::min<size_t>(Units.size(), 0xFFFF));
    x.exchangeWord("Size", size);
    if (x.isLoading()) {
        Units.clear();
        entries.clear();
    }
    // Entries are made as they are read: a count larger than the save holds costs nothing.
    for (uint16_t i = 0; i < size; ++i) {
        if (x.isLoading()) Units.push_back(std::make_unique<TG2MenuUnit>());
        Units[i]->exchange(x);
    }
    if (!x.isLoading()) return;
    // Indices that name no entry are no indices.
    if (Cancel < -1 || Cancel >= size) Cancel = -1;
    if (Default < -1 || Default >= size) Default = -1;
    for (const auto& u : Units) entries.push_back({u->Type, u->Value, u->Text, u->Type == 6});
    defaultEntry = Default;
}

// ---- pictures of the look ----

void TMenuDwarf::TImageDef::release() {
    if (!Sprite) return;
    releaseGrObjResource(Sprite.get());
    Sprite.reset();
}

void TMenuDwarf::TImageDefSet::exchange(TValueExchange& x) {
    TValueExchange::TKey key(x, "ImageDef");
    uint8_t n = static_cast<uint8_t>(std::min(size(), kMaxImageDefs));
    x.exchangeByte("Size", n);
    if (x.isLoading()) {
        clear();
        resize(n);
    }
    for (size_t i = 0; i < n; ++i) {
        TImageDef& d = (*this)[i];
        x.exchangeShort("Align", d.Align);
        x.exchangeShort("Offset X", d.X);
        x.exchangeShort("Offset Y", d.Y);
        graphics::TGrObj* p = d.Sprite.release();
        exchangeSprObj(x, "Sprite", p);
        d.Sprite.reset(p);
    }
}

void TMenuDwarf::TImageSet::build(const TImageDefSet& defs) {
    for (auto& p : *this)
        if (p) releaseGrObjResource(p.get());
    clear();
    for (const TImageDef& d : defs) push_back(d.Sprite ? d.Sprite->clone() : nullptr);
}

// ---- the job ----

TMenuDwarf::TMenuDwarf(TG2Engine& engine) : JobBase(engine) { reset(); }

// The engine's menu may already be gone (the core takes it down before its jobs).
TMenuDwarf::~TMenuDwarf() = default;

void TMenuDwarf::loadSounds() {
    auto load = [](const std::string& name) -> std::unique_ptr<TSe> {
        if (name.empty()) return nullptr;
        auto se = std::make_unique<TSe>();
        return se->setName(name, true) ? std::move(se) : nullptr;
    };
    CursorSe = load(engine_.status().seOn);
    DecideSe = load(engine_.status().seDecide);
}

void TMenuDwarf::releaseSounds() {
    reset();
    CursorSe.reset();
    DecideSe.reset();
}

void TMenuDwarf::reset() {
    if (Menu) {
        for (auto& u : Menu->Units) {
            u->Obj.reset();
            u->Ctrl.setVisible(false);
        }
    }
    TDwarf::reset();
    Menu = nullptr;
    Depth = 250;
    MenuPlace = {0, 0, -40};
    Width = 1600, Height = 150, Gap = 50;
    TextPlace = {};
    TextCol = {0xFFFFFFFF, 0xFFC0C0C0, 0xFFFFFFFF};
    TextBkCol = {0xFF000000, 0xFF000000, 0xFF000000};
    TextBlend = {255, 255, 255};
    Font.clear();
    TextAttr = 0x220;
    TextSize = 24;
    Panel = {TColorBlendDef{0xFF6060D4, 0xC0}, {0xFF808080, 0x80}, {0xFF6060D4, 0xC0}, {0xFF808080, 0}};
    for (auto& set : PanelImages) set.clear();
    CommonImages.clear();
    SelectEnabled = true;
    CallTag = 0;
    FontObj.release();
    ItemWidth = ItemHeight = 0;
    Cursor = Chosen = -1;
    reopen_ = false;
}

void TMenuDwarf::setTextColor(int32_t state, uint32_t text, uint32_t back) {
    if (state < 0 || state > 2) return;
    TextCol[static_cast<size_t>(state)] = text;
    TextBkCol[static_cast<size_t>(state)] = back;
}

void TMenuDwarf::setPanelColor(int32_t panel, uint32_t colour, int32_t blend) {
    if (panel < 0 || panel > 3) return;
    Panel[static_cast<size_t>(panel)] = {colour, blend};
}

void TMenuDwarf::resetPanels() {
    for (auto& p : Panel) p = {0xFF000000, 0};
    for (auto& set : PanelImages) set.clear();
}

std::unique_ptr<graphics::TGrObj> TMenuDwarf::makePicture(const std::string& file, int32_t opacity, int warning) {
    if (file.empty()) return nullptr;
    std::unique_ptr<graphics::TGrObj> obj(graphicHost().createGrObj(file));
    if (!obj) {
        engine_.warning(warning, file);
        return nullptr;
    }
    if (auto* mix = dynamic_cast<graphics::TMixObj*>(obj.get())) mix->setBlend(static_cast<uint32_t>(opacity));
    return obj;
}

void TMenuDwarf::addPanelImage(int32_t panel, const std::string& file, int32_t align, int32_t x, int32_t y,
                               int32_t opacity) {
    if (panel < 0 || panel > 3 || PanelImages[static_cast<size_t>(panel)].size() >= kMaxImageDefs) return;
    TImageDef d;
    d.Sprite = makePicture(file, opacity, kG2WarnSpriteImage);
    if (!d.Sprite) return;
    d.set(align, x, y);
    PanelImages[static_cast<size_t>(panel)].push_back(std::move(d));
}

void TMenuDwarf::addCommonImage(const std::string& file, int32_t align, int32_t x, int32_t y, int32_t opacity) {
    if (CommonImages.size() >= kMaxImageDefs) return;
    TImageDef d;
    d.Sprite = makePicture(file, opacity, kG2WarnSpriteImage);
    if (!d.Sprite) return;
    d.set(align, x, y);
    CommonImages.push_back(std::move(d));
}

void TMenuDwarf::playCursorSe() {
    if (!CursorSe || engine_.status().seMute) return;
    CursorSe->setVolume(engine_.status().seVolume);
    CursorSe->stop();
    CursorSe->play(false);
}

void TMenuDwarf::playDecideSe() {
    if (!DecideSe || engine_.status().seMute) return;
    DecideSe->setVolume(engine_.status().seVolume);
    DecideSe->stop();
    DecideSe->play(false);
}

graphics::SIZE TMenuDwarf::screen() const {
    const EngineGraphic* g = engine_.graphic();
    return g ? graphics::SIZE{g->width(), g->height()} : graphics::SIZE{};
}

void TMenuDwarf::updateFont() {
    const uint32_t attr = TextAttr | (engine_.status().textBold ? 0x100u : 0u);
    if (attr != FontObj.flags() || TextSize != FontObj.height()) FontObj.setChanged(true);
    FontObj.setFlags(attr);
    FontObj.setFace(Font.empty() ? engine_.status().font : Font);
    FontObj.setHeight(TextSize);
    FontObj.release();
    FontObj.create();
    if (graphics::TGraphic* g = graphics::graphic()) g->invalidate();
}

void TMenuDwarf::buildObjects() {
    if (!Menu) return;
    for (auto& u : Menu->Units) {
        u->Obj.reset();
        if (isText(u->Type)) {
            auto obj = std::make_unique<TTextUnitObj>();
            for (size_t s = 0; s < 3; ++s) {
                graphics::TTextObj& t = obj->Texts[s];
                t.setFont(&FontObj);
                t.setColors(TextCol[s], TextBkCol[s]);
                t.setText(u->Text);
                t.setOpacity(static_cast<uint32_t>(TextBlend[s]));
                t.render();
            }
            for (size_t p = 0; p < 4; ++p) {
                obj->Panels[p].setup(ItemWidth, ItemHeight, Panel[p].PanelColor, 255);
                obj->Panels[p].setAlpha(static_cast<uint32_t>(Panel[p].PanelBlend));
                obj->Images[p].build(PanelImages[p]);
            }
            u->Obj = std::move(obj);
        } else if (isPicture(u->Type)) {
            u->Obj = std::make_unique<TImageUnitObj>();
        }
    }
}

bool TMenuDwarf::open(TG2Thread* thread, TG2MenuBranch* menu, int32_t callTag, int32_t flags) {
    thread_ = thread;
    Menu = menu;
    CallTag = callTag;
    SelectEnabled = (flags & 2) == 0;
    hold_ = (flags & 3) == 0 && thread != nullptr;
    finished_ = false;
    paused_ = false;
    startPending_ = true;
    Cursor = menu ? menu->Default : -1;
    Chosen = -1;
    reopen_ = false;
    firstLook_ = true;
    if (TG2Core* core = engine_.core()) {
        seenResumes_ = core->resumeCount();
        for (TDwarf* job : core->getDwarfGuild())
            if ((job->getJobCode() & 0x4000) && job->isPaused()) job->resume();
    }
    updateFont();
    ItemHeight = Height * FontObj.height() / 100;
    ItemWidth = Width * FontObj.height() / 100;
    buildObjects();
    if (TG2Core* core = engine_.core()) core->setMenuMode(kMenuOpenBit, true);
    return true;
}

void TMenuDwarf::openMenu(TG2Thread* thread, int32_t tag, int32_t flags) {
    TG2Core* core = engine_.core();
    open(thread, core ? dynamic_cast<TG2MenuBranch*>(&core->menu()) : nullptr, tag, flags);
}

void TMenuDwarf::abort() {
    if (TG2Core* core = engine_.core()) core->setSelect(-1);
    finish();
}

bool TMenuDwarf::start() {
    if (reopen_) {
        // Loaded open: the entries came back after this job's state, so the menu is built now.
        TG2Core* core = engine_.core();
        TG2MenuBranch* branch = core ? dynamic_cast<TG2MenuBranch*>(&core->menu()) : nullptr;
        // The thread still stands at the call tag that follows the menu command.
        int32_t tag = 0;
        if (TScriptChild* code = thread_ ? thread_->script() : nullptr) {
            const uint32_t at = code->tell();
            uint8_t op = 0;
            if (!code->readByte(op) || op != kOpTag || !code->readInt32(tag)) tag = 0;
            code->seek(at);
        }
        open(thread_, branch, tag, (SelectEnabled ? 0 : 2) | (hold_ || !SelectEnabled ? 0 : 1));
        startPending_ = false;
    }
    layout();
    setRunFlag(false);
    clearInput();
    return true;
}

void TMenuDwarf::layout() {
    if (!Menu) return;
    const int32_t h = FontObj.height();
    int32_t k = 0;
    for (const auto& u : Menu->Units) k += isText(u->Type) ? 1 : 0;
    const int32_t w = Width * h / 100, ih = Height * h / 100, g = Gap * h / 100;
    const int32_t blockH = k > 0 ? (k - 1) * g + ih * k : 0;
    const graphics::SIZE scr = screen();
    const graphics::RECT whole{0, 0, scr.cx, scr.cy};
    graphics::POINT at = placeByAlign(static_cast<uint32_t>(MenuPlace.Align), w, blockH, whole, scr);
    const int32_t left = at.x + MenuPlace.X, top = at.y + MenuPlace.Y;
    const graphics::RECT block{left, top, left + w, top + blockH};
    auto place = [&](graphics::TGrObj& obj, const TPlaceDef& def, const graphics::RECT& in) {
        const graphics::POINT p =
            placeByAlign(static_cast<uint32_t>(def.Align), obj.getWidth(), obj.getHeight(), in, scr);
        obj.setPos(p.x + def.X, p.y + def.Y);
    };
    for (TImageDef& d : CommonImages)
        if (d.Sprite) place(*d.Sprite, d, block);
    int32_t j = 0;
    for (size_t i = 0; i < Menu->Units.size(); ++i) {
        TG2MenuUnit& u = *Menu->Units[i];
        const auto id = static_cast<int32_t>(i);
        if (isText(u.Type)) {
            const int32_t y = top + j++ * (ih + g);
            const graphics::RECT item{left, y, left + w, y + ih};
            u.Ctrl.setup(nullptr, this, id, 1, left, y, w, ih);
            u.Ctrl.setEnabled(SelectEnabled);
            u.Ctrl.setVisible(true);
            if (auto* obj = dynamic_cast<TTextUnitObj*>(u.Obj.get())) {
                for (auto& t : obj->Texts) place(t, TextPlace, item);
                for (auto& p : obj->Panels) {
                    p.setSize(w, ih);
                    p.setPos(left, y);
                }
                for (size_t p = 0; p < 4; ++p)
                    for (size_t n = 0; n < obj->Images[p].size() && n < PanelImages[p].size(); ++n)
                        if (obj->Images[p][n]) place(*obj->Images[p][n], PanelImages[p][n], item);
            }
        } else if (isPicture(u.Type)) {
            graphics::RECT r{};
            for (graphics::TGrObj* s : u.Sprite)
                if (s) r = unite(r, s->getRect());
            u.Ctrl.setup(nullptr, this, id, 1, r.left, r.top, r.width(), r.height());
            u.Ctrl.setEnabled(SelectEnabled);
            u.Ctrl.setVisible(true);
        } else {
            u.Ctrl.setEnabled(false);
            u.Ctrl.setVisible(false);
        }
    }
    if (graphics::TGraphic* scrObj = graphics::graphic()) scrObj->invalidate();
}

void TMenuDwarf::moveCursor(int32_t step) {
    const auto n = static_cast<int32_t>(Menu->Units.size());
    int32_t i = Cursor >= 0 && Cursor < n ? Cursor : (step > 0 ? -1 : n);
    for (int32_t tries = 0; tries < n; ++tries) {
        i = ((i + step) % n + n) % n;
        if (Menu->Units[static_cast<size_t>(i)]->Type != 6) {
            Cursor = i;
            return;
        }
    }
}

int32_t TMenuDwarf::stateOf(int32_t index) const {
    if (index == Cursor) return 0;
    if (Menu && index >= 0 && static_cast<size_t>(index) < Menu->Units.size() &&
        Menu->Units[static_cast<size_t>(index)]->Ctrl.isLeftDown())
        return 2;
    return 1;
}

bool TMenuDwarf::update() {
    if (corePaused()) return true;
    if (!Menu) {
        finish();
        return false;
    }
    const TG2InputState in = input();
    const uint32_t pressed = in.words[2], keys = in.words[2] | in.repeat;
    // Back from a pause (the backlog, the system screen, the hidden window), the pointer may
    // stand anywhere: the lit entry is the one under it, none when it is over none.
    TG2Core* core = engine_.core();
    const bool lookAgain = core && core->resumeCount() != seenResumes_;
    if (core) seenResumes_ = core->resumeCount();
    if (SelectEnabled) {
        const int32_t before = Cursor;
        if (keys & 0x1)
            moveCursor(-1);
        else if (keys & 0x2)
            moveCursor(1);
        CtrlInput ci;
        ci.x = in.mouseX, ci.y = in.mouseY;
        ci.held = in.words[0], ci.pressed = in.words[2], ci.repeat = in.repeat;
        ci.moved = in.moved || lookAgain, ci.wheel = in.wheel;
        for (auto& u : Menu->Units)
            if (Menu) u->Ctrl.processInput(ci);
        if (!Menu) return false;
        if (ci.moved || (keys & kLeft)) {
            Cursor = -1;
            for (size_t i = 0; i < Menu->Units.size(); ++i)
                if (Menu->Units[i]->Ctrl.isHover()) Cursor = static_cast<int32_t>(i);
        } else if (firstLook_) {
            // Opened under the pointer, the entry under it is the one a click takes, so it is the
            // one lit (no cursor sound: nothing moved); over none, the default stays lit for the
            // keys.
            for (size_t i = 0; i < Menu->Units.size(); ++i)
                if (Menu->Units[i]->Ctrl.isHover()) Cursor = static_cast<int32_t>(i);
        }
        const bool opening = firstLook_;
        firstLook_ = false;
        if (Cursor != before) {
            if (Cursor >= 0 && !opening) playCursorSe();
            refresh();
        }
        // A display-only menu takes no choice either: only abort closes it.
        if ((pressed & (0x10 | kLeft)) && Cursor >= 0)
            Chosen = Cursor;
        else if ((pressed & (0x20 | kRight)) && Menu->Cancel >= 0)
            Chosen = Menu->Cancel;
    }
    if (Chosen >= 0 && static_cast<size_t>(Chosen) < Menu->Units.size()) {
        const TG2MenuUnit& u = *Menu->Units[static_cast<size_t>(Chosen)];
        const int32_t type = u.Type, value = u.Value;
        playDecideSe();
        // The press that chose is used up: the text that follows types at its own pace.
        clearInput();
        if (EngineDocFrame* f = frame()) f->clearText();
        if (type == 1 || type == 4 || type == 2 || type == 5) {
            if (core) core->setSelect(-1);
            if (thread_ && (type == 1 || type == 4)) thread_->jump(value);
            if (thread_ && (type == 2 || type == 5)) thread_->call(value, CallTag);
        } else if (core) {
            core->setSelect(value);
        }
        finish();
        return false;
    }
    Chosen = -1;
    noteWaiting();
    draw();
    return true;
}

void TMenuDwarf::draw() {
    EngineGraphic* g = engine_.graphic();
    if (!g || !Menu) return;
    for (TImageDef& d : CommonImages)
        if (d.Sprite) g->addObject(Depth, d.Sprite.get());
    for (size_t i = 0; i < Menu->Units.size(); ++i) {
        TG2MenuUnit& u = *Menu->Units[i];
        const auto s = static_cast<size_t>(stateOf(static_cast<int32_t>(i)));
        if (auto* obj = dynamic_cast<TTextUnitObj*>(u.Obj.get())) {
            for (auto& p : obj->Images[3])
                if (p) g->addObject(Depth, p.get());
            for (auto& p : obj->Images[s])
                if (p) g->addObject(Depth, p.get());
            g->addObject(Depth, &obj->Panels[3]);
            g->addObject(Depth, &obj->Panels[s]);
            g->addObject(Depth, &obj->Texts[s]);
        } else if (isPicture(u.Type)) {
            if (u.Sprite[3]) g->addObject(Depth, u.Sprite[3]);
            if (u.Sprite[s]) g->addObject(Depth, u.Sprite[s]);
        }
    }
}

void TMenuDwarf::refresh() {
    for (TImageDef& d : CommonImages)
        if (d.Sprite) d.Sprite->invalidate();
    if (!Menu) return;
    for (auto& u : Menu->Units) {
        u->Ctrl.invalidate();
        if (auto* obj = dynamic_cast<TTextUnitObj*>(u->Obj.get()))
            for (auto& set : obj->Images)
                for (auto& p : set)
                    if (p) p->invalidate();
    }
}

void TMenuDwarf::finish() {
    const bool wasOpen = Menu != nullptr;
    TDwarf::finish();
    refresh();
    if (Menu)
        for (auto& u : Menu->Units) u->Ctrl.setVisible(false);
    Menu = nullptr;
    FontObj.release();
    reopen_ = false;
    if (TG2Core* core = engine_.core()) {
        core->setMenuMode(kMenuOpenBit, false);
        if (wasOpen) core->showFrames(16, true, nullptr);
    }
}

void TMenuDwarf::notify(int32_t id, int32_t event, int32_t) {
    if (event == kCtrlLeftClick) {
        if (SelectEnabled) Chosen = id;
        clearInput();
        refresh();
    } else if (event == kCtrlHoverChanged || event == kCtrlLeftDownChanged) {
        refresh();
    }
}

void TMenuDwarf::exchange(TValueExchange& x) {
    TDwarf::exchange(x);
    TValueExchange::TKey key(x, "MenuDwarf");
    x.exchangeShort("Depth", Depth);
    x.exchangeShort("MenuAlign", MenuPlace.Align);
    x.exchangeShort("MenuX", MenuPlace.X);
    x.exchangeShort("MenuY", MenuPlace.Y);
    x.exchangeShort("Width", Width);
    x.exchangeShort("Height", Height);
    x.exchangeShort("Gap", Gap);
    x.exchangeShort("TextAlign", TextPlace.Align);
    x.exchangeShort("TextX", TextPlace.X);
    x.exchangeShort("TextY", TextPlace.Y);
    x.exchangeString("Font", Font);
    x.exchangeLong("TextAttr", TextAttr);
    x.exchangeShort("TextSize", TextSize);
    for (size_t s = 0; s < 3; ++s) {
        x.exchangeColor("TextCol", TextCol[s]);
        x.exchangeColor("TextBkCol", TextBkCol[s]);
        x.exchangeInt("TextBlend", TextBlend[s]);
    }
    for (auto& p : Panel) {
        x.exchangeColor("PanelColor", p.PanelColor);
        x.exchangeInt("PanelBlend", p.PanelBlend);
    }
    for (auto& set : PanelImages) set.exchange(x);
    CommonImages.exchange(x);
    if (!x.isLoading()) return;
    updateFont();
    if (!finished_) {
        // The entries load after this: the menu is built again on the next step.
        reopen_ = true;
        startPending_ = true;
    }
}

}  // namespace present
