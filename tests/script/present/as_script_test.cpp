// Animation scripts read into an animation's command list.
#include <gtest/gtest.h>

#include "framework/stream.h"
#include "script/present/ui/as_script.h"

namespace present {
namespace {

int parseText(TAnisBase& anim, std::string text) {
    TMemoryStream stream(text.data(), static_cast<uint32_t>(text.size()));
    TAsScript script(anim);
    return script.parse(stream);
}

template <class T>
const T& cmdAt(const TAnisBase& anim, size_t i) {
    return dynamic_cast<const T&>(*anim.Commands.at(i));
}

TEST(AsScript, ImagesAndAJumpBackGiveThreeCommands) {
    TAnisBase anim;
    ASSERT_EQ(parseText(anim, "0 i a.bmp 0 0\r\n100 i b.bmp 0 0\r\n200 j 0\r\n"), 3);
    EXPECT_EQ(anim.ImageNames, (std::vector<std::string>{"a.bmp", "b.bmp"}));
    EXPECT_EQ(cmdAt<TAsCmdImage>(anim, 1).ImageIndex, 1);
    EXPECT_EQ(cmdAt<TAsCmdImage>(anim, 1).Time, 100);
    EXPECT_EQ(cmdAt<TAsCmdJump>(anim, 2).TargetIndex, 0);
}

TEST(AsScript, CommandWordsCountByFirstLetterAndNamesIgnoreCase) {
    TAnisBase anim;
    ASSERT_EQ(parseText(anim, "0 i a.bmp 0 0\r\n0 image A.BMP 5 5\r\n0 \"s\" 40 30\r\n0 s 1 1\r\n"), 4);
    EXPECT_EQ(anim.ImageNames.size(), 1u);
    EXPECT_EQ(cmdAt<TAsCmdImage>(anim, 1).ImageIndex, 0);
    EXPECT_EQ(cmdAt<TAsCmdImage>(anim, 1).X, 5);
    // The first size sets the animation's; later ones leave it.
    EXPECT_EQ(anim.Width, 40);
    EXPECT_EQ(anim.Height, 30);
}

TEST(AsScript, LinesThatDoNotFitYieldNothing) {
    TAnisBase anim;
    EXPECT_EQ(parseText(anim,
                        "; a comment\r\n\r\nabc\r\n10 q 1\r\n20 o 5\r\n30 f z < 1 0\r\n40 f r <> 1 0\r\n"
                        "50 \"\" 1\r\n"),
              0);
    EXPECT_TRUE(anim.Commands.empty());
    ASSERT_EQ(parseText(anim, "60 w ; hold\r\n70 b 128 extra words\r\n"), 2);
    EXPECT_EQ(cmdAt<TAsCmdBlend>(anim, 1).Blend, 128);
}

TEST(AsScript, NumbersReadTheirDecimalPrefixAndCompareTargetsResolve) {
    TAnisBase anim;
    ASSERT_EQ(parseText(anim, "0 o 0x10 -7\r\n100 m 12ab 3\r\n200 w\r\n300 f r < 50 150\r\n400 j 999\r\n"), 5);
    EXPECT_EQ(cmdAt<TAsCmdOffset>(anim, 0).X, 0);
    EXPECT_EQ(cmdAt<TAsCmdOffset>(anim, 0).Y, -7);
    EXPECT_EQ(cmdAt<TAsCmdMove>(anim, 1).X, 12);
    const auto& f = cmdAt<TAsCmdCompare>(anim, 3);
    EXPECT_EQ(f.Register, TAsCmdCompare::kRandom);
    EXPECT_EQ(f.Operator, TAsCmdCompare::kLess);
    EXPECT_EQ(f.Value, 50);
    EXPECT_EQ(f.TargetIndex, 2);                           // the first command at 150 or later
    EXPECT_EQ(cmdAt<TAsCmdJump>(anim, 4).TargetIndex, 0);  // none that late: the first
}

TEST(AsScript, BareLineFeedsEndLinesAsCarriageReturnsDo) {
    TAnisBase a, b;
    ASSERT_EQ(parseText(a, "0 w\n100 i x.bmp 1 2\n200 j 0"), 3);
    ASSERT_EQ(parseText(b, "0 w\r\n100 i x.bmp 1 2\r\n200 j 0\r\n"), 3);
    EXPECT_EQ(a.ImageNames, b.ImageNames);
}

TEST(AsScript, ATokenPastTheBufferFailsTheWholeFile) {
    TAnisBase anim;
    EXPECT_EQ(parseText(anim, "0 i " + std::string(1023, 'a') + " 0 0\r\n"), 1);
    EXPECT_EQ(parseText(anim, "0 w\r\n0 i " + std::string(1024, 'a') + " 0 0\r\n"), 0);
    EXPECT_TRUE(anim.Commands.empty());
    EXPECT_EQ(parseText(anim, "0 i \"" + std::string(2000, 'a')), 0);
}

TEST(AsScript, AssignCopiesCommandsAsNewObjects) {
    TAnisBase a, b;
    ASSERT_EQ(parseText(a, "0 s 10 20\r\n0 i p.bmp 1 1\r\n100 f x >= 3 0\r\n"), 3);
    TMemoryStream none(nullptr, 0);
    EXPECT_FALSE(b.parse(none, "x"));
    b.assign(a);
    ASSERT_EQ(b.Commands.size(), 3u);
    EXPECT_NE(b.Commands[2].get(), a.Commands[2].get());
    EXPECT_EQ(cmdAt<TAsCmdCompare>(b, 2).Operator, TAsCmdCompare::kGreaterEqual);
    EXPECT_EQ(b.Width, 10);
    EXPECT_EQ(b.ImageNames, a.ImageNames);
}

TEST(AsScript, FoldersSplitAtTheLastBackslashOfWholeCharacters) {
    EXPECT_EQ(folderOf("data\\icon\\line0.as"), "data\\icon");
    EXPECT_EQ(folderOf("line0.as"), "");
    // 0x95 0x5C is one character whose trail byte is a backslash.
    EXPECT_EQ(folderOf("a\\\x95\x5C.as"), "a");
    EXPECT_EQ(joinPath("", "b.bmp"), "b.bmp");
    EXPECT_EQ(joinPath("data", "b.bmp"), "data\\b.bmp");
}

}  // namespace
}  // namespace present
