#include "game/mode/auto_client.h"

#include "game/packets_c.h"
#include "game/packets_round.h"
#include "game/packets_s.h"
#include "game/server/think.h"
#include "mahjong/player.h"

namespace game::mode {

using namespace game::server;

namespace {

// The computer player's logic on the client's table; what it would send is kept instead.
class TChoiceThink : public TMahjongThinkDef {
public:
    TChoiceThink(TPlayer* seat, u32 key, TRandom* random, client::TTaskMahjongGame& client)
        : TMahjongThinkDef(seat, key, random), client_(client) {}

    int send(u32 code, const boost::shared_ptr<TPacket>& packet) override {
        code_ = code;
        packet_ = packet;
        return 0;
    }
    int send(u32, const std::vector<u8>&) override { return 0; }
    int send(u32, const u8*, u32) override { return 0; }

    u32 code_ = 0;
    boost::shared_ptr<TPacket> packet_;

protected:
    mahjong::TTable* gameTable() const override { return client_.mirror(); }

private:
    client::TTaskMahjongGame& client_;
};

}  // namespace

TAutoClient::TAutoClient(server::TTaskGame* server, TRandom* tieBreak)
    : client::TTaskMahjongGameHuman(client::LINK_LOCAL, server), room_(server), tieBreak_(tieBreak) {
    setHost(&host_);
    setErrorSink([this](const std::string& text) { problems_.push_back(text); });
}

TAutoClient::~TAutoClient() { think_.reset(); }

client::TClientRect TAutoClient::continueButtonRect(int index) const {
    // The dealer goes on, as the computer players do.
    return index == 0 ? client::TClientRect{0, 0, 800, 600} : client::TClientRect{};
}

client::TClientRect TAutoClient::endButtonRect(int index) const {
    // The second button ends the match.
    return index == 1 ? client::TClientRect{0, 0, 800, 600} : client::TClientRect{};
}

void TAutoClient::onApplied(u32 code) {
    if (!think_ && room_) {
        TPlayer* seat = room_->player(static_cast<u32>(getOwnId())).get();
        const u32 key = profile() ? profile()->character() : 0;
        if (seat) think_.reset(new TChoiceThink(seat, key, tieBreak_, *this));
    }
    if (think_) {
        // Every message the computer player keeps or counts on; its answers are dropped.
        const std::vector<u8> bytes = lastMessage() ? lastMessage()->toBytes() : std::vector<u8>();
        if (code == S_DEAL)
            think_->onDeal();
        else
            think_->onReceive(static_cast<u32>(getOwnId()), code, bytes.empty() ? nullptr : bytes.data(),
                              static_cast<u32>(bytes.size()));
    }
    if (observer_) observer_(*this, code, !hasCmd());
}

void TAutoClient::updateInput() {
    if (isChoosing() && inputState() == client::IN_MENU) choose();
    client::TTaskMahjongGameHuman::updateInput();
}

void TAutoClient::choose() {
    mahjong::TPlayer* me = ownPlayer();
    auto* think = static_cast<TChoiceThink*>(think_.get());
    if (!me || !think) {
        problems_.push_back("no player to choose for");
        endChoice();
        return;
    }
    think->packet_.reset();
    think->step();
    const boost::shared_ptr<TPacket> answer = think->packet_;
    for (int i = 0; i < 3; ++i) me->setSelectPai(mahjong::TPai(), i);
    if (const auto d = boost::dynamic_pointer_cast<TPacket_C_DrawAction>(answer)) {
        me->setAction(d->action);
        me->setSelectPai(d->chosen, 0);
    } else if (const auto c = boost::dynamic_pointer_cast<TPacket_C_CallDiscard>(answer)) {
        me->setAction(CLAIM_SUTE);
        me->setSelectPai(c->discard, 0);
    } else if (const auto k = boost::dynamic_pointer_cast<TPacket_C_Kan>(answer)) {
        me->setAction(k->claim);
    } else if (const auto s = boost::dynamic_pointer_cast<TPacket_C_Sute>(answer)) {
        me->setAction(s->claim);
        me->setSelectPai(s->discard, 0);
        me->setSelectPai(s->meld1, 1);
        me->setSelectPai(s->meld2, 2);
    } else {
        problems_.push_back("the computer player made no choice in round state " + std::to_string(roundState()));
        me->setAction(getChoiceActions() & CLAIM_NONE ? u32(CLAIM_NONE) : u32(CLAIM_SUTE));
        me->setSelectPai(me->lastTumo, 0);
    }
    if (!(me->getAction() & getChoiceActions()))
        problems_.push_back("choice " + std::to_string(me->getAction()) + " not among the allowed " +
                            std::to_string(getChoiceActions()));
    ++choices_;
    setInputState(client::IN_DONE);
}

}  // namespace game::mode
