#pragma once
// The table client of a mahjong match: the task that follows the game server's messages on a
// mirror of the table, lets each seat's animation run for its frames, asks the human for a
// choice when the own seat has one, answers the server, and shows the results. Drawing and the
// human's menus build on the state kept here; what the client needs of the program around it
// comes through its host.
#include <boost/shared_ptr.hpp>
#include <functional>
#include <set>
#include <string>

#include "game/client/client_host.h"
#include "game/client/sel_te_set.h"
#include "game/client/table_sprites.h"
#include "game/client/task_game.h"
#include "game/packets_s.h"
#include "mahjong/table.h"

namespace graphics {
class TGrTableObj;
}

namespace game::client {

// Seat waits: frame countdowns that hold a seat's animation.
enum TWaitKind : int {
    WAIT_NONE = 0,
    WAIT_TI = 1,
    WAIT_PON = 2,
    WAIT_KAN = 3,
    WAIT_TUMO = 4,
    WAIT_RON = 5,
    WAIT_RITI = 6,
};

// Input states: 0-40 the steps of the menu, 50 the result pages, 60 the dealer's choice to go
// on, 70 the ability list, 80 a completed choice.
enum TInputState : int {
    IN_MENU = 0,
    IN_PON = 10,
    IN_TI = 20,
    IN_KAN = 30,
    IN_RITI = 40,
    IN_RESULT = 50,
    IN_CONTINUE = 60,
    IN_FAKE = 70,
    IN_DONE = 80,
};

class TMahjongPlayer : public TPlayer {
public:
    explicit TMahjongPlayer(TTaskGame* owner) : TPlayer(owner) {}

    void startWait(int kind, int frames) {
        waitKind_ = kind;
        waitFrames_ = frames;
    }
    // One frame of the wait; the frames left (the caller waits while this is above 0).
    int tickWait();
    int waitKind() const { return waitKind_; }
    int waitFrames() const { return waitFrames_; }

private:
    int waitKind_ = WAIT_NONE;
    int waitFrames_ = 0;
};

struct TClientPoint {
    int x = 0, y = 0;
};

// A screen rectangle; left and top inside, right and bottom outside.
struct TClientRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    bool empty() const { return right <= left || bottom <= top; }
};

class TTaskMahjongGame : public TTaskGame {
public:
    // host: not owned; null gives a host where nothing happens (see TNullClientHost).
    TTaskMahjongGame(int linkKind, ServerLink* server, TClientHost* host = nullptr);
    ~TTaskMahjongGame() override;

    TPlayerPtr createPlayer() override;

    // The client's host; never null.
    TClientHost& host() const { return *host_; }
    void setHost(TClientHost* host);
    // The rules engine's table the client mirrors; null before connect.
    mahjong::TTable* mirror() const;
    // The own seat on the mirror; null before the seating.
    mahjong::TPlayer* ownPlayer() const;
    TMahjongPlayer* mahjongPlayer(int id) const;

    // The choice.
    u32 getChoiceActions() const { return choiceActions_; }
    u32 getChoiceMenu() const { return choiceMenu_; }
    u32 getChoiceThird() const { return choiceThird_; }
    bool isChoosing() const { return choosing_; }
    virtual void startChoice(u32 menu, u32 actions, u32 third);
    virtual void resetChoice(int inputState);
    virtual void endChoice() { choosing_ = false; }

    // 1 when x is highlighted, else 0 when x is a key of the selectable sets, 2 when it is not.
    virtual int classifyTile(int x) const;
    TSelTeSet& selTeSet() { return selTeSet_; }
    std::set<int>& highlight() { return highlight_; }

    // TDirection 2, 3 or 4 gives 1, 2 or 3; anything else (the own seat included) 0.
    static int toRelativeSeat(int direction);

    // The state words: a value of 0 or more is stored, a negative one adds one; setting a state
    // clears its sub-state.
    void setRoundState(int n);
    void setRoundSubState(int n);
    void setInputState(int n);
    void setInputSubState(int n);
    int roundState() const { return roundState_; }
    int roundSubState() const { return roundSubState_; }
    int inputState() const { return inputState_; }
    int inputSubState() const { return inputSubState_; }
    int hovered() const { return hovered_; }
    void setHovered(int item) { hovered_ = item; }
    int frameCounter() const { return frameCounter_; }

    // The last message taken for the round or the results, kept until handled.
    const boost::shared_ptr<TPacket>& lastMessage() const { return lastMessage_; }
    const boost::shared_ptr<TPacket>& lastSent() const { return lastSent_; }
    // The game's final ranks, once S_RESULT has come.
    const boost::shared_ptr<TPacket_S_Result>& finalResult() const { return finalResult_; }

    // Where the client's "[ERROR] Client::..." lines go. Unset: standard error.
    using ErrorSink = std::function<void(const std::string& text)>;
    void setErrorSink(ErrorSink sink) { errorSink_ = std::move(sink); }

    // Message handlers of the queue loop; true when the front command was taken.
    virtual bool onEntry();
    virtual bool onAddPlayer();
    virtual bool onStartRoom();
    virtual bool onStartGame();
    virtual bool onResult();

    virtual void updateRoom();
    virtual void updateGame();
    virtual void updateEnd();

    // Game phases.
    virtual void doSitdown();
    virtual void doStartup();
    virtual void doDeal();
    virtual void doRound();
    // The human's per-frame input step, run in phase 40 before the round play. Here: the ability
    // list and the end of a completed choice; the menus build on it.
    virtual void updateInput();
    virtual void doRoundResult();
    virtual void doNextRound();

    // The ability list (input state 70): one step per frame.
    virtual void selectFake();

    // The human's menu and tile choices, one step per frame each (input states 0 to 40).
    virtual void selectAction();
    virtual void selectPon();
    virtual void selectTi();
    virtual void selectKan();
    virtual void selectRiti();
    // The two option switches: hit test every frame, flipped on confirm.
    void updateOptionButtons();
    // The screen rectangle of the own hand tile drawn after `position` free tiles; the drawn
    // tile (separated) stands a little apart.
    static TClientRect getTeRect(int position, bool separated);
    // The option switches always, and the menu's buttons while the menu is up, into layer 50 of
    // the screen's table (the shared button pictures; the table does not own them).
    void drawMenu(graphics::TGrTableObj& table) const;
    // The client's own pictures: open makes the fills and points the image set at "mj.pak";
    // a seat's character by its profile for a direction from the own seat (TDirection); the
    // final-result pictures of the placings the server sent; release empties them all.
    bool openImages();
    void loadCharacter(int playerId, int direction);
    void loadFinalResult();
    void releaseImages();
    const TClientImages& images() const { return images_; }
    int hoveredOption() const { return hoveredOption_; }
    bool winAtOnce() const { return winAtOnce_; }
    bool ritiAtOnce() const { return ritiAtOnce_; }

    // Presentation: every frame the whole view is composed anew into the host's screen table
    // from the shared pictures (nothing drawn when the host has no table). Seats are drawn by
    // their direction d from the own seat: 0 bottom, 1 right, 2 top, 3 left.
    virtual void drawNumberAt(int layer, int font, int x, int y, int value);
    virtual void drawNumber(int layer, int font, int x, int y, int value);
    virtual void drawBackground();
    // Sheets 0-12 by kind (red fives by their own chips), 14 and 16 their one picture, 15 the
    // opposite seat's back; anything else draws nothing. `front` puts it before the layer's others.
    virtual void drawTile(int layer, int sheet, const mahjong::TPai& tile, int x, int y, bool front);
    virtual void drawBack(int sheet, int x, int y, bool front);
    virtual void drawBackAlt(int sheet, int x, int y, bool front);
    // Variant (own concealed hand only): 0 plain, 1 raised, 2 not selectable.
    virtual void drawHandTile(const mahjong::TPai& tile, int d, bool shown, int p, bool separated, int variant);
    // A pon or chi, and a kan, at the call origin; the origin's advance for the next call.
    virtual TClientPoint drawCall3(const mahjong::TPai& t0, const mahjong::TPai& t1, const mahjong::TPai& t2, int d,
                                   int x, int y, bool variant);
    virtual TClientPoint drawCall4(const mahjong::TPai* tiles, int d, int x, int y, bool variant);
    virtual void drawDice(int d1, int d2);
    virtual void drawCharacter(int playerId);
    virtual void drawTable();
    virtual void invalidateScreen();
    // By the task step: 1 the screen is invalidated, 2 the game view, 3 the final result.
    void draw() override;
    virtual void drawGame();
    virtual void drawFakeList();
    virtual void drawResult();
    virtual void drawContinue();
    virtual void drawFinalResult();
    // Whether a seat's hand lies open (a winner's at the settlement, a ready hand at a draw).
    virtual bool isHandShown(const mahjong::TPlayer& p) const;

    // Clears the state words, the choice and the options, stops the engine's music, opens the
    // client's own pictures, step 0.
    bool Start() override;
    // Lets the client's own pictures go.
    void End() override;
    void update() override;

    using TTaskGame::send;
    int send(u32 code, const boost::shared_ptr<TPacket>& packet) override;

protected:
    // Presentation: a seat of the table and its direction from the own seat (after the
    // seating): its character pictures; the final result is ready to show: its pictures.
    virtual void placeSeat(int playerId, int direction) { loadCharacter(playerId, direction); }
    virtual void prepareFinalResult() { loadFinalResult(); }
    // From the loaded table pictures (the continue prompt's and the end screen's buttons); empty
    // when they are not loaded.
    virtual TClientRect continueButtonRect(int index) const;
    virtual TClientRect endButtonRect(int index) const;
    // The screen rectangle of image n of the action button set (the loaded table pictures);
    // empty when the picture is not there.
    virtual TClientRect actionImageRect(int image) const;
    // A message from the server has been applied to the mirror (the seating, the deal, each
    // round message, the round result, the move to the next hand). Nothing here.
    virtual void onApplied(u32 /*code*/) {}

    void logError(const std::string& text) const;
    bool confirmed() const { return (host().pressedButtons() & 0x10000010u) != 0; }
    bool cancelled() const { return (host().pressedButtons() & 0x20000020u) != 0; }
    // Hovered item -1, pointer forgotten, screen invalidated.
    void beginScreen();
    // The tile choices' shared steps.
    void beginStep();
    int hoverCandidates(bool separateDrawn, bool firstWins);
    void pickTile(bool separateDrawn, bool firstWins, int next);
    void applyCall(int i, int j);
    void offerPairs(const std::vector<TSelTeSet::TCandidate>& all);
    const TSelTeSet::TCandidate* hoveredCandidate() const;

private:
    void roundTumo(bool rinshan);
    void roundCall(bool pon);
    void roundKan();
    void roundRiti();
    void roundSute();
    void roundFake();
    void roundNext();
    // Answers a draw from the choice: an ability use or the draw's answer.
    void answerDraw(bool rinshan);
    void startDrawChoice(bool rinshan);
    void settleRound();
    void startHandMusic();
    void flagCalledAway(mahjong::TPlayer* discarder);
    // The hovered one of the two buttons (-1 none) at the mouse; later wins.
    int hitButtons(TClientRect (TTaskMahjongGame::*rect)(int) const) const;

    TClientHost* host_;
    int roundState_ = 0;
    int roundSubState_ = 0;
    int inputState_ = 0;
    int inputSubState_ = 0;
    u32 choiceMenu_ = 0;
    u32 choiceActions_ = 0;
    u32 choiceThird_ = 0;
    bool choosing_ = false;
    boost::shared_ptr<TPacket> lastMessage_;
    boost::shared_ptr<TPacket> lastSent_;
    boost::shared_ptr<TPacket_S_Result> finalResult_;
    int hovered_ = -1;
    int frameCounter_ = 0;
    int savedVolume_ = 0;
    TSelTeSet selTeSet_;
    std::set<int> highlight_;
    TStopWatch stopWatch_;
    // The draw state (2 or 6) whose answer is still owed after an ability was used in it.
    int owedDraw_ = 0;
    int continueChoice_ = -1;
    int hoveredOption_ = -1;
    TClientImages images_;
    bool winAtOnce_ = false;
    bool ritiAtOnce_ = false;
    // The message that a win had no reading is shown once per result.
    bool noReadingShown_ = false;
    ErrorSink errorSink_;
};

// The table client the mode tasks create for the human seat.
class TTaskMahjongGameHuman : public TTaskMahjongGame {
public:
    using TTaskMahjongGame::TTaskMahjongGame;
};

}  // namespace game::client
