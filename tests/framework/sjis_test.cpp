#include "framework/sjis.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string zenkaku(const char* src) {
    char buf[256];
    return nsSJIS::strToZenkaku(buf, sizeof buf, src);
}

}  // namespace

TEST(SjisSearch, CharactersAreFoundOnlyAtCharacterStarts) {
    // 0x95 0x5C is one character whose trail byte looks like a backslash.
    const char* s = "\x95\x5C\\x\x95\x5C";
    EXPECT_EQ(nsSJIS::strChr(s, '\\'), 2);
    EXPECT_EQ(nsSJIS::strRChr(s, '\\'), 2);
    EXPECT_EQ(nsSJIS::strChr(s, 0x955C), 0);
    EXPECT_EQ(nsSJIS::strRChr(s, 0x955C), 4);
    EXPECT_EQ(nsSJIS::strChr(s, 0), 6);
    EXPECT_EQ(nsSJIS::strRChr(s, 0), 6);
    EXPECT_EQ(nsSJIS::strChr(s, 'y'), -1);
    EXPECT_EQ(nsSJIS::strRChr("", 'y'), -1);

    EXPECT_EQ(nsSJIS::strStr(s, "\\x"), 2);
    EXPECT_EQ(nsSJIS::strStr("\x82\xA0\x82\xA2", "\xA0\x82"), -1);  // straddles two characters
    EXPECT_EQ(nsSJIS::strStr("abc", ""), 0);
    EXPECT_EQ(nsSJIS::strStr("abc", "cd"), -1);
    EXPECT_EQ(nsSJIS::strStr("aab", "ab"), 1);

    EXPECT_EQ(nsSJIS::replaceFirst("a\x95\x5C\\b\\", "\\", "/"), "a\x95\x5C/b\\");
    EXPECT_EQ(nsSJIS::replaceFirst("abc", "x", "y"), "abc");
    EXPECT_EQ(nsSJIS::replaceChar("\x95\x5C\\\\", '\\', '/'), "\x95\x5C//");
    EXPECT_EQ(nsSJIS::replaceChar("a-a", 'a', 0x82A0), "\x82\xA0-\x82\xA0");
}

TEST(SjisSearch, CountingAndWholeCharacters) {
    EXPECT_EQ(nsSJIS::strCharCount("a\x82\xA0"
                                   "b"),
              3);
    EXPECT_EQ(nsSJIS::strCharCount("a\x82\xA0"
                                   "b",
                                   2),
              2);
    EXPECT_EQ(nsSJIS::strCharCount("\x82"), 1);  // a lone lead byte before the terminator
    const uint8_t t[] = {0x82, 0xA0, 0x82, 0x20};
    EXPECT_TRUE(nsSJIS::isWholeChar(t, t + 3));
    EXPECT_FALSE(nsSJIS::isWholeChar(t + 2, t + 3));  // invalid trail
    EXPECT_FALSE(nsSJIS::isWholeChar(t, t));          // only the lead byte remains
    EXPECT_FALSE(nsSJIS::isWholeChar(t + 4, t + 3));
    EXPECT_TRUE(nsSJIS::isWholeChar(t + 3, t + 3));
    EXPECT_EQ(nsSJIS::getChar("\x82\xA0"), 0x82A0u);
    EXPECT_EQ(nsSJIS::getChar("\x82"), 0x82u);
    const char* s = "\x82\xA0z";
    EXPECT_EQ(nsSJIS::next(s), s + 2);
}

TEST(SjisCopy, BufferWritersNeverSplitACharacterOrPassTheirSize) {
    char buf[8];
    std::memset(buf, 'X', sizeof buf);
    nsSJIS::strNCopy(buf, "\x82\xA0\x82\xA2", 3);
    EXPECT_STREQ(buf, "\x82\xA0");
    EXPECT_EQ(buf[3], 'X');
    nsSJIS::strNCopy(buf, "abc", 1);
    EXPECT_STREQ(buf, "");

    std::strcpy(buf, "ab");
    nsSJIS::strCatChar(buf, 5, 0x82A0);
    EXPECT_STREQ(buf, "ab\x82\xA0");
    nsSJIS::strCatChar(buf, 5, 'c');  // full: unchanged
    EXPECT_STREQ(buf, "ab\x82\xA0");

    strCopy(buf, 4, "abcdef");
    EXPECT_STREQ(buf, "abc");
    strCat(buf, 6, "xyz");
    EXPECT_STREQ(buf, "abcxy");
    nsSJIS::mbCopy(buf, 4, "a\x82\xA0\x82\xA2");
    EXPECT_STREQ(buf, "a\x82\xA0");

    char z[6];
    std::memset(z, 'X', sizeof z);
    nsSJIS::strToZenkaku(z, sizeof z, "abc");  // room for two wide characters only
    EXPECT_STREQ(z, "\x82\x81\x82\x82");
    EXPECT_EQ(z[5], 'X');

    char16_t w[3];
    toUtf16(w, 3, "ab\x82\xA0", 99);
    EXPECT_EQ(std::u16string(w), u"ab");
    toUtf16(w, 3, "\x82\xA0\x82", 3);
    EXPECT_EQ(std::u16string(w), std::u16string(u"\u3042\u25A1"));  // trailing lone lead byte

    toUtf16(w, 3, "\x82\xA0", -1);  // no limit: up to the terminator
    EXPECT_EQ(std::u16string(w), u"\u3042");

    char s[4];
    utf16ToSjisBuf(s, sizeof s, u"a\u3042\u3044", -1);
    EXPECT_STREQ(s, "a\x82\xA0");
    const uint8_t u8[] = {0xE3, 0x81, 0x82, 'b', 'c', 'd'};
    utf8ToSjisBuf(s, sizeof s, u8, sizeof u8);
    EXPECT_STREQ(s,
                 "\x82\xA0"
                 "b");
    utf8ToSjisBuf(s, sizeof s, u8, 2);  // the bound cuts the character short: decoded with zero bits
    EXPECT_STREQ(s, "\x81\xA0");        // U+3040 has no code, so the white square
}

TEST(SjisCompare, PlainByteHelpers) {
    EXPECT_EQ(strCmp("\xE0", "a"), 1);  // unsigned bytes, and only -1, 0 or 1
    EXPECT_EQ(strICmp("Save\\GAME.ini", "save\\game.INI"), 0);
    EXPECT_EQ(strNICmp("abcX", "ABCy", 3), 0);
    EXPECT_EQ(strNLen("abcdef", 4), 4);
    EXPECT_EQ(strToLong("-0x1Fz", nullptr, 16), -31);  // a null end pointer is accepted
}

TEST(SjisZenkaku, HalfWidthBecomesFullWidth) {
    EXPECT_EQ(nsSJIS::toZenkaku(0x41), 0x8260u);
    EXPECT_EQ(nsSJIS::toZenkaku(0x20), 0x8140u);
    EXPECT_EQ(nsSJIS::toZenkaku(0x21), 0x8149u);
    EXPECT_EQ(nsSJIS::toZenkaku(0x22), 0x8168u);
    EXPECT_EQ(nsSJIS::toZenkaku(0x27), 0x8166u);
    EXPECT_EQ(nsSJIS::toZenkaku(0x5C), 0x818Fu);
    EXPECT_EQ(nsSJIS::toZenkaku(0x7E), 0x8150u);
    EXPECT_EQ(nsSJIS::toZenkaku(0xB1), 0x8341u);
    EXPECT_EQ(nsSJIS::toZenkaku(0xDE), 0x814Au);
    EXPECT_EQ(nsSJIS::toZenkaku(0x82A0), 0x82A0u);
    EXPECT_EQ(nsSJIS::toZenkaku(0x0A), 0x0Au);
    // The katakana row in order, checked against its UTF-8 spelling.
    std::string kana;
    for (uint32_t c = 0xA1; c <= 0xDF; ++c) nsSJIS::appendChar(kana, nsSJIS::toZenkaku(c));
    std::string expect;
    utf8ToSjis(expect,
               "。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホ"
               "マミムメモヤユヨラリルレロワン゛゜");
    EXPECT_EQ(kana, expect);
    // Every printable ASCII character becomes a double-byte character.
    for (uint32_t c = 0x20; c <= 0x7E; ++c) EXPECT_GT(nsSJIS::toZenkaku(c), 0xFFu) << c;
    EXPECT_EQ(zenkaku("\xB6\xDE"
                      "1\x82\xA0"),
              "\x83\x4A\x81\x4A\x82\x50\x82\xA0");  // voicing sign stays apart
}

TEST(SjisFormat, FormattingIsBoundedAndCutAtACharacter) {
    EXPECT_EQ(formatString("%d-%s", 12, "ab"), "12-ab");
    EXPECT_EQ(formatString("%s", ""), "");
    std::string longText(1022, 'a');
    longText += "\x82\xA0";  // would need bytes 1022 and 1023
    std::string r = formatString("%s", longText.c_str());
    EXPECT_EQ(r, std::string(1022, 'a'));
    EXPECT_EQ(formatString("%s", std::string(5000, 'b').c_str()).size(), 1023u);

    char buf[4];
    auto fmt = [&](const char* f, ...) {
        va_list a;
        va_start(a, f);
        int n = formatTo(buf, sizeof buf, f, a);
        va_end(a);
        return n;
    };
    EXPECT_EQ(fmt("%d", 123456), 3);
    EXPECT_STREQ(buf, "123");
}

TEST(SjisStrings, ConversionsIntoStrings) {
    std::u16string w;
    sjisToWide(w, "a\x82\xA0\x81");
    EXPECT_EQ(w, std::u16string(u"a\u3042\u25A1"));
    std::string s;
    wideToSjis(s, u"x\u20AC\u3042", -1);
    EXPECT_EQ(s, "x\x81\xA0\x82\xA0");
    wideToSjis(s, u"xyz", 2);
    EXPECT_EQ(s, "xy");
    sjisToUtf8(s, "\x82\xA0", -1);
    EXPECT_EQ(s, "\xE3\x81\x82");
    std::string back;
    utf8ToSjis(back, s, -1);
    EXPECT_EQ(back, "\x82\xA0");
}
