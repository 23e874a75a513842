#pragma once
// The match simulator's command line, read apart from running it so that every argument error
// can be checked without playing a match.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct MatchSimArgs {
    long east = 200;               // east-round matches
    long eastSouth = 50;           // east-and-south matches, played after the east-round ones
    std::optional<uint32_t> seed;  // of the first match, when one was given (else from the clock)
    int frames = 200000;           // scheduler passes before a match counts as stalled
    bool quiet = false;            // the summary line only (and the lines of failed matches)
    bool requireEvents = false;
    bool varyRules = false;
    bool network = false;
    bool handLog = false;      // each line holds every seat's hand at each deal and result
    bool tableClient = false;  // seat 0 through the table client instead of the scripted client
    bool help = false;         // --help: print the usage and play nothing
};

inline constexpr long kMaxMatchCount = 100000;

// Reads the arguments that follow the program name, in order; a later value of an option
// replaces an earlier one. Stops at --help. On a bad argument returns false with `error` set
// to one line that names the argument ("--east: expected a whole number from 0 to 100000,
// got 'abc'"); `out` is then partly filled and must not be used.
bool parseMatchSimArgs(const std::vector<std::string>& args, MatchSimArgs& out, std::string& error);

// The usage text, ending with a newline. The defaults it names are those of `defaults`: the
// values the arguments before --help gave, so a wrapper's own defaults show as what they are.
std::string matchSimUsage(const MatchSimArgs& defaults = {});
