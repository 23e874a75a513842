#include "app/task_title.h"

#include "app/lobby_screen.h"
#include "app/main_frame.h"
#include "app/task_novel.h"
#include "app/task_system.h"
#include "game/mode/mode_task.h"
#include "graphics/graphic.h"
#include "script/core.h"
#include "script/engine.h"

namespace {

constexpr uint32_t kDecide = 0x10000010u;
constexpr uint32_t kBlack = 0xFF000000u;
constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr int kLayer = 10;
constexpr int kMenuItems = 6;

const graphics::SprRecord kTitleBackground[] = {{"15_bgti_00.bmp", 0, 0}, {nullptr, 0, 0}};

// Two pictures per item (normal, highlighted), item i at units 2i and 2i + 1.
const graphics::SprRecord kTitleMenu[] = {{"15_menu_00.bmp", 517, 395},
                                          {"15_menu_01.bmp", 517, 395},
                                          {"15_menu_10.bmp", 517, 425},
                                          {"15_menu_11.bmp", 517, 425},
                                          {"15_menu_20.bmp", 517, 455},
                                          {"15_menu_21.bmp", 517, 455},
                                          {"15_menu_30.bmp", 517, 485},
                                          {"15_menu_31.bmp", 517, 485},
                                          {"15_menu_40.bmp", 517, 515},
                                          {"15_menu_41.bmp", 517, 515},
                                          {"15_menu_50.bmp", 517, 545},
                                          {"15_menu_51.bmp", 517, 545},
                                          {nullptr, 0, 0}};

template <class Set>
void appendAll(graphics::TGrTableObj& table, int layer, Set& set) {
    for (auto& unit : set.units()) table.add(layer, &unit);
}

}  // namespace

TTaskTitle::LobbyMaker TTaskTitle::lobbyMaker_ = &app::makeLobbyTask;
bool TTaskTitle::lobbyRequested_ = false;

TTaskTitle::TTaskTitle() = default;

void TTaskTitle::setLobbyMaker(LobbyMaker maker) { lobbyMaker_ = maker; }

void TTaskTitle::requestLobby() { lobbyRequested_ = true; }

TTaskTitle::~TTaskTitle() = default;

TMainFrame& TTaskTitle::frame() const { return *mainFrame(); }

graphics::TGrTableObj* TTaskTitle::table() const { return graphics::graphic(); }

bool TTaskTitle::Start() {
    TTask::Start();
    hover_ = 0;
    TG2Core* core = frame().g2().core();
    saveExists_ = core && core->hasSaveFile();
    return true;
}

void TTaskTitle::End() { TTask::End(); }

void TTaskTitle::resetTracking(int& hover) {
    hover = -1;
    frame().input().setPrevious(-1, -1);
    frame().input().setMoved(true);
    if (graphics::TGraphic* g = graphics::graphic()) g->invalidate();
}

bool TTaskTitle::fadeDone() const { return frame().fade().state() == graphics::TFade::kIdle; }

void TTaskTitle::fadeOut(uint32_t ms, uint32_t colour) {
    frame().fade().setMode(graphics::TFade::kModeFill);
    frame().fade().fadeOut(ms, colour, -1);
}

void TTaskTitle::fadeIn(uint32_t ms) {
    frame().fade().setMode(graphics::TFade::kModeFill);
    frame().fade().fadeIn(ms, -1);
}

void TTaskTitle::stopMusic() { frame().musicPlayer().stop(); }

void TTaskTitle::playMusic(const std::string& name) {
    TBgm& bgm = frame().musicPlayer();
    bgm.stop();
    if (bgm.open(name)) bgm.play(true);
}

void TTaskTitle::update() {
    switch (step()) {
        case 0:
            updateLoading();
            break;
        case 1:
            updateMenu();
            break;
        case 2:
            updateSetup();
            break;
        case 4:
            updateSceneReplay();
            break;
        case 5:
            updateGallery();
            break;
        case 6:
            updateMusicRoom();
            break;
        default:
            break;
    }
}

void TTaskTitle::updateLoading() {
    switch (subStep()) {
        case 0:
            titleImages_.setFolder("data.pak");
            titleBackground_.createFromTable(kTitleBackground, titleImages_);
            titleImages_.setFolder("sys.pak");
            titleMenu_.createFromTable(kTitleMenu, titleImages_);
            titleImages_.setFolder("data.pak");
            // A viewer picture left from an earlier visit to the gallery goes.
            extras_.clearGalleryPictures();
            setSubStep(20);
            break;
        case 20:
            setStep(1, 0);
            break;
        default:
            break;
    }
    if (graphics::TGrTableObj* t = table()) appendAll(*t, kLayer, titleBackground_);
}

int TTaskTitle::menuItemAt(int x, int y) const {
    int hit = -1;
    for (int i = 0; i < kMenuItems; ++i) {
        if (i == 1 && !saveExists_) continue;
        if (static_cast<size_t>(2 * i) >= titleMenu_.units().size()) break;
        if (graphics::TRect(titleMenu_.units()[2 * i].getRect()).isInside(x, y)) hit = i;
    }
    return hit;
}

void TTaskTitle::updateMenu() {
    TMainFrame& f = frame();
    TInput& in = f.input();
    switch (subStep()) {
        case 0: {
            graphics::TFade& fade = f.fade();
            if (fade.state() == graphics::TFade::kIdle && fade.level() == 255) fadeIn(200);
            TG2Core* core = f.g2().core();
            saveExists_ = core && core->hasSaveFile();
            setSubStep(10);
        }
            [[fallthrough]];
        case 10:
            if (lobbyRequested_) {
                lobbyRequested_ = false;
                setSubStep(kLobbySubStep);
                break;
            }
            playMusic("bgm\\bgm00.ogg");
            resetTracking(hover_);
            setSubStep(20);
            [[fallthrough]];
        case 20: {
            const int before = hover_;
            if (in.isMouseAction()) hover_ = menuItemAt(in.cursorX(), in.cursorY());
            if (hover_ != before) {
                if (before >= 0) titleMenu_.units()[2 * before].invalidate();
                if (hover_ >= 0) titleMenu_.units()[2 * hover_ + 1].invalidate();
            }
            if ((in.pressedBits() & kDecide) && hover_ >= 0) setSubStep(21);
            break;
        }
        case 21:
            switch (hover_) {
                case 0:
                    setSubStep(40);
                    break;
                case 1:
                    systemPage_ = 1;
                    setSubStep(80);
                    break;
                case 2:
                    setSubStep(50);
                    break;
                case 3:
                    setSubStep(60);
                    break;
                case 4:
                    systemPage_ = 0;
                    setSubStep(80);
                    break;
                case 5:
                    setSubStep(90);
                    break;
                default:
                    setSubStep(20);
                    break;
            }
            break;
        case 40:
            fadeOut(500, kBlack);
            if (graphics::TGraphic* g = graphics::graphic()) g->invalidate();
            stopMusic();
            setSubStep(41);
            break;
        case 41:
            if (graphics::TGraphic* g = graphics::graphic()) g->invalidate();
            if (fadeDone()) {
                f.add(kTaskNovel, new TTaskNovel("script.pak\\a0001.g2", nullptr), 0);
                kill();
                return;
            }
            break;
        case 50:
        case 60:
            fadeOut(500, kWhite);
            setSubStep(subStep() + 1);
            break;
        case 51:
            if (fadeDone()) {
                setStep(2, 0);
                return;
            }
            break;
        case 61:
            if (fadeDone()) {
                setStep(5, 0);
                return;
            }
            break;
        case 80: {
            stopMusic();
            auto* system = dynamic_cast<TTaskSystem*>(f.find(kTaskSystem));
            if (!system) break;
            system->open(0, systemPage_);
            setSubStep(81);
        }
            [[fallthrough]];
        case 81: {
            auto* system = dynamic_cast<TTaskSystem*>(f.find(kTaskSystem));
            if (!system || system->isClosed()) setSubStep(10);
            break;
        }
        case 90:
            stopMusic();
            f.killAll();
            return;
        case kLobbySubStep:
            fadeOut(500, kWhite);
            setSubStep(kLobbySubStep + 1);
            break;
        case kLobbySubStep + 1:
            if (fadeDone()) {
                TTask* lobby = lobbyMaker_ ? lobbyMaker_() : nullptr;
                if (!lobby) {
                    // No lobby in this program: back to the menu it came from.
                    fadeIn(200);
                    setSubStep(10);
                    break;
                }
                f.add(kTaskLobby, lobby, 0);
                kill();
                return;
            }
            break;
        default:
            break;
    }
    if (graphics::TGrTableObj* t = table()) drawMenu(*t);
}

void TTaskTitle::drawMenu(graphics::TGrTableObj& t) {
    appendAll(t, kLayer, titleBackground_);
    for (int i = 0; i < kMenuItems; ++i) {
        if (i == 1 && !saveExists_) continue;
        const size_t unit = 2 * i + (i == hover_ ? 1 : 0);
        if (unit < titleMenu_.units().size()) t.add(kLayer, &titleMenu_.units()[unit]);
    }
}

bool TTaskTitle::isCharacterLocked(int character) const {
    return character >= 4 && character < 14 && !secret_[character - 4];
}
