#pragma once
// The keyboard and one joystick as a word of button bits through a table of key bindings, over a
// process-wide table of devices (device 0 the keyboard, then each joystick).
#include <cstdint>
#include <string>

#include "platform/input_devices.h"
#include "platform/keycodes.h"
#include "platform/window_system.h"

using HINSTANCE = void*;

// Button bits of a device word.
enum : uint32_t {
    kPadUp = 0x01,
    kPadDown = 0x02,
    kPadLeft = 0x04,
    kPadRight = 0x08,
    kPadButton0 = 0x10,  // joystick button k is kPadButton0 << k (k = 0..11)
};

// One reading of a device (40 bytes, the button word first).
struct JoyState {
    uint32_t buttons = 0;
    int32_t x = 0;
    int32_t y = 0;
    int32_t z = 0;
    int32_t slider = 0;
    int32_t rangeX = 0;
    int32_t rangeY = 0;
    int32_t rangeZ = 0;
    int32_t rangeSlider = 0;
    uint32_t pov = 0;
};
static_assert(sizeof(JoyState) == 40);

// The process-wide device table. Device 0 is the keyboard, devices 1.. the joysticks.
namespace TDirectInput {
constexpr int kMaxDevices = 10;
bool create(HINSTANCE instance, platform::HWND window);
void releaseDevices();
int deviceCount();
bool acquire(int n);
// True without reading when there is no keyboard device; false when it cannot be read now.
bool getKeyboardState(uint8_t out[256]);
bool getJoystickState(int n, platform::JoystickReading& out);
}  // namespace TDirectInput

class TInputDevice {
public:
    static constexpr int kTableCount = 8;
    static constexpr int kBindingCount = 128;
    static constexpr int kAxisThreshold = 768;  // beyond +-768 an axis is a direction

    struct Binding {
        uint32_t bit;
        uint32_t code;
    };
    // The joystick number (0 none, n the n-th joystick) and the bindings, ended by a bit of 0.
    struct KeyTable {
        uint32_t joystick;
        Binding bindings[kBindingCount];
    };
    static_assert(sizeof(KeyTable) == 257 * 4);

    // tableIndex -1 takes a new empty table of this instance; any other valid index selects that
    // default table.
    TInputDevice(HINSTANCE instance, platform::HWND window, int tableIndex);
    virtual ~TInputDevice();
    TInputDevice(const TInputDevice&) = delete;
    TInputDevice& operator=(const TInputDevice&) = delete;

    // Sets the devices up once; true when at least one joystick exists.
    virtual bool initialize();
    virtual void release();
    // Reads the keyboard into the shared state and into out (may be null); false when unreadable.
    virtual bool readKeyboard(uint8_t* out);
    // The button word of the selected table, and the full record into out (may be null).
    virtual uint32_t read(JoyState* out);
    virtual bool isKeyDown(int code) const;
    virtual uint32_t getButtonCount(int device) const;
    virtual std::string getProductName(int device) const;

    // Binds code to bit 1 << (index / 4) as its (index % 4)-th key; code 0 removes that binding.
    bool setKeyConfig(int index, int code);
    bool setJoystickNo(int n);  // 0 <= n <= joysticks
    // The table position of the nth binding of the bit, -1 when it has fewer.
    int findBinding(uint32_t bit, int nth) const;

    const KeyTable* table() const { return selected_; }
    int tableIndex() const { return selectedIndex_; }
    static int joystickCount();

private:
    HINSTANCE instance_;
    platform::HWND window_;
    int tablesInUse_ = 4;
    KeyTable tables_[kTableCount];
    int selectedIndex_ = -1;
    KeyTable* selected_ = nullptr;
};
