#pragma once
// Dialog boxes: TDialog runs a dialog of a template with one virtual message handler; TDxDialog
// prepares the game screen for it; TChatDialog is the one-line text entry of the lobby's chat.
#include <cstdint>
#include <string>

#include "platform/window_system.h"

class TDialog {
public:
    using HWND = platform::HWND;

    explicit TDialog(uint16_t templateId);
    virtual ~TDialog();
    TDialog(const TDialog&) = delete;
    TDialog& operator=(const TDialog&) = delete;

    // Runs the dialog over parent (null: the application's main window, or none); its end result,
    // -1 when it cannot be made (callers take that as Cancel).
    virtual int doModal(HWND parent);
    // Modeless dialogs do not exist here: null.
    virtual HWND createModeless(HWND parent);
    virtual intptr_t handleMessage();
    virtual uint16_t templateId() const { return templateId_; }
    virtual const void* templatePointer() const { return nullptr; }
    virtual HWND handle() const { return hwnd_; }
    static HWND handleOf(const TDialog* dialog) { return dialog ? dialog->hwnd_ : nullptr; }
    virtual void attach(HWND hwnd);

    bool showWindow(int cmd);
    bool isWindowVisible() const;
    bool setWindowText(const std::string& text);
    bool setDlgItemText(int id, const std::string& text);
    // The control's text, shorter than size bytes and never ending inside a character.
    std::string getDlgItemText(int id, size_t size) const;
    // A handle of the control for enableWindow-style calls; null when there is none.
    HWND getDlgItem(int id) const;
    bool endDialog(int result);
    bool setTimer(uintptr_t id, uint32_t periodMs);
    bool killTimer(uintptr_t id);
    // The dialog itself; true when it was disabled before.
    bool enableWindow(bool enable);
    // A control; true when it was disabled before.
    bool enableItem(int id, bool enable);
    bool checkRadioButton(int first, int last, int id);
    bool checkDlgButton(int id, unsigned state);
    unsigned isDlgButtonChecked(int id) const;
    // Centres the dialog over its owner (divisions toward zero); true.
    bool centreOverParent();

    // The dialog procedure shared by every TDialog.
    static intptr_t dialogProc(HWND hwnd, uint32_t message, uintptr_t wParam, intptr_t lParam);

protected:
    HWND parent_ = nullptr;
    uint32_t message_ = 0;
    uintptr_t wParam_ = 0;
    intptr_t lParam_ = 0;

private:
    uint16_t templateId_;
    HWND hwnd_ = nullptr;
};

// A modal dialog over the running game: the screen is prepared for a system dialog and the game's
// cursor sprite hidden while it is open.
class TDxDialog : public TDialog {
public:
    using TDialog::TDialog;
    int doModal(HWND parent) override;
};

class TChatDialog : public TDxDialog {
public:
    static constexpr uint16_t kTemplate = 105;
    static constexpr size_t kTextBuffer = 511;

    // Null pointers leave the strings empty. Texts are Shift-JIS.
    TChatDialog(const char* text, const char* prompt, const char* caption);
    ~TChatDialog() override = default;
    intptr_t handleMessage() override;

    // The initial text, and after OK the text typed.
    const std::string& text() const { return text_; }

private:
    std::string text_;
    std::string prompt_;
    std::string caption_;
};
