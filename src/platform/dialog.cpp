#include "platform/dialog.h"

#include <deque>
#include <map>
#include <optional>
#include <utility>

#include "platform/clock.h"
#include "platform/codepage.h"
#include "platform/window_backend.h"

namespace platform {
namespace {

using detail::DialogView;
using detail::kDialogClass;

struct Control {
    DialogControlKind kind = DialogControlKind::Static;
    std::string text;  // Shift-JIS
    bool enabled = true;
    unsigned check = BST_UNCHECKED;
    HWND handle = nullptr;  // given out by getDlgItem
};

struct DialogState {
    DlgProc proc = nullptr;
    HWND owner = nullptr;
    std::map<int, Control> controls;  // by id
    bool ended = false;
    int result = 0;
};

std::map<HWND, DialogState>& dialogs() {
    static std::map<HWND, DialogState> d;
    return d;
}

// Templates other than the chat entry (headless only).
std::map<int, std::vector<DialogControl>>& extraTemplates() {
    static std::map<int, std::vector<DialogControl>> t;
    return t;
}

std::vector<DialogControl> chatTemplate() {
    using K = DialogControlKind;
    return {{IDC_CHAT_PROMPT, K::Static, toSjis("スタティック")},  // replaced by the prompt
            {IDC_CHAT_EDIT, K::Edit, {}},
            {IDOK, K::PushButton, "OK"},
            {IDCANCEL, K::PushButton, toSjis("キャンセル")}};
}

// Control handles: odd numbers, so never a window's (those are multiples of four).
struct ControlRef {
    HWND dialog;
    int id;
};
std::map<uintptr_t, ControlRef>& controlHandles() {
    static std::map<uintptr_t, ControlRef> h;
    return h;
}
uintptr_t nextControlHandle = 0x40000001;

// The procedure of a dialog being created, until its first message arrives.
DlgProc pendingProc = nullptr;

struct Step {
    headless::DialogStep step;
    std::string text;
};

std::deque<Step>& script() {
    static std::deque<Step> s;
    return s;
}

DialogState* stateOf(HWND h) {
    auto it = dialogs().find(h);
    return it == dialogs().end() ? nullptr : &it->second;
}

Control* controlOf(DialogState* st, int id) {
    if (!st) return nullptr;
    auto it = st->controls.find(id);
    return it == st->controls.end() ? nullptr : &it->second;
}

Control* controlOf(HWND handle) {
    auto it = controlHandles().find(reinterpret_cast<uintptr_t>(handle));
    if (it == controlHandles().end()) return nullptr;
    return controlOf(stateOf(it->second.dialog), it->second.id);
}

bool enabled(DialogState& st, int id) {
    Control* c = controlOf(&st, id);
    return c && c->enabled;
}

std::string& editLine(DialogState& st) { return st.controls[IDC_CHAT_EDIT].text; }

void forget(HWND dlg) {
    std::erase_if(controlHandles(), [dlg](const auto& e) { return e.second.dialog == dlg; });
    dialogs().erase(dlg);
}

intptr_t dialogWindowProc(HWND h, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    DialogState* st = stateOf(h);
    if (!st && pendingProc) {
        dialogs()[h].proc = pendingProc;
        pendingProc = nullptr;
        st = stateOf(h);
    }
    intptr_t handled = st && st->proc ? st->proc(h, message, wParam, lParam) : 0;
    if (message == WM_NCCREATE) return 1;
    // A dialog closed by its close box answers as Cancel.
    if (message == WM_CLOSE && !handled) sendMessage(h, WM_COMMAND, IDCANCEL, 0);
    return handled;
}

void command(HWND dlg, int id) { sendMessage(dlg, WM_COMMAND, static_cast<uintptr_t>(id) & 0xFFFF, 0); }

// A press of a push button: nothing when it is missing or disabled.
void press(HWND dlg, int id) {
    DialogState* st = stateOf(dlg);
    if (st && enabled(*st, id)) command(dlg, id);
}

// Appends typed text to the entry line, keeping it within its byte limit.
void typeText(DialogState& st, const std::string& utf8) {
    if (!enabled(st, IDC_CHAT_EDIT)) return;
    std::string& line = editLine(st);
    std::string add = toSjis(utf8);
    size_t room = line.size() < kChatMaxBytes ? kChatMaxBytes - line.size() : 0;
    line += add.substr(0, sjisFitLength(add, room));
}

void backspace(DialogState& st) {
    if (!enabled(st, IDC_CHAT_EDIT)) return;
    std::string& line = editLine(st);
    size_t last = 0, i = 0;
    const auto* p = reinterpret_cast<const uint8_t*>(line.data());
    while (i < line.size()) {
        last = i;
        i += static_cast<size_t>(sjisCharLength(p + i, p + line.size()));
    }
    line.resize(line.empty() ? 0 : last);
}

// The template's layout in pixels (its dialog units at 1.5 x 1.625), centred on a canvas.
DialogView layout(const DialogState& st, HWND dlg, int canvasW, int canvasH) {
    DialogView v;
    const int w = 279, body = 94, bar = 22;
    int x = (canvasW - w) / 2, y = (canvasH - (body + bar)) / 2;
    auto r = [&](int l, int t, int rw, int rh) { return Rect{x + l, y + bar + t, x + l + rw, y + bar + t + rh}; };
    v.panel = {x, y, x + w, y + bar + body};
    v.titleBar = {x, y, x + w, y + bar};
    v.promptBox = r(10, 11, 258, 13);
    v.edit = r(10, 34, 258, 23);
    v.ok = r(115, 60, 75, 23);
    v.cancel = r(193, 60, 75, 23);
    v.title = toUtf8(windowText(dlg));
    auto text = [&](int id) {
        auto it = st.controls.find(id);
        return it == st.controls.end() ? std::string() : toUtf8(it->second.text);
    };
    v.prompt = text(IDC_CHAT_PROMPT);
    v.text = text(IDC_CHAT_EDIT);
    v.okLabel = text(IDOK);
    v.cancelLabel = text(IDCANCEL);
    auto on = [&](int id) {
        auto it = st.controls.find(id);
        return it != st.controls.end() && it->second.enabled;
    };
    v.okEnabled = on(IDOK);
    v.cancelEnabled = on(IDCANCEL);
    return v;
}

void canvasSize(HWND owner, int& w, int& h) {
    std::vector<uint32_t> pixels;
    if (owner && lastPresentedFrame(owner, w, h, pixels)) return;
    Rect c;
    if (owner && getClientRect(owner, c) && c.width() > 0 && c.height() > 0) {
        w = c.width();
        h = c.height();
        return;
    }
    w = 640;
    h = 480;
}

bool inside(const Rect& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

// What the modal loop takes for the dialog instead of dispatching. True when consumed.
bool filter(HWND dlg, const Msg& m) {
    DialogState* st = stateOf(dlg);
    if (!st) return false;
    bool ours = m.hwnd == dlg || m.hwnd == st->owner || !m.hwnd;
    if (!ours) return false;
    switch (m.message) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            // Enter presses the default button, which does nothing while disabled; Escape always
            // answers Cancel.
            if (m.wParam == VK_RETURN)
                press(dlg, IDOK);
            else if (m.wParam == VK_ESCAPE)
                command(dlg, IDCANCEL);
            else if (m.wParam == VK_BACK)
                backspace(*st);
            return true;
        case WM_KEYUP:
        case WM_SYSKEYUP:
        case WM_CHAR:
            return true;
        case WM_LBUTTONDOWN: {
            int w, h;
            canvasSize(st->owner, w, h);
            DialogView v = layout(*st, dlg, w, h);
            int x = signedLo(static_cast<uintptr_t>(m.lParam)), y = signedHi(static_cast<uintptr_t>(m.lParam));
            if (inside(v.ok, x, y))
                press(dlg, IDOK);
            else if (inside(v.cancel, x, y))
                press(dlg, IDCANCEL);
            return true;
        }
        case WM_LBUTTONUP:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONUP:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK:
        case WM_MOUSEWHEEL:
            return true;
        case WM_CLOSE:
            sendMessage(dlg, WM_CLOSE, 0, 0);
            return true;
        default:
            return false;
    }
}

// One scripted step of the headless back end; false when the script is used up.
bool runScriptStep(HWND dlg) {
    DialogState* st = stateOf(dlg);
    if (!st || script().empty()) return false;
    Step s = script().front();
    script().pop_front();
    switch (s.step) {
        case headless::DialogStep::Type:
            typeText(*st, s.text);
            break;
        case headless::DialogStep::Backspace:
            backspace(*st);
            break;
        case headless::DialogStep::Ok:
            press(dlg, IDOK);
            break;
        case headless::DialogStep::Cancel:
            press(dlg, IDCANCEL);
            break;
        case headless::DialogStep::Close:
            sendMessage(dlg, WM_CLOSE, 0, 0);
            break;
        case headless::DialogStep::Enter:
            postMessage(st->owner, WM_KEYDOWN, VK_RETURN, 0);
            break;
        case headless::DialogStep::Escape:
            postMessage(st->owner, WM_KEYDOWN, VK_ESCAPE, 0);
            break;
    }
    return true;
}

}  // namespace

size_t sjisFitLength(const std::string& sjis, size_t maxBytes) {
    const auto* p = reinterpret_cast<const uint8_t*>(sjis.data());
    const auto* end = p + sjis.size();
    size_t n = 0;
    while (p + n < end) {
        size_t len = static_cast<size_t>(sjisCharLength(p + n, end));
        if (n + len > maxBytes) break;
        n += len;
    }
    return n;
}

int dialogBox(HWND parent, int templateId, DlgProc proc, intptr_t param) {
    std::vector<DialogControl> controls;
    if (templateId == kChatDialogTemplate) {
        controls = chatTemplate();
    } else {
        auto it = extraTemplates().find(templateId);
        if (it == extraTemplates().end() || currentBackend() != Backend::Headless) return -1;
        controls = it->second;
    }
    if (!proc) return -1;
    if (!isClassRegistered(kDialogClass)) registerClass({kDialogClass, &dialogWindowProc, 0});
    pendingProc = proc;
    HWND dlg = createWindow(0, kDialogClass, "Dialog", WS_CAPTION | WS_SYSMENU, 0, 0, 279, 116, parent, nullptr);
    pendingProc = nullptr;
    DialogState* st = stateOf(dlg);
    if (!dlg || !st) {
        if (dlg) destroyWindow(dlg);
        return -1;
    }
    st->owner = parent;
    for (const DialogControl& c : controls) {
        Control& made = st->controls[c.id];
        made.kind = c.kind;
        made.text = c.text;
    }
    const bool textWasOn = isTextInputOn();
    setTextReceiver([dlg](const std::string& utf8) {
        if (DialogState* s = stateOf(dlg)) typeText(*s, utf8);
    });
    setTextInput(true);
    sendMessage(dlg, WM_INITDIALOG, IDC_CHAT_EDIT, param);

    bool quit = false;
    uintptr_t quitCode = 0;
    // What the overlay shows now: it is drawn again only when that changes, after a message that
    // may have drawn over it (an expose among them; not the timers that tick while it waits), and
    // twice a second besides, so that a dialog left open costs next to nothing.
    std::optional<detail::DialogView> shown;
    int shownWidth = 0, shownHeight = 0;
    uint32_t shownAt = 0;
    while ((st = stateOf(dlg)) && !st->ended) {
        Msg m;
        if (peekMessage(m, true)) {
            if (m.message != WM_TIMER && m.message != WM_MOUSEMOVE) shown.reset();
            if (m.message == WM_QUIT) {
                // The program is ending: the dialog answers Cancel and the quit goes on afterwards.
                quit = true;
                quitCode = m.wParam;
                command(dlg, IDCANCEL);
                if ((st = stateOf(dlg)) && !st->ended) endDialog(dlg, IDCANCEL);
                continue;
            }
            if (!filter(dlg, m)) dispatchMessage(m);
            continue;
        }
        if (currentBackend() == Backend::Headless) {
            // Nothing waits on a person here: an exhausted script answers Cancel.
            if (!runScriptStep(dlg)) {
                command(dlg, IDCANCEL);
                if ((st = stateOf(dlg)) && !st->ended) endDialog(dlg, IDCANCEL);
            }
            continue;
        }
        int w, h;
        canvasSize(st->owner, w, h);
        detail::DialogView view = layout(*st, dlg, w, h);
        if (!shown || !(*shown == view) || w != shownWidth || h != shownHeight ||
            static_cast<int32_t>(timeGetTime() - shownAt) >= 500) {
            detail::drawDialogOverlay(st->owner, view, w, h);
            shown = std::move(view);
            shownWidth = w;
            shownHeight = h;
            shownAt = timeGetTime();
        }
        sleepMs(10);
        // A queued script also drives the real overlay (after it has been drawn), for tests on a
        // display; without one the dialog waits for the person at the keyboard.
        runScriptStep(dlg);
    }
    int result = st ? st->result : IDCANCEL;
    setTextReceiver(nullptr);
    setTextInput(textWasOn);
    destroyWindow(dlg);
    forget(dlg);
    if (parent) {
        // Show the owner's own frame again.
        int w, h;
        std::vector<uint32_t> pixels;
        if (lastPresentedFrame(parent, w, h, pixels)) detail::presentOverlay(parent, pixels.data(), w, h);
    }
    if (quit) postQuitMessage(static_cast<int>(static_cast<intptr_t>(quitCode)));
    return result;
}

bool endDialog(HWND dialog, int result) {
    DialogState* st = stateOf(dialog);
    if (!st) return false;
    st->ended = true;
    st->result = result;
    return true;
}

bool setDlgItemText(HWND dialog, int id, const std::string& sjis) {
    Control* c = controlOf(stateOf(dialog), id);
    if (!c) return false;
    c->text = c->kind == DialogControlKind::Edit ? sjis.substr(0, sjisFitLength(sjis, kChatMaxBytes)) : sjis;
    return true;
}

std::string getDlgItemText(HWND dialog, int id, size_t bufferSize) {
    Control* c = controlOf(stateOf(dialog), id);
    if (!c || bufferSize == 0) return {};
    return c->text.substr(0, sjisFitLength(c->text, bufferSize - 1));
}

HWND getDlgItem(HWND dialog, int id) {
    Control* c = controlOf(stateOf(dialog), id);
    if (!c) return nullptr;
    if (!c->handle) {
        uintptr_t h = nextControlHandle;
        nextControlHandle += 2;
        controlHandles()[h] = {dialog, id};
        c->handle = reinterpret_cast<HWND>(h);
    }
    return c->handle;
}

namespace {
bool checkable(const Control* c) {
    return c && (c->kind == DialogControlKind::CheckBox || c->kind == DialogControlKind::RadioButton);
}
}  // namespace

bool checkDlgButton(HWND dialog, int id, unsigned state) {
    Control* c = controlOf(stateOf(dialog), id);
    if (!checkable(c) || state > BST_INDETERMINATE) return false;
    c->check = state;
    return true;
}

unsigned isDlgButtonChecked(HWND dialog, int id) {
    Control* c = controlOf(stateOf(dialog), id);
    return checkable(c) ? c->check : BST_UNCHECKED;
}

bool checkRadioButton(HWND dialog, int first, int last, int id) {
    DialogState* st = stateOf(dialog);
    if (!st) return false;
    for (auto& [cid, c] : st->controls)
        if (cid >= first && cid <= last && checkable(&c)) c.check = cid == id ? BST_CHECKED : BST_UNCHECKED;
    return true;
}

bool detail::dialogControlEnabled(HWND control, bool& isEnabled) {
    Control* c = controlOf(control);
    if (!c) return false;
    isEnabled = c->enabled;
    return true;
}

bool detail::enableDialogControl(HWND control, bool enable, bool& before) {
    Control* c = controlOf(control);
    if (!c) return false;
    before = c->enabled;
    c->enabled = enable;
    return true;
}

bool isDialog(HWND dialog) {
    DialogState* st = stateOf(dialog);
    return st && !st->ended;
}

namespace headless {
void queueDialogStep(DialogStep step, const std::string& utf8) { script().push_back({step, utf8}); }
void clearDialogSteps() { script().clear(); }
bool defineDialogTemplate(int templateId, std::vector<DialogControl> controls) {
    if (templateId == kChatDialogTemplate) return false;
    extraTemplates()[templateId] = std::move(controls);
    return true;
}
}  // namespace headless

}  // namespace platform
