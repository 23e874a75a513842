#include "framework/window.h"

#include <algorithm>

#include "framework/application.h"
#include "framework/application_error.h"
#include "platform/input_devices.h"

using namespace platform;

namespace {
// The window whose creation is under way: its first messages arrive before createWindow returns.
TWindow* windowBeingCreated = nullptr;
}  // namespace

TWindow::TWindow(std::string className) : className_(std::move(className)) {}

TWindow::~TWindow() {
    if (hwnd_) {
        // The object is going: later messages of the window go to the default procedure.
        HWND h = hwnd_;
        setWindowUserData(h, nullptr);
        hwnd_ = nullptr;
        platform::destroyWindow(h);
    }
    if (windowBeingCreated == this) windowBeingCreated = nullptr;
    if (TApp* app = application(); app && app->mainWindow() == this) app->setMainWindow(nullptr);
}

intptr_t TWindow::windowProc(HWND hwnd, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    auto* self = static_cast<TWindow*>(windowUserData(hwnd));
    if (!self && windowBeingCreated) {
        self = windowBeingCreated;
        windowBeingCreated = nullptr;
        self->hwnd_ = hwnd;
        setWindowUserData(hwnd, self);
    }
    if (!self) return defWindowProc(hwnd, message, wParam, lParam);
    return self->handleMessage(message, wParam, lParam);
}

void TWindow::setTitle(const std::string& title) {
    title_ = title;
    if (hwnd_) applyTitle();
}

void TWindow::setPosition(int x, int y) {
    x_ = x;
    y_ = y;
    if (hwnd_) applyPlacement();
}

void TWindow::setClientSize(int width, int height) {
    clientWidth_ = width;
    clientHeight_ = height;
    if (hwnd_) applyPlacement();
}

bool TWindow::registerClass() {
    if (isClassRegistered(className_)) return true;
    return platform::registerClass({className_, &TWindow::windowProc, classStyle_, cursor_});
}

uint32_t TWindow::create(HWND parent, void*, void* param) {
    if (!registerClass()) return kErrWindowClass;
    windowBeingCreated = this;
    int height = clientHeight_ == CW_USEDEFAULT ? CW_USEDEFAULT : clientHeight_ + 100;
    HWND h = createWindow(exStyle_, className_, title_, style_, x_, y_, clientWidth_, height, parent, param);
    if (windowBeingCreated == this) windowBeingCreated = nullptr;
    if (!h) return kErrWindowCreate;
    hwnd_ = h;
    if (TApp* app = application(); app && !app->mainWindow()) app->setMainWindow(this);
    if (clientWidth_ != CW_USEDEFAULT) {
        if (x_ == CW_USEDEFAULT)
            moveToCentre(clientWidth_, clientHeight_, true, true, true);
        else
            moveTo(x_, y_, clientWidth_, clientHeight_, true, true);
    }
    return onCreated() ? 0u : static_cast<uint32_t>(kErrWindowCreate);
}

void TWindow::addMessageHook(Hook hook, void* user) { hooks_.push_back({hook, user}); }

void TWindow::removeMessageHook(Hook hook, void* user) {
    std::erase_if(hooks_, [&](const HookEntry& e) { return e.hook == hook && e.user == user; });
}

bool TWindow::showWindow(int cmd) { return platform::showWindow(hwnd_, cmd); }
bool TWindow::isWindowVisible() const { return platform::isWindowVisible(hwnd_); }
bool TWindow::destroyWindow() { return platform::destroyWindow(hwnd_); }
bool TWindow::applyTitle() { return platform::setWindowText(hwnd_, title_); }
bool TWindow::setWindowText(const std::string& text) { return platform::setWindowText(hwnd_, text); }
bool TWindow::screenToClient(Point& p) const { return platform::screenToClient(hwnd_, p); }
bool TWindow::clientToScreen(Point& p) const { return platform::clientToScreen(hwnd_, p); }

bool TWindow::applyPlacement() { return moveTo(x_, y_, clientWidth_, clientHeight_, true, true); }

namespace {

struct Placement {
    int outerWidth;
    int outerHeight;
    int screenWidth;
    int screenHeight;
};

bool measure(HWND h, int clientWidth, int clientHeight, Placement& out, Rect& window) {
    Rect client;
    if (!getWindowRect(h, window) || !getClientRect(h, client)) return false;
    int frameW = window.width() - client.width();
    int frameH = window.height() - client.height();
    out.outerWidth = clientWidth ? clientWidth + frameW : window.width();
    out.outerHeight = clientHeight ? clientHeight + frameH : window.height();
    out.screenWidth = getSystemMetrics(SM_CXFULLSCREEN);
    out.screenHeight = getSystemMetrics(SM_CYFULLSCREEN);
    return true;
}

// Pulls a window that reaches past the right or bottom edge back to it (compared unsigned, so
// that a default coordinate counts as past the edge), then a negative coordinate to 0.
bool place(HWND h, int x, int y, const Placement& p, bool repaint, bool force) {
    if (static_cast<uint32_t>(x) + static_cast<uint32_t>(p.outerWidth) > static_cast<uint32_t>(p.screenWidth))
        x = p.screenWidth - p.outerWidth;
    if (static_cast<uint32_t>(y) + static_cast<uint32_t>(p.outerHeight) > static_cast<uint32_t>(p.screenHeight))
        y = p.screenHeight - p.outerHeight;
    x = std::max(x, 0);
    y = std::max(y, 0);
    bool fits = x + p.outerWidth <= p.screenWidth && y + p.outerHeight <= p.screenHeight;
    if (fits || force) moveWindow(h, x, y, p.outerWidth, p.outerHeight, repaint);
    return fits;
}

}  // namespace

bool TWindow::moveToCentre(int clientWidth, int clientHeight, bool repaint, bool centre, bool force) {
    Placement p;
    Rect window;
    if (!measure(hwnd_, clientWidth, clientHeight, p, window)) return false;
    int x = centre ? (p.screenWidth - p.outerWidth) / 2 : window.left;
    int y = centre ? (p.screenHeight - p.outerHeight) / 2 : window.top;
    return place(hwnd_, x, y, p, repaint, force);
}

bool TWindow::moveTo(int x, int y, int clientWidth, int clientHeight, bool repaint, bool force) {
    Placement p;
    Rect window;
    if (!measure(hwnd_, clientWidth == CW_USEDEFAULT ? 0 : clientWidth,
                 clientHeight == CW_USEDEFAULT ? 0 : clientHeight, p, window))
        return false;
    return place(hwnd_, x, y, p, repaint, force);
}

bool TWindow::isForeground() const { return hwnd_ && getForegroundWindow() == hwnd_; }
bool TWindow::getWindowRect(Rect& out) const { return platform::getWindowRect(hwnd_, out); }
bool TWindow::getClientRect(Rect& out) const { return platform::getClientRect(hwnd_, out); }

bool TWindow::getCursorPos(Point& out) const {
    Point p;
    if (!platform::getCursorPos(p) || !platform::screenToClient(hwnd_, p)) return false;
    out = p;
    return true;
}

void TWindow::setCapture() { platform::setCapture(hwnd_); }

void TWindow::releaseCapture() {
    if (hasCapture()) platform::releaseCapture();
}

bool TWindow::hasCapture() const { return hwnd_ && platform::getCapture() == hwnd_; }

bool TWindow::invalidateRect() { return platform::invalidateRect(hwnd_); }
bool TWindow::updateWindow() { return platform::updateWindow(hwnd_); }
bool TWindow::setTimer(uintptr_t id, uint32_t periodMs) { return platform::setTimer(hwnd_, id, periodMs); }
bool TWindow::killTimer(uintptr_t id) { return platform::killTimer(hwnd_, id); }

void TWindow::idle() {
    // A copy: a hook may add or remove hooks while it runs.
    std::vector<HookEntry> hooks = hooks_;
    for (const HookEntry& e : hooks) e.hook(this, WM_IDLE_NOTIFY, 0, 0, e.user);
}

void TWindow::imeOff() {
    textInputSaved_ = isTextInputOn();
    setTextInput(false);
}

void TWindow::imeOn() {
    if (textInputSaved_) setTextInput(true);
}

void TWindow::setStyle(uint32_t style) {
    style_ = style;
    setWindowStyle(hwnd_, style);
}

int TWindow::messageBox(unsigned resourceId, uint32_t type) {
    TApp* app = application();
    std::string text = app ? app->loadString(resourceId) : std::string();
    return showMessageBox(text, app ? app->appName() : std::string(), type);
}

int TWindow::messageBox(const std::string& text, uint32_t type) {
    TApp* app = application();
    return showMessageBox(text, app ? app->appName() : std::string(), type);
}

int TWindow::messageBox(const char* text, uint32_t type) { return messageBox(std::string(text ? text : ""), type); }

int TWindow::messageBox(const char* text, const char* caption, uint32_t type) {
    return showMessageBox(text ? text : "", caption ? caption : "", type);
}

int TWindow::showMessageBox(const std::string& text, const std::string& caption, uint32_t type) {
    handleMessage(WM_BEFORE_MESSAGEBOX, 0, 0);
    int result = systemMessageBox(hwnd_, text, caption, type);
    handleMessage(WM_AFTER_MESSAGEBOX, 0, 0);
    return result;
}

intptr_t TWindow::handleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    message_ = message;
    wParam_ = wParam;
    lParam_ = lParam;
    return dispatch();
}

intptr_t TWindow::defaultResult() { return defWindowProc(hwnd_, message_, wParam_, lParam_); }

void TWindow::onActivateApp(bool active) {
    if (active) minimized_ = false;
}

void TWindow::onSize(uintptr_t kind, int width, int height) {
    if (kind == SIZE_RESTORED)
        onRestored(width, height);
    else if (kind == SIZE_MINIMIZED)
        onMinimized();
    else if (kind == SIZE_MAXIMIZED)
        onMaximized(width, height);
}

intptr_t TWindow::dispatch() {
    const uint32_t message = message_;
    const uintptr_t wParam = wParam_;
    const intptr_t lParam = lParam_;
    {
        std::vector<HookEntry> hooks = hooks_;
        for (const HookEntry& e : hooks) e.hook(this, message, wParam, lParam, e.user);
    }
    // Hooks may have sent messages of their own: the handlers see this message again.
    message_ = message;
    wParam_ = wParam;
    lParam_ = lParam;
    const int x = signedLo(static_cast<uintptr_t>(lParam));
    const int y = signedHi(static_cast<uintptr_t>(lParam));
    switch (message) {
        case WM_CREATE:
            return onCreate(reinterpret_cast<void*>(lParam));
        case WM_DESTROY:
            onDestroy();
            if (TApp* app = application(); app && app->mainWindow() == this) postQuitMessage(0);
            return 0;
        case WM_MOVE:
            return onMove(x, y);
        case WM_SIZE:
            onSize(wParam, x & 0xFFFF, y & 0xFFFF);
            return 0;
        case WM_ACTIVATE:
            onActivate(wParam, lParam);
            return 0;
        case WM_ENABLE:
            onEnable(wParam != 0);
            return 0;
        case WM_PAINT:
            onPaint();
            return 0;
        case WM_CLOSE:
            return onClose();
        case WM_ERASEBKGND:
            return 1;
        case WM_ENDSESSION:
            onEndSession(wParam != 0);
            return 0;
        case WM_ACTIVATEAPP:
            onActivateApp(wParam != 0);
            return 0;
        case WM_SETCURSOR:
            return onSetCursor() ? 1 : defaultResult();
        case WM_MOUSEACTIVATE:
            return onMouseActivate(wParam, loWord(static_cast<uintptr_t>(lParam)),
                                   hiWord(static_cast<uintptr_t>(lParam)));
        case WM_GETMINMAXINFO:
            onGetMinMaxInfo(lParam);
            return 0;
        case WM_NCDESTROY: {
            intptr_t r = defaultResult();
            if (hwnd_) setWindowUserData(hwnd_, nullptr);
            hwnd_ = nullptr;
            return r;
        }
        case WM_NCMOUSEMOVE:
            onNcMouseMove(wParam, x, y);
            return defaultResult();
        case WM_NCLBUTTONDOWN:
            onNcLButtonDown(wParam, x, y);
            return defaultResult();
        case WM_NCLBUTTONUP:
            onNcLButtonUp(wParam, x, y);
            return defaultResult();
        case WM_NCRBUTTONDOWN:
            onNcRButtonDown(wParam, x, y);
            return defaultResult();
        case WM_NCRBUTTONUP:
            onNcRButtonUp(wParam, x, y);
            return defaultResult();
        case WM_NCMBUTTONDOWN:
            onNcMButtonDown(wParam, x, y);
            return defaultResult();
        case WM_NCMBUTTONUP:
            onNcMButtonUp(wParam, x, y);
            return defaultResult();
        case WM_KEYDOWN:
            onKeyDown(wParam, lParam);
            return 0;
        case WM_KEYUP:
            onKeyUp(wParam, lParam);
            return 0;
        case WM_SYSKEYDOWN:
            return onSysKeyDown(wParam, lParam) ? 0 : defaultResult();
        case WM_SYSKEYUP:
            return onSysKeyUp(wParam, lParam) ? 0 : defaultResult();
        case WM_COMMAND:
            return onCommand(hiWord(wParam), loWord(wParam), lParam);
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == SC_RESTORE) {
                onRestoreCommand();
                return defaultResult();
            }
            return onSysCommand(wParam, lParam);
        case WM_INITMENU:
            onInitMenu(wParam);
            return 0;
        case WM_MOUSEMOVE:
            onMouseMove(wParam, x, y);
            return 0;
        case WM_LBUTTONDOWN:
            onLButtonDown(wParam, x, y);
            return 0;
        case WM_LBUTTONUP:
            onLButtonUp(wParam, x, y);
            return 0;
        case WM_LBUTTONDBLCLK:
            onLButtonDblClk(wParam, x, y);
            return 0;
        case WM_RBUTTONDOWN:
            onRButtonDown(wParam, x, y);
            return 0;
        case WM_RBUTTONUP:
            onRButtonUp(wParam, x, y);
            return 0;
        case WM_RBUTTONDBLCLK:
            onRButtonDblClk(wParam, x, y);
            return 0;
        case WM_MBUTTONDOWN:
            onMButtonDown(wParam, x, y);
            return 0;
        case WM_MBUTTONUP:
            onMButtonUp(wParam, x, y);
            return 0;
        case WM_MOUSEWHEEL:
            onMouseWheel(loWord(wParam), signedHi(wParam), x, y);
            return defaultResult();
        case WM_ENTERMENULOOP:
            onEnterMenuLoop(wParam);
            return 0;
        case WM_EXITMENULOOP:
            onExitMenuLoop(wParam);
            return 0;
        case WM_POWERBROADCAST:
            return onPowerBroadcast(wParam, lParam);
        case WM_ENTERSIZEMOVE:
            onEnterSizeMove();
            return 0;
        case WM_EXITSIZEMOVE:
            onExitSizeMove();
            return 0;
        case WM_QUERYNEWPALETTE:
            return onQueryNewPalette();
        case WM_PALETTECHANGED:
            if (wParam != reinterpret_cast<uintptr_t>(hwnd_)) onQueryNewPalette();
            onPaletteChanged(wParam);
            return 0;
        case MM_MCINOTIFY: {
            int device = loWord(static_cast<uintptr_t>(lParam));
            switch (wParam) {
                case MCI_NOTIFY_SUCCESSFUL:
                    return onMciSuccessful(device);
                case MCI_NOTIFY_SUPERSEDED:
                    return onMciSuperseded(device);
                case MCI_NOTIFY_ABORTED:
                    return onMciAborted(device);
                case MCI_NOTIFY_FAILURE:
                    return onMciFailure(device);
                default:
                    return defaultResult();
            }
        }
        case WM_BEFORE_MESSAGEBOX:
            onBeforeMessageBox();
            return 0;
        case WM_AFTER_MESSAGEBOX:
            onAfterMessageBox();
            return 0;
        default:
            return defaultResult();
    }
}
