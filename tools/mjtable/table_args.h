#pragma once
// The table program's command line, read apart from running it so that every argument error
// can be checked without opening a window.
#include <string>
#include <vector>

#include "table_app.h"

namespace mjtable {

struct TableArgs {
    TableOptions options;   // the seed, data folder and pace
    bool autoplay = false;  // a driver reading the screen plays the human's seat
    std::string shots;      // with autoplay: the folder for the screenshots
    bool help = false;      // --help: print the usage and play nothing
};

// Reads the arguments that follow the program name, in order. Stops at --help. On a bad
// argument returns false with `error` set to one line that names it.
bool parseTableArgs(const std::vector<std::string>& args, TableArgs& out, std::string& error);

// The usage text, ending with a newline.
const char* tableUsage();

}  // namespace mjtable
