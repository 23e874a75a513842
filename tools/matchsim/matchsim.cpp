// The match simulator: runs seeded matches of four computer players headless (seat 0 played by
// the same logic through the scripted client, or through the table client) and prints one JSON line per match and a
// summary. Exits with 1 when any match reports an error, breaks an invariant or stalls.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "args.h"
#include "game/mode/match_sim.h"
#include "platform/clock.h"

namespace {

// Matches done of the total on standard error, about once a second, when standard error is a
// terminal; the line is erased before a result line is printed and at the end, so a terminal
// showing both streams keeps only the results.
class Progress {
public:
    explicit Progress(long total) : total_(total), shown_(isatty(STDERR_FILENO) == 1) {}
    ~Progress() { erase(); }
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    void update(long done) {
        if (!shown_) return;
        const auto now = std::chrono::steady_clock::now();
        if (started_ && now - last_ < std::chrono::seconds(1)) return;
        started_ = true;
        last_ = now;
        std::fprintf(stderr, "\rmatchsim: %ld of %ld matches", done, total_);
        std::fflush(stderr);
        onScreen_ = true;
    }
    void erase() {
        if (!onScreen_) return;
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
        onScreen_ = false;
    }

private:
    long total_;
    bool shown_;
    bool started_ = false;
    bool onScreen_ = false;
    std::chrono::steady_clock::time_point last_;
};

}  // namespace

int main(int argc, char** argv) {
    MatchSimArgs args;
    std::string error;
    if (!parseMatchSimArgs(std::vector<std::string>(argv + 1, argv + argc), args, error)) {
        std::fprintf(stderr, "matchsim: %s\n", error.c_str());
        return 2;
    }
    if (args.help) {
        std::fputs(matchSimUsage(args).c_str(), stdout);
        return 0;
    }
    // Each result line reaches a pipe as soon as its match ends.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const long east = args.east, eastSouth = args.eastSouth;
    // The one place the program seeds from the clock; every line names its seed, so any match
    // can be played again.
    const uint32_t seed = args.seed ? *args.seed : static_cast<uint32_t>(platform::unixTime());
    const bool quiet = args.quiet, requireEvents = args.requireEvents, varyRules = args.varyRules,
               network = args.network;

    const auto start = std::chrono::steady_clock::now();
    long matches = 0, failed = 0, hands = 0, wins = 0, riichi = 0, calls = 0, draws = 0, exhaustive = 0;
    Progress progress(east + eastSouth);
    for (long m = 0; m < east + eastSouth; ++m) {
        progress.update(m);
        TMatchOptions options;
        options.seed = static_cast<uint32_t>(seed + m);
        options.eastSouth = m >= east;
        options.frameCap = args.frames;
        // Every character of the game mode takes its turn.
        options.network = network;
        options.handLog = args.handLog;
        options.tableClient = args.tableClient;
        const uint32_t characters = network ? 14u : 15u;
        for (uint32_t s = 0; s < 4; ++s) options.characters[s] = (options.seed * 7u + s * 4u) % characters;
        if (varyRules) {
            const uint32_t v = options.seed;
            options.ruleOptions = {5 + static_cast<int>(v % 4), 9 + static_cast<int>(v / 4 % 3),
                                   12 + static_cast<int>(v / 12 % 2), 14 + static_cast<int>(v / 24 % 2),
                                   16 + static_cast<int>(v / 48 % 2)};
        }
        const TMatchReport r = runMatch(options);
        ++matches;
        if (!r.ok()) ++failed;
        hands += r.hands;
        wins += r.wins;
        riichi += r.riichi;
        calls += r.calls;
        draws += r.draws;
        exhaustive += r.exhaustive;
        if (!quiet || !r.ok()) {
            progress.erase();
            std::printf("%s\n", r.toJson().c_str());
        }
    }
    progress.erase();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const bool eventsMissing = matches > 0 && (wins == 0 || riichi == 0 || calls == 0 || exhaustive == 0);
    std::printf(
        "{\"summary\":true,\"matches\":%ld,\"failed\":%ld,\"hands\":%ld,\"wins\":%ld,\"riichi\":%ld,"
        "\"calls\":%ld,\"draws\":%ld,\"exhaustive\":%ld,\"seconds\":%.3f}\n",
        matches, failed, hands, wins, riichi, calls, draws, exhaustive, seconds);
    if (failed > 0) return 1;
    if (requireEvents && eventsMissing) {
        std::fprintf(stderr, "matchsim: wins, riichi, calls or exhaustive draws never occurred\n");
        return 1;
    }
    return 0;
}
