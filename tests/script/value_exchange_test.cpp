// The save archive: the encodings' byte examples, sections and their checks, and loading that
// never reads past the end.
#include "script/value_exchange.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "error_code.h"
#include "framework/stream.h"

namespace {

std::vector<uint8_t> bytesOf(TMemoryStream& m) { return {m.getBuffer(), m.getBuffer() + m.size()}; }

template <typename Fn>
std::vector<uint8_t> stored(Fn fn) {
    TMemoryStream m;
    TValueExchange x(&m, true);
    fn(x);
    return bytesOf(m);
}

using Bytes = std::vector<uint8_t>;

}  // namespace

TEST(ValueExchangeTest, EncodingsStoreTheDocumentedBytes) {
    EXPECT_EQ(stored([](auto& x) { x.putInt("", 127); }), Bytes{0x7F});
    EXPECT_EQ(stored([](auto& x) { x.putInt("", -126); }), Bytes{0x82});
    EXPECT_EQ(stored([](auto& x) { x.putInt("", 128); }), (Bytes{0x80, 0x80, 0, 0, 0}));
    EXPECT_EQ(stored([](auto& x) { x.putInt("", -127); }), (Bytes{0x80, 0x81, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(stored([](auto& x) { x.putString("", "abc"); }), (Bytes{3, 0, 0, 0, 0x64, 0x66, 0x68}));
    EXPECT_EQ(stored([](auto& x) { x.putString("", std::string("ab\0c", 4)); }), (Bytes{2, 0, 0, 0, 0x63, 0x65}));
    EXPECT_EQ(stored([](auto& x) { TValueExchange::TKey k(x, "Thread"); }), (Bytes{0x54, 0x68, 0x54, 0x68}));
    EXPECT_EQ(TValueExchange::tagOf("G"), 0x0047);
    EXPECT_EQ(stored([](auto& x) { x.putColor("", 0x80112233); }), (Bytes{0x11, 0x22, 0x33, 0x00}));
    EXPECT_EQ(stored([](auto& x) {
                  bool a = true, b = false, c = true;
                  x.exchangeFlags("", &a, &b, &c);
              }),
              Bytes{0x05});
}

TEST(ValueExchangeTest, EveryOperationLoadsWhatItStored) {
    // One record of every kind; the loaded copy must equal the original field by field.
    struct Record {
        uint8_t byte = 0;
        int32_t ch = 0, sh = 0, compact = 0, lng = 0;
        uint16_t word = 0;
        float f = 0;
        uint32_t colour = 0;
        std::string text;
        bool flags[8] = {};
        uint8_t raw[3] = {};
        void exchange(TValueExchange& x) {
            TValueExchange::TKey k(x, "Record");
            x.exchangeByte("B", byte);
            x.exchangeChar("C", ch);
            x.exchangeShort("S", sh);
            x.exchangeWord("W", word);
            x.exchangeInt("I", compact);
            x.exchangeLong("L", lng);
            x.exchangeFloat("F", f);
            x.exchangeColor("K", colour);
            {
                TValueExchange::TKey inner(x, "T");
                x.exchangeString("T", text);
            }
            x.exchangeFlags("G", &flags[0], &flags[1], nullptr, &flags[3], &flags[4], &flags[5], &flags[6], &flags[7]);
            x.exchangeBytes("R", raw, 3);
        }
    };
    std::mt19937 rng(7);
    for (int round = 0; round < 200; ++round) {
        Record a;
        a.byte = static_cast<uint8_t>(rng());
        a.ch = static_cast<int8_t>(rng());
        a.sh = static_cast<int16_t>(rng());
        a.word = static_cast<uint16_t>(rng());
        a.compact = round % 2 ? static_cast<int32_t>(rng()) : static_cast<int32_t>(rng() % 300) - 150;
        a.lng = static_cast<int32_t>(rng());
        a.f = static_cast<float>(static_cast<int32_t>(rng())) / 7.0f;
        a.colour = rng() | 0xFF000000u;
        a.text = std::string(rng() % 5, static_cast<char>('a' + round % 26));
        for (bool& b : a.flags) b = rng() & 1;
        a.flags[2] = false;  // no reference: stored as 0
        for (uint8_t& b : a.raw) b = static_cast<uint8_t>(rng());

        TMemoryStream m;
        TValueExchange out(&m, true);
        a.exchange(out);
        m.seek(0, 0);
        Record b;
        TValueExchange in(&m, false);
        b.exchange(in);
        EXPECT_EQ(std::tie(a.byte, a.ch, a.sh, a.word, a.compact, a.lng, a.f, a.colour, a.text),
                  std::tie(b.byte, b.ch, b.sh, b.word, b.compact, b.lng, b.f, b.colour, b.text));
        EXPECT_TRUE(std::equal(a.flags, a.flags + 8, b.flags));
        EXPECT_TRUE(std::equal(a.raw, a.raw + 3, b.raw));
        EXPECT_EQ(m.tell(), m.size());
    }
}

TEST(ValueExchangeTest, ASectionMismatchStopsTheLoadWithItsCode) {
    TMemoryStream m;
    {
        TValueExchange out(&m, true);
        TValueExchange::TKey k(out, "Alpha");
        out.putInt("", 5);
    }
    m.seek(0, 0);
    TValueExchange in(&m, false);
    int32_t read = -1;
    EXPECT_EQ(errorCode([&] {
                  TValueExchange::TKey outer(in, "Alpha");
                  TValueExchange::TKey k(in, "Beta");  // the stream holds 5 and the tag "Al"
                  read = in.getInt("");
              }),
              0x100d);
    EXPECT_EQ(read, -1);  // nothing after the mismatch is read
    EXPECT_TRUE(in.hasError());
    in.exchangeTag("Zz");  // checks do nothing once the error is set
    in.attach(&m, false, false);
    EXPECT_FALSE(in.hasError());
}

TEST(ValueExchangeTest, LoadingPastTheEndIsAnExchangeError) {
    const std::vector<Bytes> cut = {
        {},                        // no byte at all
        {0x80, 1, 2},              // a compact integer without its four bytes
        {0xFF, 0xFF, 0xFF, 0x7F},  // a string length far past the end
        {5, 0, 0, 0, 'a'},         // a string cut short
        {0x10, 0, 0, 0, 1},        // a memory stream cut short
    };
    for (size_t i = 0; i < cut.size(); ++i) {
        Bytes b = cut[i];
        TMemoryStream m(b.data(), static_cast<uint32_t>(b.size()));
        TValueExchange in(&m, false);
        TMemoryStream sink;
        EXPECT_EQ(errorCode([&] {
                      if (i == 4)
                          in.exchangeMemoryStream("", sink);
                      else if (i >= 2)
                          in.getString("");
                      else
                          in.getInt("");
                  }),
                  0x100c)
            << i;
    }
    Bytes count = {100, 1, 2, 3};
    TMemoryStream m(count.data(), 4);
    TValueExchange in(&m, false);
    EXPECT_EQ(errorCode([&] { in.getCount("Size", 1); }), 0x100c);  // 100 records cannot fit in 3 bytes
}

TEST(ValueExchangeTest, ASectionLeftByAnotherErrorDoesNotThrowAgain) {
    Bytes b = {0x41, 0x42, 0x80};  // tag "AB", then a cut compact integer
    TMemoryStream m(b.data(), 3);
    TValueExchange in(&m, false);
    EXPECT_EQ(errorCode([&] {
                  TValueExchange::TKey k(in, "AB");
                  in.getInt("");
              }),
              0x100c);
}

TEST(ValueExchangeTest, ScrambledStringsAddTheirPositionAndLength) {
    uint8_t plain[] = {'a', 'b', 'c'};
    scrambleBytes(plain, 3);
    EXPECT_EQ(Bytes(plain, plain + 3), (Bytes{0x64, 0x66, 0x68}));
    unscrambleBytes(plain, 3);
    EXPECT_EQ(Bytes(plain, plain + 3), (Bytes{'a', 'b', 'c'}));
    Bytes negative = {0xFE, 0xFF, 0xFF, 0xFF};
    TMemoryStream m(negative.data(), 4);
    std::string s = "x";
    EXPECT_TRUE(readScrambledString(m, s));
    EXPECT_EQ(s, "");
}
