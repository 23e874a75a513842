// The CD back end on the kernel's CD-ROM audio controls. A play with a notice starts a poller
// that watches the drive's audio status and posts the completion to the window.
#include <atomic>
#include <thread>
#include <vector>

#include "platform/cd_drive.h"
#include "platform/clock.h"
#include "sound/cd_audio.h"

namespace {

using platform::cd::Msf;

class LinuxCdBackend final : public TCdBackend {
public:
    ~LinuxCdBackend() override { endPoll(); }

    uint32_t open(int drive, uint32_t& device) override {
        const std::string node = drive < 0 ? "/dev/cdrom" : "/dev/sr" + std::to_string(drive > 3 ? drive - 3 : 0);
        if (int e = drive_.open(node)) return static_cast<uint32_t>(e);
        device = 1;
        return 0;
    }
    uint32_t close(uint32_t) override {
        endPoll();
        drive_.close();
        return 0;
    }
    uint32_t stop(uint32_t) override {
        endPoll();
        return static_cast<uint32_t>(drive_.stop());
    }
    uint32_t setTimeFormat(uint32_t, TimeFormat format) override {
        format_ = format;
        return 0;
    }
    uint32_t play(uint32_t device, uint32_t flags, uint32_t from, uint32_t to, platform::HWND window) override {
        std::vector<Msf> toc;
        if (int e = drive_.readToc(toc)) return static_cast<uint32_t>(e);
        if (toc.size() < 2) return EIO;
        auto absolute = [&](uint32_t word) -> uint32_t {
            if (format_ == kMsf)
                return Msf{static_cast<uint8_t>(msfMinute(word)), static_cast<uint8_t>(msfSecond(word)),
                           static_cast<uint8_t>(msfFrame(word))}
                    .frames();
            const uint32_t track = word & 0xFF;
            const uint32_t start = track >= 1 && track <= toc.size() ? toc[track - 1].frames() : toc.back().frames();
            return start + ((((word >> 8) & 0xFF) * 60 + ((word >> 16) & 0xFF)) * 75 + (word >> 24));
        };
        const uint32_t begin = flags & kFrom ? absolute(from) : toc.front().frames();
        const uint32_t end = std::min(flags & kTo ? absolute(to) : toc.back().frames(), toc.back().frames());
        if (begin >= end) return EINVAL;
        endPoll();
        if (int e = drive_.play(Msf::fromFrames(begin), Msf::fromFrames(end))) return static_cast<uint32_t>(e);
        if (flags & kNotify) startPoll(device, window);
        return 0;
    }
    uint32_t trackLength(uint32_t, int track, uint32_t& msf) override {
        std::vector<Msf> toc;
        if (int e = drive_.readToc(toc)) return static_cast<uint32_t>(e);
        if (track < 1 || static_cast<size_t>(track) >= toc.size()) return EINVAL;
        const Msf len = Msf::fromFrames(toc[track].frames() - toc[track - 1].frames());
        msf = makeMsf(len.minute, len.second, len.frame);
        return 0;
    }
    uint32_t numberOfTracks(uint32_t, uint32_t& count) override {
        std::vector<Msf> toc;
        if (int e = drive_.readToc(toc)) return static_cast<uint32_t>(e);
        count = toc.empty() ? 0 : static_cast<uint32_t>(toc.size() - 1);
        return 0;
    }
    std::string errorText(uint32_t code) override { return platform::cd::errorText(static_cast<int>(code)); }

private:
    void startPoll(uint32_t device, platform::HWND window) {
        quit_ = false;
        poller_ = std::thread([this, device, window] {
            while (!quit_) {
                platform::realSleepMs(250);
                const auto status = drive_.status();
                if (status == platform::cd::AudioStatus::Completed) {
                    platform::postMessage(window, MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, static_cast<intptr_t>(device));
                    return;
                }
                if (status == platform::cd::AudioStatus::Error || status == platform::cd::AudioStatus::None) return;
            }
        });
    }
    void endPoll() {
        quit_ = true;
        if (poller_.joinable()) poller_.join();
    }

    platform::cd::Drive drive_;
    TimeFormat format_ = kTmsf;
    std::atomic<bool> quit_{false};
    std::thread poller_;
};

}  // namespace

std::unique_ptr<TCdBackend> makeLinuxCdBackend() { return std::make_unique<LinuxCdBackend>(); }
