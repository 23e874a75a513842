#include "platform/message_box.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace platform;

TEST(MessageBox, RecorderKeepsTheShiftJisTextsAndAnswersInOrder) {
    RecordingAnswerer rec;
    ScopedMessageBoxAnswerer scope(rec);
    rec.queueAnswer(IDNO);
    rec.queueAnswer(IDCANCEL);
    const std::string text = "\x8F\x49\x97\xB9\x82\xB5\x82\xDC\x82\xB7\x82\xA9\x81\x48";  // "終了しますか？"
    EXPECT_EQ(messageBox(text, "Tovimare", MB_YESNO | MB_ICONQUESTION), IDNO);
    EXPECT_EQ(messageBox("b", "c", MB_OKCANCEL), IDCANCEL);
    EXPECT_EQ(messageBox("d", "e", MB_OK), IDOK);  // queue used up: the default answer
    rec.setDefaultAnswer(IDYES);
    EXPECT_EQ(messageBox("f", "g", MB_YESNO), IDYES);

    ASSERT_EQ(rec.count(), 4u);
    auto all = rec.requests();
    EXPECT_EQ(all[0].text, text);  // bytes as given, not converted
    EXPECT_EQ(all[0].caption, "Tovimare");
    EXPECT_EQ(all[0].type, MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(rec.last().text, "f");
    rec.clear();
    EXPECT_EQ(rec.count(), 0u);
    EXPECT_EQ(rec.last().text, "");
}

TEST(MessageBox, ScopesNestAndRestoreThePreviousAnswerer) {
    RecordingAnswerer outer(IDOK), inner(IDCANCEL);
    {
        ScopedMessageBoxAnswerer a(outer);
        {
            ScopedMessageBoxAnswerer b(inner);
            EXPECT_EQ(messageBox("x", "y", MB_OKCANCEL), IDCANCEL);
        }
        EXPECT_EQ(messageBox("x", "y", MB_OKCANCEL), IDOK);
    }
    EXPECT_EQ(inner.count(), 1u);
    EXPECT_EQ(outer.count(), 1u);
    EXPECT_EQ(setMessageBoxAnswerer(nullptr), nullptr);
}

TEST(MessageBox, WithoutAnswererOrDisplayABoxIsClosedAsWithEscape) {
    ASSERT_EQ(setenv("SDL_VIDEODRIVER", "dummy", 1), 0);
    EXPECT_EQ(messageBox("\x82\xA0", "caption", MB_OK), IDOK);
    EXPECT_EQ(messageBox("a", "c", MB_OKCANCEL | MB_ICONERROR), IDCANCEL);
    EXPECT_EQ(messageBox("a", "c", MB_YESNO), IDNO);
    EXPECT_EQ(escapeAnswer(MB_YESNOCANCEL), IDCANCEL);
    EXPECT_EQ(escapeAnswer(MB_RETRYCANCEL | MB_ICONWARNING), IDCANCEL);
}

// No X server where the box should go: each call answers 0 at once; why is said once and each
// text the first time only, however often a caller asks.
TEST(MessageBox, ABoxThatCannotBeShownIsSaidOnceAndAnswersNothing) {
    const char* display = std::getenv("DISPLAY");
    const std::string saved = display ? display : "";
    ASSERT_EQ(setenv("SDL_VIDEODRIVER", "x11", 1), 0);
    ASSERT_EQ(setenv("DISPLAY", ":9999", 1), 0);
    testing::internal::CaptureStderr();
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(messageBox("accept ? if not connect.", "MAHJONG", MB_YESNO), 0);
        EXPECT_EQ(messageBox("The server cannot be reached.", "MAHJONG", MB_OK), 0);
    }
    const std::string err = testing::internal::GetCapturedStderr();
    const auto count = [&](const std::string& part) {
        size_t n = 0;
        for (size_t at = err.find(part); at != std::string::npos; at = err.find(part, at + 1)) ++n;
        return n;
    };
    EXPECT_EQ(count("no message box could be shown"), 1u) << err;
    EXPECT_EQ(count("MAHJONG: accept ? if not connect."), 1u) << err;
    EXPECT_EQ(count("MAHJONG: The server cannot be reached."), 1u) << err;
    if (saved.empty())
        unsetenv("DISPLAY");
    else
        setenv("DISPLAY", saved.c_str(), 1);
    setenv("SDL_VIDEODRIVER", "dummy", 1);
}
