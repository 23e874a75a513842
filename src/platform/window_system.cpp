#include "platform/window_system.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/clock.h"
#include "platform/headless.h"
#include "platform/window_backend.h"

namespace platform {
namespace detail {
namespace {

// The headless back end: no native side; frames of captioned windows have fixed sizes so that
// placement arithmetic is exercised as on a desktop.
class HeadlessBackend final : public WindowBackend {
public:
    void* createNative(HWND hwnd, const std::string&, const Rect&, uint32_t) override {
        if (failNext) {
            failNext = false;
            return nullptr;
        }
        return hwnd;
    }
    void destroyNative(void*) override {}
    void setTitle(void*, const std::string&) override {}
    void setClientRect(void*, const Rect&) override {}
    void setBordered(void*, bool) override {}
    void show(void*, int) override {}
    void raise(void*) override {}
    void captureMouse(bool) override {}
    void pump() override {}
    Rect frameInsets(uint32_t style) override {
        if ((style & WS_CAPTION) == WS_CAPTION) return {3, 26, 3, 3};
        return {};
    }
    Point screenSize() override { return screen; }
    void setTextInput(bool) override {}
    bool present(void*, const uint32_t*, int, int, const std::vector<Rect>*) override { return true; }
    bool pushKey(void*, int, bool) override { return false; }
    bool pushMouseMove(void*, int, int) override { return false; }
    void setCursor(int) override {}
    bool setFullScreen(void*, bool) override { return true; }
    // Listed by the display itself, which keeps the headless settings.
    std::vector<DisplayMode> displayModes() override { return {}; }
    int desktopDepth() override { return 32; }
    bool readBack(void*, int&, int&, std::vector<uint32_t>&) override { return false; }

    Point screen{1024, 768};
    bool failNext = false;
};

struct Window {
    std::string className;
    WndProc proc = nullptr;
    std::string title;
    uint32_t style = 0;
    uint32_t exStyle = 0;
    Rect outer;
    bool visible = false;
    bool minimized = false;
    bool dirty = false;
    bool destroying = false;
    bool overlay = false;  // a dialog: drawn inside its owner, nothing native behind it
    bool enabled = true;
    bool fullScreen = false;
    bool mouseInside = true;  // until the native window says the pointer left it
    void* user = nullptr;
    void* native = nullptr;
    int frameWidth = 0;
    int frameHeight = 0;
    std::vector<uint32_t> frame;
    bool showsFrame = false;  // the native side shows `frame` as it stands
};

struct Timer {
    uintptr_t window;
    uintptr_t id;
    uint32_t period;
    uint32_t due;
};

bool sameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

WindowBackend* abandonedBackend = nullptr;

struct Model {
    HeadlessBackend headless;
    std::unique_ptr<WindowBackend> sdl;
    WindowBackend* backend = &headless;
    Backend kind = Backend::Headless;

    std::vector<WindowClass> classes;
    std::map<uintptr_t, std::unique_ptr<Window>> windows;  // in creation order
    uintptr_t nextId = 0x100;
    // Read by the input object's polling thread as well: it never looks into the window table.
    std::atomic<uintptr_t> foreground{0};
    uintptr_t capture = 0;
    std::vector<Timer> timers;
    bool textInput = false;
    std::function<void(const std::string&)> textReceiver;

    std::mutex queueMutex;
    std::deque<Msg> queue;

    // The native back end is still up here only when the program ends through exit() from
    // somewhere else, as the display library does when its connection is lost: a call into a
    // display that is gone would wait for ever, so it is left to the end of the process.
    ~Model() { abandonedBackend = sdl.release(); }
};

Model& model() {
    static Model m;
    return m;
}

uintptr_t idOf(HWND h) { return reinterpret_cast<uintptr_t>(h); }
HWND handleOf(uintptr_t id) { return reinterpret_cast<HWND>(id); }

Window* find(HWND h) {
    auto& m = model();
    auto it = m.windows.find(idOf(h));
    return it == m.windows.end() ? nullptr : it->second.get();
}

Rect clientScreenRect(const Window& w) {
    Rect in = model().backend->frameInsets(w.style);
    return {w.outer.left + in.left, w.outer.top + in.top, w.outer.right - in.right, w.outer.bottom - in.bottom};
}

void dropMessagesOf(uintptr_t id) {
    auto& m = model();
    std::lock_guard lock(m.queueMutex);
    std::erase_if(m.queue, [id](const Msg& msg) { return idOf(msg.hwnd) == id; });
}

}  // namespace

DeviceState& deviceState() {
    static DeviceState state;
    return state;
}

bool noteKey(DeviceState& ds, int dik, bool down) {
    if (dik < 0 || dik > 255) return false;
    const bool before = ds.keys[dik] != 0;
    ds.keys[dik] = down ? 0x80 : 0;
    if (down && !before) ds.keysLatched[dik] = true;
    return before;
}

void noteButton(DeviceState& ds, int index, bool down) {
    if (index < 0 || index > 2) return;
    if (down && !ds.buttons[index]) ds.buttonsLatched[index] = true;
    ds.buttons[index] = down;
}

void releaseKeys(DeviceState& ds) {
    std::fill(std::begin(ds.keys), std::end(ds.keys), 0);
    std::fill(std::begin(ds.keysLatched), std::end(ds.keysLatched), false);
}

HWND windowFromNative(void* native) {
    for (auto& [id, w] : model().windows)
        if (w->native == native) return handleOf(id);
    return nullptr;
}

bool clientOrigin(HWND hwnd, Point& out) {
    Window* w = find(hwnd);
    if (!w) return false;
    Rect c = clientScreenRect(*w);
    out = {c.left, c.top};
    return true;
}

void nativeMoved(HWND hwnd, int clientX, int clientY) {
    Window* w = find(hwnd);
    if (!w) return;
    Rect c = clientScreenRect(*w);
    if (c.left == clientX && c.top == clientY) return;
    int dx = clientX - c.left, dy = clientY - c.top;
    w->outer = {w->outer.left + dx, w->outer.top + dy, w->outer.right + dx, w->outer.bottom + dy};
    postMessage(hwnd, WM_MOVE, 0, makeLParam(clientX, clientY));
}

void nativeResized(HWND hwnd, int clientWidth, int clientHeight) {
    Window* w = find(hwnd);
    if (!w) return;
    Rect c = clientScreenRect(*w);
    if (c.width() == clientWidth && c.height() == clientHeight && !w->minimized) return;
    w->minimized = false;
    w->outer.right += clientWidth - c.width();
    w->outer.bottom += clientHeight - c.height();
    postMessage(hwnd, WM_SIZE, SIZE_RESTORED, makeLParam(clientWidth, clientHeight));
}

void nativeMinimized(HWND hwnd, bool minimized) {
    Window* w = find(hwnd);
    if (!w || w->minimized == minimized) return;
    w->minimized = minimized;
    Rect c = clientScreenRect(*w);
    postMessage(hwnd, WM_SIZE, minimized ? SIZE_MINIMIZED : SIZE_RESTORED,
                minimized ? 0 : makeLParam(c.width(), c.height()));
}

void nativeFocus(HWND hwnd, bool gained) {
    auto& m = model();
    if (!find(hwnd)) return;
    if (gained) {
        m.foreground = idOf(hwnd);
    } else {
        if (m.foreground == idOf(hwnd)) m.foreground = 0;
        // Keys held while the focus leaves are never seen to come up.
        auto& ds = deviceState();
        std::lock_guard lock(ds.mutex);
        releaseKeys(ds);
    }
    postMessage(hwnd, WM_ACTIVATEAPP, gained ? 1 : 0, 0);
    postMessage(hwnd, WM_ACTIVATE, gained ? 1 : 0, 0);
}

void nativeMouseInside(HWND hwnd, bool inside) {
    if (Window* w = find(hwnd)) w->mouseInside = inside;
}

void deliverText(const std::string& utf8) {
    auto& m = model();
    if (m.textInput && m.textReceiver) m.textReceiver(utf8);
}

}  // namespace detail

using namespace detail;

bool initWindowSystem(Backend backend) {
    auto& m = model();
    if (backend == m.kind) return true;
    shutdownWindowSystem();
    if (backend == Backend::Sdl) {
        m.sdl = makeSdlBackend();
        if (!m.sdl) return false;
        m.backend = m.sdl.get();
        m.kind = Backend::Sdl;
        m.backend->setCursor(currentCursorId());
    }
    return true;
}

void shutdownWindowSystem() {
    auto& m = model();
    while (!m.windows.empty()) destroyWindow(handleOf(m.windows.rbegin()->first));
    clearMessages();
    m.timers.clear();
    m.textInput = false;
    m.textReceiver = nullptr;
    m.backend = &m.headless;
    m.sdl.reset();
    m.kind = Backend::Headless;
    m.foreground = 0;
}

Backend currentBackend() { return model().kind; }

bool virtualDisplayAllowed() {
    const char* v = std::getenv(kVirtualDisplayVariable);
    return v && std::strcmp(v, "1") == 0;
}

bool registerClass(const WindowClass& wc) {
    auto& m = model();
    if (!wc.proc || wc.name.empty() || isClassRegistered(wc.name)) return false;
    m.classes.push_back(wc);
    return true;
}

detail::WindowBackend& detail::activeBackend() { return *model().backend; }

HCURSOR detail::classCursor(HWND hwnd) {
    Window* w = find(hwnd);
    if (!w) return nullptr;
    for (auto& c : model().classes)
        if (sameName(c.name, w->className)) return c.cursor;
    return nullptr;
}

bool isClassRegistered(const std::string& name) {
    for (auto& c : model().classes)
        if (sameName(c.name, name)) return true;
    return false;
}

HWND createWindow(uint32_t exStyle, const std::string& className, const std::string& title, uint32_t style, int x,
                  int y, int width, int height, HWND /*parent*/, void* param) {
    auto& m = model();
    const WindowClass* wc = nullptr;
    for (auto& c : m.classes)
        if (sameName(c.name, className)) wc = &c;
    if (!wc) return nullptr;
    auto w = std::make_unique<Window>();
    w->className = wc->name;
    w->proc = wc->proc;
    w->title = title;
    w->style = style;
    w->exStyle = exStyle;
    Rect in = m.backend->frameInsets(style);
    if (x == CW_USEDEFAULT || y == CW_USEDEFAULT) {
        x = 32;
        y = 32;
    }
    // A default width makes the height default too, whatever was passed with it.
    if (width == CW_USEDEFAULT || width < 0 || height < 0) {
        width = 640 + in.left + in.right;
        height = 480 + in.top + in.bottom;
    }
    w->outer = {x, y, x + width, y + height};
    uintptr_t id = m.nextId;
    m.nextId += 4;
    HWND hwnd = handleOf(id);
    Rect client = clientScreenRect(*w);
    // Dialogs are drawn inside their owner: they have no native window of their own.
    w->overlay = sameName(className, kDialogClass);
    w->native = w->overlay ? static_cast<void*>(hwnd) : m.backend->createNative(hwnd, title, client, style);
    if (!w->native) return nullptr;
    m.windows.emplace(id, std::move(w));
    if (sendMessage(hwnd, WM_NCCREATE, 0, reinterpret_cast<intptr_t>(param)) == 0 ||
        sendMessage(hwnd, WM_CREATE, 0, reinterpret_cast<intptr_t>(param)) == -1) {
        destroyWindow(hwnd);
        return nullptr;
    }
    return find(hwnd) ? hwnd : nullptr;
}

bool destroyWindow(HWND hwnd) {
    auto& m = model();
    Window* w = find(hwnd);
    if (!w || w->destroying) return false;
    w->destroying = true;
    sendMessage(hwnd, WM_DESTROY, 0, 0);
    sendMessage(hwnd, WM_NCDESTROY, 0, 0);
    w = find(hwnd);
    if (w && !w->overlay) m.backend->destroyNative(w->native);
    std::erase_if(m.timers, [hwnd](const Timer& t) { return t.window == idOf(hwnd); });
    if (m.foreground == idOf(hwnd)) m.foreground = 0;
    if (m.capture == idOf(hwnd)) releaseCapture();
    m.windows.erase(idOf(hwnd));
    dropMessagesOf(idOf(hwnd));
    return true;
}

bool isWindow(HWND hwnd) { return find(hwnd) != nullptr; }

intptr_t defWindowProc(HWND hwnd, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    switch (message) {
        case WM_SETCURSOR:
            // In the client area the class's cursor, when it has one; elsewhere the frame is the
            // desktop's, which shows its own.
            if ((lParam & 0xFFFF) == HTCLIENT) {
                if (HCURSOR c = detail::classCursor(hwnd)) {
                    setCursor(c);
                    return 1;
                }
            }
            return 0;
        case WM_NCCREATE:
            return 1;
        case WM_CLOSE:
            destroyWindow(hwnd);
            return 0;
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == SC_CLOSE) sendMessage(hwnd, WM_CLOSE, 0, 0);
            return 0;
        case WM_SYSKEYDOWN:
            if (wParam == 0x73)  // Alt+F4
                sendMessage(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
            return 0;
        case WM_MOUSEACTIVATE:
            return MA_ACTIVATE;
        case WM_ERASEBKGND:
            return 1;
        default:
            return 0;
    }
}

void setWindowUserData(HWND hwnd, void* data) {
    if (Window* w = find(hwnd)) w->user = data;
}

void* windowUserData(HWND hwnd) {
    Window* w = find(hwnd);
    return w ? w->user : nullptr;
}

bool showWindow(HWND hwnd, int cmd) {
    auto& m = model();
    Window* w = find(hwnd);
    if (!w) return false;
    bool was = w->visible;
    w->visible = cmd != SW_HIDE;
    if (!w->overlay) m.backend->show(w->native, cmd);
    bool minimize = cmd == SW_MINIMIZE || cmd == SW_SHOWMINIMIZED;
    // A real window is only asked: whether it was minimised or restored is the window system's
    // to say (a display without a manager, or a tiling one, keeps it shown), and its events say
    // so. The headless window system does what it is asked at once.
    const bool nativeSays = m.kind == Backend::Sdl && !w->overlay;
    if (!nativeSays && minimize != w->minimized && (minimize || cmd == SW_RESTORE || cmd == SW_SHOWNORMAL)) {
        w->minimized = minimize;
        Rect c = clientScreenRect(*w);
        sendMessage(hwnd, WM_SIZE, minimize ? SIZE_MINIMIZED : SIZE_RESTORED,
                    minimize ? 0 : makeLParam(c.width(), c.height()));
        if (!(w = find(hwnd))) return was;
    }
    if (w->visible && !w->minimized && m.kind == Backend::Headless && m.foreground == 0) m.foreground = idOf(hwnd);
    if (w->visible && !was) w->dirty = true;
    return was;
}

bool enableWindow(HWND hwnd, bool enable) {
    bool before = true;
    if (detail::enableDialogControl(hwnd, enable, before)) return !before;
    Window* w = find(hwnd);
    if (!w) return false;
    before = w->enabled;
    w->enabled = enable;
    if (before != enable) sendMessage(hwnd, WM_ENABLE, enable ? 1 : 0, 0);
    return !before;
}

bool isWindowEnabled(HWND hwnd) {
    bool enabled = false;
    if (detail::dialogControlEnabled(hwnd, enabled)) return enabled;
    Window* w = find(hwnd);
    return w && w->enabled;
}

bool isWindowVisible(HWND hwnd) {
    Window* w = find(hwnd);
    return w && w->visible;
}

bool isIconic(HWND hwnd) {
    Window* w = find(hwnd);
    return w && w->minimized;
}

bool setWindowText(HWND hwnd, const std::string& sjisTitle) {
    Window* w = find(hwnd);
    if (!w) return false;
    w->title = sjisTitle;
    if (!w->overlay) model().backend->setTitle(w->native, sjisTitle);
    return true;
}

std::string windowText(HWND hwnd) {
    Window* w = find(hwnd);
    return w ? w->title : std::string();
}

std::string windowClassName(HWND hwnd) {
    Window* w = find(hwnd);
    return w ? w->className : std::string();
}

uint32_t windowStyle(HWND hwnd) {
    Window* w = find(hwnd);
    return w ? w->style : 0;
}

uint32_t setWindowStyle(HWND hwnd, uint32_t style) {
    auto& m = model();
    Window* w = find(hwnd);
    if (!w) return 0;
    uint32_t old = w->style;
    Rect client = clientScreenRect(*w);
    w->style = style;
    Rect in = m.backend->frameInsets(style);
    w->outer = {client.left - in.left, client.top - in.top, client.right + in.right, client.bottom + in.bottom};
    if (!w->overlay) m.backend->setBordered(w->native, (style & WS_CAPTION) == WS_CAPTION);
    return old;
}

bool moveWindow(HWND hwnd, int x, int y, int width, int height, bool repaint) {
    auto& m = model();
    Window* w = find(hwnd);
    if (!w) return false;
    Rect before = clientScreenRect(*w);
    w->outer = {x, y, x + std::max(width, 0), y + std::max(height, 0)};
    Rect after = clientScreenRect(*w);
    if (!w->overlay) m.backend->setClientRect(w->native, after);
    if (before.left != after.left || before.top != after.top)
        sendMessage(hwnd, WM_MOVE, 0, makeLParam(after.left, after.top));
    if ((w = find(hwnd)) && (before.width() != after.width() || before.height() != after.height()))
        sendMessage(hwnd, WM_SIZE, SIZE_RESTORED, makeLParam(after.width(), after.height()));
    if (repaint && (w = find(hwnd))) w->dirty = true;
    return true;
}

bool getWindowRect(HWND hwnd, Rect& out) {
    Window* w = find(hwnd);
    if (!w) return false;
    out = w->outer;
    return true;
}

bool getClientRect(HWND hwnd, Rect& out) {
    Window* w = find(hwnd);
    if (!w) return false;
    Rect c = clientScreenRect(*w);
    out = {0, 0, std::max(c.width(), 0), std::max(c.height(), 0)};
    return true;
}

bool screenToClient(HWND hwnd, Point& p) {
    Point o;
    if (!clientOrigin(hwnd, o)) return false;
    p.x -= o.x;
    p.y -= o.y;
    return true;
}

bool clientToScreen(HWND hwnd, Point& p) {
    Point o;
    if (!clientOrigin(hwnd, o)) return false;
    p.x += o.x;
    p.y += o.y;
    return true;
}

bool invalidateRect(HWND hwnd) {
    Window* w = find(hwnd);
    if (!w) return false;
    w->dirty = true;
    return true;
}

bool updateWindow(HWND hwnd) {
    Window* w = find(hwnd);
    if (!w) return false;
    if (w->dirty) {
        w->dirty = false;
        sendMessage(hwnd, WM_PAINT, 0, 0);
    }
    return true;
}

HWND getForegroundWindow() { return handleOf(model().foreground.load()); }

bool isMouseInside(HWND hwnd) {
    Window* w = find(hwnd);
    return w && w->mouseInside;
}

HWND setCapture(HWND hwnd) {
    auto& m = model();
    const HWND before = handleOf(m.capture);
    if (!find(hwnd)) return before;
    if (m.capture == 0) m.backend->captureMouse(true);
    m.capture = idOf(hwnd);
    return before;
}

bool releaseCapture() {
    auto& m = model();
    if (m.capture != 0) m.backend->captureMouse(false);
    m.capture = 0;
    return true;
}

HWND getCapture() { return handleOf(model().capture); }

bool setForegroundWindow(HWND hwnd) {
    auto& m = model();
    Window* w = find(hwnd);
    if (!w) return false;
    if (!w->overlay) m.backend->raise(w->native);
    if (m.kind == Backend::Headless) m.foreground = idOf(hwnd);
    return true;
}

HWND findWindow(const std::string& className) {
    for (auto& [id, w] : model().windows)
        if (sameName(w->className, className)) return handleOf(id);
    return nullptr;
}

int getSystemMetrics(int index) {
    auto& m = model();
    switch (index) {
        case SM_CXSCREEN:
        case SM_CXFULLSCREEN:
            return m.backend->screenSize().x;
        case SM_CYSCREEN:
        case SM_CYFULLSCREEN:
            return m.backend->screenSize().y;
        case SM_SWAPBUTTON:
            return mouseButtonsSwapped() ? 1 : 0;
        default:
            return 0;
    }
}

bool postMessage(HWND hwnd, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    auto& m = model();
    std::lock_guard lock(m.queueMutex);
    m.queue.push_back({hwnd, message, wParam, lParam});
    return true;
}

void postQuitMessage(int exitCode) {
    postMessage(nullptr, WM_QUIT, static_cast<uintptr_t>(static_cast<intptr_t>(exitCode)), 0);
}

intptr_t sendMessage(HWND hwnd, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    Window* w = find(hwnd);
    if (!w || !w->proc) return 0;
    return w->proc(hwnd, message, wParam, lParam);
}

bool peekMessage(Msg& out, bool remove) {
    auto& m = model();
    m.backend->pump();
    {
        std::lock_guard lock(m.queueMutex);
        if (!m.queue.empty()) {
            out = m.queue.front();
            if (remove) m.queue.pop_front();
            return true;
        }
    }
    uint32_t now = timeGetTime();
    for (auto& t : m.timers) {
        if (timeDiff(now, t.due) >= 0) {
            if (remove) t.due = now + t.period;
            out = {handleOf(t.window), WM_TIMER, t.id, 0};
            return true;
        }
    }
    for (auto& [id, w] : m.windows) {
        if (w->dirty && w->visible) {
            if (remove) w->dirty = false;
            out = {handleOf(id), WM_PAINT, 0, 0};
            return true;
        }
    }
    return false;
}

intptr_t dispatchMessage(const Msg& msg) {
    if (msg.message == WM_QUIT || !msg.hwnd) return 0;
    return sendMessage(msg.hwnd, msg.message, msg.wParam, msg.lParam);
}

void translateMessage(const Msg&) {}

size_t pendingMessageCount() {
    auto& m = model();
    std::lock_guard lock(m.queueMutex);
    return m.queue.size();
}

void clearMessages() {
    auto& m = model();
    std::lock_guard lock(m.queueMutex);
    m.queue.clear();
}

bool setTimer(HWND hwnd, uintptr_t id, uint32_t periodMs) {
    auto& m = model();
    if (!find(hwnd)) return false;
    periodMs = std::max<uint32_t>(periodMs, 1);
    for (auto& t : m.timers) {
        if (t.window == idOf(hwnd) && t.id == id) {
            t.period = periodMs;
            t.due = timeGetTime() + periodMs;
            return true;
        }
    }
    m.timers.push_back({idOf(hwnd), id, periodMs, timeGetTime() + periodMs});
    return true;
}

bool killTimer(HWND hwnd, uintptr_t id) {
    return std::erase_if(model().timers, [&](const Timer& t) { return t.window == idOf(hwnd) && t.id == id; }) > 0;
}

void setTextInput(bool on) {
    auto& m = model();
    m.textInput = on;
    m.backend->setTextInput(on);
}

bool isTextInputOn() { return model().textInput; }

void setTextReceiver(std::function<void(const std::string& utf8)> receiver) {
    model().textReceiver = std::move(receiver);
}

void* nativeWindow(HWND hwnd) {
    auto& m = model();
    Window* w = find(hwnd);
    return (w && !w->overlay && m.kind == Backend::Sdl) ? w->native : nullptr;
}

bool presentPixels(HWND hwnd, const uint32_t* argb, int width, int height, int pitch, const std::vector<Rect>* areas) {
    Window* w = find(hwnd);
    if (!w || !argb || width <= 0 || height <= 0 || pitch < width) return false;
    // Areas alone only over the frame the window shows; anything else takes the whole frame.
    std::vector<Rect> clipped;
    if (areas && w->showsFrame && w->frameWidth == width && w->frameHeight == height) {
        for (const Rect& a : *areas) {
            const Rect c{std::max(a.left, 0), std::max(a.top, 0), std::min(a.right, width), std::min(a.bottom, height)};
            if (c.right > c.left && c.bottom > c.top) clipped.push_back(c);
        }
        if (clipped.empty()) return true;
    } else {
        areas = nullptr;
        w->frame.resize(static_cast<size_t>(width) * height);
        clipped.assign(1, Rect{0, 0, width, height});
    }
    // memcpy: the frame is the window's own copy, and the address sanitizer's memmove (which
    // std::copy becomes) copies byte by byte.
    for (const Rect& c : clipped)
        for (int y = c.top; y < c.bottom; ++y)
            std::memcpy(w->frame.data() + static_cast<size_t>(y) * width + c.left,
                        argb + static_cast<size_t>(y) * pitch + c.left, static_cast<size_t>(c.width()) * 4);
    w->frameWidth = width;
    w->frameHeight = height;
    w->showsFrame =
        w->overlay || model().backend->present(w->native, w->frame.data(), width, height, areas ? &clipped : nullptr);
    return w->showsFrame;
}

bool setWindowFullScreen(HWND hwnd, bool on) {
    Window* w = find(hwnd);
    if (!w || w->overlay) return false;
    w->fullScreen = on;
    return model().backend->setFullScreen(w->native, on);
}

bool isWindowFullScreen(HWND hwnd) {
    Window* w = find(hwnd);
    return w && w->fullScreen;
}

bool readBackFrame(HWND hwnd, int& width, int& height, std::vector<uint32_t>& pixels) {
    Window* w = find(hwnd);
    return w && !w->overlay && model().backend->readBack(w->native, width, height, pixels);
}

bool lastPresentedFrame(HWND hwnd, int& width, int& height, std::vector<uint32_t>& pixels) {
    Window* w = find(hwnd);
    if (!w || w->frame.empty()) return false;
    width = w->frameWidth;
    height = w->frameHeight;
    pixels = w->frame;
    return true;
}

bool detail::presentOverlay(HWND hwnd, const uint32_t* argb, int width, int height) {
    Window* w = find(hwnd);
    if (!w || w->overlay) return false;
    // The window no longer shows its own frame: the next one is shown whole.
    w->showsFrame = false;
    return model().backend->present(w->native, argb, width, height, nullptr);
}

bool pushNativeKeyEvent(HWND hwnd, int sdlScancode, bool down) {
    Window* w = find(hwnd);
    return w && !w->overlay && model().backend->pushKey(w->native, sdlScancode, down);
}

bool pushNativeMouseMove(HWND hwnd, int x, int y) {
    Window* w = find(hwnd);
    return w && !w->overlay && model().backend->pushMouseMove(w->native, x, y);
}

// ---- devices ---------------------------------------------------------------------------------

int32_t scaleAxis(int32_t raw, bool withDeadZone) {
    int64_t v = std::clamp<int64_t>(raw, -32767, 32767);
    if (!withDeadZone) return static_cast<int32_t>(v * kJoystickRange / 32767);
    int64_t dead = 32767LL * kJoystickDeadZone / 10000;
    int64_t mag = v < 0 ? -v : v;
    if (mag <= dead) return 0;
    int64_t scaled = (mag - dead) * kJoystickRange / (32767 - dead);
    return static_cast<int32_t>(v < 0 ? -scaled : scaled);
}

bool readKeyboardState(uint8_t out[256]) {
    auto& ds = deviceState();
    std::lock_guard lock(ds.mutex);
    if (!ds.keyboardReadable) return false;
    for (int i = 0; i < 256; ++i) {
        out[i] = ds.keysLatched[i] ? 0x80 : ds.keys[i];
        ds.keysLatched[i] = false;
    }
    return true;
}

int joystickCount() {
    auto& ds = deviceState();
    std::lock_guard lock(ds.mutex);
    return static_cast<int>(ds.joysticks.size());
}

bool readJoystick(int index, JoystickReading& out) {
    auto& ds = deviceState();
    std::lock_guard lock(ds.mutex);
    if (index < 0 || index >= static_cast<int>(ds.joysticks.size()) || !ds.joysticks[index].readable) return false;
    out = ds.joysticks[index].reading;
    return true;
}

std::string joystickName(int index) {
    auto& ds = deviceState();
    std::lock_guard lock(ds.mutex);
    if (index < 0 || index >= static_cast<int>(ds.joysticks.size())) return {};
    return ds.joysticks[index].name;
}

uint32_t joystickButtonCount(int index) {
    auto& ds = deviceState();
    std::lock_guard lock(ds.mutex);
    if (index < 0 || index >= static_cast<int>(ds.joysticks.size())) return 0;
    return ds.joysticks[index].buttonCount;
}

int16_t getAsyncKeyState(int vk) {
    auto& ds = deviceState();
    std::lock_guard lock(ds.mutex);
    int i = vk == VK_LBUTTON ? 0 : vk == VK_RBUTTON ? 1 : vk == VK_MBUTTON ? 2 : -1;
    if (i < 0) return 0;
    uint16_t state = ds.buttons[i] ? 0x8000 : 0;
    if (ds.buttonsLatched[i]) state |= 1;
    ds.buttonsLatched[i] = false;
    return static_cast<int16_t>(state);
}

bool getCursorPos(Point& out) {
    auto& ds = deviceState();
    std::lock_guard lock(ds.mutex);
    out = ds.cursor;
    return true;
}

bool mouseButtonsSwapped() {
    auto& ds = deviceState();
    std::lock_guard lock(ds.mutex);
    return ds.swapped;
}

// ---- headless controls -------------------------------------------------------------------------

namespace headless {

void reset() {
    auto& m = model();
    while (!m.windows.empty()) destroyWindow(handleOf(m.windows.rbegin()->first));
    clearMessages();
    m.timers.clear();
    m.classes.clear();
    m.foreground = 0;
    m.capture = 0;
    m.textInput = false;
    m.textReceiver = nullptr;
    m.headless = {};
    resetCursor();
    resetDisplay();
    auto& ds = deviceState();
    std::lock_guard lock(ds.mutex);
    releaseKeys(ds);
    ds.keyboardReadable = true;
    ds.cursor = {};
    for (int i = 0; i < 3; ++i) ds.buttons[i] = ds.buttonsLatched[i] = false;
    ds.swapped = false;
    ds.joysticks.clear();
}

void setKey(int dik, bool down) {
    auto& ds = deviceState();
    std::lock_guard lock(ds.mutex);
    noteKey(ds, dik, down);
}

void clearKeys() {
    auto& ds = deviceState();
    std::lock_guard lock(ds.mutex);
    releaseKeys(ds);
}

void setKeyboardReadable(bool readable) {
    auto& ds = deviceState();
    std::lock_guard lock(ds.mutex);
    ds.keyboardReadable = readable;
}

void setCursorPos(int x, int y) {
    auto& ds = deviceState();
    std::lock_guard lock(ds.mutex);
    ds.cursor = {x, y};
}

void setMouseButtons(bool left, bool right, bool middle) {
    auto& ds = deviceState();
    std::lock_guard lock(ds.mutex);
    noteButton(ds, 0, left);
    noteButton(ds, 1, right);
    noteButton(ds, 2, middle);
}

void setSwapButtons(bool swapped) {
    auto& ds = deviceState();
    std::lock_guard lock(ds.mutex);
    ds.swapped = swapped;
}

int addJoystick(const std::string& name, uint32_t buttonCount) {
    auto& ds = deviceState();
    std::lock_guard lock(ds.mutex);
    DeviceState::Joystick j;
    j.name = name;
    j.buttonCount = buttonCount;
    ds.joysticks.push_back(j);
    return static_cast<int>(ds.joysticks.size()) - 1;
}

void setJoystick(int index, const JoystickReading& reading) {
    auto& ds = deviceState();
    std::lock_guard lock(ds.mutex);
    if (index >= 0 && index < static_cast<int>(ds.joysticks.size())) ds.joysticks[index].reading = reading;
}

void setJoystickReadable(int index, bool readable) {
    auto& ds = deviceState();
    std::lock_guard lock(ds.mutex);
    if (index >= 0 && index < static_cast<int>(ds.joysticks.size())) ds.joysticks[index].readable = readable;
}

void clearJoysticks() {
    auto& ds = deviceState();
    std::lock_guard lock(ds.mutex);
    ds.joysticks.clear();
}

void setScreenSize(int width, int height) { model().headless.screen = {width, height}; }

void setForeground(HWND hwnd) { model().foreground = idOf(hwnd); }

void failNextWindowCreation() { model().headless.failNext = true; }

}  // namespace headless
}  // namespace platform
