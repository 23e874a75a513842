#pragma once
// Internal to the platform layer: the native side of the window model, and the hooks through
// which a back end reports native events to the model.
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/display.h"
#include "platform/input_devices.h"
#include "platform/window_system.h"

namespace platform::detail {

class WindowBackend {
public:
    virtual ~WindowBackend() = default;
    // A native window with the given client rectangle (screen coordinates), or null on failure.
    virtual void* createNative(HWND hwnd, const std::string& sjisTitle, const Rect& client, uint32_t style) = 0;
    virtual void destroyNative(void* native) = 0;
    virtual void setTitle(void* native, const std::string& sjisTitle) = 0;
    virtual void setClientRect(void* native, const Rect& client) = 0;
    virtual void setBordered(void* native, bool bordered) = 0;
    virtual void show(void* native, int cmd) = 0;
    virtual void raise(void* native) = 0;
    // Keeps the mouse's events coming while the pointer is outside the windows.
    virtual void captureMouse(bool on) = 0;
    // Turns pending native events into messages and device state.
    virtual void pump() = 0;
    // Sizes of the non-client frame of a window of this style (left, top, right, bottom).
    virtual Rect frameInsets(uint32_t style) = 0;
    virtual Point screenSize() = 0;
    virtual void setTextInput(bool on) = 0;
    // Shows packed ARGB pixels in the client area. With areas (inside the frame, not empty), only
    // they changed since the frame presented before, which the window still shows around them;
    // null: the whole frame.
    virtual bool present(void* native, const uint32_t* argb, int width, int height, const std::vector<Rect>* areas) = 0;
    virtual bool pushKey(void* native, int scancode, bool down) = 0;
    virtual bool pushMouseMove(void* native, int x, int y) = 0;
    // Shows the system cursor of the id over the windows; 0 hides the pointer there.
    virtual void setCursor(int id) = 0;
    // Desktop full screen: the window covers the display and its frames are scaled to fit.
    virtual bool setFullScreen(void* native, bool on) = 0;
    virtual std::vector<DisplayMode> displayModes() = 0;
    virtual int desktopDepth() = 0;
    // What the window shows now, read back from the native side (false where there is none).
    virtual bool readBack(void* native, int& width, int& height, std::vector<uint32_t>& argb) = 0;
};

// The device state both back ends write and the input services read. Guarded by its mutex.
// A key or button that goes down is also latched until the next read of it, so that a press
// and release between two reads (a tap, a short click) is still seen once.
struct DeviceState {
    std::mutex mutex;
    uint8_t keys[256] = {};
    bool keysLatched[256] = {};
    bool keyboardReadable = true;
    Point cursor{0, 0};
    bool buttons[3] = {};  // physical left, right, middle
    bool buttonsLatched[3] = {};
    bool swapped = false;
    struct Joystick {
        std::string name;
        uint32_t buttonCount = 0;
        JoystickReading reading;
        bool readable = true;
        int32_t instanceId = -1;  // SDL's id on the real back end
    };
    std::vector<Joystick> joysticks;
};
DeviceState& deviceState();
// A key (DirectInput code) or mouse button (0 left, 1 right, 2 middle) went down or up; the
// caller holds the state's mutex. noteKey answers whether the key was down before.
bool noteKey(DeviceState& ds, int dik, bool down);
void noteButton(DeviceState& ds, int index, bool down);
// Forgets every key held and latched (the keyboard went to another window).
void releaseKeys(DeviceState& ds);

// Model hooks for the back ends (main thread).
HWND windowFromNative(void* native);
void nativeMoved(HWND hwnd, int clientX, int clientY);
void nativeResized(HWND hwnd, int clientWidth, int clientHeight);
void nativeMinimized(HWND hwnd, bool minimized);
void nativeFocus(HWND hwnd, bool gained);
// The pointer entered or left the window (the native window's own events say so).
void nativeMouseInside(HWND hwnd, bool inside);
void deliverText(const std::string& utf8);
bool clientOrigin(HWND hwnd, Point& out);
// The cursor id shown now (0: hidden), for a back end that has just started.
int currentCursorId();
// A control of an open dialog (a handle from getDlgItem): its enabled state is read, or set
// with before receiving the old state. False for any other handle.
bool dialogControlEnabled(HWND control, bool& enabled);
bool enableDialogControl(HWND control, bool enable, bool& before);
// The arrow again, recorded only (the headless reset).
void resetCursor();
// The back end in use.
WindowBackend& activeBackend();
// The cursor of a window's class, or null.
HCURSOR classCursor(HWND hwnd);

std::unique_ptr<WindowBackend> makeSdlBackend();

// The class of dialog windows (drawn inside their owner, no native window).
inline constexpr const char* kDialogClass = "#32770";
// Shows pixels in the window without keeping them as its last frame.
bool presentOverlay(HWND hwnd, const uint32_t* argb, int width, int height);

// The overlay of an open text-entry dialog, drawn by the real back end.
struct DialogView {
    std::string title;   // UTF-8
    std::string prompt;  // UTF-8
    std::string text;    // UTF-8
    std::string okLabel;
    std::string cancelLabel;
    Rect panel, titleBar, promptBox, edit, ok, cancel;  // in frame pixels
    bool okEnabled = true;
    bool cancelEnabled = true;
    bool operator==(const DialogView&) const = default;
};
// Draws the dialog over the owner's last frame (or black of canvasWidth x canvasHeight).
void drawDialogOverlay(HWND owner, const DialogView& view, int canvasWidth,
                       int canvasHeight);  // null when SDL cannot start

}  // namespace platform::detail
