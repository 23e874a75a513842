#pragma once
// A tile: its kind, the role it plays in the hand, and two display flags.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace mahjong {

// Tile kind: 0-8 characters, 9-17 bamboo, 18-26 circles, 27-30 winds (east..north),
// 31-33 dragons, 34-35 special tiles, 36 no tile.
using TPaiKind = int;

enum : int {
    PAI_M1 = 0,
    PAI_S1 = 9,
    PAI_P1 = 18,
    PAI_EAST = 27,
    PAI_SOUTH = 28,
    PAI_WEST = 29,
    PAI_NORTH = 30,
    PAI_HAKU = 31,
    PAI_HATU = 32,  // the green dragon
    PAI_TYUN = 33,
    PAI_SPECIAL = 34,
    PAI_SPECIAL2 = 35,
    PAI_NONE = 36,
    PAI_KIND_COUNT = 36,  // kinds that can stand in a hand (0-35)
};

// The role a tile plays. 8-12 are only ever set by the winning-hand search.
using TPaiState = int;

enum : int {
    PS_FREE = 0,
    PS_TI_LOW = 1,  // lowest, middle, highest tile of a called sequence
    PS_TI_MID = 2,
    PS_TI_HIGH = 3,
    PS_PON = 4,     // open triplet (also a triplet completed by a discard)
    PS_ANKAN = 5,   // concealed kan
    PS_MINKAN = 6,  // open kan made on a discard
    PS_KAKAN = 7,   // kan made by adding to an open triplet
    PS_HEAD = 8,    // the pair
    PS_ANKO = 9,    // concealed triplet
    PS_SEQ_LOW = 10,
    PS_SEQ_MID = 11,
    PS_SEQ_HIGH = 12,
    PS_STATE_MAX = 12,
};

// Class codes returned by getClass.
enum : int {
    PC_NONE = 0,
    PC_WIND = 1,
    PC_DRAGON = 2,
    PC_MAN = 3,
    PC_SOU = 4,
    PC_PIN = 5,
    PC_SPECIAL = 8,
};

// Plain predicates on a kind, usable where no tile object exists.
constexpr bool isKindInHandRange(int kind) { return kind >= 0 && kind < PAI_KIND_COUNT; }
constexpr bool isSuitKind(int kind) { return kind >= 0 && kind <= 26; }
constexpr bool isHonourKind(int kind) { return kind >= 27 && kind <= 33; }
constexpr bool isWindKind(int kind) { return kind >= 27 && kind <= 30; }
constexpr bool isDragonKind(int kind) { return kind >= 31 && kind <= 33; }
constexpr int kindNumber(int kind) { return isSuitKind(kind) ? kind % 9 + 1 : 0; }
constexpr bool isTerminalKind(int kind) { return isSuitKind(kind) && (kind % 9 == 0 || kind % 9 == 8); }
constexpr bool isYaochuKind(int kind) { return isTerminalKind(kind) || isHonourKind(kind); }
constexpr bool isSimpleKind(int kind) { return isSuitKind(kind) && kind % 9 != 0 && kind % 9 != 8; }
constexpr int kindClass(int kind) {
    if (kind >= 0 && kind <= 8) return PC_MAN;
    if (kind >= 9 && kind <= 17) return PC_SOU;
    if (kind >= 18 && kind <= 26) return PC_PIN;
    if (isWindKind(kind)) return PC_WIND;
    if (isDragonKind(kind)) return PC_DRAGON;
    if (kind == 34 || kind == 35) return PC_SPECIAL;
    return PC_NONE;
}
// The kind an indicator of this kind points at (the dora).
constexpr int nextKind(int kind) {
    if (kind >= 0 && kind <= 8) return (kind + 1) % 9;
    if (kind >= 9 && kind <= 17) return (kind - 8) % 9 + 9;
    if (kind >= 18 && kind <= 26) return (kind - 17) % 9 + 18;
    if (isWindKind(kind)) return (kind - 26) % 4 + 27;
    if (isDragonKind(kind)) return (kind - 30) % 3 + 31;
    if (kind == 34 || kind == 35) return kind;
    return PAI_NONE;
}

class TPai {
public:
    TPai() = default;
    explicit TPai(int kind, int state = PS_FREE, uint8_t red = 0, uint8_t turned = 0)
        : kind(kind), state(state), red(red), turned(turned) {}
    TPai(const TPai&) = default;
    TPai& operator=(const TPai&) = default;
    virtual ~TPai() = default;

    virtual bool isValid() const { return kind >= 0 && kind <= 35; }
    virtual bool isKindSeqPos(int k, int pos) const { return kind == k && isSeqPos(pos, true); }
    virtual bool isKindSet(int k) const { return kind == k && isSet(true); }
    virtual int getClass() const { return kindClass(kind); }
    virtual bool isWind() const { return isWindKind(kind); }
    virtual bool isDragon() const { return isDragonKind(kind); }
    virtual bool isSuit0() const { return kind >= 0 && kind <= 8; }
    virtual bool isSuit1() const { return kind >= 9 && kind <= 17; }
    virtual bool isPin() const { return kind >= 18 && kind <= 26; }
    virtual bool isHonour() const { return isHonourKind(kind); }
    virtual bool isSuit() const { return isSuitKind(kind); }
    virtual bool isSpecial() const { return kind == 34 || kind == 35; }
    virtual int getNumber() const { return kindNumber(kind); }
    virtual bool isSimple() const { return isSimpleKind(kind); }
    virtual bool isTerminal() const { return isTerminalKind(kind); }
    virtual bool isYaochu() const { return isYaochuKind(kind); }
    virtual int getNext() const { return nextKind(kind); }
    virtual bool isFree() const { return state == PS_FREE; }
    virtual bool isHead() const { return state == PS_HEAD; }
    virtual bool isCalled() const { return state >= PS_TI_LOW && state <= PS_TI_HIGH; }
    // pos 0-2: lowest, middle, highest tile of a sequence; called sequences count only
    // when includeCalled is set.
    virtual bool isSeqPos(int pos, bool includeCalled) const {
        return state == pos + PS_SEQ_LOW || (includeCalled && state == pos + PS_TI_LOW);
    }
    virtual bool isAnkan() const { return state == PS_ANKAN; }
    virtual bool isAnko() const { return state == PS_ANKO || isAnkan(); }
    virtual bool isMinkan() const { return state == PS_MINKAN || state == PS_KAKAN; }
    virtual bool isMinko() const { return state == PS_PON; }
    virtual bool isSet(bool /*includeAll*/) const { return isAnko() || isMinko() || isMinkan(); }
    virtual bool isKan() const { return isAnkan() || isMinkan(); }
    virtual bool isOpen() const { return isMinko() || isMinkan() || isCalled(); }

    // Wire form: kind, state, flag bits (bit 0 red, bit 1 turned), 0.
    virtual size_t size() const { return 4; }
    virtual std::vector<uint8_t> toBytes() const;
    // Reads the wire form. Returns 0 and changes nothing when fewer than 4 bytes are given;
    // otherwise returns 4. A kind outside 0-36 reads as no tile (36) and a state outside
    // 0-12 as free, so that a damaged message can never index past a per-kind table.
    virtual size_t read(const uint8_t* bytes, size_t length);

    // Appends the wire form to a message being built.
    void appendTo(std::vector<uint8_t>& out) const;

    int kind = PAI_NONE;
    int state = PS_FREE;
    uint8_t red = 0;
    uint8_t turned = 0;
};

// Equal kind and red flag; state and turned flag are ignored.
inline bool isSamePai(const TPai& a, const TPai& b) { return a.kind == b.kind && a.red == b.red; }
// Kind ascending, a plain five before a red five.
inline bool lessPai(const TPai& a, const TPai& b) { return a.kind != b.kind ? a.kind < b.kind : a.red < b.red; }

// A discarded tile with its pond flag (cleared when another player claims it) and the
// table's turn counter at the time of the discard.
class TSutePai : public TPai {
public:
    TSutePai() = default;
    TSutePai(const TPai& pai, uint8_t inPond, int turn) : TPai(pai), inPond(inPond), turn(turn) {}

    uint8_t inPond = 1;
    int turn = 0;
};

}  // namespace mahjong
