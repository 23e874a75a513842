// The actor tables' saved form.
#include "script/actor.h"

#include <gtest/gtest.h>

#include "framework/stream.h"
#include "script/value_exchange.h"

namespace {

std::vector<uint8_t> save(TG2ActorMap& actors, bool voices) {
    TMemoryStream m;
    TValueExchange x(&m, true);
    voices ? exchangeActorVoiceMap(x, actors) : exchangeActorMap(x, actors);
    return {m.getBuffer(), m.getBuffer() + m.size()};
}

void load(std::vector<uint8_t> bytes, TG2ActorMap& actors, bool voices) {
    TMemoryStream m(bytes.data(), static_cast<uint32_t>(bytes.size()));
    TValueExchange x(&m, false);
    voices ? exchangeActorVoiceMap(x, actors) : exchangeActorMap(x, actors);
}

}  // namespace

TEST(ActorTest, ARecordIsStoredFieldByField) {
    TG2ActorMap actors;
    actors[3] = {true, 0xFF102030, 2, true, 127, "A"};
    // "ActorMap" tag, ID 3, "Actor" tag (both "Ac"), enabled, colour with red and blue swapped,
    // the name, frame 2, the tag; then ID -1 and the tag.
    const std::vector<uint8_t> expected = {'A', 'c', 3, 0,       'A', 'c', 1,   0x10, 0x20, 0x30, 0,   1,
                                           0,   0,   0, 'A' + 1, 2,   0,   'A', 'c',  0xFF, 0xFF, 'A', 'c'};
    EXPECT_EQ(save(actors, false), expected);
}

TEST(ActorTest, TablesLoadBackAndTheVoiceTableKeepsTheRest) {
    TG2ActorMap actors;
    actors[0] = {true, 0xFF00FF00, -1, false, 10, "zero"};
    actors[7] = {false, 0xFF123456, 5, true, 300, "seven"};
    actors[40000] = {true, 0xFF000000, 1, true, 1, "too far"};  // no 16-bit number: left out
    TG2ActorMap back;
    load(save(actors, false), back, false);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[7].name, "seven");
    EXPECT_EQ(back[7].frame, 5);
    EXPECT_EQ(back[0].color, 0xFF00FF00u);
    EXPECT_TRUE(back[0].enabled);

    TG2ActorMap voices;
    voices[7].name = "kept";
    load(save(actors, true), voices, true);
    EXPECT_EQ(voices[7].name, "kept");
    EXPECT_EQ(voices[7].voiceVolume, 300);
    EXPECT_FALSE(voices[0].voiceEnabled);
}
