#include "platform/cd_drive.h"

#include <fcntl.h>
#include <linux/cdrom.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform::cd {

Drive::~Drive() { close(); }

int Drive::open(const std::string& device) {
    close();
    fd_ = ::open(device.c_str(), O_RDONLY | O_NONBLOCK);
    return fd_ < 0 ? errno : 0;
}

void Drive::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

int Drive::readToc(std::vector<Msf>& starts) {
    starts.clear();
    cdrom_tochdr header{};
    if (ioctl(fd_, CDROMREADTOCHDR, &header) != 0) return errno;
    for (int t = header.cdth_trk0; t <= header.cdth_trk1 + 1; ++t) {
        cdrom_tocentry entry{};
        entry.cdte_track = static_cast<uint8_t>(t > header.cdth_trk1 ? CDROM_LEADOUT : t);
        entry.cdte_format = CDROM_MSF;
        if (ioctl(fd_, CDROMREADTOCENTRY, &entry) != 0) return errno;
        starts.push_back(Msf{entry.cdte_addr.msf.minute, entry.cdte_addr.msf.second, entry.cdte_addr.msf.frame});
    }
    return 0;
}

int Drive::play(const Msf& from, const Msf& to) {
    cdrom_msf msf{};
    msf.cdmsf_min0 = from.minute;
    msf.cdmsf_sec0 = from.second;
    msf.cdmsf_frame0 = from.frame;
    msf.cdmsf_min1 = to.minute;
    msf.cdmsf_sec1 = to.second;
    msf.cdmsf_frame1 = to.frame;
    return ioctl(fd_, CDROMPLAYMSF, &msf) == 0 ? 0 : errno;
}

int Drive::stop() { return ioctl(fd_, CDROMSTOP) == 0 ? 0 : errno; }

AudioStatus Drive::status() {
    cdrom_subchnl sub{};
    sub.cdsc_format = CDROM_MSF;
    if (ioctl(fd_, CDROMSUBCHNL, &sub) != 0) return AudioStatus::Error;
    switch (sub.cdsc_audiostatus) {
        case CDROM_AUDIO_PLAY:
            return AudioStatus::Playing;
        case CDROM_AUDIO_PAUSED:
            return AudioStatus::Paused;
        case CDROM_AUDIO_COMPLETED:
            return AudioStatus::Completed;
        case CDROM_AUDIO_ERROR:
            return AudioStatus::Error;
        default:
            return AudioStatus::None;
    }
}

std::string errorText(int code) { return std::strerror(code); }

}  // namespace platform::cd
