// The system screen's save and load pages, quick load and quick save: ten pages of entries with
// a thumbnail, a book picture and the date of each save, and a dialog that previews the data a
// choice concerns.
#include <algorithm>

#include "app/screen_host.h"
#include "app/screen_items.h"
#include "app/task_novel.h"
#include "app/task_system.h"
#include "app/thumbnail.h"
#include "platform/clock.h"
#include "script/core.h"
#include "script/engine.h"

namespace {

constexpr int kMenuHovers = 3;
constexpr int kTabBase = 3;
constexpr int kEntryBase = 13;
constexpr uint32_t kBlack = 0xFF000000u;
// Longest book name a save may carry; the picture names of the kit are far shorter.
constexpr size_t kMaxBookName = 32;

// The core names every slot's file whether or not it holds a save; a slot is used when its file
// held a readable record, whose time a save always sets.
bool recordUsed(const TRecord& r) { return !r.fileName.empty() && r.time != 0; }

// The book picture's name from a save's first text, or empty when the text is not a plain name:
// it comes from a file and goes into a picture name, never into a format.
std::string bookName(const std::string& text) {
    if (text.empty() || text.size() > kMaxBookName) return {};
    for (unsigned char c : text)
        if (!(std::isalnum(c) || c == '_' || c == '-')) return {};
    return "12_book_" + text + ".argb";
}

}  // namespace

std::array<std::string, 5> TTaskSystem::dateTexts(int entry) const {
    std::array<std::string, 5> out;
    for (int k = 0; k < 5; ++k) out[static_cast<size_t>(k)] = dates_[static_cast<size_t>(5 * entry + k)].getText();
    return out;
}

void TTaskSystem::refreshEntry(int entry, int slot) {
    if (entry < 0 || entry >= kEntries) return;
    const auto e = static_cast<size_t>(entry);
    thumbs_[e].reset();
    used_[e] = false;
    books_[e].setSurface(nullptr);
    for (int k = 0; k < 5; ++k) dates_[5 * e + static_cast<size_t>(k)].setText("");
    TG2Engine* engine = g2Engine();
    TG2Core* core = engine ? engine->core() : nullptr;
    if (!core || slot < 0 || slot >= core->recordCount()) return;
    const TRecord& record = core->getRecord(slot);
    if (!recordUsed(record)) return;
    used_[e] = true;

    bookSource_.setFolder("data.pak");
    if (const std::string name = bookName(record.info1); !name.empty())
        if (graphics::TSurface32* s = bookSource_.load(name)) books_[e].setSurface(s);

    // "%Y%m%d%H%M" is twelve digits for any year from 1000 to 9999; other stamps show no date.
    const std::string stamp = platform::formatLocalTime(record.time, "%Y%m%d%H%M");
    if (stamp.size() == 12) {
        static const int kStart[] = {0, 4, 6, 8, 10}, kLength[] = {4, 2, 2, 2, 2};
        for (int k = 0; k < 5; ++k) dates_[5 * e + static_cast<size_t>(k)].setText(stamp.substr(kStart[k], kLength[k]));
    }
    // A thumbnail put in place for a save that never followed it shows nothing of this one.
    if (core->thumbnailOfSave(slot)) thumbs_[e] = app::loadThumbnail(core->thumbnailFileName(slot));
}

void TTaskSystem::refreshPage() {
    TG2Engine* engine = g2Engine();
    if (engine && engine->core()) engine->core()->scanRecords();
    for (int e = 0; e < 12; ++e) refreshEntry(e, slotNumber(page_, e));
}

bool TTaskSystem::saveToSlot(int slot, int entry, int shownSlot) {
    TG2Engine* engine = g2Engine();
    TG2Core* core = engine ? engine->core() : nullptr;
    if (!core) return false;
    if (core->recordCount() == 0) core->scanRecords();
    // The core writes the slot's thumbnail with the save and hands the picture back.
    std::unique_ptr<graphics::TSurface32> thumb;
    if (auto* ex = dynamic_cast<TG2CoreEx*>(core)) {
        thumb = ex->saveWithThumbnail(slot, shownSlot);
        if (!thumb) return false;
    } else if (!core->save(slot)) {
        return false;
    }
    if (entry >= 0 && entry < kEntries) thumbs_[static_cast<size_t>(entry)] = std::move(thumb);
    return true;
}

void TTaskSystem::saveToEntry(int page, int entry) { saveToSlot(slotNumber(page, entry), entry); }

bool TTaskSystem::isSlotUsed(int page, int entry) {
    TG2Engine* engine = g2Engine();
    TG2Core* core = engine ? engine->core() : nullptr;
    const int slot = slotNumber(page, entry);
    return core && slot < core->recordCount() && recordUsed(core->getRecord(slot));
}

void TTaskSystem::loadSlot(int page, int entry) {
    app::ScreenHost* host = app::screenHost();
    const int slot = slotNumber(page, entry);
    if (!host || (kind_ != 0 && kind_ != 1)) return;
    if (kind_ == 0) {
        host->tasks().add(app::kTaskNovel, new TTaskNovel(slot), 0);
        if (host->tasks().find(app::kTaskTitle)) host->tasks().killById(app::kTaskTitle);
    } else {
        if (TG2Engine* engine = g2Engine(); engine && engine->core()) engine->core()->load(slot);
        host->applySettings();
        app::fadeIn(*host, 200);
    }
    setSubStep(1000);
}

int TTaskSystem::hitPages(int x, int y, bool saving) const {
    auto& self = const_cast<TTaskSystem&>(*this);
    int hover = -1;
    for (int i = 0; i < kMenuHovers; ++i)
        if (app::hits(self.pageMenu_, 2 * i, x, y)) hover = i;
    for (int n = 0; n < 10; ++n)
        if (app::hits(self.tabs_, 2 * n, x, y)) hover = kTabBase + n;
    const int entries = saving ? 10 : 12;
    for (int e = 0; e < entries; ++e)
        if (app::hits(self.files_, 2 * e, x, y)) hover = kEntryBase + e;
    return hover;
}

int TTaskSystem::hitDialog(int x, int y) const {
    auto& self = const_cast<TTaskSystem&>(*this);
    int hover = -1;
    for (int i = 0; i < 2; ++i)
        if (app::hits(self.dialogButtons_, 2 * i, x, y)) hover = i;
    return hover;
}

namespace {
void refreshPageItem(graphics::TSprUnitSet& menu, graphics::TSprUnitSet& tabs, graphics::TSprUnitSet& files,
                     int hover) {
    if (hover < 0) return;
    if (hover < kMenuHovers)
        app::refreshUnit(menu, 2 * hover);
    else if (hover < kEntryBase)
        app::refreshUnit(tabs, 2 * (hover - kTabBase));
    else
        app::refreshUnit(files, 2 * (hover - kEntryBase));
}
}  // namespace

void TTaskSystem::updateLoadSave(app::ScreenHost& host, bool saving) {
    switch (subStep()) {
        case 0:
            hover_ = -1;
            setSubStep(10);
            [[fallthrough]];
        case 10:
            refreshPage();
            dialog_ = false;
            host.requestRedraw();
            setSubStep(11);
            break;
        case 11:
            enterInteractive(host);
            setSubStep(20);
            break;
        case 20: {
            const app::ScreenInput in = host.input();
            const int old = hover_;
            if (in.mouseAction) hover_ = hitPages(in.x, in.y, saving);
            if ((in.pressed & app::kDecideMask) && hover_ >= 0) {
                setSubStep(21);
            } else if (in.pressed & app::kCancelMask) {
                hover_ = kind_ == 0 ? 1 : 0;
                setSubStep(21);
            }
            if (old != hover_) {
                refreshPageItem(pageMenu_, tabs_, files_, old);
                refreshPageItem(pageMenu_, tabs_, files_, hover_);
            }
            if (subStep() != 21) break;
            [[fallthrough]];
        }
        case 21:
            if (hover_ == 0) {
                setSubStep(kind_ == 1 ? 1000 : 10);
            } else if (hover_ == 1) {
                setSubStep(kind_ == 0 ? 1000 : 1100);
            } else if (hover_ == 2) {
                setSubStep(1200);
            } else if (hover_ >= kTabBase && hover_ < kEntryBase) {
                page_ = hover_ - kTabBase;
                setSubStep(10);
            } else if (hover_ >= kEntryBase && hover_ < kEntryBase + (saving ? 10 : 12)) {
                entry_ = hover_ - kEntryBase;
                if (!saving && !isSlotUsed(page_, entry_)) {
                    setSubStep(10);
                } else {
                    setSubStep(30);
                    host.requestRedraw();
                }
            } else {
                setSubStep(20);
            }
            break;
        case 30: {
            const int slot = slotNumber(page_, entry_);
            const bool confirm = host.saveConfirm();
            if (!confirm || (saving && !isSlotUsed(page_, entry_))) {
                setSubStep(40);
                updateLoadSave(host, saving);
                break;
            }
            if (saving) {
                // The new data could not be written for the preview, so it cannot be written
                // over the slot either: the box has said why, naming the slot's file (the
                // scratch slot is none of the player's), and the page stays as it was.
                if (!saveToSlot(kScratchSlot, kPreview, slot)) {
                    setSubStep(10);
                    break;
                }
                refreshEntry(kPreview, kScratchSlot);
            } else {
                refreshEntry(kPreview, slot);
            }
            dialog_ = true;
            dialogHover_ = -1;
            host.resetMouseTracking();
            host.requestRedraw();
            setSubStep(31);
            break;
        }
        case 31: {
            const app::ScreenInput in = host.input();
            const int old = dialogHover_;
            if (in.mouseAction) dialogHover_ = hitDialog(in.x, in.y);
            if ((in.pressed & app::kDecideMask) && dialogHover_ == 0) {
                setSubStep(40);
            } else if (((in.pressed & app::kDecideMask) && dialogHover_ == 1) || (in.pressed & app::kCancelMask)) {
                setSubStep(10);
            }
            if (old != dialogHover_)
                for (int h : {old, dialogHover_})
                    if (h >= 0) app::refreshUnit(dialogButtons_, 2 * h);
            break;
        }
        case 40:
            if (saving) {
                saveToEntry(page_, entry_);
                setSubStep(10);
            } else {
                app::fadeOut(host, 300, kBlack);
                setSubStep(41);
            }
            break;
        case 41:
            if (!saving && app::fadeDone(host)) loadSlot(page_, entry_);
            break;
        default:
            break;
    }
}

void TTaskSystem::updateQuickLoad(app::ScreenHost& host) {
    switch (subStep()) {
        case 0:
            refreshPage();
            entry_ = 10;
            dialog_ = false;
            setSubStep(10);
            [[fallthrough]];
        case 10:
            if (!host.saveConfirm()) {
                setSubStep(20);
                break;
            }
            refreshEntry(kPreview, kQuickSlot);
            dialog_ = true;
            dialogHover_ = -1;
            host.resetMouseTracking();
            host.requestRedraw();
            setSubStep(11);
            [[fallthrough]];
        case 11: {
            const app::ScreenInput in = host.input();
            const int old = dialogHover_;
            if (in.mouseAction) dialogHover_ = hitDialog(in.x, in.y);
            if ((in.pressed & app::kDecideMask) && dialogHover_ == 0)
                setSubStep(20);
            else if (((in.pressed & app::kDecideMask) && dialogHover_ == 1) || (in.pressed & app::kCancelMask))
                setSubStep(1000);
            if (old != dialogHover_)
                for (int h : {old, dialogHover_})
                    if (h >= 0) app::refreshUnit(dialogButtons_, 2 * h);
            break;
        }
        case 20:
            app::fadeOut(host, 300, kBlack);
            setSubStep(21);
            break;
        case 21:
            if (app::fadeDone(host)) loadSlot(page_, 10);
            break;
        default:
            break;
    }
}

void TTaskSystem::updateQuickSave() {
    if (subStep() != 0) return;
    refreshPage();
    saveToSlot(kQuickSlot, 10);
    setSubStep(1000);
}

void TTaskSystem::drawEntry(app::ScreenHost& host, int entry, int layer) {
    const auto e = static_cast<size_t>(entry);
    if (!used_[e]) return;
    graphics::TGrTableObj& table = host.table();
    if (thumbs_[e]) {
        graphics::TSprObj sprite;
        sprite.setSurface(thumbs_[e].get());
        const int column = entry < 5 ? 0 : entry < 10 ? 1 : entry < 12 ? 2 : 1;
        const int row = entry < 5 ? entry : entry < 10 ? entry - 5 : entry - 10;
        sprite.setPos(44 + 250 * column, entry == kPreview ? 214 : 69 + 100 * row);
        if (graphics::TSprObj* pooled = host.pushSprObj(sprite)) table.add(layer, pooled);
    }
    if (books_[e].getSurface()) table.add(layer, &books_[e]);
    for (int k = 0; k < 5; ++k) {
        graphics::TNumObj& n = dates_[5 * e + static_cast<size_t>(k)];
        if (!n.getText().empty() && n.getFont() && n.getFont()->getSurface()) table.add(layer, &n);
    }
}

void TTaskSystem::drawPages(app::ScreenHost& host, bool saving, bool quick) {
    graphics::TGrTableObj& table = host.table();
    app::show(table, 210, pageBg_, saving ? 0 : 1);
    if (!quick) {
        for (int i = 0; i < kMenuHovers; ++i) app::show(table, 220, pageMenu_, 2 * i + (hover_ == i ? 1 : 0));
        for (int n = 0; n < 10; ++n)
            app::show(table, 220, tabs_, 2 * n + (hover_ == kTabBase + n || page_ == n ? 1 : 0));
        const int entries = saving ? 10 : 12;
        for (int e = 0; e < entries; ++e) {
            app::show(table, 220, files_, 2 * e + (hover_ == kEntryBase + e ? 1 : 0));
            drawEntry(host, e, 220);
        }
    }
    if (dialog_) {
        table.add(230, &dim_);
        app::show(table, 230, dialogBase_, saving ? 0 : 1);
        for (int i = 0; i < 2; ++i) app::show(table, 230, dialogButtons_, 2 * i + (dialogHover_ == i ? 1 : 0));
        drawEntry(host, kPreview, 230);
    }
}
