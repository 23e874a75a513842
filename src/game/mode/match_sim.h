#pragma once
// One whole match run headless under its own scheduler: the free-play mode task with the
// scripted client in seat 0 and computer players in seats 1 to 3, every generator seeded from
// one number. It watches the match as it goes (the client's own table against the server's
// after every message, points and tiles conserved, no stall) and reports what happened. The
// match simulator tool and the tests drive it.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct TMatchOptions {
    uint32_t seed = 1;
    bool eastSouth = false;                          // east and south rounds; else the east round only
    std::array<uint32_t, 4> characters{0, 1, 2, 3};  // computer-player parameter keys per seat
    int frameCap = 200000;                           // scheduler passes before the match counts as stalled
    bool compareTables = true;                       // compare the client's table with the server's
    std::vector<int> ruleOptions;                    // the set-up screens' rule changes, applied to the default rule
    bool network = false;                            // the network mode task and parameter map instead of free play's
    bool handLog = false;                            // keep each seat's hand in tile notation at every deal and result
    bool tableClient = false;                        // seat 0 played through the table client by an automatic player
};

struct TMatchReport {
    uint32_t seed = 0;
    uint32_t serverSeed = 0;    // the server's generator (seating, deals, abilities)
    uint32_t tieBreakSeed = 0;  // the hand evaluators' tie-breaks
    bool eastSouth = false;
    std::vector<int> ruleOptions;
    bool network = false;
    bool finished = false;
    int frames = 0;
    int hands = 0;
    std::vector<int> points;  // per seat, final
    std::vector<int> ranks;   // per seat, 0 for the top
    int deposit = 0;          // riichi deposit left on the table
    int wins = 0;
    int riichi = 0;
    int calls = 0;        // pon, chi and kan
    int draws = 0;        // hands that ended without a win
    int exhaustive = 0;   // of those, by the end of the wall
    int messages = 0;     // messages seat 0 received
    int choices = 0;      // choices the table client asked of its automatic player
    int tableChecks = 0;  // comparisons of the client's table with the server's
    uint64_t digest = 0;  // of every message seat 0 received: equal runs give equal digests
    std::vector<std::string> errors;
    // With the hand log asked for: "deal N" or "result CODE", then " | ID HAND" for each seat in
    // seat order, the hand in tile notation (calls first).
    std::vector<std::string> handLog;

    bool ok() const { return finished && errors.empty(); }
    // One line of JSON; the hand log is in it when it holds anything.
    std::string toJson() const;
};

TMatchReport runMatch(const TMatchOptions& options);
