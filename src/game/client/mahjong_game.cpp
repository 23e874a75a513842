// The table client's task: its steps, the queue loop of the room messages, and the phases of the
// game up to the round (seating, start-up, deal) and after it (the move to the next hand).
#include "game/client/mahjong_game.h"

#include <cstdio>
#include <iostream>

#include "game/packets_c.h"
#include "mahjong/player.h"

namespace game::client {

namespace {

TNullClientHost& nullHost() {
    static TNullClientHost host;
    return host;
}

}  // namespace

int TMahjongPlayer::tickWait() {
    if (waitKind_ == WAIT_NONE) return waitFrames_;
    if (--waitFrames_ <= 0) {
        waitFrames_ = 0;
        waitKind_ = WAIT_NONE;
    }
    return waitFrames_;
}

TTaskMahjongGame::TTaskMahjongGame(int linkKind, ServerLink* server, TClientHost* host)
    : TTaskGame(linkKind, server), host_(host ? host : &nullHost()) {}

TTaskMahjongGame::~TTaskMahjongGame() {
    lastMessage_.reset();
    lastSent_.reset();
}

void TTaskMahjongGame::setHost(TClientHost* host) { host_ = host ? host : &nullHost(); }

TPlayerPtr TTaskMahjongGame::createPlayer() { return TPlayerPtr(new TMahjongPlayer(this)); }

mahjong::TTable* TTaskMahjongGame::mirror() const {
    auto* self = const_cast<TTaskMahjongGame*>(this);
    auto table = boost::dynamic_pointer_cast<TMahjongTable>(self->table());
    return table ? &table->table() : nullptr;
}

mahjong::TPlayer* TTaskMahjongGame::ownPlayer() const {
    mahjong::TTable* t = mirror();
    return t ? t->getPlayer(getOwnId()).get() : nullptr;
}

TMahjongPlayer* TTaskMahjongGame::mahjongPlayer(int id) const {
    return dynamic_cast<TMahjongPlayer*>(getPlayer(id).get());
}

void TTaskMahjongGame::startChoice(u32 menu, u32 actions, u32 third) {
    resetChoice(IN_MENU);
    choiceMenu_ = menu;
    choiceActions_ = actions;
    choiceThird_ = third;
}

void TTaskMahjongGame::resetChoice(int inputState) {
    choiceMenu_ = 0;
    choiceActions_ = 0;
    choosing_ = true;
    setInputState(inputState);
}

int TTaskMahjongGame::classifyTile(int x) const {
    if (highlight_.count(x)) return 1;
    return selTeSet_.has(x) ? 0 : 2;
}

int TTaskMahjongGame::toRelativeSeat(int direction) {
    switch (direction) {
        case mahjong::TD_SHIMO:
            return 1;
        case mahjong::TD_TOIMEN:
            return 2;
        case mahjong::TD_KAMI:
            return 3;
        default:
            return 0;
    }
}

void TTaskMahjongGame::setRoundState(int n) {
    roundState_ = n < 0 ? roundState_ + 1 : n;
    roundSubState_ = 0;
}

void TTaskMahjongGame::setRoundSubState(int n) { roundSubState_ = n < 0 ? roundSubState_ + 1 : n; }

void TTaskMahjongGame::setInputState(int n) {
    inputState_ = n < 0 ? inputState_ + 1 : n;
    inputSubState_ = 0;
}

void TTaskMahjongGame::setInputSubState(int n) { inputSubState_ = n < 0 ? inputSubState_ + 1 : n; }

void TTaskMahjongGame::logError(const std::string& text) const {
    if (errorSink_)
        errorSink_(text);
    else
        std::cerr << text << '\n';
}

void TTaskMahjongGame::beginScreen() {
    hovered_ = -1;
    host().forceHitTest();
    host().invalidate();
}

int TTaskMahjongGame::send(u32 code, const boost::shared_ptr<TPacket>& packet) {
    lastSent_ = packet;
    return TTaskGame::send(code, packet);
}

bool TTaskMahjongGame::Start() {
    setRoundState(0);
    setInputState(0);
    choiceMenu_ = choiceActions_ = choiceThird_ = 0;
    choosing_ = false;
    owedDraw_ = 0;
    winAtOnce_ = ritiAtOnce_ = false;
    host().stopMusic();
    openImages();
    setStep(0, 0);
    return true;
}

void TTaskMahjongGame::End() {
    releaseImages();
    TTaskGame::End();
}

void TTaskMahjongGame::update() {
    switch (step()) {
        case 1:
            updateRoom();
            break;
        case 2:
            updateGame();
            break;
        case 3:
            updateEnd();
            break;
        default:
            break;
    }
    while (hasCmd()) {
        bool taken = false;
        switch (frontCmd()->code()) {
            case S_ENTRY:
                taken = onEntry();
                break;
            case S_ADDPLAYER:
                taken = onAddPlayer();
                break;
            case S_STARTROOM:
                taken = onStartRoom();
                break;
            case S_STARTGAME:
                taken = onStartGame();
                break;
            case S_RESULT:
                taken = onResult();
                break;
            default:
                break;
        }
        if (!taken) break;
        popCmd();
    }
}

bool TTaskMahjongGame::onEntry() {
    boost::shared_ptr<TPacket_S_Entry> m(new TPacket_S_Entry(frontCmd()->bytes()));
    lastMessage_ = m;
    const int id = static_cast<int>(static_cast<i8>(m->playerId));
    setOwnId(id);
    if (!getPlayer(id)) {
        TPlayerPtr p = createPlayer();
        p->setup(id, profile());
        enterPlayer(p);
    }
    return true;
}

bool TTaskMahjongGame::onAddPlayer() {
    boost::shared_ptr<TMahjongProfile> profile(new TMahjongProfile);
    const TPacket_S_AddPlayer m(frontCmd()->bytes(), profile);
    const int id = static_cast<int>(m.playerId);
    if (!getPlayer(id)) {
        TPlayerPtr p = createPlayer();
        p->setup(id, profile);
        enterPlayer(p);
    }
    return true;
}

bool TTaskMahjongGame::onStartRoom() {
    const TPacket_S_StartRoom m(frontCmd()->bytes(), rule());
    setStep(1, 0);
    return true;
}

bool TTaskMahjongGame::onStartGame() {
    setStep(2, 0);
    return true;
}

void TTaskMahjongGame::updateRoom() {
    if (subStep() != 0) return;
    send(C_READY, std::vector<u8>());
    setSubStep(1);
}

void TTaskMahjongGame::updateGame() {
    switch (subStep()) {
        case 0:
            doSitdown();
            break;
        case 20:
            doStartup();
            break;
        case 30:
            doDeal();
            break;
        case 40:
            updateInput();
            doRound();
            break;
        case 50:
            doRoundResult();
            break;
        case 60:
            doNextRound();
            break;
        default:
            break;
    }
}

void TTaskMahjongGame::doSitdown() {
    if (!isFrontCmd(S_SITDOWN)) return;
    const TPacket_S_Sitdown m(frontCmd()->bytes());
    popCmd();
    mahjong::TTable* t = mirror();
    if (t) {
        // A table that served an earlier game starts empty again, as the server's does.
        t->seats.clear();
        for (const auto& [id, player] : players())
            t->addPlayer(mahjong::TPlayerPtr(new mahjong::TPlayer(t, static_cast<int>(id))));
        t->reset();
        t->decideSeats(m.value);
        for (const auto& seat : t->seats)
            if (seat) placeSeat(seat->playerId, t->getDirection(getOwnId(), seat->playerId));
        onApplied(S_SITDOWN);
    }
    send(C_SITDOWN, boost::shared_ptr<TPacket>(new TPacket_C_Sitdown));
    setSubStep(20);
}

void TTaskMahjongGame::doStartup() {
    if (!isFrontCmd(S_STARTUP)) return;
    popCmd();
    if (mahjong::TTable* t = mirror()) t->startup();
    send(C_STARTUP, boost::shared_ptr<TPacket>(new TPacket_C_Startup));
    setSubStep(30);
}

void TTaskMahjongGame::doDeal() {
    if (!isFrontCmd(S_DEAL)) return;
    const TPacket_S_Deal m(frontCmd()->bytes());
    popCmd();
    if (mahjong::TTable* t = mirror()) {
        t->startRound(m.value);
        if (t->isFirstRound()) t->decideOya(m.value + 1);
        t->deal(m.value + 2);
        t->updateSeats();
        onApplied(S_DEAL);
    }
    send(C_DEAL, boost::shared_ptr<TPacket>(new TPacket_C_Deal));
    startHandMusic();
    setRoundState(0);
    setSubStep(40);
}

void TTaskMahjongGame::startHandMusic() {
    // The dealer's music: the dealer is the seat the hand number points at.
    mahjong::TTable* t = mirror();
    const mahjong::TPlayerPtr dealer = t ? t->dealer() : mahjong::TPlayerPtr();
    const TPlayerPtr seat = dealer ? getPlayer(dealer->playerId) : TPlayerPtr();
    if (!seat || !seat->profile()) return;
    char name[32];
    std::snprintf(name, sizeof name, "bgm\\bgm%02u", static_cast<unsigned>(seat->profile()->dealerMusic()));
    host().stopMusic();
    host().playMusic(std::string(name) + ".ogg");
}

void TTaskMahjongGame::doNextRound() {
    if (!isFrontCmd(S_NEXTROUND)) return;
    const TPacket_S_NextRound m(frontCmd()->bytes());
    popCmd();
    mahjong::TTable* t = mirror();
    if (t) {
        t->nextRound(m.continueFlag);
        onApplied(S_NEXTROUND);
    }
    const bool over = t && t->gameOver;
    send(C_NEXTROUND, boost::shared_ptr<TPacket>(new TPacket_C_NextRound(m.continueFlag, over)));
    setSubStep(over ? 70 : 30);
}

}  // namespace game::client
