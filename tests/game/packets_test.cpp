// Every game message: its encoded size, decode(encode) identity, every too-short prefix refused
// with the defaults kept, and the byte vectors the messages are known by.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "game/packets_c.h"
#include "game/packets_round.h"
#include "game/packets_s.h"

using namespace game;
using mahjong::TPai;
using Bytes = std::vector<u8>;

namespace {

struct Case {
    const char* name;
    u32 code;
    u32 expectedSize;
    std::function<std::shared_ptr<TPacket>()> sample;              // a message with every field set
    std::function<std::shared_ptr<TPacket>(const Bytes&)> decode;  // the receiver's constructor
};

const TPai kRed5p(22, 0, 1, 0);
const TPai kTurned(31, 4, 0, 1);
const TPai k9s(17, 5, 0, 0);

boost::shared_ptr<TMahjongProfile> sampleProfile() {
    auto p = boost::shared_ptr<TMahjongProfile>(new TMahjongProfile);
    p->setName("\x83\x65\x83\x58\x83\x67");  // three Shift-JIS characters
    p->setCharacter(7);
    p->setDealerMusic(12);
    p->setRitiMusic(0x01020304);
    return p;
}

// Two score entries and three ids: 9 + 26 + 3 = 38 bytes.
mahjong::TRoundResult sampleResult() {
    mahjong::TRoundResult r;
    r.setAgari(mahjong::RE_RON, kRed5p, 2);
    r.ids = {0, 3, 1};
    r.scores[0] = {7700, 300, 1000};
    r.scores[2] = {-7700, -300, 0};
    return r;
}

boost::shared_ptr<TMahjongRule> sampleRule() {
    auto r = boost::shared_ptr<TMahjongRule>(new TMahjongRule);
    mahjong::TRule rec;
    rec.players = 3;
    rec.redFives = 1;
    rec.startPoints = 27000;
    rec.splitWall = true;
    r->setRule(rec);
    return r;
}

template <class T>
std::function<std::shared_ptr<TPacket>(const Bytes&)> plain() {
    return [](const Bytes& b) { return std::make_shared<T>(b); };
}

std::vector<Case> allCases() {
    return {
        {"S_Entry", S_ENTRY, 1, [] { return std::make_shared<TPacket_S_Entry>(3); }, plain<TPacket_S_Entry>()},
        {"S_AddPlayer", S_ADDPLAYER, 1 + 6 + 16,
         [] { return std::make_shared<TPacket_S_AddPlayer>(2, sampleProfile()); },
         [](const Bytes& b) {
             return std::make_shared<TPacket_S_AddPlayer>(b, boost::shared_ptr<TProfile>(new TMahjongProfile));
         }},
        {"S_StartRoom", S_STARTROOM, 20, [] { return std::make_shared<TPacket_S_StartRoom>(sampleRule()); },
         [](const Bytes& b) {
             return std::make_shared<TPacket_S_StartRoom>(b, boost::shared_ptr<TRule>(new TMahjongRule));
         }},
        {"S_Result", S_RESULT, 1 + 2 * 3,
         [] {
             auto p = std::make_shared<TPacket_S_Result>();
             p->set(0, 2);
             p->set(1, 0);
             p->set(3, 1);
             return p;
         },
         plain<TPacket_S_Result>()},
        {"C_Sitdown", C_SITDOWN, 0, [] { return std::make_shared<TPacket_C_Sitdown>(); }, plain<TPacket_C_Sitdown>()},
        {"C_Startup", C_STARTUP, 0, [] { return std::make_shared<TPacket_C_Startup>(); }, plain<TPacket_C_Startup>()},
        {"C_Deal", C_DEAL, 0, [] { return std::make_shared<TPacket_C_Deal>(); }, plain<TPacket_C_Deal>()},
        {"C_StartRound", C_STARTROUND, 0, [] { return std::make_shared<TPacket_C_StartRound>(); },
         plain<TPacket_C_StartRound>()},
        {"C_Tumo", C_TUMO, 13, [] { return std::make_shared<TPacket_C_Tumo>(2, CLAIM_SUTE, kRed5p, kTurned); },
         plain<TPacket_C_Tumo>()},
        {"C_Pon", C_PON, 9, [] { return std::make_shared<TPacket_C_Pon>(1, kRed5p, k9s); }, plain<TPacket_C_Pon>()},
        {"C_Ti", C_TI, 9, [] { return std::make_shared<TPacket_C_Ti>(3, k9s, kRed5p); }, plain<TPacket_C_Ti>()},
        {"C_Kan", C_KAN, 10, [] { return std::make_shared<TPacket_C_Kan>(1, CLAIM_RON, kTurned, 7); },
         plain<TPacket_C_Kan>()},
        {"C_Rinshan", C_RINSHAN, 13, [] { return std::make_shared<TPacket_C_Rinshan>(0, CLAIM_OWN_KAN, k9s, kRed5p); },
         plain<TPacket_C_Rinshan>()},
        {"C_Sute", C_SUTE, 17, [] { return std::make_shared<TPacket_C_Sute>(2, CLAIM_PON, kRed5p, TPai(22), kTurned); },
         plain<TPacket_C_Sute>()},
        {"C_DoFake", C_DOFAKE, 9, [] { return std::make_shared<TPacket_C_DoFake>(0, 0x80000005u, k9s); },
         plain<TPacket_C_DoFake>()},
        {"C_Fake", C_FAKE, 13, [] { return std::make_shared<TPacket_C_Fake>(3, 4, 0xDEADBEEFu, kRed5p); },
         plain<TPacket_C_Fake>()},
        {"C_RoundResult", C_ROUNDRESULT, 1 + 38 + 1,
         [] { return std::make_shared<TPacket_C_RoundResult>(3, sampleResult(), true); },
         plain<TPacket_C_RoundResult>()},
        {"C_NextRound", C_NEXTROUND, 1, [] { return std::make_shared<TPacket_C_NextRound>(true, true); },
         plain<TPacket_C_NextRound>()},
        {"S_Sitdown", S_SITDOWN, 4, [] { return std::make_shared<TPacket_S_Sitdown>(0x89ABCDEFu); },
         plain<TPacket_S_Sitdown>()},
        {"S_Startup", S_STARTUP, 0, [] { return std::make_shared<TPacket_S_Startup>(); }, plain<TPacket_S_Startup>()},
        {"S_Deal", S_DEAL, 4, [] { return std::make_shared<TPacket_S_Deal>(12345678u); }, plain<TPacket_S_Deal>()},
        {"S_StartRound", S_STARTROUND, 0, [] { return std::make_shared<TPacket_S_StartRound>(); },
         plain<TPacket_S_StartRound>()},
        {"S_Tumo", S_TUMO, 5, [] { return std::make_shared<TPacket_S_Tumo>(1, kRed5p); }, plain<TPacket_S_Tumo>()},
        {"S_Pon", S_PON, 14, [] { return std::make_shared<TPacket_S_Pon>(2, 1, kRed5p, TPai(22), TPai(22)); },
         plain<TPacket_S_Pon>()},
        {"S_Ti", S_TI, 14, [] { return std::make_shared<TPacket_S_Ti>(1, 0, TPai(3), TPai(4, 2), TPai(5, 3)); },
         plain<TPacket_S_Ti>()},
        {"S_Kan", S_KAN, 7, [] { return std::make_shared<TPacket_S_Kan>(3, 3, k9s, 5); }, plain<TPacket_S_Kan>()},
        {"S_Rinshan", S_RINSHAN, 5, [] { return std::make_shared<TPacket_S_Rinshan>(0, k9s); },
         plain<TPacket_S_Rinshan>()},
        {"S_Riti", S_RITI, 5, [] { return std::make_shared<TPacket_S_Riti>(2, kTurned); }, plain<TPacket_S_Riti>()},
        {"S_Sute", S_SUTE, 5, [] { return std::make_shared<TPacket_S_Sute>(3, kRed5p); }, plain<TPacket_S_Sute>()},
        {"S_Fake", S_FAKE, 13, [] { return std::make_shared<TPacket_S_Fake>(1, 9, 77, k9s); }, plain<TPacket_S_Fake>()},
        {"S_Next", S_NEXT, 2, [] { return std::make_shared<TPacket_S_Next>(2, true); }, plain<TPacket_S_Next>()},
        {"S_RoundResult", S_ROUNDRESULT, 38, [] { return std::make_shared<TPacket_S_RoundResult>(sampleResult()); },
         plain<TPacket_S_RoundResult>()},
        {"S_NextRound", S_NEXTROUND, 1, [] { return std::make_shared<TPacket_S_NextRound>(true); },
         plain<TPacket_S_NextRound>()},
    };
}

}  // namespace

TEST(GamePackets, EveryCodeEncodesToItsSizeAndDecodesToItself) {
    for (const Case& c : allCases()) {
        SCOPED_TRACE(c.name);
        auto msg = c.sample();
        const Bytes bytes = msg->toBytes();
        EXPECT_EQ(msg->size(), c.expectedSize);
        EXPECT_EQ(bytes.size(), c.expectedSize);
        EXPECT_EQ(c.decode(bytes)->toBytes(), bytes);

        // Bytes beyond what a message reads are ignored.
        Bytes longer = bytes;
        longer.push_back(0xAA);
        longer.push_back(0x55);
        EXPECT_EQ(c.decode(longer)->toBytes(), bytes);

        // No bytes behind a claimed length are no bytes at all.
        EXPECT_EQ(c.decode(Bytes())->read(nullptr, 1000), c.expectedSize == 0);
    }
}

TEST(GamePackets, EveryShorterPrefixIsRefusedAndKeepsTheDefaults) {
    for (const Case& c : allCases()) {
        SCOPED_TRACE(c.name);
        const Bytes full = c.sample()->toBytes();
        const Bytes defaults = c.decode(Bytes())->toBytes();
        for (size_t n = 0; n < full.size(); ++n) {
            SCOPED_TRACE(n);
            const Bytes prefix(full.begin(), full.begin() + static_cast<long>(n));
            EXPECT_EQ(c.decode(prefix)->toBytes(), defaults);

            // And on a message that already holds values, a failed read changes nothing
            // (S_Result empties its map first by design).
            auto held = c.decode(full);
            EXPECT_FALSE(held->read(prefix.empty() ? nullptr : prefix.data(), static_cast<u32>(n)));
            if (c.code != S_RESULT) {
                EXPECT_EQ(held->toBytes(), full);
            }
        }
    }
}

TEST(GamePackets, EmptyAcknowledgementsDecodeFromNothing) {
    EXPECT_TRUE(TPacket_C_Sitdown().read(nullptr, 0));
    EXPECT_TRUE(TPacket_S_Startup().read(nullptr, 0));
    EXPECT_TRUE(TPacket_S_StartRound().read(nullptr, 0));
    EXPECT_TRUE(TPacket_C_Sitdown(Bytes()).toBytes().empty());
}

TEST(GamePackets, PlayerMessagesKnownBytes) {
    // A tumo win still carries the drawn tile and an empty chosen tile: 13 bytes.
    TPacket_C_Tumo win(1, CLAIM_TUMO, TPai(4), TPai());
    EXPECT_EQ(win.toBytes(), (Bytes{1, 0x40, 0, 0, 0, 4, 0, 0, 0, 36, 0, 0, 0}));

    // No claim on a discard: two empty tiles after it, still 17 bytes.
    TPacket_C_Sute pass(2, CLAIM_NONE, kRed5p);
    EXPECT_EQ(pass.toBytes(), (Bytes{2, 0x00, 0x80, 0, 0, 22, 0, 1, 0, 36, 0, 0, 0, 36, 0, 0, 0}));

    // C_Kan's kind is a signed byte.
    Bytes kan = TPacket_C_Kan(0, CLAIM_NONE, TPai(5), 7).toBytes();
    kan[9] = 0xFF;
    EXPECT_EQ(TPacket_C_Kan(kan).kanKind, -1);

    // C_NextRound: both flags are 0x03; the reader tests each bit alone.
    EXPECT_EQ(TPacket_C_NextRound(true, true).toBytes(), Bytes{3});
    EXPECT_EQ(TPacket_C_NextRound(false, true).toBytes(), Bytes{2});
    TPacket_C_NextRound fe(Bytes{0xFE});
    EXPECT_FALSE(fe.continueFlag);
    EXPECT_TRUE(fe.gameOver);

    // C_Fake from 12 bytes fails with all four fields at their defaults; from 13 it succeeds.
    Bytes fake = TPacket_C_Fake(3, 4, 5, kRed5p).toBytes();
    TPacket_C_Fake short12(Bytes(fake.begin(), fake.end() - 1));
    EXPECT_EQ(short12.seat, 0);
    EXPECT_EQ(short12.ability, 0u);
    EXPECT_EQ(short12.value, 0u);
    EXPECT_EQ(short12.pai.kind, 36);
    TPacket_C_Fake full13(fake);
    EXPECT_EQ(full13.value, 5u);
    EXPECT_EQ(full13.pai.red, 1);
}

TEST(GamePackets, ServerMessagesKnownBytes) {
    // S_Result encodes in ascending id order, whatever the order of set.
    TPacket_S_Result result;
    result.set(2, 5);
    result.set(0, 7);
    EXPECT_EQ(result.toBytes(), (Bytes{2, 0, 7, 2, 5}));
    result.set(2, 1);  // replaces
    EXPECT_EQ(result.toBytes(), (Bytes{2, 0, 7, 2, 1}));

    EXPECT_EQ(TPacket_S_Result().toBytes(), Bytes{0});
    TPacket_S_Result none(Bytes{0});
    EXPECT_TRUE(none.entries.empty());
    EXPECT_FALSE(TPacket_S_Result().read(Bytes{0x80}.data(), 1));  // a negative count
    TPacket_S_Result shortPairs(Bytes{2, 0, 1, 1});                // count 2, only 3 bytes follow
    EXPECT_TRUE(shortPairs.entries.empty());
    TPacket_S_Result repeated(Bytes{2, 1, 4, 1, 6});  // a repeated id keeps the last value
    ASSERT_EQ(repeated.entries.size(), 1u);
    EXPECT_EQ(repeated.entries[1], 6);
    TPacket_S_Result negativeIds(Bytes{2, 0xFF, 1, 0x01, 2});  // ids are signed: -1 sorts first
    EXPECT_EQ(negativeIds.toBytes(), (Bytes{2, 0xFF, 1, 0x01, 2}));

    // S_Kan: 6 bytes fail, 7 yield every field with the kind sign-extended.
    Bytes kan = TPacket_S_Kan(1, 2, TPai(9), 6).toBytes();
    EXPECT_FALSE(TPacket_S_Kan(1, 1, TPai(), 0).read(kan.data(), 6));
    kan[6] = 0xF9;
    TPacket_S_Kan k(kan);
    EXPECT_EQ(k.seat, 1);
    EXPECT_EQ(k.from, 2);
    EXPECT_EQ(k.pai.kind, 9);
    EXPECT_EQ(k.kanKind, -7);

    // S_Fake answers a C_DoFake with its seat, ability and tile.
    TPacket_C_DoFake ask(2, 11, kTurned);
    TPacket_S_Fake told(ask, 99);
    EXPECT_EQ(told.toBytes(), TPacket_C_Fake(2, 11, 99, kTurned).toBytes());

    // S_Next's flag byte is tested by bit 0 alone.
    TPacket_S_Next next(Bytes{3, 0xFE});
    EXPECT_EQ(next.seat, 3);
    EXPECT_FALSE(next.exhausted);
    EXPECT_EQ(TPacket_S_Next(1, true).toBytes(), (Bytes{1, 1}));

    // Numbers are little-endian.
    EXPECT_EQ(TPacket_S_Deal(0x01020304u).toBytes(), (Bytes{4, 3, 2, 1}));
}

TEST(GamePackets, RoomMessagesCarryProfileAndRule) {
    auto profile = sampleProfile();
    TPacket_S_AddPlayer add(5, profile);
    auto fresh = boost::shared_ptr<TMahjongProfile>(new TMahjongProfile);
    TPacket_S_AddPlayer got(add.toBytes(), fresh);
    EXPECT_EQ(got.playerId, 5);
    EXPECT_TRUE(*fresh == *profile);

    // A profile that does not fit leaves both the id and the profile alone.
    Bytes bad = add.toBytes();
    bad[1] = 0xFF;  // name length far beyond the message
    auto untouched = boost::shared_ptr<TMahjongProfile>(new TMahjongProfile);
    TPacket_S_AddPlayer refused(bad, untouched);
    EXPECT_EQ(refused.playerId, 0);
    EXPECT_TRUE(*untouched == TMahjongProfile());

    auto rule = sampleRule();
    auto into = boost::shared_ptr<TMahjongRule>(new TMahjongRule);
    TPacket_S_StartRoom room(TPacket_S_StartRoom(rule).toBytes(), into);
    EXPECT_EQ(into->playerNum(), 3u);
    EXPECT_TRUE(*into->rule() == *rule->rule());
}

TEST(GamePackets, RoundResultMessagesWrapTheBlock) {
    const Bytes block = sampleResult().write();
    ASSERT_EQ(block.size(), 38u);
    EXPECT_EQ(block[0], 38);
    EXPECT_EQ(TPacket_S_RoundResult(sampleResult()).toBytes(), block);
    EXPECT_TRUE(TPacket_S_RoundResult(block).result == sampleResult());

    Bytes c = TPacket_C_RoundResult(3, sampleResult(), false).toBytes();
    EXPECT_EQ(c.front(), 3);
    EXPECT_EQ(Bytes(c.begin() + 1, c.end() - 1), block);
    c.back() = 0xFF;  // the flag is bit 0 alone
    EXPECT_TRUE(TPacket_C_RoundResult(c).continueFlag);
    c.back() = 0xFE;
    EXPECT_FALSE(TPacket_C_RoundResult(c).continueFlag);

    // A block whose length byte claims more than is there takes nothing.
    Bytes lying = block;
    lying[0] = 200;
    TPacket_S_RoundResult held(sampleResult());
    EXPECT_FALSE(held.read(lying.data(), static_cast<u32>(lying.size())));
    EXPECT_TRUE(held.result == sampleResult());
}
