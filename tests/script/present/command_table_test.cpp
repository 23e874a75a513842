// Every command code, run by a script through the game's engine, changes the real object it
// names: the message document's frames, its backlog and symbols, the graphic layer, the music.
// Each row runs in a fresh engine twice, its setup alone and then with the command, and reads
// the real object both times: the command must have changed it, to the value the row gives.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "../../sound/sound_fixtures.h"
#include "../script_support.h"
#include "platform/clock.h"
#include "present_fixture.h"
#include "script/core.h"
#include "script/img_disp.h"
#include "script/present/doc/engine_doc.h"
#include "script/present/jobs/fade_jobs.h"
#include "script/present/jobs/text_jobs.h"
#include "script/present/jobs/wait_jobs.h"
#include "script/present/present_engine.h"
#include "script/present/sound/music.h"
#include "script/present/transition/engine_graphic.h"
#include "sound/ogg_stream.h"
#include "support/test_support.h"

namespace present {
namespace {

class Engine : public PresentEngine {
public:
    std::unique_ptr<TG2Memory> createMemory() override { return std::make_unique<SmallMapMemory>(); }
};

// The sounds of the rows, written once: a four-second tone.
const std::string& soundFolder() {
    static mjtest::TempDir dir;
    static const bool written = [] {
        soundtest::writeFile(
            dir.str() + "/long.wav",
            soundtest::waveImage(soundtest::bytesOf(soundtest::sine(44100, 1, 1000, 10000, 44100 * 4)), 1, 44100, 16));
        return true;
    }();
    (void)written;
    static const std::string path = dir.str();
    return path;
}

struct World {
    World() {
        platform::setClock(&clock);
        setEngineLogSink([this](const std::string& line) { warnings += line + "\n"; });
        store.alphas["star.bmp"] = {8, 8, 0xFF};
        store.pictures["a.bmp"] = {64, 48, 0xFF00FF00u};
        store.pictures["b.bmp"] = {64, 48, 0xFF0000FFu};
        store.pictures["tex.bmp"] = {32, 32, 0xFFFF0000u};
        store.texts["fx.wsd"] =
            "[FileInfo]\nkind=WSD\nnumTexture=1\nnumCharactor=1\nnumAnimation=1\n[Texture]\nFile0=tex.bmp\n"
            "[Charactor_0]\nnumChip=1\nChip0=0,0,0,0,0,16,16\n[Animation_0]\nStep0=time,3,0\nStep1=end\n";
        store.texts["imgdisp.ini"] = "100001,x.bmp\n100002,a.bmp\n";
        store.setBaseFolder(soundFolder());
        store.setWaveFactory(new TOpenOgg, true);
        engine.status().imgDisp = "imgdisp.ini";
        engine.status().screenWidth = 800;
        engine.status().screenHeight = 600;
        engine.status().useCommonSave = false;
        files.install(engine.getScriptBank());
    }
    ~World() {
        engine.term();
        platform::setClock(nullptr);
        setEngineLogSink(nullptr);
    }
    // The lines, then a long wait that keeps the story alive; four frames.
    void run(const std::string& lines) {
        files.add("table.g2", "START:\n" + lines + "\n    cmd 0x1101, 1000000\n    ret\n");
        engine.init(&host, nullptr, nullptr);
        engine.start("table.g2", "START");
        for (int i = 0; i < 4; ++i) clock.advance(16), engine.run();
    }
    TG2Doc& doc() { return engine.docPart()->real(); }
    TG2DocFrame& frame(int n = 0) { return *doc().getFrame(n); }
    TG2DocLog& log() { return *doc().getLog(); }
    TTextOutDwarf& textOut() { return dynamic_cast<TTextOutDwarf&>(*engine.core()->standingJob(kJobTextOut)); }
    TG2Graphic& graphic() { return engine.graphicPart()->graphic(); }
    TG2Sprite& sprite(int n = 10) { return graphic().getSprite(n); }
    TG2SpriteState& pending(int n = 5) { return graphic().getBgSprite(n).pending; }
    TG2Music& music() { return dynamic_cast<TG2Music&>(*engine.music()); }
    template <class T>
    T& job(int32_t code) {
        return dynamic_cast<T&>(*engine.core()->standingJob(code));
    }

    platform::ManualClock clock{1000};
    soundtest::ManualDevice device;
    TSound master;
    testing::PictureStore store;
    TG2Host host;
    std::string warnings;
    ScriptFiles files;
    Engine engine;
};

using Probe = std::function<std::string(World&)>;

struct Row {
    uint32_t code;
    std::string setup, command;
    Probe probe;
    std::string expected;
};

std::string num(int64_t v) { return std::to_string(v); }
std::string hex(uint32_t v) {
    char s[16];
    std::snprintf(s, sizeof s, "%08x", v);
    return s;
}
std::string rect(const graphics::RECT& r) {
    return num(r.left) + "," + num(r.top) + "," + num(r.right) + "," + num(r.bottom);
}

const Probe kText = [](World& w) { return w.frame().text(); };
const Probe kSpriteImage = [](World& w) {
    return w.sprite().ImageName + "@" + num(w.sprite().X) + "," + num(w.sprite().Y) +
           (w.sprite().SprObj ? "" : " none");
};
const Probe kPendingPlace = [](World& w) {
    return num(w.pending().X) + "," + num(w.pending().Y) + (w.pending().SprObj ? "" : " none");
};
const Probe kWait = [](World& w) { return num(w.job<TWaitDwarf>(kJobWait).Kind); };
const Probe kVoice = [](World& w) { return w.music().voiceName() + " " + num(w.music().voicePlaying()); };
const Probe kBgm = [](World& w) { return w.music().bgmName() + " " + num(w.music().bgmPlaying()); };
Probe fadeTime(int32_t code) {
    return [code](World& w) { return num(w.job<TVolumeFadeDwarf>(code).getDefTime()); };
}
const Probe kLogText = [](World& w) { return w.log().text(); };
// The holds on the sprite data kept as number 3, besides the probe's own.
const Probe kSpdHeld = [](World& w) {
    TSpdBank& bank = w.engine.getSpdBank();
    graphics::TSpdData* d = bank.get("<SPD:3>");
    const int32_t held = d ? bank.refCount(d) - 1 : -1;
    if (d) bank.release(d);
    return num(held);
};
Probe frameAttr(uint32_t bit) {
    return [bit](World& w) { return num((w.frame().getFontAttr() & bit) != 0); };
}
Probe logAttr(uint32_t bit) {
    return [bit](World& w) { return num((w.log().getFontAttr() & bit) != 0); };
}

const std::vector<Row>& rows() {
    static const std::vector<Row> all = {
        // The current message frame: text and markup.
        {0x1001, "", "cmd 0x1001", kText, "\\n"},
        {0x1002, "cmd 0x1003, \"x\"", "cmd 0x1002", kText, ""},
        {0x1003, "", "cmd 0x1003, \"ab\", 1", kText, "\\r(ab)"},
        {0x1004, "", "cmd 0x1004, 90", [](World& w) { return num(w.frame().ls); }, "90"},
        {0x1005, "", "cmd 0x1005, 150", [](World& w) { return num(w.frame().lh); }, "150"},
        {0x1006, "", "cmd 0x1006, 10, 20", [](World& w) { return num(w.frame().x) + "," + num(w.frame().y); }, "10,20"},
        {0x1007, "", "cmd 0x1007, 30", [](World& w) { return num(w.frame().x); }, "30"},
        {0x1008, "", "cmd 0x1008, 40", [](World& w) { return num(w.frame().y); }, "40"},
        {0x1009, "", "cmd 0x1009, \"\x81\x75\", \"\x81\x76\"",
         [](World& w) { return w.frame().indentHead + "|" + w.frame().indentTail; }, "\x81\x75|\x81\x76"},
        {0x100a, "cmd 0x1026", "cmd 0x100a, \"hi\"", kText, "hi"},
        {0x100b, "cmd 0x1026", "cmd 0x100b, 12", kText, "\x82\x50\x82\x51"},
        {0x100d, "", "cmd 0x100d, \"*\", \"star.bmp\"",
         [](World& w) {
             const TSymbolStyle* s = w.doc().findSymbol('*');
             return w.doc().symbolTable() + (s && s->alphaCh ? " drawn" : "");
         },
         "* drawn"},
        {0x100e, "", "cmd 0x100e, 30", [](World& w) { return num(w.frame().fontSize); }, "30"},
        {0x100f, "", "cmd 0x100f, 0x123456", [](World& w) { return hex(w.frame().color); }, "ff123456"},
        {0x1010, "", "cmd 0x1010, \"X\"", [](World& w) { return w.frame().font; }, "X"},
        {0x1011, "", "cmd 0x1011, 40, 440, 720, 140", [](World& w) { return rect(w.frame().area()); },
         "40,440,760,580"},
        {0x1012, "", "cmd 0x1012", frameAttr(0x01), "1"},
        {0x1013, "cmd 0x1012", "cmd 0x1013", frameAttr(0x01), "0"},
        {0x1014, "cmd 0x1015", "cmd 0x1014", frameAttr(0x20), "1"},
        {0x1015, "", "cmd 0x1015", frameAttr(0x20), "0"},
        {0x1016, "", "cmd 0x1016", frameAttr(0x10), "1"},
        {0x1017, "cmd 0x1016", "cmd 0x1017", frameAttr(0x10), "0"},
        {0x1023, "cmd 0x1024", "cmd 0x1023", frameAttr(0x200), "1"},
        {0x1024, "", "cmd 0x1024", frameAttr(0x200), "0"},
        {0x101d, "", "cmd 0x101d, 150", [](World& w) { return num(w.frame().depth); }, "150"},
        {0x101e, "", "cmd 0x101e, 2", [](World& w) { return num(w.frame().visibleMode); }, "35"},
        {0x1020, "", "cmd 0x1020, 3", [](World& w) { return num(w.doc().currentFrameIndex()); }, "3"},
        {0x1021, "", "cmd 0x1021", [](World& w) { return num(w.frame().blend); }, "255"},
        {0x1022, "cmd 0x1021", "cmd 0x1022", [](World& w) { return num(w.frame().blend); }, "0"},
        {0x1040, "cmd 0x1021", "cmd 0x1040", [](World& w) { return num(w.frame().blend); }, "0"},
        {0x1041, "cmd 0x1021\n cmd 0x1040", "cmd 0x1041", [](World& w) { return num(w.frame().blend); }, "255"},
        // The document and the text output job.
        {0x1025, "", "cmd 0x1025, 70", [](World& w) { return num(w.textOut().Interval); }, "70"},
        {0x1026, "", "cmd 0x1026", [](World& w) { return num(w.textOut().IntervalEnable); }, "0"},
        {0x1027, "cmd 0x1026", "cmd 0x1027", [](World& w) { return num(w.textOut().IntervalEnable); }, "1"},
        {0x1028, "", "cmd 0x1028, 1", [](World& w) { return num(w.doc().isHalfWidthSpace()); }, "1"},
        // The backlog.
        {0x1080, "", "cmd 0x1080, 7", [](World& w) { return num(w.log().mode); }, "7"},
        {0x1081, "", "cmd 0x1081, 100", [](World& w) { return num(w.log().capacity); }, "100"},
        {0x1082, "cmd 0x1094, \"abc\"", "cmd 0x1082", kLogText, ""},
        {0x1083, "", "cmd 0x1083, 150", [](World& w) { return num(w.log().depth); }, "150"},
        {0x1084, "", "cmd 0x1084, 10, 20, 300, 200", [](World& w) { return rect(w.log().area()); }, "10,20,310,220"},
        {0x1085, "", "cmd 0x1085, \"(\", \")\"", [](World& w) { return w.log().indentHead + "|" + w.log().indentTail; },
         "(|)"},
        {0x1086, "", "cmd 0x1086, 90", [](World& w) { return num(w.log().ls); }, "90"},
        {0x1087, "", "cmd 0x1087, 150", [](World& w) { return num(w.log().lh); }, "150"},
        {0x1089, "", "cmd 0x1089, \"X\"", [](World& w) { return w.log().font; }, "X"},
        {0x108a, "", "cmd 0x108a, 30", [](World& w) { return num(w.log().fontSize); }, "30"},
        {0x108b, "", "cmd 0x108b, 0x123456, 0x010203",
         [](World& w) { return hex(w.log().color) + " " + hex(w.log().bkCol); }, "ff123456 ff010203"},
        {0x108c, "", "cmd 0x108c", logAttr(0x01), "1"},
        {0x108d, "cmd 0x108c", "cmd 0x108d", logAttr(0x01), "0"},
        {0x108e, "cmd 0x108f", "cmd 0x108e", logAttr(0x20), "1"},
        {0x108f, "", "cmd 0x108f", logAttr(0x20), "0"},
        {0x1090, "", "cmd 0x1090", logAttr(0x10), "1"},
        {0x1091, "cmd 0x1090", "cmd 0x1091", logAttr(0x10), "0"},
        {0x1092, "cmd 0x1093", "cmd 0x1092", logAttr(0x200), "1"},
        {0x1093, "", "cmd 0x1093", logAttr(0x200), "0"},
        {0x1094, "", "cmd 0x1094, \"abc\"", kLogText, "abc"},
        // The graphic layer: sprites (10 here), background elements (5), styles, banks.
        {0x1501, "", "cmd 0x1501, 10, \"a.bmp\", 5, 6", kSpriteImage, "a.bmp@5,6"},
        {0x1502, "cmd 0x1501, 10, \"a.bmp\", 5, 6", "cmd 0x1502, 10", kSpriteImage, "@5,6 none"},
        {0x1503, "", "cmd 0x1503, 10, 0x123456", [](World& w) { return hex(w.sprite().Color); }, "ff123456"},
        {0x1504, "", "cmd 0x1504, 10, 0x123456, 5, 6, 70, 80",
         [](World& w) { return hex(w.sprite().Color) + " " + num(w.sprite().W) + "x" + num(w.sprite().H); },
         "ff123456 70x80"},
        {0x1505, "cmd 0x1501, 10, \"a.bmp\"", "cmd 0x1505, 10, 0", [](World& w) { return num(w.sprite().Visible); },
         "0"},
        {0x1506, "cmd 0x1501, 10, \"a.bmp\"", "cmd 0x1506, 10, 100, 0",
         [](World& w) { return num(w.sprite().Blend); }, "100"},
        {0x1507, "", "cmd 0x1507, 10, 3", [](World& w) { return num(w.sprite().BlendType); }, "3"},
        {0x1508, "cmd 0x1501, 10, \"a.bmp\", 5, 6", "cmd 0x1508, 10, \"b.bmp\"", kSpriteImage, "b.bmp@5,6"},
        {0x1509, "", "cmd 0x1509, 7", [](World& w) { return num(w.graphic().getBaseSprite()); }, "7"},
        {0x150a, "cmd 0x1501, 10, \"a.bmp\"", "cmd 0x150a, 10, 30, 40, 0", kSpriteImage, "a.bmp@30,40"},
        {0x150b, "cmd 0x1501, 10, \"a.bmp\"", "cmd 0x150b, 10, 30, 40, 128, 96, 0",
         [](World& w) { return kSpriteImage(w) + " x" + num(std::lround(w.sprite().ZoomX * 100)); },
         "a.bmp@30,40 x200"},
        {0x150c, "", "cmd 0x150c, 10, 1", [](World& w) { return num(w.sprite().Flag); }, "1"},
        {0x150d, "", "cmd 0x150d, 10, 1", [](World& w) { return num(w.sprite().Flag); }, "2"},
        {0x150e, "", "cmd 0x150e, 10, 3, 1", [](World& w) { return num(w.sprite().Flag); }, "2048"},
        {0x1510, "", "cmd 0x1510, 12, 34",
         [](World& w) { return num(w.graphic().getOffset().x) + "," + num(w.graphic().getOffset().y); }, "12,34"},
        {0x1511, "", "cmd 0x1511, 10, 1", [](World& w) { return num(w.sprite().Connect); }, "1"},
        {0x1540, "", "cmd 0x1540, 5, 0", [](World& w) { return num(w.pending().Visible); }, "0"},
        {0x1541, "", "cmd 0x1541, 5, \"a.bmp\", 3, 4", kPendingPlace, "3,4"},
        {0x1542, "cmd 0x1541, 5, \"a.bmp\", 3, 4", "cmd 0x1542, 5", kPendingPlace, "3,4 none"},
        {0x1543, "", "cmd 0x1543, 5, 0x123456", [](World& w) { return hex(w.pending().Color); }, "ff123456"},
        {0x1544, "", "cmd 0x1544, 5, 0x123456, 1, 2, 30, 40", kPendingPlace, "1,2"},
        {0x1545, "", "cmd 0x1545, 5, 100", [](World& w) { return num(w.pending().Blend); }, "100"},
        {0x1546, "", "cmd 0x1546, 5, 3", [](World& w) { return num(w.pending().BlendType); }, "3"},
        {0x1547, "cmd 0x1541, 5, \"a.bmp\", 3, 4", "cmd 0x1547, 5, \"b.bmp\"",
         [](World& w) { return w.pending().ImageName + "@" + kPendingPlace(w); }, "b.bmp@3,4"},
        {0x1548, "", "cmd 0x1548, 5, 7, 8, 0", kPendingPlace, "7,8 none"},
        {0x1549, "", "cmd 0x1549, 5, 7, 8, 0, 0, 0", kPendingPlace, "7,8 none"},
        {0x154a, "", "cmd 0x154a, 9, 10",
         [](World& w) {
             const graphics::POINT p = w.graphic().getBgsCenter().getOffset();
             return num(p.x) + "," + num(p.y);
         },
         "9,10"},
        {0x154b, "", "cmd 0x154b, 5, 9", [](World& w) { return num(w.pending().Depth); }, "9"},
        {0x1550, "cmd 0x1541, 5, \"a.bmp\", 0, 0", "cmd 0x1550",
         [](World& w) { return num(w.graphic().getBgSprite(5).SprObj != nullptr); }, "1"},
        {0x1551, "cmd 0x1541, 5, \"a.bmp\", 0, 0", "cmd 0x1551, 0",
         [](World& w) { return num(w.graphic().getBgSprite(5).SprObj != nullptr); }, "1"},
        {0x1552, "cmd 0x1553", "cmd 0x1552", [](World& w) { return num(w.graphic().getBgsCenter().Blend); }, "255"},
        {0x1553, "", "cmd 0x1553", [](World& w) { return num(w.graphic().getBgsCenter().Blend); }, "0"},
        {0x1581, "", "cmd 0x1581, \"star.bmp\", 20, 5, 300",
         [](World& w) {
             const TG2Graphic::GdeStyle& s = w.graphic().getStyle(20);
             return num(s.Type) + " " + num(s.Time) + (s.mask ? " masked" : "");
         },
         "5 300 masked"},
        {0x15a0, "", "cmd 0x15a0, \"a.bmp\"",
         [](World& w) { return num(static_cast<int64_t>(w.engine.getSurfaceBank().size())); }, "1"},
        {0x15a1, "cmd 0x1501, 10, \"a.bmp\"", "cmd 0x15a1, \"a.bmp\"",
         [](World& w) {
             auto* obj = dynamic_cast<graphics::TSprObj*>(w.sprite().SprObj);
             return num(obj ? w.engine.getSurfaceBank().refCount(obj->getSurface()) : -1);
         },
         "0"},
        {0x15a2, "", "cmd 0x15a2, 1", [](World& w) { return num(w.graphic().getToneMode()); }, "1"},
        {0x15b0, "", "cmd 0x15b0, 100001",
         [](World& w) { return num(w.engine.core()->getImgDisp().isSeen(100001)); }, "1"},
        {0x15b1, "", "cmd 0x15b1, \"a.bmp\"",
         [](World& w) { return num(w.engine.core()->getImgDisp().isSeen(100002)); }, "1"},
        {0x15c0, "", "cmd 0x15c0, \"fx.wsd\", 3", kSpdHeld, "1"},
        {0x15c1, "cmd 0x15c0, \"fx.wsd\", 3", "cmd 0x15c1, 3", kSpdHeld, "0"},
        // The music: effect channel 3, the voice, the music stream, the CD, movies.
        {0x1601, "", "cmd 0x1601, 3, \"long.wav\"",
         [](World& w) { return w.music().seName(3) + " " + num(w.music().sePlaying(3)); }, "long.wav 1"},
        // A stopped sound dies away in the mixer over a few milliseconds; the channel says so at once.
        {0x1602, "cmd 0x1601, 3, \"long.wav\"", "cmd 0x1602, 3",
         [](World& w) { return num(w.music().getChannel(3)->getState()); }, "1"},
        {0x1603, "", "cmd 0x1603, 3, 100",
         [](World& w) { return num(w.music().getChannel(3)->TSe::getVolume(false)); }, "100"},
        {0x1604, "", "cmd 0x1604, 3, 700", fadeTime(kJobSeFade0 + 3), "700"},
        {0x1605, "cmd 0x1601, 3, \"long.wav\"", "cmd 0x1605, 3", kWait, "1"},
        {0x1620, "", "cmd 0x1620, \"long.wav\"", kVoice, "long.wav 1"},
        {0x1621, "cmd 0x1620, \"long.wav\"", "cmd 0x1621", kWait, "2"},
        {0x1622, "cmd 0x1623", "cmd 0x1622", [](World& w) { return num(w.job<TClickDwarf>(kJobClick).StopType); },
         "1"},
        {0x1623, "", "cmd 0x1623", [](World& w) { return num(w.job<TClickDwarf>(kJobClick).StopType); }, "0"},
        {0x1624, "cmd 0x1620, \"long.wav\"", "cmd 0x1624",
         [](World& w) { return num(w.music().getChannel(255)->getState()); }, "1"},
        {0x1681, "", "cmd 0x1681, \"long.wav\", 1", kBgm, "long.wav 1"},
        {0x1682, "cmd 0x1681, \"long.wav\", 1", "cmd 0x1682", kBgm, "long.wav 0"},
        {0x1683, "", "cmd 0x1683, 100", [](World& w) { return num(w.music().music().getVolume(false)); }, "100"},
        {0x1684, "", "cmd 0x1684, 700", fadeTime(kJobBgmFade), "700"},
        {0x1685, "cmd 0x1681, \"long.wav\"", "cmd 0x1685", kWait, "3"},
        {0x1691, "", "cmd 0x1691, 4", [](World& w) { return num(w.music().cd().track); }, "4"},
        {0x1692, "cmd 0x1691, 4", "cmd 0x1692", [](World& w) { return num(w.music().cd().track); }, "-1"},
        {0x1693, "", "cmd 0x1693, 100", [](World& w) { return num(w.music().cd().volume); }, "100"},
        // The movie player refuses a file that is no movie; stopping one (0x16a1) needs a movie.
        {0x16a0, "", "cmd 0x16a0, \"none.mpg\"",
         [](World& w) { return num(w.warnings.find("warning 100a") != std::string::npos); }, "1"},
        {0x16a2, "", "cmd 0x16a2, 10, 20, 30, 40",
         [](World& w) {
             int l = 0, t = 0, r = 0, b = 0;
             w.graphic().getMedia().getRect(l, t, r, b);
             return num(l) + "," + num(t) + "," + num(r) + "," + num(b);
         },
         "10,20,40,60"},
        // Screen jobs and actor voices.
        {0x1900, "", "cmd 0x1900", [](World& w) { return num(!w.job<TDwarf>(kJobQuake).isFinished()); }, "1"},
        {0x1901, "", "cmd 0x1901", [](World& w) { return num(!w.job<TDwarf>(kJobQuake).isFinished()); }, "1"},
        {0x1910, "cmd 0x1911, 0, 0", "cmd 0x1910, 0, 0", [](World& w) { return num(w.graphic().getFade().level()); },
         "0"},
        {0x1911, "", "cmd 0x1911, 0, 0x123456",
         [](World& w) { return num(w.graphic().getFade().level()) + " " + hex(w.graphic().getFade().colour()); },
         "255 ff123456"},
        {0x2104, "", "cmd 0x2104, 0, \"long.wav\"",
         [](World& w) { return kVoice(w) + " " + num(w.music().getChannel(255)->TSe::getVolume(false)); },
         "long.wav 1 127"},
    };
    return all;
}

TEST(CommandTable, EachCommandChangesTheRealObjectItNames) {
    for (const Row& row : rows()) {
        std::string before, after;
        {
            World w;
            w.run(row.setup);
            before = row.probe(w);
        }
        {
            World w;
            w.run(row.setup + "\n    " + row.command);
            after = row.probe(w);
        }
        char code[16];
        std::snprintf(code, sizeof code, "0x%04x", row.code);
        EXPECT_EQ(after, row.expected) << code << ": " << row.command;
        EXPECT_NE(before, row.expected) << code << " changed nothing: " << row.command;
    }
}

}  // namespace
}  // namespace present
