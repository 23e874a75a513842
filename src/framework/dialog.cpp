#include "framework/dialog.h"

#include "framework/application.h"
#include "framework/frame.h"
#include "framework/window.h"
#include "platform/dialog.h"

using namespace platform;

namespace {
// The dialog whose creation is under way: its first message binds it to its handle.
TDialog* dialogBeingCreated = nullptr;
}  // namespace

TDialog::TDialog(uint16_t templateId) : templateId_(templateId) {}

TDialog::~TDialog() {
    if (dialogBeingCreated == this) dialogBeingCreated = nullptr;
    if (hwnd_) setWindowUserData(hwnd_, nullptr);
}

intptr_t TDialog::dialogProc(HWND hwnd, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    auto* self = static_cast<TDialog*>(windowUserData(hwnd));
    if (!self && dialogBeingCreated) {
        self = dialogBeingCreated;
        dialogBeingCreated = nullptr;
        self->attach(hwnd);
    }
    if (!self) return 0;
    self->message_ = message;
    self->wParam_ = wParam;
    self->lParam_ = lParam;
    return self->handleMessage();
}

void TDialog::attach(HWND hwnd) {
    hwnd_ = hwnd;
    setWindowUserData(hwnd, this);
}

int TDialog::doModal(HWND parent) {
    dialogBeingCreated = this;
    if (!parent) {
        TApp* app = application();
        TWindow* main = app ? app->mainWindow() : nullptr;
        parent = main ? main->handle() : nullptr;
    }
    parent_ = parent;
    int result = -1;
    if (templateId_ != 0) result = dialogBox(parent, templateId_, &TDialog::dialogProc, 0);
    if (dialogBeingCreated == this) dialogBeingCreated = nullptr;
    return result;
}

HWND TDialog::createModeless(HWND) { return nullptr; }

intptr_t TDialog::handleMessage() {
    if (message_ == WM_NCDESTROY) {
        intptr_t r = defWindowProc(hwnd_, message_, wParam_, lParam_);
        hwnd_ = nullptr;
        return r;
    }
    return 0;
}

bool TDialog::showWindow(int cmd) { return platform::showWindow(hwnd_, cmd); }
bool TDialog::isWindowVisible() const { return platform::isWindowVisible(hwnd_); }
bool TDialog::setWindowText(const std::string& text) { return platform::setWindowText(hwnd_, text); }
bool TDialog::setDlgItemText(int id, const std::string& text) { return platform::setDlgItemText(hwnd_, id, text); }
std::string TDialog::getDlgItemText(int id, size_t size) const { return platform::getDlgItemText(hwnd_, id, size); }
TDialog::HWND TDialog::getDlgItem(int id) const { return platform::getDlgItem(hwnd_, id); }
bool TDialog::endDialog(int result) { return platform::endDialog(hwnd_, result); }
bool TDialog::enableWindow(bool enable) { return platform::enableWindow(hwnd_, enable); }
bool TDialog::enableItem(int id, bool enable) { return platform::enableWindow(getDlgItem(id), enable); }
bool TDialog::checkRadioButton(int first, int last, int id) {
    return platform::checkRadioButton(hwnd_, first, last, id);
}
bool TDialog::checkDlgButton(int id, unsigned state) { return platform::checkDlgButton(hwnd_, id, state); }
unsigned TDialog::isDlgButtonChecked(int id) const { return platform::isDlgButtonChecked(hwnd_, id); }
bool TDialog::setTimer(uintptr_t id, uint32_t periodMs) { return platform::setTimer(hwnd_, id, periodMs); }
bool TDialog::killTimer(uintptr_t id) { return platform::killTimer(hwnd_, id); }

bool TDialog::centreOverParent() {
    Rect parent, own;
    if (!getWindowRect(parent_, parent) || !getWindowRect(hwnd_, own)) return true;
    int x = parent.left + (parent.width() - own.width()) / 2;
    int y = parent.top + (parent.height() - own.height()) / 2;
    moveWindow(hwnd_, x, y, own.width(), own.height(), true);
    return true;
}

// ---- TDxDialog ----------------------------------------------------------------------------------

int TDxDialog::doModal(HWND parent) {
    TGameFrameGr* frame = graphicsFrame();
    if (!frame) return TDialog::doModal(parent);
    frame->beginSystemDialog();
    bool cursor = frame->cursorAvailable();
    frame->setCursorAvailable(false);
    int result = TDialog::doModal(parent);
    frame->endSystemDialog();
    frame->setCursorAvailable(cursor);
    return result;
}

// ---- TChatDialog --------------------------------------------------------------------------------

TChatDialog::TChatDialog(const char* text, const char* prompt, const char* caption)
    : TDxDialog(kTemplate), text_(text ? text : ""), prompt_(prompt ? prompt : ""), caption_(caption ? caption : "") {}

intptr_t TChatDialog::handleMessage() {
    if (message_ == WM_INITDIALOG) {
        setDlgItemText(IDC_CHAT_EDIT, text_);
        setDlgItemText(IDC_CHAT_PROMPT, prompt_);
        setWindowText(caption_);
        // Keeps messages flowing through the modal loop; the base handler ignores them.
        setTimer(100, 100);
        return 1;
    }
    if (message_ == WM_COMMAND) {
        switch (loWord(wParam_)) {
            case IDOK:
                text_ = getDlgItemText(IDC_CHAT_EDIT, kTextBuffer);
                endDialog(IDOK);
                break;
            case IDCANCEL:
                endDialog(IDCANCEL);
                break;
            default:
                break;
        }
        return 1;
    }
    return TDxDialog::handleMessage();
}
