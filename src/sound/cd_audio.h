#pragma once
// CD audio: the whole disc, up to a track, a range of tracks or a range of positions, repeated
// when a play completes if asked to. The device is reached through a back end with the command
// set of the system's media control interface (time formats TMSF and MSF, play with from/to and
// a completion message to the owner window); the Linux back end uses the kernel's CD-ROM audio
// controls, tests use a fake one.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/window_system.h"

class TWindow;

// MCI time words: TMSF is track, minute, second, frame from the low byte up; MSF minute, second,
// frame.
constexpr uint32_t makeTmsf(uint32_t t, uint32_t m, uint32_t s, uint32_t f) { return t | m << 8 | s << 16 | f << 24; }
constexpr uint32_t makeMsf(uint32_t m, uint32_t s, uint32_t f) { return m | s << 8 | f << 16; }
constexpr uint32_t msfMinute(uint32_t msf) { return msf & 0xFF; }
constexpr uint32_t msfSecond(uint32_t msf) { return (msf >> 8) & 0xFF; }
constexpr uint32_t msfFrame(uint32_t msf) { return (msf >> 16) & 0xFF; }

constexpr uint32_t MM_MCINOTIFY = 0x3B9;
constexpr uintptr_t MCI_NOTIFY_SUCCESSFUL = 1;

class TCdBackend {
public:
    enum TimeFormat { kTmsf, kMsf };
    enum : uint32_t { kNotify = 0x1, kFrom = 0x4, kTo = 0x8 };
    virtual ~TCdBackend() = default;
    // Each returns 0 or an error code.
    virtual uint32_t open(int drive, uint32_t& device) = 0;
    virtual uint32_t close(uint32_t device) = 0;
    virtual uint32_t stop(uint32_t device) = 0;
    virtual uint32_t setTimeFormat(uint32_t device, TimeFormat format) = 0;
    // from and to in the device's time format; without kFrom from the current position, without
    // kTo to the end of the disc. With kNotify a completed play posts MM_MCINOTIFY
    // (MCI_NOTIFY_SUCCESSFUL, device) to window.
    virtual uint32_t play(uint32_t device, uint32_t flags, uint32_t from, uint32_t to, platform::HWND window) = 0;
    // The track's length as MSF.
    virtual uint32_t trackLength(uint32_t device, int track, uint32_t& msf) = 0;
    virtual uint32_t numberOfTracks(uint32_t device, uint32_t& count) = 0;
    virtual std::string errorText(uint32_t code) = 0;
};

// The kernel's CD-ROM audio: drive -1 is /dev/cdrom, drive n (a letter, D: = 3) /dev/sr(n - 3).
std::unique_ptr<TCdBackend> makeLinuxCdBackend();

class TCdAudio {
public:
    // Without a back end, the Linux one.
    explicit TCdAudio(std::unique_ptr<TCdBackend> backend = nullptr);
    virtual ~TCdAudio();
    TCdAudio(const TCdAudio&) = delete;
    TCdAudio& operator=(const TCdAudio&) = delete;

    // Stores both and hooks the window's messages for the completion notices.
    void setWindow(TWindow* window, bool report);
    void setCaption(const std::string& caption) { caption_ = caption; }
    // Closes the device when open and removes the hook.
    virtual void detach();
    bool open(int drive);
    bool close();
    bool stop();
    bool playAll();
    bool playTrack(int track);
    bool playRange(int fromTrack, int toTrack);
    bool playPositions(uint32_t from, uint32_t to, bool raw);
    void setRepeat(bool on) { repeat_ = on; }
    bool isPlaying() const { return playing_; }
    bool isOpen() const { return open_; }
    // MSF, or -1 (reported).
    int getTrackLength(int track);
    int getNumTracks();
    uint32_t device() const { return device_; }

private:
    static intptr_t hook(TWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam, void* user);
    bool ensureOpen();
    bool issuePlay(uint32_t flags, uint32_t from, uint32_t to);
    bool replay();
    void report(const char* text, uint32_t error);

    std::unique_ptr<TCdBackend> backend_;
    uint32_t device_ = 0;
    TWindow* window_ = nullptr;
    bool report_ = false;
    std::string caption_;
    int drive_ = -1;
    bool playing_ = false;
    bool open_ = false;
    bool repeat_ = false;
    struct LastPlay {
        int mode = -1;  // 0 whole disc, 1 up to a track, 2 track range, 3 position range
        int fromTrack = 0, track = 0;
        uint32_t from = 0, to = 0;
        bool raw = false;
    } last_;
};

// The texts the CD player reports, in Shift-JIS.
namespace cd_texts {
extern const char* const kOpenFailed;
extern const char* const kStopFailed;
extern const char* const kPlayOpenFailed;
extern const char* const kTrackLengthFailed;
extern const char* const kNumTracksFailed;
}  // namespace cd_texts
