// Any bytes as the settings file: the engine's settings read from it keep every number that
// sizes a loop or is multiplied inside its range, and writing them back never fails.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "framework/profile.h"
#include "platform/path_map.h"
#include "script/g2_error.h"
#include "script/g2_status.h"
#include "support/fuzz.h"

namespace {

const std::string& scratchPath() {
    static const std::string path = [] {
        const std::string folder = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        return folder + "/g2_status_fuzz_" + std::to_string(::getpid()) + ".ini";
    }();
    return path;
}

bool within(int v, int lo, int hi) { return v >= lo && v <= hi; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (std::FILE* f = std::fopen(scratchPath().c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    setEngineLogSink([](const std::string&) {});
    TG2Status s;
    TProfile profile;
    profile.open(platform::fromOsPath(scratchPath()), nullptr);
    s.readProfile(profile);
    for (const int v : {s.volume, s.seVolume, s.bgmVolume, s.cdVolume, s.voiceVolume, s.bgmVolumeWithVoice})
        if (!within(v, 0, 255)) std::abort();
    if (!within(s.recordMax, 0, TG2Status::kMaxRecords) || !within(s.textInterval, 0, 100000) ||
        !within(s.mouseOffsetX, -4096, 4096) || !within(s.mouseOffsetY, -4096, 4096))
        std::abort();
    profile.holdWrites();
    s.writeProfile(profile);
    profile.flushWrites();
    setEngineLogSink(nullptr);
    std::remove(scratchPath().c_str());
    return 0;
}

std::vector<std::vector<uint8_t>> mjFuzzSeeds() {
    auto bytes = [](const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); };
    return {
        bytes("[G2Setting]\r\nRecordMax=2000000000\r\nMouseOffset=-2147483648,9999999\r\nScreenSize=800,600\r\n"
              "[G2Status]\r\nVolume=2147483647\r\nSeVolume=-5\r\nVoiceVolume=100000\r\nTextInterval=2000000000\r\n"),
        bytes("[G2Status]\r\nFont=x\r\nTextBold=1\r\nBgmVolume=0x7f\r\nAutoText=1\r\n[Status]\r\nMsgBox=1\r\n")};
}
