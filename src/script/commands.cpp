// The command dispatcher: opcode 0x05 names a command code, and its handler takes the arguments
// from the thread's stack, the last one first. The thread closes the argument frame afterwards,
// so whatever a handler leaves (extra leading arguments included) is discarded.
#include "script/commands.h"

#include "script/img_disp.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "framework/sjis.h"
#include "script/core.h"
#include "script/engine.h"
#include "script/format.h"
#include "script/img_disp.h"
#include "script/minimal_jobs.h"
#include "script/script.h"
#include "script/thread.h"
#include "script/value.h"

namespace {

// One command's view of its arguments. A handler asking for more than the script gave gets 0 or
// an empty string instead of reaching beneath the frame into the caller's values.
class Cmd {
public:
    Cmd(TG2Engine& engine, TG2Thread& thread, uint32_t code)
        : engine(engine),
          core(*engine.core()),
          thread(thread),
          code(code),
          count(thread.argumentCount()),
          left_(count) {}

    std::unique_ptr<TValue> take() {
        if (left_ <= 0) return nullptr;
        --left_;
        return thread.popValue();
    }
    int32_t i(int32_t missing = 0) {
        auto v = take();
        return v ? v->getInt() : missing;
    }
    std::string s() {
        auto v = take();
        return v ? v->getString() : std::string();
    }
    // Optional trailing integers: as many as given beyond the leading ones, the rest defaults.
    template <size_t N>
    std::array<int32_t, N> optional(int32_t leading, const std::array<int32_t, N>& defaults) {
        std::array<int32_t, N> out = defaults;
        const int32_t given = std::clamp(count - leading, 0, static_cast<int32_t>(N));
        for (int32_t k = given - 1; k >= 0; --k) out[static_cast<size_t>(k)] = i();
        return out;
    }
    // Every argument in script order, as the script gave it.
    G2CommandArgs all() {
        G2CommandArgs out(static_cast<size_t>(std::max(left_, 0)));
        for (size_t k = out.size(); k-- > 0;) {
            auto v = take();
            out[k].isString = v->getType() == kG2String;
            if (out[k].isString)
                out[k].text = v->getString();
            else
                out[k].number = v->getInt();
        }
        return out;
    }
    EngineDocFrame& frame() { return *engine.getCurrentDocFrame(); }
    EngineDocLog& log() { return *engine.doc()->log(); }
    template <class T>
    T* job(int32_t jobCode) {
        return dynamic_cast<T*>(core.standingJob(jobCode));
    }

    TG2Engine& engine;
    TG2Core& core;
    TG2Thread& thread;
    const uint32_t code;
    const int32_t count;

private:
    int32_t left_;
};

uint32_t opaque(int32_t c) { return 0xFF000000u | (static_cast<uint32_t>(c) & 0xFFFFFFu); }

// Colours given as one (the shadow derived) or two values, last argument first.
std::pair<uint32_t, uint32_t> colours(Cmd& c) {
    if (c.count >= 2) {
        const uint32_t bk = opaque(c.i());
        return {opaque(c.i()), bk};
    }
    const uint32_t col = opaque(c.i());
    return {col, g2ShadowColor(col)};
}

std::string formatted(int32_t value, const std::string& format, bool wide) {
    std::string text = g2Format(format, {value});
    if (!wide) return text;
    std::string out(text.size() * 2 + 1, '\0');
    nsSJIS::strToZenkaku(out.data(), out.size(), text.c_str());
    out.resize(std::strlen(out.c_str()));
    return out;
}

// ---- message window and backlog (0x10) ----

void textOut(Cmd& c, const std::string& text) { c.engine.showText(c.thread, text); }

void attrBit(Cmd& c, uint32_t bits, bool on) { c.frame().setFontAttrBit(bits, on); }

void logAttrBit(Cmd& c, uint32_t bits, bool on) {
    c.log().setFontAttrBit(bits, on);
    c.log().relayout();
}

void message(Cmd& c) {
    EngineDocFrame& f = c.frame();
    switch (c.code) {
        case 0x1001:
            f.newLine();
            break;
        case 0x1002:
            f.clearText();
            break;
        case 0x1003: {
            if (c.count >= 2) c.i();
            f.putRGroup(c.s());
            break;
        }
        case 0x1004:
            f.setLineSpacing(c.i());
            break;
        case 0x1005:
            f.setLineHeight(c.i());
            break;
        case 0x1006: {
            const int32_t y = c.i();
            const int32_t x = c.i();
            f.setPosY(y);
            f.setPosX(x);
            break;
        }
        case 0x1007:
            f.setPosX(c.i());
            break;
        case 0x1008:
            f.setPosY(c.i());
            break;
        case 0x1009:
            if (c.count >= 2) f.setIndentTail(c.s());
            f.setIndentHead(c.s());
            break;
        case 0x100a:
            textOut(c, c.s());
            break;
        case 0x100b: {
            const std::string format = c.count >= 2 ? c.s() : "%d";
            textOut(c, formatted(c.i(), format, true));
            break;
        }
        case 0x100d: {
            const std::string style = c.s();
            const std::string symbol = c.s();
            c.engine.doc()->addSymbolStyle(g2SymbolCode(symbol), style);
            break;
        }
        case 0x100e:
            f.setFontSize(c.i());
            break;
        case 0x100f: {
            const auto [col, bk] = colours(c);
            f.setColor(col);
            f.setShadowColor(bk);
            break;
        }
        case 0x1010:
            f.setFontFace(c.s());
            break;
        case 0x1011: {
            const int32_t h = c.i(), w = c.i(), y = c.i(), x = c.i();
            f.setRect(x, y, x + w, y + h);
            f.clearText();
            break;
        }
        case 0x1012:
        case 0x1013:
            attrBit(c, kG2AttrBold, c.code == 0x1012);
            break;
        case 0x1014:
        case 0x1015:
            attrBit(c, kG2AttrShadow, c.code == 0x1014);
            break;
        case 0x1016:
        case 0x1017:
            attrBit(c, kG2AttrEdge, c.code == 0x1016);
            break;
        case 0x1023:
        case 0x1024:
            attrBit(c, kG2AttrAntialias, c.code == 0x1023);
            break;
        case 0x1018:
            c.core.setSuspendSkip(0x2, c.i() == 0);
            break;
        case 0x101d:
            f.setDepth(c.i());
            f.clearText();
            break;
        case 0x101e:
            f.setGroup(static_cast<uint32_t>(c.i()));
            break;
        case 0x101f: {
            const auto [x, y] = c.optional<2>(2, {0, 0});
            const int32_t align = c.i();
            const int32_t which = c.i();
            static constexpr int32_t kJobs[] = {kJobTextOff, kJobTextSkip, kJobTextAuto};
            if (which >= 0 && which < 3)
                if (auto* job = c.job<EngineJobControls>(kJobs[which])) job->placeButton(0, align, x, y);
            break;
        }
        case 0x1020:
            c.engine.doc()->setCurrentFrame(c.i());
            break;
        case 0x1021:
        case 0x1022:
            f.setVisible(c.code == 0x1021 ? 255 : 0);
            break;
        case 0x1025:
            if (auto* job = c.job<EngineJobControls>(kJobTextOut)) job->setInterval(c.i());
            break;
        case 0x1026:
        case 0x1027:
            if (auto* job = c.job<EngineJobControls>(kJobTextOut)) job->setIntervalEnabled(c.code == 0x1027);
            break;
        case 0x1028:
            c.engine.doc()->setHalfWidthSpace(c.i() != 0);
            break;
        case 0x1040:
        case 0x1041:
            c.core.showFrames(0x20, c.code == 0x1041, nullptr);
            break;
        default:
            break;
    }
}

void backlog(Cmd& c) {
    EngineDocLog& l = c.log();
    switch (c.code) {
        case 0x1080:
            l.setMode(c.i());
            return;
        case 0x1081:
            l.setCapacity(c.i());
            return;
        case 0x1082:
            l.clear();
            return;
        case 0x1083:
            l.setDepth(c.i());
            return;
        case 0x1084: {
            const int32_t h = c.i(), w = c.i(), y = c.i(), x = c.i();
            l.setRect(x, y, x + w, y + h);
            break;
        }
        case 0x1085:
            if (c.count >= 2) l.setIndentTail(c.s());
            l.setIndentHead(c.s());
            break;
        case 0x1086:
            l.setLineSpacing(c.i());
            break;
        case 0x1087:
            l.setLineHeight(c.i());
            break;
        case 0x1088: {
            const auto [x, y] = c.optional<2>(2, {0, 0});
            const int32_t align = c.i();
            const int32_t button = c.i();
            if (button >= 0 && button < 6)
                if (auto* job = c.job<EngineJobControls>(kJobLogView)) job->placeButton(button, align, x, y);
            return;
        }
        case 0x1089:
            l.setFontFace(c.s());
            break;
        case 0x108a:
            l.setFontSize(c.i());
            break;
        case 0x108b: {
            const auto [col, bk] = colours(c);
            l.setColor(col);
            l.setShadowColor(bk);
            break;
        }
        case 0x108c:
        case 0x108d:
            logAttrBit(c, kG2AttrBold, c.code == 0x108c);
            return;
        case 0x108e:
        case 0x108f:
            logAttrBit(c, kG2AttrShadow, c.code == 0x108e);
            return;
        case 0x1090:
        case 0x1091:
            logAttrBit(c, kG2AttrEdge, c.code == 0x1090);
            return;
        case 0x1092:
        case 0x1093:
            logAttrBit(c, kG2AttrAntialias, c.code == 0x1092);
            return;
        case 0x1094:
            l.putText(c.s());
            return;
        default:
            return;
    }
    l.relayout();
}

// ---- waits, clicks and menus (0x11) ----

void wait(Cmd& c) {
    switch (c.code) {
        case 0x1101:
            if (auto* job = c.job<TG2WaitJob>(kJobWait)) {
                job->begin(&c.thread, 0, c.i());
                c.core.addDwarf(job);
            }
            break;
        case 0x1102:
            if (auto* job = c.job<TG2WaitJob>(kJobSync)) {
                job->beginUntil(&c.thread, c.i());
                c.core.addDwarf(job);
            } else if (auto* wait = c.job<TG2WaitJob>(kJobWait)) {
                wait->beginUntil(&c.thread, c.i());
                c.core.addDwarf(wait);
            }
            break;
        case 0x1103:
        case 0x1104:
        case 0x1105: {
            const int32_t type = static_cast<int32_t>(c.code - 0x1103);
            const int32_t value = type == 0 ? (c.count >= 1 ? c.i() : 0) : type;
            TDwarf* job = c.core.standingJob(kJobClick);
            if (auto* minimal = dynamic_cast<TG2ClickJob*>(job))
                minimal->begin(&c.thread, type, std::min(value, 2));
            else if (auto* controls = dynamic_cast<EngineJobControls*>(job))
                controls->beginClick(&c.thread, type, std::min(value, 2));
            else
                break;
            if (type == 0)
                c.core.addDwarf(job);
            else
                c.core.showFrames(1, true, job);
            break;
        }
        case 0x1106:
        case 0x1109: {
            const int32_t position = c.code == 0x1106 ? c.i() : -1;
            TDwarf* job = c.core.standingJob(kJobClickGoto);
            auto* controls = dynamic_cast<EngineJobControls*>(job);
            if (!controls) break;
            const bool listed = std::find(c.core.getDwarfGuild().begin(), c.core.getDwarfGuild().end(), job) !=
                                c.core.getDwarfGuild().end();
            const bool active = listed && !job->isFinished();
            if (c.code == 0x1109 && !active) break;
            if (active) job->finish();
            controls->beginGoto(&c.thread, position);
            if (!listed) c.core.addDwarf(job);
            break;
        }
        case 0x1107: {
            const auto [a, b, d] = c.optional<3>(0, {0, 0, 0});
            if (auto* job = c.job<EngineJobControls>(kJobClick)) job->setOptions(a, b, d);
            break;
        }
        case 0x1108: {
            const auto [x, y] = c.optional<2>(2, {0, 0});
            const int32_t align = c.i();
            const int32_t kind = c.i();
            if (kind >= 0 && kind <= 1)
                if (auto* job = c.job<EngineJobControls>(kJobClick))
                    job->setIconPlace(kind, c.engine.doc()->currentFrameIndex(), align, x, y);
            break;
        }
        default:
            break;
    }
}

void menu(Cmd& c) {
    EngineMenu& branch = c.core.menu();
    auto* look = c.job<EngineMenuControls>(kJobMenu);
    EngineMenuControls none;
    EngineMenuControls& m = look ? *look : none;
    switch (c.code) {
        case 0x1180:
        case 0x1181:
        case 0x1182: {
            std::array<std::string, 4> pictures;
            const int32_t extra = std::clamp(c.count - 4, 0, 3);
            for (int32_t k = extra; k >= 1; --k) pictures[static_cast<size_t>(k)] = c.s();
            pictures[0] = c.s();
            const int32_t y = c.i();
            const int32_t x = c.i();
            const int32_t value = c.i();
            branch.addSprite(static_cast<int32_t>(c.code - 0x1180 + 3), value, x, y, pictures);
            break;
        }
        case 0x1186:
            branch.clear();
            break;
        case 0x1187:
        case 0x118f:
        case 0x1190: {
            const std::string text = c.s();
            const int32_t value = c.i();
            branch.addText(c.code == 0x1187 ? 0 : c.code == 0x118f ? 1 : 2, value, text);
            break;
        }
        case 0x1188: {
            const int32_t value = c.count >= 1 ? c.i() : 0;
            // The menu ends before the choice jump that follows the command.
            TScriptChild* code = c.thread.script();
            uint8_t op = 0;
            int32_t tag = 0;
            if (!code || !code->readByte(op) || op != 0x14 || !code->readInt32(tag)) throwG2Error(kG2ErrBadCode);
            code->seek(code->tell() - 5);
            TDwarf* job = c.core.standingJob(kJobMenu);
            if (auto* minimal = dynamic_cast<TG2MenuJob*>(job))
                minimal->begin(&c.thread, tag, value);
            else if (auto* controls = dynamic_cast<EngineJobControls*>(job))
                controls->openMenu(&c.thread, tag, value);
            else
                break;
            c.core.showFrames(16, false, job);
            break;
        }
        case 0x118c:
        case 0x1196: {
            const auto [x, y] = c.optional<2>(1, {0, 0});
            const int32_t align = c.i();
            if (c.code == 0x118c)
                m.setMenuPlace(align, x, y);
            else
                m.setTextPlace(align, x, y);
            break;
        }
        case 0x118e: {
            const int32_t h = c.i();
            m.setSize(c.i(), h);
            break;
        }
        case 0x1191:
            c.core.setSelect(-1);
            if (TDwarf* job = c.core.standingJob(kJobMenu); job && !job->isFinished()) job->finish();
            break;
        case 0x1194:
            m.setTextAttr(static_cast<uint32_t>(c.i()));
            break;
        case 0x1195:
            branch.addCancel(c.i());
            break;
        case 0x1197: {
            const uint32_t bk = c.count >= 3 ? opaque(c.i()) : 0xFF000000u;
            const uint32_t col = opaque(c.i());
            m.setTextColor(c.i(), col, bk);
            break;
        }
        case 0x1198: {
            const int32_t blend = c.count >= 3 ? c.i() : 255;
            const uint32_t col = opaque(c.i());
            m.setPanelColor(c.i(), col, blend);
            break;
        }
        case 0x1199:
        case 0x119b: {
            const int32_t leading = c.code == 0x1199 ? 3 : 2;
            const auto [x, y, v] = c.optional<3>(leading, {0, 0, 255});
            const int32_t align = c.i();
            const std::string file = c.s();
            if (c.code == 0x1199)
                m.addPanelImage(c.i(), file, align, x, y, v);
            else
                m.addCommonImage(file, align, x, y, v);
            break;
        }
        case 0x119a:
            m.resetPanels();
            break;
        case 0x119c:
            m.clearCommonImages();
            break;
        case 0x119d:
            branch.setDefault();
            break;
        case 0x11a0:
            m.setFontFace(c.s());
            break;
        case 0x11a1:
            m.setTextSize(c.i());
            break;
        case 0x11a2:
        case 0x11a3:
            m.setTextAttrBit(kG2AttrBold, c.code == 0x11a2);
            break;
        case 0x11a4:
        case 0x11a5:
            m.setTextAttrBit(kG2AttrShadow, c.code == 0x11a4);
            break;
        case 0x11a6:
        case 0x11a7:
            m.setTextAttrBit(kG2AttrEdge, c.code == 0x11a6);
            break;
        case 0x11a8:
        case 0x11a9:
            m.setTextAttrBit(kG2AttrAntialias, c.code == 0x11a8);
            break;
        default:
            break;
    }
}

// ---- system, save record, threads, strings (0x12, 0x13, 0x17, 0x18) ----

void system(Cmd& c) {
    switch (c.code) {
        case 0x1201:
            c.core.quit(false);
            break;
        case 0x1202:
            c.core.setTitle(c.s());
            break;
        case 0x1203:
            c.core.requestReturnToTitle();
            break;
        case 0x1204:
        case 0x1205:
            c.core.setCursor(c.code == 0x1204);
            break;
        case 0x1206:
            c.core.requestBreak();
            break;
        case 0x1207:
        case 0x1208:
            c.core.setYieldOnDirty(c.code == 0x1208);
            break;
        case 0x1281:
            c.core.setSubmenuEnabled(c.i() != 0);
            break;
        case 0x1282: {
            const auto [x, y] = c.optional<2>(2, {0, 0});
            const int32_t align = c.i();
            const int32_t button = c.i();
            if (button >= 0 && button <= 10)
                if (auto* job = c.job<EngineJobControls>(kJobSubmenu)) job->placeButton(button, align, x, y);
            break;
        }
        case 0x1301: {
            auto b = c.take();
            auto a = c.take();
            c.core.setRecordInfo(std::move(a), std::move(b));
            break;
        }
        case 0x1302:
            c.core.setRecordEnabled(c.i());
            break;
        case 0x1303:
            c.core.stockBreak();
            break;
        case 0x1304: {
            const int32_t slot = c.i();
            c.core.scanRecords();
            c.core.save(slot);
            break;
        }
        case 0x1305:
            c.core.setStockRequest(c.i());
            break;
        default:
            break;
    }
}

void threads(Cmd& c) {
    switch (c.code) {
        case 0x1701: {
            const int32_t v = c.i();
            const std::string label = c.s();
            const std::string file = c.s();
            const int32_t n = c.i();
            if (!c.core.createThread(n, file, label, v)) throwG2Error(kG2ErrThreadLoad, file);
            break;
        }
        case 0x1702:
            c.core.deleteThread(c.i());
            break;
        case 0x1703:
            c.core.setCurrentThread(c.count >= 1 ? c.i() : -1);
            break;
        default:
            break;
    }
}

void strings(Cmd& c) {
    switch (c.code) {
        case 0x1801: {
            const std::string s = c.s();
            if (auto var = c.take()) var->setString(s);
            break;
        }
        case 0x1802: {
            const std::string b = c.s();
            const std::string a = c.s();
            const int r = a.compare(b);
            c.core.setResult(r < 0 ? -1 : r > 0 ? 1 : 0);
            break;
        }
        case 0x1803:
            c.core.setResult(static_cast<int32_t>(c.s().size()));
            break;
        case 0x1804:
            if (auto var = c.take()) var->setString({});
            break;
        case 0x1805: {
            const std::string s = c.s();
            if (auto var = c.take()) var->setString(var->getString() + s);
            break;
        }
        case 0x1806:
        case 0x1808: {
            const std::string format = c.count >= 3 ? c.s() : "%d";
            const int32_t v = c.i();
            if (auto var = c.take()) var->setString(formatted(v, format, c.code == 0x1806));
            break;
        }
        case 0x1807:
        case 0x1809: {
            const int32_t n = std::clamp(c.count - 2, 0, 8);
            std::vector<int32_t> values(static_cast<size_t>(n));
            for (int32_t k = n - 1; k >= 0; --k) values[static_cast<size_t>(k)] = c.i();
            const std::string format = c.s();
            std::string text = g2Format(format, values);
            if (c.code == 0x1807) {
                std::string wide(text.size() * 2 + 1, '\0');
                nsSJIS::strToZenkaku(wide.data(), wide.size(), text.c_str());
                text = wide.c_str();
            }
            if (auto var = c.take()) var->setString(text);
            break;
        }
        default:
            break;
    }
}

// ---- screen jobs, actors, host call, sinks (0x19, 0x21, 0xE0, 0xF0) ----

void screenJobs(Cmd& c) {
    std::vector<int32_t> values;
    int32_t jobCode = kJobFade;
    if (c.code <= 0x1901) {
        const auto q = c.optional<4>(0, {2, 100, 40, 90});
        values.assign(q.begin(), q.end());
        values.push_back(c.code == 0x1900 ? 1 : 0);
        jobCode = kJobQuake;
    } else {
        const auto f = c.optional<1>(2, {0});
        const int32_t b = c.i();
        const int32_t a = c.i();
        values = {c.code == 0x1910 ? 0 : 1, a, b, f[0]};
    }
    TDwarf* job = c.core.standingJob(jobCode);
    if (auto* controls = dynamic_cast<EngineJobControls*>(job)) {
        controls->beginWith(&c.thread, values);
        c.core.addDwarf(job);
    }
}

void writeActorName(Cmd& c) {
    const std::string given = c.count >= 2 ? c.s() : std::string();
    const bool hasText = c.count >= 2;
    c.core.setCurrentActor(c.i());
    const TG2Actor actor = c.core.getActor(-1);
    EngineDoc& doc = *c.engine.doc();
    auto paint = [&] {
        if (!actor.enabled) return;
        doc.currentFrame()->setColor(actor.color);
        doc.currentFrame()->setShadowColor(g2ShadowColor(actor.color));
    };
    const int32_t remembered = doc.currentFrameIndex();
    const bool switched = actor.frame >= 0 && actor.frame < 8 && actor.frame != remembered;
    if (switched) doc.setCurrentFrame(actor.frame);
    paint();
    c.engine.writeWhole(c.thread, hasText ? given : actor.name);
    if (switched) {
        c.core.showFrames(1, true, nullptr);
        doc.setCurrentFrame(remembered);
        paint();
    }
    c.core.showFrames(1, true, nullptr);
}

void actorVoice(Cmd& c) {
    const auto [flags, time] = c.optional<2>(2, {0, -1});
    const std::string file = c.s();
    const int32_t number = c.i();
    EngineMusic* music = c.engine.music();
    if (!music) return;
    const int32_t fade = c.count >= 4 ? time : music->voiceFadeTime();
    if (c.count < 4) music->stopVoiceFade();
    if (!(flags & 0x10)) c.frame().setVoice(file);
    const TG2Actor& actor = c.core.getActor(number);
    if (!actor.voiceEnabled) return;
    if ((flags & 8) && music->voicePlaying() && music->voiceName() == file) return;
    music->setVoiceVolume(actor.voiceVolume);
    music->lowerForVoice();
    if (flags & 2)
        music->fadeInVoice(&c.thread, file, flags, fade);
    else if (!music->playVoice(file))
        c.engine.warning(kG2WarnActorVoice, file);
}

void actors(Cmd& c) {
    switch (c.code) {
        case 0x2100:
            writeActorName(c);
            break;
        case 0x2101: {
            const int32_t frame = c.count >= 4 ? c.i() : -1;
            const std::string name = c.s();
            const uint32_t col = opaque(c.i());
            TG2Actor& a = c.core.getActor(c.i());
            a.enabled = true, a.color = col, a.name = name, a.frame = frame;
            break;
        }
        case 0x2102: {
            const uint32_t col = opaque(c.i());
            TG2Actor& a = c.core.getActor(c.i());
            a.enabled = true, a.color = col;
            break;
        }
        case 0x2103: {
            const std::string name = c.s();
            c.core.getActor(c.i()).name = name;
            break;
        }
        case 0x2104:
            actorVoice(c);
            break;
        case 0x2105: {
            const int32_t frame = c.i();
            c.core.getActor(c.i()).frame = frame;
            break;
        }
        default:
            break;
    }
}

void hostCall(Cmd& c) {
    std::array<int32_t, 3> v{};
    if (c.count >= 1 && c.count <= 3)
        for (int32_t k = c.count - 1; k >= 0; --k) v[static_cast<size_t>(k)] = c.i();
    c.engine.callHost(99, 3, v);
}

void sink(Cmd& c) {
    if (c.code == 0xF001 || c.count == 1 || c.count == 2)
        for (int32_t k = c.code == 0xF001 ? 1 : c.count; k > 0; --k) c.take();
}

void graphic(Cmd& c) {
    G2CommandArgs args = c.all();
    if (c.engine.graphic()) c.engine.graphic()->command(c.thread, c.code, args);
}

// The image table's seen notices: by image id, or by the picture's specification (its file name,
// without the options after ';').
void images(Cmd& c) {
    TG2ImgDisp& table = c.core.getImgDisp();
    if (c.code == 0x15b0) {
        table.setSeen(c.i());
    } else {
        const std::string spec = c.s();
        table.setSeenByName(spec.substr(0, spec.find(';')));
    }
}

void sound(Cmd& c) {
    G2CommandArgs args = c.all();
    if (c.engine.music()) c.engine.music()->command(c.thread, c.code, args);
}

void nothing(Cmd&) {}

using Handler = void (*)(Cmd&);
struct Entry {
    uint32_t first, last;
    Handler handler;
};

// Ranges of consecutive defined codes; anything between them is undefined.
constexpr Entry kRanges[] = {
    {0x1001, 0x100b, message}, {0x100d, 0x1018, message}, {0x101d, 0x1028, message},    {0x1040, 0x1041, message},
    {0x1080, 0x1094, backlog}, {0x1101, 0x1109, wait},    {0x1180, 0x1182, menu},       {0x1186, 0x1188, menu},
    {0x118c, 0x118c, menu},    {0x118e, 0x1191, menu},    {0x1194, 0x119d, menu},       {0x11a0, 0x11a9, menu},
    {0x1201, 0x1208, system},  {0x1281, 0x1282, system},  {0x1301, 0x1305, system},     {0x1501, 0x150e, graphic},
    {0x1510, 0x1511, graphic}, {0x1540, 0x154b, graphic}, {0x1550, 0x1553, graphic},    {0x1581, 0x1581, graphic},
    {0x15a0, 0x15a2, graphic}, {0x15b0, 0x15b1, images},  {0x15c0, 0x15c1, graphic},    {0x1601, 0x1605, sound},
    {0x1620, 0x1624, sound},   {0x1681, 0x1685, sound},   {0x1691, 0x1693, sound},      {0x16a0, 0x16a2, sound},
    {0x1701, 0x1703, threads}, {0x1801, 0x1809, strings}, {0x1900, 0x1901, screenJobs}, {0x1910, 0x1911, screenJobs},
    {0x2001, 0x2003, nothing}, {0x2100, 0x2105, actors},  {0xE000, 0xE000, hostCall},   {0xF000, 0xF001, sink},
};

Handler find(uint32_t code) {
    for (const Entry& e : kRanges)
        if (code >= e.first && code <= e.last) return e.handler;
    return nullptr;
}

}  // namespace

uint32_t g2ShadowColor(uint32_t argb) {
    const uint32_t alpha = argb & 0xFF000000u;
    if (argb & 0xF0F0F0u) return alpha | ((argb >> 5) & 0x070707u);
    return alpha | 0xF0F0F0u;
}

uint32_t g2SymbolCode(const std::string& s) {
    if (s.empty()) return 0;
    const uint8_t a = static_cast<uint8_t>(s[0]);
    const bool lead = (a >= 0x81 && a <= 0x9F) || (a >= 0xE0 && a <= 0xFC);
    if (lead && s.size() >= 2) {
        const uint8_t b = static_cast<uint8_t>(s[1]);
        if ((b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC)) return (uint32_t{a} << 8) | b;
    }
    return a;
}

std::vector<uint32_t> g2CommandCodes() {
    std::vector<uint32_t> out;
    for (const Entry& e : kRanges)
        for (uint32_t code = e.first; code <= e.last; ++code) out.push_back(code);
    return out;
}

void g2DispatchCommand(TG2Engine& engine, TG2Thread& thread, uint32_t code) {
    if (!engine.core() || !engine.doc()) return;
    if (Handler h = find(code)) {
        Cmd c(engine, thread, code);
        h(c);
    }
}
