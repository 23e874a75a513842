#pragma once
// The table client with an automatic player in place of the human: the choices the client asks
// for are made by the computer player's logic on the client's own table, the result pages are
// clicked through, the dealer goes on when it may, and the end screen ends the match. Its host
// is a frame of its own whose clock the driver moves on. Tests and the match simulator seat it
// to run whole matches through the real client.
#include <boost/shared_ptr.hpp>
#include <functional>
#include <string>
#include <vector>

#include "framework/random.h"
#include "game/client/mahjong_game.h"

namespace game::server {
class TTaskGame;
class TMahjongThinkDef;
}  // namespace game::server

namespace game::mode {

// A frame that clicks the primary button on every frame with the pointer at (1, 1), and
// records what the client asked of the music and the effects.
class TAutoHost : public client::TClientHost {
public:
    // One frame of 16 ms.
    void nextFrame() { time_ += 16; }

    u32 frameTime() const override { return time_; }
    bool isMouseAction() const override { return true; }
    int mouseX() const override { return 1; }
    int mouseY() const override { return 1; }
    u32 pressedButtons() const override { return 0x10000000u; }
    void forceHitTest() override {}
    void invalidate() override {}
    void playSe(int id) override { effects.push_back(id); }
    void stopMusic() override { playing.clear(); }
    void playMusic(const std::string& name) override { playing = name; }
    int musicVolume() const override { return volume; }
    void setMusicVolume(int v) override { volume = v; }

    std::vector<int> effects;
    std::string playing;
    int volume = 255;

private:
    u32 time_ = 0;
};

class TAutoClient : public client::TTaskMahjongGameHuman {
public:
    // tieBreak: the hand evaluator's generator for this seat's decisions (not owned).
    TAutoClient(server::TTaskGame* server, TRandom* tieBreak);
    ~TAutoClient() override;

    TAutoHost& autoHost() { return host_; }
    // Called when a server message has been applied to the client's table; queueEmpty tells
    // whether nothing else is queued (then the server has done nothing since it sent it).
    using Observer = std::function<void(TAutoClient& client, u32 code, bool queueEmpty)>;
    void setObserver(Observer observer) { observer_ = std::move(observer); }
    // Client errors ("[ERROR] Client::..." lines) and choices the automatic player could not make.
    const std::vector<std::string>& problems() const { return problems_; }
    int choicesMade() const { return choices_; }

    void updateInput() override;

protected:
    client::TClientRect continueButtonRect(int index) const override;
    client::TClientRect endButtonRect(int index) const override;
    void onApplied(u32 code) override;

private:
    void choose();

    server::TTaskGame* room_;
    TRandom* tieBreak_;
    TAutoHost host_;
    boost::shared_ptr<server::TMahjongThinkDef> think_;
    Observer observer_;
    std::vector<std::string> problems_;
    int choices_ = 0;
};

}  // namespace game::mode
