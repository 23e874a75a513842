#pragma once
// Controls of the headless back end: what tests set in place of a person at the machine.
// They change the same state that the real back end keeps from SDL events, so they also work
// (on top of it) while the SDL back end runs.
#include <cstdint>
#include <string>

#include "platform/input_devices.h"

namespace platform::headless {

// Destroys every window, empties the queue and timers, and resets every device state below.
void reset();

void setKey(int dik, bool down);
void clearKeys();
void setKeyboardReadable(bool readable);
void setCursorPos(int x, int y);  // screen coordinates
void setMouseButtons(bool left, bool right, bool middle);
void setSwapButtons(bool swapped);
int addJoystick(const std::string& name, uint32_t buttonCount);  // its index
void setJoystick(int index, const JoystickReading& reading);
void setJoystickReadable(int index, bool readable);
void clearJoysticks();
void setScreenSize(int width, int height);
void setForeground(HWND hwnd);  // without activation messages
void failNextWindowCreation();

}  // namespace platform::headless
