// The player settings: six keys of section "Status" in "save\game.ini", read once when the frame
// is made and written once when it ends. The window keys and the engine's sections share the
// file and the profile object, and one save writes them all in one replacement of the file.
#include <cstdio>

#include "app/main_frame.h"
#include "framework/profile.h"
#include "platform/file.h"
#include "platform/path_map.h"
#include "storage/storage.h"

namespace {

constexpr const char* kSettingsFile = "save\\game.ini";
constexpr const char* kSection = "Status";

}  // namespace

std::string TMainFrame::settingsPath() const {
    TStorage* store = TStorage::instance();
    return store ? store->fullPath(kSettingsFile) : std::string(kSettingsFile);
}

bool TMainFrame::loadProfile(TIniFile*) {
    TProfile profile;
    if (!profile.open(settingsPath(), kSection)) return false;
    // Said once, here: the file is read once, for every key of the start-up.
    if (profile.readState() == platform::IniFileState::Refused)
        std::fprintf(stderr,
                     "the settings file %s was not read (it is larger than %llu KiB, no plain file, or not "
                     "readable): the game starts with its default settings and leaves the file as it is\n",
                     platform::toOsPath(settingsPath()).c_str(),
                     static_cast<unsigned long long>(platform::kMaxProfileBytes >> 10));
    TPlayerSettings& s = settings_;
    s.skipCondition = profile.getInt("SkipCondition", s.skipCondition);
    s.msgBox = profile.getInt("MsgBox", s.msgBox ? 1 : 0) != 0;
    s.rightClick = profile.getInt("RightClick", s.rightClick);
    s.shioriConfirm = profile.getInt("ShioriConfirm", s.shioriConfirm ? 1 : 0) != 0;
    s.voiceClick = profile.getInt("VoiceClick", s.voiceClick);
    s.showClear = profile.getInt("ShowClear", s.showClear ? 1 : 0) != 0;
    // Only values too large are taken back to 0; a negative one stays, and is then ignored.
    if (s.rightClick >= 2) s.rightClick = 0;
    if (s.voiceClick >= 3) s.voiceClick = 0;
    return TGameFrameG2::loadProfile(&profile);
}

bool TMainFrame::saveProfile(TIniFile*) {
    TProfile profile;
    if (!profile.open(settingsPath(), kSection)) return false;
    // Every key of this save reaches the file in one replacement, so a crash never leaves some
    // old values and some new.
    profile.holdWrites();
    const TPlayerSettings& s = settings_;
    profile.setInt("SkipCondition", s.skipCondition);
    profile.setInt("MsgBox", s.msgBox ? 1 : 0);
    profile.setInt("RightClick", s.rightClick);
    profile.setInt("ShioriConfirm", s.shioriConfirm ? 1 : 0);
    profile.setInt("VoiceClick", s.voiceClick);
    profile.setInt("ShowClear", s.showClear ? 1 : 0);
    const bool saved = TGameFrameG2::saveProfile(&profile);
    if (profile.flushWrites()) return saved;
    // Said once, here, for the whole save. A file refused at start-up was said then.
    const std::string file = platform::toOsPath(settingsPath());
    switch (profile.lastWrite()) {
        case platform::IniWriteResult::TooLarge:
            std::fprintf(stderr,
                         "the settings were not saved: %s would grow past %llu KiB, more than the game reads back; "
                         "the file is left as it was\n",
                         file.c_str(), static_cast<unsigned long long>(platform::kMaxProfileBytes >> 10));
            break;
        case platform::IniWriteResult::ReadOnly:
            std::fprintf(stderr, "the settings of this run were not saved: %s is read-only, and is left as it is\n",
                         file.c_str());
            break;
        case platform::IniWriteResult::Failed:
            std::fprintf(stderr, "the settings were not saved to %s (%s): the file is left as it was\n", file.c_str(),
                         platform::errorText(profile.lastWriteError()).c_str());
            break;
        default:
            break;
    }
    return false;
}
