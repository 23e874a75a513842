#pragma once
// One top-level window: its class, creation, placement, the message handlers and the message
// hooks through which other objects (the frame, the input object) see every message.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/window_system.h"

class TWindow {
public:
    using HWND = platform::HWND;
    // A hook sees every message before the window's handlers; its result is ignored.
    using Hook = intptr_t (*)(TWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam, void* user);

    explicit TWindow(std::string className = "TWindow");
    virtual ~TWindow();
    TWindow(const TWindow&) = delete;
    TWindow& operator=(const TWindow&) = delete;

    HWND handle() const { return hwnd_; }

    virtual bool isMinimized() const { return minimized_; }
    virtual bool isWindowed() const { return true; }
    virtual bool isFullScreen() const { return false; }
    virtual bool isInSizeMove() const { return sizeMove_; }
    virtual std::string className() const { return className_; }
    virtual std::string title() const { return title_; }
    virtual void setTitle(const std::string& title);
    virtual void setPosition(int x, int y);
    virtual void setSize(int width, int height) { setClientSize(width, height); }
    virtual void setClientSize(int width, int height);

    virtual bool registerClass();
    // 0, or kErrWindowClass / kErrWindowCreate.
    virtual uint32_t create(HWND parent = nullptr, void* menu = nullptr, void* param = nullptr);

    virtual void addMessageHook(Hook hook, void* user);
    // Removes every entry with that hook and that user value.
    virtual void removeMessageHook(Hook hook, void* user);
    size_t hookCount() const { return hooks_.size(); }

    virtual bool showWindow(int cmd);
    virtual bool isWindowVisible() const;
    virtual bool destroyWindow();
    virtual bool applyTitle();
    virtual bool setWindowText(const std::string& text);
    virtual bool screenToClient(platform::Point& p) const;
    virtual bool clientToScreen(platform::Point& p) const;
    virtual bool applyPlacement();
    // Client sizes; 0 keeps the current outer dimension. True when the window fits the screen and
    // was moved; without force a window that does not fit stays where it was.
    virtual bool moveToCentre(int clientWidth, int clientHeight, bool repaint, bool centre, bool force);
    virtual bool moveTo(int x, int y, int clientWidth, int clientHeight, bool repaint, bool force);
    virtual bool isForeground() const;
    virtual bool getWindowRect(platform::Rect& out) const;
    virtual bool getClientRect(platform::Rect& out) const;
    // The cursor in client coordinates.
    virtual bool getCursorPos(platform::Point& out) const;
    // The mouse capture (see platform::setCapture).
    virtual void setCapture();
    virtual void releaseCapture();
    bool hasCapture() const;
    // There are no GDI device contexts here (drawing goes through the screen): getDC gives null
    // and releaseDC 0, as the system's calls do when they fail.
    using HDC = void*;
    virtual HDC getDC() const { return nullptr; }
    virtual int releaseDC(HDC) const { return 0; }
    virtual bool invalidateRect();
    virtual bool updateWindow();
    virtual bool setTimer(uintptr_t id, uint32_t periodMs);
    virtual bool killTimer(uintptr_t id);
    // Sends the idle notification to every hook; the application calls it once per idle step.
    virtual void idle();
    virtual void imeOff();
    virtual void imeOn();
    // Changes the style bits; the frame follows.
    virtual void setStyle(uint32_t style);
    uint32_t style() const { return style_; }
    // The class's cursor (the arrow unless changed before the class is registered): what the
    // default handling of WM_SETCURSOR shows in the client area.
    platform::HCURSOR classCursor() const { return cursor_; }
    void setClassCursor(platform::HCURSOR cursor) { cursor_ = cursor; }

    // Message boxes owned by this window; the answer is the button's id (IDOK, IDCANCEL, ...).
    virtual int messageBox(unsigned resourceId, uint32_t type);
    virtual int messageBox(const std::string& text, uint32_t type);
    virtual int messageBox(const char* text, uint32_t type);
    virtual int messageBox(const char* text, const char* caption, uint32_t type);
    virtual int showMessageBox(const std::string& text, const std::string& caption, uint32_t type);

    // Stores the message, then dispatch.
    virtual intptr_t handleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);

    // The window procedure shared by every TWindow.
    static intptr_t windowProc(HWND hwnd, uint32_t message, uintptr_t wParam, intptr_t lParam);

protected:
    virtual intptr_t dispatch();
    intptr_t defaultResult();

    virtual intptr_t onCreate(void* /*createParam*/) { return 0; }
    virtual bool onCreated() { return true; }
    virtual void onDestroy() {}
    virtual void onEndSession(bool /*ending*/) {}
    virtual intptr_t onClose() { return defaultResult(); }
    virtual intptr_t onSysCommand(uintptr_t /*cmd*/, intptr_t /*lParam*/) { return defaultResult(); }
    virtual intptr_t onCommand(int /*code*/, int /*id*/, intptr_t /*control*/) { return defaultResult(); }
    virtual void onActivate(uintptr_t /*wParam*/, intptr_t /*lParam*/) {}
    virtual void onActivateApp(bool active);
    virtual void onEnable(bool /*enabled*/) {}
    virtual void onPaint() {}
    virtual void onSize(uintptr_t kind, int width, int height);
    virtual intptr_t onMove(int /*x*/, int /*y*/) { return 0; }
    virtual void onMaximized(int /*width*/, int /*height*/) {}
    virtual void onMinimized() { minimized_ = true; }
    virtual void onRestored(int /*width*/, int /*height*/) { minimized_ = false; }
    virtual void onRestoreCommand() {}
    virtual void onGetMinMaxInfo(intptr_t /*info*/) {}
    virtual void onKeyDown(uintptr_t /*key*/, intptr_t /*lParam*/) {}
    virtual void onKeyUp(uintptr_t /*key*/, intptr_t /*lParam*/) {}
    virtual intptr_t onSysKeyDown(uintptr_t /*key*/, intptr_t /*lParam*/) { return 0; }
    virtual intptr_t onSysKeyUp(uintptr_t /*key*/, intptr_t /*lParam*/) { return 0; }
    virtual intptr_t onSetCursor() { return 0; }
    virtual void onPaletteChanged(uintptr_t /*window*/) {}
    virtual intptr_t onQueryNewPalette() { return 0; }
    virtual void onInitMenu(uintptr_t /*menu*/) {}
    virtual void onEnterMenuLoop(uintptr_t /*wParam*/) {}
    virtual void onExitMenuLoop(uintptr_t /*wParam*/) {}
    virtual intptr_t onMouseActivate(uintptr_t /*top*/, int /*hitTest*/, int /*message*/) { return 1; }
    virtual void onLButtonDown(uintptr_t /*keys*/, int /*x*/, int /*y*/) {}
    virtual void onLButtonUp(uintptr_t /*keys*/, int /*x*/, int /*y*/) {}
    virtual void onMButtonDown(uintptr_t /*keys*/, int /*x*/, int /*y*/) {}
    virtual void onMButtonUp(uintptr_t /*keys*/, int /*x*/, int /*y*/) {}
    virtual void onRButtonDown(uintptr_t /*keys*/, int /*x*/, int /*y*/) {}
    virtual void onRButtonUp(uintptr_t /*keys*/, int /*x*/, int /*y*/) {}
    virtual void onLButtonDblClk(uintptr_t /*keys*/, int /*x*/, int /*y*/) {}
    virtual void onRButtonDblClk(uintptr_t /*keys*/, int /*x*/, int /*y*/) {}
    virtual void onMouseMove(uintptr_t /*keys*/, int /*x*/, int /*y*/) {}
    virtual void onEnterSizeMove() { sizeMove_ = true; }
    virtual void onExitSizeMove() { sizeMove_ = false; }
    virtual void onNcLButtonDown(uintptr_t /*hit*/, int /*x*/, int /*y*/) {}
    virtual void onNcLButtonUp(uintptr_t /*hit*/, int /*x*/, int /*y*/) {}
    virtual void onNcMButtonDown(uintptr_t /*hit*/, int /*x*/, int /*y*/) {}
    virtual void onNcMButtonUp(uintptr_t /*hit*/, int /*x*/, int /*y*/) {}
    virtual void onNcRButtonDown(uintptr_t /*hit*/, int /*x*/, int /*y*/) {}
    virtual void onNcRButtonUp(uintptr_t /*hit*/, int /*x*/, int /*y*/) {}
    virtual void onNcMouseMove(uintptr_t /*hit*/, int /*x*/, int /*y*/) {}
    virtual void onMouseWheel(uintptr_t /*keys*/, int /*delta*/, int /*x*/, int /*y*/) {}
    virtual intptr_t onMciAborted(int /*device*/) { return 0; }
    virtual intptr_t onMciSuccessful(int /*device*/) { return 0; }
    virtual intptr_t onMciSuperseded(int /*device*/) { return 0; }
    virtual intptr_t onMciFailure(int /*device*/) { return 0; }
    virtual intptr_t onPowerBroadcast(uintptr_t /*event*/, intptr_t /*data*/) { return 1; }
    virtual void onBeforeMessageBox() {}
    virtual void onAfterMessageBox() {}

    uint32_t message_ = 0;
    uintptr_t wParam_ = 0;
    intptr_t lParam_ = 0;

private:
    struct HookEntry {
        Hook hook;
        void* user;
    };

    HWND hwnd_ = nullptr;
    bool textInputSaved_ = false;
    bool minimized_ = false;
    bool sizeMove_ = false;
    std::vector<HookEntry> hooks_;
    std::string className_;
    std::string title_;
    platform::HCURSOR cursor_ = platform::loadCursor(platform::IDC_ARROW);
    uint32_t classStyle_ = 8;  // double clicks
    uint32_t exStyle_ = platform::WS_EX_APPWINDOW;
    uint32_t style_ = platform::WS_CAPTION | platform::WS_SYSMENU | platform::WS_MINIMIZEBOX;
    int x_ = platform::CW_USEDEFAULT;
    int y_ = platform::CW_USEDEFAULT;
    int clientWidth_ = platform::CW_USEDEFAULT;
    int clientHeight_ = platform::CW_USEDEFAULT;
};
