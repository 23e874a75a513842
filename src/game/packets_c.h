#pragma once
// Messages from a seat to the server. Each class has a constructor from its field values (the
// sender's side) and one from received bytes (the server's side), which never fails: a short
// message leaves the defaults (tiles empty, numbers 0, flags false).
#include "game/packet.h"
#include "mahjong/pai.h"

namespace game {

using mahjong::TPai;

// C_SITDOWN, C_STARTUP, C_DEAL, C_STARTROUND: acknowledgements without fields.
class TPacket_C_Empty : public TFieldPacket<TPacket_C_Empty> {
public:
    static constexpr auto fields() { return wire::fieldsOf<TPacket_C_Empty>(); }
};

class TPacket_C_Sitdown : public TPacket_C_Empty {
public:
    TPacket_C_Sitdown() = default;
    explicit TPacket_C_Sitdown(const std::vector<u8>&) {}
};
class TPacket_C_Startup : public TPacket_C_Empty {
public:
    TPacket_C_Startup() = default;
    explicit TPacket_C_Startup(const std::vector<u8>&) {}
};
class TPacket_C_Deal : public TPacket_C_Empty {
public:
    TPacket_C_Deal() = default;
    explicit TPacket_C_Deal(const std::vector<u8>&) {}
};
class TPacket_C_StartRound : public TPacket_C_Empty {
public:
    TPacket_C_StartRound() = default;
    explicit TPacket_C_StartRound(const std::vector<u8>&) {}
};

// C_TUMO and C_RINSHAN: the drawer's choice after a draw (13 bytes).
class TPacket_C_DrawAction : public TFieldPacket<TPacket_C_DrawAction> {
public:
    u8 seat = 0;
    u32 action = 0;  // one claim bit: 0x40 tumo win, 0x10 riichi, 0x80 nine terminals, 8 own kan, 0x100 discard
    TPai drawn;      // the tile just drawn
    TPai chosen;     // the discard, riichi discard or kan tile; empty for 0x40 and 0x80
    static constexpr auto fields() {
        using P = TPacket_C_DrawAction;
        return wire::fieldsOf<P>(&P::seat, &P::action, &P::drawn, &P::chosen);
    }

protected:
    TPacket_C_DrawAction() = default;
    TPacket_C_DrawAction(u8 seat, u32 action, const TPai& drawn, const TPai& chosen)
        : seat(seat), action(action), drawn(drawn), chosen(chosen) {}
};

class TPacket_C_Tumo : public TPacket_C_DrawAction {
public:
    TPacket_C_Tumo(u8 seat, u32 action, const TPai& drawn, const TPai& chosen)
        : TPacket_C_DrawAction(seat, action, drawn, chosen) {}
    explicit TPacket_C_Tumo(const std::vector<u8>& bytes) { readVector(bytes); }
};

class TPacket_C_Rinshan : public TPacket_C_DrawAction {
public:
    TPacket_C_Rinshan(u8 seat, u32 action, const TPai& drawn, const TPai& chosen)
        : TPacket_C_DrawAction(seat, action, drawn, chosen) {}
    explicit TPacket_C_Rinshan(const std::vector<u8>& bytes) { readVector(bytes); }
};

// C_PON and C_TI: the caller's discard after its call (9 bytes).
class TPacket_C_CallDiscard : public TFieldPacket<TPacket_C_CallDiscard> {
public:
    u8 seat = 0;
    TPai drawn;    // the caller's last drawn tile
    TPai discard;  // the tile it discards after the call
    static constexpr auto fields() {
        using P = TPacket_C_CallDiscard;
        return wire::fieldsOf<P>(&P::seat, &P::drawn, &P::discard);
    }

protected:
    TPacket_C_CallDiscard() = default;
    TPacket_C_CallDiscard(u8 seat, const TPai& drawn, const TPai& discard)
        : seat(seat), drawn(drawn), discard(discard) {}
};

class TPacket_C_Pon : public TPacket_C_CallDiscard {
public:
    TPacket_C_Pon(u8 seat, const TPai& drawn, const TPai& discard) : TPacket_C_CallDiscard(seat, drawn, discard) {}
    explicit TPacket_C_Pon(const std::vector<u8>& bytes) { readVector(bytes); }
};

class TPacket_C_Ti : public TPacket_C_CallDiscard {
public:
    TPacket_C_Ti(u8 seat, const TPai& drawn, const TPai& discard) : TPacket_C_CallDiscard(seat, drawn, discard) {}
    explicit TPacket_C_Ti(const std::vector<u8>& bytes) { readVector(bytes); }
};

// C_KAN: every seat's answer to S_KAN (10 bytes).
class TPacket_C_Kan : public TFieldPacket<TPacket_C_Kan> {
public:
    TPacket_C_Kan(u8 seat, u32 claim, const TPai& pai, int kanKind)
        : seat(seat), claim(claim), pai(pai), kanKind(kanKind) {}
    explicit TPacket_C_Kan(const std::vector<u8>& bytes) { readVector(bytes); }

    u8 seat = 0;
    u32 claim = 0;    // 0x20 robs the kan, else 0x8000
    TPai pai;         // the kan tile, copied from S_KAN
    int kanKind = 0;  // one signed byte on the wire, copied from S_KAN
    static constexpr auto fields() {
        using P = TPacket_C_Kan;
        return wire::fieldsOf<P>(&P::seat, &P::claim, &P::pai, wire::signedByte(&P::kanKind));
    }
};

// C_SUTE: every seat's answer to S_SUTE (17 bytes).
class TPacket_C_Sute : public TFieldPacket<TPacket_C_Sute> {
public:
    TPacket_C_Sute(u8 seat, u32 claim, const TPai& discard, const TPai& meld1 = TPai(), const TPai& meld2 = TPai())
        : seat(seat), claim(claim), discard(discard), meld1(meld1), meld2(meld2) {}
    explicit TPacket_C_Sute(const std::vector<u8>& bytes) { readVector(bytes); }

    u8 seat = 0;
    u32 claim = 0;  // 0x20 ron, 4 kan, 1 pon, 2 ti, 0x8000 no claim
    TPai discard;   // the discard being answered
    TPai meld1;     // for pon and ti the two hand tiles that join the discard; else empty
    TPai meld2;
    static constexpr auto fields() {
        using P = TPacket_C_Sute;
        return wire::fieldsOf<P>(&P::seat, &P::claim, &P::discard, &P::meld1, &P::meld2);
    }
};

// C_DOFAKE: a seat asks to use a special ability (9 bytes).
class TPacket_C_DoFake : public TFieldPacket<TPacket_C_DoFake> {
public:
    TPacket_C_DoFake(u8 seat, u32 ability, const TPai& pai) : seat(seat), ability(ability), pai(pai) {}
    explicit TPacket_C_DoFake(const std::vector<u8>& bytes) { readVector(bytes); }

    u8 seat = 0;
    u32 ability = 0;
    TPai pai;
    static constexpr auto fields() {
        using P = TPacket_C_DoFake;
        return wire::fieldsOf<P>(&P::seat, &P::ability, &P::pai);
    }
};

// S_FAKE and C_FAKE share one layout: seat, ability, the server's value, tile (13 bytes).
class TPacket_Fake : public TFieldPacket<TPacket_Fake> {
public:
    u8 seat = 0;
    u32 ability = 0;
    u32 value = 0;
    TPai pai;
    static constexpr auto fields() {
        using P = TPacket_Fake;
        return wire::fieldsOf<P>(&P::seat, &P::ability, &P::value, &P::pai);
    }

protected:
    TPacket_Fake() = default;
    TPacket_Fake(u8 seat, u32 ability, u32 value, const TPai& pai)
        : seat(seat), ability(ability), value(value), pai(pai) {}
};

class TPacket_C_Fake : public TPacket_Fake {
public:
    TPacket_C_Fake(u8 seat, u32 ability, u32 value, const TPai& pai) : TPacket_Fake(seat, ability, value, pai) {}
    explicit TPacket_C_Fake(const std::vector<u8>& bytes) { readVector(bytes); }
};

// C_NEXTROUND: one flag byte, bit 0 the continue flag, bit 1 the sender's game-over flag.
class TPacket_C_NextRound : public TFieldPacket<TPacket_C_NextRound> {
public:
    TPacket_C_NextRound(bool continueFlag, bool gameOver) : continueFlag(continueFlag), gameOver(gameOver) {}
    explicit TPacket_C_NextRound(const std::vector<u8>& bytes) { readVector(bytes); }

    bool continueFlag = false;
    bool gameOver = false;
    static constexpr auto fields() {
        using P = TPacket_C_NextRound;
        return wire::fieldsOf<P>(wire::flags(&P::continueFlag, 1, &P::gameOver, 2));
    }
};

}  // namespace game
