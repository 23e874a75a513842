// The command dispatcher and its groups, run from assembled scripts on a headless engine whose
// frames, graphic layer and music record what reaches them; save files and the save slots.
#include "script/commands.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include "platform/clock.h"

#include "graphics/surface32.h"
#include "platform/little_endian.h"
#include "script/core.h"
#include "script/engine.h"
#include "script/format.h"
#include "script/save_file.h"
#include "script/value_exchange.h"
#include "storage/image.h"
#include "minimal_doc.h"
#include "script_support.h"
#include "stand_ins.h"
#include "support/test_support.h"

namespace {

class CallFrame : public MinimalDocFrame {
public:
    void setPosX(int32_t v) override { calls.push_back("x" + std::to_string(v)), MinimalDocFrame::setPosX(v); }
    void setPosY(int32_t v) override { calls.push_back("y" + std::to_string(v)), MinimalDocFrame::setPosY(v); }
    void setRect(int32_t l, int32_t t, int32_t r, int32_t b) override {
        calls.push_back("rect" + std::to_string(l) + "," + std::to_string(t) + "," + std::to_string(r) + "," +
                        std::to_string(b));
    }
    void clearText() override { calls.push_back("clear"), MinimalDocFrame::clearText(); }
    std::vector<std::string> calls;
};

// Draws its left half red and its right half blue, the message window (a table built with it)
// as a white top row.
class GroupSink : public testing_stand_ins::NullGraphic {
public:
    void command(TG2Thread&, uint32_t code, const G2CommandArgs& args) override { seen.push_back({code, args}); }
    void clearLayers() override { tables += "c"; }
    void buildTable(bool withDoc) override { tables += withDoc ? "D" : "-", withDoc_ = withDoc; }
    void draw(graphics::TSurface32& target) override {
        target.fillRect(0, 0, width() / 2, height(), 0xFFFF0000);
        target.fillRect(width() / 2, 0, width(), height(), 0xFF0000FF);
        if (withDoc_) target.fillRect(0, 0, width(), 1, 0xFFFFFFFF);
    }
    std::vector<std::pair<uint32_t, G2CommandArgs>> seen;
    std::string tables;
    bool withDoc_ = true;
};

class MusicSink : public testing_stand_ins::NullMusic {
public:
    void command(TG2Thread&, uint32_t code, const G2CommandArgs&) override { codes.push_back(code); }
    bool playVoice(const std::string& f) override { return played.push_back(f), f != "missing"; }
    std::vector<uint32_t> codes;
    std::vector<std::string> played;
};

class CmdEngine : public WithMinimalDoc<TG2Engine> {
public:
    std::unique_ptr<TG2Memory> createMemory() override { return std::make_unique<SmallMapMemory>(); }
    std::unique_ptr<TG2Core> createCore() override {
        return gameCore ? std::make_unique<TG2CoreEx>(*this) : TG2Engine::createCore();
    }
    bool gameCore = false;
    std::unique_ptr<EngineGraphic> createGraphic() override {
        auto g = std::make_unique<GroupSink>();
        graphicSink = g.get();
        return g;
    }
    std::unique_ptr<EngineMusic> createMusic() override {
        auto m = std::make_unique<MusicSink>();
        musicSink = m.get();
        return m;
    }
    std::unique_ptr<EngineDoc> createDoc() override {
        auto d = std::make_unique<MinimalDoc>();
        auto f = std::make_unique<CallFrame>();
        frame = f.get();
        d->setFrame(0, std::move(f));
        return d;
    }
    GroupSink* graphicSink = nullptr;
    MusicSink* musicSink = nullptr;
    CallFrame* frame = nullptr;
};

struct HostCalls {
    std::vector<std::array<int, 5>> calls;
};

class Recorder : public TG2Host {
public:
    int messageBox(const std::string& text, const std::string&, uint32_t) override {
        boxes.push_back(text);
        return 1;
    }
    std::vector<std::string> boxes;
};

class CommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::setClock(&clock);
        setEngineLogSink([](const std::string&) {});
        engine.status().name = "main.g2";
        std::string base = dir.str();
        std::replace(base.begin(), base.end(), '/', '\\');
        engine.status().save = base + "\\save\\save%02d.sav";
        engine.status().saveThumbnail = base + "\\save\\save%02d.img";
        engine.status().saveCommon = base + "\\save\\save00.sav";
        files.install(engine.getScriptBank());
        engine.setCallback(
            [](int a, int b, void* data, void* context) {
                auto* v = static_cast<int32_t*>(data);
                static_cast<HostCalls*>(context)->calls.push_back({a, b, v[0], v[1], v[2]});
                return 0;
            },
            &hostCalls);
    }
    void TearDown() override {
        engine.term();
        platform::setClock(nullptr);
        setEngineLogSink(nullptr);
    }
    // Runs the script until it ends (each command ends a step).
    TG2Core& run(const std::string& text) {
        files.add("main.g2", "START:\n" + text + "\n");
        engine.init(&host, nullptr, nullptr);
        EXPECT_TRUE(engine.start("", ""));
        try {
            for (int i = 0; i < 2000 && engine.run(); ++i) clock.advance(16);
        } catch (const TError& e) {
            ADD_FAILURE() << "error " << std::hex << e.code() << " " << e.argument();
        }
        return *engine.core();
    }
    std::string str(int slot) { return engine.memory()->getString(0, slot); }

    mjtest::TempDir dir;
    platform::ManualClock clock{1000};
    Recorder host;
    HostCalls hostCalls;
    ScriptFiles files;
    CmdEngine engine;
};

}  // namespace

TEST_F(CommandsTest, EveryCodeReachesItsHandlerAndEveryFrameIsClosed) {
    const auto codes = g2CommandCodes();
    EXPECT_EQ(codes.size(), 202u);
    std::string text = "push 77\n";
    for (uint32_t code : codes)
        // Not the codes that end the story or wait for a player.
        if (code != 0x1188 && code != 0x1701 && code != 0x1702 && code != 0x1201 && code != 0x1203 &&
            (code < 0x1103 || code > 0x1105))
            text += "cmd " + std::to_string(code) + "\n";
    // Undefined codes and extra arguments: nothing happens, and the arguments go with the frame.
    text += "cmd 0x2002, 1, \"x\"\ncmd 0x100c, 5\ncmd 0x9999\ncmd 0x1001, 1, 2, 3\n";
    run(text);
    TG2Thread* t = engine.core()->getThread(0);
    size_t graphic = 0;
    // The image table's seen notices are the core's.
    for (uint32_t c : codes) graphic += (c >> 8) == 0x15 && c != 0x15b0 && c != 0x15b1;
    EXPECT_EQ(engine.graphicSink->seen.size(), graphic);
    EXPECT_EQ(engine.musicSink->codes.size(), 21u);
    (void)t;
}

TEST_F(CommandsTest, ArgumentsComeLastFirstWithDefaultsForMissingOnes) {
    run("cmd 0x1006, 10, 20\ncmd 0x1011, 5, 6, 100, 50\n"
        "cmd 0x100f, 0x123456\ncmd 0x1003, \"r\", 9\n"
        "cmd 0x1501, 3, \"pic\", 4\n");
    const std::vector<std::string> want{"y20", "x10", "rect5,6,105,56", "clear"};
    auto& calls = engine.frame->calls;
    calls.erase(calls.begin(), std::find(calls.begin(), calls.end(), "y20"));
    EXPECT_EQ(calls, want);
    EXPECT_EQ(engine.frame->color, 0xFF123456u);
    EXPECT_EQ(engine.frame->shadowColor, 0xFF000102u);
    EXPECT_EQ(engine.frame->text(), "r");
    ASSERT_EQ(engine.graphicSink->seen.size(), 1u);
    const G2CommandArgs& a = engine.graphicSink->seen[0].second;
    ASSERT_EQ(a.size(), 3u);
    EXPECT_EQ(a[0].number, 3);
    EXPECT_TRUE(a[1].isString);
    EXPECT_EQ(a[1].text, "pic");
    EXPECT_EQ(a[2].number, 4);
}

TEST_F(CommandsTest, ColoursSymbolsAndFormats) {
    EXPECT_EQ(g2ShadowColor(0xFF0F0F0F), 0xFFF0F0F0u);
    EXPECT_EQ(g2ShadowColor(0xFF808080), 0xFF040404u);
    EXPECT_EQ(g2SymbolCode("\x81\x9A"), 0x819Au);
    EXPECT_EQ(g2SymbolCode("A"), 0x41u);
    EXPECT_EQ(g2SymbolCode("\x81\x20"), 0x81u);
    EXPECT_EQ(g2Format("%03d|%x|%s|%n|%%|%5.2u", {7, 255, 3}), "007|ff|%s|%n|%|   03");
    EXPECT_EQ(g2Format("%d %d", {}), "0 0");
    EXPECT_EQ(g2Format("%999999999d", {1}).size(), 256u);
}

TEST_F(CommandsTest, StringCommandsWriteTheirVariables) {
    TG2Core& core =
        run("cmd 0x1808, vs0:0, 7\ncmd 0x1806, vs0:1, 7\n"
            "cmd 0x1801, vs0:2, \"ab\"\ncmd 0x1805, vs0:2, \"c\"\n"
            "cmd 0x1809, vs0:3, \"%d-%d\", 1, 2\ncmd 0x1804, vs0:0\n"
            "cmd 0x1802, \"abc\", \"abd\"\n");
    EXPECT_EQ(str(0), "");
    EXPECT_EQ(str(1), "\x82\x56");
    EXPECT_EQ(str(2), "abc");
    EXPECT_EQ(str(3), "1-2");
    (void)core;
}

TEST_F(CommandsTest, HostCallActorsThreadsAndMenus) {
    TG2Core& core =
        run("cmd 0xE000, 1, 2, 3, 4\ncmd 0xE000, 5, 6\n"
            "cmd 0x2101, 2, 0x808080, \"Ann\"\ncmd 0x2100, 2\n"
            "cmd 0x2104, 2, \"missing\"\n"
            "cmd 0x1187, 4, \"go\"\ncmd 0x1195, 9\ncmd 0x119d\ncmd 0x1703\n");
    ASSERT_EQ(hostCalls.calls.size(), 2u);
    EXPECT_EQ(hostCalls.calls[0], (std::array<int, 5>{99, 3, 0, 0, 0}));
    EXPECT_EQ(hostCalls.calls[1], (std::array<int, 5>{99, 3, 5, 6, 0}));
    EXPECT_EQ(core.getActor(2).frame, -1);
    EXPECT_EQ(engine.frame->color, 0xFF808080u);
    EXPECT_NE(engine.frame->text().find("Ann"), std::string::npos);
    EXPECT_EQ(engine.frame->voice, "missing");
    EXPECT_EQ(engine.musicSink->played, std::vector<std::string>{"missing"});
    ASSERT_EQ(core.menu().entries.size(), 2u);
    EXPECT_EQ(core.menu().entries[1].type, 6);
    EXPECT_EQ(core.menu().defaultEntry, 1);
    EXPECT_EQ(core.getCurrentThreadNumber(), 0);
}

TEST_F(CommandsTest, SaveHeaderCases) {
    TRecord r;
    EXPECT_EQ(g2SaveFileBytes(r, "").size(), 13u + 21u);
    r.info1 = "abc", r.info3 = "0123456789", r.time = 0xFFFFFFF0, r.saveCount = 3;
    std::string file = g2SaveFileBytes(r, "STATE");
    EXPECT_EQ(static_cast<uint8_t>(file[9]), 34);
    TRecord back;
    ASSERT_TRUE(g2ReadSaveRecord(file, back));
    EXPECT_EQ(back.time, 0xFFFFFFF0) << "record times read unsigned";
    EXPECT_EQ(back.info3, "0123456789");
    size_t at = 0;
    ASSERT_TRUE(g2SaveStateOffset(file, at));
    EXPECT_EQ(file.substr(at), "STATE");
    // Bytes before the escape byte are skipped; a line feed cuts a text and the rest shift.
    std::string padded = file;
    padded.insert(8, "junk");
    ASSERT_TRUE(g2ReadSaveRecord(padded, back));
    EXPECT_EQ(back.info1, "abc");
    r.info1 = "a\nb";
    ASSERT_TRUE(g2ReadSaveRecord(g2SaveFileBytes(r, ""), back));
    EXPECT_EQ(back.info1, "a");
    EXPECT_EQ(back.info2, "b");
    std::string foreign = file;
    foreign[7] = '1';
    EXPECT_FALSE(g2ReadSaveRecord(foreign, back));
    EXPECT_FALSE(g2ReadSaveRecord(file.substr(0, 20), back));
    EXPECT_FALSE(g2SaveStateOffset(file.substr(0, 30), at));
}

// The slot list reads each file's head only; what it finds is what a reading of the whole file
// finds, for saves of every shape: long texts, bytes before the escape byte, long states, files
// cut anywhere, foreign bytes.
TEST_F(CommandsTest, SlotRecordsReadFromTheHeadsAgreeWithTheWholeFiles) {
    engine.status().recordMax = 8;
    TG2Core& core = run("");
    std::mt19937 rng(35);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    auto text = [&](int most) {
        std::string t(static_cast<size_t>(pick(most)), 'x');
        for (char& c : t) c = static_cast<char>(0x20 + pick(0x5F));
        return t;
    };
    for (int round = 0; round < 12; ++round) {
        std::vector<std::string> files(8);
        for (std::string& f : files) {
            TRecord r;
            r.time = rng(), r.playTime = static_cast<int32_t>(rng()), r.saveCount = static_cast<uint16_t>(rng());
            r.code1 = static_cast<int32_t>(rng()), r.code2 = static_cast<int32_t>(rng());
            r.info1 = text(40), r.info2 = text(600), r.info3 = text(20);
            f = g2SaveFileBytes(r, std::string(static_cast<size_t>(pick(3) == 0 ? 300000 : pick(64)), 'S'));
            if (pick(3) == 0) f.insert(8, std::string(static_cast<size_t>(pick(900)), 'j'));
            if (pick(4) == 0) f.resize(static_cast<size_t>(pick(static_cast<int>(f.size()) + 1)));
            if (pick(8) == 0) f = text(300);
        }
        for (int n = 0; n < 8; ++n) {
            std::string name = core.saveFileName(n);
            std::replace(name.begin(), name.end(), '\\', '/');
            std::filesystem::create_directories(std::filesystem::path(name).parent_path());
            std::ofstream(name, std::ios::binary) << files[static_cast<size_t>(n)];
        }
        ASSERT_TRUE(core.scanRecords());
        for (int n = 0; n < 8; ++n) {
            TRecord want;
            want.fileName = core.saveFileName(n);
            g2ReadSaveRecord(files[static_cast<size_t>(n)], want);
            const TRecord& got = core.getRecord(n);
            EXPECT_EQ(got.fileName, want.fileName);
            EXPECT_EQ(got.time, want.time) << round << " " << n;
            EXPECT_EQ(got.playTime, want.playTime);
            EXPECT_EQ(got.saveCount, want.saveCount);
            EXPECT_EQ(got.code1, want.code1);
            EXPECT_EQ(got.code2, want.code2);
            EXPECT_EQ(got.info1 + "|" + got.info2 + "|" + got.info3, want.info1 + "|" + want.info2 + "|" + want.info3);
        }
    }
}

TEST_F(CommandsTest, SaveLoadSaveIsByteIdenticalAndABrokenSaveReturnsToTitle) {
    TG2Core& core =
        run("cmd 0x1801, vs0:4, \"kept\"\ncmd 0x1301, \"first\", \"second\"\n"
            "save0 1\ncmd 0x1304, 0\n");
    auto slurp = [](std::string name) {
        std::replace(name.begin(), name.end(), '\\', '/');
        std::ifstream in(name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const std::string name = core.saveFileName(0);
    const std::string first = slurp(name);
    ASSERT_FALSE(first.empty()) << name;
    EXPECT_TRUE(core.hasSaveFile());
    core.scanRecords();
    EXPECT_EQ(core.getRecord(0).info1, "first");
    EXPECT_EQ(core.getRecord(1).fileName, core.saveFileName(1));
    ASSERT_TRUE(core.load(0));
    EXPECT_EQ(str(4), "kept");
    EXPECT_EQ(core.playTime(), 0);
    ASSERT_TRUE(core.save(0));
    std::string second = slurp(name);
    // Only the record's time and count may differ; the state is byte-identical.
    size_t a = 0, b = 0;
    ASSERT_TRUE(g2SaveStateOffset(first, a) && g2SaveStateOffset(second, b));
    EXPECT_EQ(first.substr(a), second.substr(b));
    EXPECT_FALSE(core.load(8));

    std::string osName = name;
    std::replace(osName.begin(), osName.end(), '\\', '/');
    std::ofstream(osName, std::ios::binary) << first.substr(0, a) << "garbage";
    EXPECT_FALSE(core.load(0));
    EXPECT_EQ(host.boxes.size(), 1u);
    EXPECT_NE(core.getThread(0), nullptr) << "the story starts again at its title";
}

TEST_F(CommandsTest, RecordTextsGivenAsIntegersAreSavedAsDecimalText) {
    TG2Core& core = run("cmd 0x1301, 12, -3\nsave0 1\ncmd 0x1304, 0\n");
    ASSERT_TRUE(core.scanRecords());
    EXPECT_EQ(core.getRecord(0).info1 + "|" + core.getRecord(0).info2, "12|-3");
}

// The bitmap as any reader sees it: the file header, a 40-byte info header of 24 bits, rows
// bottom up padded to four bytes, each pixel blue, green, red.
TEST_F(CommandsTest, AThumbnailIsAPlain24BitBitmap) {
    TG2Core& core = run("");
    graphics::TSurface32 s;
    ASSERT_TRUE(s.alloc(97, 72));
    s.fill(0xFF102030);
    s.fillRect(0, 0, 1, 1, 0xFFA0B0C0);
    ASSERT_TRUE(core.writeThumbnail(2, s));
    std::string name = core.thumbnailFileName(2);
    std::replace(name.begin(), name.end(), '\\', '/');
    std::ifstream in(name, std::ios::binary);
    const std::string b{std::istreambuf_iterator<char>(in), {}};
    auto u32 = [&](size_t at) { return le::load32(reinterpret_cast<const uint8_t*>(b.data()) + at); };
    const uint32_t stride = (97 * 3 + 3) & ~3u;
    ASSERT_EQ(b.size(), 54 + stride * 72);
    EXPECT_EQ(b.substr(0, 2), "BM");
    EXPECT_EQ(u32(2), b.size());
    EXPECT_EQ(u32(10), 54u);
    EXPECT_EQ(u32(18), 97u);
    EXPECT_EQ(u32(22), 72u);
    EXPECT_EQ(b[28], 24);
    const size_t top = 54 + stride * 71;  // the last row in the file is the top one
    EXPECT_EQ(b.substr(top, 6), std::string("\xC0\xB0\xA0\x30\x20\x10", 6));
    EXPECT_EQ(b.substr(54, 3), std::string("\x30\x20\x10", 3));

    // A small one, byte for byte the file that the platform's tests read through SDL's reader.
    graphics::TSurface32 small;
    ASSERT_TRUE(small.alloc(5, 3));
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 5; ++x)
            small.fillRect(x, y, x + 1, y + 1, 0xFF000000u | static_cast<uint32_t>(x * 0x330000 + y * 0x5500 + 0x11));
    ASSERT_TRUE(core.writeThumbnail(3, small));
    std::string smallName = core.thumbnailFileName(3);
    std::replace(smallName.begin(), smallName.end(), '\\', '/');
    std::ifstream written(smallName, std::ios::binary);
    std::ifstream golden(std::string(std::getenv("MJ_SOURCE_DIR")) + "/tests/platform/bmp_fixtures/thumbnail_5x3.bmp",
                         std::ios::binary);
    ASSERT_TRUE(golden.is_open());
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(written), {}),
              std::string(std::istreambuf_iterator<char>(golden), {}));
}

// What all saves share is written when the engine ends and read when the next one starts, into
// the files the settings name; a damaged file changes nothing.
TEST_F(CommandsTest, TheCommonSaveCarriesSharedDataFromOneRunToTheNext) {
    const std::string base = engine.status().saveCommon.substr(0, engine.status().saveCommon.rfind('\\'));
    auto slurp = [](std::string name) {
        std::replace(name.begin(), name.end(), '\\', '/');
        std::ifstream in(name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    auto withImages = [](TG2Core& core) {
        TMemoryStream csv;
        const std::string text = "5,cg05.bmp\n7,cg07.bmp\n";
        csv.write(text.data(), static_cast<uint32_t>(text.size()));
        csv.seek(0, 0);
        core.getImgDisp().load(csv);
    };
    for (const bool split : {false, true}) {
        SCOPED_TRACE(split ? "variables and image flags in a file of their own" : "one common file");
        engine.status().saveMemory = split ? base + "\\shared.sav" : "";
        engine.status().saveImgDisp = split ? base + "\\shared.sav" : "";
        TG2Core& core = run("");
        withImages(core);
        core.getImgDisp().setSeen(7);
        engine.memory()->setString(1, 3, "remembered");
        engine.memory()->setInt(1, 2, 42);
        const int32_t voice = core.getActor(4).voiceVolume = 99;
        engine.term();

        if (split) {
            // The common file holds the core's common data alone.
            const std::string common = slurp(engine.status().saveCommon);
            TMemoryStream in;
            in.write(common.data(), static_cast<uint32_t>(common.size()));
            in.seek(0, 0);
            CmdEngine reader;
            reader.status().useCommonSave = false;
            reader.init(&host, nullptr, nullptr);
            TValueExchange x(&in, false);
            reader.core()->exchangeCommon(x);
            EXPECT_EQ(bytesLeft(in), 0u);
        }

        CmdEngine next;
        next.status() = engine.status();
        next.init(&host, nullptr, nullptr);
        withImages(*next.core());
        EXPECT_EQ(next.memory()->getString(1, 3), "remembered");
        EXPECT_EQ(next.memory()->getInt(1, 2), 42);
        EXPECT_EQ(next.core()->getActor(4).voiceVolume, voice);
        EXPECT_TRUE(next.core()->getImgDisp().isSeen(7));
        EXPECT_FALSE(next.core()->getImgDisp().isSeen(5));
        next.status().useCommonSave = false;
        next.term();
    }

    // A damaged common file: the engine starts with its own initial values.
    std::string common = engine.status().saveCommon;
    std::replace(common.begin(), common.end(), '\\', '/');
    std::string bytes = slurp(engine.status().saveCommon);
    ASSERT_GT(bytes.size(), 8u);
    std::ofstream(common, std::ios::binary) << bytes.substr(0, bytes.size() / 2) << "\xFF\xFF\xFF";
    std::vector<std::string> log;
    setEngineLogSink([&](const std::string& line) { log.push_back(line); });
    CmdEngine damaged;
    damaged.status() = engine.status();
    damaged.status().saveMemory = damaged.status().saveImgDisp = "";
    EXPECT_EQ(errorCode([&] { damaged.init(&host, nullptr, nullptr); }), 0);
    EXPECT_EQ(damaged.memory()->getString(1, 3), "");
    EXPECT_EQ(damaged.core()->getActor(4).voiceVolume, TG2Actor{}.voiceVolume);
    EXPECT_EQ(log.size(), 1u);
    damaged.status().useCommonSave = false;
}

// The game's core leaves a thumbnail of the pictures (without the message window) beside each
// save it writes, and none beside a save it could not write.
TEST_F(CommandsTest, TheGamesSaveWritesAThumbnailOfTheScreen) {
    engine.gameCore = true;
    engine.status().screenWidth = 320, engine.status().screenHeight = 240;
    TG2Core& core = run("");
    core.scanRecords();
    auto* game = dynamic_cast<TG2CoreEx*>(&core);
    ASSERT_NE(game, nullptr);
    engine.graphicSink->tables.clear();
    std::unique_ptr<graphics::TSurface32> thumb = game->saveWithThumbnail(1);
    ASSERT_NE(thumb, nullptr);
    EXPECT_EQ(engine.graphicSink->tables, "c-cD") << "drawn without the window, then put back";
    EXPECT_EQ(thumb->width(), 96);
    EXPECT_EQ(thumb->height(), 72);
    EXPECT_EQ(thumb->getPixel(0, 0), 0xFFFF0000u) << "no window row";
    EXPECT_EQ(thumb->getPixel(47, 71), 0xFFFF0000u);
    EXPECT_EQ(thumb->getPixel(50, 0), 0xFF0000FFu);
    std::unique_ptr<TImage> back = core.loadThumbnail(1);
    std::string name = core.thumbnailFileName(1);
    std::replace(name.begin(), name.end(), '\\', '/');
    EXPECT_TRUE(std::filesystem::exists(name));

    EXPECT_TRUE(core.save(2));
    EXPECT_FALSE(core.save(8));
    std::string beyond = core.thumbnailFileName(8);
    std::replace(beyond.begin(), beyond.end(), '\\', '/');
    EXPECT_FALSE(std::filesystem::exists(beyond));
    std::string second = core.thumbnailFileName(2);
    std::replace(second.begin(), second.end(), '\\', '/');
    EXPECT_TRUE(std::filesystem::exists(second));
}
