// Every command code, run by a script through the game's engine, changes the real object it
// names: the message document's frames, its backlog and symbols, the graphic layer, the music.
// Each row runs in a fresh engine twice, its setup alone and then with the command, and reads
// the real object both times: the command must have changed it, to the value the row gives.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "../script_support.h"
#include "platform/clock.h"
#include "present_fixture.h"
#include "script/core.h"
#include "script/present/doc/engine_doc.h"
#include "script/present/jobs/text_jobs.h"
#include "script/present/present_engine.h"

namespace present {
namespace {

class Engine : public PresentEngine {
public:
    std::unique_ptr<TG2Memory> createMemory() override { return std::make_unique<SmallMapMemory>(); }
};

struct World {
    World() {
        platform::setClock(&clock);
        setEngineLogSink([](const std::string&) {});
        store.alphas["star.bmp"] = {8, 8, 0xFF};
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

    platform::ManualClock clock{1000};
    testing::PictureStore store;
    TG2Host host;
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
const Probe kLogText = [](World& w) { return w.log().text(); };
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
