// The kit's scripts and tables: the story "a0001.g2" (text, a choice, background changes,
// music, an effect, an event picture in two variants, a match and the way back to the title),
// the twenty scene-replay scripts, the variable map and the image display table. Scripts are
// written in the assembler's text with UTF-8 strings; every string becomes Shift-JIS bytes
// before assembly.
#include <cstdio>

#include "framework/stream.h"
#include "kit.h"
#include "map_description.h"
#include "platform/codepage.h"
#include "script/assembler.h"
#include "script/memory_map_file.h"

namespace kit {

namespace {

// The variables the screens and the match read and write by name, and the story's own.
// Seat arrays hold four elements; the flag arrays live in the common area, so that what the
// player unlocked outlives a game.
const char* const kMapDescription = R"(# The demo story's variables.
text "demo story variables"

area 0
length int 64
length bool 64
length str 16
name int 0 "$mj_char" 4
name int 4 "$mj_bgm_oya" 4
name int 8 "$mj_bgm_riti" 4
name int 12 "$mj_stand" 4
name int 16 "$mj_result" 4
name int 20 "choice"
name str 0 "$mj_name" 4
value int 0 0 1 2 3 5 6 7 8 9 10 11 12
value str 0 "あなた" "ブンタ" "チヨ" "ダイゴ"

area 1
length int 16
length bool 64
length str 4
name bool 0 "@hscene" 20
name bool 20 "@mj_secret" 10

area 2
length int 32
length bool 32
length str 8
)";

// The window, its panel and the buttons beside it; each script starts with it. The panel is
// sprite 200, the background sprite 0, a character sprite 100 and the event pictures sprite 10.
// The opening is one step: from here until the script's scene stands (kSceneSet) a change of the
// picture does not end the frame, and the window (with the panel and the buttons, which follow
// it) is shown last, so that the first frame showing it shows it whole over its scene, also when
// a slow frame ends before the opening does.
// The panel follows message frame 0, so that it goes when the player hides the text and comes
// back with it. Every message is a save point: a save made while it waits loads on that message,
// and the point is marked read once the story moves past it, so that skipping runs through it.
// The backlog keeps every page, for the log button and the wheel; while it is open, sprite 199
// darkens the scene under it.
const char* const kPrologue = R"(
    cmd 0x1207                          ; the opening's changes end no frame
    cmd 0x1011, 40, 440, 720, 140       ; message frame 0: its rectangle
    cmd 0x101e, 0x0e                    ; not in the choices' group: a question stays up with them
    cmd 0x1501, 200, "data.pak\\window.argb", 30, 430
    cmd 0x1511, 200, 0x100              ; the panel follows frame 0
    cmd 0x1511, 199, 2                  ; a dark cover shown only while the backlog is open,
    cmd 0x1503, 199, 0x080810           ; so that the lines read back stand out from the scene
    cmd 0x1506, 199, 208, 0
    cmd 0x1080, 7                       ; the backlog records the pages written
    cmd 0x1018, 1                       ; read text may be skipped
    cmd 0x1281, 1                       ; the sub-menu buttons enabled
    cmd 0x1302, 1                       ; saving and loading allowed
    cmd 0x1282, 0, 0x11, 0, -34         ; save, load, configuration, quick save, quick load, voice
    cmd 0x1282, 1, 0x11, 68, -34
    cmd 0x1282, 2, 0x11, 136, -34
    cmd 0x1282, 3, 0x11, 204, -34
    cmd 0x1282, 4, 0x11, 272, -34
    cmd 0x1282, 5, 0x11, 340, -34
    cmd 0x101f, 2, 0x12, 0, -34         ; auto, skip and hide at the window's right
    cmd 0x101f, 1, 0x12, -68, -34
    cmd 0x101f, 0, 0x12, -136, -34
    cmd 0x1088, 0, 0x66, -4, 0          ; the log's buttons at the screen's right edge
    cmd 0x1088, 1, 0x66, -4, -96
    cmd 0x1088, 2, 0x66, -4, -72
    cmd 0x1088, 3, 0x66, -4, -48
    cmd 0x1088, 4, 0x66, -4, -24
)";

// The end of a script's opening, once its scene is set: the window comes up over it (a picture
// put up hides the window, which stands in the group that a change of picture hides), and the
// frame ends on it.
const char* const kSceneSet = R"(
    cmd 0x1021                          ; the window shown, whole, over its scene
    cmd 0x1208                          ; each change ends its frame again
)";

const char* const kStory = R"(
.header "a0001: the demo story"
.readpoints 16

START:
%PROLOGUE%
    cmd 0x1301, "001", "第一話　放課後"
    cmd 0x1501, 0, "data.pak\\bg01.bmp", 0, 0
    cmd 0x1681, "bgm\\bgm01.ogg", 1
%SCENESET%
    save0 0
    text "放課後の屋上。夕日が校舎を赤く染めている。ソフトボール部の声が遠い。"
    cmd 0x1105
    cmd 0x1501, 100, "data.pak\\ch00.argb", 270, 62
    save0 1
    text "アカネ「ねえ、今日も打っていかない？　駅前の雀荘、席が空いてるって」"
    cmd 0x1105
    save0 2
    text "どうしよう。"
    cmd 0x1186
    cmd 0x1187, 1, "打ちに行く"
    cmd 0x1187, 2, "今日はやめておく"
    cmd 0x119d
    cmd 0x1188
    tag 0
@chosen:
    vi0 20                              ; choice := $SELECT
    vi0 -2
    set
    pop
    vi0 20
    push 2
    eq
    jz @parlour
    save0 3
    text "アカネ「そっか、残念。じゃあまた明日ね」"
    cmd 0x1105
    jmp @ending

@parlour:
    cmd 0x1502, 100
    cmd 0x1601, 0, "sound.pak\\se02.ogg"
    cmd 0x1501, 0, "data.pak\\bg03.bmp", 0, 0
    cmd 0x1681, "bgm\\bgm02.ogg", 1
    cmd 0x1301, "002", "第二話　雀荘にて"
    save0 4
    text "駅前の雀荘。牌の音が静かに響いている。"
    cmd 0x1105
    cmd 0x1501, 10, "data.pak\\ev100_1.bmp", 0, 0
    cmd 0x15b1, "data.pak\\ev100_1.bmp"
    cmd 0x1601, 1, "sound.pak\\se01.ogg"
    save0 5
    text "アカネ「見て、これ。この前の役満の写真」"
    cmd 0x1105
    cmd 0x1501, 10, "data.pak\\ev100_2.bmp", 0, 0
    cmd 0x15b1, "data.pak\\ev100_2.bmp"
    save0 6
    text "アカネ「さあ、一局打とう！」"
    cmd 0x1105
    cmd 0x1502, 10
    vb1 0                               ; scene 1 can be replayed
    push 1
    set
    pop
    vb1 20                              ; character 4 joins free play
    push 1
    set
    pop
    cmd 0xE000, 0, 4, 1                 ; an east-round match for four
    tag 1
@matched:
    cmd 0x1501, 0, "data.pak\\bg03.bmp", 0, 0
    vi0 12                              ; the player's standing: 0 is the top
    push 0
    eq
    jz @lost
    save0 7
    text "アカネ「トップおめでとう！　強いね」"
    cmd 0x1105
    jmp @ending
@lost:
    save0 8
    text "アカネ「惜しかったね。また打とう」"
    cmd 0x1105

@ending:
    cmd 0x1101, 300                     ; a breath, so that the click that ended the line is let go
    cmd 0x1911, 800, 0                  ; the chapter closes: the screen fades to black
    cmd 0x1502, 100
    cmd 0x1501, 0, "data.pak\\bg02.bmp", 0, 0
    cmd 0x1681, "bgm\\bgm03.ogg", 1
    cmd 0x1301, "003", "最終話　帰り道"
    cmd 0x1101, 600                     ; black for a moment between the chapters
    cmd 0x1910, 800, 0                  ; the last chapter comes up out of the black
    save0 9
    text "帰り道。街の灯りが一つずつ点いていく。"
    cmd 0x1105
    vb1 1                               ; scene 2 can be replayed
    push 1
    set
    pop
    save0 10
    text "――おしまい。"
    cmd 0x1105
    pos 15                              ; the end: the last message is read too
    cmd 0x1682
    ret

.index @chosen
.index @matched
)";

// A replayed scene: one of the story's, or a short note for the places the demo leaves empty.
std::string sceneSource(int scene) {
    std::string body;
    if (scene == 0) {
        body = R"(
    cmd 0x1501, 0, "data.pak\\bg03.bmp", 0, 0
    cmd 0x1681, "bgm\\bgm02.ogg", 1
    cmd 0x1501, 10, "data.pak\\ev100_1.bmp", 0, 0
%SCENESET%
    save0 0
    text "アカネ「見て、これ。この前の役満の写真」"
    cmd 0x1105
    cmd 0x1501, 10, "data.pak\\ev100_2.bmp", 0, 0
    save0 1
    text "アカネ「さあ、一局打とう！」"
    cmd 0x1105
)";
    } else if (scene == 1) {
        body = R"(
    cmd 0x1501, 0, "data.pak\\bg02.bmp", 0, 0
    cmd 0x1681, "bgm\\bgm03.ogg", 1
%SCENESET%
    save0 0
    text "帰り道。街の灯りが一つずつ点いていく。"
    cmd 0x1105
)";
    } else {
        char line[256];
        std::snprintf(line, sizeof line,
                      "\n    cmd 0x1501, 0, \"data.pak\\\\bg01.bmp\", 0, 0\n%%SCENESET%%\n    save0 0\n"
                      "    text \"シーン%d はデモには入っていません。\"\n    cmd 0x1105\n",
                      scene + 1);
        body = line;
    }
    char header[96];
    std::snprintf(header, sizeof header, ".header \"hs%02d: a scene replay\"\n.readpoints 4\n\nSTART:\n", scene);
    return header + std::string("%PROLOGUE%") + body + "    pos 3\n    cmd 0x1682\n    ret\n";
}

// Every quoted string's UTF-8 made Shift-JIS, its bytes above 0x7F written as escapes (a
// Shift-JIS trail byte may be a backslash or a quote to the assembler).
std::string sjisSource(const std::string& utf8) {
    std::string out;
    size_t i = 0;
    while (i < utf8.size()) {
        const char c = utf8[i];
        if (c == ';') {  // a comment runs to the line's end
            while (i < utf8.size() && utf8[i] != '\n') out += utf8[i++];
            continue;
        }
        if (c != '"') {
            out += c;
            ++i;
            continue;
        }
        out += c;
        ++i;
        std::string run;
        const auto flush = [&] {
            for (unsigned char b : platform::toSjis(run)) {
                char esc[8];
                std::snprintf(esc, sizeof esc, "\\x%02X", b);
                out += esc;
            }
            run.clear();
        };
        while (i < utf8.size() && utf8[i] != '"') {
            if (utf8[i] == '\\' && i + 1 < utf8.size()) {
                flush();
                out += utf8.substr(i, 2);
                i += 2;
            } else if (static_cast<unsigned char>(utf8[i]) >= 0x80) {
                run += utf8[i++];
            } else {
                flush();
                out += utf8[i++];
            }
        }
        flush();
        if (i < utf8.size()) out += utf8[i++];
    }
    return out;
}

bool assemble(const std::string& name, const std::string& utf8, std::vector<gcepack::Entry>& out, std::string* error) {
    G2ScriptImage image;
    std::string why;
    if (!assembleScript(sjisSource(utf8), image, why)) {
        if (error) *error = name + ": " + why;
        return false;
    }
    gcepack::Entry e;
    e.name = name;
    e.data = scriptFileBytes(image);
    out.push_back(std::move(e));
    return true;
}

std::vector<uint8_t> streamBytes(TMemoryStream& s) {
    std::vector<uint8_t> bytes(s.size());
    s.seek(0, 0);
    if (!bytes.empty()) s.read(bytes.data(), static_cast<uint32_t>(bytes.size()));
    return bytes;
}

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// A script with its opening's two ends in place.
std::string withOpening(const std::string& source) {
    return replaceAll(replaceAll(source, "%PROLOGUE%", kPrologue), "%SCENESET%", kSceneSet);
}

}  // namespace

const std::vector<StoryCg>& storyCgs() {
    static const std::vector<StoryCg> cgs = {{100001, "ev100_1.bmp"}, {100002, "ev100_2.bmp"}, {101001, "ev101_1.bmp"}};
    return cgs;
}

std::vector<uint8_t> asText(const std::string& text) { return {text.begin(), text.end()}; }

bool scriptPakEntries(std::vector<gcepack::Entry>& out, std::string* error) {
    if (!assemble("a0001.g2", withOpening(kStory), out, error)) return false;
    for (int s = 0; s < kSceneCount; ++s) {
        char name[32];
        std::snprintf(name, sizeof name, "hs%02d.g2", s);
        if (!assemble(name, withOpening(sceneSource(s)), out, error)) return false;
    }
    G2MapImage map;
    std::string why;
    if (!g2mm::parseDescription(kMapDescription, map, why)) {
        if (error) *error = "main.g2m: " + why;
        return false;
    }
    TMemoryStream stream;
    writeMemoryMap(stream, map);
    out.push_back({"main.g2m", streamBytes(stream)});
    // The image display table: id, picture; a ";" line is a comment.
    std::string table = "; id,picture\r\n";
    for (const StoryCg& cg : storyCgs()) table += std::to_string(cg.id) + "," + cg.path() + "\r\n";
    out.push_back({"imgdisp.ini", asText(table)});
    return true;
}

}  // namespace kit
