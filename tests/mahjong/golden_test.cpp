// Scored hands kept as data: tests/mahjong/data/golden_hands.txt.
#include <fstream>
#include <sstream>
#include <string>

#include "judge_fixture.h"
#include "support/test_support.h"

using namespace mahjong;

namespace {

std::string trim(const std::string& s) {
    const size_t b = s.find_first_not_of(' ');
    if (b == std::string::npos) return "";
    return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

std::vector<std::string> split(const std::string& s, char sep) {
    std::vector<std::string> out;
    std::stringstream in(s);
    for (std::string part; std::getline(in, part, sep);) out.push_back(trim(part));
    return out;
}

int sourceOf(const std::string& s) {
    if (s == "tumo") return WS_TUMO;
    if (s == "shimo") return WS_SHIMO;
    if (s == "toimen") return WS_TOIMEN;
    if (s == "kami") return WS_KAMI;
    if (s == "rinshan") return WS_RINSHAN;
    throw std::invalid_argument("source " + s);
}

void applyFacts(const std::string& text, TJudgeFactsData& facts) {
    std::stringstream in(text);
    for (std::string tok; in >> tok;) {
        const size_t eq = tok.find('=');
        const std::string key = tok.substr(0, eq);
        const std::string value = eq == std::string::npos ? "" : tok.substr(eq + 1);
        if (key == "open")
            facts.closed = false;
        else if (key == "robbing")
            facts.robbing = true;
        else if (key == "seat")
            facts.seat = std::stoi(value);
        else if (key == "round")
            facts.round = std::stoi(value);
        else if (key == "turn")
            facts.turn = std::stoi(value);
        else if (key == "wall")
            facts.wall = std::stoi(value);
        else if (key == "riti")
            facts.riti = true, facts.ritiTurnValue = std::stoi(value);
        else if (key == "dora")
            facts.doras.push_back(mahjong::tileOf(value));
        else if (key == "ura")
            facts.uraDoras.push_back(mahjong::tileOf(value));
        else
            throw std::invalid_argument("fact " + tok);
    }
}

}  // namespace

class GoldenHands : public mjtest::JudgeTest {};

TEST_F(GoldenHands, EveryHandScoresAsWritten) {
    std::ifstream file(mjtest::sourceDir() / "tests/mahjong/data/golden_hands.txt");
    ASSERT_TRUE(file) << "golden_hands.txt not found";
    int cases = 0;
    for (std::string line; std::getline(file, line);) {
        if (trim(line).empty() || line[0] == '#') continue;
        SCOPED_TRACE(line);
        const auto f = split(line, '|');
        ASSERT_EQ(f.size(), 6u);
        facts = TJudgeFactsData();
        applyFacts(f[3], facts);
        const TJudge* j = best(f[0], f[1], sourceOf(f[2]));
        ASSERT_NE(j, nullptr);
        std::stringstream score(f[4]);
        int fu = 0, han = 0, points = 0;
        score >> fu >> han >> points;
        EXPECT_EQ(j->fu, fu);
        EXPECT_EQ(j->totalHan(), han);
        EXPECT_EQ(j->points, points);
        std::string yaku;
        for (const auto& [id, h] : j->yaku)
            yaku += (yaku.empty() ? "" : " ") + std::to_string(id) + ":" + std::to_string(h);
        std::string expected;
        for (const std::string& y : split(f[5], ' '))
            if (!y.empty()) expected += (expected.empty() ? "" : " ") + y;
        // Compare as sets: the checkers' order is theirs.
        auto sorted = [](std::string s) {
            auto parts = split(s, ' ');
            std::sort(parts.begin(), parts.end());
            std::string out;
            for (auto& p : parts) out += p + " ";
            return out;
        };
        EXPECT_EQ(sorted(yaku), sorted(expected));
        ++cases;
    }
    EXPECT_GE(cases, 30);
}
