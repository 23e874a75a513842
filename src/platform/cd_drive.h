#pragma once
// The kernel's CD-ROM audio controls: table of contents, play between two MSF addresses, stop,
// and the audio status a poller watches for the end of a play.
#include <cstdint>
#include <string>
#include <vector>

namespace platform::cd {

struct Msf {
    uint8_t minute = 0, second = 0, frame = 0;  // 75 frames a second
    uint32_t frames() const { return (minute * 60u + second) * 75u + frame; }
    static Msf fromFrames(uint32_t f) {
        return Msf{static_cast<uint8_t>(f / 75 / 60), static_cast<uint8_t>(f / 75 % 60), static_cast<uint8_t>(f % 75)};
    }
};

enum class AudioStatus { Playing, Paused, Completed, Error, None };

class Drive {
public:
    ~Drive();
    // Opens the device node (read-only, non-blocking); errno on failure, else 0.
    int open(const std::string& device);
    void close();
    bool isOpen() const { return fd_ >= 0; }
    // Start addresses of tracks 1..n, and the lead-out (the end of the last track) at index n.
    int readToc(std::vector<Msf>& starts);
    int play(const Msf& from, const Msf& to);
    int stop();
    AudioStatus status();

private:
    int fd_ = -1;
};

// The text of an errno.
std::string errorText(int code);

}  // namespace platform::cd
