#pragma once
// Network play on the game's screen: the lobby task with what it asks of the program (the
// serve-or-join question, its rule and character screens drawn from the free-play setup's
// pictures, the chat dialog, the match task and the way back to the title) and its log drawn in
// the frame's text objects. The title hub starts it under task id 4.
#include <cstdint>
#include <string>

#include "net/lobby.h"
#include "net/log.h"

class TTaskMahjongNet;

namespace app {

class LobbyView : public net::TLobbyHost {
public:
    // The lobby's log stands in the ten lines from (20, 20), clipped to that area.
    static constexpr int kLogLeft = 20, kLogTop = 20, kLogRight = 780, kLogBottom = 220, kLogDepth = 255;

    bool askServe() override;
    void report(const std::string& text) override;
    int ruleChoice() override;
    int characterChoice() override;
    bool chatRequested(std::string& text) override;
    void startMatch(const mahjong::TRule& rule, const std::vector<int>& seats) override;
    bool matchFinished(bool& continueLobby) override;
    void returnToTitle() override;
    void redraw() override;
    void resetCursor() override;
    bool readyToAsk() override;

    // The lobby's screen for this frame (nothing while its match runs).
    void draw(const net::TTaskNet& lobby, net::TLog& log);
    int cursor() const { return cursor_; }
    TTaskMahjongNet* match() const { return match_; }
    // The lobby whose network the chat dialog keeps serving while it is open.
    void setLobby(net::TTaskNet* lobby) { lobby_ = lobby; }

private:
    net::TTaskNet* lobby_ = nullptr;
    int cursor_ = -1;
    int preview_ = -1;
    TTaskMahjongNet* match_ = nullptr;
};

// The parts come first, so that the lobby task is built on them.
struct LobbyParts {
    net::TLog log;
    LobbyView view;
};

class TTaskLobby : private LobbyParts, public net::TTaskNet {
public:
    // The port a new lobby serves on and joins when the settings give none (tests take a free
    // one).
    static uint16_t defaultPort;
    // "HOST[:PORT]" from the program's command line: the server to join (and the port, also to
    // serve on), over the settings file. False for a text that is no such address.
    static bool setCommandLineAddress(const std::string& text);
    static void clearCommandLineAddress();

    TTaskLobby();
    ~TTaskLobby() override;

    // The log file "net.log", the lobby's music and the fade in, then the lobby's own start.
    bool Start() override;
    void update() override;

    LobbyView& view() { return LobbyParts::view; }
    net::TLog& lobbyLog() { return LobbyParts::log; }

private:
    // The server and port: section "Net" of the settings file ("Host", "Port"), then the
    // command line's address.
    void readAddress();
};

// The title hub's maker of the lobby.
TTask* makeLobbyTask();

}  // namespace app
