#include "mahjong/notation.h"

#include <cstdio>
#include <stdexcept>

namespace mahjong {

namespace {

int suitBase(char c) {
    switch (c) {
        case 'm':
            return PAI_M1;
        case 's':
            return PAI_S1;
        case 'p':
            return PAI_P1;
        case 'z':
            return PAI_EAST;
        default:
            return -1;
    }
}

// The called state a mark gives the tile at this position of its group; -1 for no such mark.
int markedState(char mark, size_t position) {
    switch (mark) {
        case 'c':
            return PS_TI_LOW + static_cast<int>(position % 3);
        case 'p':
            return PS_PON;
        case 'k':
            return PS_MINKAN;
        case 'K':
            return PS_KAKAN;
        case 'a':
            return PS_ANKAN;
        default:
            return -1;
    }
}

// The mark of a state; 0 for a state written as free.
char markOf(int state) {
    if (state >= PS_TI_LOW && state <= PS_TI_HIGH) return 'c';
    switch (state) {
        case PS_PON:
            return 'p';
        case PS_MINKAN:
            return 'k';
        case PS_KAKAN:
            return 'K';
        case PS_ANKAN:
            return 'a';
        default:
            return 0;
    }
}

std::string shown(char c) {
    const auto u = static_cast<unsigned char>(c);
    char buf[8];
    if (u >= 0x20 && u < 0x7F)
        std::snprintf(buf, sizeof buf, "'%c'", c);
    else
        std::snprintf(buf, sizeof buf, "\\x%02X", u);
    return buf;
}

// The suit letter of a kind ('x', 'y' for the special tiles, '?' for none) and the digit it is
// written with (0 when the letter stands alone).
char suitLetter(int kind) {
    if (kind >= 0 && kind <= 8) return 'm';
    if (kind >= 9 && kind <= 17) return 's';
    if (kind >= 18 && kind <= 26) return 'p';
    if (isHonourKind(kind)) return 'z';
    if (kind == PAI_SPECIAL) return 'x';
    if (kind == PAI_SPECIAL2) return 'y';
    return '?';
}

char digitOf(const TPai& t) {
    if (isSuitKind(t.kind)) return t.red && kindNumber(t.kind) == 5 ? '0' : static_cast<char>('0' + kindNumber(t.kind));
    if (isHonourKind(t.kind)) return static_cast<char>('1' + t.kind - PAI_EAST);
    return 0;
}

// Appends tiles in the compact form: digits gathered until the suit changes.
class TRunWriter {
public:
    explicit TRunWriter(std::string& out) : out_(out) {}
    void add(const TPai& t) {
        const char letter = suitLetter(t.kind);
        const char digit = digitOf(t);
        if (letter != pending_) close();
        if (!digit) {
            out_ += letter;
            return;
        }
        out_ += digit;
        pending_ = letter;
    }
    void close() {
        if (pending_) out_ += pending_;
        pending_ = 0;
    }

private:
    std::string& out_;
    char pending_ = 0;
};

}  // namespace

bool parseTiles(std::string_view text, TPaiArray& out, std::string* error) {
    out.clear();
    TPaiArray tiles;
    auto fail = [&](size_t column, const std::string& what) {
        if (error) *error = "column " + std::to_string(column) + ": " + what;
        return false;
    };
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ' ') {
            ++i;
            continue;
        }
        const size_t groupColumn = i;
        char mark = 0;
        if (i + 1 < text.size() && text[i + 1] == ':') {
            mark = text[i];
            if (markedState(mark, 0) < 0) return fail(i, "unknown meld mark " + shown(mark));
            i += 2;
        }
        const size_t groupStart = tiles.size();
        size_t digitsColumn = 0;
        std::string digits;
        for (; i < text.size() && text[i] != ' '; ++i) {
            const char c = text[i];
            if (c >= '0' && c <= '9') {
                if (digits.empty()) digitsColumn = i;
                digits += c;
                continue;
            }
            if (c == 'x' || c == 'y') {
                if (!digits.empty()) return fail(digitsColumn, "digits without a suit letter");
                tiles.push_back(TPai(c == 'x' ? PAI_SPECIAL : PAI_SPECIAL2));
                continue;
            }
            const int base = suitBase(c);
            if (base < 0) return fail(i, "unexpected " + shown(c));
            if (digits.empty()) return fail(i, "suit letter without digits");
            for (size_t k = 0; k < digits.size(); ++k) {
                const int n = digits[k] - '0';
                if (c == 'z') {
                    if (n < 1 || n > 7) return fail(digitsColumn + k, "an honour is numbered 1 to 7");
                    tiles.push_back(TPai(base + n - 1));
                } else {
                    tiles.push_back(n == 0 ? TPai(base + 4, PS_FREE, 1) : TPai(base + n - 1));
                }
            }
            digits.clear();
        }
        if (!digits.empty()) return fail(digitsColumn, "digits without a suit letter");
        if (mark) {
            if (tiles.size() == groupStart) return fail(groupColumn, "meld mark without tiles");
            for (size_t k = groupStart; k < tiles.size(); ++k) tiles[k].state = markedState(mark, k - groupStart);
        }
    }
    out = std::move(tiles);
    return true;
}

TPaiArray tilesOf(std::string_view text) {
    TPaiArray out;
    std::string error;
    if (!parseTiles(text, out, &error))
        throw std::invalid_argument("bad tile text \"" + std::string(text) + "\": " + error);
    return out;
}

TPai tileOf(std::string_view text) {
    const TPaiArray tiles = tilesOf(text);
    if (tiles.size() != 1) throw std::invalid_argument("one tile expected in \"" + std::string(text) + "\"");
    return tiles.front();
}

std::string formatTiles(const TPaiArray& tiles) {
    std::string out;
    TRunWriter run(out);
    bool afterGroup = false;  // the last thing written was a meld group: the next needs a space
    size_t i = 0;
    while (i < tiles.size()) {
        const char mark = markOf(tiles[i].state);
        if (!mark) {
            if (afterGroup) out += ' ';
            afterGroup = false;
            run.add(tiles[i++]);
            continue;
        }
        run.close();
        if (!out.empty()) out += ' ';
        out += mark;
        out += ':';
        // One meld to a group: a chi of three in its positions, a pon of three, a kan of four.
        const size_t most = mark == 'c' || mark == 'p' ? 3 : 4;
        size_t n = 0;
        while (i < tiles.size() && n < most && markOf(tiles[i].state) == mark &&
               (n == 0 || mark != 'c' || tiles[i].state == markedState('c', n))) {
            run.add(tiles[i++]);
            ++n;
        }
        run.close();
        afterGroup = true;
    }
    run.close();
    return out;
}

std::string formatTile(const TPai& tile) {
    std::string out;
    TRunWriter run(out);
    run.add(tile);
    run.close();
    return out;
}

}  // namespace mahjong
