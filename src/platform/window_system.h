#pragma once
// The window and message model: top-level windows with one window procedure each, a posted
// message queue (with the quit message and timers), synchronous send and dispatch. Windows,
// the queue and dispatch belong to the main thread; postMessage may be called from any thread.
//
// A back end gives the windows a native side and feeds native events into the queue: the SDL
// back end (a real window) or the headless one (no native side; tests post messages and set the
// device state through platform/headless.h). Code above cannot tell which one runs.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/window_messages.h"

namespace platform {

// An opaque window handle. It is never dereferenced: a stale handle is simply not found.
using HWND = struct HWND__*;
// An opaque cursor handle: one of the system's cursors. Null shows no pointer.
using HCURSOR = struct HCURSOR__*;

struct Point {
    int x = 0;
    int y = 0;
    bool operator==(const Point&) const = default;
};

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const Rect&) const = default;
};

struct Msg {
    HWND hwnd = nullptr;
    uint32_t message = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
};

using WndProc = intptr_t (*)(HWND, uint32_t, uintptr_t, intptr_t);

enum class Backend { Headless, Sdl };

// Selects the back end. Sdl initialises SDL video, events and joysticks; false when that fails
// (the headless back end then stays). Headless is active until this is called. SDL's drivers
// that show nothing (its off-screen and dummy video) count as failing unless the environment
// variable named by kVirtualDisplayVariable is "1", as the tests set it.
bool initWindowSystem(Backend backend);
inline constexpr const char* kVirtualDisplayVariable = "MJ_VIRTUAL_DISPLAY";
// Whether that variable allows a driver that shows nothing.
bool virtualDisplayAllowed();
// Destroys every window and shuts the back end down; the headless back end is active afterwards.
void shutdownWindowSystem();
Backend currentBackend();

// ---- classes and windows -------------------------------------------------------------------
struct WindowClass {
    std::string name;  // compared without regard to ASCII case
    WndProc proc = nullptr;
    uint32_t style = 0;
    HCURSOR cursor = nullptr;  // set by the default handling of WM_SETCURSOR in the client area
};
bool registerClass(const WindowClass& wc);  // false when the name is taken or proc is null
bool isClassRegistered(const std::string& name);

// Creates a top-level window (x, y, width, height are its outer rectangle; CW_USEDEFAULT picks
// a default). WM_NCCREATE and WM_CREATE reach the window procedure before it returns; a
// procedure answering 0 to the first or -1 to the second makes the creation fail (null).
HWND createWindow(uint32_t exStyle, const std::string& className, const std::string& title, uint32_t style, int x,
                  int y, int width, int height, HWND parent, void* param);
// Sends WM_DESTROY and WM_NCDESTROY, then forgets the window. False for an unknown handle.
bool destroyWindow(HWND hwnd);
bool isWindow(HWND hwnd);
intptr_t defWindowProc(HWND hwnd, uint32_t message, uintptr_t wParam, intptr_t lParam);

// The window's extra word (index 0): the object that owns it.
void setWindowUserData(HWND hwnd, void* data);
void* windowUserData(HWND hwnd);

bool showWindow(HWND hwnd, int cmd);  // true when the window was visible before
bool isWindowVisible(HWND hwnd);
bool isIconic(HWND hwnd);
// Enables or disables a window (sending WM_ENABLE when that changes) or a dialog's control;
// true when it was disabled before, as the system answers.
bool enableWindow(HWND hwnd, bool enable);
// False for a disabled window or control, and for an unknown handle.
bool isWindowEnabled(HWND hwnd);
bool setWindowText(HWND hwnd, const std::string& sjisTitle);
std::string windowText(HWND hwnd);
std::string windowClassName(HWND hwnd);
uint32_t windowStyle(HWND hwnd);
// Changes the style; the non-client frame follows it (the client area keeps its screen place).
uint32_t setWindowStyle(HWND hwnd, uint32_t style);
bool moveWindow(HWND hwnd, int x, int y, int width, int height, bool repaint);
bool getWindowRect(HWND hwnd, Rect& out);  // outer rectangle, screen coordinates
bool getClientRect(HWND hwnd, Rect& out);  // (0, 0, client width, client height)
bool screenToClient(HWND hwnd, Point& p);
bool clientToScreen(HWND hwnd, Point& p);
bool invalidateRect(HWND hwnd);  // a WM_PAINT follows when the queue is otherwise empty
bool updateWindow(HWND hwnd);    // sends the pending WM_PAINT at once
HWND getForegroundWindow();
// Whether the pointer is over the window, as its own enter and leave events last said (true for
// a window that has seen none); false for no window.
bool isMouseInside(HWND hwnd);
// The mouse capture: while a window holds it the mouse's events keep coming when the pointer
// leaves it (a press dragged outside is still released there). setCapture returns the window
// that held it before; destroying the holder releases it.
HWND setCapture(HWND hwnd);
bool releaseCapture();
HWND getCapture();
bool setForegroundWindow(HWND hwnd);
// The first top-level window whose class has the name (case-insensitive); null when none.
HWND findWindow(const std::string& className);
int getSystemMetrics(int index);

// ---- messages ------------------------------------------------------------------------------
bool postMessage(HWND hwnd, uint32_t message, uintptr_t wParam, intptr_t lParam);
void postQuitMessage(int exitCode);  // queued in order behind what is already posted
intptr_t sendMessage(HWND hwnd, uint32_t message, uintptr_t wParam, intptr_t lParam);
// Takes the next message (after letting the back end turn native events into messages).
// Posted messages first; then a due WM_TIMER; then WM_PAINT of an invalidated window.
bool peekMessage(Msg& out, bool remove = true);
intptr_t dispatchMessage(const Msg& msg);
void translateMessage(const Msg& msg);
size_t pendingMessageCount();
// Drops every posted message (tests reset the model between cases).
void clearMessages();

// Timers post WM_TIMER (wParam = id) every period, measured on platform::timeGetTime.
bool setTimer(HWND hwnd, uintptr_t id, uint32_t periodMs);
bool killTimer(HWND hwnd, uintptr_t id);

// Text input (the input method switch): the real back end turns SDL text input off and on.
void setTextInput(bool on);
bool isTextInputOn();
// Receives the UTF-8 text typed while text input is on; at most one receiver at a time.
void setTextReceiver(std::function<void(const std::string& utf8)> receiver);

// ---- the mouse pointer -----------------------------------------------------------------------
enum : int {
    IDC_ARROW = 32512,
    IDC_IBEAM = 32513,
    IDC_WAIT = 32514,
    IDC_CROSS = 32515,
    IDC_SIZEALL = 32646,
    IDC_NO = 32648,
    IDC_HAND = 32649,
};
// One of the system's cursors (IDC_ARROW, ...); null for an id without one. The handles are
// shared and live as long as the program.
HCURSOR loadCursor(int id);
// The pointer shown over our windows (null hides it there); returns the one shown before. The
// arrow is shown until the first call.
HCURSOR setCursor(HCURSOR cursor);
HCURSOR getCursor();

// Native access for the other platform services (screen, dialogs): the SDL_Window* of a window
// on the SDL back end, else null.
void* nativeWindow(HWND hwnd);

}  // namespace platform

namespace platform {

// Shows a finished frame of 32-bit ARGB pixels (pitch in pixels) in the window's client area,
// scaled to fit. The window keeps a copy that lastPresentedFrame returns. With areas, only they
// differ from the frame presented before: they alone are copied and shown, unless the window
// does not show that frame as it was (another size, an overlay shown since, a failed present),
// when the whole frame is.
bool presentPixels(HWND hwnd, const uint32_t* argb, int width, int height, int pitch,
                   const std::vector<Rect>* areas = nullptr);
// Desktop full screen for the window (its frames scaled to the display), or back to a window.
bool setWindowFullScreen(HWND hwnd, bool on);
bool isWindowFullScreen(HWND hwnd);
// What the window shows now, read back from the real back end (false headless, where
// lastPresentedFrame holds the frame).
bool readBackFrame(HWND hwnd, int& width, int& height, std::vector<uint32_t>& pixels);
// The last frame presented to the window (width, height, packed pixels); false when none.
bool lastPresentedFrame(HWND hwnd, int& width, int& height, std::vector<uint32_t>& pixels);

// Pushes a key event into SDL's own event queue for the window, as a keyboard would (real back
// end only; false on the headless one). Used to drive the real window end to end.
bool pushNativeKeyEvent(HWND hwnd, int sdlScancode, bool down);
// The same for a pointer move to (x, y) in the client area.
bool pushNativeMouseMove(HWND hwnd, int x, int y);

}  // namespace platform
