#pragma once
// TTaskSystem: the system screen (task id 1), created at start-up and alive for the whole run.
// It is idle (step 0, nothing drawn) until the title hub (caller kind 0) or the story task
// (kind 1) opens one of its pages: 0 the system menu with the configuration, 1 load, 2 save,
// 3 quick load, 4 quick save (steps 1 to 5). Every page ends through the shared exits: back to
// the caller (sub-step 1000), to the title through a fade (1100), the end of the program (1200)
// or a new story (1300). Saving and loading are the engine core's; this screen picks the slot.
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "framework/task.h"
#include "graphics/font.h"
#include "graphics/gr_kinds.h"
#include "graphics/spr_maker.h"
#include "graphics/spr_set.h"
#include "graphics/surface32.h"
#include "graphics/text_obj.h"

namespace app {
class ScreenHost;

// The configuration page's state, as levels.
struct SystemConfig {
    bool anySave = false;
    bool windowed = true;
    int32_t rightClick = 1;
    bool saveConfirm = true;
    int32_t textSpeed = 1;  // 0 to 2
    int32_t autoText = 1;   // 0 to 2
    bool skip = false;
    int32_t master = 5, music = 5, effect = 5;  // 0 to 10
    std::array<int32_t, 2> voice{5, 5};         // 0 to 10

    bool operator==(const SystemConfig&) const = default;
};

// Level conversions of the configuration page.
int32_t textSpeedLevel(int32_t interval);
int32_t textInterval(int32_t level);
int32_t autoTextLevel(int32_t timeout);
int32_t autoTextTimeout(int32_t level);
int32_t volumeLevel(int32_t volume);
int32_t levelVolume(int32_t level);

}  // namespace app

class TTaskSystem : public TTask {
public:
    static constexpr int kEntries = 13;  // ten page entries, the two fixed ones and the preview
    static constexpr int kPreview = 12;
    static constexpr int kQuickSlot = 120;
    static constexpr int kScratchSlot = 122;

    TTaskSystem();
    ~TTaskSystem() override;

    // Records the previous step, sets the step and runs the page's update at once.
    void setStep(int step, int sub = 0) override;
    void setSubStep(int sub, int subsub = 0) override;
    bool Start() override;
    void End() override;
    void update() override;
    void draw() override;

    virtual bool loadResources();
    virtual void releaseResources();
    bool isClosed() const { return step() == 0 && subStep() == 0; }
    // Page 0 to 4 opens it; any other page leaves it idle (false).
    bool setPage(int page);
    bool open(int kind, int page);

    static int slotNumber(int page, int entry);
    int kind() const { return kind_; }
    int page() const { return page_; }
    int entry() const { return entry_; }
    int pageHover() const { return hover_; }
    int configHover() const { return configHover_; }
    int dialogHover() const { return dialogHover_; }
    bool dialogShown() const { return dialog_; }
    const app::SystemConfig& config() const { return config_; }
    const graphics::TSurface32* thumbnail(int entry) const { return thumbs_.at(static_cast<size_t>(entry)).get(); }
    // The entry's date as shown (year, month, day, hour, minute), empty texts when unused.
    std::array<std::string, 5> dateTexts(int entry) const;
    bool entryUsed(int entry) const { return used_.at(static_cast<size_t>(entry)); }
    const graphics::TSprObj& bookPicture(int entry) const { return books_.at(static_cast<size_t>(entry)); }

    // Configuration.
    void readConfig();
    void applyConfig();
    bool setFlag(bool& field, bool value);
    bool setValue(int32_t& field, int32_t value);

    // Save and load.
    void refreshEntry(int entry, int slot);
    void refreshPage();
    void saveToEntry(int page, int entry);
    // False when the save was not made (the core has said why, naming shownSlot's file when
    // the save stands in for that slot's, slot's own with -1).
    bool saveToSlot(int slot, int entry, int shownSlot = -1);
    bool isSlotUsed(int page, int entry);
    void loadSlot(int page, int entry);

private:
    void startNewStory();
    void backToTitle();
    void runExits(app::ScreenHost& host);
    void updateConfig(app::ScreenHost& host);
    void drawConfig(app::ScreenHost& host);
    void updateLoadSave(app::ScreenHost& host, bool saving);
    void updateQuickLoad(app::ScreenHost& host);
    void updateQuickSave();
    void drawPages(app::ScreenHost& host, bool saving, bool quick);
    void drawEntry(app::ScreenHost& host, int entry, int layer);
    int hitPages(int x, int y, bool saving) const;
    int hitDialog(int x, int y) const;
    bool menuItemAvailable(int item) const;
    void enterInteractive(app::ScreenHost& host);

    graphics::TSurfaceSet pictures_;
    graphics::TSurfaceSet bookSource_;
    graphics::TSprUnitSet configBg_, menu_, configItems_, pageBg_, pageMenu_, tabs_, files_, dialogBase_,
        dialogButtons_;
    graphics::TAsciiFont digits_;
    std::array<graphics::TNumObj, kEntries * 5> dates_;
    std::array<graphics::TSprObj, kEntries> books_;
    graphics::TFillObj dim_;
    std::array<std::unique_ptr<graphics::TSurface32>, kEntries> thumbs_;
    std::array<bool, kEntries> used_{};

    int32_t kind_ = 0;
    int32_t previousStep_ = -1, previousSubStep_ = -1;
    int32_t hover_ = -1, configHover_ = -1, dialogHover_ = -1;
    int32_t page_ = 0, entry_ = 0;
    bool changed_ = false;
    bool dialog_ = false;
    app::SystemConfig config_;
};
