// The programs' command lines, as a person types them: --help prints the usage on standard
// output and succeeds; a bad argument is named in one line on standard error, exits with 2 and
// does nothing else (no kit written into a folder named after it). The table program's seed takes
// every value from 0 up.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/test_support.h"
#include "table_args.h"

namespace {

struct Outcome {
    int code = -1;
    std::string out, err;
};

std::string fileText(const std::filesystem::path& file) {
    std::ifstream in(file);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs the program in a folder of its own; afterwards the folder holds only the two outputs.
Outcome runIn(const mjtest::TempDir& dir, const std::string& program, const std::string& args) {
    const std::string line = "cd '" + dir.str() + "' && '" + program + "' " + args + " >out.txt 2>err.txt";
    const int status = std::system(line.c_str());
    Outcome r;
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = fileText(dir.path() / "out.txt");
    r.err = fileText(dir.path() / "err.txt");
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) ++entries;
    EXPECT_EQ(entries, 2) << program << " " << args << " left something behind";
    return r;
}

mjtable::TableArgs tableArgs(const std::vector<std::string>& args, std::string* error = nullptr) {
    mjtable::TableArgs out;
    std::string e;
    const bool ok = mjtable::parseTableArgs(args, out, e);
    EXPECT_EQ(ok, e.empty());
    if (error) *error = e;
    return out;
}

}  // namespace

TEST(ProgramArguments, HelpPrintsTheUsageOnStandardOutputAndSucceeds) {
    for (const auto& [program, usage] : {std::pair<std::string, std::string>{MJ_GAME_PROGRAM, "usage: mj-game "},
                                         {MJ_TABLE_PROGRAM, mjtable::tableUsage()},
                                         {MJ_KIT_PROGRAM, "usage: mjkit "}}) {
        for (const char* args : {"--help", "-h"}) {
            mjtest::TempDir dir;
            const Outcome r = runIn(dir, program, args);
            EXPECT_EQ(r.code, 0) << program << " " << args;
            EXPECT_EQ(r.out.rfind(usage, 0), 0u) << program << " " << args << ":\n" << r.out;
            EXPECT_EQ(r.err, "") << program << " " << args;
        }
    }
}

TEST(ProgramArguments, ABadArgumentIsNamedInOneLineAndExitsWithTwo) {
    const struct {
        std::string program, args, error;
    } cases[] = {
        {MJ_GAME_PROGRAM, "--bogus", "mahjong: unknown argument '--bogus' (--help lists the arguments)"},
        {MJ_GAME_PROGRAM, "--lobby there:99999", "mahjong: \"there:99999\" is no HOST or HOST:PORT"},
        {MJ_TABLE_PROGRAM, "--seed -1", "mjtable: --seed: expected a whole number from 0 to 4294967295, got '-1'"},
        {MJ_TABLE_PROGRAM, "--fast --frobnicate",
         "mjtable: unknown argument '--frobnicate' (--help lists the arguments)"},
        {MJ_KIT_PROGRAM, "--bogus", "mjkit: unknown argument '--bogus' (--help lists the arguments)"},
        {MJ_KIT_PROGRAM, "", "mjkit: expected the folder to write the kit into (--help lists the arguments)"},
        {MJ_KIT_PROGRAM, "one two", "mjkit: one folder only, got 'one' and 'two'"},
    };
    for (const auto& c : cases) {
        mjtest::TempDir dir;
        const Outcome r = runIn(dir, c.program, c.args);
        EXPECT_EQ(r.code, 2) << c.program << " " << c.args;
        EXPECT_EQ(r.out, "") << c.program << " " << c.args;
        EXPECT_EQ(r.err, c.error + "\n") << c.program << " " << c.args;
    }
}

TEST(TableArguments, TheSeedTakesEveryValueFromZeroAndABadOneIsNamed) {
    EXPECT_FALSE(tableArgs({}).options.seed) << "no seed given: the program takes one from the clock";
    EXPECT_EQ(tableArgs({"--seed", "0"}).options.seed, 0u);
    EXPECT_EQ(tableArgs({"--seed", "4294967295"}).options.seed, 4294967295u);
    EXPECT_EQ(tableArgs({"--seed", "5", "--seed", "6"}).options.seed, 6u) << "a later value replaces an earlier one";
    const mjtable::TableArgs all = tableArgs({"--data", "d", "--autoplay", "--fast", "--shots", "s"});
    EXPECT_EQ(all.options.dataDir, "d");
    EXPECT_EQ(all.shots, "s");
    EXPECT_TRUE(all.autoplay && all.options.fast);
    EXPECT_TRUE(tableArgs({"--help", "--bogus"}).help) << "--help stops the reading";

    const std::string seedError = "--seed: expected a whole number from 0 to 4294967295, got ";
    for (const auto& [args, error] : std::initializer_list<std::pair<std::vector<std::string>, std::string>>{
             {{"--seed", "4294967296"}, seedError + "'4294967296'"},
             {{"--seed", "99999999999999999999"}, seedError + "'99999999999999999999'"},
             {{"--seed", ""}, seedError + "''"},
             {{"--seed", "+1"}, seedError + "'+1'"},
             {{"--seed", "12a"}, seedError + "'12a'"},
             {{"--seed"}, seedError + "nothing"},
             {{"--shots"}, "--shots: expected a folder, got nothing"},
             {{"--seed=1"}, "unknown argument '--seed=1' (--help lists the arguments)"}}) {
        std::string got;
        tableArgs(args, &got);
        EXPECT_EQ(got, error);
    }
}
