#pragma once
// The title hub (task id 2): the title screen with its menu and the screens reached from it,
// each a step of this one task: 0 loading, 1 the menu, 2 the free-play setup, 4 scene replay,
// 5 the CG gallery, 6 the music room. Every screen puts what it shows into the screen's table
// anew each frame.
#include <boost/shared_ptr.hpp>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "framework/task.h"
#include "game/client/client_host.h"
#include "graphics/spr_maker.h"
#include "graphics/spr_set.h"
#include "app/rule_setup_sprites.h"
#include "app/title_extras.h"
#include "mahjong/rule.h"

class TTaskMahjongAlone;
class TMainFrame;

namespace graphics {
class TGrTableObj;
}

// A base without behaviour, shared with the lobby task.
class TResGame {};

class TTaskTitle : public TTask, public TResGame {
public:
    // Step 1's sub-step that starts the lobby; no menu item leads there.
    static constexpr int kLobbySubStep = 100;

    TTaskTitle();
    ~TTaskTitle() override;

    bool Start() override;
    void End() override;
    void update() override;

    // What starts the lobby (null: the program has none, and the title stays).
    using LobbyMaker = TTask* (*)();
    static void setLobbyMaker(LobbyMaker maker);
    // The next arrival at the title menu goes on to the lobby (the program's command line asks).
    static void requestLobby();

    // Character 4-13 while its secret flag is off.
    bool isCharacterLocked(int character) const;

    int hoverIndex() const { return hover_; }
    bool saveExists() const { return saveExists_; }
    int setupPage() const { return page_; }
    int setupHover() const { return setupHover_; }
    const std::vector<int>& chosenCharacters() const { return chosen_; }
    const boost::shared_ptr<mahjong::TRule>& freePlayRule() const { return rule_; }
    TTaskMahjongAlone* gameTask() const { return game_; }
    bool secretFlag(int k) const { return k >= 0 && k < 10 && secret_[k]; }

    // The menu item under a point, the last of overlapping ones; -1 for none.
    int menuItemAt(int x, int y) const;

private:
    void updateLoading();
    void updateMenu();
    void drawMenu(graphics::TGrTableObj& table);
    // Step 2 (free_play_setup.cpp).
    void updateSetup();
    void drawSetup(graphics::TGrTableObj& table);
    // Steps 4, 5, 6.
    void updateSceneReplay();
    void updateGallery();
    void updateMusicRoom();

    TMainFrame& frame() const;
    graphics::TGrTableObj* table() const;
    // Convention of every screen: forget the hover and force a hover test on the next frame.
    void resetTracking(int& hover);
    // The fade has finished (state 3).
    bool fadeDone() const;
    void fadeOut(uint32_t ms, uint32_t colour);
    void fadeIn(uint32_t ms);
    void stopMusic();
    void playMusic(const std::string& name);

    // Free-play setup.
    boost::shared_ptr<mahjong::TRule> rule_;
    std::vector<int> chosen_;
    int setupHover_ = -1;
    int page_ = 0;
    bool secret_[10] = {};
    bool continue_ = false;

    // Title.
    graphics::TSurfaceSet titleImages_;
    graphics::TSprUnitSet titleBackground_;
    graphics::TSprUnitSet titleMenu_;

    // Scene replay, CG gallery and music room.
    TitleExtras extras_;

    int hover_ = -1;
    bool saveExists_ = false;
    int systemPage_ = 0;

    int previewIndex_ = -1;
    int previewSlide_ = 0;
    TTaskMahjongAlone* game_ = nullptr;

    static LobbyMaker lobbyMaker_;
    static bool lobbyRequested_;
};

// The per-character numbers a seat's profile gets (characters 0-13).
int characterValue(int character);
