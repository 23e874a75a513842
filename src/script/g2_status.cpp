#include "script/g2_status.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <variant>

#include "framework/profile.h"
#include "script/engine_texts.h"
#include "script/g2_error.h"

TG2Status_WriteProfile::TG2Status_WriteProfile() : font(g2texts::defaultFontFace()) {}

namespace {

// One profile key and the field it fills; "%d,%d" pairs are read as text. Numbers outside
// [lo, hi] (a hand-edited file) are taken to the nearest end, and the log says so: values that
// size loops and tables, or that are multiplied, stay in the ranges the program uses.
template <typename Owner>
struct Key {
    using Field =
        std::variant<std::string Owner::*, bool Owner::*, int Owner::*, std::pair<int Owner::*, int Owner::*>>;
    const char* key;
    Field field;
    int lo = INT32_MIN;
    int hi = INT32_MAX;
};

using Option = Key<TG2Status_WriteProfile>;
using Setting = Key<TG2Status>;

const Option kOptions[] = {
    {"Font", &TG2Status_WriteProfile::font},
    {"TextBold", &TG2Status_WriteProfile::textBold},
    {"TextInterval", &TG2Status_WriteProfile::textInterval, 0, 100000},
    {"CdDrive", &TG2Status_WriteProfile::cdDrive},
    {"Mute", &TG2Status_WriteProfile::mute},
    {"SeMute", &TG2Status_WriteProfile::seMute},
    {"BgmMute", &TG2Status_WriteProfile::bgmMute},
    {"CdMute", &TG2Status_WriteProfile::cdMute},
    {"VoiceMute", &TG2Status_WriteProfile::voiceMute},
    {"Volume", &TG2Status_WriteProfile::volume, 0, 255},
    {"SeVolume", &TG2Status_WriteProfile::seVolume, 0, 255},
    {"BgmVolume", &TG2Status_WriteProfile::bgmVolume, 0, 255},
    {"CdVolume", &TG2Status_WriteProfile::cdVolume, 0, 255},
    {"VoiceVolume", &TG2Status_WriteProfile::voiceVolume, 0, 255},
    {"BgmLowWithVoice", &TG2Status_WriteProfile::bgmLowWithVoice},
    {"BgmVolumeWithVoice", &TG2Status_WriteProfile::bgmVolumeWithVoice, 0, 255},
    {"Joypad", &TG2Status_WriteProfile::joypad},
    {"ScreenEffect", &TG2Status_WriteProfile::screenEffect},
    {"AutoTextTimeout", &TG2Status_WriteProfile::autoTextTimeout},
    {"AutoTextTimeoutVoice", &TG2Status_WriteProfile::autoTextTimeoutVoice},
    {"TextOff", &TG2Status_WriteProfile::textOff},
    {"SkipMessage", &TG2Status_WriteProfile::skipMessage},
    {"AutoText", &TG2Status_WriteProfile::autoText},
};

const Setting kSettings[] = {
    {"SystemFolder", &TG2Status::systemFolder},
    {"Name", &TG2Status::name},
    {"MemName", &TG2Status::memName},
    {"ImgDisp", &TG2Status::imgDisp},
    {"Save", &TG2Status::save},
    {"SaveThumbnail", &TG2Status::saveThumbnail},
    {"SaveCommon", &TG2Status::saveCommon},
    {"SaveMemory", &TG2Status::saveMemory},
    {"SaveImgDisp", &TG2Status::saveImgDisp},
    {"Title", &TG2Status::title},
    {"Product", &TG2Status::product},
    {"Version", &TG2Status::version},
    {"Copyright", &TG2Status::copyright},
    {"URL", &TG2Status::url},
    {"MouseCursor", &TG2Status::mouseCursor},
    {"MouseOffset", std::pair{&TG2Status::mouseOffsetX, &TG2Status::mouseOffsetY}, -4096, 4096},
    {"SeOn", &TG2Status::seOn},
    {"SeDecide", &TG2Status::seDecide},
    {"UsedCd", &TG2Status::usedCd},
    {"RecordMax", &TG2Status::recordMax, 0, TG2Status::kMaxRecords},
    {"ScreenSize", std::pair{&TG2Status::screenWidth, &TG2Status::screenHeight}},
};

template <typename Owner>
void clampKey(const Key<Owner>& k, int& value) {
    if (value >= k.lo && value <= k.hi) return;
    const int was = value;
    value = std::clamp(value, k.lo, k.hi);
    char line[160];
    std::snprintf(line, sizeof line, "settings: %s %d is out of range (%d to %d); %d is used", k.key, was, k.lo, k.hi,
                  value);
    engineLog(line);
}

template <typename Owner>
void readKey(TIniFile& profile, const Key<Owner>& k, Owner& owner) {
    std::visit(
        [&](auto field) {
            using F = decltype(field);
            if constexpr (std::is_same_v<F, std::string Owner::*>) {
                owner.*field = profile.getString(k.key, (owner.*field).c_str());
            } else if constexpr (std::is_same_v<F, bool Owner::*>) {
                owner.*field = profile.getInt(k.key, owner.*field ? 1 : 0) != 0;
            } else if constexpr (std::is_same_v<F, int Owner::*>) {
                owner.*field = profile.getInt(k.key, owner.*field);
                clampKey(k, owner.*field);
            } else {
                // Each number that the text holds replaces its value; an empty text keeps both.
                const std::string text = profile.getString(k.key, "");
                if (!text.empty())
                    std::sscanf(text.c_str(), "%d,%d", &(owner.*(field.first)), &(owner.*(field.second)));
                clampKey(k, owner.*(field.first));
                clampKey(k, owner.*(field.second));
            }
        },
        k.field);
}

}  // namespace

void TG2Status::readProfile(TIniFile& profile) {
    baseline = static_cast<const TG2Status_WriteProfile&>(*this);
    profile.setSection("G2Setting");
    for (const Setting& k : kSettings) readKey(profile, k, *this);
    profile.setSection("G2Status");
    TG2Status_WriteProfile& options = *this;
    for (const Option& k : kOptions) readKey(profile, k, options);
}

bool TG2Status::writeProfile(TIniFile& profile) {
    profile.setSection("G2Status");
    const TG2Status_WriteProfile& options = *this;
    for (const Option& k : kOptions) {
        if (std::strcmp(k.key, "Joypad") == 0) continue;
        std::visit(
            [&](auto field) {
                using F = decltype(field);
                if constexpr (std::is_same_v<F,
                                             std::pair<int TG2Status_WriteProfile::*, int TG2Status_WriteProfile::*>>) {
                    return;  // no option is a pair
                } else if (options.*field == baseline.*field) {
                    profile.deleteKey(k.key);
                } else if constexpr (std::is_same_v<F, std::string TG2Status_WriteProfile::*>) {
                    profile.setString(k.key, (options.*field).c_str());
                } else {
                    profile.setInt(k.key, static_cast<int>(options.*field));
                }
            },
            k.field);
    }
    return true;
}
