#pragma once
// Messages from the server to the seats. Each has a constructor from its field values (the
// server's side) and one from received bytes (the seat's side) that never fails: a short message
// leaves the defaults. S_ADDPLAYER and S_STARTROOM decode into a fresh profile or rule object
// that the receiver hands in.
#include <boost/shared_ptr.hpp>
#include <map>

#include "game/packet.h"
#include "game/packets_c.h"
#include "game/profile.h"
#include "game/rule.h"

namespace game {

// S_ENTRY: the id that the server gives to the entering seat.
class TPacket_S_Entry : public TFieldPacket<TPacket_S_Entry> {
public:
    explicit TPacket_S_Entry(u8 playerId) : playerId(playerId) {}
    explicit TPacket_S_Entry(const std::vector<u8>& bytes) { readVector(bytes); }

    u8 playerId = 0;
    static constexpr auto fields() { return wire::fieldsOf<TPacket_S_Entry>(&TPacket_S_Entry::playerId); }
};

// S_ADDPLAYER: a seat's id, then its profile in the profile's own byte form.
class TPacket_S_AddPlayer : public TFieldPacket<TPacket_S_AddPlayer> {
public:
    TPacket_S_AddPlayer(u8 playerId, boost::shared_ptr<TProfile> profile)
        : playerId(playerId), profile(std::move(profile)) {}
    // Decodes into the given (fresh) profile.
    TPacket_S_AddPlayer(const std::vector<u8>& bytes, boost::shared_ptr<TProfile> profile)
        : profile(std::move(profile)) {
        readVector(bytes);
    }

    // The size is 1 plus the held profile's size (as it stands before decoding, when receiving).
    // The profile decodes the bytes after the id; on failure neither the id nor the profile changes.
    u8 playerId = 0;
    boost::shared_ptr<TProfile> profile;
    static constexpr auto fields() {
        using P = TPacket_S_AddPlayer;
        return wire::fieldsOf<P>(&P::playerId, &P::profile);
    }
};

// S_STARTROOM: the room's rule object in its byte form.
class TPacket_S_StartRoom : public TFieldPacket<TPacket_S_StartRoom> {
public:
    explicit TPacket_S_StartRoom(boost::shared_ptr<TRule> rule) : rule(std::move(rule)) {}
    TPacket_S_StartRoom(const std::vector<u8>& bytes, boost::shared_ptr<TRule> rule) : rule(std::move(rule)) {
        readVector(bytes);
    }

    boost::shared_ptr<TRule> rule;
    static constexpr auto fields() { return wire::fieldsOf<TPacket_S_StartRoom>(&TPacket_S_StartRoom::rule); }
};

// S_RESULT: the final rank of every seated player, by player id.
class TPacket_S_Result : public TFieldPacket<TPacket_S_Result> {
public:
    TPacket_S_Result() = default;
    explicit TPacket_S_Result(const std::vector<u8>& bytes) { readVector(bytes); }
    // Stores value under the id, replacing an earlier one.
    virtual void set(i8 playerId, i8 value) { entries[playerId] = value; }

    // A signed count, then (id, value) pairs in ascending signed id. A read fails on a negative
    // count or fewer than 2n bytes after it.
    std::map<i8, i8> entries;
    static constexpr auto fields() {
        return wire::fieldsOf<TPacket_S_Result>(wire::countedPairs(&TPacket_S_Result::entries));
    }
};

// S_SITDOWN and S_DEAL: one random number that every copy of the table builds from.
class TPacket_S_Value : public TFieldPacket<TPacket_S_Value> {
public:
    u32 value = 0;
    static constexpr auto fields() {
        using P = TPacket_S_Value;
        return wire::fieldsOf<P>(&P::value);
    }

protected:
    TPacket_S_Value() = default;
    explicit TPacket_S_Value(u32 value) : value(value) {}
};

class TPacket_S_Sitdown : public TPacket_S_Value {
public:
    explicit TPacket_S_Sitdown(u32 value) : TPacket_S_Value(value) {}
    explicit TPacket_S_Sitdown(const std::vector<u8>& bytes) { readVector(bytes); }
};

class TPacket_S_Deal : public TPacket_S_Value {
public:
    explicit TPacket_S_Deal(u32 value) : TPacket_S_Value(value) {}
    explicit TPacket_S_Deal(const std::vector<u8>& bytes) { readVector(bytes); }
};

// S_STARTUP and S_STARTROUND carry nothing.
class TPacket_S_Startup : public TPacket_C_Empty {
public:
    TPacket_S_Startup() = default;
    explicit TPacket_S_Startup(const std::vector<u8>&) {}
};

class TPacket_S_StartRound : public TPacket_C_Empty {
public:
    TPacket_S_StartRound() = default;
    explicit TPacket_S_StartRound(const std::vector<u8>&) {}
};

// S_TUMO, S_RINSHAN, S_RITI and S_SUTE: a seat and a tile (5 bytes).
class TPacket_S_SeatPai : public TFieldPacket<TPacket_S_SeatPai> {
public:
    u8 seat = 0;
    TPai pai;
    static constexpr auto fields() {
        using P = TPacket_S_SeatPai;
        return wire::fieldsOf<P>(&P::seat, &P::pai);
    }

protected:
    TPacket_S_SeatPai() = default;
    TPacket_S_SeatPai(u8 seat, const TPai& pai) : seat(seat), pai(pai) {}
};

class TPacket_S_Tumo : public TPacket_S_SeatPai {
public:
    TPacket_S_Tumo(u8 seat, const TPai& pai) : TPacket_S_SeatPai(seat, pai) {}
    explicit TPacket_S_Tumo(const std::vector<u8>& bytes) { readVector(bytes); }
};

class TPacket_S_Rinshan : public TPacket_S_SeatPai {
public:
    TPacket_S_Rinshan(u8 seat, const TPai& pai) : TPacket_S_SeatPai(seat, pai) {}
    explicit TPacket_S_Rinshan(const std::vector<u8>& bytes) { readVector(bytes); }
};

class TPacket_S_Riti : public TPacket_S_SeatPai {
public:
    TPacket_S_Riti(u8 seat, const TPai& pai) : TPacket_S_SeatPai(seat, pai) {}
    explicit TPacket_S_Riti(const std::vector<u8>& bytes) { readVector(bytes); }
};

class TPacket_S_Sute : public TPacket_S_SeatPai {
public:
    TPacket_S_Sute(u8 seat, const TPai& pai) : TPacket_S_SeatPai(seat, pai) {}
    explicit TPacket_S_Sute(const std::vector<u8>& bytes) { readVector(bytes); }
};

// S_PON and S_TI: the caller, the discarder, the called tile and the two hand tiles (14 bytes).
class TPacket_S_Call : public TFieldPacket<TPacket_S_Call> {
public:
    u8 seat = 0;
    u8 from = 0;  // the player whose discard was called
    TPai called;
    TPai meld1;
    TPai meld2;
    static constexpr auto fields() {
        using P = TPacket_S_Call;
        return wire::fieldsOf<P>(&P::seat, &P::from, &P::called, &P::meld1, &P::meld2);
    }

protected:
    TPacket_S_Call() = default;
    TPacket_S_Call(u8 seat, u8 from, const TPai& called, const TPai& meld1, const TPai& meld2)
        : seat(seat), from(from), called(called), meld1(meld1), meld2(meld2) {}
};

class TPacket_S_Pon : public TPacket_S_Call {
public:
    TPacket_S_Pon(u8 seat, u8 from, const TPai& called, const TPai& meld1, const TPai& meld2)
        : TPacket_S_Call(seat, from, called, meld1, meld2) {}
    explicit TPacket_S_Pon(const std::vector<u8>& bytes) { readVector(bytes); }
};

class TPacket_S_Ti : public TPacket_S_Call {
public:
    TPacket_S_Ti(u8 seat, u8 from, const TPai& called, const TPai& meld1, const TPai& meld2)
        : TPacket_S_Call(seat, from, called, meld1, meld2) {}
    explicit TPacket_S_Ti(const std::vector<u8>& bytes) { readVector(bytes); }
};

// S_KAN: the kan maker, the discarder (or the maker for a kan from the hand), tile, kind (7 bytes).
class TPacket_S_Kan : public TFieldPacket<TPacket_S_Kan> {
public:
    TPacket_S_Kan(u8 seat, u8 from, const TPai& pai, int kanKind)
        : seat(seat), from(from), pai(pai), kanKind(kanKind) {}
    explicit TPacket_S_Kan(const std::vector<u8>& bytes) { readVector(bytes); }

    u8 seat = 0;
    u8 from = 0;
    TPai pai;
    int kanKind = 0;  // 5 concealed, 6 on a discard, 7 added to a pon; a signed byte on the wire
    static constexpr auto fields() {
        using P = TPacket_S_Kan;
        return wire::fieldsOf<P>(&P::seat, &P::from, &P::pai, wire::signedByte(&P::kanKind));
    }
};

class TPacket_S_Fake : public TPacket_Fake {
public:
    TPacket_S_Fake(u8 seat, u32 ability, u32 value, const TPai& pai) : TPacket_Fake(seat, ability, value, pai) {}
    // The server's answer to a C_DOFAKE: its seat, ability and tile with the server's value.
    TPacket_S_Fake(const TPacket_C_DoFake& asked, u32 value)
        : TPacket_Fake(asked.seat, asked.ability, value, asked.pai) {}
    explicit TPacket_S_Fake(const std::vector<u8>& bytes) { readVector(bytes); }
};

// S_NEXT: whose turn comes next; bit 0 of the flags: the wall is down to the dead wall.
class TPacket_S_Next : public TFieldPacket<TPacket_S_Next> {
public:
    TPacket_S_Next(u8 seat, bool exhausted) : seat(seat), exhausted(exhausted) {}
    explicit TPacket_S_Next(const std::vector<u8>& bytes) { readVector(bytes); }

    u8 seat = 0;
    bool exhausted = false;
    static constexpr auto fields() {
        using P = TPacket_S_Next;
        return wire::fieldsOf<P>(&P::seat, wire::flag(&P::exhausted, 1));
    }
};

// S_NEXTROUND: bit 0, the continue flag that every seat copies into its C_NEXTROUND.
class TPacket_S_NextRound : public TFieldPacket<TPacket_S_NextRound> {
public:
    explicit TPacket_S_NextRound(bool continueFlag) : continueFlag(continueFlag) {}
    explicit TPacket_S_NextRound(const std::vector<u8>& bytes) { readVector(bytes); }

    bool continueFlag = false;
    static constexpr auto fields() {
        return wire::fieldsOf<TPacket_S_NextRound>(wire::flag(&TPacket_S_NextRound::continueFlag, 1));
    }
};

}  // namespace game
