// The match simulator's command line: every argument error names the argument in one line, the
// ranges hold, a later value replaces an earlier one; and the program itself keeps its streams
// apart (results on standard output, line by line; errors and progress on standard error,
// progress only on a terminal) and exits 0, 1 or 2 as its usage says.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "args.h"

extern char** environ;

namespace {

struct Parsed {
    bool ok = false;
    MatchSimArgs args;
    std::string error;
};

Parsed parse(std::vector<std::string> args) {
    Parsed p;
    p.ok = parseMatchSimArgs(args, p.args, p.error);
    return p;
}

}  // namespace

TEST(MatchSimArgs, NothingGivenKeepsTheDefaults) {
    const Parsed p = parse({});
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.args.east, 200);
    EXPECT_EQ(p.args.eastSouth, 50);
    EXPECT_FALSE(p.args.seed.has_value());
    EXPECT_EQ(p.args.frames, 200000);
    EXPECT_FALSE(p.args.quiet || p.args.requireEvents || p.args.varyRules || p.args.network || p.args.handLog ||
                 p.args.help);
}

TEST(MatchSimArgs, ALaterValueReplacesAnEarlierOneAndFlagsLeaveCountsAlone) {
    // The run command puts its short default first: --quiet alone keeps it.
    Parsed p = parse({"--east", "4", "--east-south", "0", "--quiet"});
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.args.east, 4);
    EXPECT_EQ(p.args.eastSouth, 0);
    EXPECT_TRUE(p.args.quiet);
    p = parse({"--east", "4", "--east-south", "0", "--east", "10", "--east-south", "2", "--seed", "7", "--network",
               "--vary-rules", "--require-events", "--frames", "1", "--hand-log"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.args.east, 10);
    EXPECT_EQ(p.args.eastSouth, 2);
    EXPECT_EQ(p.args.seed, 7u);
    EXPECT_EQ(p.args.frames, 1);
    EXPECT_TRUE(p.args.network && p.args.varyRules && p.args.requireEvents && p.args.handLog);
}

TEST(MatchSimArgs, RangeEndsAreAccepted) {
    Parsed p = parse({"--seed", "0", "--east", "100000", "--east-south", "100000"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.args.seed, 0u);
    EXPECT_EQ(p.args.east + p.args.eastSouth, 200000);
    p = parse({"--seed", "4294967295", "--frames", "2147483647"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.args.seed, 4294967295u);
    EXPECT_EQ(p.args.frames, 2147483647);
}

TEST(MatchSimArgs, ABadArgumentIsNamedInOneLine) {
    const std::string counts = "expected a whole number from 0 to 100000, got ";
    const std::string seeds = "--seed: expected a whole number from 0 to 4294967295, got ";
    const std::string frames = "--frames: expected a whole number from 1 to 2147483647, got ";
    const struct {
        std::vector<std::string> args;
        std::string error;
    } cases[] = {
        {{"--east", "abc"}, "--east: " + counts + "'abc'"},
        {{"--east", "100001"}, "--east: " + counts + "'100001'"},
        {{"--east-south", "-1"}, "--east-south: " + counts + "'-1'"},
        {{"--east", "+5"}, "--east: " + counts + "'+5'"},
        {{"--east", " 5"}, "--east: " + counts + "' 5'"},
        {{"--east", "5x"}, "--east: " + counts + "'5x'"},
        {{"--east", ""}, "--east: " + counts + "''"},
        {{"--quiet", "--east"}, "--east: " + counts + "nothing"},
        // A larger seed is refused rather than wrapped.
        {{"--seed", "4294967296"}, seeds + "'4294967296'"},
        {{"--seed", "18446744073709551617"}, seeds + "'18446744073709551617'"},
        {{"--seed"}, seeds + "nothing"},
        {{"--frames", "0"}, frames + "'0'"},
        {{"--frames", "2147483648"}, frames + "'2147483648'"},
        {{"--east", "3", "--loud"}, "unknown argument '--loud' (--help lists the arguments)"},
        {{"--quiet=1"}, "unknown argument '--quiet=1' (--help lists the arguments)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        const Parsed p = parse(c.args);
        EXPECT_FALSE(p.ok);
        EXPECT_EQ(p.error, c.error);
    }
}

TEST(MatchSimArgs, HelpStopsTheReading) {
    const Parsed p = parse({"--east", "3", "--help", "--loud"});
    ASSERT_TRUE(p.ok);
    EXPECT_TRUE(p.args.help);
    EXPECT_EQ(matchSimUsage().rfind("usage: matchsim", 0), 0u);
}

// The defaults the usage names are the values in effect when --help is read: the program's own,
// or those a wrapper script gives before the arguments it passes on.
TEST(MatchSimArgs, TheUsageNamesTheDefaultsInEffect) {
    const std::string plain = matchSimUsage();
    for (const char* d : {"0 to 100000 (default 200)\n", "0 to 100000 (default 50)\n", "(default: from the clock)\n",
                          "(default 200000)\n"})
        EXPECT_NE(plain.find(d), std::string::npos) << d;
    const Parsed p = parse({"--east", "4", "--east-south", "0", "--seed", "9", "--help"});
    ASSERT_TRUE(p.ok);
    const std::string wrapped = matchSimUsage(p.args);
    for (const char* d : {"0 to 100000 (default 4)\n", "0 to 100000 (default 0)\n", "4294967295 (default 9)\n"})
        EXPECT_NE(wrapped.find(d), std::string::npos) << d;
}

namespace {

namespace fs = std::filesystem;

// The simulator run with its standard output on a pipe and its standard error on a pipe or,
// asked for, on a pseudo-terminal.
class SimRun {
public:
    SimRun(std::vector<std::string> args, bool errorOnTerminal = false) {
        const std::string program = (fs::read_symlink("/proc/self/exe").parent_path() / "matchsim").string();
        args.insert(args.begin(), program);
        int out[2], err[2] = {-1, -1};
        if (pipe(out) != 0) return;
        int childErr = -1;
        if (errorOnTerminal) {
            err[0] = posix_openpt(O_RDWR | O_NOCTTY);
            if (err[0] < 0 || grantpt(err[0]) != 0 || unlockpt(err[0]) != 0) return;
            childErr = open(ptsname(err[0]), O_RDWR | O_NOCTTY);
        } else if (pipe(err) == 0) {
            childErr = err[1];
        }
        if (childErr < 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, childErr, STDERR_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        posix_spawn_file_actions_addclose(&actions, err[0]);
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        close(childErr);
        out_ = out[0];
        err_ = err[0];
    }
    ~SimRun() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0) close(out_);
        if (err_ >= 0) close(err_);
    }
    SimRun(const SimRun&) = delete;
    SimRun& operator=(const SimRun&) = delete;

    bool started() const { return pid_ > 0; }

    // Reads both streams to their ends, then the exit code (-1 unless it exited).
    int finish() {
        out += drain(out_);
        err += drain(err_);
        int status = 0;
        const pid_t done = waitpid(pid_, &status, 0);
        pid_ = -1;
        return done > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // The first bytes that reach standard output, in one read (waits up to two minutes).
    std::string firstOutput() {
        pollfd p{out_, POLLIN, 0};
        if (poll(&p, 1, 120000) != 1) return {};
        char buf[65536];
        const ssize_t n = read(out_, buf, sizeof buf);
        return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
    }

    std::string out, err;

private:
    // A pseudo-terminal reports its end (the child's side closed) as an error, not as zero.
    static std::string drain(int fd) {
        std::string all;
        char buf[4096];
        ssize_t n;
        while ((n = read(fd, buf, sizeof buf)) > 0) all.append(buf, static_cast<size_t>(n));
        return all;
    }

    pid_t pid_ = -1;
    int out_ = -1, err_ = -1;
};

int lines(const std::string& s) {
    int n = 0;
    for (const char c : s) n += c == '\n';
    return n;
}

}  // namespace

TEST(MatchSimProgram, HelpPrintsTheUsageAndSucceeds) {
    SimRun run({"--east", "4", "--help"});
    ASSERT_TRUE(run.started());
    EXPECT_EQ(run.finish(), 0);
    MatchSimArgs shown;
    shown.east = 4;
    EXPECT_EQ(run.out, matchSimUsage(shown));
    EXPECT_EQ(run.err, "");
}

TEST(MatchSimProgram, ABadArgumentIsOneLineOnStandardErrorAndExitTwo) {
    SimRun run({"--east", "abc"});
    ASSERT_TRUE(run.started());
    EXPECT_EQ(run.finish(), 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "matchsim: --east: expected a whole number from 0 to 100000, got 'abc'\n");
}

TEST(MatchSimProgram, ResultsGoToStandardOutputAndNoProgressToAPipe) {
    SimRun run({"--east", "2", "--east-south", "0", "--seed", "5"});
    ASSERT_TRUE(run.started());
    EXPECT_EQ(run.finish(), 0);
    EXPECT_EQ(lines(run.out), 3);  // two matches and the summary
    EXPECT_NE(run.out.find("{\"seed\":6,"), std::string::npos);
    EXPECT_NE(run.out.find("{\"summary\":true,\"matches\":2,"), std::string::npos);
    EXPECT_EQ(run.err, "");
}

TEST(MatchSimProgram, ProgressIsShownOnATerminalAndErasedAtTheEnd) {
    SimRun run({"--east", "1", "--east-south", "0", "--quiet"}, true);
    ASSERT_TRUE(run.started());
    EXPECT_EQ(run.finish(), 0);
    EXPECT_EQ(lines(run.out), 1);  // the summary only
    EXPECT_NE(run.err.find("\rmatchsim: 0 of 1 matches"), std::string::npos) << run.err;
    EXPECT_GE(run.err.size(), 4u);
    EXPECT_EQ(run.err.substr(run.err.size() - 4), "\r\033[K");
}

TEST(MatchSimProgram, EachResultLineIsWrittenWhenItsMatchEnds) {
    // A pipe is block-buffered by default: the first output would then be a whole buffer of
    // many lines, cut in the middle of one.
    SimRun run({"--east", "100000"});
    ASSERT_TRUE(run.started());
    const std::string first = run.firstOutput();
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(first.back(), '\n');
    EXPECT_LT(first.size(), 4096u);
}
