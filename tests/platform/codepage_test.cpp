#include "platform/codepage.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

using namespace platform;

namespace {

// The C library's own CP932 decoder, for a cross-check independent of the generated table.
uint32_t iconvToUnicode(iconv_t cd, uint32_t code) {
    char in[2] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
    uint32_t out[2] = {};
    char* inp = in;
    char* outp = reinterpret_cast<char*>(out);
    size_t inLeft = 2, outLeft = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == static_cast<size_t>(-1) || outLeft != 4) return 0;
    return out[0];
}

}  // namespace

TEST(CodePage, DoubleByteTableIsCodePage932AsTheCLibraryDecodesIt) {
    iconv_t cd = iconv_open("UTF-32LE", "CP932");
    ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1)) << "the C library has no CP932 converter";
    size_t i = 0;
    for (uint32_t lead = 0x81; lead <= 0xFC; ++lead) {
        if (!isSjisLead(static_cast<uint8_t>(lead))) continue;
        for (uint32_t trail = 0x40; trail <= 0xFC; ++trail) {
            uint32_t code = lead << 8 | trail;
            if (!isSjisTrail(static_cast<uint8_t>(trail)) || (code >= 0xF040 && code <= 0xF9FC)) continue;
            uint32_t u = iconvToUnicode(cd, code);
            if (u == 0) continue;
            ASSERT_LT(i, kSjisDoubleByteCount);
            EXPECT_EQ(kSjisDoubleByte[i].sjis, code);
            EXPECT_EQ(kSjisDoubleByte[i].unicode, u) << std::hex << code;
            ++i;
        }
    }
    EXPECT_EQ(i, kSjisDoubleByteCount);
    iconv_close(cd);
    EXPECT_EQ(kSjisDoubleByte[0].sjis, 0x8140);
    EXPECT_EQ(kSjisDoubleByte[0].unicode, 0x3000);
    EXPECT_EQ(kSjisDoubleByte[kSjisDoubleByteCount - 1].sjis, 0xFC4B);
    EXPECT_EQ(kSjisDoubleByte[kSjisDoubleByteCount - 1].unicode, 0x9ED1);
}

TEST(CodePage, SingleBytesFollowTheProgramsOwnTableNotTheCLibrarys) {
    EXPECT_EQ(sjisToUnicode(0x5C), 0x5Cu);  // backslash stays, no yen sign
    EXPECT_EQ(sjisToUnicode(0x7E), 0x7Eu);
    EXPECT_EQ(sjisToUnicode(0x80), 0x3Fu);
    EXPECT_EQ(sjisToUnicode(0xA1), 0xFF61u);
    EXPECT_EQ(sjisToUnicode(0xDF), 0xFF9Fu);
    for (uint32_t b : {0x81u, 0xA0u, 0xE0u, 0xFDu, 0xFEu, 0xFFu}) EXPECT_EQ(sjisToUnicode(b), 0x25A1u) << b;
    EXPECT_EQ(sjisToUnicode(0), 0u);
}

TEST(CodePage, DoubleByteLookupsAndReplacements) {
    EXPECT_EQ(sjisToUnicode(0x82A0), 0x3042u);
    EXPECT_EQ(sjisToUnicode(0x8160), 0xFF5Eu);
    EXPECT_EQ(sjisToUnicode(0x815F), 0xFF3Cu);
    EXPECT_EQ(sjisToUnicode(0x8161), 0x2225u);
    EXPECT_EQ(sjisToUnicode(0xF040), 0x25A1u);  // user-defined area
    EXPECT_EQ(sjisToUnicode(0xFCFC), 0x25A1u);
    EXPECT_EQ(sjisToUnicode(0x12345), 0x25A1u);
    EXPECT_EQ(unicodeToSjis(0x20AC), 0x81A0u);  // euro sign has no code
    EXPECT_EQ(unicodeToSjis(0x1F600), 0x81A0u);
    EXPECT_EQ(unicodeToSjis(0), 0u);
}

TEST(CodePage, ReverseDirectionTakesSingleBytesFirstThenTheFirstPairInTableOrder) {
    EXPECT_EQ(unicodeToSjis(0x3F), 0x3Fu);  // not 0x80
    EXPECT_EQ(unicodeToSjis(0xFFE2), 0x81CAu);
    EXPECT_EQ(unicodeToSjis(0x2170), 0xEEEFu);
    EXPECT_EQ(unicodeToSjis(0xFF61), 0xA1u);
    EXPECT_EQ(unicodeToSjis(0xFFFF), 0x81A0u);  // the table's "no entry" mark is not a character
    // Every value maps back to the first code in table order that carries it.
    for (size_t i = 0; i < kSjisDoubleByteCount; ++i) {
        uint32_t u = kSjisDoubleByte[i].unicode;
        uint32_t expect = kSjisDoubleByte[i].sjis;
        for (uint32_t b = 1; b < 256; ++b)
            if (kSjisSingleByte[b] == u) {
                expect = b;
                break;
            }
        for (size_t j = 0; j < i && expect == kSjisDoubleByte[i].sjis; ++j)
            if (kSjisDoubleByte[j].unicode == u) expect = kSjisDoubleByte[j].sjis;
        ASSERT_EQ(unicodeToSjis(u), expect) << std::hex << u;
    }
}

TEST(CodePage, EveryTableCodeRoundTripsThroughUtf8AndUtf16) {
    std::string all;
    for (const SjisPair& p : kSjisDoubleByte) appendSjis(all, p.sjis);
    for (int b = 1; b < 0x80; ++b) all.push_back(static_cast<char>(b));
    for (int b = 0xA1; b <= 0xDF; ++b) all.push_back(static_cast<char>(b));

    std::string utf8 = toUtf8(all);
    std::string back = toSjis(utf8);
    // Duplicated values come back as their first code, so compare through Unicode.
    std::u16string a16, b16;
    sjisToUtf16(a16, all);
    sjisToUtf16(b16, back);
    EXPECT_EQ(a16, b16);
    std::string via16;
    utf16ToSjis(via16, a16);
    EXPECT_EQ(via16, back);

    iconv_t cd = iconv_open("CP932", "UTF-8");
    ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
    std::string fromIconv(all.size(), '\0');
    char* inp = utf8.data();
    char* outp = fromIconv.data();
    size_t inLeft = utf8.size(), outLeft = fromIconv.size();
    iconv(cd, &inp, &inLeft, &outp, &outLeft);
    iconv_close(cd);
    fromIconv.resize(fromIconv.size() - outLeft);
    std::u16string c16;
    sjisToUtf16(c16, fromIconv);
    EXPECT_EQ(c16, a16);  // our UTF-8 means the same text to the C library
}

TEST(CodePage, Utf8DecodingOfShortAndBadSequences) {
    const uint8_t two[] = {0xC3, 0xA9, 0};
    EXPECT_EQ(decodeUtf8(two), 0xE9u);
    const uint8_t bad[] = {0xF0, 0x9F, 0x98, 0x80, 'x', 0};
    EXPECT_EQ(decodeUtf8(bad), 0x20u);
    EXPECT_EQ(nextUtf8(bad), bad + 4);
    const uint8_t cut[] = {0xE3, 0};  // a three-byte start right before the terminator
    EXPECT_EQ(decodeUtf8(cut), 0x3000u);
    EXPECT_EQ(decodeUtf8(cut, cut + 1), 0x3000u);
    EXPECT_EQ(nextUtf8(cut), cut + 1);

    std::string s;
    utf8ToSjis(s,
               "\xF0\x9F\x98\x80"
               "a\xE3\x81\x82");
    EXPECT_EQ(s, " a\x82\xA0");  // a four-byte character becomes one space
    utf8ToSjis(s, std::string("ab\0cd", 5));
    EXPECT_EQ(s, "ab");
    utf8ToSjis(s, "abcd", 2);
    EXPECT_EQ(s, "ab");

    std::string out;
    appendUtf8(out, 0x41);
    appendUtf8(out, 0xE9);
    appendUtf8(out, 0x3042);
    appendUtf8(out, 0x10000);
    EXPECT_EQ(out, "A\xC3\xA9\xE3\x81\x82");
}

TEST(CodePage, ShiftJisWalkStopsAtTheBoundAndTheTerminator) {
    std::string s;
    sjisToUtf8(s, "\x82\xA0\x82");  // lone lead byte at the end
    EXPECT_EQ(s, "\xE3\x81\x82\xE2\x96\xA1");
    sjisToUtf8(s, "\x82\xA0\x82\xA2", 3);  // the bound cuts the second character's trail away
    EXPECT_EQ(s, "\xE3\x81\x82\xE2\x96\xA1");
    sjisToUtf8(s, std::string("a\0b", 3));
    EXPECT_EQ(s, "a");
    sjisToUtf8(s, "\x95\x5C\x5C");  // 0x5C as a trail byte is not a backslash
    EXPECT_EQ(s, "\xE8\xA1\xA8\\");
    std::u16string u;
    sjisToUtf16(u, "\x81\x7F");  // invalid trail: two one-byte characters
    EXPECT_EQ(u, std::u16string(u"\u25A1\u007F"));
}
