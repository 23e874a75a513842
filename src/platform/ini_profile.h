#pragma once
// Settings files with the private-profile semantics the system expects:
//  - "[section]" lines open sections; "key=value" lines belong to the section above them;
//    lines before the first section, blank lines and lines starting with ';' hold no keys;
//    a line without '=' is a key with an empty value.
//  - Section and key names are trimmed and compared without regard to ASCII case (the bytes of
//    double-byte Shift-JIS characters compare exactly); the first matching section and, inside
//    it, the first matching key win.
//  - Values are trimmed of spaces and tabs; one pair of matching quotes around a value is
//    removed on reading.
//  - A write replaces the key's line in place (keeping the key's spelling), adds a missing key after the section's last
//  key,
//    and a missing section at the end of the file. A null value deletes the key, a null key the
//    whole section. Every other line (foreign sections, comments, odd lines) is kept as it was.
//  - Files are read with LF or CR LF line ends and written with CR LF. A write replaces the whole
//    file through a temporary file renamed into place, so a crash never leaves half a file; a
//    temporary file that a crashed write left behind is removed by the next write of the file.
//    A missing file is created; a missing folder is not. A file reached through a symbolic link
//    is replaced where the link leads, and the link stays.
//  - A write fails and leaves the file as it was when the file was refused on reading, when it
//    is read-only, or when the edits would make it larger than any read takes (kMaxProfileBytes).
// File names are system paths (see path_map.h). Calls are serialised process-wide.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// One settings file in memory, line by line, so that a rewrite changes only what it must.
class IniDocument {
public:
    static IniDocument parse(std::string_view bytes);
    // The whole file with CR LF line ends.
    std::string serialize() const;

    // The value of key in section (trimmed, quotes removed); false when either is missing.
    bool get(std::string_view section, std::string_view key, std::string& value) const;
    // Names as spelled in the file, in file order, each once.
    std::vector<std::string> sectionNames() const;
    std::vector<std::string> keyNames(std::string_view section) const;

    // Edits; each returns whether the document changed.
    bool set(std::string_view section, std::string_view key, std::string_view value);
    bool removeKey(std::string_view section, std::string_view key);
    bool removeSection(std::string_view section);

    size_t lineCount() const { return lines_.size(); }

private:
    enum class Kind { Other, Section, Key };
    struct Line {
        std::string text;
        Kind kind = Kind::Other;
        std::string name;  // section or key name, trimmed
    };
    static Line classify(std::string text);
    // Index of the first section header with that name, or npos.
    size_t findSection(std::string_view section) const;
    // One past the section's last line (the next header or the end).
    size_t sectionEnd(size_t header) const;
    size_t findKey(size_t header, std::string_view key) const;
    // The names of the lines of a kind in [from, to), each once, in file order.
    std::vector<std::string> namesOfKind(Kind kind, size_t from, size_t to) const;

    std::vector<Line> lines_;
};

// Whether a and b are equal without regard to ASCII case, Shift-JIS aware.
bool iniNameEqual(std::string_view a, std::string_view b);
// A spelling of name that is the same for exactly the names iniNameEqual takes for it.
std::string iniNameKey(std::string_view name);

// No settings file grows past this: a larger file is taken for something else.
constexpr uint64_t kMaxProfileBytes = uint64_t{1} << 20;

// What became of a settings file when it was read.
enum class IniFileState {
    Missing,  // there is none: it reads as empty, and a write creates it
    Read,
    // not a plain file (a folder, a device, a pipe), larger than kMaxProfileBytes, or not
    // readable: it reads as empty, and every write fails and leaves it as it is
    Refused,
};
// The settings file parsed whole; an empty document unless it was read.
IniFileState readProfileDocument(const std::string& file, IniDocument& doc);
// getPrivateProfileString on a document already read.
uint32_t getProfileString(const IniDocument& doc, const char* section, const char* key, const char* def, char* buf,
                          uint32_t size);
// Reads a value into buf of size bytes (cut at a whole character, terminated) and returns the
// bytes stored. A missing section, key or file gives def (trailing blanks removed; null = "").
// A null key lists the section's keys, a null section the file's sections: each name
// terminated, the list ended by one more NUL; a list that does not fit is cut and size - 2 is
// returned.
uint32_t getPrivateProfileString(const char* section, const char* key, const char* def, char* buf, uint32_t size,
                                 const std::string& file);
// Writes, replaces or (value null) deletes a key, or (key null) deletes a section. Deleting
// what is not there succeeds and leaves the file untouched. False when section is null or the
// write fails (IniWriteResult). A value is cut at its first line break so it cannot make new
// lines.
bool writePrivateProfileString(const char* section, const char* key, const char* value, const std::string& file);
// One write of a batch: value null deletes the key, key null (empty optional) the section.
struct IniEdit {
    std::string section;
    std::optional<std::string> key;
    std::optional<std::string> value;
};
// What became of a write of a settings file. Whatever failed, the file is as it was.
enum class IniWriteResult {
    Written,   // the file holds the edits (one that changed nothing was left alone)
    Refused,   // the file was refused when read (IniFileState::Refused)
    TooLarge,  // the edits would make it larger than kMaxProfileBytes, which no read would take
    ReadOnly,  // the file (or the one its link leads to) is read-only
    Failed,    // it could not be written: the error number says why
};
// The edits in order, each as writePrivateProfileString makes it, reaching the file as one
// whole-file replacement: a crash leaves all of them or none. error (when given) receives the
// error number of a failed write, 0 otherwise.
IniWriteResult writeProfileEdits(const std::vector<IniEdit>& edits, const std::string& file, uint32_t* error = nullptr);
// writeProfileEdits; true when Written.
bool writePrivateProfileEdits(const std::vector<IniEdit>& edits, const std::string& file);
// The text writePrivateProfileStruct writes for the bytes.
std::string profileStructText(const void* data, uint32_t size);
// Writes size bytes as upper-case hexadecimal followed by their checksum byte (the sum of the
// bytes, modulo 256).
bool writePrivateProfileStruct(const char* section, const char* key, const void* data, uint32_t size,
                               const std::string& file);
// Reads back what writePrivateProfileStruct wrote: false unless the value has exactly size bytes
// and a matching checksum (buf is untouched then).
bool getPrivateProfileStruct(const char* section, const char* key, void* buf, uint32_t size, const std::string& file);

}  // namespace platform
