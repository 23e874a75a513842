#pragma once
// The script engine's settings: the set-up (section "G2Setting", read only) and the player's
// options (section "G2Status"). writeProfile keeps only the options that differ from the values
// in force when the profile was last read, so the file holds just what the player changed.
#include <cstdint>
#include <string>

class TIniFile;

// The options, in the order the profile reads and writes them.
struct TG2Status_WriteProfile {
    TG2Status_WriteProfile();
    bool operator==(const TG2Status_WriteProfile&) const = default;

    std::string font;  // Shift-JIS face name
    bool textBold = false;
    int textInterval = 100;
    int cdDrive = -1;
    bool mute = false;
    bool seMute = false;
    bool bgmMute = false;
    bool cdMute = false;
    bool voiceMute = false;
    int volume = 255;  // 0-255
    int seVolume = 255;
    int bgmVolume = 255;
    int cdVolume = 255;
    int voiceVolume = 255;
    bool bgmLowWithVoice = false;
    int bgmVolumeWithVoice = 127;
    bool joypad = false;  // read, never written
    bool screenEffect = true;
    int autoTextTimeout = -10;
    int autoTextTimeoutVoice = 1000;
    int textOff = 4;
    bool skipMessage = false;
    bool autoText = false;
};

class TG2Status : public TG2Status_WriteProfile {
public:
    // The most save records ("RecordMax") a settings file may ask for: the program's own count.
    static constexpr int kMaxRecords = 123;

    TG2Status() = default;

    // Both sections; the options read are compared against the ones held before the read.
    // Numbers that size loops or are multiplied (record count, volumes, text interval, mouse
    // offset) are kept to their ranges, and each value taken back is logged.
    void readProfile(TIniFile& profile);
    // The options that differ from the baseline are written, the others deleted ("Joypad" is
    // left alone). Always true.
    bool writeProfile(TIniFile& profile);

    // Set-up ("G2Setting").
    std::string systemFolder = "data";
    std::string name = "data\\main.g2";
    std::string memName = "data\\main.g2m";
    std::string imgDisp;
    std::string save = "save\\save%02d.sav";
    std::string saveThumbnail = "save\\save%02d.img";
    std::string saveCommon = "save\\save00.sav";
    std::string saveMemory;
    std::string saveImgDisp;
    std::string title = "G2";
    std::string product = "G2";
    std::string version;
    std::string copyright = "Copyright (C) Tovimare. All rights reserved.";
    std::string url = "https://www.example.jp/";
    std::string mouseCursor = "data\\cursor.bmp;t";
    int mouseOffsetX = 0;
    int mouseOffsetY = 0;
    std::string seOn;
    std::string seDecide;
    bool usedCd = false;
    int recordMax = 8;
    int screenWidth = 640;
    int screenHeight = 480;

    // The options as they stood when the profile was last read.
    TG2Status_WriteProfile baseline;

    // Run-time fields, in no profile.
    bool variablesOnly = false;
    uint32_t textOffKeyMask = 0x200;
    uint32_t skipKeyMask = 0x10000010;
    uint32_t logViewKeyMask1 = 0x40;
    uint32_t logViewKeyMask2 = 0x80;
    bool clickOption = false;
    bool forceSkip = false;
    bool useCommonSave = true;
    bool autoEndsOnMenuKey = false;
};
