#pragma once
// Hands written as short strings for the tests: "234m 55p 678s 111z".
// Digits then a suit letter: m characters, s bamboo, p circles, z honours (1-4 east..north,
// 5-7 the dragons); 0 is a red five. A token may start with a meld mark that gives its
// tiles their called states: "c:" chi, "p:" pon, "k:" open kan on a discard, "K:" added
// kan, "a:" concealed kan. "x" stands for a special tile (kind 34).
#include <stdexcept>
#include <string>
#include <string_view>

#include "mahjong/pai_array.h"

namespace mjtest {

inline mahjong::TPaiArray hand(std::string_view text) {
    using namespace mahjong;
    TPaiArray out;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && text[i] == ' ') ++i;
        if (i >= text.size()) break;
        char mark = 0;
        if (i + 1 < text.size() && text[i + 1] == ':') {
            mark = text[i];
            i += 2;
        }
        std::string digits;
        TPaiArray group;
        while (i < text.size() && text[i] != ' ') {
            const char c = text[i++];
            if (c >= '0' && c <= '9') {
                digits += c;
            } else if (c == 'x') {
                group.push_back(TPai(PAI_SPECIAL));
            } else {
                int base = 0;
                if (c == 'm') base = 0;
                else if (c == 's') base = 9;
                else if (c == 'p') base = 18;
                else if (c == 'z') base = 27;
                else throw std::invalid_argument(std::string("bad suit in ") + std::string(text));
                for (char d : digits) {
                    int n = d - '0';
                    uint8_t red = 0;
                    if (n == 0) {
                        n = 5;
                        red = 1;
                    }
                    if (c == 'z' && (n < 1 || n > 7)) throw std::invalid_argument("bad honour");
                    group.push_back(TPai(base + n - 1, PS_FREE, red));
                }
                digits.clear();
            }
        }
        if (!digits.empty()) throw std::invalid_argument("digits without a suit");
        for (size_t k = 0; k < group.size(); ++k) {
            TPai& t = group[k];
            switch (mark) {
                case 0: break;
                case 'c': t.state = PS_TI_LOW + static_cast<int>(k % 3); break;
                case 'p': t.state = PS_PON; break;
                case 'k': t.state = PS_MINKAN; break;
                case 'K': t.state = PS_KAKAN; break;
                case 'a': t.state = PS_ANKAN; break;
                default: throw std::invalid_argument("bad meld mark");
            }
            out.push_back(t);
        }
    }
    return out;
}

inline mahjong::TPai pai(std::string_view text) {
    auto a = hand(text);
    if (a.size() != 1) throw std::invalid_argument("one tile expected");
    return a.front();
}

}  // namespace mjtest
