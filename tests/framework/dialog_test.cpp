// The chat dialog over the headless back end: answers, the text read back, the screen prepared.
#include "framework/dialog.h"

#include <gtest/gtest.h>

#include <functional>

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
    void SetUp() override {
        headless::reset();
        headless::clearDialogSteps();
    }
    void TearDown() override {
        headless::clearDialogSteps();
        headless::reset();
    }
    TChatDialog chat(const char* initial = "") {
        return TChatDialog(initial, texts::chatPrompt().c_str(), texts::chatCaption().c_str());
    }
};

}  // namespace

TEST_F(DialogTest, OkGivesOneAndTheTypedShiftJisText) {
    TChatDialog d("", texts::chatPrompt().c_str(), texts::chatCaption().c_str());
    headless::queueDialogStep(Step::Type, "こんにちは ");
    headless::queueDialogStep(Step::Type, "abc");
    headless::queueDialogStep(Step::Ok);
    EXPECT_EQ(d.doModal(nullptr), IDOK);
    EXPECT_EQ(d.text(), toSjis("こんにちは abc"));
    EXPECT_EQ(d.handle(), nullptr);  // the dialog is gone
}

TEST_F(DialogTest, CancelAndTheCloseBoxLeaveTheTextAsItWas) {
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

TEST_F(DialogTest, EnterAndEscapeOnTheOwnerWindowAnswerTheDialog) {
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

TEST_F(DialogTest, AnExhaustedScriptAnswersCancelInsteadOfWaiting) {
    TChatDialog d("t", "", "");
    EXPECT_EQ(d.doModal(nullptr), IDCANCEL);
    EXPECT_EQ(d.text(), "t");
}

TEST_F(DialogTest, TheLineIsCutAt510BytesWithoutSplittingACharacter) {
    std::string many;
    for (int i = 0; i < 300; ++i) many += "あ";
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

TEST_F(DialogTest, BackspaceRemovesAWholeCharacter) {
    TChatDialog d("", "", "");
    headless::queueDialogStep(Step::Type, "aあ");
    headless::queueDialogStep(Step::Backspace);
    headless::queueDialogStep(Step::Ok);
    EXPECT_EQ(d.doModal(nullptr), IDOK);
    EXPECT_EQ(d.text(), "a");
}

TEST_F(DialogTest, OtherWindowsKeepReceivingTheirMessagesWhileItIsOpen) {
    static int seen = 0;
    seen = 0;
    ASSERT_TRUE(registerClass({"TOther", [](HWND, uint32_t m, uintptr_t, intptr_t) -> intptr_t {
                                   if (m == WM_USER) ++seen;
                                   return m == WM_NCCREATE ? 1 : 0;
                               }}));
    HWND other = createWindow(0, "TOther", "", 0, 0, 0, 10, 10, nullptr, nullptr);
    postMessage(other, WM_USER, 0, 0);
    TChatDialog d("", "", "");
    headless::queueDialogStep(Step::Ok);
    EXPECT_EQ(d.doModal(nullptr), IDOK);
    EXPECT_EQ(seen, 1);
}

TEST_F(DialogTest, AQuitWhileOpenAnswersCancelAndStaysQueued) {
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

TEST_F(DialogTest, TheGameScreenIsPreparedAndTheCursorHiddenForTheDuration) {
    screenLog.clear();
    TGameFrameGr frame;
    frame.setScreen(std::make_unique<DialogScreen>());
    frame.setCursorAvailable(true);
    struct Watching : TChatDialog {
        Watching(TGameFrameGr* f) : TChatDialog("", "", ""), frame(f) {}
        intptr_t handleMessage() override {
            if (message_ == WM_INITDIALOG) cursorDuring = frame->cursorAvailable();
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

TEST_F(DialogTest, UnknownTemplatesCannotBeOpened) {
    TDialog d(7);
    EXPECT_EQ(d.doModal(nullptr), -1);
    TDialog none(0);
    EXPECT_EQ(none.doModal(nullptr), -1);
    EXPECT_EQ(none.createModeless(nullptr), nullptr);
}

namespace {

// A dialog whose handler the test writes.
class ScriptedDialog : public TDialog {
public:
    ScriptedDialog(uint16_t id, std::function<intptr_t(ScriptedDialog&)> onInit,
                   std::function<void(ScriptedDialog&, int)> onCommand)
        : TDialog(id), onInit_(std::move(onInit)), onCommand_(std::move(onCommand)) {}
    intptr_t handleMessage() override {
        if (message_ == WM_INITDIALOG) return onInit_ ? onInit_(*this) : 1;
        if (message_ == WM_COMMAND) {
            int id = static_cast<int>(wParam_ & 0xFFFF);
            commands.push_back(id);
            if (onCommand_)
                onCommand_(*this, id);
            else
                endDialog(id);
            return 1;
        }
        return TDialog::handleMessage();
    }
    std::vector<int> commands;

private:
    std::function<intptr_t(ScriptedDialog&)> onInit_;
    std::function<void(ScriptedDialog&, int)> onCommand_;
};

}  // namespace

TEST_F(DialogTest, ADisabledButtonOrEntryIgnoresClicksKeysAndTyping) {
    HWND okItem = nullptr;
    std::string lost = "?";
    ScriptedDialog d(
        TChatDialog::kTemplate,
        [&](ScriptedDialog& self) {
            okItem = self.getDlgItem(IDOK);
            EXPECT_EQ(self.getDlgItem(IDOK), okItem);  // the same handle each time
            EXPECT_EQ(self.getDlgItem(4242), nullptr);
            EXPECT_FALSE(self.enableItem(IDOK, false));  // it was enabled
            EXPECT_TRUE(self.enableItem(IDOK, false));   // now it was disabled
            EXPECT_FALSE(isWindowEnabled(okItem));
            self.enableItem(IDC_CHAT_EDIT, false);
            return intptr_t{1};
        },
        [&](ScriptedDialog& self, int id) {
            lost = self.getDlgItemText(IDC_CHAT_EDIT, 511);
            self.endDialog(id);
        });
    headless::queueDialogStep(Step::Type, "lost");
    headless::queueDialogStep(Step::Enter);
    headless::queueDialogStep(Step::Ok);
    // Nothing above answered, so the used-up script ends it with Cancel.
    EXPECT_EQ(d.doModal(nullptr), IDCANCEL);
    EXPECT_EQ(d.commands, (std::vector<int>{IDCANCEL}));
    EXPECT_EQ(lost, "");                    // the disabled entry took nothing
    EXPECT_FALSE(isWindowEnabled(okItem));  // the control went with its dialog

    // Enabled again, the same steps answer OK with the typed text.
    std::string typed;
    ScriptedDialog again(
        TChatDialog::kTemplate,
        [](ScriptedDialog& self) {
            self.enableItem(IDOK, false);
            EXPECT_TRUE(self.enableItem(IDOK, true));
            return intptr_t{1};
        },
        [&](ScriptedDialog& self, int id) {
            typed = self.getDlgItemText(IDC_CHAT_EDIT, 511);
            self.endDialog(id);
        });
    headless::queueDialogStep(Step::Type, "kept");
    headless::queueDialogStep(Step::Ok);
    EXPECT_EQ(again.doModal(nullptr), IDOK);
    EXPECT_EQ(typed, "kept");
}

TEST_F(DialogTest, CheckBoxesAndRadioButtonsKeepTheirStates) {
    using K = DialogControlKind;
    ASSERT_FALSE(headless::defineDialogTemplate(TChatDialog::kTemplate, {}));  // the chat entry stays
    ASSERT_TRUE(headless::defineDialogTemplate(300, {{10, K::CheckBox, "sound"},
                                                     {20, K::RadioButton, "a"},
                                                     {21, K::RadioButton, "b"},
                                                     {22, K::RadioButton, "c"},
                                                     {30, K::CheckBox, "outside"},
                                                     {IDOK, K::PushButton, "OK"}}));
    std::vector<unsigned> states;
    auto read = [&](ScriptedDialog& self) {
        for (int id : {10, 20, 21, 22, 30, int{IDOK}}) states.push_back(self.isDlgButtonChecked(id));
    };
    ScriptedDialog d(
        300,
        [&](ScriptedDialog& self) {
            EXPECT_TRUE(self.checkDlgButton(10, BST_CHECKED));
            EXPECT_TRUE(self.checkDlgButton(30, BST_INDETERMINATE));
            EXPECT_FALSE(self.checkDlgButton(10, 3));              // no such state
            EXPECT_FALSE(self.checkDlgButton(IDOK, BST_CHECKED));  // a push button has no check
            EXPECT_FALSE(self.checkDlgButton(99, BST_CHECKED));
            EXPECT_TRUE(self.checkRadioButton(20, 22, 21));
            read(self);
            return intptr_t{1};
        },
        [&](ScriptedDialog& self, int id) {
            // The range clears every button in it, the checked one moves, 30 lies outside.
            self.checkRadioButton(10, 22, 22);
            read(self);
            self.endDialog(id);
        });
    headless::queueDialogStep(Step::Ok);
    EXPECT_EQ(d.doModal(nullptr), IDOK);
    EXPECT_EQ(states, (std::vector<unsigned>{1, 0, 1, 0, 2, 0, /* after OK */ 0, 0, 0, 1, 2, 0}));
    EXPECT_EQ(d.isDlgButtonChecked(10), BST_UNCHECKED);  // closed: nothing to read
}

TEST_F(DialogTest, TheDialogItselfCanBeDisabledAndAWindowHearsOfTheChange) {
    registerClass({"TEnableRec", [](HWND h, uint32_t m, uintptr_t w, intptr_t l) -> intptr_t {
                       if (m == WM_ENABLE) screenLog.push_back(w ? "enabled" : "disabled");
                       return defWindowProc(h, m, w, l);
                   }});
    HWND w = createWindow(0, "TEnableRec", "w", WS_CAPTION, 0, 0, 100, 100, nullptr, nullptr);
    screenLog.clear();
    EXPECT_TRUE(isWindowEnabled(w));
    EXPECT_FALSE(enableWindow(w, false));
    EXPECT_TRUE(enableWindow(w, false));  // no second message
    EXPECT_FALSE(isWindowEnabled(w));
    EXPECT_TRUE(enableWindow(w, true));
    EXPECT_EQ(screenLog, (std::vector<std::string>{"disabled", "enabled"}));
    EXPECT_FALSE(isWindowEnabled(nullptr));

    bool during = true;
    ScriptedDialog d(
        TChatDialog::kTemplate,
        [&](ScriptedDialog& self) {
            self.enableWindow(false);
            during = isWindowEnabled(self.handle());
            return intptr_t{1};
        },
        nullptr);
    headless::queueDialogStep(Step::Cancel);
    EXPECT_EQ(d.doModal(nullptr), IDCANCEL);
    EXPECT_FALSE(during);
}
