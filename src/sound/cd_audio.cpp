#include "sound/cd_audio.h"

#include <algorithm>

#include "framework/window.h"
#include "platform/message_box.h"

namespace cd_texts {
// "…に失敗" ("… failed") in Shift-JIS.
const char* const kOpenFailed = "CDAudio:Open, MCI_OPEN\x82\xc9\x8e\xb8\x94\x73";
const char* const kStopFailed = "CDAudio:Stop, MCI_STOP\x82\xc9\x8e\xb8\x94\x73";
const char* const kPlayOpenFailed = "CDAudio:Play, Open\x82\xc9\x8e\xb8\x94\x73";
const char* const kTrackLengthFailed = "CDAudio:GetTrackLength, MCI_STATUS_ITEM\x82\xc9\x8e\xb8\x94\x73";
const char* const kNumTracksFailed = "CDAudio:GetNumTracks, MCI_STATUS_ITEM\x82\xc9\x8e\xb8\x94\x73";
}  // namespace cd_texts

TCdAudio::TCdAudio(std::unique_ptr<TCdBackend> backend)
    : backend_(backend ? std::move(backend) : makeLinuxCdBackend()) {}

TCdAudio::~TCdAudio() { TCdAudio::detach(); }

void TCdAudio::setWindow(TWindow* window, bool report) {
    if (window_) window_->removeMessageHook(&TCdAudio::hook, this);
    window_ = window;
    report_ = report;
    if (window_) window_->addMessageHook(&TCdAudio::hook, this);
}

void TCdAudio::detach() {
    if (open_) close();
    if (window_) window_->removeMessageHook(&TCdAudio::hook, this);
    window_ = nullptr;
}

void TCdAudio::report(const char* text, uint32_t error) {
    if (!report_ || !window_) return;
    std::string message = text;
    if (error != 0) {
        std::string detail = backend_->errorText(error);
        if (detail.size() > 256) detail.resize(256);
        message += "\n[" + detail + "]";
    }
    window_->messageBox(message.c_str(), caption_.empty() ? nullptr : caption_.c_str(), platform::MB_ICONHAND);
}

bool TCdAudio::open(int drive) {
    drive_ = drive;
    bool retried = false;
    if (open_) {
        close();
        retried = true;
    }
    for (;;) {
        uint32_t id = 0;
        const uint32_t error = backend_->open(drive, id);
        if (error == 0) {
            device_ = id;
            open_ = true;
            return backend_->setTimeFormat(device_, TCdBackend::kTmsf) == 0;
        }
        if (retried) {
            report(cd_texts::kOpenFailed, error);
            return false;
        }
        if (device_ != 0) {
            backend_->stop(device_);
            backend_->close(device_);
            device_ = 0;
        }
        retried = true;
    }
}

bool TCdAudio::close() {
    if (!open_) return true;
    if (playing_) stop();
    backend_->close(device_);
    device_ = 0;
    open_ = false;
    return true;
}

bool TCdAudio::stop() {
    if (!open_ || !playing_) return true;
    playing_ = false;
    const uint32_t error = backend_->stop(device_);
    if (error != 0) {
        report(cd_texts::kStopFailed, error);
        return false;
    }
    return true;
}

bool TCdAudio::ensureOpen() {
    if (open_) return true;
    // The play only opens the device; the caller plays again.
    if (!open(drive_)) report(cd_texts::kPlayOpenFailed, 0);
    return false;
}

bool TCdAudio::issuePlay(uint32_t flags, uint32_t from, uint32_t to) {
    const uint32_t error =
        backend_->play(device_, flags | TCdBackend::kNotify, from, to, window_ ? window_->handle() : nullptr);
    if (error != 0) {
        report(cd_texts::kPlayOpenFailed, error);
        playing_ = false;
        return false;
    }
    playing_ = true;
    return true;
}

bool TCdAudio::playAll() {
    if (!ensureOpen()) return false;
    last_ = LastPlay{0};
    return issuePlay(0, 0, 0);
}

bool TCdAudio::playTrack(int track) {
    if (!ensureOpen()) return false;
    last_ = LastPlay{1, 0, track};
    // No start is sent: it plays from the current position.
    if (track == getNumTracks()) return issuePlay(0, 0, 0);
    return issuePlay(TCdBackend::kTo, 0, makeTmsf(static_cast<uint32_t>(track + 1), 0, 0, 0));
}

bool TCdAudio::playRange(int fromTrack, int toTrack) {
    if (!ensureOpen()) return false;
    last_ = LastPlay{2, fromTrack, toTrack};
    const uint32_t from = makeTmsf(static_cast<uint32_t>(fromTrack), 0, 0, 0);
    const int tracks = getNumTracks();
    if (toTrack >= tracks) return issuePlay(TCdBackend::kFrom, from, 0);
    const int len = getTrackLength(toTrack);
    if (len < 0) return false;
    // One second before the end of the track, borrowing from the minutes (a track of 3:00:10
    // ends at 2:59:10; nothing goes below 0:00).
    const uint32_t l = static_cast<uint32_t>(len);
    const uint32_t seconds = msfMinute(l) * 60 + msfSecond(l);
    const uint32_t end = seconds > 0 ? seconds - 1 : 0;
    const uint32_t to = makeTmsf(static_cast<uint32_t>(toTrack), end / 60, end % 60, seconds > 0 ? msfFrame(l) : 0);
    return issuePlay(TCdBackend::kFrom | TCdBackend::kTo, from, to);
}

bool TCdAudio::playPositions(uint32_t from, uint32_t to, bool raw) {
    if (!ensureOpen()) return false;
    last_ = LastPlay{3, 0, 0, from, to, raw};
    if (!raw) backend_->setTimeFormat(device_, TCdBackend::kMsf);
    const bool ok = issuePlay(TCdBackend::kFrom | TCdBackend::kTo, from, to);
    if (!raw) backend_->setTimeFormat(device_, TCdBackend::kTmsf);
    return ok;
}

int TCdAudio::getTrackLength(int track) {
    backend_->setTimeFormat(device_, TCdBackend::kMsf);
    uint32_t msf = 0;
    const uint32_t error = backend_->trackLength(device_, track, msf);
    backend_->setTimeFormat(device_, TCdBackend::kTmsf);
    if (error != 0) {
        report(cd_texts::kTrackLengthFailed, error);
        return -1;
    }
    return static_cast<int>(msf);
}

int TCdAudio::getNumTracks() {
    uint32_t count = 0;
    const uint32_t error = backend_->numberOfTracks(device_, count);
    if (error != 0) {
        report(cd_texts::kNumTracksFailed, error);
        return -1;
    }
    return static_cast<int>(count);
}

bool TCdAudio::replay() {
    switch (last_.mode) {
        case 0:
            return playAll();
        case 1:
            return playTrack(last_.track);
        case 2:
            return playRange(last_.fromTrack, last_.track);
        case 3:
            return playPositions(last_.from, last_.to, last_.raw);
        default:
            return false;
    }
}

intptr_t TCdAudio::hook(TWindow*, uint32_t message, uintptr_t wParam, intptr_t lParam, void* user) {
    if (message != MM_MCINOTIFY || wParam != MCI_NOTIFY_SUCCESSFUL) return 0;
    auto* self = static_cast<TCdAudio*>(user);
    if (static_cast<uint32_t>(lParam) == self->device_) {
        if (self->repeat_)
            self->replay();
        else
            self->stop();
    }
    return 1;
}
