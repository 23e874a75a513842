#include "table_args.h"

namespace mjtable {

bool parseTableArgs(const std::vector<std::string>& args, TableArgs& out, std::string& error) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool more = i + 1 < args.size();
        if (a == "--help" || a == "-h") {
            out.help = true;
            return true;
        } else if (a == "--seed") {
            const std::string text = more ? args[++i] : std::string();
            uint64_t v = 0;
            bool ok = !text.empty() && text.size() <= 10;
            for (const char c : text) {
                ok = ok && c >= '0' && c <= '9';
                v = v * 10 + static_cast<uint64_t>(c - '0');
            }
            if (!ok || v > 0xFFFFFFFFu) {
                error = "--seed: expected a whole number from 0 to 4294967295, got ";
                error += more ? "'" + text + "'" : std::string("nothing");
                return false;
            }
            out.options.seed = static_cast<uint32_t>(v);
        } else if (a == "--data" || a == "--shots") {
            if (!more) {
                error = a + ": expected a folder, got nothing";
                return false;
            }
            (a == "--data" ? out.options.dataDir : out.shots) = args[++i];
        } else if (a == "--autoplay") {
            out.autoplay = true;
        } else if (a == "--fast") {
            out.options.fast = true;
        } else {
            error = "unknown argument '" + a + "' (--help lists the arguments)";
            return false;
        }
    }
    return true;
}

const char* tableUsage() {
    return "usage: mjtable [--seed N] [--data DIR] [--autoplay] [--fast] [--shots DIR] [--help]\n"
           "  --seed N     the first match's seed, 0 to 4294967295, each match after it taking the next\n"
           "               (default: from the clock, printed at the start so the match can be played again)\n"
           "  --data DIR   the folder holding mj.pak (default: ../data beside the program)\n"
           "  --autoplay   a driver reading the screen plays the human's seat\n"
           "  --fast       frames as fast as they draw (the game's clock still counts 16 ms each)\n"
           "  --shots DIR  with --autoplay: screenshots of the table mid-hand, the first\n"
           "               result page and the end screen\n"
           "  --help       print this and exit\n"
           "Exits with 0 when the match was played to its end screen and left or the program was asked\n"
           "to end (its window closed, SIGINT, SIGTERM), 1 when it could not run, 2 on a bad argument.\n";
}

}  // namespace mjtable
