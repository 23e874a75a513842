#include "platform/message_box.h"

#include <SDL.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>

#include "platform/codepage.h"

namespace platform {

namespace {

std::atomic<MessageBoxAnswerer*> gAnswerer{nullptr};

struct Button {
    int id;
    const char* label;
};

// The buttons of a box kind, left to right; an unknown kind gets an OK button.
std::vector<Button> buttonsOf(uint32_t type) {
    switch (type & MB_TYPEMASK) {
        case MB_OKCANCEL:
            return {{IDOK, "OK"}, {IDCANCEL, "Cancel"}};
        case MB_ABORTRETRYIGNORE:
            return {{IDABORT, "Abort"}, {IDRETRY, "Retry"}, {IDIGNORE, "Ignore"}};
        case MB_YESNOCANCEL:
            return {{IDYES, "Yes"}, {IDNO, "No"}, {IDCANCEL, "Cancel"}};
        case MB_YESNO:
            return {{IDYES, "Yes"}, {IDNO, "No"}};
        case MB_RETRYCANCEL:
            return {{IDRETRY, "Retry"}, {IDCANCEL, "Cancel"}};
        default:
            return {{IDOK, "OK"}};
    }
}

bool noDisplay() {
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    return driver && (std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0);
}

// A box that cannot be shown: why is said the first time, and each text once, so that a caller
// that keeps asking (a question answered at once comes back) does not flood standard error.
void reportUnshown(const std::string& caption, const std::string& text, const char* why) {
    static std::mutex mutex;
    static bool reasonSaid = false;
    static std::set<std::string> said;
    constexpr size_t kRemembered = 256;
    std::lock_guard lock(mutex);
    if (!reasonSaid) {
        std::fprintf(stderr, "no message box could be shown (%s)\n", why && *why ? why : "no reason given");
        reasonSaid = true;
    }
    const std::string line = caption + ": " + text;
    if (said.count(line)) return;
    if (said.size() < kRemembered) said.insert(line);
    std::fprintf(stderr, "%s\n", line.c_str());
}

int showWithSdl(const MessageBoxRequest& r, void* owner) {
    std::string text = toUtf8(r.text);
    std::string caption = toUtf8(r.caption);
    std::vector<Button> buttons = buttonsOf(r.type);
    int escape = escapeAnswer(r.type);
    std::vector<SDL_MessageBoxButtonData> data;
    for (size_t i = 0; i < buttons.size(); ++i) {
        Uint32 flags = 0;
        if (i == 0) flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
        if (buttons[i].id == escape) flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
        data.push_back({flags, buttons[i].id, buttons[i].label});
    }
    Uint32 kind = SDL_MESSAGEBOX_INFORMATION;
    switch (r.type & MB_ICONMASK) {
        case MB_ICONERROR:
            kind = SDL_MESSAGEBOX_ERROR;
            break;
        case MB_ICONWARNING:
            kind = SDL_MESSAGEBOX_WARNING;
            break;
        default:
            break;
    }
    SDL_MessageBoxData box{};
    box.flags = kind | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
    box.window = static_cast<SDL_Window*>(owner);
    box.title = caption.c_str();
    box.message = text.c_str();
    box.numbuttons = static_cast<int>(data.size());
    box.buttons = data.data();
    int chosen = -1;
    if (SDL_ShowMessageBox(&box, &chosen) != 0) {
        reportUnshown(caption, text, SDL_GetError());
        return 0;
    }
    return chosen < 0 ? escape : chosen;  // closed by the window manager: as Escape
}

}  // namespace

int RecordingAnswerer::answer(const MessageBoxRequest& request) {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.push_back(request);
    if (queued_.empty()) return defaultAnswer_;
    int a = queued_.front();
    queued_.pop_front();
    return a;
}

void RecordingAnswerer::setDefaultAnswer(int answer) {
    std::lock_guard<std::mutex> lock(mutex_);
    defaultAnswer_ = answer;
}

void RecordingAnswerer::queueAnswer(int answer) {
    std::lock_guard<std::mutex> lock(mutex_);
    queued_.push_back(answer);
}

std::vector<MessageBoxRequest> RecordingAnswerer::requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

size_t RecordingAnswerer::count() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_.size();
}

MessageBoxRequest RecordingAnswerer::last() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_.empty() ? MessageBoxRequest{} : requests_.back();
}

void RecordingAnswerer::clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.clear();
    queued_.clear();
}

MessageBoxAnswerer* setMessageBoxAnswerer(MessageBoxAnswerer* answerer) { return gAnswerer.exchange(answerer); }

int escapeAnswer(uint32_t type) {
    switch (type & MB_TYPEMASK) {
        case MB_OKCANCEL:
        case MB_YESNOCANCEL:
        case MB_RETRYCANCEL:
            return IDCANCEL;
        case MB_YESNO:
            return IDNO;
        case MB_ABORTRETRYIGNORE:
            return IDABORT;
        default:
            return IDOK;
    }
}

int messageBox(const std::string& text, const std::string& caption, uint32_t type, void* owner) {
    MessageBoxRequest request{text, caption, type};
    if (MessageBoxAnswerer* a = gAnswerer.load()) return a->answer(request);
    if (noDisplay()) {
        std::fprintf(stderr, "%s: %s\n", toUtf8(caption).c_str(), toUtf8(text).c_str());
        return escapeAnswer(type);
    }
    return showWithSdl(request, owner);
}

}  // namespace platform
