#pragma once
// Message boxes. Texts are Shift-JIS, as everywhere in the program; the real back end shows them
// with SDL in UTF-8. Tests install an answerer that records each box and answers at once, so
// nothing in a test ever waits for a person.
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "platform/window_messages.h"  // MB_OK, MB_OKCANCEL, MB_YESNO, IDOK, IDCANCEL, IDYES, IDNO

namespace platform {

// Further box kinds and answers, with their usual values. Constants rather than enumerators, so
// that they combine with the box kinds above without mixing enumeration types.
inline constexpr uint32_t MB_ABORTRETRYIGNORE = 2;
inline constexpr uint32_t MB_YESNOCANCEL = 3;
inline constexpr uint32_t MB_RETRYCANCEL = 5;
inline constexpr uint32_t MB_TYPEMASK = 0x0F;
inline constexpr uint32_t MB_ICONHAND = 0x10;
inline constexpr uint32_t MB_ICONERROR = 0x10;
inline constexpr uint32_t MB_ICONSTOP = 0x10;
inline constexpr uint32_t MB_ICONQUESTION = 0x20;
inline constexpr uint32_t MB_ICONEXCLAMATION = 0x30;
inline constexpr uint32_t MB_ICONWARNING = 0x30;
inline constexpr uint32_t MB_ICONASTERISK = 0x40;
inline constexpr uint32_t MB_ICONINFORMATION = 0x40;
inline constexpr uint32_t MB_ICONMASK = 0xF0;
inline constexpr int IDABORT = 3;
inline constexpr int IDRETRY = 4;
inline constexpr int IDIGNORE = 5;

struct MessageBoxRequest {
    std::string text;     // Shift-JIS
    std::string caption;  // Shift-JIS
    uint32_t type = MB_OK;
};

class MessageBoxAnswerer {
public:
    virtual ~MessageBoxAnswerer() = default;
    // The id of the button chosen (IDOK, IDCANCEL, ...). Must not block.
    virtual int answer(const MessageBoxRequest& request) = 0;
};

// The test answerer: records every box and answers with the queued answers in order, then with
// the default answer (IDOK unless set).
class RecordingAnswerer final : public MessageBoxAnswerer {
public:
    explicit RecordingAnswerer(int defaultAnswer = IDOK) : defaultAnswer_(defaultAnswer) {}
    int answer(const MessageBoxRequest& request) override;

    void setDefaultAnswer(int answer);
    void queueAnswer(int answer);
    std::vector<MessageBoxRequest> requests() const;
    size_t count() const;
    MessageBoxRequest last() const;  // an empty request when none was shown
    void clear();

private:
    mutable std::mutex mutex_;
    std::vector<MessageBoxRequest> requests_;
    std::deque<int> queued_;
    int defaultAnswer_;
};

// Installs the answerer that every box goes to (nullptr: the real back end). The caller keeps it
// alive while installed. Returns the one installed before.
MessageBoxAnswerer* setMessageBoxAnswerer(MessageBoxAnswerer* answerer);

// Installs an answerer for the lifetime of a scope and puts the previous one back.
class ScopedMessageBoxAnswerer {
public:
    explicit ScopedMessageBoxAnswerer(MessageBoxAnswerer& answerer) : previous_(setMessageBoxAnswerer(&answerer)) {}
    ~ScopedMessageBoxAnswerer() { setMessageBoxAnswerer(previous_); }
    ScopedMessageBoxAnswerer(const ScopedMessageBoxAnswerer&) = delete;
    ScopedMessageBoxAnswerer& operator=(const ScopedMessageBoxAnswerer&) = delete;

private:
    MessageBoxAnswerer* previous_;
};

// Shows a modal box and returns the button chosen, or 0 when no box could be shown (why is then
// said once on standard error, and each text the first time it cannot be shown). owner is the
// SDL window to attach the box to (platform code only), or null. Without an installed answerer and
// without a display to show it on (SDL's dummy or offscreen video), the text goes to stderr and
// the box is answered as if closed with Escape (IDOK, IDCANCEL or IDNO).
int messageBox(const std::string& text, const std::string& caption, uint32_t type, void* owner = nullptr);

// The answer a box gets when it is closed without choosing (Escape).
int escapeAnswer(uint32_t type);

}  // namespace platform
