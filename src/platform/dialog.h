#pragma once
// Modal dialogs. The one dialog the system has (template 105, a one-line text entry with a
// prompt, OK and Cancel) runs as an overlay drawn over the owner window's last frame, with SDL
// text input; its procedure sees WM_INITDIALOG and WM_COMMAND as from a dialog box. While it runs,
// the modal loop dispatches every other window's messages. On the headless back end it follows a
// queued script and answers Cancel when the script is used up, so it never waits.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/window_system.h"

namespace platform {

constexpr int kChatDialogTemplate = 105;
enum : int { IDC_CHAT_EDIT = 1001, IDC_CHAT_PROMPT = 1005 };
// Bytes the entry line takes at most.
constexpr size_t kChatMaxBytes = 510;

using DlgProc = intptr_t (*)(HWND dialog, uint32_t message, uintptr_t wParam, intptr_t lParam);

// The controls a template is made of.
enum class DialogControlKind { Static, Edit, PushButton, CheckBox, RadioButton };
struct DialogControl {
    int id = 0;
    DialogControlKind kind = DialogControlKind::Static;
    std::string text;  // Shift-JIS, the template's initial text
};
enum : unsigned { BST_UNCHECKED = 0, BST_CHECKED = 1, BST_INDETERMINATE = 2 };

// Runs the dialog of the template over parent (or unowned) until endDialog; returns the value
// given to endDialog, or -1 when the template does not exist.
int dialogBox(HWND parent, int templateId, DlgProc proc, intptr_t param);
bool endDialog(HWND dialog, int result);
bool setDlgItemText(HWND dialog, int id, const std::string& sjis);
// The control's text, cut to fewer than bufferSize bytes on a character boundary.
std::string getDlgItemText(HWND dialog, int id, size_t bufferSize);
// Whether the dialog is one of ours and still open.
bool isDialog(HWND dialog);
// A handle of the control (the same one each time) that enableWindow and isWindowEnabled take;
// null when the dialog has no such control. It is not a window: it is forgotten with the dialog.
HWND getDlgItem(HWND dialog, int id);
// Check boxes and radio buttons: false (and no effect) for any other control or an unknown one.
bool checkDlgButton(HWND dialog, int id, unsigned state);
// BST_UNCHECKED for anything that is not a checked check box or radio button.
unsigned isDlgButtonChecked(HWND dialog, int id);
// Checks id and clears every other check box and radio button whose id is in first..last.
bool checkRadioButton(HWND dialog, int first, int last, int id);

// The longest prefix of sjis that fits in maxBytes without splitting a double-byte character.
size_t sjisFitLength(const std::string& sjis, size_t maxBytes);

namespace headless {
enum class DialogStep { Type, Backspace, Ok, Cancel, Close, Enter, Escape };
// Queues one step for the next dialogs (typed text is UTF-8, as from a keyboard).
void queueDialogStep(DialogStep step, const std::string& utf8 = {});
void clearDialogSteps();
// A template of other controls, opened only on the headless back end (the real one draws the
// chat entry alone). The chat template itself cannot be replaced: false.
bool defineDialogTemplate(int templateId, std::vector<DialogControl> controls);
}  // namespace headless

}  // namespace platform
