#include "framework/input_device.h"

#include <algorithm>
#include <cstring>
#include <mutex>

using namespace platform;

namespace {

// Process-wide state shared by every device object. The input object calls in under its own lock;
// this mutex only keeps several input objects (or tests) from tearing it.
struct Shared {
    std::recursive_mutex mutex;
    int instances = 0;
    int joysticks = -1;  // -1 until the devices were set up
    uint8_t keys[256] = {};
    bool keysValid = false;
    bool keyboardAcquired = false;
    bool joystickAcquired[8] = {};
    // The device table: in use, and the window the devices cooperate with.
    int deviceCount = 0;
    HWND window = nullptr;
};

Shared& shared() {
    static Shared s;
    return s;
}

using KT = TInputDevice::KeyTable;

KT makeTable(uint32_t joystick, std::initializer_list<std::pair<uint32_t, std::initializer_list<uint8_t>>> rows) {
    KT t{};
    t.joystick = joystick;
    int n = 0;
    for (auto& [bit, codes] : rows)
        for (uint8_t c : codes) t.bindings[n++] = {bit, c};
    return t;
}

const KT* defaultTables() {
    static const KT tables[TInputDevice::kTableCount] = {
        makeTable(1, {{0x01, {DIK_K, DIK_UP, DIK_NUMPAD8}},
                      {0x02, {DIK_J, DIK_DOWN, DIK_NUMPAD2}},
                      {0x04, {DIK_H, DIK_LEFT, DIK_NUMPAD4}},
                      {0x08, {DIK_L, DIK_RIGHT, DIK_NUMPAD6}},
                      {0x10, {DIK_Z, DIK_SPACE}},
                      {0x20, {DIK_X, DIK_RETURN}},
                      {0x40, {DIK_LSHIFT, DIK_RSHIFT}},
                      {0x80, {DIK_Q}}}),
        makeTable(1, {{0x01, {DIK_K, DIK_UP, DIK_NUMPAD8}},
                      {0x02, {DIK_J, DIK_DOWN, DIK_NUMPAD2}},
                      {0x04, {DIK_H, DIK_LEFT, DIK_NUMPAD4}},
                      {0x08, {DIK_L, DIK_RIGHT, DIK_NUMPAD6}},
                      {0x10, {DIK_NUMPAD0, DIK_SPACE}},
                      {0x20, {DIK_NUMPAD5, DIK_RETURN}},
                      {0x40, {DIK_RSHIFT}},
                      {0x80, {DIK_Q}}}),
        makeTable(2, {{0x01, {DIK_E}},
                      {0x02, {DIK_C}},
                      {0x04, {DIK_S}},
                      {0x08, {DIK_F}},
                      {0x10, {DIK_Z}},
                      {0x20, {DIK_X}},
                      {0x40, {DIK_LSHIFT}},
                      {0x80, {DIK_Q}}}),
        makeTable(0, {}),
        makeTable(0, {}),
        makeTable(0, {}),
        makeTable(0, {}),
        makeTable(0, {}),
    };
    return tables;
}

}  // namespace

// ---- the device table -----------------------------------------------------------------------------

namespace TDirectInput {

bool create(HINSTANCE, HWND window) {
    Shared& s = shared();
    std::lock_guard lock(s.mutex);
    s.window = window;
    // The keyboard is always there; every joystick the platform knows follows it.
    s.deviceCount = std::min(1 + platform::joystickCount(), kMaxDevices);
    return true;
}

void releaseDevices() {
    Shared& s = shared();
    std::lock_guard lock(s.mutex);
    s.deviceCount = 0;
}

int deviceCount() {
    Shared& s = shared();
    std::lock_guard lock(s.mutex);
    return s.deviceCount;
}

bool acquire(int n) {
    Shared& s = shared();
    std::lock_guard lock(s.mutex);
    return n >= 0 && n < s.deviceCount;
}

bool getKeyboardState(uint8_t out[256]) {
    Shared& s = shared();
    std::lock_guard lock(s.mutex);
    if (s.deviceCount < 1) return true;
    return readKeyboardState(out);
}

bool getJoystickState(int n, JoystickReading& out) {
    Shared& s = shared();
    std::lock_guard lock(s.mutex);
    if (n < 1 || n >= s.deviceCount) return false;
    return readJoystick(n - 1, out);
}

}  // namespace TDirectInput

// ---- TInputDevice -------------------------------------------------------------------------------

TInputDevice::TInputDevice(HINSTANCE instance, HWND window, int tableIndex) : instance_(instance), window_(window) {
    Shared& s = shared();
    {
        std::lock_guard lock(s.mutex);
        if (s.instances++ == 0) {
            std::memset(s.keys, 0, sizeof s.keys);
            s.keysValid = false;
        }
    }
    if (s.instances == 1) initialize();
    std::memcpy(tables_, defaultTables(), sizeof tables_);
    if (tableIndex == -1) {
        if (tablesInUse_ < kTableCount) {
            tables_[tablesInUse_] = KeyTable{};
            selectedIndex_ = tablesInUse_++;
            selected_ = &tables_[selectedIndex_];
        }
    } else if (tableIndex >= 0 && tableIndex < kTableCount) {
        selectedIndex_ = tableIndex;
        selected_ = &tables_[tableIndex];
    }
}

TInputDevice::~TInputDevice() {
    Shared& s = shared();
    std::lock_guard lock(s.mutex);
    if (--s.instances == 0) release();
}

int TInputDevice::joystickCount() {
    Shared& s = shared();
    std::lock_guard lock(s.mutex);
    return s.joysticks;
}

bool TInputDevice::initialize() {
    Shared& s = shared();
    std::lock_guard lock(s.mutex);
    if (s.joysticks >= 0) return s.joysticks > 0;
    if (!TDirectInput::create(instance_, window_)) return false;
    s.joysticks = std::min(TDirectInput::deviceCount() - 1, 8);
    s.keyboardAcquired = false;
    std::fill(std::begin(s.joystickAcquired), std::end(s.joystickAcquired), false);
    return s.joysticks > 0;
}

void TInputDevice::release() {
    Shared& s = shared();
    std::lock_guard lock(s.mutex);
    TDirectInput::releaseDevices();
    s.joysticks = -1;
    s.keyboardAcquired = false;
    s.keysValid = false;
    std::fill(std::begin(s.joystickAcquired), std::end(s.joystickAcquired), false);
}

bool TInputDevice::readKeyboard(uint8_t* out) {
    Shared& s = shared();
    std::lock_guard lock(s.mutex);
    if (out) std::memset(out, 0, 256);
    if (!s.keyboardAcquired) s.keyboardAcquired = TDirectInput::acquire(0);
    uint8_t keys[256];
    std::memcpy(keys, s.keys, sizeof keys);
    if (!TDirectInput::getKeyboardState(keys)) {
        s.keysValid = false;
        return false;
    }
    std::memcpy(s.keys, keys, sizeof keys);
    s.keysValid = true;
    if (out) std::memcpy(out, s.keys, 256);
    return true;
}

bool TInputDevice::isKeyDown(int code) const {
    Shared& s = shared();
    std::lock_guard lock(s.mutex);
    return code >= 0 && code < 256 && (s.keys[code] & 0x80) != 0;
}

uint32_t TInputDevice::read(JoyState* out) {
    JoyState st{};
    Shared& s = shared();
    std::lock_guard lock(s.mutex);
    if (s.keysValid && selected_) {
        for (const Binding& b : selected_->bindings) {
            if (b.bit == 0) break;
            if (isKeyDown(static_cast<int>(b.code))) st.buttons |= b.bit;
        }
    }
    int n = selected_ ? static_cast<int>(selected_->joystick) : 0;
    if (n < 1 || n > s.joysticks) {
        if (out) *out = st;
        return st.buttons;
    }
    if (!s.joystickAcquired[n - 1]) s.joystickAcquired[n - 1] = TDirectInput::acquire(n);
    JoystickReading r;
    if (!TDirectInput::getJoystickState(n, r)) {
        // An unreadable joystick gives the keyboard's directions as its axes.
        bool left = st.buttons & kPadLeft, right = st.buttons & kPadRight;
        bool up = st.buttons & kPadUp, down = st.buttons & kPadDown;
        st.x = left == right ? 0 : left ? -1 : 1;
        st.y = up == down ? 0 : up ? -1 : 1;
        st.rangeX = st.rangeY = 1;
        if (out) *out = st;
        return st.buttons;
    }
    if (r.x < -kAxisThreshold) st.buttons |= kPadLeft;
    if (r.x > kAxisThreshold) st.buttons |= kPadRight;
    if (r.y < -kAxisThreshold) st.buttons |= kPadUp;
    if (r.y > kAxisThreshold) st.buttons |= kPadDown;
    for (int k = 0; k < 12; ++k)
        if (r.buttons[k] & 0x80) st.buttons |= kPadButton0 << k;
    st.x = r.x;
    st.y = r.y;
    st.z = r.z;
    st.slider = r.slider;
    st.rangeX = st.rangeY = st.rangeZ = st.rangeSlider = kJoystickRange;
    st.pov = r.pov;
    if (out) *out = st;
    return st.buttons;
}

uint32_t TInputDevice::getButtonCount(int device) const {
    return device >= 1 ? platform::joystickButtonCount(device - 1) : 0;
}

std::string TInputDevice::getProductName(int device) const {
    if (device == 0) return "Keyboard";
    return platform::joystickName(device - 1);
}

int TInputDevice::findBinding(uint32_t bit, int nth) const {
    if (!selected_ || nth < 0) return -1;
    for (int i = 0; i < kBindingCount; ++i) {
        const Binding& b = selected_->bindings[i];
        if (b.bit == 0) break;
        if (b.bit == bit && nth-- == 0) return i;
    }
    return -1;
}

bool TInputDevice::setKeyConfig(int index, int code) {
    if (index < 0 || index >= kBindingCount || !selected_ || code < 0 || code > 255) return false;
    const uint32_t bit = 1u << (index / 4);
    Binding* b = selected_->bindings;
    int pos = findBinding(bit, index % 4);
    if (pos < 0) {
        if (code == 0) return true;  // nothing bound there, nothing to remove
        pos = 0;
        while (pos < kBindingCount && b[pos].bit != 0) ++pos;
        if (pos >= kBindingCount) return false;
        b[pos] = {bit, static_cast<uint32_t>(code)};
        if (pos + 1 < kBindingCount) b[pos + 1] = {0, 0};
        return true;
    }
    if (code == 0) {
        std::memmove(&b[pos], &b[pos + 1], sizeof(Binding) * (kBindingCount - pos - 1));
        b[kBindingCount - 1] = {0, 0};
        return true;
    }
    b[pos].code = static_cast<uint32_t>(code);
    return true;
}

bool TInputDevice::setJoystickNo(int n) {
    if (!selected_ || n < 0 || n > joystickCount()) return false;
    selected_->joystick = static_cast<uint32_t>(n);
    return true;
}
