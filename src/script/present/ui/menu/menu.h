#pragma once
// The script's choice menu: the entries a script adds (text items on coloured panels, picture
// items, a cancel entry) and the job that shows them as a column, follows the mouse and the
// cursor keys, plays its cursor and decide sounds and hands the choice back: a value in the
// menu result, a jump, or a subroutine call. The look stays in the job between menus and is
// saved with the game.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "graphics/font.h"
#include "graphics/gr_kinds.h"
#include "graphics/text_obj.h"
#include "script/present/ui/ctrl.h"
#include "script/present/jobs/text_jobs.h"
#include "sound/sound.h"
#include "sound/wave.h"
#include "sound/wave_stream.h"

namespace present {

class TG2MenuUnit {
public:
    // What the menu job makes of an entry while it is open.
    class TObj {
    public:
        virtual ~TObj() = default;
    };

    TG2MenuUnit() = default;
    virtual ~TG2MenuUnit() { release(); }
    // Hides the control, drops the presentation and gives back and deletes the pictures.
    virtual void release();
    // Section "MenuUnit": "Type", "Value", "Text", then the four pictures.
    virtual void exchange(TValueExchange& x);

    int32_t Type = 0;
    int32_t Value = 0;
    std::string Text;
    std::array<graphics::TGrObj*, 4> Sprite{};
    TGrCtrl Ctrl;
    std::unique_ptr<TObj> Obj;
};

// The engine's one menu. The engine's own entry list is kept alongside for its minimal parts.
class TG2MenuBranch : public EngineMenu {
public:
    void clear() override;
    void addText(int32_t type, int32_t value, const std::string& text) override;
    void addCancel(int32_t value) override;
    // The pictures are made from their names; a name that makes none raises warning 0x1005.
    void addSprite(int32_t type, int32_t value, int32_t x, int32_t y,
                   const std::array<std::string, 4>& pictures) override;
    // Takes the pictures (null for none).
    int32_t addSpriteObjects(int32_t type, int32_t value, const std::array<graphics::TGrObj*, 4>& sprites);
    void setDefault() override;
    // Section "Menu": "Cancel", "Default", "Size", then each entry.
    void exchange(TValueExchange& x) override;

    std::vector<std::unique_ptr<TG2MenuUnit>> Units;
    int32_t Cancel = -1;
    int32_t Default = -1;
};

class TMenuDwarf : public JobBase, public TGrCtrl::TNotify, public EngineMenuControls {
public:
    struct TPlaceDef {
        int32_t Align = 0, X = 0, Y = 0;
        void set(int32_t align, int32_t x, int32_t y) { Align = align, X = x, Y = y; }
    };
    struct TImageDef : TPlaceDef {
        std::unique_ptr<graphics::TGrObj> Sprite;
        void release();
        ~TImageDef() { release(); }
        TImageDef() = default;
        TImageDef(TImageDef&&) = default;
        TImageDef& operator=(TImageDef&&) = default;
    };
    struct TImageDefSet : std::vector<TImageDef> {
        void exchange(TValueExchange& x);
    };
    struct TImageSet : std::vector<std::unique_ptr<graphics::TGrObj>> {
        void build(const TImageDefSet& defs);
    };
    struct TColorBlendDef {
        uint32_t PanelColor = 0;
        int32_t PanelBlend = 0;
    };
    struct TTextUnitObj : TG2MenuUnit::TObj {
        std::array<graphics::TTextObj, 3> Texts;
        std::array<graphics::TFillObj, 4> Panels;
        std::array<TImageSet, 4> Images;
    };
    struct TImageUnitObj : TG2MenuUnit::TObj {};

    explicit TMenuDwarf(TG2Engine& engine);
    ~TMenuDwarf() override;
    int32_t getJobCode() const override { return 3; }

    // The cursor and decide sounds of the settings "SeOn" and "SeDecide".
    void loadSounds();
    void releaseSounds();
    void reset() override;
    bool open(TG2Thread* thread, TG2MenuBranch* menu, int32_t callTag, int32_t flags);
    void abort();
    void playCursorSe();
    void playDecideSe();
    bool start() override;
    bool update() override;
    void finish() override;
    // Section "MenuDwarf": the look.
    void exchange(TValueExchange& x) override;
    void notify(int32_t id, int32_t event, int32_t param) override;

    void openMenu(TG2Thread* thread, int32_t tag, int32_t flags) override;

    // The look (what the menu commands set); states above 2 and panels above 3 are ignored.
    void setMenuPlace(int32_t align, int32_t x, int32_t y) override { MenuPlace.set(align, x, y); }
    void setTextPlace(int32_t align, int32_t x, int32_t y) override { TextPlace.set(align, x, y); }
    void setSize(int32_t width, int32_t height) override { Width = width, Height = height; }
    void setTextColor(int32_t state, uint32_t text, uint32_t back) override;
    void setTextSize(int32_t height) override { TextSize = static_cast<int16_t>(height); }
    void setTextAttr(uint32_t attr) override { TextAttr = attr; }
    void setTextAttrBit(uint32_t bit, bool on) override { TextAttr = on ? TextAttr | bit : TextAttr & ~bit; }
    void setFontFace(const std::string& face) override { Font = face; }
    void setPanelColor(int32_t panel, uint32_t colour, int32_t blend) override;
    void resetPanels() override;
    void clearCommonImages() override { CommonImages.clear(); }
    // An empty name adds nothing; one that makes no picture raises warning 0x1002.
    void addPanelImage(int32_t panel, const std::string& file, int32_t align, int32_t x, int32_t y,
                       int32_t opacity) override;
    void addCommonImage(const std::string& file, int32_t align, int32_t x, int32_t y, int32_t opacity) override;

    TG2MenuBranch* Menu = nullptr;
    std::unique_ptr<TSe> CursorSe, DecideSe;
    int32_t Depth = 250;
    TPlaceDef MenuPlace{0, 0, -40};
    int32_t Width = 1600, Height = 150, Gap = 50;
    TPlaceDef TextPlace;
    std::array<uint32_t, 3> TextCol{}, TextBkCol{};
    std::array<int32_t, 3> TextBlend{};
    std::string Font;
    uint32_t TextAttr = 0x220;
    int16_t TextSize = 24;
    std::array<TColorBlendDef, 4> Panel;
    std::array<TImageDefSet, 4> PanelImages;
    TImageDefSet CommonImages;
    bool SelectEnabled = true;
    int32_t CallTag = 0;
    graphics::TFont FontObj;
    int32_t ItemWidth = 0, ItemHeight = 0;
    int32_t Cursor = -1, Chosen = -1;

    // The state an entry is drawn in: 0 the cursor's, 2 held down, 1 otherwise.
    int32_t stateOf(int32_t index) const;

private:
    void updateFont();
    void buildObjects();
    void layout();
    void refresh();
    void draw();
    void moveCursor(int32_t step);
    std::unique_ptr<graphics::TGrObj> makePicture(const std::string& file, int32_t opacity, int warning);
    graphics::SIZE screen() const;

    std::vector<graphics::TGrObj*> commonPlaced_;
    bool reopen_ = false;
    // The core's resume count when the menu last looked at the pointer.
    uint32_t seenResumes_ = 0;
    // The menu has not yet looked at the pointer since it opened.
    bool firstLook_ = false;
};

}  // namespace present
