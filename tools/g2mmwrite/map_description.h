#pragma once
// A readable description of a variable map, one statement a line (UTF-8; '#' starts a comment):
//
//   text "free text"              the text after the file's header
//   area 0                        the area (0-2) the statements below describe
//   length int 32                 declared array length of a kind (int, bool, str)
//   name int 5 "$mj_stand" 4      a name: kind, slot index, name, element count (default 0)
//   value int 0 1 1 1 7           initial values from a slot on
//   value bool 3 1 0 1
//   value str 0 "東" "\x82\xa0"
//
// Words and quoted texts are converted from UTF-8 to Shift-JIS; in quotes, \xNN is one raw byte
// and \\, \", \n, \r, \t stand for themselves. Numbers are decimal, or hexadecimal after 0x.
#include <string>

#include "script/memory_map_file.h"

namespace g2mm {

// Parses a description into map; false with a message naming the line on a bad statement.
bool parseDescription(const std::string& text, G2MapImage& map, std::string& error);
// A description that parses back to the same map (every byte outside printable ASCII escaped).
std::string formatDescription(const G2MapImage& map);

}  // namespace g2mm
