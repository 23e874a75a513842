// The chat dialog over the headless back end: answers, the text read back, the screen prepared.
#include "framework/dialog.h"

#include <gtest/gtest.h>

#include "framework/application.h"
#include "framework/application_texts.h"
#include "framework/frame.h"
#include "framework/window.h"
#include "platform/codepage.h"
#include "platform/dialog.h"
#include "platform/headless.h"

using namespace platform;
using Step = platform::headless::DialogStep;

namespace {

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        headless::reset();
        headless::clearDialogSteps();
    }
    void TearDown() override
    {
        headless::clearDialogSteps();
        headless::reset();
    }
    TChatDialog chat(const char* initial = "")
    {
        return TChatDialog(initial, texts::chatPrompt().c_str(), texts::chatCaption().c_str());
    }
};

}  // namespace

TEST_F(DialogTest, OkGivesOneAndTheTypedShiftJisText)
{
    TChatDialog d("", texts::chatPrompt().c_str(), texts::chatCaption().c_str());
    headless::queueDialogStep(Step::Type, "こんにちは ");
    headless::queueDialogStep(Step::Type, "abc");
    headless::queueDialogStep(Step::Ok);
    EXPECT_EQ(d.doModal(nullptr), IDOK);
    EXPECT_EQ(d.text(), toSjis("こんにちは abc"));
    EXPECT_EQ(d.handle(), nullptr);  // the dialog is gone
}

TEST_F(DialogTest, CancelAndTheCloseBoxLeaveTheTextAsItWas)
{
    TChatDialog a("before", "", "");
    headless::queueDialogStep(Step::Type, "more");
    headless::queueDialogStep(Step::Cancel);
    EXPECT_EQ(a.doModal(nullptr), IDCANCEL);
    EXPECT_EQ(a.text(), "before");

    TChatDialog b("before", "", "");
    headless::queueDialogStep(Step::Type, "more");
    headless::queueDialogStep(Step::Close);
    EXPECT_EQ(b.doModal(nullptr), IDCANCEL);
    EXPECT_EQ(b.text(), "before");
}

TEST_F(DialogTest, EnterAndEscapeOnTheOwnerWindowAnswerTheDialog)
{
    TApp app("m", "a");
    TWindow owner;
    ASSERT_EQ(owner.create(), 0u);
    TChatDialog ok("x", "", "");
    headless::queueDialogStep(Step::Backspace);
    headless::queueDialogStep(Step::Type, "y");
    headless::queueDialogStep(Step::Enter);
    EXPECT_EQ(ok.doModal(nullptr), IDOK);
    EXPECT_EQ(ok.text(), "y");
    TChatDialog esc("x", "", "");
    headless::queueDialogStep(Step::Escape);
    EXPECT_EQ(esc.doModal(owner.handle()), IDCANCEL);
}

TEST_F(DialogTest, AnExhaustedScriptAnswersCancelInsteadOfWaiting)
{
    TChatDialog d("t", "", "");
    EXPECT_EQ(d.doModal(nullptr), IDCANCEL);
    EXPECT_EQ(d.text(), "t");
}

TEST_F(DialogTest, TheLineIsCutAt510BytesWithoutSplittingACharacter)
{
    std::string many;
    for (int i = 0; i < 300; ++i)
        many += "あ";
    TChatDialog even("", "", "");
    headless::queueDialogStep(Step::Type, many);
    headless::queueDialogStep(Step::Ok);
    EXPECT_EQ(even.doModal(nullptr), IDOK);
    EXPECT_EQ(even.text().size(), 510u);

    TChatDialog odd("", "", "");
    headless::queueDialogStep(Step::Type, "a" + many);
    headless::queueDialogStep(Step::Ok);
    EXPECT_EQ(odd.doModal(nullptr), IDOK);
    EXPECT_EQ(odd.text().size(), 509u);
    EXPECT_EQ(odd.text().substr(507), "\x82\xA0");  // ends on a whole "あ"

    // An initial text that is too long is cut the same way.
    std::string longSjis = "a" + toSjis(many);
    TChatDialog initial(longSjis.c_str(), "", "");
    headless::queueDialogStep(Step::Ok);
    EXPECT_EQ(initial.doModal(nullptr), IDOK);
    EXPECT_EQ(initial.text().size(), 509u);
}

TEST_F(DialogTest, BackspaceRemovesAWholeCharacter)
{
    TChatDialog d("", "", "");
    headless::queueDialogStep(Step::Type, "aあ");
    headless::queueDialogStep(Step::Backspace);
    headless::queueDialogStep(Step::Ok);
    EXPECT_EQ(d.doModal(nullptr), IDOK);
    EXPECT_EQ(d.text(), "a");
}

TEST_F(DialogTest, OtherWindowsKeepReceivingTheirMessagesWhileItIsOpen)
{
    static int seen = 0;
    seen = 0;
    ASSERT_TRUE(registerClass({"TOther", [](HWND, uint32_t m, uintptr_t, intptr_t) -> intptr_t {
                                   if (m == WM_USER)
                                       ++seen;
                                   return m == WM_NCCREATE ? 1 : 0;
                               }}));
    HWND other = createWindow(0, "TOther", "", 0, 0, 0, 10, 10, nullptr, nullptr);
    postMessage(other, WM_USER, 0, 0);
    TChatDialog d("", "", "");
    headless::queueDialogStep(Step::Ok);
    EXPECT_EQ(d.doModal(nullptr), IDOK);
    EXPECT_EQ(seen, 1);
}

TEST_F(DialogTest, AQuitWhileOpenAnswersCancelAndStaysQueued)
{
    postQuitMessage(3);
    TChatDialog d("", "", "");
    headless::queueDialogStep(Step::Ok);
    EXPECT_EQ(d.doModal(nullptr), IDCANCEL);
    Msg m;
    ASSERT_TRUE(peekMessage(m));
    EXPECT_EQ(m.message, WM_QUIT);
    EXPECT_EQ(m.wParam, 3u);
}

namespace {
std::vector<std::string> screenLog;
class DialogScreen : public TNullScreen {
public:
    void beginSystemDialog() override { screenLog.push_back("begin"); }
    void endSystemDialog() override { screenLog.push_back("end"); }
};
}  // namespace

TEST_F(DialogTest, TheGameScreenIsPreparedAndTheCursorHiddenForTheDuration)
{
    screenLog.clear();
    TGameFrameGr frame;
    frame.setScreen(std::make_unique<DialogScreen>());
    frame.setCursorAvailable(true);
    struct Watching : TChatDialog {
        Watching(TGameFrameGr* f) : TChatDialog("", "", ""), frame(f) {}
        intptr_t handleMessage() override
        {
            if (message_ == WM_INITDIALOG)
                cursorDuring = frame->cursorAvailable();
            return TChatDialog::handleMessage();
        }
        TGameFrameGr* frame;
        bool cursorDuring = true;
    } d(&frame);
    headless::queueDialogStep(Step::Ok);
    EXPECT_EQ(d.doModal(nullptr), IDOK);
    bool cursorDuring = d.cursorDuring;
    EXPECT_FALSE(cursorDuring);
    EXPECT_TRUE(frame.cursorAvailable());
    EXPECT_EQ(screenLog, (std::vector<std::string>{"begin", "end"}));
}

TEST_F(DialogTest, UnknownTemplatesCannotBeOpened)
{
    TDialog d(7);
    EXPECT_EQ(d.doModal(nullptr), -1);
    TDialog none(0);
    EXPECT_EQ(none.doModal(nullptr), -1);
    EXPECT_EQ(none.createModeless(nullptr), nullptr);
}
