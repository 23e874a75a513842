// mjtable: a free-play match of one east round in the game window, the human in seat 0 played by
// mouse against three computer players. Exit code 0 when the match was played to its end screen
// and left, 1 when it could not run, 2 on a bad argument.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "png_file.h"
#include "screen_driver.h"
#include "table_app.h"

namespace {

int usage(const char* self) {
    std::fprintf(stderr,
                 "usage: %s [--seed N] [--data DIR] [--autoplay] [--fast] [--shots DIR]\n"
                 "  --seed N     the match's seed (default: from the clock)\n"
                 "  --data DIR   the folder holding mj.pak (default: ../data beside the program)\n"
                 "  --autoplay   a driver reading the screen plays the human's seat\n"
                 "  --fast       frames as fast as they draw (the game's clock still counts 16 ms each)\n"
                 "  --shots DIR  with --autoplay: screenshots of the table mid-hand, the first\n"
                 "               result page and the end screen\n",
                 self);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    mjtable::TableOptions options;
    bool autoplay = false;
    std::string shots;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool more = i + 1 < argc;
        if (a == "--seed" && more) {
            char* end = nullptr;
            const unsigned long v = std::strtoul(argv[++i], &end, 10);
            if (!end || *end || v == 0 || v > 0xFFFFFFFFul) return usage(argv[0]);
            options.seed = static_cast<uint32_t>(v);
        } else if (a == "--data" && more) {
            options.dataDir = argv[++i];
        } else if (a == "--shots" && more) {
            shots = argv[++i];
        } else if (a == "--autoplay") {
            autoplay = true;
        } else if (a == "--fast") {
            options.fast = true;
        } else {
            return usage(argv[0]);
        }
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
    if (outcome.exitCode == 0 && !outcome.finished) return 1;
    return outcome.exitCode;
}
