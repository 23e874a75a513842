#pragma once
// Message numbers and flags of the window model. The values are those the system was written
// against, so that code above the platform layer compares and forwards them unchanged.
#include <cstdint>

namespace platform {

enum : uint32_t {
    WM_NULL = 0x0000,
    WM_CREATE = 0x0001,
    WM_DESTROY = 0x0002,
    WM_MOVE = 0x0003,
    WM_SIZE = 0x0005,
    WM_ACTIVATE = 0x0006,
    WM_SETFOCUS = 0x0007,
    WM_KILLFOCUS = 0x0008,
    WM_ENABLE = 0x000A,
    WM_SETTEXT = 0x000C,
    WM_PAINT = 0x000F,
    WM_CLOSE = 0x0010,
    WM_QUIT = 0x0012,
    WM_ERASEBKGND = 0x0014,
    WM_ENDSESSION = 0x0016,
    WM_ACTIVATEAPP = 0x001C,
    WM_SETCURSOR = 0x0020,
    WM_MOUSEACTIVATE = 0x0021,
    WM_GETMINMAXINFO = 0x0024,
    WM_NCCREATE = 0x0081,
    WM_NCDESTROY = 0x0082,
    WM_NCMOUSEMOVE = 0x00A0,
    WM_NCLBUTTONDOWN = 0x00A1,
    WM_NCLBUTTONUP = 0x00A2,
    WM_NCRBUTTONDOWN = 0x00A4,
    WM_NCRBUTTONUP = 0x00A5,
    WM_NCMBUTTONDOWN = 0x00A7,
    WM_NCMBUTTONUP = 0x00A8,
    WM_KEYDOWN = 0x0100,
    WM_KEYUP = 0x0101,
    WM_CHAR = 0x0102,
    WM_SYSKEYDOWN = 0x0104,
    WM_SYSKEYUP = 0x0105,
    WM_INITDIALOG = 0x0110,
    WM_COMMAND = 0x0111,
    WM_SYSCOMMAND = 0x0112,
    WM_TIMER = 0x0113,
    WM_INITMENU = 0x0116,
    WM_MOUSEMOVE = 0x0200,
    WM_LBUTTONDOWN = 0x0201,
    WM_LBUTTONUP = 0x0202,
    WM_LBUTTONDBLCLK = 0x0203,
    WM_RBUTTONDOWN = 0x0204,
    WM_RBUTTONUP = 0x0205,
    WM_RBUTTONDBLCLK = 0x0206,
    WM_MBUTTONDOWN = 0x0207,
    WM_MBUTTONUP = 0x0208,
    WM_MBUTTONDBLCLK = 0x0209,
    WM_MOUSEWHEEL = 0x020A,
    WM_ENTERMENULOOP = 0x0211,
    WM_EXITMENULOOP = 0x0212,
    WM_POWERBROADCAST = 0x0218,
    WM_ENTERSIZEMOVE = 0x0231,
    WM_EXITSIZEMOVE = 0x0232,
    WM_QUERYNEWPALETTE = 0x030F,
    WM_PALETTECHANGED = 0x0311,
    MM_MCINOTIFY = 0x03B9,
    WM_USER = 0x0400,
    // Our own: sent around a message box and once per idle step to the hooks.
    WM_BEFORE_MESSAGEBOX = 0x0464,
    WM_AFTER_MESSAGEBOX = 0x0465,
    WM_IDLE_NOTIFY = 0x0466,
    // Our own: the screen device's surfaces were restored / are about to be released.
    WM_SURFACES_RESTORED = 2024,
    WM_SURFACES_RELEASING = 2025,
};

// WM_SIZE kinds.
enum : uint32_t { SIZE_RESTORED = 0, SIZE_MINIMIZED = 1, SIZE_MAXIMIZED = 2 };
// WM_SYSCOMMAND commands.
enum : uint32_t { SC_CLOSE = 0xF060, SC_RESTORE = 0xF120 };
// WM_MOUSEACTIVATE answers and the client hit-test code.
enum : int {
    MA_ACTIVATE = 1,
    MA_ACTIVATEANDEAT = 2,
    MA_NOACTIVATE = 3,
    MA_NOACTIVATEANDEAT = 4,
    HTCLIENT = 1,
    HTCAPTION = 2
};
// MM_MCINOTIFY kinds.
enum : uint32_t {
    MCI_NOTIFY_SUCCESSFUL = 1,
    MCI_NOTIFY_SUPERSEDED = 2,
    MCI_NOTIFY_ABORTED = 4,
    MCI_NOTIFY_FAILURE = 8,
};
// Mouse key flags in the wParam of mouse messages.
enum : uint32_t { MK_LBUTTON = 0x01, MK_RBUTTON = 0x02, MK_SHIFT = 0x04, MK_CONTROL = 0x08, MK_MBUTTON = 0x10 };
// Window styles.
enum : uint32_t {
    WS_CAPTION = 0x00C00000,
    WS_SYSMENU = 0x00080000,
    WS_MINIMIZEBOX = 0x00020000,
    WS_POPUP = 0x80000000,
    WS_EX_APPWINDOW = 0x00040000,
};
constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000u);
// Show commands.
enum : int { SW_HIDE = 0, SW_SHOWNORMAL = 1, SW_SHOWMINIMIZED = 2, SW_SHOW = 5, SW_MINIMIZE = 6, SW_RESTORE = 9 };
// Virtual keys used by the framework (mouse buttons for the key state, and the keys the window model
// reports; letters and digits are their ASCII capitals).
enum : int {
    VK_LBUTTON = 0x01,
    VK_RBUTTON = 0x02,
    VK_MBUTTON = 0x04,
    VK_BACK = 0x08,
    VK_TAB = 0x09,
    VK_RETURN = 0x0D,
    VK_SHIFT = 0x10,
    VK_CONTROL = 0x11,
    VK_MENU = 0x12,
    VK_PAUSE = 0x13,
    VK_ESCAPE = 0x1B,
    VK_SPACE = 0x20,
    VK_PRIOR = 0x21,
    VK_NEXT = 0x22,
    VK_END = 0x23,
    VK_HOME = 0x24,
    VK_LEFT = 0x25,
    VK_UP = 0x26,
    VK_RIGHT = 0x27,
    VK_DOWN = 0x28,
    VK_INSERT = 0x2D,
    VK_DELETE = 0x2E,
    VK_NUMPAD0 = 0x60,
    VK_MULTIPLY = 0x6A,
    VK_ADD = 0x6B,
    VK_SUBTRACT = 0x6D,
    VK_DECIMAL = 0x6E,
    VK_DIVIDE = 0x6F,
    VK_F1 = 0x70,
    VK_F10 = 0x79,
    VK_F12 = 0x7B,
};
// Message box types and answers.
enum : uint32_t { MB_OK = 0, MB_OKCANCEL = 1, MB_YESNO = 4 };
enum : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };
// System metrics the framework asks for.
enum : int { SM_CXSCREEN = 0, SM_CYSCREEN = 1, SM_CXFULLSCREEN = 16, SM_CYFULLSCREEN = 17, SM_SWAPBUTTON = 23 };

constexpr uint16_t loWord(uintptr_t v) { return static_cast<uint16_t>(v & 0xFFFF); }
constexpr uint16_t hiWord(uintptr_t v) { return static_cast<uint16_t>((v >> 16) & 0xFFFF); }
constexpr int16_t signedLo(uintptr_t v) { return static_cast<int16_t>(v & 0xFFFF); }
constexpr int16_t signedHi(uintptr_t v) { return static_cast<int16_t>((v >> 16) & 0xFFFF); }
constexpr intptr_t makeLParam(int lo, int hi) {
    return static_cast<intptr_t>(
        static_cast<uint32_t>((static_cast<uint32_t>(lo) & 0xFFFF) | ((static_cast<uint32_t>(hi) & 0xFFFF) << 16)));
}

}  // namespace platform
