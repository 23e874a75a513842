// CD audio on a fake drive: what is asked of the device, repeats on completion, and reports.
#include <gtest/gtest.h>

#include "framework/sjis.h"
#include "framework/window.h"
#include "sound/cd_audio.h"

namespace {

struct Call {
    std::string what;
    uint32_t flags = 0, from = 0, to = 0;
    bool operator==(const Call&) const = default;
};

class FakeDrive : public TCdBackend {
public:
    std::vector<Call>* calls;
    std::vector<int>* drives;
    int failOpens = 0;
    uint32_t tracks = 5;
    uint32_t length = makeMsf(3, 0, 10);
    TimeFormat format = kTmsf;
    FakeDrive(std::vector<Call>* c, std::vector<int>* d) : calls(c), drives(d) {}
    uint32_t open(int drive, uint32_t& device) override {
        drives->push_back(drive);
        if (failOpens > 0) {
            --failOpens;
            return 259;
        }
        device = 7;
        return 0;
    }
    uint32_t close(uint32_t) override { return 0; }
    uint32_t stop(uint32_t) override {
        calls->push_back({"stop"});
        return 0;
    }
    uint32_t setTimeFormat(uint32_t, TimeFormat f) override {
        format = f;
        return 0;
    }
    uint32_t play(uint32_t, uint32_t flags, uint32_t from, uint32_t to, platform::HWND) override {
        calls->push_back({format == kMsf ? "play msf" : "play", flags, from, to});
        return 0;
    }
    uint32_t trackLength(uint32_t, int, uint32_t& msf) override {
        msf = length;
        return format == kMsf ? 0 : 1;  // lengths are only read in MSF
    }
    uint32_t numberOfTracks(uint32_t, uint32_t& count) override {
        count = tracks;
        return 0;
    }
    std::string errorText(uint32_t code) override { return "error " + std::to_string(code); }
};

class ReportingWindow : public TWindow {
public:
    std::vector<std::string> boxes;
    int messageBox(const char* text, const char* caption, uint32_t type) override {
        boxes.push_back(std::string(text) + "|" + (caption ? caption : "-") + "|" + std::to_string(type));
        return 1;
    }
};

class CdTest : public ::testing::Test {
protected:
    std::vector<Call> calls;
    std::vector<int> drives;
    ReportingWindow window;
    FakeDrive* drive = new FakeDrive(&calls, &drives);
    TCdAudio cd{std::unique_ptr<TCdBackend>(drive)};
    void SetUp() override { cd.setWindow(&window, true); }
    void notify(intptr_t device, uintptr_t how = MCI_NOTIFY_SUCCESSFUL) {
        window.handleMessage(MM_MCINOTIFY, how, device);
    }
};

}  // namespace

TEST_F(CdTest, APlayOnAClosedDeviceOnlyOpensIt) {
    EXPECT_FALSE(cd.playAll());
    EXPECT_TRUE(cd.isOpen());
    EXPECT_TRUE(calls.empty());
    EXPECT_TRUE(cd.playAll());
    EXPECT_EQ(calls.back(), (Call{"play", TCdBackend::kNotify, 0, 0}));
    EXPECT_TRUE(cd.open(3));
    EXPECT_EQ(drives, (std::vector<int>{-1, 3}));
}

TEST_F(CdTest, RangesEndOneSecondBeforeTheTrackEndsWithABorrow) {
    cd.open(-1);
    // 3:00:10 long: the range ends at 2:59:10 of track 4.
    EXPECT_TRUE(cd.playRange(2, 4));
    EXPECT_EQ(calls.back(), (Call{"play", TCdBackend::kNotify | TCdBackend::kFrom | TCdBackend::kTo,
                                  makeTmsf(2, 0, 0, 0), makeTmsf(4, 2, 59, 10)}));
    drive->length = makeMsf(0, 0, 40);
    cd.playRange(1, 2);
    EXPECT_EQ(calls.back().to, makeTmsf(2, 0, 0, 0));
    // Up to the last track: to the end of the disc.
    cd.playRange(1, 5);
    EXPECT_EQ(calls.back(), (Call{"play", TCdBackend::kNotify | TCdBackend::kFrom, makeTmsf(1, 0, 0, 0), 0}));
    cd.playTrack(2);
    EXPECT_EQ(calls.back(), (Call{"play", TCdBackend::kNotify | TCdBackend::kTo, 0, makeTmsf(3, 0, 0, 0)}));
    cd.playTrack(5);
    EXPECT_EQ(calls.back(), (Call{"play", TCdBackend::kNotify, 0, 0}));
    cd.playPositions(makeMsf(1, 2, 3), makeMsf(4, 5, 6), false);
    EXPECT_EQ(calls.back().what, "play msf");
    EXPECT_EQ(drive->format, TCdBackend::kTmsf);
    EXPECT_TRUE(window.boxes.empty());
}

TEST_F(CdTest, CompletionRepeatsTheLastPlayOrStops) {
    cd.open(-1);
    cd.setRepeat(true);
    cd.playRange(2, 4);
    const size_t plays = calls.size();
    notify(99);    // another device
    notify(7, 4);  // not a successful completion
    EXPECT_EQ(calls.size(), plays);
    notify(7);
    ASSERT_EQ(calls.size(), plays + 1);
    EXPECT_EQ(calls.back(), calls[plays - 1]);
    cd.setRepeat(false);
    notify(7);
    EXPECT_EQ(calls.back().what, "stop");
    EXPECT_FALSE(cd.isPlaying());
}

TEST_F(CdTest, FailedOpensAreRetriedOnceThenReportedInShiftJis) {
    drive->failOpens = 2;
    cd.setCaption("CD");
    EXPECT_FALSE(cd.open(-1));
    EXPECT_EQ(drives.size(), 2u);
    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0], std::string(cd_texts::kOpenFailed) + "\n[error 259]|CD|16");
    std::string utf8;
    sjisToUtf8(utf8, cd_texts::kOpenFailed);
    EXPECT_EQ(utf8, "CDAudio:Open, MCI_OPEN\xe3\x81\xab\xe5\xa4\xb1\xe6\x95\x97");  // に失敗
    cd.detach();
    EXPECT_EQ(window.hookCount(), 0u);
}
