#include "app/task_system.h"

#include <cstdio>

#include "app/screen_host.h"
#include "app/task_novel.h"
#include "framework/task.h"

using graphics::SprRecord;

namespace {

const SprRecord kConfigBg[] = {{"11_conbg00.argb", 0, 0}, {nullptr, 0, 0}};
const SprRecord kSystemMenu[] = {{"13_syme_000.argb", 133, 530},
                                 {"13_syme_001.argb", 133, 530},
                                 {"13_syme_010.argb", 263, 530},
                                 {"13_syme_011.argb", 263, 530},
                                 {"13_syme_020.argb", 393, 530},
                                 {"13_syme_021.argb", 393, 530},
                                 {"13_syme_030.argb", 523, 530},
                                 {"13_syme_031.argb", 523, 530},
                                 {"13_syme_040.argb", 263, 530},
                                 {"13_syme_041.argb", 263, 530},
                                 {nullptr, 0, 0}};
const SprRecord kPageBg[] = {{"11_bgsv00.argb", 0, 0}, {"11_bgld00.argb", 0, 0}, {nullptr, 0, 0}};
const SprRecord kPageMenu[] = {{"13_syme_010.argb", 648, 436},
                               {"13_syme_011.argb", 648, 436},
                               {"13_syme_020.argb", 648, 476},
                               {"13_syme_021.argb", 648, 476},
                               {"13_syme_030.argb", 648, 516},
                               {"13_syme_031.argb", 648, 516},
                               {nullptr, 0, 0}};
const SprRecord kDialogBase[] = {{"12_kaku_000.argb", 0, 0}, {"12_kaku_001.argb", 0, 0}, {nullptr, 0, 0}};
const SprRecord kDialogButtons[] = {{"12_kaku_010.argb", 316, 319},
                                    {"12_kaku_011.argb", 316, 319},
                                    {"12_kaku_020.argb", 393, 319},
                                    {"12_kaku_021.argb", 393, 319},
                                    {nullptr, 0, 0}};

// Names of tables built at run time live as long as the tables.
struct BuiltTable {
    std::vector<std::string> names;
    std::vector<SprRecord> records;
    void add(std::string name, int x, int y) {
        names.push_back(std::move(name));
        records.push_back({nullptr, x, y});
    }
    const SprRecord* finish() {
        for (size_t i = 0; i < names.size(); ++i) records[i].name = names[i].c_str();
        records.push_back({nullptr, 0, 0});
        return records.data();
    }
};

std::string printed(const char* format, int a, int b = 0) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, a, b);
    return buf;
}

// Where entry e stands: its column's left edge and its row's top.
int entryColumn(int e) { return e < 5 ? 0 : e < 10 ? 1 : e < 12 ? 2 : 1; }
int entryRow(int e) { return e < 5 ? e : e < 10 ? e - 5 : e - 10; }

}  // namespace

TTaskSystem::TTaskSystem() : TTask(0) { loadResources(); }

TTaskSystem::~TTaskSystem() {
    for (auto& t : thumbs_) t.reset();
    pictures_.clear();
}

int TTaskSystem::slotNumber(int page, int entry) { return entry == 10 ? 120 : entry == 11 ? 121 : 10 * page + entry; }

void TTaskSystem::setStep(int step, int sub) {
    previousStep_ = this->step();
    TTask::setStep(step, sub);
    update();
}

void TTaskSystem::setSubStep(int sub, int subsub) {
    previousSubStep_ = subStep();
    TTask::setSubStep(sub, subsub);
}

bool TTaskSystem::Start() {
    for (auto& t : thumbs_) t.reset();
    used_.fill(false);
    return TTask::Start();
}

void TTaskSystem::End() {
    for (auto& t : thumbs_) t.reset();
    TTask::End();
}

bool TTaskSystem::setPage(int page) {
    if (page < 0 || page > 4) return false;
    setStep(page + 1, 0);
    return true;
}

bool TTaskSystem::open(int kind, int page) {
    kind_ = kind;
    return setPage(page);
}

bool TTaskSystem::loadResources() {
    pictures_.setFolder("data.pak");
    configBg_.createFromTable(kConfigBg, pictures_);
    menu_.createFromTable(kSystemMenu, pictures_);
    pageBg_.createFromTable(kPageBg, pictures_);
    pageMenu_.createFromTable(kPageMenu, pictures_);
    dialogBase_.createFromTable(kDialogBase, pictures_);
    dialogButtons_.createFromTable(kDialogButtons, pictures_);

    BuiltTable items;
    const int rowY[] = {240, 300, 360, 420, 480};
    const char* const rowPictures[][2] = {{"14_conf_20%d.argb", "14_conf_21%d.argb"},
                                          {"14_conf_20%d.argb", "14_conf_21%d.argb"},
                                          {"14_conf_20%d.argb", "14_conf_21%d.argb"},
                                          {"14_conf_30%d.argb", "14_conf_31%d.argb"},
                                          {"14_conf_40%d.argb", "14_conf_41%d.argb"}};
    for (int c = 0; c < 63; ++c) {
        for (int lit = 0; lit < 2; ++lit) {
            if (c < 2) {
                items.add(printed("14_conf_0%d%d.argb", c, lit), c == 0 ? 327 : 465, 60);
            } else if (c < 8) {
                const int k = (c - 2) % 3;
                items.add(printed("14_conf_1%d%d.argb", k, lit), 327 + 98 * k, c < 5 ? 120 : 180);
            } else {
                const int row = (c - 8) / 11, k = (c - 8) % 11;
                const std::string name = k == 0 ? printed(rowPictures[row][0], lit) : printed(rowPictures[row][1], lit);
                items.add(name, k == 0 ? 327 : 349 + 22 * (k - 1), rowY[row]);
            }
        }
    }
    configItems_.createFromTable(items.finish(), pictures_);

    BuiltTable tabs;
    for (int n = 0; n < 10; ++n)
        for (int lit = 0; lit < 2; ++lit) tabs.add(printed("12_page_0%d%d.argb", n, lit), 30 + 40 * n, 560);
    tabs_.createFromTable(tabs.finish(), pictures_);

    BuiltTable frames;
    for (int e = 0; e < 12; ++e)
        for (int lit = 0; lit < 2; ++lit)
            frames.add(printed("12_file_0%d.argb", lit), 30 + 250 * entryColumn(e), 60 + 100 * entryRow(e));
    files_.createFromTable(frames.finish(), pictures_);

    if (graphics::TSurface32* s = pictures_.load("12_time_00.argb")) digits_.create(s, 10, 1, '0', '9');
    static const int kDateX[] = {0, 37, 58, 79, 100};
    for (int e = 0; e < kEntries; ++e) {
        const int x0 = 145 + 250 * entryColumn(e);
        const int y = e == kPreview ? 234 : 89 + 100 * entryRow(e);
        for (int k = 0; k < 5; ++k) {
            graphics::TNumObj& n = dates_[static_cast<size_t>(5 * e + k)];
            n.setFont(&digits_);
            n.setPos(x0 + kDateX[k], y);
        }
        books_[static_cast<size_t>(e)].setPos(e == kPreview ? 395 : x0, e == kPreview ? 255 : 110 + 100 * entryRow(e));
    }
    dim_.setup(800, 600, 0xFF000000u, 0x80);
    return true;
}

void TTaskSystem::releaseResources() { pictures_.clear(); }

bool TTaskSystem::menuItemAvailable(int item) const {
    // Kinds 0 and 1 never see item 4; item 1 (back to the story) only the story sees.
    if (item == 4) return kind_ != 0 && kind_ != 1;
    if (item == 1) return kind_ == 1;
    if (item == 2) return kind_ == 0 || kind_ == 1;
    return true;
}

void TTaskSystem::enterInteractive(app::ScreenHost& host) {
    host.resetMouseTracking();
    host.requestRedraw();
}

void TTaskSystem::startNewStory() {
    app::ScreenHost* host = app::screenHost();
    if (host) host->tasks().add(app::kTaskNovel, new TTaskNovel("script.pak\\a0001.g2", nullptr), 0);
    setStep(0, 0);
}

void TTaskSystem::backToTitle() {
    app::ScreenHost* host = app::screenHost();
    if (host) {
        TTaskManager& tasks = host->tasks();
        if (!tasks.find(app::kTaskTitle)) tasks.add(app::kTaskTitle, host->makeTitle(), 0);
        std::vector<int> others;
        for (const auto& [id, task] : tasks.tasks())
            if (id != app::kTaskSystem && id != app::kTaskTitle) others.push_back(id);
        for (int id : others) tasks.killById(id);
    }
    setStep(0, 0);
}

void TTaskSystem::runExits(app::ScreenHost& host) {
    switch (subStep()) {
        case 1000:
            setStep(0, 0);
            break;
        case 1100:
            app::fadeOut(host, 500, 0xFF000000u);
            host.requestRedraw();
            setSubStep(1101);
            break;
        case 1101:
            host.requestRedraw();
            if (app::fadeDone(host)) backToTitle();
            break;
        case 1200:
            host.tasks().killAll();
            break;
        case 1300:
            app::fadeOut(host, 2000, 0xFF000000u);
            host.requestRedraw();
            setSubStep(1301);
            break;
        case 1301:
            host.requestRedraw();
            if (app::fadeDone(host)) startNewStory();
            break;
        default:
            break;
    }
}

void TTaskSystem::update() {
    app::ScreenHost* host = app::screenHost();
    if (!host) return;
    switch (step()) {
        case 1:
            updateConfig(*host);
            break;
        case 2:
            updateLoadSave(*host, false);
            break;
        case 3:
            updateLoadSave(*host, true);
            break;
        case 4:
            updateQuickLoad(*host);
            break;
        case 5:
            updateQuickSave();
            break;
        default:
            return;
    }
    runExits(*host);
}

void TTaskSystem::draw() {
    app::ScreenHost* host = app::screenHost();
    if (!host) return;
    switch (step()) {
        case 1:
            drawConfig(*host);
            break;
        case 2:
            drawPages(*host, false, false);
            break;
        case 3:
            drawPages(*host, true, false);
            break;
        case 4:
            drawPages(*host, false, true);
            break;
        default:
            break;
    }
}
