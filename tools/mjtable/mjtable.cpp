// mjtable: a free-play match of one east round in the game window, the human in seat 0 played by
// mouse against three computer players. Exit code 0 when the match was played to its end screen
// and left or the program was asked to end, 1 when it could not run, 2 on a bad argument.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "png_file.h"
#include "screen_driver.h"
#include "table_app.h"
#include "table_args.h"

int main(int argc, char** argv) {
    mjtable::TableArgs args;
    std::string error;
    if (!mjtable::parseTableArgs(std::vector<std::string>(argv + 1, argv + argc), args, error)) {
        std::fprintf(stderr, "mjtable: %s\n", error.c_str());
        return 2;
    }
    if (args.help) {
        std::fputs(mjtable::tableUsage(), stdout);
        return 0;
    }
    mjtable::TableOptions& options = args.options;
    const bool autoplay = args.autoplay;
    const std::string shots = args.shots;
    // The one place the program seeds from the clock; the seed is said, so the match can be
    // played again.
    if (!options.seed) {
        options.seed = static_cast<uint32_t>(std::time(nullptr));
        std::fprintf(stderr, "mjtable: seed %u (--seed %u plays this match again)\n", *options.seed, *options.seed);
    }
    mjtable::ScreenDriver driver;
    if (autoplay) {
        driver.setWatcher([&shots](TGameFrameG2& frame, mjtable::ScreenDriver::Sight s, int count) {
            using S = mjtable::ScreenDriver::Sight;
            static bool midhand = false;
            const char* name = nullptr;
            if (s == S::OwnDraw && !midhand && mjtable::ownDiscardsShown() == 5) {
                midhand = true;
                name = "midhand";
            } else if ((s == S::Result || s == S::DrawResult) && count == 1) {
                name = "result";
            } else if (s == S::Final && count == 1) {
                name = "final";
            }
            if (shots.empty() || !name) return;
            int w = 0, h = 0;
            std::vector<uint32_t> px;
            const std::string path = shots + "/" + name + ".png";
            if (!mjtable::grabWindow(frame, w, h, px) || !mjtable::writePng(path, w, h, px))
                std::fprintf(stderr, "mjtable: could not save %s\n", path.c_str());
        });
        options.driver = std::ref(driver);
    }
    const mjtable::TableOutcome outcome = mjtable::runTable(options);
    if (autoplay)
        std::fprintf(stderr, "mjtable: %d frames, %d clicks, %d discards, %d wins, %d result pages\n", outcome.frames,
                     driver.clicks(), driver.discards(), driver.wins(), driver.resultPages());
    return outcome.exitCode;
}
