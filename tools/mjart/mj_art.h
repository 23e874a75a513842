#pragma once
// Placeholder pictures for "mj.pak", drawn by program: every picture the table and the free-play
// setup load from it, at the sizes their hit tests and layouts assume, with legible marks (tile
// kinds and suits, red fives in red, honour letters, button captions, digits).
#include <cstdint>
#include <string>
#include <vector>

#include "art_canvas.h"
#include "gce_writer.h"

namespace mjart {

// Character numbers drawn for every per-character picture.
constexpr int kCharacterCount = 16;

// A character's name as its pictures show it (the free-play characters by name, any other
// number as "PLAYER nn").
std::string characterName(int character);

// The free-play setup's pictures (rule page, character page, seats, previews, rule summary).
void drawSetupArt(ArtSet& art);

// Every picture as an archive member (a bare file name).
std::vector<gcepack::Entry> tableArtEntries();
// The archive at a host path; false with a message on failure.
bool writeTableArt(const std::string& hostPath, std::string* error = nullptr);

}  // namespace mjart
