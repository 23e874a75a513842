#pragma once
// Tiles written as short text: "123m456p789s11z", "234m 55p 678s 111z".
//
// Digits then a suit letter: m characters, s bamboo, p circles, z honours (1-4 east..north,
// 5-7 white, green, red); 0 is a red five of a suit. "x" and "y" are the two special tiles
// (kinds 34 and 35). Spaces separate groups and may be left out between free tiles. A group may
// start with a meld mark that gives all its tiles their called state: "c:" chi (the tiles take
// the lowest, middle and highest positions in turn), "p:" pon, "k:" open kan on a discard, "K:"
// added kan, "a:" concealed kan. Every other tile is free.
#include <string>
#include <string_view>

#include "mahjong/pai_array.h"

namespace mahjong {

// Reads tiles in the order written into out (replacing what it held). On bad text returns false,
// leaves out empty and, when error is given, puts there a one-line text naming the fault and its
// column (0-based).
bool parseTiles(std::string_view text, TPaiArray& out, std::string* error = nullptr);

// For text written into the program (tests, tools): the tiles, or std::invalid_argument with the
// parse error. tileOf expects exactly one tile.
TPaiArray tilesOf(std::string_view text);
TPai tileOf(std::string_view text);

// Writes tiles in their order: free tiles in the compact form ("123m45p"), each meld group on its
// own behind its mark, groups separated by a space. What parseTiles reads back is equal in kind,
// red flag and state for every text parseTiles accepted. States the notation has no mark for (the
// winning-hand search's) are written as free; a red flag on a tile other than a suited five is
// dropped; a kind outside 0-35 is written "?" (which does not read back).
std::string formatTiles(const TPaiArray& tiles);
// One tile: "5m", "0p", "7z", "x".
std::string formatTile(const TPai& tile);

}  // namespace mahjong
