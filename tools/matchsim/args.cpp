#include "args.h"

#include <limits>

namespace {

// A whole number in decimal digits only: no sign, no spaces, nothing after it.
std::optional<uint64_t> wholeNumber(const std::string& text) {
    if (text.empty() || text.size() > 19) return std::nullopt;
    uint64_t v = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + static_cast<uint64_t>(c - '0');
    }
    return v;
}

// Reads the value after option `i` into `out` when it lies in [low, high].
template <typename T>
bool readNumber(const std::vector<std::string>& args, size_t& i, uint64_t low, uint64_t high, T& out,
                std::string& error) {
    const std::string& name = args[i];
    const auto describe = [&](const std::string& got) {
        error = name + ": expected a whole number from " + std::to_string(low) + " to " + std::to_string(high) +
                ", got " + got;
    };
    if (i + 1 >= args.size()) {
        describe("nothing");
        return false;
    }
    const std::string& text = args[++i];
    const std::optional<uint64_t> v = wholeNumber(text);
    if (!v || *v < low || *v > high) {
        describe("'" + text + "'");
        return false;
    }
    out = static_cast<T>(*v);
    return true;
}

}  // namespace

bool parseMatchSimArgs(const std::vector<std::string>& args, MatchSimArgs& out, std::string& error) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        bool ok = true;
        if (a == "--east")
            ok = readNumber(args, i, 0, kMaxMatchCount, out.east, error);
        else if (a == "--east-south")
            ok = readNumber(args, i, 0, kMaxMatchCount, out.eastSouth, error);
        else if (a == "--frames")
            ok = readNumber(args, i, 1, std::numeric_limits<int>::max(), out.frames, error);
        else if (a == "--seed") {
            uint32_t seed = 0;
            ok = readNumber(args, i, 0, std::numeric_limits<uint32_t>::max(), seed, error);
            if (ok) out.seed = seed;
        } else if (a == "--quiet")
            out.quiet = true;
        else if (a == "--require-events")
            out.requireEvents = true;
        else if (a == "--vary-rules")
            out.varyRules = true;
        else if (a == "--network")
            out.network = true;
        else if (a == "--hand-log")
            out.handLog = true;
        else if (a == "--table-client")
            out.tableClient = true;
        else if (a == "--help" || a == "-h") {
            out.help = true;
            return true;
        } else {
            error = "unknown argument '" + a + "' (--help lists the arguments)";
            return false;
        }
        if (!ok) return false;
    }
    return true;
}

std::string matchSimUsage(const MatchSimArgs& defaults) {
    const auto is = [](auto v) { return std::string("(default ").append(std::to_string(v)).append(")"); };
    std::string text =
        "usage: matchsim [--east N] [--east-south N] [--seed S] [--frames N] [--quiet] [--require-events]\n"
        "                [--vary-rules] [--network] [--hand-log] [--table-client]\n"
        "                [--help]\n";
    text.append("  --east N          east-round matches, 0 to 100000 ").append(is(defaults.east));
    text.append("\n  --east-south N    east-and-south matches, 0 to 100000 ").append(is(defaults.eastSouth));
    text.append(
            "\n  --seed S          seed of the first match, 0 to 4294967295; each further match takes the\n"
            "                    next, wrapping to 0 after 4294967295 ")
        .append(defaults.seed ? is(*defaults.seed) : "(default: from the clock)");
    text.append(
            "\n  --frames N        scheduler passes before a match counts as stalled, at least 1\n"
            "                    ")
        .append(is(defaults.frames));
    text.append(
        "\n"
        "  --quiet           print the summary line only (and the lines of failed matches)\n"
        "  --require-events  fail unless wins, riichi, calls and exhaustive draws all occurred\n"
        "  --vary-rules      give each match its own red fives, start points, open all-simples,\n"
        "                    split-wall and no-win-penalty settings, chosen by its seed\n"
        "  --network         the network match with the lobby's characters 0 to 13\n"
        "  --hand-log        add each seat's hand in tile notation at every deal and result\n"
        "  --table-client    play seat 0 through the table client with an automatic player\n"
        "  --help            print this and exit\n"
        "One JSON line per match and a summary line go to standard output; progress goes to\n"
        "standard error when it is a terminal. Exits with 1 when a match fails, 2 on a bad argument.\n");
    return text;
}
