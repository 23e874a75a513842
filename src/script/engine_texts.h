#pragma once
// The script engine's own Japanese texts, as the Shift-JIS bytes the system uses. Source files
// are UTF-8, so every such text of the engine is written here once and converted with the
// program's code-page tables.
#include <string>

#include "framework/application_error.h"

namespace g2texts {

// The engine error table ({code, message} rows in their fixed order, ended by a row of zeros),
// installed by the engine frame as the table that TError::text searches.
const TErrorEntry* errorTable();
// The warning formats, the same row layout; each holds one "%s" for the file name.
const TErrorEntry* warningTable();
// What follows a warning in its box: "\n\n" and the note that CANCEL hides further warnings.
const std::string& warningBoxTail();
// Shown when a save file does not hold a whole game: the story returns to its title.
const std::string& brokenSaveText();
// "ＭＳ ゴシック", the default message font.
const std::string& defaultFontFace();

}  // namespace g2texts
