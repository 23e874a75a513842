#include "app/lobby_screen.h"

#include <algorithm>
#include <cstdio>

#include "app/app_texts.h"
#include "app/main_frame.h"
#include "app/rule_setup_sprites.h"
#include "app/task_title.h"
#include "framework/dialog.h"
#include "framework/profile.h"
#include "framework/window.h"
#include "game/client/table_sprites.h"
#include "game/mode/mode_task.h"
#include "platform/message_box.h"
#include "platform/window_messages.h"
#include "storage/storage.h"

namespace app {

namespace {

constexpr uint32_t kDecide = 0x10000010u;
constexpr uint32_t kCancel = 0x20000020u;
constexpr uint32_t kChatKey = 0x00100000u;
constexpr int kCharacters = 14;
constexpr int kRandom = 14;

using setupsprites::append;
using setupsprites::hits;

TMainFrame& frame() { return *mainFrame(); }

void playLobbyMusic() {
    TBgm& music = frame().musicPlayer();
    music.stop();
    if (music.open("bgm\\bgm04.ogg")) music.play(true);
}

void invalidateScreen() {
    if (graphics::TGraphic* g = frame().graphicObject()) g->invalidate();
}

// The chat dialog holds the frame while it is open: meanwhile it keeps the lobby's network
// served, so that messages do not pile up and newcomers still get in.
class LobbyChatDialog : public TChatDialog {
public:
    static constexpr uintptr_t kPumpTimer = 200;

    LobbyChatDialog(net::TTaskNet* lobby, const std::string& prompt, const std::string& caption)
        : TChatDialog("", prompt.c_str(), caption.c_str()), lobby_(lobby) {}

    intptr_t handleMessage() override {
        if (message_ == platform::WM_TIMER && wParam_ == kPumpTimer) {
            if (lobby_) lobby_->pump();
            return 1;
        }
        const intptr_t result = TChatDialog::handleMessage();
        if (message_ == platform::WM_INITDIALOG) setTimer(kPumpTimer, TMainFrame::kFrameMs);
        return result;
    }

private:
    net::TTaskNet* lobby_;
};

bool commandLineGiven = false;
std::string commandLineHost;
uint16_t commandLinePort = 0;
bool commandLineHasPort = false;

}  // namespace

bool LobbyView::askServe() {
    return frame().messageBox("accept ? if not connect.", identity::kAppName, platform::MB_YESNO) == platform::IDYES;
}

void LobbyView::report(const std::string& text) { frame().messageBox(text, identity::kAppName, platform::MB_OK); }

int LobbyView::ruleChoice() {
    TInput& in = frame().input();
    TRuleSetupSprites& s = ruleSetupSprites();
    const int before = cursor_;
    if (in.isMouseAction()) {
        cursor_ = -1;
        for (int i = 0; i < 6; ++i)
            if (hits(s.rule, 3 * i + 2, in.cursorX(), in.cursorY())) cursor_ = i;
    }
    if (cursor_ != before) invalidateScreen();
    if (cursor_ >= 0 && (in.pressedBits() & kDecide)) return cursor_;
    if (in.pressedBits() & kCancel) return cursor_ = 5;
    return -1;
}

int LobbyView::characterChoice() {
    TInput& in = frame().input();
    TRuleSetupSprites& s = ruleSetupSprites();
    const net::TTaskNet* lobby = dynamic_cast<net::TTaskNet*>(frame().find(kTaskLobby));
    const size_t chosen = lobby ? lobby->chosen().size() : 0;
    const size_t players = lobby ? static_cast<size_t>(lobby->rule().players) : 4;
    const int before = cursor_;
    if (in.isMouseAction()) {
        const int x = in.cursorX(), y = in.cursorY();
        cursor_ = -1;
        if (chosen >= players && hits(s.button, 1, x, y)) cursor_ = 0;
        for (int b : {2, 3})
            if (hits(s.button, 3 * b + 1, x, y)) cursor_ = b;
        if (chosen < players)
            for (int k = 0; k <= kRandom; ++k)
                if (hits(s.select, 3 * k, x, y)) cursor_ = 4 + k;
    }
    if (cursor_ != before) invalidateScreen();
    if (cursor_ >= 0 && (in.pressedBits() & kDecide)) return cursor_;
    if (in.pressedBits() & kCancel) return -2;
    return -1;
}

bool LobbyView::chatRequested(std::string& text) {
    if (!(frame().input().pressedBits() & kChatKey)) return false;
    const std::string prompt = apptext::chatPrompt();
    const std::string caption = apptext::chatCaption();
    LobbyChatDialog dialog(lobby_, prompt, caption);
    const int answer = dialog.doModal(frame().window() ? frame().window()->handle() : nullptr);
    // The key that opened the dialog is not seen again when it closes.
    frame().input().clearPresses();
    if (answer != 1 || dialog.text().empty()) return false;
    text = dialog.text();
    return true;
}

void LobbyView::startMatch(const mahjong::TRule& rule, const std::vector<int>& seats) {
    frame().musicPlayer().stop();
    initMahjongNet();
    auto* match = new TTaskMahjongNet;
    match->setRule(rule);
    match->createProfiles(rule.players);
    for (int i = 0; i < 4; ++i) {
        char name[12];
        std::snprintf(name, sizeof name, "%d", i);
        const int c = i < static_cast<int>(seats.size()) && seats[static_cast<size_t>(i)] >= 0 ? seats[i] : 0;
        match->setProfile(i, name, static_cast<uint32_t>(c), 0, 0);
    }
    if (frame().add(kTaskMatch, match, 0) < 0) {
        delete match;
        return;
    }
    match_ = match;
    frame().fade().setMode(graphics::TFade::kModeFill);
    frame().fade().fadeIn(300, -1);
}

bool LobbyView::matchFinished(bool& continueLobby) {
    // A match that could not be added counts as over at once, and the lobby goes on.
    if (match_ && !match_->isFinished()) return false;
    continueLobby = !match_ || match_->isRetry();
    if (match_) match_->kill();
    match_ = nullptr;
    game::client::releaseMahjongSprites();
    cursor_ = -1;
    frame().input().setPrevious(-1, -1);
    frame().input().setMoved(true);
    if (continueLobby) playLobbyMusic();
    return true;
}

void LobbyView::returnToTitle() {
    frame().musicPlayer().stop();
    if (!frame().find(kTaskTitle)) frame().add(kTaskTitle, new TTaskTitle, 0);
}

void LobbyView::redraw() { invalidateScreen(); }

void LobbyView::resetCursor() {
    // The last screen's button would otherwise stand for something else on this one.
    cursor_ = -1;
    frame().input().setMoved(true);
}

bool LobbyView::readyToAsk() {
    const int32_t state = frame().fade().state();
    return state != graphics::TFade::kFadingIn && state != graphics::TFade::kFadingOut;
}

void LobbyView::draw(const net::TTaskNet& lobby, net::TLog& log) {
    graphics::TGrTableObj* table = frame().graphicObject();
    if (!table) return;
    const int mode = lobby.screenMode();
    if (mode >= 4) return;
    TRuleSetupSprites& s = ruleSetupSprites();
    const std::vector<int>& chosen = lobby.chosen();
    const int players = lobby.rule().players;
    if (mode == 1) {
        // The serve-or-join question stands over the lobby's backgrounds.
        append(*table, 0, s.rule, 0);
        append(*table, 0, s.rule, 1);
    }
    if (mode == 2 || mode == 3) {
        for (int k = 0; k <= kRandom; ++k) {
            const bool chosenK = std::find(chosen.begin(), chosen.end(), k) != chosen.end();
            if (mode == 3 && cursor_ == 4 + k) {
                append(*table, 10, s.select, 3 * k);
                if (k < kCharacters) {
                    append(*table, 30, s.preview, k);
                    append(*table, 30, s.namePlate, k);
                }
            } else if (chosenK) {
                append(*table, 10, s.select, 3 * k + 1);
            }
        }
        for (size_t seat = 0; seat < chosen.size() && seat < 4; ++seat) {
            append(*table, 20, s.character, 15 * static_cast<int>(seat) + 1 + chosen[seat]);
            append(*table, 20, s.name, 14 * static_cast<int>(seat) + chosen[seat]);
        }
        append(*table, 20, s.summary, lobby.rule().gameLength == 0 ? 0 : 1);
        append(*table, 20, s.summary, lobby.rule().openTanyao ? 2 : 3);
    }
    if (mode == 2) {
        append(*table, 0, s.rule, 0);
        append(*table, 0, s.rule, 1);
        const mahjong::TRule& r = lobby.rule();
        for (int i = 0; i < 6; ++i) {
            int state = 0;
            if ((i == 0 && r.gameLength == 0) || (i == 1 && r.gameLength == 1) || (i == 2 && r.openTanyao) ||
                (i == 3 && !r.openTanyao))
                state = 2;
            if (i == cursor_) state = 1;
            append(*table, 20, s.rule, 3 * i + 2 + state);
        }
    } else if (mode == 3) {
        append(*table, 0, s.button, 0);
        const int count = static_cast<int>(chosen.size());
        append(*table, 10, s.button, cursor_ == 0 ? 2 : count == players ? 3 : 1);
        for (int b : {2, 3}) append(*table, 10, s.button, 3 * b + 1 + (cursor_ == b ? 1 : 0));
        if (count < players && count < 4) append(*table, 20, s.character, 15 * count);
    }
    log.draw(kLogLeft, kLogTop, kLogDepth);
}

uint16_t TTaskLobby::defaultPort = net::TGameController::kDefaultPort;

bool TTaskLobby::setCommandLineAddress(const std::string& text) {
    std::string host;
    uint16_t port = 0;
    if (!net::parseHostPort(text, host, port)) return false;
    commandLineGiven = true;
    commandLineHost = host;
    commandLinePort = port;
    commandLineHasPort = port != 0;
    return true;
}

void TTaskLobby::clearCommandLineAddress() {
    commandLineGiven = commandLineHasPort = false;
    commandLineHost.clear();
    commandLinePort = 0;
}

TTaskLobby::TTaskLobby() : TTaskNet(LobbyParts::view, LobbyParts::log) {
    port = defaultPort;
    LobbyParts::view.setLobby(this);
    if (TMainFrame* f = mainFrame()) random = &f->random();
    // The log's lines go into the frame's text objects for the frame being drawn, each cut to
    // the log's area.
    LobbyParts::log.setTextOut([](const std::string& text, int x, int y, uint32_t colour, int depth) {
        TMainFrame* f = mainFrame();
        graphics::TGrTableObj* table = f ? f->graphicObject() : nullptr;
        if (!table || f->fonts().empty()) return;
        const int width = LobbyView::kLogRight - x, height = LobbyView::kLogBottom - y;
        if (width <= 0 || height <= 0) return;
        graphics::TTextObj* line = f->takeTextObj();
        line->setFont(&f->fonts()[0]);
        line->setColor(colour);
        line->setText(text);
        line->render();
        if (!line->getSurface()) return;
        line->setSourceRect(graphics::RECT{0, 0, std::min(width, line->getSurface()->width()),
                                           std::min(height, line->getSurface()->height())});
        line->setPos(x, y);
        line->setVisible(true);
        table->add(depth, line);
    });
}

void TTaskLobby::readAddress() {
    TProfile profile;
    if (profile.open(frame().settingsPath(), "Net")) {
        const std::string text = profile.getString("Host", "");
        std::string named;
        uint16_t unused = 0;
        if (!text.empty() && net::parseHostPort(text, named, unused) && named == text)
            host = text;
        else if (!text.empty())
            lobbyLog().log("The settings' Host is no host name: " + host + " is joined");
        const int number = profile.getInt("Port", 0);
        if (number >= 1 && number <= 65535)
            port = static_cast<uint16_t>(number);
        else if (number != 0)
            lobbyLog().log("The settings' Port is no port: " + std::to_string(port) + " is used");
    }
    if (commandLineGiven) {
        host = commandLineHost;
        if (commandLineHasPort) port = commandLinePort;
    }
}

TTaskLobby::~TTaskLobby() = default;

bool TTaskLobby::Start() {
    if (TStorage* store = TStorage::instance()) LobbyParts::log.open(store->fullPath("net.log"));
    readAddress();
    loadRuleSetupSprites();
    playLobbyMusic();
    frame().fade().setMode(graphics::TFade::kModeFill);
    frame().fade().fadeIn(500, -1);
    return TTaskNet::Start();
}

void TTaskLobby::update() {
    TTaskNet::update();
    LobbyParts::view.draw(*this, LobbyParts::log);
}

TTask* makeLobbyTask() { return new TTaskLobby; }

}  // namespace app
