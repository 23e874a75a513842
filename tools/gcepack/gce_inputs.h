#pragma once
// What the packer takes from the host: the files of a folder tree under their names inside it,
// names as the archive holds them, and names as a listing shows them.
#include <filesystem>
#include <string>
#include <vector>

#include "gce_writer.h"

namespace gcepack {

// The archive name (Shift-JIS, backslash separators) of a host path relative to a packed
// folder. False, with a message naming it, when Shift-JIS cannot hold the name exactly.
bool archiveName(const std::filesystem::path& relative, std::string& name, std::string& error);

// Appends one file as an entry under name; false with a message when it cannot be read.
bool addFile(const std::filesystem::path& file, const std::string& name, std::vector<Entry>& entries,
             std::string& error);

// Appends every file under folder in name order, each named by its path inside the folder. A
// symbolic link is packed under its own name with what it points to, and refused when it
// points outside the folder; links to folders are not followed.
bool addFolder(const std::filesystem::path& folder, std::vector<Entry>& entries, std::string& error);

// False, with a message naming both, when two names differ only in letter case or not at all:
// the game's look-up would only ever find the first.
bool checkDistinctNames(const std::vector<Entry>& entries, std::string& error);

// An entry name (Shift-JIS) as a listing shows it: UTF-8, with control characters written as
// \xNN so that a name can neither forge listing lines nor send commands to the terminal.
std::string listingName(const std::string& name);

}  // namespace gcepack
