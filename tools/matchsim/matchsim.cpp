// The match simulator: runs seeded matches of four computer players headless (seat 0 played by
// the same logic through the scripted client) and prints one JSON line per match and a summary.
// Exits with 1 when any match reports an error, breaks an invariant or stalls.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "game/mode/match_sim.h"
#include "platform/clock.h"

namespace {

void usage() {
    std::fprintf(stderr,
                 "usage: matchsim [--east N] [--east-south N] [--seed S] [--frames N] [--quiet] [--require-events]\n"
                 "  --east N          east-round matches (default 200)\n"
                 "  --east-south N    east-and-south matches (default 50)\n"
                 "  --seed S          seed of the first match; each further match takes the next (default: from the clock)\n"
                 "  --frames N        scheduler passes before a match counts as stalled (default 200000)\n"
                 "  --quiet           print the summary line only\n"
                 "  --require-events  fail unless wins, riichi, calls and exhaustive draws all occurred\n"
                 "  --vary-rules      give each match its own red fives, start points, open all-simples,\n"
                 "                    split-wall and no-win-penalty settings, chosen by its seed\n"
                 "  --network         the network match with the lobby's characters 0 to 13\n");
}

bool readCount(const char* text, long& out) {
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (!end || *end != '\0' || v < 0) return false;
    out = v;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    long east = 200, eastSouth = 50, seed = -1, frames = 200000;
    bool quiet = false, requireEvents = false, varyRules = false, network = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        long* target = nullptr;
        if (a == "--east") target = &east;
        else if (a == "--east-south") target = &eastSouth;
        else if (a == "--seed") target = &seed;
        else if (a == "--frames") target = &frames;
        else if (a == "--quiet") quiet = true;
        else if (a == "--require-events") requireEvents = true;
        else if (a == "--vary-rules") varyRules = true;
        else if (a == "--network") network = true;
        else {
            usage();
            return 2;
        }
        if (target && (i + 1 >= argc || !readCount(argv[++i], *target))) {
            usage();
            return 2;
        }
    }

    // The one place the program seeds from the clock; every line names its seed, so any match
    // can be played again.
    if (seed < 0) seed = static_cast<long>(static_cast<uint32_t>(platform::unixTime()));

    const auto start = std::chrono::steady_clock::now();
    long matches = 0, failed = 0, hands = 0, wins = 0, riichi = 0, calls = 0, draws = 0, exhaustive = 0;
    for (long m = 0; m < east + eastSouth; ++m) {
        TMatchOptions options;
        options.seed = static_cast<uint32_t>(seed + m);
        options.eastSouth = m >= east;
        options.frameCap = static_cast<int>(frames);
        // Every character of the game mode takes its turn.
        options.network = network;
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
        if (!quiet || !r.ok()) std::printf("%s\n", r.toJson().c_str());
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const bool eventsMissing = matches > 0 && (wins == 0 || riichi == 0 || calls == 0 || exhaustive == 0);
    std::printf("{\"summary\":true,\"matches\":%ld,\"failed\":%ld,\"hands\":%ld,\"wins\":%ld,\"riichi\":%ld,"
                "\"calls\":%ld,\"draws\":%ld,\"exhaustive\":%ld,\"seconds\":%.3f}\n",
                matches, failed, hands, wins, riichi, calls, draws, exhaustive, seconds);
    if (failed > 0) return 1;
    if (requireEvents && eventsMissing) {
        std::fprintf(stderr, "matchsim: wins, riichi, calls or exhaustive draws never occurred\n");
        return 1;
    }
    return 0;
}
