#pragma once
// Placeholder pictures for the mahjong table, drawn by program: every picture the table loads
// from "mj.pak", at the sizes the table's hit tests and layouts assume, with legible marks
// (tile kinds and suits, red fives in red, honour letters, button captions, digits).
#include <cstdint>
#include <string>
#include <vector>

#include "gce_writer.h"

namespace mjart {

// Character numbers drawn for every per-character picture.
constexpr int kCharacterCount = 16;

// Every picture as an archive member (a bare file name).
std::vector<gcepack::Entry> tableArtEntries();
// The archive at a host path; false with a message on failure.
bool writeTableArt(const std::string& hostPath, std::string* error = nullptr);

}  // namespace mjart
