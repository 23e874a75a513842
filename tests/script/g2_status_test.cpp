// Engine settings read from and written back to a profile file.
#include "script/g2_status.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "framework/profile.h"
#include "platform/path_map.h"
#include "script/engine_texts.h"
#include "support/test_support.h"

namespace {

class G2StatusTest : public ::testing::Test {
protected:
    void write(const std::string& text) {
        std::ofstream(dir.path() / "game.ini", std::ios::binary) << text;
        ASSERT_TRUE(profile.open(platform::fromOsPath(dir.path().string()) + "\\game.ini", nullptr));
    }
    std::string slurp() {
        std::ifstream in(dir.path() / "game.ini", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    mjtest::TempDir dir;
    TProfile profile;
    TG2Status status;
};

}  // namespace

TEST_F(G2StatusTest, DefaultsAreThoseOfTheConstructor) {
    EXPECT_EQ(status.font, g2texts::defaultFontFace());
    EXPECT_EQ(status.name, "data\\main.g2");
    EXPECT_EQ(status.screenWidth * 1000 + status.screenHeight, 640480);
    EXPECT_EQ(status.autoTextTimeout, -10);
    EXPECT_EQ(status.skipKeyMask, 0x10000010u);
    EXPECT_TRUE(status.screenEffect && status.useCommonSave);
}

TEST_F(G2StatusTest, SetUpIsReadWithTheCurrentValuesAsDefaults) {
    write(
        "[G2Setting]\r\nName=script.pak\\a0001.g2\r\nScreenSize=\r\nMouseOffset=3,-4\r\nUsedCd=2\r\n"
        "RecordMax=0x10\r\n[G2Status]\r\nTextBold=7\r\nVolume=100\r\n");
    status.mouseOffsetX = 9;
    status.readProfile(profile);
    EXPECT_EQ(status.name, "script.pak\\a0001.g2");
    EXPECT_EQ(status.memName, "data\\main.g2m");                         // missing key: default kept
    EXPECT_EQ(status.screenWidth * 1000 + status.screenHeight, 640480);  // empty pair kept
    EXPECT_EQ(status.mouseOffsetX * 100 + status.mouseOffsetY, 296);     // 3, -4
    EXPECT_TRUE(status.usedCd);
    EXPECT_EQ(status.recordMax, 16);
    EXPECT_TRUE(status.textBold);
    EXPECT_EQ(status.volume, 100);
    EXPECT_EQ(status.baseline.volume, 255);  // the baseline is what stood before the read
}

TEST_F(G2StatusTest, WritingKeepsOnlyWhatDiffersFromTheBaselineAndLeavesJoypad) {
    write("[G2Status]\r\nVolume=255\r\nJoypad=1\r\nTextBold=2\r\nSeMute=0\r\n");
    status.readProfile(profile);
    EXPECT_TRUE(status.joypad);
    status.bgmVolume = 10;
    status.font = "Face";
    ASSERT_TRUE(status.writeProfile(profile));
    // Volume equals its default and goes; TextBold 2 differs and comes back as 1; SeMute goes.
    EXPECT_EQ(slurp(), "[G2Status]\r\nJoypad=1\r\nTextBold=1\r\nFont=Face\r\nBgmVolume=10\r\n");

    // Read again: the values read become the baseline, so nothing differs and all go but Joypad.
    status.readProfile(profile);
    status.writeProfile(profile);
    EXPECT_EQ(slurp(), "[G2Status]\r\nJoypad=1\r\n");
}
