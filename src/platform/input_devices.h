#pragma once
// The device state under the input object: the keyboard as DirectInput key codes, joysticks,
// the mouse buttons and the cursor. The real back end fills it from SDL events; the headless one
// from platform/headless.h. Every call here is safe from any thread (the input object may poll
// from its timer thread).
#include <cstdint>
#include <string>

#include "platform/window_system.h"

namespace platform {

// One joystick sample: axes in -1024..1024 (dead zone applied to x and y), the first hat in
// hundredths of a degree clockwise from up (0xFFFFFFFF centred), buttons with bit 7 = down.
struct JoystickReading {
    int32_t x = 0;
    int32_t y = 0;
    int32_t z = 0;
    int32_t slider = 0;
    uint32_t pov = 0xFFFFFFFFu;
    uint8_t buttons[32] = {};
};

constexpr int kJoystickRange = 1024;
// Fraction of the axis range, in 1/10000, around the centre that reads as centre.
constexpr int kJoystickDeadZone = 5000;

// Applies the dead zone to a raw SDL axis value (-32768..32767), giving -1024..1024.
int32_t scaleAxis(int32_t raw, bool withDeadZone);

// The keyboard as 256 DirectInput key codes, bit 7 = down. A key that went down since the last
// read counts as down in this one even when it is up again, so a tap is never missed. False
// when the keyboard cannot be read now (the window is not in the foreground); out is then
// untouched and the taps stay for the next read.
bool readKeyboardState(uint8_t out[256]);
int joystickCount();
bool readJoystick(int index, JoystickReading& out);  // index 0 = the first joystick
std::string joystickName(int index);                 // UTF-8 product name, "" for no joystick
uint32_t joystickButtonCount(int index);
// The physical mouse button (VK_LBUTTON, VK_RBUTTON, VK_MBUTTON): bit 15 while it is down, bit 0
// when it went down since the last call for it (a click between two calls is still nonzero once).
int16_t getAsyncKeyState(int vk);
bool getCursorPos(Point& out);  // screen coordinates
bool mouseButtonsSwapped();

}  // namespace platform
