#pragma once
// The table-client window program: the game window showing a free-play match of one east round,
// the human in seat 0 played by mouse against three computer players, through the real mode
// task, table client, screen and sound. A driver may stand in for the person: it is asked once
// per frame before the frame's input is read, and sees what the screen showed last.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class TGameFrameG2;
class TTaskMahjongAlone;

namespace mjtable {

struct TableOptions {
    // The first match's seed (each match after it takes the next); none takes one from the clock.
    std::optional<uint32_t> seed;
    // The folder holding "mj.pak"; empty: the "data" folder beside the program's "bin" folder.
    std::string dataDir;
    // Frames as fast as they can be drawn instead of every 16 ms; the game's clock still moves
    // 16 ms a frame.
    bool fast = false;
    // Stop (exit code 1) after this many frames; 0 never.
    int frameCap = 0;
    // Called once per frame before the input is read.
    std::function<void(TGameFrameG2& frame)> driver;
    // Called with each match before it starts, for a test to set up its seats.
    std::function<void(TTaskMahjongAlone& match)> prepareMatch;
    // The process instance name (one program of a name runs at a time).
    std::string instanceName = "MJTABLE";
};

struct TableOutcome {
    // The program's: 0 when the match was left from its end screen or the window was asked to
    // close, 1 when it could not run or ended otherwise.
    int exitCode = 0;
    bool finished = false;  // the match reached its end and the human left it
    bool closed = false;    // the window was asked to close (its close button, SIGINT or SIGTERM)
    int frames = 0;
    int matches = 0;
};

// Opens the window and plays until the human leaves the end screen (or the window closes).
TableOutcome runTable(const TableOptions& options);

}  // namespace mjtable
