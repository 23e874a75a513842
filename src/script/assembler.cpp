#include "script/assembler.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <set>

#include "framework/stream.h"
#include "platform/little_endian.h"
#include "script/opcodes.h"
#include "script/value_exchange.h"

namespace {

enum class Operand { None, Int, Target, String, Block };

struct Mnemonic {
    const char* name;
    uint8_t op;
    Operand operand;
};

constexpr Mnemonic kMnemonics[] = {
    {"text", kOpText, Operand::String},
    {"pushs", kOpPushString, Operand::String},
    {"push", kOpPushInt, Operand::Int},
    {"pop", kOpPop, Operand::None},
    {"cmd", kOpCommand, Operand::Int},
    {"frame", kOpFrame, Operand::None},
    {"jmp", kOpJump, Operand::Target},
    {"jz", kOpJumpZero, Operand::Target},
    {"jnz", kOpJumpNotZero, Operand::Target},
    {"call", kOpCall, Operand::Target},
    {"nop", kOpNop, Operand::Int},
    {"skip", kOpSkip, Operand::Block},
    {"case", kOpCase, Operand::None},
    {"ret", kOpReturn, Operand::None},
    {"trace", kOpTrace, Operand::String},
    {"filegoto", kOpFileGoto, Operand::None},
    {"filecall", kOpFileCall, Operand::None},
    {"push2", kOpPushInt2, Operand::Int},
    {"tag", kOpTag, Operand::Int},
    {"sgoto", kOpLabelGoto, Operand::None},
    {"scall", kOpLabelCall, Operand::None},
    {"pos", kOpPosition, Operand::Int},
    {"save0", kOpSavePoint0, Operand::Int},
    {"save1", kOpSavePoint1, Operand::Int},
    {"vi0", kOpVarInt0, Operand::Int},
    {"vb0", kOpVarBool0, Operand::Int},
    {"vs0", kOpVarString0, Operand::Int},
    {"vi1", kOpVarInt1, Operand::Int},
    {"vb1", kOpVarBool1, Operand::Int},
    {"vs1", kOpVarString1, Operand::Int},
    {"vi2", kOpVarInt2, Operand::Int},
    {"vb2", kOpVarBool2, Operand::Int},
    {"vs2", kOpVarString2, Operand::Int},
    {"neg", kOpNeg, Operand::None},
    {"add", kOpAdd, Operand::None},
    {"sub", kOpSub, Operand::None},
    {"mul", kOpMul, Operand::None},
    {"div", kOpDiv, Operand::None},
    {"mod", kOpMod, Operand::None},
    {"or", kOpOr, Operand::None},
    {"and", kOpAnd, Operand::None},
    {"not", kOpNot, Operand::None},
    {"xor", kOpXor, Operand::None},
    {"lnot", kOpLogicalNot, Operand::None},
    {"gt", kOpGreater, Operand::None},
    {"lt", kOpLess, Operand::None},
    {"shr", kOpShiftRight, Operand::None},
    {"shl", kOpShiftLeft, Operand::None},
    {"lor", kOpLogicalOr, Operand::None},
    {"land", kOpLogicalAnd, Operand::None},
    {"eq", kOpEqual, Operand::None},
    {"ne", kOpNotEqual, Operand::None},
    {"ge", kOpGreaterEqual, Operand::None},
    {"le", kOpLessEqual, Operand::None},
    {"inc", kOpIncrement, Operand::None},
    {"dec", kOpDecrement, Operand::None},
    {"set", kOpAssign, Operand::None},
    {"setmul", kOpAssignMul, Operand::None},
    {"setdiv", kOpAssignDiv, Operand::None},
    {"setmod", kOpAssignMod, Operand::None},
    {"setadd", kOpAssignAdd, Operand::None},
    {"setsub", kOpAssignSub, Operand::None},
    {"setshl", kOpAssignShiftLeft, Operand::None},
    {"setshr", kOpAssignShiftRight, Operand::None},
    {"setand", kOpAssignAnd, Operand::None},
    {"setor", kOpAssignOr, Operand::None},
    {"setxor", kOpAssignXor, Operand::None},
    {"elem", kOpElement, Operand::None},
};

const Mnemonic* byName(const std::string& name) {
    for (const Mnemonic& m : kMnemonics)
        if (name == m.name) return &m;
    return nullptr;
}

const Mnemonic* byOpcode(uint8_t op) {
    for (const Mnemonic& m : kMnemonics)
        if (m.op == op) return &m;
    return nullptr;
}

// ---- assembling ----

struct Token {
    enum Kind { Word, Number, String, Comma, Colon } kind;
    std::string text;
    int64_t number = 0;
};

struct AsmError {
    std::string message;
};

bool isWordChar(char c, bool first) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (std::isalpha(u) || c == '_' || c == '@' || c == '.' || c == '$' || u >= 0x80) return true;
    return !first && std::isdigit(u);
}

std::vector<Token> tokenize(const std::string& line) {
    std::vector<Token> out;
    size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (c == ';') break;
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
        } else if (c == ',') {
            out.push_back({Token::Comma, ",", 0});
            ++i;
        } else if (c == ':') {
            out.push_back({Token::Colon, ":", 0});
            ++i;
        } else if (c == '"') {
            std::string s;
            ++i;
            for (;;) {
                if (i >= line.size()) throw AsmError{"unterminated string"};
                char d = line[i++];
                if (d == '"') break;
                if (d != '\\') {
                    s.push_back(d);
                    continue;
                }
                if (i >= line.size()) throw AsmError{"unterminated string"};
                d = line[i++];
                if (d == 'n')
                    s.push_back('\n');
                else if (d == 't')
                    s.push_back('\t');
                else if (d == '\\' || d == '"')
                    s.push_back(d);
                else if (d == 'x') {
                    auto hex = [&](char h) -> int {
                        if (h >= '0' && h <= '9') return h - '0';
                        if (h >= 'a' && h <= 'f') return h - 'a' + 10;
                        if (h >= 'A' && h <= 'F') return h - 'A' + 10;
                        throw AsmError{"bad \\x escape"};
                    };
                    if (i + 2 > line.size()) throw AsmError{"bad \\x escape"};
                    s.push_back(static_cast<char>(hex(line[i]) * 16 + hex(line[i + 1])));
                    i += 2;
                } else {
                    throw AsmError{std::string("unknown escape \\") + d};
                }
            }
            out.push_back({Token::String, std::move(s), 0});
        } else if (c == '-' || std::isdigit(static_cast<unsigned char>(c))) {
            size_t end = i + 1;
            while (end < line.size() && std::isalnum(static_cast<unsigned char>(line[end]))) ++end;
            const std::string text = line.substr(i, end - i);
            char* stop = nullptr;
            errno = 0;
            const long long v = std::strtoll(text.c_str(), &stop, 0);
            if (*stop || errno || v < -2147483648LL || v > 4294967295LL) throw AsmError{"bad number " + text};
            out.push_back({Token::Number, text, v});
            i = end;
        } else if (isWordChar(c, true)) {
            size_t end = i + 1;
            while (end < line.size() && isWordChar(line[end], false)) ++end;
            out.push_back({Token::Word, line.substr(i, end - i), 0});
            i = end;
        } else {
            throw AsmError{std::string("unexpected character '") + c + "'"};
        }
    }
    return out;
}

class Assembler {
public:
    void line(const std::string& text) {
        std::vector<Token> t = tokenize(text);
        size_t i = 0;
        if (t.size() >= 2 && t[0].kind == Token::Word && t[1].kind == Token::Colon) {
            define(t[0].text);
            i = 2;
        }
        if (i >= t.size()) return;
        if (t[i].kind != Token::Word) throw AsmError{"expected an instruction"};
        const std::string word = t[i].text;
        std::vector<std::vector<Token>> args = splitArgs(t, i + 1);
        if (!word.empty() && word[0] == '.')
            directive(word, args);
        else
            instruction(word, args);
    }

    G2ScriptImage finish() {
        for (const Fixup& f : fixups_) {
            auto it = symbols_.find(f.symbol);
            if (it == symbols_.end())
                throw AsmError{"line " + std::to_string(f.line) + ": undefined symbol " + f.symbol};
            if (f.where == Fixup::Code)
                le::store(image_.code.data() + f.at, it->second);
            else if (f.where == Fixup::Label)
                image_.labels[f.at].second = it->second;
            else
                image_.index[f.at] = it->second;
        }
        return std::move(image_);
    }

    int lineNo = 0;

private:
    struct Fixup {
        enum Where { Code, Label, Index } where;
        size_t at;
        std::string symbol;
        int line;
    };

    static std::vector<std::vector<Token>> splitArgs(const std::vector<Token>& t, size_t from) {
        std::vector<std::vector<Token>> args;
        if (from >= t.size()) return args;
        args.emplace_back();
        for (size_t i = from; i < t.size(); ++i) {
            if (t[i].kind == Token::Comma)
                args.emplace_back();
            else
                args.back().push_back(t[i]);
        }
        for (const auto& a : args)
            if (a.empty()) throw AsmError{"empty operand"};
        return args;
    }

    int32_t here() const { return static_cast<int32_t>(image_.code.size()); }

    void define(const std::string& name) {
        if (!symbols_.emplace(name, here()).second) throw AsmError{"symbol defined twice: " + name};
        if (name[0] != '@') image_.labels.emplace_back(name, here());
    }

    static int32_t number(const std::vector<Token>& a) {
        if (a.size() != 1 || a[0].kind != Token::Number) throw AsmError{"expected a number"};
        return static_cast<int32_t>(static_cast<uint32_t>(a[0].number));
    }
    static const std::string& string(const std::vector<Token>& a) {
        if (a.size() != 1 || a[0].kind != Token::String) throw AsmError{"expected a string"};
        return a[0].text;
    }
    // A number now, or a symbol resolved at the end into (where, at).
    int32_t target(const std::vector<Token>& a, Fixup::Where where, size_t at) {
        if (a.size() == 1 && a[0].kind == Token::Word) {
            fixups_.push_back({where, at, a[0].text, lineNo});
            return 0;
        }
        return number(a);
    }
    static void count(const std::vector<std::vector<Token>>& args, size_t lo, size_t hi) {
        if (args.size() < lo || args.size() > hi) throw AsmError{"wrong number of operands"};
    }

    void byte(uint8_t b) { image_.code.push_back(b); }
    void int32(int32_t v) { le::append(image_.code, v); }
    void str(const std::string& s) {
        int32(static_cast<int32_t>(s.size()));
        std::vector<uint8_t> bytes(s.begin(), s.end());
        scrambleBytes(bytes.data(), static_cast<uint32_t>(bytes.size()));
        image_.code.insert(image_.code.end(), bytes.begin(), bytes.end());
    }

    void directive(const std::string& word, const std::vector<std::vector<Token>>& args) {
        if (word == ".header" || word == ".trailer") {
            count(args, 1, 1);
            const std::string& s = string(args[0]);
            if (s.find('\x1b') != std::string::npos) throw AsmError{"a free text cannot hold 0x1B"};
            (word == ".header" ? image_.headerText : image_.trailerText) = s;
        } else if (word == ".readpoints") {
            count(args, 1, 1);
            image_.readPoints = number(args[0]);
        } else if (word == ".label") {
            count(args, 2, 2);
            image_.labels.emplace_back(string(args[0]), 0);
            image_.labels.back().second = target(args[1], Fixup::Label, image_.labels.size() - 1);
        } else if (word == ".index") {
            count(args, 1, 1);
            image_.index.push_back(0);
            image_.index.back() = target(args[0], Fixup::Index, image_.index.size() - 1);
        } else if (word == ".byte") {
            count(args, 1, SIZE_MAX);
            for (const auto& a : args) byte(static_cast<uint8_t>(number(a)));
        } else {
            throw AsmError{"unknown directive " + word};
        }
    }

    // A command argument: a number, a string or a variable such as vi0:3.
    void pushArg(const std::vector<Token>& a) {
        if (a.size() == 1 && a[0].kind == Token::Number) {
            byte(kOpPushInt);
            int32(number(a));
        } else if (a.size() == 1 && a[0].kind == Token::String) {
            byte(kOpPushString);
            str(a[0].text);
        } else if (a.size() == 3 && a[0].kind == Token::Word && a[1].kind == Token::Colon && byName(a[0].text) &&
                   byName(a[0].text)->op >= kOpVarInt0 && byName(a[0].text)->op <= kOpVarString2) {
            byte(byName(a[0].text)->op);
            int32(number({a[2]}));
        } else {
            throw AsmError{"bad command argument"};
        }
    }

    void instruction(const std::string& word, const std::vector<std::vector<Token>>& args) {
        const Mnemonic* m = byName(word);
        if (!m) throw AsmError{"unknown instruction " + word};
        if (m->op == kOpCommand && args.size() > 1) {
            byte(kOpFrame);
            for (size_t i = 1; i < args.size(); ++i) pushArg(args[i]);
            byte(kOpCommand);
            int32(number(args[0]));
            return;
        }
        // A call may name its return-point tag; the tag instruction follows it.
        const bool tagged = m->op == kOpCall || m->op == kOpFileCall || m->op == kOpLabelCall;
        switch (m->operand) {
            case Operand::None:
                count(args, 0, tagged ? 1 : 0);
                byte(m->op);
                break;
            case Operand::Int:
                count(args, 1, 1);
                byte(m->op);
                int32(number(args[0]));
                break;
            case Operand::String:
                count(args, 1, 1);
                byte(m->op);
                str(string(args[0]));
                break;
            case Operand::Target: {
                count(args, 1, tagged ? 2 : 1);
                byte(m->op);
                const size_t at = image_.code.size();
                int32(0);
                le::store(image_.code.data() + at, target(args[0], Fixup::Code, at));
                break;
            }
            case Operand::Block: {
                count(args, 1, 1);
                const std::string& s = string(args[0]);
                byte(m->op);
                int32(static_cast<int32_t>(s.size() + 4));
                int32(static_cast<int32_t>(s.size()));
                image_.code.insert(image_.code.end(), s.begin(), s.end());
                break;
            }
        }
        if (tagged && args.size() == (m->operand == Operand::Target ? 2u : 1u)) {
            byte(kOpTag);
            int32(number(args.back()));
        }
    }

    G2ScriptImage image_;
    std::map<std::string, int32_t> symbols_;
    std::vector<Fixup> fixups_;
};

// ---- disassembling ----

std::string quote(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out.push_back('\\');
            out.push_back(static_cast<char>(c));
        } else if (c >= 0x20 && c < 0x7f) {
            out.push_back(static_cast<char>(c));
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02x", c);
            out += buf;
        }
    }
    return out + "\"";
}

struct Decoded {
    uint32_t at;
    uint32_t size;      // bytes of the whole instruction
    const Mnemonic* m;  // null: raw bytes
    int32_t operand = 0;
    std::string text;
};

std::vector<Decoded> decode(const std::vector<uint8_t>& code) {
    std::vector<Decoded> out;
    const uint32_t n = static_cast<uint32_t>(code.size());
    uint32_t at = 0;
    auto raw = [&](uint32_t from, uint32_t size) { out.push_back({from, size, nullptr, 0, {}}); };
    while (at < n) {
        const Mnemonic* m = byOpcode(code[at]);
        const uint32_t left = n - at - 1;
        if (!m) {
            raw(at, 1);
            ++at;
            continue;
        }
        const uint8_t* p = code.data() + at + 1;
        Decoded d{at, 1, m, 0, {}};
        bool ok = true;
        switch (m->operand) {
            case Operand::None:
                break;
            case Operand::Int:
            case Operand::Target:
                ok = left >= 4;
                if (ok) d.operand = le::load<int32_t>(p), d.size = 5;
                break;
            case Operand::String: {
                ok = left >= 4;
                if (!ok) break;
                const int32_t len = le::load<int32_t>(p);
                // A negative length reads as empty but would not come back from the text.
                ok = len >= 0 && static_cast<uint32_t>(len) <= left - 4;
                if (!ok) break;
                std::vector<uint8_t> bytes(p + 4, p + 4 + len);
                unscrambleBytes(bytes.data(), static_cast<uint32_t>(bytes.size()));
                d.text.assign(bytes.begin(), bytes.end());
                d.size = 5 + static_cast<uint32_t>(len);
                break;
            }
            case Operand::Block: {
                ok = left >= 8;
                if (!ok) break;
                const int32_t outer = le::load<int32_t>(p), inner = le::load<int32_t>(p + 4);
                ok = inner >= 0 && int64_t{outer} == int64_t{inner} + 4 && static_cast<uint32_t>(inner) <= left - 8;
                if (!ok) break;
                d.text.assign(reinterpret_cast<const char*>(p + 8), static_cast<size_t>(inner));
                d.size = 9 + static_cast<uint32_t>(inner);
                break;
            }
        }
        if (!ok) {
            raw(at, n - at);
            break;
        }
        out.push_back(d);
        at += d.size;
    }
    return out;
}

}  // namespace

bool assembleScript(const std::string& text, G2ScriptImage& out, std::string& error) {
    Assembler a;
    size_t start = 0;
    try {
        while (start <= text.size()) {
            size_t end = text.find('\n', start);
            if (end == std::string::npos) end = text.size();
            ++a.lineNo;
            a.line(text.substr(start, end - start));
            start = end + 1;
        }
        out = a.finish();
    } catch (const AsmError& e) {
        error = e.message.rfind("line ", 0) == 0 ? e.message : "line " + std::to_string(a.lineNo) + ": " + e.message;
        return false;
    }
    return true;
}

std::string disassembleScript(const G2ScriptImage& image) {
    const std::vector<Decoded> code = decode(image.code);
    std::set<int32_t> starts;
    for (const Decoded& d : code)
        if (d.m) starts.insert(static_cast<int32_t>(d.at));
    starts.insert(static_cast<int32_t>(image.code.size()));
    std::set<int32_t> used;
    auto ref = [&](int32_t offset) -> std::string {
        if (!starts.count(offset)) return std::to_string(offset);
        used.insert(offset);
        char buf[16];
        std::snprintf(buf, sizeof buf, "@L%04x", static_cast<unsigned>(offset));
        return buf;
    };
    std::string head;
    head += ".header " + quote(image.headerText) + "\n";
    head += ".trailer " + quote(image.trailerText) + "\n";
    head += ".readpoints " + std::to_string(image.readPoints) + "\n";
    for (const auto& [name, offset] : image.labels) head += ".label " + quote(name) + ", " + ref(offset) + "\n";
    for (int32_t offset : image.index) head += ".index " + ref(offset) + "\n";
    std::vector<std::string> lines;
    for (const Decoded& d : code) {
        std::string line;
        if (!d.m) {
            line = ".byte ";
            for (uint32_t i = 0; i < d.size; ++i) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "%s0x%02x", i ? ", " : "", image.code[d.at + i]);
                line += buf;
            }
        } else {
            line = d.m->name;
            switch (d.m->operand) {
                case Operand::None:
                    break;
                case Operand::Int:
                    if (d.m->op == kOpCommand) {
                        char buf[16];
                        std::snprintf(buf, sizeof buf, " 0x%x", static_cast<uint32_t>(d.operand));
                        line += buf;
                    } else {
                        line += " " + std::to_string(d.operand);
                    }
                    break;
                case Operand::Target:
                    line += " " + ref(d.operand);
                    break;
                case Operand::String:
                    line += " " + quote(d.text);
                    break;
                case Operand::Block:
                    line += " " + quote(d.text);
                    break;
            }
        }
        lines.push_back(std::move(line));
    }
    std::string body;
    for (size_t i = 0; i < code.size(); ++i) {
        if (used.count(static_cast<int32_t>(code[i].at))) {
            char buf[16];
            std::snprintf(buf, sizeof buf, "@L%04x:", code[i].at);
            body += buf;
            body += "\n";
        }
        body += "    " + lines[i] + "\n";
    }
    if (used.count(static_cast<int32_t>(image.code.size()))) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "@L%04x:", static_cast<unsigned>(image.code.size()));
        body += std::string(buf) + "\n";
    }
    return head + body;
}

std::vector<uint8_t> scriptFileBytes(const G2ScriptImage& image) {
    TMemoryStream out;
    writeScriptImage(out, image);
    const uint8_t* p = out.getBuffer();
    return std::vector<uint8_t>(p, p + out.size());
}
